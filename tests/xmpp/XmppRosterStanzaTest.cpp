// The roster class on its own: the session's roster matched against what
// the contact list holds, and the server's pushes, stanza by stanza on a
// recording sink and a recording contact list.

#include "RecordingStanzaSink.h"
#include "XmppFeatureSupport.h"
#include "XmppRoster.h"

#include <gtest/gtest.h>

using namespace XmppFeatureTest;
using XmppTest::RecordingStanzaSink;

namespace {

class XmppRosterStanzaTest : public ::testing::Test {
protected:
    // The roster of the session: Bob in Friends.
    void TakeRoster(const std::string& items = "<item jid='bob@example.org' name='Bob' subscription='both'>"
                                               "<group>Friends</group></item>") {
        ASSERT_TRUE(roster.OnResult(IqStanza(Stanza("<iq type='result' id='yol_1'><query xmlns='jabber:iq:roster'>" +
                                                    items + "</query></iq>"))));
        list.TakeLog();
    }
    // One push of `item`, from `from` (none: the server itself); what the
    // list was told, with "answered" when the push was acknowledged.
    std::vector<std::string> Push(const std::string& item, const char* from = nullptr) {
        std::string text = "<iq type='set' id='push1'";
        if (from != nullptr)
            text += std::string(" from='") + from + "'";
        text += "><query xmlns='jabber:iq:roster'>" + item + "</query></iq>";
        const XmlNode stanza = Stanza(text);
        IqRequest request;
        request.type = IqType::Set;
        request.from = stanza.GetAttr("from");
        request.id = stanza.GetAttr("id");
        request.query = stanza.GetChild("query");
        roster.PushResponder().OnRequest(stanza, request);
        std::vector<std::string> log = list.TakeLog();
        for (const std::string& sent : sink.Take()) {
            EXPECT_EQ(sent, from ? std::string("<iq type='result' to='") + from + "' id='push1'/>"
                                 : "<iq type='result' id='push1'/>");
            log.push_back("answered");
        }
        return log;
    }
    const ContactRecord* Entry(const char* jid) { return contacts.FindContact(ContactKindRoster, U(jid)); }

    RecordingStanzaSink sink;
    CJabberContactMap contacts;
    RecordingContactList list;
    XmppRoster roster{sink, contacts, list, [](const CYolString& jid) { return jid == U("alice@example.org"); }};
};

using Log = std::vector<std::string>;

}  // namespace

