#include "CAutoBuf.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <vector>

namespace {

TEST(CAutoBuf, SizedBufferHasRoomButNoBytes) {
    CAutoBuf b(32);
    EXPECT_EQ(0, b.Length());
    EXPECT_EQ(32, b.Capacity());
    EXPECT_NE(nullptr, b.Data());

    CAutoBuf none(0);
    EXPECT_EQ(nullptr, none.Data());
    EXPECT_EQ(0, none.Capacity());
}

TEST(CAutoBuf, CopiesOwnTheirBytes) {
    const unsigned char src[] = {0x01, 0x02, 0x03};
    CAutoBuf a(src, 3);
    EXPECT_EQ((Bytes{0x01, 0x02, 0x03}), BytesOf(a));

    CAutoBuf copy(a);
    copy.Data()[0] = 0xFF;
    EXPECT_EQ(0x01, a.Data()[0]);

    CAutoBuf assigned(8);
    assigned = a;
    EXPECT_EQ((Bytes{0x01, 0x02, 0x03}), BytesOf(assigned));
    EXPECT_NE(a.Data(), assigned.Data());
    const CAutoBuf& same = assigned;
    assigned = same;
    EXPECT_EQ((Bytes{0x01, 0x02, 0x03}), BytesOf(assigned));
}

TEST(CAutoBuf, CopyDataReplacesTheBytes) {
    const unsigned char src[] = {0xAA, 0xBB, 0xCC, 0xDD};
    CAutoBuf b(src, 4);
    EXPECT_TRUE(b.copyData(b.Data() + 2, 2)); // from its own bytes
    EXPECT_EQ((Bytes{0xCC, 0xDD}), BytesOf(b));
    EXPECT_TRUE(b.copyData(nullptr, 5));
    EXPECT_EQ(0, b.Length());
    EXPECT_EQ(nullptr, b.Data());
    EXPECT_TRUE(b.copyData(src, 0));
    EXPECT_EQ(0, b.Length());
    // A count that no 32-bit length holds.
    EXPECT_FALSE(b.copyData(src, 0x80000000u));
    EXPECT_EQ(0, b.Length());
}

TEST(CAutoBuf, AppendingGrowsGeometricallyPastTheCapacity) {
    CAutoBuf b(2);
    const unsigned char x = 0x5A;
    int reallocations = 0;
    int capacity = b.Capacity();
    for (int i = 0; i < 10000; ++i) {
        ASSERT_TRUE(b.Append(&x, 1));
        if (b.Capacity() != capacity) {
            ++reallocations;
            capacity = b.Capacity();
        }
        ASSERT_LE(b.Length(), b.Capacity());
    }
    EXPECT_EQ(10000, b.Length());
    EXPECT_LE(reallocations, 10);
    EXPECT_EQ(Bytes(10000, 0x5A), BytesOf(b));
}

TEST(CAutoBuf, AppendsASliceOfItself) {
    const unsigned char src[] = {0x01, 0x02, 0x03, 0x04};
    CAutoBuf b(src, 4); // full: the append must grow and move the bytes
    ASSERT_EQ(b.Length(), b.Capacity());
    EXPECT_TRUE(b.Append(b.Data() + 1, 3));
    EXPECT_EQ((Bytes{0x01, 0x02, 0x03, 0x04, 0x02, 0x03, 0x04}), BytesOf(b));
}

TEST(CAutoBuf, RefusesLengthsBeyondItsRoom) {
    CAutoBuf b(4);
    EXPECT_TRUE(b.SetLength(4));
    EXPECT_FALSE(b.SetLength(5));
    EXPECT_FALSE(b.SetLength(-1));
    EXPECT_EQ(4, b.Length());
    EXPECT_FALSE(b.Append(nullptr, 1));
    EXPECT_FALSE(b.Append("x", -1));
    EXPECT_TRUE(b.Append(nullptr, 0));
    EXPECT_FALSE(b.Reserve(int64_t(INT_MAX) + 1));
    EXPECT_FALSE(b.EnsureSpace(INT_MAX));
    EXPECT_EQ(4, b.Capacity());
}

TEST(CAutoBuf, RemoveFrontKeepsTheRest) {
    const unsigned char src[] = {0x01, 0x02, 0x03, 0x04};
    CAutoBuf b(src, 4);
    b.RemoveFront(1);
    EXPECT_EQ((Bytes{0x02, 0x03, 0x04}), BytesOf(b));
    b.RemoveFront(10);
    EXPECT_EQ(0, b.Length());
    EXPECT_EQ(4, b.Capacity());
}

TEST(CAutoBuf, DetachHandsOverTheBlock) {
    const unsigned char src[] = {0x07};
    CAutoBuf b(src, 1);
    unsigned char* block = b.Detach();
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(0x07, block[0]);
    EXPECT_EQ(nullptr, b.Data());
    EXPECT_EQ(0, b.Capacity());
    std::free(block);
}

} // namespace
