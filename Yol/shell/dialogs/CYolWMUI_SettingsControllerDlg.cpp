#include "CYolWMUI_SettingsControllerDlg.h"

#include "CYolWMUI_TabPan.h"
#include "DialogResources.h"
#include "DialogStrings.h"
#include "UiHelpers.h"
#include "WindowSystem/Dialog.h"

namespace UI {

CYolWMUI_SettingsControllerDlg::~CYolWMUI_SettingsControllerDlg()
{
    DetachAndRemoveTabs();
    m_paneModules.ReleaseAll();
}

std::intptr_t CYolWMUI_SettingsControllerDlg::Run(HWND parent)
{
    return DoModal(kCommonDialogId, GetProgramInstance(), parent);
}

bool CYolWMUI_SettingsControllerDlg::CreateModeless(HWND parent)
{
    return Create(kCommonDialogId, GetProgramInstance(), parent);
}

void CYolWMUI_SettingsControllerDlg::OnInitDialog()
{
    TYolWMUI_OkCancelKeys<CYolWMUI_TabDlg>::OnInitDialog();
    YolTabDlg::CDlgInfo info;
    GetPans(info);
    for (int i = 0; i < info.Count(); ++i) {
        YolTabDlg::IPan* pan = info[i];
        m_paneModules.Pin(pan);
        // A pane must come with its page; one that cannot make it is
        // dropped rather than shown as an empty tab.
        auto* page = dynamic_cast<CYolWMUI_SettingsPan*>(pan);
        if (!page || !page->Create(m_hWnd)) {
            delete pan;
            continue;
        }
        AddTab(i, page, pan->GetCaption(), pan->GetImages());
    }
    if (TabCount() == 0) {
        ::EndDialog(m_hWnd, 2);
        return;
    }
    SelectTab(HasTab(info.first) ? info.first : TabIdAt(0));
}

void CYolWMUI_SettingsControllerDlg::OnLanguageChanged()
{
    TYolWMUI_OkCancelKeys<CYolWMUI_TabDlg>::OnLanguageChanged();
    for (int i = 0; i < TabCount(); ++i) {
        const int id = TabIdAt(i);
        if (auto* pan = dynamic_cast<YolTabDlg::IPan*>(GetTab(id)->pan))
            SetTabCaption(id, pan->GetCaption());
    }
}

} // namespace UI
