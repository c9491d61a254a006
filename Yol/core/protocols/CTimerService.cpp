#include "CTimerService.h"

#include "AccountEvents.h"
#include "CEventArg.h"
#include "CProtocolsManager.h"
#include "CYolString.h"
#include "YolGuids.h"

#include <algorithm>
#include <chrono>

namespace Services {

CTimerService::CTimerService(CServicesManager* services) : services(services) {
    worker = std::thread([this] { Run(); });
    CYolClock::AddObserver(this);
    if (services == nullptr)
        return;
    clientKey = services->RegisterEventsClient(this, CYolString(u"Timers"));
    services->Subscribe(ProtocolsManagerGuid, Protocols::ProtocolsManagerEvent::SetTimer, clientKey);
    services->Subscribe(ProtocolsManagerGuid, Protocols::ProtocolsManagerEvent::KillTimer, clientKey);
}

CTimerService::~CTimerService() {
    if (services != nullptr && clientKey != 0)
        services->UnregisterEventsClient(clientKey);
    CYolClock::RemoveObserver(this);
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    wake.notify_all();
    worker.join();
}

int CTimerService::OnEvent(const YOL_GUID& channel, int event, CEventArg* arg, CEventArg* extra) {
    if (channel != ProtocolsManagerGuid || arg == nullptr)
        return 0;
    unsigned int account = static_cast<CEventArg_Data<unsigned int>*>(arg)->data;
    if (event == Protocols::ProtocolsManagerEvent::SetTimer) {
        if (extra != nullptr)
            SetTimer(account, static_cast<CEventArg_Data<Protocols::TimerRequest>*>(extra)->data);
    } else if (event == Protocols::ProtocolsManagerEvent::KillTimer) {
        KillTimer(account,
                  extra != nullptr ? &static_cast<CEventArg_Data<Protocols::TimerInfo>*>(extra)->data : nullptr);
    }
    return 0;
}

void CTimerService::SetTimer(unsigned int account, const Protocols::TimerRequest& request) {
    // The fields are local time; their Unix time is computed once, on a copy
    // (the conversion normalises the fields).
    CYolTime fireTime = request.fireTime;
    Timer timer{account, static_cast<int64_t>(fireTime.GetUnixTime()), request};
    {
        std::lock_guard<std::mutex> guard(lock);
        timers.push_back(timer);
        changed = true;
    }
    wake.notify_all();
}

void CTimerService::KillTimer(unsigned int account, const Protocols::TimerInfo* info) {
    std::lock_guard<std::mutex> guard(lock);
    if (info == nullptr) {
        std::erase_if(timers, [&](const Timer& t) { return t.account == account; });
        return;
    }
    auto it = std::find_if(timers.begin(), timers.end(),
                           [&](const Timer& t) { return t.account == account && t.request.info == *info; });
    if (it != timers.end())
        timers.erase(it);
}

size_t CTimerService::Pending() const {
    std::lock_guard<std::mutex> guard(lock);
    return timers.size();
}

void CTimerService::WaitUntilCaughtUp() const {
    std::unique_lock<std::mutex> guard(lock);
    idleChanged.wait(guard, [this] { return stopping || (idle && !changed); });
}

void CTimerService::OnClockChanged() {
    {
        std::lock_guard<std::mutex> guard(lock);
        changed = true;
    }
    wake.notify_all();
}

void CTimerService::Fire(const Protocols::TimerRequest& request) {
    if (services == nullptr)
        return;
    // A client that is gone (its account was deleted) refuses the event and
    // the argument is freed with the refusal.
    services->SendEvent(request.clientId, Protocols::TimerServiceGuid, Protocols::TimerEvent::Fire,
                        new CEventArg_Data<Protocols::TimerRequest>(request), nullptr, false);
}

void CTimerService::Run() {
    std::unique_lock<std::mutex> guard(lock);
    while (!stopping) {
        changed = false;
        int64_t now = CYolClock::Current().Now();
        std::vector<Timer> due;
        int64_t earliest = INT64_MAX;
        std::erase_if(timers, [&](const Timer& t) {
            if (t.due <= now) {
                due.push_back(t);
                return true;
            }
            earliest = std::min(earliest, t.due);
            return false;
        });
        if (!due.empty()) {
            guard.unlock();
            // Earlier fire times first; equal ones in the order they were set.
            std::stable_sort(due.begin(), due.end(), [](const Timer& a, const Timer& b) { return a.due < b.due; });
            for (const Timer& timer : due)
                Fire(timer.request);
            guard.lock();
            continue;
        }
        auto ready = [this] { return stopping || changed; };
        idle = true;
        idleChanged.notify_all();
        if (timers.empty()) {
            wake.wait(guard, ready);
        } else {
            int64_t waitMs = std::min<int64_t>((earliest - now) * 1000, kPollMs);
            wake.wait_for(guard, std::chrono::milliseconds(waitMs), ready);
        }
        idle = false;
    }
    idleChanged.notify_all();
}

}  // namespace Services
