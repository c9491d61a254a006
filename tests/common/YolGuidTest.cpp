#include "CYolString.h"
#include "YOL_GUID.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unordered_set>

namespace {

constexpr YOL_GUID kProtocolsManager(0x3BAE2E79, 0xC55B, 0x41B8, 0x85, 0x1D, 0x0C, 0xB7, 0xDF, 0xF0, 0x53, 0xB6);
static_assert(kProtocolsManager.Data1 == 0x3BAE2E79 && kProtocolsManager.Data4[7] == 0xB6,
              "identifiers can be compile-time constants");

YOL_GUID Parse(const char* text) {
    YOL_GUID id;
    EXPECT_TRUE(id.SetString(CYolString::FromUtf8(text))) << text;
    return id;
}

TEST(YolGuid, MemoryHoldsFirstFieldLittleEndianThenTheRestInTextOrder) {
    const unsigned char expected[16] = {0x79, 0x2E, 0xAE, 0x3B, 0x5B, 0xC5, 0xB8, 0x41,
                                        0x85, 0x1D, 0x0C, 0xB7, 0xDF, 0xF0, 0x53, 0xB6};
    EXPECT_EQ(0, std::memcmp(&kProtocolsManager, expected, 16));
}

TEST(YolGuid, GetStringGivesBracedUpperCaseText) {
    EXPECT_EQ("{3BAE2E79-C55B-41B8-851D-0CB7DFF053B6}", kProtocolsManager.GetString().ToUtf8());
    EXPECT_EQ("{00000000-0000-0000-0000-000000000000}", YOL_GUID().GetString().ToUtf8());
    EXPECT_EQ(38, YOL_GUID().GetString().Length());
}

TEST(YolGuid, SetStringReadsEitherCase) {
    for (const char* text : {"{3BAE2E79-C55B-41B8-851D-0CB7DFF053B6}", "{3bae2e79-c55b-41b8-851d-0cb7dff053b6}",
                             "{3bAe2E79-c55B-41b8-851D-0cb7DfF053b6}"}) {
        EXPECT_EQ(kProtocolsManager, Parse(text)) << text;
    }
}

TEST(YolGuid, SetStringOfGetStringRoundTrips) {
    const YOL_GUID ids[] = {
        YOL_GUID(),
        kProtocolsManager,
        YOL_GUID(0xFFFFFFFF, 0xFFFF, 0xFFFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF),
        YOL_GUID(0x00000100, 0x0001, 0x1000, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10),
    };
    for (const YOL_GUID& id : ids) {
        YOL_GUID back;
        ASSERT_TRUE(back.SetString(id.GetString()));
        EXPECT_EQ(id, back) << id.GetString().ToUtf8();
    }
}

TEST(YolGuid, SetStringRejectsMalformedTextAndChangesNothing) {
    const char* bad[] = {
        "",
        "3BAE2E79-C55B-41B8-851D-0CB7DFF053B6",    // 36 characters, no braces
        "{3BAE2E79-C55B-41B8-851D-0CB7DFF053B}",   // 37
        "{3BAE2E79-C55B-41B8-851D-0CB7DFF053B6}}", // 39
        "(3BAE2E79-C55B-41B8-851D-0CB7DFF053B6}",  // wrong opening brace
        "{3BAE2E79-C55B-41B8-851D-0CB7DFF053B6)",  // wrong closing brace
        "{3BAE2E79_C55B-41B8-851D-0CB7DFF053B6}",  // wrong separator
        "{3BAE2E79-C55B-41B8-851D-0CB7DFF053BG}",  // bad digit in the last place
        "{GBAE2E79-C55B-41B8-851D-0CB7DFF053B6}",  // bad digit in the first place
        "{3BAE2E79-C55B-41B8-851D0-CB7DFF053B6}",  // hyphen one place late
        "{0x0E2E79-C55B-41B8-851D-0CB7DFF053B6}",  // a number prefix is no digit
        "{ BAE2E79-C55B-41B8-851D-0CB7DFF053B6}",  // neither is a blank
        "{+BAE2E79-C55B-41B8-851D-0CB7DFF053B6}",  // nor a sign
        "{1-2-3-0405-060708090A0B}xxxxxxxxxxxxx",  // short fields padded to 38
    };
    for (const char* text : bad) {
        YOL_GUID id = kProtocolsManager;
        EXPECT_FALSE(id.SetString(CYolString::FromUtf8(text))) << text;
        EXPECT_EQ(kProtocolsManager, id) << text;
    }
}

TEST(YolGuid, SetStringTakesNoCharacterBeyondAscii) {
    // A full-width digit three is a digit to Unicode, not to an identifier.
    std::u16string text = u"{3BAE2E79-C55B-41B8-851D-0CB7DFF053B6}";
    text[1] = u'\uFF13';
    YOL_GUID id;
    EXPECT_FALSE(id.SetString(text.c_str(), int(text.size())));
    EXPECT_EQ(YOL_GUID(), id);
}

TEST(YolGuid, OrdersByBytesInMemoryNotByText) {
    struct Case {
        const char* smaller;
        const char* larger;
    };
    const Case cases[] = {
        // The low byte of the first field compares first: 00 against 02.
        {"{00000100-0000-0000-0000-000000000000}", "{00000002-0000-0000-0000-000000000000}"},
        {"{FF000000-0000-0000-0000-000000000000}", "{00000001-0000-0000-0000-000000000000}"},
        {"{00000000-0100-0000-0000-000000000000}", "{00000000-0001-0000-0000-000000000000}"},
        {"{00000000-0000-0000-0001-000000000000}", "{00000000-0000-0000-0100-000000000000}"},
        {"{00000000-0000-0000-0000-0000000000FE}", "{00000000-0000-0000-0000-0000000000FF}"},
    };
    for (const Case& c : cases) {
        YOL_GUID a = Parse(c.smaller), b = Parse(c.larger);
        EXPECT_TRUE(a < b) << c.smaller << " < " << c.larger;
        EXPECT_FALSE(b < a) << c.larger << " < " << c.smaller;
        EXPECT_TRUE(a != b);
        EXPECT_FALSE(a == b);
    }
    EXPECT_FALSE(kProtocolsManager < kProtocolsManager);
}

TEST(YolGuid, HashesEqualIdentifiersAlike) {
    std::unordered_set<YOL_GUID> set{kProtocolsManager, YOL_GUID(), Parse("{3bae2e79-c55b-41b8-851d-0cb7dff053b6}")};
    EXPECT_EQ(2u, set.size());
    EXPECT_EQ(1u, set.count(Parse("{3BAE2E79-C55B-41B8-851D-0CB7DFF053B6}")));
}

} // namespace
