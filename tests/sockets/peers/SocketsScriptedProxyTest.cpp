// The three proxy handshakes against the scripted proxy: the exact bytes
// sent, replies split across reads, refusals, odd address types, silence and
// hang-ups, each with the event sequence the owner sees.

#include "PeerSupport.h"

#include <gtest/gtest.h>

using namespace Sockets;
using namespace SocketsTest;

namespace {

const std::vector<std::string> proxyPrefix = {"8 Connect to network", "8 Address translation", "8 Connect to 127.0.0.1",
                                              "8 Init proxy server"};

std::string HttpRequest(bool auth) {
    return ToHex(
        std::string("CONNECT 127.0.0.1:443 HTTP/1.0\r\nConnection: Keep-Alive\r\nUser-agent: Mozilla/4.0\r\n") +
        (auth ? "Proxy-Authorization: basic Ym9iOnNlY3JldA==\r\n" : "") + "\r\n");
}

const std::string socks4Request = "040101bb7f00000100";
const std::string socks4RequestBob = "040101bb7f000001626f6200";
const std::string socks5Connect = "050100017f00000101bb";
const std::string socks5Auth = "0103626f6206736563726574";  // bob / secret

struct Case {
    const char* name;
    unsigned int proxyType;
    bool auth;
    std::vector<std::string> steps;
    std::vector<std::string> tail;  // after the proxy prefix
    std::string data;               // what the owner reads after connecting
    bool proxyCompletes = true;     // the proxy's script runs to its end
};

void RunCase(const Case& c, int handshakeTimeoutMs = 5000) {
    SCOPED_TRACE(c.name);
    ScriptedProxy proxy(c.steps);
    ASSERT_NE(proxy.Port(), 0u) << "the scripted proxy did not start";
    SocketOptions options = ServiceRig::QuickOptions();
    options.handshakeTimeoutMs = handshakeTimeoutMs;
    ServiceRig rig(options);
    CYolSocket* socket = rig.sockets->CreateSocket(ServiceRig::Owner);
    ConnectionSettings settings = ServiceRig::Via(c.proxyType, proxy.Port(), "127.0.0.1", 443);
    if (c.auth) {
        settings.proxyAuth = 1;
        settings.proxyLogin = u"bob";
        settings.proxyPassword = u"secret";
    }
    rig.sockets->Connect(socket, settings);
    ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::ConnectResult, 1, handshakeTimeoutMs + 5000));
    std::vector<std::string> expected = proxyPrefix;
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    if (!c.data.empty()) {
        EXPECT_EQ(rig.ReadFor(socket, c.data.size()), c.data);
    }
    rig.sockets->DestroySocket(socket);
    auto sequence = rig.Sequence(socket);
    if (!sequence.empty() && sequence.back() == "3 0")
        sequence.pop_back();
    EXPECT_EQ(sequence, expected);
    std::string report = proxy.Report();
    EXPECT_EQ(report.find("FAIL"), std::string::npos) << report;
    if (c.proxyCompletes) {
        EXPECT_NE(report.find("DONE 1"), std::string::npos) << report;
    }
}

}  // namespace

TEST(SocketsScriptedProxy, HttpConnect) {
    std::string ok = ToHex("HTTP/1.0 200 Connection established\r\nProxy-agent: scripted\r\n\r\n");
    Case cases[] = {
        {"reply and tunnel bytes in one segment", ProxyType::Http, false,
         {"expect=" + HttpRequest(false), "send=" + ok + ToHex("hello"), "silent"}, {"2 0"}, "hello"},
        {"reply split into single bytes", ProxyType::Http, false,
         {"expect=" + HttpRequest(false), "split=" + ok, "send=" + ToHex("hello"), "silent"}, {"2 0"}, "hello"},
        {"basic authorization", ProxyType::Http, true,
         {"expect=" + HttpRequest(true), "text=HTTP/1.1 200 OK\\r\\n\\r\\n", "silent"}, {"2 0"}, ""},
        {"authentication required", ProxyType::Http, false,
         {"expect=" + HttpRequest(false),
          "text=HTTP/1.0 407 Proxy Authentication Required\\r\\nProxy-Authenticate: Basic realm=\"x\"\\r\\n\\r\\n",
          "silent"},
         {"9 HTTP proxy server error 407", "2 407"}, ""},
        {"not an HTTP proxy", ProxyType::Http, false, {"expect=" + HttpRequest(false), "text=SSH-2.0-x\\r\\n", "silent"},
         {"9 Can't init proxy server", "2 -1"}, ""},
        {"hang-up inside the headers", ProxyType::Http, false,
         {"expect=" + HttpRequest(false), "text=HTTP/1.0 200 OK\\r\\nVia: x\\r\\n", "close"},
         {"9 Can't init proxy server", "2 -1"}, ""},
        {"reset before any reply", ProxyType::Http, false, {"expect=" + HttpRequest(false), "reset"},
         {"9 Can't init proxy server", "2 10054"}, ""},
    };
    for (const auto& c : cases)
        RunCase(c);
}

