// The user's messages through a session that ends: what could not be
// written to the connection comes back to the contact list as not sent, with
// its text, and waits for no receipt; what went waits for its receipt until
// the receipt comes, the session ends or the wait outlives its time.

#include "XmppSessionSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <regex>
#include <string>
#include <vector>

using namespace XmppTest;

namespace {

constexpr const char* kBobRoster =
    "<item jid='bob@example.org' name='Bob' subscription='both'><group>Friends</group></item>";

// The manual clock, a base of its own so that it outlives the harness: the
// harness's queue threads still read the clock while they wind down.
struct WithManualClock {
    CYolManualClock clock{5000000, 1700000000};
};

class XmppMessageDelivery : public WithManualClock, public XmppSession {
protected:
    void SetUp() override {
        previous = CYolClock::Install(&clock);
        XmppSession::SetUp();
        log.Attach(h.services);
        GoOnline(kBobRoster);
        h.Receive("<presence from='bob@example.org/phone'/>");
        bob = ContactOf("bob@example.org");
        ASSERT_NE(bob, 0u);
        Lines("");
        h.TakeSent();
    }
    void TearDown() override {
        // Offline also ends a reconnection that is waiting for the clock.
        h.SetStatus(Protocols::Offline);
        CYolClock::Install(previous);
    }

    // The account is handed a message, as the protocols manager hands it.
    void Send(unsigned int contact, unsigned int messageId, const std::string& text) {
        Protocols::MessageInfo message;
        message.contactId = contact;
        message.messageId = messageId;
        message.text = U(text);
        h.Command(Protocols::AccountCommand::SendMessage, new CEventArg_Data<Protocols::MessageInfo>(message));
    }
    // The stanza numbers of the chat messages written since the last look.
    std::vector<int> WrittenNumbers() {
        const std::string sent = h.TakeSent();
        std::vector<int> numbers;
        const std::regex pattern("<message type='chat'[^>]* id='yol_([0-9]+)'");
        for (auto it = std::sregex_iterator(sent.begin(), sent.end(), pattern); it != std::sregex_iterator(); ++it)
            numbers.push_back(std::stoi((*it)[1]));
        return numbers;
    }
    void Receipt(int number) {
        h.Receive("<message from='bob@example.org/phone'><received xmlns='urn:xmpp:receipts' id='yol_" +
                  std::to_string(number) + "'/></message>");
    }
    // The contact list's lines so far that start with `prefix`, taken.
    std::vector<std::string> Lines(const std::string& prefix) {
        DrainList();
        log.Sync();
        std::vector<std::string> lines;
        for (std::string line; !(line = log.WaitFor(prefix, 0)).empty();)
            lines.push_back(line);
        return lines;
    }
    std::string Bob() const { return std::to_string(bob); }

