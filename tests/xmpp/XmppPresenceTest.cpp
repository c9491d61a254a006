// Presence: the user's status going out, contacts' presence coming in and
// merged into one status, the status record shown, and subscriptions.

#include "CYolMenuInfo.h"
#include "JabberPlugin.h"
#include "XmppSessionSupport.h"

using namespace XmppTest;
using namespace Protocols;
namespace Cmd = Protocols::AccountCommand;

namespace {

class XmppPresenceTest : public XmppSession {
protected:
    void OnlineWithBob() {
        GoOnline("<item jid='bob@example.org' name='Bob' subscription='both'><group>Friends</group></item>"
               "<item jid='carol@example.org' subscription='none'><group>Friends</group></item>");
        bob = ContactOf("bob@example.org");
        ASSERT_NE(bob, 0u);
    }
    const ContactRecord& Bob() { return *h.account->Contacts().FindContact(ContactKindRoster, U("bob@example.org")); }
    std::string SentAfterStatus(Status status) {
        h.SetStatus(status);
        return h.TakeSent();
    }

    unsigned int bob = 0;
};

const char* kCaps = "<c xmlns='http://jabber.org/protocol/caps' node='http://yol.im/caps' ver='WM2142'/>";

}  // namespace

TEST_F(XmppPresenceTest, StatusesGoOutWithShowMoodAndPriority) {
    h.SetByte("Account priority", static_cast<unsigned char>(-5));
    h.Command(Cmd::ReloadSettings);
    OnlineWithBob();
    struct Case {
        Status status;
        const char* body;
    } cases[] = {
        {Lunch, "<show>away</show><x xmlns='yol:x:status' value='10'/>"},
        {Occupied, "<show>dnd</show><x xmlns='yol:x:status' value='8'/>"},
        {Evil, "<x xmlns='yol:x:status' value='4'/>"},
        {FreeForChat, "<show>chat</show>"},
        {NotAvailable, "<show>xa</show>"},
        {Online, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SentAfterStatus(c.status),
                  std::string("<presence><priority>-5</priority>") + kCaps + c.body + "</presence>")
            << c.status;
}

TEST_F(XmppPresenceTest, GoingInvisibleFirstLeavesVisibly) {
    OnlineWithBob();
    EXPECT_EQ(SentAfterStatus(Invisible), std::string("<presence type='unavailable'/><presence type='invisible'>"
                                                      "<priority>0</priority>") +
                                              kCaps + "</presence>");
    EXPECT_EQ(SentAfterStatus(InvisibleForAll),
              std::string("<presence type='invisible'><priority>0</priority>") + kCaps + "</presence>");
    EXPECT_EQ(SentAfterStatus(Away), std::string("<presence><priority>0</priority>") + kCaps +
                                         "<show>away</show></presence>");
}

TEST_F(XmppPresenceTest, LoggingInInvisibleNeverShowsTheAccount) {
    LogIn(Invisible);
    ReceiveRoster("");
    std::string sent = h.TakeSent();
    EXPECT_EQ(sent.find("<presence>"), std::string::npos) << sent;
    EXPECT_NE(sent.find("<presence type='invisible'>"), std::string::npos) << sent;
    EXPECT_EQ(sent.find("unavailable"), std::string::npos) << sent;
}

TEST_F(XmppPresenceTest, ExtendedStatusRidesOnThePresence) {
    OnlineWithBob();
    using Pair = CYolPair<CYolString, CYolString>;
    h.Command(Cmd::SetXStatus, Arg(12u), new Services::CEventArg_Data<Pair>(Pair(U("Coffee <3"), U("with milk"))));
    EXPECT_EQ(h.TakeSent(), std::string("<presence><priority>0</priority>") + kCaps +
                                "<x xmlns='http://yol.im/x-status' id='12'><title>Coffee &lt;3</title></x>"
                                "<status>Coffee &lt;3 with milk</status></presence>");
    h.Command(Cmd::SetXStatus, Arg(0u), new Services::CEventArg_Data<Pair>(Pair(U("ignored"), U("ignored"))));
    EXPECT_EQ(h.TakeSent(), std::string("<presence><priority>0</priority>") + kCaps + "</presence>");
}

TEST_F(XmppPresenceTest, ResourcesMergeIntoOneStatus) {
    OnlineWithBob();
    struct Case {
        const char* first;
        const char* second;
        Status shown;
    } cases[] = {
        {"", "<show>away</show>", Online},
        {"<show>away</show>", "<show>away</show><x xmlns='yol:x:status' value='10'/>", Away},
        {"<show>xa</show>", "<show>chat</show>", FreeForChat},
        {"<show>dnd</show><x xmlns='yol:x:status' value='8'/>", "<show>dnd</show>", DoNotDisturb},
        {"<show>xa</show>", "<show>dnd</show><x xmlns='yol:x:status' value='8'/>", Occupied},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " + " + c.second);
        h.Receive(std::string("<presence from='bob@example.org/one'>") + c.first + "</presence>");
        h.Receive(std::string("<presence from='bob@example.org/two'>") + c.second + "</presence>");
        EXPECT_EQ(Shown(bob).status, static_cast<unsigned int>(c.shown));
    }
    // A lone Lunch pair shows as Lunch.
    h.Receive("<presence from='bob@example.org/one' type='unavailable'/>");
    h.Receive("<presence from='bob@example.org/two'><show>away</show><x xmlns='yol:x:status' value='10'/></presence>");
    EXPECT_EQ(Shown(bob).status, static_cast<unsigned int>(Lunch));
}

