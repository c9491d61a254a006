#include "CServerStore.h"

#include "CEventArg.h"
#include "CProtocolsManager.h"
#include "CSocketsManager.h"
#include "CYolDatabase.h"
#include "ServerStoreChanges.h"
#include "YolGuids.h"

#include <cstdlib>

namespace {

constexpr char16_t kEnabledKey[] = u"ServerStore";

}  // namespace

// The base account as the protocols manager service holds it, looked up on
// every call: the manager is made after the store and goes before it.
class CServerStore::ServiceAccounts final : public MServerStoreAccounts {
public:
    explicit ServiceAccounts(Services::CServicesManager* services) : services(services) {}
    ~ServiceAccounts() = default;

    unsigned int GetBaseAccount() override {
        auto* m = Manager();
        return m != nullptr ? m->GetBaseAccount() : 0;
    }
    bool GetAccountString(unsigned int account, const CYolString& key, CYolString& value, bool isProtected) override {
        auto* m = Manager();
        return m != nullptr && m->GetAccountString(account, key, value, isProtected);
    }
    bool GetAccountByte(unsigned int account, const CYolString& key, unsigned char& value) override {
        auto* m = Manager();
        return m != nullptr && m->GetAccountByte(account, key, value);
    }
    bool GetAccountBlob(unsigned int account, const CYolString& key, void* buffer, unsigned int& size) override {
        auto* m = Manager();
        return m != nullptr && m->GetAccountBlob(account, key, buffer, size);
    }
    void GetAccountProtocolInfo(Protocols::ProtocolRecord& out, unsigned int account) override {
        if (auto* m = Manager())
            m->GetAccountProtocolInfo(out, account);
    }

private:
    Protocols::CProtocolsManager* Manager() const {
        return services != nullptr
                   ? static_cast<Protocols::CProtocolsManager*>(services->GetService(ProtocolsManagerGuid))
                   : nullptr;
    }

    Services::CServicesManager* services;
};

CServerStore::CServerStore(Services::CServicesManager* services)
    : services(services), serviceAccounts(std::make_unique<ServiceAccounts>(services)) {
    batch.SetGrowStep(10);
    if (Database::CYolDatabase* db = DatabaseService()) {
        unsigned char on = 1;
        if (db->GetByte(ServerStoreGuid, kEnabledKey, on))
            enabled = on != 0;
    }
    // The time-out comes back to the store's own thread as an event, where
    // it meets the exchange it was armed for or finds it over.
    watchdog = std::make_unique<CServerStoreWatchdog>([this](unsigned int which) {
        this->services->SendEvent(clientId, ServerStoreGuid, kTimeoutEvent,
                                  new Services::CEventArg_Data<unsigned int>(which), nullptr, false);
    });
    if (services != nullptr)
        clientId = services->RegisterEventsClient(this, CYolString(u"ServerStore"));
}

CServerStore::~CServerStore() {
    if (services != nullptr && clientId != 0)
        services->UnregisterEventsClient(clientId);
    watchdog.reset();
    DropSocket();
}

void CServerStore::SetAccounts(MServerStoreAccounts* source) { accounts.store(source); }

void CServerStore::SetLists(MServerStoreLists* sink) { lists.store(sink); }

MServerStoreAccounts* CServerStore::Accounts() const {
    MServerStoreAccounts* set = accounts.load();
    return set != nullptr ? set : serviceAccounts.get();
}

Database::CYolDatabase* CServerStore::DatabaseService() const {
    return services != nullptr ? static_cast<Database::CYolDatabase*>(services->GetService(DatabaseGuid)) : nullptr;
}

Sockets::CSocketsManager* CServerStore::SocketsService() const {
    return services != nullptr ? static_cast<Sockets::CSocketsManager*>(services->GetService(SocketsManagerGuid))
                               : nullptr;
}

void CServerStore::SetEnabled(bool on) {
    enabled = on;
    if (Database::CYolDatabase* db = DatabaseService())
        db->SetByte(ServerStoreGuid, kEnabledKey, on ? 1 : 0);
}

// --- queueing (any thread) -----------------------------------------------------------

void CServerStore::Enqueue(OpData op, bool atFront) {
    CYolCriticalSection::Guard hold(lock);
    if (atFront)
        queue.push_front(std::move(op));
    else
        queue.push_back(std::move(op));
}

void CServerStore::PostWork() {
    if (services != nullptr)
        services->SendEvent(clientId, ServerStoreGuid, kWorkEvent, nullptr, nullptr, false);
}

int CServerStore::QueueRead(unsigned int requester) {
    Enqueue(OpData{OpRead, requester, {}, 0});
    PostWork();
    return 1;
}

int CServerStore::QueueSave(unsigned int requester, void* data, unsigned int length) {
    std::vector<unsigned char> bytes;
    if (data != nullptr)
        bytes.assign(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + length);
    std::free(data);
    return QueueSave(requester, std::move(bytes));
}

int CServerStore::QueueSave(unsigned int requester, std::vector<unsigned char> data) {
    Enqueue(OpData{OpSaveAccountList, requester, std::move(data), 0});
    PostWork();
    return 1;
}

int CServerStore::Pending() {
    CYolCriticalSection::Guard hold(lock);
    return static_cast<int>(queue.size());
}

std::string CServerStore::GetChangeKey() {
    CYolCriticalSection::Guard hold(lock);
    return changeKeyCopy;
}

