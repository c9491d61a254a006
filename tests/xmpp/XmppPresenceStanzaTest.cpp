// The presence class on its own: resources merged into the one status the
// contact list shows, subscriptions, and what goes out for the user's
// status, stanza by stanza on a recording sink and contact list.

#include "JabberCaps.h"
#include "RecordingStanzaSink.h"
#include "XmppAccountSettings.h"
#include "XmppCapabilities.h"
#include "XmppFeatureSupport.h"
#include "XmppPresence.h"

#include <gtest/gtest.h>

using namespace XmppFeatureTest;
using XmppTest::RecordingStanzaSink;
using namespace Protocols;

namespace {

struct Delivered {
    std::string jid;
    unsigned int kind;
    std::string text;
    bool operator==(const Delivered&) const = default;
};

class XmppPresenceStanzaTest : public ::testing::Test {
protected:
    void SetUp() override {
        const unsigned int friends = list.HoldGroup("Friends");
        bobId = list.HoldContact(friends, "bob@example.org");
        ContactRecord* bob = contacts.FindOrAddContact(ContactKindRoster, U("bob@example.org"));
        bob->contactId = bobId;
        bob->subscription = 3;
    }
    void Receive(const std::string& text) { presence.OnPresence(PresenceStanza(Stanza(text))); }
    const ContactRecord& Bob() { return *contacts.FindContact(ContactKindRoster, U("bob@example.org")); }

    RecordingStanzaSink sink;
    CJabberContactMap contacts;
    RecordingContactList list;
    XmppCapabilities caps{contacts};
    XmppAccountSettings settings;
    std::vector<Delivered> delivered;
    XmppPresence presence{sink,     contacts, list, caps, settings, 0,
                          [this](const CYolString& jid, unsigned int kind, int, const CYolString& text,
                                 const CYolString&) { delivered.push_back({jid.ToUtf8(), kind, text.ToUtf8()}); }};
    unsigned int bobId = 0;
};

std::ostream& operator<<(std::ostream& out, const Delivered& message) {
    return out << message.jid << " kind " << message.kind << " '" << message.text << "'";
}

}  // namespace

TEST_F(XmppPresenceStanzaTest, ResourcesMergeIntoTheBestStatus) {
    struct Step {
        const char* presence;
        Status shown;
        const char* text;  // the summary's status text
        int resources;
    } steps[] = {
        {"<presence from='bob@example.org/phone'><show>away</show><status>on the go</status>"
         "<priority>5</priority></presence>",
         Away, "on the go", 1},
        {"<presence from='bob@example.org/pc'><status>at my desk</status><priority>1</priority></presence>", Online,
         "at my desk", 2},
        // A better status wins whatever the priorities.
        {"<presence from='bob@example.org/phone'><show>chat</show><status>bored</status></presence>", FreeForChat,
         "bored", 2},
        {"<presence from='bob@example.org/tablet'><show>dnd</show></presence>", FreeForChat, "bored", 3},
        // Unavailable matches the resource ignoring case.
        {"<presence from='bob@example.org/PHONE' type='unavailable'/>", Online, "at my desk", 2},
        {"<presence from='bob@example.org/pc' type='unavailable'/>", DoNotDisturb, "", 1},
        {"<presence from='bob@example.org/tablet' type='unavailable'><status>bye</status></presence>", Offline, "bye",
         0},
        // Offline already: the last word is the newest unavailable's.
        {"<presence from='bob@example.org/nowhere' type='unavailable'/>", Offline, "", 0},
    };
    for (const Step& step : steps) {
        Receive(step.presence);
        SCOPED_TRACE(step.presence);
        EXPECT_EQ(Bob().summary.status, step.shown);
        EXPECT_EQ(Bob().summary.statusText.ToUtf8(), step.text);
        EXPECT_EQ(static_cast<int>(Bob().resources.size()), step.resources);
        // Every presence shows the contact anew.
        EXPECT_EQ(list.TakeLog(), std::vector<std::string>{"status bob@example.org " + std::to_string(step.shown)});
    }
}

TEST_F(XmppPresenceStanzaTest, PresenceNotForAListedContactChangesNothing) {
    const char* stanzas[] = {
        "<presence from='stranger@example.org/x'/>",
        "<presence from='bob@example.org/pc' to='bob@example.org/pc'/>",
        "<presence><show>dnd</show></presence>",
        "<presence from='bob@example.org/pc' type='probe'/>",
        "<presence from='bob@example.org/pc' type='error'/>",
        "<message from='bob@example.org/pc'/>",
    };
    for (const char* stanza : stanzas) {
        Receive(stanza);
        EXPECT_EQ(list.TakeLog(), std::vector<std::string>{}) << stanza;
        EXPECT_EQ(sink.Take(), std::vector<std::string>{}) << stanza;
    }
    EXPECT_TRUE(Bob().resources.empty());
}

