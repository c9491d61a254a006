#include "CYolWMUI_PrefsBasicPans.h"

#include "CYolWMUI_AboutDlg.h"
#include "CYolWMUI_FontDlg.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlUpDown.h"
#include "PrefsDialogTemplates.h"
#include "SkinImages.h"
#include "WindowSystem/WindowFocus.h"
#include "YolWMUI_Dialogs.h"

#include <cstring>

namespace UI {

using P = TYolWMPrefs;

CYolWMUI_PrefsCheckPan::CYolWMUI_PrefsCheckPan(CYolWMUI_PrefsDlg& owner, int caption, int image, int templateId,
                                               std::vector<TPrefsCheckRow> rows)
    : CPrefsPan(owner, caption, image, templateId), m_rows(std::move(rows))
{
}

int CYolWMUI_PrefsCheckPan::DoDataExchange(int save)
{
    TYolWMPrefs& prefs = Prefs();
    if (!save) {
        for (const TPrefsCheckRow& row : m_rows) {
            SetDlgItemString(m_hWnd, row.label, row.labelString);
            SetChecked(row.control, row.flag ? prefs.*row.flag : (prefs.*row.value) != 0);
        }
        LoadMore();
        ApplyRules();
        return 1;
    }
    for (const TPrefsCheckRow& row : m_rows) {
        const bool on = IsChecked(row.control);
        const bool was = row.flag ? prefs.*row.flag : (prefs.*row.value) != 0;
        if (row.flag)
            prefs.*row.flag = on;
        else if (on != was)
            // A byte value keeps what was stored while its box stays as it was.
            prefs.*row.value = on ? 1 : 0;
        if (on != was && row.change >= 0)
            Notify(row.change);
    }
    SaveMore();
    return 1;
}

void CYolWMUI_PrefsCheckPan::OnCommand(unsigned short code, unsigned short id, HWND control)
{
    if (code != BN_CLICKED)
        return CPrefsPan::OnCommand(code, id, control);
    for (const TPrefsCheckRow& row : m_rows)
        if (row.control == id) {
            // Every rule is a function of the boxes' states, so running all
            // of them gives what the clicked box's own rules give.
            ApplyRules();
            return;
        }
    OnButton(id);
}

// --- General -----------------------------------------------------------------------

namespace {

constexpr int kSyncBox = 1030;
constexpr int kMsgWndButton = 1019;
constexpr int kAboutButton = 1020;

} // namespace

CYolWMUI_PrefsDlg::CGeneralPan::CGeneralPan(CYolWMUI_PrefsDlg& owner)
    : CYolWMUI_PrefsCheckPan(owner, 60, Skins::SKIN_IMG_MMENU_ABOUT, kGeneralPanTemplate,
                             {
                                 {1143, 1144, 70, &P::GlobAutoConnect, nullptr, -1},
                                 {1141, 1142, 71, &P::GlobTrayIcon, nullptr, 0},
                                 {1028, 1096, 73, &P::GlobFullScreen, nullptr, -1},
                                 {1029, 1097, 75, &P::GlobWideMenu, nullptr, -1},
                             })
{
}

void CYolWMUI_PrefsDlg::CGeneralPan::LoadMore()
{
    SetLabels({{1098, 76}, {kMsgWndButton, 77}, {kAboutButton, 78}});
    SetChecked(kSyncBox, Host().GetSyncAccounts());
}

void CYolWMUI_PrefsDlg::CGeneralPan::SaveMore()
{
    Host().SetSyncAccounts(IsChecked(kSyncBox));
}

void CYolWMUI_PrefsDlg::CGeneralPan::OnButton(int id)
{
    if (id == kMsgWndButton) {
        Host().RunMessageWindowSettings(m_hWnd);
    } else if (id == kAboutButton) {
        CYolWMUI_AboutDlg about;
        about.Run(m_hWnd);
    }
}

// --- Contact list ------------------------------------------------------------------

namespace {

constexpr int kModeCombo = 1024;
constexpr int kColumnsCombo = 1026;
constexpr int kFontButton = 1187;
constexpr int kModeCount = 2;
constexpr int kColumnCount = 4;

} // namespace

CYolWMUI_PrefsDlg::CCLPan::CCLPan(CYolWMUI_PrefsDlg& owner)
    : CYolWMUI_PrefsCheckPan(owner, 61, Skins::SKIN_IMG_PREF_CONTACTS, kCLPanTemplate,
                             {
                                 {1028, 1096, 79, nullptr, &P::CLMeta, 4},
                                 {1025, 1094, 83, &P::CLOnlyOnline, nullptr, 6},
                                 {1027, 1095, 85, &P::CLDontShowIcon, nullptr, -1},
                             })
{
}

void CYolWMUI_PrefsDlg::CCLPan::LoadMore()
{
    SetLabels({{1067, 80}, {1068, 84}, {kFontButton, 86}});
    const HWND mode = GetDlgItem(kModeCombo);
    SendMessage(mode, CB_RESETCONTENT, 0, 0);
    for (int string : {81, 82})
        AddComboString(mode, string);
    // A stored value that names no entry leaves the list without a choice,
    // and the save then keeps the stored value.
    SendMessage(mode, CB_SETCURSEL, Prefs().CLMode < kModeCount ? Prefs().CLMode : static_cast<WPARAM>(-1), 0);
    const HWND columns = GetDlgItem(kColumnsCombo);
    SendMessage(columns, CB_RESETCONTENT, 0, 0);
    for (const char16_t* entry : {u"1", u"2", u"3", u"4"})
        SendMessage(columns, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    const unsigned int stored = Prefs().CLColumns;
    SendMessage(columns, CB_SETCURSEL,
                stored >= 1 && stored <= kColumnCount ? stored - 1 : static_cast<WPARAM>(-1), 0);
}

void CYolWMUI_PrefsDlg::CCLPan::SaveMore()
{
    TYolWMPrefs& prefs = Prefs();
    const int mode = SelectedIndex(kModeCombo);
    if (mode >= 0 && static_cast<unsigned int>(mode) != prefs.CLMode) {
        prefs.CLMode = static_cast<unsigned int>(mode) & 0xFF;
        Notify(5);
    }
    const int columns = SelectedIndex(kColumnsCombo);
    if (columns >= 0 && static_cast<unsigned int>(columns + 1) != prefs.CLColumns) {
        prefs.CLColumns = static_cast<unsigned int>(columns + 1) & 0xFF;
        Notify(7);
    }
}

void CYolWMUI_PrefsDlg::CCLPan::OnButton(int id)
{
    if (id != kFontButton)
        return;
    CYolWMUI_FontDlg dialog(Prefs().CLFont);
    if (dialog.DoModal(m_hWnd) != 1)
        return;
    const LOGFONTW& chosen = CYolWMUI_FontDlg::Result();
    if (std::memcmp(&chosen, &Prefs().CLFont, sizeof chosen) == 0)
        return;
    Prefs().CLFont = chosen;
    Notify(9);
}

// --- Events ------------------------------------------------------------------------

CYolWMUI_PrefsDlg::CNotifyPan::CNotifyPan(CYolWMUI_PrefsDlg& owner)
    : CYolWMUI_PrefsCheckPan(owner, 62, Skins::SKIN_IMG_PREF_EVENTS, kNotifyPanTemplate,
                             {
                                 {1057, 1096, 87, &P::TurnOff, nullptr, -1},
                                 {1058, 1097, 89, &P::SignOn, nullptr, -1},
                                 {1059, 1098, 90, &P::SignOff, nullptr, -1},
                                 {1060, 1099, 92, &P::DontBlinking, nullptr, -1},
                                 {1061, 1100, 93, &P::ShowMsg, nullptr, -1},
                                 {1063, 1101, 94, &P::DontShowIfOccupied, nullptr, -1},
                                 {1064, 1102, 95, &P::DontShowIfActive, nullptr, -1},
                                 {1165, 1166, 96, &P::WakeUp, nullptr, -1},
                                 {1155, 1156, 97, &P::UseBlinking, nullptr, -1},
                             })
{
}

void CYolWMUI_PrefsDlg::CNotifyPan::LoadMore()
{
    SetLabels({{1074, 88}, {1075, 91}});
}

void CYolWMUI_PrefsDlg::CNotifyPan::ApplyRules()
{
    const bool events = !IsChecked(1057);
    Enable({1058, 1059, 1060, 1061, 1097, 1098, 1099, 1100}, events);
    Enable({1063, 1101, 1064, 1102}, events && IsChecked(1061));
}

// --- History -----------------------------------------------------------------------

namespace {

constexpr int kCountEdit = 1056;
constexpr int kCountUpDown = 1092;

} // namespace

CYolWMUI_PrefsDlg::CHistPan::CHistPan(CYolWMUI_PrefsDlg& owner)
    : CYolWMUI_PrefsCheckPan(owner, 63, Skins::SKIN_IMG_CL_HISTORY, kHistPanTemplate,
                             {
                                 {1032, 1102, 98, &P::HistSaveHist, nullptr, -1},
                                 {1033, 1103, 99, &P::HistSaveNotInList, nullptr, -1},
                                 {1034, 1104, 100, &P::HistShowInMW, nullptr, -1},
                             })
{
}

void CYolWMUI_PrefsDlg::CHistPan::LoadMore()
{
    SetLabels({{1093, 101}});
    SendMessage(GetDlgItem(kCountUpDown), UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(kCountEdit)), 0);
    SendMessage(GetDlgItem(kCountUpDown), UDM_SETRANGE, 0, MAKELPARAM(kMaxCount, kMinCount));
    SetDlgItemInt(m_hWnd, kCountEdit, Prefs().HistMsgCountForShow, false);
    ClearError();
}

// A count the user cannot edit (its field is off) stays as stored.
bool CYolWMUI_PrefsDlg::CHistPan::Validate()
{
    ClearError();
    unsigned int count = 0;
    return !IsWindowEnabled(GetDlgItem(kCountEdit)) || ReadNumber(kCountEdit, kMinCount, kMaxCount, count);
}

void CYolWMUI_PrefsDlg::CHistPan::SaveMore()
{
    unsigned int count = 0;
    if (IsWindowEnabled(GetDlgItem(kCountEdit)) && ReadNumber(kCountEdit, kMinCount, kMaxCount, count))
        Prefs().HistMsgCountForShow = count;
}

void CYolWMUI_PrefsDlg::CHistPan::ApplyRules()
{
    const bool history = IsChecked(1032);
    Enable({1033, 1103, 1034, 1104}, history);
    Enable({kCountEdit, kCountUpDown, 1093}, history && IsChecked(1034));
}

// --- Hardware ----------------------------------------------------------------------

namespace {

constexpr int kBlinkCombo = 1186;
constexpr int kVibraCombo = 1187;
constexpr unsigned char kAutoLed = 255;

} // namespace

CYolWMUI_PrefsDlg::CHardPan::CHardPan(CYolWMUI_PrefsDlg& owner)
    : CYolWMUI_PrefsCheckPan(owner, 67, Skins::SKIN_IMG_PREF_HARDWARE, kHardPanTemplate,
                             {{1027, 1095, 72, &P::GlobDontSleep, nullptr, -1}})
{
}

void CYolWMUI_PrefsDlg::CHardPan::FillLeds(int comboId, unsigned char stored, unsigned int count)
{
    const HWND combo = GetDlgItem(comboId);
    SendMessage(combo, CB_RESETCONTENT, 0, 0);
    AddComboString(combo, 123);
    for (unsigned int i = 1; i <= count; ++i)
        SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(CYolString(i, false).c_str()));
    const bool automatic = static_cast<signed char>(stored) < 0 || stored >= count;
    SendMessage(combo, CB_SETCURSEL, automatic ? 0 : stored + 1u, 0);
}

unsigned char CYolWMUI_PrefsDlg::CHardPan::ReadLed(int comboId) const
{
    const int index = SelectedIndex(comboId);
    return index <= 0 ? kAutoLed : static_cast<unsigned char>(index - 1);
}

void CYolWMUI_PrefsDlg::CHardPan::LoadMore()
{
    SetLabels({{1096, 121}, {1097, 122}});
    const unsigned int leds = Host().LedCount();
    FillLeds(kBlinkCombo, Prefs().HardBlinkLed, leds);
    FillLeds(kVibraCombo, Prefs().HardVibraLed, leds);
}

void CYolWMUI_PrefsDlg::CHardPan::SaveMore()
{
    Prefs().HardBlinkLed = ReadLed(kBlinkCombo);
    Prefs().HardVibraLed = ReadLed(kVibraCombo);
}

} // namespace UI
