#include "CYolWMMW_Toolbar.h"

#include "MYolWMUI_Skin.h"
#include "SkinImages.h"
#include "TYolWMMWSettings.h"
#include "WindowSystem/Dialog.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/WindowFocus.h"

namespace MW {

CYolWMMW_Toolbar* CYolWMMW_Toolbar::Create(HWND parent, const RECT& rect, const TYolWMMWSettings* settings,
                                           MToolbarObserver* observer) {
    auto* toolbar = new CYolWMMW_Toolbar(settings, observer);
    if (toolbar->CYolWMUI_Wnd::Create(nullptr, parent, WS_VISIBLE | WS_TABSTOP, rect) == 0) {
        delete toolbar;
        return nullptr;
    }
    return toolbar;
}

CYolWMMW_Toolbar::CYolWMMW_Toolbar(const TYolWMMWSettings* sets, MToolbarObserver* owner)
    : settings(sets), observer(owner) {}

CYolWMMW_Toolbar::~CYolWMMW_Toolbar() {
    delete sendButton;
    delete smilesButton;
    delete smiliesBar;
}

void CYolWMMW_Toolbar::OnCreate() {
    const RECT client{0, 0, GetClientWidth(), GetClientHeight()};
    smiliesBar = CYolWMMW_QuickSmileCtrl::Create(m_hWnd, client, this);
    const RECT button{0, 0, Platform::ScaleX(kButtonWidth), client.bottom};
    smilesButton = UI::CYolWMUI_Button::CreateButton(m_hWnd, button, Skins::SKIN_IMG_MW_SMILES);
    sendButton = UI::CYolWMUI_Button::CreateButton(m_hWnd, button, Skins::SKIN_IMG_CL_MSG_SEND);
    Layout();
}

// The buttons overlap the control to their left by one pixel, so that
// their borders and the bar's share a line.
void CYolWMMW_Toolbar::Layout() {
    const int width = GetClientWidth();
    const int height = GetClientHeight();
    const int button = Platform::ScaleX(kButtonWidth);
    const bool showSmiles = settings != nullptr && settings->showTBSmaily;
    const bool showSend = settings != nullptr && settings->showTBSend;
    const int shown = (showSmiles ? 1 : 0) + (showSend ? 1 : 0);
    int right = width - shown * (button - 1);
    if (smiliesBar != nullptr)
        smiliesBar->MoveAndResize(0, 0, right, height);
    struct Placed {
        UI::CYolWMUI_Button* control;
        bool shown;
    };
    for (const Placed& placed : {Placed{smilesButton, showSmiles}, Placed{sendButton, showSend}}) {
        if (placed.control == nullptr)
            continue;
        if (placed.shown) {
            placed.control->MoveAndResize(right - 1, 0, button, height);
            right += button - 1;
        }
        ShowWindow(*placed.control, placed.shown ? SW_SHOWNA : SW_HIDE);
    }
}

void CYolWMMW_Toolbar::OnWindowPosChanged(WINDOWPOS* pos) {
    if ((pos->flags & SWP_NOSIZE) == 0)
        Layout();
}

int CYolWMMW_Toolbar::FocusOrder(HWND (&controls)[3]) const {
    int count = 0;
    if (smiliesBar != nullptr)
        controls[count++] = *smiliesBar;
    const bool shown[2] = {settings != nullptr && settings->showTBSmaily, settings != nullptr && settings->showTBSend};
    UI::CYolWMUI_Button* const buttons[2] = {smilesButton, sendButton};
    for (int i = 0; i < 2; ++i)
        if (buttons[i] != nullptr && shown[i])
            controls[count++] = *buttons[i];
    return count;
}

void CYolWMMW_Toolbar::NextControl(bool backwards) {
    HWND controls[3] = {};
    const int count = FocusOrder(controls);
    const HWND focus = GetFocus();
    int at = -1;
    for (int i = 0; i < count; ++i)
        if (controls[i] == focus)
            at = i;
    const int next = at < 0 ? -1 : at + (backwards ? -1 : 1);
    if (next >= 0 && next < count) {
        SetFocus(controls[next]);
        return;
    }
    if (HWND beyond = GetNextDlgTabItem(Parent(), m_hWnd, backwards))
        SetFocus(beyond);
}

int CYolWMMW_Toolbar::OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_NEXTDLGCTL)
        return CYolWMUI_Wnd::OnMessage(msg, wParam, lParam);
    if (lParam != 0)
        PostMessage(Parent(), WM_NEXTDLGCTL, wParam, lParam);
    else
        NextControl(wParam != 0);
    return 0;
}

void CYolWMMW_Toolbar::OnCommand(unsigned short, unsigned short, HWND control) {
    if (observer == nullptr)
        return;
    if (smilesButton != nullptr && control == *smilesButton)
        observer->OnSmilesButton(this);
    else if (sendButton != nullptr && control == *sendButton)
        observer->OnSendButton(this);
}

// Coming forward through the window the focus starts at the bar; coming
// back it starts at the last shown button.
void CYolWMMW_Toolbar::OnSetFocus(HWND other) {
    HWND controls[3] = {};
    const int count = FocusOrder(controls);
    if (count == 0)
        return;
    const bool fromBefore = other != nullptr && GetNextDlgTabItem(Parent(), m_hWnd, true) == other;
    SetFocus(fromBefore ? controls[0] : controls[count - 1]);
}

void CYolWMMW_Toolbar::OnChar(char16_t character, long) {
    if (character == u'\t' || character == u'\r')
        return;
    SendMessage(Parent(), WM_CHAR, character, 0);
}

HBRUSH CYolWMMW_Toolbar::GetBkBrush() {
    HBRUSH brush = UI::ShellSkin().GetBkBrush();
    return brush != nullptr ? brush : CYolWMUI_Wnd::GetBkBrush();
}

void CYolWMMW_Toolbar::OnSmileSelected(CYolWMMW_QuickSmileCtrl*, int smile) {
    if (observer != nullptr)
        observer->OnSmileSelected(this, smile);
}

} // namespace MW
