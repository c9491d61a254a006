#pragma once
// The settings of the seven alert events and the alert packs they come from.
//
// An alert pack is a folder of "Alerts/" in the program folder holding WAV
// files and "_alerts.ini": 8-bit text that starts with "[YolAlerts]\r\n" and
// then holds one entry per event, in event order. An entry is found by its
// "=": what stands before it (a key, a line end) is not read; after it come
// the WAV file's name, white space, and the vibration flags ("1101": one
// character per 250 ms step, anything but "0" vibrates). Runs on the UI
// thread only.

#include "CYolArray.h"
#include "CYolString.h"
#include "SettingsBlobs.h"

#include <cstddef>

namespace Alert {

// One alert event's settings: whether it alerts, its sound and its vibration
// pattern (bit i = 250 ms step i).
using TYolWMAlertSettings = TAlertSettingsEntry;

// The alert events, also the index into the settings array.
constexpr int kAlertEventCount = 7;

// The pack that comes with the program.
const char16_t* GetDefaultAlertPackName();

// The settings of the pack named `packName` (a folder name of "Alerts/");
// the built-in settings when the pack is missing or its file does not parse.
void LoadAlertSettings(const CYolString& packName, CYolArray<TYolWMAlertSettings>& settings);
// The same for the alerts file at `path`; the sounds are looked for in the
// file's own folder. `settings` always ends up with seven records.
void LoadAlertSettingsFile(const CYolString& path, CYolArray<TYolWMAlertSettings>& settings);
// Appends one record per entry of the alerts file `text`, whose sounds lie
// in `packFolder` (ending in "/"). False when the text is not a whole alerts
// file; the records read before the fault stay appended.
bool ParseAlertsFile(const char* text, std::size_t length, const CYolString& packFolder,
                     CYolArray<TYolWMAlertSettings>& settings);
// Replaces `settings` with the seven built-in records: every event on, no
// sound, vibration only for incoming messages and e-mail.
void SetDefaultAlertSettings(CYolArray<TYolWMAlertSettings>& settings);

// "1101" -> 0xB. Characters past the 32nd are not read.
unsigned int FlagsFromString(const char* text, std::size_t length);
unsigned int FlagsFromString(const CYolString& text);
// 0xB -> "1101": bit 0 first, cut after the last set bit; 0 -> "0".
CYolString FlagsToString(unsigned int flags);

}  // namespace Alert
