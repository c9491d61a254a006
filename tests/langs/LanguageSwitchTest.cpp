// The program switching to Russian while it runs, as the preferences dialog
// switches it: the preferences record names the language and every change
// observer hears of it. The soft keys, the main menu, an open preferences
// dialog and an open chat tab re-label, and switching back restores
// English. Screenshots of the contact list, the open main menu, a chat tab
// and the preferences dialog in Russian land in tests/screenshots/ of the
// build. The pages a plug-in adds to an open dialog, and a plug-in's own
// dialog, follow the plug-in's switch in the texts of its pack.

#include "AppTestSupport.h"
#include "CAuthReasonDlg.h"
#include "CContactList.h"
#include "CProtocolsManagerImpl.h"
#include "CYolClock.h"
#include "CoreServices.h"
#include "CYolProgramMessageWindows.h"
#include "CYolProgramPrefsHost.h"
#include "CYolWMUI_AccountSettingsDlg.h"
#include "CYolWMUI_DetailsDlg.h"
#include "CYolWMUI_PrefsDlg.h"
#include "CYolWMUI_Tools.h"
#include "DialogStrings.h"
#include "JabberStrings.h"
#include "LangPackSupport.h"
#include "PluginHelpers.h"
#include "PrefsDialogTemplates.h"
#include "UiHelpers.h"
#include "YolWMUI_Dialogs.h"
#include "ZemPaneTemplates.h"
#include "ZemPlugin.h"
#include "ZemStrings.h"

#include "Backends/Backend.h"
#include "Controls/ControlCombo.h"
#include "Shell/ShellMenuBar.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowHook.h"
#include "WindowSystem/WindowKeys.h"
#include "WindowSystem/WindowPaint.h"

#include <cairo.h>

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
        fs::create_directory_symlink(build / "Protos" / "Zem", PathOf("Protos/Zem"));
        fs::create_directories(kShots);
    }

    // The application with the program's own message window in place of
    // the recording one.
    void StartWithMessageWindows() {
        windows = std::make_unique<UI::CYolProgramMessageWindows>(ports);
        UI::TYolWMAppPorts withWindows = ports.Ports();
        withWindows.messageWindows = windows.get();
        app = std::make_unique<UI::CYolWMApp>(&start, withWindows, services);
        ASSERT_TRUE(app->InitInstance(CYolString()));
        ASSERT_TRUE(PumpUntil([&] { return app->IsRunning(); })) << "the application did not start";
        Platform::PumpMessages();
    }

    // The observers the application hands the preferences dialog, in its
    // order.
    CYolArray<UI::MYolWMUI_PrefsChangeObserver*> Observers() {
        CYolArray<UI::MYolWMUI_PrefsChangeObserver*> observers;
        observers.Add(app->Tools());
        if (windows)
            observers.Add(windows->PrefsObserver());
        observers.Add(app.get());
        return observers;
    }

    // What the preferences dialog does when the language choice is accepted.
    void ChooseLanguage(const char16_t* language) {
        app->Prefs().Lang = CYolString(language);
        const auto observers = Observers();
        for (int i = 0; i < observers.Count(); ++i)
            observers[i]->OnPrefsChanged(21);
        Platform::PumpMessages();
    }

    std::u16string LeftSoftKey() { return Platform::MenuBarButtonText(app->GetMenuBar(), 0); }

    std::vector<std::string> MainMenu() {
        CYolMenuInfo menu;
        app->BuildMainMenu(menu);
        return Captions(menu);
    }

    // A contact of an XMPP account, named `alias`.
    unsigned int AddContact(const char16_t* alias) {
        auto* model = static_cast<CL::CContactList*>(services.GetService(ContactListGuid));
        if (model == nullptr)
            return 0;
        const unsigned int account = Core::g_protocolsManager->AddAccount(JabberProtocolGuid);
        const unsigned int contact = account != 0 ? model->AddContact(account, model->AddGroup(account)) : 0;
        if (contact != 0)
            model->SetItemString(contact, CYolString(u"CL Alias"), CYolString(alias));
        return contact;
    }

    const std::string kShots = std::string(YOL_PROGRAM_FOLDER) + "/tests/screenshots/";
    std::unique_ptr<UI::CYolProgramMessageWindows> windows;
};

