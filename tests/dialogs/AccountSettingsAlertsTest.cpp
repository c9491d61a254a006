// The account-settings dialog over a plug-in's page, and the alerts dialog
// with its alert-settings dialog: what OK keeps, what Cancel drops, the
// vibration code, the enable rules and the preview of a selected event.

#include "DialogsTestSupport.h"
#include "PrefsTestSupport.h"

#include "CYolPath.h"
#include "CYolWMUI_AccountSettingsDlg.h"
#include "CYolWMUI_AlertsDlg.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlListView.h"
#include "TestSupport.h"
#include "WindowSystem/WindowFocus.h"

using namespace dialogs_test;
using UI::CYolWMUI_BigDlg;

namespace {

constexpr UINT kAnswer = WM_USER + 79;

class AccountSettingsDialog : public DialogTest {
protected:
    // The owner answers the dialog from inside its loop: types into the
    // plug-in's page and presses the key.
    void AnswerWith(const char16_t* typed, CYolWMUI_BigDlg::TSoftKey key)
    {
        rec.handler = [this, typed, key](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (msg != kAnswer)
                return std::nullopt;
            const HWND dialog = GetActiveWindow();
            if (typed) {
                const HWND edit = FindEdit(dialog);
                EXPECT_NE(edit, nullptr);
                SetWindowTextString(edit, CYolString(typed));
                SaveGallery(dialog, "account_settings");
            }
            SoftKey(dialog, key);
            return 0;
        };
        PostMessage(parent, kAnswer, 0, 0);
    }
    static HWND FindEdit(HWND dialog)
    {
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (HWND edit = GetDlgItem(child, 1056))
                return edit;
        return nullptr;
    }

    RecordingPrefsHost host;
};

TEST_F(AccountSettingsDialog, OkSavesThePluginsPageAndStoresTheAccountList)
{
    host.manager.givesPage = true;
    AnswerWith(u"carol@example.org", CYolWMUI_BigDlg::ELeft);
    EXPECT_TRUE(UI::CYolWMUI_AccountSettingsDlg::Run(5, parent, host));
    EXPECT_EQ(host.manager.pageLogin, "carol@example.org");
    EXPECT_EQ(host.accepted, std::vector<unsigned int>{5});
}

TEST_F(AccountSettingsDialog, CancelKeepsThePageAndStoresNothing)
{
    host.manager.givesPage = true;
    AnswerWith(u"carol@example.org", CYolWMUI_BigDlg::ERight);
    EXPECT_FALSE(UI::CYolWMUI_AccountSettingsDlg::Run(5, parent, host));
    EXPECT_EQ(host.manager.pageLogin, "typed@example.org");
    EXPECT_TRUE(host.accepted.empty());
}

TEST_F(AccountSettingsDialog, APluginWithoutPagesStillHasTheAccountListStored)
{
    EXPECT_TRUE(UI::CYolWMUI_AccountSettingsDlg::Run(5, parent, host));
    EXPECT_EQ(host.accepted, std::vector<unsigned int>{5});
}

class AlertsDialog : public DialogTest, public TempFolder {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        CYolPath::SetAppDir(W(Root()));
        Alert::SetDefaultAlertSettings(settings);
        settings[0].vibra = 0x9;
    }
    void TearDown() override
    {
        CYolPath::SetAppDir(CYolString());
        DialogTest::TearDown();
    }
    static HWND List(HWND dialog) { return GetDlgItem(dialog, UI::CYolWMUI_AlertsDlg::kListId); }

    CYolArray<Alert::TYolWMAlertSettings> settings;
    RecordingPrefsHost host;
};

TEST_F(AlertsDialog, ListsTheSevenEventsAndPlaysTheOneSelected)
{
    Scripted<UI::CYolWMUI_AlertsDlg> dialog(settings, W("missing pack"), host);
    dialog.script = [&](auto& d) {
        ASSERT_EQ(ListView_GetItemCount(List(d)), 7);
        char16_t text[64] = {};
        ListView_GetItemText(List(d), 0, 0, text, 64);
        EXPECT_EQ(CYolString(text).ToUtf8(), "Incoming message");
        ListView_GetItemText(List(d), 6, 0, text, 64);
        EXPECT_EQ(CYolString(text).ToUtf8(), "File transfer complete");
        EXPECT_EQ(GetFocus(), List(d));
        EXPECT_EQ(SoftKeyText(d, CYolWMUI_BigDlg::ERight), "Menu");
        SaveGallery(d, "alerts");
        host.previews.clear();
        Key(VK_DOWN);
        Key(VK_UP);
        SoftKey(d, CYolWMUI_BigDlg::ELeft);
    };
    EXPECT_EQ(dialog.DoModal(parent), 1);
    ASSERT_EQ(host.previews.size(), 2u);
    EXPECT_EQ(host.previews[1], 0x9u);
}

