#include "CYolProgramPorts.h"

#include "CServicesManagerImpl.h"
#include "CYolBrowserLauncher.h"
#include "CYolWMAlert_Dispatcher.h"
#include "CYolWMAlert_Notifications.h"
#include "AppServices.h"
#include "MYolWMAlert_NotificationsHost.h"
#include "MYolWMAlert_NotificationsObserver.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowFocus.h"
#include "CYolWMApp.h"
#include "CYolWMUI_Splash.h"
#include "CYolWMUI_Tools.h"
#include "CYolWMUI_TrayIcon.h"
#include "CYolProgramUpdate.h"
#include "CYolVersionCheck.h"
#include "CYolWMCL_AddContactDlg.h"
#include "CYolWMCL_NewGroupDlg.h"
#include "CYolWMUI_FileDlg.h"
#include "CYolWMUI_FileLoadDlg.h"
#include "CYolWMUI_FileLoadServices.h"
#include "CYolWMUI_AccountSettingsDlg.h"
#include "CYolWMUI_InputBaseAccountDlg.h"
#include "CYolWMUI_PrefsDlg.h"
#include "CYolWMUI_XStatusDlg.h"
#include "CContactList.h"
#include "CYolWMUI_DetailsDlg.h"
#include "CYolWMUI_FindUserDlg.h"
#include "CYolWMUI_MoveContactDlg.h"
#include "YolGuids.h"
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

