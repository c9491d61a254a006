#pragma once
// The shell's menu bar: a strip along the bottom of the screen with two soft
// keys, the left and the right button of the bar. It shows while the window
// it belongs to is the active one, or while a window that window owns and
// that has no bar of its own is (a pop-up menu); not while that window is
// disabled (a modal dialog without a bar runs over it). F1 and F2, or a tap on the left or right
// half of the bar, post the button's command to that window as WM_COMMAND
// (the command id in the low word, 0 in the high word and in lParam); a
// disabled button does nothing.
//
// Menu bars are made from menu-bar resources registered per (module, id),
// like dialog templates.

#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>
#include <string>
#include <vector>

struct MenuBarButton {
    int command = 0;
    std::u16string text;
};

// Registers a copy; a second resource under the same (module, id) replaces
// the first.
YOL_API void RegisterMenuBarResource(HINSTANCE module, int id, const std::vector<MenuBarButton>& buttons);

// SHCreateMenuBar flags.
constexpr std::uint32_t SHCMBF_EMPTYBAR = 0x0001;
constexpr std::uint32_t SHCMBF_HIDDEN = 0x0002;
constexpr std::uint32_t SHCMBF_HIDESIPBUTTON = 0x0004;
constexpr std::uint32_t SHCMBF_HMENU = 0x0010;

struct SHMENUBARINFO {
    std::uint32_t cbSize = sizeof(SHMENUBARINFO);
    // The window the commands go to.
    HWND hwndParent = nullptr;
    std::uint32_t dwFlags = 0;
    // The menu-bar resource, in hInstRes.
    UINT nToolBarId = 0;
    HINSTANCE hInstRes = nullptr;
    int nBmpId = 0;
    int cBmpImages = 0;
    // Out: the menu bar's window.
    HWND hwndMB = nullptr;
    COLORREF clrBk = 0;
};

// Makes the bar (replacing one the window had); false when the resource is
// not registered (unless SHCMBF_EMPTYBAR). The bar goes with its window.
YOL_API bool SHCreateMenuBar(SHMENUBARINFO* info);
// Enables or disables a button by command id, or by position when
// `byIndex`.
YOL_API bool SHEnableSoftkey(HWND menuBar, UINT id, bool byIndex, bool enable);

namespace Platform {

YOL_API int MenuBarButtonCount(HWND menuBar);
// The command of the button at that position, -1 when there is none.
YOL_API int MenuBarButtonCommand(HWND menuBar, int index);
YOL_API bool SetMenuBarButtonText(HWND menuBar, int command, const char16_t* text);
// The text of the button at that position (empty when there is none).
YOL_API std::u16string MenuBarButtonText(HWND menuBar, int index);
YOL_API bool IsSoftKeyEnabled(HWND menuBar, int index);
// The menu bar made for the window, or null.
YOL_API HWND GetMenuBar(HWND hwnd);

} // namespace Platform
