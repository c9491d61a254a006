#include "CAccount.h"

#include "CContactList.h"
#include "YolGuids.h"

#include <array>

namespace Protocols {

namespace {

// The value a delivered argument holds. Senders use exactly the types that
// AccountEvents.h names for each event, so the cast is to the real type.
template <typename T>
T& Held(Services::CEventArg* arg) {
    return static_cast<Services::CEventArg_Data<T>*>(arg)->data;
}

using Thunk = int (*)(CAccount& account, Services::CEventArg* a, Services::CEventArg* b);

struct Row {
    int event;
    Thunk call;
};

}  // namespace

// The tables live in a friend so that their thunks reach the protected
// operations. Strings "copied, by reference" are copied here and the copy
// dies after the call; by-value parameters get their copy from the call.
struct CAccount::Dispatch {
    using A = Services::CEventArg*;

    static constexpr Row commands[] = {
        {AccountCommand::Init, [](CAccount& c, A, A) { return c.OnInit(); }},
        {AccountCommand::Ready, [](CAccount& c, A, A) { return c.OnReady(); }},
        {AccountCommand::Shutdown, [](CAccount& c, A, A) { return c.OnShutdown(); }},
        {AccountCommand::GetLogin, [](CAccount& c, A a, A) { return c.GetLogin(Held<CYolString*>(a)); }},
        {AccountCommand::SetStatus, [](CAccount& c, A a, A) { return c.SetStatus(Held<Status>(a)); }},
        {AccountCommand::GetStatus, [](CAccount& c, A, A) { return c.GetStatus(); }},
        {AccountCommand::GetStatusInfo,
         [](CAccount& c, A a, A b) { return c.GetStatusInfo(Held<Status>(a), Held<StatusInfo*>(b)); }},
        // The menu comes first on the wire and second in the call.
        {AccountCommand::GetAccountMenu,
         [](CAccount& c, A a, A b) { return c.GetAccountMenu(Held<unsigned int>(b), Held<CYolMenuInfo*>(a)); }},
        {AccountCommand::GetContactStatus,
         [](CAccount& c, A a, A b) {
             return c.GetContactStatus(Held<unsigned int>(a), Held<ContactStatusInfo*>(b));
         }},
        {AccountCommand::CreateSettingsPanes,
         [](CAccount& c, A a, A) { return c.CreateSettingsPanes(Held<YolTabDlg::CDlgInfo*>(a)); }},
        {AccountCommand::Menu60, [](CAccount& c, A, A b) { return c.OnMenu60(Held<CYolMenuInfo*>(b)); }},
        {AccountCommand::Menu61,
         [](CAccount& c, A a, A b) { return c.OnMenu61(Held<unsigned int>(a), Held<CYolMenuInfo*>(b)); }},
        {AccountCommand::GetContactMenu,
         [](CAccount& c, A a, A b) { return c.GetContactMenu(Held<unsigned int>(a), Held<CYolMenuInfo*>(b)); }},
        {AccountCommand::GetContactQuickMenu,
         [](CAccount& c, A a, A b) {
             return c.GetContactQuickMenu(Held<unsigned int>(a), Held<CYolMenuInfo*>(b));
         }},
        {AccountCommand::AddGroup,
         [](CAccount& c, A a, A) {
             CYolString name(Held<CYolString>(a));
             return c.AddGroup(name);
         }},
        {AccountCommand::RenameGroup,
         [](CAccount& c, A a, A b) {
             CYolString name(Held<CYolString>(b));
             return c.RenameGroup(Held<unsigned int>(a), name);
         }},
        {AccountCommand::DeleteGroup, [](CAccount& c, A a, A) { return c.DeleteGroup(Held<unsigned int>(a)); }},
        {AccountCommand::AddContact,
         [](CAccount& c, A a, A b) {
             StringPair loginAndName(Held<StringPair>(a));
             return c.AddContact(loginAndName.first, loginAndName.second, Held<unsigned int>(b));
         }},
        {AccountCommand::RenameContact,
         [](CAccount& c, A a, A b) {
             CYolString name(Held<CYolString>(b));
             return c.RenameContact(Held<unsigned int>(a), name);
         }},
        {AccountCommand::MoveContact,
         [](CAccount& c, A a, A b) { return c.MoveContact(Held<unsigned int>(a), Held<unsigned int>(b)); }},
        {AccountCommand::DeleteContact, [](CAccount& c, A a, A) { return c.DeleteContact(Held<unsigned int>(a)); }},
        {AccountCommand::RequestContactInfo,
         [](CAccount& c, A a, A) { return c.RequestContactInfo(Held<unsigned int>(a)); }},
        {AccountCommand::SendMessage, [](CAccount& c, A a, A) { return c.SendMessage(Held<MessageInfo>(a)); }},
        {AccountCommand::CreateOwnDetailsPanes,
         [](CAccount& c, A a, A) { return c.CreateOwnDetailsPanes(Held<YolTabDlg::CDlgInfo*>(a)); }},
        {AccountCommand::CreateContactDetailsPanes,
         [](CAccount& c, A a, A b) {
             return c.CreateContactDetailsPanes(Held<unsigned int>(a), Held<YolTabDlg::CDlgInfo*>(b));
         }},
        {AccountCommand::SetLanguage,
         [](CAccount& c, A a, A) {
             CYolString language(Held<CYolString>(a));
             return c.SetLanguage(language);
         }},
        {AccountCommand::StartSearch,
         [](CAccount& c, A a, A) { return c.StartSearch(static_cast<int>(Held<unsigned int>(a))); }},
        {AccountCommand::CreateSearchPanes,
         [](CAccount& c, A, A b) { return c.CreateSearchPanes(Held<YolTabDlg::CDlgInfo*>(b)); }},
        {AccountCommand::Contact80, [](CAccount& c, A a, A) { return c.OnContact80(Held<unsigned int>(a)); }},
        {AccountCommand::SendTyping,
         [](CAccount& c, A a, A b) { return c.SendTyping(Held<unsigned int>(a), Held<bool>(b)); }},
        {AccountCommand::Contact82,
         [](CAccount& c, A a, A b) { return c.OnContact82(Held<unsigned int>(a), Held<bool>(b)); }},
        {AccountCommand::GetAccountObject,
         [](CAccount& c, A a, A) {
             *Held<void**>(a) = static_cast<void*>(&c);
             return 0;
         }},
        {AccountCommand::Notify84, [](CAccount& c, A a, A) { return c.OnNotify84(Held<unsigned int>(a)); }},
        {AccountCommand::StringList,
         [](CAccount& c, A a, A) { return c.SetStringList(Held<CYolArray<CYolString>>(a)); }},
        {AccountCommand::ReloadSettings, [](CAccount& c, A, A) { return c.ReloadSettings(); }},
        {AccountCommand::SetAuthorization,
         [](CAccount& c, A a, A b) { return c.SetAuthorization(Held<unsigned int>(a), Held<bool>(b)); }},
        {AccountCommand::SetXStatus,
         [](CAccount& c, A a, A b) {
             StringPair texts(Held<StringPair>(b));
             return c.SetXStatus(Held<unsigned int>(a), texts.first, texts.second);
         }},
        {AccountCommand::SendFile,
         [](CAccount& c, A a, A b) { return c.SendFile(Held<unsigned int>(a), Held<CYolString>(b)); }},
        {AccountCommand::AcceptFile,
         [](CAccount& c, A a, A b) {
             StringPair nameAndTarget(Held<StringPair>(b));
             return c.AcceptFile(Held<unsigned int>(a), nameAndTarget.first, nameAndTarget.second);
         }},
        {AccountCommand::RefuseFile,
         [](CAccount& c, A a, A b) { return c.RefuseFile(Held<unsigned int>(a), Held<CYolString>(b)); }},
    };

