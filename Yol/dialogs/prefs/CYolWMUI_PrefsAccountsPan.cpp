#include "CYolWMUI_PrefsAccountsPan.h"

#include "CProtocolsManager.h"
#include "CYolMenuInfo.h"
#include "CYolWMSkins_BkBrush.h"
#include "CYolWMUI_AccountSettingsDlg.h"
#include "CYolWMUI_Menu.h"
#include "DialogListView.h"
#include "Controls/Control.h"
#include "Controls/ControlListView.h"
#include "Drawing/Gdi.h"
#include "Drawing/Text.h"
#include "PrefsDialogTemplates.h"
#include "Shell/ShellScreen.h"
#include "SkinImages.h"
#include "UiHelpers.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowPaint.h"
#include "WindowSystem/WindowKeys.h"
#include "YolWMUI_Dialogs.h"

namespace UI {

namespace {

constexpr int kEmptyLoginString = 135;

} // namespace

CYolWMUI_PrefsDlg::CAccountsPan::CAccountsPan(CYolWMUI_PrefsDlg& owner)
    : CPrefsPan(owner, 68, Skins::SKIN_IMG_PREF_ACCOUNTS, kAccountsPanTemplate)
{
}

int CYolWMUI_PrefsDlg::CAccountsPan::DoDataExchange(int save)
{
    if (!save) {
        SetLabels({{EAdd, 130}, {ESettings, 131}, {EEnable, 132}, {EDelete, 134}, {EUp, 136}, {EDown, 137}});
        Reload();
    }
    return 1;
}

void CYolWMUI_PrefsDlg::CAccountsPan::Reload()
{
    const HWND list = GetDlgItem(kListId);
    ResetSingleColumnList(list);
    Protocols::CProtocolsManager* manager = Host().ProtocolsManager();
    const int count = manager ? manager->GetAccountCount() : 0;
    for (int i = 0; i < count; ++i)
        if (!InsertRow(i, manager->GetAccountId(static_cast<unsigned int>(i))))
            break;
    if (RowCount() > 0)
        SelectRow(0);
    Skins::SkinListView(list, GetBkBrush());
}

bool CYolWMUI_PrefsDlg::CAccountsPan::InsertRow(int row, unsigned int account)
{
    LVITEM item;
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = static_cast<LPARAM>(account);
    return SendMessage(GetDlgItem(kListId), LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item)) >= 0;
}

void CYolWMUI_PrefsDlg::CAccountsPan::SelectRow(int row)
{
    SelectListRow(GetDlgItem(kListId), row);
}

int CYolWMUI_PrefsDlg::CAccountsPan::RowCount() const
{
    return ListView_GetItemCount(GetDlgItem(kListId));
}

int CYolWMUI_PrefsDlg::CAccountsPan::SelectedRow() const
{
    return GetListViewSelIndex(GetDlgItem(kListId));
}

unsigned int CYolWMUI_PrefsDlg::CAccountsPan::RowAccount(int row) const
{
    if (row < 0 || row >= RowCount())
        return 0;
    LVITEM item;
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!ListView_GetItem(GetDlgItem(kListId), &item))
        return 0;
    return static_cast<unsigned int>(item.lParam);
}

CYolString CYolWMUI_PrefsDlg::CAccountsPan::RowText(unsigned int account) const
{
    Protocols::CProtocolsManager* manager = const_cast<CAccountsPan*>(this)->Host().ProtocolsManager();
    if (!manager)
        return CYolString();
    CYolString login;
    manager->GetAccountLogin(login, account, false);
    if (login.IsEmpty())
        return DialogString(kEmptyLoginString);
    Protocols::ProtocolRecord record;
    manager->GetAccountProtocolInfo(record, account);
    CYolString text = record.displayName;
    text += u" ";
    text += login;
    return text;
}

void CYolWMUI_PrefsDlg::CAccountsPan::OnDrawItem(unsigned int id, DRAWITEMSTRUCT* item)
{
    if (id != kListId || !item)
        return;
    const unsigned int account = RowAccount(static_cast<int>(item->itemID));
    Protocols::CProtocolsManager* manager = Host().ProtocolsManager();
    if (account == 0 || !manager)
        return;
    const HDC dc = item->hDC;
    const RECT row = item->rcItem;
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    const bool focused = GetFocus() == item->hwndItem;
    if (selected)
        FillRect(dc, &row, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    const int dpiX = Platform::GetScreen().dpiX;
    const int dpiY = Platform::GetScreen().dpiY;
    const int centre = (row.top + row.bottom) / 2;
    RECT icon{row.left, centre - (dpiY + 6) * 8 / 96, row.left + (dpiX + 3) * 16 / 96, 0};
    icon.bottom = icon.top + (dpiY + 3) * 16 / 96;
    Protocols::ProtocolRecord record;
    manager->GetAccountProtocolInfo(record, account);
    if (record.imageId >= 0)
        Host().DrawImage(record.imageId, dc, icon);
    RECT text{icon.right + (dpiX + 24) * 2 / 96, icon.top, row.right, icon.bottom};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, selected && focused ? GetSysColor(COLOR_HIGHLIGHTTEXT) : Skins::GetSkinColor(Skins::SKIN_CLR_TEXT));
    const CYolString line = RowText(account);
    DrawText(dc, line.c_str(), -1, &text, DT_END_ELLIPSIS | DT_NOCLIP | DT_VCENTER | DT_SINGLELINE);
}

