// The sockets service against real proxies and a real TLS server, started by
// each test on loopback: tinyproxy (HTTP CONNECT, with and without Basic
// authentication), dante (SOCKS4, SOCKS5), microsocks (SOCKS5 with a
// password) and openssl s_server with certificates of a CA made for the run.
// A test skips only when the peer's program is not installed.

#include "PeerSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Sockets;
using namespace SocketsTest;

namespace {

::testing::Environment* const pki = ::testing::AddGlobalTestEnvironment(new TestPkiEnvironment);

// A peer program on a port of its own.
struct RealPeer {
    TempFolder dir;
    std::unique_ptr<PeerProcess> process;
    unsigned int port = 0;
    std::string missing;  // the program is not installed
    std::string log;

    // Starts `args` (after the program path) and waits for its port.
    void Start(const std::string& program, std::vector<std::string> args) {
        std::string path = FindProgram(program);
        if (path.empty()) {
            missing = program + " is not installed";
            return;
        }
        args.insert(args.begin(), path);
        log = dir.PathOf("peer.log");
        process = std::make_unique<PeerProcess>(args, log);
        if (!process->WaitForPort(port))
            port = 0;
    }
    std::string Log() const { return ReadText(log); }
};

#define START_OR_SKIP(peer)                                                 \
    do {                                                                    \
        if (!(peer).missing.empty())                                        \
            YOL_SKIP_MISSING_PEER((peer).missing);                            \
        ASSERT_NE((peer).port, 0u) << "peer did not start:\n" << (peer).Log(); \
    } while (0)

std::unique_ptr<RealPeer> Tinyproxy(bool basicAuth) {
    auto peer = std::make_unique<RealPeer>();
    peer->port = FreePort();
    std::string config = "Port " + std::to_string(peer->port) +
                         "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\nLogLevel Info\nAllow 127.0.0.1\n";
    if (basicAuth)
        config += "BasicAuth bob secret\n";
    peer->Start("tinyproxy", {"-d", "-c", peer->dir.Put("tinyproxy.conf", config)});
    return peer;
}

std::unique_ptr<RealPeer> Dante() {
    auto peer = std::make_unique<RealPeer>();
    peer->port = FreePort();
    std::string config = "logoutput: stderr\ninternal: 127.0.0.1 port = " + std::to_string(peer->port) +
                         "\nexternal: 127.0.0.1\nclientmethod: none\nsocksmethod: none\n";
    if (::geteuid() == 0)
        config += "user.privileged: root\nuser.unprivileged: nobody\n";
    config +=
        "client pass {\n  from: 127.0.0.0/8 to: 0.0.0.0/0\n}\n"
        "socks pass {\n  from: 127.0.0.0/8 to: 127.0.0.0/8\n  protocol: tcp\n  command: connect\n}\n";
    peer->Start("danted", {"-f", peer->dir.Put("danted.conf", config), "-N", "1"});
    return peer;
}

std::unique_ptr<RealPeer> Microsocks(bool password) {
    auto peer = std::make_unique<RealPeer>();
    peer->port = FreePort();
    std::vector<std::string> args = {"-i", "127.0.0.1", "-p", std::to_string(peer->port)};
    if (password)
        args.insert(args.end(), {"-u", "bob", "-P", "secret"});
    peer->Start("microsocks", args);
    return peer;
}

// openssl s_server answering each line reversed, with one of the test PKI's
// server certificates; with `forLocalhost`, that one is shown only to clients
// asking for "localhost" by SNI, and the others get `certificate`.
std::unique_ptr<RealPeer> TlsServer(const std::string& certificate, const std::string& forLocalhost = "") {
    auto peer = std::make_unique<RealPeer>();
    if (!TestPkiEnvironment::instance || !TestPkiEnvironment::instance->ready) {
        peer->missing = "openssl is not installed";
        return peer;
    }
    peer->port = FreePort();
    std::vector<std::string> args = {"s_server", "-accept", "127.0.0.1:" + std::to_string(peer->port), "-cert",
                                     TestPkiEnvironment::instance->Cert(certificate), "-key", TestPkiEnvironment::instance->Key(certificate),
                                     "-rev", "-quiet"};
    if (!forLocalhost.empty())
        args.insert(args.end(), {"-servername", "localhost", "-cert2", TestPkiEnvironment::instance->Cert(forLocalhost), "-key2",
                                 TestPkiEnvironment::instance->Key(forLocalhost)});
    peer->Start("openssl", args);
    return peer;
}

// The destination behind the proxies: says "hello" at once, then echoes.
LoopbackServer::Serve GreetAndEcho() {
    return [](int fd, LoopbackServer&) {
        LoopbackServer::WriteAll(fd, "hello");
        char buffer[4096];
        ssize_t n;
        while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
            LoopbackServer::WriteAll(fd, std::string(buffer, static_cast<size_t>(n)));
    };
}

const std::vector<std::string> viaProxy = {"8 Connect to network", "8 Address translation", "8 Connect to 127.0.0.1",
                                           "8 Init proxy server"};

std::vector<std::string> Plus(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Attempt {
    ServiceRig rig;
    CYolSocket* socket;
    explicit Attempt(const ConnectionSettings& settings) : socket(rig.ConnectAndWait(settings)) {}
    std::vector<std::string> Sequence() { return rig.Sequence(socket); }
    // Sends and reads back what the far end answers.
    std::string RoundTrip(const std::string& out, size_t answer) {
        EXPECT_EQ(rig.sockets->Send(socket, out.data(), static_cast<int>(out.size()), 0), static_cast<int>(out.size()));
        return rig.ReadFor(socket, answer);
    }
};

ConnectionSettings WithLogin(ConnectionSettings settings, const char16_t* login, const char16_t* password) {
    settings.proxyAuth = 1;
    settings.proxyLogin = login;
    settings.proxyPassword = password;
    return settings;
}

}  // namespace

// --- HTTP CONNECT: tinyproxy --------------------------------------------------------------

TEST(SocketsRealPeers, TinyproxyTunnelsAndKeepsTheBytesBehindItsReply) {
    auto proxy = Tinyproxy(false);
    START_OR_SKIP(*proxy);
    LoopbackServer destination(GreetAndEcho());
    Attempt attempt(ServiceRig::Via(ProxyType::Http, proxy->port, "127.0.0.1", destination.Port()));
    EXPECT_EQ(attempt.Sequence(), Plus(viaProxy, {"2 0"}));
    EXPECT_EQ(attempt.rig.ReadFor(attempt.socket, 5), "hello");
    EXPECT_EQ(attempt.RoundTrip("ping", 4), "ping");
}

TEST(SocketsRealPeers, TinyproxyWithBasicAuthentication) {
    auto proxy = Tinyproxy(true);
    START_OR_SKIP(*proxy);
    LoopbackServer destination(GreetAndEcho());
    auto settings = ServiceRig::Via(ProxyType::Http, proxy->port, "127.0.0.1", destination.Port());
    struct Case {
        const char* name;
        ConnectionSettings settings;
        std::vector<std::string> tail;
    } cases[] = {
        {"right password", WithLogin(settings, u"bob", u"secret"), {"2 0"}},
        // tinyproxy answers credentials it refuses with 401 (and none at all with 407)
        {"wrong password", WithLogin(settings, u"bob", u"guess"), {"9 HTTP proxy server error 401", "2 401"}},
        {"no login", settings, {"9 HTTP proxy server error 407", "2 407"}},
    };
    for (const auto& c : cases) {
        Attempt attempt(c.settings);
        EXPECT_EQ(attempt.Sequence(), Plus(viaProxy, c.tail)) << c.name;
    }
}

// --- SOCKS4 and SOCKS5: dante -----------------------------------------------------------------

TEST(SocketsRealPeers, DanteSocks4GrantsAndRefuses) {
    auto proxy = Dante();
    START_OR_SKIP(*proxy);
    LoopbackServer destination(GreetAndEcho());
    LoopbackServer gone(nullptr);
    unsigned int closedPort = gone.Port();
    gone.Stop();

    Attempt granted(ServiceRig::Via(ProxyType::Socks4, proxy->port, "127.0.0.1", destination.Port()));
    EXPECT_EQ(granted.Sequence(), Plus(viaProxy, {"2 0"}));
    EXPECT_EQ(granted.rig.ReadFor(granted.socket, 5), "hello");
    EXPECT_EQ(granted.RoundTrip("ping", 4), "ping");

    Attempt withUserId(
        WithLogin(ServiceRig::Via(ProxyType::Socks4, proxy->port, "127.0.0.1", destination.Port()), u"alice", u""));
    EXPECT_EQ(withUserId.Sequence(), Plus(viaProxy, {"2 0"}));

    Attempt refused(ServiceRig::Via(ProxyType::Socks4, proxy->port, "127.0.0.1", closedPort));
    EXPECT_EQ(refused.Sequence(), Plus(viaProxy, {"9 SOCKS4 proxy server error", "2 -1"}));
}

TEST(SocketsRealPeers, DanteSocks5WithoutAuthentication) {
    auto proxy = Dante();
    START_OR_SKIP(*proxy);
    LoopbackServer destination(GreetAndEcho());
    Attempt attempt(ServiceRig::Via(ProxyType::Socks5, proxy->port, "127.0.0.1", destination.Port()));
    EXPECT_EQ(attempt.Sequence(), Plus(viaProxy, {"2 0"}));
    EXPECT_EQ(attempt.rig.ReadFor(attempt.socket, 5), "hello");
    EXPECT_EQ(attempt.RoundTrip("ping", 4), "ping");
}

// --- SOCKS5 with a password: microsocks -------------------------------------------------------

TEST(SocketsRealPeers, MicrosocksSocks5UserAndPassword) {
    auto open = Microsocks(false);
    START_OR_SKIP(*open);
    auto guarded = Microsocks(true);
    START_OR_SKIP(*guarded);
    LoopbackServer destination(GreetAndEcho());
    struct Case {
        const char* name;
        ConnectionSettings settings;
        std::vector<std::string> tail;
    } cases[] = {
        {"no password needed", ServiceRig::Via(ProxyType::Socks5, open->port, "127.0.0.1", destination.Port()),
         {"2 0"}},
        {"right password",
         WithLogin(ServiceRig::Via(ProxyType::Socks5, guarded->port, "127.0.0.1", destination.Port()), u"bob",
                   u"secret"),
         {"2 0"}},
        {"wrong password",
         WithLogin(ServiceRig::Via(ProxyType::Socks5, guarded->port, "127.0.0.1", destination.Port()), u"bob",
                   u"guess"),
         {"9 SOCKS5 proxy server error: auth error", "2 -1"}},
        {"no password offered", ServiceRig::Via(ProxyType::Socks5, guarded->port, "127.0.0.1", destination.Port()),
         {"9 SOCKS5 proxy server error: auth type not supported", "2 -1"}},
    };
    for (const auto& c : cases) {
        Attempt attempt(c.settings);
        EXPECT_EQ(attempt.Sequence(), Plus(viaProxy, c.tail)) << c.name;
        if (c.tail.size() == 1) {
            EXPECT_EQ(attempt.rig.ReadFor(attempt.socket, 5), "hello") << c.name;
        }
    }
}

// --- TLS: openssl s_server --------------------------------------------------------------------

TEST(SocketsRealPeers, TlsVerifiesChainAndHostName) {
    auto good = TlsServer("good");
    START_OR_SKIP(*good);
    auto wrongHost = TlsServer("wronghost");
    START_OR_SKIP(*wrongHost);
    auto untrusted = TlsServer("untrusted");
    START_OR_SKIP(*untrusted);
    auto byName = TlsServer("wronghost", "good");
    START_OR_SKIP(*byName);
    const std::vector<std::string> direct = {"8 Connect to network", "8 Address translation", "8 Connect to localhost",
                                             "8 Init secure connection"};
    struct Case {
        const char* name;
        unsigned int port;
        const char* host;
        std::vector<std::string> sequence;
    } cases[] = {
        {"trusted, by name", good->port, "localhost", Plus(direct, {"2 0"})},
        {"the name goes out by SNI", byName->port, "localhost", Plus(direct, {"2 0"})},
        {"trusted, by address", good->port, "127.0.0.1",
         {"8 Connect to network", "8 Address translation", "8 Connect to 127.0.0.1", "8 Init secure connection",
          "2 0"}},
        {"certificate for another host", wrongHost->port, "localhost",
         Plus(direct, {"9 Secure connection error: certificate verification failed (hostname mismatch)", "2 -1"})},
        {"certificate of an unknown authority", untrusted->port, "localhost",
         Plus(direct,
              {"9 Secure connection error: certificate verification failed (unable to get local issuer certificate)",
               "2 -1"})},
    };
    for (const auto& c : cases) {
        ConnectionSettings settings = ServiceRig::Direct(c.host, c.port);
        settings.secure = 1;
        Attempt attempt(settings);
        EXPECT_EQ(attempt.Sequence(), c.sequence) << c.name;
        if (c.sequence.back() == "2 0") {
            EXPECT_EQ(attempt.RoundTrip("hello\n", 6), "olleh\n") << c.name;
        }
    }
}

TEST(SocketsRealPeers, TlsStartsInsideEachKindOfProxyTunnel) {
    auto server = TlsServer("good");
    START_OR_SKIP(*server);
    auto http = Tinyproxy(false);
    START_OR_SKIP(*http);
    auto socks = Dante();
    START_OR_SKIP(*socks);
    for (auto [type, port] : {std::pair{ProxyType::Http, http->port}, std::pair{ProxyType::Socks4, socks->port},
                              std::pair{ProxyType::Socks5, socks->port}}) {
        ConnectionSettings settings = ServiceRig::Via(type, port, "localhost", server->port);
        settings.secure = 2;
        Attempt attempt(settings);
        EXPECT_EQ(attempt.Sequence(), Plus(viaProxy, {"8 Init secure connection", "2 0"})) << type;
        EXPECT_EQ(attempt.RoundTrip("through the tunnel\n", 19), "lennut eht hguorht\n") << type;
    }
}

// A larger exchange over TLS: the record layer splits and joins writes, and
// the receive loop must hand out bytes the engine already holds.
TEST(SocketsRealPeers, TlsCarriesAMegabyteBothWays) {
    auto server = TlsServer("good");
    START_OR_SKIP(*server);
    ConnectionSettings settings = ServiceRig::Direct("localhost", server->port);
    settings.secure = 1;
    Attempt attempt(settings);
    ASSERT_EQ(attempt.Sequence().back(), "2 0");
    std::string lines;
    for (int i = 0; lines.size() < (1u << 20); ++i)
        lines += "line " + std::to_string(i) + " " + std::string(100, 'a' + i % 26) + "\n";
    std::string expected;
    for (size_t start = 0; start < lines.size();) {
        size_t end = lines.find('\n', start);
        expected += std::string(lines.rbegin() + static_cast<std::ptrdiff_t>(lines.size() - end),
                                lines.rend() - static_cast<std::ptrdiff_t>(start)) +
                    "\n";
        start = end + 1;
    }
    EXPECT_TRUE(attempt.RoundTrip(lines, expected.size()) == expected);
}
