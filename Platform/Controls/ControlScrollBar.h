#pragma once
// Scroll bars: the bar of a WS_VSCROLL window (SB_VERT) and the scroll-bar
// control (SB_CTL on the control itself). Both tell their owner what the
// pen asks for with WM_VSCROLL / WM_HSCROLL (the bar of a window to the
// window itself with lParam 0, a control to its parent with lParam the
// control) and leave moving the position to the owner.
//
// The position stays within [min, max - page + 1] (within [min, max] while
// the page is 0); the page within [0, max - min + 1]. A window's bar shows
// while its range is more than a page and hides when it no longer is.

#include "Control.h"
#include "WindowSystem/Messages.h"

#include <cstdint>

constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_CTL = 2;

// Control styles.
constexpr std::uint32_t SBS_HORZ = 0x0000;
constexpr std::uint32_t SBS_VERT = 0x0001;

constexpr UINT SIF_RANGE = 0x0001;
constexpr UINT SIF_PAGE = 0x0002;
constexpr UINT SIF_POS = 0x0004;
// Keep a window's bar shown (greyed) when the range no longer needs it.
constexpr UINT SIF_DISABLENOSCROLL = 0x0008;
constexpr UINT SIF_TRACKPOS = 0x0010;
constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

struct SCROLLINFO {
    UINT cbSize = sizeof(SCROLLINFO);
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    // Where the thumb is while the pen drags it.
    int nTrackPos = 0;
};

// Scroll-bar control messages.
constexpr UINT SBM_SETPOS = 0x00E0;       // wParam pos, lParam redraw; answers the old position
constexpr UINT SBM_GETPOS = 0x00E1;
constexpr UINT SBM_SETRANGE = 0x00E2;     // wParam min, lParam max
constexpr UINT SBM_GETRANGE = 0x00E3;     // wParam int* min, lParam int* max
constexpr UINT SBM_SETSCROLLINFO = 0x00E4; // wParam redraw, lParam SCROLLINFO*; answers the position
constexpr UINT SBM_GETSCROLLINFO = 0x00E5; // lParam SCROLLINFO*

// `bar` is SB_VERT for a window's bar or SB_CTL for a scroll-bar control.
// Answers the position after clamping.
YOL_API int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, bool redraw);
YOL_API bool GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info);
// Answers the previous position.
YOL_API int SetScrollPos(HWND hwnd, int bar, int pos, bool redraw);
YOL_API int GetScrollPos(HWND hwnd, int bar);
YOL_API bool SetScrollRange(HWND hwnd, int bar, int min, int max, bool redraw);
YOL_API bool GetScrollRange(HWND hwnd, int bar, int* min, int* max);
