#include "CYolWMAlert_Dispatcher.h"

#include "CProtocolsManager.h"
#include "CServicesManager.h"
#include "CYolWMAlert_Leds.h"
#include "YolGuids.h"

namespace Alert {

CYolWMAlert_Dispatcher::CYolWMAlert_Dispatcher(Services::CServicesManager* services, const UI::TYolWMPrefs& prefs,
                                               HINSTANCE instance, HWND parent)
    : services(services), prefs(prefs), sound(std::make_unique<CYolWMAlert_Sound>(prefs)),
      vibra(std::make_unique<CYolWMAlert_Vibra>(prefs))
{
    const RECT empty;
    sound->Create(instance, parent, 0, empty);
    vibra->Create(instance, parent, 0, empty);
}

CYolWMAlert_Dispatcher::~CYolWMAlert_Dispatcher() = default;

void CYolWMAlert_Dispatcher::RaiseAlert(TYolWMAlertEvent event)
{
    if (event < 0 || event >= prefs.Alerts.Count())
        return;
    const TYolWMAlertSettings& settings = prefs.Alerts[event];
    if (!settings.on)
        return;
    if (prefs.AlertSoftMode && SilencedBySoftMode())
        return;
    if (prefs.AlertSoundOn && settings.soundOn)
        sound->PlaySound(settings.sound);
    if (prefs.AlertVibraOn)
        vibra->Vibrate(settings.vibra);
}

void CYolWMAlert_Dispatcher::Preview(const TYolWMAlertSettings& settings)
{
    if (!settings.on)
        return;
    if (settings.soundOn)
        sound->PlaySound(settings.sound);
    vibra->Vibrate(settings.vibra);
}

void CYolWMAlert_Dispatcher::BlinkLed(bool on)
{
    if (blinkLed == kUnknown)
        blinkLed = CYolWMAlert_Leds::FindBlinkLed();
    CYolWMAlert_Leds::Blink(CYolWMAlert_Leds::Choose(prefs.HardBlinkLed, blinkLed), on);
}

unsigned int CYolWMAlert_Dispatcher::GetLedCount()
{
    return CYolWMAlert_Leds::GetLedCount();
}

void CYolWMAlert_Dispatcher::OnPrefsChanged(int) {}

bool CYolWMAlert_Dispatcher::SilencedBySoftMode() const
{
    auto* protocols =
        services ? static_cast<Protocols::CProtocolsManager*>(services->GetService(ProtocolsManagerGuid)) : nullptr;
    Protocols::Status status = Protocols::Offline;
    if (!protocols || protocols->GetStatus(0, status) != 0)
        return false;
    return status == Protocols::NotAvailable || status == Protocols::Occupied;
}

} // namespace Alert
