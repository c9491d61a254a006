// The XMPP account against a real server (Prosody) and a real other party
// (slixmpp): logging in over the plain and the TLS port, the roster in the
// contact-list model, contact changes the server keeps, messages both ways,
// the peer's presence, a subscription request, chat states, receipts and
// capabilities with the peer's client, reconnection after the server
// restarts and a clean logout.

#include "LiveXmppAccount.h"
#include "ProsodyFixture.h"
#include "ProsodyWithBob.h"

#include "CYolMenuInfo.h"
#include "JabberCaps.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace XmppPeers;
namespace AccountCommand = Protocols::AccountCommand;

constexpr const char* kAliceNonAsciiPassword = "секрет";

class ProsodyEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        if (!RigAvailable())
            YOL_SKIP_MISSING_PEER("prosody, openssl or /usr/bin/python3 is missing");
    }

    // The server with alice (our account) and bob (the peer); alice's
    // roster holds `rosterSize` generated contacts.
    void StartServer(int rosterSize = 0) {
        ProsodyRig::Options options{{{"alice", kAliceNonAsciiPassword}, {"bob", kBobPassword}}, {}};
        if (rosterSize > 0)
            options.rosters.push_back({"alice", rosterSize});
        rig = std::make_unique<ProsodyRig>(options);
        ASSERT_TRUE(rig->Ready()) << rig->Failure();
    }
    void LogIn(bool tls = false) {
        account = std::make_unique<LiveXmppAccount>();
        account->Setup(rig->Jid("alice"), kAliceNonAsciiPassword, tls ? rig->TlsPort() : rig->PlainPort(), tls);
        account->SetStatus(Protocols::Online);
        ASSERT_TRUE(account->WaitForStatus(Protocols::Online)) << "status " << account->GetStatus();
    }
    std::unique_ptr<XmppPeer> Peer(const std::string& resource = "peer") {
        auto peer = std::make_unique<XmppPeer>(*rig, "bob", kBobPassword, false, resource);
        EXPECT_TRUE(peer->Ready()) << peer->Log();
        return peer;
    }
    // alice's roster as the server keeps it, read by another session of hers.
    std::vector<PeerLine> ServerRoster() {
        XmppPeer check(*rig, "alice", kAliceNonAsciiPassword, false, "check");
        EXPECT_TRUE(check.Ready()) << check.Log();
        return check.Roster();
    }
    // Waits until alice's server roster satisfies `done`.
    // When it does not, the roster last seen is in the test's output.
    bool ServerRosterBecomes(const std::function<bool(const std::vector<PeerLine>&)>& done) {
        // Each look is a round trip to the server, which is the wait.
        std::vector<PeerLine> last;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        do {
            if (done(last = ServerRoster()))
                return true;
        } while (std::chrono::steady_clock::now() < deadline);
        std::string seen;
        for (const PeerLine& item : last)
            seen += " [" + item[0] + " '" + item[1] + "' " + item[2] + " " + item[3] + "]";
        ADD_FAILURE() << "the server's roster stayed:" << seen;
        return false;
    }
    static const PeerLine* Find(const std::vector<PeerLine>& roster, const std::string& jid) {
        for (const PeerLine& item : roster)
            if (item[0] == jid)
                return &item;
        return nullptr;
    }
    // A group of the account's own, made through the account.
    unsigned int MakeGroup(const std::string& name) {
        account->Command(AccountCommand::AddGroup, LiveXmppAccount::Arg(name));
        unsigned int group = 0;
        EXPECT_TRUE(account->Eventually([&] { return (group = account->GroupNamed(name)) != 0; }));
        return group;
    }
    // Adds bob in a group (contacts outside groups stay off the server's roster).
    void AddBob(const std::string& name) {
        const unsigned int group = MakeGroup("Друзья");
        account->Command(AccountCommand::AddContact,
                         new Services::CEventArg_Data<Protocols::StringPair>(
                             Protocols::StringPair(U(rig->Jid("bob")), U(name))),
                         LiveXmppAccount::Arg(group));
    }
    // The contact's menu item with that caption, picked as the user would.
    bool PickContactMenuItem(unsigned int contact, const std::string& caption) {
        CYolMenuInfo menu;
        account->Command(AccountCommand::GetContactMenu, LiveXmppAccount::Arg(contact),
                         new Services::CEventArg_Data<CYolMenuInfo*>(&menu));
        for (int i = 0; i < menu.Count(); ++i)
            if (menu[i].caption.GetLocalized().ToUtf8() == caption)
                return menu[i].Invoke(contact);
        return false;
    }
    // The contact of an authorization request (a message of kind 3) that
    // reached the contact list.
    unsigned int AuthorizationRequestContact() {
        const std::string line = account->log.WaitFor("message ");
        if (line.empty())
            return 0;
        const size_t idEnd = line.find(' ', 8);
        EXPECT_EQ(line.substr(idEnd, 3), " 3 ") << line;
        return static_cast<unsigned int>(std::stoul(line.substr(8, idEnd - 8)));
    }
    // bob in alice's roster with a mutual subscription, both sides online:
    // bob asks and alice grants, then alice asks through the contact menu and
    // bob grants.
    void BecomeMutualContacts(XmppPeer& bob) {
        AddBob("Боб");
        ASSERT_TRUE(account->Eventually([&] { return (bobContact = account->ContactOf(rig->Jid("bob"))) != 0; }));
        ASSERT_TRUE(bob.Do({"subscribe", rig->Jid("alice")}));
        ASSERT_NE(AuthorizationRequestContact(), 0u);
        account->Command(AccountCommand::SetAuthorization, LiveXmppAccount::Arg(bobContact), LiveXmppAccount::Arg(true));
        ASSERT_TRUE(bob.WaitForKind("SUBSCRIBED", rig->Jid("alice")));
        ASSERT_TRUE(PickContactMenuItem(bobContact, "Request authorization"));
        ASSERT_TRUE(bob.WaitForKind("SUBSCRIBE", rig->Jid("alice")));
        ASSERT_TRUE(bob.Do({"subscribed", rig->Jid("alice")}));
    }

    std::unique_ptr<ProsodyRig> rig;
    std::unique_ptr<LiveXmppAccount> account;
    unsigned int bobContact = 0;
};