TEST_F(XmppPresenceTest, UnavailableLastResourceGoesOfflineWithItsText) {
    OnlineWithBob();
    h.Receive("<presence from='bob@example.org/one'><priority>3</priority><status>here</status></presence>");
    h.Receive("<presence from='bob@example.org/Two'><priority>-7</priority><show>away</show></presence>");
    ASSERT_EQ(Bob().resources.size(), 2u);
    EXPECT_EQ(Bob().resources[1].priority, -7);
    EXPECT_EQ(Bob().summary.statusText.ToUtf8(), "here");
    h.Receive("<presence from='bob@example.org/two' type='unavailable'/>");
    h.Receive("<presence from='bob@example.org/ONE' type='unavailable'><status>gone home</status></presence>");
    EXPECT_TRUE(Bob().resources.empty());
    EXPECT_EQ(Shown(bob).status, static_cast<unsigned int>(Offline));
    EXPECT_EQ(Bob().summary.statusText.ToUtf8(), "gone home");
}

TEST_F(XmppPresenceTest, PriorityIsReadSigned) {
    OnlineWithBob();
    struct Case {
        const char* text;
        int priority;
    } cases[] = {{"-1", -1}, {"200", 127}, {"-300", -128}, {"x", 0}, {"255", 127}};
    for (const Case& c : cases) {
        h.Receive(std::string("<presence from='bob@example.org/r'><priority>") + c.text + "</priority></presence>");
        h.Drain();
        ASSERT_EQ(Bob().resources.size(), 1u);
        EXPECT_EQ(Bob().resources[0].priority, c.priority) << c.text;
    }
}

TEST_F(XmppPresenceTest, PresenceTakesCapsAndExtendedStatus) {
    OnlineWithBob();
    h.Receive("<presence from='bob@example.org/r'><status>Coffee. Black</status>"
              "<c xmlns='http://jabber.org/protocol/caps' node='http://psi-im.org/caps' ver='0.15' ext='cs'/>"
              "<x xmlns='http://yol.im/x-status' id='10'><title>Coffee</title></x></presence>");
    const ResourceRecord& shown = Bob().summary;
    EXPECT_EQ(shown.capsNode.ToUtf8(), "http://psi-im.org/caps");
    EXPECT_EQ(shown.capsVer.ToUtf8(), "0.15");
    EXPECT_EQ(shown.capsExt.ToUtf8(), "cs");
    EXPECT_EQ(shown.xStatusId, 10);
    EXPECT_EQ(shown.xStatusTitle.ToUtf8(), "Coffee");
    EXPECT_EQ(shown.xStatusDescription.ToUtf8(), " Black");
    ContactStatusInfo info = Shown(bob);
    EXPECT_EQ(info.text.ToUtf8(), "Coffee");
    ASSERT_EQ(info.icons.Count(), 2);
    EXPECT_EQ(info.icons[1].Count(), 1);
}

