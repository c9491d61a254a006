// Scroll bars: the bar of WS_VSCROLL windows and the scroll-bar control,
// sharing their ranges, geometry and drawing.

#include "ControlScrollBar.h"
#include "ControlImpl.h"
#include "Shell/ShellScreen.h"

#include <algorithm>
#include <cstdint>

namespace Platform::Controls {
namespace {

struct BarInfo {
    int min = 0;
    int max = 0;
    UINT page = 0;
    int pos = 0;
    int trackPos = 0;
    bool keepShown = false;
};

// The bars of an ordinary window.
struct WindowBars {
    static inline const char key = 0;
    BarInfo vert;
    BarInfo horz;
};

struct ScrollControl {
    static inline const char key = 0;
    BarInfo info;
    bool dragging = false;
    bool pressed = false;
    int grabOffset = 0;
};

std::int64_t Span(const BarInfo& b)
{
    return static_cast<std::int64_t>(b.max) - b.min + 1;
}

// The highest position the page allows.
int TopPos(const BarInfo& b)
{
    const std::int64_t top = static_cast<std::int64_t>(b.max) - std::max<std::int64_t>(b.page, 1) + 1;
    return static_cast<int>(std::max<std::int64_t>(top, b.min));
}

void Clamp(BarInfo& b)
{
    if (b.max < b.min)
        b.max = b.min;
    b.page = static_cast<UINT>(std::min<std::int64_t>(b.page, Span(b)));
    b.pos = std::clamp(b.pos, b.min, TopPos(b));
    b.trackPos = std::clamp(b.trackPos, b.min, TopPos(b));
}

void Apply(BarInfo& b, const SCROLLINFO& si)
{
    if (si.fMask & SIF_RANGE) {
        b.min = si.nMin;
        b.max = si.nMax;
    }
    if (si.fMask & SIF_PAGE)
        b.page = si.nPage;
    if (si.fMask & SIF_POS)
        b.pos = si.nPos;
    b.keepShown = (si.fMask & SIF_DISABLENOSCROLL) != 0;
    Clamp(b);
}

void Fill(const BarInfo& b, SCROLLINFO& si)
{
    if (si.fMask & SIF_RANGE) {
        si.nMin = b.min;
        si.nMax = b.max;
    }
    if (si.fMask & SIF_PAGE)
        si.nPage = b.page;
    if (si.fMask & SIF_POS)
        si.nPos = b.pos;
    if (si.fMask & SIF_TRACKPOS)
        si.nTrackPos = b.trackPos;
}

// The parts of a bar along its length: two arrow boxes of the bar's
// thickness at the ends, the track between them and the thumb on the track.
struct Geometry {
    int length = 0;
    int arrow = 0;
    int trackStart = 0;
    int trackEnd = 0;
    int thumbStart = 0;
    int thumbEnd = 0;
};

Geometry Measure(const BarInfo& b, int length, int thickness)
{
    Geometry g;
    g.length = length;
    g.arrow = std::min(thickness, length / 2);
    g.trackStart = g.arrow;
    g.trackEnd = length - g.arrow;
    const int track = g.trackEnd - g.trackStart;
    const std::int64_t span = Span(b);
    int thumb = track;
    if (b.page > 0 && b.page < span)
        thumb = static_cast<int>(track * static_cast<std::int64_t>(b.page) / span);
    else if (b.page == 0 && span > 1)
        thumb = thickness;
    thumb = std::clamp(thumb, std::min(track, ScaleY(8)), track);
    const std::int64_t range = static_cast<std::int64_t>(TopPos(b)) - b.min;
    const int offset = range > 0 ? static_cast<int>((track - thumb) * (static_cast<std::int64_t>(b.trackPos) - b.min) / range) : 0;
    g.thumbStart = g.trackStart + offset;
    g.thumbEnd = g.thumbStart + thumb;
    return g;
}

int PosFromThumb(const BarInfo& b, const Geometry& g, int thumbStart)
{
    const int room = (g.trackEnd - g.trackStart) - (g.thumbEnd - g.thumbStart);
    const std::int64_t range = static_cast<std::int64_t>(TopPos(b)) - b.min;
    if (room <= 0 || range <= 0)
        return b.min;
    const std::int64_t offset = std::clamp(thumbStart - g.trackStart, 0, room);
    return static_cast<int>(b.min + (offset * range + room / 2) / room);
}

enum class Part { None, LineUp, PageUp, Thumb, PageDown, LineDown };

Part HitPart(const Geometry& g, int along)
{
    if (along < 0 || along >= g.length)
        return Part::None;
    if (along < g.trackStart)
        return Part::LineUp;
    if (along >= g.trackEnd)
        return Part::LineDown;
    if (along < g.thumbStart)
        return Part::PageUp;
    if (along >= g.thumbEnd)
        return Part::PageDown;
    return Part::Thumb;
}

unsigned CodeOf(Part part)
{
    switch (part) {
    case Part::LineUp:
        return SB_LINEUP;
    case Part::PageUp:
        return SB_PAGEUP;
    case Part::PageDown:
        return SB_PAGEDOWN;
    case Part::LineDown:
        return SB_LINEDOWN;
    default:
        return SB_ENDSCROLL;
    }
}

// A rectangle of the bar, from positions along it.
RECT Span(const RECT& bar, bool vertical, int from, int to)
{
    return vertical ? RECT{bar.left, bar.top + from, bar.right, bar.top + to}
                    : RECT{bar.left + from, bar.top, bar.left + to, bar.bottom};
}

void DrawBar(HDC hdc, const RECT& bar, bool vertical, const BarInfo& b, HBRUSH track, bool enabled)
{
    const int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
    const int thickness = vertical ? bar.right - bar.left : bar.bottom - bar.top;
    const Geometry g = Measure(b, length, thickness);
    RECT trackRect = Span(bar, vertical, g.trackStart, g.trackEnd);
    FillRect(hdc, &trackRect, track);
    DrawArrowButton(hdc, Span(bar, vertical, 0, g.arrow), vertical ? Arrow::Up : Arrow::Left, false, enabled);
    DrawArrowButton(hdc, Span(bar, vertical, g.trackEnd, g.length), vertical ? Arrow::Down : Arrow::Right, false,
                    enabled);
    const bool scrollable = enabled && TopPos(b) > b.min;
    if (scrollable) {
        RECT thumb = Span(bar, vertical, g.thumbStart, g.thumbEnd);
        FillRect(hdc, &thumb, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(hdc, &thumb, EDGE_RAISED, BF_RECT);
    }
}

// ---- The bar of a WS_VSCROLL window -----------------------------------

std::shared_ptr<WindowBars> BarsOf(HWND hwnd, bool create)
{
    auto bars = std::static_pointer_cast<WindowBars>(GetWindowExtra(hwnd, &WindowBars::key));
    if (!bars && create) {
        bars = std::make_shared<WindowBars>();
        SetWindowExtra(hwnd, &WindowBars::key, bars);
    }
    return bars;
}

void PaintWindowBar(HWND hwnd, HDC hdc, const RECT& strip)
{
    auto bars = BarsOf(hwnd, false);
    const BarInfo info = bars ? bars->vert : BarInfo{};
    DrawBar(hdc, strip, true, info, GetSysColorBrush(COLOR_SCROLLBAR), IsWindowEnabled(hwnd));
}

POINT ScreenOf(const MSG& m, HWND hwnd)
{
    POINT p{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
    ClientToScreen(hwnd, &p);
    return p;
}

// Follows the pen on the thumb until it is lifted, telling the window
// where the thumb is on the way.
void TrackWindowThumb(HWND hwnd, int grabOffset, const RECT& stripOnScreen)
{
    SetCapture(hwnd);
    for (;;) {
        MSG m;
        if (!GetMessage(&m, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        if (m.hwnd == hwnd && (m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP)) {
            auto bars = BarsOf(hwnd, false);
            if (!bars)
                break;
            BarInfo& b = bars->vert;
            const Geometry g = Measure(b, stripOnScreen.bottom - stripOnScreen.top, stripOnScreen.right - stripOnScreen.left);
            const POINT p = ScreenOf(m, hwnd);
            b.trackPos = PosFromThumb(b, g, p.y - stripOnScreen.top - grabOffset);
            const bool up = m.message == WM_LBUTTONUP;
            SendMessage(hwnd, WM_VSCROLL, MAKEWPARAM(up ? SB_THUMBPOSITION : SB_THUMBTRACK, static_cast<unsigned>(b.trackPos)), 0);
            if (up)
                break;
            SendMessage(hwnd, WM_NCPAINT, 0, 0);
            continue;
        }
        TranslateMessage(&m);
        DispatchMessage(&m);
        if (!IsWindow(hwnd) || GetCapture() != hwnd)
            break;
    }
    if (IsWindow(hwnd)) {
        if (GetCapture() == hwnd)
            ReleaseCapture();
        if (auto bars = BarsOf(hwnd, false))
            bars->vert.trackPos = bars->vert.pos;
        SendMessage(hwnd, WM_VSCROLL, SB_ENDSCROLL, 0);
        SendMessage(hwnd, WM_NCPAINT, 0, 0);
    }
}

void PressWindowBar(HWND hwnd, POINT screenPoint)
{
    auto bars = BarsOf(hwnd, false);
    if (!bars || !IsWindowEnabled(hwnd))
        return;
    RECT strip = GetScrollBarRect(hwnd);
    RECT window;
    GetWindowRect(hwnd, &window);
    OffsetRect(&strip, window.left, window.top);
    const Geometry g = Measure(bars->vert, strip.bottom - strip.top, strip.right - strip.left);
    const int along = screenPoint.y - strip.top;
    const Part part = HitPart(g, along);
    if (part == Part::None)
        return;
    if (part == Part::Thumb) {
        TrackWindowThumb(hwnd, along - g.thumbStart, strip);
        return;
    }
    SendMessage(hwnd, WM_VSCROLL, CodeOf(part), 0);
    if (IsWindow(hwnd))
        SendMessage(hwnd, WM_VSCROLL, SB_ENDSCROLL, 0);
}

int SetWindowBar(HWND hwnd, int bar, const SCROLLINFO& si, bool redraw)
{
    auto bars = BarsOf(hwnd, true);
    if (!bars)
        return 0;
    BarInfo& b = bar == SB_VERT ? bars->vert : bars->horz;
    const int trackBefore = b.trackPos;
    const int posBefore = b.pos;
    Apply(b, si);
    // The thumb follows the position unless the pen is dragging it.
    if (GetCapture() != hwnd || trackBefore == posBefore)
        b.trackPos = b.pos;
    if (bar == SB_VERT) {
        const bool needed = TopPos(b) > b.min || b.keepShown;
        if (needed != IsScrollBarShown(hwnd))
            ShowScrollBar(hwnd, needed);
        else if (redraw && needed)
            SendMessage(hwnd, WM_NCPAINT, 0, 0);
    }
    return b.pos;
}

// ---- The scroll-bar control ---------------------------------------------

bool Vertical(HWND hwnd)
{
    return (StyleOf(hwnd) & SBS_VERT) != 0;
}

Geometry ControlGeometry(HWND hwnd, const BarInfo& b)
{
    const RECT c = ClientOf(hwnd);
    return Vertical(hwnd) ? Measure(b, c.bottom, c.right) : Measure(b, c.right, c.bottom);
}

void Tell(HWND hwnd, unsigned code, int pos = 0)
{
    TellScroll(hwnd, Vertical(hwnd), code, pos);
}

void PaintControl(HWND hwnd, const ScrollControl& s)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    const RECT client = ClientOf(hwnd);
    HBRUSH track = ControlBrush(hwnd, hdc, WM_CTLCOLORSCROLLBAR, GetSysColorBrush(COLOR_SCROLLBAR));
    DrawBar(hdc, client, Vertical(hwnd), s.info, track, IsWindowEnabled(hwnd));
    EndPaint(hwnd, &ps);
}

constexpr CommonAnswers<ScrollControl, const ScrollControl> kCommon{.paint = &PaintControl};

// ---- Messages of the scroll-bar control ---------------------------------

// The thumb follows a new position unless the pen is dragging it.
void FollowPos(ScrollControl& s)
{
    if (!s.dragging)
        s.info.trackPos = s.info.pos;
}

LRESULT SetPos(HWND hwnd, ScrollControl& s, WPARAM wParam, LPARAM lParam)
{
    BarInfo& b = s.info;
    const int old = b.pos;
    b.pos = static_cast<int>(wParam);
    Clamp(b);
    FollowPos(s);
    if (lParam)
        InvalidateRect(hwnd, nullptr, false);
    return old;
}

LRESULT GetPos(HWND, ScrollControl& s, WPARAM, LPARAM)
{
    return s.info.pos;
}

LRESULT SetRange(HWND hwnd, ScrollControl& s, WPARAM wParam, LPARAM lParam)
{
    BarInfo& b = s.info;
    b.min = static_cast<int>(wParam);
    b.max = static_cast<int>(lParam);
    Clamp(b);
    InvalidateRect(hwnd, nullptr, false);
    return b.pos;
}

LRESULT GetRange(HWND, ScrollControl& s, WPARAM wParam, LPARAM lParam)
{
    if (wParam)
        *reinterpret_cast<int*>(wParam) = s.info.min;
    if (lParam)
        *reinterpret_cast<int*>(lParam) = s.info.max;
    return 0;
}

LRESULT SetInfo(HWND hwnd, ScrollControl& s, WPARAM wParam, LPARAM lParam)
{
    if (lParam) {
        Apply(s.info, *reinterpret_cast<const SCROLLINFO*>(lParam));
        FollowPos(s);
        if (wParam)
            InvalidateRect(hwnd, nullptr, false);
    }
    return s.info.pos;
}

LRESULT GetInfo(HWND, ScrollControl& s, WPARAM, LPARAM lParam)
{
    if (!lParam)
        return 0;
    Fill(s.info, *reinterpret_cast<SCROLLINFO*>(lParam));
    return 1;
}

int AlongOf(HWND hwnd, LPARAM lParam)
{
    return Vertical(hwnd) ? GET_Y_LPARAM(lParam) : GET_X_LPARAM(lParam);
}

// The pen takes the thumb, or scrolls by the arrow or page it is on.
LRESULT PenDown(HWND hwnd, ScrollControl& s, WPARAM, LPARAM lParam)
{
    if (StyleOf(hwnd) & WS_TABSTOP)
        SetFocus(hwnd);
    const Geometry g = ControlGeometry(hwnd, s.info);
    const int along = AlongOf(hwnd, lParam);
    const Part part = HitPart(g, along);
    if (part == Part::None)
        return 0;
    SetCapture(hwnd);
    s.pressed = true;
    if (part == Part::Thumb) {
        s.dragging = true;
        s.grabOffset = along - g.thumbStart;
    } else {
        Tell(hwnd, CodeOf(part));
    }
    return 0;
}

// A dragged thumb tracks the pen and lands where the pen lifts.
void DragThumb(HWND hwnd, ScrollControl& s, LPARAM lParam, bool lifted)
{
    if (!s.dragging)
        return;
    BarInfo& b = s.info;
    const Geometry g = ControlGeometry(hwnd, b);
    b.trackPos = PosFromThumb(b, g, AlongOf(hwnd, lParam) - s.grabOffset);
    InvalidateRect(hwnd, nullptr, false);
    Tell(hwnd, lifted ? SB_THUMBPOSITION : SB_THUMBTRACK, b.trackPos);
}

LRESULT PenMove(HWND hwnd, ScrollControl& s, WPARAM, LPARAM lParam)
{
    if (GetCapture() == hwnd)
        DragThumb(hwnd, s, lParam, false);
    return 0;
}

LRESULT PenUp(HWND hwnd, ScrollControl& s, WPARAM, LPARAM lParam)
{
    if (GetCapture() != hwnd)
        return 0;
    DragThumb(hwnd, s, lParam, true);
    ReleaseCapture();
    return 0;
}

LRESULT CaptureLost(HWND hwnd, ScrollControl& s, WPARAM, LPARAM)
{
    if (s.pressed) {
        s.pressed = false;
        s.dragging = false;
        s.info.trackPos = s.info.pos;
        InvalidateRect(hwnd, nullptr, false);
        Tell(hwnd, SB_ENDSCROLL);
    }
    return 0;
}

LRESULT KeyDown(HWND hwnd, ScrollControl&, WPARAM wParam, LPARAM)
{
    const unsigned code = ScrollCodeOfKey(wParam);
    if (code != SB_ENDSCROLL) {
        Tell(hwnd, code);
        Tell(hwnd, SB_ENDSCROLL);
    }
    return 0;
}

constexpr MessageRow<ScrollControl> kMessages[] = {
    {SBM_SETPOS, &SetPos},
    {SBM_GETPOS, &GetPos},
    {SBM_SETRANGE, &SetRange},
    {SBM_GETRANGE, &GetRange},
    {SBM_SETSCROLLINFO, &SetInfo},
    {SBM_GETSCROLLINFO, &GetInfo},
    {WM_LBUTTONDOWN, &PenDown},
    {WM_MOUSEMOVE, &PenMove},
    {WM_LBUTTONUP, &PenUp},
    {WM_CAPTURECHANGED, &CaptureLost},
    {WM_KEYDOWN, &KeyDown},
};

} // namespace

void InstallWindowScrollBars()
{
    ScrollBarHooks hooks;
    hooks.paint = &PaintWindowBar;
    hooks.press = &PressWindowBar;
    SetScrollBarHooks(hooks);
}

LRESULT ScrollBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return TableProc(kMessages, kCommon, hwnd, msg, wParam, lParam);
}

} // namespace Platform::Controls

using namespace Platform::Controls;

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, bool redraw)
{
    if (!info || !IsWindow(hwnd))
        return 0;
    if (bar == SB_CTL)
        return static_cast<int>(SendMessage(hwnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info)));
    return SetWindowBar(hwnd, bar, *info, redraw);
}