void CYolWMUI_PrefsDlg::CAccountsPan::OnCommand(unsigned short code, unsigned short id, HWND control)
{
    switch (id) {
    case EAdd:
        ChooseProtocol();
        break;
    case ESettings:
        if (const unsigned int account = RowAccount(SelectedRow()))
            OpenSettings(account, false);
        break;
    case EDelete:
        DeleteSelected();
        break;
    case EUp:
        MoveSelected(-1);
        break;
    case EDown:
        MoveSelected(1);
        break;
    default:
        CPrefsPan::OnCommand(code, id, control);
        break;
    }
}

void CYolWMUI_PrefsDlg::CAccountsPan::OnNotify(HWND from, unsigned int id, unsigned int code, NMHDR* header)
{
    if (id == kListId && code == LVN_KEYDOWN && header &&
        reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_RETURN) {
        if (const unsigned int account = RowAccount(SelectedRow()))
            OpenSettings(account, false);
        return;
    }
    CPrefsPan::OnNotify(from, id, code, header);
}

void CYolWMUI_PrefsDlg::CAccountsPan::ChooseProtocol()
{
    Protocols::CProtocolsManager* manager = Host().ProtocolsManager();
    const int count = manager ? manager->GetProtocolCount() : 0;
    if (count <= 0)
        return;
    CYolMenuInfo menu;
    for (int i = 0; i < count && kFirstProtocolCommand + i <= kLastProtocolCommand; ++i) {
        Protocols::ProtocolRecord record;
        manager->GetProtocolInfo(record, i);
        menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, record.imageId, CYolFormatString(record.displayName),
                                  kFirstProtocolCommand + i, nullptr,
                                  reinterpret_cast<void*>(static_cast<std::intptr_t>(i)), false));
    }
    RECT button;
    GetWindowRect(GetDlgItem(EAdd), &button);
    RECT bounds;
    GetWindowRect(m_hWnd, &bounds);
    CYolWMUI_Menu::TResult chosen;
    CYolWMUI_Menu::Popup(chosen, menu, bounds, POINT{button.left, button.top}, CYolWMUI_Menu::ETopRight, m_hWnd,
                         false, false);
    if (chosen.IsChoice() && chosen.commandId >= kFirstProtocolCommand && chosen.commandId <= kLastProtocolCommand)
        AddAccountOfProtocol(chosen.commandId - kFirstProtocolCommand);
}

unsigned int CYolWMUI_PrefsDlg::CAccountsPan::AddAccountOfProtocol(int index)
{
    Protocols::CProtocolsManager* manager = Host().ProtocolsManager();
    if (!manager || index < 0 || index >= manager->GetProtocolCount())
        return 0;
    Protocols::ProtocolRecord record;
    manager->GetProtocolInfo(record, index);
    const unsigned int account = manager->AddAccount(record.id);
    if (account == 0)
        return 0;
    const int row = RowCount();
    if (InsertRow(row, account))
        SelectRow(row);
    OpenSettings(account, true);
    return account;
}

void CYolWMUI_PrefsDlg::CAccountsPan::OpenSettings(unsigned int account, bool isNew)
{
    if (CYolWMUI_AccountSettingsDlg::Run(account, m_hWnd, Host()) && isNew)
        Host().ConnectNewAccount(account);
    InvalidateRect(GetDlgItem(kListId), nullptr, true);
}

void CYolWMUI_PrefsDlg::CAccountsPan::DeleteSelected()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    const unsigned int account = RowAccount(row);
    ListView_DeleteItem(GetDlgItem(kListId), row);
    if (RowCount() > 0)
        SelectRow(row > 0 ? row - 1 : 0);
    Protocols::CProtocolsManager* manager = Host().ProtocolsManager();
    if (account != 0 && manager)
        manager->DeleteAccount(account);
}

void CYolWMUI_PrefsDlg::CAccountsPan::MoveSelected(int step)
{
    const int row = SelectedRow();
    const int target = row + step;
    Protocols::CProtocolsManager* manager = Host().ProtocolsManager();
    if (row < 0 || target < 0 || target >= RowCount() || !manager)
        return;
    const unsigned int account = RowAccount(row);
    if (manager->NotifyAccountChanged(account, static_cast<unsigned int>(target)) != 0)
        return;
    ListView_DeleteItem(GetDlgItem(kListId), row);
    if (InsertRow(target, account))
        SelectRow(target);
}

} // namespace UI
