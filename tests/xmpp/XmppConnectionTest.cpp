// The byte layer of an account: connecting, the receive buffer feeding the
// parser, the send path and stream compression.

#include "XmppAccountHarness.h"
#include "XmppCompression.h"
#include "XmppConnection.h"
#include "XmppTestZlib.h"

#include <gtest/gtest.h>

using namespace XmppTest;

namespace {

// What the connection reads, as lines; a "success" ends the stream from
// inside its delivery, as the login does.
class StreamLog final : public MXmppStreamReader {
public:
    void OnStreamHeader(const XmlNode& header) override {
        const CYolString* id = header.GetAttr("id");
        lines.push_back("header " + (id ? id->ToUtf8() : std::string()));
    }
    void OnStanza(const XmlNode& element) override {
        lines.push_back(element.Name());
        if (element.Name() == "success")
            connection->ResetStream();
    }
    void OnStanzaDropped(const XmlNode& element) override { lines.push_back("dropped " + element.Name()); }

    XmppConnection* connection = nullptr;
    std::vector<std::string> lines;
};

// The connection alone on the recording sockets: no account, no threads.
TEST(XmppConnectionAlone, StreamEndedDuringADeliveryHandsTheRestToTheNewStreamWhateverTheSplit) {
    const std::string input = "<stream:stream id='s1'><success/><stream:stream id='s2'><stream:features/>";
    for (size_t piece : {size_t{1}, size_t{5}, input.size()}) {
        SCOPED_TRACE(piece);
        RecordingSockets sockets;
        StreamLog log;
        XmppConnection connection(log, [&sockets] { return &sockets; });
        log.connection = &connection;
        ASSERT_EQ(connection.Open(7, U("example.org"), 5222, false), 0);
        connection.OnConnected();
        for (size_t at = 0; at < input.size(); at += piece) {
            const std::string part = input.substr(at, piece);
            sockets.Queue(part);
            ASSERT_EQ(connection.OnData(static_cast<int>(part.size())), XmppConnection::ReadResult::Ok);
        }
        EXPECT_EQ(log.lines, (std::vector<std::string>{"header s1", "success", "header s2", "stream:features"}));
    }
}

class XmppConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.SetValue("SrvLogName", "alice@example.org");
        h.Init();
    }
    // A ping from a contact; the account answers it with a result.
    static std::string Ping(const std::string& id) {
        return "<iq type='get' id='" + id + "' from='bob@example.org/pc'><ping xmlns='urn:xmpp:ping'/></iq>";
    }
    XmppAccountHarness h;
};

TEST_F(XmppConnectionTest, ConnectUsesTheAccountHostAndReportsConnecting) {
    h.SetValue("SrvSpecString2", "xmpp.example.org");
    h.SetDword("SrvSpecDword2", 5223);
    h.SetByte("SrvSpecBool1", 1);
    h.Command(Protocols::AccountCommand::ReloadSettings);
    h.SetStatus(Protocols::Away);
    ASSERT_EQ(h.sockets.connects.size(), 1u);
    EXPECT_EQ(h.sockets.connects[0].settings.host.ToUtf8(), "xmpp.example.org");
    EXPECT_EQ(h.sockets.connects[0].settings.port, 5223u);
    EXPECT_EQ(h.sockets.connects[0].settings.secure, 1u);
    auto changes = h.Events(Protocols::AccountEvent::StatusChanged);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].status.status, Protocols::Connecting);
    EXPECT_EQ(changes[0].account, XmppAccountHarness::kAccountId);
    // Connecting reads as connecting, whatever was asked for.
    EXPECT_EQ(h.GetStatus(), Protocols::Connecting);
}

TEST_F(XmppConnectionTest, ConnectFailuresLeaveTheAccountOffline) {
    h.sockets.connectResult = -7;
    h.SetStatus(Protocols::Online);
    EXPECT_EQ(h.GetStatus(), Protocols::Offline);
    EXPECT_TRUE(h.Events().empty());
    h.sockets.connectResult = 0;
    h.sockets.failCreate = true;
    h.SetStatus(Protocols::Online);
    EXPECT_EQ(h.GetStatus(), Protocols::Offline);
    EXPECT_TRUE(h.Events().empty());
}

