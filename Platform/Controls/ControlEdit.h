#pragma once
// The edit control: single-line (scrolling sideways to keep the caret in
// view) or multi-line (wrapping at word boundaries to its width, lines
// separated by "\r\n"), with a password character, read-only state, a
// length limit, selection, a blinking caret, cut / copy / paste through the
// clipboard and one level of undo.
//
// Character positions count UTF-16 units; the caret never stops inside a
// "\r\n" pair or a surrogate pair. Every change of the text tells the parent
// EN_UPDATE and then EN_CHANGE (also WM_SETTEXT, except while the control is
// made); typing that hits the limit tells it EN_MAXTEXT.

#include "Control.h"
#include "WindowSystem/Messages.h"

#include <cstdint>

constexpr std::uint32_t ES_LEFT = 0x0000;
constexpr std::uint32_t ES_CENTER = 0x0001;
constexpr std::uint32_t ES_RIGHT = 0x0002;
constexpr std::uint32_t ES_MULTILINE = 0x0004;
constexpr std::uint32_t ES_UPPERCASE = 0x0008;
constexpr std::uint32_t ES_LOWERCASE = 0x0010;
constexpr std::uint32_t ES_PASSWORD = 0x0020;
constexpr std::uint32_t ES_AUTOVSCROLL = 0x0040;
constexpr std::uint32_t ES_AUTOHSCROLL = 0x0080;
// Keep showing the selection without the focus.
constexpr std::uint32_t ES_NOHIDESEL = 0x0100;
constexpr std::uint32_t ES_READONLY = 0x0800;
// Enter types a line break even in a dialog.
constexpr std::uint32_t ES_WANTRETURN = 0x1000;
// Only digits may be typed.
constexpr std::uint32_t ES_NUMBER = 0x2000;

// wParam / lParam: std::uint32_t* receiving start and end (may be null);
// answers MAKELONG(start, end) cut to 16 bits each.
constexpr UINT EM_GETSEL = 0x00B0;
// wParam start, lParam end (the caret goes there); end -1: the end of the
// text; start -1: no selection, the caret stays.
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_SCROLLCARET = 0x00B2;
constexpr UINT EM_GETMODIFY = 0x00B3;
constexpr UINT EM_SETMODIFY = 0x00B4;
constexpr UINT EM_GETLINECOUNT = 0x00B5;
// wParam a line (-1: the caret's); answers its first character, -1 past the last line.
constexpr UINT EM_LINEINDEX = 0x00B6;
// wParam a character (-1: the caret's); answers the length of its line.
constexpr UINT EM_LINELENGTH = 0x00B7;
// wParam whether it can be undone, lParam the text.
constexpr UINT EM_REPLACESEL = 0x00B8;
// wParam the line, lParam a buffer whose first unit holds its capacity;
// answers the units copied (no terminator is added).
constexpr UINT EM_GETLINE = 0x00B9;
// wParam the most units typing may give the text (0: no limit).
constexpr UINT EM_SETLIMITTEXT = 0x00BA;
constexpr UINT EM_LIMITTEXT = EM_SETLIMITTEXT;
constexpr UINT EM_GETLIMITTEXT = 0x00BB;
constexpr UINT EM_CANUNDO = 0x00BC;
constexpr UINT EM_UNDO = 0x00BD;
constexpr UINT EM_EMPTYUNDOBUFFER = 0x00BE;
// wParam a character (-1: the caret's); answers its line.
constexpr UINT EM_LINEFROMCHAR = 0x00BF;
// wParam the character shown for each one of a single-line text (0: none).
constexpr UINT EM_SETPASSWORDCHAR = 0x00C0;
constexpr UINT EM_GETPASSWORDCHAR = 0x00C1;
constexpr UINT EM_SETREADONLY = 0x00C2;
constexpr UINT EM_GETFIRSTVISIBLELINE = 0x00C3;
// lParam the lines to scroll down (negative: up).
constexpr UINT EM_LINESCROLL = 0x00C4;
// wParam a character; answers MAKELONG(x, y) of its top-left corner in the
// client area (-1 for a character past the end).
constexpr UINT EM_POSFROMCHAR = 0x00C5;
// lParam MAKELPARAM(x, y) in the client area; answers MAKELONG(the nearest
// character position, its line).
constexpr UINT EM_CHARFROMPOS = 0x00C6;

constexpr unsigned EN_SETFOCUS = 0x0100;
constexpr unsigned EN_KILLFOCUS = 0x0200;
constexpr unsigned EN_CHANGE = 0x0300;
constexpr unsigned EN_UPDATE = 0x0400;
constexpr unsigned EN_MAXTEXT = 0x0501;
constexpr unsigned EN_VSCROLL = 0x0602;

// The typing limit a new edit control has.
constexpr std::size_t EDIT_DEFAULT_LIMIT = 30000;

// Numbers in dialog items as decimal text.
YOL_API bool SetDlgItemInt(HWND dialog, int id, UINT value, bool isSigned);
// Leading and trailing spaces are allowed; anything else, or a value out of
// range, sets *translated false and answers 0.
YOL_API UINT GetDlgItemInt(HWND dialog, int id, bool* translated, bool isSigned);
