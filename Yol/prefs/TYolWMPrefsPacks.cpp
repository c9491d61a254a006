// The pack scans of the program folder and the rules that choose a default
// pack when the stored one is missing or broken.

#include "TYolWMPrefs.h"

#include "CYolPath.h"
#include "FileHelpers.h"
#include "PackNames.h"

#include <utility>

namespace UI {

namespace {

// The library suffix of a language pack on this platform.
constexpr char16_t kLangPackMask[] = u"*.so";
constexpr int kLangPackSuffixLength = 3;
constexpr char16_t kEnglish[] = u"English";
constexpr char16_t kDefaultSkin[] = u"Yol PDA skin";
constexpr char16_t kDefaultSmilePack[] = u"Yol PDA smilies";

TYolWMPrefs::LanguageAsker& Asker() {
    static TYolWMPrefs::LanguageAsker asker;
    return asker;
}

// A pack is valid when its folder holds its definition file, in any letter
// case, as packs copied from the handheld may spell it.
bool IsPackValid(const char16_t* folder, const CYolString& name, const char16_t* definition) {
    if (!IsPlainEntryName(name))
        return false;
    CYolString resolved;
    return CYolPath::ResolveCaseInsensitive(CYolPath::Path({folder, name, CYolPath::Sep(), definition}), resolved) &&
           FileExists(resolved);
}

void ListPacks(const char16_t* folder, CYolArray<CYolString>& names) {
    ListSubFolders(CYolPath::Path({folder}), names);
}

void RemoveInvalid(CYolArray<CYolString>& names, bool (*isValid)(const CYolString&)) {
    for (int i = names.Count() - 1; i >= 0; --i)
        if (!isValid(names[i]))
            names.RemoveAt(i);
}

// The program's own pack when it is there; else the first valid one found;
// else the program's own name all the same.
void ChooseDefault(const char16_t* own, void (*list)(CYolArray<CYolString>&), bool (*isValid)(const CYolString&),
                   CYolString& name) {
    name = own;
    if (isValid(name))
        return;
    CYolArray<CYolString> names;
    list(names);
    for (const CYolString& found : names)
        if (isValid(found)) {
            name = found;
            return;
        }
}

}  // namespace

bool TYolWMPrefs::IsAlertPackValid(const CYolString& name) {
    return IsPackValid(GetAlertsFolder(), name, GetAlertsFileName());
}

bool TYolWMPrefs::IsSkinValid(const CYolString& name) {
    return IsPackValid(GetSkinsFolder(), name, GetColorsFileName());
}

bool TYolWMPrefs::IsSmilePackValid(const CYolString& name) {
    return IsPackValid(GetSmiliesFolder(), name, GetSmileDefineFileName());
}

void TYolWMPrefs::ListAlertPacks(CYolArray<CYolString>& names) {
    ListPacks(GetAlertsFolder(), names);
    RemoveInvalid(names, &IsAlertPackValid);
}

// Every skin folder, valid or not: the skin pane shows them all.
void TYolWMPrefs::ListSkins(CYolArray<CYolString>& names) { ListPacks(GetSkinsFolder(), names); }

void TYolWMPrefs::ListSmilePacks(CYolArray<CYolString>& names) {
    ListPacks(GetSmiliesFolder(), names);
    RemoveInvalid(names, &IsSmilePackValid);
}

// "English" is built in; every other language is a "Yol_<Language>.so" of
// "Langs/", its prefix spelt exactly so.
void TYolWMPrefs::ListLanguages(CYolArray<CYolString>& names) {
    CYolArray<CYolString> files;
    ListFilesByMask(CYolPath::Path({GetLangsFolder()}), CYolString(kLangPackMask), files);
    names.Clear();
    names.Add(CYolString(kEnglish));
    const CYolString prefix(GetLangDllPrefix());
    for (const CYolString& file : files) {
        const int languageLength = file.Length() - prefix.Length() - kLangPackSuffixLength;
        if (languageLength > 0 && CYolString::Compare(file.c_str(), prefix.c_str(), prefix.Length()) == 0)
            names.Add(file.Substring(prefix.Length(), languageLength));
    }
}

void TYolWMPrefs::GetDefaultAlertPack(CYolString& name) {
    ChooseDefault(Alert::GetDefaultAlertPackName(), &ListAlertPacks, &IsAlertPackValid, name);
}

// The skin list holds broken skins as well; only a valid one may stand in.
void TYolWMPrefs::GetDefaultSkin(CYolString& name) { ChooseDefault(kDefaultSkin, &ListSkins, &IsSkinValid, name); }

void TYolWMPrefs::GetDefaultSmilePack(CYolString& name) {
    ChooseDefault(kDefaultSmilePack, &ListSmilePacks, &IsSmilePackValid, name);
}

void TYolWMPrefs::AskLanguage(CYolString& name) {
    const LanguageAsker& asker = Asker();
    name = asker ? asker() : CYolString();
    if (name.Length() == 0)
        name = kEnglish;
}

void TYolWMPrefs::SetLanguageAsker(LanguageAsker asker) { Asker() = std::move(asker); }

}  // namespace UI
