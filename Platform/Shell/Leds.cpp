// The recorded notification-LED device.

#include "Leds.h"

#include "CYolClock.h"

#include <mutex>

using namespace Platform;

namespace {

const std::vector<std::int32_t> kDefaultLeds = {1, -1};

struct LedDevice {
    std::mutex m;
    std::vector<std::int32_t> cycleAdjusts = kDefaultLeds;
    std::vector<int> modes = std::vector<int>(kDefaultLeds.size(), NLED_MODE_OFF);
    bool failing = false;
    std::vector<LedChange> changes;
};

LedDevice& TheDevice()
{
    static LedDevice* device = new LedDevice;
    return *device;
}

} // namespace

bool NLedGetDeviceInfo(int id, void* info)
{
    LedDevice& device = TheDevice();
    std::lock_guard<std::mutex> lock(device.m);
    if (!info || device.failing)
        return false;
    if (id == NLED_COUNT_INFO_ID) {
        static_cast<NLED_COUNT_INFO*>(info)->cLeds = static_cast<UINT>(device.cycleAdjusts.size());
        return true;
    }
    if (id != NLED_SUPPORTS_INFO_ID)
        return false;
    auto* supports = static_cast<NLED_SUPPORTS_INFO*>(info);
    if (supports->LedNum >= device.cycleAdjusts.size())
        return false;
    const std::int32_t adjust = device.cycleAdjusts[supports->LedNum];
    *supports = NLED_SUPPORTS_INFO{supports->LedNum, adjust, adjust >= 0, adjust >= 0, adjust >= 0, adjust >= 0,
                                   adjust >= 0};
    return true;
}

bool NLedSetDevice(int id, const void* info)
{
    LedDevice& device = TheDevice();
    std::lock_guard<std::mutex> lock(device.m);
    if (!info || device.failing || id != NLED_SETTINGS_INFO_ID)
        return false;
    const auto& settings = *static_cast<const NLED_SETTINGS_INFO*>(info);
    if (settings.LedNum >= device.modes.size() || settings.OffOnBlink < NLED_MODE_OFF ||
        settings.OffOnBlink > NLED_MODE_BLINK)
        return false;
    device.modes[settings.LedNum] = settings.OffOnBlink;
    device.changes.push_back(LedChange{CYolClock::Current().TickCount64(), settings});
    return true;
}

namespace Platform {

void SetLeds(const std::vector<std::int32_t>& cycleAdjusts, bool failing)
{
    LedDevice& device = TheDevice();
    std::lock_guard<std::mutex> lock(device.m);
    device.cycleAdjusts = cycleAdjusts;
    device.modes.assign(cycleAdjusts.size(), NLED_MODE_OFF);
    device.failing = failing;
    device.changes.clear();
}

void ResetLeds()
{
    SetLeds(kDefaultLeds);
}

std::vector<LedChange> GetLedChanges()
{
    LedDevice& device = TheDevice();
    std::lock_guard<std::mutex> lock(device.m);
    return device.changes;
}

int GetLedMode(UINT led)
{
    LedDevice& device = TheDevice();
    std::lock_guard<std::mutex> lock(device.m);
    return led < device.modes.size() ? device.modes[led] : NLED_MODE_OFF;
}

} // namespace Platform
