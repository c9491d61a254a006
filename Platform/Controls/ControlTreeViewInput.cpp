// The tree view on the screen: painting the rows with their lines, buttons
// and images, the pen (taps, button taps, double taps, dragging to scroll)
// and the keys.

#include "ControlTreeViewImpl.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/WindowKeys.h"

#include <algorithm>

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
    s.pen.Press(pt, s.top);
    s.penUsed = twice;
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
    if (s.pen.Follow(pt))
        ScrollTo(hwnd, s, s.pen.TopAt(pt, RowHeight(s)));
}

void PenUp(HWND hwnd, TreeState& s)
{
    if (!s.pen.down)
        return;
    s.pen.down = false;
    if (GetCapture() == hwnd)
        ReleaseCapture();
    if (s.pen.dragging || s.penUsed)
        return;
    TVHITTESTINFO hit;
    hit.pt = s.pen.at;
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

constexpr CommonAnswers<TreeState> kCommon{
    .paint = &Paint,
    .dlgCode = DLGC_WANTARROWS | DLGC_WANTCHARS,
    .focused = &TreeState::focused,
    .focusChanged = &TellFocus<TreeState>,
    .font = &TreeState::font,
    // The rows are as high as the font needs.
    .fontChanged =
        [](HWND hwnd, TreeState& s, bool) {
            Measure(s);
            SyncBar(hwnd, s);
        },
};

} // namespace

LRESULT WindowMessage(HWND hwnd, TreeState& s, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_SIZE:
        SyncBar(hwnd, s);
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
        s.pen.down = false;
        return 0;
    case WM_KEYDOWN:
        KeyDown(hwnd, s, wParam);
        return 0;
    case WM_VSCROLL:
        ScrollTo(hwnd, s,
                 ScrolledTop(LOWORD(wParam), HIWORD(wParam), s.top, PageRows(hwnd, s), static_cast<int>(s.rows.size())));
        return 0;
    case WM_DESTROY:
        Delete(hwnd, s, TVI_ROOT);
        return 0;
    default:
        return CommonMessage(hwnd, s, kCommon, msg, wParam, lParam);
    }
}

} // namespace Platform::Controls::TreeViewImpl
