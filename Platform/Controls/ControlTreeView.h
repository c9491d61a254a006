#pragma once
// The tree view: a list of items in a hierarchy, each with a text, an image
// from the tree's image list and a value of the caller's, whose branches the
// user opens and closes with the +/- buttons or the left and right keys.
//
// Items are handles the tree hands out; they are never pointers into the
// tree, so a handle of a deleted item, of another tree or made up is simply
// refused by every message (null, FALSE) instead of being followed.
//
// The parent hears of the user's doings through WM_NOTIFY: TVN_SELCHANGING
// before the selection moves (answering TRUE keeps it where it is) and
// TVN_SELCHANGED after, TVN_ITEMEXPANDING (TRUE refuses) and
// TVN_ITEMEXPANDED around a branch opening or closing, TVN_DELETEITEM for
// every item that goes, TVN_KEYDOWN for every key, and NM_CLICK, NM_DBLCLK
// (answering 0 lets a double tap also open or close the branch) and
// NM_RETURN.

#include "Control.h"
#include "Drawing/ImageList.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Messages.h"

#include <cstdint>
#include <cstring>

constexpr const char16_t* WC_TREEVIEW = u"treeview";

struct TreeItemHandle;
using HTREEITEM = TreeItemHandle*;

// Places and parents of TVINSERTSTRUCT that are not items.
inline HTREEITEM const TVI_ROOT = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x10000));
inline HTREEITEM const TVI_FIRST = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x0FFFF));
inline HTREEITEM const TVI_LAST = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x0FFFE));
// Among its siblings in case-folded text order, after equal texts.
inline HTREEITEM const TVI_SORT = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x0FFFD));

// Lines join an item to its parent and siblings.
constexpr std::uint32_t TVS_HASBUTTONS = 0x0001;
constexpr std::uint32_t TVS_HASLINES = 0x0002;
// Items at the top level get lines and buttons too.
constexpr std::uint32_t TVS_LINESATROOT = 0x0004;
// The selection stays marked while another window has the focus.
constexpr std::uint32_t TVS_SHOWSELALWAYS = 0x0020;

// TVITEM::mask: which fields count.
constexpr UINT TVIF_TEXT = 0x0001;
constexpr UINT TVIF_IMAGE = 0x0002;
constexpr UINT TVIF_PARAM = 0x0004;
constexpr UINT TVIF_STATE = 0x0008;
constexpr UINT TVIF_HANDLE = 0x0010;
constexpr UINT TVIF_SELECTEDIMAGE = 0x0020;
constexpr UINT TVIF_CHILDREN = 0x0040;

// TVITEM::state. Only TVIS_EXPANDED may be set through TVM_SETITEM (without
// notices); the selection moves with TVM_SELECTITEM.
constexpr UINT TVIS_SELECTED = 0x0002;
constexpr UINT TVIS_EXPANDED = 0x0020;

struct TVITEM {
    UINT mask = 0;
    HTREEITEM hItem = nullptr;
    UINT state = 0;
    UINT stateMask = 0;
    // Getting: a buffer of cchTextMax units that receives the text, cut to
    // fit and always terminated.
    char16_t* pszText = nullptr;
    int cchTextMax = 0;
    int iImage = 0;
    int iSelectedImage = 0;
    // 1: the item shows a button even before it has children (the parent
    // may fill the branch on TVN_ITEMEXPANDING); 0: never; left out of the
    // mask, the button follows the children the item has.
    int cChildren = 0;
    LPARAM lParam = 0;
};

struct TVINSERTSTRUCT {
    // TVI_ROOT (or null) for a top-level item.
    HTREEITEM hParent = nullptr;
    // A sibling to insert after, or TVI_FIRST / TVI_LAST / TVI_SORT.
    HTREEITEM hInsertAfter = nullptr;
    TVITEM item;
};

// lParam TVINSERTSTRUCT*; answers the new item or null.
constexpr UINT TVM_INSERTITEM = 0x01C0;
// lParam the item, or TVI_ROOT / null for every item; the item's branch
// goes with it. Answers TRUE when it went.
constexpr UINT TVM_DELETEITEM = 0x01C1;
// wParam TVE_*, lParam the item; answers TRUE when the branch changed.
constexpr UINT TVM_EXPAND = 0x01C2;
// wParam TRUE for the text's rectangle only, FALSE for the whole row;
// lParam a RECT* whose first bytes hold the item on the way in (see
// TreeView_GetItemRect). Answers FALSE for an item not shown.
constexpr UINT TVM_GETITEMRECT = 0x01C3;
constexpr UINT TVM_GETCOUNT = 0x01C4;
// wParam TVSIL_NORMAL; answers the list.
constexpr UINT TVM_GETIMAGELIST = 0x01C5;
// wParam TVSIL_NORMAL, lParam the list (the caller keeps it); answers the
// previous one.
constexpr UINT TVM_SETIMAGELIST = 0x01C6;
// wParam TVGN_*, lParam the item it starts from; answers an item or null.
constexpr UINT TVM_GETNEXTITEM = 0x01C7;
// wParam TVGN_CARET (select; null clears) or TVGN_FIRSTVISIBLE (scroll the
// item to the top), lParam the item. The parent is told as for the user's
// choice, with TVC_UNKNOWN.
constexpr UINT TVM_SELECTITEM = 0x01C8;
// lParam TVITEM* with hItem; answers FALSE for an item that is no longer.
constexpr UINT TVM_GETITEM = 0x01C9;
constexpr UINT TVM_SETITEM = 0x01CA;
// lParam TVHITTESTINFO* with pt in client coordinates; answers the item.
constexpr UINT TVM_HITTEST = 0x01CB;
// lParam the item: its ancestors open and the rows scroll to show it.
constexpr UINT TVM_ENSUREVISIBLE = 0x01CC;
// The whole rows that fit in the client area.
constexpr UINT TVM_GETVISIBLECOUNT = 0x01CD;

