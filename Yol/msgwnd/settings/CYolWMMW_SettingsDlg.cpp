#include "CYolWMMW_SettingsDlg.h"

#include "CYolWMUI_FontDlg.h"
#include "MWDialogTemplates.h"
#include "YolWMUI_Dialogs.h"

#include "Controls/ControlButton.h"
#include "Controls/ControlUpDown.h"
#include "WindowSystem/Window.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace MW {

namespace {

// The number a number edit shows; false when it holds none.
bool ReadNumber(HWND pane, int edit, int& value)
{
    const std::string text = UI::GetDlgItemString(pane, edit).ToUtf8();
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::atoi(text.c_str());
    return true;
}

} // namespace

CYolString CYolWMMW_SettingsDlg::CSetsPan::GetCaption()
{
    return UI::DialogString(m_spec.caption);
}

YolTabDlg::TDlgTemplate CYolWMMW_SettingsDlg::CSetsPan::GetDlgTemplate()
{
    return YolTabDlg::TDlgTemplate{GetMsgWndInstance(), static_cast<unsigned int>(m_spec.templateId)};
}

HBRUSH CYolWMMW_SettingsDlg::CSetsPan::GetBkBrush()
{
    HBRUSH brush = UI::GetDialogBkBrush();
    return brush != nullptr ? brush : UI::CYolWMUI_SettingsPan::GetBkBrush();
}

int CYolWMMW_SettingsDlg::CSetsPan::DoDataExchange(int save)
{
    if (save)
        Save();
    else
        Load();
    return 1;
}

void CYolWMMW_SettingsDlg::CSetsPan::Load()
{
    for (int i = 0; i < m_spec.labelCount; ++i)
        UI::SetDlgItemString(m_hWnd, m_spec.labels[i].control, m_spec.labels[i].string);
    for (int i = 0; i < m_spec.checkCount; ++i) {
        const TCheckRow& row = m_spec.checks[i];
        CheckDlgButton(m_hWnd, row.control, m_settings->*row.field ? BST_CHECKED : BST_UNCHECKED);
    }
    for (int i = 0; i < m_spec.numberCount; ++i) {
        const TNumberRow& row = m_spec.numbers[i];
        const HWND upDown = GetDlgItem(row.upDown);
        SendMessage(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(row.edit)), 0);
        SendMessage(upDown, UDM_SETRANGE32, static_cast<WPARAM>(row.low), static_cast<LPARAM>(row.high));
        SendMessage(upDown, UDM_SETPOS32, 0, static_cast<LPARAM>(m_settings->*row.field));
        UI::SetDlgItemString(m_hWnd, row.edit, CYolString::FromUtf8(std::to_string(m_settings->*row.field)));
    }
    LoadOwn();
}

void CYolWMMW_SettingsDlg::CSetsPan::NoteChange(int value)
{
    m_changed = true;
    m_lastValue = value;
}

// A number the user typed outside the range is brought into it, as the
// arrows would have; an edit left without a number keeps the setting.
void CYolWMMW_SettingsDlg::CSetsPan::Save()
{
    for (int i = 0; i < m_spec.checkCount; ++i) {
        const TCheckRow& row = m_spec.checks[i];
        const bool checked = IsDlgButtonChecked(m_hWnd, row.control) == BST_CHECKED;
        if (checked != m_settings->*row.field && row.notifies)
            NoteChange(checked ? 1 : 0);
        m_settings->*row.field = checked;
    }
    for (int i = 0; i < m_spec.numberCount; ++i) {
        const TNumberRow& row = m_spec.numbers[i];
        int value = 0;
        if (!ReadNumber(m_hWnd, row.edit, value))
            continue;
        value = std::clamp(value, row.low, row.high);
        if (value != m_settings->*row.field && row.notifies)
            NoteChange(value);
        m_settings->*row.field = value;
    }
    SaveOwn();
    if (m_changed && m_observer != nullptr)
        m_observer->OnSettingsChanged(m_spec.id, m_lastValue);
    m_changed = false;
}

void CYolWMMW_SettingsDlg::CSetsPan::OnCommand(unsigned short code, unsigned short id, HWND control)
{
    for (int i = 0; i < m_spec.fontCount; ++i) {
        if (m_spec.fonts[i].button == id && code == BN_CLICKED) {
            ChangeFont(m_spec.fonts[i]);
            return;
        }
    }
    UI::CYolWMUI_SettingsPan::OnCommand(code, id, control);
}

void CYolWMMW_SettingsDlg::CSetsPan::ChangeFont(const TFontRow& row)
{
    LOGFONTW& field = m_settings->*row.field;
    UI::CYolWMUI_FontDlg dialog(field);
    if (dialog.DoModal(m_hWnd) != 1)
        return;
    const LOGFONTW& chosen = UI::CYolWMUI_FontDlg::Result();
    if (std::memcmp(&chosen, &field, sizeof field) == 0)
        return;
    field = chosen;
    NoteChange(chosen.lfHeight);
}

CYolWMMW_SettingsDlg::CYolWMMW_SettingsDlg(TYolWMMWSettings* settings, MSetsChangeObserver* observer, int firstPane)
    : m_settings(settings), m_observer(observer), m_firstPane(firstPane)
{
}

std::intptr_t CYolWMMW_SettingsDlg::Run(HWND parent, TYolWMMWSettings* settings, MSetsChangeObserver* observer,
                                        int firstPane)
{
    CYolWMMW_SettingsDlg dialog(settings, observer, firstPane);
    return dialog.UI::CYolWMUI_SettingsControllerDlg::Run(parent);
}

void CYolWMMW_SettingsDlg::GetPans(YolTabDlg::CDlgInfo& info)
{
    info.Add(new CHistPan(m_settings, m_observer));
    info.Add(new CEditPan(m_settings, m_observer));
    info.Add(new CSmilePan(m_settings, m_observer));
    info.Add(new CReplyPan(m_settings, m_observer));
    info.Add(new CControlPan(m_settings, m_observer));
    info.first = m_firstPane;
}

} // namespace MW
