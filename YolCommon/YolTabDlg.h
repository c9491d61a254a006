#pragma once
// What a tabbed dialog asks of each of its panes. Panes cross module
// boundaries (a plug-in's pane is shown by the program's tab dialog), so the
// order of the operations and the template record stay as they are.

#include "CYolArray.h"
#include "CYolString.h"
#include "PlatformTypes.h"

namespace YolTabDlg {

// Where the pane's dialog template lives: the module that registered it and
// its id there.
struct TDlgTemplate {
    HINSTANCE instance = nullptr;
    unsigned int id = 0;
};

class IPan {
public:
    // The tab's caption.
    virtual CYolString GetCaption() = 0;
    // The tab's skin image ids.
    virtual CYolArray<unsigned int> GetImages() = 0;
    virtual TDlgTemplate GetDlgTemplate() = 0;
    // After the three operations, so that their places stay first. The tab
    // dialog deletes its panes through this interface.
    virtual ~IPan() = default;
};

// The panes a dialog asks for, filled by the program and by plug-ins in
// turn; `first` is the index of the pane to open with. The list does not own
// the panes: the dialog that shows them deletes each through IPan.
class CDlgInfo : public CYolArray<IPan*> {
public:
    int first = 0;
};

} // namespace YolTabDlg
