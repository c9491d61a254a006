// Creating and destroying windows.

#include "MessageQueueImpl.h"
#include "Shell/ShellImpl.h"
#include "Shell/ShellScreen.h"
#include "WindowFocus.h"
#include "WindowGeometry.h"
#include "WindowImpl.h"
#include "WindowPaintImpl.h"

#include <algorithm>

using namespace Platform;

namespace {

RECT InitialRect(std::uint32_t style, int x, int y, int width, int height)
{
    if (!(style & WS_CHILD)) {
        if (x == CW_USEDEFAULT) {
            x = 0;
            y = 0;
        }
        if (width == CW_USEDEFAULT) {
            width = GetSystemMetrics(SM_CXSCREEN) - x;
            height = GetSystemMetrics(SM_CYSCREEN) - y;
        }
    } else {
        if (x == CW_USEDEFAULT)
            x = y = 0;
        if (width == CW_USEDEFAULT)
            width = height = 0;
    }
    return RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
}

} // namespace

HWND CreateWindowEx(std::uint32_t exStyle, const char16_t* className, const char16_t* windowName, std::uint32_t style,
                    int x, int y, int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance, void* param)
{
    auto w = std::make_shared<Window>();
    {
        WindowLock lock;
        WindowManager& m = WindowManager::Get();
        auto cls = m.classes.find(ClassKey(className));
        if (cls == m.classes.end())
            return nullptr;
        Window* p = parent ? m.Live(parent) : nullptr;
        if (parent && (!p || p->state == Window::State::Destroying))
            return nullptr;
        if ((style & WS_CHILD) && !p)
            return nullptr;

        w->handle = m.NewHandle();
        w->cls = cls->second;
        w->queue = ThreadQueue::Current();
        w->proc = cls->second->wc.lpfnWndProc;
        w->style = style & ~WS_VISIBLE;
        w->exStyle = exStyle;
        w->instance = instance;
        w->text = windowName ? windowName : u"";
        w->rect = InitialRect(style, x, y, width, height);
        if (style & WS_CHILD) {
            w->parent = parent;
            w->id = reinterpret_cast<LONG_PTR>(menuOrId);
        } else if (p) {
            // The owner of a top-level window is always a top-level window.
            w->owner = p->handle;
            while (Window* o = m.Live(w->owner)) {
                if (!(o->style & WS_CHILD))
                    break;
                w->owner = o->parent;
            }
        }
        if (!(style & WS_CHILD) && width == CW_USEDEFAULT) {
            // A window the system sized follows the screen when it changes.
            w->shell = std::make_shared<ShellWindowData>();
            w->shell->fullScreen = true;
        }
        w->cls->windows++;
        m.windows.emplace(w->handle, w);
        LinkWindow(m, *w);
    }

    const HWND hwnd = w->handle;
    CREATESTRUCT cs;
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hMenu = menuOrId;
    cs.hwndParent = parent;
    cs.x = w->rect.left;
    cs.y = w->rect.top;
    cs.cx = w->rect.right - w->rect.left;
    cs.cy = w->rect.bottom - w->rect.top;
    cs.style = style;
    cs.lpszName = windowName;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;
    if (CallProc(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    RECT client{};
    {
        WindowLock lock;
        if (w->state != Window::State::Creating)
            return nullptr; // destroyed by its own WM_CREATE
        w->state = Window::State::Alive;
        client = ClientRectInWindow(*w);
    }
    CallProc(w, WM_SIZE, 0, MAKELPARAM(client.right - client.left, client.bottom - client.top));
    CallProc(w, WM_MOVE, 0, MAKELPARAM(w->rect.left, w->rect.top));
    if (style & WS_VISIBLE)
        ShowWindow(hwnd, (exStyle & WS_EX_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    return IsWindow(hwnd) ? hwnd : nullptr;
}

bool IsWindow(HWND hwnd)
{
    WindowLock lock;
    return WindowManager::Get().Live(hwnd) != nullptr;
}

bool DestroyWindow(HWND hwnd)
{
    std::vector<HWND> owned;
    {
        WindowLock lock;
        WindowManager& m = WindowManager::Get();
        Window* w = m.Live(hwnd);
        if (!w || w->state == Window::State::Destroying || w->queue->thread != std::this_thread::get_id())
            return false;
        for (HWND top : m.topLevels) {
            Window* t = m.Live(top);
            if (t && t->owner == hwnd)
                owned.push_back(top);
        }
    }
    // Owned windows go first, as a dialog goes with the window that runs it.
    for (HWND o : owned)
        DestroyWindow(o);

    std::vector<WindowPtr> subtree;
    HWND formerOwner = nullptr;
    bool wasActive = false;
    {
        WindowLock lock;
        WindowManager& m = WindowManager::Get();
        Window* w = m.Live(hwnd);
        if (!w || w->state == Window::State::Destroying)
            return false;
        std::vector<HWND> handles;
        CollectSubtree(m, hwnd, handles);
        for (HWND h : handles) {
            WindowPtr x = m.Find(h);
            x->state = Window::State::Destroying;
            subtree.push_back(x);
        }
        formerOwner = w->owner;
        wasActive = ForgetInputWindows(m, handles);
        if (w->style & WS_VISIBLE)
            w->style &= ~WS_VISIBLE;
    }

    // Parent before children for WM_DESTROY, children before parent for the
    // final WM_NCDESTROY.
    for (const WindowPtr& x : subtree)
        CallProc(x, WM_DESTROY, 0, 0);
    for (auto it = subtree.rbegin(); it != subtree.rend(); ++it)
        CallProc(*it, WM_NCDESTROY, 0, 0);

    // What other code kept for the windows goes outside the lock: its
    // destructors may call back in.
    std::vector<std::pair<const void*, std::shared_ptr<void>>> extras;
    {
        WindowLock lock;
        WindowManager& m = WindowManager::Get();
        for (const WindowPtr& x : subtree) {
            UnlinkWindow(m, *x);
            x->state = Window::State::Destroyed;
            x->cls->windows--;
            m.windows.erase(x->handle);
            for (auto& e : x->extras)
                extras.push_back(std::move(e));
            x->extras.clear();
        }
    }
    extras.clear();
    // A child may have been made by another thread: each queue drops what it
    // holds for the dead windows.
    std::vector<HWND> handles;
    for (const WindowPtr& x : subtree)
        handles.push_back(x->handle);
    std::vector<ThreadQueue*> purged;
    for (const WindowPtr& x : subtree) {
        if (std::find(purged.begin(), purged.end(), x->queue.get()) == purged.end()) {
            purged.push_back(x->queue.get());
            PurgeWindows(*x->queue, handles);
        }
    }
    MarkScreenDirty();
    if (wasActive)
        ActivateNext(formerOwner);
    return true;
}
