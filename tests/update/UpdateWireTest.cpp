// The reply head, the range of a partial reply, the version text and the
// request line, as the exchanges read and write them.

#include "CYolHttpExchange.h"
#include "CSocketsManager.h"
#include "UpdateReply.h"

#include <gtest/gtest.h>

using namespace UpdateWire;

TEST(UpdateReplyHead, ReadsStatusLengthAndRange) {
    const std::string reply =
        "HTTP/1.1 206 Partial Content\r\ncontent-length: 60\r\nContent-Range: bytes 40-99/100\r\n\r\nBODY";
    const ReplyHead head = ParseReplyHead(reply);
    ASSERT_TRUE(head.complete);
    ASSERT_TRUE(head.valid);
    EXPECT_EQ(head.status, 206);
    EXPECT_TRUE(head.hasLength);
    EXPECT_EQ(head.length, 60u);
    ASSERT_TRUE(head.hasRange);
    EXPECT_EQ(head.first, 40u);
    EXPECT_EQ(head.last, 99u);
    EXPECT_EQ(head.total, 100u);
    EXPECT_EQ(reply.substr(head.bodyOffset), "BODY");
}

TEST(UpdateReplyHead, RefusesWhatIsNotAUsableReply) {
    struct Case {
        const char* what;
        const char* reply;
        bool complete;
    } cases[] = {
        {"head not ended", "HTTP/1.0 200 OK\r\nContent-Length: 3\r\n", false},
        {"not HTTP", "ICY 200 OK\r\n\r\n", true},
        {"status not three digits", "HTTP/1.0 20 OK\r\n\r\n", true},
        {"status runs on", "HTTP/1.0 2000 OK\r\n\r\n", true},
        {"length with letters", "HTTP/1.0 200 OK\r\nContent-Length: 12x\r\n\r\n", true},
        {"length empty", "HTTP/1.0 200 OK\r\nContent-Length:\r\n\r\n", true},
        {"length too long to be true", "HTTP/1.0 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n", true},
        {"two lengths that differ", "HTTP/1.0 200 OK\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\n", true},
        {"a line without a colon", "HTTP/1.0 200 OK\r\nnonsense\r\n\r\n", true},
        {"range end before start", "HTTP/1.0 206 P\r\nContent-Range: bytes 9-3/10\r\n\r\n", true},
        {"range past the total", "HTTP/1.0 206 P\r\nContent-Range: bytes 0-10/10\r\n\r\n", true},
        {"range of another unit", "HTTP/1.0 206 P\r\nContent-Range: items 0-1/10\r\n\r\n", true},
        {"range with unknown total", "HTTP/1.0 206 P\r\nContent-Range: bytes 0-1/*\r\n\r\n", true},
    };
    for (const Case& c : cases) {
        const ReplyHead head = ParseReplyHead(c.reply);
        EXPECT_EQ(head.complete, c.complete) << c.what;
        EXPECT_FALSE(head.valid) << c.what;
    }
}

TEST(UpdateVersionText, TakesDigitsAloneAndRefusesGarbage) {
    struct Case {
        const char* body;
        bool ok;
        unsigned int version;
    } cases[] = {
        {"2200", true, 2200},   {"2200\r\n", true, 2200}, {"7 \n", true, 7},
        {"", false, 0},         {"abc", false, 0},        {"2200abc", false, 0},
        {"22 00", false, 0},    {"-5", false, 0},         {"1234567890", false, 0},
        {"<html>", false, 0},   {" 2200", false, 0},
    };
    for (const Case& c : cases) {
        unsigned int version = 12345;
        EXPECT_EQ(ParseVersionText(c.body, version), c.ok) << c.body;
        if (c.ok) {
            EXPECT_EQ(version, c.version) << c.body;
        }
    }
}

TEST(UpdateRequest, IsOneGetWithTheRangeWhenResuming) {
    EXPECT_EQ(BuildGet("/newpda_ppc.php", "User-Agent: X", "yol.example.org", 80, 0),
              "GET /newpda_ppc.php HTTP/1.0\r\nAccept: */*\r\nUser-Agent: X\r\nHost: yol.example.org\r\n\r\n");
    EXPECT_EQ(BuildGet("/pda/yolpda2200.cab", "User-Agent: X", "127.0.0.1", 8080, 40000),
              "GET /pda/yolpda2200.cab HTTP/1.0\r\nAccept: */*\r\nUser-Agent: X\r\nRange: bytes=40000-\r\n"
              "Host: 127.0.0.1:8080\r\n\r\n");
}

TEST(UpdateRequest, HostsAndPathsThatCouldBreakTheRequestAreRefused) {
    EXPECT_TRUE(IsRequestHost("yol.example.org"));
    EXPECT_FALSE(IsRequestHost("evil.org\r\nX: y"));
    EXPECT_FALSE(IsRequestHost(""));
    EXPECT_TRUE(IsRequestPath("/pda/yolpda%d.cab"));
    EXPECT_FALSE(IsRequestPath("/a b"));
    EXPECT_FALSE(IsRequestPath("relative"));
}

TEST(UpdateRoute, NamesTheProxyButNeverItsPassword) {
    Sockets::ConnectionSettings settings;
    settings.host = u"yol.example.org";
    settings.port = 80;
    EXPECT_EQ(UI::CYolHttpExchange::DescribeRoute(settings), "yol.example.org:80");
    settings.proxyType = Sockets::ProxyType::Socks5;
    settings.proxyHost = u"proxy.lan";
    settings.proxyPort = 1080;
    settings.proxyAuth = 1;
    settings.proxyLogin = u"bob";
    settings.proxyPassword = u"hunter2";
    const std::string route = UI::CYolHttpExchange::DescribeRoute(settings);
    EXPECT_EQ(route, "yol.example.org:80 through SOCKS5 proxy bob:******@proxy.lan:1080");
    EXPECT_EQ(route.find("hunter2"), std::string::npos);
}
