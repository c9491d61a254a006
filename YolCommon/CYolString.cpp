// CYolString: shared UTF-16 text and the raw-buffer helpers around it.
//
// One allocation per text: an 8-byte header (atomic holder count, length in
// units) followed by length + 1 units, the last one 0. The empty text never
// owns a buffer. Only a sole holder may change a buffer in place; everyone
// else builds a new one, so copies never see each other's edits.

#include "CYolString.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <iconv.h>
#include <locale.h>
#include <malloc.h>
#include <memory>
#include <new>
#include <stdexcept>

struct CYolString::Rep {
    std::atomic<uint32_t> refs;
    uint32_t length;

    char16_t* Units() { return reinterpret_cast<char16_t*>(this + 1); }

    // Large enough for any text a messenger handles, small enough that byte
    // sizes stay far from overflowing an int.
    static constexpr size_t kMaxLength = (INT_MAX / 2) - 64;

    static size_t BytesFor(size_t length) { return sizeof(Rep) + (length + 1) * sizeof(char16_t); }

    // A fresh buffer of `length` units (their content left to the caller)
    // held once; null for length 0.
    static Rep* Make(size_t length) {
        if (length == 0)
            return nullptr;
        if (length > kMaxLength)
            throw std::length_error("CYolString: text too long");
        void* block = std::malloc(BytesFor(length));
        if (!block)
            throw std::bad_alloc();
        Rep* rep = new (block) Rep;
        rep->refs.store(1, std::memory_order_relaxed);
        rep->length = static_cast<uint32_t>(length);
        rep->Units()[length] = 0;
        return rep;
    }

    static Rep* Copy(const char16_t* text, size_t length) {
        Rep* rep = Make(length);
        if (rep)
            std::memcpy(rep->Units(), text, length * sizeof(char16_t));
        return rep;
    }

    // Cuts a buffer that this code alone holds down to `length` units (the
    // decoders allocate for the worst case first).
    static Rep* Shrink(Rep* rep, size_t length) {
        if (!rep)
            return nullptr;
        if (length == 0) {
            std::free(rep);
            return nullptr;
        }
        if (length < rep->length) {
            if (void* smaller = std::realloc(rep, BytesFor(length)))
                rep = static_cast<Rep*>(smaller);
            rep->length = static_cast<uint32_t>(length);
            rep->Units()[length] = 0;
        }
        return rep;
    }

