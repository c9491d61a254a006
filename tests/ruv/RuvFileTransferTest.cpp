// File transfer: the rendezvous packets byte for byte, the proxy and OFT2
// layouts, and whole transfers driven through the list over recording
// ports: both directions, what a peer may and may not make a session do,
// and that a transfer that ends early leaves no file behind.

#include "RuvFileTransfer.h"
#include "RuvListTestSupport.h"
#include "RuvTransferTestSupport.h"
#include "RuvTransferWire.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace RuvTest;
using namespace RuvTransferWire;
using RuvTest::Bytes;
using RuvTest::Hex;

constexpr RuvCookie kCookie{0x01020304, 0x05060708};

// The bytes of a frame after its FLAP and SNAC headers.
std::string Payload(const std::string& frame) { return frame.substr(16); }

// The cookie our offer frame chose.
RuvCookie OfferCookie(const std::string& frame) {
    const std::string offer = Payload(frame);
    return {static_cast<uint32_t>(std::stoul(Hex(offer.substr(0, 4)), nullptr, 16)),
            static_cast<uint32_t>(std::stoul(Hex(offer.substr(4, 4)), nullptr, 16))};
}

std::string IcbmHeader(RuvCookie cookie, const std::string& name) {
    OscarWriter out;
    out.U32(cookie.first).U32(cookie.second).U16(2).ByteString(name);
    return out.Take();
}

TEST(RuvRendezvousPackets, LayoutsByteForByte) {
    const std::string cap = FileTransferGuid();
    const std::string start = Bytes("0000 0102030405060708") + cap;
    const std::string target = Bytes("0002 0004 7f000001 0016 0004 80fffffe 0005 0002 1234 0017 0002 edcb 0010 0000");
    RuvRendezvousTarget where{kCookie, CYolString(u"100300"), 0x7F000001, 0x1234};
    const struct {
        const char* name;
        std::string frame;
        uint16_t subtype;
        uint32_t requestId;
        std::string payload;
    } cases[] = {
        {"offer of a 10-byte name", CFileOfferPacket(1, 0x00010006, kCookie, CYolString(u"100300"),
                                                     CYolString(u"report.txt"), 10000, 1).Serialize(),
         6, 0x00010006,
         IcbmHeader(kCookie, "100300") + Bytes("0005 0050") + start + Bytes("000a 0002 0001 000f 0000 2711 0013") +
             Bytes("0001 0001 00002710") + "report.txt" + std::string(1, '\0') + Bytes("2712 0005") + "utf-8" +
             Bytes("2713 0008 00000000 00002710")},
        {"accept", CRendezvousReplyPacket(1, kCookie, CYolString(u"100300"), 2).Serialize(), 6, 6,
         IcbmHeader(kCookie, "100300") + Bytes("0005 001a 0002 0102030405060708") + cap},
        {"refusal", CRendezvousRefusePacket(1, kCookie, CYolString(u"100300")).Serialize(), 0x0B, 11,
         IcbmHeader(kCookie, "100300") + Bytes("0003 0002 0001")},
        {"proxy offer of the sending side", CProxyRedirectPacket(1, where).Serialize(), 6, 0x00010006,
         IcbmHeader(kCookie, "100300") + Bytes("0005 0046") + start + Bytes("000a 0002 0004 0014 0002 000a") + target},
        {"proxy reply of the receiving side", CDirectRedirectPacket(1, where).Serialize(), 6, 6,
         IcbmHeader(kCookie, "100300") + Bytes("0005 0040") + start + Bytes("000a 0002 0002") + target},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GE(c.frame.size(), 16u);
        CSnacPacket header;
        ASSERT_NE(header.Unpack(reinterpret_cast<const uint8_t*>(c.frame.data()), c.frame.size()), 0u);
        EXPECT_EQ(header.family, 4);
        EXPECT_EQ(header.subtype, c.subtype);
        EXPECT_EQ(header.requestId, c.requestId);
        EXPECT_EQ(Hex(Payload(c.frame)), Hex(c.payload));
    }
}

