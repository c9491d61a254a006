#include "CAccountSetsPan.h"

#include "CSkinManager.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlCombo.h"
#include "PluginHelpers.h"
#include "PluginLanguage.h"
#include "WindowSystem/Dialog.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowPaint.h"
#include "YolGuids.h"

#include <atomic>
#include <vector>

CAccountSetsPan::CAccountSetsPan(Protocols::CAccount* account)
    : account(account),
      services(account != nullptr ? account->GetServicesManager() : nullptr),
      accountId(account != nullptr ? account->GetAccountId() : 0) {
    if (account != nullptr)
        account->HoldForPane();
}

CAccountSetsPan::~CAccountSetsPan() {
    // The window is detached and destroyed by the base afterwards, so no
    // message reaches the page once the account may be gone.
    Protocols::UnwatchLanguage(watched);
    if (account != nullptr)
        account->ReleasePane();
}

HBRUSH CAccountSetsPan::GetBkBrush() {
    // The core registers the skin service before any account exists.
    auto* skins = services != nullptr ? static_cast<Skins::CSkinManager*>(services->GetService(SkinManagerGuid))
                                      : nullptr;
    return skins != nullptr ? skins->GetBkBrush() : UI::CYolWMUI_SettingsPan::GetBkBrush();
}

COLORREF CAccountSetsPan::GetTextColor() {
    auto* skins = services != nullptr ? static_cast<Skins::CSkinManager*>(services->GetService(SkinManagerGuid))
                                      : nullptr;
    return skins != nullptr ? skins->GetTextColor() : UI::CYolWMUI_SettingsPan::GetTextColor();
}

CYolArray<unsigned int> CAccountSetsPan::GetImages() { return CYolArray<unsigned int>(); }

YolTabDlg::TDlgTemplate CAccountSetsPan::PluginTemplate(unsigned int id) {
    return YolTabDlg::TDlgTemplate{Protocols::GetPluginModule(), id};
}

void CAccountSetsPan::OnCreate() {
    watched = m_hWnd;
    Protocols::WatchLanguage(watched);
    UI::CYolWMUI_SettingsPan::OnCreate();
}

int CAccountSetsPan::OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) {
    if (msg != UI::kLanguageChangedMessage)
        return UI::CYolWMUI_SettingsPan::OnMessage(msg, wParam, lParam);
    OnLanguageChanged();
    return 0;
}

void CAccountSetsPan::OnLanguageChanged() {
    // Setting a text runs the page's own handlers, which may set texts
    // themselves: walk copies.
    const std::map<int, int> now = remembered;
    for (const auto& [control, stringId] : now)
        SetDlgItemText(m_hWnd, control, PaneString(stringId).c_str());
    UI::RelabelComboEntries(comboLabels, [this](int stringId) { return PaneString(stringId); });
    const HWND dialog = GetTopLevelWindow(m_hWnd);
    if (dialog != nullptr && dialog != m_hWnd)
        PostMessage(dialog, UI::kLanguageChangedMessage, 0, 0);
}

void CAccountSetsPan::SetLabels(const TLabel* labels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        SetItemString(labels[i].control, labels[i].stringId);
}

void CAccountSetsPan::SetItemString(int control, int stringId) {
    SetDlgItemText(m_hWnd, control, PaneString(stringId).c_str());
    remembered[control] = stringId;
}