    static void Unref(Rep* rep) {
        if (rep && rep->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
            std::free(rep);
    }

    bool Contains(const char16_t* p) {
        auto first = reinterpret_cast<uintptr_t>(Units());
        auto at = reinterpret_cast<uintptr_t>(p);
        return at >= first && at <= first + length * sizeof(char16_t);
    }

    // Appends to the text of `rep` (whose one reference the caller hands
    // over) and answers the buffer that now holds the result. A sole holder
    // grows in place with room to spare, so appending in a loop stays linear.
    static Rep* Append(Rep* rep, const char16_t* text, size_t count) {
        if (count == 0)
            return rep;
        if (!rep)
            return Copy(text, count);
        size_t total = size_t(rep->length) + count;
        if (total > kMaxLength)
            throw std::length_error("CYolString: text too long");
        if (rep->refs.load(std::memory_order_acquire) == 1 && !rep->Contains(text)) {
            if (malloc_usable_size(rep) < BytesFor(total)) {
                size_t roomy = std::min(kMaxLength, std::max(total, size_t(rep->length) + rep->length / 2 + 8));
                void* bigger = std::realloc(rep, BytesFor(roomy));
                if (!bigger)
                    throw std::bad_alloc();
                rep = static_cast<Rep*>(bigger);
            }
            std::memcpy(rep->Units() + rep->length, text, count * sizeof(char16_t));
            rep->length = static_cast<uint32_t>(total);
            rep->Units()[total] = 0;
            return rep;
        }
        Rep* fresh = Make(total);
        std::memcpy(fresh->Units(), rep->Units(), rep->length * sizeof(char16_t));
        std::memcpy(fresh->Units() + rep->length, text, count * sizeof(char16_t));
        Unref(rep);
        return fresh;
    }
};

namespace {

constexpr char16_t kEmptyText[1] = {0};
constexpr char16_t kReplacement = 0xFFFD;

// ---------------------------------------------------------------- lengths

template <typename C>
size_t TextLength(const C* text, int length) {
    if (!text || length < -1)
        return 0;
    if (length == -1)
        return std::char_traits<C>::length(text);
    return static_cast<size_t>(length);
}

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

bool IsBlank(unsigned c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexValue(unsigned c) {
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    return -1;
}

// ------------------------------------------------------------- Windows-1251

// The upper half of Windows-1251; 0x98 has no character.
constexpr char16_t k1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

struct ReverseEntry {
    char16_t unit;
    unsigned char byte;
};

// Characters of the upper half outside the Cyrillic letters block, sorted
// for a binary search when encoding.
constexpr auto k1251Reverse = [] {
    std::array<ReverseEntry, 64> entries{};
    size_t n = 0;
    for (unsigned i = 0; i < 64; ++i)
        if (k1251High[i] != kReplacement)
            entries[n++] = {k1251High[i], static_cast<unsigned char>(0x80 + i)};
    for (size_t i = n; i < entries.size(); ++i)
        entries[i] = {0xFFFF, '?'};
    std::sort(entries.begin(), entries.end(), [](const ReverseEntry& a, const ReverseEntry& b) { return a.unit < b.unit; });
    return entries;
}();

unsigned char Encode1251Unit(char16_t c) {
    if (c < 0x80)
        return static_cast<unsigned char>(c);
    if (c >= 0x410 && c <= 0x44F)
        return static_cast<unsigned char>(c - 0x350);
    auto it = std::lower_bound(k1251Reverse.begin(), k1251Reverse.end(), c,
                               [](const ReverseEntry& e, char16_t u) { return e.unit < u; });
    return (it != k1251Reverse.end() && it->unit == c) ? it->byte : static_cast<unsigned char>('?');
}

size_t Decode1251(const unsigned char* in, size_t n, char16_t* out) {
    for (size_t i = 0; i < n; ++i)
        out[i] = in[i] < 0x80 ? in[i] : k1251High[in[i] - 0x80];
    return n;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// One "?" per character that 1251 cannot hold, a surrogate pair included.
size_t Encode1251(const char16_t* in, size_t n, char* out) {
    size_t o = 0;
    for (size_t i = 0; i < n; ++i) {
        if (IsHighSurrogate(in[i]) && i + 1 < n && IsLowSurrogate(in[i + 1]))
            ++i;
        out[o++] = static_cast<char>(Encode1251Unit(IsHighSurrogate(in[i]) || IsLowSurrogate(in[i]) ? 0xFFFD : in[i]));
    }
    return o;
}

// ------------------------------------------------------------------- UTF-8

bool AllAscii(const unsigned char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ULL) == 0;
}

// Each maximal ill-formed subsequence becomes one U+FFFD, as the Unicode
// standard recommends. Never writes more units than there are bytes.
size_t DecodeUtf8(const unsigned char* in, size_t n, char16_t* out) {
    char16_t* o = out;
    size_t i = 0;
    while (i < n) {
        unsigned lead = in[i];
        if (lead < 0x80) {
            if (i + 8 <= n && AllAscii(in + i)) {
                for (int k = 0; k < 8; ++k)
                    o[k] = in[i + k];
                o += 8;
                i += 8;
            } else {
                *o++ = static_cast<char16_t>(lead);
                ++i;
            }
            continue;
        }
        ++i;
        // Cyrillic and most other alphabets: two bytes, checked in one go.
        if (lead >= 0xC2 && lead <= 0xDF && i < n && (in[i] & 0xC0) == 0x80) {
            *o++ = static_cast<char16_t>(((lead & 0x1F) << 6) | (in[i++] & 0x3F));
            continue;
        }
        int trail;
        uint32_t cp;
        unsigned low = 0x80, high = 0xBF;  // the range of the next byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            trail = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            trail = 2;
            cp = lead & 0x0F;
            if (lead == 0xE0)
                low = 0xA0;  // no overlong forms
            else if (lead == 0xED)
                high = 0x9F;  // no encoded surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            trail = 3;
            cp = lead & 0x07;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;  // nothing past U+10FFFF
        } else {
            *o++ = kReplacement;
            continue;
        }
        int got = 0;
        while (got < trail && i < n && in[i] >= low && in[i] <= high) {
            cp = (cp << 6) | (in[i++] & 0x3F);
            low = 0x80;
            high = 0xBF;
            ++got;
        }
        if (got < trail) {
            *o++ = kReplacement;  // the offending byte starts the next round
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *o++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *o++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *o++ = static_cast<char16_t>(cp);
        }
    }
    return static_cast<size_t>(o - out);
}

// At most 3 bytes per unit; a lone surrogate becomes U+FFFD's bytes.
size_t EncodeUtf8(const char16_t* in, size_t n, char* out) {
    auto* o = reinterpret_cast<unsigned char*>(out);
    size_t i = 0;
    while (i < n) {
        uint32_t c = in[i++];
        if (c < 0x80) {
            *o++ = static_cast<unsigned char>(c);
            continue;
        }
        if (c < 0x800) {
            *o++ = static_cast<unsigned char>(0xC0 | (c >> 6));
            *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && i < n && IsLowSurrogate(in[i])) {
                uint32_t cp = 0x10000 + ((c - 0xD800) << 10) + (in[i++] - 0xDC00u);
                *o++ = static_cast<unsigned char>(0xF0 | (cp >> 18));
                *o++ = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
                *o++ = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
                *o++ = static_cast<unsigned char>(0x80 | (cp & 0x3F));
                continue;
            }
            c = kReplacement;
        }
        *o++ = static_cast<unsigned char>(0xE0 | (c >> 12));
        *o++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    }
    return static_cast<size_t>(o - reinterpret_cast<unsigned char*>(out));
}

// ---------------------------------------------------------------- UTF-16LE

size_t DecodeUtf16Le(const unsigned char* in, size_t n, char16_t* out) {
    size_t units = n / 2;
    for (size_t i = 0; i < units; ++i)
        out[i] = static_cast<char16_t>(in[2 * i] | (in[2 * i + 1] << 8));
    return units;
}

size_t EncodeUtf16Le(const char16_t* in, size_t n, char* out) {
    for (size_t i = 0; i < n; ++i) {
        out[2 * i] = static_cast<char>(in[i] & 0xFF);
        out[2 * i + 1] = static_cast<char>(in[i] >> 8);
    }
    return 2 * n;
}

// ------------------------------------------------- other code pages: iconv

constexpr const char* kHostUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

struct CodePageName {
    unsigned int codePage;
    const char* name;
};

// Windows code page numbers whose iconv name is not simply "CP<number>".
constexpr CodePageName kCodePageNames[] = {
    {1200, "UTF-16LE"},     {1201, "UTF-16BE"},    {12000, "UTF-32LE"},   {12001, "UTF-32BE"},
    {20127, "ASCII"},       {20866, "KOI8-R"},     {21866, "KOI8-U"},     {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"},  {28593, "ISO-8859-3"}, {28594, "ISO-8859-4"}, {28595, "ISO-8859-5"},
    {28596, "ISO-8859-6"},  {28597, "ISO-8859-7"}, {28598, "ISO-8859-8"}, {28599, "ISO-8859-9"},
    {28603, "ISO-8859-13"}, {28605, "ISO-8859-15"}, {65000, "UTF-7"},     {936, "GBK"},
    {950, "BIG5"},          {51932, "EUC-JP"},     {51949, "EUC-KR"},
};

std::string IconvName(unsigned int codePage) {
    for (const auto& entry : kCodePageNames)
        if (entry.codePage == codePage)
            return entry.name;
    return "CP" + std::to_string(codePage);
}

// One open descriptor per thread and direction, reused while the code page
// stays the same: opening one costs far more than a short conversion.
class IconvSlot {
public:
    ~IconvSlot() { Close(); }
    iconv_t Get(unsigned int codePage, bool toWide) {
        if (cd != iconv_t(-1) && codePage == cachedPage) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            return cd;
        }
        Close();
        std::string name = IconvName(codePage);
        cd = toWide ? iconv_open(kHostUtf16, name.c_str()) : iconv_open(name.c_str(), kHostUtf16);
        cachedPage = codePage;
        return cd;
    }

private:
    void Close() {
        if (cd != iconv_t(-1))
            iconv_close(cd);
        cd = iconv_t(-1);
    }
    iconv_t cd = iconv_t(-1);
    unsigned int cachedPage = 0;
};

thread_local IconvSlot tDecodeSlot;
thread_local IconvSlot tEncodeSlot;

// Runs iconv over the whole input; `onBadInput` appends a substitute and
// answers how many input bytes to skip. Answers false when the code page is
// unknown.
template <typename Out, typename OnBad>
bool RunIconv(iconv_t cd, const char* in, size_t n, Out& out, OnBad onBadInput) {
    if (cd == iconv_t(-1))
        return false;
    char chunk[4096];
    char* src = const_cast<char*>(in);
    size_t left = n;
    bool flushing = false;
    for (;;) {
        char* dst = chunk;
        size_t room = sizeof chunk;
        size_t r = flushing ? iconv(cd, nullptr, nullptr, &dst, &room) : iconv(cd, &src, &left, &dst, &room);
        int error = errno;
        out.Put(chunk, static_cast<size_t>(dst - chunk));
        if (r != size_t(-1)) {
            if (flushing)
                return true;
            flushing = true;  // emit any pending shift sequence
            continue;
        }
        if (error == E2BIG)
            continue;
        if (error == EILSEQ || error == EINVAL) {
            size_t skip = std::min(left, onBadInput(out, src, left));
            src += skip;
            left -= skip;
            if (error == EINVAL || left == 0)
                flushing = true;
            continue;
        }
        return true;
    }
}

struct UnitSink {
    std::u16string text;
    void Put(const char* bytes, size_t n) {
        size_t at = text.size();
        text.resize(at + n / 2);
        std::memcpy(text.data() + at, bytes, (n / 2) * 2);
    }
};

struct ByteSink {
    std::string bytes;
    void Put(const char* p, size_t n) { bytes.append(p, n); }
};

std::u16string DecodeIconv(const char* in, size_t n, unsigned int codePage, bool& ok) {
    UnitSink sink;
    ok = RunIconv(tDecodeSlot.Get(codePage, true), in, n, sink, [](UnitSink& s, const char*, size_t) {
        s.text.push_back(kReplacement);
        return size_t(1);
    });
    return std::move(sink.text);
}

std::string EncodeIconv(const char16_t* in, size_t n, unsigned int codePage, bool& ok) {
    ByteSink sink;
    ok = RunIconv(tEncodeSlot.Get(codePage, false), reinterpret_cast<const char*>(in), n * 2, sink,
                  [](ByteSink& s, const char* at, size_t left) {
                      s.bytes.push_back('?');
                      char16_t unit[2] = {0, 0};
                      std::memcpy(unit, at, std::min<size_t>(left, 4) & ~size_t(1));
                      bool pair = left >= 4 && IsHighSurrogate(unit[0]) && IsLowSurrogate(unit[1]);
                      return size_t(pair ? 4 : 2);
                  });
    return std::move(sink.bytes);
}

// ------------------------------------------------------ code page dispatch

enum class Codec { Utf8, Cp1251, Utf16Le, Iconv };

Codec CodecFor(unsigned int codePage) {
    switch (codePage) {
    case YOL_CP_ACP:
    case YOL_CP_1251:
        return Codec::Cp1251;
    case YOL_CP_UTF8:
        return Codec::Utf8;
    case YOL_CP_UTF16LE:
        return Codec::Utf16Le;
    default:
        return Codec::Iconv;
    }
}

size_t UnitsFor(const char* text, int length, unsigned int codePage) {
    if (CodecFor(codePage) != Codec::Utf16Le || length != -1 || !text)
        return TextLength(text, length);
    // Raw UTF-16 given without a length ends at its first 0 unit.
    size_t n = 0;
    while (text[n] != 0 || text[n + 1] != 0)
        n += 2;
    return n;
}

// ------------------------------------------------------------------ numbers

// Digits in radix 10 or 16 (lower case), padded; `false` when the padded
// text and its terminator exceed `size`.
template <typename C>
bool WriteNumber(C* out, int& size, unsigned int value, bool hex, int width) {
    char digits[16];
    int count = 0;
    unsigned radix = hex ? 16 : 10;
    do {
        digits[count++] = "0123456789abcdef"[value % radix];
        value /= radix;
    } while (value);
    int64_t total = std::max<int64_t>(width, count);
    if (!out || size < 0 || total + 1 > size)
        return false;
    int64_t pad = total - count;
    for (int64_t i = 0; i < pad; ++i)
        out[i] = '0';
    for (int i = 0; i < count; ++i)
        out[pad + i] = static_cast<C>(digits[count - 1 - i]);
    out[total] = 0;
    size = static_cast<int>(total);
    return true;
}

// The number at the start of the text; `parsed` tells whether any digit was
// read. Decimal follows the 32-bit atol: blanks, a sign, digits; values past
// the 32-bit long range stick at LONG_MIN / LONG_MAX, and a negative value is
// answered in its unsigned 32-bit form. Reading stops at the first character
// that does not fit, so a 0 ends it even when the limit is larger.
template <typename C>
unsigned int ParseNumber(const C* text, int length, bool hex, bool& parsed) {
    parsed = false;
    if (!text || length < -1)
        return 0;
    size_t limit = length == -1 ? SIZE_MAX : static_cast<size_t>(length);
    size_t i = 0;
    auto at = [&](size_t k) { return static_cast<unsigned>(static_cast<std::make_unsigned_t<C>>(text[k])); };
    while (i < limit && IsBlank(at(i)))
        ++i;
    if (hex) {
        unsigned int value = 0;
        for (int digits = 0; digits < 8 && i < limit && HexValue(at(i)) >= 0; ++digits, ++i) {
            value = (value << 4) | static_cast<unsigned>(HexValue(at(i)));
            parsed = true;
        }
        return value;
    }
    bool negative = false;
    if (i < limit && (at(i) == '+' || at(i) == '-'))
        negative = at(i++) == '-';
    int64_t value = 0;
    for (; i < limit && at(i) >= '0' && at(i) <= '9'; ++i) {
        value = std::min<int64_t>(value * 10 + (at(i) - '0'), int64_t(INT32_MAX) + 1);
        parsed = true;
    }
    if (negative)
        value = -value;
    value = std::clamp<int64_t>(value, INT32_MIN, INT32_MAX);
    return static_cast<unsigned int>(static_cast<int32_t>(value));
}

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

// The (pointer, length) pairs of a Construct call after the first one end
// with a null pointer. Each walk takes its own copy of the argument list.
template <typename C>
uint64_t PiecesLength(const C* first, int firstLength, va_list args) {
    uint64_t total = TextLength(first, firstLength);
    while (const C* next = va_arg(args, const C*))
        total += TextLength(next, va_arg(args, int));
    return total;
}

template <typename C>
void CopyPieces(C* out, const C* first, int firstLength, va_list args) {
    size_t n = TextLength(first, firstLength);
    std::memcpy(out, first, n * sizeof(C));
    out += n;
    while (const C* next = va_arg(args, const C*)) {
        n = TextLength(next, va_arg(args, int));
        std::memcpy(out, next, n * sizeof(C));
        out += n;
    }
}

// ------------------------------------------------------------------ Base64

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr auto kBase64Values = [] {
    std::array<signed char, 128> values{};
    values.fill(-1);
    for (int i = 0; i < 64; ++i)
        values[static_cast<unsigned char>(kBase64Alphabet[i])] = static_cast<signed char>(i);
    return values;
}();

char* EncodeBase64(const unsigned char* data, size_t n, int& length) {
    length = 0;
    if (!data || n == 0)
        return nullptr;
    size_t outLength = (n + 2) / 3 * 4;
    if (outLength >= size_t(INT_MAX))
        return nullptr;
    char* out = static_cast<char*>(std::malloc(outLength + 1));
    if (!out)
        return nullptr;
    char* o = out;
    size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        uint32_t group = (uint32_t(data[i]) << 16) | (uint32_t(data[i + 1]) << 8) | data[i + 2];
        *o++ = kBase64Alphabet[group >> 18];
        *o++ = kBase64Alphabet[(group >> 12) & 0x3F];
        *o++ = kBase64Alphabet[(group >> 6) & 0x3F];
        *o++ = kBase64Alphabet[group & 0x3F];
    }
    if (size_t rest = n - i) {
        uint32_t group = (uint32_t(data[i]) << 16) | (rest == 2 ? uint32_t(data[i + 1]) << 8 : 0);
        *o++ = kBase64Alphabet[group >> 18];
        *o++ = kBase64Alphabet[(group >> 12) & 0x3F];
        *o++ = rest == 2 ? kBase64Alphabet[(group >> 6) & 0x3F] : '=';
        *o++ = '=';
    }
    *o = 0;
    length = static_cast<int>(outLength);
    return out;
}

