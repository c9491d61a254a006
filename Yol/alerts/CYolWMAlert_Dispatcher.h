#pragma once
// CYolWMAlert_Dispatcher: turns the application's alert events into sounds
// and vibrations as the preferences and the global status allow, plays one
// event's settings for the alerts dialog, and blinks the notification LED
// for the shell notifications. Owns the sound player and the vibration
// player and creates their hidden windows under the application window.
//
// UI thread only.

#include "CYolWMAlert_Sound.h"
#include "CYolWMAlert_Vibra.h"
#include "PlatformTypes.h"
#include "TYolWMAlertEvent.h"
#include "TYolWMPrefs.h"

#include <memory>

namespace Services {
class CServicesManager;
}

namespace Alert {

class CYolWMAlert_Dispatcher : public UI::MYolWMUI_PrefsChangeObserver {
public:
    // `services` finds the protocols manager for the soft mode's status
    // check (null: no check); `prefs` outlives the dispatcher.
    CYolWMAlert_Dispatcher(Services::CServicesManager* services, const UI::TYolWMPrefs& prefs, HINSTANCE instance,
                           HWND parent);
    virtual ~CYolWMAlert_Dispatcher();
    CYolWMAlert_Dispatcher(const CYolWMAlert_Dispatcher&) = delete;
    CYolWMAlert_Dispatcher& operator=(const CYolWMAlert_Dispatcher&) = delete;

    void RaiseAlert(TYolWMAlertEvent event);
    // The event's own settings alone: the global sound and vibration
    // switches and the soft mode do not count.
    void Preview(const TYolWMAlertSettings& settings);
    // Starts or stops blinking the notification LED.
    void BlinkLed(bool on);
    static unsigned int GetLedCount();

    // The sound switch is read at each alert; nothing to redo on a change.
    void OnPrefsChanged(int group) override;

    CYolWMAlert_Sound& Sound() { return *sound; }
    CYolWMAlert_Vibra& Vibra() { return *vibra; }

private:
    // Soft mode: no alert while the user is not available or occupied. A
    // status that cannot be had lets the alert through.
    bool SilencedBySoftMode() const;

    Services::CServicesManager* services;
    const UI::TYolWMPrefs& prefs;
    std::unique_ptr<CYolWMAlert_Sound> sound;
    std::unique_ptr<CYolWMAlert_Vibra> vibra;
    // Looked up on first use; kUnknown until then.
    static constexpr int kUnknown = -2;
    int blinkLed = kUnknown;
};

} // namespace Alert
