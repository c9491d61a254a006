// CYolString: sharing, bounds, comparisons, code pages, Base64, numbers, XML.

#include "CYolString.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

// Lets failing expectations show the text instead of raw object bytes.
[[maybe_unused]] static void PrintTo(const CYolString& s, std::ostream* os) { *os << '"' << s.ToUtf8() << '"'; }

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Owned = std::unique_ptr<T, FreeDeleter>;

CYolString Utf8(const char* text) { return CYolString::FromUtf8(text); }

std::u16string Units(const CYolString& s) { return s.ToU16(); }

Bytes ToBytes(const char* p, int n) { return p ? Bytes(p, p + n) : Bytes(); }

CYolString DecodeCodePage(const Bytes& bytes, unsigned int codePage) {
    return CYolString(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), codePage);
}

Bytes EncodeCodePage(const std::u16string& text, unsigned int codePage) {
    int n = 0;
    Owned<char> out(CYolString::Convert(text.data(), static_cast<int>(text.size()), codePage, &n));
    return ToBytes(out.get(), n);
}

// ------------------------------------------------------------ empty text

TEST(CYolStringEmpty, EveryEmptyTextHoldsNoBuffer) {
    const CYolString empties[] = {
        CYolString(),
        CYolString(u"", -1),
        CYolString(static_cast<const char16_t*>(nullptr)),
        CYolString(u"abc", 0),
        CYolString(u"abc", -7),
        CYolString("", -1, YOL_CP_UTF8),
        CYolString(static_cast<const char*>(nullptr), 5, YOL_CP_1251),
        CYolString("x", 1, YOL_CP_UTF16LE),  // one odd byte: nothing
        CYolString() + CYolString(),
        CYolString(u"abc").Substring(1, 0),
    };
    for (const CYolString& s : empties) {
        EXPECT_TRUE(s.IsEmpty());
        EXPECT_EQ(s.Length(), 0);
        EXPECT_EQ(s.RefCount(), 0u);
        EXPECT_EQ(s.c_str()[0], 0);
        EXPECT_TRUE(s == u"");
        EXPECT_TRUE(s == static_cast<const char16_t*>(nullptr));
        EXPECT_TRUE(s == CYolString());
        EXPECT_EQ(s.Compare(CYolString()), 0);
    }
}

TEST(CYolStringEmpty, RemovingEverythingLeavesNoBuffer) {
    CYolString s(u"abab");
    s.Remove(u"ab");
    EXPECT_TRUE(s.IsEmpty());
}

// -------------------------------------------------------- sharing, CoW

TEST(CYolStringSharing, CopiesShareOneBuffer) {
    CYolString a(u"hello");
    CYolString b = a;
    CYolString c;
    c = b;
    EXPECT_TRUE(a.SharesBufferWith(b));
    EXPECT_TRUE(a.SharesBufferWith(c));
    EXPECT_EQ(a.RefCount(), 3u);
}