    CYolClock* previous = nullptr;
    ContactListLog log;
    unsigned int bob = 0;
};

// ---- what cannot be written comes back ----------------------------------------------

enum class Obstacle { ConnectionDropped, LoggingInAgain, WriteFails, ContactUnknownToTheAccount };

struct ObstacleCase {
    const char* label;
    Obstacle obstacle;
};

class XmppUnsentMessage : public XmppMessageDelivery, public testing::WithParamInterface<ObstacleCase> {};

TEST_P(XmppUnsentMessage, ComesBackWholeAndWaitsForNoReceipt) {
    unsigned int contact = bob;
    switch (GetParam().obstacle) {
        case Obstacle::ConnectionDropped:
            h.Closed();
            break;
        case Obstacle::LoggingInAgain:
            h.Closed();
            h.SetStatus(Protocols::Online);
            ASSERT_EQ(h.GetStatus(), Protocols::Connecting);
            break;
        case Obstacle::WriteFails:
            // The connection broke, and the account has not heard yet.
            h.sockets.sendLimit = 0;
            break;
        case Obstacle::ContactUnknownToTheAccount:
            contact = ListedContact(0, "carol@example.org");
            break;
    }
    h.TakeSent();
    Send(contact, 7, "Привет\r\nещё раз");
    EXPECT_EQ(Lines("notsent"), std::vector<std::string>{"notsent " + std::to_string(contact) + " 7 Привет\r\nещё раз"})
        << GetParam().label;
    EXPECT_EQ(WrittenNumbers(), std::vector<int>{}) << GetParam().label;
    EXPECT_EQ(h.account->PendingReceiptCount(), 0u) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(Obstacles, XmppUnsentMessage,
                         testing::Values(ObstacleCase{"connection dropped", Obstacle::ConnectionDropped},
                                         ObstacleCase{"logging in again", Obstacle::LoggingInAgain},
                                         ObstacleCase{"write fails", Obstacle::WriteFails},
                                         ObstacleCase{"contact unknown to the account",
                                                      Obstacle::ContactUnknownToTheAccount}),
                         [](const testing::TestParamInfo<ObstacleCase>& info) {
                             std::string name;
                             bool upper = true;
                             for (const char* c = info.param.label; *c; ++c) {
                                 if (*c == ' ') {
                                     upper = true;
                                 } else {
                                     name += upper ? static_cast<char>(std::toupper(*c)) : *c;
                                     upper = false;
                                 }
                             }
                             return name;
                         });

TEST_F(XmppMessageDelivery, MessageThatWentIsNotReportedAndWaitsForItsReceipt) {
    Send(bob, 8, "hi");
    const std::vector<int> numbers = WrittenNumbers();
    ASSERT_EQ(numbers.size(), 1u);
    EXPECT_EQ(h.account->PendingReceiptCount(), 1u);
    Receipt(numbers[0]);
    EXPECT_EQ(Lines(""), std::vector<std::string>{"ack " + Bob() + " 8"});
}

// ---- receipts wait as long as they may come -----------------------------------------

TEST_F(XmppMessageDelivery, EveryReceiptOfALongBurstAcknowledgesItsMessage) {
    constexpr unsigned int kBurst = 1500;
    for (unsigned int id = 1; id <= kBurst; ++id)
        Send(bob, id, "m" + std::to_string(id));
    const std::vector<int> numbers = WrittenNumbers();
    ASSERT_EQ(numbers.size(), kBurst);
    EXPECT_EQ(h.account->PendingReceiptCount(), kBurst);
    // The oldest message's receipt comes last.
    for (auto it = numbers.rbegin(); it != numbers.rend(); ++it)
        Receipt(*it);
    const std::vector<std::string> acks = Lines("ack ");
    ASSERT_EQ(acks.size(), kBurst);
    EXPECT_EQ(acks.front(), "ack " + Bob() + " " + std::to_string(kBurst));
    EXPECT_EQ(acks.back(), "ack " + Bob() + " 1");
    EXPECT_EQ(h.account->PendingReceiptCount(), 0u);
}

TEST_F(XmppMessageDelivery, ReceiptCountsOnlyWithinItsLifetime) {
    const uint64_t half = XmppMessages::kPendingReceiptLifetimeMs / 2;
    Send(bob, 1, "old");
    clock.Advance(half);
    Send(bob, 2, "newer");
    const std::vector<int> numbers = WrittenNumbers();
    ASSERT_EQ(numbers.size(), 2u);
    clock.Advance(half - 1);
    Receipt(numbers[0]);
    clock.Advance(1);
    Send(bob, 3, "newest");
    Receipt(numbers[1]);
    EXPECT_EQ(Lines("ack "), (std::vector<std::string>{"ack " + Bob() + " 1", "ack " + Bob() + " 2"}));

    Send(bob, 4, "forgotten");
    const int forgotten = WrittenNumbers().back();
    clock.Advance(XmppMessages::kPendingReceiptLifetimeMs);
    Receipt(forgotten);
    EXPECT_EQ(Lines("ack "), std::vector<std::string>{});
    EXPECT_EQ(h.account->PendingReceiptCount(), 0u);
}

TEST_F(XmppMessageDelivery, SessionEndForgetsTheReceiptsItWaitedFor) {
    for (unsigned int id = 1; id <= 3; ++id)
        Send(bob, id, "x");
    const std::vector<int> numbers = WrittenNumbers();
    ASSERT_EQ(numbers.size(), 3u);
    h.Closed();
    EXPECT_EQ(h.account->PendingReceiptCount(), 0u);

    // The next session knows nothing of them, even when a late receipt comes.
    LogIn();
    ReceiveRoster(kBobRoster);
    Receipt(numbers[0]);
    EXPECT_EQ(Lines("ack "), std::vector<std::string>{});
    EXPECT_EQ(Lines("notsent"), std::vector<std::string>{});
}

}  // namespace
