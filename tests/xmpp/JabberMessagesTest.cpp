// Messages of an account: incoming stanzas through the router to the
// contact list, the automatic answers they ask for, outgoing stanzas,
// delivery events, mail notices and the disco#info answer for our caps.

#include "ContactListEvents.h"
#include "ValueNames.h"
#include "XmppAccountHarness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <regex>

using namespace XmppTest;

namespace {

// What the contact list told its subscribers about messages and contacts.
class ClRecorder final : public Services::CEventsClient {
public:
    void Attach(Services::CServicesManager& services) {
        key = services.RegisterEventsClient(this, U("Messages recorder"));
        for (int event : {CL::ContactListEvent::ContactAdded, CL::ContactListEvent::MessageReceived,
                          CL::ContactListEvent::MessageAcknowledged})
            services.Subscribe(ContactListGuid, event, key);
    }
    // Before the recorder goes: no queue may call it afterwards.
    void Detach(Services::CServicesManager& services) {
        if (key)
            services.UnregisterEventsClient(key);
        key = 0;
    }
    int OnEvent(const YOL_GUID& channel, int event, CEventArg* arg, CEventArg* extra) override {
        if (channel != ContactListGuid || !arg)
            return 0;
        const unsigned int id = static_cast<CEventArg_Data<unsigned int>*>(arg)->data;
        std::string line;
        if (event == CL::ContactListEvent::MessageReceived) {
            const auto& message = static_cast<CEventArg_Data<Protocols::MessageInfo>*>(extra)->data;
            line = "message " + std::to_string(id) + " " + std::to_string(message.kind) + " " + message.text.ToUtf8();
        } else if (event == CL::ContactListEvent::MessageAcknowledged) {
            line = "ack " + std::to_string(id) + " " +
                   std::to_string(static_cast<CEventArg_Data<unsigned int>*>(extra)->data);
        } else {
            line = "added " + std::to_string(id);
        }
        std::lock_guard guard(lock);
        lines.push_back(line);
        wake.notify_all();
        return 0;
    }
    // Everything recorded up to and including the first line equal to
    // `last`, which must come within two seconds.
    std::vector<std::string> TakeThrough(const std::string& last) {
        std::unique_lock guard(lock);
        wake.wait_for(guard, std::chrono::seconds(2),
                      [&] { return std::find(lines.begin(), lines.end(), last) != lines.end(); });
        auto end = std::find(lines.begin(), lines.end(), last);
        if (end == lines.end())
            return {"missing: " + last};
        std::vector<std::string> out(lines.begin(), end);
        lines.erase(lines.begin(), end + 1);
        return out;
    }

private:
    unsigned int key = 0;
    std::mutex lock;
    std::condition_variable wake;
    std::vector<std::string> lines;
};

// The stanza with every id "yol_<n>" written as "yol_N".
std::string WithoutNumbers(const std::string& sent) {
    return std::regex_replace(sent, std::regex("yol_[0-9]+"), "yol_N");
}

int LastNumber(const std::string& sent) {
    std::smatch match;
    std::string rest = sent;
    int number = -1;
    while (std::regex_search(rest, match, std::regex("id='yol_([0-9]+)'"))) {
        number = std::stoi(match[1]);
        rest = match.suffix();
    }
    return number;
}

class XmppMessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.SetValue(CYolString(ValueName::SrvLogName).ToUtf8(), "alice@example.org");
        h.Init();
        recorder.Attach(h.services);
        h.contactList->SetAntispamEnable(false);
        // Messages go out only on an established session.
        ASSERT_EQ(h.GoOnline(), Protocols::Online);
        bob = AddRosterContact("bob@example.org", "Bob", "phone");
        ASSERT_NE(bob, 0u);
        Drain();
    }
    void TearDown() override { recorder.Detach(h.services); }

    unsigned int AddRosterContact(const char* jid, const char* name, const char* resource) {
        CJabberContactMap& map = h.account->Contacts();
        ContactRecord* entry = map.FindOrAddContact(ContactKindRoster, U(jid));
        entry->name = U(name);
        entry->subscription = 3;
        h.account->AddContactItem(*entry, 0);
        map.UpdateResource(ContactKindRoster, U(jid) + u"/" + U(resource), Protocols::Online, CYolString(), 5);
        return entry->contactId;
    }
    ResourceRecord& Resource(const char* jid, const char* resource) {
        ContactRecord* entry = h.account->Contacts().FindContact(ContactKindRoster, U(jid));
        return entry->resources[static_cast<size_t>(entry->FindResource(U(resource)))];
    }

    // Waits until everything the contact list raised so far was recorded:
    // a probe message to Bob goes the same way and comes last.
    std::vector<std::string> Drain() {
        h.Receive("<message from='bob@example.org/phone'><body>probe</body></message>");
        h.TakeSent();
        return recorder.TakeThrough("message " + std::to_string(bob) + " 0 probe");
    }

    XmppAccountHarness h;
    ClRecorder recorder;
    unsigned int bob = 0;
};

