// The "GUI" events client: what the application does with each event of
// the core, on the queue thread. Only the core is read here; windows,
// dialogs, history and timers are handed to the UI thread.

#include "AppServices.h"
#include "CYolBrowserLauncher.h"
#include "CYolPair.h"
#include "CYolWMApp.h"
#include "CYolWMUI_Tools.h"
#include "ContactListEvents.h"
#include "ProtocolsManagerEvents.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/WindowFocus.h"

namespace UI {

namespace {

using Services::CEventArg;
namespace PM = Protocols::ProtocolsManagerEvent;
namespace CLE = CL::ContactListEvent;

// The global status list: status, then its skin images.
struct GlobalStatusRow {
    Protocols::Status status;
    std::initializer_list<unsigned int> icons;
};
const GlobalStatusRow kGlobalStatuses[] = {
    {Protocols::Status(5), {13, 6}},  {Protocols::Status(6), {13, 5}},  {Protocols::Status(7), {13, 3}},
    {Protocols::Status(8), {13, 0}},  {Protocols::Status(9), {13, 1}},  {Protocols::Status(10), {13, 8}},
    {Protocols::Status(11), {13, 2}}, {Protocols::Status(12), {13, 9}}, {Protocols::Status(13), {13, 10}},
    {Protocols::Status(14), {13, 4}}, {Protocols::Status(2), {13}},     {Protocols::Status(3), {13, 7}},
    {Protocols::Status(4), {15, 7}},  {Protocols::Status(1), {11}},     {Protocols::Status(0), {12}},
};
// The contact list's status list, index = status.
const std::initializer_list<unsigned int> kContactStatusIcons[] = {
    {12}, {14}, {13}, {13, 7}, {13, 7}, {13, 6}, {13, 5}, {13, 3}, {13, 0}, {13, 1}, {13, 8}, {13, 2}, {13, 9},
    {13, 10}, {13, 4},
};
// The application's own jobs for its queue thread.
constexpr YOL_GUID kViewJobsGuid{0x3C2B6E1D, 0x8A41, 0x4F0E, 0x9B, 0x27, 0x51, 0xD4, 0x0C, 0x6E, 0x93, 0xA8};
constexpr int kViewJob = 1;

constexpr int kGlobalStatusCaption = 15;
constexpr unsigned int kTypingImage = 53;
constexpr unsigned int kOfflineImage = 12;
constexpr int kAccountsLoadingText = 274;
constexpr int kMetacontactsLoadingText = 275;

unsigned int Id(CEventArg* arg) {
    if (const unsigned int* id = ArgValue<unsigned int>(arg))
        return *id;
    if (const int* id = ArgValue<int>(arg))
        return static_cast<unsigned int>(*id);
    return 0;
}

// A version number, or the address of the check or download that ended.
WPARAM WordOf(CEventArg* arg) {
    if (void** address = ArgValue<void*>(arg))
        return reinterpret_cast<WPARAM>(*address);
    return Id(arg);
}

// The first icon list of a status record; empty when it has none.
CYolArray<unsigned int> FirstIcons(const Protocols::ContactStatusInfo& status) {
    return status.icons.Count() > 0 ? status.icons[0] : CYolArray<unsigned int>();
}

}  // namespace

void CYolWMApp::OnViews(std::function<void()> job) {
    if (clientId == 0)
        return;
    services.SendEvent(clientId, kViewJobsGuid, kViewJob, new Services::CEventArg_Data<std::function<void()>>(std::move(job)),
                       nullptr, false);
}

const std::vector<CYolWMApp::EventRow>& CYolWMApp::ManagerEvents() {
    static const std::vector<EventRow> rows = {
        {PM::StatusList, &CYolWMApp::EvStatusList},
        {PM::AccountAdded, &CYolWMApp::EvAccount},
        {PM::AccountRemoved, &CYolWMApp::EvAccount},
        {PM::AccountChanged, &CYolWMApp::EvAccount},
        {PM::StatusChanged, &CYolWMApp::EvStatusChanged},
        {PM::MessageSent, &CYolWMApp::EvSendOn},
        {PM::OwnDetailsReady, &CYolWMApp::EvSendOn},
        {PM::ContactDetailsReady, &CYolWMApp::EvSendOn},
        {PM::SearchResult, &CYolWMApp::EvSendOn},
        {PM::AddStatusIcon, &CYolWMApp::EvStatusIcon},
        {PM::SetStatusIcon, &CYolWMApp::EvStatusIcon},
        {PM::RemoveStatusIcon, &CYolWMApp::EvStatusIcon},
        {PM::ShowText, &CYolWMApp::EvShowText},
        {PM::Notification, &CYolWMApp::EvNotification},
        {PM::SetTimer, &CYolWMApp::EvSendOn},
        {PM::KillTimer, &CYolWMApp::EvSendOn},
        {PM::OpenUrl, &CYolWMApp::EvOpenUrl},
        {PM::BaseAccountPrompt, &CYolWMApp::EvBaseAccountPrompt},
        {PM::AccountsLoading, &CYolWMApp::EvLoading},
        {PM::MetacontactsLoading, &CYolWMApp::EvLoading},
        {PM::FileTransferProgress, &CYolWMApp::EvSendOn},
    };
    return rows;
}

const std::vector<CYolWMApp::EventRow>& CYolWMApp::ModelEvents() {
    static const std::vector<EventRow> rows = {
        {CLE::ContactListReady, &CYolWMApp::EvContactListReady},
        {CLE::FillStatusList, &CYolWMApp::EvFillStatusList},
        {CLE::ContactRemoved, &CYolWMApp::EvItemRemoved},
        {CLE::MetaContactRemoved, &CYolWMApp::EvItemRemoved},
        {CLE::ContactStatusChanged, &CYolWMApp::EvTabIcons},
        {CLE::MetaContactStatusChanged, &CYolWMApp::EvTabIcons},
        {CLE::ContactChanged, &CYolWMApp::EvTabTitle},
        {CLE::MetaContactChanged, &CYolWMApp::EvTabTitle},
        {CLE::MessageReceived, &CYolWMApp::EvSendOn},
        {CLE::MessageAcknowledged, &CYolWMApp::EvSendOn},
        {CLE::ContactTyping, &CYolWMApp::EvTyping},
    };
    return rows;
}

int CYolWMApp::OnEvent(const YOL_GUID& channel, int event, CEventArg* arg, CEventArg* extra) {
    const std::vector<EventRow>* rows = nullptr;
    if (channel == ProtocolsManagerGuid) {
        rows = &ManagerEvents();
    } else if (channel == ContactListGuid) {
        rows = &ModelEvents();
    } else if (channel == kViewJobsGuid) {
        if (auto* job = ArgValue<std::function<void()>>(arg); job != nullptr && *job)
            (*job)();
        return 0;
    } else if (channel == PreferencesGuid) {
        // The update's reports: new version, update ready, check done,
        // download done.
        if (event >= 2 && event <= 5)
            Post(AppMsg::NewVersion + static_cast<UINT>(event - 2), WordOf(arg), 0);
        return 0;
    }
    if (rows == nullptr)
        return 0;
    for (const EventRow& row : *rows)
        if (row.event == event) {
            (this->*row.handler)(event, arg, extra);
            break;
        }
    return 0;
}

void CYolWMApp::Send(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (HWND window = uiWindow.load())
        SendMessage(window, msg, wParam, lParam);
}

void CYolWMApp::Post(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (HWND window = uiWindow.load())
        PostMessage(window, msg, wParam, lParam);
}

// Posted: the queue thread does not wait for the window, so a window busy
// with the core (start-up, a modal dialog) never holds the queue up. The
// job owns copies of what it needs; jobs still queued when the application
// goes are dropped with it.
bool CYolWMApp::OnUi(std::function<void()> job) {
    HWND window = uiWindow.load();
    if (window == nullptr)
        return false;
    {
        std::lock_guard<std::mutex> hold(commandLock);
        if (commandsReleased)
            return false;
        uiJobs.push_back(std::move(job));
    }
    PostMessage(window, AppMsg::RunOnUi, 0, 0);
    return true;
}

// Sent on as the window message of the same meaning: the arguments stay
// valid while the UI thread handles it.
void CYolWMApp::EvSendOn(int event, CEventArg* arg, CEventArg* extra) {
    struct Row {
        bool model;
        int event;
        UINT message;
    };
    static const Row rows[] = {
        {false, PM::MessageSent, AppMsg::MessageSent},
        {false, PM::OwnDetailsReady, AppMsg::OwnDetailsReady},
        {false, PM::ContactDetailsReady, AppMsg::ContactDetailsReady},
        {false, PM::SearchResult, AppMsg::SearchResult},
        {false, PM::SetTimer, AppMsg::SetTimer},
        {false, PM::KillTimer, AppMsg::KillTimer},
        {false, PM::FileTransferProgress, AppMsg::FileTransfer},
        {true, CLE::MessageReceived, AppMsg::MessageReceived},
        {true, CLE::MessageAcknowledged, AppMsg::MessageAcknowledged},
    };
    bool model = event == CLE::MessageReceived || event == CLE::MessageAcknowledged;
    for (const Row& row : rows)
        if (row.model == model && row.event == event) {
            Send(row.message, reinterpret_cast<WPARAM>(arg), reinterpret_cast<LPARAM>(extra));
            return;
        }
}

void CYolWMApp::EvStatusList(int, CEventArg* arg, CEventArg* extra) {
    CYolString** caption = ArgValue<CYolString*>(arg);
    CYolArray<Protocols::StatusInfo>** list = ArgValue<CYolArray<Protocols::StatusInfo>*>(extra);
    if (caption != nullptr && *caption != nullptr)
        **caption = UiString(kGlobalStatusCaption);
    if (list == nullptr || *list == nullptr)
        return;
    for (const GlobalStatusRow& row : kGlobalStatuses) {
        Protocols::StatusInfo info(row.status, UiString(static_cast<int>(row.status)));
        info.icon = ImageList(row.icons);
        (*list)->Add(info);
    }
}

void CYolWMApp::EvFillStatusList(int, CEventArg* arg, CEventArg*) {
    CYolArray<Protocols::StatusInfo>** list = ArgValue<CYolArray<Protocols::StatusInfo>*>(arg);
    if (list == nullptr || *list == nullptr)
        return;
    int status = 0;
    for (const auto& icons : kContactStatusIcons) {
        Protocols::StatusInfo info(Protocols::Status(status++), CYolString());
        info.icon = ImageList(icons);
        (*list)->Add(info);
    }
}

// An account's group on the status bar starts with its status icon, which
// the status changes then replace.
void CYolWMApp::EvAccount(int event, CEventArg* arg, CEventArg* extra) {
    unsigned int account = Id(arg);
    unsigned int index = Id(extra);
    CYolArray<unsigned int> statusIcon = ImageList({kOfflineImage});
    Protocols::CProtocolsManager* manager = ManagerOf(services);
    Protocols::Status status = Protocols::Offline;
    Protocols::StatusInfo info;
    if (event == PM::AccountAdded && manager != nullptr && manager->GetStatus(account, status) == 0 &&
        manager->GetStatusInfo(account, status, info) == 0 && info.icon.Count() > 0)
        statusIcon = info.icon;
    OnUi([this, event, account, index, statusIcon] {
        if (!statusBar)
            return;
        if (event == PM::AccountAdded) {
            statusBar->AddAccount(account);
            statusBar->AddAccountIcon(account, statusIcon);
        } else if (event == PM::AccountRemoved) {
            statusBar->RemoveAccount(account);
        } else {
            statusBar->MoveAccount(account, index);
        }
    });
}

void CYolWMApp::EvStatusChanged(int, CEventArg* arg, CEventArg* extra) {
    const Protocols::StatusInfo* info = ArgValue<Protocols::StatusInfo>(extra);
    if (info == nullptr)
        return;
    unsigned int account = Id(arg);
    CYolArray<unsigned int> icons = info->icon;
    if (account != 0 && Protocols::IsConnectedStatus(info->status))
        Post(AppMsg::StartVersionCheck, 0, 0);
    OnUi([this, account, icons] {
        if (statusBar && account != 0)
            statusBar->SetAccountIcon(account, 0, icons);
        if (account != 0)
            return;
        if (statusBar)
            statusBar->SetGlobalIcon(0, icons);
        if (ports.splashTray != nullptr)
            ports.splashTray->UpdateTray();
    });
    NotifyCommandWaiters();
}

void CYolWMApp::EvStatusIcon(int event, CEventArg* arg, CEventArg* extra) {
    unsigned int account = Id(arg);
    if (event == PM::AddStatusIcon) {
        if (const CYolArray<unsigned int>* icons = ArgValue<CYolArray<unsigned int>>(extra))
            OnUi([this, account, list = *icons] {
                if (statusBar)
                    statusBar->AddAccountIcon(account, list);
            });
    } else if (event == PM::SetStatusIcon) {
        if (const Protocols::StatusIconInfo* icon = ArgValue<Protocols::StatusIconInfo>(extra))
            OnUi([this, account, icon = *icon] {
                if (statusBar)
                    statusBar->SetAccountIcon(account, icon.index, icon.icon);
            });
    } else if (const int* index = ArgValue<int>(extra)) {
        OnUi([this, account, at = *index] {
            if (statusBar)
                statusBar->RemoveAccountIcon(account, at);
        });
    }
}

void CYolWMApp::EvShowText(int, CEventArg*, CEventArg* extra) {
    if (const CYolString* text = ArgValue<CYolString>(extra)) {
        CYolString copy = *text;
        Send(AppMsg::ShowText, reinterpret_cast<WPARAM>(&copy), 3);
    }
}

void CYolWMApp::EvNotification(int, CEventArg*, CEventArg* extra) {
    if (const Protocols::NotificationInfo* info = ArgValue<Protocols::NotificationInfo>(extra)) {
        Protocols::NotificationInfo copy = *info;
        Send(AppMsg::Notification, reinterpret_cast<WPARAM>(&copy), 0);
    }
}

void CYolWMApp::EvOpenUrl(int, CEventArg*, CEventArg* extra) {
    if (const CYolString* address = ArgValue<CYolString>(extra))
        CYolBrowserLauncher::Launch(*address);
}

void CYolWMApp::EvBaseAccountPrompt(int, CEventArg* arg, CEventArg* extra) {
    CYolString login = ArgOr<CYolString>(arg, CYolString());
    CYolString password = ArgOr<CYolString>(extra, CYolString());
    OnUi([this, login, password] { PromptBaseAccount(login, password); });
}

void CYolWMApp::EvLoading(int event, CEventArg*, CEventArg*) {
    int text = event == PM::AccountsLoading ? kAccountsLoadingText : kMetacontactsLoadingText;
    OnUi([this, text] {
        if (ports.splashTray != nullptr && ports.splashTray->SplashWindow() != nullptr)
            ports.splashTray->SetSplashText(UiString(text));
    });
}

void CYolWMApp::EvContactListReady(int, CEventArg*, CEventArg*) {
    OnUi([this] { ContactListReady(); });
}

void CYolWMApp::ContactListReady() {
    // Destroyed here, on the thread that made it.
    if (ports.splashTray != nullptr)
        ports.splashTray->CloseSplash();
    BringForward();
    Protocols::CProtocolsManager* manager = ManagerOf(services);
    if (manager == nullptr)
        return;
    int count = manager->GetAccountCount();
    if (count == 0)
        Post(AppMsg::OpenAccountsPage, 0, 0);
    for (int i = 0; prefs.GlobAutoConnect && i < count; ++i) {
        unsigned int account = manager->GetAccountId(static_cast<unsigned int>(i));
        unsigned char saved = 0;
        if (manager->GetAccountByte(account, CYolString(u"Status"), saved) && saved > Protocols::Connecting)
            manager->SetStatus(account, Protocols::Status(saved));
    }
    running.store(true);
    NotifyCommandWaiters();
}

void CYolWMApp::EvTabIcons(int, CEventArg* arg, CEventArg* extra) {
    if (const Protocols::ContactStatusInfo* status = ArgValue<Protocols::ContactStatusInfo>(extra)) {
        CYolArray<unsigned int> icons = FirstIcons(*status);
        Send(AppMsg::TabIcons, Id(arg), reinterpret_cast<LPARAM>(&icons));
    }
    NotifyCommandWaiters();
}

void CYolWMApp::EvTabTitle(int, CEventArg* arg, CEventArg*) {
    unsigned int id = Id(arg);
    CL::CContactList* model = ModelOf(services);
    CYolString alias;
    if (model == nullptr || !model->GetItemString(id, CYolString(u"CL Alias"), alias))
        return;
    Send(AppMsg::TabTitle, id, reinterpret_cast<LPARAM>(&alias));
}

void CYolWMApp::EvItemRemoved(int, CEventArg* arg, CEventArg*) { Send(AppMsg::CloseTab, Id(arg), 0); }

// The flag is nonzero once the contact stopped typing.
// A contact's typing shows on the tab it is chatted in, its meta-contact's
// when the list shows meta-contacts.
void CYolWMApp::EvTyping(int, CEventArg* arg, CEventArg* extra) {
    const unsigned int tab = TabOf(Id(arg));
    bool stopped = ArgOr<bool>(extra, true);
    CYolArray<unsigned int> icons = ImageList({kTypingImage});
    if (stopped) {
        CL::CContactList* model = ModelOf(services);
        if (model == nullptr)
            return;
        Protocols::ContactStatusInfo status;
        icons = FirstIcons(model->GetItemStatus(status, tab));
    }
    Send(AppMsg::TabIcons, tab, reinterpret_cast<LPARAM>(&icons));
    NotifyCommandWaiters();
}

}  // namespace UI