int CAccountSetsPan::AddComboString(int control, int stringId) {
    const HWND combo = GetDlgItem(control);
    if (combo == nullptr)
        return CB_ERR;
    const CYolString text = PaneString(stringId);
    const LRESULT at =
        SendMessage(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    if (at < 0)
        return CB_ERR;
    const int index = static_cast<int>(at);
    std::erase_if(comboLabels,
                  [&](const UI::TComboLabel& entry) { return entry.combo == combo && entry.index == index; });
    comboLabels.push_back({combo, index, stringId, text});
    return index;
}

CYolString CAccountSetsPan::GetItemText(int control, int maxChars) const {
    if (maxChars <= 0)
        return CYolString();
    std::vector<char16_t> buffer(static_cast<std::size_t>(maxChars) + 1, u'\0');
    const int length = GetDlgItemText(m_hWnd, control, buffer.data(), maxChars + 1);
    return length > 0 ? CYolString(buffer.data(), length) : CYolString();
}

void CAccountSetsPan::SetItemText(int control, const CYolString& text) {
    remembered.erase(control);
    SetDlgItemText(m_hWnd, control, text.c_str());
}

bool CAccountSetsPan::IsChecked(int control) const { return IsDlgButtonChecked(m_hWnd, control) == BST_CHECKED; }

void CAccountSetsPan::SetChecked(int control, bool checked) {
    CheckDlgButton(m_hWnd, control, checked ? BST_CHECKED : BST_UNCHECKED);
}

void CAccountSetsPan::EnableItem(int control, bool enable) {
    if (HWND item = GetDlgItem(control))
        EnableWindow(item, enable);
}

bool CAccountSetsPan::ReadNumber(int control, unsigned int min, unsigned int max, const CYolString& message,
                                 unsigned int& out) {
    // Ten digits hold every 32-bit value; a longer text is out of range.
    const CYolString text = GetItemText(control, 11);
    unsigned long long value = 0;
    bool valid = text.Length() > 0 && text.Length() <= 10;
    for (int i = 0; valid && i < text.Length(); ++i) {
        const char16_t c = text.At(i);
        valid = c >= u'0' && c <= u'9';
        value = value * 10 + static_cast<unsigned int>(c - u'0');
    }
    if (valid && value >= min && value <= max) {
        out = static_cast<unsigned int>(value);
        return true;
    }
    TellUser(message);
    if (HWND item = GetDlgItem(control))
        SetFocus(item);
    return false;
}

void CAccountSetsPan::TellUser(const CYolString& text) {
    if (account != nullptr)
        account->SendAccountEvent(Protocols::AccountEvent::ShowText, account->NewStringEventArg(text));
}

namespace {

// The last "Show password" choice of this plug-in's pages.
std::atomic<bool> g_showPassword{false};

}  // namespace

void CAccountSetsPan::LoadPassword(const TPasswordControls& controls, bool stored) {
    if (stored) {
        ShowPasswordText(controls.password, false);
        SetItemText(controls.password, CYolString(kPasswordMask));
        EnableItem(controls.showPassword, false);
        return;
    }
    const bool plain = g_showPassword.load();
    SetItemText(controls.password, CYolString());
    EnableItem(controls.showPassword, true);
    SetChecked(controls.showPassword, plain);
    ShowPasswordText(controls.password, plain);
}

bool CAccountSetsPan::OnPasswordCommand(const TPasswordControls& controls, unsigned short code,
                                        unsigned short id) {
    if (id == controls.showPassword && code == BN_CLICKED) {
        ShowPasswordText(controls.password, IsChecked(controls.showPassword));
        // Through the edit and back, so that it draws its text anew.
        HWND had = GetFocus();
        SetFocus(GetDlgItem(controls.password));
        SetFocus(had);
        return true;
    }
    if (id == controls.password && code == EN_CHANGE) {
        // An emptied mask is a new password, which may be shown.
        if (GetItemText(controls.password, 1).IsEmpty())
            EnableItem(controls.showPassword, true);
        return true;
    }
    return false;
}

bool CAccountSetsPan::TypedPassword(const TPasswordControls& controls, int maxChars, CYolString& typed) {
    g_showPassword = IsChecked(controls.showPassword);
    typed = GetItemText(controls.password, maxChars);
    return typed != CYolString(kPasswordMask);
}

void CAccountSetsPan::ShowPasswordText(int password, bool plain) {
    if (HWND edit = GetDlgItem(password)) {
        SendMessage(edit, EM_SETPASSWORDCHAR, plain ? 0 : u'*', 0);
        InvalidateRect(edit, nullptr, true);
    }
}