    // Operation order differs from the event numbers: connected, data, send
    // error, closed.
    static constexpr Row sockets[] = {
        {SocketEvent::ConnectResult,
         [](CAccount& c, A a, A b) { return c.OnSocketConnected(Held<Sockets::CYolSocket*>(a), Held<int>(b)); }},
        {SocketEvent::Closed,
         [](CAccount& c, A a, A b) { return c.OnSocketClosed(Held<Sockets::CYolSocket*>(a), Held<int>(b)); }},
        {SocketEvent::DataAvailable,
         [](CAccount& c, A a, A b) { return c.OnSocketData(Held<Sockets::CYolSocket*>(a), Held<int>(b)); }},
        {SocketEvent::SendError,
         [](CAccount& c, A a, A b) { return c.OnSocketSendError(Held<Sockets::CYolSocket*>(a), Held<int>(b)); }},
        {SocketEvent::Progress,
         [](CAccount& c, A a, A b) {
             return c.OnSocketProgress(Held<Sockets::CYolSocket*>(a), Held<CYolString>(b));
         }},
        {SocketEvent::Error,
         [](CAccount& c, A a, A b) { return c.OnSocketError(Held<Sockets::CYolSocket*>(a), Held<CYolString>(b)); }},
    };

    static constexpr Row timers[] = {
        {TimerEvent::Fire, [](CAccount& c, A a, A) { return c.OnTimerFire(Held<TimerRequest>(a)); }},
    };

