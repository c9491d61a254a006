// The proxy handshakes as byte machines: what they send, how they read each
// reply (split anywhere, never past its end) and how they fail.

#include "ProxyHandshake.h"
#include "SocketsTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace Sockets;
using SocketsTest::ToHex;
using SocketsTest::Unhex;

namespace {

constexpr uint32_t Localhost = 0x7F000001;

// Plays a proxy: the handshake's requests are collected, and the proxy's
// bytes are handed over at most `step` at a time and never more than the
// handshake wants, as the connect thread does with a peek.
struct Played {
    std::vector<std::string> sent;  // hex, one per request
    size_t consumed = 0;
    CProxyHandshake::State state;
    std::string text;
    int code = 0;
};

Played Play(CProxyHandshake& handshake, const std::string& proxyBytes, size_t step = 4096) {
    Played played;
    size_t offset = 0;
    while (!handshake.Finished()) {
        if (handshake.GetState() == CProxyHandshake::State::Send) {
            const auto& bytes = handshake.Pending();
            played.sent.push_back(ToHex(std::string(bytes.begin(), bytes.end())));
            handshake.Sent();
            continue;
        }
        if (offset == proxyBytes.size()) {
            handshake.PeerClosed();
            break;
        }
        size_t n = std::min({step, handshake.Wanted(), proxyBytes.size() - offset});
        size_t used = handshake.Feed(reinterpret_cast<const uint8_t*>(proxyBytes.data() + offset), n);
        EXPECT_LE(used, n);
        offset += used;
        if (used == 0 && !handshake.Finished()) {
            ADD_FAILURE() << "handshake took nothing while receiving";
            break;
        }
    }
    played.consumed = offset;
    played.state = handshake.GetState();
    played.text = handshake.FailureText();
    played.code = handshake.FailureCode();
    return played;
}

const std::string socks5Connect = "050100017f00000101bb";
const std::string socks5Ok = "050000017f0000011f90";

}  // namespace

// --- SOCKS4 -------------------------------------------------------------------------

TEST(Socks4Handshake, RequestCarriesPortAddressAndUserId) {
    struct Case {
        bool withUserId;
        const char* userId;
        const char* request;
    } cases[] = {
        {false, "alice", "040101bb7f00000100"},
        {true, "alice", "040101bb7f000001616c69636500"},  // 5 characters: 14 bytes
        {true, "", "040101bb7f00000100"},
    };
    for (const auto& c : cases) {
        CSocks4Handshake handshake(Localhost, 443, c.withUserId, c.userId);
        Played played = Play(handshake, Unhex("005a000000000000"));
        ASSERT_EQ(played.sent.size(), 1u);
        EXPECT_EQ(played.sent[0], c.request);
        EXPECT_EQ(played.state, CProxyHandshake::State::Done);
    }
}

TEST(Socks4Handshake, GrantIsSecondByte5AAndAnythingElseFails) {
    struct Case {
        const char* reply;
        bool granted;
    } cases[] = {
        {"005a000000000000", true},
        {"045a1f907f000001", true},  // some proxies echo the version
        {"005b000000000000", false},
        {"005c000000000000", false},
        {"005d000000000000", false},
        {"0000000000000000", false},
    };
    for (const auto& c : cases) {
        CSocks4Handshake handshake(Localhost, 443, false, "");
        Played played = Play(handshake, Unhex(c.reply));
        if (c.granted) {
            EXPECT_EQ(played.state, CProxyHandshake::State::Done) << c.reply;
            EXPECT_EQ(played.consumed, 8u);
        } else {
            EXPECT_EQ(played.state, CProxyHandshake::State::Failed) << c.reply;
            EXPECT_EQ(played.text, "SOCKS4 proxy server error");
            EXPECT_EQ(played.code, -1);
        }
    }
}

// --- SOCKS5 -------------------------------------------------------------------------

