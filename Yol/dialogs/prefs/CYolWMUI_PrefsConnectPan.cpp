#include "CYolWMUI_PrefsConnectPan.h"

#include "CSocketsManager.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlEdit.h"
#include "PrefsDialogTemplates.h"
#include "SkinImages.h"
#include "WindowSystem/WindowFocus.h"
#include "YolWMUI_Dialogs.h"

namespace UI {

namespace {

constexpr int kTypeCombo = 1008;
constexpr int kHostEdit = 1009;
constexpr int kPortEdit = 1010;
constexpr int kAuthBox = 1011;
constexpr int kLoginEdit = 1012;
constexpr int kPasswordEdit = 1013;
// In proxy-type order: the entry's index is the type.
constexpr const char16_t* kTypes[] = {u"NONE", u"HTTP(S)", u"SOCKS 4", u"SOCKS 5"};
constexpr int kTypeCount = 4;

} // namespace

CYolWMUI_PrefsDlg::CConnectPan::CConnectPan(CYolWMUI_PrefsDlg& owner)
    : CPrefsPan(owner, 69, Skins::SKIN_IMG_CMN_CONNECT, kConnectPanTemplate)
{
}

CYolString CYolWMUI_PrefsDlg::CConnectPan::BoundedText(int id) const
{
    const CYolString text = GetDlgItemString(m_hWnd, id);
    return text.Length() > kMaxText ? text.Substring(0, kMaxText) : text;
}

int CYolWMUI_PrefsDlg::CConnectPan::DoDataExchange(int save)
{
    Sockets::CSocketsManager* sockets = Host().SocketsManager();
    Sockets::ConnectionSettings settings;
    if (sockets)
        sockets->GetSettings(settings);
    if (!save) {
        SetLabels({{1078, 124}, {1079, 125}, {1080, 126}, {1095, 127}, {1081, 128}, {1082, 129}});
        const HWND types = GetDlgItem(kTypeCombo);
        SendMessage(types, CB_RESETCONTENT, 0, 0);
        for (const char16_t* type : kTypes)
            SendMessage(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(type));
        SendMessage(types, CB_SETCURSEL,
                    settings.proxyType < kTypeCount ? settings.proxyType : static_cast<WPARAM>(-1), 0);
        SendMessage(GetDlgItem(kHostEdit), EM_LIMITTEXT, kMaxText, 0);
        SendMessage(GetDlgItem(kLoginEdit), EM_LIMITTEXT, kMaxText, 0);
        SendMessage(GetDlgItem(kPasswordEdit), EM_LIMITTEXT, kMaxText, 0);
        SetDlgItemString(m_hWnd, kHostEdit, settings.proxyHost);
        SetDlgItemInt(m_hWnd, kPortEdit, settings.proxyPort, false);
        SetChecked(kAuthBox, settings.proxyAuth != 0);
        SetDlgItemString(m_hWnd, kLoginEdit, settings.proxyLogin);
        SetDlgItemString(m_hWnd, kPasswordEdit, settings.proxyPassword);
        ClearError();
        ApplyRules();
        return 1;
    }
    if (!sockets)
        return 1;
    // A type the list does not show stays as it is.
    const int type = SelectedIndex(kTypeCombo);
    if (type >= 0)
        settings.proxyType = static_cast<unsigned int>(type);
    settings.proxyHost = BoundedText(kHostEdit);
    unsigned int port = 0;
    if (IsWindowEnabled(GetDlgItem(kPortEdit)) && ReadNumber(kPortEdit, 0, kMaxPort, port))
        settings.proxyPort = port;
    settings.proxyAuth = IsChecked(kAuthBox) ? 1 : 0;
    settings.proxyLogin = BoundedText(kLoginEdit);
    settings.proxyPassword = BoundedText(kPasswordEdit);
    sockets->SetSettings(settings);
    return 1;
}

// The port is read only while the user can edit it.
bool CYolWMUI_PrefsDlg::CConnectPan::Validate()
{
    ClearError();
    unsigned int port = 0;
    return !IsWindowEnabled(GetDlgItem(kPortEdit)) || ReadNumber(kPortEdit, 0, kMaxPort, port);
}

void CYolWMUI_PrefsDlg::CConnectPan::ApplyRules()
{
    const int type = SelectedIndex(kTypeCombo);
    if (type < 0)
        return;
    const bool proxy = type != 0;
    Enable({kHostEdit, kPortEdit, kAuthBox, 1095}, proxy);
    Enable({kLoginEdit, kPasswordEdit}, proxy && IsChecked(kAuthBox));
}

void CYolWMUI_PrefsDlg::CConnectPan::OnCommand(unsigned short code, unsigned short id, HWND control)
{
    if ((id == kTypeCombo && code == CBN_SELENDOK) || (id == kAuthBox && code == BN_CLICKED))
        ApplyRules();
    else
        CPrefsPan::OnCommand(code, id, control);
}

} // namespace UI
