#pragma once
// Asks for one name: a new group's, or a new name for a group or contact.
// Confirming keeps the dialog open until a name is typed.

#include "CYolString.h"
#include "TYolWMUI_OkCancelKeys.h"

namespace UI_CL {

class CYolWMCL_NewGroupDlg : public UI::TYolWMUI_OkCancelKeys<UI::CYolWMUI_BigDlg> {
public:
    static constexpr int kContactNameMode = 1;

    // Any mode but kContactNameMode asks for a group name.
    CYolWMCL_NewGroupDlg(const CYolString& initialName, int mode);

    // Modal over `owner`; 1 when a name was confirmed, 2 cancelled.
    std::intptr_t Run(HWND owner);
    // Runs the dialog and, on OK, answers true with the name in `name`
    // (which also gives the initial text).
    static bool Ask(HWND owner, int mode, CYolString& name);

    CYolString GetName() const { return m_name; }

    void OnInitDialog() override;
    int DoDataExchange(int save) override;

private:
    CYolString m_name;
    int m_mode;
};

} // namespace UI_CL
