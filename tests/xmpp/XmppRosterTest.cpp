// The roster and the contact list in step: the session's roster, the
// server's pushes and the user's edits sent as roster sets and removes.

#include "XmppSessionSupport.h"

using namespace XmppTest;
namespace Cmd = Protocols::AccountCommand;

using Strings = std::vector<std::string>;

namespace {

class XmppRosterTest : public XmppSession {};

const char* kRoster =
    "<item jid='bob@example.org' name='Bob' subscription='both'><group>Friends</group><group>Work</group></item>"
    "<item jid='carol@example.org' subscription='to'/>"
    "<item jid='dave@example.org' name='Dave' subscription='from'><group>Friends</group></item>"
    "<item name='no jid' subscription='both'/>"
    "<item jid='erin@example.org' subscription='remove'><group>Friends</group></item>";

}  // namespace

TEST_F(XmppRosterTest, RosterFillsTheContactListAndThenAnnouncesPresence) {
    LogIn();
    ReceiveRoster(kRoster);
    EXPECT_EQ(Items(), (Strings{"Friends/bob@example.org 'Bob' 3", "Friends/dave@example.org 'Dave' 2",
                                "Friends/erin@example.org 'erin' 0", "General/carol@example.org 'carol' 1",
                                "group Friends", "group General"}));
    std::string sent = h.TakeSent();
    EXPECT_NE(sent.find("<presence><priority>0</priority><c xmlns='http://jabber.org/protocol/caps' "
                        "node='http://yol.im/caps' ver='WM2142'/></presence>"),
              std::string::npos)
        << sent;
    const ContactRecord* bob = h.account->Contacts().FindContact(ContactKindRoster, U("bob@example.org"));
    ASSERT_NE(bob, nullptr);
    EXPECT_EQ(bob->contactId, ContactOf("bob@example.org"));
    EXPECT_EQ(bob->group.ToUtf8(), "Friends");
    EXPECT_EQ(bob->subscription, 3);
}

TEST_F(XmppRosterTest, SynchronisationKeepsTheRosterGroupsCopyAndDropsWhatTheRosterDoesNotName) {
    unsigned int friends = ListedGroup("Friends");
    unsigned int work = ListedGroup("Work");
    ListedGroup("Old");
    unsigned int bobInFriends = ListedContact(friends, "bob@example.org", 1);
    ListedContact(work, "bob@example.org");
    ListedContact(work, "gone@example.org");
    unsigned int outside = ListedContact(0, "zed@example.org", 0);

    LogIn();
    ReceiveRoster("<item jid='Bob@Example.org' name='Bob' subscription='both'><group>Friends</group></item>");
    EXPECT_EQ(Items(), (Strings{"-/zed@example.org 'zed@example.org' 0", "Friends/bob@example.org 'bob@example.org' 3",
                                "group Friends"}));
    EXPECT_EQ(GroupNamed("Friends"), friends);
    EXPECT_EQ(ContactOf("bob@example.org"), bobInFriends);
    // The remaining copy still shows the contact's presence.
    h.Receive("<presence from='bob@example.org/desk'/>");
    EXPECT_EQ(Shown(bobInFriends).status, Protocols::Online);
    EXPECT_EQ(h.account->Contacts().FindContact(ContactKindRoster, U("zed@example.org"))->contactId, outside);
    EXPECT_EQ(h.account->Contacts().FindContact(ContactKindRoster, U("gone@example.org")), nullptr);
}

TEST_F(XmppRosterTest, AGroupAddedWhileTheRosterIsAwaitedOutlivesItsArrival) {
    // Added before the session: stale by the time its roster arrives.
    Command(Cmd::AddGroup, Arg("Before"));
    ASSERT_NE(GroupNamed("Before"), 0u);
    LogIn();
    Command(Cmd::AddGroup, Arg("Work"));
    const unsigned int work = GroupNamed("Work");
    ASSERT_NE(work, 0u);
    ReceiveRoster("<item jid='bob@example.org' name='Bob' subscription='both'><group>Friends</group></item>");
    EXPECT_EQ(GroupNamed("Work"), work);
    EXPECT_EQ(GroupNamed("Before"), 0u);
    EXPECT_NE(GroupNamed("Friends"), 0u);
}

