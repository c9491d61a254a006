#include "CRuvAuthRequestDlg.h"

#include "CSkinManager.h"
#include "PluginHelpers.h"
#include "RuvPaneTemplates.h"
#include "RuvPlugin.h"
#include "WindowSystem/Dialog.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowFocus.h"
#include "YolGuids.h"

#include <vector>

namespace {

constexpr int kPrompt = 1097;
constexpr int kReasonEdit = 1098;
constexpr int kStringPrompt = 31;
constexpr int kStringOk = 146;
constexpr int kStringCancel = 147;

}  // namespace

bool CRuvAuthRequestDlg::Run(Services::CServicesManager* services, CYolString& reason, HWND parent) {
    EnsureRuvPaneTemplates();
    CRuvAuthRequestDlg dialog(services, reason);
    if (parent == nullptr)
        parent = GetActiveWindow();
    if (dialog.DoModal(kRuvAuthRequestTemplate, Protocols::GetPluginModule(), parent) != 1)
        return false;
    reason = dialog.Reason();
    return true;
}

HBRUSH CRuvAuthRequestDlg::GetBkBrush() {
    auto* skins = services != nullptr ? static_cast<Skins::CSkinManager*>(services->GetService(SkinManagerGuid))
                                      : nullptr;
    return skins != nullptr ? skins->GetBkBrush() : CYolWMUI_BigDlg::GetBkBrush();
}

void CRuvAuthRequestDlg::OnInitDialog() {
    CYolWMUI_BigDlg::OnInitDialog();
    SetDlgItemText(m_hWnd, kPrompt, RuvPlugin::UiString(kStringPrompt).c_str());
    SetDlgItemText(m_hWnd, kReasonEdit, reason.c_str());
    SetFocus(GetDlgItem(kReasonEdit));
}

int CRuvAuthRequestDlg::GetSoftKeyCap(TSoftKey key, CYolString& caption) {
    caption = RuvPlugin::UiString(key == ELeft ? kStringOk : kStringCancel);
    return 1;
}

void CRuvAuthRequestDlg::OnSoftKey(TSoftKey key) {
    if (key == ELeft)
        Accept();
    else
        CYolWMUI_BigDlg::EndDialog(2);
}

void CRuvAuthRequestDlg::OnCommand(unsigned short code, unsigned short id, HWND control) {
    if (id == 1)
        Accept();
    else
        CYolWMUI_BigDlg::OnCommand(code, id, control);
}

void CRuvAuthRequestDlg::Accept() {
    std::vector<char16_t> buffer(kReasonChars + 1, u'\0');
    const int length = GetDlgItemText(m_hWnd, kReasonEdit, buffer.data(), kReasonChars + 1);
    reason = length > 0 ? CYolString(buffer.data(), length) : CYolString();
    CYolWMUI_BigDlg::EndDialog(1);
}
