#pragma once
// The program's own parts behind the application's ports: the splash window
// and the tray icon, and the alert dispatcher. Each part is made when the
// application first needs it, since the main window, the tool set and the
// preferences they draw on exist only once the application has started.
//
// Runs on the UI thread, as the ports are called.

#include "AppPorts.h"
#include "CYolProgramFindUserHost.h"
#include "CYolProgramMessageWindows.h"
#include "CYolProgramPrefsHost.h"
#include "CYolProgramSmiles.h"

#include <memory>
#include <optional>

namespace Alert {
class CYolWMAlert_Dispatcher;
class CYolWMAlert_Notifications;
}

namespace UI {

class CYolWMUI_Splash;
class CYolWMUI_TrayIcon;
class CYolWMUI_FileLoadServices;

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
    void Release() override;

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
    void Release() override;
    // Null until the application runs with its main window.
    Alert::CYolWMAlert_Dispatcher* Dispatcher();

private:

    std::unique_ptr<Alert::CYolWMAlert_Dispatcher> dispatcher;
};

// The notification bubbles. Their answers go back to the application.
class CYolProgramNotifications final : public MYolWMApp_Notifications {
public:
    explicit CYolProgramNotifications(CYolProgramAlerts& alerts);
    ~CYolProgramNotifications();

    void ShowIncomingMessage(unsigned int messageId, unsigned int icon, unsigned int contact,
                             const CYolString& text) override;
    void ShowEmail(const CYolString& text, const CYolString& title) override;
    void ShowNewVersion(unsigned int version, bool loaded) override;
    void ShowFileRequest(unsigned int contact, const CYolString& fileName, unsigned int size) override;
    void ShowAuthRequest(unsigned int contact, const CYolString& text) override;
    void ShowContactStatus(unsigned int contact) override;
    void ShowMessage(const CYolString& text, bool information) override;
    void RemoveContact(unsigned int contact) override;
    void Release() override;

private:
    class Host;
    class Answers;
    Alert::CYolWMAlert_Notifications* Bubbles();

    CYolProgramAlerts& alerts;
    std::unique_ptr<Host> host;
    std::unique_ptr<Answers> answers;
    std::unique_ptr<Alert::CYolWMAlert_Notifications> bubbles;
};

// The dialogs the program has so far: preferences, account settings,
// extended status, base account, the file browser for saving and opening,
// the name of a group or contact, a new contact, find user, the details
// dialogs, move to metacontact and a contact's history.
class CYolProgramDialogs final : public MYolWMApp_Dialogs {
public:
    explicit CYolProgramDialogs(CYolProgramAlerts& alerts) : prefsHost(&alerts) {}

    void RunPreferences(TYolWMPrefs& prefs, const CYolArray<MYolWMUI_PrefsChangeObserver*>& observers,
                        int page) override;
    void RunFindUser(HWND owner, unsigned int account) override;
    void OnSearchResult(const Protocols::UserInfo* result) override;
    void RunUserDetails(HWND owner, unsigned int account) override;
    void RefreshUserDetails(unsigned int account) override;
    void RunContactDetails(HWND owner, unsigned int contact) override;
    void RefreshContactDetails(unsigned int contact) override;
    void RunAccountSettings(unsigned int account, HWND owner) override;
    bool RunXStatus(HWND owner, CYolString& title, CYolString& text) override;
    bool RunBaseAccount(HWND owner, CYolString& login, CYolString& password) override;
    bool RunFileSave(HWND owner, const CYolString& offered, CYolString& path) override;
    bool RunFileOpen(HWND owner, const CYolString& mask, CYolString& path) override;
    bool RunAddContact(HWND owner, const CYolArray<unsigned int>& groups, unsigned int& group, CYolString& login,
                       CYolString& name) override;
    bool RunName(HWND owner, bool groupMode, CYolString& name) override;
    bool RunMoveContact(unsigned int current, unsigned int& chosen) override;
    void RunHistory(unsigned int contact) override;

    // Where the find-user dialog shows its warnings.
    void SetNotifications(MYolWMApp_Notifications* notifications) { findUserHost.emplace(notifications); }

    // Where the history of a contact is shown and the message windows'
    // settings are edited.
    void SetMessageWindows(CYolProgramMessageWindows* windows) {
        messageWindows = windows;
        prefsHost.SetMessageWindows(windows);
    }

private:
    CYolProgramPrefsHost prefsHost;
    std::optional<CYolProgramFindUserHost> findUserHost;
    CYolProgramMessageWindows* messageWindows = nullptr;
};

// The version check and the update download.
class CYolProgramUpdates final : public MYolWMApp_Updates {
public:
    void StartVersionCheck(unsigned int clientId) override;
    void StopVersionCheck(void* check) override;
    void StartDownload(unsigned int clientId, unsigned int version) override;
    void StopDownload() override;
    CYolString GetCabPath() override;
};

// The file-transfers window.
class CYolProgramFileTransfers final : public MYolWMApp_FileTransfers {
public:
    CYolProgramFileTransfers();
    ~CYolProgramFileTransfers();
    void Show(bool show) override;
    void HandleTransferEvent(const Protocols::FTProgress& progress) override;
    void Destroy() override;

private:
    // The window's link to the contact list and the protocols manager, made
    // with the main window.
    void EnsureHost();

    std::unique_ptr<CYolWMUI_FileLoadServices> host;
};

// The ports the program has, for RunApplication.
class CYolProgramPorts {
public:
    CYolProgramPorts();
    ~CYolProgramPorts();
    TYolWMAppPorts Ports();

private:
    CYolProgramSplashTray splashTray;
    CYolProgramAlerts alerts;
    CYolProgramNotifications notifications{alerts};
    CYolProgramDialogs dialogs{alerts};
    CYolProgramUpdates updates;
    CYolProgramFileTransfers fileTransfers;
    CYolProgramSmiles smiles;
    CYolProgramMessageWindows messageWindows{notifications};
};


}  // namespace UI