TEST(CYolStringSharing, MutatingOneCopyLeavesTheOthers) {
    using Mutation = void (*)(CYolString&);
    const struct {
        const char* name;
        Mutation mutate;
        std::u16string expected;
    } cases[] = {
        {"append string", [](CYolString& s) { s += CYolString(u"!"); }, u"Hello World!"},
        {"append text", [](CYolString& s) { s += u"?"; }, u"Hello World?"},
        {"lower", [](CYolString& s) { s.ToLower(); }, u"hello world"},
        {"remove", [](CYolString& s) { s.Remove(u"o"); }, u"Hell Wrld"},
        {"assign text", [](CYolString& s) { s = u"other"; }, u"other"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CYolString original(u"Hello World");
        CYolString copy = original;
        c.mutate(copy);
        EXPECT_EQ(Units(copy), c.expected);
        EXPECT_EQ(Units(original), u"Hello World");
        EXPECT_FALSE(copy.SharesBufferWith(original));
        EXPECT_EQ(original.RefCount(), 1u);
    }
}

TEST(CYolStringSharing, CopyTakenAfterAppendKeepsItsText) {
    // The sole holder grows its buffer in place; a later copy must not see
    // the next append.
    CYolString a(u"x");
    a += u"y";
    a += u"z";
    CYolString b = a;
    a += u"!";
    EXPECT_EQ(Units(b), u"xyz");
    EXPECT_EQ(Units(a), u"xyz!");
}

TEST(CYolStringSharing, AppendingItselfWorks) {
    CYolString a(u"ab");
    a += a;
    EXPECT_EQ(Units(a), u"abab");
    a += a.c_str();  // points into the buffer being grown
    EXPECT_EQ(Units(a), u"abababab");
    a = a.c_str() + 6;
    EXPECT_EQ(Units(a), u"ab");
}

TEST(CYolStringSharing, SelfAssignmentKeepsText) {
    CYolString a(u"same");
    CYolString& alias = a;
    a = alias;
    EXPECT_EQ(Units(a), u"same");
    EXPECT_EQ(a.RefCount(), 1u);
}

TEST(CYolStringSharing, MoveLeavesSourceEmpty) {
    CYolString a(u"moved");
    CYolString b(std::move(a));
    EXPECT_TRUE(a.IsEmpty());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(Units(b), u"moved");
    CYolString c(u"old");
    c = std::move(b);
    EXPECT_TRUE(b.IsEmpty());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(Units(c), u"moved");
    EXPECT_EQ(c.RefCount(), 1u);
}

TEST(CYolStringSharing, CountStaysRightAcrossThreads) {
    CYolString shared(u"shared between threads");
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&shared] {
            for (int i = 0; i < 20000; ++i) {
                CYolString copy = shared;
                CYolString second(copy);
                if (copy.Length() != second.Length())
                    std::abort();
            }
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(shared.RefCount(), 1u);
    EXPECT_EQ(Units(shared), u"shared between threads");
}

// ------------------------------------------------------------- bounds

TEST(CYolStringBounds, SubstringOutsideTheTextIsEmpty) {
    const CYolString s(u"abcdef");
    const struct {
        int index, count;
        std::u16string expected;
    } cases[] = {
        {0, 3, u"abc"}, {2, 4, u"cdef"}, {5, 1, u"f"},       {0, 6, u"abcdef"}, {4, 3, u""},
        {6, 1, u""},    {-1, 2, u""},    {0, -1, u""},       {1, 0, u""},       {0x7fffffff, 0x7fffffff, u""},
        {3, 0x7fffffff, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.index << "," << c.count);
        EXPECT_EQ(Units(s.Substring(c.index, c.count)), c.expected);
    }
    EXPECT_TRUE(s.Substring(0, 6).SharesBufferWith(s));
    EXPECT_TRUE(CYolString().Substring(0, 1).IsEmpty());
}

TEST(CYolStringBounds, FindChecksStartAndEmptySides) {
    const CYolString s(u"abcabc");
    const struct {
        int start;
        const char16_t* what;
        int expected;
    } cases[] = {
        {0, u"bc", 1}, {2, u"bc", 4}, {5, u"bc", -1}, {0, u"abcabc", 0}, {0, u"abcabcd", -1},
        {0, u"", -1},  {-1, u"a", -1}, {6, u"a", -1}, {100, u"a", -1},   {0, u"x", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start);
        EXPECT_EQ(s.Find(c.start, CYolString(c.what)), c.expected);
    }
    EXPECT_EQ(CYolString().Find(0, CYolString(u"a")), -1);
}

TEST(CYolStringBounds, AtAnswersZeroOutsideTheText) {
    const CYolString s(u"ab");
    EXPECT_EQ(s.At(0), u'a');
    EXPECT_EQ(s.At(1), u'b');
    EXPECT_EQ(s.At(2), 0);
    EXPECT_EQ(s.At(-1), 0);
    EXPECT_EQ(CYolString().At(0), 0);
}

TEST(CYolStringBounds, TextsBeyondSixteenBitLengthsWork) {
    const int n = 70000;
    std::u16string big(n, u'a');
    big[n - 1] = u'Z';
    CYolString s(big.data(), n);
    ASSERT_EQ(s.Length(), n);
    EXPECT_EQ(s.Find(0, CYolString(u"Z")), n - 1);
    EXPECT_EQ(Units(s.Substring(n - 2, 2)), u"aZ");

    CYolString joined = s + s;
    EXPECT_EQ(joined.Length(), 2 * n);
    EXPECT_EQ(joined.At(2 * n - 1), u'Z');
    EXPECT_TRUE(s < joined);

    int bytes = 0;
    Owned<char> utf8(CYolString::Convert(s, YOL_CP_UTF8, &bytes));
    EXPECT_EQ(bytes, n);
    EXPECT_EQ(CYolString(utf8.get(), bytes, YOL_CP_UTF8), s);

    CYolString grown;
    for (int i = 0; i < n; ++i)
        grown += u"b";
    EXPECT_EQ(grown.Length(), n);
    EXPECT_EQ(grown.RefCount(), 1u);
}

// -------------------------------------------------------- comparisons

TEST(CYolStringCompare, OrdersByCodeUnitWithPrefixFirst) {
    const struct {
        std::u16string a, b;
    } lessPairs[] = {
        {u"", u"a"},           {u"a", u"b"},         {u"ab", u"abc"}, {u"Z", u"a"},
        {u"abc", u"abd"},      {u"\u00FF", u"\u0100"}, {u"\U0001F600", u"\uFFFF"},  // surrogates sort by unit
        {u"\u0401", u"\u0410"},
    };
    for (const auto& p : lessPairs) {
        CYolString a(p.a.data(), static_cast<int>(p.a.size())), b(p.b.data(), static_cast<int>(p.b.size()));
        SCOPED_TRACE(testing::Message() << a.ToUtf8() << " < " << b.ToUtf8());
        EXPECT_TRUE(a < b);
        EXPECT_TRUE(a <= b);
        EXPECT_TRUE(b > a);
        EXPECT_TRUE(b >= a);
        EXPECT_FALSE(b < a);
        EXPECT_TRUE(a != b);
        EXPECT_FALSE(a < a);
    }
}

TEST(CYolStringCompare, OrderAgreesWithUnitOrderAtEveryPosition) {
    // Differences before, inside and after each 4-unit word; high units
    // test that no byte order leaks into the result.
    for (size_t length = 1; length <= 11; ++length) {
        for (size_t at = 0; at < length; ++at) {
            for (char16_t delta : {char16_t(1), char16_t(0x100), char16_t(0x8000)}) {
                std::u16string a(length, u'\u0430'), b = a;
                b[at] = static_cast<char16_t>(b[at] + delta);
                CYolString sa(a.data(), static_cast<int>(length)), sb(b.data(), static_cast<int>(length));
                SCOPED_TRACE(testing::Message() << length << " " << at << " " << static_cast<int>(delta));
                EXPECT_TRUE(sa < sb);
                EXPECT_FALSE(sb < sa);
                EXPECT_EQ(sa.Compare(sb), -1);
                EXPECT_EQ(sb.Compare(sa), 1);
                if (length > 1) {
                    std::u16string upper = b;
                    upper[at == 0 ? length - 1 : 0] = u'\u0410';  // differs from `a` only in case there
                    EXPECT_EQ(CYolString(upper.data(), static_cast<int>(length)).Compare(sa), 1);
                }
            }
        }
    }
}

TEST(CYolStringCompare, ComparisonsNeverTouchTheirOperands) {
    const CYolString a(u"equal text");
    CYolString b(u"equal text");
    CYolString keepA = a;  // a second holder makes the counts differ
    ASSERT_FALSE(a.SharesBufferWith(b));
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);
    EXPECT_FALSE(a < b);
    EXPECT_TRUE(a <= b);
    EXPECT_FALSE(a > b);
    EXPECT_TRUE(a >= b);
    EXPECT_EQ(a.Compare(b), 0);
    EXPECT_EQ(b.Compare(a), 0);
    EXPECT_TRUE(b == a);
    EXPECT_FALSE(a.SharesBufferWith(b));
    EXPECT_EQ(a.RefCount(), 2u);
    EXPECT_EQ(b.RefCount(), 1u);
}

