#pragma once
// Pages of tabbed dialogs: child dialogs that the tab dialog shows one at a
// time. A settings pane also tells the tab dialog its caption, images and
// template through YolTabDlg::IPan.

#include "CYolWMUI_Dlg.h"
#include "YolTabDlg.h"

namespace UI {

class YOL_API CYolWMUI_TabPan : public CYolWMUI_Dlg {
public:
    // A hidden, empty child dialog (the library's template 102) that the tab
    // dialog places and shows.
    bool CreateEmpty(HWND parent);
};

class YOL_API CYolWMUI_SettingsPan : public CYolWMUI_TabPan, public YolTabDlg::IPan {
public:
    CYolWMUI_SettingsPan() = default;
    CYolWMUI_SettingsPan(const CYolWMUI_SettingsPan& other) = default;
    CYolWMUI_SettingsPan& operator=(const CYolWMUI_SettingsPan& other) = default;
    ~CYolWMUI_SettingsPan() override;

    // A modeless child dialog from the template GetDlgTemplate names.
    bool Create(HWND parent);
};

} // namespace UI
