// Chats with the real program as a child process, headless, against the
// Prosody rig with a slixmpp client as the other party: a message from the
// peer opens a tab once its notice is answered, the reply reaches the peer,
// typing shows on both sides, a smiley code becomes a picture, and after a
// restart the chat shows the conversation from the history files. The
// program is watched through its socket.

#include "ProgramTestSupport.h"
#include "ProsodyFixture.h"

#include <gtest/gtest.h>

namespace {

using namespace ProgramTest;
using namespace XmppPeers;

constexpr const char* kAlicePassword = "alice-pw";
constexpr const char* kBobPassword = "bob-pw";
constexpr const char* kCarolPassword = "carol-pw";
constexpr int kWaitMs = 60000;

class ChatWithPeer : public testing::Test {
protected:
    void SetUp() override {
        if (!RigAvailable())
            YOL_SKIP_MISSING_PEER("prosody, openssl or /usr/bin/python3 is missing");
        rig = std::make_unique<ProsodyRig>(ProsodyRig::Options{
            {{"alice", kAlicePassword}, {"bob", kBobPassword}, {"carol", kCarolPassword}}, {}});
        ASSERT_TRUE(rig->Ready()) << rig->Failure();
        bob = std::make_unique<XmppPeer>(*rig, "bob", kBobPassword);
        ASSERT_TRUE(bob->Ready()) << bob->Log();
        carol = std::make_unique<XmppPeer>(*rig, "carol", kCarolPassword);
        ASSERT_TRUE(carol->Ready()) << carol->Log();
        XmppPeer alice(*rig, "alice", kAlicePassword, false, "setup");
        ASSERT_TRUE(alice.Ready()) << alice.Log();
        Befriend(alice, *bob, "bob", "Bob");
        Befriend(alice, *carol, "carol", "Carol");
        fs::create_directory_symlink(fs::path(YOL_PROGRAM_FOLDER) / "Smilies", folder.PathOf("Smilies"));
        folder.WriteXmppAccount(rig->Jid("alice"), kAlicePassword, rig->PlainPort());
    }

    // alice has the peer in her roster, each subscribed to the other.
    void Befriend(XmppPeer& alice, XmppPeer& peer, const std::string& user, const std::string& name) {
        const std::string aliceJid = rig->Jid("alice"), peerJid = rig->Jid(user);
        ASSERT_TRUE(alice.Do({"add", peerJid, name, "Friends"}));
        ASSERT_TRUE(alice.Do({"subscribe", peerJid}));
        ASSERT_TRUE(peer.WaitForKind("SUBSCRIBE", aliceJid));
        ASSERT_TRUE(peer.Do({"subscribed", aliceJid}));
        ASSERT_TRUE(peer.Do({"subscribe", aliceJid}));
        ASSERT_TRUE(alice.WaitForKind("SUBSCRIBE", peerJid));
        ASSERT_TRUE(alice.Do({"subscribed", peerJid}));
        ASSERT_TRUE(alice.WaitForKind("SUBSCRIBED", peerJid));
    }

    std::unique_ptr<Child> Start(const std::string& log) {
        auto yol = std::make_unique<Child>(folder.PathOf("yol"), std::vector<std::string>{"--headless"},
                                           std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", folder.Runtime()}},
                                           folder.PathOf(log));
        EXPECT_TRUE(folder.WaitForSocket()) << ReadText(folder.PathOf(log));
        EXPECT_EQ(folder.Ask("wait-online " + rig->Jid("bob") + " 60000", 70000), std::optional<std::string>("OK"))
            << ReadText(folder.PathOf(log));
        return yol;
    }
    std::string Ask(const std::string& line) { return folder.Ask(line, kWaitMs + 10000).value_or("no answer"); }
    // Waits until the command answers OK.
    std::string WaitFor(const std::string& line) { return Ask("wait " + std::to_string(kWaitMs) + " " + line); }
    void Stop(Child& yol) {
        EXPECT_EQ(Ask("close"), "OK");
        EXPECT_EQ(yol.Wait(kWaitMs), std::optional<int>(0));
    }

