// The messages class on its own: each kind of message stanza and what the
// contact list gets from it, the receipts and delivery events asked and
// answered, and the sent messages they acknowledge, stanza by stanza on a
// recording sink and contact list.

#include "RecordingStanzaSink.h"
#include "XmppCapabilities.h"
#include "XmppFeatureSupport.h"
#include "XmppMessages.h"

#include <gtest/gtest.h>

using namespace XmppFeatureTest;
using XmppTest::RecordingStanzaSink;

namespace {

using Received = RecordingContactList::Received;
using Sent = std::vector<std::string>;

class XmppMessageStanzaTest : public ::testing::Test {
protected:
    void SetUp() override {
        const unsigned int friends = list.HoldGroup("Friends");
        for (const char* jid : {"bob@example.org", "carol@example.org"}) {
            ContactRecord* entry = contacts.FindOrAddContact(ContactKindRoster, U(jid));
            entry->contactId = list.HoldContact(friends, jid);
            contacts.UpdateResource(ContactKindRoster, U(jid) + u"/phone", Protocols::Online, CYolString(), 0);
        }
    }
    void Receive(const std::string& text) { messages.OnMessage(MessageStanza(Stanza(text))); }

    RecordingStanzaSink sink;
    CJabberContactMap contacts;
    RecordingContactList list;
    XmppCapabilities caps{contacts};
    bool sessionOpen = true;
    XmppMessages messages{sink, contacts, list, caps, [this] { return sessionOpen; }};
};

struct MessageCase {
    const char* what;
    const char* stanza;
    const char* shown;  // the text the contact list gets from bob, null: nothing
};

const MessageCase kMessages[] = {
    {"body", "<message from='bob@example.org/phone' type='chat'><body>hi</body></message>", "hi"},
    {"subject and body", "<message from='bob@example.org/phone'><subject>S</subject><body>B</body></message>",
     "Subject: S\r\nB"},
    {"subject alone", "<message from='bob@example.org/phone'><subject>S</subject></message>", "S"},
    {"line ends", "<message from='bob@example.org/phone'><body>a\nb</body></message>", "a\r\nb"},
    {"empty body", "<message from='bob@example.org/phone'><body/></message>", nullptr},
    {"thread alone", "<message from='bob@example.org/phone'><thread>t1</thread></message>", nullptr},
    {"no sender", "<message><body>hi</body></message>", nullptr},
    {"error type", "<message from='bob@example.org/phone' type='error'><body>hi</body></message>", nullptr},
    {"error child", "<message from='bob@example.org/phone'><body>hi</body><error/></message>", nullptr},
    {"transfer data",
     "<message from='bob@example.org/phone'><body>x</body><data xmlns='http://jabber.org/protocol/ibb'/></message>",
     nullptr},
    {"invitation",
     "<message from='bob@example.org/phone'><body>join</body><x xmlns='jabber:x:conference' jid='r@c'/></message>",
     nullptr},
    {"special data", "<message from='bob@example.org/phone'><body>[x]</body><x xmlns='yol:x:specmsg'>d</x></message>",
     "d"},
    {"empty special data",
     "<message from='bob@example.org/phone'><body>[x]</body><x xmlns='yol:x:specmsg'/></message>", nullptr},
    {"encrypted", "<message from='bob@example.org/phone'><body>-</body><x xmlns='jabber:x:encrypted'>QUJD</x></message>",
     "-----BEGIN PGP MESSAGE-----\r\n\r\nQUJD\r\n-----END PGP MESSAGE-----\r\n"},
    {"link", "<message from='bob@example.org/phone'><body>see</body><x xmlns='jabber:x:oob'><url>http://u/</url></x>"
             "</message>",
     "http://u/\r\nsee"},
    {"link alone", "<message from='bob@example.org/phone'><x xmlns='jabber:x:oob'><url>http://u/</url></x></message>",
     "http://u/"},
    // The x children apply in the order they come.
    {"link, then special data",
     "<message from='bob@example.org/phone'><body>b</body><x xmlns='jabber:x:oob'><url>http://u/</url></x>"
     "<x xmlns='yol:x:specmsg'>d</x></message>",
     "d"},
    {"special data, then link",
     "<message from='bob@example.org/phone'><body>b</body><x xmlns='yol:x:specmsg'>d</x>"
     "<x xmlns='jabber:x:oob'><url>http://u/</url></x></message>",
     "http://u/\r\nd"},
    {"an x in another namespace", "<message from='bob@example.org/phone'><body>hi</body><x xmlns='jabber:x:delay'/>"
                                  "<x xmlns='yol:x:specmsgs'>d</x></message>",
     "hi"},
    // Only a service may name the first sender; a user naming one is shown
    // as themselves.
    {"redirect by a user",
     "<message from='carol@example.org/phone'><body>hi</body><addresses xmlns='http://jabber.org/protocol/address'>"
     "<address type='ofrom' jid='bob@example.org/phone'/></addresses></message>",
     nullptr},
    {"redirect by a service",
     "<message from='multicast.example.org'><body>hi</body><addresses xmlns='http://jabber.org/protocol/address'>"
     "<address type='ofrom' jid='bob@example.org/phone'/></addresses></message>",
     "Message redirected from: multicast.example.org\r\nhi"},
};

}  // namespace

