// CYolString: shared UTF-16 text. This file holds the buffer's life, the
// comparisons, search, case folding and concatenation, and the raw-buffer
// helpers of the same kinds. Code pages live in CYolStringCodePage.cpp;
// Base64, hex, numbers, XML escaping and building in CYolStringText.cpp.

#include "CYolStringRep.h"

#include <array>
#include <bit>
#include <cwctype>
#include <locale.h>
#include <memory>
#include <string_view>

using namespace YolStringDetail;

namespace {

constexpr char16_t kEmptyText[1] = {0};

// ------------------------------------------------- case and char classes

locale_t Utf8Locale() {
    static const locale_t locale = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
        if (!l)
            l = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", locale_t(0));
        return l;
    }();
    return locale;
}

// Simple lowercase for the scripts we must fold even without a Unicode
// locale on the machine: Latin-1, Cyrillic and Greek capitals.
char16_t FallbackLower(char16_t c) {
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x410 && c <= 0x42F) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    return c;
}

// One table for the whole BMP, filled once, so folding costs a load.
const std::array<char16_t, 0x10000>& LowerTable() {
    static const auto table = [] {
        auto t = std::make_unique<std::array<char16_t, 0x10000>>();
        locale_t locale = Utf8Locale();
        for (uint32_t c = 0; c < 0x10000; ++c) {
            char16_t lower = static_cast<char16_t>(c);
            if (c >= 'A' && c <= 'Z')
                lower = static_cast<char16_t>(c + 0x20);
            else if (c >= 0x80 && (c < 0xD800 || c > 0xDFFF)) {
                if (locale) {
                    wint_t l = towlower_l(static_cast<wint_t>(c), locale);
                    if (l < 0x10000 && (l < 0xD800 || l > 0xDFFF))
                        lower = static_cast<char16_t>(l);
                } else {
                    lower = FallbackLower(static_cast<char16_t>(c));
                }
            }
            (*t)[c] = lower;
        }
        return t;
    }();
    return *table;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c; }

// ---------------------------------------------------------- raw-text tools

// Index of the first unit where the two runs differ (n when none), eight
// bytes at a time.
size_t Mismatch(const char16_t* a, const char16_t* b, size_t n) {
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        uint64_t x, y;
        std::memcpy(&x, a + i, sizeof x);
        std::memcpy(&y, b + i, sizeof y);
        if (x != y) {
            uint64_t diff = x ^ y;
            int bit = std::endian::native == std::endian::little ? std::countr_zero(diff) : std::countl_zero(diff);
            return i + static_cast<size_t>(bit) / 16;
        }
    }
    while (i < n && a[i] == b[i])
        ++i;
    return i;
}

