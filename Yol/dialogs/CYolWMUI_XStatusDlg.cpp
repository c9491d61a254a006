#include "CYolWMUI_XStatusDlg.h"

#include "WindowSystem/WindowFocus.h"

namespace UI {

namespace {

constexpr int kTitleLabelId = 1088;
constexpr int kTitleId = 1202;
constexpr int kDescriptionLabelId = 1089;
constexpr int kDescriptionId = 1041;

} // namespace

std::intptr_t CYolWMUI_XStatusDlg::DoModal(HWND parent)
{
    return CYolWMUI_Dlg::DoModal(kXStatusDlgTemplate, GetYolDialogsInstance(), parent);
}

void CYolWMUI_XStatusDlg::OnInitDialog()
{
    CYolWMUI_BigDlg::OnInitDialog();
    SetDlgItemString(m_hWnd, kTitleLabelId, 314);
    SetDlgItemString(m_hWnd, kDescriptionLabelId, 315);
    SetFocus(GetDlgItem(kTitleId));
}

int CYolWMUI_XStatusDlg::DoDataExchange(int save)
{
    if (save) {
        title = GetDlgItemString(m_hWnd, kTitleId);
        description = GetDlgItemString(m_hWnd, kDescriptionId);
    } else {
        SetDlgItemString(m_hWnd, kTitleId, title);
        SetDlgItemString(m_hWnd, kDescriptionId, description);
    }
    return 1;
}

} // namespace UI
