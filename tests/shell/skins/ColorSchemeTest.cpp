// The colour scheme file: what is written, what is read, and the built-in
// colours whenever a file cannot be read whole.

#include "CYolPath.h"
#include "SkinColors.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace Skins;

namespace {

std::string Values(int count, const char* digits = "ABCDEF") {
    std::string text = "[YolColors]";
    for (int n = 1; n <= count; ++n)
        text += "\r\n" + std::to_string(n) + "=" + digits;
    return text;
}

void FillWith(TSkinColorTable& table, COLORREF value) {
    for (COLORREF& colour : table)
        colour = value;
}

bool SameAsDefaults(const TSkinColorTable& table) {
    return std::memcmp(table, GetDefaultSkinColors(), sizeof table) == 0;
}

TEST(ColorScheme, WritesHeaderAndOneNumberedLinePerColour) {
    TSkinColorTable table;
    SetDefaultSkinColors(table);
    table[32] = 0x12345678;  // a stray top byte is not written
    const std::string text = FormatColorScheme(table);
    EXPECT_EQ(text.substr(0, 23), "[YolColors]\r\n1=008000\r\n");
    EXPECT_EQ(text.substr(text.size() - 11), "\r\n33=345678");
    EXPECT_EQ(text.size(), 11u + 9 * 10 + 24 * 11);
}

TEST(ColorScheme, DefaultsAreTheBuiltInTable) {
    const TSkinColorTable& defaults = GetDefaultSkinColors();
    EXPECT_EQ(defaults[SKIN_CLR_ACCOUNT_TEXT], 0x008000u);
    EXPECT_EQ(defaults[SKIN_CLR_SEL_FRAME], 0x357EC9u);
    EXPECT_EQ(defaults[SKIN_CLR_TEXT], 0x000000u);
    EXPECT_EQ(defaults[SKIN_CLR_MENU_SEPARATOR], 0xC97E35u);
}

TEST(ColorScheme, ParsesColoursInTheOrderOfTheEqualSigns) {
    struct Case {
        const char* name;
        std::string text;
        COLORREF first;
        COLORREF last;
    };
    std::string misnumbered = "[YolColors]";
    for (int n = 33; n >= 1; --n)
        misnumbered += "\r\n" + std::to_string(n * 7) + "=" + (n == 33 ? "000001" : "0000FF");
    const Case cases[] = {
        {"numbered wrongly and backwards", misnumbered, 0x000001, 0x0000FF},
        {"34 values: the first 33", Values(33) + "\r\n34=000000", 0xABCDEF, 0xABCDEF},
        {"lower-case digits", Values(33, "abcdef"), 0xABCDEF, 0xABCDEF},
        {"no line break after the last value", Values(33), 0xABCDEF, 0xABCDEF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSkinColorTable table;
        ASSERT_TRUE(ParseColorScheme(c.text.data(), c.text.size(), table));
        EXPECT_EQ(table[0], c.first);
        EXPECT_EQ(table[32], c.last);
    }
}

TEST(ColorScheme, RejectsFilesThatDoNotHoldAll33Values) {
    std::string shortLast = Values(32) + "\r\n33=ABCDE";
    std::string signInValue = Values(33);
    signInValue.replace(signInValue.find("=") + 1, 6, "+12345");
    std::string spaceInValue = Values(33);
    spaceInValue.replace(spaceInValue.rfind("=") + 1, 6, " ABCDE");
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"header only", "[YolColors]"},
        {"wrong header", "[YolColours]" + Values(33).substr(11)},
        {"32 values", Values(32)},
        {"last value with five digits at the end", shortLast},
        {"a sign is not a digit", signInValue},
        {"a space is not a digit", spaceInValue},
        {"letters past F", Values(33, "GHIJKL")},
    };
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        TSkinColorTable table;
        EXPECT_FALSE(ParseColorScheme(text.data(), text.size(), table));
    }
    TSkinColorTable table;
    EXPECT_FALSE(ParseColorScheme(nullptr, table));
}

TEST(ColorScheme, StopsAtTheGivenLengthEvenWithoutATerminator) {
    std::string text = Values(33);
    TSkinColorTable table;
    // Cut inside the last value: the digits after the cut must not be read.
    EXPECT_FALSE(ParseColorScheme(text.data(), text.size() - 1, table));
}

class ColorSchemeFile : public TempFolderTest {};

TEST_F(ColorSchemeFile, RoundTripsThroughTheFile) {
    TSkinColorTable written;
    for (int i = 0; i < SKIN_CLR_COUNT; ++i)
        written[i] = static_cast<COLORREF>(i * 0x050403 + 0x010101);
    ASSERT_TRUE(SaveColorScheme(W(PathOf("_colors.ini")), written));
    TSkinColorTable read;
    FillWith(read, 0xDEAD);
    ReadColorScheme(W(PathOf("_colors.ini")), read);
    EXPECT_EQ(std::memcmp(read, written, sizeof read), 0);

    // Saving replaces the file.
    SetDefaultSkinColors(written);
    ASSERT_TRUE(SaveColorScheme(W(PathOf("_colors.ini")), written));
    ReadColorScheme(W(PathOf("_colors.ini")), read);
    EXPECT_TRUE(SameAsDefaults(read));
}

TEST_F(ColorSchemeFile, AnyFaultGivesAllDefaults) {
    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"values run out after some were read", Values(20)},
        {"a bad value after good ones", Values(10) + "\r\n11=XYZXYZ" + Values(33).substr(11)},
    };
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        TSkinColorTable table;
        FillWith(table, 0x111111);
        ReadColorScheme(W(Put("_colors.ini", text)), table);
        EXPECT_TRUE(SameAsDefaults(table));
    }
    TSkinColorTable table;
    FillWith(table, 0x111111);
    ReadColorScheme(W(PathOf("missing/_colors.ini")), table);
    EXPECT_TRUE(SameAsDefaults(table));
}

TEST_F(ColorSchemeFile, LoadsTheSkinsFileFromTheProgramFolder) {
    CYolPath::SetAppDir(W(folder));
    Put("Skins/Blue/_colors.ini", Values(33, "0000FF"));
    TSkinColorTable table;
    LoadColorScheme(W("Blue"), table);
    EXPECT_EQ(table[SKIN_CLR_TEXT], 0x0000FFu);
    LoadColorScheme(W("Nowhere"), table);
    EXPECT_TRUE(SameAsDefaults(table));
    CYolPath::SetAppDir(CYolString());
}

TEST(SkinColorTable, GetSkinColorReadsTheBoundTable) {
    TSkinColorTable table;
    FillWith(table, 0x00FF00);
    table[SKIN_CLR_MENU_TEXT] = 0x123456;
    SetSkinColorTable(&table);
    EXPECT_EQ(GetSkinColor(SKIN_CLR_MENU_TEXT), 0x123456u);
    EXPECT_EQ(GetSkinColor(0), 0x00FF00u);
    for (int outside : {-1, static_cast<int>(SKIN_CLR_COUNT), 1000000})
        EXPECT_EQ(GetSkinColor(outside), 0u);
    SetSkinColorTable(nullptr);
    EXPECT_EQ(GetSkinColor(SKIN_CLR_MENU_TEXT), 0xC03000u);
}

}  // namespace
