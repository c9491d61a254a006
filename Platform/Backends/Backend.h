#pragma once
// Back-ends put the screen somewhere and bring input in. The screen is one
// picture of the screen's size that shows every visible window's own
// picture in Z order (children over their parents, clipped to them). The
// headless back-end keeps it in memory for tests; the SDL back-end shows it
// in a window of the desktop (BackendSdl.h). The same drawing serves both.

#include "PlatformTypes.h"
#include "YolTypes.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

typedef struct _cairo_surface cairo_surface_t;

namespace Platform {

class YOL_API Backend {
public:
    virtual ~Backend();

    // The UI thread has nothing to do: wait on `wake` (with `lock` held on
    // entry and exit) until it is notified or `until` passes. A back-end with
    // events of its own may wait for them instead and must then return when
    // Wake is called. Spurious returns are fine.
    virtual void WaitForEvents(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                               std::chrono::steady_clock::time_point until);
    // Any thread: a queue got something; end a WaitForEvents of the
    // back-end's own.
    virtual void Wake();
    // How long a UI thread may wait for a message that no timer can bring
    // before it gives up with NoMessageError; none: for ever.
    virtual std::optional<std::chrono::milliseconds> IdleLimit() const;

    // The screen picture (RGB24, the screen's size), up to date with the
    // windows' pictures. Use it on the UI thread.
    cairo_surface_t* Compose();
    // The screen picture as it is, for drawing onto the screen directly.
    cairo_surface_t* Screen();

protected:
    Backend();
    Backend(const Backend&) = delete;
    Backend& operator=(const Backend&) = delete;

private:
    std::mutex screenLock;
    cairo_surface_t* screen = nullptr;
};

// The back-end in use: the headless one unless another was installed.
YOL_API Backend& CurrentBackend();
// Makes `backend` current (null: the headless one) and answers the previous
// one. The caller keeps it alive while it is installed.
YOL_API Backend* InstallBackend(Backend* backend);

// The window and its children as they show on screen, without the windows
// that cover it: a new ARGB32 surface of the window's size, or null. Free it
// with cairo_surface_destroy (or Platform::ReleaseSurface).
YOL_API cairo_surface_t* CaptureWindow(HWND hwnd);
// CaptureWindow written as a PNG file.
YOL_API bool SaveWindowPng(HWND hwnd, const char* path);
// One pixel of the composed screen, 0x00BBGGRR.
YOL_API COLORREF GetScreenPixel(int x, int y);

} // namespace Platform
