#pragma once
// Who gets the input: enabled state, the keyboard focus, the stylus capture
// and the active (foreground) top-level window.
//
// There is one screen and one user, so focus, capture and activation are
// single process-wide states, changed on the UI thread.

#include "PlatformTypes.h"
#include "YolTypes.h"

// Sends WM_ENABLE. Disabling the window that has the focus (or one of its
// ancestors) takes the focus away. Answers whether it was disabled before.
YOL_API bool EnableWindow(HWND hwnd, bool enable);
// Enabled when neither it nor an ancestor is disabled.
YOL_API bool IsWindowEnabled(HWND hwnd);

// Sends WM_KILLFOCUS to the old and WM_SETFOCUS to the new window, and
// activates the new window's top-level window. Answers the previous focus.
YOL_API HWND SetFocus(HWND hwnd);
YOL_API HWND GetFocus();

// While a window has the capture every stylus message goes to it, wherever
// the pen is. Losing it sends WM_CAPTURECHANGED.
YOL_API HWND SetCapture(HWND hwnd);
YOL_API bool ReleaseCapture();
YOL_API HWND GetCapture();

// Makes the top-level window of `hwnd` the active one: WM_ACTIVATE with
// WA_INACTIVE to the old one and WA_ACTIVE to the new one, the new one on top
// of the Z order.
YOL_API HWND SetActiveWindow(HWND hwnd);
YOL_API HWND GetActiveWindow();
YOL_API bool SetForegroundWindow(HWND hwnd);
YOL_API HWND GetForegroundWindow();
