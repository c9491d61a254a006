#include "CAutoBuf.h"
#include "CByteReader.h"
#include "CPacker.h"
#include "CYolString.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {


// Each writer's three forms: at a pointer, at a position, appending.
struct WriteCase {
    const char* name;
    std::function<void(unsigned char*)> atPointer;
    std::function<void(unsigned char*, int&)> atPosition;
    std::function<bool(CAutoBuf&)> appending;
    Bytes expected;
};

TEST(CPacker, WritesEachIntegerLayout) {
    using P = CPacker;
    const WriteCase cases[] = {
        {"Pack8", [](unsigned char* p) { P::Pack8(p, 0xA5); }, [](unsigned char* b, int& i) { P::Pack8(b, 0xA5, i); },
         [](CAutoBuf& a) { return P::Pack8(a, 0xA5); }, {0xA5}},
        {"Pack16", [](unsigned char* p) { P::Pack16(p, 0x1234); },
         [](unsigned char* b, int& i) { P::Pack16(b, 0x1234, i); }, [](CAutoBuf& a) { return P::Pack16(a, 0x1234); },
         {0x12, 0x34}},
        {"Pack16LE", [](unsigned char* p) { P::Pack16LE(p, 0x1234); },
         [](unsigned char* b, int& i) { P::Pack16LE(b, 0x1234, i); },
         [](CAutoBuf& a) { return P::Pack16LE(a, 0x1234); }, {0x34, 0x12}},
        {"Pack32", [](unsigned char* p) { P::Pack32(p, 0x01020304); },
         [](unsigned char* b, int& i) { P::Pack32(b, 0x01020304, i); },
         [](CAutoBuf& a) { return P::Pack32(a, 0x01020304); }, {0x01, 0x02, 0x03, 0x04}},
        {"Pack32LE", [](unsigned char* p) { P::Pack32LE(p, 0x01020304); },
         [](unsigned char* b, int& i) { P::Pack32LE(b, 0x01020304, i); },
         [](CAutoBuf& a) { return P::Pack32LE(a, 0x01020304); }, {0x04, 0x03, 0x02, 0x01}},
    };
    for (const WriteCase& c : cases) {
        const int n = int(c.expected.size());
        Bytes at(8, 0xEE);
        c.atPointer(at.data());
        EXPECT_EQ(c.expected, Bytes(at.begin(), at.begin() + n)) << c.name;
        EXPECT_EQ(0xEE, at[n]) << c.name;

        Bytes buf(8, 0xEE);
        int pos = 2;
        c.atPosition(buf.data(), pos);
        EXPECT_EQ(2 + n, pos) << c.name;
        EXPECT_EQ(c.expected, Bytes(buf.begin() + 2, buf.begin() + 2 + n)) << c.name;

        const unsigned char lead[] = {0x99};
        CAutoBuf grown(lead, 1); // full already: appending must grow it
        EXPECT_TRUE(c.appending(grown)) << c.name;
        Bytes expected{0x99};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(expected, BytesOf(grown)) << c.name;
    }
}

TEST(CPacker, WritesTlvRecords) {
    unsigned char buf[32] = {};
    int pos = 0;
    CPacker::Pack16TLV(buf, 0x0001, 0xABCD, pos);
    CPacker::Pack32TLV(buf, 0x0102, 0x0A0B0C0D, pos);
    const unsigned char value[] = {0xCA, 0xFE};
    EXPECT_TRUE(CPacker::PackBufferTLV(buf, 0x0005, value, 2, pos));
    EXPECT_TRUE(CPacker::PackBufferTLV(buf, 0x0006, nullptr, 0, pos));
    EXPECT_EQ((Bytes{0x00, 0x01, 0x00, 0x02, 0xAB, 0xCD,                   // 16-bit value
                     0x01, 0x02, 0x00, 0x04, 0x0A, 0x0B, 0x0C, 0x0D,       // 32-bit value
                     0x00, 0x05, 0x00, 0x02, 0xCA, 0xFE,                   // bytes
                     0x00, 0x06, 0x00, 0x00}),                             // empty: header alone
              Bytes(buf, buf + pos));

    CAutoBuf out;
    CAutoBuf inner(value, 2);
    EXPECT_TRUE(CPacker::PackBufferTLV(out, 0x0007, inner));
    EXPECT_TRUE(CPacker::PackBufferTLV(out, 0x0008, value, 1));
    EXPECT_EQ((Bytes{0x00, 0x07, 0x00, 0x02, 0xCA, 0xFE, 0x00, 0x08, 0x00, 0x01, 0xCA}), BytesOf(out));
}