TEST(RuvTransferWire, Oft2HeaderLayoutAndNameLengths) {
    const std::string header = BuildOft2Header(Oft2Prompt, kCookie, 10000, 0, CYolString(u"a.b"));
    ASSERT_EQ(header.size(), 256u);
    EXPECT_EQ(Hex(header.substr(0, 68)),
              Hex(Bytes("4f465432 0100 0101 0102030405060708 0000 0000 0001 0001 0001 0001 00002710 00002710"
                        "00000000 00000000 ffff0000 00000000 00000000 ffff0000 00000000 ffff0000")));
    EXPECT_EQ(header.substr(68, 32), std::string("Cool FileXfer") + std::string(19, '\0'));
    EXPECT_EQ(Hex(header.substr(100, 3)), "201c11");
    EXPECT_EQ(header.substr(103, 85), std::string(85, '\0'));
    EXPECT_EQ(Hex(header.substr(188, 10)), "000200000061002e0062");
    EXPECT_EQ(header.substr(198), std::string(58, '\0'));

    // 40 units: written whole, no terminator.
    const std::string longName(40, 'n');
    const std::string longHeader = BuildOft2Header(Oft2Prompt, kCookie, 1, 0, CYolString::FromUtf8(longName));
    ASSERT_EQ(longHeader.size(), 272u);
    EXPECT_EQ(Hex(longHeader.substr(4, 2)), "0110");
    EXPECT_EQ(longHeader.substr(270), std::string("\0n", 2));

    const std::optional<Oft2Header> read = ReadOft2Header(header);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->type, Oft2Prompt);
    EXPECT_EQ(read->cookie.second, kCookie.second);
    EXPECT_EQ(read->size, 10000u);
    std::string patched = header;
    PatchOft2Header(patched, Oft2Done, 0x01020304);
    EXPECT_EQ(Hex(patched.substr(6, 2)), "0204");
    EXPECT_EQ(Hex(patched.substr(60, 4)), "01020304");

    // Refused: a foreign magic, too short, a length field that lies.
    std::string foreign = header;
    foreign[3] = '3';
    std::string lying = header;
    lying[5] = 0x01;
    for (const std::string& bad : {foreign, header.substr(0, 231), lying})
        EXPECT_FALSE(ReadOft2Header(bad));
}

TEST(RuvTransferWire, ProxyRequestsAndAnswers) {
    EXPECT_EQ(Hex(BuildProxyCreate(CYolString(u"100200"), kCookie)),
              Hex(Bytes("002d 044a 0002 00000000 0000 06") + "100200" + Bytes("0102030405060708 0001 0010") +
                  FileTransferGuid()));
    EXPECT_EQ(Hex(BuildProxyJoin(CYolString(u"100200"), 0x1234, kCookie)),
              Hex(Bytes("002f 044a 0004 00000000 0000 06") + "100200" + Bytes("1234 0102030405060708 0001 0010") +
                  FileTransferGuid()));

    const std::optional<ProxyPacket> ack = ReadProxyPacket(ProxyAnswer(3, 0x4321, 0x7F000001));
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->command, ProxyAcknowledge);
    EXPECT_EQ(ack->port, 0x4321);
    EXPECT_EQ(ack->address, 0x7F000001u);
    // An acknowledge too short for its session, a packet too short for its
    // command.
    EXPECT_FALSE(ReadProxyPacket(ProxyAnswer(3).substr(0, 14)));
    EXPECT_FALSE(ReadProxyPacket(Bytes("0003 044a 00")));
}

