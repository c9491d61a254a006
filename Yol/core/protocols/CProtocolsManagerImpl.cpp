// The protocols manager's birth and teardown, and the helpers every part of
// it uses to broadcast and to post to itself.

#include "CProtocolsManagerImpl.h"

#include "PluginExportTypes.h"

#include "CProtocolsManagerImplShared.h"

namespace Protocols {

using Services::CEventArg;
using Services::CEventArg_Data;

namespace {

// Registered in this order; the broadcast keys are kept by event number.
const int kRegisteredEvents[] = {
    ProtocolsManagerEvent::AccountsLoaded,      ProtocolsManagerEvent::StatusList,
    ProtocolsManagerEvent::AccountAdded,        ProtocolsManagerEvent::AccountRemoved,
    ProtocolsManagerEvent::AccountChanged,      ProtocolsManagerEvent::ClearContacts,
    ProtocolsManagerEvent::StatusChanged,       ProtocolsManagerEvent::MessageSent,
    ProtocolsManagerEvent::OwnDetailsReady,     ProtocolsManagerEvent::ContactDetailsReady,
    ProtocolsManagerEvent::SearchResult,        ProtocolsManagerEvent::AddStatusIcon,
    ProtocolsManagerEvent::SetStatusIcon,       ProtocolsManagerEvent::RemoveStatusIcon,
    ProtocolsManagerEvent::ShowText,            ProtocolsManagerEvent::Notification,
    ProtocolsManagerEvent::SetTimer,            ProtocolsManagerEvent::KillTimer,
    ProtocolsManagerEvent::OpenUrl,             ProtocolsManagerEvent::BaseAccountPrompt,
    ProtocolsManagerEvent::AccountsLoading,     ProtocolsManagerEvent::MetacontactsLoading,
    ProtocolsManagerEvent::Event84,             ProtocolsManagerEvent::Event85,
    ProtocolsManagerEvent::FileTransferProgress,
};

CYolString WithTrailingSlash(const CYolString& folder) {
    if (folder.IsEmpty() || folder.At(folder.Length() - 1) == u'/')
        return folder;
    return folder + u"/";
}

}  // namespace

std::atomic<CProtocolsManagerImpl*> g_protocolsManager{nullptr};

CProtocolsManagerImpl::CProtocolsManagerImpl(Services::CServicesManager* services, const CYolString& protocolsFolder)
    : services(services), protocolsFolder(WithTrailingSlash(protocolsFolder)) {
    accounts.SetGrowStep(10);
    globalStatusList.SetGrowStep(10);
    g_protocolsManager.store(this, std::memory_order_release);
    if (services == nullptr)
        return;
    serviceKey = services->RegisterService(ProtocolsManagerGuid, static_cast<CProtocolsManager*>(this));
    // Before any account exists; a factory registered by someone else stays.
    argFactoryKey = services->RegisterService(EventArgFactoryGuid, static_cast<CEventArgFactory*>(&argFactory));
    clientId = services->RegisterEventsClient(&handler, CYolString(u"Protocols manager"));
    for (int event : kRegisteredEvents)
        eventKeys[event] = services->RegisterEvent(ProtocolsManagerGuid, event);
    startSubscription = services->Subscribe(ServicesManagerGuid, 1, clientId);
}

CProtocolsManagerImpl::~CProtocolsManagerImpl() {
    Teardown();
    CProtocolsManagerImpl* self = this;
    g_protocolsManager.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
}

void CProtocolsManagerImpl::Teardown() {
    // No account event, request or deferred save runs from here on: what is
    // queued is dropped, and a handler still running is waited for.
    if (services != nullptr && clientId != 0)
        services->UnregisterEventsClient(clientId);

    std::vector<AccountRef> refs;
    {
        CYolCriticalSection::Guard guard(accountLock);
        tornDown = true;
        for (const AccountInfo& info : accounts)
            refs.push_back({info.id, info.clientId, info.protocol});
    }
    for (const AccountRef& ref : refs) {
        Broadcast(ProtocolsManagerEvent::KillTimer, AccountIdArg(ref.id), nullptr, true);
        if (services != nullptr) {
            services->SendEvent(ref.clientId, ProtocolsManagerGuid, AccountCommand::Shutdown, nullptr, nullptr, true);
            services->UnregisterEventsClient(ref.clientId);
        }
        CYolDll dll;
        {
            CYolCriticalSection::Guard guard(accountLock);
            if (AccountInfo* info = Lookup(ref.id))
                dll = info->dll;
        }
        std::lock_guard<std::mutex> creation(creationLock);
        if (auto destroy = FindExport<DestroyAccountFuncPtr>(dll, DestroyAccountFuncName))
            destroy(ref.clientId);
    }
    // The settings as the accounts left them when they shut down.
    SaveStoredAccounts();

    CYolArray<AccountInfo> gone;
    {
        CYolCriticalSection::Guard guard(accountLock);
        gone = std::move(accounts);
    }
    for (AccountInfo& info : gone)
        UnloadPlugin(info.dll);

    std::vector<std::shared_ptr<ProtocolEntry>> entries;
    {
        CYolCriticalSection::Guard guard(protocolLock);
        for (auto [id, entry] : protocols)
            entries.push_back(entry);
    }
    ReleaseImages(entries);

    if (services == nullptr)
        return;
    for (const auto& [event, key] : eventKeys)
        services->UnregisterEvent(key);
    if (serviceKey != 0)
        services->UnregisterService(serviceKey);
    if (argFactoryKey != 0)
        services->UnregisterService(argFactoryKey);
}

CEventArg* CProtocolsManagerImpl::AccountIdArg(unsigned int account) {
    return new CEventArg_Data<unsigned int>(account);
}

int CProtocolsManagerImpl::Broadcast(int event, CEventArg* arg, CEventArg* extra, bool wait) {
    auto found = eventKeys.find(event);
    if (services == nullptr || found == eventKeys.end() || found->second == 0) {
        ReleaseUnsent(arg, extra);
        return -2;
    }
    return services->BroadcastEvent(found->second, arg, extra, wait);
}

bool CProtocolsManagerImpl::PostRequest(int request, CEventArg* arg, CEventArg* extra) {
    if (services == nullptr || clientId == 0) {
        ReleaseUnsent(arg, extra);
        return false;
    }
    return services->SendEvent(clientId, ProtocolsManagerGuid, request, arg, extra, false) == 1;
}

void CProtocolsManagerImpl::SetServerAccountList(MServerAccountList* list) {
    serverList.store(list, std::memory_order_release);
}

// Settings change often (a status change stores "Logon date"); they are
// written once per burst, from the manager's own queue.
void CProtocolsManagerImpl::ScheduleSave() {
    if (savePending.exchange(true, std::memory_order_acq_rel))
        return;
    if (!PostRequest(ProtocolsManagerRequest::SaveAccounts, nullptr, nullptr))
        savePending.store(false, std::memory_order_release);
}

}  // namespace Protocols
