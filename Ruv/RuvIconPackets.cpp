#include "RuvIconPackets.h"

#include "RuvText.h"

namespace {

bool ReadCounted(CByteReader& reader, std::string& out) {
    unsigned char length = 0;
    const unsigned char* bytes = nullptr;
    if (!reader.Read8(length) || !reader.ReadView(bytes, length))
        return false;
    out.assign(reinterpret_cast<const char*>(bytes), length);
    return true;
}

}  // namespace

size_t CServiceRedirectParser::Unpack(const uint8_t* bytes, size_t size) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0x01, 0x05);
    if (!payload)
        return 0;
    const OscarTlvs tlvs(std::string_view(reinterpret_cast<const char*>(payload->Current()),
                                          static_cast<size_t>(payload->Remaining())));
    const std::string* where = tlvs.Find(0x0005);
    const std::string* key = tlvs.Find(0x0006);
    if (where == nullptr || key == nullptr)
        return 0;
    address = *where;
    cookie = *key;
    if (const std::string* named = tlvs.Find(0x000D); named != nullptr && named->size() >= 2)
        family = tlvs.Word(0x000D);
    return size;
}

void CIconRequestPacket::WritePayload(OscarWriter& out) const {
    // One icon: count 1, icon id 1, flags 1.
    out.ByteString(OscarUtf8(screenName)).U8(0x01).U16(0x0001).U8(0x01).ByteString(hash);
}

size_t CSnacIconReply::Unpack(const uint8_t* bytes, size_t size) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0x10, 0x07);
    if (!payload)
        return 0;
    std::string name;
    std::string asked;
    unsigned short iconLength = 0;
    const unsigned char* data = nullptr;
    // The name, the icon id and flags, the hash that was asked for and
    // four bytes more, then the hash the icon goes by and the icon.
    if (!ReadCounted(*payload, name) || name.empty() || !payload->Skip(3) || !ReadCounted(*payload, asked) ||
        !payload->Skip(4) || !ReadCounted(*payload, hash) || !payload->Read16(iconLength) ||
        !payload->ReadView(data, iconLength))
        return 0;
    screenName = RuvText::FromUtf8(name);
    icon.assign(reinterpret_cast<const char*>(data), iconLength);
    return static_cast<size_t>(payload->Current() - bytes);
}
