#include "CZip.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Freer {
    void operator()(void* p) const { CZip::Free(p); }
};

// Runs Encode/Decode and hands back the bytes; `ok` tells null from empty.
Bytes Encode(const Bytes& in, bool* ok = nullptr)
{
    unsigned int length = static_cast<unsigned int>(in.size());
    std::unique_ptr<void, Freer> out(CZip::Encode(in.data(), length));
    if (ok)
        *ok = out != nullptr;
    if (!out) {
        EXPECT_EQ(length, 0u);
        return {};
    }
    auto* p = static_cast<unsigned char*>(out.get());
    return Bytes(p, p + length);
}

Bytes Decode(const Bytes& in, bool& ok, unsigned int cap = CZip::DefaultDecodeCap)
{
    unsigned int length = static_cast<unsigned int>(in.size());
    std::unique_ptr<void, Freer> out(CZip::Decode(in.data(), length, cap));
    ok = out != nullptr;
    if (!out) {
        EXPECT_EQ(length, 0u);
        return {};
    }
    auto* p = static_cast<unsigned char*>(out.get());
    return Bytes(p, p + length);
}

const Bytes kHelloStream = Hex("78 da cb 48 cd c9 c9 07 00 06 2c 02 15");

Bytes Pseudorandom(size_t n)
{
    Bytes out(n);
    uint32_t x = 0x12345678;
    for (auto& b : out) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<unsigned char>(x);
    }
    return out;
}

} // namespace

TEST(CZip, EncodesAtLevelNineIntoAZlibStream)
{
    EXPECT_EQ(Encode(Bytes{'h', 'e', 'l', 'l', 'o'}), kHelloStream);
}

TEST(CZip, DecodesAZlibStream)
{
    bool ok = false;
    EXPECT_EQ(Decode(kHelloStream, ok), (Bytes{'h', 'e', 'l', 'l', 'o'}));
    EXPECT_TRUE(ok);
}

TEST(CZip, RoundTripsEverySize)
{
    std::string text;
    while (text.size() < (1u << 20))
        text += "The quick brown fox jumps over the lazy dog. ";
    const Bytes inputs[] = {
        {},
        {0x41},               // a zlib stream is longer than twice one byte
        {0x00, 0xff},
        Pseudorandom(100),    // incompressible: output exceeds the input
        Pseudorandom(65536),
        Bytes(text.begin(), text.end()),
    };
    for (const Bytes& in : inputs) {
        bool encoded = false;
        const Bytes packed = Encode(in, &encoded);
        ASSERT_TRUE(encoded) << in.size();
        bool ok = false;
        EXPECT_EQ(Decode(packed, ok), in) << in.size();
        EXPECT_TRUE(ok) << in.size();
    }
}

TEST(CZip, DecodesFarPastFiveTimesTheInputUnderTheCap)
{
    const Bytes zeros(1 << 20, 0);
    const Bytes bomb = Encode(zeros);
    ASSERT_LT(bomb.size() * 5, zeros.size());

    bool ok = false;
    EXPECT_EQ(Decode(bomb, ok), zeros);
    EXPECT_TRUE(ok);
}

TEST(CZip, RefusesOutputOverTheCap)
{
    const Bytes zeros(1 << 20, 0);
    const Bytes bomb = Encode(zeros);
    const unsigned int size = static_cast<unsigned int>(zeros.size());
    struct Case {
        unsigned int cap;
        bool decodes;
    } cases[] = {{64 * 1024, false}, {size - 1, false}, {size, true}, {size + 1, true}};
    for (const Case& c : cases) {
        bool ok = false;
        const Bytes out = Decode(bomb, ok, c.cap);
        EXPECT_EQ(ok, c.decodes) << c.cap;
        EXPECT_EQ(out.size(), c.decodes ? zeros.size() : 0u) << c.cap;
    }
}

TEST(CZip, EmptyContentDecodesUnderAZeroCap)
{
    bool ok = false;
    EXPECT_TRUE(Decode(Encode({}), ok, 0).empty());
    EXPECT_TRUE(ok);
    Decode(kHelloStream, ok, 0);
    EXPECT_FALSE(ok);
}

TEST(CZip, RejectsEveryTruncation)
{
    const Bytes stream = Encode(Pseudorandom(300));
    for (size_t cut = 0; cut < stream.size(); ++cut) {
        bool ok = true;
        Decode(Bytes(stream.begin(), stream.begin() + cut), ok);
        EXPECT_FALSE(ok) << "kept " << cut << " of " << stream.size();
    }
}

TEST(CZip, RejectsCorruptStreams)
{
    const char* cases[] = {
        "78 da cb 48 cd c9 c9 07 00 06 2c 02 16", // wrong Adler-32
        "78 00 cb 48 cd c9 c9 07 00 06 2c 02 15", // header check fails
        "79 da cb 48 cd c9 c9 07 00 06 2c 02 15", // not deflate
        "78 bb 00 00 00 01 cb 48 cd c9 c9 07 00", // asks for a preset dictionary
        "cb 48 cd c9 c9 07 00",                   // raw deflate, no zlib header
        "78 da ff ff ff ff ff ff ff ff",          // invalid block type
    };
    for (const char* hex : cases) {
        bool ok = true;
        Decode(Hex(hex), ok);
        EXPECT_FALSE(ok) << hex;
    }
}

TEST(CZip, IgnoresBytesAfterTheStream)
{
    Bytes stream = kHelloStream;
    stream.push_back(0xaa);
    bool ok = false;
    EXPECT_EQ(Decode(stream, ok), (Bytes{'h', 'e', 'l', 'l', 'o'}));
    EXPECT_TRUE(ok);
}

TEST(CZip, RejectsNullAndEmptyInput)
{
    unsigned int length = 5;
    EXPECT_EQ(CZip::Decode(nullptr, length), nullptr);
    EXPECT_EQ(length, 0u);
    length = 5;
    EXPECT_EQ(CZip::Encode(nullptr, length), nullptr);
    EXPECT_EQ(length, 0u);
    bool ok = true;
    Decode({}, ok);
    EXPECT_FALSE(ok);
    CZip::Free(nullptr);
}
