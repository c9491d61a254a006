#pragma once
// The notification area (tray): icons that windows add, change and remove.
// It is a model: the shell keeps the icons and their owners, tests inspect
// them, and a tap on an icon reaches its window as the icon's call-back
// message (wParam the icon id, lParam the stylus message: WM_LBUTTONDOWN,
// then WM_LBUTTONUP).

#include "Drawing/Icon.h"
#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>
#include <string>
#include <vector>

// Shell_NotifyIcon operations and flags.
constexpr UINT NIM_ADD = 0;
constexpr UINT NIM_MODIFY = 1;
constexpr UINT NIM_DELETE = 2;
constexpr UINT NIF_MESSAGE = 0x0001;
constexpr UINT NIF_ICON = 0x0002;
constexpr UINT NIF_TIP = 0x0004;

struct NOTIFYICONDATA {
    std::uint32_t cbSize = sizeof(NOTIFYICONDATA);
    HWND hWnd = nullptr;
    UINT uID = 0;
    // Which of the fields below count (NIF_*).
    UINT uFlags = 0;
    UINT uCallbackMessage = 0;
    HICON hIcon = nullptr;
    char16_t szTip[64] = {};
};

// An icon is identified by (window, id). Adding one that exists, or changing
// or removing one that does not, fails. The shell draws its own copy of the
// icon it is given, so the caller's handle may be destroyed at any time
// (also before the icon is removed).
YOL_API bool Shell_NotifyIcon(UINT message, const NOTIFYICONDATA* data);

namespace Platform {

struct TrayIcon {
    HWND hwnd = nullptr;
    UINT id = 0;
    UINT callbackMessage = 0;
    HICON icon = nullptr;  // the handle as given
    std::u16string tip;
    IconCopy picture;  // what the tray shows
};

// The icons in the order they were added.
YOL_API std::vector<TrayIcon> GetTrayIcons();
// A tap on the icon: its window gets the call-back message twice (pen down,
// pen up). False when there is no such icon or it has no call-back message.
YOL_API bool TapTrayIcon(HWND hwnd, UINT id);
// Draws the icons left to right from the area's left edge, each in a square
// as high as the area, up to its right edge; answers how many were drawn.
YOL_API int DrawTrayIcons(HDC dc, const RECT& area);

} // namespace Platform
