#include "CYolWMUI_FindUserDlg.h"

#include "CProtocolsManager.h"
#include "CServicesManager.h"
#include "CContactList.h"
#include "CYolWMUI_FindUserResultPan.h"
#include "Controls/ControlListView.h"
#include "DialogStrings.h"
#include "WindowSystem/Dialog.h"
#include "YolGuids.h"
#include "YolWMUI_ListDialogTemplates.h"

#include <new>

namespace UI {

namespace {

enum : int {
    kSearchString = 246,
    kStopString = 247,
    kMaleString = 253,
    kFemaleString = 254,
    kChooseTabString = 257,
    kCloseString = 281,
};

CYolWMUI_FindUserDlg* g_findUser = nullptr;

} // namespace

CYolWMUI_FindUserDlg::CYolWMUI_FindUserDlg(Services::CServicesManager* services, MYolWMUI_FindUserHost& host,
                                           unsigned int account)
    : m_services(services), m_host(host), m_account(account)
{
    m_results.SetGrowStep(10);
}

CYolWMUI_FindUserDlg::~CYolWMUI_FindUserDlg() { DetachAndRemoveTabs(); }

std::intptr_t CYolWMUI_FindUserDlg::Run(HWND parent, Services::CServicesManager* services,
                                        MYolWMUI_FindUserHost& host, unsigned int account)
{
    CYolWMUI_FindUserDlg dialog(services, host, account);
    return Run(parent, dialog);
}

std::intptr_t CYolWMUI_FindUserDlg::Run(HWND parent, CYolWMUI_FindUserDlg& dialog)
{
    if (g_findUser != nullptr)
        return -1;
    g_findUser = &dialog;
    const std::intptr_t result = dialog.CYolWMUI_SettingsControllerDlg::Run(parent);
    g_findUser = nullptr;
    return result;
}

CYolWMUI_FindUserDlg* CYolWMUI_FindUserDlg::Open() { return g_findUser; }

void CYolWMUI_FindUserDlg::OnSearchResult(const Protocols::UserInfo* result)
{
    CYolWMUI_FindUserDlg* dialog = g_findUser;
    if (dialog == nullptr || !dialog->IsBusy() || dialog->Handle() == nullptr)
        return;
    if (result == nullptr || result->contactId == 0)
        dialog->EndSearch();
    else
        dialog->AddResult(*result);
}

CYolString CYolWMUI_FindUserDlg::GenderAgeText(unsigned int gender, unsigned int age)
{
    CYolString text;
    if (gender == 1)
        text = DialogString(kFemaleString);
    else if (gender == 2)
        text = DialogString(kMaleString);
    if (age >= 1 && age <= 999) {
        if (!text.IsEmpty())
            text += u" - ";
        text += CYolString(age, false, 0);
    }
    return text;
}

Protocols::CProtocolsManager* CYolWMUI_FindUserDlg::Manager() const
{
    return m_services != nullptr
               ? static_cast<Protocols::CProtocolsManager*>(m_services->GetService(ProtocolsManagerGuid))
               : nullptr;
}

CL::CContactList* CYolWMUI_FindUserDlg::ContactList() const
{
    return m_services != nullptr ? static_cast<CL::CContactList*>(m_services->GetService(ContactListGuid))
                                 : nullptr;
}

void CYolWMUI_FindUserDlg::GetPans(YolTabDlg::CDlgInfo& info)
{
    Protocols::CProtocolsManager* manager = Manager();
    if (manager == nullptr)
        return;
    manager->CreateSearchPanes(m_account, &info);
    m_searchPages = info.Count();
    if (m_searchPages == 0)
        return;
    try {
        m_resultPan = new CResultPan(*this);
    } catch (const std::bad_alloc&) {
        return;
    }
    info.Add(m_resultPan);
}

int CYolWMUI_FindUserDlg::GetSoftKeyCap(TSoftKey key, CYolString& caption)
{
    caption = DialogString(key == ERight ? kCloseString : (IsBusy() ? kStopString : kSearchString));
    return 1;
}

void CYolWMUI_FindUserDlg::OnSoftKey(TSoftKey key)
{
    if (key == ELeft)
        SearchStep();
    else
        ::EndDialog(Handle(), 2);
}

void CYolWMUI_FindUserDlg::OnCommandButton() { ::EndDialog(Handle(), 2); }

void CYolWMUI_FindUserDlg::SearchStep()
{
    int idle = 0;
    if (!m_busy.compare_exchange_strong(idle, 1)) {
        // A second press stops the search here; the plug-in's later results
        // find the dialog idle and are dropped.
        m_busy = 0;
        SetSoftKeys();
        return;
    }
    const int shown = TabCount() > 0 ? GetCurTabId() : -1;
    const bool onSearchPage = shown >= 0 && shown < m_searchPages;
    if (!onSearchPage && m_lastPage < 0) {
        m_host.ShowWarning(DialogString(kChooseTabString));
        m_busy = 0;
        return;
    }
    if (onSearchPage)
        m_lastPage = shown;
    // A page that refuses its criteria keeps the dialog idle on that page.
    if (DoDataExchange(1) == 0) {
        m_busy = 0;
        return;
    }
    SetSoftKeys();
    if (Protocols::CProtocolsManager* manager = Manager())
        manager->StartSearch(m_account, m_lastPage);
    ClearResults();
    if (HasTab(ResultTabId()))
        SelectTab(ResultTabId());
}

void CYolWMUI_FindUserDlg::EndSearch()
{
    m_busy = 0;
    SetSoftKeys();
}

void CYolWMUI_FindUserDlg::ClearResults()
{
    m_results.Clear();
    if (HWND list = ResultList())
        ListView_DeleteAllItems(list);
}

void CYolWMUI_FindUserDlg::AddResult(const Protocols::UserInfo& user)
{
    SearchedString row;
    row.contactId = user.contactId;
    row.icons = user.imageIds;
    const CYolString* texts[] = {&user.login, &user.nick, &user.firstName, &user.lastName, &user.email};
    for (int i = 0; i < 5; ++i)
        row.texts[i] = *texts[i];
    row.texts[5] = GenderAgeText(user.gender, user.age);
    const int index = m_results.Add(row);
    ShowRow(index);
}

HWND CYolWMUI_FindUserDlg::ResultList() const
{
    return m_resultPan != nullptr && m_resultPan->Handle() != nullptr ? m_resultPan->GetDlgItem(kResultListId)
                                                                       : nullptr;
}

void CYolWMUI_FindUserDlg::ShowRow(int index)
{
    HWND list = ResultList();
    if (list == nullptr)
        return;
    LVITEM item;
    item.mask = LVIF_PARAM | LVIF_TEXT;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = const_cast<char16_t*>(m_results[index].texts[0].c_str());
    item.lParam = index;
    const int at = ListView_InsertItem(list, &item);
    if (at == 0) {
        LVITEM state;
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessage(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    }
}

} // namespace UI
