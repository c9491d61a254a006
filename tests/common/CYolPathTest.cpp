#include "CYolPath.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Tests that move the program folder put the real one back afterwards.
class AppDirTest : public ::testing::Test {
protected:
    void TearDown() override { CYolPath::SetAppDir(CYolString()); }
};

TEST(CYolPathTest, FolderNamesEndInOneSlash) {
    const struct {
        const char16_t* actual;
        const char16_t* expected;
    } cases[] = {
        {CYolPath::ProtosDir(), u"Protos/"},         {CYolPath::HistDir(), u"History/"},
        {CYolPath::SkinsDir(), u"Skins/"},           {CYolPath::ClientsDir(), u"Clients/"},
        {CYolPath::SmiliesDir(), u"Smilies/"},       {CYolPath::AlertsDir(), u"Alerts/"},
        {CYolPath::LangsDir(), u"Langs/"},           {CYolPath::Sep(), u"/"},
        {CYolPath::Ast(), u"*"},                     {CYolPath::ColorFileExt(), u".ycl"},
        {CYolPath::SmileDefFile(), u"_define.ini"},  {CYolPath::AlertDefFile(), u"_alerts.ini"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::u16string(c.actual), std::u16string(c.expected));
}

TEST(CYolPathTest, ExtractSplitsAtTheLastSeparatorOfEitherKind) {
    const struct {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {
        {"/Storage/a.txt", "/Storage/", "a.txt"},
        {"\\Storage\\a.txt", "\\Storage\\", "a.txt"},
        {"a.txt", "", "a.txt"},
        {"/Program Files\\App/Yol.so", "/Program Files\\App/", "Yol.so"},
        {"Skins\\Default\\bg.png", "Skins\\Default\\", "bg.png"},
        {"/dir/", "/dir/", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CYolPath::ExtractFilePath(W(c.path)).ToUtf8(), c.folder) << c.path;
        EXPECT_EQ(CYolPath::ExtractFileNameFromPath(W(c.path)).ToUtf8(), c.name) << c.path;
    }
}

TEST(CYolPathTest, ToSlashesTurnsEveryBackslash) {
    EXPECT_EQ(CYolPath::ToSlashes(W("Skins\\Default\\\\bg.png")).ToUtf8(), "Skins/Default//bg.png");
    EXPECT_EQ(CYolPath::ToSlashes(W("/already/fine")).ToUtf8(), "/already/fine");
}

TEST_F(AppDirTest, IsTheFolderOfTheRunningProgram) {
    std::string exe = fs::read_symlink("/proc/self/exe").string();
    std::string folder = exe.substr(0, exe.rfind('/') + 1);
    EXPECT_EQ(CYolPath::AppDir().ToUtf8(), folder);
}

TEST_F(AppDirTest, IsFoundOnceForAllThreads) {
    std::vector<std::string> seen(8);
    std::vector<std::thread> threads;
    for (auto& slot : seen)
        threads.emplace_back([&slot] { slot = CYolPath::AppDir().ToUtf8(); });
    for (auto& thread : threads)
        thread.join();
    for (const auto& folder : seen)
        EXPECT_EQ(folder, seen[0]);
    EXPECT_FALSE(seen[0].empty());
}

TEST_F(AppDirTest, FoldersBuildOnTheProgramFolder) {
    CYolPath::SetAppDir(W("/Program Files/App"));
    EXPECT_EQ(CYolPath::AppDir().ToUtf8(), "/Program Files/App/");
    EXPECT_EQ(CYolPath::GetProtoDir(u"Jabber").ToUtf8(), "/Program Files/App/Protos/Jabber/");
    EXPECT_EQ(CYolPath::GetProtoDir(u"JabberXYZ", 6).ToUtf8(), "/Program Files/App/Protos/Jabber/");
    EXPECT_EQ(CYolPath::GetProtoDir(W("Ruv")).ToUtf8(), "/Program Files/App/Protos/Ruv/");
    EXPECT_EQ(CYolPath::GetProtosDir().ToUtf8(), "/Program Files/App/Protos/");
    EXPECT_EQ(CYolPath::GetHistDir().ToUtf8(), "/Program Files/App/History/");
    EXPECT_EQ(CYolPath::GetLangsDir().ToUtf8(), "/Program Files/App/Langs/");
}

TEST_F(AppDirTest, PathWritesOnlyWhatFitsTheBuffer) {
    CYolPath::SetAppDir(W("/app/"));
    const std::u16string full = u"/app/Skins/Default/bg.png";
    const int length = static_cast<int>(full.size());

    std::vector<char16_t> out(64, u'#');
    EXPECT_EQ(CYolPath::Path(out.data(), length + 1, CYolPath::SkinsDir(), u"Default", CYolPath::Sep(), u"bg.png",
                             static_cast<const char16_t*>(nullptr)),
              length);
    EXPECT_EQ(std::u16string(out.data()), full);

    // One unit short of room for the terminator: nothing but an empty text.
    std::vector<char16_t> tight(64, u'#');
    EXPECT_EQ(CYolPath::Path(tight.data(), length, CYolPath::SkinsDir(), u"Default", CYolPath::Sep(), u"bg.png",
                             static_cast<const char16_t*>(nullptr)),
              0);
    EXPECT_EQ(tight[0], u'\0');
    EXPECT_EQ(tight[1], u'#');

    EXPECT_EQ(CYolPath::Path(nullptr, 100, u"x", static_cast<const char16_t*>(nullptr)), 0);
    EXPECT_EQ(CYolPath::Path({CYolPath::SkinsDir(), W("Default"), CYolPath::Sep(), W("bg.png")}).ToU16(), full);
}

TEST(CYolPathResolveTest, FindsEachComponentIgnoringCase) {
    TempFolder scratch;
    std::string pack = scratch.Put("Langs/Yol_Russian.so", "x");
    const struct {
        std::string asked;
        bool found;
        std::string expected;
    } cases[] = {
        {pack, true, pack},
        {scratch.Root() + "/langs/yol_russian.SO", true, pack},
        {scratch.Root() + "\\LANGS\\Yol_Russian.so", true, pack},
        {scratch.Root() + "/LANGS/", true, scratch.Root() + "/Langs/"},
        {scratch.Root() + "/Langs/Yol_German.so", false, ""},
        {scratch.Root() + "/Nope/Yol_Russian.so", false, ""},
        {scratch.Root() + "/LANGS/../langs/yol_russian.so", true, scratch.Root() + "/Langs/../Langs/Yol_Russian.so"},
    };
    for (const auto& c : cases) {
        CYolString resolved = W("untouched");
        EXPECT_EQ(CYolPath::ResolveCaseInsensitive(W(c.asked.c_str()), resolved), c.found) << c.asked;
        EXPECT_EQ(resolved.ToUtf8(), c.found ? c.expected : "untouched") << c.asked;
    }
}

TEST(CYolPathResolveTest, PrefersTheExactNameAndOtherwiseTheFirstInByteOrder) {
    TempFolder scratch;
    for (const char* name : {"skin.png", "Skin.png", "SKIN.png", "sKiN.png"})
        scratch.Put(name, "x");
    CYolString resolved;
    ASSERT_TRUE(CYolPath::ResolveCaseInsensitive(W((scratch.Root() + "/Skin.png").c_str()), resolved));
    EXPECT_EQ(resolved.ToUtf8(), scratch.Root() + "/Skin.png");
    ASSERT_TRUE(CYolPath::ResolveCaseInsensitive(W((scratch.Root() + "/skIN.PNG").c_str()), resolved));
    EXPECT_EQ(resolved.ToUtf8(), scratch.Root() + "/SKIN.png");
}

TEST(CYolPathResolveTest, ResolvesRelativePathsFromTheWorkingFolder) {
    TempFolder scratch;
    scratch.Put("Alerts/Default/_alerts.ini", "x");
    std::string previous = fs::current_path().string();
    fs::current_path(scratch.Root());
    CYolString resolved;
    bool found = CYolPath::ResolveCaseInsensitive(W("alerts\\default\\_ALERTS.ini"), resolved);
    fs::current_path(previous);
    EXPECT_TRUE(found);
    EXPECT_EQ(resolved.ToUtf8(), "Alerts/Default/_alerts.ini");
}

TEST(CYolPathTest, NativeFormIsUtf8AndRefusesWhatCannotRoundTrip) {
    EXPECT_EQ(CYolPath::ToNative(CYolString(u"/tmp/Привет")), "/tmp/\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
    EXPECT_EQ(CYolPath::FromNative("/tmp/\xD0\x9F").ToU16(), u"/tmp/П");
    EXPECT_TRUE(CYolPath::FromNative("/tmp/\xFF\xFE").IsEmpty());
}

} // namespace
