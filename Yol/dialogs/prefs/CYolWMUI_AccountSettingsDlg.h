#pragma once
// The account-settings dialog: the pages the account's plug-in gives, on
// the common tab dialog. After "OK" the account re-reads its settings and
// the account list is stored. A plug-in that gives no page leaves nothing
// to edit: that counts as accepted, so the account list is still stored.
//
// UI thread only.

#include "CYolWMUI_SettingsControllerDlg.h"
#include "MYolWMUI_PrefsHost.h"

namespace UI {

class CYolWMUI_AccountSettingsDlg : public CYolWMUI_SettingsControllerDlg {
public:
    CYolWMUI_AccountSettingsDlg(unsigned int account, MYolWMUI_PrefsHost& host);

    // Runs the dialog modally; true when the settings were accepted.
    static bool Run(unsigned int account, HWND parent, MYolWMUI_PrefsHost& host);

    void GetPans(YolTabDlg::CDlgInfo& info) override;
    HBRUSH GetBkBrush() override;
    int PaneCount() const { return m_paneCount; }

private:
    unsigned int m_account;
    MYolWMUI_PrefsHost& m_host;
    int m_paneCount = 0;
};

} // namespace UI
