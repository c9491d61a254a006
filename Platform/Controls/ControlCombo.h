#pragma once
// The combo box: a field showing the chosen entry of a list that drops down
// under it in a pop-up window. CBS_DROPDOWNLIST shows the entry's text;
// CBS_DROPDOWN holds an edit control in the field, so the user may also type
// a text of their own (the combo's window text is then the edit's).
//
// The height a combo box is made with counts the dropped list too, as dialog
// templates give it: the field keeps one line of the font and the rest is
// the list's room (at least a few rows).
//
// Every entry the user chooses (a tap on a row of the dropped list, Enter on
// the open list, or an arrow key on the closed one) tells the parent
// CBN_SELCHANGE when the choice changed and then CBN_SELENDOK; a list
// closed without choosing tells it CBN_SELENDCANCEL. Opening and closing
// tell CBN_DROPDOWN and CBN_CLOSEUP. Messages that set the selection tell
// nothing.

#include "Control.h"
#include "WindowSystem/Messages.h"

#include <cstdint>

constexpr const char16_t* WC_COMBOBOX = u"combobox";

constexpr std::uint32_t CBS_DROPDOWN = 0x0002;
constexpr std::uint32_t CBS_DROPDOWNLIST = 0x0003;
constexpr std::uint32_t CBS_TYPEMASK = 0x0003;
constexpr std::uint32_t CBS_AUTOHSCROLL = 0x0040;
// Entries added with CB_ADDSTRING go in case-folded text order.
constexpr std::uint32_t CBS_SORT = 0x0100;

// lParam the text; answers its index.
constexpr UINT CB_ADDSTRING = 0x0140;
// wParam the index; answers the entries left.
constexpr UINT CB_DELETESTRING = 0x0141;
constexpr UINT CB_GETCOUNT = 0x0142;
constexpr UINT CB_GETCURSEL = 0x0143;
// wParam the index, lParam a buffer of CB_GETLBTEXTLEN + 1 units; answers
// the length copied (a terminator follows).
constexpr UINT CB_GETLBTEXT = 0x0144;
constexpr UINT CB_GETLBTEXTLEN = 0x0145;
// wParam the index (-1: the end), lParam the text; answers the index.
constexpr UINT CB_INSERTSTRING = 0x0146;
constexpr UINT CB_RESETCONTENT = 0x0147;
// wParam the entry after which to start (-1: from the first, wrapping round),
// lParam the text compared whole with case folded; answers the index.
constexpr UINT CB_FINDSTRINGEXACT = 0x0148;
// wParam the index (-1: none); an index out of range clears the selection
// and answers CB_ERR.
constexpr UINT CB_SETCURSEL = 0x0149;
// wParam non-zero drops the list, zero closes it.
constexpr UINT CB_SHOWDROPDOWN = 0x014A;
constexpr UINT CB_GETITEMDATA = 0x014B;
// wParam the index, lParam the value.
constexpr UINT CB_SETITEMDATA = 0x014C;
constexpr UINT CB_GETDROPPEDSTATE = 0x014D;

constexpr LRESULT CB_ERR = -1;

constexpr unsigned CBN_SELCHANGE = 1;
constexpr unsigned CBN_SETFOCUS = 3;
constexpr unsigned CBN_KILLFOCUS = 4;
constexpr unsigned CBN_EDITCHANGE = 5;
constexpr unsigned CBN_DROPDOWN = 7;
constexpr unsigned CBN_CLOSEUP = 8;
constexpr unsigned CBN_SELENDOK = 9;
constexpr unsigned CBN_SELENDCANCEL = 10;

// The id of the edit control inside a CBS_DROPDOWN combo box.
constexpr int COMBO_EDIT_ID = 1001;