TEST_F(XmppConnectionTest, FailedConnectResultReconnectsUnlessItIsMinus3) {
    struct Case {
        int code;
        bool reconnects;
    } cases[] = {{-3, false}, {-1, true}, {10061, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        h.SetStatus(Protocols::Online);
        h.Connected(c.code);
        EXPECT_EQ(h.GetStatus(), Protocols::Offline);
        EXPECT_EQ(h.account->IsReconnectPending(), c.reconnects);
        EXPECT_EQ(h.sockets.LiveSockets(), 0);
        h.SetStatus(Protocols::Offline);  // cancels the wait
        EXPECT_FALSE(h.account->IsReconnectPending());
    }
}

TEST_F(XmppConnectionTest, ConnectedSendsTheStreamHeader) {
    h.SetStatus(Protocols::Online);
    h.Connected();
    std::string sent = h.TakeSent();
    EXPECT_EQ(sent.rfind("<?xml version='1.0' encoding='UTF-8'?><stream:stream", 0), 0u) << sent;
    EXPECT_NE(sent.find("to='example.org'"), std::string::npos) << sent;
}

TEST_F(XmppConnectionTest, DataWhileOfflineIsIgnored) {
    h.SetStatus(Protocols::Online);
    h.SetStatus(Protocols::Offline);
    h.sockets.Queue(Ping("p1"));
    h.SocketEvent(Sockets::SocketEvent::DataAvailable, new CEventArg_Data<int>(10));
    EXPECT_EQ(h.TakeSent(), "");
}

TEST_F(XmppConnectionTest, StanzaSplitAtEveryByteIsHandledOnceWhenComplete) {
    ASSERT_EQ(h.GoOnline(), Protocols::Online);
    std::string ping = Ping("p1");
    h.ReceiveInPieces(ping.substr(0, ping.size() - 1), 1);
    EXPECT_EQ(h.TakeSent(), "");
    h.Receive(ping.substr(ping.size() - 1) + Ping("p2"));
    std::string sent = h.TakeSent();
    EXPECT_NE(sent.find("id='p1'"), std::string::npos) << sent;
    EXPECT_NE(sent.find("id='p2'"), std::string::npos) << sent;
}

TEST_F(XmppConnectionTest, StanzaLargerThanTheBufferGrowsItUntilItFits) {
    ASSERT_EQ(h.GoOnline(), Protocols::Online);
    std::string id(20000, 'x');
    h.ReceiveInPieces(Ping(id), 1500);
    EXPECT_NE(h.TakeSent().find("id='" + id + "'"), std::string::npos);
}

TEST_F(XmppConnectionTest, EachDataEventReadsOnlyTheBytesItAnnounced) {
    ASSERT_EQ(h.GoOnline(), Protocols::Online);
    // The second chunk is the one a flood keeps adding to: until its own
    // event comes, the account leaves it queued and other events go first.
    std::string first = Ping("p1") + Ping(std::string(5000, 'x'));
    std::string second = Ping("p2");
    h.sockets.Queue(first);
    h.sockets.Queue(second);
    h.SocketEvent(Sockets::SocketEvent::DataAvailable, new CEventArg_Data<int>(static_cast<int>(first.size())));
    std::string sent = h.TakeSent();
    EXPECT_NE(sent.find("id='p1'"), std::string::npos) << sent;
    EXPECT_NE(sent.find("id='" + std::string(5000, 'x') + "'"), std::string::npos);
    EXPECT_EQ(sent.find("id='p2'"), std::string::npos) << sent;
    EXPECT_EQ(h.sockets.Pending(), second.size());
    h.SocketEvent(Sockets::SocketEvent::DataAvailable, new CEventArg_Data<int>(static_cast<int>(second.size())));
    EXPECT_NE(h.TakeSent().find("id='p2'"), std::string::npos);
    EXPECT_EQ(h.sockets.Pending(), 0u);
}

TEST_F(XmppConnectionTest, MalformedStreamDropsTheConnection) {
    ASSERT_EQ(h.GoOnline(), Protocols::Online);
    h.Receive(std::string("<iq type='get'\0", 15));
    EXPECT_EQ(h.GetStatus(), Protocols::Offline);
    EXPECT_EQ(h.sockets.LiveSockets(), 0);
    EXPECT_TRUE(h.account->IsReconnectPending());
}

// ------------------------------------------------------------------ compression

class XmppCompressionTest : public XmppConnectionTest {
protected:
    void SetUp() override {
        h.SetValue("SrvLogName", "alice@example.org");
        h.SetByte("Compression", 1);
        h.Init();
        h.SetStatus(Protocols::Online);
        h.Connected();
        h.Receive(std::string(XmppAccountHarness::kServerHeader) +
                  "<stream:features><compression xmlns='http://jabber.org/features/compress'>"
                  "<method>zlib</method></compression></stream:features>");
        std::string sent = h.TakeSent();
        ASSERT_NE(sent.find("<compress xmlns='http://jabber.org/protocol/compress'><method>zlib</method>"),
                  std::string::npos)
            << sent;
        h.Receive("<compressed xmlns='http://jabber.org/protocol/compress'/>");
        ASSERT_TRUE(h.account->IsCompressionActive());
    }
    ServerZlib server;
};

TEST_F(XmppCompressionTest, RestartedStreamHeaderGoesOutDeflated) {
    std::string sent = h.TakeSent();
    EXPECT_EQ(sent.find("<stream:stream"), std::string::npos);
    EXPECT_EQ(server.Inflate(sent).rfind("<?xml version='1.0' encoding='UTF-8'?><stream:stream", 0), 0u);
}

TEST_F(XmppCompressionTest, LargeCompressedStanzaFollowedBySilenceIsHandledWhole) {
    server.Inflate(h.TakeSent());
    // Compresses to far less than one read, inflates to many buffers: no
    // further data event will come for what the inflater still holds.
    std::string id(300000, 'q');
    std::string bytes = server.Deflate(std::string(XmppAccountHarness::kServerHeader) + Ping(id));
    ASSERT_LT(bytes.size(), 2048u);
    h.Receive(bytes);
    EXPECT_NE(server.Inflate(h.TakeSent()).find("id='" + id + "'"), std::string::npos);
}

TEST_F(XmppCompressionTest, SplitCompressedInputIsReassembled) {
    server.Inflate(h.TakeSent());
    std::string bytes = server.Deflate(std::string(XmppAccountHarness::kServerHeader) + Ping("z1") + Ping("z2"));
    h.ReceiveInPieces(bytes, 3);
    std::string replies = server.Inflate(h.TakeSent());
    EXPECT_NE(replies.find("id='z1'"), std::string::npos) << replies;
    EXPECT_NE(replies.find("id='z2'"), std::string::npos) << replies;
}

TEST_F(XmppCompressionTest, EachDataEventInflatesAllItAnnouncedAndReadsNoFurther) {
    server.Inflate(h.TakeSent());
    std::string id(300000, 'q');
    std::string first = server.Deflate(std::string(XmppAccountHarness::kServerHeader) + Ping(id));
    std::string second = server.Deflate(Ping("z2"));
    h.sockets.Queue(first);
    h.sockets.Queue(second);
    h.SocketEvent(Sockets::SocketEvent::DataAvailable, new CEventArg_Data<int>(static_cast<int>(first.size())));
    std::string replies = server.Inflate(h.TakeSent());
    EXPECT_NE(replies.find("id='" + id + "'"), std::string::npos);
    EXPECT_EQ(replies.find("id='z2'"), std::string::npos);
    EXPECT_EQ(h.sockets.Pending(), second.size());
    h.SocketEvent(Sockets::SocketEvent::DataAvailable, new CEventArg_Data<int>(static_cast<int>(second.size())));
    EXPECT_NE(server.Inflate(h.TakeSent()).find("id='z2'"), std::string::npos);
}

TEST(XmppCompression, OutputTheInflaterHoldsWhenTheInputRunsOutComesOutWithoutMoreInput) {
    // The second run is one back-reference; with the flush marker not yet
    // arrived, the input ends while the inflater still owes part of it.
    std::string text = "<x>" + std::string(1921, 'a') + "</x>" + std::string(1921, 'a');
    ServerZlib server;
    std::string bytes = server.Deflate(text);
    ASSERT_EQ(bytes.substr(bytes.size() - 4), std::string("\0\0\xff\xff", 4));
    bytes.resize(bytes.size() - 4);
    for (size_t room : {1u, 64u, 1000u}) {
        SCOPED_TRACE(room);
        XmppCompression zlib;
        ASSERT_TRUE(zlib.Init());
        zlib.AddInput(bytes.data(), bytes.size());
        std::string out;
        std::vector<char> area(room);
        while (zlib.HasPendingOutput()) {
            size_t produced = 0;
            ASSERT_EQ(zlib.Inflate(area.data(), room, produced), XmppCompression::InflateResult::Ok);
            out.append(area.data(), produced);
        }
        EXPECT_EQ(out, text);
    }
}

TEST_F(XmppCompressionTest, InflateErrorDisconnects) {
    h.Events();
    h.Receive("\xff\xff\xff\xff not deflate at all");
    EXPECT_EQ(h.GetStatus(), Protocols::Offline);
    EXPECT_EQ(h.sockets.LiveSockets(), 0);
    auto changes = h.Events(Protocols::AccountEvent::StatusChanged);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].status.status, Protocols::Offline);
}

}  // namespace
