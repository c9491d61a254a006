#include "CYolWMUI_TabPan.h"

namespace UI {

bool CYolWMUI_TabPan::CreateEmpty(HWND parent)
{
    return CYolWMUI_Dlg::Create(kEmptyPaneDialogId, GetYolCommonInstance(), parent);
}

CYolWMUI_SettingsPan::~CYolWMUI_SettingsPan() = default;

bool CYolWMUI_SettingsPan::Create(HWND parent)
{
    const YolTabDlg::TDlgTemplate t = GetDlgTemplate();
    return CYolWMUI_Dlg::Create(static_cast<int>(t.id), t.instance, parent);
}

} // namespace UI