TEST(CYolStringCompare, EqualityWithText) {
    CYolString withZero(u"ab\0cd", 5);
    EXPECT_FALSE(withZero == u"ab");
    EXPECT_TRUE(CYolString(u"ab") == u"ab");
    EXPECT_FALSE(CYolString(u"ab") == u"abc");
    EXPECT_FALSE(CYolString(u"abc") == u"ab");
    EXPECT_FALSE(CYolString(u"a") == u"");
    EXPECT_TRUE(CYolString(u"x") != u"y");
}

TEST(CYolStringCompare, CompareFoldsCaseThenShorterFirst) {
    const struct {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"abc", "ABC", 0},        {"ab", "ABC", -1},          {"ABC", "ab", 1},        {"b", "A", 1},
        {"Привет", "пРИВЕТ", 0},  {"ЁЛКА", "ёлка", 0},        {"Ёж", "ёж", 0},         {"Äpfel", "äPFEL", 0},
        {"а", "Б", -1},           {"", "a", -1},              {"a", "", 1},            {"", "", 0},
        {"ΣΟΦΙΑ", "σοφια", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " vs " << c.b);
        EXPECT_EQ(Utf8(c.a).Compare(Utf8(c.b)), c.expected);
    }
}

TEST(CYolStringCompare, RawCompareHandlesNullLengthAndCase) {
    const struct {
        const char16_t* a;
        const char16_t* b;
        int length;
        int compare, comparei;
    } cases[] = {
        {u"abc", u"abc", -1, 0, 0},   {u"abc", u"abd", -1, -1, -1}, {u"abd", u"abc", -1, 1, 1},
        {u"abc", u"ABC", -1, 1, 0},   {u"abcX", u"abcY", 3, 0, 0},  {u"ab", u"abc", -1, -1, -1},
        {u"ab", u"abc", 2, 0, 0},     {nullptr, nullptr, -1, 0, 0}, {nullptr, u"a", -1, -1, -1},
        {u"a", nullptr, -1, 1, 1},    {nullptr, u"", -1, 0, 0},     {u"a", u"b", -2, 0, 0},
        {u"a", u"b", 0, 0, 0},        {u"ЯБЛОКО", u"яблоко", -1, -1, 0},
        {u"\uFFFF", u"a", -1, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.length);
        EXPECT_EQ(CYolString::Compare(c.a, c.b, c.length), c.compare);
        EXPECT_EQ(CYolString::Comparei(c.a, c.b, c.length), c.comparei);
    }
    EXPECT_EQ(CYolString::Compare("\xff", "a", -1), 1);  // bytes are unsigned
    EXPECT_EQ(CYolString::Comparei("HeLLo", "hello", -1), 0);
    EXPECT_EQ(CYolString::Comparei("\xC0", "\xE0", -1), -1);  // 8-bit folds ASCII only
    EXPECT_EQ(CYolString::Compare(nullptr, "x", 1), -1);
}

// ---------------------------------------------------- editing members

TEST(CYolStringEdit, RemoveTakesNonOverlappingOccurrencesLeftToRight) {
    const struct {
        std::u16string text, what, expected;
    } cases[] = {
        {u"abcabc", u"bc", u"aa"}, {u"aaa", u"aa", u"a"}, {u"hello", u"xyz", u"hello"},
        {u"hello", u"", u"hello"}, {u"a-b-c", u"-", u"abc"},
    };
    for (const auto& c : cases) {
        CYolString s(c.text.c_str());
        CYolString before = s;
        s.Remove(CYolString(c.what.c_str()));
        EXPECT_EQ(Units(s), c.expected);
        if (c.expected == c.text) {
            EXPECT_TRUE(s.SharesBufferWith(before));
        }
    }
}

TEST(CYolStringEdit, ToLowerFoldsLatinAndCyrillic) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"HeLLo 123", "hello 123"}, {"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ", "абвгдеёжзийклмнопрстуфхцчшщъыьэюя"},
        {"ÀÉÎÕÜ", "àéîõü"},         {"ЂЃЄЅІЇЈЉЊЋЌЎЏ", "ђѓєѕіїјљњћќўџ"},
        {"Ґ", "ґ"},                  {"\xF0\x9F\x98\x80 X", "\xF0\x9F\x98\x80 x"},
    };
    for (const auto& c : cases) {
        CYolString s = Utf8(c.text);
        s.ToLower();
        EXPECT_EQ(s.ToUtf8(), c.expected);
        EXPECT_EQ(CYolString::ToLowerChar(Utf8(c.text).At(0)), Utf8(c.expected).At(0));
    }
}

