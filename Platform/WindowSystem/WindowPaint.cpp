// Update areas, WM_PAINT and the device contexts onto windows.

#include "WindowPaint.h"

#include "Drawing/Gdi.h"
#include "MessageQueueImpl.h"
#include "WindowGeometry.h"
#include "WindowImpl.h"
#include "WindowPaintImpl.h"

#include <cairo.h>

#include <algorithm>
#include <atomic>
#include <mutex>

using namespace Platform;

namespace {

std::atomic<bool> g_screenDirty{true};

std::mutex g_hooksLock;
ScrollBarHooks g_hooks;

void DropContext(HDC hdc)
{
    DeleteDC(hdc);
    MarkScreenDirty();
}

// A context onto the client area (or, with `whole`, the whole window).
HDC WindowContext(HWND hwnd, bool whole)
{
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    Window* w = m.Live(hwnd);
    if (!w)
        return nullptr;
    cairo_surface_t* surface = EnsureSurfaceLocked(*w);
    const RECT client = ClientRectInWindow(*w);
    const RECT area = whole ? RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top} : client;
    POINT origin = ClientOriginOnScreen(m, *w);
    if (whole) {
        origin.x -= client.left;
        origin.y -= client.top;
    }
    return CreateSurfaceDC(surface, origin, area);
}

} // namespace

namespace Platform {

void InvalidateLocked(Window& w, const RECT* rect, bool erase)
{
    const RECT c = ClientRectInWindow(w);
    RECT all{0, 0, c.right - c.left, c.bottom - c.top};
    RECT r = all;
    if (rect && !IntersectRect(&r, rect, &all))
        return;
    if (IsRectEmpty(&r))
        return;
    if (w.updatePending)
        UnionRect(&w.update, &w.update, &r);
    else
        w.update = r;
    w.updatePending = true;
    w.erasePending = w.erasePending || erase;
    if (w.queue)
        w.queue->Wake();
}

cairo_surface_t* EnsureSurfaceLocked(Window& w)
{
    const int width = std::max(w.rect.right - w.rect.left, 1);
    const int height = std::max(w.rect.bottom - w.rect.top, 1);
    if (w.surface && cairo_image_surface_get_width(w.surface) == width &&
        cairo_image_surface_get_height(w.surface) == height)
        return w.surface;
    cairo_surface_t* fresh = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (w.surface) {
        cairo_t* cr = cairo_create(fresh);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(cr, w.surface, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(w.surface);
    }
    w.surface = fresh;
    return fresh;
}

HWND FindWindowToPaint(std::thread::id thread, HWND filter)
{
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    std::vector<HWND> order;
    for (auto it = m.topLevels.rbegin(); it != m.topLevels.rend(); ++it)
        CollectSubtree(m, *it, order);
    for (HWND h : order) {
        Window* w = m.Live(h);
        if (!w || !w->updatePending || w->queue->thread != thread)
            continue;
        if (filter && h != filter)
            continue;
        if (IsVisibleLocked(m, *w))
            return h;
    }
    return nullptr;
}

void BeginPaintDispatch(HWND hwnd)
{
    WindowLock lock;
    if (Window* w = WindowManager::Get().Live(hwnd))
        w->paintedSinceDispatch = false;
}

void FinishPaintDispatch(HWND hwnd)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    if (w && !w->paintedSinceDispatch) {
        w->updatePending = false;
        w->erasePending = false;
        w->update = RECT{};
    }
}

bool EraseWithClassBrush(HWND hwnd, HDC hdc)
{
    HBRUSH brush = nullptr;
    RECT client{};
    {
        WindowLock lock;
        Window* w = WindowManager::Get().Live(hwnd);
        if (!w)
            return false;
        brush = w->cls->wc.hbrBackground;
        const RECT c = ClientRectInWindow(*w);
        client = RECT{0, 0, c.right - c.left, c.bottom - c.top};
    }
    if (!brush || !hdc)
        return false;
    return FillRect(hdc, &client, brush);
}

void PaintNonClient(HWND hwnd)
{
    bool border = false;
    RECT whole{};
    {
        WindowLock lock;
        Window* w = WindowManager::Get().Live(hwnd);
        if (!w || (!(w->style & WS_BORDER) && !w->scrollBarShown))
            return;
        border = (w->style & WS_BORDER) != 0;
        whole = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    }
    HDC hdc = WindowContext(hwnd, true);
    if (!hdc)
        return;
    if (border)
        FrameRect(hdc, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const RECT strip = GetScrollBarRect(hwnd);
    if (!IsRectEmpty(&strip)) {
        ScrollBarHooks hooks;
        {
            std::lock_guard<std::mutex> lock(g_hooksLock);
            hooks = g_hooks;
        }
        if (hooks.paint)
            hooks.paint(hwnd, hdc, strip);
        else
            FillRect(hdc, &strip, GetSysColorBrush(COLOR_SCROLLBAR));
    }
    DropContext(hdc);
}

void MarkScreenDirty()
{
    g_screenDirty = true;
}

bool TakeScreenDirty()
{
    return g_screenDirty.exchange(false);
}

void SetScrollBarHooks(const ScrollBarHooks& hooks)
{
    std::lock_guard<std::mutex> lock(g_hooksLock);
    g_hooks = hooks;
}

void PressScrollBar(HWND hwnd, POINT screenPoint)
{
    ScrollBarHooks hooks;
    {
        std::lock_guard<std::mutex> lock(g_hooksLock);
        hooks = g_hooks;
    }
    if (hooks.press)
        hooks.press(hwnd, screenPoint);
}

cairo_surface_t* GetWindowSurface(HWND hwnd)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    return w ? EnsureSurfaceLocked(*w) : nullptr;
}

} // namespace Platform