TEST(CPacker, RefusesTlvValuesTheLengthFieldCannotHold) {
    Bytes big(0x10000, 0x11);
    CAutoBuf out;
    EXPECT_FALSE(CPacker::PackBufferTLV(out, 1, big.data(), 0x10000));
    EXPECT_EQ(0, out.Length());
    EXPECT_TRUE(CPacker::PackBufferTLV(out, 1, big.data(), 0xFFFF));
    EXPECT_EQ(4 + 0xFFFF, out.Length());
    unsigned char buf[8];
    int pos = 0;
    EXPECT_FALSE(CPacker::PackBufferTLV(buf, 1, big.data(), -1, pos));
    EXPECT_EQ(0, pos);
}

TEST(CPacker, WritesCountedTexts) {
    struct Case {
        const char* text;
        Bytes sn;
        Bytes email;
    };
    const Case cases[] = {
        {"abc", {0x03, 0x61, 0x62, 0x63}, {0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63}},
        {"", {0x00}, {0x00, 0x00, 0x00, 0x00}},
        {"\xD0\x9F\xD1\x80\xD0\xB8", {0x03, 0xCF, 0xF0, 0xE8}, {0x03, 0x00, 0x00, 0x00, 0xCF, 0xF0, 0xE8}}, // "При"
    };
    for (const Case& c : cases) {
        unsigned char buf[16];
        int pos = 1;
        ASSERT_TRUE(CPacker::PackSN(W(c.text), buf, pos)) << c.text;
        EXPECT_EQ(c.sn, Bytes(buf + 1, buf + pos)) << c.text;
        pos = 1;
        ASSERT_TRUE(CPacker::PackEMail(W(c.text), buf, pos)) << c.text;
        EXPECT_EQ(c.email, Bytes(buf + 1, buf + pos)) << c.text;

        CAutoBuf out;
        ASSERT_TRUE(CPacker::PackSN(W(c.text), out));
        ASSERT_TRUE(CPacker::PackEMail(W(c.text), out));
        Bytes both = c.sn;
        both.insert(both.end(), c.email.begin(), c.email.end());
        EXPECT_EQ(both, BytesOf(out)) << c.text;
    }
}

TEST(CPacker, PackSNRefusesTextsOf256CharactersOrMore) {
    Bytes buf(300, 0xEE);
    int pos = 0;
    EXPECT_TRUE(CPacker::PackSN(W(std::string(255, 'x').c_str()), buf.data(), pos));
    EXPECT_EQ(256, pos);
    EXPECT_EQ(0xFF, buf[0]);

    std::fill(buf.begin(), buf.end(), 0xEE);
    pos = 0;
    EXPECT_FALSE(CPacker::PackSN(W(std::string(256, 'x').c_str()), buf.data(), pos));
    EXPECT_EQ(0, pos);
    EXPECT_EQ(Bytes(300, 0xEE), buf);

    CAutoBuf out;
    EXPECT_FALSE(CPacker::PackSN(W(std::string(300, 'x').c_str()), out));
    EXPECT_EQ(0, out.Length());
}

