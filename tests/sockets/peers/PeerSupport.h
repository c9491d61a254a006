#pragma once
// Real and scripted peers of the sockets tests: programs started on loopback
// ports chosen at run time, in a process group of their own that is ended
// when the test is done.

#include "../SocketsTestSupport.h"
#include "PeerProcess.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace SocketsTest {

// The scripted proxy of tests/peers: every connection it accepts runs the
// steps given (see the script for their spelling).
class ScriptedProxy {
public:
    explicit ScriptedProxy(const std::vector<std::string>& steps) {
        std::vector<std::string> args = {"/usr/bin/python3", std::string(YOL_PEERS_DIR) + "/scripted_proxy.py"};
        args.insert(args.end(), steps.begin(), steps.end());
        process = std::make_unique<PeerProcess>(args, dir.PathOf("proxy.log"), true);
        std::string line = process->ReadLine();
        if (line.rfind("PORT ", 0) == 0)
            port = static_cast<unsigned int>(std::stoul(line.substr(5)));
    }
    unsigned int Port() const { return port; }
    // Everything the proxy reported, once its first connection ended: one
    // "DONE" or "FAIL ..." line per connection.
    std::string Report() {
        std::string lines;
        for (;;) {
            std::string line = process->ReadLine(3000);
            lines += line + "\n";
            if (line.empty() || line.rfind("DONE", 0) == 0 || line.rfind("FAIL", 0) == 0)
                break;
        }
        process->Stop();
        return lines + process->Rest() + ReadText(dir.PathOf("proxy.log"));
    }

private:
    TempFolder dir;
    std::unique_ptr<PeerProcess> process;
    unsigned int port = 0;
};

// A certificate authority made for this run, and server certificates: one it
// signed for localhost, one it signed for another name, and one for localhost
// signed by a second authority nobody trusts. SSL_CERT_FILE names the first
// authority, so it is the only one the sockets trust.
class TestPkiEnvironment : public ::testing::Environment {
public:
    static inline TestPkiEnvironment* instance = nullptr;
    TestPki pki;
    bool ready = false;

    std::string Cert(const std::string& name) const { return pki.Cert(name); }
    std::string Key(const std::string& name) const { return pki.Key(name); }

    void SetUp() override {
        instance = this;
        ready = pki.MakeAuthority("ca", "Yol Test CA") && pki.MakeAuthority("rogue", "Rogue CA") &&
                pki.MakeServer("good", "ca", "DNS:localhost,IP:127.0.0.1") &&
                pki.MakeServer("wronghost", "ca", "DNS:other.example") &&
                pki.MakeServer("untrusted", "rogue", "DNS:localhost,IP:127.0.0.1");
        if (ready)
            pki.Trust("ca");
    }
};

}  // namespace SocketsTest
