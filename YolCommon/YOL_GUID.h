#pragma once
// The 128-bit identifier of services, events channels, protocols and account
// kinds. Passed by value between the program and its plug-ins, so its 16
// bytes in memory are its exchanged form: a 32-bit field stored
// little-endian, two 16-bit fields, then 8 bytes in text order.

#include "YolTypes.h"

#include <bit>
#include <cstring>
#include <functional>
#include <type_traits>

class CYolString;

struct YOL_API YOL_GUID {
    uint32_t Data1 = 0;
    uint16_t Data2 = 0;
    uint16_t Data3 = 0;
    uint8_t Data4[8] = {};

    constexpr YOL_GUID() = default;
    constexpr YOL_GUID(uint32_t d1, uint16_t d2, uint16_t d3, uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3,
                       uint8_t b4, uint8_t b5, uint8_t b6, uint8_t b7)
        : Data1(d1), Data2(d2), Data3(d3), Data4{b0, b1, b2, b3, b4, b5, b6, b7} {}

    // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case digits.
    CYolString GetString() const;

    // Takes exactly the 38-character braced form, digits of either case. Any
    // other text leaves the identifier as it was and answers false: a
    // half-read identifier would name some other service.
    bool SetString(const CYolString& text);
    bool SetString(const char16_t* text, int length);

    bool operator==(const YOL_GUID& other) const { return std::memcmp(this, &other, sizeof(YOL_GUID)) == 0; }
    bool operator!=(const YOL_GUID& other) const { return !(*this == other); }
    // Byte order in memory, not text order: the low byte of the first field
    // compares first. Sorted tables keyed by identifier rely on this.
    bool operator<(const YOL_GUID& other) const { return std::memcmp(this, &other, sizeof(YOL_GUID)) < 0; }
};

static_assert(sizeof(YOL_GUID) == 16, "YOL_GUID is exchanged as 16 bytes");
static_assert(std::is_standard_layout_v<YOL_GUID> && std::is_trivially_copyable_v<YOL_GUID>);
static_assert(std::endian::native == std::endian::little,
              "YOL_GUID ordering and layout assume a little-endian host");

template <>
struct std::hash<YOL_GUID> {
    size_t operator()(const YOL_GUID& id) const noexcept {
        uint64_t halves[2];
        std::memcpy(halves, &id, sizeof halves);
        return std::hash<uint64_t>()(halves[0] ^ (halves[1] * 0x9E3779B97F4A7C15ull));
    }
};
