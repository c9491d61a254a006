// The result page of the find-user dialog, the drawing of its rows and the
// commands of a result's menu.

#include "CYolWMUI_FindUserResultPan.h"

#include "CContactList.h"
#include "CProtocolsManager.h"
#include "CYolMenuInfo.h"
#include "CYolWMSkins_BkBrush.h"
#include "Controls/ControlListView.h"
#include "DialogStrings.h"
#include "Drawing/Gdi.h"
#include "Drawing/Text.h"
#include "Shell/ShellGesture.h"
#include "Shell/ShellScreen.h"
#include "UiHelpers.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowGeometry.h"
#include "YolWMUI_Dialogs.h"
#include "YolWMUI_ListDialogTemplates.h"

namespace UI {

namespace {

constexpr int kResultCaptionString = 245;
constexpr int kColumnStrings[CYolWMUI_FindUserDlg::kColumns] = {28, 248, 249, 250, 251, 252};
constexpr int kCreateGroupFirstString = 55;

// The entries of a result's menu: command, skin image, caption.
struct TMenuEntry {
    int command;
    int image;
    int caption;
};
constexpr TMenuEntry kRowEntries[] = {
    {CYolWMUI_FindUserDlg::ECopyName, 40, 46},
    {CYolWMUI_FindUserDlg::ESendMessage, 27, 42},
    {CYolWMUI_FindUserDlg::EDetails, 38, 44},
};
constexpr TMenuEntry kAddEntry{CYolWMUI_FindUserDlg::EAddContact, 18, 47};
constexpr TMenuEntry kClearEntry{CYolWMUI_FindUserDlg::EClear, 48, 256};

void AddEntry(CYolMenuInfo& menu, const TMenuEntry& entry)
{
    menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, entry.image, CYolFormatString(DialogString(entry.caption)),
                              entry.command, nullptr, nullptr, false));
}

const CYolString kAliasKey(u"CL Alias");
const CYolString kLoginKey(u"SrvLogName");

} // namespace

// --- the page ------------------------------------------------------------------

CYolWMUI_FindUserDlg::CResultPan::~CResultPan()
{
    if (m_owner.m_resultPan == this)
        m_owner.m_resultPan = nullptr;
}

CYolString CYolWMUI_FindUserDlg::CResultPan::GetCaption() { return DialogString(kResultCaptionString); }

YolTabDlg::TDlgTemplate CYolWMUI_FindUserDlg::CResultPan::GetDlgTemplate()
{
    EnsureYolListDialogTemplates();
    return YolTabDlg::TDlgTemplate{GetYolDialogsInstance(), kFindResultPaneTemplate};
}

HBRUSH CYolWMUI_FindUserDlg::CResultPan::GetBkBrush()
{
    HBRUSH brush = GetDialogBkBrush();
    return brush ? brush : CYolWMUI_SettingsPan::GetBkBrush();
}

