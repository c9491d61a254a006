// The bytes of history files: the header and records an append writes, what
// the loader makes of cut and damaged files, and how an append repairs a
// file whose counters disagree with its records.

#include "CHistoryFile.h"
#include "CPacker.h"
#include "TestSupport.h"
#include "Unprivileged.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

CHistoryFile::Message Msg(unsigned int time, const std::string& text, unsigned char direction = 0) {
    CHistoryFile::Message message;
    message.direction = direction;
    message.time = time;
    message.text = text;
    return message;
}

uint32_t U32(const CTLV* tlv) { return tlv && tlv->GetLength() == 4 ? CPacker::Unpack32(tlv->GetValue()) : 0xFFFFFFFF; }

std::string Text(const CTLVCol& tlvs) {
    const CTLV* text = tlvs.GetTLV(CHistoryFile::TlvText);
    return text ? std::string(reinterpret_cast<const char*>(text->GetValue()), text->GetLength()) : "<none>";
}

std::vector<std::string> Texts(const CYolArray<CTLVCol>& records) {
    std::vector<std::string> out;
    for (const CTLVCol& tlvs : records)
        out.push_back(Text(tlvs));
    return out;
}

Bytes BigEndian32(uint32_t value) {
    Bytes out(4);
    CPacker::Pack32(out.data(), value);
    return out;
}

// The header of the fixture file: login "al", alias "A", the given counters.
Bytes HeaderBytes(uint32_t total, uint32_t count, uint32_t last, unsigned char version = 1) {
    Bytes fixed = Hex("59 48 46");
    fixed.push_back(version);
    return Concat({fixed, BigEndian32(total), Bytes(26, 0), BigEndian32(count), BigEndian32(last),
                   Hex("00 01  00 03 61 6C 00  00 02 41 00")});
}

// The first `n` bytes, as a torn write leaves them.
Bytes Prefix(const Bytes& bytes, size_t n) { return Bytes(bytes.begin(), bytes.begin() + long(n)); }

// A message record as the appender writes it.
Bytes Record(uint32_t number, uint32_t time, const std::string& text, unsigned char direction = 0) {
    CHistoryFile::Message message = Msg(time, text, direction);
    return CHistoryFile::BuildRecord(number, message);
}

class HistoryFileTest : public TempFolderTest {
protected:
    CYolString Path() const { return W(path); }
    Bytes ReadFile() const { return ReadBytes(path); }
    void WriteFile(const Bytes& bytes) const { Put(kName, bytes); }
    int Append(const CHistoryFile::Message& message) const { return CHistoryFile::Append(Path(), "al", "A", message); }
    CYolArray<CTLVCol> Load(unsigned int maxCount = 0, int* rc = nullptr) const {
        CYolArray<CTLVCol> out;
        int result = CHistoryFile::Load(Path(), maxCount, out);
        if (rc)
            *rc = result;
        return out;
    }

    static constexpr const char* kName = "P_bob_al.yhf";
    const std::string path = PathOf(kName);
};

