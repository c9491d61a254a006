// The file browser's folder over a temporary tree: what is listed and in
// which order, the root it never leaves, names from anywhere kept plain,
// folders that vanish or cannot be read, and the size, date and extension
// texts.

#include "CYolWMUI_FileFolder.h"
#include "TestSupport.h"
#include "Unprivileged.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

using UI::CYolWMUI_FileFolder;
using TEntry = CYolWMUI_FileFolder::TEntry;

namespace {

std::vector<std::string> Names(const CYolArray<TEntry>& entries) {
    std::vector<std::string> out;
    for (int i = 0; i < entries.Count(); ++i)
        out.push_back(entries[i].name.ToUtf8());
    return out;
}

class FileFolder : public TempFolderTest {
protected:
    void SetUp() override {
        root = folder + "/root";
        std::filesystem::create_directories(root);
    }
    std::string In(const std::string& name) const { return root + "/" + name; }
    void MakeFolder(const std::string& name) const { std::filesystem::create_directories(In(name)); }
    void MakeFile(const std::string& name, std::size_t size = 0) const { Put("root/" + name, std::string(size, 'x')); }

    CYolWMUI_FileFolder::TResult List(CYolWMUI_FileFolder& f, const char* pattern, bool hidden = false) {
        return f.List(W(pattern), hidden, folders, files);
    }

