#pragma once
// The four shipped packs side by side with what each translates: where the
// build installs it, the prefix its component's controller asks for, the
// component's built-in English table and the UTF-8 source of its texts.

#include "CYolDll.h"
#include "CYolString.h"
#include "DefaultUiStrings.h"
#include "JabberStrings.h"
#include "RuvStrings.h"
#include "ZemStrings.h"

#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace LangTest {

typedef bool (*StringFunc)(int id, CYolString& text);

struct PackCase {
    const char* component;  // the table's file name under Mui/Russian/
    const char* folder;     // in the program folder, with its trailing "/"
    const char* prefix;
    StringFunc english;
};

inline const PackCase kPacks[] = {
    {"Yol", "Langs/", "Yol_", &GetDefaultUiString},
    {"Ruv", "Protos/Ruv/", "Ruv_", &RuvDefaultUiString},
    {"Jabber", "Protos/Jabber/", "Xmp_", &JabberDefaultUiString},
    {"Zem", "Protos/Zem/", "Zem_", &ZemDefaultUiString},
};

inline void PrintTo(const PackCase& pack, std::ostream* out) { *out << pack.component; }

// How many ids the built-in table has: one past the last id it knows. Some
// ids inside may be unused, so the first unknown id does not end the table.
inline int EnglishCount(StringFunc english) {
    int count = 0;
    for (int id = 0; id < 4096; ++id) {
        CYolString text;
        if (english(id, text))
            count = id + 1;
    }
    return count;
}

// The pack file's export, bound the way the controller binds it.
class LoadedPack {
public:
    explicit LoadedPack(const PackCase& pack) {
        const CYolString folder = CYolString::FromUtf8(std::string(YOL_PROGRAM_FOLDER) + "/" + pack.folder);
        if (dll.Load(CYolString::FromUtf8(std::string(pack.prefix) + "Russian.so"), folder))
            lookup = reinterpret_cast<StringFunc>(dll.GetProcAddressW(CYolString(u"MUI_GetString")));
    }
    ~LoadedPack() { dll.Unload(); }
    LoadedPack(const LoadedPack&) = delete;
    LoadedPack& operator=(const LoadedPack&) = delete;

    bool Loaded() const { return lookup != nullptr; }
    bool Get(int id, CYolString& text) const { return lookup(id, text); }
    std::optional<std::string> Get(int id) const {
        CYolString text;
        if (!lookup(id, text))
            return std::nullopt;
        return text.ToUtf8();
    }

private:
    CYolDll dll;
    StringFunc lookup = nullptr;
};

// The texts as written in the pack's source, escapes resolved; an id without
// text is an empty optional.
inline std::vector<std::optional<std::string>> SourceTexts(const PackCase& pack) {
    std::ifstream in(std::string(YOL_SOURCE_DIR) + "/Mui/Russian/" + pack.component + ".txt");
    std::vector<std::optional<std::string>> texts;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const size_t space = line.find(' ');
        if (space == std::string::npos || space + 1 == line.size()) {
            texts.emplace_back();
            continue;
        }
        std::string text;
        for (size_t i = space + 1; i < line.size(); ++i) {
            if (line[i] != '\\' || i + 1 == line.size()) {
                text += line[i];
                continue;
            }
            const char escaped = line[++i];
            text += escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped;
        }
        texts.emplace_back(text);
    }
    return texts;
}

}  // namespace LangTest
