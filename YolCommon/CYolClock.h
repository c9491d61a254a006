#pragma once
// The system's one clock. Everything that asks "what time is it" or "how long
// since" goes through CYolClock::Current(), so that tests can install a
// CYolManualClock and run two-minute keep-alives in microseconds.
//
// Waiters that sleep until a tick (the timer service) register a
// MYolClockObserver: whenever the current clock's time jumps (a manual clock
// advanced or set, or another clock installed) every observer is told, and
// re-reads the clock and recomputes its wait. The system clock flows by
// itself and never notifies; a waiter's own timed wait covers it.

#include "YolTypes.h"

#include <atomic>

class YOL_API MYolClockObserver {
public:
    // Called on the thread that moved the clock, with the observer list
    // locked: signal your own waiter and return. Do not add or remove
    // observers from here.
    virtual void OnClockChanged() = 0;

protected:
    ~MYolClockObserver() = default;
};

class YOL_API CYolClock {
public:
    virtual ~CYolClock();

    // Milliseconds on a monotonic scale (since boot for the system clock).
    virtual uint64_t TickCount64() const = 0;
    // Wall time: seconds since 1970-01-01 00:00 UTC.
    virtual int64_t Now() const = 0;
    // The tick count in 32 bits, wrapping like the handheld's tick count;
    // compare two of them by unsigned difference.
    uint32_t TickCount() const { return static_cast<uint32_t>(TickCount64()); }

    // The clock in force: the system clock unless a test installed another.
    static CYolClock& Current();
    static CYolClock& System();
    // Makes `clock` current (null: the system clock) and notifies observers.
    // Answers the clock that was current. The caller keeps `clock` alive
    // until it is replaced.
    static CYolClock* Install(CYolClock* clock);

    static void AddObserver(MYolClockObserver* observer);
    static void RemoveObserver(MYolClockObserver* observer);

protected:
    CYolClock() = default;
    CYolClock(const CYolClock&) = delete;
    CYolClock& operator=(const CYolClock&) = delete;

    bool IsCurrent() const;
    // Puts the system clock back when this clock is the current one.
    void UninstallIfCurrent();
    static void NotifyChanged();
};

// A clock that moves only when told to. Installing it is the tests' business;
// destroying it while installed puts the system clock back.
class YOL_API CYolManualClock : public CYolClock {
public:
    explicit CYolManualClock(uint64_t tickCount = 0, int64_t unixNow = 0);
    ~CYolManualClock() override;

    uint64_t TickCount64() const override;
    int64_t Now() const override;

    // Moves the tick count and the wall time forward together.
    void Advance(uint64_t ms);
    // Sets the wall time alone, like a user changing the device's clock.
    void SetNow(int64_t unixSeconds);

private:
    std::atomic<uint64_t> ticks;
    std::atomic<int64_t> wallMs;
};
