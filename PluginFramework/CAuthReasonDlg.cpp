#include "CAuthReasonDlg.h"

#include "CSkinManager.h"
#include "Controls/ControlEdit.h"
#include "PluginHelpers.h"
#include "PluginLanguage.h"
#include "WindowSystem/Dialog.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowFocus.h"
#include "YolGuids.h"

#include <vector>

bool CAuthReasonDlg::Run(Services::CServicesManager* services, unsigned int templateId, const TTexts& texts,
                         CYolString& reason, HWND parent) {
    CAuthReasonDlg dialog(services, texts, reason);
    if (parent == nullptr)
        parent = GetActiveWindow();
    if (dialog.DoModal(static_cast<int>(templateId), Protocols::GetPluginModule(), parent) != 1)
        return false;
    reason = dialog.Reason();
    return true;
}

HBRUSH CAuthReasonDlg::GetBkBrush() {
    auto* skins = services != nullptr ? static_cast<Skins::CSkinManager*>(services->GetService(SkinManagerGuid))
                                      : nullptr;
    return skins != nullptr ? skins->GetBkBrush() : CYolWMUI_BigDlg::GetBkBrush();
}

CAuthReasonDlg::~CAuthReasonDlg() { Protocols::UnwatchLanguage(watched); }

void CAuthReasonDlg::OnInitDialog() {
    watched = m_hWnd;
    Protocols::WatchLanguage(watched);
    CYolWMUI_BigDlg::OnInitDialog();
    SetTexts();
    SendMessage(GetDlgItem(kReasonEdit), EM_LIMITTEXT, kReasonChars, 0);
    SetDlgItemText(m_hWnd, kReasonEdit, reason.c_str());
    SetFocus(GetDlgItem(kReasonEdit));
}

void CAuthReasonDlg::SetTexts() {
    if (texts.title != kOwnTitle)
        SetWindowText(m_hWnd, texts.text(texts.title).c_str());
    SetDlgItemText(m_hWnd, kPrompt, texts.text(texts.prompt).c_str());
}

void CAuthReasonDlg::OnLanguageChanged() {
    SetTexts();
    CYolWMUI_BigDlg::OnLanguageChanged();
}

int CAuthReasonDlg::GetSoftKeyCap(TSoftKey key, CYolString& caption) {
    caption = texts.text(key == ELeft ? texts.ok : texts.cancel);
    return 1;
}

void CAuthReasonDlg::OnSoftKey(TSoftKey key) {
    if (key == ELeft)
        Accept();
    else
        CYolWMUI_BigDlg::EndDialog(2);
}

void CAuthReasonDlg::OnCommand(unsigned short code, unsigned short id, HWND control) {
    if (id == 1)
        Accept();
    else
        CYolWMUI_BigDlg::OnCommand(code, id, control);
}

void CAuthReasonDlg::Accept() {
    std::vector<char16_t> buffer(kReasonChars + 1, u'\0');
    const int length = GetDlgItemText(m_hWnd, kReasonEdit, buffer.data(), kReasonChars + 1);
    reason = length > 0 ? CYolString(buffer.data(), length) : CYolString();
    CYolWMUI_BigDlg::EndDialog(1);
}
