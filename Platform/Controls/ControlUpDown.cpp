// The up-down control and its buddy.

#include "ControlUpDown.h"
#include "ControlImpl.h"
#include "ControlScrollBar.h"
#include "WindowSystem/WindowKeys.h"

#include <algorithm>
#include <optional>
#include <string>

namespace Platform::Controls {
namespace {

struct UpDownState {
    static inline const char key = 0;
    int lower = 0;
    int upper = 100;
    int pos = 0;
    HWND buddy = nullptr;
    // +1 while the pen holds the up arrow, -1 the down arrow.
    int pressed = 0;
    bool overPressed = false;
    bool keyHeld = false;
};

struct BuddyHook {
    static inline const char key = 0;
    WNDPROC old = nullptr;
    HWND updown = nullptr;
};

int Low(const UpDownState& s)
{
    return std::min(s.lower, s.upper);
}

int High(const UpDownState& s)
{
    return std::max(s.lower, s.upper);
}

bool Horizontal(HWND hwnd)
{
    return (StyleOf(hwnd) & UDS_HORZ) != 0;
}

// Plain decimal with an optional sign and spaces around it.
std::optional<long long> ParseNumber(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    long long value = 0;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits) {
        value = value * 10 + (text[i] - u'0');
        if (value > (1LL << 40))
            return std::nullopt;
    }
    while (i < text.size() && text[i] == u' ')
        ++i;
    if (!digits || i != text.size())
        return std::nullopt;
    return negative ? -value : value;
}

bool UsesBuddyText(HWND hwnd, const UpDownState& s)
{
    return s.buddy && IsWindow(s.buddy) && (StyleOf(hwnd) & UDS_SETBUDDYINT);
}

// Takes up a number the user typed in the buddy; false when its text is no
// number in range.
bool ReadBuddy(HWND hwnd, UpDownState& s)
{
    if (!UsesBuddyText(hwnd, s))
        return true;
    const auto value = ParseNumber(TextOf(s.buddy));
    if (!value || *value < Low(s) || *value > High(s))
        return false;
    s.pos = static_cast<int>(*value);
    return true;
}

void ShowInBuddy(HWND hwnd, const UpDownState& s)
{
    if (!UsesBuddyText(hwnd, s))
        return;
    const std::string digits = std::to_string(s.pos);
    SetWindowText(s.buddy, std::u16string(digits.begin(), digits.end()).c_str());
}

LRESULT SetPos(HWND hwnd, UpDownState& s, long long pos)
{
    const int old = s.pos;
    s.pos = static_cast<int>(std::clamp<long long>(pos, Low(s), High(s)));
    ShowInBuddy(hwnd, s);
    return old;
}

void Tell(HWND hwnd, const UpDownState& s, unsigned code)
{
    TellScroll(hwnd, !Horizontal(hwnd), code, s.pos);
}

// One step: +1 up (towards the upper end), -1 down.
void Step(HWND hwnd, UpDownState& s, int direction)
{
    ReadBuddy(hwnd, s);
    NMUPDOWN nm;
    nm.iPos = s.pos;
    nm.iDelta = s.upper >= s.lower ? direction : -direction;
    if (NotifyRecord(hwnd, &nm.hdr, UDN_DELTAPOS) != 0 || !IsWindow(hwnd))
        return;
    long long next = static_cast<long long>(s.pos) + nm.iDelta;
    const bool wrap = (StyleOf(hwnd) & UDS_WRAP) != 0;
    if (next > High(s))
        next = wrap ? Low(s) : High(s);
    else if (next < Low(s))
        next = wrap ? High(s) : Low(s);
    if (next == s.pos)
        return;
    SetPos(hwnd, s, next);
    Tell(hwnd, s, SB_THUMBPOSITION);
}

// ---- The buddy --------------------------------------------------------------

LRESULT BuddyHookProc(HWND buddy, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto hook = std::static_pointer_cast<BuddyHook>(GetWindowExtra(buddy, &BuddyHook::key));
    if (!hook)
        return DefWindowProc(buddy, msg, wParam, lParam);
    const bool arrow = wParam == VK_UP || wParam == VK_DOWN;
    if (IsWindow(hook->updown) && StateOf<UpDownState>(hook->updown)) {
        if ((msg == WM_KEYDOWN || msg == WM_KEYUP) && arrow)
            return SendMessage(hook->updown, msg, wParam, lParam);
        if (msg == WM_GETDLGCODE)
            return CallWindowProc(hook->old, buddy, msg, wParam, lParam) | DLGC_WANTARROWS;
    }
    return CallWindowProc(hook->old, buddy, msg, wParam, lParam);
}

void Unhook(HWND buddy)
{
    if (!buddy || !IsWindow(buddy))
        return;
    auto hook = std::static_pointer_cast<BuddyHook>(GetWindowExtra(buddy, &BuddyHook::key));
    if (!hook)
        return;
    if (GetWindowLong(buddy, GWL_WNDPROC) == reinterpret_cast<LONG_PTR>(&BuddyHookProc)) {
        SetWindowLong(buddy, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(hook->old));
        SetWindowExtra(buddy, &BuddyHook::key, nullptr);
    } else {
        // Someone subclassed the buddy after us: stay in its chain, idle.
        hook->updown = nullptr;
    }
}

void Align(HWND hwnd, HWND buddy)
{
    const std::uint32_t style = StyleOf(hwnd);
    if (!(style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)))
        return;
    RECT b;
    GetWindowRect(buddy, &b);
    POINT corners[2] = {{b.left, b.top}, {b.right, b.bottom}};
    MapWindowPoints(nullptr, GetParent(hwnd), corners, 2);
    const int width = ClientOf(hwnd).right;
    const int height = corners[1].y - corners[0].y;
    const int buddyWidth = std::max(0, corners[1].x - corners[0].x - width);
    if (style & UDS_ALIGNRIGHT) {
        MoveWindow(buddy, corners[0].x, corners[0].y, buddyWidth, height, true);
        MoveWindow(hwnd, corners[0].x + buddyWidth, corners[0].y, width, height, true);
    } else {
        MoveWindow(hwnd, corners[0].x, corners[0].y, width, height, true);
        MoveWindow(buddy, corners[0].x + width, corners[0].y, buddyWidth, height, true);
    }
}

