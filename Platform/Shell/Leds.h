#pragma once
// The notification LEDs: the driver's device-info queries and settings, over
// a recorded model. An LED whose cycle adjustment is -1 drives the vibrator;
// the others blink. Nothing lights up on a Linux desktop, so every change is
// kept with the tick (CYolClock) it was made at, for the indicator and the
// tests. The default device has one blinking LED (0) and a vibrator (1).

#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>
#include <vector>

// NLedGetDeviceInfo / NLedSetDevice ids.
constexpr int NLED_COUNT_INFO_ID = 0;
constexpr int NLED_SUPPORTS_INFO_ID = 1;
constexpr int NLED_SETTINGS_INFO_ID = 2;

// OffOnBlink modes.
constexpr int NLED_MODE_OFF = 0;
constexpr int NLED_MODE_ON = 1;
constexpr int NLED_MODE_BLINK = 2;

struct NLED_COUNT_INFO {
    UINT cLeds = 0;
};

struct NLED_SUPPORTS_INFO {
    UINT LedNum = 0;
    // -1: the LED is a vibrator; 0 or more: the blink cycle's granularity.
    std::int32_t lCycleAdjust = 0;
    bool fAdjustTotalCycleTime = false;
    bool fAdjustOnTime = false;
    bool fAdjustOffTime = false;
    bool fMetaCycleOn = false;
    bool fMetaCycleOff = false;
};

struct NLED_SETTINGS_INFO {
    UINT LedNum = 0;
    int OffOnBlink = NLED_MODE_OFF;
    std::int32_t TotalCycleTime = 0;
    std::int32_t OnTime = 0;
    std::int32_t OffTime = 0;
    int MetaCycleOn = 0;
    int MetaCycleOff = 0;
};

// `info` points at the record the id names; LedNum selects the LED for the
// supports query. False for an unknown id or LED, or a device that fails.
YOL_API bool NLedGetDeviceInfo(int id, void* info);
// Only NLED_SETTINGS_INFO_ID is settable; false for an unknown LED.
YOL_API bool NLedSetDevice(int id, const void* info);

namespace Platform {

struct LedChange {
    std::uint64_t tick = 0;
    NLED_SETTINGS_INFO settings;
};

// Replaces the device's LEDs (one cycle adjustment per LED, in index order)
// and forgets the recorded changes. `failing` makes every query fail.
YOL_API void SetLeds(const std::vector<std::int32_t>& cycleAdjusts, bool failing = false);
// Back to the default device.
YOL_API void ResetLeds();
// Every accepted setting, oldest first.
YOL_API std::vector<LedChange> GetLedChanges();
// The LED's current mode; NLED_MODE_OFF for an unknown LED.
YOL_API int GetLedMode(UINT led);

} // namespace Platform