class ProsodyLogin : public ProsodyEndToEnd, public testing::WithParamInterface<bool> {};

TEST_P(ProsodyLogin, LogsInAndLoadsItsRosterIntoTheContactList) {
    StartServer(3);
    LogIn(GetParam());
    EXPECT_TRUE(account->Eventually([&] { return account->Contacts().size() == 3; }));
    EXPECT_EQ(account->Contacts(), (std::vector<std::string>{
                                       "Group 1/contact00001@localhost 'Contact 00001' 3",
                                       "Group 2/contact00002@localhost 'Contact 00002' 3",
                                       "Group 3/contact00003@localhost 'Contact 00003' 3",
                                   }));
    CYolString login;
    account->Command(AccountCommand::GetLogin, new Services::CEventArg_Data<CYolString*>(&login));
    EXPECT_EQ(login.ToUtf8(), "alice@localhost");
}

INSTANTIATE_TEST_SUITE_P(PlainAndTls, ProsodyLogin, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Tls" : "Plain"; });

TEST_F(ProsodyEndToEnd, WrongPasswordLeavesTheAccountOfflineWithTheLoginText) {
    StartServer();
    account = std::make_unique<LiveXmppAccount>();
    account->Setup(rig->Jid("alice"), "wrong", rig->PlainPort(), false);
    account->SetStatus(Protocols::Online);
    ASSERT_TRUE(account->Eventually([&] {
        for (const auto& e : account->manager.TakeEvents())
            if (e.event == Protocols::AccountEvent::ShowText)
                return e.text.ToUtf8() == "Invalid account name or password";
        return false;
    }));
    EXPECT_EQ(account->GetStatus(), Protocols::Offline);
}

TEST_F(ProsodyEndToEnd, ContactChangesAreKeptByTheServer) {
    StartServer();
    LogIn();
    const std::string bob = rig->Jid("bob");

    AddBob("Боб");
    ASSERT_TRUE(ServerRosterBecomes([&](const auto& roster) {
        const PeerLine* item = Find(roster, bob);
        return item && (*item)[1] == "Боб" && (*item)[3] == "Друзья";
    }));
    unsigned int contact = 0;
    ASSERT_TRUE(account->Eventually([&] { return (contact = account->ContactOf(bob)) != 0; }));

    account->Command(AccountCommand::RenameContact, LiveXmppAccount::Arg(contact), LiveXmppAccount::Arg(std::string("Бобби")));
    EXPECT_TRUE(ServerRosterBecomes([&](const auto& roster) {
        const PeerLine* item = Find(roster, bob);
        return item && (*item)[1] == "Бобби";
    }));

    const unsigned int group = MakeGroup("Работа");
    ASSERT_NE(group, 0u);
    account->Command(AccountCommand::MoveContact, LiveXmppAccount::Arg(contact), LiveXmppAccount::Arg(group));
    EXPECT_TRUE(ServerRosterBecomes([&](const auto& roster) {
        const PeerLine* item = Find(roster, bob);
        return item && (*item)[3] == "Работа";
    }));

    account->Command(AccountCommand::DeleteContact, LiveXmppAccount::Arg(contact));
    EXPECT_TRUE(ServerRosterBecomes([&](const auto& roster) { return Find(roster, bob) == nullptr; }));
}

TEST_F(ProsodyEndToEnd, MessagesTravelBothWaysInCyrillic) {
    StartServer();
    LogIn();
    auto bob = Peer();
    ASSERT_TRUE(bob->Ready());
    BecomeMutualContacts(*bob);

    ASSERT_TRUE(bob->Do({"message", rig->Jid("alice"), "Привет, Алиса! <b>&amp;</b>"}));
    EXPECT_EQ(account->log.WaitFor("message " + std::to_string(bobContact)),
              "message " + std::to_string(bobContact) + " 0 Привет, Алиса! <b>&amp;</b>");

    Protocols::MessageInfo message;
    message.contactId = bobContact;
    message.messageId = 77;
    message.text = U("Здравствуй, Боб & <друг>");
    account->Command(AccountCommand::SendMessage, new Services::CEventArg_Data<Protocols::MessageInfo>(message));
    auto got = bob->WaitForKind("MESSAGE", rig->Jid("alice"));
    ASSERT_TRUE(got) << bob->Log();
    EXPECT_EQ((*got)[4], "Здравствуй, Боб & <друг>");
}

// The server passes on a message larger than the account keeps of one
// stanza: only that message is lost, the user is told, and the session goes
// on for the messages after it, however often it comes.
TEST_F(ProsodyEndToEnd, AMessageTooLargeIsDroppedAloneAndTheUserIsTold) {
    StartServer();
    LogIn();
    auto bob = Peer();
    ASSERT_TRUE(bob->Ready());
    BecomeMutualContacts(*bob);
    const std::string notice = "A message from " + rig->Jid("bob") + " was too large to receive and has been dropped.";
    for (const char* after : {"после первого", "после второго"}) {
        ASSERT_TRUE(bob->Do({"bigmessage", rig->Jid("alice"), std::to_string(2 << 20)})) << bob->Log();
        ASSERT_TRUE(bob->Do({"message", rig->Jid("alice"), after}));
        EXPECT_EQ(account->log.WaitFor("message " + std::to_string(bobContact)),
                  "message " + std::to_string(bobContact) + " 0 " + after);
        std::vector<std::string> texts;
        EXPECT_TRUE(account->Eventually([&] {
            for (const auto& e : account->manager.TakeEvents())
                if (e.event == Protocols::AccountEvent::ShowText)
                    texts.push_back(e.text.ToUtf8());
            return !texts.empty();
        }));
        EXPECT_EQ(texts, std::vector<std::string>{notice});
        EXPECT_EQ(account->GetStatus(), Protocols::Online);
    }
}

TEST_F(ProsodyEndToEnd, PeerPresenceChangesReachTheContact) {
    StartServer();
    LogIn();
    auto bob = Peer();
    ASSERT_TRUE(bob->Ready());
    BecomeMutualContacts(*bob);
    ASSERT_TRUE(account->Eventually([&] { return account->Shown(bobContact).status == Protocols::Online; }))
        << "shown " << account->Shown(bobContact).status << " " << account->log.WaitFor("status", 0);

    ASSERT_TRUE(bob->Do({"presence", "away", "Ушёл обедать"}));
    EXPECT_TRUE(account->Eventually([&] { return account->Shown(bobContact).status == Protocols::Away; }))
        << "shown " << account->Shown(bobContact).status;
    // The peer's status text, sent without an extended status, reaches the
    // chat as a status notice when the user opens the contact.
    account->Command(AccountCommand::RequestContactInfo, LiveXmppAccount::Arg(bobContact));
    EXPECT_EQ(account->log.WaitFor("message " + std::to_string(bobContact)),
              "message " + std::to_string(bobContact) + " 2 Ушёл обедать");

    ASSERT_TRUE(bob->Do({"presence", "dnd", ""}));
    EXPECT_TRUE(account->Eventually(
        [&] { return account->Shown(bobContact).status == Protocols::DoNotDisturb; }));

    ASSERT_TRUE(bob->Do({"unavailable"}));
    EXPECT_TRUE(account->Eventually([&] { return account->Shown(bobContact).status == Protocols::Offline; }));
}

TEST_F(ProsodyEndToEnd, SubscriptionRequestIsAnsweredByTheUser) {
    StartServer();
    LogIn();
    auto bob = Peer();
    ASSERT_TRUE(bob->Ready());

    // Requests of senders outside the list are let through.
    account->contactList->SetAntispamMsgsFromNIL(true);
    account->contactList->SetAntispamEnable(false);
    ASSERT_TRUE(bob->Do({"subscribe", rig->Jid("alice")}));
    const unsigned int contact = AuthorizationRequestContact();
    ASSERT_NE(contact, 0u) << "the request reached no contact";
    account->Command(AccountCommand::SetAuthorization, LiveXmppAccount::Arg(contact), LiveXmppAccount::Arg(true));
    EXPECT_TRUE(bob->WaitForKind("SUBSCRIBED", rig->Jid("alice")));
    EXPECT_TRUE(ServerRosterBecomes([&](const auto& roster) {
        const PeerLine* item = Find(roster, rig->Jid("bob"));
        return item && ((*item)[2] == "from" || (*item)[2] == "both");
    }));
}

TEST_F(ProsodyEndToEnd, ReconnectsAfterTheServerRestarts) {
    StartServer(2);
    LogIn();
    ASSERT_TRUE(rig->StopServer());
    ASSERT_TRUE(account->WaitForStatus(Protocols::Offline));
    ASSERT_TRUE(rig->StartServer());
    // One attempt 15 seconds after the loss.
    EXPECT_TRUE(account->WaitForStatus(Protocols::Online, 40000));
    EXPECT_TRUE(account->Eventually([&] { return account->Contacts().size() == 2; }));
}

TEST_F(ProsodyEndToEnd, LogoutIsSeenByThePeerAndEndsTheSession) {
    StartServer();
    LogIn();
    auto bob = Peer();
    ASSERT_TRUE(bob->Ready());
    BecomeMutualContacts(*bob);
    ASSERT_TRUE(bob->WaitFor([&](const PeerLine& l) {
        return l[0] == "PRESENCE" && l[1].rfind(rig->Jid("alice") + "/", 0) == 0 && l[2] == "available";
    }));

    account->SetStatus(Protocols::Offline);
    EXPECT_EQ(account->GetStatus(), Protocols::Offline);
    EXPECT_TRUE(bob->WaitFor([&](const PeerLine& l) {
        return l[0] == "PRESENCE" && l[1].rfind(rig->Jid("alice") + "/", 0) == 0 && l[2] == "unavailable";
    }));
    // The report reaches the manager through its queue: it may come after
    // the server has told the peer.
    EXPECT_TRUE(account->Eventually([&] {
        for (const auto& e : account->manager.TakeEvents())
            if (e.event == Protocols::AccountEvent::StatusChanged && e.status.status == Protocols::Offline)
                return true;
        return false;
    }));
}

// ---- chat states, receipts and capabilities with the peer's own client ----------------------

// The node the peer's client announces its capabilities under.
constexpr const char* kPeerCapsNode = "http://peer.yol.test/caps";

class ProsodyPeerFeatures : public ProsodyEndToEnd {
protected:
    // bob logged in as `resource`, announcing caps under `capsNode` ("":
    // none), a mutual contact of ours and shown online.
    std::unique_ptr<XmppPeer> OnlineBob(const std::string& resource, const char* capsNode) {
        auto bob = std::make_unique<XmppPeer>(*rig, "bob", kBobPassword, false, resource, capsNode);
        EXPECT_TRUE(bob->Ready()) << bob->Log();
        return bob;
    }
    void WaitUntilBobShows(Protocols::Status status) {
        const auto wanted = static_cast<unsigned int>(status);
        ASSERT_TRUE(account->Eventually([&] { return account->Shown(bobContact).status == wanted; }))
            << "shown " << account->Shown(bobContact).status;
    }
    // Our message as bob's client got it: {MESSAGE, from, id, type, body, chat state}.
    PeerLine SendToBob(XmppPeer& bob, const std::string& text, unsigned int messageId) {
        Protocols::MessageInfo message;
        message.contactId = bobContact;
        message.messageId = messageId;
        message.text = U(text);
        account->Command(AccountCommand::SendMessage, new Services::CEventArg_Data<Protocols::MessageInfo>(message));
        auto got = bob.WaitFor([&](const PeerLine& l) { return l[0] == "MESSAGE" && l.size() > 5 && l[4] == text; });
        EXPECT_TRUE(got) << "bob never got '" << text << "': " << bob.Log();
        return got.value_or(PeerLine(6));
    }
    // bob's message as the contact list showed it.
    std::string FromBob(XmppPeer& bob, const std::string& text, const std::string& state = {}) {
        EXPECT_TRUE(bob.Do({"message", rig->Jid("alice"), text, "", state}));
        return account->log.WaitFor("message " + std::to_string(bobContact) + " ");
    }
    std::string ShownLine(const std::string& text) const {
        return "message " + std::to_string(bobContact) + " 0 " + text;
    }
};

TEST_F(ProsodyPeerFeatures, OurMessagesCarryActiveOnlyToAClientWithCapsThatShowedChatStates) {
    StartServer();
    LogIn();
    // A client without caps: its <active/> counts for nothing.
    auto bob = OnlineBob("plain", "");
    ASSERT_TRUE(bob->Ready());
    BecomeMutualContacts(*bob);
    WaitUntilBobShows(Protocols::Online);
    EXPECT_EQ(FromBob(*bob, "Пишу с active", "active"), ShownLine("Пишу с active"));
    EXPECT_EQ(SendToBob(*bob, "Без caps", 1)[5], "");
    ASSERT_TRUE(bob->Do({"unavailable"}));
    WaitUntilBobShows(Protocols::Offline);
    bob.reset();

    bob = OnlineBob("caps", kPeerCapsNode);
    ASSERT_TRUE(bob->Ready());
    WaitUntilBobShows(Protocols::Online);
    EXPECT_EQ(SendToBob(*bob, "Ещё не знаю", 2)[5], "");
    // A chat state alone shows nothing; the text with <active/> behind it does.
    ASSERT_TRUE(bob->Do({"chatstate", rig->Jid("alice"), "composing"}));
    EXPECT_EQ(FromBob(*bob, "Теперь с active", "active"), ShownLine("Теперь с active"));
    EXPECT_EQ(SendToBob(*bob, "Уже знаю", 3)[5], "active");
}

TEST_F(ProsodyPeerFeatures, ReceiptsAreAnsweredAndAcknowledgeOurMessages) {
    StartServer();
    LogIn();
    auto bob = OnlineBob("peer", kPeerCapsNode);
    ASSERT_TRUE(bob->Ready());
    BecomeMutualContacts(*bob);

    // bob's client asks for a receipt with every message.
    ASSERT_TRUE(bob->Do({"message", rig->Jid("alice"), "Дошло?", "bob-1"}));
    EXPECT_EQ(account->log.WaitFor("message " + std::to_string(bobContact)), ShownLine("Дошло?"));
    auto receipt = bob->WaitForKind("RECEIPT", rig->Jid("alice"));
    ASSERT_TRUE(receipt) << bob->Log();
    EXPECT_EQ((*receipt)[2], "bob-1");

    const PeerLine sent = SendToBob(*bob, "Дойдёт?", 91);
    ASSERT_EQ(sent[2].rfind("yol_", 0), 0u) << sent[2];
    // A receipt naming nothing we sent acknowledges nothing; the one for
    // our message does.
    ASSERT_TRUE(bob->Do({"receipt", rig->Jid("alice"), "yol_999999"}));
    ASSERT_TRUE(bob->Do({"receipt", rig->Jid("alice"), sent[2]}));
    EXPECT_EQ(account->log.WaitFor("ack "), "ack " + std::to_string(bobContact) + " 91");
}

TEST_F(ProsodyPeerFeatures, PeerCapsNameItsClientAndOurCapsAreWhatDiscoAnswers) {
    StartServer();
    LogIn();
    // The first rule's ver does not fit the peer's SHA-1 ver, the second's does.
    std::vector<int> registered;
    CClientIconTable::Images images;
    images.registerImage = [&](const CYolString&) {
        registered.push_back(700 + static_cast<int>(registered.size()));
        return registered.back();
    };
    ASSERT_EQ(CClientIconTable::Instance().Count(), 0u) << "a clients.ini was found beside the tests";
    CClientIconTable::Instance().LoadText(U(std::string("[Other]\nnode=http://other.example/caps\npic=other.png\n"
                                                        "[Old peer]\nnode=") +
                                            kPeerCapsNode + "\nver=WM*\npic=old.png\n[Peer]\nnode=" + kPeerCapsNode +
                                            "\nver=*=\npic=peer.png\n"),
                                          images);
    ASSERT_EQ(registered, (std::vector<int>{700, 701, 702}));

    auto bob = OnlineBob("peer", kPeerCapsNode);
    ASSERT_TRUE(bob->Ready());
    BecomeMutualContacts(*bob);
    WaitUntilBobShows(Protocols::Online);
    Protocols::ContactStatusInfo info;
    account->Command(AccountCommand::GetContactStatus, LiveXmppAccount::Arg(bobContact),
                     new Services::CEventArg_Data<Protocols::ContactStatusInfo*>(&info));
    ASSERT_EQ(info.extraIcons.Count(), 1);
    ASSERT_EQ(info.extraIcons[0].Count(), 1);
    EXPECT_EQ(info.extraIcons[0][0], 702u);

    auto presence = bob->WaitFor([&](const PeerLine& l) {
        return l[0] == "PRESENCE" && l[1].rfind(rig->Jid("alice") + "/", 0) == 0 && l[2] == "available";
    });
    ASSERT_TRUE(presence && presence->size() > 7) << bob->Log();
    const std::string alice = (*presence)[1];
    const std::string node = (*presence)[6] + "#" + (*presence)[7];
    EXPECT_EQ(node, "http://yol.im/caps#WM2142");

    // Only what the account answers; the version node and no node alike.
    const std::string served =
        "http://jabber.org/protocol/disco#info http://jabber.org/protocol/si "
        "http://jabber.org/protocol/si/profile/file-transfer http://jabber.org/protocol/bytestreams "
        "http://jabber.org/protocol/ibb jabber:iq:version urn:xmpp:ping urn:xmpp:receipts";
    struct Case {
        std::string node;
        std::string features;
    };
    for (const Case& c : {Case{node, served}, Case{"", served}}) {
        SCOPED_TRACE(c.node);
        ASSERT_TRUE(bob->Do({"disco", alice, c.node})) << bob->Log();
        auto answer = bob->WaitForKind("DISCO");
        ASSERT_TRUE(answer && answer->size() > 4);
        EXPECT_EQ(*answer, (PeerLine{"DISCO", alice, c.node, "client/pda/Yol PDA WM", c.features}));
    }
    // A version we never announced, and the commands ext we do not serve,
    // are not ours to answer.
    EXPECT_FALSE(bob->Do({"disco", alice, "http://yol.im/caps#WM2140"}));
    EXPECT_FALSE(bob->Do({"disco", alice, "http://yol.im/caps#cmds"}));
}

}  // namespace
