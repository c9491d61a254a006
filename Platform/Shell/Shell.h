#pragma once
// The shell's handling of full-screen windows and dialogs: dialog set-up,
// full-screen state, activation and setting-change bookkeeping, and the
// command (done / cancel) button a full-screen dialog offers.
//
// There is no task bar on this screen: a full-screen window covers the
// screen above the menu bar (ShellMenuBar.h). The done or cancel button of
// a dialog is pressed with PressCommandButton (the SDL back-end binds it to
// a key), and Enter / Escape give IDOK / IDCANCEL in dialogs.

#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>

// SHINITDLGINFO mask and flags.
constexpr std::uint32_t SHIDIM_FLAGS = 0x0001;
constexpr std::uint32_t SHIDIF_DONEBUTTON = 0x0001;
constexpr std::uint32_t SHIDIF_SIZEDLG = 0x0002;
constexpr std::uint32_t SHIDIF_SIZEDLGFULLSCREEN = 0x0004;
constexpr std::uint32_t SHIDIF_SIPDOWN = 0x0008;
constexpr std::uint32_t SHIDIF_FULLSCREENNOMENUBAR = 0x0010;
constexpr std::uint32_t SHIDIF_CANCELBUTTON = 0x0080;

struct SHINITDLGINFO {
    std::uint32_t dwMask = SHIDIM_FLAGS;
    HWND hDlg = nullptr;
    std::uint32_t dwFlags = 0;
};

// Sizes a full-screen dialog to the screen above the menu bar (the whole
// screen with SHIDIF_FULLSCREENNOMENUBAR) and keeps it so on screen changes
// (SHHandleWMSettingChange); records the command button.
YOL_API bool SHInitDialog(SHINITDLGINFO* info);

// SHFullScreen states: what the window asks of the task bar, the input
// panel's button and the start icon while it is in front.
constexpr std::uint32_t SHFS_SHOWTASKBAR = 0x0001;
constexpr std::uint32_t SHFS_HIDETASKBAR = 0x0002;
constexpr std::uint32_t SHFS_SHOWSTARTICON = 0x0004;
constexpr std::uint32_t SHFS_HIDESTARTICON = 0x0008;
constexpr std::uint32_t SHFS_SHOWSIPBUTTON = 0x0010;
constexpr std::uint32_t SHFS_HIDESIPBUTTON = 0x0020;

YOL_API bool SHFullScreen(HWND hwnd, std::uint32_t state);

// The activation record a full-screen window keeps for the two calls below.
struct SHACTIVATEINFO {
    std::uint32_t cbSize = sizeof(SHACTIVATEINFO);
    HWND hwndLastFocus = nullptr;
    std::uint32_t flags = 0;
};

// On WM_ACTIVATE: remembers the focus when the window is deactivated and
// gives it back when it is activated again.
YOL_API bool SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info,
                                std::uint32_t flags);
// On WM_SETTINGCHANGE: a screen change (SETTINGCHANGE_RESET) or input panel
// change (SPI_SETSIPINFO) resizes a full-screen window to the new screen.
YOL_API bool SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info);

namespace Platform {

// The SHFullScreen state last asked for by the window (0: none).
YOL_API std::uint32_t GetFullScreenState(HWND hwnd);
// The command button SHInitDialog gave the window: IDOK (done), IDCANCEL,
// or 0 for none.
YOL_API int GetCommandButton(HWND hwnd);
// Presses the active window's command button: WM_COMMAND with its id is
// posted to it. False when it has none.
YOL_API bool PressCommandButton();
// The screen less the menu bar's strip at the bottom, in screen
// coordinates.
YOL_API RECT GetWorkArea();

} // namespace Platform
