#pragma once
// The trackbar: a thumb that slides along a channel between the ends of a
// range. Unlike a scroll bar it moves itself, then tells its parent
// WM_HSCROLL (WM_VSCROLL with TBS_VERT) with the code of the move, the
// position in the high word for the thumb codes, and lParam the trackbar;
// TB_ENDTRACK follows when the pen or key lets go. Messages that set the
// position tell nothing.
//
// Left / Up and Page Up move towards the low end, Right / Down and Page
// Down towards the high end, Home and End to the ends. The pen drags the
// thumb, or on the channel pages towards the pen, repeating while held.

#include "Control.h"
#include "WindowSystem/Messages.h"

#include <cstdint>

constexpr const char16_t* TRACKBAR_CLASS = u"trackbar";

constexpr std::uint32_t TBS_HORZ = 0x0000;
// Ticks every TBM_SETTICFREQ positions instead of at the ends only.
constexpr std::uint32_t TBS_AUTOTICKS = 0x0001;
constexpr std::uint32_t TBS_VERT = 0x0002;
constexpr std::uint32_t TBS_NOTICKS = 0x0010;

constexpr UINT TBM_GETPOS = 0x0170;
// wParam non-zero to redraw, lParam the position.
constexpr UINT TBM_SETPOS = 0x0171;
// wParam non-zero to redraw, lParam MAKELPARAM(low, high), each 0-65535.
constexpr UINT TBM_SETRANGE = 0x0172;
constexpr UINT TBM_GETRANGEMIN = 0x0173;
constexpr UINT TBM_GETRANGEMAX = 0x0174;
// wParam the distance between ticks (at least 1).
constexpr UINT TBM_SETTICFREQ = 0x0175;
// lParam the step of Page Up / Page Down and taps on the channel; answers the previous one.
constexpr UINT TBM_SETPAGESIZE = 0x0176;
constexpr UINT TBM_GETPAGESIZE = 0x0177;
// lParam the step of the arrow keys; answers the previous one.
constexpr UINT TBM_SETLINESIZE = 0x0178;
constexpr UINT TBM_GETLINESIZE = 0x0179;
// The ticks drawn, the ends included.
constexpr UINT TBM_GETNUMTICS = 0x017A;

// Codes of the scroll messages; the values of the matching SB_ codes.
constexpr unsigned TB_LINEUP = 0;
constexpr unsigned TB_LINEDOWN = 1;
constexpr unsigned TB_PAGEUP = 2;
constexpr unsigned TB_PAGEDOWN = 3;
constexpr unsigned TB_THUMBPOSITION = 4;
constexpr unsigned TB_THUMBTRACK = 5;
constexpr unsigned TB_TOP = 6;
constexpr unsigned TB_BOTTOM = 7;
constexpr unsigned TB_ENDTRACK = 8;
