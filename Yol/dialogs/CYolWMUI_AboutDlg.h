#pragma once
// The About box: the program's icon, its name in a large bold face, the
// build number and the copyright and trademark notice; one soft key "OK".

#include "CYolWMUI_SkinnedDlg.h"

namespace UI {

class CYolWMUI_AboutDlg : public CYolWMUI_SkinnedDlg<CYolWMUI_BigDlg> {
public:
    CYolWMUI_AboutDlg() = default;
    ~CYolWMUI_AboutDlg() override;
    CYolWMUI_AboutDlg(const CYolWMUI_AboutDlg&) = delete;
    CYolWMUI_AboutDlg& operator=(const CYolWMUI_AboutDlg&) = delete;

    // Runs the box modally; answers its result (1).
    std::intptr_t Run(HWND parent);

    // "Build: " and the version with at least four digits.
    static CYolString BuildLine(int version);

    void OnInitDialog() override;
    HBRUSH OnCtlColor(HDC hdc, HWND control) override;
    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override;
    void OnSoftKey(TSoftKey key) override;

private:
    HFONT m_titleFont = nullptr;
};

} // namespace UI
