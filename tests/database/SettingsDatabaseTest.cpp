#include "CYolDatabaseImpl.h"
#include "RecordingServicesManager.h"
#include "TestSupport.h"
#include "WatchedClock.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <functional>
#include <future>
#include <memory>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using Database::CYolDatabaseImpl;
using Database::LoadResult;

namespace {

Bytes Ascii(const char* text) { return Bytes(text, text + std::strlen(text)); }

class SettingsDatabase : public TempFolderTest {
protected:
    CYolString Path() const { return W(file); }

    void WriteFile(const Bytes& bytes, mode_t mode = 0644) const {
        Put("settings.yol", bytes);
        chmod(file.c_str(), mode);
    }
    Bytes ReadFile() const { return ReadBytes(file); }

    const std::string file = PathOf("settings.yol");
    RecordingServicesManager services;
};

// Three sections, given in text order; in memory order of the GUIDs (the
// order of the services manager's map) ContactListGuid would come first.
const char kProtocols[] = "{3BAE2E79-C55B-41B8-851D-0CB7DFF053B6}";
const char kPreferences[] = "{5CA0CBC1-999A-4EA2-8B44-F8F67D7F8EBE}";
const char kContactList[] = "{D42F2173-F868-469C-9F2F-B283F799F1CE}";

const Bytes kSection1 = Concat({Hex("26"), Ascii(kProtocols), Hex("08000000  01 7A 02000000 0201")});
const Bytes kSection2 = Concat({Hex("26"), Ascii(kPreferences), Hex("10000000  04 4C616E67 07000000 456E676C697368")});
const Bytes kSection3 = Concat({Hex("26"), Ascii(kContactList),
                                Hex("19000000  01 42 04000000 05000000  01 61 02000000 6869  01 62 01000000 01")});
const Bytes kGoodFile = Concat({kSection1, kSection2, kSection3});

void FillAsGoodFile(Database::CYolDatabase& db) {
    db.SetByte(ContactListGuid, W("b"), 1);
    db.SetString(ContactListGuid, W("a"), W("hi"));
    db.SetDword(ContactListGuid, W("B"), 5);
    db.SetString(PreferencesGuid, W("Lang"), W("English"));
    db.SetWord(ProtocolsManagerGuid, W("z"), 0x0102);
}

TEST_F(SettingsDatabase, WritesSectionsAndRecordsInAscendingNameOrder) {
    {
        CYolDatabaseImpl db(&services, Path());
        FillAsGoodFile(db);
        EXPECT_TRUE(db.Save());
    }
    EXPECT_EQ(ReadFile(), kGoodFile);
}

TEST_F(SettingsDatabase, LoadsWhatItSaved) {
    WriteFile(kGoodFile);
    CYolDatabaseImpl db(&services, Path());
    LoadResult result = db.GetLoadResult();
    EXPECT_TRUE(result.fileFound);
    EXPECT_TRUE(result.IsClean());
    EXPECT_EQ(result.sections, 3u);
    EXPECT_EQ(result.records, 5u);

    unsigned short word = 0;
    CYolString text;
    unsigned long dword = 0;
    EXPECT_TRUE(db.GetWord(ProtocolsManagerGuid, W("z"), word));
    EXPECT_EQ(word, 0x0102);
    EXPECT_TRUE(db.GetString(PreferencesGuid, W("Lang"), text));
    EXPECT_EQ(text, W("English"));
    EXPECT_TRUE(db.GetDword(ContactListGuid, W("B"), dword));
    EXPECT_EQ(dword, 5u);

    Bytes again;
    ASSERT_TRUE(db.SaveToBytes(again));
    EXPECT_EQ(again, kGoodFile);
}

TEST_F(SettingsDatabase, RegistersOnCreationAndUnregistersOnDestruction) {
    void* self;
    {
        CYolDatabaseImpl db(&services, Path());
        self = static_cast<Database::CYolDatabase*>(&db);
        ASSERT_EQ(services.registered.size(), 1u);
        EXPECT_EQ(services.registered[0].id, DatabaseGuid);
        EXPECT_EQ(services.registered[0].service, self);
        EXPECT_TRUE(services.unregistered.empty());
    }
    ASSERT_EQ(services.unregistered.size(), 1u);
    EXPECT_EQ(services.unregistered[0], services.registered[0].key);
}

TEST_F(SettingsDatabase, TypedValuesReadBackAsDocumented) {
    CYolDatabaseImpl db(&services, Path());
    const YOL_GUID& s = PreferencesGuid;

    db.SetDword(s, W("five"), 5);
    unsigned long dword = 0;
    unsigned char byte = 0;
    unsigned long size = 0;
    EXPECT_TRUE(db.GetDword(s, W("five"), dword));
    EXPECT_TRUE(db.GetByte(s, W("five"), byte));
    EXPECT_TRUE(db.GetSize(s, W("five"), size));
    EXPECT_EQ(dword, 5u);
    EXPECT_EQ(byte, 5);
    EXPECT_EQ(size, 4u);

    db.SetData(s, W("three"), "\x01\x02\x03", 3);
    dword = 77;
    EXPECT_TRUE(db.GetDword(s, W("three"), dword));
    EXPECT_EQ(dword, 0u);

    db.SetString(s, W("empty"), CYolString());
    CYolString text = W("was here");
    EXPECT_TRUE(db.GetSize(s, W("empty"), size));
    EXPECT_EQ(size, 0u);
    EXPECT_TRUE(db.GetString(s, W("empty"), text));
    EXPECT_TRUE(text.IsEmpty());

    // A setter of another size replaces the value.
    db.SetByte(s, W("five"), 9);
    EXPECT_TRUE(db.GetSize(s, W("five"), size));
    EXPECT_EQ(size, 1u);
}

TEST_F(SettingsDatabase, GetDataCopiesOnlyIntoABufferThatFits) {
    CYolDatabaseImpl db(&services, Path());
    db.SetData(ContactListGuid, W("blob"), "\xAA\xBB\xCC\xDD", 4);

    struct Case {
        unsigned long size;
        bool result;
        Bytes buffer;
    } cases[] = {
        {0, false, Hex("0000000000")},  // asks for the length
        {3, false, Hex("0000000000")},
        {4, true, Hex("AABBCCDD00")},
        {5, true, Hex("AABBCCDD00")},
    };
    for (const Case& c : cases) {
        Bytes buffer(5, 0);
        unsigned long size = c.size;
        EXPECT_EQ(db.GetData(ContactListGuid, W("blob"), buffer.data(), size), c.result) << c.size;
        EXPECT_EQ(size, 4u) << c.size;
        EXPECT_EQ(buffer, c.buffer) << c.size;
    }
}

TEST_F(SettingsDatabase, MissingSectionOrKeyLeavesEveryOutputUntouched) {
    CYolDatabaseImpl db(&services, Path());
    db.SetByte(ContactListGuid, W("there"), 1);
    struct Where {
        YOL_GUID section;
        const char* key;
    } misses[] = {{ContactListGuid, "absent"}, {ContactListGuid, "There"}, {SocketsManagerGuid, "there"}};
    for (const Where& w : misses) {
        unsigned long size = 123, dword = 456;
        unsigned short word = 789;
        unsigned char byte = 12, buffer[2] = {7, 7};
        CYolString text = W("untouched");
        EXPECT_FALSE(db.GetSize(w.section, W(w.key), size));
        EXPECT_FALSE(db.GetData(w.section, W(w.key), buffer, size));
        EXPECT_FALSE(db.GetString(w.section, W(w.key), text));
        EXPECT_FALSE(db.GetDword(w.section, W(w.key), dword));
        EXPECT_FALSE(db.GetWord(w.section, W(w.key), word));
        EXPECT_FALSE(db.GetByte(w.section, W(w.key), byte));
        EXPECT_EQ(size, 123u);
        EXPECT_EQ(dword, 456u);
        EXPECT_EQ(word, 789);
        EXPECT_EQ(byte, 12);
        EXPECT_EQ(buffer[0], 7);
        EXPECT_EQ(text, W("untouched"));
    }
}

TEST_F(SettingsDatabase, RefusesKeysLongerThanTheLengthByte) {
    CYolDatabaseImpl db(&services, Path());
    std::string longest(255, 'k');
    std::string tooLong(256, 'k');
    EXPECT_TRUE(db.SetByte(ContactListGuid, W(longest.c_str()), 1));
    EXPECT_FALSE(db.SetByte(SocketsManagerGuid, W(tooLong.c_str()), 1));
    EXPECT_FALSE(db.SetString(SocketsManagerGuid, W(tooLong.c_str()), W("v")));
    EXPECT_FALSE(db.SetData(SocketsManagerGuid, W(tooLong.c_str()), "v", 1));
    unsigned long size = 0;
    EXPECT_FALSE(db.GetSize(SocketsManagerGuid, W(tooLong.c_str()), size));

    // Nothing of the refused key reached the file, not even its section.
    Bytes bytes;
    ASSERT_TRUE(db.SaveToBytes(bytes));
    EXPECT_EQ(bytes.size(), 1u + 38 + 4 + (1 + 255 + 4 + 1));
}

TEST_F(SettingsDatabase, CutFileKeepsEveryWholeSectionBeforeTheCut) {
    const size_t ends[] = {kSection1.size(), kSection1.size() + kSection2.size(), kGoodFile.size()};
    for (size_t cut = 0; cut <= kGoodFile.size(); ++cut) {
        WriteFile(Bytes(kGoodFile.begin(), kGoodFile.begin() + cut));
        CYolDatabaseImpl db(&services, Path());
        unsigned int whole = 0;
        while (whole < 3 && ends[whole] <= cut)
            ++whole;
        LoadResult result = db.GetLoadResult();
        EXPECT_EQ(result.sections, whole) << cut;
        EXPECT_EQ(result.bytesSkipped, cut - (whole == 0 ? 0 : ends[whole - 1])) << cut;

        unsigned long size = 0;
        EXPECT_EQ(db.GetSize(ProtocolsManagerGuid, W("z"), size), whole >= 1) << cut;
        EXPECT_EQ(db.GetSize(PreferencesGuid, W("Lang"), size), whole >= 2) << cut;
        EXPECT_EQ(db.GetSize(ContactListGuid, W("b"), size), whole >= 3) << cut;
    }
}

TEST_F(SettingsDatabase, MalformedFilesLoadWhatIsSoundAndReportTheRest) {
    struct Case {
        const char* what;
        Bytes file;
        unsigned int sections, records, emptied, duplicates, unstorable;
        uint64_t skipped;
        bool hasZ, hasLang, hasB;
    } cases[] = {
        {"a good record and three stray bytes empty their section only",
         Concat({kSection1, Hex("26"), Ascii(kPreferences), Hex("0E000000 04 4C616E67 02000000 6869 AABBCC"),
                 kSection3}),
         3, 4, 1, 0, 0, 0, true, false, true},
        {"a record running past its section empties that section",
         Concat({kSection1, Hex("26"), Ascii(kPreferences), Hex("09000000 04 4C616E67 09000000"), kSection3}),
         3, 4, 1, 0, 0, 0, true, false, true},
        {"the first of two records of one name is kept",
         Concat({Hex("26"), Ascii(kProtocols), Hex("10000000 01 7A 02000000 0201 01 7A 02000000 FFFF"), kSection2}),
         2, 2, 0, 1, 0, 0, true, true, false},
        {"a 4 GB section length ends the load without allocating it",
         Concat({kSection1, Hex("26"), Ascii(kPreferences), Hex("FFFFFFFF 0000")}),
         1, 1, 0, 0, 0, 45, true, false, false},
        {"a name length past the end of the file",
         Concat({kSection1, kSection2, Hex("FF 414243")}),
         2, 2, 0, 0, 0, 4, true, true, false},
        {"a name that would not fit the length byte once decoded is dropped",
         Concat({Hex("02 FFFF 00000000"), Hex("FF"), Bytes(255, 0xFF), Hex("00000000"), kSection1}),
         3, 1, 0, 0, 1, 0, true, false, false},
        {"a repeated section adds only new names",
         Concat({kSection1, Hex("26"), Ascii(kProtocols), Hex("10000000 01 7A 02000000 FFFF 01 79 02000000 0304")}),
         2, 2, 0, 1, 0, 0, true, false, false},
    };
    CYolDatabaseImpl db(nullptr, Path());
    for (const Case& c : cases) {
        LoadResult result = db.LoadFromBytes(c.file.data(), c.file.size());
        EXPECT_EQ(result.sections, c.sections) << c.what;
        EXPECT_EQ(result.records, c.records) << c.what;
        EXPECT_EQ(result.emptiedSections, c.emptied) << c.what;
        EXPECT_EQ(result.duplicateRecords, c.duplicates) << c.what;
        EXPECT_EQ(result.unstorableNames, c.unstorable) << c.what;
        EXPECT_EQ(result.bytesSkipped, c.skipped) << c.what;
        unsigned short word = 0;
        unsigned long size = 0;
        EXPECT_EQ(db.GetWord(ProtocolsManagerGuid, W("z"), word), c.hasZ) << c.what;
        if (c.hasZ) {
            EXPECT_EQ(word, 0x0102) << c.what;
        }
        EXPECT_EQ(db.GetSize(PreferencesGuid, W("Lang"), size), c.hasLang) << c.what;
        EXPECT_EQ(db.GetSize(ContactListGuid, W("b"), size), c.hasB) << c.what;

        // Whatever was kept saves as a file that loads clean.
        Bytes saved, again;
        ASSERT_TRUE(db.SaveToBytes(saved)) << c.what;
        EXPECT_TRUE(db.LoadFromBytes(saved.data(), saved.size()).IsClean()) << c.what;
        ASSERT_TRUE(db.SaveToBytes(again));
        EXPECT_EQ(again, saved) << c.what;
    }
}

TEST_F(SettingsDatabase, SavedFileIsReadableByItsOwnerOnly) {
    WriteFile(Hex("00 00000000"), 0644);
    CYolDatabaseImpl db(&services, Path());
    db.SetString(ContactListGuid, W("SrvLogPass"), W("secret"));
    ASSERT_TRUE(db.Save());
    struct stat info {};
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(Entries(), std::vector<std::string>{"settings.yol"});
}

TEST_F(SettingsDatabase, NothingSetLeavesTheFileUntouched) {
    // A cut file too: rewriting it would silently drop its tail.
    for (const Bytes& content : {kGoodFile, Bytes(kGoodFile.begin(), kGoodFile.end() - 3)}) {
        WriteFile(content, 0644);
        struct stat before {};
        stat(file.c_str(), &before);
        { CYolDatabaseImpl db(&services, Path()); }
        struct stat after {};
        stat(file.c_str(), &after);
        EXPECT_EQ(ReadFile(), content);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
    }

    std::filesystem::remove(file);
    {
        CYolDatabaseImpl db(&services, Path());
        EXPECT_TRUE(db.Save());
    }
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(SettingsDatabase, DestructionSavesWhatWasSet) {
    WriteFile(kGoodFile);
    {
        CYolDatabaseImpl db(&services, Path());
        db.SetByte(ContactListGuid, W("b"), 2);
    }
    CYolDatabaseImpl db(&services, Path());
    unsigned char byte = 0;
    EXPECT_TRUE(db.GetByte(ContactListGuid, W("b"), byte));
    EXPECT_EQ(byte, 2);
    EXPECT_EQ(db.GetLoadResult().records, 5u);
}

TEST_F(SettingsDatabase, FullDiskFailsTheSaveAndKeepsTheOldFile) {
    WriteFile(kGoodFile);
    CYolDatabaseImpl db(&services, Path());
    Bytes big(64 * 1024, 0x5A);
    db.SetData(ContactListGuid, W("CL data"), big.data(), big.size());

    // A file-size limit makes the write fail the way a full disk does.
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    bool ok = db.Save();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadFile(), kGoodFile);
    EXPECT_EQ(Entries(), std::vector<std::string>{"settings.yol"});
    EXPECT_TRUE(db.Save());
}

TEST_F(SettingsDatabase, UnwritableFolderFailsTheSaveAndKeepsTheOldFile) {
    WriteFile(kGoodFile, 0644);
    chmod(folder.c_str(), 0555);
    // Root writes anywhere, so the save runs in a child without privileges.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        int code;
        {
            CYolDatabaseImpl db(nullptr, Path());
            db.SetByte(ContactListGuid, W("b"), 9);
            code = !db.GetLoadResult().IsClean() ? 4 : db.Save() ? 1 : 0;
        }
        _exit(code);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the save claimed success, 3: could not drop privileges, 4: bad load";
    EXPECT_EQ(ReadFile(), kGoodFile);
    EXPECT_EQ(Entries(), std::vector<std::string>{"settings.yol"});
}

// Another process holds the settings file while the database loads it.
class HeldSettings : public SettingsDatabase {
protected:
    void SetUp() override {
        WriteFile(kGoodFile, 0600);
        int toChild[2], toParent[2];
        ASSERT_EQ(pipe(toChild), 0);
        ASSERT_EQ(pipe(toParent), 0);
        holder = fork();
        ASSERT_GE(holder, 0);
        if (holder == 0) {
            int fd = open(file.c_str(), O_RDWR);
            char byte = fd >= 0 && flock(fd, LOCK_EX) == 0 ? 'L' : 'E';
            if (write(toParent[1], &byte, 1) != 1 || read(toChild[0], &byte, 1) != 1)
                _exit(1);
            _exit(0);
        }
        close(toChild[0]);
        close(toParent[1]);
        release = toChild[1];
        char byte = 0;
        ASSERT_EQ(read(toParent[0], &byte, 1), 1);
        close(toParent[0]);
        ASSERT_EQ(byte, 'L');
    }
    void TearDown() override { Release(); }

