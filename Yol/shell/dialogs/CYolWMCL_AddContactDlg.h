#pragma once
// Asks for a new contact's login, display name and group before the contact
// is added at its account, and the two ways the contact list opens it: a new
// contact for an account, or a contact known from elsewhere (its login then
// fixed).

#include "CYolArray.h"
#include "CYolString.h"
#include "TYolWMUI_OkCancelKeys.h"

namespace CL {
class CContactList;
}
namespace Protocols {
class CProtocolsManager;
}

namespace CL_UI {

// What the add-contact commands need of the program.
class MYolWMCL_AddContactHost {
public:
    virtual CL::CContactList* Model() = 0;
    virtual Protocols::CProtocolsManager* Manager() = 0;
    // The application's notification of the information kind.
    virtual void ShowInformation(const CYolString& text) = 0;

protected:
    ~MYolWMCL_AddContactHost() = default;
};

class CYolWMCL_AddContactDlg : public UI::TYolWMUI_OkCancelKeys<UI::CYolWMUI_BigDlg> {
public:
    // `model` gives the groups' names; `groupIds` is taken over.
    CYolWMCL_AddContactDlg(CL::CContactList& model, unsigned int account, unsigned int selectedGroup,
                           CYolArray<unsigned int> groupIds, const CYolString& login,
                           const CYolString& displayName);

    // Modal over `owner`; 1 OK, 2 cancelled.
    std::intptr_t Run(HWND owner);

    // A new contact of `account`, with `group` chosen at first.
    static void AddContact(MYolWMCL_AddContactHost& host, HWND owner, unsigned int account, unsigned int group);
    // A contact known by its id (a stranger who wrote, a search result).
    static void AddContactFrom(MYolWMCL_AddContactHost& host, HWND owner, unsigned int account,
                               unsigned int contact);

    unsigned int Account() const { return m_account; }
    unsigned int SelectedGroup() const { return m_selectedGroup; }
    const CYolString& Login() const { return m_login; }
    const CYolString& DisplayName() const { return m_displayName; }

    void OnInitDialog() override;
    int DoDataExchange(int save) override;

private:
    static void Open(MYolWMCL_AddContactHost& host, HWND owner, unsigned int account, unsigned int group,
                     const CYolString& login, const CYolString& displayName);

    CL::CContactList& m_model;
    unsigned int m_account;
    unsigned int m_selectedGroup;
    CYolArray<unsigned int> m_groupIds;
    CYolString m_login;
    CYolString m_displayName;
};

} // namespace CL_UI
