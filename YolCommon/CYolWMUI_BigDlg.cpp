#include "CYolWMUI_Dlg.h"

#include "WindowSystem/Dialog.h"
#include "Shell/ShellMenuBar.h"

namespace UI {

namespace {

// The title bar's button for each TCommandButton.
constexpr std::uint32_t kButtonFlags[] = {SHIDIF_CANCELBUTTON, SHIDIF_DONEBUTTON, 0};

} // namespace

CYolWMUI_BigDlg::CYolWMUI_BigDlg(const CYolWMUI_BigDlg& other)
    : CYolWMUI_Dlg(other), m_hMenuBar(other.m_hMenuBar), m_activateInfo(other.m_activateInfo)
{
}

CYolWMUI_BigDlg& CYolWMUI_BigDlg::operator=(const CYolWMUI_BigDlg& other)
{
    CYolWMUI_Dlg::operator=(other);
    m_hMenuBar = other.m_hMenuBar;
    m_activateInfo = other.m_activateInfo;
    return *this;
}

int CYolWMUI_BigDlg::GetSoftKeyId(HWND menuBar, TSoftKey key)
{
    return Platform::MenuBarButtonCommand(menuBar, static_cast<int>(key));
}

void CYolWMUI_BigDlg::SetSoftKeyCap(HWND menuBar, int commandId, const char16_t* caption)
{
    Platform::SetMenuBarButtonText(menuBar, commandId, caption);
}

void CYolWMUI_BigDlg::SetSoftKeys()
{
    for (TSoftKey key : {ELeft, ERight}) {
        const int command = GetSoftKeyId(m_hMenuBar, key);
        if (command == -1)
            continue;
        CYolString caption;
        SetSoftKeyCap(m_hMenuBar, command, GetSoftKeyCap(key, caption) && !caption.IsEmpty() ? caption.c_str() : u"");
    }
}

void CYolWMUI_BigDlg::OnInitDialog()
{
    const TCommandButton button = GetCommandButton();
    SHINITDLGINFO init;
    init.dwMask = SHIDIM_FLAGS;
    init.hDlg = m_hWnd;
    init.dwFlags = SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN |
                   ((button >= ECancelButton && button <= ENoButton) ? kButtonFlags[button] : 0);
    SHInitDialog(&init);

    SHMENUBARINFO bar;
    bar.hwndParent = m_hWnd;
    bar.nToolBarId = kSoftKeysMenuId;
    bar.hInstRes = GetYolCommonInstance();
    m_hMenuBar = SHCreateMenuBar(&bar) ? bar.hwndMB : nullptr;
    SetSoftKeys();
}

int CYolWMUI_BigDlg::OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ACTIVATE:
        SHHandleWMActivate(m_hWnd, wParam, lParam, &m_activateInfo, 0);
        OnActivate(static_cast<unsigned short>(LOWORD(wParam)), static_cast<int>(HIWORD(wParam)),
                   reinterpret_cast<HWND>(lParam));
        return 1;
    case WM_SETTINGCHANGE:
        SHHandleWMSettingChange(m_hWnd, wParam, lParam, &m_activateInfo);
        if (wParam == SETTINGCHANGE_RESET || wParam == SPI_SETSIPINFO)
            OnScreenSizeChanged();
        return 0;
    case kLanguageChangedMessage:
        OnLanguageChanged();
        return 0;
    default:
        return CYolWMUI_Dlg::OnMessage(msg, wParam, lParam);
    }
}

void CYolWMUI_BigDlg::OnCommand(unsigned short code, unsigned short id, HWND control)
{
    switch (id) {
    case IDOK:
        if (GetCommandButton() == EDoneButton)
            OnCommandButton();
        else
            EndDialog(1);
        break;
    case IDCANCEL:
        if (GetCommandButton() == ECancelButton)
            OnCommandButton();
        else
            ::EndDialog(m_hWnd, 2);
        break;
    case kLeftSoftKeyCommand:
        OnSoftKey(ELeft);
        break;
    case kRightSoftKeyCommand:
        OnSoftKey(ERight);
        break;
    default:
        CYolWMUI_Dlg::OnCommand(code, id, control);
        break;
    }
}

void CYolWMUI_BigDlg::OnScreenSizeChanged() {}
void CYolWMUI_BigDlg::OnActivate(unsigned short, int, HWND) {}
int CYolWMUI_BigDlg::GetSoftKeyCap(TSoftKey, CYolString&) { return 0; }
void CYolWMUI_BigDlg::OnSoftKey(TSoftKey) {}
CYolWMUI_BigDlg::TCommandButton CYolWMUI_BigDlg::GetCommandButton() { return EDoneButton; }

void CYolWMUI_BigDlg::OnCommandButton()
{
    EndDialog(1);
}

void CYolWMUI_BigDlg::OnLanguageChanged()
{
    SetSoftKeys();
}

} // namespace UI
