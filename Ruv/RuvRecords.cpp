#include "RuvRecords.h"

#include "CByteReader.h"

namespace {

size_t Offset(const CByteReader& reader, const uint8_t* frame) {
    return static_cast<size_t>(reader.Current() - frame);
}

std::string_view Rest(const CByteReader& reader) {
    return {reinterpret_cast<const char*>(reader.Current()), static_cast<size_t>(reader.Remaining())};
}

}  // namespace

std::optional<CByteReader> OscarSnacPayload(CSnacPacket& snac, const uint8_t* bytes, size_t size, uint16_t family,
                                            uint16_t subtype) {
    size_t start = snac.CSnacPacket::Unpack(bytes, size);
    if (start == 0)
        return std::nullopt;
    if (family != 0 && (snac.family != family || (subtype != 0 && snac.subtype != subtype)))
        return std::nullopt;
    size_t end = std::min(size, CFlapPacket::kHeaderSize + snac.length);
    if (start > end)
        return std::nullopt;
    return CByteReader(bytes + start, static_cast<int>(end - start));
}


OscarTlvs::OscarTlvs(std::string_view bytes) {
    CByteReader reader(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    unsigned short type = 0;
    unsigned short length = 0;
    const unsigned char* value = nullptr;
    while (reader.Read16(type) && reader.Read16(length) && reader.ReadView(value, length)) {
        items.emplace_back(type, std::string(reinterpret_cast<const char*>(value), length));
        consumed = static_cast<size_t>(reader.Position());
    }
}

const std::string* OscarTlvs::Find(uint16_t type) const {
    for (const auto& [t, value] : items)
        if (t == type)
            return &value;
    return nullptr;
}

uint16_t OscarTlvs::Word(uint16_t type) const {
    const std::string* value = Find(type);
    if (!value || value->size() < 2)
        return 0;
    return static_cast<uint16_t>(static_cast<uint8_t>((*value)[0]) << 8 | static_cast<uint8_t>((*value)[1]));
}

void OscarTlvs::Set(uint16_t type, std::string value) {
    for (auto& [t, stored] : items) {
        if (t == type) {
            stored = std::move(value);
            return;
        }
    }
    Append(type, std::move(value));
}

bool OscarTlvs::RemoveFirst(uint16_t type) {
    for (auto it = items.begin(); it != items.end(); ++it) {
        if (it->first == type) {
            items.erase(it);
            return true;
        }
    }
    return false;
}

std::string OscarTlvs::Bytes() const {
    OscarWriter out;
    for (const auto& [type, value] : items)
        out.Tlv(type, value);
    return out.Take();
}

size_t OscarTlvs::ByteSize() const {
    size_t size = 0;
    for (const auto& item : items)
        size += 4 + item.second.size();
    return size;
}

int LoginErrorStringId(uint16_t code) {
    if (code >= 1 && code <= 30)
        return 110 + code;
    if (code == 32)
        return 141;
    if (code == 34)
        return 142;
    return 0;
}

bool IsServerHello(const uint8_t* frame, size_t size) {
    CFlapPacket header;
    if (header.Unpack(frame, size) == 0 || header.length != 4 || size < 10)
        return false;
    return frame[6] == 0 && frame[7] == 0 && frame[8] == 0 && frame[9] == 1;
}

size_t CRuvClosePacket::Unpack(const uint8_t* bytes, size_t size) {
    if (CFlapPacket::Unpack(bytes, size) == 0 || channel != 4)
        return 0;
    size_t end = std::min(size, kHeaderSize + length);
    tlvs = OscarTlvs({reinterpret_cast<const char*>(bytes) + kHeaderSize, end - kHeaderSize});
    return kHeaderSize + tlvs.Consumed();
}

size_t CSnacLoginReply::Unpack(const uint8_t* bytes, size_t size) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0, 0);
    if (!payload)
        return 0;
    OscarTlvs tlvs(Rest(*payload));
    int found = 0;
    if (const std::string* name = tlvs.Find(0x0001)) {
        screenName = CYolString::FromUtf8(*name);
        ++found;
    }
    if (const std::string* address = tlvs.Find(0x0005)) {
        ++found;
        std::string_view text(*address);
        size_t colon = text.find(':');
        host = CYolString::FromUtf8(text.substr(0, colon));
        port = 0;
        if (colon != std::string_view::npos)
            for (char c : text.substr(colon + 1)) {
                if (c < '0' || c > '9' || port > 65535)
                    break;
                port = port * 10 + static_cast<uint32_t>(c - '0');
            }
    }
    if (const std::string* value = tlvs.Find(0x0006)) {
        cookie = *value;
        ++found;
    }
    errorCode = found < 3 ? tlvs.Word(0x0008) : 0;
    return Offset(*payload, bytes) + tlvs.Consumed();
}

