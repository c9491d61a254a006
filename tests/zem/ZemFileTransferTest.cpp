// The MRIM file transfer against recording doubles, without sockets or
// threads: the offer with two files asked for in turn, the lists and the
// answers from the wrong peer, and the transfer connection's readers: the
// proxy's answer split and followed by the greeting, a stranger's hello, a
// request for a name that only contains the file's, data past the offered
// size, and the receiver's close outrunning the last send result.

#include "ZemFileTransfer.h"
#include "TestSupport.h"
#include "ZemTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace {

using namespace ZemTest;

class RecordingPorts final : public MZemTransferPorts {
public:
    void ReportProgress(const Protocols::FTProgress& p) override {
        reports.push_back(std::to_string(p.state) + " " + p.fileName.ToUtf8() + " " + std::to_string(p.doneSize) +
                          "/" + std::to_string(p.totalSize));
        // Whoever hears the report may look for the file at once.
        watchedAtReport = !watched.empty() && std::filesystem::exists(watched);
    }
    CYolString OwnAddress() override { return U("alice@mail.ru"); }
    int ConnectTransfer(const CYolString& host, uint32_t port) override {
        connects.push_back(host.ToUtf8() + ":" + std::to_string(port));
        return static_cast<int>(connects.size());
    }
    bool SendTransfer(int, std::string_view bytes) override {
        sent.append(bytes);
        return true;
    }
    void CloseTransfer(int socket) override { closed.push_back(socket); }
    std::string Sent() { return std::exchange(sent, {}); }

    std::vector<std::string> reports;
    std::vector<std::string> connects;
    std::vector<int> closed;
    std::string sent;
    std::string watched;  // a file whose presence each report notes
    bool watchedAtReport = false;
};

std::string ProxyHelloAck() { return BuildMrimPacket(MrimPacketType::ProxyHelloAck, 0, {}, Mrim::kProxyVersion); }

