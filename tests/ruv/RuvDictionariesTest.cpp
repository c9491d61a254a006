// The plug-in's code lists: reading "number;text" lines of UTF-16 text,
// the text order and first-id-wins of a list, the shared lists' loading
// and letting go, and the lists we ship.

#include "RuvDictionaries.h"

#include "TestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

// UTF-16 little-endian bytes of a UTF-8 text (these tests use ASCII and
// the odd Cyrillic letter).
std::string Utf16(const std::string& utf8) {
    const std::u16string units = CYolString::FromUtf8(utf8).ToU16();
    std::string bytes;
    for (char16_t u : units) {
        bytes.push_back(static_cast<char>(u & 0xFF));
        bytes.push_back(static_cast<char>(u >> 8));
    }
    return bytes;
}

using Entries = std::vector<std::pair<int, std::string>>;

Entries Parse(const std::string& bytes) {
    CRuvDictionaryList list;
    list.Parse(bytes);
    Entries out;
    for (const RuvDictionaryEntry& e : list.Entries())
        out.emplace_back(e.id, e.text.ToUtf8());
    return out;
}

TEST(RuvDictionaryList, ReadsLinesIntoTextOrder) {
    const struct {
        const char* name;
        std::string bytes;
        Entries expected;
    } cases[] = {
        {"sorted by text", Utf16("2;Zeta\r\n1;Alpha"), {{1, "Alpha"}, {2, "Zeta"}}},
        {"further semicolons dropped", Utf16("7;A;B\r\n"), {{7, "AB"}}},
        {"last line without its end", Utf16("1;One\r\n2;Two"), {{1, "One"}, {2, "Two"}}},
        {"first id of a text wins", Utf16("1;Same\r\n2;Same\r\n"), {{1, "Same"}}},
        {"ids may repeat", Utf16("5;B\r\n5;A\r\n"), {{5, "A"}, {5, "B"}}},
        {"no digits give 0", Utf16("x;Text\r\n"), {{0, "Text"}}},
        {"digits end at the first other character", Utf16("12ab;Text\r\n"), {{12, "Text"}}},
        {"only ten number characters count", Utf16("00000000012345;Long\r\n"), {{1, "Long"}}},
        {"a negative number", Utf16("-3;Minus\r\n"), {{-3, "Minus"}}},
        {"beyond 32 bits stops at the largest", Utf16("9999999999;Big\r\n"), {{2147483647, "Big"}}},
        {"byte-order mark skipped", std::string("\xFF\xFE") + Utf16("4;Four\r\n"), {{4, "Four"}}},
        {"lines without a separator or text skipped", Utf16("nothing\r\n\r\n3;\r\n1;Kept\r\n"), {{1, "Kept"}}},
        {"a lone CR stays in the line", Utf16("1;A\rB\r\n"), {{1, "A\rB"}}},
        {"prefix before the longer text", Utf16("1;Ab\r\n2;A\r\n3;a\r\n"), {{2, "A"}, {1, "Ab"}, {3, "a"}}},
        {"Cyrillic after Latin", Utf16("1;Я\r\n2;Z\r\n"), {{2, "Z"}, {1, "Я"}}},
        {"an odd trailing byte ignored", Utf16("1;One") + "\x41", {{1, "One"}}},
        {"empty file", "", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Parse(c.bytes), c.expected) << c.name;
}

TEST(RuvDictionaryList, CutsALongLineAndGoesOnWithTheNext) {
    const std::string longText(400, 'x');
    const Entries entries = Parse(Utf16("1;" + longText + "\r\n2;Next\r\n"));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].first, 2);
    EXPECT_EQ(entries[1].first, 1);
    // The line keeps its first 255 characters: "1;" and 253 of the text.
    EXPECT_EQ(entries[1].second, std::string(CRuvDictionaryList::kMaxLineChars - 2, 'x'));
}

