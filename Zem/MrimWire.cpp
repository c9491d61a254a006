#include "MrimWire.h"

#include <cstdlib>
#include <cstring>

namespace {

void PutUL(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

uint32_t GetUL(const unsigned char* bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

std::string Converted(const CYolString& text, unsigned int codePage) {
    if (text.IsEmpty())
        return {};
    int length = 0;
    char* bytes = CYolString::Convert(text, codePage, &length);
    if (bytes == nullptr)
        return {};
    std::string out(bytes, static_cast<size_t>(length));
    std::free(bytes);
    return out;
}

}  // namespace

MrimHeader ReadMrimHeader(const unsigned char* bytes) {
    MrimHeader header;
    header.magic = GetUL(bytes);
    header.version = GetUL(bytes + 4);
    header.sequence = GetUL(bytes + 8);
    header.type = GetUL(bytes + 12);
    header.length = GetUL(bytes + 16);
    header.fromAddress = GetUL(bytes + 20);
    header.fromPort = GetUL(bytes + 24);
    return header;
}

std::string BuildMrimPacket(MrimPacketType type, uint32_t sequence, std::string_view body, uint32_t version) {
    std::string packet;
    packet.reserve(Mrim::kHeaderSize + body.size());
    PutUL(packet, Mrim::kMagic);
    PutUL(packet, version);
    PutUL(packet, sequence);
    PutUL(packet, Wire(type));
    PutUL(packet, static_cast<uint32_t>(body.size()));
    PutUL(packet, 0);
    PutUL(packet, 0);
    packet.append(16, '\0');
    packet.append(body);
    return packet;
}

MrimBodyWriter& MrimBodyWriter::UL(uint32_t value) {
    PutUL(bytes, value);
    return *this;
}

MrimBodyWriter& MrimBodyWriter::LPS(std::string_view data) {
    PutUL(bytes, static_cast<uint32_t>(data.size()));
    bytes.append(data);
    return *this;
}

MrimBodyWriter& MrimBodyWriter::LpsUtf8(const CYolString& text) { return LPS(ToUtf8Bytes(text)); }
MrimBodyWriter& MrimBodyWriter::LpsUtf16(const CYolString& text) { return LPS(ToUtf16Bytes(text)); }
MrimBodyWriter& MrimBodyWriter::Lps1251(const CYolString& text) { return LPS(To1251Bytes(text)); }

MrimBodyWriter& MrimBodyWriter::Raw(std::string_view data) {
    bytes.append(data);
    return *this;
}

std::string_view MrimBodyReader::LPS() {
    uint32_t count = 0;
    if (!reader.Read32LE(count))
        return {};
    // A count larger than what is left fails here, before any byte is taken.
    if (count > static_cast<uint32_t>(reader.Remaining())) {
        reader.Skip(reader.Remaining() + 1);
        return {};
    }
    return Bytes(static_cast<int>(count));
}

std::string_view MrimBodyReader::Bytes(int n) {
    const unsigned char* view = nullptr;
    if (!reader.ReadView(view, n) || n == 0)
        return {};
    return {reinterpret_cast<const char*>(view), static_cast<size_t>(n)};
}

std::string_view MrimBodyReader::Rest() { return Bytes(reader.Remaining()); }

CYolString MrimBodyReader::LpsUtf8() { return FromUtf8Bytes(LPS()); }
CYolString MrimBodyReader::LpsUtf16() { return FromUtf16Bytes(LPS()); }
CYolString MrimBodyReader::Lps1251() { return From1251Bytes(LPS()); }

std::string ToUtf8Bytes(const CYolString& text) { return text.ToUtf8(); }
std::string ToUtf16Bytes(const CYolString& text) {
    std::string out;
    out.reserve(2 * static_cast<size_t>(text.Length()));
    for (int i = 0; i < text.Length(); ++i) {
        char16_t unit = text.At(i);
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    }
    return out;
}
std::string To1251Bytes(const CYolString& text) { return Converted(text, YOL_CP_1251); }

CYolString FromUtf16Bytes(std::string_view bytes) {
    return bytes.empty() ? CYolString() : CYolString(bytes.data(), static_cast<int>(bytes.size()), YOL_CP_UTF16LE);
}
CYolString From1251Bytes(std::string_view bytes) {
    return bytes.empty() ? CYolString() : CYolString(bytes.data(), static_cast<int>(bytes.size()), YOL_CP_1251);
}
CYolString FromUtf8Bytes(std::string_view bytes) { return CYolString::FromUtf8(bytes); }
