// How the list view looks: background, rows (or the parent's owner-drawn
// rows) and the header.

#include "ControlListViewImpl.h"

#include "Shell/ShellScreen.h"

#include <algorithm>

namespace Platform::Controls::ListView {
namespace {

constexpr UINT kTextFlags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;

UINT Align(int fmt)
{
    switch (fmt & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT:
        return DT_RIGHT;
    case LVCFMT_CENTER:
        return DT_CENTER;
    default:
        return DT_LEFT;
    }
}

void DrawBackground(HDC hdc, const State& s, const RECT& client)
{
    if (s.bk != CLR_NONE) {
        HBRUSH brush = CreateSolidBrush(s.bk);
        FillRect(hdc, &client, brush);
        DeleteObject(brush);
    }
    if (!s.bkImage)
        return;
    if (s.bkTile && s.bkBrush) {
        // The tiles hang from the client area's corner, not the screen's:
        // the picture was made for this window's place.
        POINT old;
        SetBrushOrgEx(hdc, 0, 0, &old);
        FillRect(hdc, &client, s.bkBrush);
        SetBrushOrgEx(hdc, old.x, old.y, nullptr);
        return;
    }
    BITMAP bm;
    if (GetObject(s.bkImage, sizeof(bm), &bm) != sizeof(bm))
        return;
    HDC mem = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(mem, s.bkImage);
    BitBlt(hdc, 0, 0, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
}

void DrawCell(HDC hdc, const std::u16string& text, RECT r, UINT align, COLORREF ink, COLORREF back)
{
    if (back != CLR_NONE) {
        HBRUSH brush = CreateSolidBrush(back);
        FillRect(hdc, &r, brush);
        DeleteObject(brush);
    }
    SetTextColor(hdc, ink);
    ::DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &r, kTextFlags | align);
}

void DrawRow(HWND hwnd, HDC hdc, const State& s, const Layout& l, int i)
{
    const Item& item = s.items[static_cast<size_t>(i)];
    const bool enabled = IsWindowEnabled(hwnd);
    const bool selected = (item.state & LVIS_SELECTED) != 0;
    const bool active = s.focused && enabled;
    const RECT sel = ItemRect(l, s, i, LVIR_SELECTBOUNDS);
    const COLORREF ink = enabled ? s.text : GetSysColor(COLOR_GRAYTEXT);
    const COLORREF selectedInk = active ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ink;
    if (selected)
        FillRect(hdc, &sel, GetSysColorBrush(active ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    const bool fullRow = l.report && (s.exStyle & LVS_EX_FULLROWSELECT);
    const int pad = ScaleX(2);

    if (s.smallImages && item.image >= 0) {
        const RECT icon = ItemRect(l, s, i, LVIR_ICON);
        int cx = 0;
        int cy = 0;
        ImageList_GetIconSize(s.smallImages, &cx, &cy);
        ImageList_Draw(s.smallImages, item.image, hdc, icon.left, icon.top + (l.row - cy) / 2, ILD_TRANSPARENT);
    }
    RECT label = ItemRect(l, s, i, LVIR_LABEL);
    label.right -= pad;
    DrawCell(hdc, item.texts.front(), label, DT_LEFT, selected ? selectedInk : ink, selected ? CLR_NONE : s.textBk);

    if (!l.report)
        return;
    int x = s.columns.empty() ? 0 : s.columns.front().width;
    for (size_t c = 1; c < s.columns.size() && x < l.client.right; ++c) {
        const Column& column = s.columns[c];
        const RECT cell{x + pad, label.top, x + column.width - pad, label.bottom};
        x += column.width;
        if (c >= item.texts.size() || cell.right <= cell.left)
            continue;
        const bool lit = selected && fullRow;
        DrawCell(hdc, item.texts[c], cell, Align(column.fmt), lit ? selectedInk : ink, lit ? CLR_NONE : s.textBk);
    }
    if (active && (item.state & LVIS_FOCUSED))
        DrawFocusRect(hdc, &sel);
}

// Answers false when the parent changed the items while drawing.
bool DrawOwnerRow(HWND hwnd, HDC hdc, State& s, const Layout& l, int i)
{
    const Item& item = s.items[static_cast<size_t>(i)];
    DRAWITEMSTRUCT d;
    d.CtlType = ODT_LISTVIEW;
    d.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
    d.itemID = static_cast<UINT>(i);
    d.itemAction = ODA_DRAWENTIRE;
    d.itemState = ((item.state & LVIS_SELECTED) ? ODS_SELECTED : 0) |
                  ((item.state & LVIS_FOCUSED) && s.focused ? ODS_FOCUS : 0) |
                  (IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED);
    d.hwndItem = hwnd;
    d.hDC = hdc;
    d.rcItem = ItemRect(l, s, i, LVIR_BOUNDS);
    d.itemData = static_cast<std::uintptr_t>(item.param);
    const unsigned generation = s.generation;
    if (const HWND parent = GetParent(hwnd))
        SendMessage(parent, WM_DRAWITEM, d.CtlID, reinterpret_cast<LPARAM>(&d));
    return IsWindow(hwnd) && s.generation == generation;
}

void DrawHeader(HWND hwnd, HDC hdc, const State& s, const Layout& l)
{
    const RECT band{0, 0, l.client.right, l.header};
    FillRect(hdc, &band, GetSysColorBrush(COLOR_BTNFACE));
    SetTextColor(hdc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    const int pad = ScaleX(3);
    int x = 0;
    for (const Column& column : s.columns) {
        if (x >= l.client.right)
            break;
        RECT box{x, 0, x + column.width, l.header};
        x += column.width;
        if (box.right <= box.left)
            continue;
        RECT edge = box;
        DrawEdge(hdc, &edge, EDGE_RAISED, BF_RECT);
        RECT text{box.left + pad, box.top, box.right - pad, box.bottom};
        ::DrawText(hdc, column.text.c_str(), static_cast<int>(column.text.size()), &text,
                   kTextFlags | Align(column.fmt));
    }
}

} // namespace

void Paint(HWND hwnd, State& s)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    const Layout l = LayoutOf(hwnd, s);
    DrawBackground(hdc, s, l.client);
    HFONT font = FontOr(s.font);
    HGDIOBJ oldFont = SelectObject(hdc, font);
    SetBkMode(hdc, TRANSPARENT);
    // Every row that shows, the one the bottom edge cuts too.
    for (int i = s.top; i < Count(s); ++i) {
        if (ItemRect(l, s, i, LVIR_BOUNDS).top >= l.client.bottom)
            break;
        if (!l.ownerDraw) {
            DrawRow(hwnd, hdc, s, l, i);
            continue;
        }
        if (!DrawOwnerRow(hwnd, hdc, s, l, i)) {
            // The rows are no longer the ones laid out: draw them afresh.
            if (IsWindow(hwnd))
                InvalidateRect(hwnd, nullptr, false);
            break;
        }
        // The parent's drawing may have left its own font and colours.
        SelectObject(hdc, font);
        SetBkMode(hdc, TRANSPARENT);
    }
    if (l.header && IsWindow(hwnd))
        DrawHeader(hwnd, hdc, s, l);
    SelectObject(hdc, oldFont);
    EndPaint(hwnd, &ps);
}

} // namespace Platform::Controls::ListView
