#include "CRecord.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

using Database::CRecord;

namespace {

Bytes Packed(const CRecord& record) {
    Bytes out(record.GetPackedSize());
    out.resize(record.Pack(out.data(), out.size()));
    return out;
}

Bytes Value(const CRecord& record) {
    return record.GetSize() == 0 ? Bytes() : Bytes(record.GetData(), record.GetData() + record.GetSize());
}

TEST(CRecord, PacksNameLengthNameDataLengthAndData) {
    const unsigned char data[] = {0x01, 0x02, 0x03};
    CRecord record(W("ab"), data, sizeof data);
    EXPECT_EQ(record.GetPackedSize(), 10u);
    EXPECT_EQ(Packed(record), Hex("02 61 62 03000000 010203"));

    EXPECT_EQ(Packed(CRecord(CYolString(), nullptr, 0)), Hex("00 00000000"));
    // Non-ASCII names count their UTF-8 bytes: two Cyrillic letters, a
    // character outside the basic plane and a lone surrogate (written as
    // U+FFFD, since UTF-8 cannot hold it).
    const char16_t name[] = {0x043F, 0x0440, 0xD83D, 0xDE00, 0xD800};
    EXPECT_EQ(Packed(CRecord(CYolString(name, 5), nullptr, 0)),
              Hex("0B D0BF D180 F09F9880 EFBFBD 00000000"));
}

TEST(CRecord, StoresTypedValuesLittleEndian) {
    struct Case {
        const char* what;
        void (*set)(CRecord&);
        const char* bytes;
    } cases[] = {
        {"byte", [](CRecord& r) { r.SetByte(0x7F); }, "7F"},
        {"word", [](CRecord& r) { r.SetWord(0x1234); }, "3412"},
        {"dword", [](CRecord& r) { r.SetDword(0x12345678); }, "78563412"},
        {"dword keeps the low 32 bits", [](CRecord& r) { r.SetDword(0xAB00000001ul); }, "01000000"},
        {"string as UTF-8", [](CRecord& r) { r.SetString(W("h\xC3\xA9")); }, "68C3A9"},
        {"protected string", [](CRecord& r) { r.SetString(W("abc"), true); }, "9D9B99"},
        {"empty string", [](CRecord& r) { r.SetString(CYolString()); }, ""},
        {"data", [](CRecord& r) { r.SetData("\x00\xFF", 2); }, "00FF"},
    };
    for (const Case& c : cases) {
        CRecord record(W("k"), "old value", 9);
        c.set(record);
        EXPECT_EQ(Value(record), Hex(c.bytes)) << c.what;
    }
}

TEST(CRecord, ReadsTypedValuesFromTheFirstBytesOrZeroWhenShort) {
    struct Case {
        const char* bytes;
        unsigned char byte;
        unsigned short word;
        unsigned long dword;
    } cases[] = {
        {"", 0, 0, 0},
        {"05", 5, 0, 0},
        {"0501", 5, 0x0105, 0},
        {"050102", 5, 0x0105, 0},  // three bytes are no dword
        {"05000000", 5, 5, 5},
        {"FFFFFFFF77", 0xFF, 0xFFFF, 0xFFFFFFFFul},
    };
    for (const Case& c : cases) {
        Bytes bytes = Hex(c.bytes);
        CRecord record(W("k"), bytes.data(), bytes.size());
        EXPECT_EQ(record.GetByte(), c.byte) << c.bytes;
        EXPECT_EQ(record.GetWord(), c.word) << c.bytes;
        EXPECT_EQ(record.GetDword(), c.dword) << c.bytes;
    }
}

TEST(CRecord, ProtectedStringTransformIsItsOwnInverse) {
    Bytes abc = Hex("616263");
    CRecord::TransformProtected(abc.data(), abc.size());
    EXPECT_EQ(abc, Hex("9D9B99"));
    CRecord::TransformProtected(abc.data(), abc.size());
    EXPECT_EQ(abc, Hex("616263"));

    // Every byte value at every position mod 256 comes back.
    Bytes all(512);
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<unsigned char>(i * 7);
    Bytes copy = all;
    CRecord::TransformProtected(copy.data(), copy.size());
    CRecord::TransformProtected(copy.data(), copy.size());
    EXPECT_EQ(copy, all);

    CRecord record;
    record.SetString(W("p\xC3\xA4ss"), true);
    CYolString plain, raw;
    record.GetString(plain, true);
    record.GetString(raw, false);
    EXPECT_EQ(plain, W("p\xC3\xA4ss"));
    EXPECT_NE(raw, plain);
}

TEST(CRecord, DecodesBrokenUtf8AsReplacementCharacters) {
    struct Case {
        const char* bytes;
        std::u16string text;
    } cases[] = {
        {"61FF62", u"a\uFFFDb"},
        {"C3", u"\uFFFD"},                  // cut sequence
        {"E282", u"\uFFFD"},                // cut three-byte sequence: one replacement
        {"C0AF", u"\uFFFD\uFFFD"},          // overlong
        {"EDA080", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
        {"F09F9880", u"\U0001F600"},
    };
    for (const Case& c : cases) {
        Bytes bytes = Hex(c.bytes);
        CRecord record(W("k"), bytes.data(), bytes.size());
        CYolString text;
        record.GetString(text);
        EXPECT_EQ(text.ToU16(), c.text) << c.bytes;
    }
}

TEST(CRecord, UnpackConsumesOneRecordAndIgnoresWhatFollows) {
    Bytes bytes = Hex("01 6E 02000000 AABB 7777");
    CRecord record;
    EXPECT_EQ(record.Unpack(bytes.data(), bytes.size()), 8u);
    EXPECT_EQ(record.GetName(), W("n"));
    EXPECT_EQ(Value(record), Hex("AABB"));
}

TEST(CRecord, UnpackRejectsRecordsThatRunPastTheBuffer) {
    const char* cases[] = {
        "",                        // nothing
        "03 6162",                 // name cut
        "01 61 0200",              // length cut
        "01 61 02000000 AA",       // data cut
        "00 FFFFFFFF 00",          // a 4 GB length in a small buffer
        "FF 00000000",             // name length past the end
    };
    for (const char* c : cases) {
        Bytes bytes = Hex(c);
        const unsigned char keep[] = {0x42};
        CRecord record(W("kept"), keep, 1);
        EXPECT_EQ(record.Unpack(bytes.data(), bytes.size()), 0u) << c;
        EXPECT_EQ(record.GetName(), W("kept")) << c;
        EXPECT_EQ(Value(record), Hex("42")) << c;
    }
}

TEST(CRecord, PackRefusesSmallBuffersAndNamesPastTheLengthByte) {
    CRecord record(W("abc"), "xyz", 3);
    Bytes buffer(record.GetPackedSize());
    for (size_t room = 0; room < buffer.size(); ++room)
        EXPECT_EQ(record.Pack(buffer.data(), room), 0u) << room;

    std::string longest(255, 'n');
    EXPECT_TRUE(CRecord::IsValidName(W(longest.c_str())));
    EXPECT_EQ(Packed(CRecord(W(longest.c_str()), "v", 1)).size(), 261u);

    // 256 bytes: one ASCII letter too many, or 128 two-byte letters.
    std::string tooLong(256, 'n');
    std::string cyrillic;
    for (int i = 0; i < 128; ++i)
        cyrillic += "\xD0\xB6";
    for (const std::string& name : {tooLong, cyrillic}) {
        CRecord bad(W(name.c_str()), "v", 1);
        EXPECT_FALSE(bad.HasValidName());
        Bytes room(1024);
        EXPECT_EQ(bad.Pack(room.data(), room.size()), 0u);
        CYolArray<CRecord> list;
        EXPECT_EQ(Database::AddRecord(list, bad), -1);
        EXPECT_EQ(list.Count(), 0);
    }
}

TEST(CRecord, SetterOverwritesInPlaceOnlyWhenTheSizeStays) {
    CRecord record(W("k"), "abcd", 4);
    const unsigned char* before = record.GetData();
    record.SetDword(7);
    EXPECT_EQ(record.GetData(), before);
    record.SetWord(7);
    EXPECT_EQ(record.GetSize(), 2u);
    record.SetString(CYolString());
    EXPECT_EQ(record.GetSize(), 0u);
    EXPECT_EQ(record.GetData(), nullptr);
}

TEST(CRecord, CopiesOwnTheirBytes) {
    CRecord original(W("k"), "ab", 2);
    CRecord copy = original;
    copy.SetByte(1);
    CRecord assigned;
    assigned = original;
    original.SetData("zz", 2);
    EXPECT_EQ(Value(copy), Hex("01"));
    EXPECT_EQ(Value(assigned), Hex("6162"));
    EXPECT_EQ(assigned.GetName(), W("k"));
}

CYolArray<CRecord> ThreeRecords() {
    CYolArray<CRecord> list;
    Database::AddRecord(list, CRecord(W("a"), "1", 1));
    Database::AddRecord(list, CRecord(W("b"), nullptr, 0));
    Database::AddRecord(list, CRecord(W("a"), "2", 1));
    return list;
}

TEST(RecordList, FindsTheFirstRecordOfExactlyTheName) {
    CYolArray<CRecord> list = ThreeRecords();
    const CRecord* found = Database::FindRecord(std::as_const(list), W("a"));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(Value(*found), Hex("31"));
    EXPECT_EQ(Database::FindRecord(list, W("A")), nullptr);
    EXPECT_EQ(Database::FindRecord(list, W("ab")), nullptr);
    Database::FindRecord(list, W("b"))->SetByte(9);
    EXPECT_EQ(list[1].GetByte(), 9);
}

TEST(RecordList, PacksBackToBackAndUnpacksTheSame) {
    CYolArray<CRecord> list = ThreeRecords();
    Bytes expected = Hex("01 61 01000000 31  01 62 00000000  01 61 01000000 32");
    ASSERT_EQ(Database::GetRecordsSize(list), expected.size());

    Bytes packed(expected.size());
    EXPECT_EQ(Database::PackRecords(list, packed.data(), packed.size() - 1), 0u);
    EXPECT_EQ(Database::PackRecords(list, packed.data(), packed.size()), expected.size());
    EXPECT_EQ(packed, expected);

    CYolArray<CRecord> back;
    Database::AddRecord(back, CRecord(W("earlier"), nullptr, 0));
    EXPECT_EQ(Database::UnpackRecords(back, packed.data(), packed.size()), expected.size());
    ASSERT_EQ(back.Count(), 4);
    EXPECT_EQ(back[0].GetName(), W("earlier"));
    EXPECT_EQ(back[3].GetName(), W("a"));
    EXPECT_EQ(Value(back[3]), Hex("32"));
}

TEST(RecordList, MalformedRecordEmptiesTheList) {
    const char* cases[] = {
        "01 61 01000000 31  AABBCC",       // one good record and three stray bytes
        "01 61 01000000 31  01 62 05000000 31",  // second record's data cut
        "01 61 FFFFFFFF",
    };
    for (const char* c : cases) {
        Bytes bytes = Hex(c);
        CYolArray<CRecord> list;
        Database::AddRecord(list, CRecord(W("earlier"), nullptr, 0));
        EXPECT_EQ(Database::UnpackRecords(list, bytes.data(), bytes.size()), 0u) << c;
        EXPECT_EQ(list.Count(), 0) << c;
    }
}

}  // namespace
