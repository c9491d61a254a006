// CYolString and code pages: Windows-1251 (the default 8-bit page) and UTF-8
// by table and by hand, raw UTF-16LE, and iconv for every other page.

#include "CYolStringRep.h"

#include <array>
#include <bit>
#include <cerrno>
#include <iconv.h>
#include <string_view>

using namespace YolStringDetail;

namespace {

constexpr char16_t kReplacement = 0xFFFD;

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

}  // namespace

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

// Three bytes for every unit from 0x800 up, a lone surrogate too (it is
// written as U+FFFD); a surrogate pair takes four for its two units.
size_t CYolString::Utf8Length() const {
    if (!rep)
        return 0;
    const char16_t* units = rep->Units();
    size_t n = rep->length;
    size_t total = n;
    for (size_t i = 0; i < n; ++i) {
        char16_t c = units[i];
        if (c < 0x80)
            continue;
        total += c < 0x800 ? 1 : 2;
        if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(units[i + 1]))
            ++i;
    }
    return total;
}

size_t CYolString::WriteUtf8(char* out) const { return rep ? EncodeUtf8(rep->Units(), rep->length, out) : 0; }

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
