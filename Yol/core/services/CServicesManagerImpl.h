#pragma once
// The one services manager of the program. Each of its three maps has its
// own lock, and no two of them are ever held at once; no lock is held while a
// handler runs or while a queue is stopped, so handlers may call the manager
// freely (registering, sending, unregistering their own client).
//
// Deliveries work from snapshots: a broadcast copies its subscriber list
// under the events lock, then looks every client up under the clients lock,
// keeping a reference to each client's queue for the time of the walk. A
// client that unregisters meanwhile is found stopping and skipped.

#include "CEventsQueue.h"
#include "CServicesManager.h"
#include "CYolMap.h"
#include "CYolString.h"

#include <memory>
#include <mutex>
#include <vector>

namespace Services {

class CServicesManagerImpl final : public CServicesManager {
public:
    // The process's manager, made on first use and kept until exit.
    static CServicesManagerImpl& Instance();

    // A manager of its own (tests): registers itself as a service under
    // ServicesManagerGuid and the services-started event (ServicesManagerGuid, 1).
    CServicesManagerImpl();
    ~CServicesManagerImpl();

    CServicesManagerImpl(const CServicesManagerImpl&) = delete;
    CServicesManagerImpl& operator=(const CServicesManagerImpl&) = delete;

    unsigned int RegisterService(const YOL_GUID& id, void* service) override;
    int UnregisterService(unsigned int key) override;
    bool IsServiceRegistered(const YOL_GUID& id) override;
    void* GetService(const YOL_GUID& id) override;
    unsigned int RegisterEventsClient(CEventsClient* client, const CYolString& name) override;
    int UnregisterEventsClient(unsigned int key) override;
    int SendEvent(unsigned int clientKey, const YOL_GUID& channel, int event, CEventArg* arg, CEventArg* extra,
                  bool wait) override;
    unsigned int RegisterEvent(const YOL_GUID& channel, int event) override;
    int UnregisterEvent(unsigned int key) override;
    int BroadcastEvent(unsigned int eventKey, CEventArg* arg, CEventArg* extra, bool wait) override;
    unsigned int Subscribe(const YOL_GUID& channel, int event, unsigned int clientKey) override;
    int Unsubscribe(unsigned int subscriptionKey) override;

    // Sends the services-started event synchronously to each subscriber in
    // subscription order; returns once every handler has run.
    void BroadcastStarted();
    // Stops every client's queue in ascending key order, then empties the
    // client, service and event maps. Core teardown calls it; so does the
    // destructor.
    void StopAllQueues();

    unsigned int GetOwnServiceKey() const { return ownServiceKey; }
    unsigned int GetStartedEventKey() const { return startedEventKey; }

    // One subscriber of a broadcast, as it was when the broadcast began.
    struct Target {
        CEventsClient* client = nullptr;
        std::shared_ptr<CEventsQueue> queue;
    };
    enum class Delivery {
        Post,       // queue the event; a queue that fails to take it ends the walk with -3
        Send,       // wait for each handler; a nonzero result ends the walk
        SendToAll,  // wait for each handler; results are ignored
    };
    // Delivers one event to each target in turn. The caller has added one
    // reference per target to the arguments; those of targets not reached
    // are given back here. A stopping target is skipped.
    static int Walk(const std::vector<Target>& targets, const YOL_GUID& channel, int event, CEventArg* arg,
                    CEventArg* extra, Delivery how);

private:
    struct ServiceInfo {
        unsigned int key;
        YOL_GUID id;
        void* service;
    };
    struct ClientInfo {
        CEventsClient* client;
        std::shared_ptr<CEventsQueue> queue;
        CYolString name;
    };
    struct EventInfo {
        YOL_GUID channel;
        int event;
        CYolMap<unsigned int, unsigned int> subscribers;  // subscription key -> client key
    };
    Target FindClient(unsigned int clientKey);
    int Broadcast(unsigned int eventKey, CEventArg* arg, CEventArg* extra, Delivery how);

    std::mutex servicesLock;
    CYolMap<YOL_GUID, ServiceInfo> services;
    unsigned int nextServiceKey = 0x10000001;

    std::mutex clientsLock;
    CYolMap<unsigned int, ClientInfo> clients;
    unsigned int nextClientKey = 0x20000001;

    std::mutex eventsLock;
    CYolMap<unsigned int, EventInfo> events;
    unsigned int nextEventKey = 0x30000001;
    unsigned int nextSubscriptionKey = 0x40000001;

    unsigned int ownServiceKey = 0;
    unsigned int startedEventKey = 0;
};

} // namespace Services