    // Index = event number - AccountCommand::First; numbers without a row
    // stay null and answer 0.
    static const std::array<Thunk, AccountCommand::Last - AccountCommand::First + 1>& CommandIndex() {
        static const auto index = [] {
            std::array<Thunk, AccountCommand::Last - AccountCommand::First + 1> built{};
            for (const Row& row : commands)
                built[row.event - AccountCommand::First] = row.call;
            return built;
        }();
        return index;
    }

    template <size_t N>
    static Thunk Find(const Row (&rows)[N], int event) {
        for (const Row& row : rows)
            if (row.event == event)
                return row.call;
        return nullptr;
    }
};

CAccount::CAccount(Services::CServicesManager* manager, unsigned int account, unsigned int managerClient)
    : servicesManager(manager), accountId(account), managerClientId(managerClient) {
    if (servicesManager == nullptr)
        return;
    argFactory = static_cast<CEventArgFactory*>(servicesManager->GetService(EventArgFactoryGuid));
    clientId = servicesManager->RegisterEventsClient(this, CAccount::GetProtocolName());
    registered = clientId != 0;
}

CAccount::~CAccount() {
    StopEvents();
}

void CAccount::StopEvents() {
    if (registered.exchange(false))
        servicesManager->UnregisterEventsClient(clientId);
}

void CAccount::Destroy() {
    StopEvents();
    if (IsOnAccountThread()) {
        destroyWhenIdle = true;
        return;
    }
    DeleteUnlessHeld();
}

void CAccount::DeleteUnlessHeld() {
    {
        std::lock_guard<std::mutex> hold(paneLock);
        if (paneHolds > 0) {
            destroyWhenReleased = true;
            return;
        }
    }
    delete this;
}

void CAccount::HoldForPane() {
    std::lock_guard<std::mutex> hold(paneLock);
    ++paneHolds;
}

void CAccount::ReleasePane() {
    {
        std::lock_guard<std::mutex> hold(paneLock);
        if (paneHolds == 0 || --paneHolds > 0 || !destroyWhenReleased)
            return;
    }
    delete this;
}

int CAccount::PaneHolds() const {
    std::lock_guard<std::mutex> hold(paneLock);
    return paneHolds;
}

int CAccount::OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* first, Services::CEventArg* second) {
    handlerThread = std::this_thread::get_id();
    ++handlerDepth;
    int result = 0;
    try {
        result = Handle(channel, event, first, second);
    } catch (...) {
        --handlerDepth;
        if (handlerDepth == 0 && destroyWhenIdle)
            DeleteUnlessHeld();
        throw;
    }
    if (--handlerDepth == 0 && destroyWhenIdle)
        DeleteUnlessHeld();
    return result;
}

