// The account's menus: which entries each shows in which state, that a
// picked entry only posts its choice to the account's own queue, and what
// each choice does once it arrives there; and the wake-up it can send.

#include "CEventArgFactoryImpl.h"
#include "CYolMenuInfo.h"
#include "MrimMessages.h"
#include "RecordingServicesManager.h"
#include "YolGuids.h"
#include "ZemMenus.h"
#include "ZemPlugin.h"
#include "ZemTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace ZemTest;

constexpr unsigned int kAccountKey = 77;

class MenusOwner final : public MZemMenusOwner {
public:
    bool MenuLoggedIn() const override { return loggedIn; }
    Protocols::Status MenuRequestedStatus() const override { return requested; }
    const CYolString& MenuLogin() const override { return login; }
    unsigned int MenuUnreadMail() const override { return unread; }
    bool MenuListAvailable() override { return listAvailable; }
    bool MenuContactKnown(unsigned int) const override { return known; }
    bool MenuAuthorizationPending(unsigned int) const override { return authPending; }
    unsigned char MenuListFlag(unsigned int, const char16_t* name) override {
        return std::u16string(name) == u"In visible list" ? visible : 0;
    }
    void MenuSetStatus(Protocols::Status status) override { done.push_back("status " + std::to_string(status)); }
    void MenuOpenInbox() override { done.push_back("inbox"); }
    void MenuWakeup(unsigned int contact) override { done.push_back("wakeup " + std::to_string(contact)); }
    void MenuRequestAuthorization(unsigned int contact, const CYolString& reason) override {
        done.push_back("auth " + std::to_string(contact) + " " + reason.ToUtf8());
    }
    void MenuChangeList(unsigned int contact, uint32_t mask, bool set) override {
        done.push_back("list " + std::to_string(contact) + " " + std::to_string(mask) + (set ? " set" : " clear"));
    }

    bool loggedIn = true;
    Protocols::Status requested = Protocols::Online;
    CYolString login = U("alice@mail.ru");
    unsigned int unread = 0;
    bool listAvailable = true;
    bool known = true;
    bool authPending = false;
    unsigned char visible = 0;
    std::vector<std::string> done;
};

// Stands for the reason dialog: remembers what it was offered and, when
// the user accepts, answers what the user wrote.
struct ReasonPrompt {
    static inline bool accepts = true;
    static inline std::vector<std::string> offered;
    static bool Ask(Services::CServicesManager*, CYolString& reason) {
        offered.push_back(reason.ToUtf8());
        if (accepts)
            reason = U("let me in");
        return accepts;
    }
};

class ZemMenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        services.RegisterService(Protocols::EventArgFactoryGuid, &factory);
        ReasonPrompt::accepts = true;
        ReasonPrompt::offered.clear();
        ZemMenus::SetReasonPrompt(ReasonPrompt::Ask);
    }
    void TearDown() override { ZemMenus::SetReasonPrompt(nullptr); }

    // Captions in order, "-" for a separator.
    static std::vector<std::string> Captions(const CYolMenuInfo& menu) {
        std::vector<std::string> out;
        for (int i = 0; i < menu.Count(); ++i)
            out.push_back(menu[i].kind == CYolMenuItemInfo::Separator ? "-" : menu[i].caption.GetLocalized().ToUtf8());
        return out;
    }
    // Picks entry `index` for `id` as the window thread does, checks that
    // only a post to the account's queue happened, then hands the posted
    // choice to the menus as the account's queue does.
    std::vector<std::string> Pick(const CYolMenuInfo& menu, int index, unsigned int id) {
        const size_t before = services.Events().size();
        EXPECT_TRUE(menu[index].Invoke(id));
        EXPECT_TRUE(owner.done.empty());
        std::vector<RecordedEvent> events = services.Events();
        EXPECT_EQ(events.size(), before + 1);
        if (events.size() != before + 1)
            return {};
        const RecordedEvent& posted = events.back();
        EXPECT_EQ(posted.client, kAccountKey);
        EXPECT_TRUE(posted.channel == ZemProtocolGuid);
        if (posted.event == ZemMenus::kAuthRequestEvent && posted.Arg<unsigned int>() != nullptr &&
            posted.Extra<CYolString>() != nullptr) {
            menus.RequestAuthorization(*posted.Arg<unsigned int>(), *posted.Extra<CYolString>());
            return std::exchange(owner.done, {});
        }
        EXPECT_EQ(posted.event, ZemMenus::kMenuEvent);
        if (posted.Arg<unsigned int>() == nullptr || posted.Extra<unsigned int>() == nullptr)
            return {};
        menus.Choose(*posted.Arg<unsigned int>(), *posted.Extra<unsigned int>());
        return std::exchange(owner.done, {});
    }

    Protocols::CEventArgFactoryImpl factory;
    RecordingServicesManager services;
    MenusOwner owner;
    ZemMenus menus{owner, &services};
};