TEST(CPacker, UncheckedReadsAdvanceThePosition) {
    const unsigned char data[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
    EXPECT_EQ(0x12, CPacker::Unpack8(data));
    EXPECT_EQ(0x1234, CPacker::Unpack16(data));
    EXPECT_EQ(0x3412, CPacker::Unpack16LE(data));
    EXPECT_EQ(0x12345678u, CPacker::Unpack32(data));
    EXPECT_EQ(0x78563412u, CPacker::Unpack32LE(data));
    int pos = 1;
    EXPECT_EQ(0x34, CPacker::Unpack8(data, pos));
    EXPECT_EQ(0x5678, CPacker::Unpack16(data, pos));
    EXPECT_EQ(0xF0DEBC9Au, CPacker::Unpack32LE(data, pos));
    EXPECT_EQ(8, pos);

    unsigned char* copy = CPacker::UnpackBuffer(data + 2, 3);
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ((Bytes{0x56, 0x78, 0x9A}), Bytes(copy, copy + 3));
    std::free(copy);
    EXPECT_EQ(nullptr, CPacker::UnpackBuffer(data, 0));
}

TEST(CPacker, BoundedReadsFailAtTheEndWithoutMoving) {
    const unsigned char data[] = {0x01, 0x02, 0x03, 0x04, 0x05};
    struct Case {
        const char* name;
        int size;
        std::function<bool(int length, int& pos)> read;
    };
    unsigned char u8;
    unsigned short u16;
    unsigned int u32;
    unsigned char out[8];
    const Case cases[] = {
        {"Unpack8", 1, [&](int n, int& p) { return CPacker::Unpack8(data, n, p, u8); }},
        {"Unpack16", 2, [&](int n, int& p) { return CPacker::Unpack16(data, n, p, u16); }},
        {"Unpack16LE", 2, [&](int n, int& p) { return CPacker::Unpack16LE(data, n, p, u16); }},
        {"Unpack32", 4, [&](int n, int& p) { return CPacker::Unpack32(data, n, p, u32); }},
        {"Unpack32LE", 4, [&](int n, int& p) { return CPacker::Unpack32LE(data, n, p, u32); }},
        {"UnpackBuffer", 3, [&](int n, int& p) { return CPacker::UnpackBuffer(data, n, p, out, 3); }},
    };
    for (const Case& c : cases) {
        int pos = 5 - c.size;
        EXPECT_TRUE(c.read(5, pos)) << c.name << " reading the last bytes";
        EXPECT_EQ(5, pos) << c.name;
        for (int start : {5 - c.size + 1, 5, 6, -1, INT_MAX}) {
            pos = start;
            EXPECT_FALSE(c.read(5, pos)) << c.name << " at " << start;
            EXPECT_EQ(start, pos) << c.name;
        }
    }
    int pos = 1;
    ASSERT_TRUE(CPacker::Unpack32LE(data, 5, pos, u32));
    EXPECT_EQ(0x05040302u, u32);
    pos = 0;
    EXPECT_FALSE(CPacker::Unpack8(nullptr, 5, pos, u8));
}

TEST(CPacker, BoundedTextReadsCheckTheirCount) {
    struct Case {
        const char* name;
        Bytes data;
        bool email;
        bool ok;
        const char* text;
    };
    const Case cases[] = {
        {"sn", {0x03, 0x61, 0x62, 0x63}, false, true, "abc"},
        {"sn cyrillic", {0x02, 0xCF, 0xF0}, false, true, "\xD0\x9F\xD1\x80"},
        {"sn empty", {0x00}, false, true, ""},
        {"sn count past end", {0x04, 0x61, 0x62, 0x63}, false, false, ""},
        {"sn no count", {}, false, false, ""},
        {"email", {0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63}, true, true, "abc"},
        {"email count past end", {0x04, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63}, true, false, ""},
        {"email count that wraps", {0xFF, 0xFF, 0xFF, 0xFF, 0x61}, true, false, ""},
        {"email short count", {0x01, 0x00, 0x00}, true, false, ""},
    };
    for (const Case& c : cases) {
        CYolString text = W("unchanged");
        int pos = 0;
        const int n = int(c.data.size());
        bool ok = c.email ? CPacker::UnpackEMail(c.data.data(), n, pos, text)
                          : CPacker::UnpackSN(c.data.data(), n, pos, text);
        EXPECT_EQ(c.ok, ok) << c.name;
        EXPECT_EQ(c.ok ? n : 0, pos) << c.name;
        EXPECT_EQ(c.ok ? std::string(c.text) : std::string("unchanged"), text.ToUtf8()) << c.name;
    }
}

TEST(CPacker, ToStringDumpsSixteenBytesALine) {
    const unsigned char two[] = {0x01, 0xAB};
    EXPECT_EQ(u"\n01 ab", CPacker::ToString(two, 2).ToU16());
    EXPECT_TRUE(CPacker::ToString(two, 0).IsEmpty());
    EXPECT_TRUE(CPacker::ToString(two, -3).IsEmpty());

    Bytes seventeen(17);
    for (int i = 0; i < 17; ++i)
        seventeen[i] = static_cast<unsigned char>(i * 0x11);
    EXPECT_EQ(u"\n00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff\n10",
              CPacker::ToString(seventeen.data(), 17).ToU16());
}

// --- CByteReader ----------------------------------------------------------

TEST(CByteReader, ReadsInSequence) {
    const unsigned char data[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C,
                                  0x0D, 0x0E, 0x02, 0x61, 0x62, 0x01, 0x00, 0x00, 0x00, 0x7A};
    CByteReader r(data, sizeof data);
    unsigned char u8;
    unsigned short u16, le16, peek;
    unsigned int u32, le32;
    unsigned char bytes[2];
    CYolString sn, email;
    EXPECT_TRUE(r.Read8(u8));
    EXPECT_TRUE(r.Peek16(peek));
    EXPECT_TRUE(r.Read16(u16));
    EXPECT_TRUE(r.Read16LE(le16));
    EXPECT_TRUE(r.Read32(u32));
    EXPECT_TRUE(r.Read32LE(le32));
    EXPECT_TRUE(r.ReadBytes(bytes, 0));
    EXPECT_TRUE(r.Skip(0));
    EXPECT_TRUE(r.ReadBytes(bytes, 1));
    EXPECT_TRUE(r.ReadSN(sn));
    EXPECT_TRUE(r.ReadEMail(email));
    EXPECT_TRUE(r.AtEnd());
    EXPECT_FALSE(r.Failed());
    EXPECT_EQ(0x01, u8);
    EXPECT_EQ(0x0203, peek);
    EXPECT_EQ(0x0203, u16);
    EXPECT_EQ(0x0504, le16);
    EXPECT_EQ(0x06070809u, u32);
    EXPECT_EQ(0x0D0C0B0Au, le32);
    EXPECT_EQ(0x0E, bytes[0]);
    EXPECT_EQ("ab", sn.ToUtf8());
    EXPECT_EQ("z", email.ToUtf8());
}

TEST(CByteReader, FailureIsStickyAndKeepsThePosition) {
    const unsigned char data[] = {0x00, 0x01, 0x00, 0x09, 0xAA, 0xBB, 0xCC};
    CByteReader r(data, sizeof data);
    unsigned short type, length;
    const unsigned char* value = nullptr;
    EXPECT_TRUE(r.Read16(type));
    EXPECT_TRUE(r.Read16(length));
    EXPECT_FALSE(r.ReadView(value, length)); // declares 9, holds 3
    EXPECT_EQ(nullptr, value);
    EXPECT_EQ(4, r.Position());
    EXPECT_TRUE(r.Failed());
    unsigned char next = 0x77;
    EXPECT_FALSE(r.Read8(next)); // would fit, but the record is already bad
    EXPECT_EQ(0, next);
    EXPECT_EQ(4, r.Position());
}

TEST(CByteReader, RejectsEveryReadPastTheEnd) {
    // One byte (05) left: each read below wants more.
    const unsigned char data[] = {0x01, 0x05};
    struct Case {
        const char* name;
        std::function<bool(CByteReader&)> read;
    };
    unsigned char out[8];
    unsigned short u16;
    unsigned int u32;
    CAutoBuf buf;
    CYolString text;
    CByteReader sub;
    const Case cases[] = {
        {"Read16", [&](CByteReader& r) { return r.Read16(u16); }},
        {"Read16LE", [&](CByteReader& r) { return r.Read16LE(u16); }},
        {"Read32", [&](CByteReader& r) { return r.Read32(u32); }},
        {"Read32LE", [&](CByteReader& r) { return r.Read32LE(u32); }},
        {"ReadBytes", [&](CByteReader& r) { return r.ReadBytes(out, 2); }},
        {"ReadBuffer", [&](CByteReader& r) { return r.ReadBuffer(buf, 2); }},
        {"ReadSub", [&](CByteReader& r) { return r.ReadSub(sub, 2); }},
        {"ReadSN", [&](CByteReader& r) { return r.ReadSN(text); }},
        {"ReadEMail", [&](CByteReader& r) { return r.ReadEMail(text); }},
        {"Skip", [&](CByteReader& r) { return r.Skip(2); }},
        {"Skip negative", [&](CByteReader& r) { return r.Skip(-1); }},
    };
    for (const Case& c : cases) {
        CByteReader r(data, sizeof data);
        ASSERT_TRUE(r.Skip(1));
        EXPECT_FALSE(c.read(r)) << c.name;
        EXPECT_TRUE(r.Failed()) << c.name;
        EXPECT_EQ(1, r.Position()) << c.name;
    }
    CByteReader r(data, sizeof data);
    unsigned char u8;
    EXPECT_TRUE(r.Skip(2));
    EXPECT_FALSE(r.Read8(u8));
    EXPECT_TRUE(r.Failed());
}

TEST(CByteReader, SubReaderIsLimitedToItsRecord) {
    const unsigned char data[] = {0x00, 0x02, 0xAA, 0xBB, 0xCC, 0xDD};
    CByteReader r(data, sizeof data);
    unsigned short n;
    CByteReader inner;
    ASSERT_TRUE(r.Read16(n));
    ASSERT_TRUE(r.ReadSub(inner, n));
    unsigned short value;
    unsigned int tooMuch;
    EXPECT_FALSE(CByteReader(inner).Read32(tooMuch)); // the bytes after the record are not its
    EXPECT_TRUE(inner.Read16(value));
    EXPECT_EQ(0xAABB, value);
    EXPECT_TRUE(inner.AtEnd());
    EXPECT_EQ(2, r.Remaining());
}

TEST(CByteReader, ReadsACAutoBuf) {
    const unsigned char data[] = {0x12, 0x34};
    CAutoBuf b(data, 2);
    CByteReader r(b);
    unsigned short v;
    EXPECT_TRUE(r.Read16(v));
    EXPECT_EQ(0x1234, v);
    CByteReader empty;
    unsigned char b8;
    EXPECT_FALSE(empty.Read8(b8));
}

} // namespace
