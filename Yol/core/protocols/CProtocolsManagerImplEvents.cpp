// Everything that reaches the manager's own events client: the services'
// start-up, the language change, the server store's events, the manager's
// requests to itself and the accounts' reports; and the global state these
// keep (global status, its list and title, extended status, logon dates).

#include "CProtocolsManagerImpl.h"

#include "CProtocolsManagerImplShared.h"
#include "CYolClock.h"
#include "CYolPair.h"

#include <algorithm>

namespace Protocols {

using Services::CEventArg;
using Services::CEventArg_Data;

// The title and list handed to the StatusList subscribers, which fill them in
// place. The arguments keep them alive, so a subscriber that holds on to its
// arguments never writes into freed memory.
struct CProtocolsManagerImpl::StatusListStaging {
    CYolString title;
    CYolArray<StatusInfo> list;
};

namespace {

template <typename T, typename Staging>
class StagingArg final : public CEventArg_Data<T> {
public:
    StagingArg(T value, std::shared_ptr<Staging> staging) : CEventArg_Data<T>(value), staging(std::move(staging)) {}

private:
    std::shared_ptr<Staging> staging;
};

// An account's report copied into an argument of the manager's own, so that
// nothing of the plug-in's making travels on.
template <typename T>
CEventArg* CopyAs(CEventArg* arg) {
    const T* value = ArgValue<T>(arg);
    return value != nullptr ? NewArg(*value) : nullptr;
}

struct AccountEventRow {
    int event;
    int broadcast;
    CEventArg* (*copy)(CEventArg*);
    bool needsArgument;  // dropped without its second argument
};

// StatusChanged and KillTimer are handled on their own below.
const AccountEventRow kAccountEvents[] = {
    {AccountEvent::ClearContacts, ProtocolsManagerEvent::ClearContacts, &CopyAs<unsigned int>, false},
    {AccountEvent::OwnDetailsReady, ProtocolsManagerEvent::OwnDetailsReady, &CopyAs<UserInfo>, false},
    {AccountEvent::ContactDetailsReady, ProtocolsManagerEvent::ContactDetailsReady, &CopyAs<unsigned int>, false},
    {AccountEvent::ShowText, ProtocolsManagerEvent::ShowText, &CopyAs<CYolString>, true},
    {AccountEvent::Notification, ProtocolsManagerEvent::Notification, &CopyAs<NotificationInfo>, true},
    {AccountEvent::SearchResult, ProtocolsManagerEvent::SearchResult, &CopyAs<UserInfo>, false},
    {AccountEvent::AddStatusIcon, ProtocolsManagerEvent::AddStatusIcon, &CopyAs<CYolArray<unsigned int>>, true},
    {AccountEvent::SetStatusIcon, ProtocolsManagerEvent::SetStatusIcon, &CopyAs<StatusIconInfo>, true},
    {AccountEvent::RemoveStatusIcon, ProtocolsManagerEvent::RemoveStatusIcon, &CopyAs<int>, true},
    {AccountEvent::SetTimer, ProtocolsManagerEvent::SetTimer, &CopyAs<TimerRequest>, true},
    {AccountEvent::KillTimer, ProtocolsManagerEvent::KillTimer, &CopyAs<TimerInfo>, true},
    {AccountEvent::OpenUrl, ProtocolsManagerEvent::OpenUrl, &CopyAs<CYolString>, true},
    {AccountEvent::FileTransferProgress, ProtocolsManagerEvent::FileTransferProgress, &CopyAs<FTProgress>, true},
};

const char16_t* const kLogonDateKey = u"Logon date";
const char16_t* const kXStatusIdKey = u"XStatusCurrId";

CYolString XStatusKey(const char16_t* stem, unsigned int id) {
    return CYolString(stem) + CYolString(id, false, 2);
}

}  // namespace

int CProtocolsManagerImpl::CEventHandler::OnEvent(const YOL_GUID& channel, int event, CEventArg* arg,
                                                  CEventArg* extra) {
    return owner.OnEvent(channel, event, arg, extra);
}

int CProtocolsManagerImpl::OnEvent(const YOL_GUID& channel, int event, CEventArg* arg, CEventArg* extra) {
    if (channel == ServicesManagerGuid) {
        if (event == 1)
            OnServicesStarted();
    } else if (channel == ProtocolsManagerGuid) {
        OnManagerRequest(event, arg, extra);
    } else if (channel == ServerStoreGuid) {
        if (MServerAccountList* list = serverList.load(std::memory_order_acquire))
            list->OnServerStoreEvent(event, arg, extra);
    } else if (channel == PreferencesGuid) {
        if (event == 1)
            OnLanguageChanged(arg);
    } else {
        OnAccountEvent(channel, event, arg, extra);
    }
    return 0;
}

void CProtocolsManagerImpl::OnServicesStarted() {
    services->Subscribe(PreferencesGuid, 1, clientId);
    BroadcastStatusList();
    LoadStoredAccounts();
    PostRequest(ProtocolsManagerRequest::AskBaseAccount, NewArg(false), nullptr);
}

void CProtocolsManagerImpl::OnManagerRequest(int request, CEventArg* arg, CEventArg* extra) {
    switch (request) {
        case ProtocolsManagerRequest::ComputeGlobalStatus: {
            const unsigned int* account = ArgValue<unsigned int>(arg);
            const StatusInfo* info = ArgValue<StatusInfo>(extra);
            if (account != nullptr && info != nullptr)
                ComputeGlobalStatus(*account, *info);
            break;
        }
        case ProtocolsManagerRequest::DeleteAccount: {
            const unsigned int* account = ArgValue<unsigned int>(arg);
            const unsigned int* flags = ArgValue<unsigned int>(extra);
            if (account != nullptr)
                OnDeleteAccount(*account, flags != nullptr ? *flags : 0);
            break;
        }
        case ProtocolsManagerRequest::UnloadPluginDll:
            if (const CYolDll* dll = ArgValue<CYolDll>(arg)) {
                CYolDll handle = *dll;
                UnloadPlugin(handle);
            }
            break;
        case ProtocolsManagerRequest::AskBaseAccount:
            OnAskBaseAccount(arg != nullptr && *ArgValue<bool>(arg));
            break;
        case ProtocolsManagerRequest::SetBaseAccountLogin: {
            const CYolString* login = ArgValue<CYolString>(arg);
            const CYolString* password = ArgValue<CYolString>(extra);
            OnSetBaseAccountLogin(login != nullptr ? *login : CYolString(),
                                  password != nullptr ? *password : CYolString());
            break;
        }
        case ProtocolsManagerRequest::SaveAccounts:
            if (savePending.load(std::memory_order_acquire))
                SaveStoredAccounts();
            break;
        case ProtocolsManagerRequest::BuildServerAccountList:
            SaveStoredAccounts();
            if (MServerAccountList* list = serverList.load(std::memory_order_acquire))
                list->OnAccountListChanged();
            break;
        default:
            break;
    }
}

// --- account events ---------------------------------------------------------------

void CProtocolsManagerImpl::OnAccountEvent(const YOL_GUID& channel, int event, CEventArg* arg, CEventArg* extra) {
    const unsigned int* account = ArgValue<unsigned int>(arg);
    if (account == nullptr)
        return;
    CYolCriticalSection::Guard guard(accountLock);
    AccountInfo* info = Lookup(*account);
    // Only an account's own protocol speaks for it.
    if (info == nullptr || info->protocol != channel)
        return;

    if (event == AccountEvent::StatusChanged) {
        const StatusInfo* status = ArgValue<StatusInfo>(extra);
        if (status == nullptr)
            return;
        if (status->status == Connecting) {
            info->settings->SetDword(kLogonDateKey, static_cast<unsigned int>(CYolClock::Current().Now()));
            ScheduleSave();
        }
        PostRequest(ProtocolsManagerRequest::ComputeGlobalStatus, AccountIdArg(*account), NewArg(*status));
        return;
    }
    for (const AccountEventRow& row : kAccountEvents) {
        if (row.event != event)
            continue;
        // KillTimer without a timer would read as "every timer of the
        // account", which only a deletion may ask for.
        if (row.needsArgument && extra == nullptr)
            return;
        Broadcast(row.broadcast, AccountIdArg(*account), row.copy(extra), false);
        return;
    }
}

// --- global status ------------------------------------------------------------------

Status CProtocolsManagerImpl::GetGlobalStatus() {
    std::lock_guard<std::mutex> guard(globalLock);
    return static_cast<Status>(globalStatus);
}

StatusInfo CProtocolsManagerImpl::GlobalEntry(int status) {
    StatusInfo entry;
    GetStatusInfo(0, static_cast<Status>(status), entry);
    return entry;
}

void CProtocolsManagerImpl::ComputeGlobalStatus(unsigned int account, const StatusInfo& info) {
    const int s = info.status;
    const int g = GetGlobalStatus();
    auto setGlobal = [&](int status) {
        {
            std::lock_guard<std::mutex> guard(globalLock);
            globalStatus = status;
        }
        Broadcast(ProtocolsManagerEvent::StatusChanged, NewArg(0), NewArg(GlobalEntry(status)), false);
    };

    if ((s > Offline && g == Offline) || (s > Connecting && g == Connecting)) {
        setGlobal(s);
    } else if (!(s == Offline && g >= Connecting)) {
        // The global status follows the connected accounts while they agree.
        std::vector<int> connected;
        for (const AccountRef& ref : SnapshotAccounts()) {
            int status = QueryStatus(ref);
            if (IsConnectedStatus(status))
                connected.push_back(status);
        }
        if (!connected.empty() &&
            std::all_of(connected.begin(), connected.end(), [&](int status) { return status == connected[0]; }))
            setGlobal(connected[0]);
    } else {
        // An account went offline: fall to the highest status left once no
        // account stays connected (from Connecting only once all are offline).
        int highest = Offline;
        for (const AccountRef& ref : SnapshotAccounts())
            highest = std::max(highest, QueryStatus(ref));
        if ((g > Connecting && highest < Online) || (g == Connecting && highest == Offline))
            setGlobal(highest);
    }
    Broadcast(ProtocolsManagerEvent::StatusChanged, NewArg(static_cast<int>(account)), NewArg(info), false);
}

// --- the global status list -----------------------------------------------------------

// Waited for, at start-up as after a language change: the manager takes the
// filled title and list over once every subscriber has returned, and never
// reads them while a subscriber writes.
void CProtocolsManagerImpl::BroadcastStatusList() {
    auto staging = std::make_shared<StatusListStaging>();
    staging->list.SetGrowStep(10);
    {
        std::lock_guard<std::mutex> guard(globalLock);
        staging->title = globalStatusTitle;
    }
    CEventArg* title = new StagingArg<CYolString*, StatusListStaging>(&staging->title, staging);
    CEventArg* list = new StagingArg<CYolArray<StatusInfo>*, StatusListStaging>(&staging->list, staging);
    Broadcast(ProtocolsManagerEvent::StatusList, title, list, true);
    std::lock_guard<std::mutex> guard(globalLock);
    globalStatusTitle = staging->title;
    globalStatusList = staging->list;
}

void CProtocolsManagerImpl::OnLanguageChanged(CEventArg* language) {
    BroadcastStatusList();
    Broadcast(ProtocolsManagerEvent::StatusChanged, NewArg(0), NewArg(GlobalEntry(GetGlobalStatus())), false);
    const CYolString* name = ArgValue<CYolString>(language);
    CYolCriticalSection::Guard guard(accountLock);
    for (const AccountInfo& info : accounts) {
        services->SendEvent(info.clientId, ProtocolsManagerGuid, AccountCommand::SetLanguage,
                            NewArg(name != nullptr ? *name : CYolString()), nullptr, false);
    }
}

// --- extended status and logon date -------------------------------------------------------

unsigned int CProtocolsManagerImpl::GetXStatusId() {
    unsigned long id = 0;
    if (Database::CYolDatabase* db = DatabaseService(services))
        db->GetDword(ProtocolsManagerGuid, kXStatusIdKey, id);
    return static_cast<unsigned int>(id);
}

void CProtocolsManagerImpl::SetXStatus(unsigned int id, const CYolString& title, const CYolString& description) {
    if (Database::CYolDatabase* db = DatabaseService(services)) {
        db->SetDword(ProtocolsManagerGuid, kXStatusIdKey, id);
        if (id != 0) {
            db->SetString(ProtocolsManagerGuid, XStatusKey(u"XStatusTitle", id), title);
            db->SetString(ProtocolsManagerGuid, XStatusKey(u"XStatusDesc", id), description);
        }
    }
    if (services == nullptr)
        return;
    CYolCriticalSection::Guard guard(accountLock);
    for (const AccountInfo& info : accounts) {
        services->SendEvent(info.clientId, ProtocolsManagerGuid, AccountCommand::SetXStatus, NewArg(id),
                            NewArg(CYolPair<CYolString, CYolString>(title, description)), false);
    }
}

void CProtocolsManagerImpl::GetXStatusText(unsigned int id, CYolString& title, CYolString& description) {
    title = CYolString();
    description = CYolString();
    Database::CYolDatabase* db = DatabaseService(services);
    if (id == 0 || db == nullptr)
        return;
    db->GetString(ProtocolsManagerGuid, XStatusKey(u"XStatusTitle", id), title);
    db->GetString(ProtocolsManagerGuid, XStatusKey(u"XStatusDesc", id), description);
}

int CProtocolsManagerImpl::GetLogonDate(unsigned int account, CYolTime& out) {
    unsigned int seconds = 0;
    bool stored = GetAccountDword(account, kLogonDateKey, seconds);
    out = CYolTime(seconds);
    out.ToLocal();
    return stored ? 0 : 1;
}

}  // namespace Protocols