// ---- incoming text ------------------------------------------------------------

struct IncomingCase {
    const char* label;
    const char* stanza;
    const char* shown;  // null: nothing reaches the contact list
};

class XmppIncomingMessage : public XmppMessagesTest, public testing::WithParamInterface<IncomingCase> {};

TEST_P(XmppIncomingMessage, ReachesTheContactListAsText) {
    h.Receive(GetParam().stanza);
    std::vector<std::string> expected;
    if (GetParam().shown)
        expected.push_back("message " + std::to_string(bob) + " 0 " + GetParam().shown);
    EXPECT_EQ(Drain(), expected) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Stanzas, XmppIncomingMessage,
    testing::Values(
        IncomingCase{"plain body", "<message from='bob@example.org/phone' type='chat'><body>hi</body></message>", "hi"},
        IncomingCase{"cyrillic", "<message from='bob@example.org/phone'><body>\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82</body></message>",
                     "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
        IncomingCase{"subject and body", "<message from='bob@example.org/phone'><subject>S</subject><body>B</body></message>",
                     "Subject: S\r\nB"},
        IncomingCase{"subject only", "<message from='bob@example.org/phone'><subject>S</subject></message>", "S"},
        IncomingCase{"LF line ends", "<message from='bob@example.org/phone'><body>a\nb</body></message>", "a\r\nb"},
        IncomingCase{"empty body", "<message from='bob@example.org/phone'><body></body></message>", nullptr},
        IncomingCase{"one blank", "<message from='bob@example.org/phone'><body> </body></message>", " "},
        IncomingCase{"no from", "<message><body>hi</body></message>", nullptr},
        IncomingCase{"error type", "<message from='bob@example.org/phone' type='error'><body>hi</body></message>", nullptr},
        IncomingCase{"error child", "<message from='bob@example.org/phone'><body>hi</body><error/></message>", nullptr},
        IncomingCase{"conference invitation",
                     "<message from='bob@example.org/phone'><body>join</body><x xmlns='jabber:x:conference' jid='r@c'/></message>",
                     nullptr},
        IncomingCase{"special message",
                     "<message from='bob@example.org/phone'><body>[x]</body><x xmlns='yol:x:specmsg'>data</x></message>", "data"},
        IncomingCase{"special message without text",
                     "<message from='bob@example.org/phone'><body>[x]</body><x xmlns='yol:x:specmsg'/></message>", nullptr},
        IncomingCase{"encrypted",
                     "<message from='bob@example.org/phone'><body>-</body><x xmlns='jabber:x:encrypted'>QUJD</x></message>",
                     "-----BEGIN PGP MESSAGE-----\r\n\r\nQUJD\r\n-----END PGP MESSAGE-----\r\n"},
        IncomingCase{"out-of-band url",
                     "<message from='bob@example.org/phone'><body>see</body><x xmlns='jabber:x:oob'><url>http://u/</url></x></message>",
                     "http://u/\r\nsee"},
        IncomingCase{"pubsub event",
                     "<message from='bob@example.org/phone'><body>x</body><event xmlns='http://jabber.org/protocol/pubsub#event'/></message>",
                     nullptr},
        IncomingCase{"ofrom from a user is not believed",
                     "<message from='bob@example.org/phone'><body>hi</body><addresses xmlns='http://jabber.org/protocol/address'>"
                     "<address type='ofrom' jid='carol@example.org'/></addresses></message>",
                     "hi"}));

TEST_F(XmppMessagesTest, ServiceRedirectShowsTheFirstSender) {
    h.Receive("<message from='multicast.example.org'><body>hi</body><addresses xmlns='http://jabber.org/protocol/address'>"
              "<address type='ofrom' jid='bob@example.org/phone'/></addresses></message>");
    EXPECT_EQ(Drain(), std::vector<std::string>{"message " + std::to_string(bob) +
                                                " 0 Message redirected from: multicast.example.org\r\nhi"});
}

// ---- automatic answers --------------------------------------------------------

TEST_F(XmppMessagesTest, ReceiptRequestIsAnsweredWithTheMessageId) {
    h.Receive("<message from='bob@example.org/phone' id='m1'><body>hi</body><request xmlns='urn:xmpp:receipts'/></message>");
    EXPECT_EQ(h.TakeSent(), "<message to='bob@example.org/phone'><received xmlns='urn:xmpp:receipts' id='m1'/></message>");
    EXPECT_NE(Resource("bob@example.org", "phone").learnedFeatures & FeatureFlag(FeatureReceipts), 0u);
}

TEST_F(XmppMessagesTest, TwoDeliveredRequestsGiveOneAnswer) {
    h.Receive("<message from='bob@example.org/phone' id='m&apos;2'><body>hi</body>"
              "<x xmlns='jabber:x:event'><delivered/><composing/></x><x xmlns='jabber:x:event'><delivered/></x></message>");
    EXPECT_EQ(h.TakeSent(), "<message to='bob@example.org/phone'><x xmlns='jabber:x:event'><delivered/>"
                            "<id>m&apos;2</id></x></message>");
    EXPECT_EQ(h.account->Contacts().FindContact(ContactKindRoster, U("bob@example.org"))->pendingEventId, U("m'2"));
}

TEST_F(XmppMessagesTest, AccountNoticeIsGrantedOnlyForAService) {
    h.Receive("<message from='carol@example.org'><x xmlns='yol:x:gotaccount'/></message>");
    EXPECT_EQ(h.TakeSent(), "");
    h.Receive("<message from='yol.im'><x xmlns='yol:x:gotaccount'/></message>");
    EXPECT_EQ(h.TakeSent(), "<presence to='yol.im' type='subscribed'/>");
}

TEST_F(XmppMessagesTest, ChatStatesFollowTheLastMessage) {
    ContactRecord* entry = h.account->Contacts().FindContact(ContactKindRoster, U("bob@example.org"));
    h.Receive("<message from='bob@example.org/phone'><body>a</body></message>");
    EXPECT_EQ(entry->flags & ContactFlagChatStates, 0);
    h.Receive("<message from='bob@example.org/phone'><body>b</body><active xmlns='http://jabber.org/protocol/chatstates'/></message>");
    EXPECT_NE(entry->flags & ContactFlagChatStates, 0);
    EXPECT_NE(Resource("bob@example.org", "phone").learnedFeatures & FeatureFlag(FeatureChatStates), 0u);
    EXPECT_TRUE(Resource("bob@example.org", "phone").wroteToUs);
    EXPECT_EQ(entry->lastMessageResource, 0);
}

// ---- outgoing messages and their acknowledgement ---------------------------------

int SendToBob(XmppAccountHarness& h, unsigned int contact, const char* text, unsigned int messageId) {
    Protocols::MessageInfo message;
    message.contactId = contact;
    message.messageId = messageId;
    message.text = U(text);
    return h.Command(Protocols::AccountCommand::SendMessage, new CEventArg_Data<Protocols::MessageInfo>(message));
}

TEST_F(XmppMessagesTest, OutgoingMessageAsksForEventsAndEscapesText) {
    SendToBob(h, bob, "a<b & 'c'\r\n\x01" "d", 77);
    EXPECT_EQ(WithoutNumbers(h.TakeSent()),
              "<message type='chat' to='bob@example.org/phone' id='yol_N'><body>a&lt;b &amp; &apos;c&apos;\n d</body>"
              "<x xmlns='jabber:x:event'><composing/><delivered/><offline/></x></message>");
    EXPECT_TRUE(Resource("bob@example.org", "phone").conversation);
}

TEST_F(XmppMessagesTest, ActiveOnlyForAResourceWithCapsThatShowedChatStates) {
    // Without caps, even a resource that sent <active/> gets none.
    h.Receive("<message from='bob@example.org/phone'><body>b</body><active xmlns='http://jabber.org/protocol/chatstates'/></message>");
    h.TakeSent();
    SendToBob(h, bob, "one", 1);
    EXPECT_EQ(h.TakeSent().find("<active"), std::string::npos);

    ResourceRecord& resource = Resource("bob@example.org", "phone");
    resource.capsNode = U("http://gajim.org");
    resource.capsVer = U("1.8.0");
    SendToBob(h, bob, "two", 2);
    EXPECT_NE(h.TakeSent().find("<body>two</body><active xmlns='http://jabber.org/protocol/chatstates'/><x"),
              std::string::npos);
}

TEST_F(XmppMessagesTest, DeliveryEventAcknowledgesOnceAndOnlyForItsContact) {
    const unsigned int carol = AddRosterContact("carol@example.org", "Carol", "pc");
    Drain();
    SendToBob(h, bob, "hello", 4242);
    const int number = LastNumber(h.TakeSent());
    ASSERT_GT(number, 0);
    const std::string notice = "<x xmlns='jabber:x:event'><delivered/><id>yol_" + std::to_string(number) + "</id></x>";
    h.Receive("<message from='carol@example.org/pc'>" + notice + "</message>");
    h.Receive("<message from='bob@example.org/phone'><x xmlns='jabber:x:event'><offline/><id>yol_x" +
              std::to_string(number) + "</id></x></message>");
    h.Receive("<message from='bob@example.org/phone'>" + notice + "</message>");
    h.Receive("<message from='bob@example.org/phone'>" + notice + "</message>");
    EXPECT_EQ(Drain(), std::vector<std::string>{"ack " + std::to_string(bob) + " 4242"});
    EXPECT_EQ(h.account->PendingReceiptCount(), 0u);
    EXPECT_NE(carol, bob);
}

TEST_F(XmppMessagesTest, ReceiptAcknowledgesLikeADeliveryEvent) {
    SendToBob(h, bob, "hello", 99);
    const int number = LastNumber(h.TakeSent());
    h.Receive("<message from='bob@example.org/phone'><received xmlns='urn:xmpp:receipts' id='yol_" +
              std::to_string(number) + "'/></message>");
    EXPECT_EQ(Drain(), std::vector<std::string>{"ack " + std::to_string(bob) + " 99"});
}

TEST_F(XmppMessagesTest, NothingIsSentForUnknownContactsOrOtherKinds) {
    SendToBob(h, 12345, "x", 1);
    Protocols::MessageInfo notice;
    notice.contactId = bob;
    notice.kind = 2;
    notice.text = U("x");
    h.Command(Protocols::AccountCommand::SendMessage, new CEventArg_Data<Protocols::MessageInfo>(notice));
    EXPECT_EQ(h.TakeSent(), "");
}

// ---- senders outside the list ----------------------------------------------------

TEST_F(XmppMessagesTest, UnlistedSenderIsDroppedWhenTheListRefusesThem) {
    h.contactList->SetAntispamMsgsFromNIL(false);
    h.Receive("<message from='stranger@example.org/x'><body>spam</body></message>");
    EXPECT_EQ(Drain(), std::vector<std::string>{});
    EXPECT_EQ(h.account->Contacts().FindContact(ContactKindRoster, U("stranger@example.org")), nullptr);
}

TEST_F(XmppMessagesTest, UnlistedSenderIsAddedOutsideGroupsBeforeTheMessage) {
    h.contactList->SetAntispamMsgsFromNIL(true);
    h.Receive("<message from='stranger@example.org/x'><body>hello</body></message>");
    ContactRecord* entry = h.account->Contacts().FindContact(ContactKindRoster, U("stranger@example.org"));
    ASSERT_NE(entry, nullptr);
    const std::string id = std::to_string(entry->contactId);
    EXPECT_EQ(Drain(), (std::vector<std::string>{"added " + id, "message " + id + " 0 hello"}));
    EXPECT_EQ(h.contactList->GetParentId(entry->contactId), 0u);
    CYolString login;
    EXPECT_TRUE(h.contactList->GetItemString(entry->contactId, CYolString(ValueName::SrvLogName), login));
    EXPECT_EQ(login, U("stranger@example.org"));
}

TEST_F(XmppMessagesTest, AuthorizationRequestWithoutTextIsDeliveredButEmptyNoticeIsNot) {
    h.account->DeliverMessage(U("bob@example.org"), 2, 51, CYolString(), U("description"));
    h.account->DeliverMessage(U("bob@example.org"), 3, 0, CYolString(), CYolString());
    EXPECT_EQ(Drain(), std::vector<std::string>{"message " + std::to_string(bob) + " 3 "});
}

// ---- mail notices ----------------------------------------------------------------

const char* const kTwoMails =
    "<presence from='example.org'><x xmlns='yol:mail:notify'>"
    "<message><senders><sender address='boss@work.example'/></senders><subject>Report</subject></message>"
    "<message><senders><sender address='\xD0\xB8@b.example'/></senders></message></x></presence>";

TEST_F(XmppMessagesTest, EachMailRaisesANotificationWithTheWebmailLink) {
    h.Receive(kTwoMails);
    auto notices = h.Events(Protocols::AccountEvent::Notification);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].notification.title, h.account->BuildWebmailLink());
    EXPECT_EQ(notices[0].notification.text.GetLocalized().ToUtf8(),
              "Acc.: alice\r\nE-mail received\r\nFrom: boss@work.example\r\nSubject: Report");
    EXPECT_EQ(notices[1].notification.text.GetLocalized().ToUtf8(),
              "Acc.: alice\r\nE-mail received\r\nFrom: \xD0\xB8@b.example\r\nSubject: ");
    EXPECT_EQ(notices[0].account, XmppAccountHarness::kAccountId);
}

