#pragma once
// The tab dialog of every settings, details and search dialog: it asks the
// derived dialog (and through it, the plug-ins) for panes, makes each pane's
// page from the pane's own template and shows one tab per pane. "OK" saves
// every page and closes only when all of them accept; "Cancel" closes
// without saving.

#include "CYolWMUI_PaneModules.h"
#include "CYolWMUI_TabDlg.h"
#include "TYolWMUI_OkCancelKeys.h"
#include "YolTabDlg.h"

namespace UI {

class CYolWMUI_SettingsControllerDlg : public TYolWMUI_OkCancelKeys<CYolWMUI_TabDlg> {
public:
    CYolWMUI_SettingsControllerDlg() = default;
    // Deletes the panes, then lets go of the libraries their code lives in.
    ~CYolWMUI_SettingsControllerDlg() override;

    // Modal on the program's common dialog template; 1 OK, 2 cancelled.
    std::intptr_t Run(HWND parent);
    // Modeless on the same template; false when it could not be made.
    bool CreateModeless(HWND parent);

    void OnInitDialog() override;
    // The soft keys and every tab's caption in the new language.
    void OnLanguageChanged() override;

    // Appends the dialog's panes; their `first` picks the tab to open with.
    virtual void GetPans(YolTabDlg::CDlgInfo& info) = 0;

private:
    // The libraries of the panes taken, held while the panes live.
    CYolWMUI_PaneModules m_paneModules;
};

} // namespace UI
