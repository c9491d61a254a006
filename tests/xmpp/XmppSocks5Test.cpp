// SOCKS5 bytestreams: the reply reader on every split, the stream's name,
// and both sides of a transfer against recording sockets.

#include "XmppFileTransferSupport.h"

#include <filesystem>

using namespace XmppTransferTest;

namespace {

using Result = XmppSocks5Reader::Result;

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int value : values)
        out.push_back(static_cast<char>(value));
    return out;
}

// Feeds greeting reply and connect reply as the reads given; the last
// verdict, and the bytes left over after the connect reply.
Result ReadReplies(const std::string& bytes, const std::vector<size_t>& reads, std::string& rest) {
    XmppSocks5Reader reader;
    Result result = Result::NeedMore;
    size_t at = 0;
    for (size_t read : reads) {
        const std::string block = bytes.substr(at, read);
        at += block.size();
        for (size_t off = 0; off < block.size();) {
            size_t used = 0;
            result = reader.Feed(reinterpret_cast<const uint8_t*>(block.data()) + off, block.size() - off, used);
            off += used;
            if (result == Result::Refused || reader.CurrentStep() == XmppSocks5Reader::Step::Done) {
                rest = block.substr(off) + bytes.substr(at);
                return result;
            }
        }
    }
    return result;
}

TEST(XmppSocks5Reader, ReadsRepliesByTheirLengthWhateverTheReads) {
    const std::string greeting = Bytes({5, 0});
    const std::string ipv4 = Bytes({5, 0, 0, 1, 127, 0, 0, 1, 0x1f, 0x90});
    const std::string domain = Bytes({5, 0, 0, 3, 3}) + "abc" + Bytes({0, 0});
    const std::string ipv6 = Bytes({5, 0, 0, 4}) + std::string(16, '\0') + Bytes({0, 80});
    const struct {
        const char* what;
        std::string bytes;
        std::vector<size_t> reads;
        Result result;
        std::string rest;
    } cases[] = {
        {"whole, file bytes behind", greeting + ipv4 + "DATA", {100}, Result::Accepted, "DATA"},
        {"a byte at a time", greeting + domain, std::vector<size_t>(12, 1), Result::Accepted, ""},
        {"greeting and connect split anywhere", greeting + ipv6 + "x", {1, 3, 7, 20}, Result::Accepted, "x"},
        {"connect reply incomplete", greeting + domain.substr(0, 6), {100}, Result::NeedMore, ""},
        {"three-byte greeting reply: its third byte starts a bad connect reply", Bytes({5, 0, 0}) + ipv4, {3, 100},
         Result::Refused, ""},
        {"greeting refused", Bytes({5, 0xff}), {2}, Result::Refused, ""},
        {"connect refused", greeting + Bytes({5, 1, 0, 1, 0, 0, 0, 0, 0, 0}), {100}, Result::Refused, ""},
        {"unknown address type", greeting + Bytes({5, 0, 0, 0, 0, 0}), {100}, Result::Refused, ""},
    };
    for (const auto& c : cases) {
        std::string rest;
        EXPECT_EQ(ReadReplies(c.bytes, c.reads, rest), c.result) << c.what;
        if (c.result == Result::Accepted) {
            EXPECT_EQ(rest, c.rest) << c.what;
        }
    }
}

TEST(XmppSocks5Reader, TheStreamIsNamedByTheDigestOfSidAndLowerCasedBareJids) {
    const std::string request =
        XmppSocks5::ConnectRequest(U("s1"), U("ME@Example.ORG/Yol"), U("Bob@example.org/Phone"));
    EXPECT_EQ(request, Bytes({5, 1, 0, 3, 40}) + "12f1580e5f1e006794e181644f73f0029372a9d2" + Bytes({0, 0}));
    EXPECT_EQ(XmppSocks5::NormalizeJid(U("Server.Example")).ToUtf8(), "Server.Example");
}

