#pragma once
// Tap-and-hold recognition for a stylus press that a window is handling.
//
// Every press held still for TapAndHoldDelay gives WM_CONTEXTMENU anyway
// (WindowInput.h). A window that must decide inside its WM_LBUTTONDOWN
// whether the press becomes a tap-and-hold calls SHRecognizeGesture, which
// waits (handling sent messages) until the pen moves, lifts, or the delay
// passes.

#include "PlatformTypes.h"
#include "WindowSystem/Messages.h"
#include "YolTypes.h"

#include <cstdint>

// SHRGINFO flags.
constexpr std::uint32_t SHRG_RETURNCMD = 0x0001;
constexpr std::uint32_t SHRG_NOTIFYPARENT = 0x0002;
// Waits TapAndHoldLongDelay instead of TapAndHoldDelay.
constexpr std::uint32_t SHRG_LONGDELAY = 0x0008;
constexpr std::uint32_t SHRG_NOANIMATION = 0x0010;

// The answer (and notification code) of a recognised tap-and-hold.
constexpr UINT GN_CONTEXTMENU = 1000;

struct SHRGINFO {
    std::uint32_t cbSize = sizeof(SHRGINFO);
    HWND hwndClient = nullptr;
    POINT ptDown;
    std::uint32_t dwFlags = 0;
};

// The WM_NOTIFY record of SHRG_NOTIFYPARENT, with GN_CONTEXTMENU as its code
// and the point in screen coordinates.
struct NMRGINFO {
    NMHDR hdr;
    POINT ptAction;
    std::uint32_t dwItemSpec = 0;
};

// For the press that `hwndClient` is handling: GN_CONTEXTMENU when it became
// a tap-and-hold (with SHRG_RETURNCMD or SHRG_NOTIFYPARENT; the latter also
// sends NMRGINFO to the parent), else 0 (the pen moved or lifted first, or
// no press of that window is under way).
YOL_API UINT SHRecognizeGesture(SHRGINFO* info);
