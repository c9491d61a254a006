#include "YOL_GUID.h"

#include "CYolString.h"

namespace {

// '#' stands for one hexadecimal digit; every other character must match.
constexpr char kPattern[] = "{########-####-####-####-############}";
constexpr int kTextLength = sizeof(kPattern) - 1;
static_assert(kTextLength == 38);

constexpr char16_t kUpperDigits[] = u"0123456789ABCDEF";

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// The 16 bytes in text order: the three numeric fields most significant
// digit first, then the eight bytes as they stand.
void ToTextOrder(const YOL_GUID& id, uint8_t out[16]) {
    for (int i = 0; i < 4; ++i)
        out[i] = uint8_t(id.Data1 >> (24 - 8 * i));
    out[4] = uint8_t(id.Data2 >> 8);
    out[5] = uint8_t(id.Data2);
    out[6] = uint8_t(id.Data3 >> 8);
    out[7] = uint8_t(id.Data3);
    std::memcpy(out + 8, id.Data4, 8);
}

YOL_GUID FromTextOrder(const uint8_t in[16]) {
    YOL_GUID id;
    id.Data1 = uint32_t(in[0]) << 24 | uint32_t(in[1]) << 16 | uint32_t(in[2]) << 8 | in[3];
    id.Data2 = uint16_t(in[4] << 8 | in[5]);
    id.Data3 = uint16_t(in[6] << 8 | in[7]);
    std::memcpy(id.Data4, in + 8, 8);
    return id;
}

} // namespace

CYolString YOL_GUID::GetString() const {
    uint8_t bytes[16];
    ToTextOrder(*this, bytes);
    char16_t text[kTextLength];
    int digit = 0;
    for (int i = 0; i < kTextLength; ++i) {
        if (kPattern[i] != '#') {
            text[i] = char16_t(kPattern[i]);
            continue;
        }
        uint8_t b = bytes[digit / 2];
        text[i] = kUpperDigits[digit % 2 == 0 ? b >> 4 : b & 0x0F];
        ++digit;
    }
    return CYolString(text, kTextLength);
}

bool YOL_GUID::SetString(const CYolString& text) {
    return SetString(text.c_str(), text.Length());
}

bool YOL_GUID::SetString(const char16_t* text, int length) {
    if (text == nullptr || length != kTextLength)
        return false;
    uint8_t bytes[16] = {};
    int digit = 0;
    for (int i = 0; i < kTextLength; ++i) {
        if (kPattern[i] != '#') {
            if (text[i] != char16_t(kPattern[i]))
                return false;
            continue;
        }
        int v = HexValue(text[i]);
        if (v < 0)
            return false;
        bytes[digit / 2] = uint8_t(bytes[digit / 2] << 4 | v);
        ++digit;
    }
    *this = FromTextOrder(bytes);
    return true;
}