TEST_F(XmppMessagesTest, UnreadCountKeepsTheLastPositiveValue) {
    h.Receive("<presence from='example.org'><x xmlns='yol:mail:notify'><unread count='3'/></x></presence>");
    h.Receive("<presence from='example.org'><x xmlns='yol:mail:notify'><unread count='0'/></x></presence>");
    EXPECT_EQ(h.account->UnreadMailCount(), 3u);
    EXPECT_TRUE(h.Events(Protocols::AccountEvent::Notification).empty());
}

TEST_F(XmppMessagesTest, NoticesFromAnyoneButTheOwnServerAreDropped) {
    for (const char* from : {"bob@example.org", "example.org.evil.example", "evil.example"}) {
        h.Receive(std::string("<presence from='") + from +
                  "'><x xmlns='yol:mail:notify'><message><senders><sender address='a@b.example'/></senders>"
                  "</message></x></presence>");
    }
    EXPECT_TRUE(h.Events(Protocols::AccountEvent::Notification).empty());
}

TEST_F(XmppMessagesTest, NoticesAreDroppedWhileEmailNotifyIsOff) {
    h.account->MutableSettings().emailNotify = false;
    h.Receive(kTwoMails);
    EXPECT_TRUE(h.Events(Protocols::AccountEvent::Notification).empty());
}

