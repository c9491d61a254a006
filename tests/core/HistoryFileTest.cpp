// The bytes of history files: the header and records an append writes, what
// the loader makes of cut and damaged files, and how an append repairs a
// file whose counters disagree with its records.

#include "CHistoryFile.h"
#include "CPacker.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

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

TEST_F(HistoryFileTest, BadHeadersLeaveTheFileUnchanged) {
    const Bytes good = HeaderBytes(0, 0, 0);
    struct Case {
        const char* what;
        Bytes bytes;
        int expected;
    };
    const Case cases[] = {
        {"version 2", HeaderBytes(0, 0, 0, 2), CHistoryFile::BadVersion},
        {"version 0", HeaderBytes(0, 0, 0, 0), CHistoryFile::BadVersion},
        {"cut in the fixed part", Bytes(good.begin(), good.begin() + 43), CHistoryFile::BadHeader},
        {"cut in L1", Bytes(good.begin(), good.begin() + 45), CHistoryFile::BadHeader},
        {"cut in the first name", Bytes(good.begin(), good.begin() + 48), CHistoryFile::BadHeader},
        {"cut in L2", Bytes(good.begin(), good.begin() + 50), CHistoryFile::BadHeader},
        {"cut in the alias", Bytes(good.begin(), good.end() - 1), CHistoryFile::BadHeader},
        {"L1 past the end", Concat({Bytes(good.begin(), good.begin() + 44), Hex("FF FF 61 00")}),
         CHistoryFile::BadHeader},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(c.bytes);
        int rc = -1;
        EXPECT_EQ(Load(0, &rc).Count(), 0);
        EXPECT_EQ(rc, c.expected);
        EXPECT_EQ(Append(Msg(1, "x")), c.expected);
        EXPECT_EQ(ReadFile(), c.bytes);
    }
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

TEST_F(HistoryFileTest, EveryCutOfAGoodFileKeepsItsWholeRecords) {
    const Bytes r1 = Record(1, 10, "one"), r2 = Record(2, 20, "two", 1), r3 = Record(3, 30, "three");
    const Bytes header = HeaderBytes(uint32_t(r1.size() + r2.size() + r3.size()), 3, 3);
    const Bytes file = Concat({header, r1, r2, r3});
    const std::vector<std::string> all = {"one", "two", "three"};

    for (size_t cut = 0; cut <= file.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        CYolArray<CTLVCol> out;
        // Each cut gets its own buffer so that ASan sees a read past it.
        Bytes prefix(file.begin(), file.begin() + cut);
        int rc = CHistoryFile::LoadFromBytes(prefix.data(), prefix.size(), 0, out);
        if (cut < header.size()) {
            EXPECT_EQ(rc, CHistoryFile::BadHeader);
            EXPECT_EQ(out.Count(), 0);
            continue;
        }
        size_t whole = (cut >= header.size() + r1.size()) + (cut >= header.size() + r1.size() + r2.size()) +
                       (cut == file.size());
        EXPECT_EQ(rc, CHistoryFile::Ok);
        EXPECT_EQ(Texts(out), std::vector<std::string>(all.begin(), all.begin() + long(whole)));
    }
}

TEST_F(HistoryFileTest, AppendAfterACutRepairsTheFileAndContinuesNumbering) {
    const Bytes r1 = Record(1, 10, "one"), r2 = Record(2, 20, "two"), r3 = Record(3, 30, "three");
    const Bytes header = HeaderBytes(uint32_t(r1.size() + r2.size() + r3.size()), 3, 3);
    const Bytes file = Concat({header, r1, r2, r3});

    for (size_t cut = header.size(); cut < file.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        WriteFile(Bytes(file.begin(), file.begin() + cut));
        ASSERT_EQ(Append(Msg(40, "new")), CHistoryFile::Ok);

        CYolArray<CTLVCol> out = Load(0);
        size_t whole = (cut >= header.size() + r1.size()) + (cut >= header.size() + r1.size() + r2.size());
        ASSERT_EQ(size_t(out.Count()), whole + 1);
        EXPECT_EQ(Text(out[out.Count() - 1]), "new");
        // Numbers never go back: the header said 3 were given out.
        EXPECT_EQ(U32(out[out.Count() - 1].GetTLV(CHistoryFile::TlvNumber)), 4u);

        // The counters now describe exactly what is there.
        Bytes bytes = ReadFile();
        Bytes tail(bytes.begin() + long(header.size()), bytes.end());
        Bytes expectedHeader = HeaderBytes(uint32_t(tail.size()), uint32_t(whole + 1), 4);
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + long(header.size())), expectedHeader);
    }
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
        {"other record type", Hex("00 02 00 00 00 00"), {"one"}},
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