TEST_F(HistoryFileTest, FirstAppendWritesHeaderAndOneRecordByteForByte) {
    ASSERT_EQ(CHistoryFile::Append(Path(), "alice", "Alice", Msg(0x4B3C2D1E, "hi", 1)), CHistoryFile::Ok);

    const Bytes expected = Hex(
        "59 48 46 01  00 00 00 23  00  00 00 00 00  00 00 00 00  00  00 00 00 00  00 00 00 00"
        "00 00 00 00  00 00 00 00  00 00 00 01  00 00 00 01  00 01"
        "00 06 61 6C 69 63 65 00"          // "alice"
        "00 06 41 6C 69 63 65 00"          // "Alice"
        "00 01  00 00 00 1D"               // record type 1, N = 29
        "00 01 00 04 00 00 00 01"          // message number 1
        "00 02 00 04 4B 3C 2D 1E"          // time
        "00 03 00 03 01 00 01"             // outgoing, 0, 1
        "00 04 00 02 68 69");              // "hi"
    EXPECT_EQ(ReadFile(), expected);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(HistoryFileTest, LaterAppendsMoveCountersAndKeepTheHeaderAsRead) {
    // Reserved fields and magic that a later version (or another writer)
    // left behind are written back as they were; the names in the header
    // stay those of the first append.
    Bytes header = HeaderBytes(0, 0, 0);
    header[0] = 'X';
    header[9] = 0x55;
    header[33] = 0x66;
    WriteFile(header);

    ASSERT_EQ(CHistoryFile::Append(Path(), "other", "Other", Msg(10, "a")), CHistoryFile::Ok);
    ASSERT_EQ(CHistoryFile::Append(Path(), "other", "Other", Msg(11, "bc")), CHistoryFile::Ok);

    Bytes r1 = Record(1, 10, "a"), r2 = Record(2, 11, "bc");
    Bytes expectedHeader = HeaderBytes(uint32_t(r1.size() + r2.size()), 2, 2);
    expectedHeader[0] = 'X';
    expectedHeader[9] = 0x55;
    expectedHeader[33] = 0x66;
    EXPECT_EQ(ReadFile(), Concat({expectedHeader, r1, r2}));
}

TEST_F(HistoryFileTest, OtherVersionsAreLeftUnchanged) {
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"version 2", HeaderBytes(0, 0, 0, 2)},
        {"version 0", HeaderBytes(0, 0, 0, 0)},
        {"version 2, cut in the fixed part", Prefix(HeaderBytes(0, 0, 0, 2), 10)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(c.bytes);
        int rc = -1;
        EXPECT_EQ(Load(0, &rc).Count(), 0);
        EXPECT_EQ(rc, CHistoryFile::BadVersion);
        EXPECT_EQ(Append(Msg(1, "x")), CHistoryFile::BadVersion);
        EXPECT_EQ(ReadFile(), c.bytes);
    }
}

TEST_F(HistoryFileTest, ParseHeaderRefusesACutHeader) {
    const Bytes good = HeaderBytes(0, 0, 0);
    CHistoryFile::Header header;
    EXPECT_EQ(CHistoryFile::ParseHeader(good.data(), good.size(), header), CHistoryFile::Ok);
    EXPECT_EQ(header.LogName(), "al");
    EXPECT_EQ(CHistoryFile::ParseHeader(good.data(), good.size() - 1, header), CHistoryFile::BadHeader);
    EXPECT_EQ(CHistoryFile::ParseHeader(nullptr, 0, header), CHistoryFile::BadHeader);
}

TEST_F(HistoryFileTest, MissingFileCannotBeLoaded) {
    int rc = -1;
    Load(0, &rc);
    EXPECT_EQ(rc, CHistoryFile::CannotOpen);
}

TEST_F(HistoryFileTest, ThingsThatAreNotRegularFilesAreRefused) {
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(Append(Msg(1, "x")), CHistoryFile::CannotOpen);
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_EQ(Append(Msg(1, "x")), CHistoryFile::CannotOpen);
    int rc = -1;
    Load(0, &rc);
    EXPECT_EQ(rc, CHistoryFile::CannotOpen);
}

TEST_F(HistoryFileTest, LoadsTheNewestRecordsOldestFirst) {
    for (unsigned int i = 1; i <= 5; ++i)
        ASSERT_EQ(Append(Msg(100 + i, "m" + std::to_string(i))), CHistoryFile::Ok);
    CYolArray<CTLVCol> newest = Load(2);
    ASSERT_EQ(newest.Count(), 2);
    EXPECT_EQ(U32(newest[0].GetTLV(CHistoryFile::TlvNumber)), 4u);
    EXPECT_EQ(U32(newest[1].GetTLV(CHistoryFile::TlvTime)), 105u);
    EXPECT_EQ(Texts(Load(0)), (std::vector<std::string>{"m1", "m2", "m3", "m4", "m5"}));

    // The loader appends to what the caller already holds.
    CYolArray<CTLVCol> out;
    out.Add(CTLVCol());
    ASSERT_EQ(CHistoryFile::Load(Path(), 1, out), CHistoryFile::Ok);
    EXPECT_EQ(out.Count(), 2);
}

