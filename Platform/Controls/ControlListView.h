#pragma once
// The list view: rows of items, each with a small icon, a text, the texts of
// its sub-items and a value of the caller's (the item parameter). The list
// style shows one column of icons and texts; the report style shows the
// columns side by side under a header row (LVS_NOCOLUMNHEADER hides it).
// Rows scroll vertically with the window's scroll bar, the pen dragged over
// the rows and the keys.
//
// With LVS_OWNERDRAWFIXED in the report style the parent draws the rows:
// it is asked the row height once with WM_MEASUREITEM (again after a font
// change) and gets WM_DRAWITEM for every row in view, over the background
// the list has painted.
//
// What the parent is told (WM_NOTIFY):
// - LVN_KEYDOWN (NMLVKEYDOWN) for every key pressed on the list, before the
//   list acts on it;
// - LVN_ITEMCHANGED (NMLISTVIEW, uChanged LVIF_STATE) for every item whose
//   selected or focused state changed, by the user or by a message; an item
//   losing its state is told before the item that gains it;
// - NM_CLICK (NMITEMACTIVATE; iItem -1 below the rows) for a tap;
// - LVN_ITEMACTIVATE (NMITEMACTIVATE) for Enter, a tap on the selected item
//   and a double tap;
// - GN_CONTEXTMENU (NMRGINFO, dwItemSpec the row or -1) for a tap-and-hold;
// - NM_SETFOCUS / NM_KILLFOCUS.
// The parent may change or empty the list while it handles any of them.
//
// Indices out of range answer FALSE (or -1 where an index is answered).
// Texts copied to the caller's buffers stop at cchTextMax - 1 units and
// always end with a terminator.

#include "Control.h"
#include "Drawing/ImageList.h"
#include "Shell/ShellGesture.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Messages.h"

#include <cstdint>

constexpr const char16_t* WC_LISTVIEW = u"listview";

// Styles. LVS_ICON and LVS_SMALLICON show as the list style.
constexpr std::uint32_t LVS_ICON = 0x0000;
constexpr std::uint32_t LVS_REPORT = 0x0001;
constexpr std::uint32_t LVS_SMALLICON = 0x0002;
constexpr std::uint32_t LVS_LIST = 0x0003;
constexpr std::uint32_t LVS_TYPEMASK = 0x0003;
constexpr std::uint32_t LVS_SINGLESEL = 0x0004;
constexpr std::uint32_t LVS_OWNERDRAWFIXED = 0x0400;
constexpr std::uint32_t LVS_NOCOLUMNHEADER = 0x4000;

// Extended styles (LVM_SETEXTENDEDLISTVIEWSTYLE): the whole row is selected
// and hit, not only the icon and the first column's text.
constexpr std::uint32_t LVS_EX_FULLROWSELECT = 0x0020;

// LVITEM.mask
constexpr UINT LVIF_TEXT = 0x0001;
constexpr UINT LVIF_IMAGE = 0x0002;
constexpr UINT LVIF_PARAM = 0x0004;
constexpr UINT LVIF_STATE = 0x0008;

// Item states.
constexpr UINT LVIS_FOCUSED = 0x0001;
constexpr UINT LVIS_SELECTED = 0x0002;

// The image index of an item without an icon.
constexpr int I_IMAGENONE = -2;

struct LVITEM {
    UINT mask = 0;
    int iItem = 0;
    int iSubItem = 0;
    UINT state = 0;
    UINT stateMask = 0;
    char16_t* pszText = nullptr;
    int cchTextMax = 0;
    int iImage = 0;
    LPARAM lParam = 0;
};

// LVCOLUMN.mask and .fmt
constexpr UINT LVCF_FMT = 0x0001;
constexpr UINT LVCF_WIDTH = 0x0002;
constexpr UINT LVCF_TEXT = 0x0004;
constexpr int LVCFMT_LEFT = 0x0000;
constexpr int LVCFMT_RIGHT = 0x0001;
constexpr int LVCFMT_CENTER = 0x0002;
constexpr int LVCFMT_JUSTIFYMASK = 0x0003;

struct LVCOLUMN {
    UINT mask = 0;
    int fmt = LVCFMT_LEFT;
    int cx = 0;
    char16_t* pszText = nullptr;
    int cchTextMax = 0;
};

// LVM_GETNEXTITEM flags: the next item after the start (-1: from the first)
// that has all the named states.
constexpr UINT LVNI_ALL = 0x0000;
constexpr UINT LVNI_FOCUSED = 0x0001;
constexpr UINT LVNI_SELECTED = 0x0002;

