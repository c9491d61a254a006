#include "CYolWMUI_AlertsDlg.h"

#include "CYolMenuInfo.h"
#include "CYolWMSkins_BkBrush.h"
#include "CYolWMUI_Menu.h"
#include "DialogListView.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlListView.h"
#include "PrefsDialogTemplates.h"
#include "UiHelpers.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowPaint.h"
#include "YolWMUI_Dialogs.h"

namespace UI {

namespace {

constexpr int kFirstEventString = 219;
constexpr int kOkString = 276;
constexpr int kMenuString = 279;
constexpr const char16_t* kSoundMask = u"*.wav;";

struct TMenuRow {
    int command;  // -1: a separator
    int image;
    int caption;
};
constexpr TMenuRow kMenu[] = {
    {CYolWMUI_AlertsDlg::EChange, -1, 285}, {-1, -1, 0}, {CYolWMUI_AlertsDlg::EDefault, 65, 286},
    {-1, -1, 0},                            {CYolWMUI_AlertsDlg::ECancel, 73, 277},
};

// The alert-settings dialog's controls.
constexpr int kAlertOnBox = 1178;
constexpr int kSoundOnBox = 1180;
constexpr int kSoundEdit = 1182;
constexpr int kChangeButton = 1019;
constexpr int kVibraEdit = 1185;

} // namespace

CYolWMUI_AlertsDlg::CYolWMUI_AlertsDlg(const CYolArray<Alert::TYolWMAlertSettings>& settings,
                                       const CYolString& packName, MYolWMUI_PrefsHost& host)
    : m_packName(packName), m_host(host)
{
    for (int i = 0; i < settings.Count(); ++i)
        m_settings.Add(settings[i]);
}

std::intptr_t CYolWMUI_AlertsDlg::DoModal(HWND parent)
{
    return CYolWMUI_Dlg::DoModal(kAlertsDlgTemplate, GetYolDialogsInstance(), parent);
}

void CYolWMUI_AlertsDlg::OnInitDialog()
{
    CYolWMUI_BigDlg::OnInitDialog();
    const HWND list = GetDlgItem(kListId);
    ResetSingleColumnList(list);
    for (int i = 0; i < Alert::kAlertEventCount; ++i) {
        const CYolString name = DialogString(kFirstEventString + i);
        LVITEM item;
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<char16_t*>(name.c_str());
        SendMessage(list, LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item));
    }
    SelectListRow(list, 0);
    Skins::SkinListView(list, GetBkBrush());
    SetFocus(list);
}

int CYolWMUI_AlertsDlg::SelectedIndex() const
{
    return GetListViewSelIndex(GetDlgItem(kListId));
}

void CYolWMUI_AlertsDlg::EditSelected()
{
    const int index = SelectedIndex();
    if (index < 0 || index >= Alert::kAlertEventCount || index >= m_settings.Count())
        return;
    CAlertSetsDlg dialog(m_settings[index], m_host);
    dialog.DoModal(m_hWnd);
}

void CYolWMUI_AlertsDlg::OnMenuCommand(int command)
{
    switch (command) {
    case EChange:
        EditSelected();
        break;
    case EDefault:
        Alert::LoadAlertSettings(m_packName, m_settings);
        InvalidateRect(GetDlgItem(kListId), nullptr, true);
        break;
    case ECancel:
        ::EndDialog(m_hWnd, 2);
        break;
    default:
        break;
    }
}

// Enter on the list also activates the item: one edit for one key.
void CYolWMUI_AlertsDlg::OnNotify(HWND from, unsigned int id, unsigned int code, NMHDR* header)
{
    if (id != kListId || !header)
        return CYolWMUI_BigDlg::OnNotify(from, id, code, header);
    if (code == LVN_ITEMACTIVATE) {
        EditSelected();
    } else if (code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        const bool selectedNow = (change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED);
        if (selectedNow && GetFocus() == from && change->iItem >= 0 && change->iItem < m_settings.Count() &&
            change->iItem < Alert::kAlertEventCount)
            m_host.PreviewAlert(m_settings[change->iItem]);
    }
}

int CYolWMUI_AlertsDlg::GetSoftKeyCap(TSoftKey key, CYolString& caption)
{
    caption = DialogString(key == ELeft ? kOkString : kMenuString);
    return 1;
}