// A write torn anywhere: in the header of a new file (a power cut inside
// the first append, or a kill between creating the file and writing it),
// or in any record after it.
class TornWrite : public HistoryFileTest {
protected:
    const Bytes r1 = Record(1, 10, "one"), r2 = Record(2, 20, "two", 1), r3 = Record(3, 30, "three");
    const Bytes header = HeaderBytes(uint32_t(r1.size() + r2.size() + r3.size()), 3, 3);
    const Bytes file = Concat({header, r1, r2, r3});
    const std::vector<std::string> all = {"one", "two", "three"};

    // The records a file cut after `cut` bytes still holds whole.
    std::vector<std::string> WholeBefore(size_t cut) const {
        size_t whole = 0;
        for (size_t end = header.size(); const Bytes* record : {&r1, &r2, &r3}) {
            end += record->size();
            whole += cut >= end;
        }
        return std::vector<std::string>(all.begin(), all.begin() + long(whole));
    }
};

TEST_F(TornWrite, EveryCutLoadsItsWholeRecords) {
    for (size_t cut = 0; cut <= file.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        CYolArray<CTLVCol> out;
        // Each cut gets its own buffer so that ASan sees a read past it.
        Bytes prefix = Prefix(file, cut);
        EXPECT_EQ(CHistoryFile::LoadFromBytes(prefix.data(), prefix.size(), 0, out), CHistoryFile::Ok);
        EXPECT_EQ(Texts(out), WholeBefore(cut));
    }
}

TEST_F(TornWrite, TheNextAppendRepairsTheFile) {
    for (size_t cut = 0; cut < file.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        WriteFile(Prefix(file, cut));
        int rc = -1;
        EXPECT_EQ(Texts(Load(0, &rc)), WholeBefore(cut));
        EXPECT_EQ(rc, CHistoryFile::Ok);
        ASSERT_EQ(Append(Msg(40, "new")), CHistoryFile::Ok);

        std::vector<std::string> expected = WholeBefore(cut);
        expected.push_back("new");
        CYolArray<CTLVCol> out = Load(0);
        EXPECT_EQ(Texts(out), expected);
        Bytes bytes = ReadFile();
        if (cut < header.size()) {
            // Nothing was in it: the file starts again, numbering too.
            Bytes record = Record(1, 40, "new");
            EXPECT_EQ(bytes, Concat({HeaderBytes(uint32_t(record.size()), 1, 1), record}));
            continue;
        }
        // Numbers never go back: the header said 3 were given out.
        EXPECT_EQ(U32(out[out.Count() - 1].GetTLV(CHistoryFile::TlvNumber)), 4u);
        // The counters now describe exactly what is there.
        Bytes tail(bytes.begin() + long(header.size()), bytes.end());
        Bytes expectedHeader = HeaderBytes(uint32_t(tail.size()), uint32_t(expected.size()), 4);
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + long(header.size())), expectedHeader);
    }
}

// The disk fills up, or the file outgrows what the process may write: a
// file-size limit makes writes fail the way a full disk does.
class FullDisk : public HistoryFileTest {
protected:
    int AppendWithin(rlim_t bytes, const CHistoryFile::Message& message) const {
        struct rlimit saved {};
        getrlimit(RLIMIT_FSIZE, &saved);
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
        int rc = Append(message);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        return rc;
    }
};

TEST_F(FullDisk, AFailedFirstAppendLeavesNoFile) {
    const struct {
        const char* what;
        std::optional<Bytes> before;
    } cases[] = {
        {"no file", std::nullopt},
        {"an empty file", Bytes()},
        {"a cut header", Prefix(HeaderBytes(0, 0, 0), 20)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.before)
            WriteFile(*c.before);
        EXPECT_EQ(AppendWithin(30, Msg(1, "lost")), CHistoryFile::WriteFailed);
        EXPECT_FALSE(std::filesystem::exists(path));

        ASSERT_EQ(Append(Msg(2, "kept")), CHistoryFile::Ok);
        EXPECT_EQ(Texts(Load(0)), std::vector<std::string>{"kept"});
        std::filesystem::remove(path);
    }
}