std::string TextOf(HWND window) {
    CYolString text;
    GetWindowTextString(window, text);
    return text.ToUtf8();
}

std::string SoftKey(HWND owner, int index) {
    return CYolString(Platform::MenuBarButtonText(Platform::GetMenuBar(owner), index).c_str()).ToUtf8();
}

// Paints what waits to be painted, children too.
void PaintPending(HWND window) {
    UpdateWindow(window);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        PaintPending(child);
}

// The screen as the user sees it with `front` in front: the window and its
// soft keys.
void ScreenScreenshot(HWND front, const std::string& path) {
    PaintPending(front);
    PaintPending(Platform::GetMenuBar(front));
    ASSERT_EQ(cairo_surface_write_to_png(Platform::CurrentBackend().Compose(), path.c_str()), CAIRO_STATUS_SUCCESS)
        << path;
    EXPECT_GT(fs::file_size(path), 1000u) << path;
}

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

// The preferences dialog, open on its interface page, while the language
// changes under it.
class OpenPreferences : public LanguageSwitch {
protected:
    static constexpr int kInterfacePage = 4;
    static constexpr int kGeneralPage = 0;
    static constexpr int kListPage = 1;
    static constexpr int kSkinLabel = 1069;  // "Skin/Icons:" on the interface page
    static constexpr int kModeCombo = 1024;  // "Simple" / "Groups" on the contact-list page
    static constexpr int kLanguageCombo = 1034;
    static constexpr int kErrorLine = 1120;  // the page's report line

    void Open() {
        dialog = std::make_unique<UI::CYolWMUI_PrefsDlg>(app->Prefs(), Observers(), kInterfacePage, host);
        ASSERT_TRUE(dialog->CreateModeless(app->GetWindow())) << "the preferences dialog did not open";
        Platform::PumpMessages();
    }
    void TearDown() override {
        if (dialog && IsWindow(dialog->Handle()))
            DestroyWindow(dialog->Handle());
        dialog.reset();
        LanguageSwitch::TearDown();
    }
    HWND Page(int page) { return dialog->GetTab(page)->pan->Handle(); }

    // Tab captions, a label of the open page, both soft keys and the list
    // mode's entries with the chosen one.
    std::vector<std::string> Texts() {
        const HWND mode = GetDlgItem(Page(kListPage), kModeCombo);
        const int chosen = UI::GetComboSelection(mode);
        return {dialog->GetTab(kInterfacePage)->caption.ToUtf8(),
                dialog->GetTab(kGeneralPage)->caption.ToUtf8(),
                TextOf(GetDlgItem(Page(kInterfacePage), kSkinLabel)),
                SoftKey(dialog->Handle(), 0),
                SoftKey(dialog->Handle(), 1),
                UI::GetComboText(mode, 0).ToUtf8(),
                UI::GetComboText(mode, 1).ToUtf8(),
                chosen >= 0 ? UI::GetComboText(mode, chosen).ToUtf8() : "(none)"};
    }

    UI::CYolProgramPrefsHost host{nullptr};
    std::unique_ptr<UI::CYolWMUI_PrefsDlg> dialog;
};