HWND Attach(HWND hwnd, UpDownState& s, HWND buddy)
{
    const HWND old = s.buddy;
    Unhook(old);
    s.buddy = buddy && IsWindow(buddy) ? buddy : nullptr;
    if (!s.buddy)
        return old;
    if (StyleOf(hwnd) & UDS_ARROWKEYS) {
        auto hook = std::make_shared<BuddyHook>();
        hook->updown = hwnd;
        SetWindowExtra(s.buddy, &BuddyHook::key, hook);
        hook->old = reinterpret_cast<WNDPROC>(
            SetWindowLong(s.buddy, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&BuddyHookProc)));
    }
    Align(hwnd, s.buddy);
    return old;
}

// ---- Pen and paint ----------------------------------------------------------

// Which arrow a point is on: +1 up, -1 down, 0 outside.
int ArrowAt(HWND hwnd, POINT p)
{
    const RECT c = ClientOf(hwnd);
    if (!PtInRect(&c, p))
        return 0;
    if (Horizontal(hwnd))
        return p.x >= c.right / 2 ? 1 : -1;
    return p.y < c.bottom / 2 ? 1 : -1;
}

void Paint(HWND hwnd, const UpDownState& s)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    const RECT c = ClientOf(hwnd);
    const bool horizontal = Horizontal(hwnd);
    const bool enabled = IsWindowEnabled(hwnd);
    const RECT upBox = horizontal ? RECT{c.right / 2, 0, c.right, c.bottom} : RECT{0, 0, c.right, c.bottom / 2};
    const RECT downBox = horizontal ? RECT{0, 0, c.right / 2, c.bottom} : RECT{0, c.bottom / 2, c.right, c.bottom};
    // A pressed arrow moves down and right with its sunken face.
    const bool upSunken = s.pressed == 1 && s.overPressed;
    const bool downSunken = s.pressed == -1 && s.overPressed;
    DrawArrowButton(hdc, upBox, horizontal ? Arrow::Right : Arrow::Up, upSunken, enabled, upSunken ? 1 : 0);
    DrawArrowButton(hdc, downBox, horizontal ? Arrow::Left : Arrow::Down, downSunken, enabled, downSunken ? 1 : 0);
    EndPaint(hwnd, &ps);
}

constexpr CommonAnswers<UpDownState, const UpDownState> kCommon{.paint = &Paint};

// ---- Messages -----------------------------------------------------------

LRESULT SetRange(HWND, UpDownState& s, WPARAM, LPARAM lParam)
{
    s.upper = static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(lParam)));
    s.lower = static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(lParam)));
    s.pos = std::clamp(s.pos, Low(s), High(s));
    return 0;
}

LRESULT GetRange(HWND, UpDownState& s, WPARAM, LPARAM)
{
    return MAKELPARAM(s.upper, s.lower);
}

LRESULT SetRange32(HWND, UpDownState& s, WPARAM wParam, LPARAM lParam)
{
    s.lower = static_cast<int>(wParam);
    s.upper = static_cast<int>(lParam);
    s.pos = std::clamp(s.pos, Low(s), High(s));
    return 0;
}

LRESULT GetRange32(HWND, UpDownState& s, WPARAM wParam, LPARAM lParam)
{
    if (wParam)
        *reinterpret_cast<int*>(wParam) = s.lower;
    if (lParam)
        *reinterpret_cast<int*>(lParam) = s.upper;
    return 0;
}

LRESULT SetPos16(HWND hwnd, UpDownState& s, WPARAM, LPARAM lParam)
{
    return SetPos(hwnd, s, static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(lParam))));
}

LRESULT SetPos32(HWND hwnd, UpDownState& s, WPARAM, LPARAM lParam)
{
    return SetPos(hwnd, s, static_cast<int>(lParam));
}

