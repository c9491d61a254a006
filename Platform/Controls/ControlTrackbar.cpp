// The trackbar.

#include "ControlTrackbar.h"
#include "ControlImpl.h"
#include "Shell/ShellScreen.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace Platform::Controls {
namespace {

struct TrackState {
    static inline const char key = 0;
    int low = 0;
    int high = 100;
    int pos = 0;
    int ticFreq = 1;
    int page = 20;
    int line = 1;
    bool dragging = false;
    int grabOffset = 0;
    // While the pen pages on the channel: where it is along the bar.
    bool paging = false;
    int penAlong = 0;
    bool keyHeld = false;
    bool focused = false;
};

// Keys and the pen ask with the scroll bar's codes.
static_assert(TB_LINEUP == SB_LINEUP && TB_PAGEDOWN == SB_PAGEDOWN && TB_BOTTOM == SB_BOTTOM &&
              TB_ENDTRACK == SB_ENDSCROLL);

bool Vertical(HWND hwnd)
{
    return (StyleOf(hwnd) & TBS_VERT) != 0;
}

// The slide along the bar: the thumb's centre runs from `start` to `end`.
struct Slide {
    int start = 0;
    int end = 0;
    int thumb = 0;
};

Slide SlideOf(HWND hwnd)
{
    const RECT c = ClientOf(hwnd);
    const int length = Vertical(hwnd) ? c.bottom : c.right;
    Slide sl;
    sl.thumb = std::max(2, std::min(Vertical(hwnd) ? ScaleY(11) : ScaleX(11), length / 2));
    sl.start = sl.thumb / 2;
    sl.end = std::max(sl.start, length - sl.thumb / 2 - 1);
    return sl;
}

int CentreOf(const TrackState& s, const Slide& sl)
{
    const long long span = static_cast<long long>(s.high) - s.low;
    if (span <= 0)
        return sl.start;
    return sl.start + static_cast<int>((static_cast<long long>(s.pos) - s.low) * (sl.end - sl.start) / span);
}

int PosAt(const TrackState& s, const Slide& sl, int along)
{
    const long long span = static_cast<long long>(s.high) - s.low;
    const int room = sl.end - sl.start;
    if (span <= 0 || room <= 0)
        return s.low;
    const long long offset = std::clamp(along - sl.start, 0, room);
    return static_cast<int>(s.low + (offset * span + room / 2) / room);
}

int Along(HWND hwnd, LPARAM lParam)
{
    return Vertical(hwnd) ? GET_Y_LPARAM(lParam) : GET_X_LPARAM(lParam);
}

void Tell(HWND hwnd, const TrackState& s, unsigned code)
{
    const bool thumb = code == TB_THUMBTRACK || code == TB_THUMBPOSITION;
    TellScroll(hwnd, Vertical(hwnd), code, thumb ? s.pos : 0);
}

bool MoveTo(HWND hwnd, TrackState& s, long long pos)
{
    const int old = s.pos;
    s.pos = static_cast<int>(std::clamp<long long>(pos, s.low, s.high));
    if (s.pos != old)
        InvalidateRect(hwnd, nullptr, false);
    return s.pos != old;
}

// A user's move by `code`; tells the parent when the thumb moved.
void UserMove(HWND hwnd, TrackState& s, unsigned code, long long to)
{
    if (MoveTo(hwnd, s, to))
        Tell(hwnd, s, code);
}

// One page from the thumb towards the pen on the channel.
void PageTowardsPen(HWND hwnd, TrackState& s)
{
    const int centre = CentreOf(s, SlideOf(hwnd));
    const int half = SlideOf(hwnd).thumb / 2;
    if (s.penAlong < centre - half)
        UserMove(hwnd, s, TB_PAGEUP, std::max<long long>(static_cast<long long>(s.pos) - s.page, PosAt(s, SlideOf(hwnd), s.penAlong)));
    else if (s.penAlong > centre + half)
        UserMove(hwnd, s, TB_PAGEDOWN, std::min<long long>(static_cast<long long>(s.pos) + s.page, PosAt(s, SlideOf(hwnd), s.penAlong)));
}

int TickCount(HWND hwnd, const TrackState& s)
{
    const std::uint32_t style = StyleOf(hwnd);
    if (style & TBS_NOTICKS)
        return 0;
    const long long span = static_cast<long long>(s.high) - s.low;
    if (span <= 0)
        return 1;
    if (!(style & TBS_AUTOTICKS))
        return 2;
    return static_cast<int>((span + s.ticFreq - 1) / s.ticFreq + 1);
}

void Paint(HWND hwnd, const TrackState& s)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    const RECT c = ClientOf(hwnd);
    const bool vertical = Vertical(hwnd);
    FillRect(hdc, &c, ControlBrush(hwnd, hdc, WM_CTLCOLORSTATIC, GetSysColorBrush(COLOR_STATIC)));
    const Slide sl = SlideOf(hwnd);
    const int across = vertical ? c.right : c.bottom;
    const int tickRoom = (StyleOf(hwnd) & TBS_NOTICKS) ? 0 : std::max(3, across / 4);
    const int thumbAcross = across - tickRoom;
    const int mid = thumbAcross / 2;
    auto span = [&](int alongFrom, int alongTo, int acrossFrom, int acrossTo) {
        return vertical ? RECT{acrossFrom, alongFrom, acrossTo, alongTo} : RECT{alongFrom, acrossFrom, alongTo, acrossTo};
    };
    RECT channel = span(sl.start, sl.end + 1, mid - 2, mid + 2);
    DrawEdge(hdc, &channel, EDGE_SUNKEN, BF_RECT);

