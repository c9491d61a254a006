#pragma once
// UI::CYolWMApp: the application object. It starts the core, builds the
// user interface (tool set, contact-list window, status bar, soft keys),
// is the user interface's one events client ("GUI"), answers the user's
// commands and the windows' call-backs, keeps the power side (unattended
// mode, the scheduled wake-up) in step with the plug-ins' timers, and tears
// everything down in order when the program ends.
//
// Threads: OnEvent runs on the "GUI" queue thread, which only reads the
// core and hands everything that touches a window, a dialog, the history
// or the timers to the UI thread as a window message (sent: the queue
// thread waits). Everything else runs on the UI thread. The contact-list
// view set follows the model on a queue thread of its own (CLViews).

#include "AppPorts.h"
#include "CEventsClient.h"
#include "CServicesManagerImpl.h"
#include "CYolWMAppBase.h"
#include "CYolWMCL_StatusBar.h"
#include "MYolWMCL_CLCtrlObserver.h"
#include "TYolWMPrefs.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <functional>
#include <memory>
#include <vector>

namespace Services {
class CServicesManagerImpl;
}
namespace CL {
class CYol_CLRootItem;
class CYol_CLModelFollower;
}
namespace UI_CL {
class CYolWMCL_Ctrl;
}
class CHistoryController;

namespace UI {

class CYolWMUI_Tools;
class CYolWMAppCtrlHost;
class CYolWMAppHistoryContext;

// Private messages of the main window (WM_USER + n).
namespace AppMsg {
enum : UINT {
    RelabelSoftKeys = 1025,
    MessageSent = 1026,
    MessageReceived = 1027,
    SearchResult = 1028,
    OwnDetailsReady = 1029,
    ContactDetailsReady = 1030,
    ShowText = 1031,
    TabIcons = 1032,
    TabTitle = 1033,
    MessageAcknowledged = 1034,
    CloseTab = 1035,
    OpenAccountsPage = 1036,
    Notification = 1037,
    SetTimer = 1038,
    KillTimer = 1039,
    StartVersionCheck = 1040,
    NewVersion = 1041,
    UpdateReady = 1042,
    VersionCheckDone = 1043,
    ProgramUpdateDone = 1044,
    FileTransfer = 1045,
    TrayIcon = 1124,
    SmilesLoaded = 1128,
    // Jobs other threads queued for the UI thread are waiting.
    RunOnUi = 0x0400 + 80,
};
}

class CYolWMApp : public CYolWMAppBase,
                  public UI_CL::MYolWMCL_CLCtrlObserver,
                  public UI_CL::MYolWMCL_StatusBarObserver,
                  public Services::CEventsClient,
                  public MYolWMUI_PrefsChangeObserver {
public:
    // One plug-in timer as the power side keeps it.
    struct TimerData {
        unsigned int timerId = 0;
        std::uintptr_t platformTimer = 0;
        std::int64_t fireTime = 0;  // Unix seconds
        unsigned int account = 0;
        Protocols::TimerInfo info;
    };
    struct PendingMessage {
        unsigned int tab = 0;
        MW::TYolWMMWMsg line;
    };

    // The core is made on `services` (the process's manager in the program).
    CYolWMApp(TYolWMStartRecord* start, const TYolWMAppPorts& ports, Services::CServicesManagerImpl& services);
    ~CYolWMApp() override;

    // The application of the process, from construction to deletion.
    static CYolWMApp* Instance();

    TYolWMPrefs& Prefs() { return prefs; }
    CYolWMUI_Tools* Tools() { return tools.get(); }
    CL::CYol_CLRootItem* Views() { return views.get(); }
    UI_CL::CYolWMCL_Ctrl* ContactList() { return clCtrl.get(); }
    UI_CL::CYolWMCL_StatusBar* StatusBar() { return statusBar.get(); }
    // The history files; null before the core is made and after it went.
    CHistoryController* History() { return history.get(); }
    unsigned int EventsClientId() const { return clientId; }
    const std::vector<PendingMessage>& PendingMessages() const { return pending; }
    const std::vector<TimerData>& Timers() const { return timers; }
    const CYolString& LastPowerState() const { return lastPowerState; }
    bool IsUnattended() const { return unattended; }
    // The contact list has reported itself ready (the splash is gone).
    bool IsRunning() const { return running.load(); }
    CYolString UiString(int id) const;

    // --- the soft keys and the main menu (UI thread) ---
    void RelabelSoftKeys(bool leftKey);
    void BuildMainMenu(CYolMenuInfo& menu);
    void OnMainMenuChoice(int command);
    void BuildStatusMenu(unsigned int account, int kind, CYolMenuInfo& menu);
    void OnStatusMenuChoice(unsigned int account, int kind, const CYolMenuItemInfo* chosen, int command);
    void OpenPreferences(int page);

    // --- what the message windows call ---
    bool OnSendMessage(unsigned int tab, const CYolString& text);
    void OnSendFile(unsigned int tab, const CYolString& path);
    void OnFillMenu(unsigned int tab, CYolMenuInfo& menu);
    void GetSubContacts(unsigned int tab, CYolArray<unsigned int>& ids, CYolArray<CYolString>& logins,
                        CYolArray<CYolArray<unsigned int>>& icons);
    void OnTabActivated(unsigned int tab);
    void OnShowContactDetails(unsigned int contact);
    void OnTypingNotify(unsigned int tab, bool typing);
    void OnTabSelected(unsigned int tab);
    // Lines of a chat that closed before they were seen wait again, in
    // order, for the chat's next opening.
    void KeepUnread(unsigned int tab, const CYolArray<MW::TYolWMMWMsg>& lines);

    // --- the answers of the shell notifications ---
    void OnNotificationAnswer(unsigned int messageId, int answer);
    void OnUpdateAnswer(unsigned int version, bool install);
    void OnFileAnswer(unsigned int contact, const CYolString& fileName, bool accept);
    void OnAuthAnswer(unsigned int contact, bool grant);

    // --- observer slots ---
    void OnItemActivated(unsigned int id, const Protocols::ContactStatusInfo& status) override;
    void OnStatusBarTap(int digit) override;
    void OnSelectionChanged(CL::CYol_CLItem* selected) override;
    void OnShowChats(int clientLeft, int distance) override;
    void OnAccountIconTap(unsigned int accountId, int index) override;
    void OnPrefsChanged(int group) override;
    int OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg, Services::CEventArg* extra) override;