// Both read the buddy's text first and say whether it held a number.
LRESULT GetPos16(HWND hwnd, UpDownState& s, WPARAM, LPARAM)
{
    const bool ok = ReadBuddy(hwnd, s);
    return MAKELPARAM(s.pos, ok ? 0 : 1);
}

LRESULT GetPos32(HWND hwnd, UpDownState& s, WPARAM, LPARAM lParam)
{
    const bool ok = ReadBuddy(hwnd, s);
    if (lParam)
        *reinterpret_cast<bool*>(lParam) = !ok;
    return s.pos;
}

LRESULT SetBuddy(HWND hwnd, UpDownState& s, WPARAM wParam, LPARAM)
{
    return reinterpret_cast<LRESULT>(Attach(hwnd, s, reinterpret_cast<HWND>(wParam)));
}

LRESULT GetBuddy(HWND, UpDownState& s, WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(s.buddy);
}

// A press on an arrow steps at once and repeats while held.
LRESULT PenDown(HWND hwnd, UpDownState& s, WPARAM, LPARAM lParam)
{
    const int arrow = ArrowAt(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    if (!arrow || !IsWindowEnabled(hwnd))
        return 0;
    SetCapture(hwnd);
    s.pressed = arrow;
    s.overPressed = true;
    InvalidateRect(hwnd, nullptr, false);
    Step(hwnd, s, arrow);
    if (IsWindow(hwnd) && s.pressed)
        SetTimer(hwnd, kRepeatTimer, kFirstRepeatMs, nullptr);
    return 0;
}

// The pressed arrow shows sunken only while the pen is over it.
LRESULT PenMove(HWND hwnd, UpDownState& s, WPARAM, LPARAM lParam)
{
    if (GetCapture() == hwnd && s.pressed) {
        const bool over = ArrowAt(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) == s.pressed;
        if (over != s.overPressed) {
            s.overPressed = over;
            InvalidateRect(hwnd, nullptr, false);
        }
    }
    return 0;
}

LRESULT PenUp(HWND hwnd, UpDownState&, WPARAM, LPARAM)
{
    if (GetCapture() == hwnd)
        ReleaseCapture();
    return 0;
}

LRESULT CaptureLost(HWND hwnd, UpDownState& s, WPARAM, LPARAM)
{
    if (s.pressed) {
        KillTimer(hwnd, kRepeatTimer);
        s.pressed = 0;
        s.overPressed = false;
        InvalidateRect(hwnd, nullptr, false);
        Tell(hwnd, s, SB_ENDSCROLL);
    }
    return 0;
}

LRESULT Repeat(HWND hwnd, UpDownState& s, WPARAM wParam, LPARAM)
{
    if (wParam == kRepeatTimer)
        RepeatTick(hwnd, [&] { return s.pressed != 0; },
                   [&] {
                       if (s.overPressed)
                           Step(hwnd, s, s.pressed);
                   });
    return 0;
}

LRESULT KeyDown(HWND hwnd, UpDownState& s, WPARAM wParam, LPARAM)
{
    const int direction = (wParam == VK_UP || wParam == VK_RIGHT)    ? 1
                          : (wParam == VK_DOWN || wParam == VK_LEFT) ? -1
                                                                     : 0;
    if (direction && IsWindowEnabled(hwnd)) {
        s.keyHeld = true;
        Step(hwnd, s, direction);
    }
    return 0;
}

LRESULT Destroy(HWND hwnd, UpDownState& s, WPARAM, LPARAM)
{
    KillTimer(hwnd, kRepeatTimer);
    Unhook(s.buddy);
    s.buddy = nullptr;
    return 0;
}

void Created(HWND hwnd, UpDownState& s)
{
    if (StyleOf(hwnd) & UDS_AUTOBUDDY)
        Attach(hwnd, s, GetWindow(hwnd, GW_HWNDPREV));
}

constexpr MessageRow<UpDownState> kMessages[] = {
    {UDM_SETRANGE, &SetRange},
    {UDM_GETRANGE, &GetRange},
    {UDM_SETRANGE32, &SetRange32},
    {UDM_GETRANGE32, &GetRange32},
    {UDM_SETPOS, &SetPos16},
    {UDM_SETPOS32, &SetPos32},
    {UDM_GETPOS, &GetPos16},
    {UDM_GETPOS32, &GetPos32},
    {UDM_SETBUDDY, &SetBuddy},
    {UDM_GETBUDDY, &GetBuddy},
    {WM_LBUTTONDOWN, &PenDown},
    {WM_LBUTTONDBLCLK, &PenDown},
    {WM_MOUSEMOVE, &PenMove},
    {WM_LBUTTONUP, &PenUp},
    {WM_CAPTURECHANGED, &CaptureLost},
    {WM_TIMER, &Repeat},
    {WM_KEYDOWN, &KeyDown},
    {WM_KEYUP, &EndKeyScroll<UpDownState, &Tell>},
    {WM_DESTROY, &Destroy},
};

} // namespace

LRESULT UpDownProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return TableProc(kMessages, kCommon, hwnd, msg, wParam, lParam, &Created);
}

} // namespace Platform::Controls
