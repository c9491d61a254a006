#include "CYolFile.h"
#include "CYolFileSystem.h"
#include "TestSupport.h"
#include "WatchedClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// mkostemp as the C library has it, with a cleaner that can be set to run
// the moment a copy exists and before its writer has locked it: the worst
// moment for another thread or program that loads the same file (and so
// clears its stale copies) to come by.
namespace {
std::atomic<int> g_cleanerRuns{0};
std::string g_cleanedFile;
} // namespace

extern "C" __attribute__((visibility("default"))) int mkostemp(char* pattern, int flags) {
    using Real = int (*)(char*, int);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "mkostemp"));
    const int fd = real(pattern, flags);
    if (fd >= 0 && g_cleanerRuns > 0) {
        --g_cleanerRuns;
        CYolFile::RemoveStaleCopies(CYolString::FromUtf8(g_cleanedFile));
    }
    return fd;
}

namespace {

namespace fs = std::filesystem;

using FileTest = TempFolderTest;

TEST_F(FileTest, CreateOpenAndReplaceFollowTheirDispositions) {
    std::string existing = Put("existing.bin", Bytes({0x01, 0x02, 0x03}));

    CYolFile createExisting(W(existing), CYolFile::ModeWrite);
    EXPECT_FALSE(createExisting.Create());
    EXPECT_FALSE(createExisting.IsOpen());
    EXPECT_EQ(ReadBytes(existing).size(), 3u);

    CYolFile openMissing(W(PathOf("missing.bin")), CYolFile::ModeRead);
    EXPECT_FALSE(openMissing.Open());
    openMissing.Close(); // harmless without a file
    EXPECT_FALSE(fs::exists(PathOf("missing.bin")));

    CYolFile createNew(W(PathOf("new.bin")), CYolFile::ModeWrite);
    EXPECT_TRUE(createNew.Create());
    EXPECT_EQ(createNew.Size(), 0);
    createNew.Close();

    CYolFile replace(W(existing), CYolFile::ModeWrite);
    ASSERT_TRUE(replace.Replace());
    EXPECT_EQ(replace.Size(), 0);
    replace.Close();
    EXPECT_TRUE(ReadBytes(existing).empty());

    CYolFile replaceMissing(W(PathOf("fresh.bin")), CYolFile::ModeWrite);
    EXPECT_TRUE(replaceMissing.Replace());
    EXPECT_TRUE(fs::exists(PathOf("fresh.bin")));
}

TEST_F(FileTest, WritesReadsAndSeeksInOneFile) {
    CYolFile file(W(PathOf("data.bin")), CYolFile::ModeWrite);
    ASSERT_TRUE(file.Replace());
    const auto header = Bytes({0x59, 0x48, 0x46, 0x00, 0x01});
    const auto record = Bytes({0xAA, 0xBB, 0xCC});
    ASSERT_TRUE(file.Write(header.data(), static_cast<int>(header.size())));
    ASSERT_TRUE(file.Write(record.data(), static_cast<int>(record.size())));
    EXPECT_TRUE(file.Write(nullptr, 0));
    EXPECT_FALSE(file.Write(nullptr, 4));
    EXPECT_EQ(file.Size(), 8);
    EXPECT_EQ(file.Size64(), 8);

    // Rewrite the version byte in place, as a header update does.
    const auto version = Bytes({0x02});
    ASSERT_TRUE(file.Seek(CYolFile::SeekBegin, 4));
    ASSERT_TRUE(file.Write(version.data(), 1));

    unsigned char buffer[16] = {};
    ASSERT_TRUE(file.Seek(CYolFile::SeekEnd, -3));
    EXPECT_EQ(file.Read(buffer, 16), 3);
    EXPECT_EQ(std::vector<unsigned char>(buffer, buffer + 3), record);
    EXPECT_EQ(file.Read(buffer, 16), 0); // at the end

    ASSERT_TRUE(file.Seek(CYolFile::SeekBegin, 0));
    ASSERT_TRUE(file.Seek(CYolFile::SeekCurrent, 3));
    EXPECT_EQ(file.Read(buffer, 2), 2);
    EXPECT_EQ(std::vector<unsigned char>(buffer, buffer + 2), Bytes({0x00, 0x02}));

    EXPECT_FALSE(file.Seek(CYolFile::SeekBegin, -1));
    EXPECT_EQ(file.Read(nullptr, 4), 0);
    EXPECT_EQ(file.Read(buffer, 0), 0);
    file.Close();
    EXPECT_EQ(ReadBytes(PathOf("data.bin")), Bytes({0x59, 0x48, 0x46, 0x00, 0x02, 0xAA, 0xBB, 0xCC}));
}

TEST_F(FileTest, ReadModeCannotWrite) {
    std::string path = Put("ro.bin", Bytes({0x10, 0x20}));
    CYolFile file(W(path), CYolFile::ModeRead);
    ASSERT_TRUE(file.Open());
    const auto bytes = Bytes({0xFF});
    EXPECT_FALSE(file.Write(bytes.data(), 1));
    unsigned char buffer[2];
    EXPECT_EQ(file.Read(buffer, 2), 2);
    EXPECT_EQ(ReadBytes(path), Bytes({0x10, 0x20}));
}

TEST_F(FileTest, ClosedObjectAnswersFailure) {
    CYolFile file(W(PathOf("never.bin")), CYolFile::ModeWrite);
    unsigned char buffer[4];
    const auto bytes = Bytes({0x01});
    EXPECT_EQ(file.Read(buffer, 4), 0);
    EXPECT_FALSE(file.Write(bytes.data(), 1));
    EXPECT_FALSE(file.Seek(CYolFile::SeekBegin, 0));
    EXPECT_EQ(file.Size(), -1);
    EXPECT_EQ(file.Size64(), -1);
}

TEST_F(FileTest, ReadersShareAFileThatWritersHoldAlone) {
    std::string path = Put("held.bin", Bytes({0x01, 0x02, 0x03, 0x04}));
    CYolFile first(W(path), CYolFile::ModeRead);
    CYolFile second(W(path), CYolFile::ModeRead);
    ASSERT_TRUE(first.Open());
    ASSERT_TRUE(second.Open());
    EXPECT_EQ(CYolFile::Size64(W(path)), 4);
    EXPECT_EQ(CYolFile::ReadFromFile(W(path)).Length(), 4);
}

// Runs `open` on a thread while a writer holds the file, and lets the clock
// run out once the opener is seen waiting.
template <typename Open>
auto WhenHeldTooLong(Open open) {
    WatchedClock clock;
    auto opening = std::async(std::launch::async, open);
    EXPECT_TRUE(clock.WaitForReads(2));
    clock.Advance(CYolFile::kLockWaitMs);
    return opening.get();
}

TEST_F(FileTest, AFileHeldTooLongIsBusyNotMissing) {
    std::string path = Put("held.bin", Bytes({0x01, 0x02, 0x03, 0x04}));
    CYolFile holder(W(path), CYolFile::ModeWrite);
    ASSERT_TRUE(holder.Open());

    EXPECT_EQ(WhenHeldTooLong([&] {
                  CYolFile reader(W(path), CYolFile::ModeRead);
                  reader.Open();
                  return reader.GetStatus();
              }),
              CYolFile::Busy);
    EXPECT_EQ(WhenHeldTooLong([&] {
                  CYolFile replacer(W(path), CYolFile::ModeWrite);
                  replacer.Replace();
                  return replacer.GetStatus();
              }),
              CYolFile::Busy);
    EXPECT_EQ(ReadBytes(path).size(), 4u); // a refused Replace truncates nothing
    EXPECT_TRUE(WhenHeldTooLong([&] { return CYolFile::FileExists(W(path)); }));
    EXPECT_EQ(WhenHeldTooLong([&] { return CYolFile::Size64(W(path)); }), -1);
    std::vector<unsigned char> bytes;
    EXPECT_EQ(WhenHeldTooLong([&] { return CYolFile::ReadWhole(W(path), bytes, 100); }), CYolFile::Busy);

    holder.Close();
    CYolFile reader(W(path), CYolFile::ModeRead);
    EXPECT_TRUE(reader.Open());
}

TEST_F(FileTest, AReaderWaitsForTheWriterToFinish) {
    std::string path = Put("held.bin", Bytes({0x01, 0x02}));
    auto holder = std::make_unique<CYolFile>(W(path), CYolFile::ModeWrite);
    ASSERT_TRUE(holder->Open());
    WatchedClock clock; // never advanced: the reader cannot give up
    auto reading = std::async(std::launch::async, [&] {
        std::vector<unsigned char> bytes;
        CYolFile::ReadWhole(W(path), bytes, 100);
        return bytes;
    });
    ASSERT_TRUE(clock.WaitForReads(2));
    const auto more = Bytes({0x03});
    ASSERT_TRUE(holder->Seek(CYolFile::SeekEnd, 0));
    ASSERT_TRUE(holder->Write(more.data(), 1));
    holder.reset();
    EXPECT_EQ(reading.get(), Bytes({0x01, 0x02, 0x03}));
}

TEST_F(FileTest, AFileReplacedWhileWaitedForIsOpenedAgain) {
    std::string path = Put("settings.yol", Bytes({0x01}));
    auto holder = std::make_unique<CYolFile>(W(path), CYolFile::ModeWrite);
    ASSERT_TRUE(holder->Open());
    WatchedClock clock;
    auto reading = std::async(std::launch::async, [&] {
        std::vector<unsigned char> bytes;
        CYolFile::ReadWhole(W(path), bytes, 100);
        return bytes;
    });
    ASSERT_TRUE(clock.WaitForReads(2));
    const auto next = Bytes({0x02, 0x02});
    ASSERT_TRUE(CYolFile::WriteWholeFile(W(path), next.data(), next.size()));
    holder.reset();
    EXPECT_EQ(reading.get(), next);
}

TEST_F(FileTest, StatusTellsMissingFromUnreadable) {
    fs::create_directories(PathOf("folder"));
    const struct {
        std::string path;
        CYolFile::Status expected;
    } cases[] = {
        {PathOf("absent.bin"), CYolFile::Missing},
        {PathOf("absent/inside.bin"), CYolFile::Missing},
        {Put("file.bin") + "/inside.bin", CYolFile::Missing},
        {PathOf("folder"), CYolFile::Unreadable},
        {Put("here.bin", Bytes({1})), CYolFile::Opened},
    };
    for (const auto& c : cases) {
        CYolFile file(W(c.path), CYolFile::ModeRead);
        file.Open();
        EXPECT_EQ(file.GetStatus(), c.expected) << c.path;
    }
    std::vector<unsigned char> bytes;
    int error = 0;
    EXPECT_EQ(CYolFile::ReadWhole(W(Put("big.bin", Bytes(10, 0))), bytes, 9, &error), CYolFile::Unreadable);
    EXPECT_EQ(error, EFBIG);
}

TEST_F(FileTest, FileExistsOnlyForReadableFiles) {
    std::string path = Put("here.txt", Bytes({0x41}));
    fs::create_directories(PathOf("folder"));
    ASSERT_EQ(mkfifo(PathOf("pipe").c_str(), 0600), 0);
    EXPECT_TRUE(CYolFile::FileExists(W(path)));
    EXPECT_FALSE(CYolFile::FileExists(W(PathOf("absent.txt"))));
    EXPECT_FALSE(CYolFile::FileExists(W(PathOf("folder"))));
    EXPECT_FALSE(CYolFile::FileExists(W(PathOf("pipe")))); // and does not hang on it
    EXPECT_FALSE(CYolFile::FileExists(CYolString()));
}

TEST_F(FileTest, StaticSizeIsZeroForWhatCannotBeOpened) {
    EXPECT_EQ(CYolFile::Size(W(Put("five.bin", Bytes({1, 2, 3, 4, 5})))), 5);
    EXPECT_EQ(CYolFile::Size(W(Put("empty.bin"))), 0);
    EXPECT_EQ(CYolFile::Size(W(PathOf("absent.bin"))), 0);
    EXPECT_EQ(CYolFile::Size64(W(PathOf("absent.bin"))), -1);

    // Past what an int holds: the int form says so instead of wrapping.
    std::string big = PathOf("big.bin");
    fs::resize_file(Put("big.bin"), 3'000'000'000ULL);
    EXPECT_EQ(CYolFile::Size(W(big)), -1);
    EXPECT_EQ(CYolFile::Size64(W(big)), 3'000'000'000LL);
}

TEST_F(FileTest, ReadFromFileDecodesCodePage1251) {
    // "Привет, Yol" in Windows-1251.
    std::string path = Put("ru.txt", Bytes({0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2, 0x2C, 0x20, 0x59, 0x6F, 0x6C}));
    EXPECT_EQ(CYolFile::ReadFromFile(W(path)).ToU16(), u"Привет, Yol");

    CYolString text = W("old");
    EXPECT_TRUE(CYolFile::ReadFromFile(text, W(path)));
    EXPECT_EQ(text.ToU16(), u"Привет, Yol");

    // The text form reads the path only up to the given length.
    std::u16string padded = W(path).ToU16() + u"garbage";
    EXPECT_EQ(CYolFile::ReadFromFile(padded.c_str(), static_cast<int>(padded.size() - 7)).ToU16(), u"Привет, Yol");
    std::u16string terminated = W(path).ToU16();
    EXPECT_EQ(CYolFile::ReadFromFile(terminated.c_str(), -1).ToU16(), u"Привет, Yol");
}

TEST_F(FileTest, ReadFromFileIsEmptyOnEveryFailure) {
    std::string empty = Put("empty.txt");
    std::string huge = Put("huge.txt");
    fs::resize_file(huge, CYolFile::kMaxWholeFile + 1);
    fs::create_directories(PathOf("folder"));

    for (const std::string& path : {empty, huge, PathOf("absent.txt"), PathOf("folder")}) {
        CYolString text = W("old");
        EXPECT_FALSE(CYolFile::ReadFromFile(text, W(path))) << path;
        EXPECT_TRUE(text.IsEmpty()) << path;
        EXPECT_TRUE(CYolFile::ReadFromFile(W(path)).IsEmpty()) << path;
    }
}

TEST_F(FileTest, ReadAllBytesHonoursItsCap) {
    std::string path = Put("six.bin", Bytes({0, 1, 2, 3, 4, 5}));
    std::vector<unsigned char> bytes = Bytes({9});
    EXPECT_TRUE(CYolFile::ReadAllBytes(W(path), bytes, 6));
    EXPECT_EQ(bytes, Bytes({0, 1, 2, 3, 4, 5}));
    EXPECT_FALSE(CYolFile::ReadAllBytes(W(path), bytes, 5));
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(CYolFile::ReadAllBytes(W(Put("empty.bin")), bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST_F(FileTest, WriteWholeFileReplacesAtOnceAndLeavesNoTemporaryFiles) {
    std::string path = Put("settings.yol", Bytes({0x01, 0x02, 0x03, 0x04}));
    const auto next = Bytes({0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x01});
    ASSERT_TRUE(CYolFile::WriteWholeFile(W(path), next.data(), next.size(), 0600));
    EXPECT_EQ(ReadBytes(path), next);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    ASSERT_TRUE(CYolFile::WriteWholeFile(W(PathOf("cache.bin")), next.data(), 2));
    EXPECT_EQ(ReadBytes(PathOf("cache.bin")), Bytes({0xDE, 0xAD}));
    ASSERT_EQ(stat(PathOf("cache.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);

    EXPECT_TRUE(CYolFile::WriteWholeFile(W(PathOf("empty.bin")), nullptr, 0));
    EXPECT_TRUE(fs::exists(PathOf("empty.bin")));

    EXPECT_EQ(Entries(), (std::vector<std::string>{"cache.bin", "empty.bin", "settings.yol"}));
}

TEST_F(FileTest, WriteWholeFileFailureLeavesTheTargetAlone) {
    const auto bytes = Bytes({0x01});
    fs::create_directories(PathOf("taken"));
    EXPECT_FALSE(CYolFile::WriteWholeFile(W(PathOf("taken")), bytes.data(), 1));
    EXPECT_TRUE(fs::is_directory(PathOf("taken")));
    EXPECT_FALSE(CYolFile::WriteWholeFile(W(PathOf("no/such/folder/file.bin")), bytes.data(), 1));
    EXPECT_FALSE(CYolFile::WriteWholeFile(W(PathOf("data.bin")), nullptr, 1));
    EXPECT_FALSE(CYolFile::WriteWholeFile(CYolString(), bytes.data(), 1));

    EXPECT_EQ(Entries(), std::vector<std::string>{"taken"});
}

TEST_F(FileTest, WriteWholeFileRemovesOnlyItsOwnStaleCopies) {
    // As a save killed before its rename leaves them, beside copies that
    // are not this file's to remove.
    std::string stale = Put(".settings.yol.yol-a1B2c3", Bytes({0x50}));
    std::string live = Put(".settings.yol.yol-LIVE00", Bytes({0x51}));
    Put(".settings.yol.yol-toolong", Bytes({0x52}));
    Put(".other.yol.yol-a1B2c3", Bytes({0x53}));
    Put(".yol-a1B2c3", Bytes({0x54}));
    Put("settings.yol.yol-a1B2c3", Bytes({0x55}));
    fs::create_directories(PathOf(".settings.yol.yol-folder"));
    // A writer still at work holds its copy locked.
    int writer = open(live.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(flock(writer, LOCK_EX), 0);

    const auto bytes = Bytes({0x01});
    ASSERT_TRUE(CYolFile::WriteWholeFile(W(PathOf("settings.yol")), bytes.data(), 1, 0600));
    close(writer);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_EQ(Entries(), (std::vector<std::string>{".other.yol.yol-a1B2c3", ".settings.yol.yol-LIVE00",
                                                   ".settings.yol.yol-folder", ".settings.yol.yol-toolong",
                                                   ".yol-a1B2c3", "settings.yol", "settings.yol.yol-a1B2c3"}));
    // Its writer gone, the copy is stale too.
    EXPECT_EQ(CYolFile::RemoveStaleCopies(W(PathOf("settings.yol"))), 1);
    EXPECT_FALSE(fs::exists(live));
}

TEST_F(FileTest, ACleanerThatTakesAFreshCopyCostsTheWriterOnlyTheCopy) {
    std::string path = Put("settings.yol", Bytes({0x01}));
    g_cleanedFile = path;
    g_cleanerRuns = 1;
    const auto next = Bytes({0x02, 0x03});
    EXPECT_TRUE(CYolFile::WriteWholeFile(W(path), next.data(), next.size(), 0600));
    EXPECT_EQ(g_cleanerRuns.load(), 0);
    EXPECT_EQ(ReadBytes(path), next);
    EXPECT_EQ(Entries(), std::vector<std::string>{"settings.yol"});

    // A cleaner at every copy: the writer gives up and the file stays.
    g_cleanerRuns = 1000;
    const auto lost = Bytes({0x04});
    EXPECT_FALSE(CYolFile::WriteWholeFile(W(path), lost.data(), lost.size(), 0600));
    g_cleanerRuns = 0;
    EXPECT_EQ(ReadBytes(path), next);
    EXPECT_EQ(Entries(), std::vector<std::string>{"settings.yol"});
}

// --- CYolFileSystem ---------------------------------------------------

class FileSystemTest : public FileTest {
protected:
    void SetUp() override {
        FileTest::SetUp();
        Put("b.ini");
        Put("A.png");
        Put("Zeta/x");
        Put("Beta/y");
        fs::create_directory_symlink(PathOf("Beta"), PathOf("LinkToBeta"));
    }

    std::vector<std::string> List(const std::string& where, unsigned int flags, CYolArray<CYolString> names = {}) {
        EXPECT_TRUE(CYolFileSystem::GetDirectoryFiles(W(where), flags, names));
        std::vector<std::string> out;
        for (const CYolString& name : names)
            out.push_back(name.ToUtf8());
        return out;
    }
};

TEST_F(FileSystemTest, ListsWhatTheFlagsAskForInNameOrder) {
    using V = std::vector<std::string>;
    const struct {
        unsigned int flags;
        V expected;
    } cases[] = {
        {CYolFileSystem::ListFolders, V{"Beta", "LinkToBeta", "Zeta"}},
        {CYolFileSystem::ListFiles, V{"A.png", "b.ini"}},
        {CYolFileSystem::ListFolders | CYolFileSystem::ListFiles, V{"A.png", "Beta", "LinkToBeta", "Zeta", "b.ini"}},
        {0, V{}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(List(folder + "/", c.flags), c.expected) << c.flags;
        EXPECT_EQ(List(folder, c.flags), c.expected) << c.flags << " without the trailing slash";
    }
}

TEST_F(FileSystemTest, AppendsToWhatTheArrayHolds) {
    CYolArray<CYolString> names;
    names.Add(W("kept"));
    EXPECT_EQ(List(folder + "/", CYolFileSystem::ListFiles, names), (std::vector<std::string>{"kept", "A.png", "b.ini"}));
    EXPECT_EQ(List(PathOf("absent/"), 3, names), std::vector<std::string>{"kept"});
}

TEST_F(FileSystemTest, DeleteFileRemovesFilesOnly) {
    EXPECT_TRUE(CYolFileSystem::DeleteFileW(W(PathOf("b.ini"))));
    EXPECT_FALSE(fs::exists(PathOf("b.ini")));
    EXPECT_FALSE(CYolFileSystem::DeleteFileW(W(PathOf("b.ini"))));
    EXPECT_FALSE(CYolFileSystem::DeleteFileW(W(PathOf("Zeta"))));
    EXPECT_TRUE(fs::is_directory(PathOf("Zeta")));
}

} // namespace
