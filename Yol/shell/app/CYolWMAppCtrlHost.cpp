#include "CYolWMAppCtrlHost.h"

#include "CYolWMApp.h"
#include "CYolWMUI_Menu.h"
#include "CYolWMUI_Tools.h"
#include "Shell/Power.h"

namespace UI {

LOGFONTW CYolWMAppCtrlHost::ListFont() { return app.Prefs().CLFont; }
bool CYolWMAppCtrlHost::DontShowIcons() { return app.Prefs().CLDontShowIcon; }
bool CYolWMAppCtrlHost::DontSleep() { return app.Prefs().GlobDontSleep; }
bool CYolWMAppCtrlHost::FullScreen() { return app.Prefs().GlobFullScreen; }
HWND CYolWMAppCtrlHost::AppWindow() { return app.GetWindow(); }

HBRUSH CYolWMAppCtrlHost::BackgroundBrush() {
    return app.Tools() != nullptr ? app.Tools()->Background().GetBrush() : nullptr;
}

void CYolWMAppCtrlHost::ResetIdleTimer() { SystemIdleTimerReset(); }

UI_CL::TYolWMCL_MenuChoice CYolWMAppCtrlHost::PopupMenu(const CYolMenuInfo& menu, const RECT& bounds, POINT anchor,
                                                        int align, HWND owner, bool fullScreen) {
    CYolWMUI_Menu::TResult result;
    CYolWMUI_Menu::Popup(result, menu, bounds, anchor, static_cast<CYolWMUI_Menu::TAlign>(align), owner, fullScreen,
                         false);
    return {result.callback, result.commandId, result.context, result.menuContext};
}

bool CYolWMAppCtrlHost::AskName(HWND owner, bool groupMode, CYolString& name) {
    MYolWMApp_Dialogs* dialogs = app.ports.dialogs;
    return dialogs != nullptr && dialogs->RunName(owner, groupMode, name);
}

void CYolWMAppCtrlHost::EditAccount(unsigned int account) {
    if (MYolWMApp_Dialogs* dialogs = app.ports.dialogs)
        dialogs->RunAccountSettings(account, app.GetWindow());
}

void CYolWMAppCtrlHost::AddContact(unsigned int account, unsigned int group) { app.AddContactTo(account, group); }

void CYolWMAppCtrlHost::AddContactFrom(unsigned int account, unsigned int) { app.AddContactTo(account, 0); }

bool CYolWMAppCtrlHost::ChooseMetaContact(unsigned int current, unsigned int& chosen) {
    MYolWMApp_Dialogs* dialogs = app.ports.dialogs;
    return dialogs != nullptr && dialogs->RunMoveContact(current, chosen);
}

void CYolWMAppCtrlHost::ShowContactDetails(unsigned int contact) { app.OnShowContactDetails(contact); }

bool CYolWMAppCtrlHost::ChooseFile(HWND owner, const CYolString& mask, CYolString& path) {
    MYolWMApp_Dialogs* dialogs = app.ports.dialogs;
    return dialogs != nullptr && dialogs->RunFileOpen(owner, mask, path);
}

void CYolWMAppCtrlHost::ShowHistory(unsigned int contact) {
    if (MYolWMApp_Dialogs* dialogs = app.ports.dialogs)
        dialogs->RunHistory(contact);
}

void CYolWMAppCtrlHost::RaiseAlert(int event) {
    if (MYolWMApp_Alerts* alerts = app.ports.alerts)
        alerts->RaiseAlert(event);
}

void CYolWMAppCtrlHost::ShowStatusNotification(unsigned int contact) {
    if (MYolWMApp_Notifications* notifications = app.ports.notifications)
        notifications->ShowContactStatus(contact);
}

}  // namespace UI