TEST_F(XmppMessageStanzaTest, EachKindOfMessageReachesTheListAsText) {
    for (const MessageCase& c : kMessages) {
        list.received.clear();
        Receive(c.stanza);
        std::vector<Received> fromBob;
        for (const Received& message : list.received)
            if (message.contact == "bob@example.org")
                fromBob.push_back(message);
        if (c.shown != nullptr)
            EXPECT_EQ(fromBob, (std::vector<Received>{{"bob@example.org", 0, c.shown}})) << c.what;
        else
            EXPECT_TRUE(fromBob.empty()) << c.what;
    }
}

TEST_F(XmppMessageStanzaTest, ReceiptsAndDeliveryEventsAskedForAreAnswered) {
    Receive("<message from='bob@example.org/phone' id='m1'><body>hi</body><request xmlns='urn:xmpp:receipts'/>"
            "<x xmlns='jabber:x:event'><delivered/><composing/></x><x xmlns='jabber:x:event'><delivered/></x>"
            "</message>");
    EXPECT_EQ(sink.Take(), (Sent{"<message to='bob@example.org/phone'><received xmlns='urn:xmpp:receipts' "
                                 "id='m1'/></message>",
                                 "<message to='bob@example.org/phone'><x xmlns='jabber:x:event'><delivered/>"
                                 "<id>m1</id></x></message>"}));
    const ContactRecord* bob = contacts.FindContact(ContactKindRoster, U("bob@example.org"));
    EXPECT_EQ(bob->pendingEventId, U("m1"));
    EXPECT_NE(bob->resources[0].learnedFeatures & FeatureFlag(FeatureReceipts), 0u);
    // Without a body an event reports on a message of ours: nothing to answer.
    Receive("<message from='bob@example.org/phone' id='m2'><x xmlns='jabber:x:event'><delivered/></x></message>");
    EXPECT_EQ(sink.Take(), Sent{});
}

TEST_F(XmppMessageStanzaTest, SentMessageIsAcknowledgedOnceAndOnlyByItsContact) {
    const unsigned int bobId = list.ContactOf("bob@example.org");
    Protocols::MessageInfo message;
    message.contactId = bobId;
    message.messageId = 77;
    message.text = U("hello");
    ASSERT_TRUE(messages.Send(message));
    EXPECT_EQ(sink.Take(), Sent{"<message type='chat' to='bob@example.org/phone' id='yol_1'><body>hello</body>"
                                "<x xmlns='jabber:x:event'><composing/><delivered/><offline/></x></message>"});
    EXPECT_EQ(messages.PendingReceiptCount(), 1u);

    const char* acknowledgements[] = {
        // Another contact naming our id, an id that is not ours, a number
        // past the counter's range.
        "<message from='carol@example.org/phone'><received xmlns='urn:xmpp:receipts' id='yol_1'/></message>",
        "<message from='bob@example.org/phone'><received xmlns='urn:xmpp:receipts' id='yol_1x'/></message>",
        "<message from='bob@example.org/phone'><received xmlns='urn:xmpp:receipts' id='yol_4294967297'/></message>",
        "<message from='bob@example.org/phone'><x xmlns='jabber:x:event'><offline/><id>yol_1</id></x></message>",
        "<message from='bob@example.org/phone' id='yol_1'><received xmlns='urn:xmpp:receipts'/></message>",
    };
    std::vector<std::string> log;
    for (const char* stanza : acknowledgements) {
        Receive(stanza);
        for (std::string& line : list.TakeLog())
            log.push_back(line + " after " + stanza);
    }
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], std::string("ack bob@example.org 77 after ") + acknowledgements[3]);
    EXPECT_EQ(messages.PendingReceiptCount(), 0u);
}

TEST_F(XmppMessageStanzaTest, MessagesThatCannotGoAreHandedBack) {
    Protocols::MessageInfo message;
    message.contactId = list.ContactOf("bob@example.org");
    message.text = U("hello");
    sessionOpen = false;
    EXPECT_FALSE(messages.Send(message));
    sessionOpen = true;
    sink.accepts = false;
    EXPECT_FALSE(messages.Send(message));
    sink.accepts = true;
    message.contactId = 4711;
    EXPECT_FALSE(messages.Send(message));
    // Only the one that was written and failed reached the sink.
    EXPECT_EQ(sink.Take().size(), 1u);
    EXPECT_EQ(messages.PendingReceiptCount(), 0u);
}

