// Where the list view's header, rows and their parts lie.

#include "ControlListViewImpl.h"

#include "Shell/ShellScreen.h"

#include <algorithm>
#include <climits>

namespace Platform::Controls::ListView {

bool IsReport(HWND hwnd)
{
    return (StyleOf(hwnd) & LVS_TYPEMASK) == LVS_REPORT;
}

namespace {

// A parent answering an absurd row height must not overflow the rows'
// coordinates.
constexpr UINT kMaxRowHeight = 0x7FFF;

int Clamped(long long v)
{
    return static_cast<int>(std::clamp<long long>(v, INT_MIN / 2, INT_MAX / 2));
}

void Measure(HWND hwnd, State& s, int natural, int width)
{
    // Whatever is asked while the parent answers gets the natural height.
    s.measured = natural;
    MEASUREITEMSTRUCT m;
    m.CtlType = ODT_LISTVIEW;
    m.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
    m.itemWidth = static_cast<UINT>(std::max(0, width));
    m.itemHeight = static_cast<UINT>(natural);
    if (const HWND parent = GetParent(hwnd))
        SendMessage(parent, WM_MEASUREITEM, m.CtlID, reinterpret_cast<LPARAM>(&m));
    s.measured = static_cast<int>(std::clamp<UINT>(m.itemHeight, 1, kMaxRowHeight));
}

int IconWidth(const State& s)
{
    int cx = 0;
    int cy = 0;
    return s.smallImages && ImageList_GetIconSize(s.smallImages, &cx, &cy) ? cx : 0;
}

// Owner-drawn rows are drawn whole by the parent, so they are hit whole.
bool FullRow(const State& s, const Layout& l)
{
    return l.ownerDraw || (l.report && (s.exStyle & LVS_EX_FULLROWSELECT));
}

} // namespace

Layout LayoutOf(HWND hwnd, State& s)
{
    Layout l;
    l.client = ClientOf(hwnd);
    l.report = IsReport(hwnd);
    const std::uint32_t style = StyleOf(hwnd);
    l.ownerDraw = l.report && (style & LVS_OWNERDRAWFIXED);
    const int line = LineHeight(s.font);
    if (l.report && !(style & LVS_NOCOLUMNHEADER))
        l.header = line + ScaleY(4);
    int iconHeight = 0;
    int iconWidth = 0;
    if (s.smallImages)
        ImageList_GetIconSize(s.smallImages, &iconWidth, &iconHeight);
    const int natural = std::max(line, iconHeight) + ScaleY(2);
    if (l.ownerDraw && !s.measured)
        Measure(hwnd, s, natural, l.client.right);
    l.row = std::max(1, l.ownerDraw ? s.measured : natural);
    l.perPage = std::max(0, l.client.bottom - l.header) / l.row;
    if (l.report) {
        long long sum = 0;
        for (const Column& c : s.columns)
            sum += c.width;
        l.rowRight = Clamped(sum);
    } else {
        l.rowRight = l.client.right;
    }
    return l;
}

RECT ItemRect(const Layout& l, const State& s, int index, int part)
{
    const int y = Clamped(static_cast<long long>(l.header) + static_cast<long long>(index - s.top) * l.row);
    const RECT bounds{0, y, l.rowRight, y + l.row};
    const int pad = ScaleX(2);
    const RECT icon{pad, y, pad + IconWidth(s), y + l.row};
    const int labelRight = l.report ? (s.columns.empty() ? 0 : s.columns.front().width) : l.client.right;
    const RECT label{icon.right + pad, y, std::max(icon.right + pad, labelRight), y + l.row};
    switch (part) {
    case LVIR_ICON:
        return icon;
    case LVIR_LABEL:
        return label;
    case LVIR_SELECTBOUNDS:
        return FullRow(s, l) ? bounds : RECT{icon.left, y, label.right, y + l.row};
    default:
        return bounds;
    }
}

int ItemAt(const Layout& l, const State& s, POINT pt, UINT* flags)
{
    UINT f = LVHT_NOWHERE;
    int hit = -1;
    if (pt.y < 0) {
        f = LVHT_ABOVE;
    } else if (pt.y >= l.client.bottom) {
        f = LVHT_BELOW;
    } else if (pt.y >= l.header) {
        const long long index = s.top + static_cast<long long>((pt.y - l.header) / l.row);
        if (Valid(s, static_cast<std::intptr_t>(index))) {
            const int i = static_cast<int>(index);
            const RECT sel = ItemRect(l, s, i, LVIR_SELECTBOUNDS);
            const RECT icon = ItemRect(l, s, i, LVIR_ICON);
            if (PtInRect(&sel, pt)) {
                hit = i;
                f = PtInRect(&icon, pt) ? LVHT_ONITEMICON : LVHT_ONITEMLABEL;
            }
        }
    }
    if (flags)
        *flags = f;
    return hit;
}

} // namespace Platform::Controls::ListView
