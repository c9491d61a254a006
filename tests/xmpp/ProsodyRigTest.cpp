// The Prosody rig and the slixmpp peer on their own: two real clients talk
// through the server, so that a failing end-to-end test of the account points
// at the account, not at its test bench.

#include "ProsodyFixture.h"

#include <gtest/gtest.h>

namespace {

using namespace XmppPeers;

class ProsodyRigTest : public testing::Test {
protected:
    void SetUp() override {
        if (!RigAvailable())
            YOL_SKIP_MISSING_PEER("prosody, openssl or /usr/bin/python3 is missing");
    }
    std::unique_ptr<ProsodyRig> Start(const ProsodyRig::Options& options) {
        auto rig = std::make_unique<ProsodyRig>(options);
        EXPECT_TRUE(rig->Ready()) << rig->Failure();
        return rig;
    }
};

TEST_F(ProsodyRigTest, PeersOnThePlainAndTheTlsPortExchangeMessagesStatesAndReceipts) {
    auto rig = Start({{{"alice", "secret"}, {"bob", "пароль"}}, {}});
    ASSERT_TRUE(rig->Ready());
    XmppPeer alice(*rig, "alice", "secret");
    XmppPeer bob(*rig, "bob", "пароль", /*tls=*/true);
    ASSERT_TRUE(alice.Ready()) << alice.Log();
    ASSERT_TRUE(bob.Ready()) << bob.Log();

    ASSERT_TRUE(alice.Do({"message", rig->Jid("bob"), "Привет,\tмир\nвторая строка", "m1"}));
    auto message = bob.WaitForKind("MESSAGE", rig->Jid("alice"));
    ASSERT_TRUE(message) << bob.Log();
    EXPECT_EQ((*message)[2], "m1");
    EXPECT_EQ((*message)[3], "chat");
    EXPECT_EQ((*message)[4], "Привет,\tмир\nвторая строка");

    ASSERT_TRUE(bob.Do({"receipt", rig->Jid("alice") + "/peer", "m1"}));
    auto receipt = alice.WaitForKind("RECEIPT", rig->Jid("bob"));
    ASSERT_TRUE(receipt);
    EXPECT_EQ((*receipt)[2], "m1");

    ASSERT_TRUE(bob.Do({"chatstate", rig->Jid("alice") + "/peer", "composing"}));
    auto state = alice.WaitForKind("CHATSTATE", rig->Jid("bob"));
    ASSERT_TRUE(state);
    EXPECT_EQ((*state)[2], "composing");
}

// The proxy's component opens its port after the client ports: a rig that
// said it was ready before that, or while another program held the port,
// left every SOCKS5 file transfer failing at the proxy's stream-host answer.
TEST_F(ProsodyRigTest, TheFileTransferProxyListensOnceTheRigIsReady) {
    auto rig = Start({{{"alice", "a"}}, {}});
    ASSERT_TRUE(rig->Ready());
    ASSERT_NE(rig->ProxyPort(), 0u);
    EXPECT_TRUE(Accepts(rig->ProxyPort()));
}

TEST_F(ProsodyRigTest, SubscriptionLetsThePeerSeeStatusChanges) {
    auto rig = Start({{{"alice", "a"}, {"bob", "b"}}, {}});
    ASSERT_TRUE(rig->Ready());
    XmppPeer alice(*rig, "alice", "a");
    XmppPeer bob(*rig, "bob", "b");
    ASSERT_TRUE(alice.Ready() && bob.Ready());

    ASSERT_TRUE(bob.Do({"subscribe", rig->Jid("alice")}));
    ASSERT_TRUE(alice.WaitForKind("SUBSCRIBE", rig->Jid("bob")));
    ASSERT_TRUE(alice.Do({"subscribed", rig->Jid("bob")}));
    ASSERT_TRUE(bob.WaitForKind("SUBSCRIBED", rig->Jid("alice")));

    ASSERT_TRUE(alice.Do({"presence", "away", "На обеде"}));
    auto away = bob.WaitFor([&](const PeerLine& l) {
        return l[0] == "PRESENCE" && l[1].rfind(rig->Jid("alice"), 0) == 0 && l.size() > 4 && l[3] == "away";
    });
    ASSERT_TRUE(away) << bob.Log();
    EXPECT_EQ((*away)[4], "На обеде");

    auto roster = bob.Roster();
    ASSERT_EQ(roster.size(), 1u);
    EXPECT_EQ(roster[0][0], rig->Jid("alice"));
    EXPECT_EQ(roster[0][2], "to");
}

TEST_F(ProsodyRigTest, GeneratedRosterIsServedAndSurvivesARestart) {
    auto rig = Start({{{"alice", "a"}}, {{"alice", 25}}});
    ASSERT_TRUE(rig->Ready());
    {
        XmppPeer alice(*rig, "alice", "a");
        ASSERT_TRUE(alice.Ready());
        auto roster = alice.Roster();
        ASSERT_EQ(roster.size(), 25u);
        EXPECT_EQ(roster[0], (PeerLine{"contact00001@localhost", "Contact 00001", "both", "Group 1"}));
        EXPECT_EQ(roster[24], (PeerLine{"contact00025@localhost", "Contact 00025", "both", "Group 5"}));
        ASSERT_TRUE(alice.Do({"add", "new@localhost", "Новый", "Друзья"}));
    }

    ASSERT_TRUE(rig->Restart());
    ASSERT_TRUE(rig->Register("carol", "c"));
    XmppPeer alice(*rig, "alice", "a");
    XmppPeer carol(*rig, "carol", "c");
    ASSERT_TRUE(alice.Ready() && carol.Ready());
    auto roster = alice.Roster();
    ASSERT_EQ(roster.size(), 26u);
    EXPECT_EQ(roster[25], (PeerLine{"new@localhost", "Новый", "none", "Друзья"}));
}

TEST_F(ProsodyRigTest, WrongPasswordIsRefused) {
    auto rig = Start({{{"alice", "a"}}, {}});
    ASSERT_TRUE(rig->Ready());
    XmppPeer intruder(*rig, "alice", "wrong");
    EXPECT_FALSE(intruder.Ready());
}

}  // namespace
