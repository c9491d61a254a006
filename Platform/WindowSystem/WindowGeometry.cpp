// Showing, placing and stacking windows.

#include "WindowGeometry.h"

#include "MessageQueue.h"
#include "Shell/ShellScreen.h"
#include "WindowFocus.h"
#include "WindowImpl.h"
#include "WindowPaint.h"
#include "WindowPaintImpl.h"

#include <algorithm>

using namespace Platform;

namespace {

bool IsTopMost(const WindowManager& m, HWND h)
{
    Window* w = m.Live(h);
    return w && (w->exStyle & WS_EX_TOPMOST);
}

// Index of the first window of the normal (not top-most) band.
size_t NormalBandStart(const WindowManager& m)
{
    size_t i = 0;
    while (i < m.topLevels.size() && IsTopMost(m, m.topLevels[i]))
        ++i;
    return i;
}

void Remove(std::vector<HWND>& list, HWND h)
{
    list.erase(std::remove(list.begin(), list.end(), h), list.end());
}

void PlaceTopLevel(WindowManager& m, Window& w, HWND after)
{
    Remove(m.topLevels, w.handle);
    if (after == HWND_TOPMOST)
        w.exStyle |= WS_EX_TOPMOST;
    else if (after == HWND_NOTOPMOST || after == HWND_BOTTOM)
        w.exStyle &= ~WS_EX_TOPMOST;

    size_t at;
    if (after == HWND_BOTTOM) {
        at = m.topLevels.size();
    } else if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
        at = (w.exStyle & WS_EX_TOPMOST) ? 0 : NormalBandStart(m);
    } else {
        auto it = std::find(m.topLevels.begin(), m.topLevels.end(), after);
        at = it == m.topLevels.end() ? 0 : static_cast<size_t>(it - m.topLevels.begin()) + 1;
        // Keep the bands apart.
        const size_t band = NormalBandStart(m);
        at = (w.exStyle & WS_EX_TOPMOST) ? std::min(at, band) : std::max(at, band);
    }
    m.topLevels.insert(m.topLevels.begin() + static_cast<std::ptrdiff_t>(at), w.handle);
}

void PlaceChild(WindowManager& m, Window& w, HWND after)
{
    Window* p = m.Live(w.parent);
    if (!p)
        return;
    Remove(p->children, w.handle);
    if (after == HWND_BOTTOM) {
        p->children.push_back(w.handle);
    } else if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
        p->children.insert(p->children.begin(), w.handle);
    } else {
        auto it = std::find(p->children.begin(), p->children.end(), after);
        p->children.insert(it == p->children.end() ? p->children.begin() : it + 1, w.handle);
    }
}

void CollectOwned(const WindowManager& m, HWND owner, std::vector<HWND>& out)
{
    for (HWND h : m.topLevels) {
        Window* w = m.Live(h);
        if (w && w->owner == owner && std::find(out.begin(), out.end(), h) == out.end()) {
            out.push_back(h);
            CollectOwned(m, h, out);
        }
    }
}

// The deepest visible, enabled descendant of `w` under a point given in
// `w`'s client coordinates.
HWND ChildFromPoint(const WindowManager& m, const Window& w, POINT p)
{
    for (HWND h : w.children) {
        Window* c = m.Live(h);
        if (!c || !(c->style & WS_VISIBLE) || (c->style & WS_DISABLED))
            continue;
        if (p.x >= c->rect.left && p.x < c->rect.right && p.y >= c->rect.top && p.y < c->rect.bottom) {
            const RECT client = ClientRectInWindow(*c);
            const POINT inner{p.x - c->rect.left - client.left, p.y - c->rect.top - client.top};
            const HWND deeper = ChildFromPoint(m, *c, inner);
            return deeper ? deeper : h;
        }
    }
    return nullptr;
}

} // namespace

