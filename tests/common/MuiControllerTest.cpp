#include "TestSupport.h"
#include "YolWMMUI_Controller.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kMuiPacks = YOL_TEST_PACKS_DIR;

// The module's own English table: ids 0 and 1 are also in the packs, id 2
// only here.
bool BuiltIn(int id, CYolString& text) {
    static const char16_t* const kTable[] = {u"Offline", u"General", u"Only built in"};
    if (id < 0 || id >= 3)
        return false;
    text = kTable[id];
    return true;
}

std::u16string Text(const MUI::CYolWMMUI_Controller& mui, int id) {
    CYolString text = W("untouched");
    mui.GetString(id, text);
    return text.ToU16();
}

// A temporary "Langs/" folder holding copies of some of the test packs.
struct PackFolder {
    explicit PackFolder(std::initializer_list<const char*> files) {
        fs::create_directories(langs);
        for (const char* file : files)
            fs::copy_file(kMuiPacks + file, langs + file);
    }
    TempFolder root;
    std::string langs = root.PathOf("Langs/");
};

class MuiControllerTest : public ::testing::Test {
protected:
    MUI::CYolWMMUI_Controller mui{W(kMuiPacks), W("Yol_"), W("English"), BuiltIn};
};

TEST_F(MuiControllerTest, StartsWithTheBuiltInTable) {
    EXPECT_EQ(mui.GetCurLang().ToUtf8(), "English");
    EXPECT_EQ(mui.GetDefLang().ToUtf8(), "English");
    EXPECT_FALSE(mui.HasPack());
    EXPECT_EQ(Text(mui, 0), u"Offline");
    CYolString text = W("untouched");
    EXPECT_FALSE(mui.GetString(99, text));
    EXPECT_EQ(text.ToUtf8(), "untouched");
}

TEST_F(MuiControllerTest, PackAnswersAndTheBuiltInTableFillsItsGaps) {
    mui.ChangeLang(W("Russian"));
    EXPECT_EQ(mui.GetCurLang().ToUtf8(), "Russian");
    EXPECT_TRUE(mui.HasPack());
    EXPECT_TRUE(IsResident(kMuiPacks + "Yol_Russian.so"));
    EXPECT_EQ(Text(mui, 0), u"Не в сети");
    EXPECT_EQ(Text(mui, 1), u"Общие");
    EXPECT_EQ(Text(mui, 2), u"Only built in");
    EXPECT_EQ(Text(mui, -1), u"untouched");
    EXPECT_EQ(Text(mui, 99), u"untouched");
}

TEST_F(MuiControllerTest, TheDefaultLanguageFreesThePack) {
    mui.ChangeLang(W("Russian"));
    mui.ChangeLang(W("English"));
    EXPECT_EQ(mui.GetCurLang().ToUtf8(), "English");
    EXPECT_FALSE(mui.HasPack());
    EXPECT_FALSE(IsResident(kMuiPacks + "Yol_Russian.so"));
    EXPECT_EQ(Text(mui, 0), u"Offline");
}

TEST_F(MuiControllerTest, SwitchingPacksReleasesTheOldOne) {
    mui.ChangeLang(W("Russian"));
    mui.ChangeLang(W("German"));
    EXPECT_EQ(mui.GetCurLang().ToUtf8(), "German");
    EXPECT_EQ(Text(mui, 1), u"Allgemein");
    EXPECT_FALSE(IsResident(kMuiPacks + "Yol_Russian.so"));
}

