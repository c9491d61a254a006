// CYolString and text forms: numbers in and out, hexadecimal, Base64, XML
// escaping, building from pieces and dotted IPv4 addresses.

#include "CYolStringRep.h"
#include "YolHex.h"

#include <array>
#include <cstdarg>
#include <cstdint>
#include <string_view>
#include <type_traits>

using namespace YolStringDetail;

namespace {

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
        for (int digits = 0; digits < 8 && i < limit && YolHexDigitValue(at(i)) >= 0; ++digits, ++i) {
            value = (value << 4) | static_cast<unsigned>(YolHexDigitValue(at(i)));
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

// ---------------------------------------------------------------- building

// The (pointer, length) pairs of a Construct call; those after the first
// come from the argument list and end with a null pointer. Measuring walks
// the caller's list, which the caller may end right after; copying walks a
// copy of it taken first.
template <typename C>
class Pieces {
public:
    Pieces(const C* first, int firstLength, va_list args) : first(first), firstLength(firstLength) {
        va_copy(rest, args);
        total = TextLength(first, firstLength);
        while (const C* next = va_arg(args, const C*))
            total += TextLength(next, va_arg(args, int));
    }
    ~Pieces() { va_end(rest); }
    Pieces(const Pieces&) = delete;
    Pieces& operator=(const Pieces&) = delete;

    uint64_t Total() const { return total; }

    // Writes Total() units at out; call it once.
    void CopyTo(C* out) {
        size_t n = TextLength(first, firstLength);
        std::memcpy(out, first, n * sizeof(C));
        out += n;
        while (const C* next = va_arg(rest, const C*)) {
            n = TextLength(next, va_arg(rest, int));
            std::memcpy(out, next, n * sizeof(C));
            out += n;
        }
    }

private:
    const C* first;
    int firstLength;
    va_list rest;
    uint64_t total;
};

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
        int digit = hex ? YolHexDigitValue(text[i]) : (text[i] >= u'0' && text[i] <= u'9' ? text[i] - u'0' : -1);
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

CYolString::CYolString(unsigned int value, bool hex, unsigned char width) {
    char16_t digits[300];
    int size = static_cast<int>(std::size(digits));
    if (Tow(digits, size, value, hex, width))
        rep = Rep::Copy(digits, static_cast<size_t>(size));
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

// ------------------------------------------------------------ building

CYolString CYolString::Construct(const char16_t* first, int firstLength, ...) {
    if (!first)
        return {};
    va_list args;
    va_start(args, firstLength);
    Pieces<char16_t> pieces(first, firstLength, args);
    va_end(args);
    if (pieces.Total() > Rep::kMaxLength)
        throw std::length_error("CYolString: text too long");
    Rep* rep = Rep::Make(static_cast<size_t>(pieces.Total()));
    if (rep)
        pieces.CopyTo(rep->Units());
    return CYolString(rep);
}

char* CYolString::Construct(const char* first, int firstLength, ...) {
    if (!first)
        return nullptr;
    va_list args;
    va_start(args, firstLength);
    Pieces<char> pieces(first, firstLength, args);
    va_end(args);
    uint64_t total = pieces.Total();
    char* out = nullptr;
    if (total > 0 && total < uint64_t(INT_MAX))
        out = static_cast<char*>(std::malloc(static_cast<size_t>(total) + 1));
    if (out) {
        pieces.CopyTo(out);
        out[total] = 0;
    }
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
