#include "CAntiSpamFilter.h"
#include "CYolDatabaseImpl.h"
#include "TestSupport.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using CL::CAntiSpamFilter;
using Protocols::MessageInfo;

namespace {

// Stands in for the model: hands out the database and records every reply.
class RecordingHost : public CL::MAntiSpamHost {
public:
    Database::CYolDatabase* AntispamDatabase() override { return database; }
    void SendAntispamReply(const MessageInfo& reply) override {
        {
            std::lock_guard<std::mutex> hold(mutex);
            replies.push_back(reply);
        }
        if (onSend)
            onSend(reply);
    }

    std::vector<MessageInfo> Replies() {
        std::lock_guard<std::mutex> hold(mutex);
        return replies;
    }
    // The texts sent to one contact, in order.
    std::vector<std::string> SentTo(unsigned int contactId) {
        std::vector<std::string> texts;
        for (const MessageInfo& reply : Replies())
            if (reply.contactId == contactId)
                texts.push_back(reply.text.ToUtf8());
        return texts;
    }

    Database::CYolDatabase* database = nullptr;
    std::function<void(const MessageInfo&)> onSend;

private:
    std::mutex mutex;
    std::vector<MessageInfo> replies;
};

MessageInfo Message(const std::string& utf8) {
    MessageInfo message;
    message.text = W(utf8);
    return message;
}

class AntiSpam : public TempFolderTest {
protected:
    AntiSpam() { host.database = &database; }

    void Configure(const char* question, const char* answer, const char* confirm) {
        filter.SetAntispamQuestion(W(question));
        filter.SetAntispamAnswer(W(answer));
        filter.SetAntispamConfirm(W(confirm));
    }
    int Check(unsigned int contactId, const std::string& text) { return filter.CheckAntispam(contactId, Message(text)); }

