#pragma once
// CYolString: the one text type of the system. UTF-16 code units (char16_t) in
// a shared, reference-counted buffer; a mutation builds a new buffer whenever
// another holder shares it, so other holders keep their text. All empty
// strings hold no buffer at all. The holder count is atomic, so copies may
// live on different threads; one CYolString object itself is not guarded.
// Comparisons never change their operands.
//
// Static helpers that return a buffer return a malloc block owned by the
// caller (free it with free). A length of -1 means "up to the terminating 0";
// a null pointer counts as length 0.

#include "CYolArray.h"
#include "CYolPair.h"
#include "YolTypes.h"

#include <string>
#include <string_view>

class YOL_API CYolString {
public:
    CYolString() = default;
    CYolString(const CYolString& other);
    CYolString(CYolString&& other) noexcept;
    CYolString(const char16_t* text, int length = -1);
    // Never fails on bad input: invalid UTF-8 and the unassigned 1251 byte
    // 0x98 become U+FFFD. YOL_CP_UTF16LE takes raw units, two bytes each (an
    // odd last byte is dropped); with length -1 it reads up to a 0 unit.
    CYolString(const char* text, int length, unsigned int codePage);
    // The number as text, decimal or lower-case hexadecimal, left-padded with
    // "0" to `width` characters.
    CYolString(unsigned int value, bool hex, unsigned char width = 0);
    ~CYolString();

    CYolString& operator=(const CYolString& other);
    CYolString& operator=(CYolString&& other) noexcept;
    CYolString& operator=(const char16_t* text);

    // Convenience for our own code and tests: UTF-8 in, UTF-8 out.
    static CYolString FromUtf8(std::string_view text);
    std::string ToUtf8() const;
    // The bytes ToUtf8 answers, counted or written at `out` (room for
    // Utf8Length() bytes, no terminator added) without an allocation, for
    // packers that size a buffer first. WriteUtf8 answers the count.
    size_t Utf8Length() const;
    size_t WriteUtf8(char* out) const;
    std::u16string ToU16() const;

    int Length() const;
    bool IsEmpty() const { return rep == nullptr; }
    // Never null: the empty string gives a pointer to a 0.
    const char16_t* c_str() const;
    // The unit at index; 0 outside [0, Length()).
    char16_t At(int index) const;

    // Exactly `count` units from `index`; an empty string when the range does
    // not lie within the text.
    CYolString Substring(int index, int count) const;
    unsigned int Uint(bool hex) const;
    // As Uint, but `fallback` when the text does not start with a number.
    unsigned int Uint(bool hex, unsigned int fallback) const;
    // First occurrence of `what` at or after `start`, or -1 (also for an empty
    // side or a start outside the text).
    int Find(int start, const CYolString& what) const;
    // Removes every non-overlapping occurrence, left to right.
    void Remove(const CYolString& what);
    void ToLower();

    CYolString& operator+=(const CYolString& other);
    CYolString& operator+=(const char16_t* text);

    // Case-insensitive over the shorter length, then the shorter string first:
    // -1, 0 or 1.
    int Compare(const CYolString& other) const;

    bool operator==(const CYolString& other) const;
    bool operator==(const char16_t* text) const;
    bool operator!=(const CYolString& other) const { return !(*this == other); }
    bool operator!=(const char16_t* text) const { return !(*this == text); }
    bool operator<(const CYolString& other) const;
    bool operator<=(const CYolString& other) const { return !(other < *this); }
    bool operator>(const CYolString& other) const { return other < *this; }
    bool operator>=(const CYolString& other) const { return !(*this < other); }

    // True when both hold the same shared buffer (tests and diagnostics).
    bool SharesBufferWith(const CYolString& other) const { return rep == other.rep; }
    unsigned int RefCount() const;

    // --- static helpers on raw buffers ---------------------------------

    // Wide text to a new 0-terminated 8-bit buffer in `codePage`
    // (YOL_CP_UTF16LE copies the units raw, 2 bytes each). Null on empty input
    // or failure. `outLength`, when given, receives the byte count without
    // the terminator.
    // Code pages 0 and 1251 are Windows-1251 (a character it lacks becomes
    // "?"); 65001 is UTF-8 (a lone surrogate becomes U+FFFD); other numbers
    // go through iconv. The buffer ends in two 0 bytes, so a wide result is
    // terminated too.
    [[nodiscard]] static char* Convert(const char16_t* text, int length, unsigned int codePage, int* outLength = nullptr);
    [[nodiscard]] static char* Convert(const CYolString& text, unsigned int codePage, int* outLength = nullptr);

    // Base64, standard alphabet with "=" padding, no line breaks. `length` is
    // the input length (-1 allowed) and receives the output length. The wide
    // encoder encodes the UTF-8 bytes of the text.
    [[nodiscard]] static char* Base64Encode(const char* data, int& length);
    [[nodiscard]] static char* Base64Encode(const char16_t* data, int& length);
    // Decoding skips CR and LF and rejects any other character outside the
    // alphabet, misplaced padding or a trailing partial group: null with
    // length 0. `text` is read up to its terminating 0 (`length` is output
    // only). The result is 0-terminated; `length` receives the byte count.
    [[nodiscard]] static char* Base64Decode(const char* text, int& length);
    [[nodiscard]] static char* Base64Decode(const char16_t* text, int& length);

