#pragma once
// Before a sound plays: a handheld that runs unattended (screen off, woken
// by a timer or a message) or is just resuming has its audio device powered
// down. The screen is switched on and the audio device given up to five
// seconds, looked at once a second, to come up. The seconds are those of
// CYolClock, so a test's manual clock runs them without waiting.

namespace Alert {

class CYolWMAlert_PowerWake {
public:
    static constexpr int kTries = 5;
    static constexpr unsigned int kTryMs = 1000;

    // Returns once the audio device is up, or after the last try; at once
    // when the device was not asleep.
    static void WakeAudio();

private:
    static bool IsAsleep();
    static bool IsAudioUp();
    // Sleeps until CYolClock::Current() has moved on by `ms`.
    static void SleepOnClock(unsigned int ms);
};

} // namespace Alert
