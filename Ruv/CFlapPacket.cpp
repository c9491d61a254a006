#include "CFlapPacket.h"

#include "CYolString.h"

#include <cstdlib>
#include <memory>

OscarWriter& OscarWriter::U8(uint8_t value) {
    data.push_back(static_cast<char>(value));
    return *this;
}

OscarWriter& OscarWriter::U16(uint16_t value) { return U8(static_cast<uint8_t>(value >> 8)).U8(static_cast<uint8_t>(value)); }

OscarWriter& OscarWriter::U32(uint32_t value) {
    return U16(static_cast<uint16_t>(value >> 16)).U16(static_cast<uint16_t>(value));
}

OscarWriter& OscarWriter::Bytes(std::string_view bytes) {
    data.append(bytes);
    return *this;
}

OscarWriter& OscarWriter::WordString(std::string_view bytes) {
    if (bytes.size() > 0xFFFF) {
        failed = true;
        return *this;
    }
    return U16(static_cast<uint16_t>(bytes.size())).Bytes(bytes);
}

OscarWriter& OscarWriter::ByteString(std::string_view bytes) {
    if (bytes.size() > 0xFF) {
        failed = true;
        return *this;
    }
    return U8(static_cast<uint8_t>(bytes.size())).Bytes(bytes);
}

OscarWriter& OscarWriter::Tlv(uint16_t type, std::string_view value) { return U16(type).WordString(value); }

OscarWriter& OscarWriter::Tlv16(uint16_t type, uint16_t value) { return U16(type).U16(2).U16(value); }

OscarWriter& OscarWriter::Tlv32(uint16_t type, uint32_t value) { return U16(type).U16(4).U32(value); }

namespace {

std::string Converted(const CYolString& text, unsigned int codePage) {
    int length = 0;
    // The buffer is malloc'd by the conversion.
    std::unique_ptr<char, decltype(&std::free)> bytes(text.IsEmpty() ? nullptr
                                                                      : CYolString::Convert(text, codePage, &length),
                                                     &std::free);
    return bytes && length > 0 ? std::string(bytes.get(), static_cast<size_t>(length)) : std::string();
}

}  // namespace

std::string OscarUtf8(const CYolString& text) { return text.ToUtf8(); }

std::string OscarAnsi(const CYolString& text) { return Converted(text, 1251); }

std::string CFlapPacket::Frame(const OscarWriter& body) const {
    if (body.Failed() || body.Data().size() > kMaxData)
        return {};
    OscarWriter frame;
    frame.U8(kStart).U8(channel).U16(sequence).U16(static_cast<uint16_t>(body.Data().size())).Bytes(body.Data());
    return frame.Take();
}

std::string CFlapPacket::Serialize() const {
    OscarWriter body;
    WritePayload(body);
    return Frame(body);
}

size_t CFlapPacket::Unpack(const uint8_t* bytes, size_t size) {
    if (bytes == nullptr || size < kHeaderSize || bytes[0] != kStart)
        return 0;
    channel = bytes[1];
    sequence = static_cast<uint16_t>(bytes[2] << 8 | bytes[3]);
    length = static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
    return kHeaderSize;
}

std::string CSnacPacket::Serialize() const {
    OscarWriter body;
    body.U16(family).U16(subtype).U16(flags).U32(requestId);
    WritePayload(body);
    return Frame(body);
}

size_t CSnacPacket::Unpack(const uint8_t* bytes, size_t size) {
    if (CFlapPacket::Unpack(bytes, size) == 0 || size < kHeaderSize)
        return 0;
    auto word = [bytes](size_t at) { return static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]); };
    family = word(6);
    subtype = word(8);
    flags = word(10);
    requestId = static_cast<uint32_t>(word(12)) << 16 | word(14);
    if ((flags & 0x8000) == 0)
        return kHeaderSize;
    if (size < kHeaderSize + 2)
        return 0;
    size_t block = word(16);
    if (size < kHeaderSize + 2 + block)
        return 0;
    return kHeaderSize + 2 + block;
}

uint32_t FlapSequenceBase(uint32_t r) {
    r &= 0x7FFF;
    uint32_t sum = 0;
    for (uint32_t shifted = r; shifted != 0; shifted >>= 3)
        sum += shifted;
    return (((((r - sum) ^ r) & 7) ^ r) + 2) & 0xFFFF;
}