int CYolWMUI_FindUserDlg::CResultPan::DoDataExchange(int save)
{
    HWND list = GetDlgItem(kResultListId);
    if (save != 0 || list == nullptr)
        return 1;
    RECT client;
    GetClientRect(m_hWnd, &client);
    MoveWindow(list, 0, 0, client.right - client.left, client.bottom - client.top, true);
    SendMessage(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    ListView_DeleteAllItems(list);
    GetClientRect(list, &client);
    const int width = (client.right - client.left) / 3;
    if (SendMessage(list, LVM_GETCOLUMNWIDTH, 0, 0) == 0) {
        for (int i = 0; i < kColumns; ++i) {
            const CYolString caption = DialogString(kColumnStrings[i]);
            LVCOLUMN column;
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.cx = width;
            column.pszText = const_cast<char16_t*>(caption.c_str());
            SendMessage(list, LVM_INSERTCOLUMN, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        }
    }
    for (int i = 0; i < m_owner.ResultCount(); ++i)
        m_owner.ShowRow(i);
    Skins::SkinListView(list, GetBkBrush());
    return 1;
}

void CYolWMUI_FindUserDlg::CResultPan::OnDrawItem(unsigned int id, DRAWITEMSTRUCT* item)
{
    if (id == static_cast<unsigned int>(kResultListId) && item != nullptr)
        m_owner.DrawRow(*item);
}

void CYolWMUI_FindUserDlg::CResultPan::OnNotify(HWND, unsigned int id, unsigned int code, NMHDR* header)
{
    if (id == static_cast<unsigned int>(kResultListId) && code == GN_CONTEXTMENU && header != nullptr)
        m_owner.OnResultContextMenu(reinterpret_cast<NMRGINFO*>(header)->ptAction);
}

// --- rows ----------------------------------------------------------------------

void CYolWMUI_FindUserDlg::DrawRow(const DRAWITEMSTRUCT& item)
{
    HWND list = ResultList();
    LVITEM data;
    data.mask = LVIF_PARAM;
    data.iItem = static_cast<int>(item.itemID);
    if (list == nullptr || !ListView_GetItem(list, &data) || data.lParam < 0 || data.lParam >= m_results.Count())
        return;
    const SearchedString& row = m_results[static_cast<int>(data.lParam)];
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = GetFocus() == list;
    if (selected)
        FillRect(dc, &r, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    const Platform::ScreenInfo screen = Platform::GetScreen();
    const int iconTop = (r.top + r.bottom - (screen.dpiY + 3) * 16 / 96) / 2;
    for (int i = 0; i < row.icons.Count(); ++i)
        m_host.DrawImage(dc, row.icons[i], POINT{r.left, iconTop});
    SetTextColor(dc, GetSysColor(selected && focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    const int gap = (screen.dpiX + 24) * 2 / 96;
    // The first column starts after the icon; each column ends where the
    // sum of the widths so far does.
    int right = static_cast<int>(r.left);
    int x = right + (screen.dpiX + 3) * 16 / 96 + gap;
    for (int i = 0; i < kColumns; ++i) {
        if (i > 0)
            x = right + gap;
        right += static_cast<int>(SendMessage(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
        RECT cell{x, r.top, right, r.bottom};
        DrawText(dc, row.texts[i].c_str(), row.texts[i].Length(), &cell,
                 DT_END_ELLIPSIS | DT_NOCLIP | DT_VCENTER | DT_SINGLELINE);
    }
}

// --- the menu ------------------------------------------------------------------

void CYolWMUI_FindUserDlg::OnResultContextMenu(POINT screen)
{
    HWND list = ResultList();
    if (list == nullptr)
        return;
    LVHITTESTINFO hit;
    hit.pt = screen;
    ScreenToClient(list, &hit.pt);
    int row = ListView_HitTest(list, &hit);
    if (row >= 0) {
        LVITEM data;
        data.mask = LVIF_PARAM;
        data.iItem = row;
        row = ListView_GetItem(list, &data) && data.lParam >= 0 && data.lParam < m_results.Count()
                  ? static_cast<int>(data.lParam)
                  : -1;
    }
    CYolMenuInfo menu;
    if (row >= 0) {
        for (const TMenuEntry& entry : kRowEntries)
            AddEntry(menu, entry);
        Protocols::Status status = Protocols::Offline;
        Protocols::CProtocolsManager* manager = Manager();
        if (manager != nullptr && manager->GetStatus(m_account, status) == 0 && status > Protocols::Connecting) {
            menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
            AddEntry(menu, kAddEntry);
        }
    }
    AddEntry(menu, kClearEntry);
    RECT bounds;
    GetWindowRect(Handle(), &bounds);
    RunResultCommand(m_host.PopupMenu(Handle(), menu, bounds, screen), row);
}

void CYolWMUI_FindUserDlg::RunResultCommand(int command, int row)
{
    if (command == EClear) {
        ClearResults();
        return;
    }
    // The other commands act on a row that must (still) be there.
    if (row < 0 || row >= m_results.Count())
        return;
    switch (command) {
    case ECopyName:
        SetClipboardText(m_results[row].texts[0].c_str(), m_results[row].texts[0].Length());
        break;
    case ESendMessage:
        SendMessageTo(row);
        break;
    case EDetails:
        m_host.ShowContactDetails(Handle(), m_results[row].contactId);
        break;
    case EAddContact:
        AddToList(row);
        break;
    default:
        break;
    }
}

void CYolWMUI_FindUserDlg::SendMessageTo(int row)
{
    CL::CContactList* list = ContactList();
    Protocols::CProtocolsManager* manager = Manager();
    unsigned int contact = m_results[row].contactId;
    if (list != nullptr && manager != nullptr && list->IsTempContact(contact)) {
        // A stranger found by the search becomes a contact of the account
        // before a chat can be opened with it.
        const unsigned int added = list->AddContact(m_account, 0);
        if (added != 0) {
            for (const CYolString* key : {&kLoginKey, &kAliasKey}) {
                CYolString value;
                if (list->GetItemString(contact, *key, value))
                    list->SetItemString(added, *key, value);
            }
            Protocols::ContactStatusInfo status;
            manager->GetContactStatus(m_account, added, &status);
            list->NotifyContactAdded(added, status);
            manager->SendContact80(m_account, added);
            m_results[row].contactId = added;
            contact = added;
        }
    }
    m_host.OpenChat(contact);
}

void CYolWMUI_FindUserDlg::AddToList(int row)
{
    CL::CContactList* list = ContactList();
    Protocols::CProtocolsManager* manager = Manager();
    if (list == nullptr || manager == nullptr)
        return;
    CYolArray<unsigned int> groups;
    list->GetGroupIds(m_account, groups);
    if (groups.Count() == 0) {
        m_host.ShowWarning(DialogString(kCreateGroupFirstString));
        return;
    }
    const unsigned int contact = m_results[row].contactId;
    CYolString login, name;
    list->GetItemString(contact, kLoginKey, login);
    list->GetItemString(contact, kAliasKey, name);
    unsigned int group = 0;
    if (m_host.AskAddContact(Handle(), m_account, groups, group, login, name) && !login.IsEmpty())
        manager->AddContact(m_account, group, login, name);
}

} // namespace UI