TEST_F(XmppPresenceStanzaTest, MoodAndExtendedStatusFollowTheChosenResource) {
    Receive("<presence from='bob@example.org/pc'><show>away</show><status>Coffee back soon</status>"
            "<x xmlns='yol:x:status' value='4'/>"
            "<x xmlns='http://yol.im/x-status' id='3'><title>Coffee</title></x></presence>");
    EXPECT_EQ(Bob().summary.status, Evil);
    EXPECT_EQ(Bob().summary.xStatusId, 3);
    EXPECT_EQ(Bob().summary.xStatusTitle.ToUtf8(), "Coffee");
    EXPECT_EQ(Bob().summary.xStatusDescription.ToUtf8(), "back soon");
    // An id without an icon of its own clears it.
    Receive("<presence from='bob@example.org/pc'><x xmlns='http://yol.im/x-status' id='9999'/></presence>");
    EXPECT_EQ(Bob().summary.xStatusId, 0);
    EXPECT_EQ(Bob().summary.status, Online);
}

TEST_F(XmppPresenceStanzaTest, CapabilitiesOfTheResourceAreStored) {
    Receive("<presence from='bob@example.org/pc'><c xmlns='http://jabber.org/protocol/caps' node='http://n' "
            "ver='1.0' ext='a b'/></presence>");
    ASSERT_EQ(Bob().resources.size(), 1u);
    EXPECT_EQ(Bob().resources[0].capsNode, U("http://n"));
    EXPECT_EQ(Bob().resources[0].capsExt, U("a b"));
    EXPECT_EQ(Bob().summary.capsVer, U("1.0"));
}

TEST_F(XmppPresenceStanzaTest, SubscriptionRequestsAndGrants) {
    Receive("<presence from='carol@example.org' type='subscribe'/>");
    EXPECT_EQ(delivered, (std::vector<Delivered>{{"carol@example.org", 3, ""}}));
    // A gateway asking is granted without asking the user.
    Receive("<presence from='icq.example.org' type='subscribe'/>");
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"<presence to='icq.example.org' type='subscribed'/>"});
    EXPECT_EQ(delivered.size(), 1u);

    ContactRecord* bob = contacts.FindContact(ContactKindRoster, U("bob@example.org"));
    struct Case {
        uint8_t before;
        uint8_t after;
    } cases[] = {{0, 1}, {2, 3}, {1, 1}, {3, 3}};
    for (const Case& c : cases) {
        bob->subscription = c.before;
        Receive("<presence from='bob@example.org' type='subscribed'/>");
        EXPECT_EQ(Bob().subscription, c.after) << int(c.before);
        EXPECT_EQ(list.items[bobId].subscription, c.after) << int(c.before);
    }
}

TEST_F(XmppPresenceStanzaTest, GoingInvisibleAfterBeingSeenLeavesFirst) {
    contacts.FindOrAddContact(ContactKindRoom, U("room@conference.example.org"));
    settings.priority = 3;
    const std::string caps = "<c xmlns='http://jabber.org/protocol/caps' node='http://yol.im/caps' ver='" +
                             OwnCapsVer().ToUtf8() + "'/>";
    EXPECT_EQ(presence.Apply(Away), Away);
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{
                               "<presence><priority>3</priority>" + caps + "<show>away</show></presence>",
                               "<presence to='room@conference.example.org'><priority>3</priority>" + caps +
                                   "<show>away</show></presence>"}));
    EXPECT_EQ(presence.Apply(Invisible), Invisible);
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{
                               "<presence type='unavailable'/>",
                               "<presence to='room@conference.example.org' type='unavailable'/>",
                               "<presence type='invisible'><priority>3</priority>" + caps + "</presence>",
                               "<presence to='room@conference.example.org' type='invisible'><priority>3</priority>" +
                                   caps + "</presence>"}));
    // A new session's roster: nothing was seen yet.
    presence.RosterArrived();
    presence.Send(Invisible, false);
    EXPECT_EQ(sink.Take(),
              std::vector<std::string>{"<presence type='invisible'><priority>3</priority>" + caps + "</presence>"});
}

TEST_F(XmppPresenceStanzaTest, ChangedStatusTextIsShownOnce) {
    Receive("<presence from='bob@example.org/pc'><status>lunch</status></presence>");
    presence.ShowStatusText(bobId);
    presence.ShowStatusText(bobId);
    Receive("<presence from='bob@example.org/pc'><status>lunch</status></presence>");
    presence.ShowStatusText(bobId);
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].kind, 2u);
    EXPECT_EQ(delivered[0].text, "lunch");
}
