#pragma once
// The details dialogs: a contact's details (viewing) and the user's own
// details of one account (editing). Their pages come entirely from the
// account's plug-in through the protocols manager; the dialog gives the
// frame, the soft keys ("Update" runs every page's save, which asks the
// server again or stores edited details; "Close") and the refresh when the
// plug-in reports fresh details. At most one of each kind is open; details
// that arrive for another contact or account, or after the dialog closed,
// change nothing.
//
// UI thread only.

#include "CYolWMUI_SettingsControllerDlg.h"

#include <cstdint>

namespace Services {
class CServicesManager;
}

namespace UI {

class CYolWMUI_DetailsDlg : public CYolWMUI_SettingsControllerDlg {
public:
    explicit CYolWMUI_DetailsDlg(Services::CServicesManager* services) : m_services(services) {}

    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override;
    void OnSoftKey(TSoftKey key) override;
    TCommandButton GetCommandButton() override { return EDoneButton; }

    // Every page reads its data again.
    void Reload() { DoDataExchange(0); }

protected:
    Services::CServicesManager* m_services;
};

class CYolWMUI_ContactDetailsDlg : public CYolWMUI_DetailsDlg {
public:
    CYolWMUI_ContactDetailsDlg(Services::CServicesManager* services, unsigned int contact)
        : CYolWMUI_DetailsDlg(services), m_contact(contact) {}

    // Modal over `parent`; 1 done, 2 closed, -1 when one is open already or
    // it could not be made.
    static std::intptr_t Run(HWND parent, Services::CServicesManager* services, unsigned int contact);
    // Runs a dialog made by the caller as the open one.
    static std::intptr_t Run(HWND parent, CYolWMUI_ContactDetailsDlg& dialog);
    // Fresh details of `contact` arrived.
    static void Refresh(unsigned int contact);
    // The open dialog, null when none.
    static CYolWMUI_ContactDetailsDlg* Open();

    unsigned int Contact() const { return m_contact; }
    void GetPans(YolTabDlg::CDlgInfo& info) override;

private:
    unsigned int m_contact;
};

class CYolWMUI_UserDetailsDlg : public CYolWMUI_DetailsDlg {
public:
    CYolWMUI_UserDetailsDlg(Services::CServicesManager* services, unsigned int account)
        : CYolWMUI_DetailsDlg(services), m_account(account) {}

    static std::intptr_t Run(HWND parent, Services::CServicesManager* services, unsigned int account);
    static std::intptr_t Run(HWND parent, CYolWMUI_UserDetailsDlg& dialog);
    static void Refresh(unsigned int account);
    static CYolWMUI_UserDetailsDlg* Open();

    unsigned int Account() const { return m_account; }
    void GetPans(YolTabDlg::CDlgInfo& info) override;

private:
    unsigned int m_account;
};

} // namespace UI