TEST_F(XmppRosterTest, AnEmptyRosterKeepsOnlyContactsOutsideGroups) {
    unsigned int friends = ListedGroup("Friends");
    ListedContact(friends, "bob@example.org");
    ListedContact(0, "zed@example.org", 0);
    LogIn();
    ReceiveRoster("");
    EXPECT_EQ(Items(), (Strings{"-/zed@example.org 'zed@example.org' 0"}));
}

TEST_F(XmppRosterTest, PushesAddRenameMoveAndLoseSubscription) {
    GoOnline("<item jid='bob@example.org' name='Bob' subscription='both'><group>Friends</group></item>");
    struct Step {
        const char* item;
        Strings items;
    } steps[] = {
        {"<item jid='carol@example.org' name='Carol' subscription='none'/>",
         {"Friends/bob@example.org 'Bob' 3", "General/carol@example.org 'Carol' 0", "group Friends", "group General"}},
        {"<item jid='bob@example.org' name='Robert' subscription='both'><group>Friends</group></item>",
         {"Friends/bob@example.org 'Robert' 3", "General/carol@example.org 'Carol' 0", "group Friends",
          "group General"}},
        {"<item jid='bob@example.org' name='Robert' subscription='to'><group>Work</group></item>",
         {"General/carol@example.org 'Carol' 0", "Work/bob@example.org 'Robert' 1", "group Friends", "group General",
          "group Work"}},
        {"<item jid='bob@example.org' subscription='remove'/>",
         {"General/carol@example.org 'Carol' 0", "Work/bob@example.org 'Robert' 0", "group Friends", "group General",
          "group Work"}},
        {"<item jid='nobody@example.org' name='X'/>",
         {"General/carol@example.org 'Carol' 0", "Work/bob@example.org 'Robert' 0", "group Friends", "group General",
          "group Work"}},
    };
    int number = 100;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.item);
        std::string id = "push" + std::to_string(++number);
        h.Receive("<iq type='set' id='" + id + "'><query xmlns='jabber:iq:roster'>" + step.item + "</query></iq>");
        EXPECT_EQ(Items(), step.items);
        EXPECT_EQ(h.TakeSent(), "<iq type='result' id='" + id + "'/>");
    }
}

TEST_F(XmppRosterTest, PushesAreTakenOnlyFromTheOwnAccount) {
    GoOnline("");
    struct Case {
        const char* from;
        bool taken;
    } cases[] = {
        {"mallory@example.org", false},     {"example.org", false},          {"alice@example.org/Yol PDA", false},
        {"alice@example.org.evil", false},  {"ALICE@example.org", true},     {nullptr, true},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from ? c.from : "(none)");
        std::string jid = "c" + std::to_string(++number) + "@example.org";
        std::string from = c.from ? std::string(" from='") + c.from + "'" : "";
        h.Receive("<iq type='set' id='p" + std::to_string(number) + "'" + from + "><query xmlns='jabber:iq:roster'>" +
                  "<item jid='" + jid + "' subscription='both'/></query></iq>");
        EXPECT_EQ(ContactOf(jid.c_str()) != 0, c.taken);
        EXPECT_EQ(h.TakeSent().find("type='result'") != std::string::npos, c.taken);
    }
}

TEST_F(XmppRosterTest, AddContactSendsARosterSetWithAnIdAndEscapedTexts) {
    GoOnline("<item jid='bob@example.org' name='Bob' subscription='both'><group>Friends &amp; co</group></item>");
    unsigned int group = GroupNamed("Friends & co");
    ASSERT_NE(group, 0u);
    using Pair = CYolPair<CYolString, CYolString>;
    Command(Cmd::AddContact, new Services::CEventArg_Data<Pair>(Pair(U("carol@example.org"), U("<Carol> 'C' & \"co\""))),
            Arg(group));
    EXPECT_EQ(WithoutIds(h.TakeSent()),
              "<iq type='set' id='yol_N'><query xmlns='jabber:iq:roster'><item jid='carol@example.org' "
              "name='&lt;Carol&gt; &apos;C&apos; &amp; &quot;co&quot;' subscription='both'><group>Friends &amp; co"
              "</group></item></query></iq>");
    // Nothing is added before the server pushes the item back.
    EXPECT_EQ(ContactOf("carol@example.org"), 0u);

    Command(Cmd::AddContact, new Services::CEventArg_Data<Pair>(Pair(U("dave@example.org"), U(""))), Arg(group));
    EXPECT_EQ(h.TakeSent(), "");
}

