#include "CoreServices.h"

#include "AccountEvents.h"
#include "CContactListImpl.h"
#include "CContactListImplStoreLink.h"
#include "CEventArg.h"
#include "CProtocolsManagerImpl.h"
#include "CServerStore.h"
#include "CServerStoreBridge.h"
#include "CServicesManagerImpl.h"
#include "CSkinManagerImpl.h"
#include "CSocketsManagerImpl.h"
#include "CTimerService.h"
#include "CYolDatabaseImpl.h"
#include "ProtocolsManagerEvents.h"
#include "YolGuids.h"

#include <new>
#include <vector>

namespace Core {

Database::CYolDatabaseImpl* g_database = nullptr;
Skins::CSkinManagerImpl* g_skinManager = nullptr;
Sockets::CSocketsManagerImpl* g_socketsManager = nullptr;
CServerStore* g_serverStore = nullptr;
CL::CContactListImpl* g_contactList = nullptr;
Protocols::CProtocolsManagerImpl* g_protocolsManager = nullptr;
Services::CTimerService* g_timerService = nullptr;

namespace {

CL::CServerStoreLink* g_storeLink = nullptr;
CServerStoreBridge* g_storeBridge = nullptr;

// Null when there was no memory for it; the caller goes on without it.
template <typename T, typename... Args>
T* Make(Args&&... args) {
    try {
        return new T(std::forward<Args>(args)...);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

template <typename T>
void Destroy(T*& object) {
    delete object;
    object = nullptr;
}

// Plug-in threads call into the contact-list model, which goes before the
// manager: so, before the model is destroyed, every account is shut down and
// its queue stopped, and the manager's own queue (which starts accounts and
// passes their reports on) is stopped first. The manager's destructor then
// finds the accounts quiet, destroys them and saves "Accounts data" as usual.
void StopAccounts(Protocols::CProtocolsManagerImpl& manager) {
    Services::CServicesManager* services = manager.GetServices();
    if (services == nullptr)
        return;
    if (manager.GetEventsClientId() != 0)
        services->UnregisterEventsClient(manager.GetEventsClientId());
    struct Account {
        unsigned int id;
        unsigned int clientId;
    };
    std::vector<Account> accounts;
    for (unsigned int index = 0;; ++index) {
        unsigned int id = manager.GetAccountId(index);
        if (id == 0)
            break;
        accounts.push_back({id, manager.GetAccountClientId(id)});
    }
    for (const Account& account : accounts) {
        manager.Broadcast(Protocols::ProtocolsManagerEvent::KillTimer,
                          new Services::CEventArg_Data<unsigned int>(account.id), nullptr, true);
        if (account.clientId == 0)
            continue;
        services->SendEvent(account.clientId, ProtocolsManagerGuid, Protocols::AccountCommand::Shutdown, nullptr,
                            nullptr, true);
        services->UnregisterEventsClient(account.clientId);
    }
}

}  // namespace

void CreateServices(Services::CServicesManager& services) {
    g_database = Make<Database::CYolDatabaseImpl>(&services);
    g_skinManager = Make<Skins::CSkinManagerImpl>(&services);
    g_socketsManager = Make<Sockets::CSocketsManagerImpl>(&services);
    g_serverStore = Make<CServerStore>(&services);
    g_contactList = Make<CL::CContactListImpl>(&services);
    if (g_contactList != nullptr && g_serverStore != nullptr) {
        g_storeLink = Make<CL::CServerStoreLink>(*g_serverStore);
        g_contactList->SetServerStore(g_storeLink);
    }
    g_protocolsManager = Make<Protocols::CProtocolsManagerImpl>(&services);
    if (g_protocolsManager != nullptr)
        g_timerService = Make<Services::CTimerService>(&services);
    if (g_protocolsManager != nullptr && g_serverStore != nullptr) {
        g_storeBridge = Make<CServerStoreBridge>(*g_protocolsManager, *g_serverStore, g_contactList);
        if (g_storeBridge != nullptr)
            g_storeBridge->Attach();
    }
}

void StartServices(Services::CServicesManagerImpl& manager) {
    manager.BroadcastStarted();
}

void DestroyServices(Services::CServicesManagerImpl& manager) {
    if (g_protocolsManager != nullptr)
        StopAccounts(*g_protocolsManager);
    if (g_storeBridge != nullptr)
        g_storeBridge->DetachModel();
    Destroy(g_contactList);
    Destroy(g_storeLink);

    if (g_storeBridge != nullptr)
        g_storeBridge->DetachManager();
    Destroy(g_protocolsManager);
    // After the manager: its teardown still tells the timers which accounts went.
    Destroy(g_timerService);
    Destroy(g_storeBridge);

    Destroy(g_serverStore);
    Destroy(g_socketsManager);
    Destroy(g_skinManager);
    Destroy(g_database);
    manager.StopAllQueues();
}

void CreateServices() {
    CreateServices(Services::CServicesManagerImpl::Instance());
}

void StartServices() {
    StartServices(Services::CServicesManagerImpl::Instance());
}

void DestroyServices() {
    DestroyServices(Services::CServicesManagerImpl::Instance());
}

}  // namespace Core
