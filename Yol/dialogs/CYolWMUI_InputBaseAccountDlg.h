#pragma once
// The prompt for the login and password of the program's own base account.
// Opened again with the login that failed, it says so above the fields.
// Results: 1 OK (fields saved), 2 Skip.

#include "CYolWMUI_SkinnedDlg.h"

namespace UI {

class CYolWMUI_InputBaseAccountDlg : public CYolWMUI_SkinnedDlg<CYolWMUI_BigDlg> {
public:
    std::intptr_t DoModal(HWND parent);

    void OnInitDialog() override;
    int DoDataExchange(int save) override;
    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override;
    void OnSoftKey(TSoftKey key) override;
    void OnScreenSizeChanged() override;

    CYolString login;
    CYolString password;
};

} // namespace UI