TEST_F(OpenPreferences, AnOpenDialogRelabelsBothWays) {
    Start();
    // The list shows groups: the choice must survive the renaming.
    app->Prefs().CLMode = 1;
    Open();
    const std::vector<std::string> english{"Interface", "General", "Skin/Icons:", "OK",
                                           "Cancel",    "Simple",  "Groups",      "Groups"};
    ASSERT_EQ(Texts(), english);
    // A page's report line holds a text the page wrote itself: a switch
    // leaves it alone.
    HWND page = nullptr;
    for (int i = 0; i < dialog->TabCount() && page == nullptr; ++i)
        if (GetDlgItem(Page(dialog->TabIdAt(i)), UI::kPrefsErrorId) != nullptr)
            page = Page(dialog->TabIdAt(i));
    ASSERT_NE(page, nullptr) << "no page has a report line";
    const HWND error = GetDlgItem(page, UI::kPrefsErrorId);
    UI::SetDlgItemString(page, UI::kPrefsErrorId, 80);
    UI::SetDlgItemString(page, UI::kPrefsErrorId, CYolString(u"42"));

    ChooseLanguage(u"Russian");
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Интерфейс", "Общие", "Тема/значки:", "ОК", "Отмена", "Простой",
                                                 "Группы", "Группы"}));
    EXPECT_EQ(TextOf(error), "42");

    ChooseLanguage(u"English");
    EXPECT_EQ(Texts(), english);
    EXPECT_EQ(TextOf(error), "42");
}

TEST_F(OpenPreferences, ScreenshotOfThePreferencesDialogInRussian) {
    Start();
    Open();
    // The user picks the language on the page that shows it.
    const HWND languages = GetDlgItem(Page(kInterfacePage), kLanguageCombo);
    const LRESULT russian =
        SendMessage(languages, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"Russian"));
    ASSERT_NE(russian, CB_ERR) << "the page does not list Russian";
    SendMessage(languages, CB_SETCURSEL, static_cast<WPARAM>(russian), 0);
    ChooseLanguage(u"Russian");
    ASSERT_EQ(Texts()[0], "Интерфейс");
    ScreenScreenshot(dialog->Handle(), kShots + "langs-russian-preferences.png");
}

// The program's message window with one chat tab open while the language
// changes: its title and soft keys follow.
class OpenChat : public LanguageSwitch {
protected:
    void Open() {
        StartWithMessageWindows();
        const unsigned int contact = AddContact(u"Анна");
        ASSERT_NE(contact, 0u);
        windows->AddTab(contact, CYolString(u"Анна"), CYolArray<unsigned int>());
        MW::TYolWMMWMsg line;
        line.name = CYolString(u"Анна");
        line.text = CYolString(u"Привет! Как дела?");
        line.direction = MW::TYolWMMWMsg::EIncoming;
        windows->AddMessage(contact, line);
        windows->SelectTab(contact);
        windows->Show(true);
        Platform::PumpMessages();
        ASSERT_NE(windows->Window(), nullptr) << "the message window did not open";
    }

    std::vector<std::string> Texts() {
        return {TextOf(windows->Window()), SoftKey(windows->Window(), 0), SoftKey(windows->Window(), 1)};
    }
};

TEST_F(OpenChat, AnOpenChatRelabelsBothWays) {
    Open();
    const std::vector<std::string> english = Texts();
    ASSERT_EQ(english[0], "Messages");

    ChooseLanguage(u"Russian");
    const std::vector<std::string> russian = Texts();
    EXPECT_EQ(russian[0], "Сообщения");
    for (size_t i = 1; i < english.size(); ++i) {
        EXPECT_FALSE(english[i].empty()) << i;
        EXPECT_NE(russian[i], english[i]) << i;
    }

    ChooseLanguage(u"English");
    EXPECT_EQ(Texts(), english);
}

TEST_F(OpenChat, ScreenshotOfAChatTabInRussian) {
    Open();
    ChooseLanguage(u"Russian");
    ASSERT_EQ(Texts()[0], "Сообщения");
    ScreenScreenshot(windows->Window(), kShots + "langs-russian-chat.png");
}