// LVM_GETITEMRECT: the part asked for goes in the rectangle's left.
constexpr int LVIR_BOUNDS = 0;
constexpr int LVIR_ICON = 1;
constexpr int LVIR_LABEL = 2;
constexpr int LVIR_SELECTBOUNDS = 3;

constexpr UINT LVHT_NOWHERE = 0x0001;
constexpr UINT LVHT_ONITEMICON = 0x0002;
constexpr UINT LVHT_ONITEMLABEL = 0x0004;
constexpr UINT LVHT_ONITEM = LVHT_ONITEMICON | LVHT_ONITEMLABEL;
constexpr UINT LVHT_ABOVE = 0x0010;
constexpr UINT LVHT_BELOW = 0x0020;

struct LVHITTESTINFO {
    POINT pt{};
    UINT flags = 0;
    int iItem = -1;
    int iSubItem = 0;
};

// Image lists: the list view draws from them and never destroys them.
constexpr int LVSIL_NORMAL = 0;
constexpr int LVSIL_SMALL = 1;

// Colours: CLR_NONE leaves the background (or behind the text) unpainted.
constexpr COLORREF CLR_DEFAULT = 0xFF000000;

// LVM_SETBKIMAGE: the list keeps a copy of the bitmap, so the caller may
// delete its own at once. The tiles start at the client area's top-left
// corner and stay there while the rows scroll.
constexpr UINT LVBKIF_SOURCE_NONE = 0x0000;
constexpr UINT LVBKIF_SOURCE_HBITMAP = 0x0001;
constexpr UINT LVBKIF_SOURCE_MASK = 0x0003;
constexpr UINT LVBKIF_STYLE_NORMAL = 0x0000;
constexpr UINT LVBKIF_STYLE_TILE = 0x0010;

struct LVBKIMAGE {
    UINT ulFlags = 0;
    HBITMAP hbm = nullptr;
};

// Messages.
constexpr UINT LVM_GETITEMCOUNT = 0x0180;
constexpr UINT LVM_GETITEM = 0x0181;                  // lParam LVITEM*
constexpr UINT LVM_SETITEM = 0x0182;                  // lParam LVITEM*
constexpr UINT LVM_INSERTITEM = 0x0183;               // lParam LVITEM*; answers the index or -1
constexpr UINT LVM_DELETEITEM = 0x0184;               // wParam the index
constexpr UINT LVM_DELETEALLITEMS = 0x0185;
constexpr UINT LVM_GETNEXTITEM = 0x0186;              // wParam the start, lParam LVNI_*
constexpr UINT LVM_GETITEMRECT = 0x0187;              // wParam the index, lParam RECT* (left = LVIR_*)
constexpr UINT LVM_HITTEST = 0x0188;                  // lParam LVHITTESTINFO*; answers the index or -1
constexpr UINT LVM_ENSUREVISIBLE = 0x0189;            // wParam the index
constexpr UINT LVM_UPDATE = 0x018A;                   // wParam the index: repaint it
constexpr UINT LVM_SETITEMSTATE = 0x018B;             // wParam the index (-1: all), lParam LVITEM*
constexpr UINT LVM_GETITEMSTATE = 0x018C;             // wParam the index, lParam the mask
constexpr UINT LVM_GETITEMTEXT = 0x018D;              // wParam the index, lParam LVITEM*; answers the length
constexpr UINT LVM_SETITEMTEXT = 0x018E;              // wParam the index, lParam LVITEM*
constexpr UINT LVM_GETSELECTEDCOUNT = 0x018F;
constexpr UINT LVM_GETTOPINDEX = 0x0190;
constexpr UINT LVM_GETCOUNTPERPAGE = 0x0191;          // whole rows in view
constexpr UINT LVM_INSERTCOLUMN = 0x01A0;             // wParam the index, lParam LVCOLUMN*; answers the index or -1
constexpr UINT LVM_DELETECOLUMN = 0x01A1;             // wParam the index
constexpr UINT LVM_GETCOLUMN = 0x01A2;                // wParam the index, lParam LVCOLUMN*
constexpr UINT LVM_SETCOLUMN = 0x01A3;                // wParam the index, lParam LVCOLUMN*
constexpr UINT LVM_GETCOLUMNWIDTH = 0x01A4;           // wParam the index; answers 0 for none
constexpr UINT LVM_SETCOLUMNWIDTH = 0x01A5;           // wParam the index, lParam the width
constexpr UINT LVM_SETIMAGELIST = 0x01B0;             // wParam LVSIL_*, lParam the list; answers the previous
constexpr UINT LVM_GETIMAGELIST = 0x01B1;             // wParam LVSIL_*
constexpr UINT LVM_SETTEXTCOLOR = 0x01B2;             // lParam the colour
constexpr UINT LVM_GETTEXTCOLOR = 0x01B3;
constexpr UINT LVM_SETTEXTBKCOLOR = 0x01B4;
constexpr UINT LVM_GETTEXTBKCOLOR = 0x01B5;
constexpr UINT LVM_SETBKCOLOR = 0x01B6;
constexpr UINT LVM_GETBKCOLOR = 0x01B7;
constexpr UINT LVM_SETBKIMAGE = 0x01B8;               // lParam LVBKIMAGE*
constexpr UINT LVM_SETEXTENDEDLISTVIEWSTYLE = 0x01BA; // wParam the bits to change (0: all), lParam the bits; answers the previous
constexpr UINT LVM_GETEXTENDEDLISTVIEWSTYLE = 0x01BB;

