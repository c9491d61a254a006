#pragma once
// The real-peer side of the XMPP tests: a Prosody server started by
// tests/peers/prosody_rig.py on loopback ports chosen at run time, and other
// parties logged in through tests/peers/xmpp_peer.py (slixmpp), both driven
// over their standard input and output. Each program runs in a process group
// of its own that is ended with the object; the end of its standard input
// ends it too, so nothing outlives a test that dies.

#include "PeerProcess.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace XmppPeers {

inline std::string PeersDir() {
#ifdef YOL_PEERS_DIR
    return YOL_PEERS_DIR;
#else
    return (std::filesystem::path(YOL_SOURCE_DIR) / "tests/peers").string();
#endif
}

// The peers run with the system's Python, which has slixmpp.
inline constexpr const char* kPython = "/usr/bin/python3";

inline bool HaveProgram(const char* path) { return ::access(path, X_OK) == 0; }

inline bool RigAvailable() {
    return HaveProgram(kPython) && HaveProgram("/usr/bin/prosody") && HaveProgram("/usr/bin/prosodyctl") &&
           HaveProgram("/usr/bin/openssl");
}

// The Prosody server. Construction starts it with the users given (name,
// password) and rosters of generated contacts (user, count); Ready() tells
// whether it came up. The sockets service trusts its authority from then on
// (SSL_CERT_FILE).
class ProsodyRig {
public:
    struct Options {
        std::vector<std::pair<std::string, std::string>> users;
        std::vector<std::pair<std::string, int>> rosters;
        // Pairs of users in each other's roster with a mutual subscription.
        std::vector<std::pair<std::string, std::string>> mutual = {};
    };

    explicit ProsodyRig(const Options& options) {
        std::vector<std::string> args = {kPython, PeersDir() + "/prosody_rig.py"};
        for (const auto& [name, password] : options.users) {
            args.push_back("--user");
            args.push_back(name + ":" + password);
        }
        for (const auto& [one, other] : options.mutual) {
            args.push_back("--mutual");
            args.push_back(one + ":" + other);
        }
        for (const auto& [name, count] : options.rosters) {
            args.push_back("--roster");
            args.push_back(name + ":" + std::to_string(count));
        }
        process = std::make_unique<PeerProcess>(args, logs.PathOf("rig.log"), true, true);
        for (;;) {
            std::optional<std::string> line = process->NextLine(60000);
            if (!line) {
                failure = "no answer from the rig: " + ReadText(logs.PathOf("rig.log"));
                return;
            }
            if (*line == "READY")
                break;
            if (line->rfind("FAIL", 0) == 0) {
                failure = *line;
                return;
            }
            const size_t blank = line->find(' ');
            const std::string key = line->substr(0, blank), value = line->substr(blank + 1);
            if (key == "DOMAIN")
                domain = value;
            else if (key == "PLAIN")
                plainPort = static_cast<unsigned int>(std::stoul(value));
            else if (key == "TLS")
                tlsPort = static_cast<unsigned int>(std::stoul(value));
            else if (key == "CA")
                authority = value;
            else if (key == "PROXY") {
                const size_t space = value.find(' ');
                proxyJid = value.substr(0, space);
                if (space != std::string::npos)
                    proxyPort = static_cast<unsigned int>(std::stoul(value.substr(space + 1)));
            }
            else if (key == "DIRECTORY")
                ReadDirectory(value);
        }
        ::setenv("SSL_CERT_FILE", authority.c_str(), 1);
        ready = true;
    }
    ~ProsodyRig() {
        if (process) {
            process->WriteLine("quit");
            process->Stop(20000);
        }
    }

    bool Ready() const { return ready; }
    const std::string& Failure() const { return failure; }
    const std::string& Domain() const { return domain; }
    unsigned int PlainPort() const { return plainPort; }
    // The JID of the file-transfer proxy (SOCKS5 bytestreams).
    const std::string& ProxyJid() const { return proxyJid; }
    unsigned int ProxyPort() const { return proxyPort; }
    unsigned int TlsPort() const { return tlsPort; }
    // The user directory: the component's JID, the port it logs in on and
    // its secret.
    const std::string& DirectoryJid() const { return directoryJid; }
    unsigned int ComponentPort() const { return componentPort; }
    const std::string& ComponentSecret() const { return componentSecret; }
    const std::string& Authority() const { return authority; }
    std::string Jid(const std::string& user) const { return user + "@" + domain; }

    // Stops the server and starts it again on the same ports.
    bool Restart() { return Command("restart"); }
    bool StopServer() { return Command("stop"); }
    bool StartServer() { return Command("start"); }
    bool Register(const std::string& name, const std::string& password) {
        return Command("register " + name + " " + password);
    }

private:
    void ReadDirectory(const std::string& value) {
        const size_t first = value.find(' '), second = value.find(' ', first + 1);
        if (first == std::string::npos || second == std::string::npos)
            return;
        directoryJid = value.substr(0, first);
        componentPort = static_cast<unsigned int>(std::stoul(value.substr(first + 1, second - first - 1)));
        componentSecret = value.substr(second + 1);
    }
    bool Command(const std::string& line) {
        if (!ready || !process->WriteLine(line))
            return false;
        std::optional<std::string> answer = process->NextLine(60000);
        return answer && *answer == "OK";
    }

    TempFolder logs;
    std::unique_ptr<PeerProcess> process;
    bool ready = false;
    std::string failure;
    std::string domain;
    unsigned int plainPort = 0;
    unsigned int tlsPort = 0;
    std::string authority;
    std::string proxyJid;
    std::string directoryJid;
    unsigned int componentPort = 0;
    std::string componentSecret;
    unsigned int proxyPort = 0;
};

