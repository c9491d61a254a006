#include "CYolWMUI_PrefsDlg.h"

#include "CYolWMUI_PrefsAccountsPan.h"
#include "CYolWMUI_PrefsAntispamPan.h"
#include "CYolWMUI_PrefsBasicPans.h"
#include "CYolWMUI_PrefsConnectPan.h"
#include "CYolWMUI_PrefsMediaPans.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlEdit.h"
#include "PrefsDialogTemplates.h"
#include "SkinColors.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowPaint.h"
#include "YolWMUI_Dialogs.h"

#include <string>

namespace UI {

CYolWMUI_PrefsDlg::CYolWMUI_PrefsDlg(TYolWMPrefs& prefs, const CYolArray<MYolWMUI_PrefsChangeObserver*>& observers,
                                     int firstPane, MYolWMUI_PrefsHost& host)
    : m_prefs(prefs), m_firstPane(firstPane >= 0 && firstPane < kPaneCount ? firstPane : 0), m_host(host)
{
    for (int i = 0; i < observers.Count(); ++i)
        if (observers[i])
            m_observers.Add(observers[i]);
    m_observers.Add(this);
}

std::intptr_t CYolWMUI_PrefsDlg::Run(TYolWMPrefs& prefs, const CYolArray<MYolWMUI_PrefsChangeObserver*>& observers,
                                     int firstPane, MYolWMUI_PrefsHost& host, HWND parent)
{
    CYolWMUI_PrefsDlg dialog(prefs, observers, firstPane, host);
    return dialog.CYolWMUI_SettingsControllerDlg::Run(parent);
}

void CYolWMUI_PrefsDlg::NotifyPrefsChanged(int type)
{
    for (int i = 0; i < m_observers.Count(); ++i)
        m_observers[i]->OnPrefsChanged(type);
}

void CYolWMUI_PrefsDlg::OnPrefsChanged(int type)
{
    if (type == 17 && m_hWnd)
        InvalidateRect(m_hWnd, nullptr, true);
}

void CYolWMUI_PrefsDlg::GetPans(YolTabDlg::CDlgInfo& info)
{
    info.Add(new CGeneralPan(*this));
    info.Add(new CCLPan(*this));
    info.Add(new CNotifyPan(*this));
    info.Add(new CAlertPan(*this));
    info.Add(new CInterfacePan(*this));
    info.Add(new CHistPan(*this));
    info.Add(new CAntispamPan(*this));
    info.Add(new CHardPan(*this));
    info.Add(new CConnectPan(*this));
    info.Add(new CAccountsPan(*this));
    info.first = m_firstPane;
}

// Every pane is checked before any saves, so a refused field never leaves
// the record half written.
int CYolWMUI_PrefsDlg::DoDataExchange(int save)
{
    if (save) {
        for (int i = 0; i < TabCount(); ++i) {
            auto* pane = dynamic_cast<CPrefsPan*>(GetTab(TabIdAt(i))->pan);
            if (!pane || pane->Validate())
                continue;
            const HWND field = GetFocus();
            SelectTab(TabIdAt(i));
            if (field && IsChild(pane->Handle(), field))
                SetFocus(field);
            return 0;
        }
    }
    return CYolWMUI_SettingsControllerDlg::DoDataExchange(save);
}

CYolWMUI_PrefsDlg::CPrefsPan::CPrefsPan(CYolWMUI_PrefsDlg& owner, int captionString, int image, int templateId)
    : m_owner(owner), m_caption(captionString), m_image(image), m_template(templateId)
{
}

CYolString CYolWMUI_PrefsDlg::CPrefsPan::GetCaption()
{
    return DialogString(m_caption);
}

CYolArray<unsigned int> CYolWMUI_PrefsDlg::CPrefsPan::GetImages()
{
    CYolArray<unsigned int> images;
    images.Add(static_cast<unsigned int>(m_image));
    return images;
}

YolTabDlg::TDlgTemplate CYolWMUI_PrefsDlg::CPrefsPan::GetDlgTemplate()
{
    return YolTabDlg::TDlgTemplate{GetYolDialogsInstance(), static_cast<unsigned int>(m_template)};
}

HBRUSH CYolWMUI_PrefsDlg::CPrefsPan::GetBkBrush()
{
    HBRUSH brush = GetDialogBkBrush();
    return brush ? brush : CYolWMUI_SettingsPan::GetBkBrush();
}

COLORREF CYolWMUI_PrefsDlg::CPrefsPan::GetTextColor()
{
    return Skins::GetSkinColor(Skins::SKIN_CLR_TEXT);
}

bool CYolWMUI_PrefsDlg::CPrefsPan::IsChecked(int id) const
{
    return SendMessage(GetDlgItem(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CYolWMUI_PrefsDlg::CPrefsPan::SetChecked(int id, bool on)
{
    SendMessage(GetDlgItem(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CYolWMUI_PrefsDlg::CPrefsPan::Enable(std::initializer_list<int> ids, bool on)
{
    for (int id : ids)
        EnableWindow(GetDlgItem(id), on);
}

void CYolWMUI_PrefsDlg::CPrefsPan::SetLabels(std::initializer_list<std::pair<int, int>> labelStrings)
{
    for (const auto& [control, string] : labelStrings)
        SetDlgItemString(m_hWnd, control, string);
}

void CYolWMUI_PrefsDlg::CPrefsPan::FillNames(int comboId, const CYolArray<CYolString>& names,
                                             const CYolString& selected)
{
    const HWND combo = GetDlgItem(comboId);
    SendMessage(combo, CB_RESETCONTENT, 0, 0);
    int chosen = 0;
    for (int i = 0; i < names.Count(); ++i) {
        SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i].c_str()));
        if (names[i] == selected)
            chosen = i;
    }
    if (names.Count() > 0)
        SendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

CYolString CYolWMUI_PrefsDlg::CPrefsPan::SelectedText(int comboId) const
{
    const HWND combo = GetDlgItem(comboId);
    return GetComboText(combo, GetComboSelection(combo));
}

int CYolWMUI_PrefsDlg::CPrefsPan::SelectedIndex(int comboId) const
{
    return GetComboSelection(GetDlgItem(comboId));
}

bool CYolWMUI_PrefsDlg::CPrefsPan::ReadNumber(int editId, unsigned int low, unsigned int high, unsigned int& value)
{
    const CYolString text = GetDlgItemString(m_hWnd, editId);
    // Ten digits already pass any range a pane asks for; more would wrap.
    bool ok = text.Length() > 0 && text.Length() <= 10;
    unsigned long long number = 0;
    for (int i = 0; ok && i < text.Length(); ++i) {
        const char16_t c = text.At(i);
        ok = c >= u'0' && c <= u'9';
        number = number * 10 + static_cast<unsigned>(c - u'0');
    }
    if (ok && number >= low && number <= high) {
        value = static_cast<unsigned int>(number);
        return true;
    }
    const std::string message = "Enter a whole number from " + std::to_string(low) + " to " + std::to_string(high) + ".";
    SetDlgItemString(m_hWnd, kPrefsErrorId, CYolString::FromUtf8(message));
    SetFocus(GetDlgItem(editId));
    SendMessage(GetDlgItem(editId), EM_SETSEL, 0, -1);
    return false;
}

void CYolWMUI_PrefsDlg::CPrefsPan::ClearError()
{
    SetDlgItemString(m_hWnd, kPrefsErrorId, CYolString());
}

} // namespace UI