TEST_F(XmppRosterStanzaTest, PushesAddRenameMoveAndRemove) {
    TakeRoster();
    struct Case {
        const char* what;
        const char* item;
        Log log;
    } cases[] = {
        {"add", "<item jid='carol@example.org' name='Carol' subscription='to'><group>Work</group></item>",
         {"create group Work", "add carol@example.org 'Carol' to Work sub 1", "answered"}},
        {"rename", "<item jid='bob@example.org' name='Robert' subscription='both'><group>Friends</group></item>",
         {"name bob@example.org 'Robert'", "changed bob@example.org", "answered"}},
        {"move", "<item jid='bob@example.org' name='Robert' subscription='both'><group>Work</group></item>",
         {"move bob@example.org to Work", "answered"}},
        {"rename and move at once", "<item jid='bob@example.org' name='Bob' subscription='both'/>",
         {"create group General", "name bob@example.org 'Bob'", "move bob@example.org to General", "answered"}},
        {"subscription change", "<item jid='bob@example.org' name='Bob' subscription='from'/>",
         {"subscription bob@example.org 2", "answered"}},
        {"the same again", "<item jid='bob@example.org' name='Bob' subscription='from'/>", {"answered"}},
        // The list keeps the contact; only the subscription goes.
        {"remove", "<item jid='bob@example.org' subscription='remove'/>", {"subscription bob@example.org 0", "answered"}},
        {"no subscription", "<item jid='dave@example.org' name='Dave'/>", {"answered"}},
        {"no jid", "<item subscription='both'/>", {"answered"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Push(c.item), c.log) << c.what;
    ASSERT_NE(Entry("carol@example.org"), nullptr);
    EXPECT_EQ(Entry("carol@example.org")->group, U("Work"));
    EXPECT_EQ(Entry("bob@example.org")->subscription, 0);
    EXPECT_EQ(Entry("dave@example.org"), nullptr);
}

TEST_F(XmppRosterStanzaTest, OnlyTheOwnAccountSpeaksForTheRoster) {
    TakeRoster();
    const std::string rename = "<item jid='bob@example.org' name='Mallory' subscription='both'/>";
    EXPECT_EQ(Push(rename, "mallory@evil.example"), Log{});
    EXPECT_EQ(Push(rename, "alice@example.org/phone"), Log{});
    EXPECT_EQ(Entry("bob@example.org")->name, U("Bob"));
    EXPECT_EQ(Push(rename, "alice@example.org"),
              (Log{"create group General", "name bob@example.org 'Mallory'", "move bob@example.org to General",
                   "answered"}));
}

TEST_F(XmppRosterStanzaTest, RosterClaimsWhatTheListHoldsAndDropsTheRest) {
    const unsigned int friends = list.HoldGroup("Friends");
    const unsigned int old = list.HoldGroup("Old");
    const unsigned int added = list.HoldGroup("Added meanwhile");
    const unsigned int bob = list.HoldContact(old, "Bob@Example.org", 1);
    list.HoldContact(old, "gone@example.org");
    const unsigned int outside = list.HoldContact(0, "kept@example.org", 0);
    roster.KeepGroupBeforeRoster(added);

    ASSERT_TRUE(roster.OnResult(IqStanza(Stanza(
        "<iq type='result' id='yol_1'><query xmlns='jabber:iq:roster'>"
        "<item jid='bob@example.org' name='Bob' subscription='both'><group>Friends</group></item>"
        "<item jid='new@example.org' subscription='none'/>"
        "<item name='no jid'/></query></iq>"))));
    EXPECT_EQ(list.TakeLog(), (Log{"move Bob@Example.org to Friends", "subscription Bob@Example.org 3",
                                   "create group General", "add new@example.org 'new' to General sub 0",
                                   "remove gone@example.org", "remove group Old"}));
    EXPECT_EQ(list.updates, 0);
    EXPECT_EQ(Entry("bob@example.org")->contactId, bob);
    EXPECT_EQ(Entry("gone@example.org"), nullptr);
    // Outside groups a contact is the user's alone: it stays and is linked.
    ASSERT_NE(Entry("kept@example.org"), nullptr);
    EXPECT_EQ(Entry("kept@example.org")->contactId, outside);
    EXPECT_TRUE(list.items.count(friends));
    EXPECT_TRUE(list.items.count(added));
}

TEST_F(XmppRosterStanzaTest, AnswersThatAreNoRosterChangeNothing) {
    const char* answers[] = {
        "<iq type='error' id='yol_1'><query xmlns='jabber:iq:roster'/></iq>",
        "<iq type='result' id='yol_1'><query xmlns='jabber:iq:private'/></iq>",
        "<iq type='result' id='yol_1'/>",
    };
    list.HoldContact(list.HoldGroup("Friends"), "bob@example.org");
    for (const char* answer : answers) {
        EXPECT_FALSE(roster.OnResult(IqStanza(Stanza(answer)))) << answer;
        EXPECT_EQ(list.TakeLog(), Log{}) << answer;
    }
}

TEST_F(XmppRosterStanzaTest, UserEditsGoOutAsRosterSets) {
    TakeRoster();
    const unsigned int bob = list.ContactOf("bob@example.org");
    const unsigned int work = list.HoldGroup("Work");
    roster.RenameContact(bob, U("Robert"));
    roster.MoveContact(bob, work);
    roster.AddContact(U("carol@example.org"), U("Carol"), work);
    roster.DeleteContact(bob);
    EXPECT_EQ(sink.Take(),
              (Log{"<iq type='set' id='yol_1'><query xmlns='jabber:iq:roster'><item jid='bob@example.org' "
                   "name='Robert' subscription='both'><group>Friends</group></item></query></iq>",
                   "<iq type='set' id='yol_2'><query xmlns='jabber:iq:roster'><item jid='bob@example.org' "
                   "name='Robert' subscription='both'><group>Work</group></item></query></iq>",
                   "<iq type='set' id='yol_3'><query xmlns='jabber:iq:roster'><item jid='carol@example.org' "
                   "name='Carol' subscription='both'><group>Work</group></item></query></iq>",
                   "<iq type='set' id='yol_4'><query xmlns='jabber:iq:roster'><item jid='bob@example.org' "
                   "subscription='remove'/></query></iq>"}));
    EXPECT_EQ(Entry("bob@example.org"), nullptr);
    EXPECT_EQ(list.ContactOf("bob@example.org"), 0u);
}