    // The power states the device reports (UI thread).
    void OnPowerState(const CYolString& name) override;

    static constexpr int kStatusBarHeight = 28;  // logical pixels
    static constexpr std::int64_t kWakeUpMinimumSeconds = 5;

protected:
    void OnCreated() override;
    void OnCreate() override;
    void OnSetFocus() override;
    void OnSize(int width, int height) override;
    void OnCommand(int id, int code, HWND control) override;
    void OnActivate(WPARAM wParam, LPARAM lParam) override;
    void OnSettingChange(WPARAM wParam, LPARAM lParam) override;
    void OnClose() override;
    void OnDestroyed() override;
    int OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    std::string OnInstanceCommand(const std::string& line) override;

private:
    friend class CYolWMAppCtrlHost;
    using EventHandler = void (CYolWMApp::*)(int event, Services::CEventArg* arg, Services::CEventArg* extra);
    using MessageHandler = void (CYolWMApp::*)(WPARAM wParam, LPARAM lParam);
    struct EventRow {
        int event;
        EventHandler handler;
    };
    struct MessageRow {
        UINT message;
        MessageHandler handler;
    };

    // lifecycle (CYolWMApp.cpp)
    void SubscribeEvents();
    void CreateWindows(const RECT& client);
    void SaveAccountStatuses();
    int StatusBarHeight() const;
    bool HasAccounts();
    void ApplyView();

    // events on the queue thread (CYolWMAppEvents.cpp)
    static const std::vector<EventRow>& ManagerEvents();
    static const std::vector<EventRow>& ModelEvents();
    void Send(UINT msg, WPARAM wParam, LPARAM lParam);
    void Post(UINT msg, WPARAM wParam, LPARAM lParam);
    // False when the job was dropped: no window yet, or it is going.
    bool OnUi(std::function<void()> job);
    // The view set is changed on the queue thread, never on the UI thread,
    // whose windows take the view set's lock to draw.
    void OnViews(std::function<void()> job);
    void EvStatusList(int, Services::CEventArg* arg, Services::CEventArg* extra);
    void EvAccount(int event, Services::CEventArg* arg, Services::CEventArg* extra);
    void EvStatusChanged(int, Services::CEventArg* arg, Services::CEventArg* extra);
    void EvStatusIcon(int event, Services::CEventArg* arg, Services::CEventArg* extra);
    void EvSendOn(int event, Services::CEventArg* arg, Services::CEventArg* extra);
    void EvShowText(int, Services::CEventArg* arg, Services::CEventArg* extra);
    void EvNotification(int, Services::CEventArg* arg, Services::CEventArg* extra);
    void EvOpenUrl(int, Services::CEventArg* arg, Services::CEventArg* extra);
    void EvBaseAccountPrompt(int, Services::CEventArg* arg, Services::CEventArg* extra);
    void EvLoading(int event, Services::CEventArg* arg, Services::CEventArg* extra);
    void EvContactListReady(int, Services::CEventArg* arg, Services::CEventArg* extra);
    void EvFillStatusList(int, Services::CEventArg* arg, Services::CEventArg* extra);
    void EvTabIcons(int event, Services::CEventArg* arg, Services::CEventArg* extra);
    void EvTabTitle(int, Services::CEventArg* arg, Services::CEventArg* extra);
    void EvItemRemoved(int, Services::CEventArg* arg, Services::CEventArg* extra);
    void EvTyping(int, Services::CEventArg* arg, Services::CEventArg* extra);
    void ContactListReady();
    void PromptBaseAccount(CYolString login, CYolString password);

