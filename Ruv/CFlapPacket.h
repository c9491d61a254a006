#pragma once
// CFlapPacket and CSnacPacket: the two headers every OSCAR frame starts
// with, and the base of every packet class the plug-in builds or reads.
//
// Outgoing classes write their payload through OscarWriter; Serialize sizes
// the frame from what was written, so no packet is cut short or padded, and a
// payload that a 16-bit length cannot count is refused (empty result) rather
// than sent with a wrong length. Incoming classes read through Unpack, which
// never reads past the bytes it is given.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CYolString;

// Big-endian building of a payload. Strings longer than their count field
// can hold mark the writer failed instead of wrapping the count.
class OscarWriter {
public:
    OscarWriter& U8(uint8_t value);
    OscarWriter& U16(uint16_t value);
    OscarWriter& U32(uint32_t value);
    OscarWriter& Bytes(std::string_view bytes);
    OscarWriter& Tlv(uint16_t type, std::string_view value);
    OscarWriter& Tlv16(uint16_t type, uint16_t value);
    OscarWriter& Tlv32(uint16_t type, uint32_t value);
    // One count byte / two count bytes, then the bytes.
    OscarWriter& ByteString(std::string_view bytes);
    OscarWriter& WordString(std::string_view bytes);
    bool Failed() const { return failed; }
    const std::string& Data() const { return data; }
    std::string Take() { return std::move(data); }

private:
    std::string data;
    bool failed = false;
};

// Text as the wire carries it: UTF-8, or the device's code page (1251).
std::string OscarUtf8(const CYolString& text);
std::string OscarAnsi(const CYolString& text);

class CFlapPacket {
public:
    static constexpr uint8_t kStart = 0x2A;
    static constexpr size_t kHeaderSize = 6;
    static constexpr size_t kMaxData = 0xFFFF;

    CFlapPacket() = default;
    CFlapPacket(uint8_t channel, uint16_t sequence, uint16_t length = 0)
        : channel(channel), sequence(sequence), length(length) {}
    virtual ~CFlapPacket() = default;

    // The whole frame; empty when the payload does not fit a frame.
    virtual std::string Serialize() const;
    // Reads the frame header: 6, or 0 when fewer than 6 bytes are given or
    // the first is not the start marker.
    virtual size_t Unpack(const uint8_t* bytes, size_t size);

    uint8_t channel = 0;
    uint16_t sequence = 0;
    uint16_t length = 0;

protected:
    virtual void WritePayload(OscarWriter&) const {}
    // Frames `body` (everything after the FLAP header) under this header.
    std::string Frame(const OscarWriter& body) const;
};

class CSnacPacket : public CFlapPacket {
public:
    static constexpr size_t kHeaderSize = 16;

    CSnacPacket() = default;
    CSnacPacket(uint16_t sequence, uint16_t family, uint16_t subtype, uint32_t requestId, uint16_t flags = 0)
        : CFlapPacket(2, sequence), family(family), subtype(subtype), flags(flags), requestId(requestId) {}

    std::string Serialize() const override;
    // Reads both headers; answers where the payload starts (16, or 18 + m
    // past an extension block), 0 when the headers or the block do not fit.
    size_t Unpack(const uint8_t* bytes, size_t size) override;

    uint16_t family = 0;
    uint16_t subtype = 0;
    uint16_t flags = 0;
    uint32_t requestId = 0;
};

// The frame sequence rule: 0x8000 is followed by 0, any other number by
// itself + 1.
constexpr uint32_t NextFlapSequence(uint32_t current) { return current >= 0x8000 ? 0 : current + 1; }
// The base a new connection numbers from, derived from a random r: r with
// its low three bits replaced by those of r minus the sum of r's right
// shifts by 3, 6, ..., plus 2.
uint32_t FlapSequenceBase(uint32_t r);
