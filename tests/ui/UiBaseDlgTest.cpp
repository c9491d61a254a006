// Dialogs on the base classes: the data-exchange step around ending, the
// full-screen dialog's command routing and soft keys, tab panes, and the
// language controller putting texts into windows.

#include "WindowTestSupport.h"

#include "CYolWMUI_Dlg.h"
#include "CYolWMUI_TabPan.h"
#include "WindowSystem/Dialog.h"
#include "Shell/ShellMenuBar.h"
#include "YolWMMUI_Controller.h"

#include <functional>
#include <memory>
#include <string>

using namespace ui_test;

namespace {

Platform::Module g_baseDialogModule{"ui-base-dialog-test"};
constexpr int kDialogId = 300;
constexpr int kEditId = 1001;
constexpr UINT kScript = WM_USER + 50;

void RegisterTemplates()
{
    DialogTemplate t;
    t.style = WS_POPUP | WS_VISIBLE;
    t.cx = 100;
    t.cy = 60;
    t.items.push_back(DialogItemTemplate{u"UiTestRecording", kEditId, 4, 4, 40, 12, WS_VISIBLE | WS_TABSTOP, u"",
                                         0});
    RegisterDialogTemplate(&g_baseDialogModule, kDialogId, t);
}

// Runs the test's script once the dialog's loop is running.
template <typename Base>
class ScriptedDlg : public Base {
public:
    std::string log;
    int acceptSave = 1;
    std::function<void(ScriptedDlg&)> script;

    void OnInitDialog() override
    {
        Base::OnInitDialog();
        log += "init;";
        PostMessage(this->Handle(), kScript, 0, 0);
    }
    int DoDataExchange(int save) override
    {
        log += "ddx" + std::to_string(save) + ";";
        return save ? acceptSave : 1;
    }
    int OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != kScript)
            return Base::OnMessage(msg, wParam, lParam);
        if (script)
            script(*this);
        return 0;
    }
};

class BigDlg : public ScriptedDlg<UI::CYolWMUI_BigDlg> {
public:
    TCommandButton button = EDoneButton;
    TCommandButton GetCommandButton() override { return button; }
    void OnCommandButton() override
    {
        log += "button;";
        UI::CYolWMUI_BigDlg::OnCommandButton();
    }
    void OnSoftKey(TSoftKey key) override { log += "softkey" + std::to_string(int(key)) + ";"; }
    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override
    {
        if (key != ELeft)
            return 0;
        caption = u"Back";
        return 1;
    }
    void OnScreenSizeChanged() override { log += "screen;"; }
    void OnActivate(unsigned short state, int, HWND) override { log += "activate" + std::to_string(state) + ";"; }
};

class UiBaseDlg : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        RegisterTemplates();
        owner = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 480, 600});
    }
    Recorder rec;
    HWND owner = nullptr;
};

TEST_F(UiBaseDlg, CreationFillsTheControlsAfterInit)
{
    ScriptedDlg<UI::CYolWMUI_Dlg> dlg;
    dlg.script = [](auto& d) { d.EndDialog(2); };
    EXPECT_EQ(dlg.DoModal(kDialogId, &g_baseDialogModule, owner), 2);
    EXPECT_EQ(dlg.log, "init;ddx0;");
    EXPECT_EQ(static_cast<HWND>(dlg), nullptr);
}

TEST_F(UiBaseDlg, RefusedSaveKeepsTheDialogOpen)
{
    ScriptedDlg<UI::CYolWMUI_Dlg> dlg;
    dlg.acceptSave = 0;
    int firstTry = -1;
    dlg.script = [&](auto& d) {
        EXPECT_NE(d.GetDlgItem(kEditId), nullptr);
        firstTry = d.EndDialog(1);
        EXPECT_TRUE(IsWindow(d));
        d.acceptSave = 1;
        EXPECT_EQ(d.EndDialog(1), 1);
    };
    EXPECT_EQ(dlg.DoModal(kDialogId, &g_baseDialogModule, owner), 1);
    EXPECT_EQ(firstTry, 0);
    EXPECT_EQ(dlg.log, "init;ddx0;ddx1;ddx1;");
}

