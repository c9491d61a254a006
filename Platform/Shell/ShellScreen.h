#pragma once
// The screen: its size in pixels, its logical pixels per inch, and the
// system metrics derived from them.
//
// A portrait handheld screen: 480 x 640 at 192 dpi unless a back-end or a
// test sets another one. A length of n logical pixels is (n x dpi + 48) / 96
// device pixels.

#include "PlatformTypes.h"
#include "YolTypes.h"

// The screen's logical pixels per inch, horizontally and vertically, as the
// program reads them for all its scaling.
YOL_API extern int g_HIDPI_LogPixelsX;
YOL_API extern int g_HIDPI_LogPixelsY;

// GetSystemMetrics indexes.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CXBORDER = 3;
constexpr int SM_CYBORDER = 4;
constexpr int SM_CXVIRTUALSCREEN = 5;
constexpr int SM_CYVIRTUALSCREEN = 6;
// Height of the shell's menu bar with its two soft keys.
constexpr int SM_CYMENU = 7;
// How far apart two taps may be to count as a double tap, and how far the
// pen may move before a press stops being a tap-and-hold.
constexpr int SM_CXDOUBLECLK = 8;
constexpr int SM_CYDOUBLECLK = 9;
constexpr int SM_CXDRAG = 10;
constexpr int SM_CYDRAG = 11;

YOL_API int GetSystemMetrics(int index);

namespace Platform {

struct ScreenInfo {
    int width = 480;
    int height = 640;
    int dpiX = 192;
    int dpiY = 192;
};

YOL_API ScreenInfo GetScreen();
// A new screen size or density (rotation, another device): the metrics and
// the g_HIDPI values follow, the menu bars move to the new bottom edge, and
// every top-level window is sent WM_SETTINGCHANGE with SETTINGCHANGE_RESET.
// Call it on the UI thread.
YOL_API void SetScreen(int width, int height, int dpiX, int dpiY);

// Logical to device pixels, rounded: (n x dpi + 48) / 96, sign kept.
YOL_API int ScaleX(int logical);
YOL_API int ScaleY(int logical);

// Milliseconds within which a second tap counts as a double tap.
YOL_API unsigned DoubleClickTime();

} // namespace Platform
