// The process-wide window table and the tree helpers the other window files
// share.

#include "MessageQueueImpl.h"
#include "Shell/ShellScreen.h"
#include "WindowImpl.h"

#include <cairo.h>

#include <algorithm>

namespace Platform {

Window::~Window()
{
    if (surface)
        cairo_surface_destroy(surface);
}

WindowManager& WindowManager::Get()
{
    // Never destroyed: threads may still ask for windows while the process
    // ends, after static destructors have run.
    static WindowManager* manager = new WindowManager;
    return *manager;
}

WindowPtr WindowManager::Find(HWND hwnd) const
{
    auto it = windows.find(hwnd);
    return it == windows.end() ? nullptr : it->second;
}

Window* WindowManager::Live(HWND hwnd) const
{
    auto it = windows.find(hwnd);
    if (it == windows.end() || it->second->state == Window::State::Destroyed)
        return nullptr;
    return it->second.get();
}

HWND WindowManager::NewHandle()
{
    // Counted, never reused; steps of 4 keep the values clear of the special
    // insert-after handles (0, 1, -1, -2).
    nextHandle += 4;
    return reinterpret_cast<HWND>(nextHandle);
}

WindowPtr FindLive(HWND hwnd)
{
    WindowLock lock;
    WindowPtr w = WindowManager::Get().Find(hwnd);
    if (!w || w->state == Window::State::Destroyed)
        return nullptr;
    return w;
}

LRESULT CallProc(const WindowPtr& window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WNDPROC proc;
    {
        WindowLock lock;
        if (window->state == Window::State::Destroyed)
            return 0;
        proc = window->proc;
    }
    return proc ? proc(window->handle, msg, wParam, lParam) : 0;
}

bool IsDescendant(const WindowManager& m, HWND ancestor, HWND hwnd)
{
    for (Window* w = m.Live(hwnd); w; w = m.Live(w->parent)) {
        if (w->parent == ancestor)
            return true;
    }
    return false;
}

RECT ClientRectInWindow(const Window& w)
{
    const int width = w.rect.right - w.rect.left;
    const int height = w.rect.bottom - w.rect.top;
    RECT r{0, 0, width, height};
    if (w.style & WS_BORDER) {
        r.left += 1;
        r.top += 1;
        r.right -= 1;
        r.bottom -= 1;
    }
    if (w.scrollBarShown)
        r.right -= GetSystemMetrics(SM_CXVSCROLL);
    r.right = std::max(r.right, r.left);
    r.bottom = std::max(r.bottom, r.top);
    return r;
}

POINT ClientOriginOnScreen(const WindowManager& m, const Window& w)
{
    const RECT client = ClientRectInWindow(w);
    POINT p{w.rect.left + client.left, w.rect.top + client.top};
    for (Window* parent = (w.style & WS_CHILD) ? m.Live(w.parent) : nullptr; parent;
         parent = (parent->style & WS_CHILD) ? m.Live(parent->parent) : nullptr) {
        const RECT pc = ClientRectInWindow(*parent);
        p.x += parent->rect.left + pc.left;
        p.y += parent->rect.top + pc.top;
    }
    return p;
}

void CollectSubtree(const WindowManager& m, HWND hwnd, std::vector<HWND>& out)
{
    Window* w = m.Live(hwnd);
    if (!w)
        return;
    out.push_back(hwnd);
    for (HWND child : w->children)
        CollectSubtree(m, child, out);
}

bool IsVisibleLocked(const WindowManager& m, const Window& w)
{
    for (const Window* x = &w; x; x = (x->style & WS_CHILD) ? m.Live(x->parent) : nullptr) {
        if (!(x->style & WS_VISIBLE))
            return false;
    }
    return true;
}

bool IsEnabledLocked(const WindowManager& m, const Window& w)
{
    for (const Window* x = &w; x; x = (x->style & WS_CHILD) ? m.Live(x->parent) : nullptr) {
        if (x->style & WS_DISABLED)
            return false;
    }
    return true;
}

std::u16string ClassKey(const char16_t* name)
{
    std::u16string key = name ? name : u"";
    for (char16_t& c : key) {
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return key;
}

} // namespace Platform
