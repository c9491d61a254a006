// One of every control, laid out by a dialog template and saved as
// gallery.png in the working folder for a person to look at; the test
// checks that each control painted its own area.

#include "ControlTestSupport.h"

#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlDatePicker.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlListView.h"
#include "Controls/ControlProgress.h"
#include "Controls/ControlScrollBar.h"
#include "Controls/ControlStatic.h"
#include "Controls/ControlTab.h"
#include "Controls/ControlTrackbar.h"
#include "Controls/ControlTreeView.h"
#include "Controls/ControlUpDown.h"
#include "WindowSystem/Dialog.h"

#include <cairo.h>

using namespace ui_test;

namespace {

Platform::Module g_galleryModule{"gallery-test"};

INT_PTR GalleryProc(HWND dlg, UINT msg, WPARAM, LPARAM) {
    if (msg != WM_INITDIALOG)
        return 0;
    CheckDlgButton(dlg, 12, BST_CHECKED);
    CheckDlgButton(dlg, 13, BST_INDETERMINATE);
    CheckRadioButton(dlg, 14, 15, 15);
    SendDlgItemMessage(dlg, 21, EM_SETSEL, 0, 5);
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = 100;
    si.nPage = 20;
    si.nPos = 30;
    SetScrollInfo(GetDlgItem(dlg, 30), SB_CTL, &si, true);
    SetScrollInfo(GetDlgItem(dlg, 31), SB_CTL, &si, true);
    for (int combo : {40, 41}) {
        for (const char16_t* entry : {u"Online", u"Away", u"Invisible"})
            SendDlgItemMessage(dlg, combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        SendDlgItemMessage(dlg, combo, CB_SETCURSEL, combo == 40 ? 0 : 1, 0);
    }
    SendDlgItemMessage(dlg, 50, PBM_SETPOS, 60, 0);
    SendDlgItemMessage(dlg, 51, TBM_SETRANGE, true, MAKELPARAM(0, 10));
    SendDlgItemMessage(dlg, 51, TBM_SETPOS, true, 3);
    SendDlgItemMessage(dlg, 53, UDM_SETRANGE32, 0, 99);
    SendDlgItemMessage(dlg, 53, UDM_SETPOS32, 0, 42);
    for (const char16_t* text : {u"Anna", u"Boris"}) {
        LVITEM row;
        row.mask = LVIF_TEXT;
        row.iItem = ListView_GetItemCount(GetDlgItem(dlg, 60));
        row.pszText = const_cast<char16_t*>(text);
        ListView_InsertItem(GetDlgItem(dlg, 60), &row);
    }
    TVINSERTSTRUCT node;
    node.hParent = TVI_ROOT;
    node.hInsertAfter = TVI_LAST;
    node.item.mask = TVIF_TEXT;
    node.item.pszText = const_cast<char16_t*>(u"Friends");
    TreeView_InsertItem(GetDlgItem(dlg, 61), &node);
    for (const char16_t* text : {u"General", u"Sounds"}) {
        TCITEM tab;
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<char16_t*>(text);
        SendDlgItemMessage(dlg, 62, TCM_INSERTITEM, text[0] == u'G' ? 0 : 1, reinterpret_cast<LPARAM>(&tab));
    }
    return 1;
}

class Gallery : public ControlTest {};

TEST_F(Gallery, EveryControlFromATemplatePaintsItsPlace) {
    DialogTemplate t;
    t.style = WS_POPUP | WS_VISIBLE | DS_SETFONT;
    t.cx = 220;
    t.cy = 330;
    t.fontFace = u"Tahoma";
    t.pointSize = 8;
    t.items = {
        {WC_STATIC, 1, 6, 4, 190, 10, WS_VISIBLE, u"Static text, left aligned"},
        {WC_STATIC, 2, 6, 14, 190, 10, WS_VISIBLE | SS_CENTER, u"Centred static"},
        {WC_BUTTON, 10, 6, 28, 60, 14, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, u"Default"},
        {WC_BUTTON, 11, 72, 28, 60, 14, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, u"Push"},
        {WC_BUTTON, 16, 138, 28, 60, 14, WS_VISIBLE | WS_DISABLED | BS_PUSHBUTTON, u"Disabled"},
        {WC_BUTTON, 12, 6, 46, 100, 10, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, u"Check box"},
        {WC_BUTTON, 13, 110, 46, 90, 10, WS_VISIBLE | WS_TABSTOP | BS_AUTO3STATE, u"Three states"},
        {WC_BUTTON, 17, 6, 60, 192, 34, WS_VISIBLE | BS_GROUPBOX, u"Group"},
        {WC_BUTTON, 14, 12, 72, 90, 10, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, u"Radio one"},
        {WC_BUTTON, 15, 106, 72, 88, 10, WS_VISIBLE | BS_AUTORADIOBUTTON, u"Radio two"},
        {WC_EDIT, 20, 6, 100, 200, 14, WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_GROUP, u"Single-line edit"},
        {WC_EDIT, 21, 6, 118, 200, 14, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_PASSWORD | ES_NOHIDESEL, u"secret"},
        {WC_EDIT, 22, 6, 136, 200, 14, WS_VISIBLE | WS_BORDER | ES_READONLY, u"Read-only edit"},
        {WC_EDIT, 23, 6, 154, 200, 40,
         WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN,
         u"A multi-line edit wraps its words at the edge of the control.\r\nA second paragraph,\r\nand a third "
         u"one,\r\nand a fourth one that needs the scroll bar."},
        {WC_SCROLLBAR, 30, 6, 200, 200, 10, WS_VISIBLE | SBS_HORZ, u""},
        {WC_SCROLLBAR, 31, 204, 4, 10, 90, WS_VISIBLE | SBS_VERT, u""},
        {WC_COMBOBOX, 40, 6, 214, 96, 60, WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWN, u""},
        {WC_COMBOBOX, 41, 110, 214, 96, 60, WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, u""},
        {PROGRESS_CLASS, 50, 6, 232, 200, 8, WS_VISIBLE, u""},
        {TRACKBAR_CLASS, 51, 6, 244, 140, 20, WS_VISIBLE | WS_TABSTOP | TBS_AUTOTICKS, u""},
        {WC_EDIT, 52, 150, 246, 44, 14, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_NUMBER, u""},
        {UPDOWN_CLASS, 53, 194, 246, 12, 14,
         WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY, u""},
        {WC_LISTVIEW, 60, 6, 268, 96, 34, WS_VISIBLE | WS_TABSTOP | WS_BORDER | LVS_LIST, u""},
        {WC_TREEVIEW, 61, 110, 268, 96, 34, WS_VISIBLE | WS_TABSTOP | WS_BORDER, u""},
        {DATETIMEPICK_CLASS, 63, 6, 306, 96, 14, WS_VISIBLE | WS_TABSTOP | WS_BORDER, u""},
        {WC_TABCONTROL, 62, 110, 306, 96, 16, WS_VISIBLE | WS_TABSTOP, u""},
    };
    RegisterDialogTemplate(&g_galleryModule, 1, t);
    HWND dlg = CreateDialogParam(&g_galleryModule, 1, nullptr, &GalleryProc, 0);
    ASSERT_NE(dlg, nullptr);
    Platform::PumpMessages();
    ASSERT_TRUE(Platform::SaveWindowPng(dlg, "gallery.png"));

    cairo_surface_t* picture = Platform::LoadSurfacePng("gallery.png");
    ASSERT_NE(picture, nullptr);
    const int stride = cairo_image_surface_get_stride(picture);
    const unsigned char* data = cairo_image_surface_get_data(picture);
    RECT d;
    GetWindowRect(dlg, &d);
    const COLORREF background = GetSysColor(COLOR_WINDOW);
    // Each control painted something other than the dialog's background.
    for (const DialogItemTemplate& item : t.items) {
        RECT r;
        GetWindowRect(GetDlgItem(dlg, item.id), &r);
        OffsetRect(&r, -d.left, -d.top);
        int differing = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                const std::uint32_t px = *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
                const COLORREF c = RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
                differing += c != background ? 1 : 0;
            }
        EXPECT_GT(differing, 20) << "control " << item.id;
    }
    cairo_surface_destroy(picture);
    EXPECT_TRUE(IsScrollBarShown(GetDlgItem(dlg, 23)));
    DestroyWindow(dlg);
    UnregisterDialogTemplate(&g_galleryModule, 1);
}

} // namespace