TEST_F(UiBaseDlg, ClosingEndsWithTwoWithoutSaving)
{
    ScriptedDlg<UI::CYolWMUI_Dlg> dlg;
    dlg.script = [](auto& d) { SendMessage(d, WM_CLOSE, 0, 0); };
    EXPECT_EQ(dlg.DoModal(kDialogId, &g_baseDialogModule, owner), 2);
    EXPECT_EQ(dlg.log, "init;ddx0;");
}

TEST_F(UiBaseDlg, ModelessDialogKeepsItsObjectUntilDestroyed)
{
    ScriptedDlg<UI::CYolWMUI_Dlg> dlg;
    ASSERT_TRUE(dlg.Create(kDialogId, &g_baseDialogModule, owner));
    EXPECT_TRUE(IsWindow(dlg));
    EXPECT_EQ(dlg.log, "init;ddx0;");
    EXPECT_EQ(SendMessage(dlg, WM_GETDLGCODE, 0, 0), 0);
}

TEST_F(UiBaseDlg, BigDialogRoutesCommandsByItsCommandButton)
{
    using B = UI::CYolWMUI_BigDlg;
    struct Case {
        B::TCommandButton button;
        int command;
        int acceptSave;
        std::intptr_t result;
        const char* log;
    };
    // 77: the dialog was still open after the command.
    const Case cases[] = {
        {B::EDoneButton, IDOK, 1, 1, "button;ddx1;"},
        {B::EDoneButton, IDOK, 0, 77, "button;ddx1;"},
        {B::EDoneButton, IDCANCEL, 1, 2, ""},
        {B::ECancelButton, IDOK, 1, 1, "ddx1;"},
        {B::ECancelButton, IDOK, 0, 77, "ddx1;"},
        // The title bar's cancel goes to the command button, whose default
        // ends the dialog with 1 after a successful save.
        {B::ECancelButton, IDCANCEL, 1, 1, "button;ddx1;"},
        {B::ENoButton, IDOK, 1, 1, "ddx1;"},
        {B::ENoButton, IDCANCEL, 1, 2, ""},
        {B::EDoneButton, UI::kLeftSoftKeyCommand, 1, 77, "softkey0;"},
        {B::EDoneButton, UI::kRightSoftKeyCommand, 1, 77, "softkey1;"},
    };
    for (const Case& c : cases) {
        BigDlg dlg;
        dlg.button = c.button;
        dlg.acceptSave = c.acceptSave;
        // The command first; a dialog it ended takes no later message.
        bool commandSent = false;
        dlg.script = [&](auto& d) {
            if (commandSent) {
                EndDialog(d, 77);
                return;
            }
            commandSent = true;
            d.log.clear();
            PostMessage(d, kScript, 0, 0);
            SendMessage(d, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(c.command), 0), 0);
        };
        EXPECT_EQ(dlg.DoModal(kDialogId, &g_baseDialogModule, owner), c.result) << c.button << " " << c.command;
        EXPECT_EQ(dlg.log, c.log) << c.button << " " << c.command;
    }
}

