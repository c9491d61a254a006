// The progress bar.

#include "ControlProgress.h"
#include "ControlImpl.h"

#include <algorithm>

namespace Platform::Controls {
namespace {

struct ProgressState {
    static inline const char key = 0;
    int low = 0;
    int high = 100;
    int pos = 0;
    int step = 10;
};

LRESULT PackedRange(const ProgressState& s)
{
    return MAKELPARAM(s.low, s.high);
}

// Answers the previous position.
LRESULT MoveTo(HWND hwnd, ProgressState& s, long long pos)
{
    const int old = s.pos;
    s.pos = static_cast<int>(std::clamp<long long>(pos, s.low, s.high));
    if (s.pos != old)
        InvalidateRect(hwnd, nullptr, false);
    return old;
}

LRESULT SetRange(HWND hwnd, ProgressState& s, int low, int high)
{
    const LRESULT old = PackedRange(s);
    s.low = low;
    s.high = std::max(low, high);
    MoveTo(hwnd, s, s.pos);
    InvalidateRect(hwnd, nullptr, false);
    return old;
}

void Paint(HWND hwnd, const ProgressState& s)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT c = ClientOf(hwnd);
    FillRect(hdc, &c, ControlBrush(hwnd, hdc, WM_CTLCOLORSTATIC, GetSysColorBrush(COLOR_BTNFACE)));
    FrameRect(hdc, &c, GetSysColorBrush(COLOR_BTNSHADOW));
    InflateRect(&c, -1, -1);
    const long long span = static_cast<long long>(s.high) - s.low;
    const long long done = static_cast<long long>(s.pos) - s.low;
    RECT bar = c;
    if (StyleOf(hwnd) & PBS_VERTICAL) {
        const int length = span > 0 ? static_cast<int>((c.bottom - c.top) * done / span) : 0;
        bar.top = c.bottom - length;
    } else {
        const int length = span > 0 ? static_cast<int>((c.right - c.left) * done / span) : 0;
        bar.right = c.left + length;
    }
    if (!IsRectEmpty(&bar))
        FillRect(hdc, &bar, GetSysColorBrush(COLOR_HIGHLIGHT));
    EndPaint(hwnd, &ps);
}

} // namespace

LRESULT ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE) {
        MakeState<ProgressState>(hwnd);
        return 0;
    }
    auto state = StateOf<ProgressState>(hwnd);
    if (!state)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    ProgressState& s = *state;
    switch (msg) {
    case PBM_SETRANGE:
        return SetRange(hwnd, s, static_cast<int>(LOWORD(static_cast<std::uintptr_t>(lParam))),
                        static_cast<int>(HIWORD(static_cast<std::uintptr_t>(lParam))));
    case PBM_SETRANGE32:
        return SetRange(hwnd, s, static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_GETRANGE:
        if (lParam) {
            auto* range = reinterpret_cast<PBRANGE*>(lParam);
            range->iLow = s.low;
            range->iHigh = s.high;
        }
        return wParam ? s.low : s.high;
    case PBM_SETPOS:
        return MoveTo(hwnd, s, static_cast<int>(wParam));
    case PBM_DELTAPOS:
        return MoveTo(hwnd, s, static_cast<long long>(s.pos) + static_cast<int>(wParam));
    case PBM_GETPOS:
        return s.pos;
    case PBM_SETSTEP: {
        const int old = s.step;
        s.step = static_cast<int>(wParam);
        return old;
    }
    case PBM_STEPIT: {
        // Past either end the bar starts over from the other one.
        const long long count = static_cast<long long>(s.high) - s.low + 1;
        const long long along = static_cast<long long>(s.pos) - s.low + s.step;
        return MoveTo(hwnd, s, s.low + ((along % count) + count) % count);
    }
    case WM_PAINT:
        Paint(hwnd, s);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    default:
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

} // namespace Platform::Controls
