#include "CYolWMUI_InputBaseAccountDlg.h"

#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowGeometry.h"

namespace UI {

namespace {

constexpr int kPromptId = 1197;
constexpr int kLoginLabelId = 1190;
constexpr int kLoginId = 1191;
constexpr int kPasswordLabelId = 1192;
constexpr int kPasswordId = 1193;
constexpr int kErrorId = 1196;

} // namespace

std::intptr_t CYolWMUI_InputBaseAccountDlg::DoModal(HWND parent)
{
    return CYolWMUI_Dlg::DoModal(kBaseAccountDlgTemplate, GetYolDialogsInstance(), parent);
}

void CYolWMUI_InputBaseAccountDlg::OnInitDialog()
{
    CYolWMUI_BigDlg::OnInitDialog();
    OnScreenSizeChanged();
    SetDlgItemString(m_hWnd, kPromptId, 258);
    SetDlgItemString(m_hWnd, kLoginLabelId, 260);
    SetDlgItemString(m_hWnd, kPasswordLabelId, 261);
    SetFocus(GetDlgItem(kLoginId));
}

int CYolWMUI_InputBaseAccountDlg::DoDataExchange(int save)
{
    if (save) {
        login = GetDlgItemString(m_hWnd, kLoginId);
        password = GetDlgItemString(m_hWnd, kPasswordId);
        return 1;
    }
    SetDlgItemString(m_hWnd, kLoginId, login);
    SetDlgItemString(m_hWnd, kPasswordId, password);
    // A login we already have is one the server refused: the prompt repeats.
    if (!login.IsEmpty())
        SetDlgItemString(m_hWnd, kErrorId, 259);
    return 1;
}

void CYolWMUI_InputBaseAccountDlg::OnScreenSizeChanged()
{
    RECT r;
    GetWindowRect(m_hWnd, &r);
    MoveWindow(m_hWnd, 0, 0, r.right, r.bottom, true);
}

} // namespace UI