    if (tickRoom) {
        HBRUSH ink = GetSysColorBrush(COLOR_BTNTEXT);
        const long long range = static_cast<long long>(s.high) - s.low;
        auto tickAt = [&](long long value) {
            const int at = range > 0 ? sl.start + static_cast<int>((value - s.low) * (sl.end - sl.start) / range) : sl.start;
            RECT t = span(at, at + 1, thumbAcross + 1, thumbAcross + tickRoom - 1);
            FillRect(hdc, &t, ink);
        };
        if (StyleOf(hwnd) & TBS_AUTOTICKS)
            for (long long v = s.low; v < s.high; v += s.ticFreq)
                tickAt(v);
        else
            tickAt(s.low);
        tickAt(s.high);
    }

    const int centre = CentreOf(s, sl);
    RECT thumb = span(centre - sl.thumb / 2, centre - sl.thumb / 2 + sl.thumb, 1, std::max(2, thumbAcross - 1));
    FillRect(hdc, &thumb, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(hdc, &thumb, s.dragging ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    if (s.focused) {
        RECT focus = c;
        DrawFocusRect(hdc, &focus);
    }
    EndPaint(hwnd, &ps);
}

void EndPen(HWND hwnd, TrackState& s)
{
    KillTimer(hwnd, kRepeatTimer);
    const bool wasDragging = s.dragging;
    s.dragging = false;
    s.paging = false;
    InvalidateRect(hwnd, nullptr, false);
    if (wasDragging)
        Tell(hwnd, s, TB_THUMBPOSITION);
    Tell(hwnd, s, TB_ENDTRACK);
}

constexpr CommonAnswers<TrackState, const TrackState> kCommon{.paint = &Paint, .focused = &TrackState::focused};

// ---- Messages -----------------------------------------------------------

LRESULT GetPos(HWND, TrackState& s, WPARAM, LPARAM)
{
    return s.pos;
}

LRESULT SetPos(HWND hwnd, TrackState& s, WPARAM, LPARAM lParam)
{
    MoveTo(hwnd, s, static_cast<int>(lParam));
    return 0;
}

LRESULT SetRange(HWND hwnd, TrackState& s, WPARAM wParam, LPARAM lParam)
{
    s.low = static_cast<int>(LOWORD(static_cast<std::uintptr_t>(lParam)));
    s.high = std::max(s.low, static_cast<int>(HIWORD(static_cast<std::uintptr_t>(lParam))));
    MoveTo(hwnd, s, s.pos);
    if (wParam)
        InvalidateRect(hwnd, nullptr, false);
    return 0;
}

LRESULT GetRangeMin(HWND, TrackState& s, WPARAM, LPARAM)
{
    return s.low;
}

LRESULT GetRangeMax(HWND, TrackState& s, WPARAM, LPARAM)
{
    return s.high;
}

LRESULT SetTicFreq(HWND hwnd, TrackState& s, WPARAM wParam, LPARAM)
{
    s.ticFreq = std::max(1, static_cast<int>(wParam));
    InvalidateRect(hwnd, nullptr, false);
    return 0;
}

// The page and line steps are at least 1 and answer the step they replace.
LRESULT SetPageSize(HWND, TrackState& s, WPARAM, LPARAM lParam)
{
    return std::exchange(s.page, std::max(1, static_cast<int>(lParam)));
}

LRESULT GetPageSize(HWND, TrackState& s, WPARAM, LPARAM)
{
    return s.page;
}

LRESULT SetLineSize(HWND, TrackState& s, WPARAM, LPARAM lParam)
{
    return std::exchange(s.line, std::max(1, static_cast<int>(lParam)));
}

LRESULT GetLineSize(HWND, TrackState& s, WPARAM, LPARAM)
{
    return s.line;
}

LRESULT NumTics(HWND hwnd, TrackState& s, WPARAM, LPARAM)
{
    return TickCount(hwnd, s);
}

// The pen on the thumb drags it; elsewhere on the slide it pages towards
// the pen, repeating while held.
LRESULT PenDown(HWND hwnd, TrackState& s, WPARAM, LPARAM lParam)
{
    if (!IsWindowEnabled(hwnd))
        return 0;
    if (StyleOf(hwnd) & WS_TABSTOP)
        SetFocus(hwnd);
    const Slide sl = SlideOf(hwnd);
    const int along = Along(hwnd, lParam);
    const int centre = CentreOf(s, sl);
    SetCapture(hwnd);
    if (std::abs(along - centre) <= sl.thumb / 2) {
        s.dragging = true;
        s.grabOffset = along - centre;
        InvalidateRect(hwnd, nullptr, false);
        return 0;
    }
    s.paging = true;
    s.penAlong = along;
    PageTowardsPen(hwnd, s);
    if (IsWindow(hwnd) && s.paging)
        SetTimer(hwnd, kRepeatTimer, kFirstRepeatMs, nullptr);
    return 0;
}

LRESULT PenMove(HWND hwnd, TrackState& s, WPARAM, LPARAM lParam)
{
    if (GetCapture() != hwnd)
        return 0;
    if (s.dragging)
        UserMove(hwnd, s, TB_THUMBTRACK, PosAt(s, SlideOf(hwnd), Along(hwnd, lParam) - s.grabOffset));
    else if (s.paging)
        s.penAlong = Along(hwnd, lParam);
    return 0;
}

LRESULT PenUp(HWND hwnd, TrackState& s, WPARAM, LPARAM lParam)
{
    if (GetCapture() != hwnd)
        return 0;
    if (s.dragging)
        MoveTo(hwnd, s, PosAt(s, SlideOf(hwnd), Along(hwnd, lParam) - s.grabOffset));
    ReleaseCapture();
    return 0;
}

LRESULT CaptureLost(HWND hwnd, TrackState& s, WPARAM, LPARAM)
{
    if (s.dragging || s.paging)
        EndPen(hwnd, s);
    return 0;
}

LRESULT Repeat(HWND hwnd, TrackState& s, WPARAM wParam, LPARAM)
{
    if (wParam == kRepeatTimer)
        RepeatTick(hwnd, [&] { return s.paging; }, [&] { PageTowardsPen(hwnd, s); });
    return 0;
}

LRESULT KeyDown(HWND hwnd, TrackState& s, WPARAM wParam, LPARAM)
{
    const unsigned code = ScrollCodeOfKey(wParam);
    if (code == SB_ENDSCROLL)
        return 0;
    const long long pos = s.pos;
    // Where each scroll code moves the thumb, indexed by the code.
    const long long to[] = {pos - s.line, pos + s.line, pos - s.page, pos + s.page, pos, pos, s.low, s.high};
    s.keyHeld = true;
    UserMove(hwnd, s, code, to[code]);
    return 0;
}

LRESULT Destroy(HWND hwnd, TrackState&, WPARAM, LPARAM)
{
    KillTimer(hwnd, kRepeatTimer);
    return 0;
}

constexpr MessageRow<TrackState> kMessages[] = {
    {TBM_GETPOS, &GetPos},
    {TBM_SETPOS, &SetPos},
    {TBM_SETRANGE, &SetRange},
    {TBM_GETRANGEMIN, &GetRangeMin},
    {TBM_GETRANGEMAX, &GetRangeMax},
    {TBM_SETTICFREQ, &SetTicFreq},
    {TBM_SETPAGESIZE, &SetPageSize},
    {TBM_GETPAGESIZE, &GetPageSize},
    {TBM_SETLINESIZE, &SetLineSize},
    {TBM_GETLINESIZE, &GetLineSize},
    {TBM_GETNUMTICS, &NumTics},
    {WM_LBUTTONDOWN, &PenDown},
    {WM_LBUTTONDBLCLK, &PenDown},
    {WM_MOUSEMOVE, &PenMove},
    {WM_LBUTTONUP, &PenUp},
    {WM_CAPTURECHANGED, &CaptureLost},
    {WM_TIMER, &Repeat},
    {WM_KEYDOWN, &KeyDown},
    {WM_KEYUP, &EndKeyScroll<TrackState, &Tell>},
    {WM_DESTROY, &Destroy},
};

} // namespace

LRESULT TrackbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return TableProc(kMessages, kCommon, hwnd, msg, wParam, lParam);
}

} // namespace Platform::Controls
