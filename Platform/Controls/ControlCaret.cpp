// The caret and its blink timer.

#include "ControlCaret.h"
#include "Drawing/Gdi.h"
#include "WindowSystem/Timers.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowGeometry.h"
#include "WindowSystem/WindowPaint.h"

#include <mutex>

namespace {

constexpr std::uintptr_t kBlinkTimer = 0x43415254; // "CART"

struct Caret {
    std::mutex m;
    HWND owner = nullptr;
    RECT rect{};
    int hidden = 1;
    bool on = true;
    UINT blink = 500;
};

Caret& TheCaret()
{
    static Caret* caret = new Caret;
    return *caret;
}

// What the work done outside the lock needs, copied under it.
struct CaretView {
    HWND owner = nullptr;
    RECT rect{};
    UINT blink = 0;
    bool shown = false;
};

CaretView ViewLocked(const Caret& c)
{
    return CaretView{c.owner, c.rect, c.blink, c.hidden == 0};
}

// Whether `hwnd` may show or hide the caret: its owner, or null for any.
bool MayToggle(const Caret& c, HWND hwnd)
{
    return c.owner && (!hwnd || hwnd == c.owner);
}

void Repaint(HWND owner, RECT rect)
{
    if (owner && !IsRectEmpty(&rect))
        InvalidateRect(owner, &rect, false);
}

void BlinkProc(HWND hwnd, UINT, UINT, std::uint32_t)
{
    Caret& c = TheCaret();
    RECT rect;
    {
        std::lock_guard<std::mutex> lock(c.m);
        if (c.owner != hwnd || c.hidden > 0) {
            KillTimer(hwnd, kBlinkTimer);
            return;
        }
        c.on = !c.on;
        rect = c.rect;
    }
    Repaint(hwnd, rect);
}

// A change starts the blink over with the caret on, so it shows where it
// went at once.
void Restart(HWND owner, UINT blink)
{
    if (owner)
        SetTimer(owner, kBlinkTimer, blink, &BlinkProc);
}

} // namespace

bool CreateCaret(HWND hwnd, HBITMAP /*bitmap*/, int width, int height)
{
    if (!IsWindow(hwnd))
        return false;
    DestroyCaret();
    Caret& c = TheCaret();
    std::lock_guard<std::mutex> lock(c.m);
    c.owner = hwnd;
    c.rect = RECT{0, 0, width > 0 ? width : 1, height > 0 ? height : 1};
    c.hidden = 1;
    c.on = true;
    return true;
}

bool DestroyCaret()
{
    Caret& c = TheCaret();
    CaretView v;
    {
        std::lock_guard<std::mutex> lock(c.m);
        if (!c.owner)
            return false;
        v = ViewLocked(c);
        c.owner = nullptr;
    }
    if (IsWindow(v.owner)) {
        KillTimer(v.owner, kBlinkTimer);
        if (v.shown)
            Repaint(v.owner, v.rect);
    }
    return true;
}

bool ShowCaret(HWND hwnd)
{
    Caret& c = TheCaret();
    CaretView v;
    {
        std::lock_guard<std::mutex> lock(c.m);
        if (!MayToggle(c, hwnd) || c.hidden == 0)
            return false;
        if (--c.hidden > 0)
            return true;
        c.on = true;
        v = ViewLocked(c);
    }
    Restart(v.owner, v.blink);
    Repaint(v.owner, v.rect);
    return true;
}

bool HideCaret(HWND hwnd)
{
    Caret& c = TheCaret();
    CaretView v;
    {
        std::lock_guard<std::mutex> lock(c.m);
        if (!MayToggle(c, hwnd))
            return false;
        if (c.hidden++ > 0)
            return true;
        v = ViewLocked(c);
    }
    KillTimer(v.owner, kBlinkTimer);
    Repaint(v.owner, v.rect);
    return true;
}

bool SetCaretPos(int x, int y)
{
    Caret& c = TheCaret();
    RECT before;
    CaretView v;
    {
        std::lock_guard<std::mutex> lock(c.m);
        if (!c.owner)
            return false;
        if (c.rect.left == x && c.rect.top == y)
            return true;
        before = c.rect;
        OffsetRect(&c.rect, x - c.rect.left, y - c.rect.top);
        c.on = true;
        v = ViewLocked(c);
    }
    if (v.shown) {
        Repaint(v.owner, before);
        Repaint(v.owner, v.rect);
        Restart(v.owner, v.blink);
    }
    return true;
}

bool GetCaretPos(POINT* point)
{
    Caret& c = TheCaret();
    std::lock_guard<std::mutex> lock(c.m);
    if (!c.owner || !point)
        return false;
    *point = POINT{c.rect.left, c.rect.top};
    return true;
}

UINT GetCaretBlinkTime()
{
    Caret& c = TheCaret();
    std::lock_guard<std::mutex> lock(c.m);
    return c.blink;
}

bool SetCaretBlinkTime(UINT milliseconds)
{
    if (milliseconds == 0)
        return false;
    Caret& c = TheCaret();
    std::lock_guard<std::mutex> lock(c.m);
    c.blink = milliseconds;
    return true;
}

namespace Platform {

void DrawCaret(HWND hwnd, HDC hdc)
{
    Caret& c = TheCaret();
    RECT rect;
    {
        std::lock_guard<std::mutex> lock(c.m);
        if (c.owner != hwnd || c.hidden > 0 || !c.on)
            return;
        rect = c.rect;
    }
    InvertRect(hdc, &rect);
}

bool IsCaretOn()
{
    Caret& c = TheCaret();
    std::lock_guard<std::mutex> lock(c.m);
    return c.owner && IsWindow(c.owner) && c.hidden == 0 && c.on;
}

} // namespace Platform
