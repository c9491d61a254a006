#pragma once
// CServerStore: keeps the user's account list and meta-contact list on the
// provider's storage server and reads them back. Requesters (the protocols
// manager, the contact list) queue operations from their own threads; the
// store runs them one at a time on its own queue thread ("ServerStore"),
// each as one HTTP/1.0 POST over a socket of the sockets service,
// authenticated with the base account's login and password, and answers
// every attempt with one result event to its requester:
//   event 1 on ServerStoreGuid, argument CEventArg_Data<int> (the result),
//   extra CEventArg_Data<CServerStore::Operation> (the operation).
// Results: the HTTP status of the answer, or one of the Result codes below.
//
// Where the server is: section ServerStoreGuid of the settings holds
//   "Host"   (string) the storage host; default: the provider's domain
//   "Port"   (dword)  default 80; port 443 is spoken over TLS
//   "Domain" (string) the provider's domain; default: the domain of the base
//            account's login ("name@domain"), else the first login suffix of
//            the base account's protocol
// besides "ServerStore" (bool, default true: storage switched on) and the
// "AcUpd"/"McUpd" marks the read path leaves.
//
// An exchange that does not move for kExchangeTimeoutMs (clock ticks of
// CYolClock) is ended and reported as ResultTimedOut. Saves that fail on the
// way (no connection, time-out, an answer cut short, a server error 5xx) stay
// at the head of the queue and are tried again, before anything queued after
// them, when the next operation is queued; after kMaxAttempts they are
// dropped. Reads and refused saves are not tried again.

#include "CEventsClient.h"
#include "CServerStoreHttp.h"
#include "CServerStoreWatchdog.h"
#include "CServicesManager.h"
#include "CYolArray.h"
#include "CYolCriticalSection.h"
#include "CYolString.h"
#include "ProtocolRecords.h"

#include <atomic>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace Sockets {
class CYolSocket;
class CSocketsManager;
}  // namespace Sockets

namespace Database {
class CYolDatabase;
}

// What the store reads of the base account: the protocols manager's own
// operations of the same names.
class MServerStoreAccounts {
public:
    virtual unsigned int GetBaseAccount() = 0;
    virtual bool GetAccountString(unsigned int account, const CYolString& key, CYolString& value,
                                  bool isProtected) = 0;
    virtual bool GetAccountByte(unsigned int account, const CYolString& key, unsigned char& value) = 0;
    virtual bool GetAccountBlob(unsigned int account, const CYolString& key, void* buffer, unsigned int& size) = 0;
    virtual void GetAccountProtocolInfo(Protocols::ProtocolRecord& out, unsigned int account) = 0;

protected:
    ~MServerStoreAccounts() = default;
};

// Where the lists read from the server go; called on the store's thread.
class MServerStoreLists {
public:
    // The payload of an account-list block (the protocols manager's
    // ApplyServerAccountList).
    virtual void ApplyServerAccountList(const char* data, unsigned int length) = 0;
    // The payload of a meta-contact-list block (the contact list's
    // ParseMetaList).
    virtual void ParseMetaList(const char* data, unsigned int length) = 0;

protected:
    ~MServerStoreLists() = default;
};

class CServerStore final : public Services::CEventsClient {
public:
    enum Operation : int {
        OpNone = 0,
        OpRead = 2,
        OpSaveAccountList = 3,
        OpSaveChanges = 4,
        OpGroupAdded = 5,
        OpGroupRenamed = 6,
        OpGroupDeleted = 8,
        OpMetaAdded = 9,
        OpMetaRenamed = 10,
        OpMetaMoved = 11,
        OpMetaDeleted = 12,
        OpSubAdded = 13,
        OpSubMoved = 14,
        OpSubDeleted = 15,
    };

    enum Result : int {
        ResultIncomplete = 0,        // no complete header block came
        ResultNoBaseAccount = -1,
        ResultNoCredentials = -2,    // no login, or no password
        ResultConnectFailed = -3,
        ResultTimedOut = -4,         // the exchange stopped moving
        ResultNoServer = -5,         // no usable storage host or provider domain
    };

    // Own events: 1 runs the next operation; 2 (argument: the exchange's
    // serial) is the watchdog's time-out.
    static constexpr int kWorkEvent = 1;
    static constexpr int kTimeoutEvent = 2;
    static constexpr int kResultEvent = 1;
    static constexpr uint32_t kExchangeTimeoutMs = 60000;
    static constexpr int kMaxAttempts = 3;

    // Reads "ServerStore" and registers the events client "ServerStore".
    explicit CServerStore(Services::CServicesManager* services);
    // Unregisters first (no handler runs afterwards), then ends the running
    // exchange and drops what is queued.
    ~CServerStore();
    CServerStore(const CServerStore&) = delete;
    CServerStore& operator=(const CServerStore&) = delete;