    // Two lower-case hexadecimal digits per byte, 0-terminated.
    [[nodiscard]] static char* ToHex(const unsigned char* data, int length);

    // The number in radix 16 (lower case) or 10, left-padded with "0" to
    // `width`. `length` holds the buffer size in characters on entry and the
    // number of characters written on return; false (nothing written) when
    // the digits, the padding and the terminator do not fit.
    static bool Toa(char* out, int& length, unsigned int value, bool hex, int width);
    static bool Tow(char16_t* out, int& length, unsigned int value, bool hex, int width);

    // Hex: up to 8 hexadecimal digits, either case (0 when none). Decimal:
    // leading blanks and a sign, then digits; a negative value gives its
    // unsigned form; past the 32-bit range it sticks at 0x7fffffff or
    // 0x80000000, as a 32-bit atol does. Reads at most `length` characters
    // (-1: to the 0).
    static unsigned int Toi(const char* text, int length, bool hex = false);
    static unsigned int Toi(const char16_t* text, int length, bool hex = false);

    // length -1: whole-text comparison; otherwise over at most `length`
    // units. A null pointer counts as the empty text, so it sorts before any
    // other text. -1, 0 or 1, by unsigned unit. Comparei folds case (the
    // 8-bit form only ASCII letters, as 8-bit text may be 1251 or UTF-8).
    static int Compare(const char* a, const char* b, int length);
    static int Compare(const char16_t* a, const char16_t* b, int length);
    static int Comparei(const char* a, const char* b, int length);
    static int Comparei(const char16_t* a, const char16_t* b, int length);

    // First (or, fromEnd, last) occurrence of `what` within text[0, length);
    // null when absent or when `what` is empty or longer than the text.
    static const char16_t* Find(const char16_t* text, int length, const char16_t* what, int whatLength, bool fromEnd);
    static const char* Find(const char* text, int length, const char* what, int whatLength, bool fromEnd);

    // Lower-cased / plain 0-terminated copies; null for empty input.
    [[nodiscard]] static char16_t* ToLow(const char16_t* text, int length);
    [[nodiscard]] static char* ToLow(const char* text, int length);
    [[nodiscard]] static char16_t* Dup(const char16_t* text, int length);
    [[nodiscard]] static char* Dup(const char* text, int length);
    // Lower-cases a writable buffer in place (the 8-bit form ASCII only).
    static void ToLow(char16_t* text, int length);
    static void ToLow(char* text, int length);

    // Locale-independent character classes.
    static bool IsDigit(char c);
    static bool IsDigit(char16_t c);
    static bool IsSpace(char c);
    static bool IsSpace(char16_t c);
    static bool IsPunct(char c);
    static bool IsPunct(char16_t c);
    static char16_t ToLowerChar(char16_t c);

    // Concatenation of (pointer, length) pairs; the variadic list holds
    // further (const char16_t*, int) / (const char*, int) pairs and ends with
    // nullptr (a pointer, never a plain 0). A length of -1 counts to the
    // piece's 0, any other negative length counts as empty.
    static CYolString Construct(const char16_t* first, int firstLength, ...);
    [[nodiscard]] static char* Construct(const char* first, int firstLength, ...);

    // Dotted form of an IPv4 address held first octet in the top byte.
    static CYolString FromIP(unsigned int address);

    // Escapes " & ' < > as entities; decoding also takes numeric character
    // references (&#NNN; and &#xHH;) in one pass; an unknown entity's
    // ampersand is dropped, while a "&#" that is no valid reference stays as
    // written.
    static CYolString XmlEncode(const CYolString& text);
    static CYolString XmlDecode(const CYolString& text);

private:
    struct Rep;
    explicit CYolString(Rep* adopted) : rep(adopted) {}
    static Rep* Allocate(int length);
    static CYolString Adopt(Rep* rep);
    void Release();

    Rep* rep = nullptr;
};

YOL_API CYolString operator+(const CYolString& a, const CYolString& b);
YOL_API CYolString operator+(const CYolString& a, const char16_t* b);
YOL_API CYolString operator+(const char16_t* a, const CYolString& b);

// A message template with named parameters "<name>", localizable: the
// localized template replaces the default one when set.
class YOL_API CYolFormatString {
public:
    CYolFormatString();
    CYolFormatString(const CYolString& templ);
    CYolFormatString(const CYolFormatString& other);
    ~CYolFormatString();
    CYolFormatString& operator=(const CYolFormatString& other);
    // Sets the default template, clears the localized one and the parameters.
    CYolFormatString& operator=(const CYolString& templ);

    void AddParam(const CYolString& name, const CYolString& value);
    const CYolArray<CYolPair<CYolString, CYolString>>& GetParams() const { return params; }
    const CYolString& GetDefault() const { return defaultTemplate; }
    void SetLocalized(const CYolString& text) const { localizedTemplate = text; }
    // The template (localized if set, else the default) with each parameter's
    // first tag replaced by its value, in one pass over the template: text
    // that a value brings in is never substituted again.
    void GetLocalized(CYolString& out) const;
    CYolString GetLocalized() const;

private:
    CYolString defaultTemplate;
    mutable CYolString localizedTemplate;
    CYolArray<CYolPair<CYolString, CYolString>> params;
};