// Strict decoding of untrusted text: only the alphabet, CR and LF, padding
// only at the end of the last group, and no partial group.
template <typename C>
char* DecodeBase64(const C* text, int& length) {
    length = 0;
    size_t n = TextLength(text, -1);
    if (n == 0)
        return nullptr;
    auto* out = static_cast<unsigned char*>(std::malloc(n / 4 * 3 + 1));
    if (!out)
        return nullptr;
    size_t o = 0;
    uint32_t group = 0;
    int filled = 0, padding = 0;
    bool ended = false;
    for (size_t i = 0; i < n; ++i) {
        unsigned c = static_cast<std::make_unsigned_t<C>>(text[i]);
        if (c == '\r' || c == '\n')
            continue;
        int value = c < 128 ? kBase64Values[c] : -1;
        bool bad = ended || (c == '=' ? filled < 2 : (value < 0 || padding > 0));
        if (bad) {
            std::free(out);
            return nullptr;
        }
        if (c == '=') {
            ++padding;
            value = 0;
        }
        group = (group << 6) | static_cast<uint32_t>(value);
        if (++filled == 4) {
            unsigned char bytes[3] = {static_cast<unsigned char>(group >> 16), static_cast<unsigned char>(group >> 8),
                                      static_cast<unsigned char>(group)};
            for (int k = 0; k < 3 - padding; ++k)
                out[o++] = bytes[k];
            ended = padding > 0;
            filled = 0;
            group = 0;
        }
    }
    if (filled != 0 || o == 0) {
        std::free(out);
        return nullptr;
    }
    out[o] = 0;
    if (void* fitted = std::realloc(out, o + 1))
        out = static_cast<unsigned char*>(fitted);
    length = static_cast<int>(o);
    return reinterpret_cast<char*>(out);
}

