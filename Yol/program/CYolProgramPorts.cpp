#include "CYolProgramPorts.h"

#include "CServicesManagerImpl.h"
#include "CYolWMAlert_Dispatcher.h"
#include "CYolWMApp.h"
#include "CYolWMUI_Splash.h"
#include "CYolWMUI_Tools.h"
#include "CYolWMUI_TrayIcon.h"
#include "DialogResources.h"

namespace UI {

namespace {

// The running application with its main window and tool set, or null.
CYolWMApp* RunningApp() {
    CYolWMApp* app = CYolWMApp::Instance();
    return app != nullptr && app->GetWindow() != nullptr && app->Tools() != nullptr ? app : nullptr;
}

}  // namespace

CYolProgramSplashTray::CYolProgramSplashTray() = default;
CYolProgramSplashTray::~CYolProgramSplashTray() = default;

void CYolProgramSplashTray::CreateSplash(const CYolString& text) {
    CYolWMApp* app = RunningApp();
    if (app == nullptr || splash != nullptr)
        return;
    auto made = std::make_unique<CYolWMUI_Splash>(app->Tools()->Images());
    if (!made->Create(GetProgramInstance()))
        return;
    made->SetText(text);
    splash = std::move(made);
}

void CYolProgramSplashTray::SetSplashText(const CYolString& text) {
    if (splash != nullptr)
        splash->SetText(text);
}

void CYolProgramSplashTray::CloseSplash() { splash.reset(); }

HWND CYolProgramSplashTray::SplashWindow() { return splash != nullptr ? splash->GetWindow() : nullptr; }

CYolWMUI_TrayIcon* CYolProgramSplashTray::Tray() {
    if (tray == nullptr) {
        CYolWMApp* app = RunningApp();
        if (app == nullptr)
            return nullptr;
        tray = std::make_unique<CYolWMUI_TrayIcon>(app->GetWindow(), app->Tools()->Images(),
                                                   &Services::CServicesManagerImpl::Instance(),
                                                   [app] { return app->Prefs().GlobTrayIcon; });
    }
    return tray.get();
}

void CYolProgramSplashTray::UpdateTray() {
    if (CYolWMUI_TrayIcon* icon = Tray())
        icon->Update();
}

void CYolProgramSplashTray::RemoveTray() {
    if (tray != nullptr)
        tray->Remove();
}

void CYolProgramSplashTray::ShowTray(bool show) {
    if (CYolWMUI_TrayIcon* icon = Tray())
        icon->Show(show);
}

void CYolProgramSplashTray::OnTrayMessage(unsigned int iconId, unsigned int mouseMessage) {
    if (tray != nullptr)
        tray->OnTrayMessage(iconId, mouseMessage);
}

CYolProgramAlerts::CYolProgramAlerts() = default;
CYolProgramAlerts::~CYolProgramAlerts() = default;

Alert::CYolWMAlert_Dispatcher* CYolProgramAlerts::Dispatcher() {
    if (dispatcher == nullptr) {
        CYolWMApp* app = RunningApp();
        if (app == nullptr)
            return nullptr;
        dispatcher = std::make_unique<Alert::CYolWMAlert_Dispatcher>(
            &Services::CServicesManagerImpl::Instance(), app->Prefs(), GetProgramInstance(), app->GetWindow());
    }
    return dispatcher.get();
}

void CYolProgramAlerts::RaiseAlert(int event) {
    if (event < 0 || event >= Alert::EAlertEventCount)
        return;
    if (Alert::CYolWMAlert_Dispatcher* alerts = Dispatcher())
        alerts->RaiseAlert(static_cast<Alert::TYolWMAlertEvent>(event));
}

void CYolProgramAlerts::OnPrefsChanged(int group) {
    if (Alert::CYolWMAlert_Dispatcher* alerts = Dispatcher())
        alerts->OnPrefsChanged(group);
}

TYolWMAppPorts CYolProgramPorts::Ports() {
    TYolWMAppPorts ports;
    ports.splashTray = &splashTray;
    ports.alerts = &alerts;
    return ports;
}

}  // namespace UI
