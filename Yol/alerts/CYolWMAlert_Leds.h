#pragma once
// The notification LEDs as the alerts use them: how many there are, which
// one blinks, which one is the vibrator, and switching one.

#include "Shell/Leds.h"

namespace Alert {

class CYolWMAlert_Leds {
public:
    static constexpr int kNone = -1;
    // The preference value that means "the first suitable LED".
    static constexpr unsigned int kFirstSuitable = 255;

    // 0 when the driver cannot tell.
    static unsigned int GetLedCount();
    // The first LED, in index order, that can blink (cycle adjustment 0 or
    // more); kNone when none can.
    static int FindBlinkLed();
    // The first LED whose cycle adjustment is -1; kNone when none is.
    static int FindVibraLed();
    // The preferred LED, unless it is kFirstSuitable: then `found`.
    static int Choose(unsigned int preferred, int found);

    // Blinks the LED (5 s cycle, 200 ms on) or switches it off.
    static void Blink(int led, bool on);
    // Switches the LED fully on or off.
    static void Switch(int led, bool on);

private:
    // Nothing for kNone.
    static void Apply(int led, NLED_SETTINGS_INFO& settings);
};

} // namespace Alert