void CYolProgramSplashTray::Release() {
    splash.reset();
    if (tray != nullptr)
        tray->Remove();
    tray.reset();
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

// What the bubbles ask of the program: the core's contact list and
// protocols manager, the main window, the skin pictures and the language.
class CYolProgramNotifications::Host final : public Alert::MYolWMAlert_NotificationsHost {
public:
    explicit Host(CYolProgramAlerts& alerts) : alerts(alerts) {}

    bool GetGlobalStatus(int& status) override {
        Protocols::Status value = Protocols::Offline;
        Protocols::CProtocolsManager* manager = ManagerOf(Services::CServicesManagerImpl::Instance());
        if (manager == nullptr || manager->GetStatus(0, value) != 0)
            return false;
        status = value;
        return true;
    }
    bool IsProgramActive() override {
        CYolWMApp* app = RunningApp();
        if (app == nullptr)
            return false;
        for (HWND window = GetForegroundWindow(); window != nullptr; window = GetWindow(window, GW_OWNER))
            if (window == app->GetWindow())
                return true;
        return false;
    }
    CYolString ContactAlias(unsigned int contactId) override {
        CYolString alias;
        if (CL::CContactList* model = ModelOf(Services::CServicesManagerImpl::Instance()))
            model->GetItemString(contactId, CYolString(u"CL Alias"), alias);
        return alias;
    }
    CYolString ContactAccount(unsigned int contactId) override {
        CYolString login;
        CL::CContactList* model = ModelOf(Services::CServicesManagerImpl::Instance());
        Protocols::CProtocolsManager* manager = ManagerOf(Services::CServicesManagerImpl::Instance());
        if (model != nullptr && manager != nullptr)
            manager->GetAccountLogin(login, model->GetItemAccount(contactId), false);
        return login;
    }
    void BlinkLed(bool on) override {
        if (Alert::CYolWMAlert_Dispatcher* dispatcher = alerts.Dispatcher())
            dispatcher->BlinkLed(on);
    }
    void DrawSkinImage(int index, HDC dc, int x, int y) override {
        if (CYolWMApp* app = RunningApp())
            app->Tools()->Images().Draw(index, dc, POINT{x, y}, 255);
    }
    // No smiley set is part of the program yet: codes stay text.
    bool SmileysReady() override { return true; }
    int SmileyCount() override { return 0; }
    CYolString SmileyPath(int) override { return CYolString(); }
    std::vector<CYolString> SmileyCodes(int) override { return {}; }
    CYolString UiString(int id) override {
        CYolString text;
        if (CYolWMApp* app = RunningApp())
            app->Tools()->Language().GetString(id, text);
        return text;
    }
    void OpenAddress(const CYolString& address) override { CYolBrowserLauncher::Launch(address); }

private:
    CYolProgramAlerts& alerts;
};

// The user's answers, handed to the application.
class CYolProgramNotifications::Answers final : public MYolWMAlert_NotificationsObserver {
public:
    void OnNotificationAnswer(int key, bool accepted) override {
        if (CYolWMApp* app = RunningApp())
            app->OnNotificationAnswer(static_cast<unsigned int>(key), accepted ? 1 : 0);
    }
    void OnUpdateAnswer(int version, bool download) override {
        // The answer to "download?" is the opposite of "install?".
        if (CYolWMApp* app = RunningApp())
            app->OnUpdateAnswer(static_cast<unsigned int>(version), !download);
    }
    void OnFileAnswer(unsigned int contactId, const CYolString& fileName, bool accepted) override {
        if (CYolWMApp* app = RunningApp())
            app->OnFileAnswer(contactId, fileName, accepted);
    }
    void OnAuthAnswer(unsigned int contactId, bool accepted) override {
        if (CYolWMApp* app = RunningApp())
            app->OnAuthAnswer(contactId, accepted);
    }
};

CYolProgramNotifications::CYolProgramNotifications(CYolProgramAlerts& alerts) : alerts(alerts) {}
CYolProgramNotifications::~CYolProgramNotifications() { Release(); }

Alert::CYolWMAlert_Notifications* CYolProgramNotifications::Bubbles() {
    if (bubbles == nullptr) {
        CYolWMApp* app = RunningApp();
        if (app == nullptr)
            return nullptr;
        host = std::make_unique<Host>(alerts);
        answers = std::make_unique<Answers>();
        bubbles = std::make_unique<Alert::CYolWMAlert_Notifications>(app->Prefs(), *host, answers.get());
    }
    return bubbles.get();
}

void CYolProgramNotifications::Release() {
    bubbles.reset();
    answers.reset();
    host.reset();
}

void CYolProgramNotifications::ShowIncomingMessage(unsigned int messageId, unsigned int icon, unsigned int contact,
                                                   const CYolString& text) {
    if (auto* b = Bubbles())
        b->ShowIncomingMessage(static_cast<int>(messageId), static_cast<int>(icon), contact, text);
}

void CYolProgramNotifications::ShowEmail(const CYolString& text, const CYolString& title) {
    if (auto* b = Bubbles())
        b->ShowEmail(text, title);
}

void CYolProgramNotifications::ShowNewVersion(unsigned int version, bool loaded) {
    if (auto* b = Bubbles())
        b->ShowNewVersion(version, !loaded);
}

void CYolProgramNotifications::ShowFileRequest(unsigned int contact, const CYolString& fileName, unsigned int size) {
    if (auto* b = Bubbles())
        b->ShowFileRequest(contact, fileName, size);
}

void CYolProgramNotifications::ShowAuthRequest(unsigned int contact, const CYolString& text) {
    if (auto* b = Bubbles())
        b->ShowAuthRequest(contact, text);
}

void CYolProgramNotifications::ShowContactStatus(unsigned int contact) {
    if (auto* b = Bubbles())
        b->ShowContactStatus(contact);
}

void CYolProgramNotifications::ShowMessage(const CYolString& text, bool information) {
    if (auto* b = Bubbles())
        b->ShowMessage(text, information);
}

void CYolProgramNotifications::RemoveContact(unsigned int contact) {
    if (bubbles != nullptr)
        bubbles->RemoveContact(contact);
}

void CYolProgramDialogs::RunPreferences(TYolWMPrefs& prefs, const CYolArray<MYolWMUI_PrefsChangeObserver*>& observers,
                                        int page) {
    CYolWMApp* app = RunningApp();
    if (app != nullptr)
        CYolWMUI_PrefsDlg::Run(prefs, observers, page, prefsHost, app->GetWindow());
}

void CYolProgramDialogs::RunAccountSettings(unsigned int account, HWND owner) {
    CYolWMUI_AccountSettingsDlg::Run(account, owner, prefsHost);
}

bool CYolProgramDialogs::RunXStatus(HWND owner, CYolString& title, CYolString& text) {
    CYolWMUI_XStatusDlg dialog;
    dialog.title = title;
    dialog.description = text;
    if (dialog.DoModal(owner) != 1)
        return false;
    title = dialog.title;
    text = dialog.description;
    return true;
}

bool CYolProgramDialogs::RunBaseAccount(HWND owner, CYolString& login, CYolString& password) {
    CYolWMUI_InputBaseAccountDlg dialog;
    dialog.login = login;
    dialog.password = password;
    if (dialog.DoModal(owner) != 1)
        return false;
    login = dialog.login;
    password = dialog.password;
    return true;
}

namespace {

// The file browser over the main window; the chosen path, or false.
bool RunFileDialog(HWND owner, const char16_t* mask, bool openMode, const CYolString& initial, CYolString& path) {
    CYolWMUI_FileDlg dialog(mask, openMode, initial);
    if (dialog.DoModal(owner) != 1)
        return false;
    path = CYolWMUI_FileDlg::ProgramState().path;
    return true;
}

}  // namespace

bool CYolProgramDialogs::RunFileSave(HWND owner, const CYolString& offered, CYolString& path) {
    return RunFileDialog(owner, u"*.*;", false, offered, path);
}

void CYolProgramDialogs::RunHistory(unsigned int contact) {
    if (messageWindows != nullptr)
        messageWindows->ShowHistory(contact);
}

bool CYolProgramDialogs::RunFileOpen(HWND owner, const CYolString& mask, CYolString& path) {
    return RunFileDialog(owner, mask.IsEmpty() ? u"*.*;" : mask.c_str(), true, CYolString(), path);
}

// The dialog offers the groups the application found for the account; the
// application adds the contact with what the user typed.
bool CYolProgramDialogs::RunAddContact(HWND owner, const CYolArray<unsigned int>& groups, unsigned int& group,
                                       CYolString& login, CYolString& name) {
    CL::CContactList* model = ModelOf(Services::CServicesManagerImpl::Instance());
    if (model == nullptr || groups.Count() == 0)
        return false;
    CYolArray<unsigned int> offered;
    for (int i = 0; i < groups.Count(); ++i)
        offered.Add(groups[i]);
    CL_UI::CYolWMCL_AddContactDlg dialog(*model, model->GetItemAccount(groups[0]), group, std::move(offered), login,
                                         name);
    if (dialog.Run(owner) != 1)
        return false;
    group = dialog.SelectedGroup();
    login = dialog.Login();
    name = dialog.DisplayName();
    return true;
}

bool CYolProgramDialogs::RunName(HWND owner, bool groupMode, CYolString& name) {
    return UI_CL::CYolWMCL_NewGroupDlg::Ask(owner, groupMode ? 0 : UI_CL::CYolWMCL_NewGroupDlg::kContactNameMode,
                                            name);
}

void CYolProgramDialogs::RunFindUser(HWND owner, unsigned int account) {
    if (!findUserHost)
        findUserHost.emplace(nullptr);
    CYolWMUI_FindUserDlg::Run(owner, &Services::CServicesManagerImpl::Instance(), *findUserHost, account);
}

void CYolProgramDialogs::OnSearchResult(const Protocols::UserInfo* result) {
    CYolWMUI_FindUserDlg::OnSearchResult(result);
}

void CYolProgramDialogs::RunUserDetails(HWND owner, unsigned int account) {
    CYolWMUI_UserDetailsDlg::Run(owner, &Services::CServicesManagerImpl::Instance(), account);
}

void CYolProgramDialogs::RefreshUserDetails(unsigned int account) { CYolWMUI_UserDetailsDlg::Refresh(account); }

void CYolProgramDialogs::RunContactDetails(HWND owner, unsigned int contact) {
    CYolWMUI_ContactDetailsDlg::Run(owner, &Services::CServicesManagerImpl::Instance(), contact);
}

void CYolProgramDialogs::RefreshContactDetails(unsigned int contact) { CYolWMUI_ContactDetailsDlg::Refresh(contact); }

bool CYolProgramDialogs::RunMoveContact(unsigned int current, unsigned int& chosen) {
    CYolWMApp* app = RunningApp();
    auto* list = static_cast<CL::CContactList*>(Services::CServicesManagerImpl::Instance().GetService(ContactListGuid));
    return CYolWMUI_MoveContactDlg::Run(app != nullptr ? app->GetWindow() : nullptr, list, current, chosen);
}

void CYolProgramUpdates::StartVersionCheck(unsigned int clientId) {
    CYolVersionCheck::Start(&Services::CServicesManagerImpl::Instance(), clientId);
}

void CYolProgramUpdates::StopVersionCheck(void* check) { CYolVersionCheck::Stop(static_cast<CYolVersionCheck*>(check)); }

void CYolProgramUpdates::StartDownload(unsigned int clientId, unsigned int version) {
    CYolProgramUpdate::Start(&Services::CServicesManagerImpl::Instance(), clientId, version);
}

void CYolProgramUpdates::StopDownload() { CYolProgramUpdate::Stop(); }

CYolString CYolProgramUpdates::GetCabPath() { return CYolProgramUpdate::GetCabPath(); }

CYolProgramFileTransfers::CYolProgramFileTransfers() = default;
CYolProgramFileTransfers::~CYolProgramFileTransfers() { Destroy(); }

void CYolProgramFileTransfers::EnsureHost() {
    CYolWMApp* app = RunningApp();
    if (host != nullptr || app == nullptr)
        return;
    host = std::make_unique<CYolWMUI_FileLoadServices>(Services::CServicesManagerImpl::Instance(), app->GetWindow(),
                                                       CYolWMUI_FileLoadServices::TWarning());
    CYolWMUI_FileLoadDlg::SetHost(host.get());
}

void CYolProgramFileTransfers::Show(bool show) {
    EnsureHost();
    CYolWMUI_FileLoadDlg::Show(show);
}

void CYolProgramFileTransfers::HandleTransferEvent(const Protocols::FTProgress& progress) {
    EnsureHost();
    CYolWMUI_FileLoadDlg::HandleTransferEvent(progress);
}

void CYolProgramFileTransfers::Destroy() {
    CYolWMUI_FileLoadDlg::Destroy();
    CYolWMUI_FileLoadDlg::SetHost(nullptr);
    host.reset();
}

CYolProgramPorts::CYolProgramPorts() { dialogs.SetNotifications(&notifications); }
CYolProgramPorts::~CYolProgramPorts() = default;

void CYolProgramAlerts::Release() { dispatcher.reset(); }

TYolWMAppPorts CYolProgramPorts::Ports() {
    TYolWMAppPorts ports;
    ports.splashTray = &splashTray;
    ports.alerts = &alerts;
    ports.notifications = &notifications;
    ports.dialogs = &dialogs;
    ports.updates = &updates;
    ports.fileTransfers = &fileTransfers;
    ports.smiles = &smiles;
    dialogs.SetMessageWindows(&messageWindows);
    ports.messageWindows = &messageWindows;
    return ports;
}

}  // namespace UI
