#pragma once
// CReconnectWait: the wait between a lost connection and the next attempt.
// Armed on the account's thread with a tick of CYolClock::Current(), it
// calls `due` once when the clock reaches that tick, unless cancelled
// first. A clock that jumps (a test's manual clock) is seen at once through
// the clock's observer hook, and `due` then runs right there, on the thread
// that moved the clock; the system clock flows without telling anyone, so a
// thread of its own sleeps until the tick. `due` runs with the wait's lock
// held: it may only post (the account posts itself SetStatus), and Cancel,
// which takes the same lock, returns only once no `due` can start any more.

#include "CYolClock.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class CReconnectWait final : private MYolClockObserver {
public:
    explicit CReconnectWait(std::function<void()> due) : due(std::move(due)) {}
    ~CReconnectWait() { Cancel(); }
    CReconnectWait(const CReconnectWait&) = delete;
    CReconnectWait& operator=(const CReconnectWait&) = delete;

    // Replaces any wait under way with one that ends at `tick`.
    void Start(uint64_t tick);
    // Drops the wait; joins its thread.
    void Cancel();
    // Armed and not yet come due.
    bool IsPending() const;

private:
    // Keeps the sleep's end within what a steady clock can count.
    static constexpr uint64_t kLongestSleepMs = 3600000;

    void OnClockChanged() override;
    void Run();
    // With `lock` held: calls `due` when the tick has come.
    bool FireIfDue();

    std::function<void()> due;
    mutable std::mutex lock;
    std::condition_variable wake;
    bool armed = false;
    uint64_t dueTick = 0;
    bool observing = false;
    std::thread waiter;
};