// --- change documents ------------------------------------------------------------------

void CServerStore::BeginBatch() {
    CYolCriticalSection::Guard hold(lock);
    batchOpen = true;
}

int CServerStore::EndBatch(unsigned int requester) {
    {
        CYolCriticalSection::Guard hold(lock);
        if (!batchOpen)
            return 0;
        batchOpen = false;
        if (batch.Count() > 0) {
            std::string utf8 = ServerStoreChanges::Document(batch).ToUtf8();
            queue.push_back(OpData{OpSaveChanges, requester, std::vector<unsigned char>(utf8.begin(), utf8.end()), 0});
            batch.Clear();
        }
    }
    PostWork();
    return 1;
}

int CServerStore::QueueChange(Operation op, unsigned int requester, const CYolString& element) {
    {
        CYolCriticalSection::Guard hold(lock);
        if (batchOpen) {
            batch.Add(element);
            return 1;
        }
        std::string utf8 = ServerStoreChanges::Document(element).ToUtf8();
        queue.push_back(OpData{op, requester, std::vector<unsigned char>(utf8.begin(), utf8.end()), 0});
    }
    PostWork();
    return 1;
}

int CServerStore::GroupAdded(unsigned int requester, const CYolString& groupName, const CYolString& afterGroup) {
    return QueueChange(OpGroupAdded, requester, ServerStoreChanges::GroupAdded(groupName, afterGroup));
}

int CServerStore::GroupRenamed(unsigned int requester, const CYolString& oldName, const CYolString& newName) {
    return QueueChange(OpGroupRenamed, requester, ServerStoreChanges::GroupRenamed(oldName, newName));
}

int CServerStore::GroupDeleted(unsigned int requester, const CYolString& groupName) {
    return QueueChange(OpGroupDeleted, requester, ServerStoreChanges::GroupDeleted(groupName));
}

int CServerStore::MetaAdded(unsigned int requester, unsigned int metaId, const CYolString& metaGroup,
                            const CYolString& metaName) {
    return QueueChange(OpMetaAdded, requester, ServerStoreChanges::MetaAdded(metaId, metaGroup, metaName));
}

int CServerStore::MetaRenamed(unsigned int requester, unsigned int metaId, const CYolString& newName) {
    return QueueChange(OpMetaRenamed, requester, ServerStoreChanges::MetaRenamed(metaId, newName));
}

int CServerStore::MetaMoved(unsigned int requester, unsigned int metaId, const CYolString& newGroupName) {
    return QueueChange(OpMetaMoved, requester, ServerStoreChanges::MetaMoved(metaId, newGroupName));
}

int CServerStore::MetaDeleted(unsigned int requester, unsigned int metaId) {
    return QueueChange(OpMetaDeleted, requester, ServerStoreChanges::MetaDeleted(metaId));
}

int CServerStore::SubAdded(unsigned int requester, unsigned int metaId, const CYolString& metaGroup,
                           unsigned int subPosition, const CYolString& subName, const CYolString& protoName) {
    return QueueChange(OpSubAdded, requester,
                       ServerStoreChanges::SubAdded(metaId, metaGroup, subPosition, subName, protoName));
}

int CServerStore::SubMoved(unsigned int requester, unsigned int metaId, unsigned int subPosition,
                           unsigned int newPosition, const CYolString& subName, const CYolString& protoName) {
    return QueueChange(OpSubMoved, requester,
                       ServerStoreChanges::SubMoved(metaId, subPosition, newPosition, subName, protoName));
}

int CServerStore::SubDeleted(unsigned int requester, unsigned int metaId, unsigned int subPosition,
                             const CYolString& subName, const CYolString& protoName) {
    return QueueChange(OpSubDeleted, requester,
                       ServerStoreChanges::SubDeleted(metaId, subPosition, subName, protoName));
}

// --- events (the store's thread) ----------------------------------------------------------

void CServerStore::ReportResult(int result) {
    if (services == nullptr)
        return;
    services->SendEvent(current.requester, ServerStoreGuid, kResultEvent, new Services::CEventArg_Data<int>(result),
                        new Services::CEventArg_Data<Operation>(current.op), false);
}

int CServerStore::OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg, Services::CEventArg* extra) {
    if (channel == ServerStoreGuid) {
        if (event == kWorkEvent) {
            RunNextOperation();
        } else if (event == kTimeoutEvent) {
            if (auto* which = dynamic_cast<Services::CEventArg_Data<unsigned int>*>(arg))
                OnTimedOut(which->Get());
        }
        return 0;
    }
    if (channel != SocketsManagerGuid)
        return 0;
    // Only the running exchange's socket counts: events of a socket already
    // given up may still be on their way.
    auto* from = dynamic_cast<Services::CEventArg_Data<Sockets::CYolSocket*>*>(arg);
    if (from == nullptr || socket == nullptr || from->Get() != socket)
        return 0;
    auto* code = dynamic_cast<Services::CEventArg_Data<int>*>(extra);
    switch (event) {
    case Sockets::SocketEvent::ConnectResult:
        OnConnected(code != nullptr ? code->Get() : -1);
        break;
    case Sockets::SocketEvent::DataAvailable:
        OnData();
        break;
    case Sockets::SocketEvent::Closed:
        OnClosed();
        break;
    default:
        break;
    }
    return 0;
}
