#pragma once
// Our account (alice) and a slixmpp peer (bob) on a real Prosody, in each
// other's rosters and online; what the account tells the program is waited
// for event by event.

#include "LiveXmppAccount.h"
#include "ProsodyFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace XmppPeers {

inline constexpr const char* kAlicePassword = "alice-pw";
inline constexpr const char* kBobPassword = "bob-pw";

class ProsodyWithBob : public testing::Test {
protected:
    // `proxy`: whether our file offers list the server's SOCKS5 proxy.
    void Start(bool proxy) {
        if (!RigAvailable())
            YOL_SKIP_MISSING_PEER("prosody, openssl or /usr/bin/python3 is missing");
        rig = std::make_unique<ProsodyRig>(
            ProsodyRig::Options{{{"alice", kAlicePassword}, {"bob", kBobPassword}}, {}, {{"alice", "bob"}}});
        ASSERT_TRUE(rig->Ready()) << rig->Failure();
        account = std::make_unique<LiveXmppAccount>();
        account->manager.SetAccountByte(LiveXmppAccount::kAccountId, U("SrvSetsProxyEnabled"), proxy ? 1 : 0);
        account->manager.SetAccountString(LiveXmppAccount::kAccountId, U("SrvSetsBytestreamProxy"),
                                          U(rig->ProxyJid()), false);
        account->Setup(rig->Jid("alice"), kAlicePassword, rig->PlainPort(), false);
        account->SetStatus(Protocols::Online);
        ASSERT_TRUE(account->WaitForStatus(Protocols::Online)) << "status " << account->GetStatus();
        bob = std::make_unique<XmppPeer>(*rig, "bob", kBobPassword);
        ASSERT_TRUE(bob->Ready()) << bob->Log();
        ASSERT_TRUE(account->Eventually([&] { return (bobContact = account->ContactOf(rig->Jid("bob"))) != 0; }));
        // Offers go to the resource bob is online with.
        ASSERT_TRUE(account->Eventually([&] { return account->Shown(bobContact).status == Protocols::Online; }));
        const auto presence = bob->WaitForKind("PRESENCE", rig->Jid("alice"));
        ASSERT_TRUE(presence) << bob->Log();
        aliceFullJid = (*presence)[1];
    }

    // Waits for an account event; false when none came. The events before
    // it are dropped.
    bool WaitForEvent(int event, int timeoutMs = 15000) {
        return account->Eventually(
            [&] {
                for (const XmppTest::AccountEventRecord& record : account->manager.TakeEvents())
                    if (record.event == event)
                        return true;
                return false;
            },
            timeoutMs);
    }

    std::unique_ptr<ProsodyRig> rig;
    std::unique_ptr<LiveXmppAccount> account;
    std::unique_ptr<XmppPeer> bob;
    unsigned int bobContact = 0;
    std::string aliceFullJid;
};

}  // namespace XmppPeers
