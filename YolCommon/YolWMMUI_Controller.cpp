#include "YolWMMUI_Controller.h"
#include "CYolPath.h"
#include "WindowSystem/Window.h"

#include <mutex>

namespace MUI {

namespace {

// A language name becomes part of a file name: it must not lead out of the
// pack folder.
bool IsPlainName(const CYolString& language) {
    if (language.IsEmpty() || language == u"." || language == u"..")
        return false;
    for (int i = 0; i < language.Length(); ++i) {
        char16_t c = language.At(i);
        if (c == u'/' || c == u'\\' || c == 0)
            return false;
    }
    return true;
}

} // namespace

CYolWMMUI_Controller::CYolWMMUI_Controller(const CYolString& folder, const CYolString& prefix,
                                           const CYolString& defaultLang, GetStringFunc builtIn)
    : basePath(folder + prefix),
      currentLanguage(defaultLang),
      currentLookup(builtIn),
      defaultLanguage(defaultLang),
      builtInLookup(builtIn) {}

CYolWMMUI_Controller::~CYolWMMUI_Controller() {
    pack.Unload();
}

void CYolWMMUI_Controller::ChangeLang(const CYolString& language) {
    std::unique_lock<std::shared_mutex> guard(lock);
    if (language == currentLanguage)
        return;
    if (language == defaultLanguage) {
        pack.Unload();
        currentLanguage = defaultLanguage;
        currentLookup = builtInLookup;
        return;
    }
    if (!IsPlainName(language))
        return;

    CYolString file;
    if (!CYolPath::ResolveCaseInsensitive(basePath + language + u".so", file))
        return;
    CYolDll fresh;
    if (!fresh.Load(file, CYolString()))
        return;
    auto lookup = reinterpret_cast<GetStringFunc>(fresh.GetProcAddressW(kPackExport));
    if (!lookup) {
        fresh.Unload();
        return;
    }
    // Loading the same file again only raised its use count, so dropping
    // the previous handle here never unloads the pack we just bound.
    pack.Unload();
    pack = fresh;
    currentLookup = lookup;
    currentLanguage = language;
}

bool CYolWMMUI_Controller::GetString(int id, CYolString& text) const {
    std::shared_lock<std::shared_mutex> guard(lock);
    if (currentLookup && currentLookup(id, text))
        return true;
    return builtInLookup && currentLookup != builtInLookup && builtInLookup(id, text);
}

CYolString CYolWMMUI_Controller::GetCurLang() const {
    std::shared_lock<std::shared_mutex> guard(lock);
    return currentLanguage;
}

CYolString CYolWMMUI_Controller::GetDefLang() const {
    return defaultLanguage;
}

bool CYolWMMUI_Controller::HasPack() const {
    std::shared_lock<std::shared_mutex> guard(lock);
    return pack.IsLoaded();
}

bool CYolWMMUI_Controller::SetWinText(const CYolWMMUI_Controller& controller, HWND window, int id)
{
    CYolString text;
    if (!controller.GetString(id, text))
        return false;
    return SetWindowText(window, text.IsEmpty() ? u"" : text.c_str());
}

bool CYolWMMUI_Controller::SetWinText(const CYolWMMUI_Controller& controller, HWND dialog, int controlId, int id)
{
    return SetWinText(controller, GetDlgItem(dialog, controlId), id);
}

} // namespace MUI
