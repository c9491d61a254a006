// The program switching to Russian while it runs, as the preferences dialog
// switches it: the preferences record names the language and every change
// observer hears of it. The soft keys and the main menu re-label at once,
// and switching back restores English. Screenshots of the contact list and
// the open main menu in Russian land in tests/screenshots/ of the build.

#include "AppTestSupport.h"
#include "CContactList.h"
#include "CProtocolsManagerImpl.h"
#include "CYolClock.h"
#include "CoreServices.h"
#include "CYolWMUI_Tools.h"

#include "Backends/Backend.h"
#include "Shell/ShellMenuBar.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowHook.h"
#include "WindowSystem/WindowKeys.h"
#include "WindowSystem/WindowPaint.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>

namespace {

using namespace AppTest;
namespace fs = std::filesystem;

// A key no keyboard has: the hook runs the next step when it arrives, so a
// step runs inside the menu's own message loop, behind the input before it.
constexpr unsigned kStepKey = 0xE8;

std::deque<std::function<void()>> g_steps;

LRESULT RunStep(int code, WPARAM wParam, LPARAM lParam) {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (code != HC_ACTION || key->vkCode != kStepKey)
        return CallNextHookEx(nullptr, code, wParam, lParam);
    if (wParam == WM_KEYDOWN && !g_steps.empty()) {
        auto step = std::move(g_steps.front());
        g_steps.pop_front();
        step();
    }
    return 1;
}

std::vector<std::string> Captions(const CYolMenuInfo& menu) {
    std::vector<std::string> captions;
    for (int i = 0; i < menu.Count(); ++i)
        if (menu[i].kind != CYolMenuItemInfo::Separator)
            captions.push_back(menu[i].caption.GetLocalized().ToUtf8());
    return captions;
}

bool Holds(const std::vector<std::string>& all, const std::string& one) {
    return std::find(all.begin(), all.end(), one) != all.end();
}

class LanguageSwitch : public AppFixture {
protected:
    void PrepareFolder() override {
        const fs::path build(YOL_PROGRAM_FOLDER);
        fs::create_directory_symlink(build / "Langs", PathOf("Langs"));
        fs::create_directory_symlink(build / "Skins", PathOf("Skins"));
        fs::create_directory_symlink(build / "Protos" / "Jabber", PathOf("Protos/Jabber"));
        fs::create_directories(kShots);
    }

    // What the preferences dialog does when the language choice is accepted.
    void ChooseLanguage(const char16_t* language) {
        app->Prefs().Lang = CYolString(language);
        app->Tools()->OnPrefsChanged(21);
        app->OnPrefsChanged(21);
        Platform::PumpMessages();
    }

    std::u16string LeftSoftKey() { return Platform::MenuBarButtonText(app->GetMenuBar(), 0); }

    std::vector<std::string> MainMenu() {
        CYolMenuInfo menu;
        app->BuildMainMenu(menu);
        return Captions(menu);
    }

    const std::string kShots = std::string(YOL_PROGRAM_FOLDER) + "/tests/screenshots/";
};

TEST_F(LanguageSwitch, SoftKeysAndMainMenuRelabelBothWays) {
    Start();
    ASSERT_EQ(LeftSoftKey(), u"Menu");
    ASSERT_TRUE(Holds(MainMenu(), "Preferences"));

    ChooseLanguage(u"Russian");
    ASSERT_EQ(app->Tools()->Language().GetCurLang().ToUtf8(), "Russian");
    EXPECT_EQ(LeftSoftKey(), u"Меню");
    const auto russian = MainMenu();
    for (const char* caption : {"Настройки", "Передача файлов", "Выйти из Yol", "Скрыть отключённых"})
        EXPECT_TRUE(Holds(russian, caption)) << caption;
    for (const char* caption : {"Preferences", "File transfers", "Quit Yol"})
        EXPECT_FALSE(Holds(russian, caption)) << caption;

    ChooseLanguage(u"English");
    EXPECT_EQ(LeftSoftKey(), u"Menu");
    EXPECT_TRUE(Holds(MainMenu(), "Preferences"));
}

// A language without a pack changes nothing: the program stays readable.
TEST_F(LanguageSwitch, ALanguageWithoutAPackKeepsTheCurrentOne) {
    Start();
    ChooseLanguage(u"Russian");
    ChooseLanguage(u"Klingon");
    EXPECT_EQ(app->Tools()->Language().GetCurLang().ToUtf8(), "Russian");
    EXPECT_EQ(LeftSoftKey(), u"Меню");
}

// With an account and a contact the flat view shows its status headers,
// whose captions come from the language pack.
TEST_F(LanguageSwitch, ScreenshotsOfTheContactListAndTheOpenMainMenuInRussian) {
    Start();
    auto* model = static_cast<CL::CContactList*>(services.GetService(ContactListGuid));
    ASSERT_NE(model, nullptr);
    const unsigned int account = Core::g_protocolsManager->AddAccount(JabberProtocolGuid);
    ASSERT_NE(account, 0u);
    const unsigned int group = model->AddGroup(account);
    const unsigned int contact = model->AddContact(account, group);
    ASSERT_NE(contact, 0u);
    model->SetItemString(contact, CYolString(u"CL Alias"), CYolString(u"Анна"));
    app->Prefs().CLMode = 0;
    app->Prefs().CLOnlyOnline = false;
    app->OnPrefsChanged(5);
    app->OnPrefsChanged(6);
    ChooseLanguage(u"Russian");
    ASSERT_TRUE(PumpUntil([&] { return app->ContactList() != nullptr; }));
    const std::string list = kShots + "langs-russian-contact-list.png";
    ASSERT_TRUE(Platform::SaveWindowPng(app->GetWindow(), list.c_str()));
    EXPECT_GT(fs::file_size(list), 1000u);

    // The menu ignores the closing key just after it opened (a key still
    // held from the press that opened it): the step moves the clock past it.
    CYolManualClock clock{1000000, 1700000000};
    CYolClock* previousClock = CYolClock::Install(&clock);
    HHOOK hook = SetWindowsHookEx(WH_KEYBOARD_LL, &RunStep, nullptr, 0);
    const std::string menu = kShots + "langs-russian-main-menu.png";
    bool saved = false;
    g_steps.push_back([&] {
        // The open menu has the focus.
        const HWND open = GetFocus();
        UpdateWindow(open);
        saved = Platform::SaveWindowPng(open, menu.c_str());
        clock.Advance(501);
        Platform::InjectKey(VK_ESCAPE);
    });
    Platform::InjectKeyDown(kStepKey);
    SendToApp(WM_COMMAND, UI::kLeftSoftKey, 0);
    UnhookWindowsHookEx(hook);
    CYolClock::Install(previousClock);
    EXPECT_TRUE(g_steps.empty());
    EXPECT_TRUE(saved);
    EXPECT_GT(fs::file_size(menu), 1000u);
}

}  // namespace
