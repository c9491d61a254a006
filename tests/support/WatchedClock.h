#pragma once
// A manual clock that counts how often it is read, installed for its
// lifetime. A file opener that finds its file held reads the clock once for
// its deadline and again after each try, so a test that has seen two reads
// knows the opener is waiting; advancing the clock past the deadline then
// makes it give up, without the test waiting in real time.

#include "CYolClock.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class WatchedClock : public CYolManualClock {
public:
    WatchedClock() : previous(CYolClock::Install(this)) {}
    ~WatchedClock() override { CYolClock::Install(previous); }

    uint64_t TickCount64() const override {
        {
            std::lock_guard<std::mutex> guard(lock);
            ++reads;
        }
        changed.notify_all();
        return CYolManualClock::TickCount64();
    }

    // Waits until the clock has been read `count` more times since the
    // call; false when that did not happen within a minute (a hung test
    // would say less).
    bool WaitForReads(uint64_t count) const {
        std::unique_lock<std::mutex> guard(lock);
        uint64_t target = reads + count;
        return changed.wait_for(guard, std::chrono::minutes(1), [&] { return reads >= target; });
    }

private:
    CYolClock* previous;
    mutable std::mutex lock;
    mutable std::condition_variable changed;
    mutable uint64_t reads = 0;
};
