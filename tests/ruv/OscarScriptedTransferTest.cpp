// File transfer between two real accounts over real sockets, through the
// scripted OSCAR server of tests/peers and its rendezvous proxy: a large
// file each way arrives byte for byte with its progress reported, and a
// refused and a cancelled transfer leave no file behind.

#include "OscarChatFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace {

using namespace RuvPeers;

using Progress = Protocols::FTProgress;

// The transfer reports an account gave, kept as they are read.
struct Reports {
    explicit Reports(LiveRuvAccount& account) : account(account) {}
    // Waits until a report satisfies `match`.
    bool WaitFor(const std::function<bool(const Progress&)>& match, int timeoutMs = 120000) {
        return account.Eventually(
            [&] {
                for (const auto& event : account.manager.TakeEvents())
                    if (event.event == Protocols::AccountEvent::FileTransferProgress)
                        seen.push_back(event.progress);
                return std::any_of(seen.begin(), seen.end(), match);
            },
            timeoutMs);
    }
    bool WaitForState(unsigned int state) {
        return WaitFor([state](const Progress& p) { return p.state == state; });
    }
    size_t Count(unsigned int state) const {
        return static_cast<size_t>(
            std::count_if(seen.begin(), seen.end(), [state](const Progress& p) { return p.state == state; }));
    }
    const Progress* Last(unsigned int state) const {
        for (auto it = seen.rbegin(); it != seen.rend(); ++it)
            if (it->state == state)
                return &*it;
        return nullptr;
    }

    LiveRuvAccount& account;
    std::vector<Progress> seen;
};

class OscarScriptedTransfer : public OscarChatFixture {
protected:
    // A file of `size` pseudo-random bytes in the files folder.
    std::string MakeFile(const std::string& name, size_t size, unsigned int seed) {
        std::string bytes(size, '\0');
        std::mt19937 random(seed);
        for (char& c : bytes)
            c = static_cast<char>(random());
        return files.Put(name, bytes);
    }
    static void SendFile(LiveRuvAccount& from, unsigned int contact, const std::string& path) {
        from.Command(Protocols::AccountCommand::SendFile, LiveRuvAccount::Arg(contact), LiveRuvAccount::Arg(path));
    }
    static void AcceptFile(LiveRuvAccount& at, unsigned int contact, const std::string& name,
                           const std::string& target) {
        at.Command(Protocols::AccountCommand::AcceptFile, LiveRuvAccount::Arg(contact),
                   new Services::CEventArg_Data<CYolPair<CYolString, CYolString>>(
                       CYolPair<CYolString, CYolString>(U(name), U(target))));
    }
    static void RefuseFile(LiveRuvAccount& at, unsigned int contact, const std::string& name) {
        at.Command(Protocols::AccountCommand::RefuseFile, LiveRuvAccount::Arg(contact), LiveRuvAccount::Arg(name));
    }

    TempFolder files;
    Reports aReports{a};
    Reports bReports{b};
};

TEST_F(OscarScriptedTransfer, TenMegabytesEachWayThroughTheProxy) {
    Start({"--proxy", "--timeout", "120"});
    constexpr size_t kSize = 10 * 1024 * 1024;
    std::filesystem::create_directories(files.PathOf("at-a"));
    std::filesystem::create_directories(files.PathOf("at-b"));
    const struct {
        LiveRuvAccount& from;
        Reports& fromReports;
        unsigned int contact;
        LiveRuvAccount& to;
        Reports& toReports;
        unsigned int contactAtReceiver;
        std::string name;
        std::string folder;
    } ways[] = {
        {a, aReports, aSeesB, b, bReports, bSeesA, "to-b.bin", "at-b"},
        {b, bReports, bSeesA, a, aReports, aSeesB, "to-a.bin", "at-a"},
    };
    unsigned int seed = 1;
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        way.fromReports.seen.clear();
        way.toReports.seen.clear();
        const std::string path = MakeFile(way.name, kSize, seed++);
        SendFile(way.from, way.contact, path);
        ASSERT_TRUE(way.toReports.WaitForState(0)) << Log();
        const Progress offer = *way.toReports.Last(0);
        EXPECT_EQ(offer.contactId, way.contactAtReceiver);
        EXPECT_EQ(offer.fileName.ToUtf8(), way.name);
        EXPECT_EQ(offer.totalSize, kSize);
        const std::string target = files.PathOf(way.folder + "/" + way.name);
        AcceptFile(way.to, way.contactAtReceiver, way.name, target);

        ASSERT_TRUE(way.toReports.WaitForState(2)) << Log();
        ASSERT_TRUE(way.fromReports.WaitForState(2)) << Log();
        EXPECT_EQ(ReadText(target), ReadText(path));
        // Progress came on both sides, growing to the whole file.
        for (const Reports* side : {&way.fromReports, &way.toReports}) {
            EXPECT_GT(side->Count(1), 1u);
            EXPECT_EQ(side->Count(4), 0u);
            EXPECT_EQ(side->Last(2)->doneSize, kSize);
        }
        EXPECT_EQ(way.fromReports.Last(2)->outgoing, 1u);
        EXPECT_EQ(way.toReports.Last(2)->outgoing, 0u);
        EXPECT_EQ(way.toReports.Last(2)->fileName.ToUtf8(), target);
    }
}

TEST_F(OscarScriptedTransfer, RefusedAndCancelledTransfersLeaveNoFile) {
    // The proxy passes the receiver only the start of what the sender
    // sends, so the cancelled transfer is still under way when it is
    // cancelled.
    Start({"--proxy", "--proxy-drop", "300000"});
    std::filesystem::create_directories(files.PathOf("in"));
    const std::string path = MakeFile("refused.bin", 1 << 20, 7);
    SendFile(a, aSeesB, path);
    ASSERT_TRUE(bReports.WaitForState(0)) << Log();
    RefuseFile(b, bSeesA, "refused.bin");
    ASSERT_TRUE(aReports.WaitForState(3)) << Log();
    ASSERT_TRUE(bReports.WaitForState(3)) << Log();
    EXPECT_EQ(aReports.Last(3)->fileName.ToUtf8(), path);

    const std::string cancelled = MakeFile("cancelled.bin", 1 << 20, 8);
    SendFile(a, aSeesB, cancelled);
    ASSERT_TRUE(bReports.WaitFor([](const Progress& p) { return p.state == 0 && p.fileName.ToUtf8() == "cancelled.bin"; }))
        << Log();
    const std::string target = files.PathOf("in/cancelled.bin");
    AcceptFile(b, bSeesA, "cancelled.bin", target);
    ASSERT_TRUE(bReports.WaitFor([](const Progress& p) { return p.state == 1 && p.doneSize > 0; })) << Log();
    EXPECT_TRUE(std::filesystem::exists(target));
    RefuseFile(b, bSeesA, "cancelled.bin");
    ASSERT_TRUE(bReports.WaitFor([](const Progress& p) { return p.state == 3 && p.fileName.ToUtf8() != "refused.bin"; }))
        << Log();
    // The sender hears of it through the server or sees its connection
    // go, whichever comes first.
    ASSERT_TRUE(aReports.WaitFor([&](const Progress& p) {
        return (p.state == 3 || p.state == 4) && p.fileName.ToUtf8() == cancelled;
    })) << Log();
    EXPECT_EQ(bReports.Count(2), 0u);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_TRUE(std::filesystem::is_empty(files.PathOf("in")));
}

}  // namespace