TEST_F(XmppPresenceTest, ExtendedStatusIdsWithoutAnIconAreNoExtendedStatus) {
    OnlineWithBob();
    struct Case {
        const char* id;
        int shown;  // 0: no extended status
    } cases[] = {{"1", 1},     {"35", kJabberXStatusCount}, {"36", 0}, {"1000", 0},
                 {"99999", 0}, {"0", 0},                    {"-3", 0}, {"x", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        h.Receive(std::string("<presence from='bob@example.org/r'><x xmlns='http://yol.im/x-status' id='") + c.id +
                  "'><title>Coffee</title></x></presence>");
        ContactStatusInfo info = Shown(bob);
        EXPECT_EQ(Bob().summary.xStatusId, c.shown);
        EXPECT_EQ(info.icons.Count(), c.shown ? 2 : 1);
        EXPECT_EQ(info.text.ToUtf8(), c.shown ? "Coffee" : "");
    }
}

TEST_F(XmppPresenceTest, PresencesOfUnknownOrSelfAddressedSendersAreIgnored) {
    OnlineWithBob();
    h.Receive("<presence from='stranger@example.org/x'/>");
    h.Receive("<presence from='bob@example.org/x' to='bob@example.org/x'/>");
    h.Drain();
    EXPECT_EQ(h.account->Contacts().FindContact(ContactKindRoster, U("stranger@example.org")), nullptr);
    EXPECT_TRUE(Bob().resources.empty());
}

TEST_F(XmppPresenceTest, ContactStatusShowsGroupSubscriptionAndNotInList) {
    ListedContact(0, "zed@example.org", 0);
    OnlineWithBob();
    unsigned int carol = ContactOf("carol@example.org");
    unsigned int zed = ContactOf("zed@example.org");
    h.Receive("<presence from='bob@example.org/r'><show>away</show></presence>");

    int first = h.account->GetFirstStatusImage();
    auto image = [](int index) { return JabberPlugin::ImageId(index); };
    ContactStatusInfo info;
    h.Command(Cmd::GetContactStatus, Arg(bob), new Services::CEventArg_Data<ContactStatusInfo*>(&info));
    ASSERT_EQ(info.icons.Count(), 1);
    EXPECT_EQ(info.status, static_cast<unsigned int>(Away));
    ASSERT_EQ(info.icons[0].Count(), 2);
    EXPECT_EQ(info.icons[0][0], image(first + JabberImgStatusOnline));
    EXPECT_EQ(info.icons[0][1], image(Away + 1));
    EXPECT_EQ(info.extraIcons.Count(), 0);

    h.Command(Cmd::GetContactStatus, Arg(carol), new Services::CEventArg_Data<ContactStatusInfo*>(&info));
    EXPECT_EQ(info.status, static_cast<unsigned int>(Offline));
    ASSERT_EQ(info.icons.Count(), 1);
    EXPECT_EQ(info.icons[0][0], image(first + JabberImgStatusOffline));
    ASSERT_EQ(info.extraIcons.Count(), 1);
    EXPECT_EQ(info.extraIcons[0][0], image(JabberImgAuthRequired));

    h.Command(Cmd::GetContactStatus, Arg(zed), new Services::CEventArg_Data<ContactStatusInfo*>(&info));
    ASSERT_EQ(info.icons.Count(), 1);
    EXPECT_EQ(info.icons[0][0], image(first + JabberImgStatusNotInList));
}

TEST_F(XmppPresenceTest, SubscriptionRequestsAndAnswers) {
    OnlineWithBob();
    unsigned int carol = ContactOf("carol@example.org");
    // A gateway is granted at once.
    h.Receive("<presence from='icq.example.org' type='subscribe'/>");
    EXPECT_EQ(h.TakeSent(), "<presence to='icq.example.org' type='subscribed'/>");
    // A user's request goes to the user, nothing is sent.
    h.Receive("<presence from='mallory@example.org' type='subscribe'/>");
    EXPECT_EQ(h.TakeSent(), "");
    // The contact granted us its presence.
    h.Receive("<presence from='carol@example.org' type='subscribed'/>");
    DrainList();
    unsigned char subscription = 0;
    ASSERT_TRUE(List().GetItemByte(carol, U("Subscription"), &subscription));
    EXPECT_EQ(subscription, 1);

    h.Command(Cmd::SetAuthorization, Arg(carol), new Services::CEventArg_Data<bool>(true));
    EXPECT_EQ(h.TakeSent(), "<presence to='carol@example.org' type='subscribed'/>");
    h.Command(Cmd::SetAuthorization, Arg(carol), new Services::CEventArg_Data<bool>(false));
    EXPECT_EQ(h.TakeSent(), "<presence to='carol@example.org' type='unsubscribed'/>");
}

TEST_F(XmppPresenceTest, ContactMenuOffersWhatTheSubscriptionLacks) {
    OnlineWithBob();
    unsigned int carol = ContactOf("carol@example.org");
    auto captions = [&](unsigned int contact, CYolMenuInfo& menu) {
        h.Command(Cmd::GetContactMenu, Arg(contact), new Services::CEventArg_Data<CYolMenuInfo*>(&menu));
        std::vector<std::string> out;
        for (int i = 0; i < menu.Count(); ++i)
            out.push_back(menu[i].kind == CYolMenuItemInfo::Separator ? "-" : menu[i].caption.GetLocalized().ToUtf8());
        return out;
    };
    CYolMenuInfo carolMenu;
    EXPECT_EQ(captions(carol, carolMenu),
              (std::vector<std::string>{"-", "Request authorization", "Grant authorization"}));
    CYolMenuInfo bobMenu;
    EXPECT_EQ(captions(bob, bobMenu), (std::vector<std::string>{"-", "Revoke authorization"}));

    // Picking an item reaches the account through its queue.
    carolMenu[1].Invoke(carol);
    h.Drain();
    EXPECT_EQ(h.TakeSent(), "<presence to='carol@example.org' type='subscribe'/>");
    bobMenu[1].Invoke(bob);
    h.Drain();
    EXPECT_EQ(h.TakeSent(), "<presence to='bob@example.org' type='unsubscribed'/>");
}

TEST_F(XmppPresenceTest, StatusTextReachesTheChatOnceWhenTheContactIsOpened) {
    ContactListLog log;
    log.Attach(h.services);
    OnlineWithBob();
    // Opening the contact asks for its information; what the contact says
    // about itself arrives in its chat as a status notice.
    auto opened = [&] {
        Command(Cmd::RequestContactInfo, Arg(bob));
        log.Sync();
        return log.TakeMessages();
    };
    auto expectNotice = [&](const std::vector<MessageInfo>& got, int image, const char* text, const char* extra) {
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].contactId, bob);
        EXPECT_EQ(got[0].kind, 2u);
        EXPECT_EQ(got[0].flags, static_cast<int>(JabberPlugin::ImageId(image)));
        EXPECT_EQ(got[0].text.ToUtf8(), text);
        EXPECT_EQ(got[0].extra.ToUtf8(), extra);
    };

    // A plain client: a status text and no extended status.
    h.Receive("<presence from='bob@example.org/desk'><status>In a meeting &amp; busy</status></presence>");
    expectNotice(opened(), 49, "In a meeting & busy", "");
    // Shown once: opening again, or the same text again with another
    // status, shows nothing.
    EXPECT_TRUE(opened().empty());
    h.Receive("<presence from='bob@example.org/desk'><show>away</show><status>In a meeting &amp; busy</status>"
              "</presence>");
    EXPECT_TRUE(opened().empty());
    h.Receive("<presence from='bob@example.org/desk'><status>Back at 3</status></presence>");
    expectNotice(opened(), 49, "Back at 3", "");

    // An extended status shows under its title with its own image.
    h.Receive("<presence from='bob@example.org/desk'><status>Coffee. Black</status>"
              "<x xmlns='http://yol.im/x-status' id='10'><title>Coffee</title></x></presence>");
    expectNotice(opened(), 60, "Coffee", " Black");

    // Without a text, or offline, there is nothing to show.
    h.Receive("<presence from='bob@example.org/desk'><show>dnd</show></presence>");
    EXPECT_TRUE(opened().empty());
    h.Receive("<presence from='bob@example.org/desk' type='unavailable'><status>gone</status></presence>");
    EXPECT_TRUE(opened().empty());
}