TEST(MuiControllerFilesTest, AFailedSwitchKeepsThePreviousPackWorking) {
    PackFolder packs({"Yol_Russian.so", "Yol_German.so", "Yol_Klingon.so"});
    std::ofstream(packs.langs + "Yol_Garbage.so") << "not a library";
    // A folder that a name with separators could climb out of.
    fs::create_directories(packs.langs + "Yol_x");

    MUI::CYolWMMUI_Controller mui(W(packs.langs), W("Yol_"), W("English"), BuiltIn);
    mui.ChangeLang(W("Russian"));
    ASSERT_EQ(mui.GetCurLang().ToUtf8(), "Russian");
    for (const char* language : {"Klingon", "Garbage", "Elvish", "", "x/../Yol_German", "x\\..\\Yol_German"}) {
        mui.ChangeLang(W(language));
        EXPECT_EQ(mui.GetCurLang().ToUtf8(), "Russian") << language;
        EXPECT_EQ(Text(mui, 0), u"Не в сети") << language;
    }
    // The pack without MUI_GetString was loaded to look and let go again.
    EXPECT_FALSE(IsResident(packs.langs + "Yol_Klingon.so"));
    EXPECT_FALSE(IsResident(packs.langs + "Yol_German.so"));
}

TEST_F(MuiControllerTest, LanguageNamesCompareExactlyWhileFileNamesMayDifferInCase) {
    mui.ChangeLang(W("Russian"));
    // Not the same language by name, so its file is looked for; only
    // Yol_Russian.so exists, and it serves "russian" too.
    mui.ChangeLang(W("russian"));
    EXPECT_EQ(mui.GetCurLang().ToUtf8(), "russian");
    EXPECT_TRUE(mui.HasPack());
    EXPECT_EQ(Text(mui, 1), u"Общие");

    // "english" is not the default language's name, and no pack has it.
    mui.ChangeLang(W("english"));
    EXPECT_EQ(mui.GetCurLang().ToUtf8(), "russian");
}

TEST(MuiControllerFilesTest, TheExactFileNameWinsOverOneDifferingInCase) {
    PackFolder packs({"Yol_Russian.so"});
    fs::copy_file(kMuiPacks + "Yol_German.so", packs.langs + "Yol_russian.so");
    {
        MUI::CYolWMMUI_Controller mui(W(packs.langs), W("Yol_"), W("English"), BuiltIn);
        mui.ChangeLang(W("russian"));
        EXPECT_EQ(Text(mui, 1), u"Allgemein");
        mui.ChangeLang(W("Russian"));
        EXPECT_EQ(Text(mui, 1), u"Общие");
        mui.ChangeLang(W("RUSSIAN")); // two candidates: the first in byte order
        EXPECT_EQ(Text(mui, 1), u"Общие");
    }
    EXPECT_FALSE(IsResident(packs.langs + "Yol_Russian.so"));
}

TEST(MuiControllerFilesTest, DestructionFreesThePack) {
    {
        MUI::CYolWMMUI_Controller mui(W(kMuiPacks), W("Yol_"), W("English"), BuiltIn);
        mui.ChangeLang(W("German"));
        ASSERT_TRUE(IsResident(kMuiPacks + "Yol_German.so"));
    }
    EXPECT_FALSE(IsResident(kMuiPacks + "Yol_German.so"));
}

TEST(MuiControllerFilesTest, WorksWithoutABuiltInTable) {
    MUI::CYolWMMUI_Controller mui(W(kMuiPacks), W("Yol_"), W("English"), nullptr);
    CYolString text;
    EXPECT_FALSE(mui.GetString(0, text));
    mui.ChangeLang(W("German"));
    EXPECT_TRUE(mui.GetString(0, text));
    EXPECT_EQ(text.ToUtf8(), "Getrennt");
    EXPECT_FALSE(mui.GetString(2, text));
}

// Readers on other threads must never run into a pack being unloaded under
// them.
TEST_F(MuiControllerTest, LookupsRaceSafelyWithLanguageChanges) {
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 4; ++i)
        readers.emplace_back([&] {
            while (!stop) {
                std::u16string text = Text(mui, 1);
                if (text != u"General" && text != u"Общие" && text != u"Allgemein")
                    ++bad;
            }
        });
    const char* const languages[] = {"Russian", "German", "English"};
    for (int round = 0; round < 150; ++round)
        mui.ChangeLang(W(languages[round % 3]));
    stop = true;
    for (auto& reader : readers)
        reader.join();
    EXPECT_EQ(bad, 0);
}

} // namespace
