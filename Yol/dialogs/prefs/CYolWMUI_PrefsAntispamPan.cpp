#include "CYolWMUI_PrefsAntispamPan.h"

#include "Controls/ControlButton.h"
#include "PrefsDialogTemplates.h"
#include "SkinImages.h"
#include "YolWMUI_Dialogs.h"

namespace UI {

namespace {

constexpr int kOnlyListBox = 1170;
constexpr int kBotBox = 1172;

// The three texts: their edit, their field and how the host stores them.
struct TTextRow {
    int edit;
    CYolString TYolWMPrefs::*field;
    void (MYolWMUI_PrefsHost::*store)(const CYolString&);
    int change;
};
constexpr TTextRow kTexts[] = {
    {1175, &TYolWMPrefs::AntispamQuestion, &MYolWMUI_PrefsHost::SetAntispamQuestion, 23},
    {1177, &TYolWMPrefs::AntispamAnswer, &MYolWMUI_PrefsHost::SetAntispamAnswer, 24},
    {1179, &TYolWMPrefs::AntispamConfirm, &MYolWMUI_PrefsHost::SetAntispamConfirm, 25},
};

} // namespace

CYolWMUI_PrefsDlg::CAntispamPan::CAntispamPan(CYolWMUI_PrefsDlg& owner)
    : CPrefsPan(owner, 64, Skins::SKIN_IMG_PREF_ANTISPAM, kAntispamPanTemplate)
{
}

int CYolWMUI_PrefsDlg::CAntispamPan::DoDataExchange(int save)
{
    TYolWMPrefs& prefs = Prefs();
    MYolWMUI_PrefsHost& host = Host();
    if (!save) {
        SetLabels({{1171, 102}, {1173, 103}, {1174, 104}, {1176, 105}, {1178, 106}});
        SetChecked(kOnlyListBox, !host.GetMsgsFromNotInList());
        SetChecked(kBotBox, prefs.AntispamEnable);
        for (const TTextRow& row : kTexts)
            SetDlgItemString(m_hWnd, row.edit, prefs.*row.field);
        ApplyRules();
        return 1;
    }
    host.SetMsgsFromNotInList(!IsChecked(kOnlyListBox));
    prefs.AntispamEnable = IsChecked(kBotBox);
    host.SetAntispamEnable(prefs.AntispamEnable);
    Notify(22);
    for (const TTextRow& row : kTexts) {
        const CYolString text = GetDlgItemString(m_hWnd, row.edit);
        if (text == prefs.*row.field)
            continue;
        prefs.*row.field = text;
        (host.*row.store)(text);
        Notify(row.change);
    }
    return 1;
}

void CYolWMUI_PrefsDlg::CAntispamPan::ApplyRules()
{
    const bool strangers = !IsChecked(kOnlyListBox);
    Enable({kBotBox, 1173}, strangers);
    Enable({1174, 1175, 1176, 1177, 1178, 1179}, strangers && IsChecked(kBotBox));
}

void CYolWMUI_PrefsDlg::CAntispamPan::OnCommand(unsigned short code, unsigned short id, HWND control)
{
    if (code == BN_CLICKED && (id == kOnlyListBox || id == kBotBox))
        ApplyRules();
    else
        CPrefsPan::OnCommand(code, id, control);
}

} // namespace UI
