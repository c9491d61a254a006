#pragma once
// What the plug-in framework's suites share: a real services manager with
// the program's argument factory registered, and a stand-in for the
// protocols manager that records the account events it receives.

#include "AccountEvents.h"
#include "CEventArg.h"
#include "CEventArgFactoryImpl.h"
#include "CEventsClient.h"
#include "CServicesManagerImpl.h"
#include "ProtocolRecords.h"
#include "TestSupport.h"
#include "WaitableLog.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

// A value wrapped as an event argument.
template <typename T>
Services::CEventArg* Arg(const T& value) {
    return new Services::CEventArg_Data<T>(value);
}

// One account event as the stand-in manager saw it.
struct ReceivedEvent {
    YOL_GUID channel;
    int event = 0;
    unsigned int accountId = 0;
    std::optional<Protocols::TimerRequest> timerRequest;
    std::optional<Protocols::TimerInfo> timerInfo;
    CYolString text;
};

class RecordingManager final : public Services::CEventsClient {
public:
    int OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg, Services::CEventArg* extra) override {
        ReceivedEvent got;
        got.channel = channel;
        got.event = event;
        if (arg != nullptr)
            got.accountId = static_cast<Services::CEventArg_Data<unsigned int>*>(arg)->data;
        if (event == Protocols::AccountEvent::SetTimer && extra != nullptr)
            got.timerRequest = static_cast<Services::CEventArg_Data<Protocols::TimerRequest>*>(extra)->data;
        if (event == Protocols::AccountEvent::KillTimer && extra != nullptr)
            got.timerInfo = static_cast<Services::CEventArg_Data<Protocols::TimerInfo>*>(extra)->data;
        if (event == Protocols::AccountEvent::ShowText && extra != nullptr)
            got.text = static_cast<Services::CEventArg_Data<CYolString>*>(extra)->data;
        {
            // Held like a subscriber that keeps what it was given; kept
            // before the event shows, so a test that waited for it sees both.
            std::lock_guard<std::mutex> hold(keptLock);
            for (Services::CEventArg* held : {arg, extra}) {
                if (held != nullptr) {
                    held->AddRef(1);
                    kept.push_back(held);
                }
            }
        }
        events.Add(std::move(got));
        return 0;
    }

    // Waits until `count` events have come; false after two seconds.
    bool WaitFor(size_t count) { return events.WaitFor(count, std::chrono::seconds(2)); }

    void ReleaseKept() {
        std::lock_guard<std::mutex> hold(keptLock);
        for (Services::CEventArg* held : kept)
            held->Release();
        kept.clear();
    }

    ~RecordingManager() { ReleaseKept(); }

    std::vector<Services::CEventArg*> kept;

    std::vector<ReceivedEvent> Events() { return events.Items(); }

private:
    std::mutex keptLock;
    WaitableLog<ReceivedEvent> events;
};

// The services manager, the factory and the recording manager, wired up the
// way the program wires them before it creates accounts.
struct PluginRig {
    Services::CServicesManagerImpl services;
    Protocols::CEventArgFactoryImpl factory;
    RecordingManager manager;
    unsigned int managerKey = 0;

    PluginRig() {
        services.RegisterService(Protocols::EventArgFactoryGuid, static_cast<Protocols::CEventArgFactory*>(&factory));
        managerKey = services.RegisterEventsClient(&manager, W("Protocols manager"));
    }
    ~PluginRig() { services.StopAllQueues(); }
};

// Polls `done` until it holds; false after two seconds.
inline bool WaitUntil(const std::function<bool()>& done) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