TEST(SocketsScriptedProxy, Socks4) {
    Case cases[] = {
        {"granted, reply split", ProxyType::Socks4, false,
         {"expect=" + socks4Request, "split=005a000000000000", "send=" + ToHex("hello"), "silent"}, {"2 0"}, "hello"},
        {"user id sent when a login is set", ProxyType::Socks4, true,
         {"expect=" + socks4RequestBob, "send=005a000000000000" + ToHex("hello"), "silent"}, {"2 0"}, "hello"},
        {"rejected", ProxyType::Socks4, false, {"expect=" + socks4Request, "send=005b000000000000", "silent"},
         {"9 SOCKS4 proxy server error", "2 -1"}, ""},
        {"hang-up inside the reply", ProxyType::Socks4, false, {"expect=" + socks4Request, "send=005a00", "close"},
         {"9 Can't init proxy server", "2 -1"}, ""},
    };
    for (const auto& c : cases)
        RunCase(c);
}

TEST(SocketsScriptedProxy, Socks5) {
    std::string domainReply = "0500000309" + ToHex("localhost") + "1f90";
    std::string v6Reply = "0500000400000000000000000000000000000001" "1f90";
    Case cases[] = {
        {"no authentication, domain reply split", ProxyType::Socks5, false,
         {"expect=050100", "split=0500", "expect=" + socks5Connect, "split=" + domainReply, "send=" + ToHex("hello"),
          "silent"},
         {"2 0"}, "hello"},
        {"IPv6 reply with tunnel bytes behind it", ProxyType::Socks5, false,
         {"expect=050100", "send=0500", "expect=" + socks5Connect, "send=" + v6Reply + ToHex("hello"), "silent"},
         {"2 0"}, "hello"},
        {"user name and password", ProxyType::Socks5, true,
         {"expect=050102", "send=0502", "expect=" + socks5Auth, "send=0100", "expect=" + socks5Connect,
          "send=050000017f0000011f90", "silent"},
         {"2 0"}, ""},
        {"proxy waives the password", ProxyType::Socks5, true,
         {"expect=050102", "send=0500", "expect=" + socks5Connect, "send=050000017f0000011f90", "silent"}, {"2 0"},
         ""},
        {"no acceptable method", ProxyType::Socks5, true, {"expect=050102", "send=05ff", "silent"},
         {"9 SOCKS5 proxy server error: auth type not supported", "2 -1"}, ""},
        {"password wanted but none configured", ProxyType::Socks5, false, {"expect=050100", "send=0502", "silent"},
         {"9 SOCKS5 proxy server error: auth type not supported", "2 -1"}, ""},
        {"credentials refused", ProxyType::Socks5, true,
         {"expect=050102", "send=0502", "expect=" + socks5Auth, "send=0101", "silent"},
         {"9 SOCKS5 proxy server error: auth error", "2 -1"}, ""},
        {"destination unreachable", ProxyType::Socks5, false,
         {"expect=050100", "send=0500", "expect=" + socks5Connect, "send=050400017f0000010000", "silent"},
         {"9 SOCKS5 proxy server error: can't connect to destination host", "2 -1"}, ""},
        {"hang-up during the auth step", ProxyType::Socks5, true,
         {"expect=050102", "send=0502", "expect=" + socks5Auth, "close"},
         {"9 SOCKS5 proxy server error: auth error", "2 -1"}, ""},
        {"hang-up inside the connect reply", ProxyType::Socks5, false,
         {"expect=050100", "send=0500", "expect=" + socks5Connect, "send=0500000309", "close"},
         {"9 SOCKS5 proxy server error: can't connect to destination host", "2 -1"}, ""},
    };
    for (const auto& c : cases)
        RunCase(c);
}

TEST(SocketsScriptedProxy, SilentProxyTimesOutInEachStep) {
    Case cases[] = {
        {"HTTP, no reply", ProxyType::Http, false, {"expect=" + HttpRequest(false), "silent"},
         {"9 Can't init proxy server", "2 10060"}, ""},
        {"HTTP, headers never end", ProxyType::Http, false,
         {"expect=" + HttpRequest(false), "text=HTTP/1.0 200 OK\\r\\n", "silent"},
         {"9 Can't init proxy server", "2 10060"}, ""},
        {"SOCKS4", ProxyType::Socks4, false, {"expect=" + socks4Request, "silent"},
         {"9 Can't init proxy server", "2 10060"}, ""},
        {"SOCKS5 greeting", ProxyType::Socks5, false, {"expect=050100", "silent"},
         {"9 Can't init proxy server", "2 10060"}, ""},
        {"SOCKS5 auth", ProxyType::Socks5, true, {"expect=050102", "send=0502", "expect=" + socks5Auth, "silent"},
         {"9 SOCKS5 proxy server error: auth error", "2 10060"}, ""},
        {"SOCKS5 connect", ProxyType::Socks5, false,
         {"expect=050100", "send=0500", "expect=" + socks5Connect, "silent"},
         {"9 SOCKS5 proxy server error: can't connect to destination host", "2 10060"}, ""},
    };
    for (const auto& c : cases)
        RunCase(c, 400);
}
