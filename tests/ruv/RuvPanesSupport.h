#pragma once
// The OSCAR account's settings, details and search pages inside the
// program's dialogs, headless: a live account offline (its pages post to its
// own queue), the windows of the dialog suites, the code lists we ship held
// for the whole of a details or search test, and helpers over the pages'
// controls.

#include "DialogsTestSupport.h"
#include "LiveRuvAccount.h"

#include "CYolWMUI_SettingsControllerDlg.h"
#include "CYolWMUI_TabDlg.h"
#include "CYolWMUI_TabPan.h"
#include "Controls/ControlCombo.h"
#include "RuvDictionaries.h"
#include "RuvPaneTemplates.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace RuvPanesTest {

// The control of a details row.
constexpr int F(int row) { return kRuvDetailsField + row; }

using RuvPeers::LiveRuvAccount;
using XmppTest::U;

inline HWND Page(UI::CYolWMUI_TabDlg& d, int index) { return d.GetTab(d.TabIdAt(index))->pan->Handle(); }
inline std::string Caption(UI::CYolWMUI_TabDlg& d, int index) {
    return d.GetTab(d.TabIdAt(index))->caption.ToUtf8();
}
inline std::string Text(HWND page, int id) { return UI::GetDlgItemString(page, id).ToUtf8(); }
inline void SetText(HWND page, int id, const std::string& text) {
    SetDlgItemText(page, id, U(text).c_str());
    Platform::PumpMessages();
}
inline LRESULT Count(HWND page, int id) { return SendMessage(GetDlgItem(page, id), CB_GETCOUNT, 0, 0); }
// Selects the list entry of exactly that text ("": the empty first entry).
inline void Select(HWND page, int id, const std::string& text) {
    HWND combo = GetDlgItem(page, id);
    const LRESULT at = text.empty() ? 0
                                    : SendMessage(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(U(text).c_str()));
    ASSERT_GE(at, 0) << text;
    SendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
}

// The account's settings pages in the program's account-settings dialog.
class SettingsDialog : public UI::CYolWMUI_SettingsControllerDlg {
public:
    explicit SettingsDialog(LiveRuvAccount& a) : a(a) {}
    void GetPans(YolTabDlg::CDlgInfo& info) override { a.manager.CreateSettingsPanes(LiveRuvAccount::kAccountId, &info); }

private:
    LiveRuvAccount& a;
};

// A live account offline whose pages the dialogs show.
class AccountPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        windows.Start();
        a.manager.pagesServices = &a.services;
        a.manager.pagesClient = a.account->GetClientId();
        a.Setup("123456", "secret", 5190);
        a.manager.TakeEvents();
    }
    void TearDown() override { windows.Stop(); }

    // The account's events of that number, once its queue (and the
    // manager's) carried out what the pages posted.
    std::vector<XmppTest::AccountEventRecord> Events(int event) {
        a.DrainList();
        std::vector<XmppTest::AccountEventRecord> out;
        for (auto& e : a.manager.TakeEvents())
            if (e.event == event)
                out.push_back(e);
        return out;
    }

    // The windows are made after the account, and go after it: the
    // account's threads read the windows' clock until the account is gone.
    std::unique_ptr<dialogs_test::DialogWindows> windowsHolder;
    LiveRuvAccount a;
    dialogs_test::DialogWindows& windows = *(windowsHolder = std::make_unique<dialogs_test::DialogWindows>());
};

// The details and search pages, with the code lists loaded.
class PanesTest : public AccountPagesTest {
protected:
    void SetUp() override {
        // The account's own loading then finds the lists filled.
        CRuvDictionaries::LoadFrom(CYolString::FromUtf8(YOL_ASSETS_DIR "/Ruv/"));
        AccountPagesTest::SetUp();
    }
    void TearDown() override {
        AccountPagesTest::TearDown();
        CRuvDictionaries::Clear();
    }
};

}  // namespace RuvPanesTest
