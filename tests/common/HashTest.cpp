#include "CMD5.h"
#include "CSHA1.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

template <typename Digest>
std::string HexDigest(const std::string& input)
{
    unsigned char digest[Digest::DigestLength];
    Digest::Hash(input.data(), static_cast<unsigned int>(input.size()), digest);
    std::string hex;
    for (unsigned char byte : digest) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", byte);
        hex += two;
    }
    return hex;
}

struct Vector {
    std::string input;
    const char* digest;
};

std::string Repeat(const std::string& piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

} // namespace

TEST(CMD5, MatchesRfc1321TestSuite)
{
    const Vector vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {Repeat("1234567890", 8), "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const Vector& v : vectors)
        EXPECT_EQ(HexDigest<CMD5>(v.input), v.digest) << '"' << v.input << '"';
}

TEST(CSHA1, MatchesRfc3174TestSuite)
{
    const Vector vectors[] = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        {Repeat("0123456701234567012345670123456701234567012345670123456701234567", 10),
         "dea356a2cddd90c7a7ecedc5ebb563934f460452"},
    };
    for (const Vector& v : vectors)
        EXPECT_EQ(HexDigest<CSHA1>(v.input), v.digest) << v.input.substr(0, 40);
}

TEST(Hash, NullDataWithZeroLengthIsTheEmptyDigest)
{
    unsigned char md5[16];
    unsigned char sha1[20];
    CMD5::Hash(nullptr, 0, md5);
    CSHA1::Hash(nullptr, 0, sha1);
    EXPECT_EQ(md5[0], 0xd4);
    EXPECT_EQ(md5[15], 0x7e);
    EXPECT_EQ(sha1[0], 0xda);
    EXPECT_EQ(sha1[19], 0x09);
}
