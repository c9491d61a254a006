// Enabled state, keyboard focus, stylus capture and activation.

#include "WindowFocus.h"

#include "MessageQueue.h"
#include "Shell/ShellImpl.h"
#include "WindowImpl.h"

#include <algorithm>

using namespace Platform;

namespace {

bool InSubtree(const WindowManager& m, HWND root, HWND hwnd)
{
    return hwnd && (hwnd == root || IsDescendant(m, root, hwnd));
}

bool CanActivate(const WindowManager& m, HWND hwnd)
{
    Window* w = m.Live(hwnd);
    return w && w->state == Window::State::Alive && !(w->style & WS_CHILD) && (w->style & WS_VISIBLE) &&
           !(w->style & WS_DISABLED) && !(w->exStyle & WS_EX_NOACTIVATE);
}

} // namespace

bool EnableWindow(HWND hwnd, bool enable)
{
    bool wasDisabled = false;
    bool dropFocus = false;
    {
        WindowLock lock;
        WindowManager& m = WindowManager::Get();
        Window* w = m.Live(hwnd);
        if (!w)
            return false;
        wasDisabled = (w->style & WS_DISABLED) != 0;
        if (enable != wasDisabled)
            return wasDisabled;
        if (enable) {
            w->style &= ~WS_DISABLED;
        } else {
            w->style |= WS_DISABLED;
            dropFocus = InSubtree(m, hwnd, m.focus);
        }
    }
    if (dropFocus)
        SetFocus(nullptr);
    SendNotifyMessage(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

bool IsWindowEnabled(HWND hwnd)
{
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    Window* w = m.Live(hwnd);
    return w && IsEnabledLocked(m, *w);
}

HWND SetFocus(HWND hwnd)
{
    HWND top = nullptr;
    {
        WindowLock lock;
        WindowManager& m = WindowManager::Get();
        if (hwnd && !m.Live(hwnd))
            return nullptr;
        if (m.focus == hwnd)
            return hwnd;
    }
    if (hwnd) {
        top = GetTopLevelWindow(hwnd);
        if (top != GetActiveWindow())
            SetActiveWindow(top);
    }
    HWND old;
    {
        WindowLock lock;
        WindowManager& m = WindowManager::Get();
        if (hwnd && !m.Live(hwnd))
            return nullptr;
        old = m.focus;
        if (old == hwnd)
            return old;
        m.focus = hwnd;
    }
    if (old)
        SendNotifyMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (hwnd && GetFocus() == hwnd)
        SendNotifyMessage(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND GetFocus()
{
    WindowLock lock;
    return WindowManager::Get().focus;
}

HWND SetCapture(HWND hwnd)
{
    HWND old;
    {
        WindowLock lock;
        WindowManager& m = WindowManager::Get();
        if (!m.Live(hwnd))
            return nullptr;
        old = m.capture;
        m.capture = hwnd;
    }
    if (old && old != hwnd)
        SendNotifyMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

bool ReleaseCapture()
{
    HWND old;
    {
        WindowLock lock;
        WindowManager& m = WindowManager::Get();
        old = m.capture;
        m.capture = nullptr;
    }
    if (old)
        SendNotifyMessage(old, WM_CAPTURECHANGED, 0, 0);
    return true;
}

HWND GetCapture()
{
    WindowLock lock;
    return WindowManager::Get().capture;
}

HWND SetActiveWindow(HWND hwnd)
{
    const HWND top = GetTopLevelWindow(hwnd);
    HWND old;
    {
        WindowLock lock;
        WindowManager& m = WindowManager::Get();
        if (!top)
            return nullptr;
        RaiseTopLevel(m, top);
        old = m.active;
        if (old == top)
            return old;
        m.active = top;
    }
    // Windows of other threads hear of it without holding this one up.
    if (old)
        SendNotifyMessage(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(top));
    SendNotifyMessage(top, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(old));
    bool focusElsewhere = false;
    {
        WindowLock lock;
        WindowManager& m = WindowManager::Get();
        // Keys must not keep going to a window of the top-level window that
        // lost the activation.
        focusElsewhere = m.active == top && m.focus && !InSubtree(m, top, m.focus);
    }
    if (focusElsewhere)
        SetFocus(nullptr);
    ShellActivationChanged();
    return old;
}

HWND GetActiveWindow()
{
    WindowLock lock;
    return WindowManager::Get().active;
}

bool SetForegroundWindow(HWND hwnd)
{
    // Bit 0 set asks for the window's owned windows too; they always come
    // along here, as they stay above their owner.
    hwnd = reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(hwnd) & ~std::uintptr_t{1});
    HWND target = GetTopLevelWindow(hwnd);
    {
        WindowLock lock;
        WindowManager& m = WindowManager::Get();
        Window* w = m.Live(target);
        if (!w)
            return false;
        // A window disabled by a modal dialog hands the activation to that
        // dialog.
        if (w->style & WS_DISABLED) {
            for (HWND h : m.topLevels) {
                Window* o = m.Live(h);
                if (o && o->owner == target && CanActivate(m, h)) {
                    target = h;
                    break;
                }
            }
        }
    }
    SetActiveWindow(target);
    return true;
}

HWND GetForegroundWindow()
{
    return GetActiveWindow();
}

namespace Platform {

bool ForgetInputWindows(WindowManager& m, const std::vector<HWND>& destroyed)
{
    auto gone = [&](HWND h) { return h && std::find(destroyed.begin(), destroyed.end(), h) != destroyed.end(); };
    if (gone(m.focus))
        m.focus = nullptr;
    if (gone(m.capture))
        m.capture = nullptr;
    if (gone(m.active)) {
        m.active = nullptr;
        return true;
    }
    return false;
}

void ActivateNext(HWND formerOwner)
{
    HWND next = nullptr;
    {
        WindowLock lock;
        const WindowManager& m = WindowManager::Get();
        if (m.active)
            return;
        if (CanActivate(m, formerOwner)) {
            next = formerOwner;
        } else {
            for (HWND h : m.topLevels) {
                if (CanActivate(m, h)) {
                    next = h;
                    break;
                }
            }
        }
    }
    if (next)
        SetActiveWindow(next);
    else
        ShellActivationChanged();
}

} // namespace Platform