TEST_F(XmppMessagesTest, WebmailLinkSignsTheOwnBareJid) {
    XmppAccountSettings& settings = h.account->MutableSettings();
    settings.userName = U("user");
    settings.server = U("yol.im");
    settings.password = U("secret");
    settings.passwordHashed = 0;
    const std::string link = h.account->BuildWebmailLink().ToUtf8();
    EXPECT_EQ(link, "http://passport.yol.im/reg/test?user=user%40yol.im&hash=8486e04d65b764ca29257faa0b15b3af"
                    "&project=yolvantum&retpath=http%3a%2f%2fmail.yol.im%2f");
    settings.passwordHashed = 1;
    for (int i = 0; i < 16; ++i)
        settings.mailPasswordHash[i] = static_cast<uint8_t>(i);
    EXPECT_NE(h.account->BuildWebmailLink().ToUtf8().find("&hash=000102030405060708090a0b0c0d0e0f&"),
              std::string::npos);
}

// ---- disco#info for our caps ------------------------------------------------------

TEST_F(XmppMessagesTest, DiscoInfoForTheAnnouncedCapsIsAnswered) {
    h.Receive("<iq type='get' from='bob@example.org/phone' id='d1'><query xmlns='http://jabber.org/protocol/disco#info' "
              "node='http://yol.im/caps#WM2142'/></iq>");
    const std::string sent = h.TakeSent();
    EXPECT_EQ(sent.rfind("<iq type='result' to='bob@example.org/phone' id='d1'><query xmlns='http://jabber.org/protocol/"
                         "disco#info' node='http://yol.im/caps#WM2142'><identity category='client' type='pda' "
                         "name='Yol PDA WM'/><feature var='http://jabber.org/protocol/disco#info'/>",
                         0),
              0u)
        << sent;
    EXPECT_EQ(sent.find("commands"), std::string::npos);
    h.Receive("<iq type='get' from='bob@example.org/phone' id='d2'><query xmlns='http://jabber.org/protocol/disco#info' "
              "node='http://yol.im/caps#nothing'/></iq>");
    EXPECT_NE(h.TakeSent().find("type='error'"), std::string::npos);
}

}  // namespace
