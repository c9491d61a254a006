#include "CYolWMAlert_Leds.h"

#include "Shell/Leds.h"

namespace Alert {

namespace {

// The first LED whose cycle adjustment the test accepts.
template <typename Test>
int FindLed(Test accepts)
{
    const unsigned int count = CYolWMAlert_Leds::GetLedCount();
    for (unsigned int led = 0; led < count; ++led) {
        NLED_SUPPORTS_INFO supports;
        supports.LedNum = led;
        if (NLedGetDeviceInfo(NLED_SUPPORTS_INFO_ID, &supports) && accepts(supports.lCycleAdjust))
            return static_cast<int>(led);
    }
    return CYolWMAlert_Leds::kNone;
}

} // namespace

unsigned int CYolWMAlert_Leds::GetLedCount()
{
    NLED_COUNT_INFO count;
    return NLedGetDeviceInfo(NLED_COUNT_INFO_ID, &count) ? count.cLeds : 0;
}

int CYolWMAlert_Leds::FindBlinkLed()
{
    return FindLed([](int adjust) { return adjust >= 0; });
}

int CYolWMAlert_Leds::FindVibraLed()
{
    return FindLed([](int adjust) { return adjust == -1; });
}

int CYolWMAlert_Leds::Choose(unsigned int preferred, int found)
{
    return preferred == kFirstSuitable ? found : static_cast<int>(preferred);
}

void CYolWMAlert_Leds::Blink(int led, bool on)
{
    // A short flash every five seconds.
    NLED_SETTINGS_INFO settings;
    settings.OffOnBlink = on ? NLED_MODE_BLINK : NLED_MODE_OFF;
    settings.TotalCycleTime = 5000;
    settings.OnTime = 200;
    settings.OffTime = 0;
    settings.MetaCycleOn = 200;
    settings.MetaCycleOff = 200;
    Apply(led, settings);
}

void CYolWMAlert_Leds::Switch(int led, bool on)
{
    NLED_SETTINGS_INFO settings;
    settings.OffOnBlink = on ? NLED_MODE_ON : NLED_MODE_OFF;
    Apply(led, settings);
}

void CYolWMAlert_Leds::Apply(int led, NLED_SETTINGS_INFO& settings)
{
    if (led < 0)
        return;
    settings.LedNum = static_cast<UINT>(led);
    NLedSetDevice(NLED_SETTINGS_INFO_ID, &settings);
}

} // namespace Alert