int CAccount::Handle(const YOL_GUID& channel, int event, Services::CEventArg* first, Services::CEventArg* second) {
    Thunk call = nullptr;
    if (channel == ProtocolsManagerGuid) {
        if (event >= AccountCommand::First && event <= AccountCommand::Last)
            call = Dispatch::CommandIndex()[event - AccountCommand::First];
    } else if (channel == SocketsManagerGuid) {
        call = Dispatch::Find(Dispatch::sockets, event);
    } else if (channel == TimerServiceGuid) {
        call = Dispatch::Find(Dispatch::timers, event);
    } else {
        return OnOtherEvent(channel, event, first, second);
    }
    return call != nullptr ? call(*this, first, second) : 0;
}

CYolString CAccount::GetProtocolName() { return CYolString(); }

int CAccount::OnInit() { return 0; }
int CAccount::OnReady() { return 0; }
int CAccount::OnShutdown() { return 0; }
int CAccount::GetLogin(CYolString*) { return 0; }
int CAccount::SetStatus(Status) { return 0; }
int CAccount::GetStatus() { return 0; }
int CAccount::GetStatusInfo(Status, StatusInfo*) { return 0; }
int CAccount::GetAccountMenu(unsigned int, CYolMenuInfo*) { return 0; }
int CAccount::GetContactStatus(unsigned int, ContactStatusInfo*) { return 0; }
int CAccount::CreateSettingsPanes(YolTabDlg::CDlgInfo*) { return 0; }
int CAccount::OnMenu60(CYolMenuInfo*) { return 0; }
int CAccount::OnMenu61(unsigned int, CYolMenuInfo*) { return 0; }
int CAccount::GetContactMenu(unsigned int, CYolMenuInfo*) { return 0; }
int CAccount::GetContactQuickMenu(unsigned int, CYolMenuInfo*) { return 0; }
int CAccount::AddGroup(const CYolString&) { return 0; }
int CAccount::RenameGroup(unsigned int, const CYolString&) { return 0; }
int CAccount::DeleteGroup(unsigned int) { return 0; }
int CAccount::AddContact(const CYolString&, const CYolString&, unsigned int) { return 0; }
int CAccount::RenameContact(unsigned int, const CYolString&) { return 0; }
int CAccount::MoveContact(unsigned int, unsigned int) { return 0; }
int CAccount::DeleteContact(unsigned int) { return 0; }
int CAccount::RequestContactInfo(unsigned int) { return 0; }
int CAccount::SendMessage(MessageInfo) { return 0; }
int CAccount::CreateOwnDetailsPanes(YolTabDlg::CDlgInfo*) { return 0; }
int CAccount::CreateContactDetailsPanes(unsigned int, YolTabDlg::CDlgInfo*) { return 0; }
int CAccount::SetLanguage(const CYolString&) { return 0; }
int CAccount::CreateSearchPanes(YolTabDlg::CDlgInfo*) { return 0; }
int CAccount::StartSearch(int) { return 0; }
int CAccount::OnContact80(unsigned int) { return 0; }
int CAccount::SendTyping(unsigned int, bool) { return 0; }
int CAccount::SetAuthorization(unsigned int, bool) { return 0; }
int CAccount::SetXStatus(unsigned int, const CYolString&, const CYolString&) { return 0; }
int CAccount::OnContact82(unsigned int, bool) { return 0; }
int CAccount::OnNotify84(unsigned int) { return 0; }
int CAccount::SetStringList(CYolArray<CYolString>) { return 0; }
int CAccount::ReloadSettings() { return 0; }
int CAccount::AcceptFile(unsigned int, CYolString, CYolString) { return 0; }
int CAccount::SendFile(unsigned int, CYolString) { return 0; }
int CAccount::RefuseFile(unsigned int, CYolString) { return 0; }
int CAccount::OnSocketConnected(Sockets::CYolSocket*, int) { return 0; }
int CAccount::OnSocketData(Sockets::CYolSocket*, int) { return 0; }
int CAccount::OnSocketSendError(Sockets::CYolSocket*, int) { return 0; }
int CAccount::OnSocketClosed(Sockets::CYolSocket*, int) { return 0; }
int CAccount::OnSocketProgress(Sockets::CYolSocket*, const CYolString&) { return 0; }
int CAccount::OnSocketError(Sockets::CYolSocket*, const CYolString&) { return 0; }
int CAccount::OnOtherEvent(const YOL_GUID&, int, Services::CEventArg*, Services::CEventArg*) { return 0; }