TEST(RuvTransferWire, DecodeFileNameByCharset) {
    const struct {
        std::string bytes;
        std::string charset;
        std::string name;
    } cases[] = {
        {"отчёт.txt", "utf-8", "отчёт.txt"},
        {"\xee\xf2\xf7\xe5\xf2", "us-ascii", "отчет"},
        {"name", "iso-8859-1", ""},
        {"", "utf-8", ""},
        {std::string("a\0b", 3), "utf-8", "a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeFileName(c.bytes, c.charset).ToUtf8(), c.name) << c.charset;
}

// A list with the peer, the transfers over recording ports, and a folder.
class RuvTransferFlow : public TempFolderTest {
protected:
    RuvTransferFlow() : transfers(rig.sink, rig.session.list, ports) {
        rig.Receive(ListFrame({{"G", 7, 0, 1, {}}, {"100300", 7, 1, 0, {}}}));
        peer = rig.session.list.FindBuddy(CYolString(u"100300"))->contactId;
        rig.Sent();
    }
    void Deliver(const std::string& frame) {
        const bool taken = transfers.OnFrame(frame);
        EXPECT_TRUE(taken);
    }
    void Data(int socket, const std::string& bytes) {
        transfers.OnSocketData(socket, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    // The peer offers `name` of `size` bytes; answers the offer's report.
    void Offered(const std::string& name, uint32_t size) {
        Deliver(RendezvousFrame("100300", kCookie, RendezvousBlock(0, kCookie, OfferTlvs(name, size))));
    }
    // Accepts the offer into `target` and brings the session to the point
    // where the headers begin (the proxy reported ready); answers its
    // socket.
    int AcceptedAndReady(const std::string& offered, const std::string& target) {
        transfers.AcceptFile(peer, CYolString::FromUtf8(offered), CYolString::FromUtf8(target));
        const int socket = ports.last;
        transfers.OnSocketConnected(socket, 0);
        Data(socket, ProxyAnswer(3, 0x4321, 0x7F000001) + ProxyAnswer(5));
        ports.Sent(socket);
        rig.Sent();
        return socket;
    }
    std::string Prompt(uint32_t size, RuvCookie cookie = kCookie) {
        return BuildOft2Header(Oft2Prompt, cookie, size, 0, CYolString(u"x.txt"));
    }

    SessionRig rig;
    FakeTransferPorts ports;
    RuvFileTransfer transfers;
    unsigned int peer = 0;
};

TEST_F(RuvTransferFlow, SendingSideRunsTheWholeExchange) {
    std::string content(10000, '\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7);
    const std::string path = Put("report.bin", content);
    transfers.SendFile(peer, CYolString::FromUtf8(path));
    std::vector<std::string> frames = rig.sink.Take();
    ASSERT_EQ(frames.size(), 1u);
    // The proposal names the file by its last component, under a cookie
    // of its own.
    const std::string offer = Payload(frames[0]);
    const RuvCookie cookie = OfferCookie(frames[0]);
    EXPECT_NE(offer.find("report.bin"), std::string::npos);
    EXPECT_EQ(offer.find(folder), std::string::npos);
    EXPECT_TRUE(ports.connects.empty());
    // A second send of the same file while the first runs does nothing.
    transfers.SendFile(peer, CYolString::FromUtf8(path));
    EXPECT_TRUE(rig.sink.Take().empty());

    // The peer's redirect: join its proxy session.
    Deliver(RendezvousFrame("100300", cookie, RendezvousBlock(0, cookie, RedirectTlvs(2, 0x7F000001, 0x4321))));
    ASSERT_EQ(ports.connects.size(), 1u);
    EXPECT_EQ(ports.connects[0], (std::pair<std::string, uint32_t>{"127.0.0.1", 0x4321}));
    const int socket = ports.last;
    transfers.OnSocketConnected(socket, 0);
    EXPECT_EQ(ports.Sent(socket), std::vector<std::string>{BuildProxyJoin(CYolString(u"100200"), 0x4321, cookie)});

    // Ready: the accept goes through the server, the prompt to the peer.
    // A prompt back from the peer means nothing to the sender.
    Data(socket, ProxyAnswer(5) + BuildOft2Header(Oft2Prompt, cookie, 10000, 0, CYolString(u"x")));
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"04/06"});
    EXPECT_EQ(ports.Sent(socket),
              std::vector<std::string>{BuildOft2Header(Oft2Prompt, cookie, 10000, 0, CYolString(u"report.bin"))});
    EXPECT_EQ(ReadText(path), content);

    // Acknowledged: three chunks, each after the last one's send result.
    Data(socket, BuildOft2Header(Oft2Acknowledge, cookie, 10000, 0, CYolString(u"report.bin")));
    transfers.OnSocketSendResult(socket, 0);
    transfers.OnSocketSendResult(socket, 0);
    transfers.OnSocketSendResult(socket, 0);
    const std::vector<std::string> chunks = ports.Sent(socket);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].size(), 4096u);
    EXPECT_EQ(chunks[2].size(), 1808u);
    EXPECT_EQ(chunks[0] + chunks[1] + chunks[2], content);
    EXPECT_EQ(transfers.Count(), 1u);

    Data(socket, BuildOft2Header(Oft2Done, cookie, 10000, 10000, CYolString(u"report.bin")));
    EXPECT_EQ(transfers.Count(), 0u);
    EXPECT_EQ(ports.closed, std::vector<int>{socket});
    EXPECT_EQ(ports.States(), (std::vector<unsigned int>{1, 1, 1, 1, 2}));
    EXPECT_EQ(ports.reports[0].activate, 1u);
    EXPECT_EQ(ports.reports.back().outgoing, 1u);
    EXPECT_EQ(ports.reports.back().doneSize, 10000u);
    EXPECT_EQ(ports.reports.back().fileName.ToUtf8(), path);
}

TEST_F(RuvTransferFlow, TheSendingSideIsDoneOnTheDoneHeaderEvenBeforeTheLastSendResult) {
    // 10000 bytes go in three chunks, each after the last one's send result.
    const std::string content(10000, 'c');
    const std::string path = Put("report.bin", content);
    const struct Case {
        const char* name;
        int sendResults;  // after the acknowledge, before the peer's end
        bool doneHeader;  // the peer's done header comes before its close
        unsigned int state;
    } cases[] = {
        // The peer had it all: its done header and close outran the send result.
        {"the done header and close before the last chunk's send result", 2, true, 2},
        {"the close alone after every chunk was handed over", 2, false, 4},
        {"the done header with a chunk still to go", 1, true, 4},
        {"the close with a chunk still to go", 1, false, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ports.reports.clear();
        transfers.SendFile(peer, CYolString::FromUtf8(path));
        const RuvCookie cookie = OfferCookie(rig.sink.Take().at(0));
        Deliver(RendezvousFrame("100300", cookie, RendezvousBlock(0, cookie, RedirectTlvs(2, 0x7F000001, 0x4321))));
        const int socket = ports.last;
        transfers.OnSocketConnected(socket, 0);
        Data(socket, ProxyAnswer(5) + BuildOft2Header(Oft2Acknowledge, cookie, 10000, 0, CYolString(u"report.bin")));
        for (int i = 0; i < c.sendResults; ++i)
            transfers.OnSocketSendResult(socket, 0);
        EXPECT_EQ(ports.Sent(socket).size(), 3u + c.sendResults);  // the join, the prompt and the chunks
        if (c.doneHeader)
            Data(socket, BuildOft2Header(Oft2Done, cookie, 10000, 10000, CYolString(u"report.bin")));
        transfers.OnSocketClosed(socket, 0);
        // The send result that comes after it finds nothing to go on with.
        transfers.OnSocketSendResult(socket, 0);
        EXPECT_TRUE(ports.Sent(socket).empty());
        EXPECT_EQ(transfers.Count(), 0u);
        ASSERT_FALSE(ports.reports.empty());
        EXPECT_EQ(ports.reports.back().state, c.state);
        rig.Sent();
    }
    EXPECT_EQ(ReadText(path), content);
}

TEST_F(RuvTransferFlow, ReceivingSideWaitsForTheUserAndNeverOverwrites) {
    // The offer names a place: only its last component counts.
    Offered("../../etc/x.txt", 6000);
    ASSERT_EQ(ports.reports.size(), 1u);
    EXPECT_EQ(ports.reports[0].state, 0u);
    EXPECT_EQ(ports.reports[0].fileName.ToUtf8(), "x.txt");
    EXPECT_EQ(ports.reports[0].outgoing, 0u);
    // The peer's redirect before the user accepted connects nothing.
    Deliver(RendezvousFrame("100300", kCookie, RendezvousBlock(0, kCookie, RedirectTlvs(4, 0x7F000001, 0x1111))));
    EXPECT_TRUE(ports.connects.empty());
    // The offer of another name does not accept this one.
    transfers.AcceptFile(peer, CYolString(u"y.txt"), CYolString::FromUtf8(PathOf("y.txt")));
    EXPECT_TRUE(ports.connects.empty());

    const std::string existing = Put("x.txt", "keep me");
    transfers.AcceptFile(peer, CYolString(u"x.txt"), CYolString::FromUtf8(existing));
    // The peer named its proxy session: it is joined there.
    ASSERT_EQ(ports.connects.size(), 1u);
    EXPECT_EQ(ports.connects[0], (std::pair<std::string, uint32_t>{"127.0.0.1", 0x1111}));
    const int socket = ports.last;
    transfers.OnSocketConnected(socket, 0);
    EXPECT_EQ(ports.Sent(socket), std::vector<std::string>{BuildProxyJoin(CYolString(u"100200"), 0x1111, kCookie)});

    // Ready, the prompt and the first data in one read: each part is read
    // as the state it brings reads it.
    const std::string content = std::string(3000, 'a') + std::string(3000, 'b');
    Data(socket, ProxyAnswer(5) + Prompt(6000) + content.substr(0, 100));
    const std::vector<std::string> answers = ports.Sent(socket);
    ASSERT_EQ(answers.size(), 1u);
    std::string acknowledge = Prompt(6000);
    PatchOft2Header(acknowledge, Oft2Acknowledge, 0);
    EXPECT_EQ(Hex(answers[0]), Hex(acknowledge));
    Data(socket, content.substr(100));

    std::string done = Prompt(6000);
    PatchOft2Header(done, Oft2Done, 6000);
    EXPECT_EQ(ports.Sent(socket), std::vector<std::string>{done});
    EXPECT_EQ(ReadText(existing), "keep me");
    EXPECT_EQ(ReadText(PathOf("x (1).txt")), content);
    EXPECT_EQ(ports.States(), (std::vector<unsigned int>{0, 1, 1, 2}));
    EXPECT_EQ(ports.reports.back().fileName.ToUtf8(), PathOf("x (1).txt"));
    EXPECT_EQ(transfers.Count(), 0u);
}

TEST_F(RuvTransferFlow, ReceiverWithoutProxyAddressCreatesASessionAndTellsThePeer) {
    Offered("x.txt", 10);
    transfers.AcceptFile(peer, CYolString(u"x.txt"), CYolString::FromUtf8(PathOf("x.txt")));
    ASSERT_EQ(ports.connects.size(), 1u);
    EXPECT_EQ(ports.connects[0], (std::pair<std::string, uint32_t>{"proxy.test", 5190}));
    const int socket = ports.last;
    transfers.OnSocketConnected(socket, 0);
    EXPECT_EQ(ports.Sent(socket), std::vector<std::string>{BuildProxyCreate(CYolString(u"100200"), kCookie)});
    // The acknowledge in two reads.
    const std::string ack = ProxyAnswer(3, 0x4321, 0x7F000001);
    Data(socket, ack.substr(0, 7));
    EXPECT_TRUE(rig.sink.frames.empty());
    Data(socket, ack.substr(7));
    const std::vector<std::string> frames = rig.sink.Take();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(Hex(Payload(frames[0])),
              Hex(Payload(CDirectRedirectPacket(1, {kCookie, CYolString(u"100300"), 0x7F000001, 0x4321}).Serialize())));
}

TEST_F(RuvTransferFlow, SenderAskedWithoutAProxySessionMakesOne) {
    const std::string path = Put("a.bin", "abc");
    transfers.SendFile(peer, CYolString::FromUtf8(path));
    const RuvCookie cookie = OfferCookie(rig.sink.Take().at(0));
    // A redirect without the proxy flag.
    OscarWriter request;
    request.Tlv16(0x000A, 2);
    Deliver(RendezvousFrame("100300", cookie, RendezvousBlock(0, cookie, request.Data())));
    ASSERT_EQ(ports.connects.size(), 1u);
    EXPECT_EQ(ports.connects[0], (std::pair<std::string, uint32_t>{"proxy.test", 5190}));
    transfers.OnSocketConnected(ports.last, 0);
    EXPECT_EQ(ports.Sent(ports.last), std::vector<std::string>{BuildProxyCreate(CYolString(u"100200"), cookie)});
    Data(ports.last, ProxyAnswer(3, 0x1234, 0x0A000001));
    const std::vector<std::string> frames = rig.sink.Take();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(Hex(frames[0]),
              Hex(CProxyRedirectPacket(rig.sink.sequence, {cookie, CYolString(u"100300"), 0x0A000001, 0x1234})
                      .Serialize()));
}

TEST_F(RuvTransferFlow, ARedirectWithoutTheProxyFlagForgetsThePeersEarlierSession) {
    const std::string path = Put("a.bin", "abc");
    transfers.SendFile(peer, CYolString::FromUtf8(path));
    const RuvCookie cookie = OfferCookie(rig.sink.Take().at(0));
    Deliver(RendezvousFrame("100300", cookie, RendezvousBlock(0, cookie, RedirectTlvs(2, 0x7F000001, 0x4321))));
    // The peer's session did not work out: now it asks us to make one.
    OscarWriter request;
    request.Tlv16(0x000A, 3);
    Deliver(RendezvousFrame("100300", cookie, RendezvousBlock(0, cookie, request.Data())));
    ASSERT_EQ(ports.connects.size(), 2u);
    EXPECT_EQ(ports.connects[1], (std::pair<std::string, uint32_t>{"proxy.test", 5190}));
    transfers.OnSocketConnected(ports.last, 0);
    EXPECT_EQ(ports.Sent(ports.last), std::vector<std::string>{BuildProxyCreate(CYolString(u"100200"), cookie)});
}

TEST_F(RuvTransferFlow, ReceivedHeadersAreFramedAndChecked) {
    Offered("x.txt", 10);
    const int socket = AcceptedAndReady("x.txt", PathOf("x.txt"));
    // A header in two reads is read once whole.
    const std::string prompt = Prompt(10);
    Data(socket, prompt.substr(0, 5));
    Data(socket, prompt.substr(5, 100));
    EXPECT_TRUE(ports.Sent(socket).empty());
    Data(socket, prompt.substr(105));
    EXPECT_EQ(ports.Sent(socket).size(), 1u);

    const struct {
        const char* name;
        std::string bytes;
    } bad[] = {
        {"length 231", Bytes("4f465432 00e7 0101") + std::string(223, '\0')},
        {"length below its own fields", Bytes("4f465432 0002")},
        {"another cookie", Prompt(10, {9, 9})},
        {"another size", Prompt(11)},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.name);
        TempFolder other;
        RuvFileTransfer list(rig.sink, rig.session.list, ports);
        list.OnFrame(RendezvousFrame("100300", kCookie, RendezvousBlock(0, kCookie, OfferTlvs("x.txt", 10))));
        list.AcceptFile(peer, CYolString(u"x.txt"), CYolString::FromUtf8(other.PathOf("x.txt")));
        const int own = ports.last;
        list.OnSocketConnected(own, 0);
        const std::string ready = ProxyAnswer(5) + c.bytes;
        list.OnSocketData(own, reinterpret_cast<const uint8_t*>(ready.data()), ready.size());
        EXPECT_EQ(list.Count(), 0u);
        EXPECT_EQ(ports.reports.back().state, 4u);
        EXPECT_TRUE(other.Entries().empty());
    }
}

TEST_F(RuvTransferFlow, TransfersThatEndEarlyLeaveNoFile) {
    const struct {
        const char* name;
        std::function<void(int socket)> end;
        unsigned int state;
    } cases[] = {
        {"data past the offered size", [&](int socket) { Data(socket, std::string(20, 'z')); }, 4},
        {"the connection closed", [&](int socket) { transfers.OnSocketClosed(socket, 0); }, 4},
        {"the peer cancelled", [&](int) { Deliver(CancelFrame("100300", kCookie)); }, 3},
        {"the user cancelled",
         [&](int) {
             transfers.RefuseFile(peer, CYolString(u"x.txt"));
             // The peer hears of it.
             EXPECT_EQ(rig.Sent(), std::vector<std::string>{"04/0b"});
         },
         3},
        {"a send failed", [&](int socket) {
             ports.sendWorks = false;
             Data(socket, Prompt(16));
         }, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ports.sendWorks = true;
        const std::string target = PathOf(std::string("got-") + c.name);
        ports.watched = target;
        Offered("x.txt", 16);
        const int socket = AcceptedAndReady("x.txt", target);
        if (std::string(c.name) != "a send failed") {
            Data(socket, Prompt(16) + std::string(10, 'a'));
            ASSERT_TRUE(std::filesystem::exists(target));
        }
        c.end(socket);
        EXPECT_EQ(transfers.Count(), 0u);
        EXPECT_EQ(ports.reports.back().state, c.state);
        EXPECT_FALSE(ports.watchedAtReport) << "the partial file was still there when the end was reported";
        EXPECT_FALSE(std::filesystem::exists(target));
    }
}

TEST_F(RuvTransferFlow, OffersThatCannotBeTakenAreRefused) {
    const struct {
        const char* name;
        std::string tlvs;
        bool refused;
    } cases[] = {
        {"two files", OfferTlvs("x.txt", 10, 2), true},
        {"an empty file", OfferTlvs("x.txt", 0), true},
        {"a name that is only a folder", OfferTlvs("a/..", 10), true},
        {"an unknown charset", OfferTlvs("x.txt", 10, 1, "koi8-r"), true},
        {"no file information", Bytes("000a 0002 0001"), false},
        {"no request number", OscarWriter().Tlv(0x2711, Bytes("0001 0001 0000000a 41 00")).Take(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Deliver(RendezvousFrame("100300", kCookie, RendezvousBlock(0, kCookie, c.tlvs)));
        EXPECT_EQ(transfers.Count(), 0u);
        EXPECT_TRUE(ports.reports.empty());
        EXPECT_EQ(rig.Sent(), c.refused ? std::vector<std::string>{"04/0b"} : std::vector<std::string>{});
    }
    // A stranger's offer, and a channel-2 message of another capability,
    // are not taken.
    Deliver(RendezvousFrame("100999", kCookie, RendezvousBlock(0, kCookie, OfferTlvs("x.txt", 10))));
    EXPECT_EQ(transfers.Count(), 0u);
    std::string relay = RendezvousBlock(0, kCookie, {});
    relay.replace(10, 16, std::string(16, 'r'));
    EXPECT_FALSE(transfers.OnFrame(RendezvousFrame("100300", kCookie, relay)));
}

TEST_F(RuvTransferFlow, ProxyTroubleAndRefusalEndTheSession) {
    // A proxy error, a proxy that cannot be reached.
    Offered("x.txt", 10);
    transfers.AcceptFile(peer, CYolString(u"x.txt"), CYolString::FromUtf8(PathOf("x.txt")));
    transfers.OnSocketConnected(ports.last, 0);
    Data(ports.last, ProxyAnswer(1));
    EXPECT_EQ(transfers.Count(), 0u);
    EXPECT_EQ(ports.States(), (std::vector<unsigned int>{0, 4}));

    Offered("x.txt", 10);
    transfers.AcceptFile(peer, CYolString(u"x.txt"), CYolString::FromUtf8(PathOf("x.txt")));
    transfers.OnSocketConnected(ports.last, 111);
    EXPECT_EQ(transfers.Count(), 0u);

    // The user refuses an offer: the peer is told, nothing was connected.
    const size_t connects = ports.connects.size();
    Offered("x.txt", 10);
    rig.Sent();
    transfers.RefuseFile(peer, CYolString(u"x.txt"));
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"04/0b"});
    EXPECT_EQ(ports.connects.size(), connects);
    EXPECT_EQ(transfers.Count(), 0u);
    EXPECT_EQ(ports.reports.back().state, 3u);
    EXPECT_TRUE(Entries().empty());
}

}  // namespace
