// Files between two MRIM accounts of the real plug-in library, through the
// scripted server, which relays the offers and answers and pairs the two
// sides on its transfer proxy: ten megabytes each way byte for byte with
// progress reported, never over a file that is there already, and an offer
// the receiver refuses and a transfer it cancels half-way, which end with
// their reports on both sides and leave no partial file.

#include "TestSupport.h"
#include "ZemPeerRig.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace ZemPeers;

constexpr const char* kTransferConfig = R"({"users": {
  "alice@mail.ru": {"password": "a", "contacts": [{"address": "bob@mail.ru", "nick": "Bob"}]},
  "bob@mail.ru": {"password": "b", "contacts": [{"address": "alice@mail.ru", "nick": "Alice"}]}
}})";

std::string Content(size_t size) {
    std::string out(size, '\0');
    uint32_t state = 12345;
    for (char& c : out) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    return out;
}

class MrimScriptedFileTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access(kPython, X_OK) != 0)
            YOL_SKIP_MISSING_PEER("/usr/bin/python3 is missing");
        server = std::make_unique<MrimServer>(folder, kTransferConfig);
        ASSERT_TRUE(server->Ready()) << server->Log();
        core = std::make_unique<ZemCore>(folder);
        alice = core->AddAccount("alice@mail.ru", "a", server->RedirectPort());
        bob = core->AddAccount("bob@mail.ru", "b", server->RedirectPort());
        for (unsigned int account : {alice, bob}) {
            core->Manager().SetStatus(account, Protocols::Online);
            ASSERT_TRUE(core->Eventually([&] { return core->Status(account) == Protocols::Online; }));
        }
        ASSERT_TRUE(core->Eventually([&] { return (bobAtAlice = core->ContactOf(alice, "bob@mail.ru")) != 0; }));
        ASSERT_TRUE(core->Eventually([&] { return (aliceAtBob = core->ContactOf(bob, "alice@mail.ru")) != 0; }));
    }
    void TearDown() override {
        if (server)
            server->ExpectNoFailures();
        core.reset();
        server.reset();
    }
    std::string Report(unsigned int account, int state, bool outgoing, int timeoutMs = 120000) {
        return core->log.WaitFor("ft " + std::to_string(account) + " " + std::to_string(state) + " " +
                                     (outgoing ? "1 " : "0 "),
                                 timeoutMs);
    }
    // Offers `content` as `name` from one account to the other and waits
    // for the offer to be shown.
    void Offer(unsigned int from, unsigned int contact, unsigned int to, const std::string& name,
               const std::string& content) {
        const std::string path = files.Put("out/" + name, content);
        core->Manager().SendFile(from, contact, U(path));
        EXPECT_EQ(Report(to, 0, false), "ft " + std::to_string(to) + " 0 0 " + name + " 0/" +
                                            std::to_string(content.size()));
    }

    TempFolder folder;
    TempFolder files;
    std::unique_ptr<MrimServer> server;
    std::unique_ptr<ZemCore> core;
    unsigned int alice = 0;
    unsigned int bob = 0;
    unsigned int bobAtAlice = 0;
    unsigned int aliceAtBob = 0;
};

TEST_F(MrimScriptedFileTransfer, TenMegabytesCrossTheProxyEachWayWholeAndBesideAnExistingFile) {
    const std::string content = Content(size_t{10} << 20);
    struct Way {
        unsigned int from, contactAtSender, to, contactAtReceiver;
        std::string name;
    } ways[] = {{alice, bobAtAlice, bob, aliceAtBob, "Отчёт.bin"}, {bob, aliceAtBob, alice, bobAtAlice, "photo"}};
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        const std::string kept = files.Put("in/" + way.name, "already here");
        core->log.ForgetProgress();
        Offer(way.from, way.contactAtSender, way.to, way.name, content);
        core->Manager().AcceptFile(way.to, way.contactAtReceiver, U(way.name), U(kept));
        const std::string size = std::to_string(content.size());
        EXPECT_EQ(Report(way.to, 2, false), "ft " + std::to_string(way.to) + " 2 0 " + way.name + " " + size + "/" + size);
        EXPECT_EQ(Report(way.from, 2, true),
                  "ft " + std::to_string(way.from) + " 2 1 " + way.name + " " + size + "/" + size);
        EXPECT_FALSE(server->WaitFor("PROXYPAIR").empty());
        // The file that was there stays; the new one takes the next free name.
        EXPECT_EQ(ReadText(kept), "already here");
        const std::string arrived = files.PathOf(way.name == "photo" ? "in/photo (1)" : "in/Отчёт (1).bin");
        EXPECT_TRUE(ReadText(arrived) == content);
        for (unsigned int account : {way.from, way.to}) {
            const BroadcastLog::Progress progress = core->log.ProgressOf(account);
            EXPECT_GT(progress.reports, 1u);
            EXPECT_EQ(progress.activations, 1u);
            EXPECT_EQ(progress.done, content.size());
        }
    }
}

TEST_F(MrimScriptedFileTransfer, ARefusedOfferEndsOnBothSidesWithNothingWritten) {
    Offer(alice, bobAtAlice, bob, "notes.txt", "some notes");
    core->Manager().RefuseFile(bob, aliceAtBob, U("notes.txt"));
    EXPECT_EQ(server->WaitFor("FTACK "), "FTACK bob@mail.ru alice@mail.ru 0");
    EXPECT_EQ(Report(alice, 3, true), "ft " + std::to_string(alice) + " 3 1 notes.txt 0/10");
    EXPECT_EQ(Report(bob, 3, false), "ft " + std::to_string(bob) + " 3 0 notes.txt 0/10");
    // The same file may be offered again once the first offer is over.
    Offer(alice, bobAtAlice, bob, "notes.txt", "some notes");
}

TEST_F(MrimScriptedFileTransfer, ACancelHalfWayEndsBothSidesAndLeavesNoPartialFile) {
    const std::string content = Content(size_t{10} << 20);
    Offer(alice, bobAtAlice, bob, "big.bin", content);
    files.Put("in/.keep");
    core->Manager().AcceptFile(bob, aliceAtBob, U("big.bin"), U(files.PathOf("in/big.bin")));
    ASSERT_TRUE(core->Eventually([&] { return core->log.ProgressOf(bob).reports > 0; }));
    core->Manager().RefuseFile(bob, aliceAtBob, U("big.bin"));
    EXPECT_FALSE(Report(bob, 3, false).empty());
    // The sender hears of it from the server, or sees its connection cut
    // first: either way its transfer ends with a report.
    EXPECT_TRUE(core->Eventually([&] {
        return core->log.Has("ft " + std::to_string(alice) + " 3 1 ") ||
               core->log.Has("ft " + std::to_string(alice) + " 4 1 ");
    }));
    EXPECT_FALSE(std::filesystem::exists(files.PathOf("in/big.bin")));
}

}  // namespace
