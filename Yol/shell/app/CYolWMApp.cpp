// The application's life: construction, the start-up of the core and the
// windows, the main window's own slots, and the teardown in order.

#include "CYolWMApp.h"

#include "AppServices.h"
#include "CHistoryController.h"
#include "CServicesManagerImpl.h"
#include "CSkinManagerImpl.h"
#include "CYolWMAppCtrlHost.h"
#include "CYolWMAppHistoryContext.h"
#include "CYolWMCL_Ctrl.h"
#include "CYolWMUI_Menu.h"
#include "CYolWMUI_Tools.h"
#include "CYol_CLModelFollower.h"
#include "CYol_CLRootItem.h"
#include "ContactListEvents.h"
#include "CoreServices.h"
#include "ProtocolsManagerEvents.h"
#include "Shell/Power.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowGeometry.h"

#include <atomic>

namespace UI {

namespace {

std::atomic<CYolWMApp*> g_app{nullptr};

// The events the application takes, in the order it subscribes to them.
constexpr int kManagerEvents[] = {2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23};
constexpr int kModelEvents[] = {1, 2, 5, 7, 6, 8, 11, 10, 9, 15, 16, 17, 18, 21, 20, 19, 12, 13, 14};
constexpr int kLanguageChanged = 1;

}  // namespace

CYolWMApp::CYolWMApp(TYolWMStartRecord* start, const TYolWMAppPorts& appPorts,
                     Services::CServicesManagerImpl& manager)
    : CYolWMAppBase(start), ports(appPorts), services(manager) {
    g_app.store(this);
}

CYolWMApp* CYolWMApp::Instance() { return g_app.load(); }

CYolWMApp::~CYolWMApp() {
    // A later start waiting for an answer is let go before its listener
    // thread is joined.
    ReleaseCommandWaiters();
    StopInstanceListener();
    // No more events reach the windows once they start to go: the queue
    // thread's handler may be waiting on this thread, which a window already
    // destroyed releases.
    uiWindow.store(nullptr);
    if (ports.messageWindows != nullptr)
        ports.messageWindows->Release();
    if (HWND main = GetWindow())
        DestroyWindow(main);
    if (clientId != 0)
        services.UnregisterEventsClient(clientId);
    clientId = 0;
    if (follower)
        follower->Detach();

    if (ports.updates != nullptr) {
        ports.updates->StopVersionCheck(nullptr);
        ports.updates->StopDownload();
    }
    if (ports.fileTransfers != nullptr)
        ports.fileTransfers->Destroy();
    if (prefs.GlobAutoConnect)
        SaveAccountStatuses();
    prefs.Save();
    clCtrl.reset();
    statusBar.reset();
    history.reset();
    if (Core::g_skinManager != nullptr) {
        Core::g_skinManager->SetImageStore(nullptr);
        Core::g_skinManager->SetColourSource(nullptr);
    }
    if (Core::g_database != nullptr)
        Core::DestroyServices(services);
    follower.reset();
    views.reset();
    ctrlHost.reset();
    historyContext.reset();
    // On this thread, where they were made, and before the tool set whose
    // pictures and sounds they use.
    if (ports.splashTray != nullptr)
        ports.splashTray->Release();
    if (ports.notifications != nullptr)
        ports.notifications->Release();
    if (ports.alerts != nullptr)
        ports.alerts->Release();
    tools.reset();
    CYolWMApp* self = this;
    g_app.compare_exchange_strong(self, nullptr);
}

void CYolWMApp::SaveAccountStatuses() {
    Protocols::CProtocolsManager* manager = ManagerOf(services);
    if (manager == nullptr)
        return;
    int count = manager->GetAccountCount();
    for (int i = 0; i < count; ++i) {
        unsigned int account = manager->GetAccountId(static_cast<unsigned int>(i));
        Protocols::Status status = Protocols::Offline;
        if (account != 0 && manager->GetStatus(account, status) == 0)
            manager->SetAccountByte(account, CYolString(u"Status"), static_cast<unsigned char>(status));
    }
}

CYolString CYolWMApp::UiString(int id) const { return tools ? tools->String(id) : CYolString(); }

int CYolWMApp::StatusBarHeight() const { return (g_HIDPI_LogPixelsY * kStatusBarHeight + 48) / 96; }

bool CYolWMApp::HasAccounts() {
    Protocols::CProtocolsManager* manager = ManagerOf(services);
    return manager != nullptr && manager->GetAccountCount() > 0;
}

void CYolWMApp::OnCreated() {
    uiWindow.store(GetWindow());
    // Commands that need the window can be answered from now on.
    NotifyCommandWaiters();
    Core::CreateServices(services);
    prefs.Load();
    historyContext = std::make_unique<CYolWMAppHistoryContext>(services, prefs, ports.messageWindows);
    history = std::make_unique<CHistoryController>(*historyContext);
}

void CYolWMApp::SubscribeEvents() {
    clientId = services.RegisterEventsClient(this, CYolString(u"GUI"));
    services.Subscribe(ServicesManagerGuid, 1, clientId);
    languageChangedKey = services.RegisterEvent(PreferencesGuid, kLanguageChanged);
    for (int event : kManagerEvents)
        services.Subscribe(ProtocolsManagerGuid, event, clientId);
    for (int event : kModelEvents)
        services.Subscribe(ContactListGuid, event, clientId);
}

void CYolWMApp::CreateWindows(const RECT& client) {
    int barHeight = StatusBarHeight();
    ctrlHost = std::make_unique<CYolWMAppCtrlHost>(*this);
    clCtrl = std::make_unique<UI_CL::CYolWMCL_Ctrl>(*views, this, *ctrlHost, tools->Images());
    RECT listRect{client.left, client.top, client.right, client.bottom - barHeight};
    if (clCtrl->Create(WS_VISIBLE | WS_TABSTOP, listRect, GetWindow()))
        SetFocus(clCtrl->GetWindow());
    OnPrefsChanged(5);
    OnPrefsChanged(6);
    CL::CYol_CLMetrics::SetItemsPerRow(static_cast<int>(prefs.CLColumns));

    statusBar = std::make_unique<UI_CL::CYolWMCL_StatusBar>(this);
    statusBar->Create(GetWindow(), RECT{client.left, client.bottom - barHeight, client.right, client.bottom});
    statusBar->AddGlobalIcon(ImageList({12}));
    Protocols::CProtocolsManager* manager = ManagerOf(services);
    unsigned int xStatus = manager != nullptr ? manager->GetXStatusId() : 0;
    statusBar->AddGlobalIcon(ImageList({xStatus == 0 ? 85u : 86u + xStatus}));
}

void CYolWMApp::OnCreate() {
    tools = std::make_unique<CYolWMUI_Tools>(prefs, ports);
    if (Core::g_skinManager != nullptr) {
        Core::g_skinManager->SetImageStore(&tools->Images());
        Core::g_skinManager->SetColourSource(&tools->Colours());
    }
    CL::CYol_CLEnvironment::Set(&services, tools.get());
    CYolWMUI_Menu::SetWideItems(prefs.GlobWideMenu);
    if (ports.splashTray != nullptr)
        ports.splashTray->CreateSplash(UiString(273));
    SubscribeEvents();

    RECT client{};
    GetClientRect(GetWindow(), &client);
    views = std::make_unique<CL::CYol_CLRootItem>();
    follower = std::make_unique<CL::CYol_CLModelFollower>(*views);
    follower->SetShowOffline(!prefs.CLOnlyOnline);
    follower->Attach(services);
    CreateWindows(client);

    Core::StartServices(services);
    RelabelSoftKeys(true);
    OnSettingChange(0, 0);
    if (prefs.GlobTrayIcon && ports.splashTray != nullptr)
        ports.splashTray->UpdateTray();
}

void CYolWMApp::OnSetFocus() {
    if (clCtrl && clCtrl->GetWindow() != nullptr)
        SetFocus(clCtrl->GetWindow());
}

void CYolWMApp::OnSize(int, int) {
    if (!clCtrl || !statusBar || clCtrl->GetWindow() == nullptr)
        return;
    RECT client{};
    GetClientRect(GetWindow(), &client);
    int barHeight = StatusBarHeight();
    MoveWindow(statusBar->Handle(), client.left, client.bottom - barHeight, client.right - client.left, barHeight,
               true);
    MoveWindow(clCtrl->GetWindow(), client.left, client.top, client.right - client.left,
               client.bottom - client.top - barHeight, true);
}

void CYolWMApp::OnCommand(int id, int, HWND) {
    if (id == kLeftSoftKey)
        ShowMainMenu();
    else if (id == kRightSoftKey)
        ShowSelectedItemMenu();
}

void CYolWMApp::OnActivate(WPARAM wParam, LPARAM) {
    // A dialog came up or went: "wait ... dialog" asks again.
    NotifyCommandWaiters();
    if (!prefs.GlobFullScreen)
        return;
    bool active = (wParam & 0xFFFF) != 0;
    SHFullScreen(GetWindow(), active ? SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON : SHFS_SHOWTASKBAR | SHFS_SHOWSIPBUTTON);
}

void CYolWMApp::OnSettingChange(WPARAM, LPARAM) {
    if (prefs.GlobFullScreen) {
        RECT rect{};
        GetWindowRect(GetWindow(), &rect);
        SetWindowPos(GetWindow(), nullptr, 0, 0, rect.right, rect.bottom, SWP_NOZORDER);
    }
    RECT client{};
    GetClientRect(GetWindow(), &client);
    OnSize(client.right - client.left, client.bottom - client.top);
}

void CYolWMApp::OnClose() {
    if (ports.splashTray != nullptr)
        ports.splashTray->RemoveTray();
}

void CYolWMApp::OnDestroyed() {
    uiWindow.store(nullptr);
    ReleaseCommandWaiters();
}

}  // namespace UI
