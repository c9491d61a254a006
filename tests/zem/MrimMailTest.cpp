// The mailbox of an MRIM account against a recording owner: unread counts
// from the user parameters, the mailbox status and new-mail notices, the
// icon that follows them unless hidden, and the web session key that opens
// the inbox or completes a notification.

#include "MrimMail.h"
#include "ZemTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace ZemTest;

class MailOwner final : public MMrimMailOwner {
public:
    bool LoggedIn() const override { return loggedIn; }
    const CYolString& MailLogin() const override { return login; }
    bool EmailNotify() const override { return notify; }
    bool HideEmailButton() const override { return hide; }
    CYolString MailText(int id) const override {
        return U(id == MrimMail::kNoticeUnread ? "<account>: <n>" : "<account>: <name> / <subject>");
    }
    void AddMailIcon(bool full) override { Note(full ? "add full" : "add empty"); }
    void ChangeMailIcon(bool full) override { Note(full ? "set full" : "set empty"); }
    void RemoveMailIcon() override { Note("remove"); }
    void Notify(const CYolString& title, const CYolFormatString& text) override {
        Note("notify " + title.ToUtf8() + " " + text.GetLocalized().ToUtf8());
    }
    void OpenUrl(const CYolString& address) override { Note("open " + address.ToUtf8()); }
    void OwnDetailsReady() override { Note("details"); }

    void Note(const std::string& call) { calls += (calls.empty() ? "" : ",") + call; }
    std::string Take() { return std::exchange(calls, {}); }

    bool loggedIn = true;
    bool notify = true;
    bool hide = false;
    CYolString login = U("alice@mail.ru");
    std::string calls;
};

class MrimMailbox : public ::testing::Test {
protected:
    void Offer(void (MrimMail::*handler)(const MrimPacket&), const std::string& body) {
        bodies.push_back(body);
        (mail.*handler)(MrimPacket{MrimHeader{}, bodies.back()});
    }
    void Params(const std::string& unread) {
        Offer(&MrimMail::OnUserParams,
              MrimBodyWriter().LPS("MESSAGES.TOTAL").LpsUtf16(U("9")).LPS("MESSAGES.UNREAD").LpsUtf16(U(unread)).Take());
    }
    void Session(uint32_t result, const std::string& key) {
        Offer(&MrimMail::OnMailSession, MrimBodyWriter().UL(result).LPS(key).Take());
    }
    size_t SessionRequests() {
        size_t n = 0;
        for (const std::string& packet : sink.Take())
            n += ReadMrimHeader(reinterpret_cast<const unsigned char*>(packet.data())).type ==
                 Wire(MrimPacketType::GetMailSession);
        return n;
    }

    RecordingPacketSink sink;
    MailOwner owner;
    MrimMail mail{sink, owner};
    std::vector<std::string> bodies;
    const std::string inbox =
        "https://win.mail.ru/cgi-bin/auth?Login=alice@mail.ru&agent=K1&page=https://touch.mail.ru/messages/inbox";
};

TEST_F(MrimMailbox, UnreadCountAsksForASessionAndTheNoticeCarriesTheInboxLink) {
    Params("3");
    EXPECT_EQ(mail.Unread(), 3u);
    EXPECT_EQ(owner.Take(), "add full");
    EXPECT_EQ(SessionRequests(), 1u);
    Session(1, "K1");
    EXPECT_EQ(owner.Take(), "notify " + inbox + " alice@mail.ru: 3");
    EXPECT_EQ(mail.SessionKey().ToUtf8(), "K1");
}

TEST_F(MrimMailbox, ZeroUnreadKeepsTheCountAndStillShowsTheIcon) {
    Params("0");
    EXPECT_EQ(mail.Unread(), 0u);
    EXPECT_EQ(owner.Take(), "add empty");
    EXPECT_EQ(SessionRequests(), 0u);
    // A second set of parameters changes the icon already shown.
    Params("2");
    EXPECT_EQ(owner.Take(), "set full");
}

TEST_F(MrimMailbox, MailboxStatusChangesTheIconOnlyBetweenEmptyAndFull) {
    Params("0");
    owner.Take();
    const struct {
        uint32_t count;
        const char* calls;
    } steps[] = {{3, "set full"}, {5, ""}, {0, "set empty"}, {0, ""}};
    for (const auto& step : steps) {
        Offer(&MrimMail::OnMailboxStatus, MrimBodyWriter().UL(step.count).Take());
        EXPECT_EQ(owner.Take(), step.calls) << step.count;
        EXPECT_EQ(mail.Unread(), step.count);
    }
}

TEST_F(MrimMailbox, NewMailNotifiesCountsAndIgnoresAShortBody) {
    Params("0");
    owner.Take();
    Offer(&MrimMail::OnNewMail, MrimBodyWriter().UL(1).UL(0).Take());  // exactly 8 bytes
    EXPECT_EQ(mail.Unread(), 0u);
    EXPECT_EQ(SessionRequests(), 0u);

    Offer(&MrimMail::OnNewMail,
          MrimBodyWriter().UL(1).Lps1251(U("Иван <ivan@mail.ru>")).Lps1251(U("Привет")).Take());
    EXPECT_EQ(mail.Unread(), 1u);
    EXPECT_EQ(owner.Take(), "set full");
    EXPECT_EQ(SessionRequests(), 1u);
    Session(1, "K1");
    EXPECT_EQ(owner.Take(), "notify " + inbox + " alice@mail.ru: Иван <ivan@mail.ru> / Привет");
}

TEST_F(MrimMailbox, SettingsDecideNoticesAndIconButNeverTheCounts) {
    owner.notify = false;
    owner.hide = true;
    Params("4");
    Offer(&MrimMail::OnNewMail, MrimBodyWriter().UL(1).Lps1251(U("a")).Lps1251(U("b")).Take());
    Offer(&MrimMail::OnMailboxStatus, MrimBodyWriter().UL(0).Take());
    EXPECT_EQ(owner.Take(), "");
    EXPECT_EQ(SessionRequests(), 0u);
    EXPECT_EQ(mail.Unread(), 0u);
    // The inbox opens all the same.
    mail.RequestSession(MrimMail::Purpose::OpenInbox);
    EXPECT_EQ(SessionRequests(), 1u);
    Session(1, "K1");
    EXPECT_EQ(owner.Take(), "open " + inbox);
}

TEST_F(MrimMailbox, AFailedSessionIsSilentAndKeepsItsPurpose) {
    mail.RequestSession(MrimMail::Purpose::OwnDetails);
    Session(0, "ignored");
    Offer(&MrimMail::OnMailSession, MrimBodyWriter().UL(1).UL(400).Take());  // key past the body
    EXPECT_EQ(owner.Take(), "");
    Session(1, "K1");
    EXPECT_EQ(owner.Take(), "details");
}

TEST_F(MrimMailbox, HidingTheButtonRemovesAndRestoresTheIcon) {
    Params("1");
    owner.Take();
    mail.SetIconHidden(true);
    mail.SetIconHidden(true);
    mail.SetIconHidden(false);
    EXPECT_EQ(owner.Take(), "remove,add full");
    mail.SessionEnded();
    EXPECT_EQ(owner.Take(), "remove");
    EXPECT_FALSE(mail.IconShown());
    EXPECT_EQ(mail.Unread(), 1u);
    owner.loggedIn = false;
    mail.SetIconHidden(false);
    EXPECT_EQ(owner.Take(), "");
}

}  // namespace
