#pragma once
// The language controller: every text a module shows is looked up by number
// here. A module owns one controller, made with its pack folder, its pack
// file prefix, its default language and its built-in table of texts in that
// language. Other languages come from packs: shared libraries named
// folder + prefix + language + ".so" that export
//     extern "C" bool MUI_GetString(int id, CYolString& text);
// answering true when they know the id.
//
// A controller is not copyable: it owns the loaded pack, and two owners
// would unload it twice. Texts may be asked for from any thread while
// another one changes the language; a pack is never unloaded while a lookup
// in it runs.

#include "CYolDll.h"
#include "CYolString.h"
#include "PlatformTypes.h"
#include "YolTypes.h"

#include <shared_mutex>

namespace MUI {

typedef bool (*GetStringFunc)(int id, CYolString& text);

class YOL_API CYolWMMUI_Controller {
public:
    // The symbol a pack exports.
    static constexpr const char16_t* kPackExport = u"MUI_GetString";

    // Starts in the default language with the built-in table. The folder is
    // joined to the prefix as given: it should end with "/".
    CYolWMMUI_Controller(const CYolString& folder, const CYolString& prefix, const CYolString& defaultLanguage,
                         GetStringFunc builtIn);
    ~CYolWMMUI_Controller();
    CYolWMMUI_Controller(const CYolWMMUI_Controller&) = delete;
    CYolWMMUI_Controller& operator=(const CYolWMMUI_Controller&) = delete;

    // Switches to `language` (names compare exactly, letter case included).
    // The default language drops the pack. Another language loads its pack
    // (the file name matched ignoring letter case when no file has the exact
    // name) and keeps the previous pack until the new one proved usable: a
    // name with a separator, a missing or broken pack or one without
    // MUI_GetString changes nothing. Compare GetCurLang with what you asked
    // for to learn whether it worked.
    void ChangeLang(const CYolString& language);

    // The text of `id` in the current language, else from the built-in
    // table; false when neither knows it (`text` is then as they left it).
    bool GetString(int id, CYolString& text) const;

    // Sets a window's text, or the text of a dialog's control, to the text
    // of `id`; a text neither the pack nor the built-in table knows leaves
    // the window as it was (false).
    static bool SetWinText(const CYolWMMUI_Controller& controller, HWND window, int id);
    static bool SetWinText(const CYolWMMUI_Controller& controller, HWND dialog, int controlId, int id);

    CYolString GetCurLang() const;
    CYolString GetDefLang() const;
    // True while a pack is loaded.
    bool HasPack() const;

private:
    CYolString basePath;
    CYolString currentLanguage;
    CYolDll pack;
    GetStringFunc currentLookup;
    CYolString defaultLanguage;
    GetStringFunc builtInLookup;
    mutable std::shared_mutex lock;
};

} // namespace MUI
