// Chat states both ways on the messages class alone: what a contact's
// states and texts make the list show, and which notices the user's typing
// writes, to whom.

#include "RecordingStanzaSink.h"
#include "XmppCapabilities.h"
#include "XmppFeatureSupport.h"
#include "XmppMessages.h"

#include <gtest/gtest.h>

using namespace XmppFeatureTest;
using XmppTest::RecordingStanzaSink;

namespace {

class XmppChatState : public ::testing::Test {
protected:
    void SetUp() override {
        const unsigned int friends = list.HoldGroup("Friends");
        ContactRecord* entry = contacts.FindOrAddContact(ContactKindRoster, U("bob@example.org"));
        bob = entry->contactId = list.HoldContact(friends, "bob@example.org");
        contacts.UpdateResource(ContactKindRoster, u"bob@example.org/phone", Protocols::Online, CYolString(), 0);
    }
    void Receive(const std::string& text) { messages.OnMessage(MessageStanza(Stanza(text))); }
    std::vector<std::string> TypingLines() {
        std::vector<std::string> out;
        for (const std::string& line : list.log)
            if (line.rfind("typing", 0) == 0)
                out.push_back(line);
        list.log.clear();
        return out;
    }

    RecordingStanzaSink sink;
    CJabberContactMap contacts;
    RecordingContactList list;
    XmppCapabilities caps{contacts};
    bool sessionOpen = true;
    XmppMessages messages{sink, contacts, list, caps, [this] { return sessionOpen; }};
    unsigned int bob = 0;
};

TEST_F(XmppChatState, AContactsStatesAndTextsShowAsTyping) {
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
        Receive(c.stanza);
        EXPECT_EQ(TypingLines(), c.shown) << c.stanza;
    }
}

TEST_F(XmppChatState, TheUsersTypingGoesOnlyToAContactKnownToReadIt) {
    EXPECT_FALSE(messages.SendChatState(bob, true)) << "nothing known of bob yet";
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

} // namespace