TEST(Socks5Handshake, FollowsTheMethodTheProxyChose) {
    struct Case {
        const char* name;
        bool withAuth;
        std::string proxy;
        std::vector<std::string> sent;
        bool done;
        const char* text;
    } cases[] = {
        {"no auth", false, "0500" + socks5Ok, {"050100", socks5Connect}, true, ""},
        {"user and password",
         true,
         "0502" "0100" + socks5Ok,
         {"050102", "0105616c69636506736563726574", socks5Connect},
         true,
         ""},
        {"proxy waives the password we offered", true, "0500" + socks5Ok, {"050102", socks5Connect}, true, ""},
        {"proxy wants a password we do not have", false, "0502", {"050100"}, false,
         "SOCKS5 proxy server error: auth type not supported"},
        {"no acceptable method", true, "05ff", {"050102"}, false, "SOCKS5 proxy server error: auth type not supported"},
        {"method nobody offered", false, "0501", {"050100"}, false, "SOCKS5 proxy server error: auth type not supported"},
        {"credentials refused", true, "0502" "0101", {"050102", "0105616c69636506736563726574"}, false,
         "SOCKS5 proxy server error: auth error"},
        {"auth reply of the wrong version", true, "0502" "0500", {"050102", "0105616c69636506736563726574"}, false,
         "SOCKS5 proxy server error: auth error"},
        {"not a SOCKS5 proxy", false, "0400", {"050100"}, false, "Can't init proxy server"},
        {"connection refused by the destination", false, "0500" "05050001", {"050100", socks5Connect}, false,
         "SOCKS5 proxy server error: can't connect to destination host"},
    };
    for (const auto& c : cases) {
        CSocks5Handshake handshake(Localhost, 443, c.withAuth, "alice", "secret");
        Played played = Play(handshake, Unhex(c.proxy));
        EXPECT_EQ(played.sent, c.sent) << c.name;
        EXPECT_EQ(played.state, c.done ? CProxyHandshake::State::Done : CProxyHandshake::State::Failed) << c.name;
        EXPECT_EQ(played.text, c.text) << c.name;
        if (!c.done) {
            EXPECT_EQ(played.code, -1) << c.name;
        }
    }
}

TEST(Socks5Handshake, ReadsTheReplyByAddressTypeAndNotOneByteMore) {
    struct Case {
        const char* name;
        std::string reply;
        size_t length;
    } cases[] = {
        {"IPv4", "050000017f000001" "1f90", 10},
        {"domain", "0500000309" + ToHex("localhost") + "1f90", 16},
        {"empty domain", "050000030000" "50", 7},
        {"IPv6", "0500000400000000000000000000000000000001" "1f90", 22},
    };
    for (const auto& c : cases) {
        CSocks5Handshake handshake(Localhost, 443, false, "", "");
        std::string tunnel = "hello";
        Played played = Play(handshake, Unhex("0500" + c.reply) + tunnel);
        EXPECT_EQ(played.state, CProxyHandshake::State::Done) << c.name;
        EXPECT_EQ(played.consumed, 2 + c.length) << c.name;
    }
}

TEST(Socks5Handshake, UnknownAddressTypeFails) {
    CSocks5Handshake handshake(Localhost, 443, false, "", "");
    Played played = Play(handshake, Unhex("0500" "05000005ffffffffffffffff"));
    EXPECT_EQ(played.state, CProxyHandshake::State::Failed);
    EXPECT_EQ(played.text, "SOCKS5 proxy server error: can't connect to destination host");
}

TEST(Socks5Handshake, RefusesCredentialsLongerThan255BytesWithoutSendingThem) {
    struct Case {
        size_t login;
        size_t password;
        bool sent;
    } cases[] = {{255, 255, true}, {256, 1, false}, {1, 256, false}, {0, 0, true}};
    for (const auto& c : cases) {
        CSocks5Handshake handshake(Localhost, 443, true, std::string(c.login, 'l'), std::string(c.password, 'p'));
        Played played = Play(handshake, Unhex("0502" "0100" + socks5Ok));
        if (c.sent) {
            ASSERT_EQ(played.sent.size(), 3u);
            EXPECT_EQ(played.sent[1].size(), 2 * (3 + c.login + c.password));
            EXPECT_EQ(played.state, CProxyHandshake::State::Done);
        } else {
            EXPECT_EQ(played.sent.size(), 1u);
            EXPECT_EQ(played.text, "SOCKS5 proxy server error: auth error");
            EXPECT_EQ(played.code, -1);
        }
    }
}

// --- HTTP CONNECT --------------------------------------------------------------------