// An XMPP account's pages open in the program's dialogs while the language
// changes: the plug-in switches on its account's thread and its pages take
// its pack's texts, their tab captions too.
class OpenPluginPages : public LanguageSwitch {
protected:
    void SetUp() override {
        LanguageSwitch::SetUp();
        Start();
        account = Core::g_protocolsManager->AddAccount(JabberProtocolGuid);
        ASSERT_NE(account, 0u);
        ASSERT_TRUE(russian.Loaded()) << "the XMPP plug-in's Russian pack is not built";
    }
    void TearDown() override {
        if (dialog && IsWindow(dialog->Handle()))
            DestroyWindow(dialog->Handle());
        dialog.reset();
        LanguageSwitch::TearDown();
    }
    void Open(std::unique_ptr<UI::CYolWMUI_SettingsControllerDlg> made) {
        dialog = std::move(made);
        ASSERT_TRUE(dialog->CreateModeless(app->GetWindow())) << "the dialog did not open";
        Platform::PumpMessages();
        ASSERT_GT(dialog->TabCount(), 0);
    }
    HWND Page(int index) { return dialog->GetTab(dialog->TabIdAt(index))->pan->Handle(); }
    std::string Caption(int index) { return dialog->GetTab(dialog->TabIdAt(index))->caption.ToUtf8(); }

    // The plug-in's text of `id` in the language named.
    std::string Xmpp(int id, bool inRussian) {
        CYolString text;
        if (inRussian)
            return russian.Get(id).value_or("<none>");
        return JabberDefaultUiString(id, text) ? text.ToUtf8() : "<none>";
    }

    // Switches and waits until `texts` shows what `expected` says.
    bool SwitchTo(const char16_t* language, const std::function<std::vector<std::string>()>& texts,
                  const std::vector<std::string>& expected) {
        ChooseLanguage(language);
        return PumpUntil([&] { return texts() == expected; });
    }

    unsigned int account = 0;
    LangTest::LoadedPack russian{LangTest::kPacks[2]};
    UI::CYolProgramPrefsHost host{nullptr};
    std::unique_ptr<UI::CYolWMUI_SettingsControllerDlg> dialog;
};

TEST_F(OpenPluginPages, AccountSettingsPagesRelabelBothWays) {
    Open(std::make_unique<UI::CYolWMUI_AccountSettingsDlg>(account, host));
    // Labels and a check box of the account page, by control and string id.
    constexpr struct {
        int control;
        int stringId;
    } kLabels[] = {{1002, 17}, {1007, 18}, {1009, 23}};
    constexpr int kUserName = 1015;
    auto texts = [&] {
        std::vector<std::string> all{Caption(0)};
        for (const auto& label : kLabels)
            all.push_back(TextOf(GetDlgItem(Page(0), label.control)));
        all.push_back(TextOf(GetDlgItem(Page(0), kUserName)));
        return all;
    };
    auto expected = [&](bool inRussian) {
        std::vector<std::string> all{Xmpp(JabberStrAccount, inRussian)};
        for (const auto& label : kLabels)
            all.push_back(Xmpp(label.stringId, inRussian));
        // What the user typed is theirs: no switch touches it.
        all.push_back("anna");
        return all;
    };
    SetWindowTextString(GetDlgItem(Page(0), kUserName), CYolString(u"anna"));
    ASSERT_EQ(texts(), expected(false));
    ASSERT_NE(expected(true), expected(false));

    EXPECT_TRUE(SwitchTo(u"Russian", texts, expected(true))) << ::testing::PrintToString(texts());
    // The program's own soft keys switched as well.
    EXPECT_EQ(SoftKey(dialog->Handle(), 0), "ОК");
    EXPECT_TRUE(SwitchTo(u"English", texts, expected(false))) << ::testing::PrintToString(texts());
}

