#include "CYolWMMW_SettingsDlg.h"

#include "MWDialogTemplates.h"
#include "UiHelpers.h"
#include "YolWMUI_Dialogs.h"

#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "WindowSystem/WindowFocus.h"

#include <iterator>

namespace MW {

namespace {

using S = TYolWMMWSettings;
using D = CYolWMMW_SettingsDlg;

constexpr char16_t kLineBreak[] = u"\r\n";

// History formatting: every field changes how paragraphs look.
constexpr D::TLabelRow kHistLabels[] = {{1076, 155}, {1106, 156}, {1107, 157}, {1108, 158},
                                        {1019, 159}, {1023, 160}, {1020, 161}, {1161, 162}};
constexpr D::TCheckRow kHistChecks[] = {
    {1014, &S::showNames, true}, {1015, &S::showTime, true}, {1053, &S::msgFromNewl, true}};
constexpr D::TFontRow kHistFonts[] = {
    {1019, &S::headLogFont}, {1023, &S::head2LogFont}, {1020, &S::textLogFont}};
constexpr int kYourNameEdit = 1162;

// The editor: its height and font and the send button follow at once.
constexpr D::TLabelRow kEditLabels[] = {{1130, 163}, {1132, 170}, {1135, 164}, {1137, 165}, {1133, 161}};
constexpr D::TCheckRow kEditChecks[] = {
    {1131, &S::showSB, true}, {1134, &S::sendOnEnter, false}, {1136, &S::typingNotify, false}};
constexpr D::TNumberRow kEditNumbers[] = {{1128, 1129, &S::maxLine, S::kMaxLineMin, S::kMaxLineMax, true}};
constexpr D::TFontRow kEditFonts[] = {{1133, &S::editLogFont}};

// Smileys and the toolbar.
constexpr D::TLabelRow kSmileLabels[] = {{1072, 166}, {1168, 167}, {1169, 168},
                                         {1135, 169}, {1137, 170}, {1139, 171}};
constexpr D::TCheckRow kSmileChecks[] = {{1167, &S::dlgCompactMode, false},
                                         {1134, &S::showTB, true},
                                         {1136, &S::showTBSend, true},
                                         {1138, &S::showTBSmaily, true}};
constexpr D::TNumberRow kSmileNumbers[] = {{1045, 1046, &S::smiliesNum, 0, S::kSmiliesNumMax, true}};
constexpr int kShowBarBox = 1134;
// The bar's two buttons and their labels: usable only with the bar shown.
constexpr int kBarControls[] = {1136, 1137, 1138, 1139};

// Replies: stored without telling the window, which reads them when used.
constexpr D::TLabelRow kReplyLabels[] = {{1152, 172}, {1154, 173}, {1156, 174}};
constexpr D::TCheckRow kReplyChecks[] = {
    {1153, &S::sendRepliesImmediately, false}, {1155, &S::repliesInContextMenu, false}};
constexpr int kRepliesEdit = 1056;

// Controlling: only the soft keys are the window's to follow.
constexpr D::TLabelRow kControlLabels[] = {{1159, 178}, {1144, 179}, {1148, 180}, {1150, 181},
                                           {1151, 182}, {1160, 183}, {1140, 184}, {1141, 185}};
constexpr D::TCheckRow kControlChecks[] = {
    {1147, &S::caretLeftRight, false}, {1149, &S::caretUpDown, false}, {1145, &S::volumeForScroll, false}};
struct TSoftKeyList {
    int combo;
    int S::*field;
};
constexpr TSoftKeyList kSoftKeyLists[] = {{1032, &S::leftSK}, {1033, &S::rightSK}};
// The captions of the six actions, in action order.
constexpr int kActionCaptions[] = {139, 140, 279, 284, 149, 281};

template <typename T, std::size_t N>
constexpr int Count(const T (&)[N])
{
    return static_cast<int>(N);
}

constexpr D::TPaneSpec kHistSpec{D::EHistPane, 63, kHistPaneTemplate, kHistLabels, Count(kHistLabels),
                                 kHistChecks, Count(kHistChecks), nullptr, 0, kHistFonts, Count(kHistFonts)};
constexpr D::TPaneSpec kEditSpec{D::EEditPane, 152, kEditPaneTemplate, kEditLabels, Count(kEditLabels),
                                 kEditChecks, Count(kEditChecks), kEditNumbers, Count(kEditNumbers),
                                 kEditFonts, Count(kEditFonts)};
constexpr D::TPaneSpec kSmileSpec{D::ESmilePane, 140, kSmilePaneTemplate, kSmileLabels, Count(kSmileLabels),
                                  kSmileChecks, Count(kSmileChecks), kSmileNumbers, Count(kSmileNumbers),
                                  nullptr, 0};
constexpr D::TPaneSpec kReplySpec{D::EReplyPane, 153, kReplyPaneTemplate, kReplyLabels, Count(kReplyLabels),
                                  kReplyChecks, Count(kReplyChecks), nullptr, 0, nullptr, 0};
constexpr D::TPaneSpec kControlSpec{D::EControlPane, 154, kControlPaneTemplate, kControlLabels,
                                    Count(kControlLabels), kControlChecks, Count(kControlChecks), nullptr, 0,
                                    nullptr, 0};

} // namespace

CYolWMMW_SettingsDlg::CHistPan::CHistPan(S* settings, MSetsChangeObserver* observer)
    : CSetsPan(kHistSpec, settings, observer)
{
}

void CYolWMMW_SettingsDlg::CHistPan::LoadOwn()
{
    UI::SetDlgItemString(m_hWnd, kYourNameEdit, m_settings->yourName);
}

void CYolWMMW_SettingsDlg::CHistPan::SaveOwn()
{
    const CYolString name = UI::GetDlgItemString(m_hWnd, kYourNameEdit);
    if (name == m_settings->yourName)
        return;
    m_settings->yourName = name;
    NoteChange(0);
}

CYolWMMW_SettingsDlg::CEditPan::CEditPan(S* settings, MSetsChangeObserver* observer)
    : CSetsPan(kEditSpec, settings, observer)
{
}

CYolWMMW_SettingsDlg::CSmilePan::CSmilePan(S* settings, MSetsChangeObserver* observer)
    : CSetsPan(kSmileSpec, settings, observer)
{
}

void CYolWMMW_SettingsDlg::CSmilePan::LoadOwn()
{
    EnableBarControls();
}

void CYolWMMW_SettingsDlg::CSmilePan::EnableBarControls()
{
    const bool shown = IsDlgButtonChecked(m_hWnd, kShowBarBox) == BST_CHECKED;
    for (int id : kBarControls)
        EnableWindow(GetDlgItem(id), shown);
}

void CYolWMMW_SettingsDlg::CSmilePan::OnCommand(unsigned short code, unsigned short id, HWND control)
{
    if (id == kShowBarBox && code == BN_CLICKED)
        EnableBarControls();
    CSetsPan::OnCommand(code, id, control);
}

CYolWMMW_SettingsDlg::CReplyPan::CReplyPan(S* settings, MSetsChangeObserver* observer)
    : CSetsPan(kReplySpec, settings, observer)
{
}

void CYolWMMW_SettingsDlg::CReplyPan::LoadOwn()
{
    CYolString text;
    for (int i = 0; i < m_settings->replies.Count(); ++i) {
        if (i > 0)
            text += kLineBreak;
        text += m_settings->replies[i];
    }
    UI::SetDlgItemString(m_hWnd, kRepliesEdit, text);
}

// Every line that holds anything is one reply; CR and LF both end a line.
void CYolWMMW_SettingsDlg::CReplyPan::SaveOwn()
{
    const CYolString text = UI::GetDlgItemString(m_hWnd, kRepliesEdit);
    m_settings->replies.Clear();
    m_settings->replies.FreeExtra();
    const char16_t* chars = text.c_str();
    int start = 0;
    for (int i = 0; i <= text.Length(); ++i) {
        if (i < text.Length() && chars[i] != u'\r' && chars[i] != u'\n')
            continue;
        if (i > start)
            m_settings->replies.Add(CYolString(chars + start, i - start));
        start = i + 1;
    }
}

CYolWMMW_SettingsDlg::CControlPan::CControlPan(S* settings, MSetsChangeObserver* observer)
    : CSetsPan(kControlSpec, settings, observer)
{
}

void CYolWMMW_SettingsDlg::CControlPan::LoadOwn()
{
    for (const TSoftKeyList& list : kSoftKeyLists) {
        const HWND combo = GetDlgItem(list.combo);
        SendMessage(combo, CB_RESETCONTENT, 0, 0);
        for (int caption : kActionCaptions)
            UI::AddComboString(combo, caption);
        SendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(m_settings->*list.field), 0);
    }
}

// A list left without a selection keeps the action it had.
void CYolWMMW_SettingsDlg::CControlPan::SaveOwn()
{
    for (const TSoftKeyList& list : kSoftKeyLists) {
        const int chosen = UI::GetComboSelection(GetDlgItem(list.combo));
        if (chosen < 0 || chosen == m_settings->*list.field)
            continue;
        m_settings->*list.field = chosen;
        NoteChange(chosen);
    }
}

} // namespace MW
