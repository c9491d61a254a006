#pragma once
// The XMPP account's pages inside the program's tabbed dialogs, headless:
// the harness account online or not, a settings dialog whose pages the
// account makes (as the account-settings dialog asks for them), and the
// helpers of the dialog suites.

#include "DialogsTestSupport.h"
#include "XmppSessionSupport.h"

#include "CYolWMUI_SettingsControllerDlg.h"
#include "CYolWMUI_TabPan.h"
#include "Controls/ControlButton.h"
#include "WindowSystem/WindowFocus.h"

#include <functional>
#include <string>

namespace XmppPanesTest {

using XmppTest::U;

// The account's settings pages in the program's settings dialog.
class SettingsDialog : public UI::CYolWMUI_SettingsControllerDlg {
public:
    SettingsDialog(XmppTest::XmppAccountHarness& h) : h(h) {}
    void GetPans(YolTabDlg::CDlgInfo& info) override {
        h.manager.CreateSettingsPanes(XmppTest::XmppAccountHarness::kAccountId, &info);
    }

private:
    XmppTest::XmppAccountHarness& h;
};

// The window of the dialog's page at `index`.
inline HWND Page(UI::CYolWMUI_TabDlg& d, int index) { return d.GetTab(d.TabIdAt(index))->pan->Handle(); }
inline std::string Caption(UI::CYolWMUI_TabDlg& d, int index) { return d.GetTab(d.TabIdAt(index))->caption.ToUtf8(); }
inline std::string Text(HWND page, int id) { return UI::GetDlgItemString(page, id).ToUtf8(); }
inline bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
inline bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)); }
inline void Click(HWND page, int id) {
    SendMessage(GetDlgItem(page, id), BM_CLICK, 0, 0);
    Platform::PumpMessages();
}
inline void SetText(HWND page, int id, const std::string& text) {
    SetDlgItemText(page, id, U(text).c_str());
    Platform::PumpMessages();
}

// The tests of pages: a session (XmppTest::XmppSession) with the windows of
// the dialog suites.
class PanesTest : public XmppTest::XmppSession {
protected:
    void SetUp() override {
        windows.Start();
        XmppTest::XmppSession::SetUp();
    }
    void TearDown() override {
        XmppTest::XmppSession::TearDown();
        windows.Stop();
    }

    std::string Value(const char* key) {
        CYolString value;
        h.manager.GetAccountString(kAccount, U(key), value, false);
        return value.ToUtf8();
    }
    unsigned int Number(const char* key) {
        unsigned int value = 0;
        h.manager.GetAccountDword(kAccount, U(key), value);
        return value;
    }
    unsigned int Byte(const char* key) {
        unsigned char value = 0;
        h.manager.GetAccountByte(kAccount, U(key), value);
        return value;
    }

    dialogs_test::DialogWindows windows;
};

}  // namespace XmppPanesTest
