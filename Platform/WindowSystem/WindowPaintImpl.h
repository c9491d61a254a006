#pragma once
// Inside painting: update areas, backing surfaces and the screen's dirty
// flag.

#include "WindowImpl.h"

#include <thread>

namespace Platform {

// Window lock held. A null rectangle is the whole client area.
void InvalidateLocked(Window& w, const RECT* rect, bool erase);
// Window lock held: the window's picture at its present size, made (black)
// on first use; the old picture is kept in the top-left corner when the size
// changed.
cairo_surface_t* EnsureSurfaceLocked(Window& w);

// The next window of `thread` that waits for WM_PAINT (visible, with an
// update area), or null.
HWND FindWindowToPaint(std::thread::id thread, HWND filter);
// After WM_PAINT was dispatched: a window procedure that did not paint gets
// its update area dropped, so that WM_PAINT does not come back for ever.
void FinishPaintDispatch(HWND hwnd);
void BeginPaintDispatch(HWND hwnd);

// The default WM_ERASEBKGND: fills the client area with the class brush.
bool EraseWithClassBrush(HWND hwnd, HDC hdc);
// The default WM_NCPAINT: the border and the scroll bar's strip.
void PaintNonClient(HWND hwnd);

// The default WM_NCLBUTTONDOWN on the scroll bar's strip.
void PressScrollBar(HWND hwnd, POINT screenPoint);
// The back-end's screen picture, for GetDC(null).
cairo_surface_t* ScreenSurfaceForDrawing();

// Something on screen changed; the back-end shows it when the UI is idle.
void MarkScreenDirty();
bool TakeScreenDirty();

} // namespace Platform
