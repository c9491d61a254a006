// The account's menus against a recording owner: the status menu's order,
// groups and privacy sub-menu, the privacy menu, a contact's protocol
// entries and quick menu, and what each posted choice asks of the account.

#include "CYolMenuInfo.h"
#include "RuvMenus.h"

#include <gtest/gtest.h>

#include <map>

namespace {

class RecordingMenusOwner final : public MRuvMenusOwner {
public:
    bool MenuOnline() const override { return online; }
    const CYolString& MenuLogin() const override { return login; }
    Protocols::Status MenuWantedStatus() const override { return wanted; }
    uint8_t MenuPrivacyMode() const override { return privacyMode; }
    bool MenuPrivacyInStatusBar() const override { return privacyInStatusBar; }
    bool MenuListAvailable() override { return true; }
    std::optional<Entry> MenuEntry(unsigned int contact) override {
        auto it = entries.find(contact);
        return it == entries.end() ? std::nullopt : std::optional<Entry>(it->second);
    }
    bool MenuOnPrivacyList(unsigned int, RuvPrivacyList list) override { return list == listedOn; }

    void MenuSetStatus(Protocols::Status status) override { log.push_back("status " + std::to_string(status)); }
    void MenuSetPrivacyMode(uint8_t mode) override { log.push_back("privacy " + std::to_string(mode)); }
    void MenuRequestAuthorization(unsigned int contact, const CYolString& reason) override {
        log.push_back("auth " + std::to_string(contact) + " " + reason.ToUtf8());
    }
    void MenuCheckStatus(unsigned int contact) override { log.push_back("check " + std::to_string(contact)); }
    void MenuRequestXStatus(unsigned int contact) override { log.push_back("xstatus " + std::to_string(contact)); }
    void MenuChangePrivacyList(unsigned int contact, RuvPrivacyList list, bool add) override {
        log.push_back((add ? "add " : "remove ") + std::to_string(contact) + " to " +
                      std::to_string(static_cast<int>(list)));
    }

