#pragma once
// UI::CYolWMAppCtrlHost: what the contact-list window asks of the program,
// answered by the application: its preferences, the pop-up menu, the
// dialogs of the item commands and the alerts. UI thread only.

#include "MYolWMCL_CLCtrlObserver.h"

namespace UI {

class CYolWMApp;

class CYolWMAppCtrlHost final : public UI_CL::MYolWMCL_CtrlHost {
public:
    explicit CYolWMAppCtrlHost(CYolWMApp& app) : app(app) {}

    LOGFONTW ListFont() override;
    bool DontShowIcons() override;
    bool DontSleep() override;
    bool FullScreen() override;
    HWND AppWindow() override;
    HBRUSH BackgroundBrush() override;
    void ResetIdleTimer() override;
    UI_CL::TYolWMCL_MenuChoice PopupMenu(const CYolMenuInfo& menu, const RECT& bounds, POINT anchor, int align,
                                         HWND owner, bool fullScreen) override;
    bool AskName(HWND owner, bool groupMode, CYolString& name) override;
    void EditAccount(unsigned int account) override;
    void AddContact(unsigned int account, unsigned int group) override;
    void AddContactFrom(unsigned int account, unsigned int contact) override;
    bool ChooseMetaContact(unsigned int current, unsigned int& chosen) override;
    void ShowContactDetails(unsigned int contact) override;
    bool ChooseFile(HWND owner, const CYolString& mask, CYolString& path) override;
    void ShowHistory(unsigned int contact) override;
    void RaiseAlert(int event) override;
    void ShowStatusNotification(unsigned int contact) override;

private:
    CYolWMApp& app;
};

}  // namespace UI
