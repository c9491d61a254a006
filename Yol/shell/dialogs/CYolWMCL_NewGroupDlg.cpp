#include "CYolWMCL_NewGroupDlg.h"

#include "DialogResources.h"
#include "DialogStrings.h"
#include "UiHelpers.h"
#include "WindowSystem/WindowFocus.h"

namespace UI_CL {

namespace {

constexpr int kGroupNameString = 53;
constexpr int kContactNameString = 54;

} // namespace

CYolWMCL_NewGroupDlg::CYolWMCL_NewGroupDlg(const CYolString& initialName, int mode)
    : m_name(initialName), m_mode(mode)
{
}

std::intptr_t CYolWMCL_NewGroupDlg::Run(HWND owner)
{
    return DoModal(UI::kNameDialogId, UI::GetProgramInstance(), owner);
}

bool CYolWMCL_NewGroupDlg::Ask(HWND owner, int mode, CYolString& name)
{
    CYolWMCL_NewGroupDlg dlg(name, mode);
    if (dlg.Run(owner) != 1)
        return false;
    name = dlg.GetName();
    return true;
}

void CYolWMCL_NewGroupDlg::OnInitDialog()
{
    UI::CYolWMUI_BigDlg::OnInitDialog();
    const int label = m_mode == kContactNameMode ? kContactNameString : kGroupNameString;
    UI::SetWindowString(GetDlgItem(UI::kNameLabelId), label);
    SetDlgItemText(m_hWnd, UI::kNameEditId, m_name.c_str());
    SetFocus(GetDlgItem(UI::kNameEditId));
}

int CYolWMCL_NewGroupDlg::DoDataExchange(int save)
{
    if (!save)
        return 1;
    CYolString typed;
    GetWindowTextString(GetDlgItem(UI::kNameEditId), typed);
    // Blank names would make groups and contacts nobody can tell apart.
    if (UI::IsBlankText(typed)) {
        SetFocus(GetDlgItem(UI::kNameEditId));
        return 0;
    }
    m_name = typed;
    return 1;
}

} // namespace UI_CL
