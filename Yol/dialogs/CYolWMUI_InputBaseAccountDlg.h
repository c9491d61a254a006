#pragma once
// The prompt for the login and password of the program's own base account.
// Opened again with the login that failed, it says so above the fields.
// Results: 1 OK (fields saved), 2 Skip.

#include "CYolWMUI_SkinnedDlg.h"

namespace UI {

class CYolWMUI_InputBaseAccountDlg : public CYolWMUI_OkCancelDlg {
public:
    std::intptr_t DoModal(HWND parent);

    void OnInitDialog() override;
    int DoDataExchange(int save) override;
    // "Skip".
    int RightKeyString() const override { return 262; }
    void OnScreenSizeChanged() override;

    CYolString login;
    CYolString password;
};

} // namespace UI