TEST_F(AlertsDialog, DefaultReloadsTheDialogsCopyAndCancelDropsIt)
{
    for (const auto command : {UI::CYolWMUI_AlertsDlg::ECancel, UI::CYolWMUI_AlertsDlg::EChange}) {
        Scripted<UI::CYolWMUI_AlertsDlg> dialog(settings, W("missing pack"), host);
        dialog.script = [&](auto& d) {
            d.OnMenuCommand(UI::CYolWMUI_AlertsDlg::EDefault);
            EXPECT_EQ(d.Settings()[0].vibra, 0xFu);
            if (command == UI::CYolWMUI_AlertsDlg::ECancel)
                d.OnMenuCommand(command);
            else
                SoftKey(d, CYolWMUI_BigDlg::ELeft);
        };
        const bool ok = command != UI::CYolWMUI_AlertsDlg::ECancel;
        EXPECT_EQ(dialog.DoModal(parent), ok ? 1 : 2);
        // The caller's own array is never touched by the dialog.
        EXPECT_EQ(settings[0].vibra, 0x9u);
        CYolArray<Alert::TYolWMAlertSettings> defaults;
        Alert::SetDefaultAlertSettings(defaults);
        EXPECT_EQ(dialog.Settings()[0].vibra, defaults[0].vibra);
    }
}

TEST_F(AlertsDialog, AlertSettingsReadTheVibrationCodeAndFollowTheirSwitches)
{
    struct Case {
        const char16_t* typed;
        unsigned int vibra;
        const char* shownAgain;
    };
    const Case cases[] = {{u"1010", 0x5, "101"}, {u"0000", 0, "0"}, {u"1101", 0xB, "1101"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(CYolString(c.typed).ToUtf8());
        Alert::TYolWMAlertSettings record;
        record.on = true;
        record.soundOn = true;
        record.sound = W("/sounds/in.wav");
        record.vibra = 0x3;
        host.chosenFile = "/sounds/other.wav";
        Scripted<UI::CYolWMUI_AlertsDlg::CAlertSetsDlg> dialog(record, host);
        dialog.script = [&](auto& d) {
            EXPECT_EQ(Text(d, 1185), "11");
            EXPECT_EQ(Text(d, 1182), "/sounds/in.wav");
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, 1182)));
            SendMessage(d, WM_COMMAND, MAKEWPARAM(1019, BN_CLICKED), 0);
            EXPECT_EQ(Text(d, 1182), "/sounds/other.wav");
            SendMessage(GetDlgItem(d, 1180), BM_SETCHECK, BST_UNCHECKED, 0);
            SendMessage(d, WM_COMMAND, MAKEWPARAM(1180, BN_CLICKED), 0);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 1182)));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 1019)));
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, 1185)));
            SendMessage(GetDlgItem(d, 1178), BM_SETCHECK, BST_UNCHECKED, 0);
            SendMessage(d, WM_COMMAND, MAKEWPARAM(1178, BN_CLICKED), 0);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 1185)));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 1180)));
            if (c.vibra == 0x5)
                SaveGallery(d, "alert_settings");
            UI::SetDlgItemString(d, 1185, CYolString(c.typed));
            SoftKey(d, CYolWMUI_BigDlg::ELeft);
        };
        EXPECT_EQ(dialog.DoModal(parent), 1);
        EXPECT_FALSE(record.on);
        EXPECT_FALSE(record.soundOn);
        EXPECT_EQ(record.sound.ToUtf8(), "/sounds/other.wav");
        EXPECT_EQ(record.vibra, c.vibra);
        EXPECT_EQ(Alert::FlagsToString(record.vibra).ToUtf8(), c.shownAgain);
    }
}

} // namespace
