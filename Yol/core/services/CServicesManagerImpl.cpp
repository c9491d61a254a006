#include "CServicesManagerImpl.h"

#include "YolGuids.h"

#include <utility>
#include <vector>

namespace Services {

namespace {

// Adds n references to each argument the caller handed over (n may be
// negative); with n == 0 this frees an argument that nobody else holds. One
// object passed as both arguments is counted twice, as each delivery gives
// back both.
void Settle(CEventArg* arg, CEventArg* extra, long n) {
    if (arg != nullptr && arg == extra) {
        arg->AddRef(2 * n);
        return;
    }
    if (arg != nullptr)
        arg->AddRef(n);
    if (extra != nullptr)
        extra->AddRef(n);
}

using Subscribers = std::vector<std::pair<unsigned int, unsigned int>>;  // subscription key, client key

} // namespace

CServicesManagerImpl& CServicesManagerImpl::Instance() {
    static CServicesManagerImpl manager;
    return manager;
}

CServicesManagerImpl::CServicesManagerImpl() {
    ownServiceKey = RegisterService(ServicesManagerGuid, static_cast<CServicesManager*>(this));
    startedEventKey = RegisterEvent(ServicesManagerGuid, 1);
}

CServicesManagerImpl::~CServicesManagerImpl() {
    StopAllQueues();
}

// --- services ---------------------------------------------------------------

unsigned int CServicesManagerImpl::RegisterService(const YOL_GUID& id, void* service) {
    try {
        std::lock_guard<std::mutex> guard(servicesLock);
        unsigned int key = nextServiceKey;
        // A second registration under a taken identifier would get a key that
        // names nothing; it fails instead and the first one stays.
        if (!services.Insert(id, ServiceInfo{key, id, service}).second)
            return 0;
        ++nextServiceKey;
        return key;
    } catch (...) {
        return 0;
    }
}

int CServicesManagerImpl::UnregisterService(unsigned int key) {
    std::lock_guard<std::mutex> guard(servicesLock);
    const YOL_GUID* found = nullptr;
    for (auto [id, info] : services) {
        if (info.key == key) {
            found = &id;
            break;
        }
    }
    if (found == nullptr)
        return -2;
    YOL_GUID id = *found;
    services.Erase(id);
    return 0;
}

bool CServicesManagerImpl::IsServiceRegistered(const YOL_GUID& id) {
    std::lock_guard<std::mutex> guard(servicesLock);
    return services.Contains(id);
}

void* CServicesManagerImpl::GetService(const YOL_GUID& id) {
    std::lock_guard<std::mutex> guard(servicesLock);
    const ServiceInfo* info = services.Find(id);
    return info != nullptr ? info->service : nullptr;
}

// --- events clients -----------------------------------------------------------

unsigned int CServicesManagerImpl::RegisterEventsClient(CEventsClient* client, const CYolString& name) {
    if (client == nullptr)
        return 0;
    try {
        // A queue that does not make it into the map is stopped and joined
        // by its destructor on the way out.
        std::shared_ptr<CEventsQueue> queue = CEventsQueue::Create(name);
        unsigned int key;
        {
            std::lock_guard<std::mutex> guard(clientsLock);
            key = nextClientKey;
            clients.Insert(key, ClientInfo{client, queue, name});
            ++nextClientKey;
        }
        queue->Resume();
        return key;
    } catch (...) {
        return 0;
    }
}

int CServicesManagerImpl::UnregisterEventsClient(unsigned int key) {
    {
        std::lock_guard<std::mutex> guard(eventsLock);
        // Erasing invalidates the walk, so each removal starts it again.
        for (auto [eventKey, info] : events) {
            for (;;) {
                unsigned int gone = 0;  // subscription keys are never 0
                for (auto [subscription, clientKey] : info.subscribers) {
                    if (clientKey == key) {
                        gone = subscription;
                        break;
                    }
                }
                if (gone == 0)
                    break;
                info.subscribers.Erase(gone);
            }
        }
    }

    std::shared_ptr<CEventsQueue> queue;
    {
        std::lock_guard<std::mutex> guard(clientsLock);
        ClientInfo* info = clients.Find(key);
        if (info == nullptr)
            return -2;
        queue = std::move(info->queue);
        clients.Erase(key);
    }
    // Outside the lock: the stop waits for a running handler, and nobody
    // else should wait behind it.
    queue->Stop();
    return 0;
}

CServicesManagerImpl::Target CServicesManagerImpl::FindClient(unsigned int clientKey) {
    std::lock_guard<std::mutex> guard(clientsLock);
    Target target;
    if (const ClientInfo* info = clients.Find(clientKey)) {
        target.client = info->client;
        target.queue = info->queue;
    }
    return target;
}

int CServicesManagerImpl::SendEvent(unsigned int clientKey, const YOL_GUID& channel, int event, CEventArg* arg,
                                    CEventArg* extra, bool wait) {
    Target target = FindClient(clientKey);
    if (!target.queue) {
        Settle(arg, extra, 0);
        return -2;
    }
    // The delivery's own reference; the queue gives it back in every case.
    Settle(arg, extra, 1);
    if (wait)
        return target.queue->SendEventSync(target.client, channel, event, arg, extra);
    return target.queue->PostEvent(target.client, channel, event, arg, extra) > 0 ? 1 : 0;
}

// --- events -------------------------------------------------------------------

unsigned int CServicesManagerImpl::RegisterEvent(const YOL_GUID& channel, int event) {
    try {
        std::lock_guard<std::mutex> guard(eventsLock);
        unsigned int key = nextEventKey;
        events.Insert(key, EventInfo{channel, event, {}});
        ++nextEventKey;
        return key;
    } catch (...) {
        return 0;
    }
}

int CServicesManagerImpl::UnregisterEvent(unsigned int key) {
    std::lock_guard<std::mutex> guard(eventsLock);
    return events.Erase(key) ? 0 : -2;
}

unsigned int CServicesManagerImpl::Subscribe(const YOL_GUID& channel, int event, unsigned int clientKey) {
    try {
        std::lock_guard<std::mutex> guard(eventsLock);
        for (auto [eventKey, info] : events) {
            if (info.channel != channel || info.event != event)
                continue;
            unsigned int key = nextSubscriptionKey;
            info.subscribers.Insert(key, clientKey);
            ++nextSubscriptionKey;
            return key;
        }
        return 0;
    } catch (...) {
        return 0;
    }
}

int CServicesManagerImpl::Unsubscribe(unsigned int subscriptionKey) {
    std::lock_guard<std::mutex> guard(eventsLock);
    bool found = false;
    for (auto [eventKey, info] : events)
        found = info.subscribers.Erase(subscriptionKey) || found;
    return found ? 0 : -2;
}

int CServicesManagerImpl::BroadcastEvent(unsigned int eventKey, CEventArg* arg, CEventArg* extra, bool wait) {
    return Broadcast(eventKey, arg, extra, wait ? Delivery::Send : Delivery::Post);
}

void CServicesManagerImpl::BroadcastStarted() {
    Broadcast(startedEventKey, nullptr, nullptr, Delivery::SendToAll);
}

int CServicesManagerImpl::Broadcast(unsigned int eventKey, CEventArg* arg, CEventArg* extra, Delivery how) {
    YOL_GUID channel;
    int event = 0;
    std::vector<Target> targets;
    try {
        Subscribers subscribers;
        {
            std::lock_guard<std::mutex> guard(eventsLock);
            EventInfo* info = events.Find(eventKey);
            if (info == nullptr) {
                Settle(arg, extra, 0);
                return -2;
            }
            channel = info->channel;
            event = info->event;
            subscribers.reserve(info->subscribers.Count());
            for (auto [subscription, clientKey] : info->subscribers)
                subscribers.emplace_back(subscription, clientKey);
        }
        std::lock_guard<std::mutex> guard(clientsLock);
        targets.reserve(subscribers.size());
        for (const auto& [subscription, clientKey] : subscribers) {
            if (const ClientInfo* info = clients.Find(clientKey))
                targets.push_back(Target{info->client, info->queue});
        }
    } catch (...) {
        Settle(arg, extra, 0);
        return -1;
    }

    // One reference per target up front, so that no delivery can free the
    // arguments while later ones are still to come.
    Settle(arg, extra, static_cast<long>(targets.size()));
    return Walk(targets, channel, event, arg, extra, how);
}

int CServicesManagerImpl::Walk(const std::vector<Target>& targets, const YOL_GUID& channel, int event,
                               CEventArg* arg, CEventArg* extra, Delivery how) {
    long pending = static_cast<long>(targets.size());
    int result = 0;
    for (const Target& target : targets) {
        --pending;
        if (how == Delivery::Post) {
            // A stopping queue drops the event (and its references) and the
            // walk goes on; only a queue that could not take it ends the walk.
            result = target.queue->PostEvent(target.client, channel, event, arg, extra) < 0 ? -3 : 0;
        } else {
            result = target.queue->SendEventSync(target.client, channel, event, arg, extra);
            if (how == Delivery::SendToAll)
                result = 0;
        }
        if (result != 0)
            break;
    }
    if (pending > 0)
        Settle(arg, extra, -pending);
    return result;
}

void CServicesManagerImpl::StopAllQueues() {
    CYolMap<unsigned int, ClientInfo> stopping;
    {
        std::lock_guard<std::mutex> guard(clientsLock);
        stopping = std::move(clients);
    }
    for (auto [key, info] : stopping)
        info.queue->Stop();
    stopping.Clear();

    CYolMap<YOL_GUID, ServiceInfo> oldServices;
    {
        std::lock_guard<std::mutex> guard(servicesLock);
        oldServices = std::move(services);
    }
    CYolMap<unsigned int, EventInfo> oldEvents;
    {
        std::lock_guard<std::mutex> guard(eventsLock);
        oldEvents = std::move(events);
    }
}

} // namespace Services
