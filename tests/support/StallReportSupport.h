#pragma once
// A manual clock and a recorder of the events queues' stall reports, for
// tests that need to see a stop still waiting for a handler: once the clock
// is past the report's deadline, the report proves the stop has not returned.

#include "CEventsQueue.h"
#include "CYolClock.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class StallReports {
public:
    using Report = std::pair<std::string, uint64_t>;  // client name, milliseconds waited

    StallReports() : clock(1000000) {
        Current() = this;
        previousClock = CYolClock::Install(&clock);
        previousReporter = Services::CEventsQueue::SetStallReporter(&Record);
    }
    ~StallReports() {
        Services::CEventsQueue::SetStallReporter(previousReporter);
        CYolClock::Install(previousClock);
        Current() = nullptr;
    }
    StallReports(const StallReports&) = delete;
    StallReports& operator=(const StallReports&) = delete;

    // Moves the clock by `step` (from a stop's start: past the report's
    // deadline) and waits for the report of the queue named `name`: true
    // once it came. A stop may begin only after the clock moved (the caller
    // cannot always see when it does); unless `once`, the clock moves past
    // the deadline again while no report has come.
    bool PastDeadline(const std::string& name, uint64_t step = Services::CEventsQueue::kStallReportMs + 1,
                      bool once = false) {
        clock.Advance(step);
        auto reported = [&] {
            for (const Report& r : reports)
                if (r.first == name)
                    return true;
            return false;
        };
        std::unique_lock<std::mutex> guard(lock);
        if (once)
            return arrived.wait_for(guard, std::chrono::seconds(10), reported);
        for (int round = 0; round < 100; ++round) {
            if (arrived.wait_for(guard, std::chrono::milliseconds(100), reported))
                return true;
            guard.unlock();
            clock.Advance(Services::CEventsQueue::kStallReportMs + 1);
            guard.lock();
        }
        return false;
    }

    std::vector<Report> Reports() {
        std::lock_guard<std::mutex> guard(lock);
        return reports;
    }

    CYolManualClock clock;

private:
    static std::atomic<StallReports*>& Current() {
        static std::atomic<StallReports*> current{nullptr};
        return current;
    }
    static void Record(const CYolString& name, uint64_t waitedMs) {
        StallReports* self = Current();
        if (self == nullptr)
            return;
        std::lock_guard<std::mutex> guard(self->lock);
        self->reports.emplace_back(name.ToUtf8(), waitedMs);
        self->arrived.notify_all();
    }

    std::mutex lock;
    std::condition_variable arrived;
    std::vector<Report> reports;
    CYolClock* previousClock = nullptr;
    Services::CEventsQueue::StallReporter previousReporter = nullptr;
};
