#pragma once
// The tab strip: a row of tabs with captions and images from the strip's
// image list, one of them current, along the top of the control or, with
// TCS_BOTTOM as on the handheld, along its bottom under the display area
// where the caller puts the current tab's page.
//
// A tap on a tab, or the left and right keys, make another tab current: the
// parent gets TCN_SELCHANGING first (answering TRUE keeps the current tab)
// and TCN_SELCHANGE after. TCM_SETCURSEL tells nothing. When the tabs are
// wider than the control, two arrow buttons at the strip's right end scroll
// it; whenever a tab becomes current the strip scrolls to show it whole.
// When the current tab is deleted, the tab now at its place (or the new
// last one) becomes current and the parent gets TCN_SELCHANGE to show its
// page.

#include "Control.h"
#include "Drawing/ImageList.h"
#include "WindowSystem/Messages.h"

#include <cstdint>

constexpr const char16_t* WC_TABCONTROL = u"tabstrip";

constexpr std::uint32_t TCS_BOTTOM = 0x0002;

constexpr UINT TCIF_TEXT = 0x0001;
constexpr UINT TCIF_IMAGE = 0x0002;
constexpr UINT TCIF_PARAM = 0x0008;

struct TCITEM {
    UINT mask = 0;
    // Getting: a buffer of cchTextMax units that receives the caption, cut
    // to fit and always terminated.
    char16_t* pszText = nullptr;
    int cchTextMax = 0;
    // -1: no image.
    int iImage = -1;
    LPARAM lParam = 0;
};

struct TCHITTESTINFO {
    POINT pt{};
    UINT flags = 0;
};

constexpr UINT TCHT_NOWHERE = 0x0001;
constexpr UINT TCHT_ONITEMICON = 0x0002;
constexpr UINT TCHT_ONITEMLABEL = 0x0004;
constexpr UINT TCHT_ONITEM = TCHT_ONITEMICON | TCHT_ONITEMLABEL;

constexpr UINT TCM_GETIMAGELIST = 0x0200;
// lParam the list (the caller keeps it); answers the previous one.
constexpr UINT TCM_SETIMAGELIST = 0x0201;
constexpr UINT TCM_GETITEMCOUNT = 0x0202;
// wParam the index, lParam TCITEM*; answer FALSE for a bad index.
constexpr UINT TCM_GETITEM = 0x0203;
constexpr UINT TCM_SETITEM = 0x0204;
// wParam the index (past the end: appended), lParam TCITEM*; answers the
// new tab's index or -1. The first tab becomes current.
constexpr UINT TCM_INSERTITEM = 0x0205;
// wParam the index; answers FALSE for a bad index.
constexpr UINT TCM_DELETEITEM = 0x0206;
constexpr UINT TCM_DELETEALLITEMS = 0x0207;
// wParam the index, lParam RECT* receiving the tab in client coordinates
// (also for a tab scrolled out of view).
constexpr UINT TCM_GETITEMRECT = 0x0208;
// Answers the current tab or -1.
constexpr UINT TCM_GETCURSEL = 0x0209;
// wParam the index; answers the previous current tab, or -1 for a bad index.
constexpr UINT TCM_SETCURSEL = 0x020A;
// lParam TCHITTESTINFO* with pt in client coordinates; answers the tab or -1.
constexpr UINT TCM_HITTEST = 0x020B;
// wParam FALSE: lParam, a window rectangle, becomes the display area it
// holds; TRUE: lParam, a display area, becomes the window rectangle it needs.
constexpr UINT TCM_ADJUSTRECT = 0x020C;

// WM_NOTIFY codes; the record is an NMHDR unless said otherwise.
// The record is an NMTCKEYDOWN.
constexpr UINT TCN_KEYDOWN = static_cast<UINT>(-550);
constexpr UINT TCN_SELCHANGE = static_cast<UINT>(-551);
constexpr UINT TCN_SELCHANGING = static_cast<UINT>(-552);

struct NMTCKEYDOWN {
    NMHDR hdr;
    std::uint16_t wVKey = 0;
    UINT flags = 0;
};

namespace Platform::Controls {
// The class's window procedure (registered in Control.cpp).
LRESULT TabProc(HWND, UINT, WPARAM, LPARAM);
} // namespace Platform::Controls
