#pragma once
// CYolWMAlert_Vibra: plays vibration patterns on the vibrator LED, one after
// the other. A pattern is a 32-bit mask, bit i (least significant first)
// standing for the i-th step of 250 ms, set meaning "vibrate". Leading and
// trailing quiet steps are dropped and one quiet step closes each pattern,
// so the vibrator is always off between two patterns.
//
// A hidden window of its own drives the steps with a window timer; it runs
// on the UI thread.

#include "CYolArray.h"
#include "CYolWMUI_WndBase.h"

namespace UI {
struct TYolWMPrefs;
}

namespace Alert {

class CYolWMAlert_Vibra : public UI::CYolWMUI_Wnd {
public:
    static constexpr int kTimerId = 4000;
    static constexpr unsigned int kStepMs = 250;

    // Finds the vibrator LED; "HardVibraLed" in `prefs` may name another.
    explicit CYolWMAlert_Vibra(const UI::TYolWMPrefs& prefs);
    // Stops the timer and switches the vibrator off if it is on.
    ~CYolWMAlert_Vibra() override;
    CYolWMAlert_Vibra(const CYolWMAlert_Vibra&) = delete;
    CYolWMAlert_Vibra& operator=(const CYolWMAlert_Vibra&) = delete;

    // Queues the pattern; 0 is ignored.
    void Vibrate(unsigned int pattern);
    bool IsPlaying() const { return steps.Count() > 0; }
    int PendingCount() const { return pending.Count(); }

    void OnTimer(int id, TIMERPROC proc) override;

private:
    void StartNext();
    void SwitchVibrator(bool on);

    const UI::TYolWMPrefs& prefs;
    CYolArray<unsigned int> pending;
    // Steps of the pattern that plays; empty when idle.
    CYolArray<int> steps;
    // The step whose tick has come; -1 until the first tick.
    int current = -1;
    int vibraLed;
};

} // namespace Alert
