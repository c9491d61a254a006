#pragma once
// Frames of the meta service (15/03) for the OSCAR tests, written field by
// field: little-endian numbers, texts with their NUL, and the header every
// reply starts with.

#include "RuvMetaRecords.h"
#include "RuvTestSupport.h"

#include <string>

namespace RuvTest::MetaFrames {

inline constexpr uint32_t kOwn = 100200;    // 68 87 01 00
inline constexpr uint32_t kOther = 100300;  // cc 87 01 00

// A meta text: length with its NUL, the code page bytes, the NUL.
inline std::string Text(std::string_view hex) {
    const std::string bytes = RuvTest::Bytes(hex);
    std::string out{static_cast<char>(bytes.size() + 1), 0};
    return out + bytes + '\0';
}
inline std::string Le16(uint16_t value) { return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)}; }
inline std::string Le32(uint32_t value) { return Le16(static_cast<uint16_t>(value)) + Le16(static_cast<uint16_t>(value >> 16)); }

// A whole 15/03 frame around meta data of `type`; `tlvLength` overrides the
// TLV's length (a lie about the bytes that follow).
inline std::string Reply(uint16_t type, const std::string& data, uint16_t flags = 0, uint16_t sequence = 0x0102,
                  int tlvLength = -1) {
    const std::string meta = Le16(static_cast<uint16_t>(data.size() + 8)) + Le32(kOwn) + Le16(type) + Le16(sequence) + data;
    const auto length = static_cast<uint16_t>(tlvLength < 0 ? meta.size() : tlvLength);
    const std::string tlv = std::string{0, 1, static_cast<char>(length >> 8), static_cast<char>(length)} + meta;
    return RuvTest::Snac(0x15, 0x03, tlv, flags);
}
inline std::string Info(uint16_t subtype, uint8_t result, const std::string& fields, uint16_t flags = 0,
                        uint16_t sequence = 0x0102) {
    return Reply(RuvMeta::kInfoReply, Le16(subtype) + static_cast<char>(result) + fields, flags, sequence);
}

}  // namespace RuvTest::MetaFrames