// Arguments leave the plug-in only when the program's factory made them; a
// plug-in without one sends nothing rather than arguments that would pin the
// library.
namespace {

template <typename Method, typename T>
Services::CEventArg* MakeArg(CEventArgFactory* factory, Method method, const T& value) {
    return factory != nullptr ? (factory->*method)(value) : nullptr;
}

}  // namespace

Services::CEventArg* CAccount::NewUIntEventArg(unsigned int value) const {
    return MakeArg(argFactory, &CEventArgFactory::NewUInt, value);
}
Services::CEventArg* CAccount::NewIntEventArg(int value) const {
    return MakeArg(argFactory, &CEventArgFactory::NewInt, value);
}
Services::CEventArg* CAccount::NewBoolEventArg(bool value) const {
    return MakeArg(argFactory, &CEventArgFactory::NewBool, value);
}
Services::CEventArg* CAccount::NewStatusEventArg(Status value) const {
    return MakeArg(argFactory, &CEventArgFactory::NewStatus, value);
}
Services::CEventArg* CAccount::NewStringEventArg(const CYolString& value) const {
    return MakeArg(argFactory, &CEventArgFactory::NewString, value);
}
Services::CEventArg* CAccount::NewUIntArrayEventArg(const CYolArray<unsigned int>& value) const {
    return MakeArg(argFactory, &CEventArgFactory::NewUIntArray, value);
}
Services::CEventArg* CAccount::NewStatusInfoEventArg(const StatusInfo& value) const {
    return MakeArg(argFactory, &CEventArgFactory::NewStatusInfo, value);
}
Services::CEventArg* CAccount::NewStatusIconEventArg(const StatusIconInfo& value) const {
    return MakeArg(argFactory, &CEventArgFactory::NewStatusIconInfo, value);
}
Services::CEventArg* CAccount::NewUserInfoEventArg(const UserInfo& value) const {
    return MakeArg(argFactory, &CEventArgFactory::NewUserInfo, value);
}
Services::CEventArg* CAccount::NewNotificationInfoEventArg(const NotificationInfo& value) const {
    return MakeArg(argFactory, &CEventArgFactory::NewNotificationInfo, value);
}
Services::CEventArg* CAccount::NewFTProgressEventArg(const FTProgress& value) const {
    return MakeArg(argFactory, &CEventArgFactory::NewFTProgress, value);
}
Services::CEventArg* CAccount::NewTimerInfoEventArg(const TimerInfo& value) const {
    return MakeArg(argFactory, &CEventArgFactory::NewTimerInfo, value);
}
Services::CEventArg* CAccount::NewTimerRequestEventArg(const TimerRequest& value) const {
    return MakeArg(argFactory, &CEventArgFactory::NewTimerRequest, value);
}