TEST(CYolStringEdit, ConcatenationForms) {
    CYolString a(u"ab"), b(u"cd");
    EXPECT_EQ(Units(a + b), u"abcd");
    EXPECT_EQ(Units(a + u"x"), u"abx");
    EXPECT_EQ(Units(u"x" + a), u"xab");
    EXPECT_TRUE((a + CYolString()).SharesBufferWith(a));
    EXPECT_TRUE((CYolString() + a).SharesBufferWith(a));
    EXPECT_TRUE((CYolString() + u"").IsEmpty());
    CYolString c;
    c += a;
    EXPECT_TRUE(c.SharesBufferWith(a));
    c += static_cast<const char16_t*>(nullptr);
    EXPECT_EQ(Units(c), u"ab");
}

TEST(CYolStringEdit, UintReadsTheNumberOrFallsBack) {
    EXPECT_EQ(CYolString(u"1234").Uint(false), 1234u);
    EXPECT_EQ(CYolString(u"ff").Uint(true), 255u);
    EXPECT_EQ(CYolString(u"abc").Uint(false), 0u);
    EXPECT_EQ(CYolString(u"abc").Uint(false, 77), 77u);
    EXPECT_EQ(CYolString(u"zz").Uint(true, 5), 5u);
    EXPECT_EQ(CYolString(u"12x").Uint(false, 5), 12u);
    EXPECT_EQ(CYolString().Uint(false, 9), 9u);
}

// -------------------------------------------------------- code pages

struct DecodeCase {
    const char* name;
    Bytes bytes;
    unsigned int codePage;
    std::u16string expected;
};

TEST(CYolStringCodePage, DecodesEachCodePage) {
    const DecodeCase cases[] = {
        {"1251 Cyrillic", {0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2}, YOL_CP_1251, u"Привет"},
        {"ACP is 1251", {0xA8, 0xB8, 0xB9, 0x88}, YOL_CP_ACP, u"Ёё№€"},
        {"1251 hole", {0x41, 0x98, 0x42}, YOL_CP_1251, u"A\uFFFDB"},
        {"UTF-8 Cyrillic", {0xD0, 0x9F, 0xD1, 0x80, 0xD0, 0xB8}, YOL_CP_UTF8, u"При"},
        {"UTF-8 astral", {0xF0, 0x9F, 0x98, 0x80}, YOL_CP_UTF8, u"\U0001F600"},
        {"UTF-8 3-byte", {0xE2, 0x82, 0xAC}, YOL_CP_UTF8, u"€"},
        {"UTF-8 stray continuation", {0x61, 0x80, 0x62}, YOL_CP_UTF8, u"a\uFFFDb"},
        {"UTF-8 overlong", {0xC0, 0x80}, YOL_CP_UTF8, u"\uFFFD\uFFFD"},
        {"UTF-8 overlong 3-byte", {0xE0, 0x80, 0xAF}, YOL_CP_UTF8, u"\uFFFD\uFFFD\uFFFD"},
        {"UTF-8 encoded surrogate", {0xED, 0xA0, 0x80}, YOL_CP_UTF8, u"\uFFFD\uFFFD\uFFFD"},
        {"UTF-8 truncated at end", {0xE2, 0x82}, YOL_CP_UTF8, u"\uFFFD"},
        {"UTF-8 truncated then ASCII", {0xE2, 0x82, 0x41}, YOL_CP_UTF8, u"\uFFFDA"},
        {"UTF-8 past U+10FFFF", {0xF4, 0x90, 0x80, 0x80}, YOL_CP_UTF8, u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"UTF-8 invalid lead", {0xFF, 0xFE, 0x41}, YOL_CP_UTF8, u"\uFFFD\uFFFDA"},
        {"UTF-8 long ASCII run", Bytes(17, 'q'), YOL_CP_UTF8, std::u16string(17, u'q')},
        {"UTF-16LE", {0x41, 0x00, 0x1F, 0x04}, YOL_CP_UTF16LE, u"AП"},
        {"UTF-16LE odd byte dropped", {0x41, 0x00, 0x42}, YOL_CP_UTF16LE, u"A"},
        {"KOI8-R through iconv", {0xF0, 0xD2, 0xC9}, 20866, u"При"},
        {"CP866 through iconv", {0x8F, 0xE0, 0xA8}, 866, u"При"},
        {"unknown code page", {0x41}, 4242, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Units(DecodeCodePage(c.bytes, c.codePage)), c.expected);
    }
}

TEST(CYolStringCodePage, LengthMinusOneStopsAtTheTerminator) {
    EXPECT_EQ(Units(CYolString("abc\0def", -1, YOL_CP_UTF8)), u"abc");
    const char raw[] = {0x41, 0x00, 0x00, 0x04, 0x00, 0x00, 0x42, 0x00};  // 0x0400 holds a 0 byte
    EXPECT_EQ(Units(CYolString(raw, -1, YOL_CP_UTF16LE)), u"A\u0400");
}

struct EncodeCase {
    const char* name;
    std::u16string text;
    unsigned int codePage;
    Bytes expected;
};

