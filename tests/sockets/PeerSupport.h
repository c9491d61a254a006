#pragma once
// Real and scripted peers of the sockets tests: programs started on loopback
// ports chosen at run time, in a process group of their own that is ended
// when the test is done.

#include "../core/SocketsTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace SocketsTest {

inline std::string FindProgram(const std::string& name) {
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    path += ":/usr/sbin:/sbin:/usr/bin:/bin";
    std::stringstream dirs(path);
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty())
            continue;
        std::string candidate = dir + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// A loopback port that was free a moment ago.
inline unsigned int FreePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = LoopbackV4();
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    unsigned int port = LocalPort(fd);
    ::close(fd);
    return port;
}

inline bool Accepts(unsigned int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = LoopbackV4(port);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

// One program started by the test. Its output goes to `log` (or to a pipe
// the test reads when `pipeOutput` is set); stopping ends its whole process
// group and reaps it.
class PeerProcess {
public:
    PeerProcess(const std::vector<std::string>& args, const std::string& log, bool pipeOutput = false) {
        int pipeFds[2] = {-1, -1};
        if (pipeOutput && ::pipe2(pipeFds, O_CLOEXEC) != 0)
            return;
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid = ::fork();
        if (pid == 0) {
            ::setpgid(0, 0);
            int out = pipeOutput ? pipeFds[1] : ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int in = ::open("/dev/null", O_RDONLY);
            ::dup2(in, 0);
            ::dup2(out, 1);
            ::dup2(pipeOutput ? ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600) : out, 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        if (pipeOutput) {
            ::close(pipeFds[1]);
            output = ::fdopen(pipeFds[0], "r");
            std::setvbuf(output, nullptr, _IONBF, 0);
        }
    }
    ~PeerProcess() { Stop(); }

    bool Started() const { return pid > 0; }
    // False once the program ended; whatever it left in its group is ended
    // too while the group is still certainly ours (its leader not reaped).
    bool Running() {
        if (pid <= 0)
            return false;
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0)
            return true;
        ::kill(-pid, SIGKILL);
        int status;
        ::waitpid(pid, &status, 0);
        pid = -1;
        DrainOutput();
        return false;
    }
    // Waits until the program accepts connections on the port.
    bool WaitForPort(unsigned int port, int timeoutMs = 5000) {
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            if (Accepts(port))
                return true;
            if (!Running())
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // The next line of a piped program's output ("" at its end, or when
    // nothing came within the time).
    std::string ReadLine(int timeoutMs = 10000) {
        if (!output)
            return {};
        std::string line;
        long long deadline = Sockets::NowMs() + timeoutMs;
        for (;;) {
            pollfd p{::fileno(output), POLLIN, 0};
            if (::poll(&p, 1, Sockets::RemainingMs(deadline)) <= 0)
                return line;
            char c;
            if (::read(p.fd, &c, 1) != 1)
                return line;
            line += c;
            if (c == '\n')
                return line;
        }
    }
    void Stop() {
        if (pid > 0) {
            ::kill(-pid, SIGTERM);
            for (int i = 0; i < 200 && Running(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (pid > 0)
                ::kill(-pid, SIGKILL);
            while (Running())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        DrainOutput();
    }
    void DrainOutput() {
        if (pid <= 0 && output) {
            char line[4096];
            while (std::fgets(line, sizeof line, output))
                rest += line;
            std::fclose(output);
            output = nullptr;
        }
    }
    // What a piped program printed after the test stopped reading.
    const std::string& Rest() const { return rest; }

private:
    pid_t pid = -1;
    FILE* output = nullptr;
    std::string rest;
};

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
            lines += line;
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
class TestPki : public ::testing::Environment {
public:
    static inline TestPki* instance = nullptr;
    TempFolder dir;
    bool ready = false;

    std::string Cert(const std::string& name) const { return dir.PathOf(name + ".pem"); }
    std::string Key(const std::string& name) const { return dir.PathOf(name + ".key"); }

    void SetUp() override {
        instance = this;
        std::string openssl = FindProgram("openssl");
        if (openssl.empty())
            return;
        ready = MakeAuthority(openssl, "ca", "Yol Test CA") && MakeAuthority(openssl, "rogue", "Rogue CA") &&
                MakeServer(openssl, "good", "ca", "DNS:localhost,IP:127.0.0.1") &&
                MakeServer(openssl, "wronghost", "ca", "DNS:other.example") &&
                MakeServer(openssl, "untrusted", "rogue", "DNS:localhost,IP:127.0.0.1");
        if (ready)
            ::setenv("SSL_CERT_FILE", Cert("ca").c_str(), 1);
    }

private:
    bool Run(const std::vector<std::string>& args) {
        PeerProcess process(args, dir.PathOf("openssl.log"));
        for (int i = 0; i < 2000 && process.Running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return !process.Running();
    }
    bool MakeAuthority(const std::string& openssl, const std::string& name, const std::string& cn) {
        Run({openssl, "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
             "-keyout", Key(name), "-out", Cert(name), "-subj", "/CN=" + cn, "-days", "2"});
        return std::filesystem::exists(Cert(name));
    }
    bool MakeServer(const std::string& openssl, const std::string& name, const std::string& ca,
                    const std::string& altNames) {
        std::string csr = dir.PathOf(name + ".csr");
        std::string ext = dir.Put(name + ".ext", "subjectAltName=" + altNames +
                                                     "\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n");
        Run({openssl, "req", "-new", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
             Key(name), "-out", csr, "-subj", "/CN=" + name});
        Run({openssl, "x509", "-req", "-in", csr, "-CA", Cert(ca), "-CAkey", Key(ca), "-CAcreateserial", "-out",
             Cert(name), "-days", "2", "-extfile", ext});
        return std::filesystem::exists(Cert(name)) && std::filesystem::file_size(Cert(name)) > 0;
    }
};

}  // namespace SocketsTest
