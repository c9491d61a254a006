// The screen picture and the back-end in use.

#include "Backend.h"

#include "BackendHeadless.h"
#include "Drawing/GdiSurface.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/WindowImpl.h"
#include "WindowSystem/WindowPaintImpl.h"

#include <cairo.h>

#include <algorithm>
#include <atomic>

using namespace Platform;

namespace {

std::atomic<Backend*> g_installed{nullptr};

// The colour of the screen where no window is.
constexpr double kDesktopGrey = 0.25;

// Draws a window's picture and then its children's, back to front, each
// clipped to its parent's client area. `origin` is where the parent's
// client area starts in the target's coordinates.
void DrawWindow(cairo_t* cr, const WindowManager& m, const Window& w, POINT origin, bool root)
{
    if (!root && !(w.style & WS_VISIBLE))
        return;
    const double x = origin.x + w.rect.left;
    const double y = origin.y + w.rect.top;
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top);
    cairo_clip(cr);
    if (w.surface) {
        cairo_set_source_surface(cr, w.surface, x, y);
        cairo_paint(cr);
    }
    const RECT client = ClientRectInWindow(w);
    cairo_rectangle(cr, x + client.left, y + client.top, client.right - client.left, client.bottom - client.top);
    cairo_clip(cr);
    const POINT inner{static_cast<int>(x) + client.left, static_cast<int>(y) + client.top};
    for (auto it = w.children.rbegin(); it != w.children.rend(); ++it) {
        if (Window* child = m.Live(*it))
            DrawWindow(cr, m, *child, inner, false);
    }
    cairo_restore(cr);
}

} // namespace

namespace Platform {

Backend::Backend() = default;

Backend::~Backend()
{
    if (screen)
        cairo_surface_destroy(screen);
}

void Backend::WaitForEvents(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                            std::chrono::steady_clock::time_point until)
{
    wake.wait_until(lock, until);
}

void Backend::Wake() {}

std::optional<std::chrono::milliseconds> Backend::IdleLimit() const
{
    return std::nullopt;
}

cairo_surface_t* Backend::Screen()
{
    const ScreenInfo info = GetScreen();
    std::lock_guard<std::mutex> lock(screenLock);
    if (!screen || cairo_image_surface_get_width(screen) != info.width ||
        cairo_image_surface_get_height(screen) != info.height) {
        if (screen)
            cairo_surface_destroy(screen);
        screen = cairo_image_surface_create(CAIRO_FORMAT_RGB24, info.width, info.height);
    }
    return screen;
}

cairo_surface_t* Backend::Compose()
{
    cairo_surface_t* target = Screen();
    cairo_t* cr = cairo_create(target);
    cairo_set_source_rgb(cr, kDesktopGrey, kDesktopGrey, kDesktopGrey);
    cairo_paint(cr);
    {
        WindowLock lock;
        const WindowManager& m = WindowManager::Get();
        for (auto it = m.topLevels.rbegin(); it != m.topLevels.rend(); ++it) {
            if (Window* w = m.Live(*it))
                DrawWindow(cr, m, *w, POINT{0, 0}, false);
        }
    }
    cairo_destroy(cr);
    cairo_surface_flush(target);
    return target;
}

Backend& CurrentBackend()
{
    Backend* installed = g_installed.load(std::memory_order_acquire);
    return installed ? *installed : DefaultHeadlessBackend();
}

Backend* InstallBackend(Backend* backend)
{
    Backend* previous = g_installed.exchange(backend, std::memory_order_acq_rel);
    MarkScreenDirty();
    return previous ? previous : &DefaultHeadlessBackend();
}

cairo_surface_t* CaptureWindow(HWND hwnd)
{
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    Window* w = m.Live(hwnd);
    if (!w)
        return nullptr;
    const int width = std::max(w->rect.right - w->rect.left, 1);
    const int height = std::max(w->rect.bottom - w->rect.top, 1);
    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(out);
    DrawWindow(cr, m, *w, POINT{-w->rect.left, -w->rect.top}, true);
    cairo_destroy(cr);
    cairo_surface_flush(out);
    return out;
}

bool SaveWindowPng(HWND hwnd, const char* path)
{
    cairo_surface_t* picture = CaptureWindow(hwnd);
    if (!picture)
        return false;
    const bool saved = SaveSurfacePng(picture, path);
    cairo_surface_destroy(picture);
    return saved;
}

COLORREF GetScreenPixel(int x, int y)
{
    return GetSurfacePixel(CurrentBackend().Compose(), x, y);
}

cairo_surface_t* ScreenSurfaceForDrawing()
{
    return CurrentBackend().Screen();
}

} // namespace Platform
