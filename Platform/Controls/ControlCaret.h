#pragma once
// The caret: one per process, belonging to the window that made it. It
// starts hidden; ShowCaret / HideCaret nest. While shown it blinks on the
// system clock, every GetCaretBlinkTime() ms.
//
// Windows here keep their own pictures, so the caret is part of the
// picture: a blink repaints the caret's rectangle, and the owning window
// ends its WM_PAINT with Platform::DrawCaret, which inverts the rectangle
// while the caret is on.

#include "PlatformTypes.h"
#include "YolTypes.h"

// A black caret of width x height pixels (0 width: one pixel). Replaces
// any caret another window had.
YOL_API bool CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
YOL_API bool DestroyCaret();
YOL_API bool ShowCaret(HWND hwnd);
YOL_API bool HideCaret(HWND hwnd);
// In the owning window's client coordinates.
YOL_API bool SetCaretPos(int x, int y);
YOL_API bool GetCaretPos(POINT* point);
YOL_API UINT GetCaretBlinkTime();
YOL_API bool SetCaretBlinkTime(UINT milliseconds);

namespace Platform {
// Inverts the caret's rectangle on the owning window's paint context while
// the caret is shown and in the "on" half of its blink.
YOL_API void DrawCaret(HWND hwnd, HDC hdc);
// Whether the caret is shown and on (tests).
YOL_API bool IsCaretOn();
} // namespace Platform