TEST_F(XmppRosterTest, EditsOfAContactAreSentAsRosterSets) {
    GoOnline("<item jid='bob@example.org' name='Bob' subscription='to'><group>Friends</group></item>"
           "<item jid='carol@example.org' subscription='both'><group>Work</group></item>");
    unsigned int bob = ContactOf("bob@example.org");
    unsigned int work = GroupNamed("Work");

    Command(Cmd::RenameContact, Arg(bob), Arg("Robert"));
    EXPECT_EQ(WithoutIds(h.TakeSent()),
              "<iq type='set' id='yol_N'><query xmlns='jabber:iq:roster'><item jid='bob@example.org' name='Robert' "
              "subscription='to'><group>Friends</group></item></query></iq>");
    Command(Cmd::MoveContact, Arg(bob), Arg(work));
    EXPECT_EQ(WithoutIds(h.TakeSent()),
              "<iq type='set' id='yol_N'><query xmlns='jabber:iq:roster'><item jid='bob@example.org' name='Robert' "
              "subscription='to'><group>Work</group></item></query></iq>");
    EXPECT_EQ(Items(), (Strings{"Work/bob@example.org 'Robert' 1", "Work/carol@example.org 'carol' 3", "group Friends",
                                "group Work"}));

    Command(Cmd::DeleteContact, Arg(bob));
    EXPECT_EQ(WithoutIds(h.TakeSent()),
              "<iq type='set' id='yol_N'><query xmlns='jabber:iq:roster'><item jid='bob@example.org' "
              "subscription='remove'/></query></iq>");
    EXPECT_EQ(ContactOf("bob@example.org"), 0u);
    EXPECT_EQ(h.account->Contacts().FindContact(ContactKindRoster, U("bob@example.org")), nullptr);
}

TEST_F(XmppRosterTest, RenamingAGroupResendsEachOfItsContacts) {
    GoOnline("<item jid='a@example.org' subscription='both'><group>Friends</group></item>"
           "<item jid='b@example.org' subscription='both'><group>Friends</group></item>"
           "<item jid='c@example.org' subscription='both'><group>Friends</group></item>"
           "<item jid='d@example.org' subscription='both'><group>Work</group></item>");
    Command(Cmd::RenameGroup, Arg(GroupNamed("Friends")), Arg("Pals"));
    std::string sent = h.TakeSent();
    for (const char* jid : {"a", "b", "c"})
        EXPECT_NE(sent.find(std::string("<item jid='") + jid + "@example.org' name='" + jid +
                            "' subscription='both'><group>Pals</group>"),
                  std::string::npos)
            << jid;
    EXPECT_EQ(sent.find("d@example.org"), std::string::npos);
    EXPECT_NE(GroupNamed("Pals"), 0u);
}

TEST_F(XmppRosterTest, DeletingAGroupRemovesItsContactsFromTheServer) {
    GoOnline("<item jid='a@example.org' subscription='both'><group>Friends</group></item>"
           "<item jid='d@example.org' subscription='both'><group>Work</group></item>");
    Command(Cmd::DeleteGroup, Arg(GroupNamed("Friends")));
    EXPECT_EQ(WithoutIds(h.TakeSent()),
              "<iq type='set' id='yol_N'><query xmlns='jabber:iq:roster'><item jid='a@example.org' "
              "subscription='remove'/></query></iq>");
    EXPECT_EQ(Items(), (Strings{"Work/d@example.org 'd' 3", "group Work"}));
}

TEST_F(XmppRosterTest, DeletingTheContactsOutsideGroupsStaysLocal) {
    ListedContact(0, "zed@example.org", 0);
    GoOnline("<item jid='d@example.org' subscription='both'><group>Work</group></item>");
    Command(Cmd::DeleteGroup, Arg(0u));
    EXPECT_EQ(h.TakeSent(), "");
    EXPECT_EQ(Items(), (Strings{"Work/d@example.org 'd' 3", "group Work"}));
    EXPECT_EQ(h.account->Contacts().FindContact(ContactKindRoster, U("zed@example.org")), nullptr);
}