TEST_F(UiBaseDlg, BigDialogIsFullScreenWithItsSoftKeys)
{
    BigDlg dlg;
    dlg.button = UI::CYolWMUI_BigDlg::ECancelButton;
    dlg.script = [](auto& d) {
        const RECT work = Platform::GetWorkArea();
        RECT r;
        GetWindowRect(d, &r);
        EXPECT_EQ(r.right - r.left, work.right - work.left);
        EXPECT_EQ(r.bottom - r.top, work.bottom - work.top);
        EXPECT_EQ(Platform::GetCommandButton(d), IDCANCEL);

        const HWND bar = d.Menu();
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(Platform::GetMenuBar(d), bar);
        EXPECT_EQ(UI::CYolWMUI_BigDlg::GetSoftKeyId(bar, UI::CYolWMUI_BigDlg::ELeft), 40002);
        EXPECT_EQ(UI::CYolWMUI_BigDlg::GetSoftKeyId(bar, UI::CYolWMUI_BigDlg::ERight), 40004);
        EXPECT_EQ(UI::CYolWMUI_BigDlg::GetSoftKeyId(nullptr, UI::CYolWMUI_BigDlg::ERight), -1);
        EXPECT_EQ(Platform::MenuBarButtonText(bar, 0), u"Back");
        EXPECT_EQ(Platform::MenuBarButtonText(bar, 1), u"");

        d.log.clear();
        SendMessage(d, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
        SendMessage(d, WM_SETTINGCHANGE, SPI_SETSIPINFO, 0);
        SendMessage(d, WM_SETTINGCHANGE, 5, 0);
        SendMessage(d, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
        EXPECT_EQ(d.log, "screen;screen;activate1;");
        d.EndDialog(2);
    };
    EXPECT_EQ(dlg.DoModal(kDialogId, &g_baseDialogModule, owner), 2);
}

TEST_F(UiBaseDlg, EmptyPaneIsAHiddenChildOfTheLibraryTemplate)
{
    ScriptedDlg<UI::CYolWMUI_TabPan> pane;
    ASSERT_TRUE(pane.CreateEmpty(owner));
    EXPECT_EQ(pane.log, "init;ddx0;");
    EXPECT_EQ(GetParent(pane), owner);
    EXPECT_TRUE(GetWindowLong(pane, GWL_STYLE) & WS_CHILD);
    EXPECT_FALSE(IsWindowVisible(pane));
    EXPECT_EQ(GetWindow(pane, GW_CHILD), nullptr);
    RECT units{0, 0, 92, 95};
    MapDialogRect(pane, &units);
    EXPECT_EQ(pane.GetClientWidth(), units.right);
    EXPECT_EQ(pane.GetClientHeight(), units.bottom);
    EXPECT_EQ(pane.DoDataExchange(1), 1);
    EXPECT_EQ(UI::CYolWMUI_TabPan().DoDataExchange(1), 1) << "a pane never blocks confirmation by default";
}

class TestPane : public UI::CYolWMUI_SettingsPan {
public:
    CYolString GetCaption() override { return CYolString(u"General"); }
    CYolArray<unsigned int> GetImages() override
    {
        CYolArray<unsigned int> images;
        images.Add(7);
        return images;
    }
    YolTabDlg::TDlgTemplate GetDlgTemplate() override { return YolTabDlg::TDlgTemplate{&g_baseDialogModule, kDialogId}; }
};

TEST_F(UiBaseDlg, SettingsPaneIsMadeFromItsOwnTemplateAndGoesWithItsObject)
{
    std::unique_ptr<YolTabDlg::IPan> owned(new TestPane);
    auto* pane = static_cast<TestPane*>(owned.get());
    ASSERT_TRUE(pane->Create(owner));
    const HWND hwnd = *pane;
    EXPECT_NE(pane->GetDlgItem(kEditId), nullptr);
    EXPECT_EQ(owned->GetCaption(), u"General");
    EXPECT_EQ(owned->GetImages().Count(), 1);
    owned.reset();
    EXPECT_FALSE(IsWindow(hwnd));
}

bool BuiltInTexts(int id, CYolString& text)
{
    if (id != 5)
        return false;
    text = u"Connect";
    return true;
}

TEST_F(UiBaseDlg, LanguageControllerSetsWindowAndControlTexts)
{
    MUI::CYolWMMUI_Controller mui(CYolString(u"/nonexistent/"), CYolString(u"Ui_"), CYolString(u"English"),
                                  &BuiltInTexts);
    ScriptedDlg<UI::CYolWMUI_Dlg> dlg;
    ASSERT_TRUE(dlg.Create(kDialogId, &g_baseDialogModule, owner));
    char16_t text[32];

    EXPECT_TRUE(MUI::CYolWMMUI_Controller::SetWinText(mui, dlg, 5));
    GetWindowText(dlg, text, 32);
    EXPECT_EQ(std::u16string(text), u"Connect");

    EXPECT_TRUE(MUI::CYolWMMUI_Controller::SetWinText(mui, dlg, kEditId, 5));
    GetDlgItemText(dlg, kEditId, text, 32);
    EXPECT_EQ(std::u16string(text), u"Connect");

    SetDlgItemText(dlg, kEditId, u"kept");
    EXPECT_FALSE(MUI::CYolWMMUI_Controller::SetWinText(mui, dlg, kEditId, 6));
    GetDlgItemText(dlg, kEditId, text, 32);
    EXPECT_EQ(std::u16string(text), u"kept");
    EXPECT_FALSE(MUI::CYolWMMUI_Controller::SetWinText(mui, dlg, 4242, 5)) << "no such control";
}

} // namespace
