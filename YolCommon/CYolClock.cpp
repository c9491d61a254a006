#include "CYolClock.h"

#include <algorithm>
#include <ctime>
#include <mutex>
#include <vector>

namespace {

class CSystemClock final : public CYolClock {
public:
    uint64_t TickCount64() const override
    {
        timespec ts;
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    }

    int64_t Now() const override
    {
        timespec ts;
        clock_gettime(CLOCK_REALTIME, &ts);
        return static_cast<int64_t>(ts.tv_sec);
    }
};

// Null stands for the system clock, so the pointer is valid from the first
// instruction, before any static constructor has run.
std::atomic<CYolClock*> g_current{nullptr};

struct Observers {
    std::mutex lock;
    std::vector<MYolClockObserver*> list;
};

Observers& TheObservers()
{
    static Observers observers;
    return observers;
}

} // namespace

CYolClock::~CYolClock() = default;

CYolClock& CYolClock::System()
{
    static CSystemClock clock;
    return clock;
}

CYolClock& CYolClock::Current()
{
    CYolClock* clock = g_current.load(std::memory_order_acquire);
    return clock ? *clock : System();
}

CYolClock* CYolClock::Install(CYolClock* clock)
{
    if (clock == &System())
        clock = nullptr;
    CYolClock* previous = g_current.exchange(clock, std::memory_order_acq_rel);
    NotifyChanged();
    return previous ? previous : &System();
}

bool CYolClock::IsCurrent() const
{
    return &Current() == this;
}

void CYolClock::UninstallIfCurrent()
{
    CYolClock* self = this;
    if (g_current.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel))
        NotifyChanged();
}

void CYolClock::AddObserver(MYolClockObserver* observer)
{
    Observers& o = TheObservers();
    std::lock_guard<std::mutex> lock(o.lock);
    if (std::find(o.list.begin(), o.list.end(), observer) == o.list.end())
        o.list.push_back(observer);
}

void CYolClock::RemoveObserver(MYolClockObserver* observer)
{
    Observers& o = TheObservers();
    std::lock_guard<std::mutex> lock(o.lock);
    o.list.erase(std::remove(o.list.begin(), o.list.end(), observer), o.list.end());
}

void CYolClock::NotifyChanged()
{
    // Held across the calls so that an observer, once removed, is never
    // called again: it may be destroyed right after RemoveObserver.
    Observers& o = TheObservers();
    std::lock_guard<std::mutex> lock(o.lock);
    for (MYolClockObserver* observer : o.list)
        observer->OnClockChanged();
}

CYolManualClock::CYolManualClock(uint64_t tickCount, int64_t unixNow)
    : ticks(tickCount), wallMs(unixNow * 1000)
{
}

CYolManualClock::~CYolManualClock()
{
    UninstallIfCurrent();
}

uint64_t CYolManualClock::TickCount64() const
{
    return ticks.load(std::memory_order_acquire);
}

int64_t CYolManualClock::Now() const
{
    const int64_t ms = wallMs.load(std::memory_order_acquire);
    // Floor, so that a clock set before 1970 still counts whole seconds down.
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

void CYolManualClock::Advance(uint64_t ms)
{
    ticks.fetch_add(ms, std::memory_order_acq_rel);
    wallMs.fetch_add(static_cast<int64_t>(ms), std::memory_order_acq_rel);
    if (IsCurrent())
        NotifyChanged();
}

void CYolManualClock::SetNow(int64_t unixSeconds)
{
    wallMs.store(unixSeconds * 1000, std::memory_order_release);
    if (IsCurrent())
        NotifyChanged();
}
