#pragma once
// CYolPath: the fixed layout of the program folder and small path helpers.
//
// Every folder name ends in one "/" so that names concatenate without
// thinking about separators. The program folder is the folder of the running
// executable unless someone set another one (a program started from a
// different tree, or a test working in a temporary folder).
//
// Paths that came from the handheld (stored settings, packs) may carry "\"
// separators; the extract helpers accept both, and ToSlashes converts.

#include "CYolString.h"
#include "YolTypes.h"

#include <initializer_list>
#include <string>

class YOL_API CYolPath {
public:
    // Folder names relative to the program folder, and a few fixed names.
    static const char16_t* ProtosDir() { return u"Protos/"; }
    static const char16_t* HistDir() { return u"History/"; }
    static const char16_t* SkinsDir() { return u"Skins/"; }
    static const char16_t* ClientsDir() { return u"Clients/"; }
    static const char16_t* SmiliesDir() { return u"Smilies/"; }
    static const char16_t* AlertsDir() { return u"Alerts/"; }
    static const char16_t* LangsDir() { return u"Langs/"; }
    static const char16_t* Sep() { return u"/"; }
    static const char16_t* Ast() { return u"*"; }
    static const char16_t* ColorFileExt() { return u".ycl"; }
    static const char16_t* SmileDefFile() { return u"_define.ini"; }
    static const char16_t* AlertDefFile() { return u"_alerts.ini"; }

    // The program folder with its trailing "/": the folder of /proc/self/exe,
    // found at the first call and kept, unless SetAppDir chose another.
    static CYolString AppDir();
    // Replaces the program folder for the rest of the process; a missing
    // trailing "/" is added. An empty folder makes the next AppDir look at
    // the executable again.
    static void SetAppDir(const CYolString& folder);

    static CYolString GetProtosDir();
    static CYolString GetHistDir();
    static CYolString GetLangsDir();
    // AppDir + "Protos/" + name + "/"; length -1 reads the name up to its 0.
    static CYolString GetProtoDir(const char16_t* name, int length = -1);
    static CYolString GetProtoDir(const CYolString& name);

    // Writes AppDir followed by each const char16_t* argument up to a null
    // pointer into `out`, 0-terminated; returns the characters written
    // without the terminator. When the whole text and its terminator do not
    // fit in `capacity` characters, writes an empty text and returns 0.
    static int Path(char16_t* out, int capacity, ...);
    // The same as a string: AppDir followed by the parts.
    static CYolString Path(std::initializer_list<CYolString> parts);

    // The text after the last separator ("/" or "\"); the whole text when
    // there is none.
    static CYolString ExtractFileNameFromPath(const CYolString& path);
    // The text up to and including the last separator; empty when there is
    // none.
    static CYolString ExtractFilePath(const CYolString& path);

    // The path with every "\" turned into "/".
    static CYolString ToSlashes(const CYolString& path);

    // Finds an existing file or folder for `path`, forgiving letter case: the
    // path itself when it exists; otherwise, component by component (after
    // turning "\" into "/"), the exact name when the folder holds it, else
    // the name that matches ignoring case (the first in byte order when
    // several do). False, with `resolved` untouched, when some component
    // has no match.
    static bool ResolveCaseInsensitive(const CYolString& path, CYolString& resolved);

    // File-system form of a path (UTF-8) and back. A name that is not valid
    // UTF-8 cannot round-trip; FromNative then gives the empty string.
    static std::string ToNative(const CYolString& path);
    static CYolString FromNative(const std::string& path);
};
