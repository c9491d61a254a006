#pragma once
// Painting: every window keeps its own picture (a backing surface of its
// window size). Invalidating a part asks for WM_PAINT, which the queue
// delivers when nothing else is waiting; BeginPaint gives a device context
// onto the window's client area, EndPaint validates. The screen shows the
// pictures of all visible windows in Z order (see Backend.h), so a window
// that others uncover never needs to paint again.

#include "PlatformTypes.h"
#include "YolTypes.h"

typedef struct _cairo_surface cairo_surface_t;

struct PAINTSTRUCT {
    HDC hdc = nullptr;
    // Whether the background still needs erasing (the window answered 0 to
    // WM_ERASEBKGND).
    bool fErase = false;
    // The area to repaint, in client coordinates.
    RECT rcPaint;
};

// A null rectangle stands for the whole client area. `erase` asks for
// WM_ERASEBKGND at the next BeginPaint.
YOL_API bool InvalidateRect(HWND hwnd, const RECT* rect, bool erase);
YOL_API bool ValidateRect(HWND hwnd, const RECT* rect);
// The bounding box of the area waiting to be painted; false when none.
YOL_API bool GetUpdateRect(HWND hwnd, RECT* rect, bool erase);
// Sends WM_PAINT at once when the window has anything to paint.
YOL_API bool UpdateWindow(HWND hwnd);

// Sends WM_ERASEBKGND when erasing was asked for, then answers a device
// context whose (0, 0) is the client area's top-left corner.
YOL_API HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
YOL_API bool EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
// A device context onto the client area outside of WM_PAINT; a null window
// gives one onto the whole screen. Release it with ReleaseDC.
YOL_API HDC GetDC(HWND hwnd);
YOL_API int ReleaseDC(HWND hwnd, HDC hdc);

namespace Platform {
// The window's own picture (window rectangle size, non-client parts
// included), or null. The window keeps ownership; the surface is replaced
// when the window's size changes. Use it on the window's thread.
YOL_API cairo_surface_t* GetWindowSurface(HWND hwnd);

// The scroll bar of WS_VSCROLL windows is drawn and driven by the scroll-bar
// code, which installs these: `paint` draws the bar into its strip (given in
// the context's coordinates, the window's own); `press` runs when the pen
// goes down on the strip (the default WM_NCLBUTTONDOWN), with the point in
// screen coordinates, and may track the pen in a loop of its own. Without
// them the strip is filled with the scroll-bar colour and ignores the pen.
struct ScrollBarHooks {
    void (*paint)(HWND hwnd, HDC hdc, const RECT& strip) = nullptr;
    void (*press)(HWND hwnd, POINT screenPoint) = nullptr;
};
YOL_API void SetScrollBarHooks(const ScrollBarHooks& hooks);
} // namespace Platform
