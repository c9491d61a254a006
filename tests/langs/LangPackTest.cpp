// The shipped packs: each answers exactly the ids of its component's English
// table, texts converted from code page 1251 as written in the pack's
// source, every format marker of the English text kept; the controller of
// each component finds its pack in the folder and by the prefix the
// component uses, and the program's language scan lists it.

#include "LangPackSupport.h"

#include "CYolPath.h"
#include "TYolWMPrefs.h"
#include "YolWMMUI_Controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

namespace {

using namespace LangTest;

class LangPack : public ::testing::TestWithParam<PackCase> {};

TEST_P(LangPack, AnswersTheEnglishTablesIdsAndNothingBeyond) {
    const PackCase& pack = GetParam();
    LoadedPack loaded(pack);
    ASSERT_TRUE(loaded.Loaded());
    const int count = EnglishCount(pack.english);
    ASSERT_GT(count, 0);

    const auto texts = SourceTexts(pack);
    ASSERT_EQ(static_cast<int>(texts.size()), count);
    ASSERT_TRUE(texts.back().has_value());
    EXPECT_EQ(loaded.Get(count - 1), texts.back());

    for (int id : {count, -1, count + 1000, INT32_MIN}) {
        CYolString text(u"kept");
        EXPECT_FALSE(loaded.Get(id, text)) << id;
        EXPECT_EQ(text.ToUtf8(), "kept") << id;
    }
}

// The 1251 round trip loses nothing: every entry reads back as written, and
// an id the component does not use has no entry in either table.
TEST_P(LangPack, EveryEntryReadsBackAsWrittenWhereTheEnglishTableHasOne) {
    const PackCase& pack = GetParam();
    LoadedPack loaded(pack);
    ASSERT_TRUE(loaded.Loaded());
    const auto texts = SourceTexts(pack);
    for (int id = 0; id < static_cast<int>(texts.size()); ++id) {
        CYolString english;
        const bool known = pack.english(id, english);
        EXPECT_EQ(loaded.Get(id).has_value(), known) << id;
        EXPECT_EQ(loaded.Get(id), texts[id]) << id;
        if (texts[id]) {
            EXPECT_FALSE(texts[id]->empty()) << id;
        }
    }
}

// What a translation must carry over: printf conversions, named parameters
// ("<name>"), line breaks, addresses, and the punctuation around a text that
// the program relies on (a leading "- " or space, a trailing "...", ":" or
// space).
std::vector<std::string> Markers(const std::string& text) {
    static const std::regex kPieces(R"(%[-+ #0]*[0-9]*(\.[0-9]+)?(hh|h|ll|l|L)?[diouxXeEfgGcsp%]|<[a-z]+>|https?://\S+)");
    // Shown as it stands, never filled in.
    static const std::string kLiteral = "<empty>";
    std::vector<std::string> markers;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), kPieces); it != std::sregex_iterator(); ++it)
        if (it->str() != kLiteral)
            markers.push_back(it->str());
    for (char c : text)
        if (c == '\n' || c == '\r' || c == '&')
            markers.push_back(std::string(1, c));
    auto starts = [&](const std::string& s) { return text.compare(0, s.size(), s) == 0; };
    auto ends = [&](const std::string& s) {
        return text.size() >= s.size() && text.compare(text.size() - s.size(), s.size(), s) == 0;
    };
    if (starts("- "))
        markers.push_back("leading dash");
    if (starts(" "))
        markers.push_back("leading space");
    if (ends(" "))
        markers.push_back("trailing space");
    if (ends("..."))
        markers.push_back("trailing ...");
    if (ends(":") || ends(": "))
        markers.push_back("trailing colon");
    std::sort(markers.begin(), markers.end());
    return markers;
}

TEST(LangPackMarkers, SeeWhatTheTranslationsMustKeep) {
    struct Case {
        const char* text;
        std::vector<std::string> markers;
    };
    const Case cases[] = {
        {"Received file '%s' (size: %.1lf Kb)?", {"%.1lf", "%s"}},
        {"Acc.: <account>\r\nFrom: <name>", {"\n", "\r", "<account>", "<name>"}},
        {"Version %d at https://yol.example.org/\nDownload now?", {"\n", "%d", "https://yol.example.org/"}},
        {"- press to edit", {"leading dash"}},
        {" <empty>", {"leading space"}},
        {"Total: ", {"trailing colon", "trailing space"}},
        {"Colors...", {"trailing ..."}},
        {"Find <", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Markers(c.text), c.markers) << c.text;
}

TEST_P(LangPack, KeepsEveryFormatMarkerOfTheEnglishText) {
    const PackCase& pack = GetParam();
    LoadedPack loaded(pack);
    ASSERT_TRUE(loaded.Loaded());
    const int count = EnglishCount(pack.english);
    for (int id = 0; id < count; ++id) {
        CYolString english;
        if (!pack.english(id, english))
            continue;
        const auto russian = loaded.Get(id);
        ASSERT_TRUE(russian.has_value()) << id;
        EXPECT_EQ(Markers(*russian), Markers(english.ToUtf8())) << id << ": " << english.ToUtf8() << " / " << *russian;
    }
}

// Folder and prefix as the component's own controller is made; an id the
// pack lacks falls back to the built-in text.
TEST_P(LangPack, ControllerLoadsThePackFromItsFolderByPrefixAndName) {
    const PackCase& pack = GetParam();
    static StringFunc english;
    english = pack.english;
    static int count;
    count = EnglishCount(pack.english);
    // The English table with one id more than the pack knows.
    auto longer = [](int id, CYolString& text) {
        if (id == count) {
            text = CYolString(u"Only in English");
            return true;
        }
        return english(id, text);
    };
    const CYolString folder = CYolString::FromUtf8(std::string(YOL_PROGRAM_FOLDER) + "/" + pack.folder);
    MUI::CYolWMMUI_Controller controller(folder, CYolString::FromUtf8(pack.prefix), CYolString(u"English"), longer);
    controller.ChangeLang(CYolString(u"Russian"));
    ASSERT_EQ(controller.GetCurLang().ToUtf8(), "Russian");
    ASSERT_TRUE(controller.HasPack());

    LoadedPack loaded(pack);
    CYolString text;
    ASSERT_TRUE(controller.GetString(count - 1, text));
    EXPECT_EQ(text.ToUtf8(), loaded.Get(count - 1));
    ASSERT_TRUE(controller.GetString(count, text));
    EXPECT_EQ(text.ToUtf8(), "Only in English");

    controller.ChangeLang(CYolString(u"English"));
    ASSERT_TRUE(controller.GetString(count - 1, text));
    CYolString builtIn;
    english(count - 1, builtIn);
    EXPECT_EQ(text, builtIn);
}

INSTANTIATE_TEST_SUITE_P(Russian, LangPack, ::testing::ValuesIn(kPacks),
                         [](const auto& info) { return std::string(info.param.component); });

TEST(LangPackInstall, TheProgramsLanguageScanListsRussian) {
    const CYolString previous = CYolPath::AppDir();
    CYolPath::SetAppDir(CYolString::FromUtf8(std::string(YOL_PROGRAM_FOLDER) + "/"));
    CYolArray<CYolString> names;
    UI::TYolWMPrefs::ListLanguages(names);
    CYolPath::SetAppDir(previous);
    std::vector<std::string> listed;
    for (const CYolString& name : names)
        listed.push_back(name.ToUtf8());
    EXPECT_EQ(listed, (std::vector<std::string>{"English", "Russian"}));
}

}  // namespace