// One line of the peer: its fields, unescaped.
using PeerLine = std::vector<std::string>;

inline std::string EscapeField(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

inline PeerLine SplitLine(const std::string& line) {
    PeerLine fields(1);
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c == '\\' && i + 1 < line.size()) {
            const char e = line[++i];
            fields.back() += e == 't' ? '\t' : e == 'n' ? '\n' : e == 'r' ? '\r' : e;
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// A peer program driven in lines of TAB-separated fields: what it prints is
// kept in arrival order until a test takes it.
class PeerLines {
public:
    virtual ~PeerLines() {
        if (process) {
            process->WriteLine("quit");
            process->Stop();
        }
    }

    bool Ready() const { return ready; }
    std::string Log() const { return ReadText(logs.PathOf("peer.log")); }

    // Sends one command; true once the peer answered OK.
    bool Do(std::initializer_list<std::string> fields, int timeoutMs = 15000) {
        std::string line;
        for (const std::string& field : fields)
            line += (line.empty() ? "" : "\t") + EscapeField(field);
        if (!process->WriteLine(line))
            return false;
        auto answer = WaitFor([](const PeerLine& l) { return l[0] == "OK" || l[0] == "FAIL"; }, timeoutMs);
        return answer && (*answer)[0] == "OK";
    }

    // The first line, received so far or within the time, that `match`
    // accepts; it and everything before it that matched nothing stay
    // available to later waits, except the line returned.
    std::optional<PeerLine> WaitFor(const std::function<bool(const PeerLine&)>& match, int timeoutMs = 15000) {
        for (auto it = received.begin(); it != received.end(); ++it) {
            if (match(*it)) {
                PeerLine found = *it;
                received.erase(it);
                return found;
            }
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return std::nullopt;
            std::optional<std::string> line = process->NextLine(static_cast<int>(left.count()));
            if (!line)
                return std::nullopt;
            PeerLine fields = SplitLine(*line);
            if (match(fields))
                return fields;
            received.push_back(std::move(fields));
        }
    }

protected:
    // Starts the program and waits for its "READY".
    void Launch(const std::vector<std::string>& args) {
        process = std::make_unique<PeerProcess>(args, logs.PathOf("peer.log"), true, true);
        ready = WaitFor([](const PeerLine& l) { return l[0] == "READY"; }, 30000).has_value();
    }

    TempFolder logs;
    std::unique_ptr<PeerProcess> process;
    std::deque<PeerLine> received;
    bool ready = false;
};

// Another party: a slixmpp client logged in as `user`.
class XmppPeer : public PeerLines {
public:
    // Its presence announces entity capabilities under `capsNode` (null:
    // slixmpp's own node; empty: none).
    XmppPeer(const ProsodyRig& rig, const std::string& user, const std::string& password, bool tls = false,
             const std::string& resource = "peer", const char* capsNode = nullptr) {
        const unsigned int port = tls ? rig.TlsPort() : rig.PlainPort();
        std::vector<std::string> args = {kPython, PeersDir() + "/xmpp_peer.py", rig.Jid(user), password, "127.0.0.1",
                                         std::to_string(port), "--ca", rig.Authority(), "--resource", resource};
        if (tls)
            args.push_back("--tls");
        if (capsNode) {
            args.push_back("--caps-node");
            args.push_back(capsNode);
        }
        Launch(args);
    }

    // The first line of that kind (first field), optionally from a bare JID.
    std::optional<PeerLine> WaitForKind(const std::string& kind, const std::string& fromBare = {},
                                        int timeoutMs = 15000) {
        return WaitFor(
            [&](const PeerLine& l) {
                return l[0] == kind && (fromBare.empty() || (l.size() > 1 && l[1].substr(0, l[1].find('/')) == fromBare));
            },
            timeoutMs);
    }

    // The server's roster of this user: {jid, name, subscription, groups}.
    std::vector<PeerLine> Roster() {
        std::vector<PeerLine> items;
        std::string line = "roster";
        if (!process->WriteLine(line))
            return items;
        for (;;) {
            auto item = WaitFor([](const PeerLine& l) { return l[0] == "ROSTER" || l[0] == "ROSTEREND"; });
            if (!item || (*item)[0] == "ROSTEREND")
                break;
            item->erase(item->begin());
            item->resize(4);
            items.push_back(*item);
        }
        WaitFor([](const PeerLine& l) { return l[0] == "OK" || l[0] == "FAIL"; });
        return items;
    }
};

// The user directory (tests/peers/xmpp_search_component.py), logged in to
// the rig as its external component.
class DirectoryComponent : public PeerLines {
public:
    struct User {
        std::string jid, nick, first, last, email, country;
    };

    explicit DirectoryComponent(const ProsodyRig& rig) {
        Launch({kPython, PeersDir() + "/xmpp_search_component.py", rig.DirectoryJid(), rig.ComponentSecret(),
                "127.0.0.1", std::to_string(rig.ComponentPort())});
    }
    bool Add(const User& user) {
        return Do({"user", user.jid, user.nick, user.first, user.last, user.email, user.country});
    }
    // Whether searches are answered in the plain form whatever they used.
    bool PlainReplies(bool plain) { return Do({"replies", plain ? "plain" : "form"}); }
    // The next search that arrived: {from, form or plain, criteria}.
    std::optional<PeerLine> NextSearch() {
        auto line = WaitFor([](const PeerLine& l) { return l[0] == "SEARCH"; });
        if (line) {
            line->erase(line->begin());
            line->resize(3);
        }
        return line;
    }
};

}  // namespace XmppPeers
