#pragma once
// Window messages and the codes their parameters carry.
//
// The numbers below WM_USER are this layer's own; only their meaning is
// shared with the program. Numbers 0x0090-0x03FF are left free for the
// control classes' own messages. Private messages of the program's windows
// are WM_USER + n and keep the numbers the program documents (1025 for
// WM_USER + 1 and so on).

#include "PlatformTypes.h"

#include <cstdint>

// Lifecycle.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0010;
constexpr UINT WM_DESTROY = 0x0011;
constexpr UINT WM_NCDESTROY = 0x0012;
constexpr UINT WM_CLOSE = 0x0013;
constexpr UINT WM_QUIT = 0x0014;
constexpr UINT WM_INITDIALOG = 0x0015;

// Place, visibility and activation.
constexpr UINT WM_MOVE = 0x0020;
constexpr UINT WM_SIZE = 0x0021;
constexpr UINT WM_WINDOWPOSCHANGED = 0x0022;
constexpr UINT WM_SHOWWINDOW = 0x0023;
constexpr UINT WM_ENABLE = 0x0024;
constexpr UINT WM_ACTIVATE = 0x0025;
constexpr UINT WM_SETFOCUS = 0x0026;
constexpr UINT WM_KILLFOCUS = 0x0027;
constexpr UINT WM_CAPTURECHANGED = 0x0028;
constexpr UINT WM_SETTINGCHANGE = 0x0029;

// Text and font.
constexpr UINT WM_SETTEXT = 0x0030;
constexpr UINT WM_GETTEXT = 0x0031;
constexpr UINT WM_GETTEXTLENGTH = 0x0032;
constexpr UINT WM_SETFONT = 0x0033;
constexpr UINT WM_GETFONT = 0x0034;

// Painting. The control-colour messages come from controls about to paint:
// wParam their device context, lParam the control; the answer is a brush.
constexpr UINT WM_PAINT = 0x0040;
constexpr UINT WM_ERASEBKGND = 0x0041;
constexpr UINT WM_NCPAINT = 0x0042;
constexpr UINT WM_CTLCOLOREDIT = 0x0043;
constexpr UINT WM_CTLCOLORLISTBOX = 0x0044;
constexpr UINT WM_CTLCOLORBTN = 0x0045;
constexpr UINT WM_CTLCOLORDLG = 0x0046;
constexpr UINT WM_CTLCOLORSCROLLBAR = 0x0047;
constexpr UINT WM_CTLCOLORSTATIC = 0x0048;
constexpr UINT WM_DRAWITEM = 0x0049;
constexpr UINT WM_MEASUREITEM = 0x004A;

// Keyboard and stylus. Stylus messages carry the point in lParam (x in the
// low, y in the high 16 bits, signed; client coordinates, screen coordinates
// for the non-client ones) and the key state (MK_LBUTTON) in wParam.
constexpr UINT WM_KEYDOWN = 0x0050;
constexpr UINT WM_KEYUP = 0x0051;
constexpr UINT WM_CHAR = 0x0052;
constexpr UINT WM_MOUSEMOVE = 0x0058;
constexpr UINT WM_LBUTTONDOWN = 0x0059;
constexpr UINT WM_LBUTTONUP = 0x005A;
constexpr UINT WM_LBUTTONDBLCLK = 0x005B;
constexpr UINT WM_NCMOUSEMOVE = 0x005D;
constexpr UINT WM_NCLBUTTONDOWN = 0x005E;
constexpr UINT WM_NCLBUTTONUP = 0x005F;
// A long press without movement: wParam the window pressed, lParam the
// point in screen coordinates.
constexpr UINT WM_CONTEXTMENU = 0x0060;

