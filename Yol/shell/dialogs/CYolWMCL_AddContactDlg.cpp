#include "CYolWMCL_AddContactDlg.h"

#include "CContactList.h"
#include "CProtocolsManager.h"
#include "Controls/ControlCombo.h"
#include "DialogResources.h"
#include "DialogStrings.h"
#include "UiHelpers.h"
#include "ValueNames.h"
#include "WindowSystem/WindowFocus.h"

#include <utility>

namespace CL_UI {

namespace {

constexpr int kAccountString = 28;
constexpr int kContactNameString = 54;
constexpr int kGroupString = 33;
constexpr int kNoGroupString = 55;

struct TLabel {
    int control;
    int string;
};
constexpr TLabel kLabels[] = {
    {UI::kLoginLabelId, kAccountString},
    {UI::kDisplayLabelId, kContactNameString},
    {UI::kGroupLabelId, kGroupString},
};

} // namespace

CYolWMCL_AddContactDlg::CYolWMCL_AddContactDlg(CL::CContactList& model, unsigned int account,
                                               unsigned int selectedGroup, CYolArray<unsigned int> groupIds,
                                               const CYolString& login, const CYolString& displayName)
    : m_model(model), m_account(account), m_selectedGroup(selectedGroup), m_groupIds(std::move(groupIds)),
      m_login(login), m_displayName(displayName)
{
}

std::intptr_t CYolWMCL_AddContactDlg::Run(HWND owner)
{
    return DoModal(UI::kAddContactDialogId, UI::GetProgramInstance(), owner);
}

void CYolWMCL_AddContactDlg::OnInitDialog()
{
    TYolWMUI_OkCancelKeys::OnInitDialog();
    for (const TLabel& label : kLabels)
        UI::SetWindowString(GetDlgItem(label.control), label.string);
    const HWND loginEdit = GetDlgItem(UI::kLoginEditId);
    if (!m_login.IsEmpty())
        EnableWindow(loginEdit, false);
    const HWND combo = GetDlgItem(UI::kGroupComboId);
    SendMessage(combo, CB_RESETCONTENT, 0, 0);
    int selected = 0;
    for (int i = 0; i < m_groupIds.Count(); ++i) {
        CYolString name;
        m_model.GetItemString(m_groupIds[i], CYolString(ValueName::Alias), name);
        SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        if (m_groupIds[i] == m_selectedGroup)
            selected = i;
    }
    SendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    SetFocus(m_login.IsEmpty() ? loginEdit : GetDlgItem(UI::kDisplayEditId));
}

int CYolWMCL_AddContactDlg::DoDataExchange(int save)
{
    const HWND loginEdit = GetDlgItem(UI::kLoginEditId);
    const HWND displayEdit = GetDlgItem(UI::kDisplayEditId);
    if (!save) {
        SetWindowTextString(loginEdit, m_login);
        SetWindowTextString(displayEdit, m_displayName);
        return 1;
    }
    CYolString login;
    CYolString display;
    GetWindowTextString(loginEdit, login);
    GetWindowTextString(displayEdit, display);
    const auto position = static_cast<int>(SendMessage(GetDlgItem(UI::kGroupComboId), CB_GETCURSEL, 0, 0));
    // Confirming without a login or a group would add nothing while looking
    // as if it had: the dialog stays open on the field to fill.
    if (UI::IsBlankText(login)) {
        SetFocus(loginEdit);
        return 0;
    }
    if (position < 0 || position >= m_groupIds.Count()) {
        SetFocus(GetDlgItem(UI::kGroupComboId));
        return 0;
    }
    m_login = login;
    m_displayName = UI::IsBlankText(display) ? login : display;
    m_selectedGroup = m_groupIds[position];
    return 1;
}

void CYolWMCL_AddContactDlg::AddContact(MYolWMCL_AddContactHost& host, HWND owner, unsigned int account,
                                        unsigned int group)
{
    Open(host, owner, account, group, CYolString(), CYolString());
}

void CYolWMCL_AddContactDlg::AddContactFrom(MYolWMCL_AddContactHost& host, HWND owner, unsigned int account,
                                            unsigned int contact)
{
    CL::CContactList* model = host.Model();
    if (!model)
        return;
    CYolString login;
    CYolString alias;
    model->GetItemString(contact, CYolString(ValueName::SrvLogName), login);
    model->GetItemString(contact, CYolString(ValueName::Alias), alias);
    Open(host, owner, account, 0, login, alias);
}

void CYolWMCL_AddContactDlg::Open(MYolWMCL_AddContactHost& host, HWND owner, unsigned int account,
                                  unsigned int group, const CYolString& login, const CYolString& displayName)
{
    CL::CContactList* model = host.Model();
    if (!model)
        return;
    CYolArray<unsigned int> groups;
    model->GetGroupIds(account, groups);
    if (groups.Count() == 0) {
        host.ShowInformation(UI::DialogString(kNoGroupString));
        return;
    }
    CYolWMCL_AddContactDlg dlg(*model, account, group, std::move(groups), login, displayName);
    if (dlg.Run(owner) != 1 || dlg.Login().IsEmpty())
        return;
    if (Protocols::CProtocolsManager* manager = host.Manager())
        manager->AddContact(account, dlg.SelectedGroup(), dlg.Login(), dlg.DisplayName());
}

} // namespace CL_UI
