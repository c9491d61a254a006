// The main menu as each preference shows it, what each choice does, the
// account sub-menus of real XMPP accounts, and the extended-status menu.

#include "AppTestSupport.h"
#include "CProtocolsManagerImpl.h"
#include "CYolWMUI_Tools.h"
#include "CYol_CLRootItem.h"
#include "CoreServices.h"
#include "WindowSystem/Window.h"

namespace {

using namespace AppTest;

// One entry as the menu shows it: caption, images, command id; sub-menus
// with their entries in brackets.
std::string Describe(const CYolMenuInfo& menu) {
    std::string out;
    for (int i = 0; i < menu.Count(); ++i) {
        const CYolMenuItemInfo& item = menu[i];
        if (!out.empty())
            out += "; ";
        if (item.kind == CYolMenuItemInfo::Separator) {
            out += "-";
            continue;
        }
        out += item.caption.GetLocalized().ToUtf8() + " " + Icons(item.images) + " " + std::to_string(item.commandId);
        if (item.marked)
            out += " *";
        if (item.subMenu != nullptr)
            out += " [" + Describe(*item.subMenu) + "]";
    }
    return out;
}

const char* const kPagesMenu =
    "Preferences {75} 13 [General {74} 0; Contact list {54} 1; Events {55} 2; Alerts {57} 3; Interface {58} 4; "
    "History {39} 5; Anti-spam {56} 6; Hardware {59} 7; Connection {61} 8; Accounts {60} 9]";

class AppMenus : public AppFixture {};

TEST_F(AppMenus, MainMenuFollowsThePreferences) {
    Start();
    struct Case {
        bool onlyOnline;
        unsigned int mode;
        unsigned int sound;
        const char* toggles;
    };
    const Case cases[] = {
        {false, 1, 1, "Hide offline contacts {80} 10; Simple mode {77} 11; Sound off {82} 12"},
        {true, 0, 0, "Show offline contacts {79} 10; Group mode {78} 11; Sound on {81} 12"},
    };
    for (const Case& c : cases) {
        app->Prefs().CLOnlyOnline = c.onlyOnline;
        app->Prefs().CLMode = c.mode;
        app->Prefs().AlertSoundOn = c.sound;
        CYolMenuInfo menu;
        app->BuildMainMenu(menu);
        // Without accounts there are no account sub-menus at all.
        EXPECT_EQ(Describe(menu), std::string("File transfers {76} 14; -; ") + c.toggles + "; " + kPagesMenu +
                                      "; -; Quit Yol {73} 15");
    }
}

TEST_F(AppMenus, ChoicesToggleTheirPreferencesAndOpenTheirParts) {
    Start();
    const bool onlyOnline = app->Prefs().CLOnlyOnline;
    app->OnMainMenuChoice(10);
    EXPECT_NE(app->Prefs().CLOnlyOnline, onlyOnline);
    app->Prefs().CLMeta = 0;
    app->Prefs().CLMode = 1;
    app->OnMainMenuChoice(11);
    EXPECT_EQ(app->Prefs().CLMode, 0u);
    EXPECT_EQ(app->ContactList()->Root(), app->Views()->flat);
    app->OnMainMenuChoice(11);
    EXPECT_EQ(app->ContactList()->Root(), app->Views()->grouped);
    const unsigned int sound = app->Prefs().AlertSoundOn;
    app->OnMainMenuChoice(12);
    EXPECT_NE(app->Prefs().AlertSoundOn, sound);

    ports.calls.clear();
    for (int page = 0; page <= 9; ++page)
        app->OnMainMenuChoice(page);
    app->OnMainMenuChoice(14);
    std::vector<std::string> expected;
    for (int page = 0; page <= 9; ++page)
        expected.push_back("RunPreferences " + std::to_string(page));
    expected.push_back("Show 1");
    EXPECT_EQ(ports.calls, expected);

    HWND window = app->GetWindow();
    app->OnMainMenuChoice(15);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(AppMenus, ExtendedStatusMenuMarksTheCurrentOneAndAChoiceNeedsTheDialog) {
    Start();
    CYolMenuInfo menu;
    app->BuildStatusMenu(0, 1, menu);
    ASSERT_EQ(menu.Count(), 36);
    EXPECT_TRUE(menu[0].marked);
    EXPECT_EQ(Icons(menu[35].images), "{121}");
    EXPECT_EQ(menu[35].commandId, 35);

    ports.dialogsAccept = false;
    app->OnStatusMenuChoice(0, 1, nullptr, 5);
    EXPECT_EQ(Core::g_protocolsManager->GetXStatusId(), 0u);
    ports.dialogsAccept = true;
    ports.answerText = CYolString(u"Coding");
    app->OnStatusMenuChoice(0, 1, nullptr, 5);
    EXPECT_EQ(Core::g_protocolsManager->GetXStatusId(), 5u);
    CYolMenuInfo again;
    app->BuildStatusMenu(0, 1, again);
    EXPECT_TRUE(again[5].marked);
    EXPECT_FALSE(again[0].marked);
    app->OnStatusMenuChoice(0, 1, nullptr, 0);
    EXPECT_EQ(Core::g_protocolsManager->GetXStatusId(), 0u);
    EXPECT_EQ(ports.Starting("RunXStatus").size(), 2u);
}

// Two XMPP accounts of the real plug-in; the second has no login.
class AppAccountMenus : public AppFixture {
protected:
    void PrepareFolder() override {
        std::filesystem::create_directory_symlink(std::string(YOL_PROGRAM_FOLDER) + "/Protos/Jabber",
                                                  PathOf("Protos/Jabber"));
    }

    unsigned int AddAccount(const char* login) {
        unsigned int account = Core::g_protocolsManager->AddAccount(JabberProtocolGuid);
        EXPECT_NE(account, 0u);
        if (login != nullptr) {
            Core::g_protocolsManager->SetAccountString(account, CYolString(u"SrvLogName"),
                                                       CYolString::FromUtf8(login), false);
            Core::g_protocolsManager->ReloadAccountSettings(account);
        }
        return account;
    }
};

TEST_F(AppAccountMenus, AccountsWithALoginGetTheirOwnEntriesNumberedByIndex) {
    Start();
    unsigned int first = AddAccount("alice@localhost");
    unsigned int second = AddAccount("bob@localhost");
    AddAccount(nullptr);
    ASSERT_TRUE(PumpUntil([&] {
        CYolString login;
        Core::g_protocolsManager->GetAccountLogin(login, second, false);
        return !login.IsEmpty();
    }));
    CYolMenuInfo menu;
    app->BuildMainMenu(menu);
    std::string shown = Describe(menu);
    // a = 3 accounts: find users 18 + i, own details 21 + i, add contact 25 + i.
    Protocols::ProtocolRecord protocol;
    Core::g_protocolsManager->GetAccountProtocolInfo(protocol, first);
    std::string icon = "{" + std::to_string(protocol.imageId) + "}";
    EXPECT_EQ(shown.substr(0, shown.find("; File transfers")),
              "Add/find users {84} 17 [alice@localhost " + icon + " 18; bob@localhost " + icon + " 19]; " +
                  "My details {83} 16 [alice@localhost " + icon + " 21; bob@localhost " + icon + " 22]; " +
                  "Add contact {18} 18 [alice@localhost " + icon + " 25; bob@localhost " + icon + " 26]");
    ports.calls.clear();
    app->OnMainMenuChoice(19);
    app->OnMainMenuChoice(21);
    EXPECT_EQ(ports.calls, (std::vector<std::string>{"RunFindUser " + std::to_string(second),
                                                     "RunUserDetails " + std::to_string(first)}));
    // Adding a contact needs the account online.
    ports.calls.clear();
    app->OnMainMenuChoice(26);
    EXPECT_EQ(ports.calls, std::vector<std::string>{"Warning To add a contact please log into account first"});
}

}  // namespace
