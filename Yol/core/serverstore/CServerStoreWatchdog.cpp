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
        // A new deadline may come before the one the thread sleeps towards.
        changed = true;
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

void CServerStoreWatchdog::WaitUntilCaughtUp() {
    std::unique_lock<std::mutex> hold(lock);
    caughtUp.wait(hold, [this] { return stopping || (idle && !changed); });
}

void CServerStoreWatchdog::OnClockChanged() {
    // Called with the clock's observer list locked. The flag is set under
    // the thread's own lock so a jump between its look at the clock and its
    // wait is not missed (it would otherwise sleep up to kPollMs past it).
    {
        std::lock_guard<std::mutex> hold(lock);
        changed = true;
    }
    wake.notify_all();
}

void CServerStoreWatchdog::Run() {
    std::unique_lock<std::mutex> hold(lock);
    while (!stopping) {
        changed = false;
        idle = false;
        if (!armed) {
            idle = true;
            caughtUp.notify_all();
            wake.wait(hold, [this] { return stopping || changed; });
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
        idle = true;
        caughtUp.notify_all();
        wake.wait_for(hold, std::chrono::milliseconds(std::min(deadline - now, kPollMs)),
                      [this] { return stopping || changed; });
    }
    idle = true;
    caughtUp.notify_all();
}