TEST(RuvDictionaryList, LooksUpTheFirstTextOfAnIdInTextOrder) {
    CRuvDictionaryList list;
    list.Parse(Utf16("9;Zulu\r\n9;Bravo\r\n1;Alpha\r\n"));
    EXPECT_EQ(list.Lookup(9).ToUtf8(), "Bravo");
    EXPECT_EQ(list.Lookup(1).ToUtf8(), "Alpha");
    EXPECT_TRUE(list.Lookup(2).IsEmpty());
}

class RuvDictionariesShared : public TempFolderTest {
protected:
    void Write(const char16_t* name, const std::string& bytes) { Put(CYolString(name).ToUtf8(), bytes); }
    CYolString Folder() { return CYolString::FromUtf8(PathOf("")); }
};

TEST_F(RuvDictionariesShared, LoadsOnceAndEmptiesWhenTheLastHolderLetsGo) {
    Write(CRuvDictionaries::FileName(RuvDictionary::Genders), Utf16("1;Female\r\n2;Male\r\n"));
    CRuvDictionaries::LoadFrom(Folder());
    EXPECT_EQ(CRuvDictionaries::Count(RuvDictionary::Genders), 2u);
    // A missing file leaves its list empty.
    EXPECT_EQ(CRuvDictionaries::Count(RuvDictionary::Countries), 0u);

    // A second dialog finds the list filled and does not read it again.
    Write(CRuvDictionaries::FileName(RuvDictionary::Genders), Utf16("3;Other\r\n"));
    CRuvDictionaries::LoadFrom(Folder());
    EXPECT_EQ(CRuvDictionaries::Lookup(RuvDictionary::Genders, 2).ToUtf8(), "Male");
    EXPECT_TRUE(CRuvDictionaries::Lookup(RuvDictionary::Genders, 3).IsEmpty());

    CRuvDictionaries::Clear();
    EXPECT_EQ(CRuvDictionaries::Count(RuvDictionary::Genders), 2u) << "the other dialog still holds the lists";
    CRuvDictionaries::Clear();
    EXPECT_EQ(CRuvDictionaries::Count(RuvDictionary::Genders), 0u);
    // Letting go more often than held changes nothing.
    CRuvDictionaries::Clear();
    CRuvDictionaries::LoadFrom(Folder());
    EXPECT_EQ(CRuvDictionaries::Lookup(RuvDictionary::Genders, 3).ToUtf8(), "Other");
    CRuvDictionaries::Clear();
}

TEST(RuvDictionariesShipped, EveryListReadsWithUniqueIdsAndNames) {
    CRuvDictionaries::LoadFrom(CYolString::FromUtf8(YOL_ASSETS_DIR "/Ruv/"));
    const struct {
        RuvDictionary list;
        int id;
        const char* text;
    } known[] = {
        {RuvDictionary::Countries, 7, "Russia"},      {RuvDictionary::Countries, 49, "Germany"},
        {RuvDictionary::Languages, 36, "Russian"},    {RuvDictionary::Genders, 1, "Female"},
        {RuvDictionary::Genders, 2, "Male"},          {RuvDictionary::MaritalStatuses, 20, "Married"},
        {RuvDictionary::Occupations, 5, "Computers"}, {RuvDictionary::Interests, 100, "Art"},
        {RuvDictionary::Groups, 299, "Other"},        {RuvDictionary::PastBackgrounds, 302, "College"},
    };
    for (const auto& k : known)
        EXPECT_EQ(CRuvDictionaries::Lookup(k.list, k.id).ToUtf8(), k.text) << k.id;
    for (std::size_t i = 0; i < kRuvDictionaryCount; ++i) {
        const auto entries = CRuvDictionaries::Entries(static_cast<RuvDictionary>(i));
        EXPECT_GE(entries.size(), 2u) << i;
        std::vector<int> ids;
        for (const auto& e : entries) {
            EXPECT_GT(e.id, 0) << e.text.ToUtf8();
            ids.push_back(e.id);
        }
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << "list " << i << " repeats an id";
    }
    CRuvDictionaries::Clear();
}

}  // namespace
