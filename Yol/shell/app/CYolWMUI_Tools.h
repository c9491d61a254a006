#pragma once
// UI::CYolWMUI_Tools: the user interface's shared resources, owned by the
// application and reached by every window through it: the skin image
// manager, the background brush, the language controller, and the alert,
// notification, smiley and anti-spam parts the program provides. It
// rebuilds them when the matching preferences change.
//
// Runs on the UI thread, except OnSmileLoadComplete (the smiley loader's
// thread), which only posts a message.

#include "AppPorts.h"
#include "CYolWMSkins_BkBrush.h"
#include "CYolWMSkins_ImageManager.h"
#include "CYol_CLEnvironment.h"
#include "TYolWMPrefs.h"
#include "YolWMMUI_Controller.h"

#include <memory>

namespace UI {

class CYolWMUI_StoreSkin;

class CYolWMUI_Tools final : public MYolWMUI_PrefsChangeObserver, public CL::MYol_CLStrings {
public:
    // The language controller switched to the preference "Lang"; the smiley
    // pack loading when "UseSmile" is on. `prefs` and `ports` outlive it.
    CYolWMUI_Tools(TYolWMPrefs& prefs, const TYolWMAppPorts& ports);
    ~CYolWMUI_Tools();
    CYolWMUI_Tools(const CYolWMUI_Tools&) = delete;
    CYolWMUI_Tools& operator=(const CYolWMUI_Tools&) = delete;

    Skins::CYolWMSkins_ImageManager& Images() { return *images; }
    Skins::CYolWMSkins_BkBrush& Background() { return *background; }
    Skins::CYolWMSkins_ColourSource& Colours() { return *colours; }
    MUI::CYolWMMUI_Controller& Language() { return *language; }
    // The UI string, or empty when neither the pack nor the built-in table
    // has it.
    CYolString String(int id) const;
    CYolString GetString(int languageId) override { return String(languageId); }

    void OnPrefsChanged(int group) override;

    // The smiley loader's report: the message windows take the new set on
    // the UI thread.
    static void OnSmileLoadComplete(void* context);

private:
    void LoadSmiles();

    TYolWMPrefs& prefs;
    TYolWMAppPorts ports;
    std::unique_ptr<Skins::CYolWMSkins_ImageManager> images;
    std::unique_ptr<Skins::CYolWMSkins_BkBrush> background;
    std::unique_ptr<Skins::CYolWMSkins_ColourSource> colours;
    std::unique_ptr<CYolWMUI_StoreSkin> shellSkin;
    std::unique_ptr<MUI::CYolWMMUI_Controller> language;
};

}  // namespace UI