TEST(CYolStringCodePage, EncodesEachCodePage) {
    const EncodeCase cases[] = {
        {"1251 Cyrillic", u"Привет", YOL_CP_1251, {0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2}},
        {"1251 upper half", u"Ёё№€\u00A0", YOL_CP_ACP, {0xA8, 0xB8, 0xB9, 0x88, 0xA0}},
        {"1251 unmappable", u"a日b", YOL_CP_1251, {0x61, 0x3F, 0x62}},
        {"1251 astral is one ?", u"\U0001F600", YOL_CP_1251, {0x3F}},
        {"1251 has no U+FFFD", u"\uFFFD\u0098", YOL_CP_1251, {0x3F, 0x3F}},
        {"UTF-8 mixed", u"aЯ€", YOL_CP_UTF8, {0x61, 0xD0, 0xAF, 0xE2, 0x82, 0xAC}},
        {"UTF-8 astral", u"\U0001F600", YOL_CP_UTF8, {0xF0, 0x9F, 0x98, 0x80}},
        {"UTF-8 lone high", std::u16string(1, char16_t(0xD800)), YOL_CP_UTF8, {0xEF, 0xBF, 0xBD}},
        {"UTF-8 lone low", std::u16string{char16_t(0xDC00), u'a'}, YOL_CP_UTF8, {0xEF, 0xBF, 0xBD, 0x61}},
        {"UTF-8 reversed pair",
         std::u16string{char16_t(0xDE00), char16_t(0xD83D)},
         YOL_CP_UTF8,
         {0xEF, 0xBF, 0xBD, 0xEF, 0xBF, 0xBD}},
        {"UTF-16LE raw", u"AП", YOL_CP_UTF16LE, {0x41, 0x00, 0x1F, 0x04}},
        {"KOI8-R through iconv", u"При", 20866, {0xF0, 0xD2, 0xC9}},
        {"KOI8-R unmappable", u"a日", 20866, {0x61, 0x3F}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EncodeCodePage(c.text, c.codePage), c.expected);
    }
}

TEST(CYolStringCodePage, ConvertTerminatesAndReportsLength) {
    int n = -1;
    Owned<char> utf8(CYolString::Convert(CYolString(u"Я"), YOL_CP_UTF8, &n));
    ASSERT_TRUE(utf8);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(utf8.get()[2], 0);
    Owned<char> raw(CYolString::Convert(u"ab", -1, YOL_CP_UTF16LE, &n));
    EXPECT_EQ(n, 4);
    EXPECT_EQ(raw.get()[4], 0);
    EXPECT_EQ(raw.get()[5], 0);
    EXPECT_EQ(CYolString::Convert(CYolString(), YOL_CP_UTF8, &n), nullptr);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(CYolString::Convert(u"abc", -3, YOL_CP_UTF8), nullptr);
    EXPECT_EQ(CYolString::Convert(u"abc", 3, 4242, &n), nullptr);
}

TEST(CYolStringCodePage, RoundTripsThroughEachCodePage) {
    const struct {
        const char* text;
        unsigned int codePage;
    } cases[] = {
        {"Съешь же ещё этих мягких французских булок", YOL_CP_1251},
        {"Съешь же ещё этих мягких французских булок", YOL_CP_UTF8},
        {"mixed: Ёж, 日本, \xF0\x9F\x98\x80, €", YOL_CP_UTF8},
        {"mixed: Ёж, 日本, \xF0\x9F\x98\x80, €", YOL_CP_UTF16LE},
        {"Ёлка № 5 — «ёлочка»", YOL_CP_1251},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CYolString original = Utf8(c.text);
        int n = 0;
        Owned<char> bytes(CYolString::Convert(original, c.codePage, &n));
        EXPECT_EQ(CYolString(bytes.get(), n, c.codePage), original);
    }
}

std::u16string IconvToUnits(const Bytes& in, const char* from) {
    iconv_t cd = iconv_open("UTF-16LE", from);
    std::u16string out(in.size() * 2 + 4, 0);
    char* src = reinterpret_cast<char*>(const_cast<unsigned char*>(in.data()));
    size_t left = in.size();
    char* dst = reinterpret_cast<char*>(out.data());
    size_t room = out.size() * 2;
    size_t r = iconv(cd, &src, &left, &dst, &room);
    iconv_close(cd);
    if (r == size_t(-1))
        return u"<error>";
    out.resize((out.size() * 2 - room) / 2);
    return out;
}

TEST(CYolStringCodePage, Table1251MatchesTheSystemConverter) {
    for (int b = 1; b < 256; ++b) {
        SCOPED_TRACE(b);
        Bytes one{static_cast<unsigned char>(b)};
        std::u16string expected = b == 0x98 ? u"\uFFFD" : IconvToUnits(one, "CP1251");
        EXPECT_EQ(Units(DecodeCodePage(one, YOL_CP_1251)), expected);
        if (b != 0x98) {
            EXPECT_EQ(EncodeCodePage(expected, YOL_CP_1251), one);
        }
    }
}

TEST(CYolStringCodePage, Utf8MatchesTheSystemConverterForEveryCodePoint) {
    std::u16string all;
    for (char32_t cp = 1; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        if (cp < 0x10000) {
            all.push_back(static_cast<char16_t>(cp));
        } else {
            all.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            all.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        }
    }
    Bytes utf8 = EncodeCodePage(all, YOL_CP_UTF8);
    EXPECT_EQ(IconvToUnits(utf8, "UTF-8"), all);
    EXPECT_EQ(Units(DecodeCodePage(utf8, YOL_CP_UTF8)), all);
}

// -------------------------------------------------------------- Base64

TEST(CYolStringBase64, EncodesWithPadding) {
    const struct {
        Bytes data;
        const char* expected;
    } cases[] = {
        {{'a', 'b', 'c'}, "YWJj"},
        {{'a', 'b'}, "YWI="},
        {{'a'}, "YQ=="},
        {{0x00, 0xFF, 0xFE, 0x80}, "AP/+gA=="},
        {{'a', 'b', 'c', 'd', 'e', 'f'}, "YWJjZGVm"},
    };
    for (const auto& c : cases) {
        int length = static_cast<int>(c.data.size());
        Owned<char> out(CYolString::Base64Encode(reinterpret_cast<const char*>(c.data.data()), length));
        ASSERT_TRUE(out);
        EXPECT_STREQ(out.get(), c.expected);
        EXPECT_EQ(length, static_cast<int>(std::strlen(c.expected)));
    }
    int length = -1;
    Owned<char> text(CYolString::Base64Encode("abc", length));
    EXPECT_STREQ(text.get(), "YWJj");
    length = 0;
    EXPECT_EQ(CYolString::Base64Encode("abc", length), nullptr);
    EXPECT_EQ(length, 0);
}

