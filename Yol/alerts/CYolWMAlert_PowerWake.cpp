#include "CYolWMAlert_PowerWake.h"

#include "CYolClock.h"
#include "CYolString.h"
#include "Shell/Power.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace Alert {

namespace {

// Wakes the sleeper whenever a manual clock jumps; the system clock is
// covered by the sleeper's own timed wait.
class ClockSleeper final : private MYolClockObserver {
public:
    ClockSleeper() { CYolClock::AddObserver(this); }
    ~ClockSleeper() { CYolClock::RemoveObserver(this); }
    ClockSleeper(const ClockSleeper&) = delete;
    ClockSleeper& operator=(const ClockSleeper&) = delete;

    void SleepUntil(std::uint64_t tick)
    {
        std::unique_lock<std::mutex> guard(lock);
        for (;;) {
            const std::uint64_t now = CYolClock::Current().TickCount64();
            if (now >= tick)
                return;
            changed = false;
            wake.wait_for(guard, std::chrono::milliseconds(tick - now), [&] { return changed; });
        }
    }

private:
    void OnClockChanged() override
    {
        {
            std::lock_guard<std::mutex> guard(lock);
            changed = true;
        }
        wake.notify_all();
    }

    std::mutex lock;
    std::condition_variable wake;
    bool changed = false;
};

} // namespace

void CYolWMAlert_PowerWake::WakeAudio()
{
    if (!IsAsleep())
        return;
    SetSystemPowerState(u"screenoff", 0, POWER_FORCE);
    for (int i = 0; i < kTries; ++i) {
        SleepOnClock(kTryMs);
        if (IsAudioUp())
            return;
    }
}

bool CYolWMAlert_PowerWake::IsAsleep()
{
    char16_t state[100] = {};
    if (!GetSystemPowerState(state, 100, nullptr))
        return false;
    return CYolString::Comparei(state, u"unattended", -1) == 0 || CYolString::Comparei(state, u"resuming", -1) == 0;
}

bool CYolWMAlert_PowerWake::IsAudioUp()
{
    CEDEVICE_POWER_STATE state = PwrDeviceUnspecified;
    return GetDevicePower(u"wav1:", POWER_NAME, &state) && state == D0;
}

void CYolWMAlert_PowerWake::SleepOnClock(unsigned int ms)
{
    ClockSleeper sleeper;
    sleeper.SleepUntil(CYolClock::Current().TickCount64() + ms);
}

} // namespace Alert
