#pragma once
// An event in the handheld's sense: Set wakes a waiter. Auto-reset by
// default: Set releases exactly one thread that is waiting, or, when none
// is, stays signalled until the next Wait takes it. A manual-reset event
// stays signalled for every waiter until Reset.

#include "YolTypes.h"

#include <condition_variable>
#include <mutex>

class YOL_API CYolEvent {
public:
    // A time-out that never expires.
    static constexpr unsigned int Infinite = 0xFFFFFFFFu;

    explicit CYolEvent(bool manualReset = false);
    ~CYolEvent();
    CYolEvent(const CYolEvent&) = delete;
    CYolEvent& operator=(const CYolEvent&) = delete;

    void Set();
    void Reset();

    void Wait();
    // True when the event was signalled within `ms` milliseconds (measured on
    // the monotonic clock); Wait(0) only polls.
    bool Wait(unsigned int ms);

    // Threads inside Wait right now, released or not; lets a test know that
    // a waiter has gone to sleep before it sets the event.
    unsigned long Waiters();

private:
    bool TakeLocked();

    std::mutex mutex;
    std::condition_variable wake;
    const bool manualReset;
    bool signalled = false;
    // Threads blocked in Wait, and how many of them a Set has already
    // released but that have not woken yet: a second Set must release a
    // second waiter, not fold into the first.
    unsigned long waiting = 0;
    unsigned long released = 0;
};