    void Release() {
        if (release >= 0) {
            EXPECT_EQ(write(release, "x", 1), 1);
            close(release);
            release = -1;
            int status = 0;
            waitpid(holder, &status, 0);
        }
    }

    // Creates the database on a thread, and answers once its load is seen
    // waiting for the file.
    std::future<std::unique_ptr<CYolDatabaseImpl>> StartLoad() {
        auto loading = std::async(std::launch::async, [this] { return std::make_unique<CYolDatabaseImpl>(&services, Path()); });
        EXPECT_TRUE(clock.WaitForReads(2));
        return loading;
    }

    WatchedClock clock;
    pid_t holder = -1;
    int release = -1;
};

TEST_F(HeldSettings, TheLoadWaitsForTheOtherProcess) {
    auto loading = StartLoad();
    Release();
    std::unique_ptr<CYolDatabaseImpl> db = loading.get();
    EXPECT_TRUE(db->GetLoadResult().IsClean());
    EXPECT_EQ(db->GetLoadResult().records, 5u);
    EXPECT_TRUE(db->SaveBlockedReason().IsEmpty());
}

TEST_F(HeldSettings, AFileHeldTooLongIsNeverSavedOver) {
    auto loading = StartLoad();
    clock.Advance(CYolFile::kLockWaitMs);
    std::unique_ptr<CYolDatabaseImpl> db = loading.get();
    LoadResult result = db->GetLoadResult();
    EXPECT_TRUE(result.fileFound);
    EXPECT_TRUE(result.readFailed);
    EXPECT_EQ(result.fileStatus, CYolFile::Busy);
    EXPECT_FALSE(db->SaveBlockedReason().IsEmpty());

    Release();
    db->SetString(ContactListGuid, W("a"), W("changed"));
    EXPECT_FALSE(db->Save());
    db.reset(); // nor does the destructor save
    EXPECT_EQ(ReadFile(), kGoodFile);
}

TEST_F(SettingsDatabase, AFileThatCannotBeReadIsNeverSavedOver) {
    const struct {
        const char* what;
        std::function<void()> make;
        int error;
    } cases[] = {
        {"too big", [&] { std::filesystem::resize_file(Put("settings.yol"), CYolDatabaseImpl::kMaxFileBytes + 1); }, EFBIG},
        {"a folder", [&] { std::filesystem::create_directory(file); }, EISDIR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(file);
        c.make();
        auto before = std::filesystem::status(file).type();
        auto size = before == std::filesystem::file_type::regular ? std::filesystem::file_size(file) : 0;
        {
            CYolDatabaseImpl db(&services, Path());
            LoadResult result = db.GetLoadResult();
            EXPECT_TRUE(result.fileFound);
            EXPECT_TRUE(result.readFailed);
            EXPECT_EQ(result.fileStatus, CYolFile::Unreadable);
            EXPECT_EQ(result.error, c.error);
            db.SetByte(ContactListGuid, W("b"), 2);
            EXPECT_FALSE(db.Save());
        }
        EXPECT_EQ(Entries(), std::vector<std::string>{"settings.yol"});
        EXPECT_EQ(std::filesystem::status(file).type(), before);
        if (before == std::filesystem::file_type::regular) {
            EXPECT_EQ(std::filesystem::file_size(file), size);
        }
    }
}

TEST_F(SettingsDatabase, LoadingRemovesCopiesAKilledSaveLeftBehind) {
    WriteFile(kGoodFile, 0600);
    Put(".settings.yol.yol-Xy12Ab", Bytes(kGoodFile.begin(), kGoodFile.end() - 7));
    Put(".cache.bin.yol-Xy12Ab", Bytes({1}));
    CYolDatabaseImpl db(&services, Path());
    EXPECT_TRUE(db.GetLoadResult().IsClean());
    EXPECT_EQ(Entries(), (std::vector<std::string>{".cache.bin.yol-Xy12Ab", "settings.yol"}));
}

TEST_F(SettingsDatabase, ConcurrentCallersSeeWholeValues) {
    CYolDatabaseImpl db(&services, Path());
    constexpr int kWriters = 4;
    constexpr int kRounds = 300;
    std::atomic<bool> torn{false};
    std::vector<std::thread> threads;
    for (int w = 0; w < kWriters; ++w) {
        threads.emplace_back([&, w] {
            for (int i = 0; i < kRounds; ++i) {
                // Sizes differ between writers, so a value also changes its
                // buffer under the readers.
                Bytes value(8 + 8 * w, static_cast<unsigned char>(w * kRounds + i));
                db.SetData(ContactListGuid, W("shared"), value.data(), value.size());
                db.SetDword(ContactListGuid, CYolString(static_cast<unsigned int>(w), false), i);
            }
        });
    }
    threads.emplace_back([&] {
        for (int i = 0; i < kRounds; ++i) {
            unsigned char buffer[64];
            unsigned long size = sizeof buffer;
            if (!db.GetData(ContactListGuid, W("shared"), buffer, size))
                continue;
            for (unsigned long k = 1; k < size; ++k)
                if (buffer[k] != buffer[0])
                    torn = true;
        }
    });
    threads.emplace_back([&] {
        for (int i = 0; i < 20; ++i)
            db.Save();
    });
    for (std::thread& t : threads)
        t.join();
    EXPECT_FALSE(torn);
    ASSERT_TRUE(db.Save());

    CYolDatabaseImpl reloaded(&services, Path());
    EXPECT_TRUE(reloaded.GetLoadResult().IsClean());
    for (int w = 0; w < kWriters; ++w) {
        unsigned long last = 0;
        EXPECT_TRUE(reloaded.GetDword(ContactListGuid, CYolString(static_cast<unsigned int>(w), false), last));
        EXPECT_EQ(last, static_cast<unsigned long>(kRounds - 1));
    }
}

}  // namespace