size_t CSnacAuthKeyReply::Unpack(const uint8_t* bytes, size_t size) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0x17, 0x07);
    unsigned short length = 0;
    const unsigned char* value = nullptr;
    if (!payload || !payload->Read16(length) || !payload->ReadView(value, length))
        return 0;
    key.assign(reinterpret_cast<const char*>(value), length);
    return Offset(*payload, bytes);
}

size_t CSnacServerFamilies::Unpack(const uint8_t* bytes, size_t size) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0x01, 0x03);
    if (!payload)
        return 0;
    unsigned short family = 0;
    while (payload->Remaining() >= 2 && payload->Read16(family))
        families.push_back(family);
    return Offset(*payload, bytes);
}

size_t CSnacServiceVersions::Unpack(const uint8_t* bytes, size_t size) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0x01, 0x18);
    if (!payload)
        return 0;
    unsigned short family = 0;
    unsigned short version = 0;
    while (payload->Remaining() >= 4 && payload->Read16(family) && payload->Read16(version))
        versions.emplace_back(family, version);
    return Offset(*payload, bytes);
}

size_t CSnacRateInfo::Unpack(const uint8_t* bytes, size_t size) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0x01, 0x07);
    unsigned short count = 0;
    if (!payload || !payload->Read16(count) || payload->Remaining() < 35 * static_cast<int>(count))
        return 0;
    std::vector<TRateClass> read(count);
    for (TRateClass& rate : read) {
        payload->Read16(rate.classId);
        for (uint32_t& value : rate.values)
            payload->Read32(value);
        payload->Read8(rate.state);
    }
    for (TRateClass& rate : read) {
        unsigned short pairs = 0;
        if (!payload->Read16(rate.groupId) || !payload->Read16(pairs) || payload->Remaining() < 4 * int{pairs})
            return 0;
        rate.snacs.resize(pairs);
        for (uint32_t& snac : rate.snacs)
            payload->Read32(snac);
    }
    if (payload->Failed())
        return 0;
    classes = std::move(read);
    return Offset(*payload, bytes);
}

size_t CSnacOwnInfo::Unpack(const uint8_t* bytes, size_t size) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0x01, 0x0F);
    unsigned char nameLength = 0;
    const unsigned char* name = nullptr;
    if (!payload || !payload->Read8(nameLength) || !payload->ReadView(name, nameLength) || !payload->Skip(4))
        return 0;
    screenName = CYolString::FromUtf8({reinterpret_cast<const char*>(name), nameLength});
    size_t start = Offset(*payload, bytes);
    tlvs = OscarTlvs(Rest(*payload));
    return start;
}

std::optional<uint16_t> CSnacOwnInfo::StatusWord() const {
    const std::string* value = tlvs.Find(0x0006);
    if (!value || value->size() < 4)
        return std::nullopt;
    return static_cast<uint16_t>(static_cast<uint8_t>((*value)[2]) << 8 | static_cast<uint8_t>((*value)[3]));
}