struct IncomingSocks5 : TransferFixture {
    IncomingSocks5() {
        Receive(Offer("12345678", "a.bin", "6", {kIbb, kSocks5}));
        transfers.AcceptFile(bob, U("a.bin"), U(PathOf("a.bin")));
        Receive("<iq type='set' from='bob@example.org/Phone' id='h1'><query xmlns='http://jabber.org/protocol/"
                "bytestreams' sid='12345678'><streamhost jid='near' host='10.0.0.1'/><streamhost jid='proxy.example.org' "
                "host='127.0.0.1' port='7777'/></query></iq>");
        sink.Take();
        ports.TakeReports();
    }
    void Feed(const std::string& bytes) {
        transfers.OnSocketData(1, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
};

TEST_F(IncomingSocks5, ConnectsToTheFirstUsableHostAndTakesTheFileBehindTheReplies) {
    EXPECT_EQ(sockets.TakeLog(), Lines{"connect 127.0.0.1:7777"});
    transfers.OnSocketConnected(1, 0);
    EXPECT_EQ(sockets.TakeSent(1), Bytes({5, 1, 0}));
    Feed(Bytes({5}));
    Feed(Bytes({0}));
    // Initiator is the peer, target our bound JID.
    EXPECT_EQ(sockets.TakeSent(1), Bytes({5, 1, 0, 3, 40}) + "03b0ade02b4c51d2adbb55c891817283d540db5d" + Bytes({0, 0}));
    Feed(Bytes({5, 0, 0, 3, 3}) + "abc" + Bytes({0, 0}) + "file");
    EXPECT_EQ(sink.Take(), Lines{"<iq type='result' to='bob@example.org/Phone' id='h1'><query xmlns='http://jabber.org/"
                                 "protocol/bytestreams'><streamhost-used jid='proxy.example.org'/></query></iq>"});
    Feed("!!");
    EXPECT_EQ(ports.TakeReports(), (Lines{"1 a.bin 4/6 first", "1 a.bin 6/6", "2 a.bin 6/6"}));
    EXPECT_EQ(sockets.TakeLog(), Lines{"close 1"});
    EXPECT_EQ(ReadText(PathOf("a.bin")), "file!!");
}

TEST_F(IncomingSocks5, FailuresOfTheStreamEndTheTransferAndLeaveNoFile) {
    ExpectEachFailsLeavingNothing<IncomingSocks5>({
        {"connect failed", [](IncomingSocks5& t) { t.transfers.OnSocketConnected(1, 10061); }},
        {"greeting refused", [](IncomingSocks5& t) { t.transfers.OnSocketConnected(1, 0); t.Feed(Bytes({5, 0xff})); }},
        {"closed before the end",
         [](IncomingSocks5& t) {
             t.transfers.OnSocketConnected(1, 0);
             t.Feed(Bytes({5, 0, 5, 0, 0, 1, 1, 2, 3, 4, 0, 0}) + "fil");
             t.transfers.OnSocketClosed(1, 0);
         }},
        {"more than offered",
         [](IncomingSocks5& t) {
             t.transfers.OnSocketConnected(1, 0);
             t.Feed(Bytes({5, 0, 5, 0, 0, 1, 1, 2, 3, 4, 0, 0}) + "file!!!");
         }},
    }, "a.bin");
}

// Our offer of a.bin over a SOCKS5 stream through the proxy.
struct OutgoingSocks5 : TransferFixture {
    // Offers `content` and answers every step up to the proxy's activation,
    // which hands the first chunk over.
    void Activated(const std::string& content) {
        ports.proxy = "proxy.example.org";
        transfers.SendFile(bob, U(Put("a.bin", content)));
        const std::string offer = sink.Take().at(0);
        const size_t sidAt = offer.find(" id='", offer.find("<si ")) + 5;
        const std::string sid = offer.substr(sidAt, 8);
        Answer(1, "<iq type='result' from='bob@example.org' id='yol_1'><si xmlns='http://jabber.org/protocol/si'><feature "
                  "xmlns='http://jabber.org/protocol/feature-neg'><x xmlns='jabber:x:data' type='submit'><field "
                  "var='stream-method'><value>" + std::string(kSocks5) + "</value></field></x></feature></si></iq>");
        EXPECT_EQ(sink.Take(), Lines{"<iq type='get' to='proxy.example.org' id='yol_2'><query "
                                     "xmlns='http://jabber.org/protocol/bytestreams'/></iq>"});
        Answer(2, "<iq type='result' from='proxy.example.org' id='yol_2'><query xmlns='http://jabber.org/protocol/"
                  "bytestreams'><streamhost jid='proxy.example.org' host='127.0.0.1' port='7777'/></query></iq>");
        EXPECT_EQ(sink.Take(), Lines{"<iq type='set' to='bob@example.org' id='yol_3'><query xmlns='http://jabber.org/"
                                     "protocol/bytestreams' sid='" + sid + "'><streamhost jid='proxy.example.org' "
                                     "host='127.0.0.1' port='7777'/></query></iq>"});
        Answer(3, "<iq type='result' from='bob@example.org' id='yol_3'/>");
        EXPECT_EQ(sockets.TakeLog(), Lines{"connect 127.0.0.1:7777"});
        transfers.OnSocketConnected(1, 0);
        const std::string greetingReply = Bytes({5, 0});
        transfers.OnSocketData(1, reinterpret_cast<const uint8_t*>(greetingReply.data()), greetingReply.size());
        // We initiate: our bound JID first.
        const std::string expectedName = XmppSocks5::ConnectRequest(U(sid), U("me@example.org/Yol"), U("bob@example.org"));
        EXPECT_EQ(sockets.TakeSent(1), Bytes({5, 1, 0}) + expectedName);
        const std::string connectReply = Bytes({5, 0, 0, 1, 127, 0, 0, 1, 0, 0});
        transfers.OnSocketData(1, reinterpret_cast<const uint8_t*>(connectReply.data()), connectReply.size());
        EXPECT_EQ(sink.Take(), Lines{"<iq type='set' to='proxy.example.org' id='yol_4'><query xmlns='http://jabber.org/"
                                     "protocol/bytestreams' sid='" + sid + "'><activate>bob@example.org</activate></query></iq>"});
        // Send results before activation move nothing.
        transfers.OnSocketSendResult(1, 0);
        EXPECT_TRUE(sockets.TakeSent(1).empty());
        Answer(4, "<iq type='result' from='proxy.example.org' id='yol_4'/>");
    }
};

TEST_F(OutgoingSocks5, SendingThroughTheProxyActivatesTheStreamAndPumpsOnSendResults) {
    const std::string content = Pattern(5000);
    Activated(content);
    for (int i = 0; i < 3; ++i)
        transfers.OnSocketSendResult(1, 0);
    EXPECT_EQ(sockets.TakeSent(1), content);
    EXPECT_EQ(ports.TakeReports(), (Lines{"1 a.bin 2048/5000 first out", "1 a.bin 4096/5000 out",
                                          "1 a.bin 5000/5000 out", "2 a.bin 5000/5000 out"}));
    EXPECT_EQ(sockets.TakeLog(), Lines{"close 1"});
    EXPECT_EQ(transfers.SessionCount(), 0u);
}

TEST(OutgoingSocks5Close, TheReceiversCloseEndsTheSendingAsDoneOnlyOnceEveryByteWasHandedOver) {
    // 5000 bytes go in three chunks, each after the last one's send result.
    const std::string content = Pattern(5000);
    const struct {
        const char* name;
        int sendResults;  // after the activation, before the close
        std::string lastReport;
    } cases[] = {
        // The receiver had it all and hung up; the close outran the send result.
        {"the close before the last chunk's send result", 2, "2 a.bin 5000/5000 out"},
        {"the close with a chunk still to go", 1, "4 a.bin 4096/5000 out"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh<OutgoingSocks5> t;
        t.Activated(content);
        for (int i = 0; i < c.sendResults; ++i)
            t.transfers.OnSocketSendResult(1, 0);
        EXPECT_EQ(t.sockets.TakeSent(1), content.substr(0, 2048 * (c.sendResults + 1)));
        t.transfers.OnSocketClosed(1, 0);
        // The send result that comes after it finds nothing to go on with.
        t.transfers.OnSocketSendResult(1, 0);
        EXPECT_TRUE(t.sockets.TakeSent(1).empty());
        EXPECT_EQ(t.transfers.SessionCount(), 0u);
        const Lines reports = t.ports.TakeReports();
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.back(), c.lastReport);
        EXPECT_EQ(ReadText(t.PathOf("a.bin")), content);
    }
}

TEST_F(TransferFixture, AProxyWithoutAStreamHostOrAFailedSendEndsTheTransferWithAReport) {
    ports.proxy = "proxy.example.org";
    transfers.SendFile(bob, U(Put("a.bin", "12345")));
    Answer(1, "<iq type='result' from='bob@example.org' id='yol_1'><si xmlns='http://jabber.org/protocol/si'><feature "
              "xmlns='http://jabber.org/protocol/feature-neg'><x xmlns='jabber:x:data'><field var='stream-method'>"
              "<value>" + std::string(kSocks5) + "</value></field></x></feature></si></iq>");
    Answer(2, "<iq type='result' from='proxy.example.org' id='yol_2'><query xmlns='http://jabber.org/protocol/"
              "bytestreams'><streamhost jid='proxy.example.org' host='127.0.0.1'/></query></iq>");
    EXPECT_EQ(ports.TakeReports(), Lines{"4 a.bin 0/5 out"});
    EXPECT_EQ(transfers.SessionCount(), 0u);
}

}  // namespace
