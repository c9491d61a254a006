// Finding the program's packs: whole-file reads, folder and file listings.

#include "FileHelpers.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class FileHelpers : public TempFolderTest {};

std::vector<std::string> Names(const CYolArray<CYolString>& list) {
    std::vector<std::string> names;
    for (const CYolString& name : list)
        names.push_back(name.ToUtf8());
    return names;
}

TEST_F(FileHelpers, ReadWholeFileAddsAZeroAndRefusesEmptyOrMissingFiles) {
    std::size_t size = 99;
    const auto whole = ReadWholeFile(W(Put("a.ini", "abc")), &size);
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(whole.get())), "abc");

    EXPECT_EQ(ReadWholeFile(W(Put("empty.ini"))), nullptr);
    EXPECT_EQ(ReadWholeFile(W(PathOf("missing.ini"))), nullptr);
    EXPECT_EQ(ReadWholeFile(W(folder)), nullptr);
    EXPECT_TRUE(FileExists(W(PathOf("a.ini"))));
    EXPECT_FALSE(FileExists(W(PathOf("missing.ini"))));
}

TEST_F(FileHelpers, ReadWholeFileRefusesFilesTooBigForAPack) {
    const std::string path = Put("big.ini");
    std::filesystem::resize_file(path, kMaxPackFileBytes + 1);
    EXPECT_EQ(ReadWholeFile(W(path)), nullptr);
}

TEST_F(FileHelpers, ListsSubFoldersInCodeUnitOrder) {
    for (const char* name : {"b", "A", "a"})
        std::filesystem::create_directories(PathOf(std::string("Skins/") + name));
    Put("Skins/file.png");
    CYolArray<CYolString> names;
    names.Add(W("stale"));
    ListSubFolders(W(PathOf("Skins/")), names);
    EXPECT_EQ(Names(names), (std::vector<std::string>{"A", "a", "b"}));
    ListSubFolders(W(PathOf("missing/")), names);
    EXPECT_EQ(names.Count(), 0);
}

TEST_F(FileHelpers, ListsFilesMatchingAMask) {
    for (const char* name : {"b.wav", "A.WAV", "c.mp3", "_alerts.ini"})
        Put(std::string("Alerts/") + name);
    std::filesystem::create_directories(PathOf("Alerts/folder.wav"));
    CYolArray<CYolString> names;
    ListFilesByMask(W(PathOf("Alerts/")), W("*.wav"), names);
    EXPECT_EQ(Names(names), (std::vector<std::string>{"A.WAV", "b.wav"}));
    ListFilesByMask(W(PathOf("Alerts/")), W("?.*"), names);
    EXPECT_EQ(Names(names), (std::vector<std::string>{"A.WAV", "b.wav", "c.mp3"}));
    ListFilesByMask(W(PathOf("Alerts/")), W("*"), names);
    EXPECT_EQ(names.Count(), 4);
}

TEST(FixedNames, AreThePacksFolderAndFileNames) {
    EXPECT_EQ(CYolString(GetSkinsFolder()), W("Skins/"));
    EXPECT_EQ(CYolString(GetColorsFileName()), W("_colors.ini"));
    EXPECT_EQ(CYolString(GetLangDllPrefix()), W("Yol_"));
    EXPECT_EQ(CYolString(GetAlertsFileName()), W("_alerts.ini"));
    EXPECT_EQ(CYolString(GetSmileDefineFileName()), W("_define.ini"));
}

}  // namespace
