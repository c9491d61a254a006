#include "CYolWMUI_PaletteDlg.h"

#include "CYolMenuInfo.h"
#include "CYolWMUI_ColorDlg.h"
#include "CYolWMUI_Menu.h"
#include "DialogListView.h"
#include "Controls/Control.h"
#include "Controls/ControlListView.h"
#include "Drawing/Gdi.h"
#include "Drawing/Text.h"
#include "Shell/ShellScreen.h"
#include "UiHelpers.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowPaint.h"
#include "CYolWMSkins_BkBrush.h"

namespace UI {

namespace {

constexpr int kListId = 1022;
constexpr int kFirstNameString = 186;
constexpr const char16_t* kSchemeMask = u"*.ini;";

CYolWMUI_PaletteDlg::TFileChooser g_chooser;

// A COLORREF keeps its top byte 0; a stored scheme may carry anything there.
constexpr COLORREF kColourMask = 0x00FFFFFF;

struct TMenuRow {
    int command;  // -1: a separator
    int image;
    int caption;
};
constexpr TMenuRow kMenu[] = {
    {CYolWMUI_PaletteDlg::EChange, -1, 285}, {-1, -1, 0},
    {CYolWMUI_PaletteDlg::EDefault, 65, 286}, {CYolWMUI_PaletteDlg::ELoad, 69, 287},
    {CYolWMUI_PaletteDlg::ESave, 66, 288},    {-1, -1, 0},
    {CYolWMUI_PaletteDlg::ECancel, 73, 277},
};

bool IsColourIndex(int index)
{
    return index >= 0 && index < Skins::SKIN_CLR_COUNT;
}

} // namespace

void CYolWMUI_PaletteDlg::SetFileChooser(TFileChooser chooser)
{
    g_chooser = std::move(chooser);
}

CYolWMUI_PaletteDlg::CYolWMUI_PaletteDlg(const Skins::TSkinColorTable& colors, const CYolString& skinName)
    : m_skinName(skinName)
{
    for (int i = 0; i < Skins::SKIN_CLR_COUNT; ++i)
        m_colors[i] = colors[i] & kColourMask;
}

std::intptr_t CYolWMUI_PaletteDlg::DoModal(HWND parent)
{
    return CYolWMUI_Dlg::DoModal(kColorSchemeDlgTemplate, GetYolDialogsInstance(), parent);
}

void CYolWMUI_PaletteDlg::OnInitDialog()
{
    CYolWMUI_BigDlg::OnInitDialog();
    const HWND list = GetDlgItem(kListId);
    ResetSingleColumnList(list, GetSystemMetrics(SM_CXVSCROLL));
    for (int i = 0; i < Skins::SKIN_CLR_COUNT; ++i) {
        LVITEM item;
        item.mask = LVIF_PARAM;
        item.iItem = i;
        item.lParam = i;
        SendMessage(list, LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item));
    }
    SelectListRow(list, 0);
    Skins::SkinListView(list, GetBkBrush());
    SetFocus(list);
}

int CYolWMUI_PaletteDlg::SelectedIndex() const
{
    return GetListViewSelIndex(GetDlgItem(kListId));
}

void CYolWMUI_PaletteDlg::EditColor(int index)
{
    if (!IsColourIndex(index))
        return;
    CYolWMUI_ColorDlg dialog(m_colors[index]);
    if (dialog.DoModal(m_hWnd) != 1)
        return;
    m_colors[index] = CYolWMUI_ColorDlg::Result() & kColourMask;
    SendMessage(GetDlgItem(kListId), LVM_UPDATE, static_cast<WPARAM>(index), 0);
}

void CYolWMUI_PaletteDlg::OnMenuCommand(int command)
{
    CYolString path;
    switch (command) {
    case EChange:
        EditColor(SelectedIndex());
        break;
    case EDefault:
        Skins::LoadColorScheme(m_skinName, m_colors);
        RedrawList();
        break;
    case ELoad:
        if (g_chooser && g_chooser(false, CYolString(kSchemeMask), path)) {
            Skins::ReadColorScheme(path, m_colors);
            RedrawList();
        }
        break;
    case ESave:
        if (g_chooser && g_chooser(true, CYolString(kSchemeMask), path))
            Skins::SaveColorScheme(path, m_colors);
        break;
    case ECancel:
        ::EndDialog(m_hWnd, 2);
        break;
    default:
        break;
    }
}

void CYolWMUI_PaletteDlg::RedrawList()
{
    InvalidateRect(GetDlgItem(kListId), nullptr, true);
}

void CYolWMUI_PaletteDlg::OnNotify(HWND from, unsigned int id, unsigned int code, NMHDR* header)
{
    if (id != kListId) {
        CYolWMUI_BigDlg::OnNotify(from, id, code, header);
        return;
    }
    // The list turns Return into an activation of the selected row as well,
    // so the key itself must not open a second colour dialog.
    if (code == LVN_ITEMACTIVATE)
        EditColor(SelectedIndex());
}

void CYolWMUI_PaletteDlg::OnDrawItem(unsigned int id, DRAWITEMSTRUCT* item)
{
    if (id != kListId || !item || !IsColourIndex(static_cast<int>(item->itemID)))
        return;
    const int index = static_cast<int>(item->itemID);
    const HDC dc = item->hDC;
    const RECT row = item->rcItem;
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    const bool focused = GetFocus() == item->hwndItem;
    if (selected)
        FillRect(dc, &row, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));

    RECT swatch{row.left + ScaleX(1), row.top + ScaleY(1), row.left + ScaleX(1) + ScaleX(14), row.bottom - ScaleY(1)};
    HBRUSH brush = CreateSolidBrush(m_colors[index]);
    FillRect(dc, &swatch, brush);
    DeleteObject(brush);

    RECT text{swatch.right + ScaleX(5), row.top, row.right, row.bottom};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, selected && focused ? GetSysColor(COLOR_HIGHLIGHTTEXT) : Skins::GetSkinColor(Skins::SKIN_CLR_TEXT));
    const CYolString name = DialogString(kFirstNameString + index);
    DrawText(dc, name.c_str(), -1, &text, DT_END_ELLIPSIS | DT_NOCLIP | DT_VCENTER | DT_SINGLELINE);
}

int CYolWMUI_PaletteDlg::GetSoftKeyCap(TSoftKey key, CYolString& caption)
{
    caption = DialogString(key == ELeft ? 276 : 279);
    return 1;
}

void CYolWMUI_PaletteDlg::OnSoftKey(TSoftKey key)
{
    if (key == ELeft)
        EndDialog(1);
    else
        PopupMenu();
}

void CYolWMUI_PaletteDlg::PopupMenu()
{
    CYolMenuInfo menu;
    for (const TMenuRow& row : kMenu) {
        if (row.command < 0)
            menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
        else
            menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, row.image, CYolFormatString(DialogString(row.caption)),
                                      row.command, nullptr, nullptr, false));
    }
    CYolWMUI_Menu::TResult chosen;
    CYolWMUI_Menu::PopupAtRightBottom(chosen, menu, m_hWnd, true);
    if (chosen.IsChoice())
        OnMenuCommand(chosen.commandId);
}

} // namespace UI
