// The input queue: injected stylus and key events become window messages.

#include "WindowInputImpl.h"

#include "CYolClock.h"
#include "MessageQueueImpl.h"
#include "Shell/ShellImpl.h"
#include "Shell/ShellScreen.h"
#include "WindowGeometry.h"
#include "WindowImpl.h"
#include "WindowKeys.h"

#include <cstdlib>
#include <optional>

using namespace Platform;

namespace {

RawInput Event(RawInput::Kind kind, POINT pt, unsigned vk, char16_t ch)
{
    RawInput e;
    e.kind = kind;
    e.pt = pt;
    e.vk = vk;
    e.ch = ch;
    return e;
}

void Push(RawInput e)
{
    e.time = CYolClock::Current().TickCount64();
    {
        InputState& in = Input();
        std::lock_guard<std::mutex> lock(in.m);
        e.seq = ++in.nextSeq;
        in.events.push_back(e);
    }
    WakeAllQueues();
}

char16_t TypedBy(unsigned vk)
{
    switch (vk) {
    case VK_RETURN:
        return u'\r';
    case VK_TAB:
        return u'\t';
    case VK_BACK:
        return 8;
    case VK_ESCAPE:
        return 0x1B;
    case VK_SPACE:
        return u' ';
    default:
        return 0;
    }
}

// Where a stylus event goes, and in which coordinates. Window lock taken.
struct PenTarget {
    HWND hwnd = nullptr;
    bool client = true;
    LRESULT hit = HTCLIENT;
    POINT local;
    std::thread::id thread;
    bool doubleClicks = false;
};

PenTarget FindPenTarget(POINT screen)
{
    PenTarget t;
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    HWND hwnd = m.capture;
    const bool captured = hwnd != nullptr;
    if (!hwnd)
        hwnd = WindowFromPoint(screen);
    Window* w = m.Live(hwnd);
    if (!w)
        return t;
    t.hwnd = hwnd;
    t.thread = w->queue->thread;
    t.doubleClicks = (w->cls->wc.style & CS_DBLCLKS) != 0;
    const POINT origin = ClientOriginOnScreen(m, *w);
    t.local = POINT{screen.x - origin.x, screen.y - origin.y};
    if (captured)
        return t;
    const RECT client = ClientRectInWindow(*w);
    const RECT clientOnScreen{origin.x, origin.y, origin.x + client.right - client.left,
                              origin.y + client.bottom - client.top};
    if (!PtInRect(&clientOnScreen, screen)) {
        t.client = false;
        t.local = screen;
        RECT bar = GetScrollBarRect(hwnd);
        OffsetRect(&bar, origin.x - client.left, origin.y - client.top);
        t.hit = PtInRect(&bar, screen) ? HTVSCROLL : HTBORDER;
    }
    return t;
}

// The window keys go to, and its thread.
HWND KeyTarget(std::thread::id* thread)
{
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    HWND hwnd = m.focus ? m.focus : m.active;
    Window* w = m.Live(hwnd);
    if (!w)
        return nullptr;
    *thread = w->queue->thread;
    return hwnd;
}

std::thread::id ThreadOf(HWND hwnd)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    return w ? w->queue->thread : std::thread::id();
}