    // The base account's settings come from the protocols manager service
    // unless a source is set here; the read lists go nowhere until `lists`
    // is set. Neither is owned; null detaches.
    void SetAccounts(MServerStoreAccounts* accounts);
    void SetLists(MServerStoreLists* lists);

    bool IsEnabled() const { return enabled.load(); }
    void SetEnabled(bool on);

    // Returns once the exchange's watchdog has looked at the clock since its
    // last jump: an exchange that has not timed out by now does not time
    // out at this time.
    void WaitUntilWatchdogCaughtUp() { watchdog->WaitUntilCaughtUp(); }

    int QueueRead(unsigned int requester);
    // Takes the C-heap block `data` (freed here, also on failure).
    int QueueSave(unsigned int requester, void* data, unsigned int length);
    int QueueSave(unsigned int requester, std::vector<unsigned char> data);

    // Change documents: each builder queues its change at once, or, while a
    // batch is open, collects it for EndBatch to send as one document.
    void BeginBatch();
    int EndBatch(unsigned int requester);
    int GroupAdded(unsigned int requester, const CYolString& groupName, const CYolString& afterGroup);
    int GroupRenamed(unsigned int requester, const CYolString& oldName, const CYolString& newName);
    int GroupDeleted(unsigned int requester, const CYolString& groupName);
    int MetaAdded(unsigned int requester, unsigned int metaId, const CYolString& metaGroup, const CYolString& metaName);
    int MetaRenamed(unsigned int requester, unsigned int metaId, const CYolString& newName);
    int MetaMoved(unsigned int requester, unsigned int metaId, const CYolString& newGroupName);
    int MetaDeleted(unsigned int requester, unsigned int metaId);
    int SubAdded(unsigned int requester, unsigned int metaId, const CYolString& metaGroup, unsigned int subPosition,
                 const CYolString& subName, const CYolString& protoName);
    int SubMoved(unsigned int requester, unsigned int metaId, unsigned int subPosition, unsigned int newPosition,
                 const CYolString& subName, const CYolString& protoName);
    int SubDeleted(unsigned int requester, unsigned int metaId, unsigned int subPosition, const CYolString& subName,
                   const CYolString& protoName);

    unsigned int GetClientId() const { return clientId; }
    // Operations waiting (not counting a running one).
    int Pending();
    // The last "X-Key-MC" the server sent (the store's thread's view).
    std::string GetChangeKey();

    int OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg, Services::CEventArg* extra) override;

private:
    struct OpData {
        Operation op = OpNone;
        unsigned int requester = 0;
        std::vector<unsigned char> payload;  // the account list, or a change document in UTF-8
        int attempts = 0;
    };
    // Where and as whom the exchange goes.
    struct Target {
        std::string host;
        unsigned int port = 80;
        std::string domain;
        std::string login;
        unsigned char digest[16] = {};
    };

    // CServerStore.cpp
    void Enqueue(OpData op, bool atFront = false);
    void PostWork();
    void ReportResult(int result);
    int QueueChange(Operation op, unsigned int requester, const CYolString& element);
    Database::CYolDatabase* DatabaseService() const;
    Sockets::CSocketsManager* SocketsService() const;
    MServerStoreAccounts* Accounts() const;

    // CServerStoreExchange.cpp (the store's thread)
    void RunNextOperation();
    int ResolveTarget(Target& target);
    std::vector<unsigned char> RequestBody(const OpData& op);
    void OnConnected(int code);
    void OnData();
    void OnClosed();
    void OnTimedOut(unsigned int serial);
    void FinishResponse();
    void ApplyStoredData(const unsigned char* body, size_t length);
    // Reports the result, keeps a failed save for later when it may be
    // tried again, and ends the exchange.
    void Finish(int result);
    void DropSocket();

    class ServiceAccounts;

    Services::CServicesManager* services;
    std::unique_ptr<ServiceAccounts> serviceAccounts;
    unsigned int clientId = 0;
    std::atomic<bool> enabled{true};
    std::atomic<MServerStoreAccounts*> accounts{nullptr};
    std::atomic<MServerStoreLists*> lists{nullptr};

    // Guards the queue, the batch and the change key's copy for readers.
    CYolCriticalSection lock;
    std::deque<OpData> queue;
    bool batchOpen = false;
    CYolArray<CYolString> batch;
    std::string changeKeyCopy;

    // The running exchange; the store's thread only.
    OpData current;
    Sockets::CYolSocket* socket = nullptr;
    std::vector<unsigned char> request;
    ServerStoreWire::ResponseBuffer response;
    std::string changeKey;
    unsigned int serial = 0;

    std::unique_ptr<CServerStoreWatchdog> watchdog;
};