// Commands, notifications, timers, scrolling and dialog keyboard handling.
// WM_COMMAND: wParam = MAKEWPARAM(id, notification code), lParam = control.
constexpr UINT WM_COMMAND = 0x0070;
constexpr UINT WM_NOTIFY = 0x0071;
// wParam the timer id, lParam the TIMERPROC given to SetTimer (or 0).
constexpr UINT WM_TIMER = 0x0072;
constexpr UINT WM_HSCROLL = 0x0073;
constexpr UINT WM_VSCROLL = 0x0074;
constexpr UINT WM_GETDLGCODE = 0x0075;
// To a dialog: wParam 0 next control, 1 previous one; with lParam non-zero,
// wParam is the control to focus.
constexpr UINT WM_NEXTDLGCTL = 0x0076;

// Editing commands.
constexpr UINT WM_CUT = 0x0080;
constexpr UINT WM_COPY = 0x0081;
constexpr UINT WM_PASTE = 0x0082;
constexpr UINT WM_CLEAR = 0x0083;
constexpr UINT WM_UNDO = 0x0084;

constexpr UINT WM_USER = 0x0400;

// Key state in stylus messages.
constexpr WPARAM MK_LBUTTON = 0x0001;

// Low word of WM_ACTIVATE's wParam.
constexpr unsigned WA_INACTIVE = 0;
constexpr unsigned WA_ACTIVE = 1;
constexpr unsigned WA_CLICKACTIVE = 2;

// Low word of WM_VSCROLL / WM_HSCROLL's wParam; the high word carries the
// position for the thumb codes.
constexpr unsigned SB_LINEUP = 0;
constexpr unsigned SB_LINEDOWN = 1;
constexpr unsigned SB_PAGEUP = 2;
constexpr unsigned SB_PAGEDOWN = 3;
constexpr unsigned SB_THUMBPOSITION = 4;
constexpr unsigned SB_THUMBTRACK = 5;
constexpr unsigned SB_TOP = 6;
constexpr unsigned SB_BOTTOM = 7;
constexpr unsigned SB_ENDSCROLL = 8;

// Answers to WM_GETDLGCODE: which keys a control keeps for itself instead of
// the dialog's keyboard navigation.
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_HASSETSEL = 0x0008;
constexpr LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
constexpr LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr LRESULT DLGC_RADIOBUTTON = 0x0040;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;
constexpr LRESULT DLGC_STATIC = 0x0100;
constexpr LRESULT DLGC_BUTTON = 0x0200;

// wParam of WM_SETTINGCHANGE: the screen changed size or orientation, or the
// input panel moved.
constexpr WPARAM SETTINGCHANGE_RESET = 0x3002;
constexpr WPARAM SPI_SETSIPINFO = 224;

// The commands of a dialog's done and cancel buttons.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Where a point lies in a window (stylus routing).
constexpr LRESULT HTNOWHERE = 0;
constexpr LRESULT HTCLIENT = 1;
constexpr LRESULT HTBORDER = 2;
constexpr LRESULT HTVSCROLL = 3;

// The head of every WM_NOTIFY record.
struct NMHDR {
    HWND hwndFrom = nullptr;
    std::uintptr_t idFrom = 0;
    UINT code = 0;
};

constexpr unsigned LOWORD(std::uintptr_t v) { return static_cast<unsigned>(v & 0xFFFF); }
constexpr unsigned HIWORD(std::uintptr_t v) { return static_cast<unsigned>((v >> 16) & 0xFFFF); }
constexpr WPARAM MAKEWPARAM(unsigned low, unsigned high) {
    return static_cast<WPARAM>((low & 0xFFFF) | ((high & 0xFFFF) << 16));
}
constexpr LPARAM MAKELPARAM(int low, int high) {
    return static_cast<LPARAM>(static_cast<std::uint32_t>((static_cast<unsigned>(low) & 0xFFFF) |
                                                          ((static_cast<unsigned>(high) & 0xFFFF) << 16)));
}
// Stylus coordinates are signed 16-bit values.
constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<std::int16_t>(lp & 0xFFFF); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<std::int16_t>((lp >> 16) & 0xFFFF); }
