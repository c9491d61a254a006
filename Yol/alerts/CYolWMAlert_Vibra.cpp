#include "CYolWMAlert_Vibra.h"

#include "CYolWMAlert_Leds.h"
#include "TYolWMPrefs.h"
#include "WindowSystem/Timers.h"

namespace Alert {

CYolWMAlert_Vibra::CYolWMAlert_Vibra(const UI::TYolWMPrefs& prefs)
    : prefs(prefs), vibraLed(CYolWMAlert_Leds::FindVibraLed())
{
    pending.SetGrowStep(10);
    steps.SetGrowStep(10);
}

CYolWMAlert_Vibra::~CYolWMAlert_Vibra()
{
    if (!IsPlaying())
        return;
    if (m_hWnd)
        KillTimer(m_hWnd, kTimerId);
    if (current >= 0 && steps[current] == 1)
        SwitchVibrator(false);
}

void CYolWMAlert_Vibra::Vibrate(unsigned int pattern)
{
    if (pattern == 0)
        return;
    pending.Add(pattern);
    StartNext();
}

void CYolWMAlert_Vibra::StartNext()
{
    // A pattern counts as playing from the moment it is taken, not only from
    // its first tick: a second pattern raised within those 250 ms would
    // otherwise replace the first one.
    if (IsPlaying() || pending.Count() == 0)
        return;
    unsigned int pattern = pending[0];
    pending.RemoveAt(0);
    while ((pattern & 1) == 0)
        pattern >>= 1;
    for (; pattern != 0; pattern >>= 1)
        steps.Add(static_cast<int>(pattern & 1));
    steps.Add(0);
    current = -1;
    // Without its window nothing could ever end the pattern.
    if (!SetTimer(m_hWnd, kTimerId, kStepMs, nullptr))
        steps.Clear();
}

void CYolWMAlert_Vibra::OnTimer(int id, TIMERPROC)
{
    if (id != kTimerId || !IsPlaying())
        return;
    ++current;
    if (current >= steps.Count()) {
        current = -1;
        steps.Clear();
        KillTimer(m_hWnd, kTimerId);
        StartNext();
        return;
    }
    const int previous = current > 0 ? steps[current - 1] : 0;
    if (steps[current] != previous)
        SwitchVibrator(steps[current] == 1);
}

void CYolWMAlert_Vibra::SwitchVibrator(bool on)
{
    CYolWMAlert_Leds::Switch(CYolWMAlert_Leds::Choose(prefs.HardVibraLed, vibraLed), on);
}

} // namespace Alert
