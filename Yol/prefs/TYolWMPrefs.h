#pragma once
// The one program-wide record of the user's preferences. It is filled once
// at start-up from the settings file, read directly by the shell, the
// message windows, the alerts and the dialogs, edited in place by the
// preferences dialog and written back once when the program ends.
//
// Runs on the UI thread only.

#include "CYolArray.h"
#include "CYolString.h"
#include "Drawing/Font.h"
#include "SkinColors.h"
#include "TYolWMAlertSettings.h"

#include <functional>

namespace Services {
class CServicesManager;
}

namespace UI {

struct TYolWMPrefs {
    TYolWMPrefs();

    // Fills every field from the settings file; a key that cannot be read,
    // and a pack that is missing or broken, falls back to its default. The
    // anti-spam fields come from the contact-list model instead. Without an
    // argument, the services of the process's services manager are used.
    void Load();
    void Load(Services::CServicesManager* services);
    // Writes every field back; without a settings file nothing is written.
    void Save() const;
    void Save(Services::CServicesManager* services) const;

    // The pack scans of the program folder, sorted by name.
    static void ListAlertPacks(CYolArray<CYolString>& names);
    static void ListSkins(CYolArray<CYolString>& names);
    static void ListSmilePacks(CYolArray<CYolString>& names);
    static void ListLanguages(CYolArray<CYolString>& names);
    static bool IsAlertPackValid(const CYolString& name);
    static bool IsSkinValid(const CYolString& name);
    static bool IsSmilePackValid(const CYolString& name);
    static void GetDefaultAlertPack(CYolString& name);
    static void GetDefaultSkin(CYolString& name);
    static void GetDefaultSmilePack(CYolString& name);
    // The language the user picks when none is stored: the program's
    // language dialog, set with SetLanguageAsker; "English" when no dialog
    // is set or it answers an empty name.
    static void AskLanguage(CYolString& name);
    using LanguageAsker = std::function<CYolString()>;
    static void SetLanguageAsker(LanguageAsker asker);

    // Bools hold 0 or 1; "byte values" receive the stored byte unchanged.
    bool GlobAutoConnect = true;
    bool GlobTrayIcon = true;
    bool GlobFullScreen = false;
    bool GlobWideMenu = true;
    unsigned int CLMeta = 1;
    unsigned int CLMode = 1;
    bool CLOnlyOnline = false;
    unsigned int CLColumns = 2;
    bool CLDontShowIcon = false;
    LOGFONTW CLFont;

    // Notifications.
    bool TurnOff = false;
    bool SignOn = false;
    bool SignOff = false;
    bool DontBlinking = false;
    bool ShowMsg = true;
    bool DontShowIfOccupied = false;
    bool DontShowIfActive = true;
    bool WakeUp = false;
    bool UseBlinking = true;

    // Alerts.
    unsigned int AlertSoundOn = 1;
    unsigned int AlertAdvancedSound = 0;
    unsigned int AlertVol = 10;
    unsigned int AlertVibraOn = 1;
    unsigned int AlertSoftMode = 1;
    CYolString AlertPackName;
    CYolArray<Alert::TYolWMAlertSettings> Alerts;

    // Skin, smileys and language.
    CYolString SkinName;
    Skins::TSkinColorTable Colors = {};
    unsigned int UseSmile = 1;
    unsigned int ScaleSmile = 1;
    CYolString SmilePack;
    CYolString Lang;

    // History.
    bool HistSaveHist = true;
    bool HistSaveNotInList = true;
    bool HistShowInMW = true;
    unsigned int HistMsgCountForShow = 4;

    // Anti-spam: the values in force are the contact-list model's.
    bool AntispamEnable = false;
    CYolString AntispamQuestion;
    CYolString AntispamAnswer;
    CYolString AntispamConfirm;

    // Hardware; 255 means the first suitable LED.
    bool GlobDontSleep = false;
    unsigned char HardBlinkLed = 255;
    unsigned char HardVibraLed = 255;
};

// Told of preference changes, one call per changed group.
class MYolWMUI_PrefsChangeObserver {
public:
    virtual void OnPrefsChanged(int group) = 0;

protected:
    ~MYolWMUI_PrefsChangeObserver() = default;
};

} // namespace UI
