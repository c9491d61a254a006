#pragma once
// The common controls: window classes of our own that dialogs make by name
// from their templates. Every control keeps its state beside the window,
// paints with the colours its parent answers to the control-colour
// messages, and tells its parent what happened through WM_COMMAND
// (MAKEWPARAM(id, code), the control) or WM_NOTIFY.
//
// The classes are registered when the library loads; InitCommonControlsEx
// is there for the program's start-up call and registers them again only if
// someone unregistered them.

#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>

constexpr const char16_t* WC_STATIC = u"static";
constexpr const char16_t* WC_BUTTON = u"button";
constexpr const char16_t* WC_EDIT = u"edit";
constexpr const char16_t* WC_SCROLLBAR = u"scrollbar";

// Which control families to make ready; all of them are always registered.
struct INITCOMMONCONTROLSEX {
    std::uint32_t dwSize = sizeof(INITCOMMONCONTROLSEX);
    std::uint32_t dwICC = 0;
};
constexpr std::uint32_t ICC_LISTVIEW_CLASSES = 0x0001;
constexpr std::uint32_t ICC_TREEVIEW_CLASSES = 0x0002;
constexpr std::uint32_t ICC_BAR_CLASSES = 0x0004;
constexpr std::uint32_t ICC_UPDOWN_CLASS = 0x0010;
constexpr std::uint32_t ICC_PROGRESS_CLASS = 0x0020;
constexpr std::uint32_t ICC_DATE_CLASSES = 0x0100;

YOL_API bool InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
YOL_API void InitCommonControls();

// Notices every control family shares, sent as WM_NOTIFY codes. Each family
// keeps its own codes in a range of its own below these.
constexpr UINT NM_CLICK = static_cast<UINT>(-2);
constexpr UINT NM_DBLCLK = static_cast<UINT>(-3);
constexpr UINT NM_RETURN = static_cast<UINT>(-4);
constexpr UINT NM_RCLICK = static_cast<UINT>(-5);
constexpr UINT NM_SETFOCUS = static_cast<UINT>(-7);
constexpr UINT NM_KILLFOCUS = static_cast<UINT>(-8);
constexpr UINT NM_CUSTOMDRAW = static_cast<UINT>(-12);

// Owner-drawn items: the control asks its parent for an item's height with
// WM_MEASUREITEM and has it paint the item with WM_DRAWITEM (wParam = the
// control id, lParam = the record).
constexpr UINT ODT_MENU = 1;
constexpr UINT ODT_LISTBOX = 2;
constexpr UINT ODT_COMBOBOX = 3;
constexpr UINT ODT_BUTTON = 4;
constexpr UINT ODT_LISTVIEW = 102;

constexpr UINT ODA_DRAWENTIRE = 0x0001;
constexpr UINT ODA_SELECT = 0x0002;
constexpr UINT ODA_FOCUS = 0x0004;

constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_GRAYED = 0x0002;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_CHECKED = 0x0008;
constexpr UINT ODS_FOCUS = 0x0010;

struct DRAWITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemAction = 0;
    UINT itemState = 0;
    HWND hwndItem = nullptr;
    HDC hDC = nullptr;
    RECT rcItem{};
    std::uintptr_t itemData = 0;
};

struct MEASUREITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemWidth = 0;
    UINT itemHeight = 0;
    std::uintptr_t itemData = 0;
};