bool Accepts(HWND target, UINT message, HWND filter, UINT filterMin, UINT filterMax)
{
    if (filter && target != filter)
        return false;
    return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

enum class Step { Dropped, Made, NotOurs };

// A pen-down on the same window, soon enough and near enough to the last one,
// is a double click when the window's class asks for them.
bool IsDoubleClick(const RawInput& e, const PenState& pen, const PenTarget& t)
{
    return t.client && t.doubleClicks && pen.lastDown == t.hwnd && e.time - pen.lastDownTime <= DoubleClickTime() &&
           std::abs(e.pt.x - pen.lastDownPoint.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
           std::abs(e.pt.y - pen.lastDownPoint.y) <= GetSystemMetrics(SM_CYDOUBLECLK);
}

void PenDownMessage(const RawInput& e, PenState& pen, const PenTarget& t, MSG* msg)
{
    pen.down = true;
    msg->wParam = t.client ? MK_LBUTTON : static_cast<WPARAM>(t.hit);
    msg->message = t.client ? WM_LBUTTONDOWN : WM_NCLBUTTONDOWN;
    if (IsDoubleClick(e, pen, t)) {
        msg->message = WM_LBUTTONDBLCLK;
        pen.lastDown = nullptr;
    } else {
        pen.lastDown = t.hwnd;
        pen.lastDownTime = e.time;
        pen.lastDownPoint = e.pt;
    }
    // A press that stays put until the deadline becomes a tap-and-hold.
    pen.holdArmed = true;
    pen.holdTarget = t.hwnd;
    pen.holdPoint = e.pt;
    pen.holdDeadline = e.time + TapAndHoldDelay;
}

void PenMoveMessage(const RawInput& e, PenState& pen, const PenTarget& t, MSG* msg)
{
    msg->wParam = t.client ? MK_LBUTTON : static_cast<WPARAM>(t.hit);
    msg->message = t.client ? WM_MOUSEMOVE : WM_NCMOUSEMOVE;
    if (pen.holdArmed && (std::abs(e.pt.x - pen.holdPoint.x) > GetSystemMetrics(SM_CXDRAG) ||
                          std::abs(e.pt.y - pen.holdPoint.y) > GetSystemMetrics(SM_CYDRAG)))
        pen.holdArmed = false;
}

void PenUpMessage(PenState& pen, const PenTarget& t, MSG* msg)
{
    pen.down = false;
    pen.holdArmed = false;
    msg->wParam = t.client ? 0 : static_cast<WPARAM>(t.hit);
    msg->message = t.client ? WM_LBUTTONUP : WM_NCLBUTTONUP;
}

Step TranslatePen(const RawInput& e, PenState& pen, std::thread::id thread, MSG* msg)
{
    if (e.kind == RawInput::Kind::PenMove && !pen.down)
        return Step::Dropped; // a stylus does not hover
    const PenTarget t = FindPenTarget(e.pt);
    if (!t.hwnd) {
        if (e.kind == RawInput::Kind::PenUp)
            pen.down = pen.holdArmed = false;
        else if (e.kind == RawInput::Kind::PenDown)
            pen.down = true;
        return Step::Dropped;
    }
    if (t.thread != thread)
        return Step::NotOurs;
    msg->hwnd = t.hwnd;
    msg->lParam = MAKELPARAM(t.local.x, t.local.y);
    if (e.kind == RawInput::Kind::PenDown)
        PenDownMessage(e, pen, t, msg);
    else if (e.kind == RawInput::Kind::PenMove)
        PenMoveMessage(e, pen, t, msg);
    else
        PenUpMessage(pen, t, msg);
    return Step::Made;
}

// F1 and F2 press the soft keys of the window that shows them; their release
// goes nowhere. Answers nothing when the key is not a soft key or no window
// shows soft keys, so that it goes on as a plain key.
std::optional<Step> TranslateSoftKey(const RawInput& e, PenState& pen, std::thread::id thread, MSG* msg)
{
    const int softKey = e.vk == VK_F1 ? 0 : e.vk == VK_F2 ? 1 : -1;
    if (softKey < 0)
        return std::nullopt;
    if (e.kind == RawInput::Kind::KeyDown) {
        const HWND keys = SoftKeyWindow();
        if (!keys)
            return std::nullopt;
        if (ThreadOf(keys) != thread)
            return Step::NotOurs;
        pen.softKeyDown[softKey] = true;
        msg->hwnd = keys;
        msg->message = WM_SHELL_SOFTKEY;
        msg->wParam = static_cast<WPARAM>(softKey);
        return Step::Made;
    }
    if (!pen.softKeyDown[softKey])
        return std::nullopt;
    pen.softKeyDown[softKey] = false;
    return Step::Dropped;
}

Step TranslateKey(const RawInput& e, PenState& pen, std::thread::id thread, MSG* msg)
{
    if (const std::optional<Step> soft = TranslateSoftKey(e, pen, thread, msg))
        return *soft;
    const bool down = e.kind == RawInput::Kind::KeyDown;
    std::thread::id owner;
    const HWND target = KeyTarget(&owner);
    if (!target) {
        pen.keys[e.vk & 0xFF] = down;
        return Step::Dropped;
    }
    if (owner != thread)
        return Step::NotOurs;
    pen.keys[e.vk & 0xFF] = down;
    msg->hwnd = target;
    msg->message = down ? WM_KEYDOWN : WM_KEYUP;
    msg->wParam = e.vk;
    msg->lParam = down ? 1 : static_cast<LPARAM>(0xC0000001u);
    msg->character = down ? e.ch : 0;
    return Step::Made;
}

Step TranslateChar(const RawInput& e, std::thread::id thread, MSG* msg)
{
    std::thread::id owner;
    const HWND target = KeyTarget(&owner);
    if (!target)
        return Step::Dropped;
    if (owner != thread)
        return Step::NotOurs;
    msg->hwnd = target;
    msg->message = WM_CHAR;
    msg->wParam = e.ch;
    msg->lParam = 1;
    return Step::Made;
}

// Translates one event with the pen state `pen` (a copy when peeking).
Step Translate(const RawInput& e, PenState& pen, std::thread::id thread, MSG* msg)
{
    *msg = MSG{};
    msg->time = static_cast<std::uint32_t>(e.time);
    msg->pt = e.pt;
    switch (e.kind) {
    case RawInput::Kind::PenDown:
    case RawInput::Kind::PenMove:
    case RawInput::Kind::PenUp:
        return TranslatePen(e, pen, thread, msg);
    case RawInput::Kind::KeyDown:
    case RawInput::Kind::KeyUp:
        return TranslateKey(e, pen, thread, msg);
    case RawInput::Kind::Char:
        return TranslateChar(e, thread, msg);
    }
    return Step::Dropped;
}

// A tap-and-hold that came due before the next event (or by now).
bool HoldDue(const InputState& in, std::uint64_t now)
{
    if (!in.pen.holdArmed)
        return false;
    if (!in.events.empty())
        return in.events.front().time >= in.pen.holdDeadline;
    return now >= in.pen.holdDeadline;
}

} // namespace

namespace Platform {

InputState& Input()
{
    static InputState* state = new InputState;
    return *state;
}

bool TakeInput(std::thread::id thread, MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove)
{
    InputState& in = Input();
    std::unique_lock<std::mutex> lock(in.m);
    for (;;) {
        if (HoldDue(in, CYolClock::Current().TickCount64())) {
            const HWND target = in.pen.holdTarget;
            if (!IsWindow(target)) {
                in.pen.holdArmed = false;
                continue;
            }
            if (ThreadOf(target) != thread || !Accepts(target, WM_CONTEXTMENU, filter, filterMin, filterMax))
                return false;
            *msg = MSG{};
            msg->hwnd = target;
            msg->message = WM_CONTEXTMENU;
            msg->wParam = reinterpret_cast<WPARAM>(target);
            msg->lParam = MAKELPARAM(in.pen.holdPoint.x, in.pen.holdPoint.y);
            msg->pt = in.pen.holdPoint;
            msg->time = static_cast<std::uint32_t>(in.pen.holdDeadline);
            if (remove)
                in.pen.holdArmed = false;
            return true;
        }
        if (in.events.empty())
            return false;
        RawInput& front = in.events.front();
        const bool key = front.kind == RawInput::Kind::KeyDown || front.kind == RawInput::Kind::KeyUp;
        if (key && !front.hooked && KeyboardHooksInstalled()) {
            // Hooks run the program's code, which may inject or send: not
            // under the input lock.
            const RawInput seen = front;
            lock.unlock();
            const bool swallowed = RunKeyboardHooks(seen);
            lock.lock();
            if (!in.events.empty() && in.events.front().seq == seen.seq) {
                in.events.front().hooked = true;
                if (swallowed)
                    in.events.pop_front();
            }
            continue;
        }
        PenState pen = in.pen;
        const Step step = Translate(in.events.front(), pen, thread, msg);
        if (step == Step::NotOurs)
            return false;
        if (step == Step::Made && !Accepts(msg->hwnd, msg->message, filter, filterMin, filterMax))
            return false;
        if (step == Step::Made && !remove)
            return true;
        in.pen = pen;
        in.events.pop_front();
        if (step == Step::Made)
            return true;
    }
}

bool NextInputDeadline(std::uint64_t* due)
{
    InputState& in = Input();
    std::lock_guard<std::mutex> lock(in.m);
    if (!in.pen.holdArmed)
        return false;
    *due = in.pen.holdDeadline;
    return true;
}

void InjectPenDown(POINT screen)
{
    Push(Event(RawInput::Kind::PenDown, screen, 0, 0));
}

void InjectPenMove(POINT screen)
{
    Push(Event(RawInput::Kind::PenMove, screen, 0, 0));
}

void InjectPenUp(POINT screen)
{
    Push(Event(RawInput::Kind::PenUp, screen, 0, 0));
}

void InjectTap(POINT screen)
{
    InjectPenDown(screen);
    InjectPenUp(screen);
}

void InjectKeyDown(unsigned vk, char16_t character)
{
    Push(Event(RawInput::Kind::KeyDown, POINT{}, vk, character));
}

void InjectKeyUp(unsigned vk)
{
    Push(Event(RawInput::Kind::KeyUp, POINT{}, vk, 0));
}

void InjectKey(unsigned vk)
{
    InjectKeyDown(vk, TypedBy(vk));
    InjectKeyUp(vk);
}

void InjectText(std::u16string_view text)
{
    for (char16_t ch : text)
        Push(Event(RawInput::Kind::Char, POINT{}, 0, ch));
}

void ResetInput()
{
    InputState& in = Input();
    std::lock_guard<std::mutex> lock(in.m);
    in.events.clear();
    in.pen = PenState{};
}

} // namespace Platform

short GetKeyState(unsigned vk)
{
    InputState& in = Input();
    std::lock_guard<std::mutex> lock(in.m);
    const bool* keys = in.pen.keys;
    bool down;
    if (vk == VK_SHIFT)
        down = keys[VK_SHIFT] || keys[VK_LSHIFT] || keys[VK_RSHIFT];
    else if (vk == VK_CONTROL)
        down = keys[VK_CONTROL] || keys[VK_LCONTROL] || keys[VK_RCONTROL];
    else
        down = keys[vk & 0xFF];
    return down ? static_cast<short>(0x8000) : 0;
}