void CYolWMUI_AlertsDlg::OnSoftKey(TSoftKey key)
{
    if (key == ELeft) {
        EndDialog(1);
        return;
    }
    CYolMenuInfo menu;
    for (const TMenuRow& row : kMenu) {
        if (row.command < 0)
            menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
        else
            menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, row.image, CYolFormatString(DialogString(row.caption)),
                                      row.command, nullptr, nullptr, false));
    }
    CYolWMUI_Menu::TResult chosen;
    CYolWMUI_Menu::PopupAtRightBottom(chosen, menu, m_hWnd, true);
    if (chosen.IsChoice())
        OnMenuCommand(chosen.commandId);
}

// --- One event's settings ----------------------------------------------------------

CYolWMUI_AlertsDlg::CAlertSetsDlg::CAlertSetsDlg(Alert::TYolWMAlertSettings& settings, MYolWMUI_PrefsHost& host)
    : m_settings(settings), m_host(host)
{
}

std::intptr_t CYolWMUI_AlertsDlg::CAlertSetsDlg::DoModal(HWND parent)
{
    return CYolWMUI_Dlg::DoModal(kAlertSetsDlgTemplate, GetYolDialogsInstance(), parent);
}

int CYolWMUI_AlertsDlg::CAlertSetsDlg::DoDataExchange(int save)
{
    if (!save) {
        for (const auto& [label, string] : {std::pair{1179, 310}, {1181, 311}, {1183, 312}, {kChangeButton, 285},
                                            {1184, 313}})
            SetDlgItemString(m_hWnd, label, string);
        SendMessage(GetDlgItem(kAlertOnBox), BM_SETCHECK, m_settings.on ? BST_CHECKED : BST_UNCHECKED, 0);
        SendMessage(GetDlgItem(kSoundOnBox), BM_SETCHECK, m_settings.soundOn ? BST_CHECKED : BST_UNCHECKED, 0);
        SetDlgItemString(m_hWnd, kSoundEdit, m_settings.sound);
        SendMessage(GetDlgItem(kVibraEdit), EM_LIMITTEXT, kVibraChars, 0);
        SetDlgItemString(m_hWnd, kVibraEdit, Alert::FlagsToString(m_settings.vibra));
        ApplyRules();
        return 1;
    }
    m_settings.on = SendMessage(GetDlgItem(kAlertOnBox), BM_GETCHECK, 0, 0) == BST_CHECKED;
    m_settings.soundOn = SendMessage(GetDlgItem(kSoundOnBox), BM_GETCHECK, 0, 0) == BST_CHECKED;
    m_settings.sound = GetDlgItemString(m_hWnd, kSoundEdit);
    // FlagsFromString reads at most the 32 characters a pattern has.
    m_settings.vibra = Alert::FlagsFromString(GetDlgItemString(m_hWnd, kVibraEdit));
    return 1;
}

void CYolWMUI_AlertsDlg::CAlertSetsDlg::ApplyRules()
{
    const bool on = SendMessage(GetDlgItem(kAlertOnBox), BM_GETCHECK, 0, 0) == BST_CHECKED;
    const bool sound = on && SendMessage(GetDlgItem(kSoundOnBox), BM_GETCHECK, 0, 0) == BST_CHECKED;
    for (int id : {kSoundOnBox, 1181, kVibraEdit, 1184})
        EnableWindow(GetDlgItem(id), on);
    for (int id : {kSoundEdit, 1183, kChangeButton})
        EnableWindow(GetDlgItem(id), sound);
}

void CYolWMUI_AlertsDlg::CAlertSetsDlg::OnCommand(unsigned short code, unsigned short id, HWND control)
{
    if (code == BN_CLICKED && (id == kAlertOnBox || id == kSoundOnBox)) {
        ApplyRules();
    } else if (code == BN_CLICKED && id == kChangeButton) {
        CYolString path;
        if (m_host.ChooseFile(m_hWnd, CYolString(kSoundMask), path))
            SetDlgItemString(m_hWnd, kSoundEdit, path);
    } else {
        CYolWMUI_OkCancelDlg::OnCommand(code, id, control);
    }
}

} // namespace UI