TEST(HttpConnectHandshake, RequestIsTheFixedTextWithOptionalBasicAuthorization) {
    CHttpConnectHandshake plain("example.org", 5222, "");
    EXPECT_EQ(std::string(plain.Pending().begin(), plain.Pending().end()),
              "CONNECT example.org:5222 HTTP/1.0\r\nConnection: Keep-Alive\r\nUser-agent: Mozilla/4.0\r\n\r\n");

    CHttpConnectHandshake withAuth("10.0.0.1", 443, "Ym9iOnNlY3JldA==");
    EXPECT_EQ(std::string(withAuth.Pending().begin(), withAuth.Pending().end()),
              "CONNECT 10.0.0.1:443 HTTP/1.0\r\nConnection: Keep-Alive\r\nUser-agent: Mozilla/4.0\r\n"
              "Proxy-Authorization: basic Ym9iOnNlY3JldA==\r\n\r\n");

    CHttpConnectHandshake v6("::1", 443, "");
    EXPECT_EQ(std::string(v6.Pending().begin(), v6.Pending().begin() + 21), "CONNECT [::1]:443 HTT");
}

TEST(HttpConnectHandshake, HostThatWouldAddHeadersIsRefused) {
    for (const char* host : {"evil\r\nX-Injected: 1", "a b", "", "tab\there"}) {
        CHttpConnectHandshake handshake(host, 443, "");
        EXPECT_EQ(handshake.GetState(), CProxyHandshake::State::Failed) << host;
        EXPECT_TRUE(handshake.Pending().empty());
        EXPECT_EQ(handshake.FailureText(), "Can't init proxy server");
    }
}

TEST(HttpConnectHandshake, StatusLineDecides) {
    struct Case {
        const char* reply;
        bool done;
        const char* text;
        int code;
    } cases[] = {
        {"HTTP/1.0 200 Connection established\r\nProxy-agent: tinyproxy\r\n\r\n", true, "", 0},
        {"HTTP/1.1 200 OK\r\n\r\n", true, "", 0},
        {"HTTP/1.1 204\r\n\r\n", true, "", 0},
        {"HTTP/1.0 200 OK\n\n", true, "", 0},
        {"HTTP/1.0 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic realm=\"x\"\r\n\r\n", false,
         "HTTP proxy server error 407", 407},
        {"HTTP/1.0 403 Forbidden\r\n", false, "HTTP proxy server error 403", 403},
        {"HTTP/1.1 502 Bad Gateway\r\n\r\n", false, "HTTP proxy server error 502", 502},
        {"HTTP/1.1 100 Continue\r\n\r\n", false, "HTTP proxy server error 100", 100},
        {"SSH-2.0-OpenSSH\r\n\r\n", false, "Can't init proxy server", -1},
        {"HTTP/1.0 2000 OK\r\n\r\n", false, "Can't init proxy server", -1},
        {"HTTP/1.0 20x OK\r\n\r\n", false, "Can't init proxy server", -1},
        {"HTTP/1.0 000 OK\r\n\r\n", false, "Can't init proxy server", -1},  // code 0 would mean connected
        {"HTTP/1.0 099 OK\r\n\r\n", false, "Can't init proxy server", -1},
        {"HTTP/1.0\r\n\r\n", false, "Can't init proxy server", -1},
        {"\r\n", false, "Can't init proxy server", -1},
        {"HTTP/1.0 200 OK\r\nVia: x\r\n", false, "Can't init proxy server", -1},  // closed before the blank line
    };
    for (const auto& c : cases) {
        CHttpConnectHandshake handshake("example.org", 443, "");
        Played played = Play(handshake, c.reply);
        EXPECT_EQ(played.state, c.done ? CProxyHandshake::State::Done : CProxyHandshake::State::Failed) << c.reply;
        EXPECT_EQ(played.text, c.text) << c.reply;
        EXPECT_EQ(played.code, c.code) << c.reply;
    }
}

TEST(HttpConnectHandshake, StopsAtTheBlankLineLeavingTheTunnelBytes) {
    std::string header = "HTTP/1.0 200 Connection established\r\nProxy-agent: tinyproxy/1.11.1\r\n\r\n";
    CHttpConnectHandshake handshake("example.org", 443, "");
    Played played = Play(handshake, header + "hello, first bytes of the tunnel\r\n\r\n");
    EXPECT_EQ(played.state, CProxyHandshake::State::Done);
    EXPECT_EQ(played.consumed, header.size());
}

