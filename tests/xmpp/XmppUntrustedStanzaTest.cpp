// Stanzas any contact can shape: a message far larger than the stream's
// limit, and one that nests deeper than the parser keeps. Neither may cost
// the session, and the user hears of what could not be delivered.

#include "XmppSessionSupport.h"

#include <gtest/gtest.h>

using namespace XmppTest;

namespace {

class XmppUntrustedStanzaTest : public XmppSession {
protected:
    void SetUp() override {
        XmppSession::SetUp();
        log.Attach(h.services);
        GoOnline("<item jid='bob@example.org' name='Bob' subscription='both'><group>Friends</group></item>");
        bob = ContactOf("bob@example.org");
        ASSERT_NE(bob, 0u);
    }
    void TearDown() override { h.Shutdown(); }

    // The texts of the messages the contact list got since the last look.
    std::vector<std::string> Delivered() {
        h.Drain();
        DrainList();
        log.Sync();
        std::vector<std::string> texts;
        for (const Protocols::MessageInfo& message : log.TakeMessages())
            texts.push_back(std::to_string(message.contactId) + " " + message.text.ToUtf8());
        return texts;
    }
    std::vector<std::string> Notices() {
        std::vector<std::string> texts;
        for (const AccountEventRecord& e : h.Events(Protocols::AccountEvent::ShowText))
            texts.push_back(e.text.ToUtf8());
        return texts;
    }

    ContactListLog log;
    unsigned int bob = 0;
};

TEST_F(XmppUntrustedStanzaTest, AMessageTooLargeIsDroppedAloneAndTheUserIsTold) {
    const std::string huge = "<message from='bob@example.org/desk' type='chat' id='big'><body>" +
                             std::string(2 << 20, 'x') + "</body></message>";
    // As a server passes it on: in reads of the socket's size.
    h.ReceiveInPieces(huge, 64 * 1024);
    EXPECT_EQ(Notices(), std::vector<std::string>{
                             "A message from bob@example.org was too large to receive and has been dropped."});
    EXPECT_TRUE(Delivered().empty());
    EXPECT_EQ(h.GetStatus(), Protocols::Online);
    EXPECT_FALSE(h.account->IsReconnectPending());

    h.Receive("<message from='bob@example.org/desk' type='chat'><body>still there?</body></message>");
    EXPECT_EQ(Delivered(), std::vector<std::string>{std::to_string(bob) + " still there?"});
    // The same message again costs the same, and no more.
    h.ReceiveInPieces(huge, 300 * 1024);
    EXPECT_EQ(Notices().size(), 1u);
    EXPECT_EQ(h.GetStatus(), Protocols::Online);
}

TEST_F(XmppUntrustedStanzaTest, OversizedStanzasOtherThanMessagesGoQuietly) {
    const std::string filler(2 << 20, 'x');
    h.ReceiveInPieces("<presence from='bob@example.org/desk'><status>" + filler + "</status></presence>", 65536);
    // A start tag too large to read names no sender.
    h.ReceiveInPieces("<message from='bob@example.org/desk' id='" + filler + "'><body>x</body></message>", 65536);
    EXPECT_EQ(Notices(), std::vector<std::string>{"A message too large to receive has been dropped."});
    EXPECT_EQ(h.GetStatus(), Protocols::Online);
}

TEST_F(XmppUntrustedStanzaTest, TheBodyBesideTenThousandNestedElementsIsDelivered) {
    std::string nested;
    for (int i = 0; i < 10000; ++i)
        nested += "<x xmlns='urn:deep'>";
    for (int i = 0; i < 10000; ++i)
        nested += "</x>";
    h.Receive("<message from='bob@example.org/desk' type='chat'>" + nested + "<body>hello</body>" + nested +
              "</message>");
    EXPECT_EQ(Delivered(), std::vector<std::string>{std::to_string(bob) + " hello"});
    EXPECT_TRUE(Notices().empty());
    EXPECT_EQ(h.GetStatus(), Protocols::Online);
}

}  // namespace
