// Files between the XMPP account and a real other party (slixmpp) on a real
// server (Prosody): through the server's SOCKS5 proxy and in band, in both
// directions, byte for byte, with progress reported, and a refused offer.

#include "ProsodyWithBob.h"

#include <gtest/gtest.h>

namespace {

using namespace XmppPeers;
namespace AccountCommand = Protocols::AccountCommand;

struct Method {
    const char* name;  // the peer's name of the method
    bool proxy;        // whether our offers list the proxy (SOCKS5 is then taken)
    size_t size;
};
void PrintTo(const Method& method, std::ostream* out) { *out << method.name; }

class ProsodyFileTransfer : public ProsodyWithBob, public testing::WithParamInterface<Method> {
protected:
    void SetUp() override { Start(GetParam().proxy); }

    // Transfer reports until one has state `last` or ends the transfer
    // otherwise (kept with the rest): a transfer that failed is seen at once.
    std::vector<Protocols::FTProgress> ReportsUntil(unsigned int last, int timeoutMs = 60000) {
        std::vector<Protocols::FTProgress> reports;
        account->Eventually(
            [&] {
                for (const XmppTest::AccountEventRecord& record : account->manager.TakeEvents())
                    if (record.event == Protocols::AccountEvent::FileTransferProgress)
                        reports.push_back(record.progress);
                return !reports.empty() && (reports.back().state == last || reports.back().state >= 2);
            },
            timeoutMs);
        return reports;
    }
    static void ExpectProgressToTheEnd(const std::vector<Protocols::FTProgress>& reports, size_t size, bool outgoing) {
        ASSERT_GE(reports.size(), 2u);
        size_t progress = 0;
        for (const Protocols::FTProgress& report : reports)
            if (report.state == 1) {
                ++progress;
                EXPECT_EQ(report.outgoing, outgoing ? 1u : 0u);
                EXPECT_EQ(report.totalSize, size);
            }
        EXPECT_GT(progress, 1u);
        EXPECT_EQ(reports.back().state, 2u);
        EXPECT_EQ(reports.back().doneSize, size);
    }

    TempFolder files;
};

std::string Content(size_t size) {
    std::string out(size, '\0');
    uint32_t state = 12345;
    for (char& c : out) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    return out;
}

TEST_P(ProsodyFileTransfer, AFileWeSendArrivesWhole) {
    const std::string content = Content(GetParam().size);
    const std::string path = files.Put("Отчёт за год.bin", content);
    files.Put("received/.keep");
    ASSERT_TRUE(bob->Do({"files", "accept", files.PathOf("received")}));
    account->Command(AccountCommand::SendFile, LiveXmppAccount::Arg(bobContact), LiveXmppAccount::Arg(path));
    // Our last byte is out before bob has it: our end first, then his file.
    const std::vector<Protocols::FTProgress> reports = ReportsUntil(2, 120000);
    ASSERT_TRUE(!reports.empty() && reports.back().state == 2u) << bob->Log();
    ExpectProgressToTheEnd(reports, content.size(), true);
    const auto arrived = bob->WaitForKind("FILE", {}, 120000);
    ASSERT_TRUE(arrived) << bob->Log();
    EXPECT_EQ((*arrived)[1], "Отчёт за год.bin");
    EXPECT_TRUE(ReadText(files.PathOf("received/Отчёт за год.bin")) == content);
}

TEST_P(ProsodyFileTransfer, AFileThePeerSendsArrivesWhole) {
    const std::string content = Content(GetParam().size);
    const std::string path = files.Put("from-bob/photo.jpg", content);
    ASSERT_TRUE(bob->Do({"sendfile", aliceFullJid, path, GetParam().name}));
    const std::vector<Protocols::FTProgress> offered = ReportsUntil(0);
    ASSERT_FALSE(offered.empty()) << bob->Log();
    EXPECT_EQ(offered.back().fileName.ToUtf8(), "photo.jpg");
    EXPECT_EQ(offered.back().totalSize, content.size());
    const std::string target = files.PathOf("photo.jpg");
    account->Command(AccountCommand::AcceptFile, LiveXmppAccount::Arg(bobContact),
                     new Services::CEventArg_Data<Protocols::StringPair>(
                         Protocols::StringPair(U("photo.jpg"), U(target))));
    ExpectProgressToTheEnd(ReportsUntil(2, 120000), content.size(), false);
    EXPECT_TRUE(ReadText(target) == content);
    EXPECT_TRUE(bob->WaitForKind("SENT")) << bob->Log();
}

TEST_P(ProsodyFileTransfer, AnOfferThePeerRefusesEndsWithItsReport) {
    ASSERT_TRUE(bob->Do({"files", "refuse", files.PathOf("")}));
    account->Command(AccountCommand::SendFile, LiveXmppAccount::Arg(bobContact),
                     LiveXmppAccount::Arg(files.Put("a.txt", "text")));
    EXPECT_TRUE(bob->WaitForKind("FILEOFFER")) << bob->Log();
    const std::vector<Protocols::FTProgress> reports = ReportsUntil(3);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].state, 3u);
    EXPECT_EQ(reports[0].outgoing, 1u);
}

INSTANTIATE_TEST_SUITE_P(ProsodyMethods, ProsodyFileTransfer,
                         testing::Values(Method{"socks5", true, 10u << 20}, Method{"ibb", false, 200u << 10}),
                         [](const testing::TestParamInfo<Method>& info) { return std::string(info.param.name); });

}  // namespace