    std::string root;
    CYolArray<TEntry> folders;
    CYolArray<TEntry> files;
};

TEST_F(FileFolder, ListsFoldersBeforeFilesEachInCodeUnitOrder) {
    for (const char* name : {"alpha", "Zeta", ".cache"})
        MakeFolder(name);
    MakeFile("b.txt", 3);
    MakeFile("A.txt");
    MakeFile("Zed.TXT");
    MakeFile("note.log");
    MakeFile(".secret.txt");
    CYolWMUI_FileFolder f(W(root));
    ASSERT_EQ(List(f, "*.txt"), CYolWMUI_FileFolder::EOk);
    EXPECT_EQ(Names(folders), (std::vector<std::string>{"Zeta", "alpha"}));
    EXPECT_EQ(Names(files), (std::vector<std::string>{"A.txt", "Zed.TXT", "b.txt"})) << "the mask ignores case";
    EXPECT_TRUE(folders[0].folder);
    EXPECT_EQ(files[2].size, 3u);

    ASSERT_EQ(List(f, "", true), CYolWMUI_FileFolder::EOk);
    EXPECT_EQ(Names(folders), (std::vector<std::string>{".cache", "Zeta", "alpha"}));
    EXPECT_EQ(Names(files), (std::vector<std::string>{".secret.txt", "A.txt", "Zed.TXT", "b.txt", "note.log"}));
}

TEST_F(FileFolder, NeverLeavesItsRoot) {
    MakeFolder("docs/deep");
    MakeFile("docs/deep/plan.txt");
    std::filesystem::create_directory_symlink(folder, In("outside"));
    std::filesystem::create_directory_symlink(In("docs"), In("inside"));
    Put("secret.txt");
    std::filesystem::create_symlink(folder + "/secret.txt", In("leak.txt"));

    CYolWMUI_FileFolder f(W(root));
    EXPECT_FALSE(f.Up()) << "nothing above the root";
    EXPECT_EQ(f.Enter(W("..")), CYolWMUI_FileFolder::EMissing);
    EXPECT_EQ(f.Enter(W("docs/..")), CYolWMUI_FileFolder::EMissing);
    EXPECT_EQ(f.Enter(W("outside")), CYolWMUI_FileFolder::EMissing) << "a link out of the root";
    EXPECT_EQ(f.Folder(), u"/");
    ASSERT_EQ(List(f, "*"), CYolWMUI_FileFolder::EOk);
    EXPECT_EQ(Names(folders), (std::vector<std::string>{"docs", "inside"}));
    EXPECT_TRUE(Names(files).empty()) << "a file link out of the root is not shown";

    EXPECT_EQ(f.Enter(W("inside")), CYolWMUI_FileFolder::EOk);
    EXPECT_EQ(f.Enter(W("deep")), CYolWMUI_FileFolder::EOk);
    EXPECT_EQ(f.Folder(), u"/inside/deep/");
    EXPECT_EQ(f.PathOf(W("plan.txt")).ToUtf8(), root + "/inside/deep/plan.txt");
    EXPECT_TRUE(f.PathOf(W("../../x")).IsEmpty());

    struct Start {
        std::string path;
        const char16_t* folder;
    };
    const Start starts[] = {
        {root + "/docs/deep/plan.txt", u"/docs/deep/"},
        {root + "/docs/../docs/x.txt", u"/docs/"},
        {root + "/../secret.txt", u"/"},
        {"/etc/passwd", u"/"},
        {root + "/gone/x.txt", u"/"},
        {"", u"/"},
    };
    for (const Start& s : starts) {
        f.StartAt(W(s.path));
        EXPECT_EQ(f.Folder(), s.folder) << s.path;
    }
}

TEST_F(FileFolder, LevelsNameEachFolderDownFromTheRoot) {
    MakeFolder("a/b/c");
    CYolWMUI_FileFolder f(W(root));
    f.StartAt(W(In("a/b/c/file")));
    EXPECT_EQ(f.Levels().Count(), 3);
    EXPECT_EQ(f.Levels()[2], u"c");
    f.CutToLevel(1);
    EXPECT_EQ(f.Folder(), u"/a/");
    EXPECT_TRUE(f.Up());
    EXPECT_EQ(f.Folder(), u"/");
    EXPECT_EQ(f.AbsoluteFolder().ToUtf8(), root + "/");
}

TEST_F(FileFolder, AFolderThatVanishedFallsBackToTheRoot) {
    MakeFolder("old");
    MakeFile("keep.txt");
    CYolWMUI_FileFolder f(W(root));
    ASSERT_EQ(f.Enter(W("old")), CYolWMUI_FileFolder::EOk);
    std::filesystem::remove(In("old"));
    EXPECT_EQ(List(f, "*"), CYolWMUI_FileFolder::EOk);
    EXPECT_EQ(f.Folder(), u"/");
    EXPECT_EQ(Names(files), (std::vector<std::string>{"keep.txt"}));
}

TEST_F(FileFolder, NamesThatDoNotSurviveTheTripThroughUnicodeAreLeftOut) {
    MakeFile("good.txt");
    MakeFile("bad\xff.txt");
    CYolWMUI_FileFolder f(W(root));
    ASSERT_EQ(List(f, "*"), CYolWMUI_FileFolder::EOk);
    EXPECT_EQ(Names(files), (std::vector<std::string>{"good.txt"}));
}

TEST_F(FileFolder, AFolderThatCannotBeReadIsReportedAndNotEntered) {
    MakeFolder("locked");
    MakeFolder("open");
    ASSERT_TRUE(HandOver(folder, 0755));
    ASSERT_TRUE(HandOver(root, 0755));
    ASSERT_TRUE(HandOver(In("open"), 0755));
    ASSERT_TRUE(HandOver(In("locked"), 0));
    const int code = RunUnprivileged([&] {
        CYolWMUI_FileFolder f(W(root));
        if (f.Enter(W("locked")) != CYolWMUI_FileFolder::EUnreadable || f.Folder() != u"/")
            return 1;
        f.StartAt(W(In("locked/x.txt")));
        CYolArray<TEntry> dirs;
        CYolArray<TEntry> plain;
        if (f.Folder() != u"/locked/" || f.List(W("*"), false, dirs, plain) != CYolWMUI_FileFolder::EUnreadable)
            return 2;
        if (dirs.Count() != 0 || f.Folder() != u"/locked/")
            return 3;
        return f.Enter(W("open")) == CYolWMUI_FileFolder::EMissing ? 0 : 4;
    });
    EXPECT_EQ(code, 0);
}

TEST(FileFolderText, PlainNames) {
    struct Case {
        const char* name;
        bool plain;
    };
    const Case cases[] = {{"", false},       {".", false},     {"..", false},   {"a/b", false}, {"a\\b", false},
                          {"/etc", false},   {"a", true},      {"..a", true},   {"...", true},  {"notes.txt", true},
                          {"имя.txt", true}, {" spaced ", true}};
    for (const Case& c : cases)
        EXPECT_EQ(CYolWMUI_FileFolder::IsPlainName(W(c.name)), c.plain) << c.name;
    EXPECT_FALSE(CYolWMUI_FileFolder::IsPlainName(CYolString(u"a\0b", 3)));
}

TEST(FileFolderText, SizesInBytesThenKilobytesThenMegabytes) {
    struct Case {
        std::uint64_t size;
        const char* text;
    };
    const Case cases[] = {{0, "0"},          {1024, "1024"},        {1025, "1.00K"},
                          {1536, "1.50K"},   {1048576, "1024.00K"}, {1048577, "1.00M"},
                          {5ull << 30, "5120.00M"}};
    for (const Case& c : cases)
        EXPECT_EQ(CYolWMUI_FileFolder::FormatSize(c.size).ToUtf8(), c.text) << c.size;
}

TEST(FileFolderText, DatesInLocalTime) {
    const char* saved = getenv("TZ");
    const std::string before = saved ? saved : "";
    setenv("TZ", "UTC", 1);
    tzset();
    // 2026-12-11 07:05:59 UTC
    EXPECT_EQ(CYolWMUI_FileFolder::FormatDate(1796972759).ToUtf8(), "2026/12/11 07:05");
    if (saved)
        setenv("TZ", before.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(FileFolderText, SavedNamesGetTheFiltersExtensionOnce) {
    struct Case {
        const char* name;
        const char* filter;
        const char* saved;
    };
    const Case cases[] = {
        {"notes", "*.txt", "notes.txt"},   {"notes.txt", "*.txt", "notes.txt"}, {"NOTES.TXT", "*.txt", "NOTES.TXT"},
        {"notes.log", "*.txt", "notes.log.txt"}, {"notes", "*", "notes"},      {"notes", "*.*", "notes"},
        {"notes", "", "notes"},             {"notes", "*.t?t", "notes"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CYolWMUI_FileFolder::WithExtension(W(c.name), W(c.filter)).ToUtf8(), c.saved)
            << c.name << " " << c.filter;
}

} // namespace
