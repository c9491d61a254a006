#pragma once
// The find-user dialog's result page: one owner-drawn list of the results,
// whose rows and tap-and-hold menu the dialog handles.

#include "CYolWMUI_FindUserDlg.h"
#include "CYolWMUI_TabPan.h"

namespace UI {

class CYolWMUI_FindUserDlg::CResultPan final : public CYolWMUI_SettingsPan {
public:
    explicit CResultPan(CYolWMUI_FindUserDlg& owner) : m_owner(owner) {}
    ~CResultPan() override;

    CYolString GetCaption() override;
    CYolArray<unsigned int> GetImages() override { return CYolArray<unsigned int>(); }
    YolTabDlg::TDlgTemplate GetDlgTemplate() override;

    // Columns, look and the rows the dialog holds.
    int DoDataExchange(int save) override;
    void OnDrawItem(unsigned int id, DRAWITEMSTRUCT* item) override;
    void OnNotify(HWND from, unsigned int id, unsigned int code, NMHDR* header) override;
    HBRUSH GetBkBrush() override;

private:
    CYolWMUI_FindUserDlg& m_owner;
};

} // namespace UI
