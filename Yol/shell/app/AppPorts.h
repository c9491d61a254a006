#pragma once
// What the application asks of the parts of the program that are built
// beside it: the message windows, the shell notifications, the alerts, the
// dialogs, the file-transfers window, the splash window and the tray icon,
// the smiley set, the anti-spam lists and the program update. Each is a
// narrow interface named after the operations the application calls; the
// program fills one TYolWMAppPorts with the real objects and hands it to the
// application when it is made.
//
// A port left null is a part the program does not have: the application
// then does without it and loses nothing (an incoming message without
// message windows stays among the messages not yet shown, a base-account
// prompt without its dialog is answered as cancelled).
//
// Every port is called on the UI thread, except where a comment says
// otherwise.

#include "CYolArray.h"
#include "CYolString.h"
#include "PlatformTypes.h"
#include "ProtocolRecords.h"
#include "TYolWMMWMsg.h"

#include <string>

namespace UI {

struct TYolWMPrefs;
class MYolWMUI_PrefsChangeObserver;

// The tabbed message window; a tab id is a contact or meta-contact id.
class MYolWMApp_MessageWindows {
public:
    virtual bool IsTabOpen(unsigned int tab) = 0;
    virtual void AddTab(unsigned int tab, const CYolString& name, const CYolArray<unsigned int>& icons) = 0;
    virtual void AddMessage(unsigned int tab, const MW::TYolWMMWMsg& line) = 0;
    virtual void SelectTab(unsigned int tab) = 0;
    virtual void Show(bool show) = 0;
    // The window is visible, in front, and showing this tab.
    virtual bool IsTabInFront(unsigned int tab) = 0;
    virtual void SetTabIcons(unsigned int tab, const CYolArray<unsigned int>& icons) = 0;
    virtual void SetTabTitle(unsigned int tab, const CYolString& title) = 0;
    virtual void CloseTab(unsigned int tab) = 0;
    virtual void UpdateMsgIcon(unsigned int tab, unsigned int messageId, unsigned int icon) = 0;
    virtual CYolString GetOwnName(unsigned int tab) = 0;
    virtual void ReloadSmiles() = 0;
    // The window the new smileys are announced to (message 1128); any thread.
    virtual HWND Window() = 0;
    // Told of preference changes, between the tool set and the application.
    virtual MYolWMUI_PrefsChangeObserver* PrefsObserver() = 0;
    // The application is going: the window is let go while the main window
    // and the core are still there.
    virtual void Release() {}
    // A command line of the program's socket that the window answers (empty
    // when it is none of its own); on the UI thread.
    virtual std::string Command(const std::string&) { return {}; }

protected:
    ~MYolWMApp_MessageWindows() = default;
};

class MYolWMApp_Notifications {
public:
    virtual void ShowIncomingMessage(unsigned int messageId, unsigned int icon, unsigned int contact,
                                     const CYolString& text) = 0;
    virtual void ShowEmail(const CYolString& text, const CYolString& title) = 0;
    virtual void ShowNewVersion(unsigned int version, bool loaded) = 0;
    virtual void ShowFileRequest(unsigned int contact, const CYolString& fileName, unsigned int size) = 0;
    virtual void ShowAuthRequest(unsigned int contact, const CYolString& text) = 0;
    virtual void ShowContactStatus(unsigned int contact) = 0;
    // A warning, or with `information` an information.
    virtual void ShowMessage(const CYolString& text, bool information) = 0;
    virtual void RemoveContact(unsigned int contact) = 0;
    // The application is going: the bubbles are let go before the tool set
    // and the preferences they read.
    virtual void Release() {}

protected:
    ~MYolWMApp_Notifications() = default;
};

class MYolWMApp_Alerts {
public:
    // 0 incoming message, 1 message sent, 2 contact online, 3 information,
    // 4 e-mail, 5 file offered, 6 file received.
    virtual void RaiseAlert(int event) = 0;
    // Preference changes of the alerts (group 10).
    virtual void OnPrefsChanged(int group) = 0;
    // The application is going: whatever was made for it (windows under the
    // main window, the preferences it reads) is let go.
    virtual void Release() {}

protected:
    ~MYolWMApp_Alerts() = default;
};

// The dialogs; the bool ones answer true on OK.
class MYolWMApp_Dialogs {
public:
    virtual void RunPreferences(TYolWMPrefs& prefs, const CYolArray<MYolWMUI_PrefsChangeObserver*>& observers,
                                int page) = 0;
    virtual void RunFindUser(HWND owner, unsigned int account) = 0;
    // Null ends the search.
    virtual void OnSearchResult(const Protocols::UserInfo* result) = 0;
    virtual void RunUserDetails(HWND owner, unsigned int account) = 0;
    virtual void RefreshUserDetails(unsigned int account) = 0;
    virtual void RunContactDetails(HWND owner, unsigned int contact) = 0;
    virtual void RefreshContactDetails(unsigned int contact) = 0;
    virtual void RunAccountSettings(unsigned int account, HWND owner) = 0;
    virtual bool RunXStatus(HWND owner, CYolString& title, CYolString& text) = 0;
    virtual bool RunBaseAccount(HWND owner, CYolString& login, CYolString& password) = 0;
    virtual bool RunFileSave(HWND owner, const CYolString& offered, CYolString& path) = 0;
    virtual bool RunFileOpen(HWND owner, const CYolString& mask, CYolString& path) = 0;
    // `group` in: the group to preselect (0 none); out: the chosen one.
    virtual bool RunAddContact(HWND owner, const CYolArray<unsigned int>& groups, unsigned int& group,
                               CYolString& login, CYolString& name) = 0;
    virtual bool RunName(HWND owner, bool groupMode, CYolString& name) = 0;
    virtual bool RunMoveContact(unsigned int current, unsigned int& chosen) = 0;
    virtual void RunHistory(unsigned int contact) = 0;

protected:
    ~MYolWMApp_Dialogs() = default;
};

class MYolWMApp_FileTransfers {
public:
    virtual void Show(bool show) = 0;
    virtual void HandleTransferEvent(const Protocols::FTProgress& progress) = 0;
    virtual void Destroy() = 0;

protected:
    ~MYolWMApp_FileTransfers() = default;
};

class MYolWMApp_SplashTray {
public:
    virtual void CreateSplash(const CYolString& text) = 0;
    virtual void SetSplashText(const CYolString& text) = 0;
    // Destroys the splash window; nothing when none is open.
    virtual void CloseSplash() = 0;
    // Null when none is open.
    virtual HWND SplashWindow() = 0;
    // The tray icon from the global status (when the preference wants one).
    virtual void UpdateTray() = 0;
    virtual void RemoveTray() = 0;
    virtual void ShowTray(bool show) = 0;
    virtual void OnTrayMessage(unsigned int iconId, unsigned int mouseMessage) = 0;
    // The application is going: the splash is closed and the tray icon let
    // go before the tool set whose pictures they draw is deleted.
    virtual void Release() {}

protected:
    ~MYolWMApp_SplashTray() = default;
};

// The smiley set: loaded on a thread of its own, which reports through the
// callback (on that thread).
class MYolWMApp_Smiles {
public:
    using LoadComplete = void (*)(void* context);
    virtual void Load(const CYolString& pack, LoadComplete done, void* context) = 0;
    // Stops the loader thread and drops the set: smiley codes show as text.
    virtual void Unload() = 0;

protected:
    ~MYolWMApp_Smiles() = default;
};

class MYolWMApp_AntiSpam {
public:
    // Groups 22-25.
    virtual void OnPrefsChanged(int group) = 0;

protected:
    ~MYolWMApp_AntiSpam() = default;
};

class MYolWMApp_Updates {
public:
    // Each check and download reports its end with its own address, which
    // comes back to Stop*.
    virtual void StartVersionCheck(unsigned int clientId) = 0;
    // Null: every running check.
    virtual void StopVersionCheck(void* check) = 0;
    virtual void StartDownload(unsigned int clientId, unsigned int version) = 0;
    virtual void StopDownload() = 0;
    // Where the downloaded package is kept.
    virtual CYolString GetCabPath() = 0;

protected:
    ~MYolWMApp_Updates() = default;
};

struct TYolWMAppPorts {
    MYolWMApp_MessageWindows* messageWindows = nullptr;
    MYolWMApp_Notifications* notifications = nullptr;
    MYolWMApp_Alerts* alerts = nullptr;
    MYolWMApp_Dialogs* dialogs = nullptr;
    MYolWMApp_FileTransfers* fileTransfers = nullptr;
    MYolWMApp_SplashTray* splashTray = nullptr;
    MYolWMApp_Smiles* smiles = nullptr;
    MYolWMApp_AntiSpam* antiSpam = nullptr;
    MYolWMApp_Updates* updates = nullptr;
};

}  // namespace UI
