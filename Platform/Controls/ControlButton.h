#pragma once
// The button control: push buttons, check boxes (two and three states) and
// radio buttons, plus the group box that frames them.
//
// A tap (pen down and up inside the button) or Space clicks it: an auto
// check box moves to its next state, an auto radio button checks itself and
// unchecks the auto radio buttons of its group (the siblings from the
// previous WS_GROUP up to the next one), and the parent gets BN_CLICKED.
// An auto radio button that gets the focus through an arrow key is clicked
// too, so moving through a group selects as it goes.

#include "Control.h"
#include "WindowSystem/Messages.h"

#include <cstdint>

constexpr std::uint32_t BS_PUSHBUTTON = 0x0000;
constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x0001;
constexpr std::uint32_t BS_CHECKBOX = 0x0002;
constexpr std::uint32_t BS_AUTOCHECKBOX = 0x0003;
constexpr std::uint32_t BS_RADIOBUTTON = 0x0004;
constexpr std::uint32_t BS_3STATE = 0x0005;
constexpr std::uint32_t BS_AUTO3STATE = 0x0006;
constexpr std::uint32_t BS_GROUPBOX = 0x0007;
constexpr std::uint32_t BS_AUTORADIOBUTTON = 0x0009;
constexpr std::uint32_t BS_TYPEMASK = 0x000F;
// The box on the right of the text.
constexpr std::uint32_t BS_LEFTTEXT = 0x0020;
// A check box or radio button drawn as a push button that stays down.
constexpr std::uint32_t BS_PUSHLIKE = 0x1000;
// Also BN_SETFOCUS / BN_KILLFOCUS.
constexpr std::uint32_t BS_NOTIFY = 0x4000;

constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
// State bits: the check state, BST_PUSHED while held, BST_FOCUS.
constexpr UINT BM_GETSTATE = 0x00F2;
constexpr UINT BM_SETSTATE = 0x00F3;
// wParam the new style (the type bits), lParam non-zero to redraw.
constexpr UINT BM_SETSTYLE = 0x00F4;
// Clicks the button as a tap would.
constexpr UINT BM_CLICK = 0x00F5;

constexpr LRESULT BST_UNCHECKED = 0;
constexpr LRESULT BST_CHECKED = 1;
constexpr LRESULT BST_INDETERMINATE = 2;
constexpr LRESULT BST_PUSHED = 4;
constexpr LRESULT BST_FOCUS = 8;

constexpr unsigned BN_CLICKED = 0;
constexpr unsigned BN_SETFOCUS = 6;
constexpr unsigned BN_KILLFOCUS = 7;

YOL_API bool CheckDlgButton(HWND dialog, int id, UINT check);
YOL_API UINT IsDlgButtonChecked(HWND dialog, int id);
// Checks `check` and unchecks the other buttons with ids from first to last.
YOL_API bool CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId);