TEST(CYolStringBase64, WideEncoderEncodesUtf8Bytes) {
    const struct {
        std::u16string text;
        const char* expected;
    } cases[] = {
        {u"abc", "YWJj"},
        {u"Я", "0K8="},
        {u"\U0001F600", "8J+YgA=="},
    };
    for (const auto& c : cases) {
        int length = static_cast<int>(c.text.size());
        Owned<char> out(CYolString::Base64Encode(c.text.c_str(), length));
        EXPECT_STREQ(out.get(), c.expected);
        EXPECT_EQ(length, static_cast<int>(std::strlen(c.expected)));
    }
}

struct Base64DecodeCase {
    const char* text;
    const char* expected;  // null: rejected
    int length;
};

const Base64DecodeCase kBase64Decode[] = {
    {"YQ==", "a", 1},
    {"YWI=", "ab", 2},
    {"YWJj", "abc", 3},
    {"YWJj\r\nYWJj", "abcabc", 6},
    {"YW\nJj\r\n", "abc", 3},
    {"\r\nY\rW\nJ\nj", "abc", 3},
    {"YQ==\r\n", "a", 1},
    {"AP/+gA==", "\x00\xFF\xFE\x80", 4},
    {"", nullptr, 0},
    {"\r\n", nullptr, 0},
    {"YQ", nullptr, 0},          // partial group
    {"YWJjY", nullptr, 0},       // partial group after a full one
    {"YQ=", nullptr, 0},         // short padding
    {"Y===", nullptr, 0},        // padding too early
    {"====", nullptr, 0},
    {"YQ==YWJj", nullptr, 0},    // data after the padded group
    {"YQ=a", nullptr, 0},        // data after padding
    {"=YWJ", nullptr, 0},
    {"YW Jj", nullptr, 0},       // blank
    {"YWJ!", nullptr, 0},        // outside the alphabet
    {"YWJj\t", nullptr, 0},
    {"YW\x80j", nullptr, 0},
};

TEST(CYolStringBase64, DecodesValidTextAndRejectsEverythingElse) {
    for (const auto& c : kBase64Decode) {
        SCOPED_TRACE(c.text);
        int length = 12345;
        Owned<char> out(CYolString::Base64Decode(c.text, length));
        EXPECT_EQ(length, c.length);
        if (!c.expected) {
            EXPECT_EQ(out, nullptr);
            continue;
        }
        ASSERT_TRUE(out);
        EXPECT_EQ(Bytes(out.get(), out.get() + length), Bytes(c.expected, c.expected + c.length));
        EXPECT_EQ(out.get()[length], 0);

        std::u16string wide(c.text, c.text + std::strlen(c.text));
        int wideLength = -3;
        Owned<char> wideOut(CYolString::Base64Decode(wide.c_str(), wideLength));
        EXPECT_EQ(wideLength, c.length);
        EXPECT_EQ(Bytes(wideOut.get(), wideOut.get() + wideLength), Bytes(c.expected, c.expected + c.length));
    }
}

TEST(CYolStringBase64, WideDecoderRejectsUnitsBeyondAscii) {
    // U+0159 has the low byte of "Y"; it must not pass for it.
    const char16_t text[] = {0x0159, u'Q', u'=', u'=', 0};
    int length = 1;
    EXPECT_EQ(CYolString::Base64Decode(text, length), nullptr);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(CYolString::Base64Decode(static_cast<const char16_t*>(nullptr), length), nullptr);
    EXPECT_EQ(CYolString::Base64Decode(static_cast<const char*>(nullptr), length), nullptr);
}