TEST_F(OpenPluginPages, OwnDetailsGenderChoicesRelabelAndKeepTheChoice) {
    Open(std::make_unique<UI::CYolWMUI_UserDetailsDlg>(&services, account));
    // The personal page: the one whose gender box lists none, female, male.
    constexpr int kGender = 1024;
    HWND gender = nullptr;
    for (int i = 0; i < dialog->TabCount() && gender == nullptr; ++i) {
        const HWND box = GetDlgItem(Page(i), kGender);
        if (box != nullptr && SendMessage(box, CB_GETCOUNT, 0, 0) == 3)
            gender = box;
    }
    ASSERT_NE(gender, nullptr) << "no page offers a gender";
    SendMessage(gender, CB_SETCURSEL, 2, 0);
    auto texts = [&] {
        return std::vector<std::string>{UI::GetComboText(gender, 0).ToUtf8(), UI::GetComboText(gender, 1).ToUtf8(),
                                        UI::GetComboText(gender, 2).ToUtf8(),
                                        std::to_string(SendMessage(gender, CB_GETCURSEL, 0, 0))};
    };
    auto expected = [&](bool inRussian) {
        return std::vector<std::string>{"", Xmpp(JabberStrFemale, inRussian), Xmpp(JabberStrMale, inRussian), "2"};
    };
    ASSERT_EQ(texts(), expected(false));

    EXPECT_TRUE(SwitchTo(u"Russian", texts, expected(true))) << ::testing::PrintToString(texts());
    EXPECT_EQ(SendMessage(gender, CB_GETCOUNT, 0, 0), 3);
    EXPECT_TRUE(SwitchTo(u"English", texts, expected(false))) << ::testing::PrintToString(texts());
}

// The MRIM plug-in's request dialog open while the plug-in switches: its
// title, prompt and soft keys take the pack's texts; what the user wrote
// stays.
TEST_F(LanguageSwitch, APluginDialogRelabelsWithItsPlugin) {
    const LangTest::LoadedPack pack(LangTest::kPacks[3]);
    ASSERT_TRUE(pack.Loaded()) << "the MRIM plug-in's Russian pack is not built";
    // The ids the plug-in's menu gives the dialog.
    constexpr int kTitle = 21, kPrompt = 22, kOk = 218, kCancel = 219;
    ASSERT_EQ(ZemPlugin::Join(nullptr), 1);
    EnsureZemPaneTemplates();
    CAuthReasonDlg dialog(nullptr, {&ZemPlugin::UiString, kTitle, kPrompt, kOk, kCancel}, CYolString(u"it is me"));
    ASSERT_TRUE(dialog.Create(kZemAuthRequestTemplate, Protocols::GetPluginModule(), nullptr));
    auto texts = [&] {
        return std::vector<std::string>{TextOf(dialog.Handle()),
                                        TextOf(dialog.GetDlgItem(CAuthReasonDlg::kPrompt)),
                                        SoftKey(dialog.Handle(), 0), SoftKey(dialog.Handle(), 1),
                                        TextOf(dialog.GetDlgItem(CAuthReasonDlg::kReasonEdit))};
    };
    auto expected = [&](bool inRussian) {
        std::vector<std::string> all;
        for (int id : {kTitle, kPrompt, kOk, kCancel}) {
            CYolString text;
            all.push_back(inRussian ? pack.Get(id).value_or("<none>")
                                    : (ZemDefaultUiString(id, text) ? text.ToUtf8() : "<none>"));
        }
        all.push_back("it is me");
        return all;
    };
    EXPECT_EQ(texts(), expected(false));
    EXPECT_NE(expected(true), expected(false));

    ZemPlugin::ChangeLanguage(CYolString(u"Russian"));
    EXPECT_TRUE(PumpUntil([&] { return texts() == expected(true); })) << ::testing::PrintToString(texts());
    ZemPlugin::ChangeLanguage(CYolString(u"English"));
    EXPECT_TRUE(PumpUntil([&] { return texts() == expected(false); })) << ::testing::PrintToString(texts());

    DestroyWindow(dialog.Handle());
    EXPECT_EQ(ZemPlugin::Leave(nullptr), 0);
}

}  // namespace
