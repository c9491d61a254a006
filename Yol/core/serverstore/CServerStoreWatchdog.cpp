#include "CServerStoreWatchdog.h"

#include <algorithm>
#include <chrono>

namespace {

// The system clock moves without telling anyone; look at it at least this
// often while a deadline is pending.
constexpr uint64_t kPollMs = 250;

}  // namespace

CServerStoreWatchdog::CServerStoreWatchdog(std::function<void(unsigned int)> expired) : expired(std::move(expired)) {
    CYolClock::AddObserver(this);
    worker = std::thread([this] { Run(); });
}

CServerStoreWatchdog::~CServerStoreWatchdog() {
    CYolClock::RemoveObserver(this);
    {
        std::lock_guard<std::mutex> hold(lock);
        stopping = true;
    }
    wake.notify_all();
    worker.join();
}

void CServerStoreWatchdog::Arm(unsigned int exchange, uint32_t timeout) {
    {
        std::lock_guard<std::mutex> hold(lock);
        armed = true;
        serial = exchange;
        timeoutMs = timeout;
        deadline = CYolClock::Current().TickCount64() + timeout;
    }
    wake.notify_all();
}

void CServerStoreWatchdog::Touch() {
    std::lock_guard<std::mutex> hold(lock);
    if (armed)
        deadline = CYolClock::Current().TickCount64() + timeoutMs;
}

void CServerStoreWatchdog::Disarm() {
    std::lock_guard<std::mutex> hold(lock);
    armed = false;
}

void CServerStoreWatchdog::OnClockChanged() {
    // Called with the clock's observer list locked: only signal.
    wake.notify_all();
}

void CServerStoreWatchdog::Run() {
    std::unique_lock<std::mutex> hold(lock);
    while (!stopping) {
        if (!armed) {
            wake.wait(hold);
            continue;
        }
        const uint64_t now = CYolClock::Current().TickCount64();
        if (now >= deadline) {
            armed = false;
            const unsigned int which = serial;
            hold.unlock();
            expired(which);
            hold.lock();
            continue;
        }
        wake.wait_for(hold, std::chrono::milliseconds(std::min(deadline - now, kPollMs)));
    }
}