bool GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info)
{
    if (!info || !IsWindow(hwnd))
        return false;
    if (bar == SB_CTL)
        return SendMessage(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)) != 0;
    auto bars = BarsOf(hwnd, false);
    Fill(bars ? (bar == SB_VERT ? bars->vert : bars->horz) : BarInfo{}, *info);
    return bars != nullptr;
}

int SetScrollPos(HWND hwnd, int bar, int pos, bool redraw)
{
    const int old = GetScrollPos(hwnd, bar);
    SCROLLINFO si;
    si.fMask = SIF_POS;
    si.nPos = pos;
    SetScrollInfo(hwnd, bar, &si, redraw);
    return old;
}

int GetScrollPos(HWND hwnd, int bar)
{
    SCROLLINFO si;
    si.fMask = SIF_POS;
    return GetScrollInfo(hwnd, bar, &si) ? si.nPos : 0;
}

bool SetScrollRange(HWND hwnd, int bar, int min, int max, bool redraw)
{
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    si.nMin = min;
    si.nMax = max;
    return IsWindow(hwnd) && (SetScrollInfo(hwnd, bar, &si, redraw), true);
}

bool GetScrollRange(HWND hwnd, int bar, int* min, int* max)
{
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    const bool ok = GetScrollInfo(hwnd, bar, &si);
    if (min)
        *min = si.nMin;
    if (max)
        *max = si.nMax;
    return ok;
}