namespace {

// An argument nobody took yet has count 0: AddRef(0) frees it.
void Discard(Services::CEventArg* arg) {
    if (arg != nullptr)
        arg->AddRef(0);
}

}  // namespace

int CAccount::SendAccountEvent(int event, Services::CEventArg* second) {
    Services::CEventArg* id = servicesManager != nullptr ? NewUIntEventArg(accountId) : nullptr;
    if (id == nullptr) {
        Discard(second);
        return -1;
    }
    return servicesManager->SendEvent(managerClientId, protocolId, event, id, second, false);
}

int CAccount::RaiseClearContacts() {
    unsigned int generation = 0;
    if (servicesManager != nullptr)
        if (auto* list = static_cast<CL::CContactList*>(servicesManager->GetService(ContactListGuid)))
            generation = list->RetireAccountItems(accountId);
    return SendAccountEvent(AccountEvent::ClearContacts, generation != 0 ? NewUIntEventArg(generation) : nullptr);
}

void CAccount::ReportMessageNotSent(const MessageInfo& message) const {
    if (servicesManager == nullptr || message.contactId == 0)
        return;
    if (auto* list = static_cast<CL::CContactList*>(servicesManager->GetService(ContactListGuid)))
        list->NotifyMessageNotSent(message.contactId, message);
}

int CAccount::PostToSelf(const YOL_GUID& channel, int event, Services::CEventArg* first,
                         Services::CEventArg* second) {
    if (servicesManager == nullptr || !registered) {
        Discard(first);
        Discard(second);
        return -2;
    }
    return servicesManager->SendEvent(clientId, channel, event, first, second, false);
}

namespace {

// Fire times are local calendar times in whole seconds; a delay never fires
// early, so part of a second counts as a whole one.
CYolTime FireTimeAfter(unsigned int delayMs) {
    CYolTime now;
    unsigned long long at = now.GetUnixTime() + (static_cast<unsigned long long>(delayMs) + 999) / 1000;
    CYolTime fire(static_cast<unsigned int>(at));
    fire.ToLocal();
    return fire;
}

}  // namespace

bool CAccount::StartTimer(unsigned int delayMs, TimerCallback callback, void* context) {
    if (callback == nullptr || !IsOnAccountThread())
        return false;
    StopTimer(callback, context);

    TimerRequest request;
    request.fireTime = FireTimeAfter(delayMs);
    request.info = TimerInfo{callback, context};
    request.clientId = clientId;
    request.requestId = nextTimerRequest++;
    if (nextTimerRequest == 0)
        nextTimerRequest = 1;

    timers.push_back(request);
    if (SendAccountEvent(AccountEvent::SetTimer, NewTimerRequestEventArg(request)) == 1)
        return true;
    timers.pop_back();
    return false;
}

bool CAccount::StopTimer(TimerCallback callback, void* context) {
    if (!IsOnAccountThread())
        return false;
    const TimerInfo info{callback, context};
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if (it->info == info) {
            timers.erase(it);
            SendAccountEvent(AccountEvent::KillTimer, NewTimerInfoEventArg(info));
            return true;
        }
    }
    return false;
}

bool CAccount::IsTimerRunning(TimerCallback callback, void* context) const {
    const TimerInfo info{callback, context};
    for (const TimerRequest& request : timers)
        if (request.info == info)
            return true;
    return false;
}

// The timer service forgets a request once it has posted its fire, so the
// timer runs again only when the call-back asks for it. A fire that is not
// one of ours any more (stopped, or replaced, while it was on its way) is
// dropped.
int CAccount::OnTimerFire(const TimerRequest& fired) {
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if (it->requestId == fired.requestId && it->info == fired.info) {
            const TimerInfo info = it->info;
            timers.erase(it);
            unsigned int next = info.callback(info.context);
            if (next != 0 && !IsTimerRunning(info.callback, info.context))
                StartTimer(next, info.callback, info.context);
            return 0;
        }
    }
    return 0;
}

}  // namespace Protocols