// --------------------------------------------------------------------- XML

struct Entity {
    std::u16string_view text;
    char16_t unit;
};

constexpr Entity kEntities[] = {
    {u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&apos;", u'\''}, {u"&quot;", u'"'},
};

std::u16string_view EntityFor(char16_t c) {
    for (const auto& e : kEntities)
        if (e.unit == c)
            return e.text;
    return {};
}

// Reads "&#NNN;" or "&#xHH;" at the start of `text`; answers its length and
// the code point, or 0 when it is no valid character reference.
size_t NumericReference(std::u16string_view text, uint32_t& codePoint) {
    if (text.size() < 4 || text[1] != u'#')
        return 0;
    bool hex = text[2] == u'x';
    size_t i = hex ? 3 : 2;
    size_t firstDigit = i;
    uint32_t value = 0;
    for (; i < text.size(); ++i) {
        int digit = hex ? HexValue(text[i]) : (text[i] >= u'0' && text[i] <= u'9' ? text[i] - u'0' : -1);
        if (digit < 0)
            break;
        value = std::min<uint32_t>(value * (hex ? 16 : 10) + static_cast<uint32_t>(digit), 0x110000);
    }
    if (i == firstDigit || i >= text.size() || text[i] != u';')
        return 0;
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    codePoint = value;
    return i + 1;
}

}  // namespace

