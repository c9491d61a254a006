#include "CYolWMUI_Dlg.h"

#include "WindowSystem/Dialog.h"

namespace UI {

std::intptr_t CYolWMUI_Dlg::DoModal(int templateId, HINSTANCE instance, HWND parent)
{
    return DialogBoxParam(instance, templateId, parent, &CYolWMUI_WndBase::DialogProc,
                          reinterpret_cast<LPARAM>(static_cast<CYolWMUI_WndBase*>(this)));
}

bool CYolWMUI_Dlg::Create(int templateId, HINSTANCE instance, HWND parent)
{
    return CreateDialogParam(instance, templateId, parent, &CYolWMUI_WndBase::DialogProc,
                             reinterpret_cast<LPARAM>(static_cast<CYolWMUI_WndBase*>(this))) != nullptr;
}

HWND CYolWMUI_Dlg::GetDlgItem(int id) const
{
    return ::GetDlgItem(m_hWnd, id);
}

int CYolWMUI_Dlg::EndDialog(int result)
{
    if (result == 1 && !DoDataExchange(1))
        return 0;
    return ::EndDialog(m_hWnd, result) ? 1 : 0;
}

void CYolWMUI_Dlg::OnCreate()
{
    OnInitDialog();
    DoDataExchange(0);
}

void CYolWMUI_Dlg::OnClose()
{
    ::EndDialog(m_hWnd, 2);
}

void CYolWMUI_Dlg::OnInitDialog() {}

int CYolWMUI_Dlg::DoDataExchange(int) { return 1; }

} // namespace UI
