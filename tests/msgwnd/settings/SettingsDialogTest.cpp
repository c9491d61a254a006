// The message-window settings dialog over a record: what each pane shows,
// what OK stores, which stored changes reach the observer under which pane
// id, the smilies bar's dependent controls, and its picture.

#include "DialogsTestSupport.h"
#include "MenuTestSupport.h"
#include "SettingsFixture.h"

#include "CYolWMMW_SettingsDlg.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "WindowSystem/WindowFocus.h"

#include <functional>
#include <utility>

using namespace dialogs_test;
using MW::CYolWMMW_SettingsDlg;
using MW::TYolWMMWSettings;

namespace {

using Notice = std::pair<int, int>;

class RecordingObserver final : public CYolWMMW_SettingsDlg::MSetsChangeObserver {
public:
    void OnSettingsChanged(int pane, int value) override { notices.emplace_back(pane, value); }
    std::vector<Notice> notices;
};

class SettingsDialog : public DialogTest, public SettingsStore {
protected:
    // Opens the dialog on `pane`, runs `act` on that pane's window, then OK.
    void RunOn(int pane, const std::function<void(HWND)>& act, bool save = true)
    {
        Scripted<CYolWMMW_SettingsDlg> dialog(&settings, &observer, pane);
        dialog.script = [&](auto& d) {
            EXPECT_EQ(d.TabCount(), 5);
            EXPECT_EQ(d.GetCurTabId(), pane);
            act(d.GetTab(pane)->pan->Handle());
            SoftKey(d, save ? UI::CYolWMUI_BigDlg::ELeft : UI::CYolWMUI_BigDlg::ERight);
        };
        EXPECT_EQ(dialog.UI::CYolWMUI_SettingsControllerDlg::Run(parent), save ? 1 : 2);
    }
    static void Click(HWND pane, int id) { SendMessage(GetDlgItem(pane, id), BM_CLICK, 0, 0); }
    static void Put(HWND pane, int id, const char* text)
    {
        UI::SetDlgItemString(pane, id, CYolString::FromUtf8(text));
    }
    static bool Checked(HWND pane, int id) { return IsDlgButtonChecked(pane, id) == BST_CHECKED; }

    TYolWMMWSettings settings{&services};
    RecordingObserver observer;
};

} // namespace

TEST_F(SettingsDialog, PanesShowTheRecordAndTheirTexts)
{
    settings.showTime = true;
    settings.maxLine = 4;
    settings.smiliesNum = 7;
    settings.showTB = false;
    settings.rightSK = TYolWMMWSettings::ECloseTab;
    struct Case {
        int pane;
        std::function<void(HWND)> check;
    };
    const Case cases[] = {
        {0, [](HWND p) {
             EXPECT_EQ(Text(p, 1076), "Message formatting:");
             EXPECT_EQ(Text(p, 1019), "Change head font...");
             EXPECT_TRUE(Checked(p, 1014));
             EXPECT_TRUE(Checked(p, 1015));
             EXPECT_FALSE(Checked(p, 1053));
             EXPECT_EQ(Text(p, 1162), "I");
         }},
        {1, [](HWND p) {
             EXPECT_EQ(Text(p, 1130), "- max line count");
             EXPECT_EQ(Text(p, 1128), "4");
             EXPECT_TRUE(Checked(p, 1134));
         }},
        {2, [](HWND p) {
             EXPECT_EQ(Text(p, 1135), "Show Smilies bar");
             EXPECT_EQ(Text(p, 1045), "7");
             EXPECT_FALSE(Checked(p, 1134));
             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(p, 1136)));
         }},
        {3, [](HWND p) { EXPECT_EQ(Text(p, 1056), "Hi\r\nHow are you?\r\nBye"); }},
        {4, [](HWND p) {
             const HWND right = GetDlgItem(p, 1033);
             EXPECT_EQ(SendMessage(right, CB_GETCOUNT, 0, 0), 6);
             EXPECT_EQ(UI::GetComboText(right, 0).ToUtf8(), "Send");
             EXPECT_EQ(UI::GetComboText(right, 5).ToUtf8(), "Close");
             EXPECT_EQ(UI::GetComboSelection(right), TYolWMMWSettings::ECloseTab);
             EXPECT_EQ(UI::GetComboSelection(GetDlgItem(p, 1032)), TYolWMMWSettings::EMinimize);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pane);
        RunOn(c.pane, c.check, false);
    }
    EXPECT_TRUE(observer.notices.empty());
}