TEST_F(ZemMenusTest, ContactMenuShowsWhatTheStateAllows) {
    const struct {
        bool loggedIn, known, authPending;
        unsigned char visible;
        std::vector<std::string> captions;
    } rows[] = {
        {false, true, true, 0, {}},
        {true, true, true, 1,
         {"-", "Authorization request", "-", "Wakeup", "-", "Remove from vis. list", "Add to invis. list",
          "Add to ignore list"}},
        {true, true, false, 0,
         {"-", "Wakeup", "-", "Add to visible list", "Add to invis. list", "Add to ignore list"}},
        {true, false, true, 0, {"-", "Add to visible list", "Add to invis. list", "Add to ignore list"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.loggedIn << row.known << row.authPending << int(row.visible));
        owner.loggedIn = row.loggedIn;
        owner.known = row.known;
        owner.authPending = row.authPending;
        owner.visible = row.visible;
        CYolMenuInfo menu;
        menus.ContactMenu(kAccountKey, 42, menu);
        EXPECT_EQ(Captions(menu), row.captions);
    }
}

TEST_F(ZemMenusTest, ContactMenuEntriesPostTheirChoiceAndActOnTheAccountsQueue) {
    owner.authPending = true;
    owner.visible = 1;
    CYolMenuInfo menu;
    menus.ContactMenu(kAccountKey, 42, menu);
    const struct {
        int index;
        std::vector<std::string> done;
    } rows[] = {
        {1, {"auth 42 let me in"}}, {3, {"wakeup 42"}},       {5, {"list 42 8 clear"}},
        {6, {"list 42 4 set"}},    {7, {"list 42 16 set"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.index);
        EXPECT_EQ(Pick(menu, row.index, 42), row.done);
    }
    // The session ended between showing the menu and the choice.
    owner.loggedIn = false;
    for (const auto& row : rows)
        EXPECT_TRUE(Pick(menu, row.index, 42).empty());
}

TEST_F(ZemMenusTest, TheAuthorizationRequestAsksForItsReasonAndACancelledOneSendsNothing) {
    owner.authPending = true;
    CYolMenuInfo menu;
    menus.ContactMenu(kAccountKey, 42, menu);
    ASSERT_EQ(Captions(menu).at(1), "Authorization request");
    ReasonPrompt::accepts = false;
    EXPECT_TRUE(menu[1].Invoke(42));
    EXPECT_TRUE(services.Events().empty());
    EXPECT_EQ(ReasonPrompt::offered, std::vector<std::string>{"Please authorize my request."});
    // The contact left the list while the user wrote the reason.
    ReasonPrompt::accepts = true;
    owner.known = false;
    EXPECT_TRUE(Pick(menu, 1, 42).empty());
}

TEST_F(ZemMenusTest, QuickMenuOffersTheWakeupOnlyToAKnownContactOfALiveSession) {
    const struct {
        bool loggedIn, listAvailable, known;
    } rows[] = {{true, true, true}, {false, true, true}, {true, false, true}, {true, true, false}};
    for (const auto& row : rows) {
        owner.loggedIn = row.loggedIn;
        owner.listAvailable = row.listAvailable;
        owner.known = row.known;
        CYolMenuInfo menu;
        menus.QuickMenu(kAccountKey, 9, menu);
        const bool offered = row.loggedIn && row.listAvailable && row.known;
        ASSERT_EQ(Captions(menu), offered ? std::vector<std::string>{"Wakeup"} : std::vector<std::string>{});
        if (offered) {
            EXPECT_EQ(Pick(menu, 0, 9), std::vector<std::string>{"wakeup 9"});
        }
    }
}

TEST_F(ZemMenusTest, StatusMenuMarksTheWantedStatusAndSetsTheChosenOne) {
    owner.requested = Protocols::Away;
    owner.loggedIn = false;
    CYolMenuInfo menu;
    menus.StatusMenu(kAccountKey, menu);
    EXPECT_EQ(menu.title.GetLocalized().ToUtf8(), "Zem alice@mail.ru");
    const std::vector<std::string> captions = Captions(menu);
    ASSERT_EQ(captions.size(), 16u);
    EXPECT_EQ(captions[5], "-");
    EXPECT_EQ(captions[11], "-");
    EXPECT_EQ(captions[14], "-");
    EXPECT_EQ(captions[15], "Offline");
    int marked = -1;
    for (int i = 0; i < menu.Count(); ++i)
        if (menu[i].marked)
            marked = i;
    EXPECT_EQ(captions[static_cast<size_t>(marked)], "Away");
    // A status is chosen whether or not the account is connected.
    EXPECT_EQ(Pick(menu, marked, 0), std::vector<std::string>{"status 11"});
    EXPECT_EQ(Pick(menu, 15, 0), std::vector<std::string>{"status 0"});
}

TEST_F(ZemMenusTest, MailMenuCountsTheUnreadLettersAndOpensTheInbox) {
    owner.unread = 3;
    owner.loggedIn = false;
    CYolMenuInfo menu;
    menus.MailMenu(kAccountKey, menu);
    EXPECT_EQ(menu.title.GetLocalized().ToUtf8(), "3 unreaded msgs");
    EXPECT_EQ(Captions(menu), std::vector<std::string>{"Open Inbox"});
    EXPECT_EQ(Pick(menu, 0, 0), std::vector<std::string>{"inbox"});
}

TEST_F(ZemMenusTest, AChoiceThatCannotBePostedIsDropped) {
    services.UnregisterService(0x10000001);
    CYolMenuInfo menu;
    menus.QuickMenu(kAccountKey, 9, menu);
    ASSERT_EQ(menu.Count(), 1);
    EXPECT_TRUE(menu[0].Invoke(9));
    EXPECT_TRUE(services.Events().empty());
}

class ZemWakeup : public ::testing::Test {
protected:
    void SetUp() override {
        list.Load(ListBody({"Friends"}, {{0, 0, "bob@mail.ru", "Bob", 0, 1}}));
        list.Reconcile();
        bob = model.Find("bob@mail.ru");
    }
    RecordingPacketSink sink;
    RecordingListModel model;
    CZemContactList list{model, [](const CYolString&) {}};
    ZemTyping typing{[](const CYolString&, bool) {}};
    bool loggedIn = true;
    MrimMessages messages{sink, list, model, typing,
                          {[this] { return loggedIn; }, [](int) { return CYolString(); }, [](int) { return 0; },
                           [] { return int64_t{0}; }, [] {}}};
    unsigned int bob = 0;
};

TEST_F(ZemWakeup, GoesAsARichMessageWithTheFixedRichPart) {
    sink.next = 5;
    messages.SendWakeup(bob);
    ASSERT_EQ(sink.packets.size(), 1u);
    const std::string& packet = sink.packets[0];
    const std::string rich = MrimMessages::WakeupRichPart();
    ASSERT_EQ(rich.back(), '\0');
    const std::string body = "80400000" "0b000000" + ToHex("bob@mail.ru") + "01000000" "20" +
                             ToHex(std::string(MrimBodyWriter().UL(static_cast<uint32_t>(rich.size())).Bytes())) +
                             ToHex(rich);
    EXPECT_EQ(ToHex(packet.substr(0, 44)), "efbeadde" "13000100" "05000000" "08100000" +
                                             ToHex(MrimBodyWriter().UL(static_cast<uint32_t>(body.size() / 2)).Bytes()) +
                                             std::string(48, '0'));
    EXPECT_EQ(ToHex(packet.substr(44)), body);
}

TEST_F(ZemWakeup, NeedsALiveSessionAndAKnownContact) {
    messages.SendWakeup(bob + 1000);
    loggedIn = false;
    messages.SendWakeup(bob);
    EXPECT_TRUE(sink.packets.empty());
}

}  // namespace