    Database::CYolDatabaseImpl database{nullptr, W(PathOf("settings.yol"))};
    RecordingHost host;
    CAntiSpamFilter filter{host};
};

constexpr unsigned int kSender = 0x80000007;
constexpr int D = CAntiSpamFilter::Drop;
constexpr int P = CAntiSpamFilter::Deliver;

// One message of a sender and what must come of it.
struct Step {
    const char* text;
    int verdict;
    const char* reply;  // the text sent back, or null for none
};

struct Dialogue {
    const char* name;
    const char* question;
    const char* answer;
    const char* confirm;
    std::vector<Step> steps;
};

TEST_F(AntiSpam, RunsTheQuestionAndAnswerDialogue) {
    const std::vector<Dialogue> dialogues = {
        {"right answer in another case lets exactly one message through",
         "Name our bird?", "Plumo", "Thanks!",
         {{"hi", D, "Name our bird?"}, {"pLUMO", D, "Thanks!"}, {"hello", P, nullptr},
          {"again", D, "Name our bird?"}}},
        {"wrong answer blocks for good",
         "Name our bird?", "Plumo", "Thanks!",
         {{"hi", D, "Name our bird?"}, {"plumo?", D, nullptr}, {"Plumo", D, nullptr}, {"hi", D, nullptr}}},
        {"Cyrillic answers fold case",
         "Как зовут птицу?", "Плюмо Ёжик", "Спасибо",
         {{"привет", D, "Как зовут птицу?"}, {"пЛЮМО ёЖИК", D, "Спасибо"}, {"Здравствуйте", P, nullptr}}},
        {"Cyrillic letters are not confused with their Latin look-alikes",
         "?", "Плюмо", "ok",
         {{"hi", D, "?"}, {"ПЛЮMO", D, nullptr}, {"Плюмо", D, nullptr}}},
        {"Greek and accented Latin fold too",
         "?", "ΣΟΦΙΑ café", "ok",
         {{"hi", D, "?"}, {"σοφια CAFÉ", D, "ok"}, {"x", P, nullptr}}},
        {"an empty answer matches only an empty reply",
         "?", "", "ok",
         {{"hi", D, "?"}, {"", D, "ok"}, {"now", P, nullptr}}},
        {"a reply to an empty answer setting blocks",
         "?", "", "ok",
         {{"hi", D, "?"}, {"anything", D, nullptr}, {"", D, nullptr}}},
        {"empty question and confirmation are not sent",
         "", "Plumo", "",
         {{"hi", D, nullptr}, {"plumo", D, nullptr}, {"hello", P, nullptr}}},
    };
    unsigned int contactId = kSender;
    for (const Dialogue& dialogue : dialogues) {
        SCOPED_TRACE(dialogue.name);
        Configure(dialogue.question, dialogue.answer, dialogue.confirm);
        ++contactId;
        for (const Step& step : dialogue.steps) {
            SCOPED_TRACE(step.text);
            size_t before = host.Replies().size();
            EXPECT_EQ(Check(contactId, step.text), step.verdict);
            std::vector<MessageInfo> replies = host.Replies();
            ASSERT_EQ(replies.size(), before + (step.reply ? 1 : 0));
            if (step.reply) {
                EXPECT_EQ(replies.back().text.ToUtf8(), step.reply);
            }
        }
    }
}

TEST_F(AntiSpam, ReplyIsAFreshMessageToTheSender) {
    Configure("Name our bird?", "Plumo", "Thanks!");
    MessageInfo incoming = Message("hi");
    incoming.metaContactId = 0xC0000003;
    incoming.messageId = 77;
    incoming.kind = 2;
    incoming.flags = 5;
    incoming.extra = W("extra");
    filter.CheckAntispam(kSender, incoming);

    std::vector<MessageInfo> replies = host.Replies();
    ASSERT_EQ(replies.size(), 1u);
    const MessageInfo& reply = replies[0];
    EXPECT_EQ(reply.contactId, kSender);
    EXPECT_EQ(reply.metaContactId, 0u);
    EXPECT_EQ(reply.messageId, 0u);
    EXPECT_EQ(reply.kind, 0u);
    EXPECT_EQ(reply.flags, 0);
    EXPECT_TRUE(reply.extra.IsEmpty());
    EXPECT_EQ(reply.text.ToUtf8(), "Name our bird?");
    // The sender's own message is left as it came.
    EXPECT_EQ(incoming.text.ToUtf8(), "hi");
}

TEST_F(AntiSpam, FilterOffDeliversEverythingAndKeepsEachSendersState) {
    Configure("?", "Plumo", "ok");
    const unsigned int asked = kSender, blocked = kSender + 1;
    Check(asked, "hi");
    Check(blocked, "hi");
    Check(blocked, "wrong");
    size_t sent = host.Replies().size();

    filter.SetAntispamEnable(false);
    for (unsigned int id : {asked, blocked, kSender + 2, 0u})
        EXPECT_EQ(Check(id, "plumo"), P);
    EXPECT_EQ(host.Replies().size(), sent);

    filter.SetAntispamEnable(true);
    EXPECT_EQ(Check(blocked, "plumo"), D);
    EXPECT_EQ(Check(asked, "plumo"), D);
    EXPECT_EQ(host.SentTo(asked), (std::vector<std::string>{"?", "ok"}));
    EXPECT_EQ(Check(kSender + 2, "plumo"), D);  // never asked while the filter was off
    EXPECT_EQ(host.SentTo(kSender + 2), std::vector<std::string>{"?"});
}

TEST_F(AntiSpam, SendersAreKeptApart) {
    Configure("?", "Plumo", "ok");
    const unsigned int a = kSender, b = kSender + 1;
    Check(a, "hi");
    EXPECT_EQ(Check(b, "plumo"), D);  // b's first message, not an answer
    EXPECT_EQ(Check(b, "wrong"), D);
    EXPECT_EQ(Check(a, "plumo"), D);
    EXPECT_EQ(Check(a, "next"), P);
    EXPECT_EQ(Check(b, "plumo"), D);
    EXPECT_EQ(host.SentTo(a), (std::vector<std::string>{"?", "ok"}));
    EXPECT_EQ(host.SentTo(b), std::vector<std::string>{"?"});
}

TEST_F(AntiSpam, NoSenderIsDroppedWithoutReplyOrState) {
    Configure("?", "Plumo", "ok");
    EXPECT_EQ(Check(0, "hi"), D);
    EXPECT_EQ(Check(0, "plumo"), D);
    EXPECT_TRUE(host.Replies().empty());
}

TEST_F(AntiSpam, SettingsAreReadOnEveryCall) {
    Configure("?", "Plumo", "ok");
    Check(kSender, "hi");
    filter.SetAntispamAnswer(W("Kiwi"));
    filter.SetAntispamConfirm(W("fine"));
    EXPECT_EQ(Check(kSender, "KIWI"), D);
    EXPECT_EQ(host.SentTo(kSender), (std::vector<std::string>{"?", "fine"}));
}

TEST_F(AntiSpam, SettingsDefaultAndAreStoredAsBytesAndStrings) {
    EXPECT_TRUE(filter.GetAntispamEnable());
    EXPECT_TRUE(filter.GetAntispamMsgsFromNIL());
    EXPECT_TRUE(filter.GetAntispamQuestion().IsEmpty());
    EXPECT_TRUE(filter.GetAntispamAnswer().IsEmpty());
    EXPECT_TRUE(filter.GetAntispamConfirm().IsEmpty());

    filter.SetAntispamEnable(false);
    filter.SetAntispamMsgsFromNIL(false);
    Configure("Вопрос", "Ответ", "Да");
    struct {
        const char* key;
        std::vector<unsigned char> bytes;
    } const stored[] = {
        {"AntispamEnable", Hex("00")},
        {"AntispamMsgsFromNIL", Hex("00")},
        {"AntispamQuestion", Hex("D092 D0BE D0BF D180 D0BE D181")},
        {"AntispamAnswer", Hex("D09E D182 D0B2 D0B5 D182")},
        {"AntispamConfirm", Hex("D094 D0B0")},
    };
    for (const auto& row : stored) {
        SCOPED_TRACE(row.key);
        std::vector<unsigned char> bytes(64);
        unsigned long size = bytes.size();
        ASSERT_TRUE(database.GetData(ContactListGuid, W(row.key), bytes.data(), size));
        bytes.resize(size);
        EXPECT_EQ(bytes, row.bytes);
    }
    EXPECT_FALSE(filter.GetAntispamEnable());
    EXPECT_FALSE(filter.GetAntispamMsgsFromNIL());
    filter.SetAntispamMsgsFromNIL(true);
    EXPECT_TRUE(filter.GetAntispamMsgsFromNIL());
    EXPECT_EQ(filter.GetAntispamAnswer().ToUtf8(), "Ответ");
}

TEST_F(AntiSpam, WithoutDatabaseTheDefaultsApply) {
    host.database = nullptr;
    filter.SetAntispamEnable(false);  // nowhere to keep it
    EXPECT_TRUE(filter.GetAntispamEnable());
    EXPECT_EQ(Check(kSender, "hi"), D);   // asked, with nothing to send
    EXPECT_EQ(Check(kSender, ""), D);     // the empty answer
    EXPECT_EQ(Check(kSender, "now"), P);
    EXPECT_TRUE(host.Replies().empty());
}

// The reply goes out with the filter's lock released: a host that waits, while
// sending, for another thread's check would otherwise never return.
TEST_F(AntiSpam, ReplyIsSentWithNoLockHeld) {
    Configure("?", "Plumo", "ok");
    std::atomic<int> otherVerdict{-1};
    host.onSend = [&](const MessageInfo& reply) {
        if (reply.contactId != kSender)
            return;
        auto other = std::async(std::launch::async, [&] { return Check(kSender + 1, "hi"); });
        ASSERT_EQ(other.wait_for(std::chrono::seconds(10)), std::future_status::ready);
        otherVerdict = other.get();
    };
    EXPECT_EQ(Check(kSender, "hi"), D);
    EXPECT_EQ(otherVerdict, D);
    EXPECT_EQ(host.SentTo(kSender + 1), std::vector<std::string>{"?"});
}

TEST_F(AntiSpam, AccountsCheckTheirSendersConcurrently) {
    Configure("?", "Плюмо", "ok");
    constexpr int kThreads = 6, kSenders = 150;
    std::atomic<int> wrongVerdicts{0};
    std::vector<std::thread> accounts;
    for (int t = 0; t < kThreads; ++t) {
        accounts.emplace_back([&, t] {
            for (int i = 0; i < kSenders; ++i) {
                unsigned int id = kSender + unsigned(t * kSenders + i);
                bool right = i % 2 == 0;
                int verdicts[] = {Check(id, "hi"), Check(id, right ? "ПЛЮМО" : "нет"), Check(id, "text"),
                                  Check(id, "more")};
                int expected[] = {D, D, right ? P : D, D};
                for (int k = 0; k < 4; ++k)
                    wrongVerdicts += verdicts[k] != expected[k];
            }
        });
    }
    for (std::thread& account : accounts)
        account.join();
    EXPECT_EQ(wrongVerdicts, 0);
    // Per sender: the question, the confirmation when right and the question
    // again for the message after the delivered one.
    EXPECT_EQ(host.Replies().size(), size_t(kThreads * kSenders / 2 * 3 + kThreads * kSenders / 2));
}

}  // namespace
