// The tab strip: the tabs, their measure and scrolling, painting, the pen
// and the keys.

#include "ControlTab.h"
#include "ControlImpl.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/WindowKeys.h"

#include <algorithm>
#include <string>
#include <vector>

namespace Platform::Controls {
namespace {

struct Tab {
    std::u16string text;
    int image = -1;
    LPARAM param = 0;
};

struct TabState {
    static inline const char key = 0;
    HFONT font = nullptr;
    HIMAGELIST images = nullptr;
    std::vector<Tab> tabs;
    int cur = -1;
    // The first tab shown at the strip's left end.
    int first = 0;
    bool focused = false;
};

int Count(const TabState& s)
{
    return static_cast<int>(s.tabs.size());
}

bool Valid(const TabState& s, WPARAM index)
{
    return index < s.tabs.size();
}

bool AtBottom(HWND hwnd)
{
    return (StyleOf(hwnd) & TCS_BOTTOM) != 0;
}

SIZE ImageSize(const TabState& s)
{
    SIZE size{0, 0};
    if (s.images) {
        int cx = 0;
        int cy = 0;
        ImageList_GetIconSize(s.images, &cx, &cy);
        size = SIZE{cx, cy};
    }
    return size;
}

// One and a half lines of the font, or the images with a margin.
int StripHeight(const TabState& s)
{
    return std::max(LineHeight(s.font) * 3 / 2, static_cast<int>(ImageSize(s).cy) + ScaleY(6));
}

RECT StripOf(HWND hwnd, const TabState& s)
{
    const RECT c = ClientOf(hwnd);
    const int h = std::min(StripHeight(s), static_cast<int>(c.bottom));
    return AtBottom(hwnd) ? RECT{0, c.bottom - h, c.right, c.bottom} : RECT{0, 0, c.right, h};
}

std::vector<int> Widths(const TabState& s)
{
    std::vector<int> widths;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FontOr(s.font));
    const int imageRoom = s.images ? static_cast<int>(ImageSize(s).cx) + ScaleX(4) : 0;
    for (const Tab& t : s.tabs) {
        SIZE size{};
        GetTextExtentPoint32(dc, t.text.c_str(), static_cast<int>(t.text.size()), &size);
        widths.push_back(size.cx + 2 * ScaleX(6) + (t.image >= 0 ? imageRoom : 0));
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return widths;
}

// Where the tabs go: their left edges from the first shown one (earlier
// tabs lie left of the strip), and the room they have beside the arrows.
struct Geometry {
    std::vector<int> left;
    std::vector<int> width;
    int room = 0;
    bool arrows = false;
    bool canBack = false;
    bool canOn = false;
};

Geometry Measure(HWND hwnd, const TabState& s)
{
    Geometry g;
    g.width = Widths(s);
    const RECT strip = StripOf(hwnd, s);
    int total = 0;
    for (int w : g.width)
        total += w;
    g.arrows = total > strip.right || s.first > 0;
    g.room = g.arrows ? std::max(0, static_cast<int>(strip.right) - 2 * (strip.bottom - strip.top)) : strip.right;
    g.left.resize(g.width.size());
    int x = 0;
    for (int i = s.first - 1; i >= 0; --i)
        g.left[static_cast<size_t>(i)] = x -= g.width[static_cast<size_t>(i)];
    x = 0;
    for (int i = s.first; i < Count(s); ++i) {
        g.left[static_cast<size_t>(i)] = x;
        x += g.width[static_cast<size_t>(i)];
    }
    g.canBack = s.first > 0;
    g.canOn = x > g.room && s.first < Count(s) - 1;
    return g;
}

RECT TabRect(HWND hwnd, const TabState& s, const Geometry& g, int i)
{
    const RECT strip = StripOf(hwnd, s);
    const int left = g.left[static_cast<size_t>(i)];
    return RECT{left, strip.top, left + g.width[static_cast<size_t>(i)], strip.bottom};
}

RECT ArrowRect(HWND hwnd, const TabState& s, bool forward)
{
    const RECT strip = StripOf(hwnd, s);
    const int w = strip.bottom - strip.top;
    const int left = strip.right - (forward ? w : 2 * w);
    return RECT{left, strip.top, left + w, strip.bottom};
}

void EnsureVisible(HWND hwnd, TabState& s, int index)
{
    if (index < 0)
        return;
    if (index < s.first)
        s.first = index;
    for (Geometry g = Measure(hwnd, s); s.first < index; g = Measure(hwnd, s)) {
        const RECT r = TabRect(hwnd, s, g, index);
        if (r.right <= g.room)
            break;
        ++s.first;
    }
    InvalidateRect(hwnd, nullptr, false);
}

// A tab the user chose.
void Choose(HWND hwnd, TabState& s, int index)
{
    if (index == s.cur || index < 0 || index >= Count(s))
        return;
    NMHDR hdr;
    if (NotifyRecord(hwnd, &hdr, TCN_SELCHANGING) || !IsWindow(hwnd) || index >= Count(s))
        return;
    s.cur = index;
    EnsureVisible(hwnd, s, index);
    TellPlain(hwnd, TCN_SELCHANGE);
}

int HitTest(HWND hwnd, const TabState& s, TCHITTESTINFO* info)
{
    if (!info)
        return -1;
    info->flags = TCHT_NOWHERE;
    const RECT strip = StripOf(hwnd, s);
    if (!PtInRect(&strip, info->pt))
        return -1;
    const Geometry g = Measure(hwnd, s);
    if (info->pt.x >= g.room)
        return -1;
    for (int i = s.first; i < Count(s); ++i) {
        const RECT r = TabRect(hwnd, s, g, i);
        if (info->pt.x >= r.left && info->pt.x < r.right) {
            const bool onImage = s.tabs[static_cast<size_t>(i)].image >= 0 && s.images &&
                                 info->pt.x < r.left + ScaleX(6) + ImageSize(s).cx;
            info->flags = onImage ? TCHT_ONITEMICON : TCHT_ONITEMLABEL;
            return i;
        }
    }
    return -1;
}

// ---- Painting ---------------------------------------------------------------

void DrawArrow(HDC hdc, RECT box, bool forward, bool enabled)
{
    FillRect(hdc, &box, GetSysColorBrush(COLOR_BTNFACE));
    RECT edge = box;
    DrawEdge(hdc, &edge, EDGE_RAISED, BF_RECT);
    const int cx = (box.left + box.right) / 2;
    const int cy = (box.top + box.bottom) / 2;
    const int r = std::max(2, (box.bottom - box.top) / 5);
    const int tip = forward ? r / 2 : -r / 2;
    const POINT p[3] = {{cx + tip, cy}, {cx - tip, cy - r}, {cx - tip, cy + r}};
    HGDIOBJ oldBrush = SelectObject(hdc, GetSysColorBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    HGDIOBJ oldPen = SelectObject(hdc, GetStockObject(NULL_PEN));
    Polygon(hdc, p, 3);
    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);
}

void PaintTab(HDC hdc, const TabState& s, const Tab& t, RECT r, COLORREF ink)
{
    int x = r.left + ScaleX(6);
    if (t.image >= 0 && s.images) {
        const SIZE image = ImageSize(s);
        ImageList_Draw(s.images, t.image, hdc, x, (r.top + r.bottom - image.cy) / 2, ILD_TRANSPARENT);
        x += image.cx + ScaleX(4);
    }
    SetTextColor(hdc, ink);
    RECT text{x, r.top, r.right - ScaleX(4), r.bottom};
    DrawText(hdc, t.text.c_str(), static_cast<int>(t.text.size()), &text,
             DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void Paint(HWND hwnd, TabState& s)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    const RECT c = ClientOf(hwnd);
    const RECT strip = StripOf(hwnd, s);
    const bool bottom = AtBottom(hwnd);
    // The display area and the current tab share the pages' background.
    HBRUSH page = ControlBrush(hwnd, hdc, WM_CTLCOLORSTATIC, GetSysColorBrush(COLOR_WINDOW));
    const COLORREF ink = GetTextColor(hdc);
    RECT display = c;
    (bottom ? display.bottom : display.top) = bottom ? strip.top : strip.bottom;
    FillRect(hdc, &display, page);
    FillRect(hdc, &strip, GetSysColorBrush(COLOR_BTNFACE));
    const Geometry g = Measure(hwnd, s);
    HBRUSH frame = GetSysColorBrush(COLOR_WINDOWFRAME);
    const int edgeY = bottom ? strip.top : strip.bottom - 1;
    RECT edge{0, edgeY, strip.right, edgeY + 1};
    FillRect(hdc, &edge, frame);

    HGDIOBJ oldFont = SelectObject(hdc, FontOr(s.font));
    SetBkMode(hdc, TRANSPARENT);
    IntersectClipRect(hdc, 0, strip.top, g.room, strip.bottom);
    for (int i = s.first; i < Count(s); ++i) {
        RECT r = TabRect(hwnd, s, g, i);
        if (r.left >= g.room)
            break;
        const bool current = i == s.cur;
        if (current) {
            // The current tab opens into the display area over the edge line.
            FillRect(hdc, &r, page);
            RECT side{r.left, r.top, r.left + 1, r.bottom};
            FillRect(hdc, &side, frame);
            side = RECT{r.right - 1, r.top, r.right, r.bottom};
            FillRect(hdc, &side, frame);
            RECT far = bottom ? RECT{r.left, r.bottom - 1, r.right, r.bottom} : RECT{r.left, r.top, r.right, r.top + 1};
            FillRect(hdc, &far, frame);
        } else if (i + 1 != s.cur) {
            RECT sep{r.right - 1, r.top + ScaleY(4), r.right, r.bottom - ScaleY(4)};
            FillRect(hdc, &sep, GetSysColorBrush(COLOR_BTNSHADOW));
        }
        PaintTab(hdc, s, s.tabs[static_cast<size_t>(i)], r, IsWindowEnabled(hwnd) ? ink : GetSysColor(COLOR_GRAYTEXT));
        if (current && s.focused) {
            RECT focus = r;
            InflateRect(&focus, -ScaleX(3), -ScaleY(3));
            DrawFocusRect(hdc, &focus);
        }
    }
    SelectClipRgn(hdc, nullptr);
    SelectObject(hdc, oldFont);
    if (g.arrows) {
        DrawArrow(hdc, ArrowRect(hwnd, s, false), false, g.canBack);
        DrawArrow(hdc, ArrowRect(hwnd, s, true), true, g.canOn);
    }
    EndPaint(hwnd, &ps);
}

// ---- Pen and keys -------------------------------------------------------------

void Press(HWND hwnd, TabState& s, POINT pt, bool twice)
{
    SetFocus(hwnd);
    const Geometry g = Measure(hwnd, s);
    if (g.arrows) {
        const RECT back = ArrowRect(hwnd, s, false);
        const RECT on = ArrowRect(hwnd, s, true);
        if (PtInRect(&back, pt) || PtInRect(&on, pt)) {
            if (PtInRect(&back, pt) && g.canBack)
                --s.first;
            else if (PtInRect(&on, pt) && g.canOn)
                ++s.first;
            InvalidateRect(hwnd, nullptr, false);
            return;
        }
    }
    TCHITTESTINFO hit;
    hit.pt = pt;
    const int index = HitTest(hwnd, s, &hit);
    Choose(hwnd, s, index);
    if (IsWindow(hwnd))
        TellPlain(hwnd, NM_CLICK);
    if (twice && index >= 0 && IsWindow(hwnd))
        TellPlain(hwnd, NM_DBLCLK);
}

void KeyDown(HWND hwnd, TabState& s, WPARAM vk)
{
    NMTCKEYDOWN nm;
    nm.wVKey = static_cast<std::uint16_t>(vk);
    NotifyRecord(hwnd, &nm.hdr, TCN_KEYDOWN);
    if (!IsWindow(hwnd) || s.tabs.empty())
        return;
    switch (vk) {
    case VK_LEFT:
        Choose(hwnd, s, std::max(0, s.cur - 1));
        break;
    case VK_RIGHT:
        Choose(hwnd, s, std::min(Count(s) - 1, s.cur + 1));
        break;
    case VK_HOME:
        Choose(hwnd, s, 0);
        break;
    case VK_END:
        Choose(hwnd, s, Count(s) - 1);
        break;
    default:
        break;
    }
}

// ---- Messages -----------------------------------------------------------------

void Apply(Tab& t, const TCITEM& item)
{
    if (item.mask & TCIF_TEXT)
        t.text = item.pszText ? std::u16string(item.pszText) : std::u16string();
    if (item.mask & TCIF_IMAGE)
        t.image = item.iImage;
    if (item.mask & TCIF_PARAM)
        t.param = item.lParam;
}

bool GetItem(const TabState& s, WPARAM index, TCITEM* item)
{
    if (!item || !Valid(s, index))
        return false;
    const Tab& t = s.tabs[index];
    if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0) {
        const size_t count = std::min(t.text.size(), static_cast<size_t>(item->cchTextMax - 1));
        std::copy_n(t.text.begin(), count, item->pszText);
        item->pszText[count] = u'\0';
    }
    if (item->mask & TCIF_IMAGE)
        item->iImage = t.image;
    if (item->mask & TCIF_PARAM)
        item->lParam = t.param;
    return true;
}

LRESULT Insert(HWND hwnd, TabState& s, WPARAM index, const TCITEM* item)
{
    if (!item || static_cast<std::intptr_t>(index) < 0)
        return -1;
    const size_t at = std::min(static_cast<size_t>(index), s.tabs.size());
    Tab t;
    Apply(t, *item);
    s.tabs.insert(s.tabs.begin() + static_cast<std::ptrdiff_t>(at), std::move(t));
    if (s.cur < 0)
        s.cur = 0;
    else if (s.cur >= static_cast<int>(at))
        ++s.cur;
    EnsureVisible(hwnd, s, s.cur);
    return static_cast<LRESULT>(at);
}

bool Delete(HWND hwnd, TabState& s, WPARAM index)
{
    if (!Valid(s, index))
        return false;
    const int at = static_cast<int>(index);
    s.tabs.erase(s.tabs.begin() + at);
    s.first = std::clamp(s.first, 0, std::max(0, Count(s) - 1));
    const bool wasCurrent = at == s.cur;
    if (at < s.cur)
        --s.cur;
    else if (wasCurrent)
        s.cur = std::min(at, Count(s) - 1);
    EnsureVisible(hwnd, s, s.cur);
    InvalidateRect(hwnd, nullptr, false);
    // The parent shows the page of the tab that took the deleted one's place.
    if (wasCurrent && s.cur >= 0)
        TellPlain(hwnd, TCN_SELCHANGE);
    return true;
}

void AdjustRect(HWND hwnd, const TabState& s, bool toWindow, RECT* r)
{
    if (!r)
        return;
    const int h = StripHeight(s);
    const bool bottom = AtBottom(hwnd);
    const int grow = toWindow ? h : -h;
    if (bottom)
        r->bottom += grow;
    else
        r->top -= grow;
    if (r->bottom < r->top)
        r->bottom = r->top;
}

constexpr CommonAnswers<TabState> kCommon{
    .paint = &Paint,
    .focused = &TabState::focused,
    .font = &TabState::font,
    // A new font changes the tabs' widths.
    .fontChanged = [](HWND hwnd, TabState& s, bool) { EnsureVisible(hwnd, s, s.cur); },
};

} // namespace

LRESULT TabProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE) {
        MakeState<TabState>(hwnd);
        return 0;
    }
    auto state = StateOf<TabState>(hwnd);
    if (!state)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    TabState& s = *state;
    switch (msg) {
    case TCM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(s.images);
    case TCM_SETIMAGELIST: {
        HIMAGELIST old = s.images;
        s.images = reinterpret_cast<HIMAGELIST>(lParam);
        EnsureVisible(hwnd, s, s.cur);
        return reinterpret_cast<LRESULT>(old);
    }
    case TCM_GETITEMCOUNT:
        return Count(s);
    case TCM_GETITEM:
        return GetItem(s, wParam, reinterpret_cast<TCITEM*>(lParam));
    case TCM_SETITEM: {
        const auto* item = reinterpret_cast<const TCITEM*>(lParam);
        if (!item || !Valid(s, wParam))
            return 0;
        Apply(s.tabs[wParam], *item);
        EnsureVisible(hwnd, s, s.cur);
        return 1;
    }
    case TCM_INSERTITEM:
        return Insert(hwnd, s, wParam, reinterpret_cast<const TCITEM*>(lParam));
    case TCM_DELETEITEM:
        return Delete(hwnd, s, wParam);
    case TCM_DELETEALLITEMS:
        s.tabs.clear();
        s.cur = -1;
        s.first = 0;
        InvalidateRect(hwnd, nullptr, false);
        return 1;
    case TCM_GETITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r || !Valid(s, wParam))
            return 0;
        *r = TabRect(hwnd, s, Measure(hwnd, s), static_cast<int>(wParam));
        return 1;
    }
    case TCM_GETCURSEL:
        return s.cur;
    case TCM_SETCURSEL: {
        if (!Valid(s, wParam))
            return -1;
        const int old = s.cur;
        s.cur = static_cast<int>(wParam);
        EnsureVisible(hwnd, s, s.cur);
        return old;
    }
    case TCM_HITTEST:
        return HitTest(hwnd, s, reinterpret_cast<TCHITTESTINFO*>(lParam));
    case TCM_ADJUSTRECT:
        AdjustRect(hwnd, s, wParam != 0, reinterpret_cast<RECT*>(lParam));
        return 0;
    case WM_SIZE:
        EnsureVisible(hwnd, s, s.cur);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        Press(hwnd, s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, msg == WM_LBUTTONDBLCLK);
        return 0;
    case WM_KEYDOWN:
        KeyDown(hwnd, s, wParam);
        return 0;
    default:
        return CommonMessage(hwnd, s, kCommon, msg, wParam, lParam);
    }
}

} // namespace Platform::Controls
