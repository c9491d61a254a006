// The tree view on the screen: painting the rows with their lines, buttons
// and images, the pen (taps, button taps, double taps, dragging to scroll)
// and the keys.

#include "ControlTreeViewImpl.h"
#include "ControlScrollBar.h"
#include "ShellScreen.h"
#include "WindowKeys.h"

#include <algorithm>
#include <cstdlib>

namespace Platform::Controls::TreeViewImpl {
namespace {

// ---- Painting ---------------------------------------------------------------------

void DrawButton(HDC hdc, const RECT& cell, bool open)
{
    const int size = std::max(7, ScaleX(9)) | 1;
    const int cx = (cell.left + cell.right) / 2;
    const int cy = (cell.top + cell.bottom) / 2;
    RECT box{cx - size / 2, cy - size / 2, cx + size / 2 + 1, cy + size / 2 + 1};
    FillRect(hdc, &box, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(hdc, &box, GetSysColorBrush(COLOR_BTNSHADOW));
    const int arm = size / 2 - 2;
    RECT bar{cx - arm, cy, cx + arm + 1, cy + 1};
    FillRect(hdc, &bar, GetSysColorBrush(COLOR_WINDOWTEXT));
    if (!open) {
        RECT stem{cx, cy - arm, cx + 1, cy + arm + 1};
        FillRect(hdc, &stem, GetSysColorBrush(COLOR_WINDOWTEXT));
    }
}

void DrawLines(HWND hwnd, TreeState& s, HDC hdc, const Row& r, const RECT& row)
{
    const int indent = Indent();
    const int mid = (row.top + row.bottom) / 2;
    HBRUSH ink = GetSysColorBrush(COLOR_BTNSHADOW);
    const Node& n = s.nodes.at(r.id);
    const int left = ItemLeft(hwnd, r.depth);
    if (left > 0) {
        const int x = left - indent / 2;
        RECT stub{x, mid, left - ScaleX(2), mid + 1};
        FillRect(hdc, &stub, ink);
        const bool above = n.prev || n.parent;
        RECT up{x, above ? row.top : mid, x + 1, n.next ? row.bottom : mid + 1};
        FillRect(hdc, &up, ink);
    }
    // Ancestors with siblings still to come carry their line past this row.
    const std::uint32_t style = StyleOf(hwnd);
    int depth = r.depth;
    for (ItemId up = n.parent; up; up = s.nodes.at(up).parent) {
        --depth;
        const int x = ItemLeft(style, depth) - indent / 2;
        if (x > 0 && x < row.right && s.nodes.at(up).next) {
            RECT line{x, row.top, x + 1, row.bottom};
            FillRect(hdc, &line, ink);
        }
    }
}

void Paint(HWND hwnd, TreeState& s)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    const RECT c = ClientOf(hwnd);
    FillRect(hdc, &c, ControlBrush(hwnd, hdc, WM_CTLCOLORLISTBOX, GetSysColorBrush(COLOR_WINDOW)));
    const COLORREF ink = GetTextColor(hdc);
    HGDIOBJ oldFont = SelectObject(hdc, FontOr(s.font));
    SetBkMode(hdc, TRANSPARENT);
    const std::uint32_t style = StyleOf(hwnd);
    const bool markSel = s.focused || (style & TVS_SHOWSELALWAYS);
    const int end = std::min(RowCount(s), s.top + PageRows(hwnd, s) + 1);
    for (int i = s.top; i < end; ++i) {
        const Row r = Rows(s)[static_cast<std::size_t>(i)];
        const RowParts p = PartsOf(hwnd, s, i);
        const Node& n = s.nodes.at(r.id);
        if (style & TVS_HASLINES)
            DrawLines(hwnd, s, hdc, r, p.row);
        if (p.button.right > p.button.left)
            DrawButton(hdc, p.button, n.expanded);
        const bool selected = r.id == s.sel;
        if (s.images)
            ImageList_Draw(s.images, selected ? n.selectedImage : n.image, hdc, p.icon.left, p.icon.top,
                           ILD_TRANSPARENT);
        RECT label = p.label;
        SetTextColor(hdc, ink);
        if (selected && markSel) {
            FillRect(hdc, &label, GetSysColorBrush(s.focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
            if (s.focused)
                SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        }
        label.left += ScaleX(3);
        DrawText(hdc, n.text.c_str(), static_cast<int>(n.text.size()), &label,
                 DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    SelectObject(hdc, oldFont);
    EndPaint(hwnd, &ps);
}

// ---- Pen and keys -------------------------------------------------------------------

void PenDown(HWND hwnd, TreeState& s, POINT pt, bool twice)
{
    SetFocus(hwnd);
    SetCapture(hwnd);
    s.penDown = true;
    s.dragging = false;
    s.penUsed = twice;
    s.penAt = pt;
    s.penTop = s.top;
    TVHITTESTINFO hit;
    hit.pt = pt;
    const ItemId id = HitTest(hwnd, s, &hit);
    if (hit.flags == TVHT_ONITEMBUTTON) {
        s.penUsed = true;
        Expand(hwnd, s, id, TVE_TOGGLE);
        return;
    }
    if (!twice || !id)
        return;
    NMHDR hdr;
    if (!NotifyRecord(hwnd, &hdr, NM_DBLCLK) && IsWindow(hwnd))
        Expand(hwnd, s, id, TVE_TOGGLE);
}

void PenMove(HWND hwnd, TreeState& s, POINT pt)
{
    if (!s.penDown)
        return;
    const int dy = pt.y - s.penAt.y;
    if (!s.dragging && std::abs(dy) < GetSystemMetrics(SM_CYDRAG))
        return;
    // The rows follow the pen.
    s.dragging = true;
    ScrollTo(hwnd, s, s.penTop - dy / RowHeight(s));
}

void PenUp(HWND hwnd, TreeState& s)
{
    if (!s.penDown)
        return;
    s.penDown = false;
    if (GetCapture() == hwnd)
        ReleaseCapture();
    if (s.dragging || s.penUsed)
        return;
    TVHITTESTINFO hit;
    hit.pt = s.penAt;
    const ItemId id = HitTest(hwnd, s, &hit);
    if (id)
        Select(hwnd, s, id, TVC_BYMOUSE);
    if (IsWindow(hwnd))
        TellPlain(hwnd, NM_CLICK);
}

void KeyDown(HWND hwnd, TreeState& s, WPARAM vk)
{
    NMTVKEYDOWN nm;
    nm.wVKey = static_cast<std::uint16_t>(vk);
    NotifyRecord(hwnd, &nm.hdr, TVN_KEYDOWN);
    if (!IsWindow(hwnd))
        return;
    if (vk == VK_RETURN) {
        TellPlain(hwnd, NM_RETURN);
        return;
    }
    const int count = RowCount(s);
    if (!count)
        return;
    const int row = RowOf(s, s.sel);
    Node* n = Live(s, s.sel);
    const int page = PageRows(hwnd, s);
    int to = row;
    switch (vk) {
    case VK_UP:
        to = row < 0 ? 0 : row - 1;
        break;
    case VK_DOWN:
        to = row + 1;
        break;
    case VK_PRIOR:
        to = row - page;
        break;
    case VK_NEXT:
        to = row + page;
        break;
    case VK_HOME:
        to = 0;
        break;
    case VK_END:
        to = count - 1;
        break;
    case VK_LEFT:
        if (n && n->expanded)
            Expand(hwnd, s, s.sel, TVE_COLLAPSE);
        else if (n && n->parent)
            Select(hwnd, s, n->parent, TVC_BYKEYBOARD);
        return;
    case VK_RIGHT:
        if (n && !n->expanded && HasButton(*n))
            Expand(hwnd, s, s.sel, TVE_EXPAND);
        else if (n && n->expanded && n->first)
            Select(hwnd, s, n->first, TVC_BYKEYBOARD);
        return;
    default:
        return;
    }
    to = std::clamp(to, 0, count - 1);
    if (to != row)
        Select(hwnd, s, Rows(s)[static_cast<std::size_t>(to)].id, TVC_BYKEYBOARD);
    else if (s.sel)
        EnsureVisible(hwnd, s, s.sel);
}

int ScrolledTop(HWND hwnd, const TreeState& s, unsigned code, unsigned thumb)
{
    const int page = PageRows(hwnd, s);
    switch (code) {
    case SB_LINEUP:
        return s.top - 1;
    case SB_LINEDOWN:
        return s.top + 1;
    case SB_PAGEUP:
        return s.top - page;
    case SB_PAGEDOWN:
        return s.top + page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        return static_cast<int>(thumb);
    case SB_TOP:
        return 0;
    case SB_BOTTOM:
        return static_cast<int>(s.rows.size());
    default:
        return s.top;
    }
}

} // namespace

LRESULT WindowMessage(HWND hwnd, TreeState& s, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_SETFONT:
        s.font = reinterpret_cast<HFONT>(wParam);
        Measure(s);
        SyncBar(hwnd, s);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s.font);
    case WM_SIZE:
        SyncBar(hwnd, s);
        return 0;
    case WM_PAINT:
        Paint(hwnd, s);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        s.focused = msg == WM_SETFOCUS;
        InvalidateRect(hwnd, nullptr, false);
        TellPlain(hwnd, s.focused ? NM_SETFOCUS : NM_KILLFOCUS);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        PenDown(hwnd, s, pt, msg == WM_LBUTTONDBLCLK);
        return 0;
    case WM_MOUSEMOVE:
        PenMove(hwnd, s, pt);
        return 0;
    case WM_LBUTTONUP:
        PenUp(hwnd, s);
        return 0;
    case WM_CAPTURECHANGED:
        s.penDown = false;
        return 0;
    case WM_KEYDOWN:
        KeyDown(hwnd, s, wParam);
        return 0;
    case WM_VSCROLL:
        ScrollTo(hwnd, s, ScrolledTop(hwnd, s, LOWORD(wParam), HIWORD(wParam)));
        return 0;
    case WM_DESTROY:
        Delete(hwnd, s, TVI_ROOT);
        return 0;
    default:
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

} // namespace Platform::Controls::TreeViewImpl
