#include "CReconnectWait.h"

#include <algorithm>
#include <chrono>

void CReconnectWait::Start(uint64_t tick) {
    Cancel();
    {
        std::lock_guard hold(lock);
        armed = true;
        dueTick = tick;
    }
    CYolClock::AddObserver(this);
    observing = true;
    waiter = std::thread([this] { Run(); });
}

void CReconnectWait::Cancel() {
    {
        std::lock_guard hold(lock);
        armed = false;
    }
    wake.notify_all();
    if (waiter.joinable())
        waiter.join();
    // Not under `lock`: the clock calls OnClockChanged with its observer
    // list locked, and that call takes `lock` in turn.
    if (observing) {
        CYolClock::RemoveObserver(this);
        observing = false;
    }
}

bool CReconnectWait::IsPending() const {
    std::lock_guard hold(lock);
    return armed;
}

bool CReconnectWait::FireIfDue() {
    if (!armed || CYolClock::Current().TickCount64() < dueTick)
        return false;
    armed = false;
    due();
    return true;
}

void CReconnectWait::OnClockChanged() {
    std::lock_guard hold(lock);
    if (!FireIfDue())
        return;
    wake.notify_all();
}

void CReconnectWait::Run() {
    std::unique_lock hold(lock);
    while (armed && !FireIfDue()) {
        // A replaced clock may stand anywhere: sleep what it says is left,
        // and let a jump of it (or Cancel) wake the thread early.
        const uint64_t now = CYolClock::Current().TickCount64();
        const uint64_t left = dueTick > now ? dueTick - now : 0;
        wake.wait_for(hold, std::chrono::milliseconds(std::min<uint64_t>(left, kLongestSleepMs)));
    }
}