    // window messages on the UI thread (CYolWMAppMessages.cpp)
    static const std::vector<MessageRow>& Messages();
    void MsgRelabel(WPARAM, LPARAM);
    void MsgMessageSent(WPARAM wParam, LPARAM lParam);
    void MsgMessageReceived(WPARAM wParam, LPARAM lParam);
    void MsgSearchResult(WPARAM, LPARAM lParam);
    void MsgOwnDetails(WPARAM wParam, LPARAM);
    void MsgContactDetails(WPARAM wParam, LPARAM);
    void MsgShowText(WPARAM wParam, LPARAM lParam);
    void MsgTabIcons(WPARAM wParam, LPARAM lParam);
    void MsgTabTitle(WPARAM wParam, LPARAM lParam);
    void MsgAcknowledged(WPARAM wParam, LPARAM lParam);
    void MsgCloseTab(WPARAM wParam, LPARAM);
    void MsgAccountsPage(WPARAM, LPARAM);
    void MsgNotification(WPARAM wParam, LPARAM);
    void MsgSetTimer(WPARAM wParam, LPARAM lParam);
    void MsgKillTimer(WPARAM wParam, LPARAM lParam);
    void MsgVersionCheck(WPARAM, LPARAM);
    void MsgNewVersion(WPARAM wParam, LPARAM);
    void MsgUpdateReady(WPARAM wParam, LPARAM);
    void MsgVersionCheckDone(WPARAM wParam, LPARAM);
    void MsgUpdateDone(WPARAM, LPARAM);
    void MsgFileTransfer(WPARAM, LPARAM lParam);
    void MsgTray(WPARAM wParam, LPARAM lParam);
    void MsgTimer(WPARAM wParam, LPARAM);
    void MsgRunOnUi(WPARAM, LPARAM lParam);
    void AppendHistory(unsigned int contact, unsigned char direction, const Protocols::MessageInfo& message);
    unsigned int TabOf(unsigned int contact);
    void AddLineOrKeep(unsigned int tab, const MW::TYolWMMWMsg& line);
    void ReceiveChatMessage(unsigned int contact, unsigned int tab, const Protocols::MessageInfo& message);
    void RaiseAlert(int event);
    static CYolString TimeText(const CYolTime& time);

    // power and timers (CYolWMAppPower.cpp)
    void SetUnattended(bool on);
    void SetTimerEntry(unsigned int account, const Protocols::TimerRequest& request);
    void KillTimerEntry(unsigned int account, const Protocols::TimerInfo* info);
    void OnTimerEntryFired(std::uintptr_t timerId);
    void OnResuming();
    void OnUnattended();
    std::int64_t Now() const;

    // the commands of later starts (CYolWMAppCommands.cpp)
    void NotifyCommandWaiters();
    void ReleaseCommandWaiters();
    bool ContactShownOnline(const CYolString& login);
    bool RunOnUiAndWait(std::function<void()> job);
    std::string WaitForAnswer(const std::string& asked, int ms);

    // chats (CYolWMAppChats.cpp)
    void OpenChat(unsigned int id);
    void AddContactTo(unsigned int account, unsigned int preselected);
    void MarkRead(unsigned int tab, unsigned int messageId);

    // menus (CYolWMAppMenus.cpp)
    void ShowMainMenu();
    void ShowSelectedItemMenu();
    void AddAccountSubMenus(CYolMenuInfo& menu);

    TYolWMAppPorts ports;
    Services::CServicesManagerImpl& services;
    TYolWMPrefs prefs;
    std::unique_ptr<CYolWMUI_Tools> tools;
    unsigned int clientId = 0;
    unsigned int languageChangedKey = 0;
    std::unique_ptr<CL::CYol_CLRootItem> views;
    std::unique_ptr<CL::CYol_CLModelFollower> follower;
    std::unique_ptr<CYolWMAppCtrlHost> ctrlHost;
    std::unique_ptr<UI_CL::CYolWMCL_Ctrl> clCtrl;
    std::unique_ptr<UI_CL::CYolWMCL_StatusBar> statusBar;
    std::unique_ptr<CYolWMAppHistoryContext> historyContext;
    std::unique_ptr<CHistoryController> history;
    std::vector<PendingMessage> pending;
    std::vector<TimerData> timers;
    unsigned int nextTimerId = 1;
    CYolString lastPowerState;
    bool unattended = false;
    unsigned int messageCounter = 1;
    // The main window as the queue thread may use it; null once destroyed.
    std::atomic<HWND> uiWindow{nullptr};
    std::atomic<bool> running{false};
    // Later starts waiting for a state (CYolWMAppCommands.cpp).
    std::mutex commandLock;
    std::condition_variable commandWake;
    unsigned long long changes = 0;
    bool commandsReleased = false;
    // Jobs of other threads for the UI thread, run at AppMsg::RunOnUi.
    std::deque<std::function<void()>> uiJobs;
};

}  // namespace UI