bool InvalidateRect(HWND hwnd, const RECT* rect, bool erase)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    if (!w)
        return false;
    InvalidateLocked(*w, rect, erase);
    return true;
}

bool ValidateRect(HWND hwnd, const RECT* rect)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    if (!w)
        return false;
    // The update area is kept as one rectangle: validating the part that
    // covers it clears it; a part inside it leaves it pending.
    RECT overlap{};
    if (!rect || (w->updatePending && IntersectRect(&overlap, rect, &w->update) && overlap.left == w->update.left &&
                  overlap.top == w->update.top && overlap.right == w->update.right &&
                  overlap.bottom == w->update.bottom)) {
        w->updatePending = false;
        w->erasePending = false;
        w->update = RECT{};
    }
    return true;
}

bool GetUpdateRect(HWND hwnd, RECT* rect, bool /*erase*/)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    if (!w || !w->updatePending) {
        if (rect)
            *rect = RECT{};
        return false;
    }
    if (rect)
        *rect = w->update;
    return true;
}

bool UpdateWindow(HWND hwnd)
{
    {
        WindowLock lock;
        const WindowManager& m = WindowManager::Get();
        Window* w = m.Live(hwnd);
        if (!w)
            return false;
        if (!w->updatePending || !IsVisibleLocked(m, *w))
            return true;
    }
    BeginPaintDispatch(hwnd);
    SendMessage(hwnd, WM_PAINT, 0, 0);
    FinishPaintDispatch(hwnd);
    return true;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps)
{
    if (!ps)
        return nullptr;
    *ps = PAINTSTRUCT{};
    bool erase = false;
    {
        WindowLock lock;
        Window* w = WindowManager::Get().Live(hwnd);
        if (!w)
            return nullptr;
        ps->rcPaint = w->updatePending ? w->update : RECT{};
        erase = w->erasePending;
        w->updatePending = false;
        w->erasePending = false;
        w->update = RECT{};
        w->paintedSinceDispatch = true;
        w->inPaint = true;
    }
    SendMessage(hwnd, WM_NCPAINT, 0, 0);
    HDC hdc = WindowContext(hwnd, false);
    if (!hdc)
        return nullptr;
    if (!IsRectEmpty(&ps->rcPaint))
        IntersectClipRect(hdc, ps->rcPaint.left, ps->rcPaint.top, ps->rcPaint.right, ps->rcPaint.bottom);
    ps->hdc = hdc;
    if (erase)
        ps->fErase = SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) == 0;
    return hdc;
}

bool EndPaint(HWND hwnd, const PAINTSTRUCT* ps)
{
    {
        WindowLock lock;
        if (Window* w = WindowManager::Get().Live(hwnd))
            w->inPaint = false;
    }
    if (ps && ps->hdc)
        DropContext(ps->hdc);
    return true;
}

HDC GetDC(HWND hwnd)
{
    if (!hwnd) {
        cairo_surface_t* screen = ScreenSurfaceForDrawing();
        return screen ? CreateSurfaceDC(screen, POINT{0, 0}) : nullptr;
    }
    return WindowContext(hwnd, false);
}

int ReleaseDC(HWND /*hwnd*/, HDC hdc)
{
    if (!hdc)
        return 0;
    DropContext(hdc);
    return 1;
}