// Notification codes.
constexpr UINT LVN_ITEMCHANGED = static_cast<UINT>(-101);
constexpr UINT LVN_ITEMACTIVATE = static_cast<UINT>(-114);
constexpr UINT LVN_KEYDOWN = static_cast<UINT>(-155);

struct NMLISTVIEW {
    NMHDR hdr;
    int iItem = -1;
    int iSubItem = 0;
    UINT uNewState = 0;
    UINT uOldState = 0;
    UINT uChanged = 0;
    POINT ptAction{};
    LPARAM lParam = 0;
};

struct NMITEMACTIVATE {
    NMHDR hdr;
    int iItem = -1;
    int iSubItem = 0;
    UINT uNewState = 0;
    UINT uOldState = 0;
    UINT uChanged = 0;
    POINT ptAction{};
    LPARAM lParam = 0;
    UINT uKeyFlags = 0;
};

struct NMLVKEYDOWN {
    NMHDR hdr;
    std::uint16_t wVKey = 0;
    UINT flags = 0;
};

// ---- Message helpers ----------------------------------------------------------

inline int ListView_GetItemCount(HWND hwnd)
{
    return static_cast<int>(SendMessage(hwnd, LVM_GETITEMCOUNT, 0, 0));
}
inline bool ListView_GetItem(HWND hwnd, LVITEM* item)
{
    return SendMessage(hwnd, LVM_GETITEM, 0, reinterpret_cast<LPARAM>(item)) != 0;
}
inline bool ListView_SetItem(HWND hwnd, const LVITEM* item)
{
    return SendMessage(hwnd, LVM_SETITEM, 0, reinterpret_cast<LPARAM>(item)) != 0;
}
inline int ListView_InsertItem(HWND hwnd, const LVITEM* item)
{
    return static_cast<int>(SendMessage(hwnd, LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(item)));
}
inline bool ListView_DeleteItem(HWND hwnd, int index)
{
    return SendMessage(hwnd, LVM_DELETEITEM, static_cast<WPARAM>(index), 0) != 0;
}
inline bool ListView_DeleteAllItems(HWND hwnd)
{
    return SendMessage(hwnd, LVM_DELETEALLITEMS, 0, 0) != 0;
}
inline int ListView_GetNextItem(HWND hwnd, int start, UINT flags)
{
    return static_cast<int>(SendMessage(hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(start), static_cast<LPARAM>(flags)));
}
inline bool ListView_GetItemRect(HWND hwnd, int index, RECT* rect, int part)
{
    if (!rect)
        return false;
    rect->left = part;
    return SendMessage(hwnd, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)) != 0;
}
inline int ListView_HitTest(HWND hwnd, LVHITTESTINFO* info)
{
    return static_cast<int>(SendMessage(hwnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(info)));
}
inline bool ListView_EnsureVisible(HWND hwnd, int index, bool partialOk)
{
    return SendMessage(hwnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), partialOk) != 0;
}
inline bool ListView_Update(HWND hwnd, int index)
{
    return SendMessage(hwnd, LVM_UPDATE, static_cast<WPARAM>(index), 0) != 0;
}
inline bool ListView_SetItemState(HWND hwnd, int index, UINT state, UINT mask)
{
    LVITEM item;
    item.state = state;
    item.stateMask = mask;
    return SendMessage(hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != 0;
}
inline UINT ListView_GetItemState(HWND hwnd, int index, UINT mask)
{
    return static_cast<UINT>(SendMessage(hwnd, LVM_GETITEMSTATE, static_cast<WPARAM>(index), static_cast<LPARAM>(mask)));
}
inline int ListView_GetItemText(HWND hwnd, int index, int subItem, char16_t* text, int cchTextMax)
{
    LVITEM item;
    item.iSubItem = subItem;
    item.pszText = text;
    item.cchTextMax = cchTextMax;
    return static_cast<int>(SendMessage(hwnd, LVM_GETITEMTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}
inline bool ListView_SetItemText(HWND hwnd, int index, int subItem, const char16_t* text)
{
    LVITEM item;
    item.iSubItem = subItem;
    item.pszText = const_cast<char16_t*>(text);
    return SendMessage(hwnd, LVM_SETITEMTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != 0;
}
inline int ListView_GetSelectedCount(HWND hwnd)
{
    return static_cast<int>(SendMessage(hwnd, LVM_GETSELECTEDCOUNT, 0, 0));
}
inline int ListView_GetTopIndex(HWND hwnd)
{
    return static_cast<int>(SendMessage(hwnd, LVM_GETTOPINDEX, 0, 0));
}
inline int ListView_GetCountPerPage(HWND hwnd)
{
    return static_cast<int>(SendMessage(hwnd, LVM_GETCOUNTPERPAGE, 0, 0));
}
inline int ListView_InsertColumn(HWND hwnd, int index, const LVCOLUMN* column)
{
    return static_cast<int>(
        SendMessage(hwnd, LVM_INSERTCOLUMN, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(column)));
}
inline bool ListView_DeleteColumn(HWND hwnd, int index)
{
    return SendMessage(hwnd, LVM_DELETECOLUMN, static_cast<WPARAM>(index), 0) != 0;
}
inline bool ListView_GetColumn(HWND hwnd, int index, LVCOLUMN* column)
{
    return SendMessage(hwnd, LVM_GETCOLUMN, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(column)) != 0;
}
inline bool ListView_SetColumn(HWND hwnd, int index, const LVCOLUMN* column)
{
    return SendMessage(hwnd, LVM_SETCOLUMN, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(column)) != 0;
}
inline int ListView_GetColumnWidth(HWND hwnd, int index)
{
    return static_cast<int>(SendMessage(hwnd, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index), 0));
}
inline bool ListView_SetColumnWidth(HWND hwnd, int index, int width)
{
    return SendMessage(hwnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), width) != 0;
}
inline HIMAGELIST ListView_SetImageList(HWND hwnd, HIMAGELIST list, int which)
{
    return reinterpret_cast<HIMAGELIST>(
        SendMessage(hwnd, LVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(list)));
}
inline HIMAGELIST ListView_GetImageList(HWND hwnd, int which)
{
    return reinterpret_cast<HIMAGELIST>(SendMessage(hwnd, LVM_GETIMAGELIST, static_cast<WPARAM>(which), 0));
}
inline bool ListView_SetTextColor(HWND hwnd, COLORREF colour)
{
    return SendMessage(hwnd, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(colour)) != 0;
}
inline COLORREF ListView_GetTextColor(HWND hwnd)
{
    return static_cast<COLORREF>(SendMessage(hwnd, LVM_GETTEXTCOLOR, 0, 0));
}
inline bool ListView_SetTextBkColor(HWND hwnd, COLORREF colour)
{
    return SendMessage(hwnd, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(colour)) != 0;
}
inline COLORREF ListView_GetTextBkColor(HWND hwnd)
{
    return static_cast<COLORREF>(SendMessage(hwnd, LVM_GETTEXTBKCOLOR, 0, 0));
}
inline bool ListView_SetBkColor(HWND hwnd, COLORREF colour)
{
    return SendMessage(hwnd, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(colour)) != 0;
}
inline COLORREF ListView_GetBkColor(HWND hwnd)
{
    return static_cast<COLORREF>(SendMessage(hwnd, LVM_GETBKCOLOR, 0, 0));
}
inline bool ListView_SetBkImage(HWND hwnd, const LVBKIMAGE* image)
{
    return SendMessage(hwnd, LVM_SETBKIMAGE, 0, reinterpret_cast<LPARAM>(image)) != 0;
}
inline std::uint32_t ListView_SetExtendedListViewStyle(HWND hwnd, std::uint32_t style)
{
    return static_cast<std::uint32_t>(SendMessage(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)));
}
inline std::uint32_t ListView_SetExtendedListViewStyleEx(HWND hwnd, std::uint32_t mask, std::uint32_t style)
{
    return static_cast<std::uint32_t>(
        SendMessage(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, static_cast<WPARAM>(mask), static_cast<LPARAM>(style)));
}
inline std::uint32_t ListView_GetExtendedListViewStyle(HWND hwnd)
{
    return static_cast<std::uint32_t>(SendMessage(hwnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}