class ZemFileTransferFlow : public ::testing::Test {
protected:
    void SetUp() override {
        list.Load(ListBody({"Friends"}, {{0, 0, "bob@mail.ru", "Bob", 0, 1}}));
        list.Reconcile();
        bob = model.Find("bob@mail.ru");
    }
    MrimPacket Packet(const std::string& body) {
        kept = body;
        return MrimPacket{MrimHeader{}, kept};
    }
    // bob offers `files`; the proxy's id and address come, so the transfer
    // connects there.
    void OfferThroughProxy(const std::string& files) {
        const std::string wide = ToUtf16Bytes(From1251Bytes(files));
        transfers.OnOffer(Packet(MrimBodyWriter().LPS("bob@mail.ru").UL(7).UL(30).LPS(files)
                                     .LPS(MrimBodyWriter().UL(1).LPS(wide).Take()).LPS("0.0.0.1:2041;").Take()));
        transfers.AcceptFile(bob, From1251Bytes(files.substr(0, files.find(';'))), U(folder.PathOf("x")));
        transfers.OnProxy(Packet(MrimBodyWriter().LPS("bob@mail.ru").UL(7).UL(2).LPS(files).LPS("127.0.0.1:5000;")
                                     .Raw(std::string(16, 'p')).Take()));
        transfers.OnSocketConnected(1, 0);
    }
    void Arrive(std::string_view bytes, int socket = 1) {
        transfers.OnSocketData(socket, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    // We offer the file at `path` to bob; the proxy pairs us, bob greets us
    // and sends `request`. Answers the transfer's socket.
    int Asked(const std::string& path, const std::string& request) {
        if (transfers.SendFile(bob, U(path)) != 0)
            return 0;
        const uint32_t session = ParseTransferOffer(std::string_view(sink.Take().back()).substr(44))->sessionId;
        transfers.OnProxyAck(Packet(MrimBodyWriter().UL(1).LPS("bob@mail.ru").UL(session).UL(2).LPS("")
                                        .LPS("127.0.0.1:1;").Raw(std::string(16, 'q')).Take()));
        const int socket = static_cast<int>(ports.connects.size());
        transfers.OnSocketConnected(socket, 0);
        EXPECT_EQ(ports.Sent(), BuildProxyHello(std::string(16, 'q')));
        Arrive(ProxyHelloAck() + std::string("Zem_FT_HELLO bob@mail.ru\0", 25) + request + std::string(1, '\0'),
               socket);
        return socket;
    }

    TempFolder folder;
    RecordingPacketSink sink;
    RecordingListModel model;
    CZemContactList list{model, [](const CYolString&) {}};
    RecordingPorts ports;
    ZemFileTransfer transfers{sink, list, ports};
    unsigned int bob = 0;
    std::string kept;
};

TEST_F(ZemFileTransferFlow, TwoOfferedFilesAreAskedForInTurnAfterTheSplitProxyAnswer) {
    OfferThroughProxy("a.txt;10;b.txt;20;");
    // The placeholder address is never tried; the receiver offers its own.
    ASSERT_EQ(ports.connects, (std::vector<std::string>{"127.0.0.1:5000"}));
    EXPECT_EQ(ports.Sent(), BuildProxyHello(std::string(16, 'p')));
    const std::string ack = ProxyHelloAck();
    Arrive(ack.substr(0, 30));
    EXPECT_EQ(ports.Sent(), "");
    Arrive(ack.substr(30) + "Zem_FT_HELLO BOB@mail.ru" + std::string(1, '\0'));
    EXPECT_EQ(ports.Sent(), std::string("Zem_FT_HELLO alice@mail.ru\0Zem_FT_GET_FILE a.txt\0", 49));
    Arrive("0123456789");
    EXPECT_EQ(ports.Sent(), std::string("Zem_FT_GET_FILE b.txt\0", 22));
    Arrive(std::string(20, 'b'));
    EXPECT_EQ(ReadText(folder.PathOf("a.txt")), "0123456789");
    EXPECT_EQ(ReadText(folder.PathOf("b.txt")), std::string(20, 'b'));
    EXPECT_EQ(ports.reports, (std::vector<std::string>{"0 a.txt 0/10", "1 a.txt 10/10", "2 a.txt 10/10",
                                                        "1 b.txt 20/20", "2 b.txt 20/20"}));
    EXPECT_EQ(transfers.Count(), 0u);
}

TEST_F(ZemFileTransferFlow, AFileCutShortIsGoneBeforeTheEndIsReported) {
    const struct Case {
        const char* name;
        std::function<void()> end;
        const char* state;
    } cases[] = {
        {"the user cancels", [this] { transfers.RefuseFile(bob, U("a.txt")); }, "3 "},
        {"the connection closes", [this] { transfers.OnSocketClosed(1, 0); }, "4 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ports.watched = folder.PathOf("a.txt");
        OfferThroughProxy("a.txt;10;");
        Arrive(ProxyHelloAck() + std::string("Zem_FT_HELLO bob@mail.ru\0", 25) + "01234");
        ASSERT_TRUE(std::filesystem::exists(ports.watched));
        c.end();
        ASSERT_FALSE(ports.reports.empty());
        EXPECT_EQ(ports.reports.back().substr(0, 2), c.state);
        EXPECT_FALSE(ports.watchedAtReport) << "the partial file was still there when the end was reported";
        EXPECT_FALSE(std::filesystem::exists(ports.watched));
        EXPECT_EQ(transfers.Count(), 0u);
        ports.connects.clear();
    }
}

TEST_F(ZemFileTransferFlow, BrokenGreetingsAndExcessDataFailTheTransferAndLeaveNoFile) {
    const struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"a stranger's hello", std::string("Zem_FT_HELLO eve@mail.ru\0", 25)},
        {"no text at all", std::string("GET\0", 4)},
        {"a greeting that never ends", std::string(2000, 'x')},
        {"data past the offered size", std::string("Zem_FT_HELLO bob@mail.ru\0", 25) + std::string(11, 'd')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ports.reports.clear();
        OfferThroughProxy("a.txt;10;");
        Arrive(ProxyHelloAck() + c.bytes);
        ASSERT_FALSE(ports.reports.empty());
        EXPECT_EQ(ports.reports.back().substr(0, 2), "4 ");
        EXPECT_EQ(transfers.Count(), 0u);
        EXPECT_FALSE(std::filesystem::exists(folder.PathOf("a.txt")));
        ports.connects.clear();
    }
}

TEST_F(ZemFileTransferFlow, TheSenderServesOnlyTheExactNameAsked) {
    const std::string path = folder.Put("report.txt", "abc");
    struct Case {
        std::string request;
        std::string firstReport;
    } cases[] = {{"Zem_FT_GET_FILE xreport.txt", "4 report.txt 0/3"},
                 {"Zem_FT_GET_FILE report.txt", "1 report.txt 3/3"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        ports.reports.clear();
        ASSERT_NE(Asked(path, c.request), 0);
        ASSERT_FALSE(ports.reports.empty());
        EXPECT_EQ(ports.reports.front(), c.firstReport);
    }
    EXPECT_EQ(ports.Sent(), "abc");
    transfers.OnSocketSendResult(static_cast<int>(ports.connects.size()), 0);
    EXPECT_EQ(ports.reports.back(), "2 report.txt 3/3");
    EXPECT_EQ(transfers.Count(), 0u);
}

TEST_F(ZemFileTransferFlow, TheReceiversCloseEndsTheSendingAsDoneOnlyOnceEveryByteWasHandedOver) {
    // 5000 bytes go in three chunks, each after the last one's send result.
    const std::string content(5000, 'c');
    const std::string path = folder.Put("big.bin", content);
    const struct Case {
        const char* name;
        int sendResults;  // before the close
        std::string lastReport;
    } cases[] = {
        // The receiver had it all and hung up; the close outran the send result.
        {"the close before the last chunk's send result", 2, "2 big.bin 5000/5000"},
        {"the close with a chunk still to go", 1, "4 big.bin 4096/5000"},
        {"the close before the first chunk's send result", 0, "4 big.bin 2048/5000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ports.reports.clear();
        const int socket = Asked(path, "Zem_FT_GET_FILE big.bin");
        ASSERT_NE(socket, 0);
        // One transfer of a file to a contact at a time.
        EXPECT_EQ(transfers.SendFile(bob, U(path)), -1);
        for (int i = 0; i < c.sendResults; ++i)
            transfers.OnSocketSendResult(socket, 0);
        EXPECT_EQ(ports.Sent(), content.substr(0, std::min<size_t>(content.size(), 2048 * (c.sendResults + 1))));
        transfers.OnSocketClosed(socket, 0);
        EXPECT_EQ(ports.reports.back(), c.lastReport);
        EXPECT_EQ(transfers.Count(), 0u);
        // The send result that comes after it finds nothing to go on with.
        transfers.OnSocketSendResult(socket, 0);
        EXPECT_EQ(ports.Sent(), "");
        EXPECT_EQ(ports.reports.back(), c.lastReport);
    }
    EXPECT_EQ(ReadText(path), content);
}

TEST_F(ZemFileTransferFlow, AnswersOnlyCountFromThePeerAndARefusalIsACancel) {
    OfferThroughProxy("a.txt;10;");
    ports.reports.clear();
    transfers.OnAnswer(Packet(MrimBodyWriter().UL(2).LPS("eve@mail.ru").UL(7).LPS("").Take()));
    EXPECT_EQ(transfers.Count(), 1u);
    transfers.OnAnswer(Packet(MrimBodyWriter().UL(2).LPS("bob@mail.ru").UL(7).LPS("").Take()));
    EXPECT_EQ(transfers.Count(), 0u);
    EXPECT_EQ(ports.reports, (std::vector<std::string>{"3 a.txt 0/10"}));
}

TEST(MrimTransferLists, OnlyWholePlainItemsAreTaken) {
    const std::vector<MrimOfferedFile> files = ParseFileList("a.txt;1;../x;2;b/c;3;..;4;d;5;e;");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].name, "a.txt");
    EXPECT_EQ(files[1].name, "d");
    const std::vector<MrimTransferAddress> addresses = ParseAddressList("h:1;h:0;h:65536;:5;g:70000000000;k:2;z:9");
    ASSERT_EQ(addresses.size(), 2u);
    EXPECT_EQ(addresses[1].host.ToUtf8(), "k");
    EXPECT_FALSE(ParseTransferOffer(MrimBodyWriter().LPS("b").UL(1).UL(1).LPS("a;1;").LPS(std::string("\1\0\0\0\x09\0\0\0ab", 10)).LPS("").Take()));
}

}  // namespace