// ============================================================ CYolString

CYolString::CYolString(const CYolString& other) : rep(other.rep) {
    if (rep)
        rep->refs.fetch_add(1, std::memory_order_relaxed);
}

CYolString::CYolString(CYolString&& other) noexcept : rep(other.rep) { other.rep = nullptr; }

CYolString::CYolString(const char16_t* text, int length) : rep(Rep::Copy(text, TextLength(text, length))) {}

CYolString::CYolString(const char* text, int length, unsigned int codePage) {
    size_t n = UnitsFor(text, length, codePage);
    if (n == 0)
        return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    switch (CodecFor(codePage)) {
    case Codec::Utf8:
        rep = Rep::Make(n);
        rep = Rep::Shrink(rep, DecodeUtf8(bytes, n, rep->Units()));
        return;
    case Codec::Cp1251:
        rep = Rep::Make(n);
        Decode1251(bytes, n, rep->Units());
        return;
    case Codec::Utf16Le:
        rep = Rep::Make(n / 2);
        if (rep)
            DecodeUtf16Le(bytes, n, rep->Units());
        return;
    case Codec::Iconv: {
        bool ok = false;
        std::u16string units = DecodeIconv(text, n, codePage, ok);
        rep = Rep::Copy(units.data(), units.size());
        return;
    }
    }
}

