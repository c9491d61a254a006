#include "CYolWMUI_PrefsMediaPans.h"

#include "CYolWMUI_AlertsDlg.h"
#include "CYolWMUI_PaletteDlg.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlTrackbar.h"
#include "PrefsDialogTemplates.h"
#include "SkinImages.h"
#include "YolWMUI_Dialogs.h"

#include <algorithm>
#include <iterator>

namespace UI {

using P = TYolWMPrefs;

// --- Alerts ------------------------------------------------------------------------

namespace {

constexpr int kVolumeBar = 1118;
constexpr int kPackCombo = 1032;
constexpr int kAlertsButton = 1019;
constexpr unsigned int kMinVolume = 1;
constexpr unsigned int kMaxVolume = 10;

} // namespace

CYolWMUI_PrefsDlg::CAlertPan::CAlertPan(CYolWMUI_PrefsDlg& owner)
    : CYolWMUI_PrefsCheckPan(owner, 65, Skins::SKIN_IMG_PREF_SOUNDS, kAlertPanTemplate,
                             {
                                 {1027, 1111, 107, nullptr, &P::AlertSoundOn, 10},
                                 {1030, 1115, 108, nullptr, &P::AlertAdvancedSound, -1},
                                 {1028, 1112, 110, nullptr, &P::AlertVibraOn, -1},
                                 {1029, 1113, 111, nullptr, &P::AlertSoftMode, -1},
                             })
{
}

void CYolWMUI_PrefsDlg::CAlertPan::LoadMore()
{
    SetLabels({{1114, 109}, {kAlertsButton, 112}, {1176, 113}});
    const HWND volume = GetDlgItem(kVolumeBar);
    SendMessage(volume, TBM_SETRANGE, 0, MAKELPARAM(kMinVolume, kMaxVolume));
    SendMessage(volume, TBM_SETPOS, 1, static_cast<LPARAM>(Prefs().AlertVol));
    CYolArray<CYolString> packs;
    TYolWMPrefs::ListAlertPacks(packs);
    FillNames(kPackCombo, packs, Prefs().AlertPackName);
}

void CYolWMUI_PrefsDlg::CAlertPan::SaveMore()
{
    TYolWMPrefs& prefs = Prefs();
    const LRESULT volume = SendMessage(GetDlgItem(kVolumeBar), TBM_GETPOS, 0, 0);
    if (volume >= static_cast<LRESULT>(kMinVolume) && volume <= static_cast<LRESULT>(kMaxVolume))
        prefs.AlertVol = static_cast<unsigned int>(volume);
    const CYolString pack = SelectedText(kPackCombo);
    if (!pack.IsEmpty() && !(pack == prefs.AlertPackName)) {
        prefs.AlertPackName = pack;
        Alert::LoadAlertSettings(pack, prefs.Alerts);
    }
}

void CYolWMUI_PrefsDlg::CAlertPan::ApplyRules()
{
    const bool sound = IsChecked(1027);
    Enable({1030, 1115}, sound);
    Enable({kVolumeBar, 1114}, sound && IsChecked(1030));
    Enable({1029, 1113}, sound || IsChecked(1028));
}

void CYolWMUI_PrefsDlg::CAlertPan::OnButton(int id)
{
    if (id != kAlertsButton)
        return;
    CYolWMUI_AlertsDlg dialog(Prefs().Alerts, Prefs().AlertPackName, Host());
    if (dialog.DoModal(m_hWnd) != 1)
        return;
    Prefs().Alerts = dialog.Settings();
    Notify(16);
}

// --- Interface ---------------------------------------------------------------------

namespace {

constexpr int kSkinCombo = 1032;
constexpr int kColorsButton = 1019;
constexpr int kNoSmileBox = 1044;
constexpr int kSmileCombo = 1033;
constexpr int kScaleBox = 1045;
constexpr int kLangCombo = 1034;

} // namespace

CYolWMUI_PrefsDlg::CInterfacePan::CInterfacePan(CYolWMUI_PrefsDlg& owner)
    : CPrefsPan(owner, 66, Skins::SKIN_IMG_PREF_INTERFACE, kInterfacePanTemplate)
{
}

int CYolWMUI_PrefsDlg::CInterfacePan::DoDataExchange(int save)
{
    TYolWMPrefs& prefs = Prefs();
    if (!save) {
        SetLabels({{1069, 114}, {kColorsButton, 115}, {1070, 116}, {1105, 118}, {1071, 117}, {1106, 119},
                   {1073, 120}});
        CYolArray<CYolString> names;
        TYolWMPrefs::ListSkins(names);
        FillNames(kSkinCombo, names, prefs.SkinName);
        names.Clear();
        TYolWMPrefs::ListSmilePacks(names);
        FillNames(kSmileCombo, names, prefs.SmilePack);
        names.Clear();
        TYolWMPrefs::ListLanguages(names);
        FillNames(kLangCombo, names, prefs.Lang);
        SetChecked(kNoSmileBox, prefs.UseSmile == 0);
        SetChecked(kScaleBox, prefs.ScaleSmile != 0);
        ApplyRules();
        return 1;
    }
    // An empty list (nothing installed) keeps the stored name.
    const CYolString skin = SelectedText(kSkinCombo);
    if (!skin.IsEmpty() && !(skin == prefs.SkinName)) {
        prefs.SkinName = skin;
        Notify(17);
    }
    CYolString pack = SelectedText(kSmileCombo);
    if (pack.IsEmpty())
        pack = prefs.SmilePack;
    const bool useSmile = !IsChecked(kNoSmileBox);
    if (!(pack == prefs.SmilePack) || useSmile != (prefs.UseSmile != 0)) {
        prefs.SmilePack = pack;
        prefs.UseSmile = useSmile ? 1 : 0;
        Notify(19);
    }
    const bool scale = IsChecked(kScaleBox);
    if (scale != (prefs.ScaleSmile != 0)) {
        prefs.ScaleSmile = scale ? 1 : 0;
        Notify(20);
    }
    const CYolString lang = SelectedText(kLangCombo);
    if (!lang.IsEmpty() && !(lang == prefs.Lang)) {
        prefs.Lang = lang;
        Notify(21);
    }
    return 1;
}

void CYolWMUI_PrefsDlg::CInterfacePan::ApplyRules()
{
    const bool smileys = !IsChecked(kNoSmileBox);
    Enable({kSmileCombo, kScaleBox, 1106}, smileys);
}

void CYolWMUI_PrefsDlg::CInterfacePan::OnCommand(unsigned short code, unsigned short id, HWND control)
{
    if (code != BN_CLICKED)
        return CPrefsPan::OnCommand(code, id, control);
    if (id == kNoSmileBox)
        ApplyRules();
    else if (id == kColorsButton)
        EditColors();
}

void CYolWMUI_PrefsDlg::CInterfacePan::EditColors()
{
    CYolWMUI_PaletteDlg dialog(Prefs().Colors, Prefs().SkinName);
    if (dialog.DoModal(m_hWnd) != 1)
        return;
    std::copy(std::begin(dialog.Colors()), std::end(dialog.Colors()), std::begin(Prefs().Colors));
    Notify(18);
}

} // namespace UI
