#pragma once
// The up-down control: a pair of arrows that step a position through a
// range, usually beside a buddy window that shows the number.
//
// The up arrow steps towards the upper end of the range, the down arrow
// towards the lower one (the ends may be given either way round). Before
// each step the parent gets UDN_DELTAPOS and may refuse it by answering
// non-zero or change the step in the record; after it, WM_VSCROLL
// (WM_HSCROLL for UDS_HORZ) with SB_THUMBPOSITION and the position, and
// SB_ENDSCROLL when the pen or key lets go. Holding the pen on an arrow
// repeats the step.
//
// With UDS_SETBUDDYINT the buddy's text is the position as plain decimal
// (no group separators, so GetDlgItemInt reads it back), and a number the
// user typed there is where the next step starts from.

#include "Control.h"
#include "WindowSystem/Messages.h"

#include <cstdint>

constexpr const char16_t* UPDOWN_CLASS = u"updown";

// Past an end the position goes round to the other end instead of stopping.
constexpr std::uint32_t UDS_WRAP = 0x0001;
constexpr std::uint32_t UDS_SETBUDDYINT = 0x0002;
// The control moves over the right (left) edge of its buddy, takes its
// height, and the buddy narrows by the control's width.
constexpr std::uint32_t UDS_ALIGNRIGHT = 0x0004;
constexpr std::uint32_t UDS_ALIGNLEFT = 0x0008;
// The sibling made just before the control becomes its buddy.
constexpr std::uint32_t UDS_AUTOBUDDY = 0x0010;
// Up and Down pressed in the buddy step the control.
constexpr std::uint32_t UDS_ARROWKEYS = 0x0020;
// The arrows point left and right; right is up.
constexpr std::uint32_t UDS_HORZ = 0x0040;

// lParam MAKELPARAM(upper, lower), each a signed 16-bit value.
constexpr UINT UDM_SETRANGE = 0x0160;
// Answers MAKELPARAM(upper, lower).
constexpr UINT UDM_GETRANGE = 0x0161;
// lParam the position (signed 16-bit in the low word); answers the previous one.
constexpr UINT UDM_SETPOS = 0x0162;
// Answers the position in the low word; the high word is non-zero when the
// buddy's text is no number in range.
constexpr UINT UDM_GETPOS = 0x0163;
// wParam the buddy (null: none); answers the previous one.
constexpr UINT UDM_SETBUDDY = 0x0164;
constexpr UINT UDM_GETBUDDY = 0x0165;
// wParam the lower end, lParam the upper end.
constexpr UINT UDM_SETRANGE32 = 0x0166;
// wParam / lParam int* receiving the lower and upper ends (may be null).
constexpr UINT UDM_GETRANGE32 = 0x0167;
// lParam the position; answers the previous one.
constexpr UINT UDM_SETPOS32 = 0x0168;
// lParam bool* set true when the buddy's text is no number in range (may be null).
constexpr UINT UDM_GETPOS32 = 0x0169;

// WM_NOTIFY code before a step; the record is an NMUPDOWN.
constexpr UINT UDN_DELTAPOS = 0xFFFFFA00u;

struct NMUPDOWN {
    NMHDR hdr;
    // The position before the step and the step asked for.
    int iPos = 0;
    int iDelta = 0;
};