CYolString::CYolString(unsigned int value, bool hex, unsigned char width) {
    char16_t digits[300];
    int size = static_cast<int>(std::size(digits));
    if (Tow(digits, size, value, hex, width))
        rep = Rep::Copy(digits, static_cast<size_t>(size));
}

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

CYolString CYolString::FromUtf8(std::string_view text) {
    if (text.size() > Rep::kMaxLength)
        throw std::length_error("CYolString: text too long");
    return CYolString(text.data(), static_cast<int>(text.size()), YOL_CP_UTF8);
}

std::string CYolString::ToUtf8() const {
    std::string out;
    if (!rep)
        return out;
    out.resize(size_t(rep->length) * 3);
    out.resize(EncodeUtf8(rep->Units(), rep->length, out.data()));
    return out;
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

unsigned int CYolString::Uint(bool hex) const {
    bool parsed;
    return ParseNumber(c_str(), Length(), hex, parsed);
}

unsigned int CYolString::Uint(bool hex, unsigned int fallback) const {
    bool parsed;
    unsigned int value = ParseNumber(c_str(), Length(), hex, parsed);
    return parsed ? value : fallback;
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

// ---------------------------------------------------------- conversions

char* CYolString::Convert(const char16_t* text, int length, unsigned int codePage, int* outLength) {
    if (outLength)
        *outLength = 0;
    size_t n = TextLength(text, length);
    if (n == 0 || n > Rep::kMaxLength)
        return nullptr;
    Codec codec = CodecFor(codePage);
    if (codec == Codec::Iconv) {
        bool ok = false;
        std::string bytes = EncodeIconv(text, n, codePage, ok);
        if (!ok || bytes.empty())
            return nullptr;
        char* out = static_cast<char*>(std::malloc(bytes.size() + 2));
        if (!out)
            return nullptr;
        std::memcpy(out, bytes.data(), bytes.size());
        out[bytes.size()] = out[bytes.size() + 1] = 0;  // wide code pages end in a 0 unit
        if (outLength)
            *outLength = static_cast<int>(bytes.size());
        return out;
    }
    static constexpr size_t kWorstBytes[] = {3, 1, 2};  // per unit: UTF-8, 1251, UTF-16LE
    size_t worst = kWorstBytes[static_cast<int>(codec)] * n;
    char* out = static_cast<char*>(std::malloc(worst + 2));
    if (!out)
        return nullptr;
    size_t written = codec == Codec::Utf8     ? EncodeUtf8(text, n, out)
                     : codec == Codec::Cp1251 ? Encode1251(text, n, out)
                                              : EncodeUtf16Le(text, n, out);
    out[written] = out[written + 1] = 0;
    if (written + 2 < worst + 2) {
        if (char* fitted = static_cast<char*>(std::realloc(out, written + 2)))
            out = fitted;
    }
    if (outLength)
        *outLength = static_cast<int>(written);
    return out;
}

char* CYolString::Convert(const CYolString& text, unsigned int codePage, int* outLength) {
    return Convert(text.c_str(), text.Length(), codePage, outLength);
}

// ------------------------------------------------------------- Base64

char* CYolString::Base64Encode(const char* data, int& length) {
    size_t n = TextLength(data, length);
    return EncodeBase64(reinterpret_cast<const unsigned char*>(data), n, length);
}

char* CYolString::Base64Encode(const char16_t* data, int& length) {
    int utf8Length = 0;
    char* utf8 = Convert(data, length, YOL_CP_UTF8, &utf8Length);
    char* out = EncodeBase64(reinterpret_cast<const unsigned char*>(utf8), static_cast<size_t>(utf8Length), length);
    std::free(utf8);
    return out;
}

char* CYolString::Base64Decode(const char* text, int& length) { return DecodeBase64(text, length); }

char* CYolString::Base64Decode(const char16_t* text, int& length) { return DecodeBase64(text, length); }

// ------------------------------------------------------------ numbers

char* CYolString::ToHex(const unsigned char* data, int length) {
    size_t n = TextLength(reinterpret_cast<const char*>(data), length);
    if (n == 0 || n > size_t(INT_MAX / 2 - 1))
        return nullptr;
    char* out = static_cast<char*>(std::malloc(2 * n + 1));
    if (!out)
        return nullptr;
    static constexpr char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < n; ++i) {
        out[2 * i] = kDigits[data[i] >> 4];
        out[2 * i + 1] = kDigits[data[i] & 0x0F];
    }
    out[2 * n] = 0;
    return out;
}

bool CYolString::Toa(char* out, int& length, unsigned int value, bool hex, int width) {
    return WriteNumber(out, length, value, hex, width);
}

bool CYolString::Tow(char16_t* out, int& length, unsigned int value, bool hex, int width) {
    return WriteNumber(out, length, value, hex, width);
}

unsigned int CYolString::Toi(const char* text, int length, bool hex) {
    bool parsed;
    return ParseNumber(text, length, hex, parsed);
}

unsigned int CYolString::Toi(const char16_t* text, int length, bool hex) {
    bool parsed;
    return ParseNumber(text, length, hex, parsed);
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

// ------------------------------------------------------------ building

CYolString CYolString::Construct(const char16_t* first, int firstLength, ...) {
    if (!first)
        return {};
    va_list args, again;
    va_start(args, firstLength);
    va_copy(again, args);
    uint64_t total = PiecesLength(first, firstLength, args);
    va_end(args);
    Rep* rep = nullptr;
    if (total > Rep::kMaxLength) {
        va_end(again);
        throw std::length_error("CYolString: text too long");
    }
    if (total > 0) {
        rep = Rep::Make(static_cast<size_t>(total));
        CopyPieces(rep->Units(), first, firstLength, again);
    }
    va_end(again);
    return CYolString(rep);
}

char* CYolString::Construct(const char* first, int firstLength, ...) {
    if (!first)
        return nullptr;
    va_list args, again;
    va_start(args, firstLength);
    va_copy(again, args);
    uint64_t total = PiecesLength(first, firstLength, args);
    va_end(args);
    char* out = nullptr;
    if (total > 0 && total < uint64_t(INT_MAX))
        out = static_cast<char*>(std::malloc(static_cast<size_t>(total) + 1));
    if (out) {
        CopyPieces(out, first, firstLength, again);
        out[total] = 0;
    }
    va_end(again);
    return out;
}

CYolString CYolString::FromIP(unsigned int address) {
    char16_t text[16];
    size_t n = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (shift != 24)
            text[n++] = u'.';
        int room = static_cast<int>(std::size(text) - n);
        Tow(text + n, room, (address >> shift) & 0xFF, false, 0);
        n += static_cast<size_t>(room);
    }
    return CYolString(text, static_cast<int>(n));
}

// ----------------------------------------------------------------- XML

CYolString CYolString::XmlEncode(const CYolString& text) {
    size_t extra = 0;
    const char16_t* units = text.c_str();
    size_t n = static_cast<size_t>(text.Length());
    for (size_t i = 0; i < n; ++i)
        extra += EntityFor(units[i]).size() - (EntityFor(units[i]).empty() ? 0 : 1);
    if (extra == 0)
        return text;
    if (n + extra > Rep::kMaxLength)
        throw std::length_error("CYolString: text too long");
    Rep* rep = Rep::Make(n + extra);
    char16_t* o = rep->Units();
    for (size_t i = 0; i < n; ++i) {
        std::u16string_view entity = EntityFor(units[i]);
        if (entity.empty()) {
            *o++ = units[i];
        } else {
            std::memcpy(o, entity.data(), entity.size() * sizeof(char16_t));
            o += entity.size();
        }
    }
    return CYolString(rep);
}

CYolString CYolString::XmlDecode(const CYolString& text) {
    std::u16string_view in(text.c_str(), static_cast<size_t>(text.Length()));
    size_t amp = in.find(u'&');
    if (amp == in.npos)
        return text;
    // Every entity and reference is at least as long as what it stands for.
    Rep* rep = Rep::Make(in.size());
    char16_t* out = rep->Units();
    std::memcpy(out, in.data(), amp * sizeof(char16_t));
    size_t o = amp;
    for (size_t i = amp; i < in.size();) {
        if (in[i] != u'&') {
            out[o++] = in[i++];
            continue;
        }
        std::u16string_view rest = in.substr(i);
        const Entity* named = nullptr;
        for (const auto& e : kEntities)
            if (rest.starts_with(e.text))
                named = &e;
        if (named) {
            out[o++] = named->unit;
            i += named->text.size();
            continue;
        }
        uint32_t cp = 0;
        if (size_t used = NumericReference(rest, cp)) {
            if (cp >= 0x10000) {
                out[o++] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
                out[o++] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                out[o++] = static_cast<char16_t>(cp);
            }
            i += used;
            continue;
        }
        // A broken "&#" reference stays as written; any other stray
        // ampersand is dropped.
        if (rest.size() > 1 && rest[1] == u'#')
            out[o++] = u'&';
        ++i;
    }
    return Adopt(Rep::Shrink(rep, o));
}

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
