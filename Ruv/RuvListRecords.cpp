#include "RuvListRecords.h"

#include "CByteReader.h"

namespace {

std::string_view View(const unsigned char* bytes, size_t length) {
    return {reinterpret_cast<const char*>(bytes), length};
}

bool ReadText(CByteReader& reader, bool wordCount, CYolString& out) {
    unsigned char shortLength = 0;
    unsigned short length = 0;
    if (wordCount ? !reader.Read16(length) : !reader.Read8(shortLength))
        return false;
    if (!wordCount)
        length = shortLength;
    const unsigned char* text = nullptr;
    if (!reader.ReadView(text, length))
        return false;
    out = CYolString::FromUtf8(View(text, length));
    return true;
}

}  // namespace

size_t SsiListBody::Parse(std::string_view body, bool complete) {
    CByteReader reader(reinterpret_cast<const unsigned char*>(body.data()), static_cast<int>(body.size()));
    unsigned char version = 0;
    unsigned short count = 0;
    items.clear();
    changeTime = 0;
    whole = false;
    if (!reader.Read8(version) || !reader.Read16(count))
        return 0;
    for (unsigned short i = 0; i < count; ++i) {
        CSsiItem item;
        unsigned short blockLength = 0;
        const unsigned char* block = nullptr;
        if (!ReadText(reader, true, item.name) || !reader.Read16(item.groupId) || !reader.Read16(item.itemId) ||
            !reader.Read16(item.type) || !reader.Read16(blockLength) || !reader.ReadView(block, blockLength))
            return static_cast<size_t>(reader.Position());
        item.tlvs = OscarTlvs(View(block, blockLength));
        items.push_back(std::move(item));
    }
    const size_t end = static_cast<size_t>(reader.Position()) + 4;
    whole = !complete || reader.Read32(changeTime);
    return end;
}

size_t CSnacRoster::Unpack(const uint8_t* bytes, size_t size) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0, 0);
    if (!payload)
        return 0;
    const size_t start = static_cast<size_t>(payload->Data() - bytes);
    return start + list.Parse(View(payload->Data(), static_cast<size_t>(payload->Length())), LastPart());
}

size_t CSnacSsiAck::Unpack(const uint8_t* bytes, size_t size) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0, 0);
    if (!payload || !payload->Read16(result))
        return 0;
    return static_cast<size_t>(payload->Current() - bytes);
}

size_t CSnacAuthRequest::Unpack(const uint8_t* bytes, size_t size) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0, 0);
    if (!payload || !ReadText(*payload, false, screenName) || !ReadText(*payload, true, reason))
        return 0;
    return static_cast<size_t>(payload->Current() - bytes);
}

size_t CSnacAuthReply::Unpack(const uint8_t* bytes, size_t size) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0, 0);
    unsigned char flag = 0;
    if (!payload || !ReadText(*payload, false, screenName) || !payload->Read8(flag) || !ReadText(*payload, true, reason))
        return 0;
    granted = flag != 0;
    return static_cast<size_t>(payload->Current() - bytes);
}