namespace Platform {

void LinkWindow(WindowManager& m, Window& w)
{
    if (w.style & WS_CHILD) {
        if (Window* p = m.Live(w.parent))
            p->children.push_back(w.handle);
    } else {
        PlaceTopLevel(m, w, HWND_TOP);
    }
}

void UnlinkWindow(WindowManager& m, Window& w)
{
    if (w.style & WS_CHILD) {
        if (Window* p = m.Live(w.parent))
            Remove(p->children, w.handle);
    } else {
        Remove(m.topLevels, w.handle);
    }
}

void RaiseTopLevel(WindowManager& m, HWND hwnd)
{
    Window* w = m.Live(hwnd);
    if (!w || (w->style & WS_CHILD))
        return;
    std::vector<HWND> owned;
    CollectOwned(m, hwnd, owned);
    PlaceTopLevel(m, *w, HWND_TOP);
    // Owned windows stay above their owner, in their present order.
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
        if (Window* o = m.Live(*it))
            PlaceTopLevel(m, *o, HWND_TOP);
    }
    MarkScreenDirty();
}

} // namespace Platform

bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
    WindowPtr w = FindLive(hwnd);
    if (!w)
        return false;
    WINDOWPOS pos;
    bool shown = false;
    bool hidden = false;
    bool topLevel = false;
    bool wasActive = false;
    HWND owner = nullptr;
    {
        WindowLock lock;
        WindowManager& m = WindowManager::Get();
        const RECT old = w->rect;
        RECT r = old;
        if (!(flags & SWP_NOMOVE))
            r = RECT{x, y, x + (old.right - old.left), y + (old.bottom - old.top)};
        if (!(flags & SWP_NOSIZE)) {
            r.right = r.left + std::max(width, 0);
            r.bottom = r.top + std::max(height, 0);
        }
        const bool moved = r.left != old.left || r.top != old.top;
        const bool sized = (r.right - r.left) != (old.right - old.left) || (r.bottom - r.top) != (old.bottom - old.top);
        w->rect = r;
        topLevel = !(w->style & WS_CHILD);
        owner = w->owner;
        if (!(flags & SWP_NOZORDER)) {
            if (topLevel)
                PlaceTopLevel(m, *w, insertAfter);
            else
                PlaceChild(m, *w, insertAfter);
        }
        if ((flags & SWP_SHOWWINDOW) && !(w->style & WS_VISIBLE)) {
            w->style |= WS_VISIBLE;
            shown = true;
        } else if ((flags & SWP_HIDEWINDOW) && (w->style & WS_VISIBLE)) {
            w->style &= ~WS_VISIBLE;
            hidden = true;
            wasActive = m.active == hwnd;
        }
        if ((sized || shown) && !(flags & SWP_NOREDRAW))
            InvalidateLocked(*w, nullptr, true);
        if (sized || (flags & SWP_FRAMECHANGED))
            w->paintedSinceDispatch = false;
        pos = WINDOWPOS{hwnd, insertAfter, r.left, r.top, r.right - r.left, r.bottom - r.top,
                        flags | (moved ? 0u : SWP_NOMOVE) | (sized ? 0u : SWP_NOSIZE)};
        MarkScreenDirty();
    }
    SendMessage(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    if (shown && topLevel && !(flags & SWP_NOACTIVATE) && !(GetWindowLong(hwnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE))
        SetActiveWindow(hwnd);
    if (hidden && wasActive)
        ActivateNext(owner);
    return true;
}

bool ShowWindow(HWND hwnd, int command)
{
    const bool wasVisible = (GetWindowLong(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (!IsWindow(hwnd))
        return false;
    const bool topLevel = !(GetWindowLong(hwnd, GWL_STYLE) & WS_CHILD);
    switch (command) {
    case SW_HIDE:
        if (wasVisible) {
            SendMessage(hwnd, WM_SHOWWINDOW, 0, 0);
            SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        break;
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
        if (!wasVisible) {
            SendMessage(hwnd, WM_SHOWWINDOW, 1, 0);
            SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                         SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        break;
    default:
        if (!wasVisible) {
            SendMessage(hwnd, WM_SHOWWINDOW, 1, 0);
            SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        } else if (topLevel && !(GetWindowLong(hwnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE)) {
            SetActiveWindow(hwnd);
        }
        break;
    }
    return wasVisible;
}

bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint)
{
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : SWP_NOREDRAW));
}

bool BringWindowToTop(HWND hwnd)
{
    return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool IsWindowVisible(HWND hwnd)
{
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    Window* w = m.Live(hwnd);
    return w && IsVisibleLocked(m, *w);
}

bool GetWindowRect(HWND hwnd, RECT* rect)
{
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    Window* w = m.Live(hwnd);
    if (!w || !rect)
        return false;
    POINT origin{0, 0};
    if (w->style & WS_CHILD) {
        if (Window* p = m.Live(w->parent))
            origin = ClientOriginOnScreen(m, *p);
    }
    *rect = RECT{w->rect.left + origin.x, w->rect.top + origin.y, w->rect.right + origin.x, w->rect.bottom + origin.y};
    return true;
}

bool GetClientRect(HWND hwnd, RECT* rect)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    if (!w || !rect)
        return false;
    const RECT c = ClientRectInWindow(*w);
    *rect = RECT{0, 0, c.right - c.left, c.bottom - c.top};
    return true;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count)
{
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    POINT a{0, 0};
    POINT b{0, 0};
    if (from) {
        Window* w = m.Live(from);
        if (!w)
            return 0;
        a = ClientOriginOnScreen(m, *w);
    }
    if (to) {
        Window* w = m.Live(to);
        if (!w)
            return 0;
        b = ClientOriginOnScreen(m, *w);
    }
    const int dx = a.x - b.x;
    const int dy = a.y - b.y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return static_cast<int>(MAKELPARAM(dx, dy));
}

bool ClientToScreen(HWND hwnd, POINT* point)
{
    if (!IsWindow(hwnd) || !point)
        return false;
    MapWindowPoints(hwnd, nullptr, point, 1);
    return true;
}

bool ScreenToClient(HWND hwnd, POINT* point)
{
    if (!IsWindow(hwnd) || !point)
        return false;
    MapWindowPoints(nullptr, hwnd, point, 1);
    return true;
}

HWND WindowFromPoint(POINT p)
{
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    for (HWND h : m.topLevels) {
        Window* w = m.Live(h);
        if (!w || !(w->style & WS_VISIBLE))
            continue;
        if (p.x < w->rect.left || p.x >= w->rect.right || p.y < w->rect.top || p.y >= w->rect.bottom)
            continue;
        if (w->style & WS_DISABLED)
            return nullptr;
        const RECT client = ClientRectInWindow(*w);
        const POINT inner{p.x - w->rect.left - client.left, p.y - w->rect.top - client.top};
        const HWND child = ChildFromPoint(m, *w, inner);
        return child ? child : h;
    }
    return nullptr;
}

bool ShowScrollBar(HWND hwnd, bool show)
{
    {
        WindowLock lock;
        Window* w = WindowManager::Get().Live(hwnd);
        if (!w || !(w->style & WS_VSCROLL))
            return false;
        if (w->scrollBarShown == show)
            return true;
        w->scrollBarShown = show;
        InvalidateLocked(*w, nullptr, true);
        MarkScreenDirty();
    }
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return true;
}

bool IsScrollBarShown(HWND hwnd)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    return w && w->scrollBarShown;
}

RECT GetScrollBarRect(HWND hwnd)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    if (!w || !w->scrollBarShown)
        return RECT{};
    const int border = (w->style & WS_BORDER) ? 1 : 0;
    const int width = w->rect.right - w->rect.left;
    const int height = w->rect.bottom - w->rect.top;
    const int right = std::max(width - border, 0);
    return RECT{std::max(right - GetSystemMetrics(SM_CXVSCROLL), 0), border, right, std::max(height - border, border)};
}