template <typename C, typename Fold>
int CompareRaw(const C* a, const C* b, int length, Fold fold) {
    if (length < -1)
        return 0;
    static constexpr C kNothing[1] = {0};
    if (!a)
        a = kNothing;
    if (!b)
        b = kNothing;
    size_t limit = length == -1 ? SIZE_MAX : static_cast<size_t>(length);
    for (size_t i = 0; i < limit; ++i) {
        using U = std::make_unsigned_t<C>;
        unsigned x = static_cast<U>(fold(a[i]));
        unsigned y = static_cast<U>(fold(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
    return 0;
}

template <typename C>
const C* FindRaw(const C* text, int length, const C* what, int whatLength, bool fromEnd) {
    size_t n = TextLength(text, length);
    size_t m = TextLength(what, whatLength);
    if (m == 0 || m > n)
        return nullptr;
    std::basic_string_view<C> hay(text, n), needle(what, m);
    size_t at = fromEnd ? hay.rfind(needle) : hay.find(needle);
    return at == hay.npos ? nullptr : text + at;
}

template <typename C>
C* DupRaw(const C* text, int length) {
    size_t n = TextLength(text, length);
    if (n == 0 || n > size_t(INT_MAX) / sizeof(C) - 1)
        return nullptr;
    auto* copy = static_cast<C*>(std::malloc((n + 1) * sizeof(C)));
    if (!copy)
        return nullptr;
    std::memcpy(copy, text, n * sizeof(C));
    copy[n] = 0;
    return copy;
}

}  // namespace

// ============================================================ CYolString

CYolString::CYolString(const CYolString& other) : rep(other.rep) {
    if (rep)
        rep->refs.fetch_add(1, std::memory_order_relaxed);
}

CYolString::CYolString(CYolString&& other) noexcept : rep(other.rep) { other.rep = nullptr; }

CYolString::CYolString(const char16_t* text, int length) : rep(Rep::Copy(text, TextLength(text, length))) {}

CYolString::~CYolString() { Release(); }

void CYolString::Release() {
    Rep::Unref(rep);
    rep = nullptr;
}

CYolString::Rep* CYolString::Allocate(int length) { return length > 0 ? Rep::Make(static_cast<size_t>(length)) : nullptr; }

CYolString CYolString::Adopt(Rep* adopted) {
    if (adopted && adopted->length == 0) {
        Rep::Unref(adopted);
        adopted = nullptr;
    }
    return CYolString(adopted);
}

CYolString& CYolString::operator=(const CYolString& other) {
    Rep* taken = other.rep;
    if (taken)
        taken->refs.fetch_add(1, std::memory_order_relaxed);
    Release();
    rep = taken;
    return *this;
}

CYolString& CYolString::operator=(CYolString&& other) noexcept {
    if (this != &other) {
        Release();
        rep = other.rep;
        other.rep = nullptr;
    }
    return *this;
}

CYolString& CYolString::operator=(const char16_t* text) {
    // Built before the old buffer goes: `text` may point into it.
    Rep* fresh = Rep::Copy(text, TextLength(text, -1));
    Release();
    rep = fresh;
    return *this;
}

std::u16string CYolString::ToU16() const { return std::u16string(c_str(), static_cast<size_t>(Length())); }

int CYolString::Length() const { return rep ? static_cast<int>(rep->length) : 0; }

const char16_t* CYolString::c_str() const { return rep ? rep->Units() : kEmptyText; }

char16_t CYolString::At(int index) const {
    return (rep && index >= 0 && static_cast<uint32_t>(index) < rep->length) ? rep->Units()[index] : 0;
}

unsigned int CYolString::RefCount() const { return rep ? rep->refs.load(std::memory_order_relaxed) : 0; }

CYolString CYolString::Substring(int index, int count) const {
    if (!rep || index < 0 || count <= 0 || int64_t(index) + count > int64_t(rep->length))
        return {};
    if (index == 0 && static_cast<uint32_t>(count) == rep->length)
        return *this;
    return CYolString(Rep::Copy(rep->Units() + index, static_cast<size_t>(count)));
}

int CYolString::Find(int start, const CYolString& what) const {
    if (!rep || !what.rep || start < 0 || static_cast<uint32_t>(start) >= rep->length)
        return -1;
    std::u16string_view hay(rep->Units(), rep->length);
    size_t at = hay.find(std::u16string_view(what.rep->Units(), what.rep->length), static_cast<size_t>(start));
    return at == hay.npos ? -1 : static_cast<int>(at);
}

void CYolString::Remove(const CYolString& what) {
    if (!rep || !what.rep)
        return;
    std::u16string_view text(rep->Units(), rep->length), cut(what.rep->Units(), what.rep->length);
    size_t at = text.find(cut);
    if (at == text.npos)
        return;
    std::u16string kept;
    kept.reserve(text.size());
    size_t from = 0;
    for (; at != text.npos; at = text.find(cut, from)) {
        kept.append(text.substr(from, at - from));
        from = at + cut.size();
    }
    kept.append(text.substr(from));
    Rep* fresh = Rep::Copy(kept.data(), kept.size());
    Release();
    rep = fresh;
}

void CYolString::ToLower() {
    if (!rep)
        return;
    const auto& lower = LowerTable();
    const char16_t* text = rep->Units();
    uint32_t first = 0;
    while (first < rep->length && lower[text[first]] == text[first])
        ++first;
    if (first == rep->length)
        return;
    if (rep->refs.load(std::memory_order_acquire) != 1) {
        Rep* fresh = Rep::Copy(text, rep->length);
        Release();
        rep = fresh;
    }
    char16_t* units = rep->Units();
    for (uint32_t i = first; i < rep->length; ++i)
        units[i] = lower[units[i]];
}

CYolString& CYolString::operator+=(const CYolString& other) {
    if (!other.rep)
        return *this;
    if (!rep)
        return *this = other;
    rep = Rep::Append(rep, other.rep->Units(), other.rep->length);
    return *this;
}

CYolString& CYolString::operator+=(const char16_t* text) {
    rep = Rep::Append(rep, text, TextLength(text, -1));
    return *this;
}

int CYolString::Compare(const CYolString& other) const {
    if (rep == other.rep)
        return 0;
    if (!rep || !other.rep)
        return rep ? 1 : -1;
    const auto& lower = LowerTable();
    const char16_t* a = rep->Units();
    const char16_t* b = other.rep->Units();
    size_t common = std::min(rep->length, other.rep->length);
    for (size_t i = Mismatch(a, b, common); i < common; i += 1 + Mismatch(a + i + 1, b + i + 1, common - i - 1)) {
        char16_t x = lower[a[i]], y = lower[b[i]];
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (rep->length == other.rep->length)
        return 0;
    return rep->length < other.rep->length ? -1 : 1;
}

bool CYolString::operator==(const CYolString& other) const {
    if (rep == other.rep)
        return true;
    if (!rep || !other.rep || rep->length != other.rep->length)
        return false;
    return std::memcmp(rep->Units(), other.rep->Units(), rep->length * sizeof(char16_t)) == 0;
}

bool CYolString::operator==(const char16_t* text) const {
    if (!text || !*text)
        return !rep;
    if (!rep)
        return false;
    // Walk both at once: the text may be far longer than this string, or
    // this string may hold a 0 of its own.
    const char16_t* units = rep->Units();
    for (uint32_t i = 0; i < rep->length; ++i)
        if (text[i] != units[i] || text[i] == 0)
            return false;
    return text[rep->length] == 0;
}

bool CYolString::operator<(const CYolString& other) const {
    if (rep == other.rep || !other.rep)
        return false;
    if (!rep)
        return true;
    size_t common = std::min(rep->length, other.rep->length);
    size_t at = Mismatch(rep->Units(), other.rep->Units(), common);
    if (at < common)
        return rep->Units()[at] < other.rep->Units()[at];
    return rep->length < other.rep->length;
}

// ------------------------------------------------------- raw-text tools

int CYolString::Compare(const char* a, const char* b, int length) {
    return CompareRaw(a, b, length, [](char c) { return c; });
}

int CYolString::Compare(const char16_t* a, const char16_t* b, int length) {
    return CompareRaw(a, b, length, [](char16_t c) { return c; });
}

// 8-bit text may be 1251 or UTF-8, so only ASCII letters fold safely.
int CYolString::Comparei(const char* a, const char* b, int length) { return CompareRaw(a, b, length, FoldAscii); }

int CYolString::Comparei(const char16_t* a, const char16_t* b, int length) {
    const auto& lower = LowerTable();
    return CompareRaw(a, b, length, [&lower](char16_t c) { return lower[c]; });
}

const char16_t* CYolString::Find(const char16_t* text, int length, const char16_t* what, int whatLength, bool fromEnd) {
    return FindRaw(text, length, what, whatLength, fromEnd);
}

const char* CYolString::Find(const char* text, int length, const char* what, int whatLength, bool fromEnd) {
    return FindRaw(text, length, what, whatLength, fromEnd);
}

char16_t* CYolString::ToLow(const char16_t* text, int length) {
    char16_t* copy = DupRaw(text, length);
    if (copy)
        ToLow(copy, length == -1 ? -1 : static_cast<int>(TextLength(text, length)));
    return copy;
}

char* CYolString::ToLow(const char* text, int length) {
    char* copy = DupRaw(text, length);
    if (copy)
        ToLow(copy, length == -1 ? -1 : static_cast<int>(TextLength(text, length)));
    return copy;
}

void CYolString::ToLow(char16_t* text, int length) {
    size_t n = TextLength(text, length);
    const auto& lower = LowerTable();
    for (size_t i = 0; i < n; ++i)
        text[i] = lower[text[i]];
}

void CYolString::ToLow(char* text, int length) {
    size_t n = TextLength(text, length);
    for (size_t i = 0; i < n; ++i)
        text[i] = FoldAscii(text[i]);
}

char16_t* CYolString::Dup(const char16_t* text, int length) { return DupRaw(text, length); }

char* CYolString::Dup(const char* text, int length) { return DupRaw(text, length); }

bool CYolString::IsDigit(char c) { return c >= '0' && c <= '9'; }

bool CYolString::IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool CYolString::IsSpace(char c) { return IsBlank(static_cast<unsigned char>(c)); }

bool CYolString::IsSpace(char16_t c) {
    if (c < 0x80)
        return IsBlank(c);
    locale_t locale = Utf8Locale();
    return locale && !IsHighSurrogate(c) && !IsLowSurrogate(c) && iswspace_l(c, locale);
}

bool CYolString::IsPunct(char c) {
    auto u = static_cast<unsigned char>(c);
    return u > 0x20 && u < 0x7F && !((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z'));
}

bool CYolString::IsPunct(char16_t c) {
    if (c < 0x80)
        return IsPunct(static_cast<char>(c));
    locale_t locale = Utf8Locale();
    return locale && !IsHighSurrogate(c) && !IsLowSurrogate(c) && iswpunct_l(c, locale);
}

char16_t CYolString::ToLowerChar(char16_t c) { return LowerTable()[c]; }

// ---------------------------------------------------------- operator+

CYolString operator+(const CYolString& a, const CYolString& b) {
    if (b.IsEmpty())
        return a;
    if (a.IsEmpty())
        return b;
    return CYolString::Construct(a.c_str(), a.Length(), b.c_str(), b.Length(), nullptr);
}

CYolString operator+(const CYolString& a, const char16_t* b) {
    if (!b || !*b)
        return a;
    return CYolString::Construct(a.c_str(), a.Length(), b, -1, nullptr);
}

CYolString operator+(const char16_t* a, const CYolString& b) {
    if (!a || !*a)
        return b;
    return CYolString::Construct(a, -1, b.c_str(), b.Length(), nullptr);
}
