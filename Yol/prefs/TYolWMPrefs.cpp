#include "TYolWMPrefs.h"

namespace UI {

TYolWMPrefs::TYolWMPrefs() {
    CLFont.lfHeight = 14;
    CLFont.lfWeight = 400;
    CLFont.lfCharSet = 1;
    const char16_t face[] = u"Tahoma";
    for (size_t i = 0; i < sizeof face / sizeof face[0]; ++i)
        CLFont.lfFaceName[i] = face[i];
    Skins::SetDefaultSkinColors(Colors);
}

// Until the settings file is read, the program runs on the defaults with the
// default skin and language.
void TYolWMPrefs::Load() {
    SkinName = CYolString(u"Yol PDA skin");
    Lang = CYolString(u"English");
}

void TYolWMPrefs::Save() const {}

void TYolWMPrefs::ListAlertPacks(CYolArray<CYolString>&) {}
void TYolWMPrefs::ListSkins(CYolArray<CYolString>&) {}
void TYolWMPrefs::ListSmilePacks(CYolArray<CYolString>&) {}
void TYolWMPrefs::ListLanguages(CYolArray<CYolString>&) {}
bool TYolWMPrefs::IsAlertPackValid(const CYolString&) { return false; }
bool TYolWMPrefs::IsSkinValid(const CYolString&) { return false; }
bool TYolWMPrefs::IsSmilePackValid(const CYolString&) { return false; }
void TYolWMPrefs::GetDefaultAlertPack(CYolString&) {}
void TYolWMPrefs::GetDefaultSkin(CYolString& name) { name = CYolString(u"Yol PDA skin"); }
void TYolWMPrefs::GetDefaultSmilePack(CYolString&) {}
void TYolWMPrefs::AskLanguage(CYolString& name) { name = CYolString(u"English"); }

} // namespace UI
