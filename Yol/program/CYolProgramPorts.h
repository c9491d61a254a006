#pragma once
// The program's own parts behind the application's ports: the splash window
// and the tray icon, and the alert dispatcher. Each part is made when the
// application first needs it, since the main window, the tool set and the
// preferences they draw on exist only once the application has started.
//
// Runs on the UI thread, as the ports are called.

#include "AppPorts.h"

#include <memory>

namespace Alert {
class CYolWMAlert_Dispatcher;
}

namespace UI {

class CYolWMUI_Splash;
class CYolWMUI_TrayIcon;

class CYolProgramSplashTray final : public MYolWMApp_SplashTray {
public:
    CYolProgramSplashTray();
    ~CYolProgramSplashTray();

    void CreateSplash(const CYolString& text) override;
    void SetSplashText(const CYolString& text) override;
    void CloseSplash() override;
    HWND SplashWindow() override;
    void UpdateTray() override;
    void RemoveTray() override;
    void ShowTray(bool show) override;
    void OnTrayMessage(unsigned int iconId, unsigned int mouseMessage) override;

private:
    // Null until the application runs with its main window.
    CYolWMUI_TrayIcon* Tray();

    std::unique_ptr<CYolWMUI_Splash> splash;
    std::unique_ptr<CYolWMUI_TrayIcon> tray;
};

class CYolProgramAlerts final : public MYolWMApp_Alerts {
public:
    CYolProgramAlerts();
    ~CYolProgramAlerts();

    void RaiseAlert(int event) override;
    void OnPrefsChanged(int group) override;

private:
    Alert::CYolWMAlert_Dispatcher* Dispatcher();

    std::unique_ptr<Alert::CYolWMAlert_Dispatcher> dispatcher;
};

// The ports the program has, for RunApplication.
class CYolProgramPorts {
public:
    TYolWMAppPorts Ports();

private:
    CYolProgramSplashTray splashTray;
    CYolProgramAlerts alerts;
};

}  // namespace UI
