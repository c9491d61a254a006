#pragma once
// CYolWMAlert_Sound: plays the WAV file of an alert. In the simple mode the
// file goes to the platform's sound function as it is; in the advanced mode
// ("AlertAdvancedSound") the player plays it itself through the wave
// output, at the alert volume in both channels, one sound after the other:
// each sound opens its own output when it is queued and closes it once it
// has played. A file that is no plain PCM WAV plays nothing.
//
// A hidden window of its own takes the output's completion messages; it
// runs on the UI thread.

#include "Audio/WaveOut.h"
#include "CYolString.h"
#include "CYolWMUI_WndBase.h"
#include "TYolWMAlertEvent.h"

#include <deque>
#include <memory>
#include <vector>

namespace UI {
struct TYolWMPrefs;
}

namespace Alert {

class CYolWMAlert_Sound : public UI::CYolWMUI_Wnd {
public:
    explicit CYolWMAlert_Sound(const UI::TYolWMPrefs& prefs);
    // Stops the sound that plays and lets go of every queued one.
    ~CYolWMAlert_Sound() override;
    CYolWMAlert_Sound(const CYolWMAlert_Sound&) = delete;
    CYolWMAlert_Sound& operator=(const CYolWMAlert_Sound&) = delete;

    void PlaySound(const CYolString& path);
    // Plays the event's sound when its settings ask for one.
    void PlayEvent(TYolWMAlertEvent event);

    // The alert volume (0-10) as the output's volume, the same in both
    // channels; above 10 counts as 10.
    static std::uint32_t OutputVolume(unsigned int alertVolume);

    bool IsPlaying() const { return playing != nullptr; }
    int QueuedCount() const { return static_cast<int>(queue.size()); }

    int OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override;

private:
    // One sound: its output and the buffer it plays, owned together.
    struct TSound {
        HWAVEOUT out = nullptr;
        WAVEHDR header;
        std::vector<unsigned char> samples;
    };

    void PlayAdvanced(const CYolString& path);
    void ServeQueue();
    // Stops the sound's output if it still plays, then frees it all.
    static void Release(std::unique_ptr<TSound> sound);

    const UI::TYolWMPrefs& prefs;
    std::deque<std::unique_ptr<TSound>> queue;
    std::unique_ptr<TSound> playing;
};

} // namespace Alert
