#pragma once
// Ends an exchange of the server store that stopped moving: a server that
// accepts the connection and never answers, or stops half-way, would
// otherwise hold the store's queue for good.
//
// Times are ticks of CYolClock::Current(), so a test's manual clock expires
// an exchange at once. The watchdog's thread sleeps until the deadline (or a
// jump of the clock) and then calls `expired` with the exchange's serial; the
// store posts itself an event from there and checks the serial on its own
// thread, so a late call for an exchange already over does nothing.

#include "CYolClock.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class CServerStoreWatchdog final : private MYolClockObserver {
public:
    // `expired` runs on the watchdog's thread, with no lock of the watchdog
    // held.
    explicit CServerStoreWatchdog(std::function<void(unsigned int serial)> expired);
    // Stops and joins the thread; a pending deadline is dropped.
    ~CServerStoreWatchdog();
    CServerStoreWatchdog(const CServerStoreWatchdog&) = delete;
    CServerStoreWatchdog& operator=(const CServerStoreWatchdog&) = delete;

    // Watches the exchange `serial`: it expires `timeoutMs` after now unless
    // touched or disarmed first.
    void Arm(unsigned int serial, uint32_t timeoutMs);
    // The exchange moved: its time starts again.
    void Touch();
    void Disarm();
    // Returns once the thread has looked at the clock since its last jump
    // and fired whatever was due then: an exchange that has not expired by
    // now does not expire at this time.
    void WaitUntilCaughtUp();

private:
    void OnClockChanged() override;
    void Run();

    std::function<void(unsigned int)> expired;
    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable caughtUp;
    // The clock jumped and the thread has not looked at it since.
    bool changed = false;
    // The thread is waiting (not between its look at the clock and acting).
    bool idle = false;
    bool armed = false;
    bool stopping = false;
    unsigned int serial = 0;
    uint32_t timeoutMs = 0;
    uint64_t deadline = 0;
    std::thread worker;
};
