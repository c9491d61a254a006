#pragma once
// The language chooser of the first start: "English" and every installed
// language pack in a drop-down list, and one button, OK. It has no way to
// cancel; the preferences take "English" when it answers no name.

#include "CYolWMUI_SkinnedDlg.h"

namespace UI {

class CYolWMUI_SelectLangDlg : public CYolWMUI_SkinnedDlg<CYolWMUI_Dlg> {
public:
    std::intptr_t DoModal(HWND parent);
    // Runs the dialog over the main window and answers the chosen name; the
    // preferences' language asker.
    static CYolString Ask(HWND parent);
    // Makes this dialog, over `parent`, the preferences' language asker.
    static void ServePreferences(HWND parent);

    void OnInitDialog() override;
    int DoDataExchange(int save) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;

    CYolString language;
};

} // namespace UI