TEST_F(XmppMessageStanzaTest, UnlistedSenderPassesTheListsGateOrLeavesNoTrace) {
    Receive("<message from='stranger@example.org/x'><body>spam</body></message>");
    EXPECT_EQ(list.TakeLog(), Sent{"ask gate stranger@example.org"});
    EXPECT_EQ(contacts.FindContact(ContactKindRoster, U("stranger@example.org")), nullptr);
    EXPECT_TRUE(list.received.empty());

    list.admitsUnlisted = true;
    Receive("<message from='stranger@example.org/x'><body>hello</body></message>");
    EXPECT_EQ(list.TakeLog(),
              (Sent{"ask gate stranger@example.org", "add stranger@example.org 'stranger' to #0 sub 0"}));
    EXPECT_EQ(list.received, (std::vector<Received>{{"stranger@example.org", 0, "hello"}}));
}

TEST_F(XmppMessageStanzaTest, AccountNoticeIsGrantedOnlyForAService) {
    Receive("<message from='carol@example.org'><x xmlns='yol:x:gotaccount'/><body>b</body></message>");
    Receive("<message from='yol.im'><x xmlns='yol:x:gotaccount'/></message>");
    EXPECT_EQ(sink.Take(), Sent{"<presence to='yol.im' type='subscribed'/>"});
    EXPECT_TRUE(list.received.empty());
}

// Chat states: what a contact's states and texts make the list show, and
// which notices the user's typing writes, to whom.
TEST_F(XmppMessageStanzaTest, AContactsStatesAndTextsShowAsTyping) {
    const std::string cs = " xmlns='http://jabber.org/protocol/chatstates'";
    struct Case {
        std::string stanza;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {"<message from='bob@example.org/phone' type='chat'><composing" + cs + "/></message>",
         {"typing bob@example.org types"}},
        {"<message from='bob@example.org/phone' type='chat'><paused" + cs + "/></message>",
         {"typing bob@example.org stopped"}},
        {"<message from='bob@example.org/phone' type='chat'><gone" + cs + "/></message>",
         {"typing bob@example.org stopped"}},
        {"<message from='bob@example.org/phone' type='chat'><body>hi</body></message>",
         {"typing bob@example.org stopped"}},
        {"<message from='bob@example.org/phone' type='chat'><thread>t</thread></message>", {}},
        {"<message from='stranger@example.org/x' type='chat'><composing" + cs + "/></message>", {}},
    };
    for (const Case& c : cases) {
        list.TakeLog();
        Receive(c.stanza);
        std::vector<std::string> shown;
        for (const std::string& line : list.TakeLog())
            if (line.rfind("typing", 0) == 0)
                shown.push_back(line);
        EXPECT_EQ(shown, c.shown) << c.stanza;
    }
}

TEST_F(XmppMessageStanzaTest, TheUsersTypingGoesOnlyToAContactKnownToReadIt) {
    const unsigned int bob = contacts.FindContact(ContactKindRoster, U("bob@example.org"))->contactId;
    // A text without a chat state says the contact's client shows none.
    Receive("<message from='bob@example.org/phone' type='chat'><body>plain</body></message>");
    sink.sent.clear();
    EXPECT_FALSE(messages.SendChatState(bob, true));
    EXPECT_TRUE(sink.sent.empty());
    Receive("<message from='bob@example.org/phone' type='chat'><body>hi</body>"
            "<active xmlns='http://jabber.org/protocol/chatstates'/></message>");
    sink.sent.clear();
    EXPECT_TRUE(messages.SendChatState(bob, true));
    EXPECT_TRUE(messages.SendChatState(bob, false));
    ASSERT_EQ(sink.sent.size(), 2u);
    EXPECT_NE(sink.sent[0].find("<composing xmlns='http://jabber.org/protocol/chatstates'/>"), std::string::npos)
        << sink.sent[0];
    EXPECT_NE(sink.sent[0].find("to='bob@example.org/phone'"), std::string::npos) << sink.sent[0];
    EXPECT_NE(sink.sent[1].find("<paused"), std::string::npos) << sink.sent[1];
    sessionOpen = false;
    EXPECT_FALSE(messages.SendChatState(bob, true)) << "not while the session is down";
    sessionOpen = true;
    EXPECT_FALSE(messages.SendChatState(9999, true)) << "not for an item the account does not have";
}
