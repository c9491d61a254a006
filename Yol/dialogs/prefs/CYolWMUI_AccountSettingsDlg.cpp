#include "CYolWMUI_AccountSettingsDlg.h"

#include "CProtocolsManager.h"
#include "YolWMUI_Dialogs.h"

namespace UI {

CYolWMUI_AccountSettingsDlg::CYolWMUI_AccountSettingsDlg(unsigned int account, MYolWMUI_PrefsHost& host)
    : m_account(account), m_host(host)
{
}

bool CYolWMUI_AccountSettingsDlg::Run(unsigned int account, HWND parent, MYolWMUI_PrefsHost& host)
{
    CYolWMUI_AccountSettingsDlg dialog(account, host);
    const std::intptr_t result = dialog.CYolWMUI_SettingsControllerDlg::Run(parent);
    const bool accepted = result == 1 || (result == 2 && dialog.PaneCount() == 0);
    if (accepted)
        host.AccountSettingsAccepted(account);
    return accepted;
}

void CYolWMUI_AccountSettingsDlg::GetPans(YolTabDlg::CDlgInfo& info)
{
    if (Protocols::CProtocolsManager* manager = m_host.ProtocolsManager())
        manager->CreateSettingsPanes(m_account, &info);
    m_paneCount = info.Count();
}

HBRUSH CYolWMUI_AccountSettingsDlg::GetBkBrush()
{
    HBRUSH brush = GetDialogBkBrush();
    return brush ? brush : CYolWMUI_SettingsControllerDlg::GetBkBrush();
}

} // namespace UI
