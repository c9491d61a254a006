#include "CYolWMUI_Tools.h"

#include "CYolPath.h"
#include "CYolWMUI_StoreSkin.h"
#include "DefaultUiStrings.h"
#include "DialogStrings.h"
#include "FileHelpers.h"
#include "SkinColors.h"
#include "WindowSystem/MessageQueue.h"

#include <atomic>

namespace UI {

namespace {
constexpr UINT kSmilesLoaded = 1128;

// The language controller the dialogs and the message windows read their
// texts from: the one of the tool set that is there.
std::atomic<const MUI::CYolWMMUI_Controller*> g_language{nullptr};

bool LanguageString(int id, CYolString& text) {
    const MUI::CYolWMMUI_Controller* language = g_language.load();
    return language != nullptr ? language->GetString(id, text) : GetDefaultUiString(id, text);
}
}  // namespace

CYolWMUI_Tools::CYolWMUI_Tools(TYolWMPrefs& preferences, const TYolWMAppPorts& appPorts)
    : prefs(preferences), ports(appPorts) {
    // The skin's name is read when an image loads; the preferences change
    // it only on the UI thread, which is also where images load.
    images = std::make_unique<Skins::CYolWMSkins_ImageManager>([this] { return prefs.SkinName; });
    Skins::SetSkinColorTable(&prefs.Colors);
    background = std::make_unique<Skins::CYolWMSkins_BkBrush>();
    background->Create(*images);
    colours = std::make_unique<Skins::CYolWMSkins_ColourSource>(*background);
    shellSkin = std::make_unique<CYolWMUI_StoreSkin>(*images, *background);
    SetShellSkin(shellSkin.get());
    language = std::make_unique<MUI::CYolWMMUI_Controller>(CYolString(CYolPath::AppDir()) + GetLangsFolder(),
                                                           CYolString(GetLangDllPrefix()), CYolString(u"English"),
                                                           &GetDefaultUiString);
    language->ChangeLang(prefs.Lang);
    g_language = language.get();
    SetDialogStrings(&LanguageString);
    LoadSmiles();
}

CYolWMUI_Tools::~CYolWMUI_Tools() {
    if (ports.smiles != nullptr)
        ports.smiles->Unload();
    SetShellSkin(nullptr);
    Skins::SetSkinColorTable(nullptr);
    shellSkin.reset();
    colours.reset();
    background.reset();
    images.reset();
    SetDialogStrings(nullptr);
    g_language = nullptr;
    language.reset();
}

CYolString CYolWMUI_Tools::String(int id) const {
    CYolString text;
    language->GetString(id, text);
    return text;
}

void CYolWMUI_Tools::LoadSmiles() {
    if (ports.smiles == nullptr)
        return;
    if (prefs.UseSmile != 0)
        ports.smiles->Load(prefs.SmilePack, &CYolWMUI_Tools::OnSmileLoadComplete, this);
    else
        ports.smiles->Unload();
}

void CYolWMUI_Tools::OnSmileLoadComplete(void* context) {
    auto* self = static_cast<CYolWMUI_Tools*>(context);
    if (self->ports.messageWindows == nullptr)
        return;
    if (HWND window = self->ports.messageWindows->Window())
        PostMessage(window, kSmilesLoaded, 0, 0);
}

void CYolWMUI_Tools::OnPrefsChanged(int group) {
    switch (group) {
        case 10:
            if (ports.alerts != nullptr)
                ports.alerts->OnPrefsChanged(group);
            break;
        case 17:
            images->UnloadImages();
            Skins::LoadColorScheme(prefs.SkinName, prefs.Colors);
            background->Reload();
            break;
        case 19:
            if (ports.messageWindows != nullptr)
                ports.messageWindows->ReloadSmiles();
            if (ports.smiles != nullptr)
                ports.smiles->Unload();
            LoadSmiles();
            break;
        case 20:
            if (ports.messageWindows != nullptr)
                ports.messageWindows->ReloadSmiles();
            break;
        case 21:
            language->ChangeLang(prefs.Lang);
            RelabelWindows();
            break;
        case 22:
        case 23:
        case 24:
        case 25:
            if (ports.antiSpam != nullptr)
                ports.antiSpam->OnPrefsChanged(group);
            break;
        default:
            break;
    }
}

}  // namespace UI
