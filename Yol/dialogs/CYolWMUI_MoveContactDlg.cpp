#include "CYolWMUI_MoveContactDlg.h"

#include "CContactList.h"
#include "Controls/ControlTreeView.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowGeometry.h"
#include "YolWMUI_ListDialogTemplates.h"

namespace UI {

namespace {

constexpr int kNewMetaContactString = 263;

HTREEITEM InsertItem(HWND tree, HTREEITEM parent, const CYolString& text, LPARAM value)
{
    TVINSERTSTRUCT insert;
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<char16_t*>(text.c_str());
    insert.item.lParam = value;
    return reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&insert)));
}

} // namespace

std::intptr_t CYolWMUI_MoveContactDlg::DoModal(HWND parent)
{
    EnsureYolListDialogTemplates();
    return CYolWMUI_Dlg::DoModal(kMoveContactDlgTemplate, GetYolDialogsInstance(), parent);
}

bool CYolWMUI_MoveContactDlg::Run(HWND parent, CL::CContactList* list, unsigned int current, unsigned int& chosen)
{
    if (list == nullptr)
        return false;
    CYolWMUI_MoveContactDlg dialog(list, current);
    if (dialog.DoModal(parent) != 1)
        return false;
    chosen = dialog.Chosen();
    return true;
}

void CYolWMUI_MoveContactDlg::OnInitDialog()
{
    CYolWMUI_OkCancelDlg::OnInitDialog();
    Fill();
    OnScreenSizeChanged();
    SetFocus(GetDlgItem(kMetaTreeId));
}

CYolString CYolWMUI_MoveContactDlg::Alias(unsigned int id) const
{
    CYolString alias;
    m_list->GetItemString(id, CYolString(u"CL Alias"), alias);
    return alias;
}

void CYolWMUI_MoveContactDlg::Fill()
{
    HWND tree = GetDlgItem(kMetaTreeId);
    if (tree == nullptr || m_list == nullptr)
        return;
    CYolArray<unsigned int> companions;
    m_list->GetMetaSubContacts(m_current, companions);
    if (companions.Count() >= 2)
        InsertItem(tree, TVI_ROOT, DialogString(kNewMetaContactString), kNewMetaValue);
    CYolArray<CL::CLItemInfo> items;
    m_list->GetMetaItems(items);
    HTREEITEM lastTop = nullptr;
    for (int i = 0; i < items.Count(); ++i) {
        const CL::CLItemInfo& entry = items[i];
        if (entry.parentId == 0 || (entry.itemId != 0 && entry.itemId == m_current))
            continue;
        if (entry.itemId == 0) {
            lastTop = InsertItem(tree, TVI_ROOT, Alias(entry.parentId), kMetaGroupValue);
            continue;
        }
        // A metacontact before any group has no branch to go under.
        if (lastTop != nullptr)
            InsertItem(tree, lastTop, Alias(entry.itemId), static_cast<LPARAM>(entry.itemId));
    }
}

int CYolWMUI_MoveContactDlg::DoDataExchange(int save)
{
    if (save == 0)
        return 1;
    HWND tree = GetDlgItem(kMetaTreeId);
    TVITEM item;
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (item.hItem == nullptr || SendMessage(tree, TVM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)) == 0
        || item.lParam == kMetaGroupValue) {
        SetFocus(tree);
        return 0;
    }
    m_chosen = item.lParam == kNewMetaValue ? 0 : static_cast<unsigned int>(item.lParam);
    return 1;
}

void CYolWMUI_MoveContactDlg::OnScreenSizeChanged()
{
    CYolWMUI_OkCancelDlg::OnScreenSizeChanged();
    RECT client;
    GetClientRect(m_hWnd, &client);
    if (HWND tree = GetDlgItem(kMetaTreeId))
        MoveWindow(tree, 0, 0, client.right - client.left, client.bottom - client.top, true);
}

} // namespace UI