TEST_F(FullDisk, AFailedLaterAppendKeepsEveryEarlierRecord) {
    ASSERT_EQ(Append(Msg(1, "one")), CHistoryFile::Ok);
    const Bytes before = ReadFile();
    EXPECT_EQ(AppendWithin(before.size() + 5, Msg(2, "lost")), CHistoryFile::WriteFailed);
    EXPECT_EQ(ReadFile(), before);
    ASSERT_EQ(Append(Msg(3, "two")), CHistoryFile::Ok);
    EXPECT_EQ(Texts(Load(0)), (std::vector<std::string>{"one", "two"}));
}

TEST_F(HistoryFileTest, HeaderThatLagsBehindItsRecordsStillLoadsAndIsCaughtUp) {
    // As left by an append whose header rewrite failed after its record
    // went in: the counters describe two records, the file holds three.
    const Bytes r1 = Record(1, 10, "one"), r2 = Record(2, 20, "two"), r3 = Record(3, 30, "three");
    WriteFile(Concat({HeaderBytes(uint32_t(r1.size() + r2.size()), 2, 2), r1, r2, r3}));
    EXPECT_EQ(Texts(Load(2)), (std::vector<std::string>{"two", "three"}));

    ASSERT_EQ(Append(Msg(40, "four")), CHistoryFile::Ok);
    const Bytes r4 = Record(4, 40, "four");
    EXPECT_EQ(ReadFile(), Concat({HeaderBytes(uint32_t(r1.size() + r2.size() + r3.size() + r4.size()), 4, 4),
                                  r1, r2, r3, r4}));
}

