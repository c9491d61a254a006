#pragma once
// The editor of the extended status: a title and a description. Results:
// 1 OK (fields saved), 2 Cancel.

#include "CYolWMUI_SkinnedDlg.h"

namespace UI {

class CYolWMUI_XStatusDlg : public CYolWMUI_OkCancelDlg {
public:
    std::intptr_t DoModal(HWND parent);

    void OnInitDialog() override;
    int DoDataExchange(int save) override;

    CYolString title;
    CYolString description;
};

} // namespace UI
