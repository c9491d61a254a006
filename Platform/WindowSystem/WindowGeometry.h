#pragma once
// Where windows are and whether they show: show/hide, move, size, Z order,
// window and client rectangles, and mapping points between windows.
//
// A child window's position is relative to its parent's client area; a
// top-level window's is on the screen. The window rectangle includes the
// non-client parts (a one-pixel border with WS_BORDER, the vertical scroll
// bar while it is shown); the client rectangle is what is left, with its
// origin at (0, 0).

#include "Messages.h"
#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWNA = 8;

// SetWindowPos flags.
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

// Z-order places for SetWindowPos's insert-after argument.
inline HWND const HWND_TOP = nullptr;
inline HWND const HWND_BOTTOM = reinterpret_cast<HWND>(std::intptr_t{1});
inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(std::intptr_t{-1});
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(std::intptr_t{-2});

// lParam of WM_WINDOWPOSCHANGED. The flags are those of the call, with
// SWP_NOMOVE / SWP_NOSIZE added when the position / size did not change.
struct WINDOWPOS {
    HWND hwnd = nullptr;
    HWND hwndInsertAfter = nullptr;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
};

// Answers whether the window was visible before.
YOL_API bool ShowWindow(HWND hwnd, int command);
// Sends WM_WINDOWPOSCHANGED when anything was asked for; a size change
// repaints the whole window unless SWP_NOREDRAW. Showing a top-level window
// activates it unless SWP_NOACTIVATE.
YOL_API bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);
YOL_API bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint);
YOL_API bool BringWindowToTop(HWND hwnd);

// Visible when it and all its ancestors have WS_VISIBLE.
YOL_API bool IsWindowVisible(HWND hwnd);
YOL_API bool GetWindowRect(HWND hwnd, RECT* rect);
YOL_API bool GetClientRect(HWND hwnd, RECT* rect);
YOL_API bool ClientToScreen(HWND hwnd, POINT* point);
YOL_API bool ScreenToClient(HWND hwnd, POINT* point);
// From the client coordinates of `from` to those of `to` (null: the
// screen); answers the offset as x in the low and y in the high word.
YOL_API int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
// The deepest visible window under a screen point, children first in Z
// order; null when no window is there.
YOL_API HWND WindowFromPoint(POINT screenPoint);

// The vertical scroll bar takes a strip of the window's width
// (SM_CXVSCROLL) from the client area while it is shown; a window created
// with WS_VSCROLL starts without it until its scroll range needs it. A change
// sends WM_WINDOWPOSCHANGED with SWP_FRAMECHANGED.
YOL_API bool ShowScrollBar(HWND hwnd, bool show);
YOL_API bool IsScrollBarShown(HWND hwnd);
// The bar's strip in the window's own coordinates (window rectangle origin
// at 0, 0); empty when it is not shown.
YOL_API RECT GetScrollBarRect(HWND hwnd);

// Rectangle helpers.
YOL_API bool SetRect(RECT* rect, int left, int top, int right, int bottom);
YOL_API bool IsRectEmpty(const RECT* rect);
YOL_API bool PtInRect(const RECT* rect, POINT point);
YOL_API bool IntersectRect(RECT* out, const RECT* a, const RECT* b);
YOL_API bool UnionRect(RECT* out, const RECT* a, const RECT* b);
YOL_API bool OffsetRect(RECT* rect, int dx, int dy);
YOL_API bool InflateRect(RECT* rect, int dx, int dy);