    std::unique_ptr<ProsodyRig> rig;
    std::unique_ptr<XmppPeer> bob;
    std::unique_ptr<XmppPeer> carol;
    ProgramFolder folder;
};

TEST_F(ChatWithPeer, MessagesTypingAndSmileysBothWaysThenHistoryAfterARestart) {
    const std::string aliceJid = rig->Jid("alice");
    auto yol = Start("yol.log");
    ASSERT_FALSE(HasFatalFailure());

    // The peer writes; the chat opens when its notice is answered.
    ASSERT_TRUE(bob->Do({"message", aliceJid, "hello alice :-)", "", "active"}));
    const std::string opened = WaitFor("open-unread");
    ASSERT_EQ(opened.rfind("OK ", 0), 0u) << opened << ReadText(folder.PathOf("yol.log"));
    const std::string tab = opened.substr(3);
    std::string tabs = Ask("tabs");
    EXPECT_NE(tabs.find("*" + tab + ":Bob:"), std::string::npos) << tabs;
    EXPECT_NE(tabs.find(":smileys=1"), std::string::npos) << "the code is drawn as its picture: " << tabs;
    EXPECT_NE(tabs.find(" shown"), std::string::npos) << tabs;
    EXPECT_NE(Ask("tab-text " + tab).find("hello alice :-)"), std::string::npos);

    // Typing here shows there, and pauses.
    EXPECT_EQ(Ask("type " + tab + " hi b"), "OK");
    auto composing = bob->WaitFor(
        [&](const PeerLine& l) { return l[0] == "CHATSTATE" && l.size() > 2 && l[2] == "composing"; }, kWaitMs);
    EXPECT_TRUE(composing.has_value()) << bob->Log();
    auto paused = bob->WaitFor(
        [&](const PeerLine& l) { return l[0] == "CHATSTATE" && l.size() > 2 && l[2] == "paused"; }, kWaitMs);
    EXPECT_TRUE(paused.has_value()) << bob->Log();

    // The reply reaches the peer.
    EXPECT_EQ(Ask("send " + tab + "ob, see you"), "OK");
    auto reply = bob->WaitFor([&](const PeerLine& l) { return l[0] == "MESSAGE" && l.size() > 4; }, kWaitMs);
    ASSERT_TRUE(reply.has_value()) << bob->Log();
    EXPECT_EQ((*reply)[4], "hi bob, see you");
    EXPECT_EQ(WaitFor("wait-tab-text " + tab + " hi bob, see you"), "OK") << Ask("tab-text " + tab);

    // Typing there shows here as the typing picture on the tab, and ends.
    ASSERT_TRUE(bob->Do({"chatstate", aliceJid, "composing"}));
    EXPECT_EQ(WaitFor("wait-tab-icons " + tab + " 53").rfind("OK", 0), 0u) << Ask("tabs");
    ASSERT_TRUE(bob->Do({"chatstate", aliceJid, "paused"}));
    const std::string rested = WaitFor("wait-tab-icons " + tab + " !53");
    EXPECT_EQ(rested.rfind("OK", 0), 0u) << Ask("tabs");

    // A second chat opens beside the first.
    ASSERT_TRUE(carol->Do({"message", aliceJid, "carol here ;-)", "", "active"}));
    const std::string second = WaitFor("open-unread");
    ASSERT_EQ(second.rfind("OK ", 0), 0u) << second;
    tabs = Ask("tabs");
    EXPECT_NE(tabs.find(tab + ":Bob:"), std::string::npos) << tabs;
    EXPECT_NE(tabs.find("*" + second.substr(3) + ":Carol:"), std::string::npos) << tabs;
    const std::string shot = folder.PathOf("chat.png");
    EXPECT_EQ(Ask("chat-screenshot " + shot), "OK");
    EXPECT_GT(fs::file_size(shot), 1000u);
    if (const char* keep = std::getenv("YOL_KEEP_SCREENSHOTS"))
        fs::copy_file(shot, fs::path(keep) / "chat-two-tabs.png", fs::copy_options::overwrite_existing);
    Stop(*yol);

    // After a restart the next message opens the chat on the stored
    // conversation, a separator before what is new.
    yol = Start("yol2.log");
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(bob->Do({"message", aliceJid, "back again", "", "active"}));
    const std::string reopened = WaitFor("open-unread");
    ASSERT_EQ(reopened, "OK " + tab) << ReadText(folder.PathOf("yol2.log"));
    const std::string text = Ask("tab-text " + tab);
    const size_t hello = text.find("hello alice :-)");
    const size_t sent = text.find("hi bob, see you");
    const size_t again = text.find("back again");
    EXPECT_NE(hello, std::string::npos) << text;
    EXPECT_NE(sent, std::string::npos) << text;
    EXPECT_NE(again, std::string::npos) << text;
    EXPECT_TRUE(hello < sent && sent < again) << text;
    Stop(*yol);
}

} // namespace