TEST(CYolStringBase64, RoundTripsEveryByteValue) {
    for (int n = 1; n <= 256; n += 85) {
        Bytes data(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            data[static_cast<size_t>(i)] = static_cast<unsigned char>(255 - i);
        int length = n;
        Owned<char> text(CYolString::Base64Encode(reinterpret_cast<const char*>(data.data()), length));
        int decoded = 0;
        Owned<char> back(CYolString::Base64Decode(text.get(), decoded));
        ASSERT_EQ(decoded, n);
        EXPECT_EQ(Bytes(back.get(), back.get() + n), data);
    }
}

// ------------------------------------------------------------- numbers

TEST(CYolStringNumber, WritesPaddedDigits) {
    const struct {
        unsigned int value;
        bool hex;
        int width;
        const char* expected;
    } cases[] = {
        {7, false, 3, "007"},        {1234, false, 2, "1234"},    {0, false, 0, "0"},
        {255, true, 0, "ff"},        {0xABCDEF12, true, 0, "abcdef12"}, {10, true, 4, "000a"},
        {4294967295u, false, 0, "4294967295"}, {5, false, -3, "5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        char narrow[32];
        int length = sizeof narrow;
        ASSERT_TRUE(CYolString::Toa(narrow, length, c.value, c.hex, c.width));
        EXPECT_STREQ(narrow, c.expected);
        EXPECT_EQ(length, static_cast<int>(std::strlen(c.expected)));

        char16_t wide[32];
        length = 32;
        ASSERT_TRUE(CYolString::Tow(wide, length, c.value, c.hex, c.width));
        EXPECT_EQ(std::u16string(wide), Units(Utf8(c.expected)));
        EXPECT_EQ(length, static_cast<int>(std::strlen(c.expected)));

        if (c.width >= 0 && c.width < 256) {
            EXPECT_EQ(CYolString(c.value, c.hex, static_cast<unsigned char>(c.width)).ToUtf8(), c.expected);
        }
    }
}

TEST(CYolStringNumber, RefusesABufferTooSmall) {
    char narrow[8];
    std::memset(narrow, 'x', sizeof narrow);
    int length = 4;  // "1234" needs 5 with its terminator
    EXPECT_FALSE(CYolString::Toa(narrow, length, 1234, false, 0));
    EXPECT_EQ(length, 4);
    EXPECT_EQ(narrow[0], 'x');
    length = 5;
    EXPECT_TRUE(CYolString::Toa(narrow, length, 1234, false, 0));

    char16_t wide[4] = {u'x', u'x', u'x', u'x'};
    length = 4;
    EXPECT_FALSE(CYolString::Tow(wide, length, 7, false, 4));  // padding counts
    EXPECT_EQ(wide[0], u'x');
    length = 0;
    EXPECT_FALSE(CYolString::Tow(wide, length, 0, false, 0));
    length = 10;
    EXPECT_FALSE(CYolString::Tow(nullptr, length, 1, false, 0));
}

TEST(CYolStringNumber, ReadsNumbersAsA32BitAtol) {
    const struct {
        const char* text;
        int length;
        bool hex;
        unsigned int expected;
    } cases[] = {
        {"1A", -1, true, 26},
        {"-5", -1, false, 0xFFFFFFFBu},
        {"  +42abc", -1, false, 42},
        {"\t\n 7", -1, false, 7},
        {"12345", 3, false, 123},
        {"12345", 0, false, 0},
        {"12345", -2, false, 0},
        {"abc", -1, false, 0},
        {"", -1, false, 0},
        {"- 5", -1, false, 0},
        {"2147483647", -1, false, 0x7FFFFFFF},
        {"2147483648", -1, false, 0x7FFFFFFF},      // sticks at LONG_MAX
        {"99999999999999999999", -1, false, 0x7FFFFFFF},
        {"-2147483648", -1, false, 0x80000000u},
        {"-99999999999", -1, false, 0x80000000u},   // sticks at LONG_MIN
        {"123456789", -1, true, 0x12345678},        // eight hex digits at most
        {"fFaA", -1, true, 0xFFAA},
        {"  ff", -1, true, 0xFF},
        {"abcdef", 2, true, 0xAB},
        {"xyz", -1, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CYolString::Toi(c.text, c.length, c.hex), c.expected);
        std::u16string wide = Units(Utf8(c.text));
        EXPECT_EQ(CYolString::Toi(wide.c_str(), c.length, c.hex), c.expected);
    }
    EXPECT_EQ(CYolString::Toi(static_cast<const char*>(nullptr), -1, false), 0u);
    char unterminated[3] = {'4', '2', '7'};
    EXPECT_EQ(CYolString::Toi(unterminated, 2, false), 42u);
}

TEST(CYolStringNumber, HexBytesAndAddresses) {
    const unsigned char bytes[] = {0x00, 0xAB, 0x0F, 0xFF};
    Owned<char> hex(CYolString::ToHex(bytes, 4));
    EXPECT_STREQ(hex.get(), "00ab0fff");
    EXPECT_EQ(CYolString::ToHex(bytes, 0), nullptr);

    const struct {
        unsigned int address;
        const char16_t* expected;
    } addresses[] = {{0x7F000001, u"127.0.0.1"}, {0xC0A80A01, u"192.168.10.1"}, {0, u"0.0.0.0"}, {0xFFFFFFFF, u"255.255.255.255"}};
    for (const auto& a : addresses)
        EXPECT_EQ(Units(CYolString::FromIP(a.address)), a.expected);
}

// ------------------------------------------------------ raw-text tools

TEST(CYolStringRaw, FindFirstAndLastWithinTheLength) {
    const char16_t* text = u"abcabcab";
    const struct {
        int length;
        const char16_t* what;
        int whatLength;
        bool fromEnd;
        int expected;  // offset or -1
    } cases[] = {
        {-1, u"ab", -1, false, 0}, {-1, u"ab", -1, true, 6},  {6, u"ab", -1, true, 3},
        {-1, u"ca", -1, false, 2}, {-1, u"cab", 2, true, 5},  {4, u"cab", -1, false, -1},
        {-1, u"", -1, false, -1},  {2, u"abc", -1, false, -1}, {-1, u"x", -1, true, -1},
        {-5, u"a", -1, false, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.length << " " << c.fromEnd);
        const char16_t* found = CYolString::Find(text, c.length, c.what, c.whatLength, c.fromEnd);
        EXPECT_EQ(found ? static_cast<int>(found - text) : -1, c.expected);
    }
    const char* narrow = "hello world, hello";
    EXPECT_EQ(CYolString::Find(narrow, -1, "hello", -1, true), narrow + 13);
    EXPECT_EQ(CYolString::Find(narrow, 5, "world", 5, false), nullptr);
    EXPECT_EQ(CYolString::Find(static_cast<const char*>(nullptr), -1, "a", 1, false), nullptr);
}

TEST(CYolStringRaw, CopiesAndLowerCasedCopies) {
    Owned<char16_t> dup(CYolString::Dup(u"abcdef", 3));
    EXPECT_EQ(std::u16string(dup.get()), u"abc");
    Owned<char> narrowDup(CYolString::Dup("xyz", -1));
    EXPECT_STREQ(narrowDup.get(), "xyz");
    EXPECT_EQ(CYolString::Dup(u"", -1), nullptr);
    EXPECT_EQ(CYolString::Dup(u"abc", -2), nullptr);

    const char16_t* upper = u"ПРИВЕТ World";
    Owned<char16_t> low(CYolString::ToLow(upper, -1));
    EXPECT_EQ(std::u16string(low.get()), u"привет world");
    EXPECT_EQ(std::u16string(upper), u"ПРИВЕТ World");
    Owned<char> narrowLow(CYolString::ToLow("ABC\xC0", -1));
    EXPECT_STREQ(narrowLow.get(), "abc\xC0");

    char16_t writable[] = u"ABCD";
    CYolString::ToLow(writable, 2);
    EXPECT_EQ(std::u16string(writable), u"abCD");
    char narrowWritable[] = "ABCD";
    CYolString::ToLow(narrowWritable, -1);
    EXPECT_STREQ(narrowWritable, "abcd");
}

TEST(CYolStringRaw, CharacterClasses) {
    const struct {
        char16_t c;
        bool digit, space, punct;
    } cases[] = {
        {u'0', true, false, false}, {u'9', true, false, false},  {u'a', false, false, false},
        {u' ', false, true, false}, {u'\t', false, true, false}, {u'\n', false, true, false},
        {u'!', false, false, true}, {u'~', false, false, true},  {u'\u2014', false, false, true},
        {u'\u0663', false, false, false}, {u'\u3000', false, true, false}, {u'Я', false, false, false},
        {char16_t(0xD800), false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.c));
        EXPECT_EQ(CYolString::IsDigit(c.c), c.digit);
        EXPECT_EQ(CYolString::IsSpace(c.c), c.space);
        EXPECT_EQ(CYolString::IsPunct(c.c), c.punct);
        if (c.c < 0x80) {
            EXPECT_EQ(CYolString::IsDigit(static_cast<char>(c.c)), c.digit);
            EXPECT_EQ(CYolString::IsSpace(static_cast<char>(c.c)), c.space);
            EXPECT_EQ(CYolString::IsPunct(static_cast<char>(c.c)), c.punct);
        }
    }
    EXPECT_FALSE(CYolString::IsPunct('\xC0'));
}

TEST(CYolStringRaw, ConstructJoinsPiecesUntilNull) {
    CYolString joined = CYolString::Construct(u"abc", 2, u"XYZ", 3, u"tail", -1, u"ignored", -4, nullptr);
    EXPECT_EQ(Units(joined), u"abXYZtail");
    EXPECT_TRUE(CYolString::Construct(static_cast<const char16_t*>(nullptr), 3, u"x", 1, nullptr).IsEmpty());
    EXPECT_TRUE(CYolString::Construct(u"abc", 0, u"", 0, nullptr).IsEmpty());

    Owned<char> narrow(CYolString::Construct("abc", 3, "-", 1, "def", 2, nullptr));
    EXPECT_STREQ(narrow.get(), "abc-de");
    EXPECT_EQ(CYolString::Construct("", 0, nullptr), nullptr);
    EXPECT_EQ(CYolString::Construct(static_cast<const char*>(nullptr), 0, nullptr), nullptr);
}

// ----------------------------------------------------------------- XML

TEST(CYolStringXml, EncodesExactlyFiveEntities) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"1 < 2 & \"3\"", "1 &lt; 2 &amp; &quot;3&quot;"},
        {"it's > that", "it&apos;s &gt; that"},
        {"plain Ёж\t\n", "plain Ёж\t\n"},
        {"&amp;", "&amp;amp;"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CYolString::XmlEncode(Utf8(c.text)).ToUtf8(), c.expected);
    CYolString plain(u"nothing to escape");
    EXPECT_TRUE(CYolString::XmlEncode(plain).SharesBufferWith(plain));
}