    bool online = true;
    CYolString login{u"100200"};
    Protocols::Status wanted = Protocols::Away;
    uint8_t privacyMode = 4;
    bool privacyInStatusBar = false;
    std::map<unsigned int, Entry> entries;
    RuvPrivacyList listedOn = RuvPrivacyList::Visible;
    std::vector<std::string> log;
};

// "-" for a separator, ">" for a sub-menu, "*" after a marked entry, then
// the caption; the choice each entry would post.
std::string Describe(const CYolMenuInfo& menu) {
    std::string out;
    for (int i = 0; i < menu.Count(); ++i) {
        const CYolMenuItemInfo& item = menu[i];
        if (!out.empty())
            out += "|";
        if (item.kind == CYolMenuItemInfo::Separator) {
            out += "-";
            continue;
        }
        out += item.kind == CYolMenuItemInfo::SubMenu ? ">" : "";
        out += item.caption.GetDefault().ToUtf8() + (item.marked ? "*" : "");
    }
    return out;
}

unsigned int ChoiceOf(const CYolMenuItemInfo& item) {
    return static_cast<unsigned int>(reinterpret_cast<std::uintptr_t>(item.context) >> 32);
}

class RuvMenusTest : public ::testing::Test {
protected:
    RecordingMenusOwner owner;
    RuvMenus menus{owner, nullptr};
};

TEST_F(RuvMenusTest, StatusMenuGroupsTheStatusesAndEndsWithThePrivacySubMenu) {
    CYolMenuInfo menu;
    menus.AccountMenu(7, 0, menu);
    EXPECT_EQ(menu.title.GetDefault(), u"Ruv 100200");
    EXPECT_EQ(Describe(menu),
              "Free for chat|Evil|Depression|@ Home|@ Work|-|Lunch|Away*|Not available|Occupied|Do not disturb|-|"
              "Online|Invisible|Invisible for all|-|Offline|>Privacy status");
    EXPECT_EQ(ChoiceOf(menu[7]), RuvMenus::kChoiceStatus + static_cast<unsigned int>(Protocols::Away));
    const CYolMenuItemInfo& privacy = menu[menu.Count() - 1];
    ASSERT_NE(privacy.subMenu, nullptr);
    EXPECT_EQ(Describe(*privacy.subMenu),
              "Visible for all|Visible only for visible list|Visible for all except invisible list*|"
              "Visible only for contact list|Invisible for all");
    EXPECT_EQ(ChoiceOf((*privacy.subMenu)[4]), RuvMenus::kChoicePrivacy + 2);

    CYolMenuInfo extra;
    menus.AccountMenu(7, 1, extra);
    EXPECT_EQ(extra.Count(), 0);
}

TEST_F(RuvMenusTest, WithThePrivacyIconInTheStatusBarItsMenuIsTheExtraOne) {
    owner.privacyInStatusBar = true;
    owner.privacyMode = 0;
    CYolMenuInfo status;
    menus.AccountMenu(7, 0, status);
    EXPECT_EQ(status[status.Count() - 1].caption.GetDefault(), u"Offline");
    CYolMenuInfo extra;
    menus.AccountMenu(7, 1, extra);
    EXPECT_EQ(Describe(extra), "Visible for all|Visible only for visible list|Visible for all except invisible list|"
                               "Visible only for contact list|Invisible for all");
}

TEST_F(RuvMenusTest, ContactMenuOffersWhatTheEntryAllows) {
    owner.entries[1] = {true, Protocols::Offline, 5, false};   // awaiting authorization
    owner.entries[2] = {false, Protocols::Offline, 0, false};  // outside every group
    owner.entries[3] = {false, Protocols::Online, 5, true};
    const std::string lists = "-|Remove from vis. list|Add to invis. list|Add to ignore list";
    struct Case {
        unsigned int contact;
        bool online;
        std::string menu;
    } cases[] = {
        {1, true, "-|Authorization request|-|Check status|" + lists},
        {2, true, "-|Check status|" + lists},
        {3, true, lists},
        {9, true, lists},  // no entry
        {1, false, ""},
    };
    for (const Case& c : cases) {
        owner.online = c.online;
        CYolMenuInfo menu;
        menus.ContactMenu(7, c.contact, menu);
        EXPECT_EQ(Describe(menu), c.menu) << c.contact;
    }
}

TEST_F(RuvMenusTest, QuickMenuAsksForTheExtendedStatusOfAnOnlineContactThatHasOne) {
    owner.entries[1] = {false, Protocols::Online, 5, true};
    owner.entries[2] = {false, Protocols::Online, 5, false};
    owner.entries[3] = {false, Protocols::Offline, 5, true};
    struct Case {
        unsigned int contact;
        bool online;
        int items;
    } cases[] = {{1, true, 1}, {2, true, 0}, {3, true, 0}, {9, true, 0}, {1, false, 0}};
    for (const Case& c : cases) {
        owner.online = c.online;
        CYolMenuInfo menu;
        menus.QuickMenu(7, c.contact, menu);
        EXPECT_EQ(menu.Count(), c.items) << c.contact;
    }
}

TEST_F(RuvMenusTest, ChoicesReachTheOwnerAndContactOnesOnlyWhileOnline) {
    const unsigned int choices[] = {RuvMenus::kChoiceStatus + static_cast<unsigned int>(Protocols::Lunch), RuvMenus::kChoicePrivacy + 3,
                                    RuvMenus::kChoicePrivacy + 6, RuvMenus::kChoiceAuthRequest,
                                    RuvMenus::kChoiceCheckStatus, RuvMenus::kChoiceXStatus,
                                    RuvMenus::kChoiceListAdd + 1, RuvMenus::kChoiceListRemove + 2,
                                    RuvMenus::kChoiceListAdd + 3};
    for (unsigned int choice : choices)
        menus.Choose(42, choice);
    EXPECT_EQ(owner.log, (std::vector<std::string>{"status 10", "privacy 3", "check 42", "xstatus 42",
                                                   "add 42 to 3", "remove 42 to 14"}));
    owner.log.clear();
    owner.online = false;
    for (unsigned int choice : choices)
        menus.Choose(42, choice);
    EXPECT_EQ(owner.log, (std::vector<std::string>{"status 10", "privacy 3"}));
}

}  // namespace
