#pragma once
// A services manager for testing one core service at a time. It records what
// the service registers and unregisters, the events it sends and broadcasts,
// and finds again the services registered with it; a test can wait for
// events that other threads send. Events clients and subscriptions are
// refused. Service keys count up from 0x10000001 and event keys from
// 0x30000001, in order of registration.

#include "CEventArg.h"
#include "CServicesManager.h"
#include "YOL_GUID.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

// One event sent to a client. The record holds a reference on each argument,
// as a handler that keeps an argument does, so they stay readable as long as
// the record lives.
struct RecordedEvent {
    unsigned int client = 0;
    YOL_GUID channel;
    int event = 0;
    std::shared_ptr<Services::CEventArg> arg;
    std::shared_ptr<Services::CEventArg> extra;

    // The value an argument carries when it is a CEventArg_Data<T>, else null.
    template <typename T>
    const T* Arg() const {
        return ValueOf<T>(arg.get());
    }
    template <typename T>
    const T* Extra() const {
        return ValueOf<T>(extra.get());
    }

private:
    template <typename T>
    static const T* ValueOf(const Services::CEventArg* argument) {
        auto* data = dynamic_cast<const Services::CEventArg_Data<T>*>(argument);
        return data ? &data->Get() : nullptr;
    }
};

class RecordingServicesManager final : public Services::CServicesManager {
public:
    struct Registration {
        YOL_GUID id;
        void* service;
        unsigned int key;
    };
    // Every registration and unregistration in order. Written under the
    // manager's lock: read them once the service under test has gone quiet.
    std::vector<Registration> registered;
    std::vector<unsigned int> unregistered;

    unsigned int RegisterService(const YOL_GUID& id, void* service) override {
        std::lock_guard<std::mutex> hold(lock);
        unsigned int key = 0x10000001 + static_cast<unsigned int>(registered.size());
        registered.push_back({id, service, key});
        services[id] = service;
        return key;
    }
    int UnregisterService(unsigned int key) override {
        std::lock_guard<std::mutex> hold(lock);
        unregistered.push_back(key);
        for (const Registration& r : registered)
            if (r.key == key && services.count(r.id) && services[r.id] == r.service)
                services.erase(r.id);
        return 0;
    }
    bool IsServiceRegistered(const YOL_GUID& id) override { return GetService(id) != nullptr; }
    void* GetService(const YOL_GUID& id) override {
        std::lock_guard<std::mutex> hold(lock);
        auto found = services.find(id);
        return found == services.end() ? nullptr : found->second;
    }

    unsigned int RegisterEventsClient(Services::CEventsClient*, const CYolString&) override { return 0; }
    int UnregisterEventsClient(unsigned int) override { return -2; }

    // Records the event and answers 1, as for a posted event the client's
    // queue accepted.
    int SendEvent(unsigned int clientKey, const YOL_GUID& channel, int event, Services::CEventArg* arg,
                  Services::CEventArg* extra, bool) override {
        RecordedEvent record{clientKey, channel, event, Hold(arg), Hold(extra)};
        {
            std::lock_guard<std::mutex> hold(lock);
            events.push_back(std::move(record));
        }
        changed.notify_all();
        return 1;
    }

    unsigned int RegisterEvent(const YOL_GUID& channel, int event) override {
        std::lock_guard<std::mutex> hold(lock);
        unsigned int key = nextEventKey++;
        registeredEvents[key] = {channel, event};
        return key;
    }
    int UnregisterEvent(unsigned int key) override {
        std::lock_guard<std::mutex> hold(lock);
        return registeredEvents.erase(key) ? 0 : -2;
    }
    // Counts the broadcast and gives its arguments up, as when nobody is
    // subscribed.
    int BroadcastEvent(unsigned int eventKey, Services::CEventArg* arg, Services::CEventArg* extra, bool) override {
        std::shared_ptr<Services::CEventArg> given[] = {Hold(arg), Hold(extra)};
        std::lock_guard<std::mutex> hold(lock);
        ++broadcasts[eventKey];
        return 0;
    }
    unsigned int Subscribe(const YOL_GUID&, int, unsigned int) override { return 0; }
    int Unsubscribe(unsigned int) override { return -2; }

    // --- for the tests ---

    // The channel and number registered under the event key; empty when none.
    std::pair<YOL_GUID, int> RegisteredEvent(unsigned int key) {
        std::lock_guard<std::mutex> hold(lock);
        auto found = registeredEvents.find(key);
        return found == registeredEvents.end() ? std::pair<YOL_GUID, int>{} : found->second;
    }
    int Broadcasts(unsigned int eventKey) {
        std::lock_guard<std::mutex> hold(lock);
        return broadcasts[eventKey];
    }
    std::vector<RecordedEvent> Events() {
        std::lock_guard<std::mutex> hold(lock);
        return events;
    }
    // Waits until `done` holds for the events recorded so far; false when
    // the time ran out first.
    bool WaitFor(const std::function<bool(const std::vector<RecordedEvent>&)>& done, int timeoutMs = 10000) {
        std::unique_lock<std::mutex> hold(lock);
        return changed.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] { return done(events); });
    }
    void ClearEvents() {
        std::vector<RecordedEvent> gone;
        std::lock_guard<std::mutex> hold(lock);
        gone.swap(events);
    }

private:
    // A reference of the manager's own, given back when the last holder goes.
    static std::shared_ptr<Services::CEventArg> Hold(Services::CEventArg* argument) {
        if (!argument)
            return nullptr;
        argument->AddRef(1);
        return std::shared_ptr<Services::CEventArg>(argument, [](Services::CEventArg* held) { held->Release(); });
    }

    std::mutex lock;
    std::condition_variable changed;
    std::map<YOL_GUID, void*> services;
    std::vector<RecordedEvent> events;
    std::map<unsigned int, std::pair<YOL_GUID, int>> registeredEvents;
    std::map<unsigned int, int> broadcasts;
    unsigned int nextEventKey = 0x30000001;
};