TEST(CYolStringXml, DecodesEntitiesAndReferencesInOnePass) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"1 &lt; 2 &amp; &quot;3&quot; &apos;&gt;", "1 < 2 & \"3\" '>"},
        {"&amp;lt;", "&lt;"},              // one pass only
        {"&nbsp;x", "nbsp;x"},             // unknown entity: the ampersand goes
        {"a & b", "a  b"},
        {"tail &", "tail "},
        {"&lt", "lt"},                     // entity must lie wholly within
        {"&#65;&#x42;&#x6a;", "ABj"},
        {"&#1025;&#x401;", "ЁЁ"},
        {"&#x1F600;", "\xF0\x9F\x98\x80"},
        {"&#128512;", "\xF0\x9F\x98\x80"},
        {"&#0;", "&#0;"},                  // invalid references stay as written
        {"&#xD800;", "&#xD800;"},
        {"&#x110000;", "&#x110000;"},
        {"&#99999999999999999999;", "&#99999999999999999999;"},
        {"&#;", "&#;"},
        {"&#x;", "&#x;"},
        {"&#65", "&#65"},
        {"&#X41;", "&#X41;"},
        {"&#-1;", "&#-1;"},
        {"&#38;lt;", "&lt;"},              // a decoded ampersand starts nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CYolString::XmlDecode(Utf8(c.text)).ToUtf8(), c.expected);
    }
    CYolString plain(u"no entities");
    EXPECT_TRUE(CYolString::XmlDecode(plain).SharesBufferWith(plain));
    EXPECT_TRUE(CYolString::XmlDecode(CYolString(u"&")).IsEmpty());
}

TEST(CYolStringXml, EncodeThenDecodeGivesTheText) {
    CYolString text = Utf8("<a href=\"x\">Tom & Jerry's — &#65;</a>");
    EXPECT_EQ(CYolString::XmlDecode(CYolString::XmlEncode(text)), text);
}

}  // namespace