TEST_F(HistoryFileTest, DamagedRecordsAreSkippedOrEndTheLoad) {
    const Bytes good1 = Record(1, 10, "one"), good2 = Record(2, 20, "two");
    struct Case {
        const char* what;
        Bytes middle;
        std::vector<std::string> loaded;
    };
    const Case cases[] = {
        // Whole records the loader can step over, but that do not hold a message.
        {"empty record", Hex("00 01 00 00 00 00"), {"one", "two"}},
        {"no text", Hex("00 01 00 00 00 13  00 02 00 04 00 00 00 01  00 03 00 03 00 00 01  00 09 00 00"),
         {"one", "two"}},
        {"no direction", Hex("00 01 00 00 00 12  00 02 00 04 00 00 00 01  00 04 00 06 61 62 63 64 65 66"),
         {"one", "two"}},
        {"empty direction", Hex("00 01 00 00 00 14  00 02 00 04 00 00 00 01  00 03 00 00  00 04 00 04 61 62 63 64"),
         {"one", "two"}},
        {"short time", Hex("00 01 00 00 00 13  00 02 00 02 00 01  00 03 00 03 00 00 01  00 04 00 02 61 62"),
         {"one", "two"}},
        {"TLV running past N", Hex("00 01 00 00 00 14  00 02 00 04 00 00 00 01  00 03 00 03 00 00 01  00 04 00 FF 61"),
         {"one", "two"}},
        {"garbage body", Hex("00 01 00 00 00 18  FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"),
         {"one", "two"}},
        // Heads that cannot be walked past: nothing after them is reached.
        {"huge N", Hex("00 01 FF FF FF FF 00 02 00 04"), {"one"}},
        {"N one past the end", Concat({Hex("00 01"), BigEndian32(uint32_t(good2.size() + 1))}), {"one"}},
        // Records of another type: stepped over by their length.
        {"other record type", Hex("00 02 00 00 00 00"), {"one", "two"}},
        {"other record type with a body", Hex("00 07 00 00 00 03 AA BB CC"), {"one", "two"}},
        // Where a write did not reach before a power cut.
        {"zero fill", Bytes(64, 0), {"one"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = Concat({HeaderBytes(0, 0, 0), good1, c.middle, good2});
        CYolArray<CTLVCol> out;
        EXPECT_EQ(CHistoryFile::LoadFromBytes(file.data(), file.size(), 0, out), CHistoryFile::Ok);
        EXPECT_EQ(Texts(out), c.loaded);
        for (const CTLVCol& tlvs : out)
            EXPECT_TRUE(CHistoryFile::IsMessageRecord(tlvs));
    }
}

TEST_F(HistoryFileTest, ANewFileIsNotKeptUntilItsFolderIsFlushed) {
    // A folder we may write in but not open cannot be flushed: the new
    // file's name would not survive a power cut.
    ASSERT_TRUE(HandOver(folder, 0300));
    int rc = RunUnprivileged([&] { return Append(Msg(1, "x")); });
    chmod(folder.c_str(), 0700);
    EXPECT_EQ(rc, CHistoryFile::WriteFailed);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(HistoryFileTest, AppendAfterARecordOfAnotherTypeCountsOnlyMessages) {
    const Bytes r1 = Record(1, 10, "one"), other = Hex("00 07 00 00 00 03 AA BB CC");
    // The counters lag, so the appender walks the records.
    WriteFile(Concat({HeaderBytes(0, 0, 0), r1, other}));
    ASSERT_EQ(Append(Msg(20, "two")), CHistoryFile::Ok);
    const Bytes r2 = Record(2, 20, "two");
    EXPECT_EQ(ReadFile(), Concat({HeaderBytes(uint32_t(r1.size() + other.size() + r2.size()), 2, 2), r1, other, r2}));
    EXPECT_EQ(Texts(Load(0)), (std::vector<std::string>{"one", "two"}));
}

TEST_F(HistoryFileTest, SkippedRecordsDoNotCountTowardsTheNewest) {
    Bytes file = Concat({HeaderBytes(0, 0, 0), Record(1, 10, "one"), Record(2, 20, "two"),
                         Hex("00 01 00 00 00 13  00 02 00 04 00 00 00 01  00 03 00 03 00 00 01  00 09 00 00")});
    CYolArray<CTLVCol> out;
    ASSERT_EQ(CHistoryFile::LoadFromBytes(file.data(), file.size(), 2, out), CHistoryFile::Ok);
    EXPECT_EQ(Texts(out), (std::vector<std::string>{"one", "two"}));
}

TEST_F(HistoryFileTest, OverlongTextIsCutAtACharacterBoundary) {
    std::string cyrillic;
    for (int i = 0; i < 40000; ++i)
        cyrillic += "\xD0\x96"; // Ж, two bytes
    ASSERT_EQ(Append(Msg(1, cyrillic)), CHistoryFile::Ok);
    CYolArray<CTLVCol> out = Load(0);
    ASSERT_EQ(out.Count(), 1);
    EXPECT_EQ(Text(out[0]), cyrillic.substr(0, 65534));

    EXPECT_EQ(CHistoryFile::FitUtf8("ab\xE2\x82\xAC", 4), "ab");
    EXPECT_EQ(CHistoryFile::FitUtf8("ab\xE2\x82\xAC", 5), "ab\xE2\x82\xAC");
}

TEST_F(HistoryFileTest, ConcurrentAppendsLoseNothing) {
    constexpr int kThreads = 4, kEach = 40;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                if (Append(Msg(unsigned(i), std::to_string(t) + ":" + std::to_string(i))) != CHistoryFile::Ok)
                    ++failures;
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);

    CYolArray<CTLVCol> out = Load(0);
    ASSERT_EQ(out.Count(), kThreads * kEach);
    std::set<uint32_t> numbers;
    for (const CTLVCol& tlvs : out)
        numbers.insert(U32(tlvs.GetTLV(CHistoryFile::TlvNumber)));
    EXPECT_EQ(numbers.size(), size_t(kThreads * kEach));
    EXPECT_EQ(*numbers.rbegin(), uint32_t(kThreads * kEach));
    Bytes bytes = ReadFile();
    EXPECT_EQ(CPacker::Unpack32(bytes.data() + 34), uint32_t(kThreads * kEach));
}

TEST_F(HistoryFileTest, DeleteRemovesTheFileOnce) {
    ASSERT_EQ(Append(Msg(1, "x")), CHistoryFile::Ok);
    EXPECT_TRUE(CHistoryFile::Delete(Path()));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(CHistoryFile::Delete(Path()));
}

} // namespace