TEST(HttpConnectHandshake, HeadersAreBoundedAt16KiB) {
    std::string endless = "HTTP/1.0 200 OK\r\n";
    while (endless.size() < 40000)
        endless += "X-Padding: " + std::string(100, 'x') + "\r\n";
    CHttpConnectHandshake handshake("example.org", 443, "");
    Played played = Play(handshake, endless);
    EXPECT_EQ(played.state, CProxyHandshake::State::Failed);
    EXPECT_EQ(played.text, "Can't init proxy server");
    EXPECT_EQ(played.consumed, CHttpConnectHandshake::MaxHeaderBytes);

    // A header just within the bound still opens the tunnel.
    std::string fits = "HTTP/1.0 200 OK\r\nX: " +
                       std::string(CHttpConnectHandshake::MaxHeaderBytes - 17 - 3 - 2 - 2, 'y') + "\r\n\r\n";
    ASSERT_EQ(fits.size(), CHttpConnectHandshake::MaxHeaderBytes);
    CHttpConnectHandshake second("example.org", 443, "");
    EXPECT_EQ(Play(second, fits).state, CProxyHandshake::State::Done);
}

// --- all of them ---------------------------------------------------------------------

// Every success reply, fed in pieces of every size, reads the same.
TEST(ProxyHandshakes, RepliesSplitAnywhereReadTheSame) {
    std::string http = "HTTP/1.1 200 Connection established\r\nProxy-agent: x\r\n\r\n";
    std::string socks5 = Unhex("0502" "0100" "0500000309") + "localhost" + Unhex("1f90");
    for (size_t step = 1; step <= 12; ++step) {
        CHttpConnectHandshake h("example.org", 443, "");
        Played ph = Play(h, http + "tail", step);
        EXPECT_EQ(ph.state, CProxyHandshake::State::Done) << step;
        EXPECT_EQ(ph.consumed, http.size()) << step;

        CSocks4Handshake s4(Localhost, 443, false, "");
        Played p4 = Play(s4, Unhex("005a000000000000") + "tail", step);
        EXPECT_EQ(p4.state, CProxyHandshake::State::Done) << step;
        EXPECT_EQ(p4.consumed, 8u) << step;

        CSocks5Handshake s5(Localhost, 443, true, "alice", "secret");
        Played p5 = Play(s5, socks5 + "tail", step);
        EXPECT_EQ(p5.state, CProxyHandshake::State::Done) << step;
        EXPECT_EQ(p5.consumed, socks5.size()) << step;
    }
}

TEST(ProxyHandshakes, IoFailureTakesTheTextOfTheStepItHitAndItsCode) {
    struct Case {
        const char* name;
        std::function<std::unique_ptr<CProxyHandshake>()> make;
        std::string before;  // proxy bytes that lead to the step
        const char* text;
    } cases[] = {
        {"HTTP", [] { return std::make_unique<CHttpConnectHandshake>("h", 1, ""); }, "", "Can't init proxy server"},
        {"SOCKS4", [] { return std::make_unique<CSocks4Handshake>(Localhost, 1, false, ""); }, "",
         "Can't init proxy server"},
        {"SOCKS5 greeting", [] { return std::make_unique<CSocks5Handshake>(Localhost, 1, true, "a", "b"); }, "",
         "Can't init proxy server"},
        {"SOCKS5 auth", [] { return std::make_unique<CSocks5Handshake>(Localhost, 1, true, "a", "b"); }, "0502",
         "SOCKS5 proxy server error: auth error"},
        {"SOCKS5 connect", [] { return std::make_unique<CSocks5Handshake>(Localhost, 1, true, "a", "b"); },
         "0502" "0100", "SOCKS5 proxy server error: can't connect to destination host"},
    };
    for (const auto& c : cases) {
        for (int code : {10054, 10060}) {
            auto handshake = c.make();
            Play(*handshake, Unhex(c.before));  // ends with the proxy hanging up
            EXPECT_EQ(handshake->FailureText(), c.text) << c.name;
            EXPECT_EQ(handshake->FailureCode(), -1) << c.name;

            auto again = c.make();
            std::string bytes = Unhex(c.before);
            size_t offset = 0;
            while (!again->Finished()) {
                if (again->GetState() == CProxyHandshake::State::Send) {
                    again->Sent();
                } else if (offset < bytes.size()) {
                    offset += again->Feed(reinterpret_cast<const uint8_t*>(bytes.data() + offset),
                                          std::min(again->Wanted(), bytes.size() - offset));
                } else {
                    again->IoFailed(code);
                }
            }
            EXPECT_EQ(again->FailureText(), c.text) << c.name;
            EXPECT_EQ(again->FailureCode(), code) << c.name;
        }
    }
}
