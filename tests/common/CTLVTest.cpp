#include "CAutoBuf.h"
#include "CTLV.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <vector>

namespace {

struct Record {
    unsigned short type;
    Bytes value;
    bool operator==(const Record&) const = default;
};

void PrintTo(const Record& r, std::ostream* os) {
    *os << "{type " << r.type << ", " << r.value.size() << " bytes}";
}

template <class Col>
std::vector<Record> Records(const Col& col) {
    std::vector<Record> out;
    for (const auto& tlv : col)
        out.push_back({tlv.GetType(), Bytes(tlv.GetValue(), tlv.GetValue() + tlv.GetLength())});
    return out;
}

template <class Col>
Bytes Buffer(const Col& col, bool littleEndian) {
    std::unique_ptr<unsigned char, decltype(&std::free)> p(col.GetBuffer(littleEndian), &std::free);
    int n = col.GetDataLength();
    return p ? Bytes(p.get(), p.get() + n) : Bytes();
}

struct UnpackCase {
    const char* name;
    Bytes input;
    std::vector<Record> records;
    int result;
};

TEST(CTLVCol, UnpackTakesWholeRecordsOnly) {
    const UnpackCase cases[] = {
        {"two records", {0x00, 0x01, 0x00, 0x02, 0xAA, 0xBB, 0x00, 0x05, 0x00, 0x01, 0xCC},
         {{1, {0xAA, 0xBB}}, {5, {0xCC}}}, 11},
        {"value shorter than declared", {0x00, 0x01, 0x00, 0x05, 0xAA, 0xBB}, {}, 0},
        {"trailing bytes too short for a header", {0x00, 0x01, 0x00, 0x00, 0x00, 0x02}, {{1, {}}}, 4},
        {"three bytes", {0x00, 0x01, 0x00}, {}, 0},
        {"nothing", {}, {}, 0},
        {"truncated last record dropped", {0x00, 0x01, 0x00, 0x01, 0xAA, 0x00, 0x02, 0x00, 0x05, 0xBB},
         {{1, {0xAA}}}, 5},
        {"largest length, few bytes", {0x00, 0x01, 0xFF, 0xFF, 0xAA}, {}, 0},
    };
    for (const UnpackCase& c : cases) {
        CTLVCol col;
        EXPECT_EQ(c.result, col.Unpack(c.input.data(), int(c.input.size()))) << c.name;
        EXPECT_EQ(c.records, Records(col)) << c.name;
    }
}

TEST(CTLVCol, UnpackAppendsToWhatIsHeld) {
    const Bytes first = {0x00, 0x01, 0x00, 0x02, 0xAA, 0xBB};
    const Bytes shortValue = {0x00, 0x01, 0x00, 0x05, 0xAA, 0xBB};
    const Bytes second = {0x00, 0x03, 0x00, 0x00};
    CTLVCol col;
    EXPECT_EQ(6, col.Unpack(first.data(), int(first.size())));
    EXPECT_EQ(6, col.Unpack(shortValue.data(), int(shortValue.size())));
    EXPECT_EQ(10, col.Unpack(second.data(), int(second.size())));
    EXPECT_EQ((std::vector<Record>{{1, {0xAA, 0xBB}}, {3, {}}}), Records(col));
    EXPECT_EQ(10, col.Unpack(nullptr, 8));
}

TEST(CTLVCol, GetTLVAnswersTheFirstOfARepeatedType) {
    const Bytes input = {0x00, 0x07, 0x00, 0x01, 0x11, 0x00, 0x08, 0x00, 0x00, 0x00, 0x07, 0x00, 0x01, 0x22};
    CTLVCol col;
    col.Unpack(input.data(), int(input.size()));
    ASSERT_EQ(3, col.Count());
    const CTLV* seven = col.GetTLV(7);
    ASSERT_NE(nullptr, seven);
    EXPECT_EQ(0x11, seven->GetValue()[0]);
    EXPECT_EQ(0x22, col[2].GetValue()[0]);
    EXPECT_NE(nullptr, col.GetTLV(8));
    EXPECT_EQ(nullptr, col.GetTLV(9));
}

TEST(CTLVCol, GetBufferReproducesTheInputAndSwapsHeadersWhenAsked) {
    const Bytes input = {0x00, 0x01, 0x00, 0x02, 0xAA, 0xBB, 0x01, 0x05, 0x00, 0x01, 0xCC};
    const Bytes littleEndian = {0x01, 0x00, 0x02, 0x00, 0xAA, 0xBB, 0x05, 0x01, 0x01, 0x00, 0xCC};
    CTLVCol col;
    col.Unpack(input.data(), int(input.size()));
    EXPECT_EQ(input, Buffer(col, false));
    EXPECT_EQ(littleEndian, Buffer(col, true));

    CAutoBuf out;
    const unsigned char lead[] = {0x99};
    out.copyData(lead, 1);
    EXPECT_TRUE(col.AppendTo(out));
    Bytes expected{0x99};
    expected.insert(expected.end(), input.begin(), input.end());
    EXPECT_EQ(expected, Bytes(out.Data(), out.Data() + out.Length()));
}

TEST(CTLVCol, EmptyCollectionHasNoBuffer) {
    CTLVCol col;
    EXPECT_EQ(0, col.GetDataLength());
    EXPECT_EQ(nullptr, col.GetBuffer(false));
    EXPECT_EQ(nullptr, col.GetBuffer(true));
}

TEST(CTLVCol, BuildsFromAddedRecordsAndCopiesDeeply) {
    const unsigned char bytes[] = {0x61, 0x62};
    CTLVCol col;
    col.Add(CTLV(0x0001, static_cast<unsigned char>(0x7F)));
    col.Add(CTLV(0x0002, static_cast<unsigned short>(0x1234)));
    col.Add(CTLV(0x0003, static_cast<unsigned int>(0x01020304)));
    col.Add(CTLV(0x0004, 2, bytes));
    EXPECT_EQ(4, col.Count());
    EXPECT_EQ((Bytes{0x00, 0x01, 0x00, 0x01, 0x7F,                          //
                     0x00, 0x02, 0x00, 0x02, 0x12, 0x34,                    //
                     0x00, 0x03, 0x00, 0x04, 0x01, 0x02, 0x03, 0x04,        //
                     0x00, 0x04, 0x00, 0x02, 0x61, 0x62}),
              Buffer(col, false));

    CTLVCol copy(col);
    copy[0].Load(0x0009, 2, bytes);
    EXPECT_EQ(1, col[0].GetType());
    EXPECT_EQ(0x7F, col[0].GetValue()[0]);

    CTLVCol assigned;
    assigned.Add(CTLV());
    assigned = col;
    EXPECT_EQ(Records(col), Records(assigned));
    EXPECT_NE(col[3].GetValue(), assigned[3].GetValue());
}

TEST(CTLV, DefaultRecordHasTypeFFFFAndNoValue) {
    CTLV tlv;
    EXPECT_EQ(0xFFFF, tlv.GetType());
    EXPECT_EQ(0, tlv.GetLength());
    EXPECT_EQ(nullptr, tlv.GetValue());
    CBigTLV big;
    EXPECT_EQ(0xFFFF, big.GetType());
    EXPECT_EQ(nullptr, big.GetValue());
}

TEST(CTLV, LoadWireFailsOnAShortRecord) {
    const unsigned char wire[] = {0x00, 0x02, 0x00, 0x03, 0xAA, 0xBB, 0xCC};
    CTLV tlv(0x0001, static_cast<unsigned char>(0x55));
    for (int available : {0, 3, 4, 6}) {
        EXPECT_FALSE(tlv.LoadWire(wire, available)) << available;
        EXPECT_EQ(1, tlv.GetType());
        EXPECT_EQ(0x55, tlv.GetValue()[0]);
    }
    ASSERT_TRUE(tlv.LoadWire(wire, 7));
    EXPECT_EQ(2, tlv.GetType());
    EXPECT_EQ(7, tlv.WireSize());
    EXPECT_EQ(0xCC, tlv.GetValue()[2]);

    CTLV trusted(wire);
    EXPECT_EQ(Bytes(wire + 4, wire + 7), Bytes(trusted.GetValue(), trusted.GetValue() + trusted.GetLength()));
}

TEST(CTLV, LoadFromItsOwnValue) {
    const unsigned char bytes[] = {0x01, 0x02, 0x03};
    CTLV tlv(0x0001, 3, bytes);
    EXPECT_TRUE(tlv.Load(0x0002, 2, tlv.GetValue() + 1));
    EXPECT_EQ((Bytes{0x02, 0x03}), Bytes(tlv.GetValue(), tlv.GetValue() + tlv.GetLength()));
}

TEST(CTLV, ValueReaderIsBoundedByTheRecord) {
    CTLV tlv(0x0001, static_cast<unsigned short>(0xBEEF));
    CByteReader r = tlv.Reader();
    unsigned short v;
    unsigned int tooWide;
    EXPECT_FALSE(tlv.Reader().Read32(tooWide));
    EXPECT_TRUE(r.Read16(v));
    EXPECT_EQ(0xBEEF, v);
}

TEST(CBigTLVCol, UnpackTakesWholeRecordsOnly) {
    const UnpackCase cases[] = {
        {"two records",
         {0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0xAA, 0xBB, 0x00, 0x05, 0x00, 0x00, 0x00, 0x01, 0xCC},
         {{1, {0xAA, 0xBB}}, {5, {0xCC}}}, 15},
        {"five bytes", {0x00, 0x01, 0x00, 0x00, 0x00}, {}, 0},
        {"empty value, trailing bytes", {0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00}, {{1, {}}}, 6},
        {"length FFFFFFFF", {0x00, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xAA, 0xBB}, {}, 0},
        // 6 + FFFFFFFA wraps to 0 in 32 bits: the record would end where it starts.
        {"length that wraps the offset",
         {0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0xFF, 0xFF, 0xFF, 0xFA, 0x00, 0x03, 0x00, 0x00},
         {{1, {}}}, 6},
        {"length 80000000", {0x00, 0x01, 0x80, 0x00, 0x00, 0x00, 0xAA, 0xBB}, {}, 0},
    };
    for (const UnpackCase& c : cases) {
        CBigTLVCol col;
        EXPECT_EQ(c.result, col.Unpack(c.input.data(), int(c.input.size()))) << c.name;
        EXPECT_EQ(c.records, Records(col)) << c.name;
    }
}

TEST(CBigTLVCol, GetBufferRoundTripsBothByteOrders) {
    const Bytes input = {0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0xAA, 0xBB, 0x01, 0x02, 0x00, 0x00, 0x00, 0x00};
    const Bytes littleEndian = {0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0xAA, 0xBB, 0x02, 0x01, 0x00, 0x00, 0x00, 0x00};
    CBigTLVCol col;
    EXPECT_EQ(14, col.Unpack(input.data(), int(input.size())));
    EXPECT_EQ(input, Buffer(col, false));
    EXPECT_EQ(littleEndian, Buffer(col, true));
    ASSERT_NE(nullptr, col.GetTLV(0x0102));
    EXPECT_EQ(0u, col.GetTLV(0x0102)->GetLength());

    CBigTLVCol copy;
    copy = col;
    EXPECT_EQ(Records(col), Records(copy));
}

TEST(CBigTLV, RefusesValuesNoByteCountCanHold) {
    const unsigned char bytes[] = {0x01};
    CBigTLV tlv(0x0001, static_cast<unsigned char>(0x42));
    EXPECT_FALSE(tlv.Load(0x0002, 0x80000000u, bytes));
    EXPECT_EQ(1, tlv.GetType());
    EXPECT_EQ(1u, tlv.GetLength());

    const unsigned char wire[] = {0x00, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xAA};
    EXPECT_FALSE(tlv.LoadWire(wire, sizeof wire));
    EXPECT_EQ(1, tlv.GetType());
}

TEST(CBigTLV, NumberValuesAreBigEndian) {
    CBigTLV tlv(0x0010, static_cast<unsigned int>(0xCAFEBABE));
    CBigTLVCol col;
    col.Add(tlv);
    EXPECT_EQ((Bytes{0x00, 0x10, 0x00, 0x00, 0x00, 0x04, 0xCA, 0xFE, 0xBA, 0xBE}), Buffer(col, false));
}

} // namespace
