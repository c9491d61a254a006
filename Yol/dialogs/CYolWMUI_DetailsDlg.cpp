#include "CYolWMUI_DetailsDlg.h"

#include "CContactList.h"
#include "CProtocolsManager.h"
#include "CServicesManager.h"
#include "DialogStrings.h"
#include "WindowSystem/Dialog.h"
#include "YolGuids.h"

namespace UI {

namespace {

constexpr int kUpdateString = 280;
constexpr int kCloseString = 281;

CYolWMUI_ContactDetailsDlg* g_contactDetails = nullptr;
CYolWMUI_UserDetailsDlg* g_userDetails = nullptr;

Protocols::CProtocolsManager* ProtocolsManager(Services::CServicesManager* services)
{
    return services != nullptr
               ? static_cast<Protocols::CProtocolsManager*>(services->GetService(ProtocolsManagerGuid))
               : nullptr;
}

// Runs the dialog as the one open of its kind.
template <typename Dialog>
std::intptr_t RunSingle(Dialog*& open, Dialog& dialog, HWND parent)
{
    if (open != nullptr)
        return -1;
    open = &dialog;
    const std::intptr_t result = dialog.CYolWMUI_SettingsControllerDlg::Run(parent);
    open = nullptr;
    return result;
}

} // namespace

int CYolWMUI_DetailsDlg::GetSoftKeyCap(TSoftKey key, CYolString& caption)
{
    caption = DialogString(key == ELeft ? kUpdateString : kCloseString);
    return 1;
}

void CYolWMUI_DetailsDlg::OnSoftKey(TSoftKey key)
{
    if (key == ELeft)
        DoDataExchange(1);
    else
        ::EndDialog(Handle(), 2);
}

std::intptr_t CYolWMUI_ContactDetailsDlg::Run(HWND parent, Services::CServicesManager* services,
                                              unsigned int contact)
{
    CYolWMUI_ContactDetailsDlg dialog(services, contact);
    return Run(parent, dialog);
}

std::intptr_t CYolWMUI_ContactDetailsDlg::Run(HWND parent, CYolWMUI_ContactDetailsDlg& dialog)
{
    return RunSingle(g_contactDetails, dialog, parent);
}

void CYolWMUI_ContactDetailsDlg::Refresh(unsigned int contact)
{
    if (g_contactDetails != nullptr && g_contactDetails->m_contact == contact && g_contactDetails->Handle())
        g_contactDetails->Reload();
}

CYolWMUI_ContactDetailsDlg* CYolWMUI_ContactDetailsDlg::Open() { return g_contactDetails; }

void CYolWMUI_ContactDetailsDlg::GetPans(YolTabDlg::CDlgInfo& info)
{
    auto* list = m_services != nullptr ? static_cast<CL::CContactList*>(m_services->GetService(ContactListGuid))
                                       : nullptr;
    Protocols::CProtocolsManager* manager = ProtocolsManager(m_services);
    if (list == nullptr || manager == nullptr)
        return;
    const unsigned int account = list->GetItemAccount(m_contact);
    if (account != 0)
        manager->CreateContactDetailsPanes(account, m_contact, &info);
}

std::intptr_t CYolWMUI_UserDetailsDlg::Run(HWND parent, Services::CServicesManager* services, unsigned int account)
{
    CYolWMUI_UserDetailsDlg dialog(services, account);
    return Run(parent, dialog);
}

std::intptr_t CYolWMUI_UserDetailsDlg::Run(HWND parent, CYolWMUI_UserDetailsDlg& dialog)
{
    return RunSingle(g_userDetails, dialog, parent);
}

void CYolWMUI_UserDetailsDlg::Refresh(unsigned int account)
{
    if (g_userDetails != nullptr && g_userDetails->m_account == account && g_userDetails->Handle())
        g_userDetails->Reload();
}

CYolWMUI_UserDetailsDlg* CYolWMUI_UserDetailsDlg::Open() { return g_userDetails; }

void CYolWMUI_UserDetailsDlg::GetPans(YolTabDlg::CDlgInfo& info)
{
    if (Protocols::CProtocolsManager* manager = ProtocolsManager(m_services))
        manager->CreateOwnDetailsPanes(m_account, &info);
}

} // namespace UI