constexpr WPARAM TVSIL_NORMAL = 0;

constexpr WPARAM TVE_COLLAPSE = 0x0001;
constexpr WPARAM TVE_EXPAND = 0x0002;
constexpr WPARAM TVE_TOGGLE = 0x0003;

constexpr WPARAM TVGN_ROOT = 0x0000;
constexpr WPARAM TVGN_NEXT = 0x0001;
constexpr WPARAM TVGN_PREVIOUS = 0x0002;
constexpr WPARAM TVGN_PARENT = 0x0003;
constexpr WPARAM TVGN_CHILD = 0x0004;
constexpr WPARAM TVGN_FIRSTVISIBLE = 0x0005;
constexpr WPARAM TVGN_NEXTVISIBLE = 0x0006;
constexpr WPARAM TVGN_PREVIOUSVISIBLE = 0x0007;
constexpr WPARAM TVGN_CARET = 0x0009;
constexpr WPARAM TVGN_LASTVISIBLE = 0x000A;

constexpr UINT TVHT_NOWHERE = 0x0001;
constexpr UINT TVHT_ONITEMICON = 0x0002;
constexpr UINT TVHT_ONITEMLABEL = 0x0004;
constexpr UINT TVHT_ONITEM = TVHT_ONITEMICON | TVHT_ONITEMLABEL;
constexpr UINT TVHT_ONITEMINDENT = 0x0008;
constexpr UINT TVHT_ONITEMBUTTON = 0x0010;
constexpr UINT TVHT_ONITEMRIGHT = 0x0020;
constexpr UINT TVHT_ABOVE = 0x0100;
constexpr UINT TVHT_BELOW = 0x0200;
constexpr UINT TVHT_TORIGHT = 0x0400;
constexpr UINT TVHT_TOLEFT = 0x0800;

struct TVHITTESTINFO {
    POINT pt{};
    UINT flags = 0;
    HTREEITEM hItem = nullptr;
};

// What moved the selection (NMTREEVIEW::action of the selection notices).
constexpr UINT TVC_UNKNOWN = 0x0000;
constexpr UINT TVC_BYMOUSE = 0x0001;
constexpr UINT TVC_BYKEYBOARD = 0x0002;

// WM_NOTIFY codes; the record is an NMTREEVIEW unless said otherwise.
// Selection: itemOld / itemNew the items (hItem, state, lParam).
constexpr UINT TVN_SELCHANGING = static_cast<UINT>(-401);
constexpr UINT TVN_SELCHANGED = static_cast<UINT>(-402);
// Branches: action TVE_EXPAND or TVE_COLLAPSE, itemNew the item.
constexpr UINT TVN_ITEMEXPANDING = static_cast<UINT>(-405);
constexpr UINT TVN_ITEMEXPANDED = static_cast<UINT>(-406);
// itemOld the item, still readable through the messages while it is told.
constexpr UINT TVN_DELETEITEM = static_cast<UINT>(-409);
// The record is an NMTVKEYDOWN.
constexpr UINT TVN_KEYDOWN = static_cast<UINT>(-412);

struct NMTREEVIEW {
    NMHDR hdr;
    UINT action = 0;
    TVITEM itemOld;
    TVITEM itemNew;
    POINT ptDrag{};
};

struct NMTVKEYDOWN {
    NMHDR hdr;
    std::uint16_t wVKey = 0;
    UINT flags = 0;
};

// The familiar helpers over the messages.
inline HTREEITEM TreeView_InsertItem(HWND tree, const TVINSERTSTRUCT* insert)
{
    return reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(insert)));
}
inline HTREEITEM TreeView_GetNextItem(HWND tree, HTREEITEM item, WPARAM code)
{
    return reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}
inline HTREEITEM TreeView_GetSelection(HWND tree)
{
    return TreeView_GetNextItem(tree, nullptr, TVGN_CARET);
}
inline bool TreeView_SelectItem(HWND tree, HTREEITEM item)
{
    return SendMessage(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0;
}
inline bool TreeView_Expand(HWND tree, HTREEITEM item, WPARAM code)
{
    return SendMessage(tree, TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)) != 0;
}
inline bool TreeView_GetItemRect(HWND tree, HTREEITEM item, RECT* rect, bool textOnly)
{
    static_assert(sizeof(HTREEITEM) <= sizeof(RECT));
    std::memcpy(static_cast<void*>(rect), &item, sizeof item);
    return SendMessage(tree, TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(rect)) != 0;
}

namespace Platform::Controls {
// The class's window procedure (registered in Control.cpp).
LRESULT TreeViewProc(HWND, UINT, WPARAM, LPARAM);
} // namespace Platform::Controls