TEST_F(SettingsDialog, StoredChangesNotifyTheirPane)
{
    struct Case {
        const char* what;
        int pane;
        std::function<void(HWND)> act;
        std::vector<Notice> notices;
        std::function<void(const TYolWMMWSettings&)> stored;
    };
    const Case cases[] = {
        {"nothing changed", 0, [](HWND) {}, {}, [](const TYolWMMWSettings&) {}},
        {"show time", 0, [](HWND p) { Click(p, 1015); }, {{0, 1}},
         [](const TYolWMMWSettings& s) { EXPECT_TRUE(s.showTime); }},
        {"your name", 0, [](HWND p) { Put(p, 1162, "Me"); }, {{0, 0}},
         [](const TYolWMMWSettings& s) { EXPECT_EQ(s.yourName.ToUtf8(), "Me"); }},
        {"send on enter alone", 1, [](HWND p) { Click(p, 1134); }, {},
         [](const TYolWMMWSettings& s) { EXPECT_FALSE(s.sendOnEnter); }},
        {"max lines", 1, [](HWND p) { Put(p, 1128, "5"); }, {{1, 5}},
         [](const TYolWMMWSettings& s) { EXPECT_EQ(s.maxLine, 5); }},
        {"max lines beyond the range", 1, [](HWND p) { Put(p, 1128, "9"); }, {{1, 5}},
         [](const TYolWMMWSettings& s) { EXPECT_EQ(s.maxLine, 5); }},
        {"max lines left empty", 1, [](HWND p) { Put(p, 1128, ""); }, {},
         [](const TYolWMMWSettings& s) { EXPECT_EQ(s.maxLine, 3); }},
        {"compact picker alone", 2, [](HWND p) { Click(p, 1167); }, {},
         [](const TYolWMMWSettings& s) { EXPECT_FALSE(s.dlgCompactMode); }},
        {"smilies bar", 2, [](HWND p) { Click(p, 1134); }, {{2, 0}},
         [](const TYolWMMWSettings& s) { EXPECT_FALSE(s.showTB); }},
        {"replies", 3, [](HWND p) { Put(p, 1056, "a\r\n\r\nb\r\n"); }, {},
         [](const TYolWMMWSettings& s) {
             ASSERT_EQ(s.replies.Count(), 2);
             EXPECT_EQ(s.replies[0].ToUtf8(), "a");
             EXPECT_EQ(s.replies[1].ToUtf8(), "b");
         }},
        {"caret keys alone", 4, [](HWND p) { Click(p, 1147); }, {},
         [](const TYolWMMWSettings& s) { EXPECT_FALSE(s.caretLeftRight); }},
        {"left soft key", 4, [](HWND p) { SendMessage(GetDlgItem(p, 1032), CB_SETCURSEL, 4, 0); }, {{4, 4}},
         [](const TYolWMMWSettings& s) { EXPECT_EQ(s.leftSK, TYolWMMWSettings::ECloseTab); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Defaults for every case: a record without a database writes nothing back.
        Services::CServicesManagerImpl noDatabase;
        TYolWMMWSettings fresh(&noDatabase);
        observer.notices.clear();
        Scripted<CYolWMMW_SettingsDlg> dialog(&fresh, &observer, c.pane);
        dialog.script = [&](auto& d) {
            c.act(d.GetTab(c.pane)->pan->Handle());
            SoftKey(d, UI::CYolWMUI_BigDlg::ELeft);
        };
        EXPECT_EQ(dialog.UI::CYolWMUI_SettingsControllerDlg::Run(parent), 1);
        EXPECT_EQ(observer.notices, c.notices);
        c.stored(fresh);
    }
}

TEST_F(SettingsDialog, CancelStoresNothing)
{
    RunOn(1, [](HWND p) {
        Click(p, 1134);
        Put(p, 1128, "1");
    }, false);
    EXPECT_TRUE(settings.sendOnEnter);
    EXPECT_EQ(settings.maxLine, 3);
    EXPECT_TRUE(observer.notices.empty());
}

TEST_F(SettingsDialog, UncheckingTheSmiliesBarGreysItsButtonsAtOnce)
{
    RunOn(2, [](HWND p) {
        for (int id : {1136, 1137, 1138, 1139})
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(p, id))) << id;
        Click(p, 1134);
        for (int id : {1136, 1137, 1138, 1139})
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(p, id))) << id;
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(p, 1167)));
        Click(p, 1134);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(p, 1138)));
    }, false);
}

TEST_F(SettingsDialog, LeavesAPictureOfTheHistoryPane)
{
    RunOn(0, [](HWND p) { SaveGallery(GetParent(p), "settings"); }, false);
}

TEST_F(SettingsDialog, AFontIsStoredAndToldOnlyWhenTheFontDialogChangedIt)
{
    struct Case {
        const char* what;
        int sizeIndex;      // -1: the size list is left alone
        unsigned fontKey;   // F1 accepts the font dialog, F2 cancels it
        int height;
        std::vector<Notice> notices;
    };
    const Case cases[] = {
        {"a new size", 8, VK_F1, 20, {{0, 20}}},
        {"accepted unchanged", -1, VK_F1, 14, {}},
        {"cancelled", 8, VK_F2, 14, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Services::CServicesManagerImpl noDatabase;
        TYolWMMWSettings fresh(&noDatabase);
        observer.notices.clear();
        menu_test::Script steps;
        Scripted<CYolWMMW_SettingsDlg> dialog(&fresh, &observer, 0);
        dialog.script = [&](auto& d) {
            const HWND pane = d.GetTab(0)->pan->Handle();
            PostMessage(pane, WM_COMMAND, MAKEWPARAM(1020, BN_CLICKED), 0);
            steps.Then([&] {
                const HWND fontDialog = GetActiveWindow();
                ASSERT_NE(fontDialog, d.Handle());
                if (c.sizeIndex >= 0)
                    SendMessage(GetDlgItem(fontDialog, 1014), CB_SETCURSEL, static_cast<WPARAM>(c.sizeIndex), 0);
                Platform::InjectKey(c.fontKey);
                steps.Then([] { Platform::InjectKey(VK_F1); });
            });
        };
        EXPECT_EQ(dialog.UI::CYolWMUI_SettingsControllerDlg::Run(parent), 1);
        EXPECT_EQ(steps.Pending(), 0u);
        EXPECT_EQ(fresh.textLogFont.lfHeight, c.height);
        EXPECT_EQ(observer.notices, c.notices);
    }
}
