#include "RuvMetaPackets.h"

#include <cstdlib>

// Lengths are cast to 16 bits as they go in: a text too long for its count
// also makes the whole meta value too long for TLV 1, which refuses the
// packet before any of it is sent.

RuvMetaWriter& RuvMetaWriter::U8(uint8_t value) {
    data.push_back(static_cast<char>(value));
    return *this;
}

RuvMetaWriter& RuvMetaWriter::U16(uint16_t value) { return U8(static_cast<uint8_t>(value)).U8(value >> 8); }

RuvMetaWriter& RuvMetaWriter::U32(uint32_t value) {
    return U16(static_cast<uint16_t>(value)).U16(static_cast<uint16_t>(value >> 16));
}

RuvMetaWriter& RuvMetaWriter::Bytes(std::string_view bytes) {
    data.append(bytes);
    return *this;
}

RuvMetaWriter& RuvMetaWriter::Tlv(uint16_t type, std::string_view value) {
    return U16(type).U16(static_cast<uint16_t>(value.size())).Bytes(value);
}

RuvMetaWriter& RuvMetaWriter::TextTlv(uint16_t type, std::string_view text) {
    return U16(type).U16(static_cast<uint16_t>(text.size() + 3)).U16(static_cast<uint16_t>(text.size() + 1))
        .Bytes(text)
        .U8(0);
}

RuvMetaWriter& RuvMetaWriter::CategoryTlv(uint16_t type, uint16_t category, std::string_view keyword) {
    return U16(type)
        .U16(static_cast<uint16_t>(keyword.size() + 5))
        .U16(category)
        .U16(static_cast<uint16_t>(keyword.size() + 1))
        .Bytes(keyword)
        .U8(0);
}

void CMetaRequestPacket::WritePayload(OscarWriter& out) const {
    RuvMetaWriter body;
    WriteMeta(body);
    // The length word counts what follows it: number, type, sequence, body.
    RuvMetaWriter meta;
    meta.U16(static_cast<uint16_t>(8 + body.Data().size()))
        .U32(ownNumber)
        .U16(requestType)
        .U16(requestSequence)
        .Bytes(body.Data());
    out.Tlv(0x0001, meta.Data());
}

void CMetaInfoRequestPacket::WriteMeta(RuvMetaWriter& out) const {
    out.U16(metaSubtype);
    WriteData(out);
}

void CSearchByNumberPacket::WriteData(RuvMetaWriter& out) const {
    RuvMetaWriter value;
    value.U32(number);
    out.Tlv(0x0136, value.Data());
}

void CSearchByEmailPacket::WriteData(RuvMetaWriter& out) const { out.TextTlv(0x015E, OscarAnsi(email)); }

void CWhitePagesSearchPacket::WriteData(RuvMetaWriter& out) const {
    const TSearchRequest& c = criteria;
    const auto byte = [](uint8_t value) { return std::string(1, static_cast<char>(value)); };
    const auto word = [](uint16_t value) { return RuvMetaWriter().U16(value).Data(); };
    const auto set8 = [](uint8_t value) { return value > 0 && value < 255; };
    const auto set16 = [](uint16_t value) { return value > 0 && value < 65535; };

    const struct {
        uint16_t type;
        const CYolString& text;
    } texts[] = {{0x0154, c.nickname}, {0x0140, c.firstName}, {0x014A, c.lastName}, {0x015E, c.email}};
    for (const auto& [type, text] : texts)
        if (!text.IsEmpty())
            out.TextTlv(type, OscarAnsi(text));
    if (set8(c.language))
        out.Tlv(0x0186, word(c.language));
    if (set8(c.gender))
        out.Tlv(0x017C, byte(c.gender));
    if (c.ageFrom != 0)
        out.Tlv(0x0168, RuvMetaWriter().U16(c.ageFrom).U16(c.ageTo).Data());
    if (set8(c.maritalStatus))
        out.Tlv(0x033E, byte(c.maritalStatus));
    if (set16(c.country))
        out.Tlv(0x01A4, word(c.country));
    if (!c.city.IsEmpty())
        out.TextTlv(0x0190, OscarAnsi(c.city));
    if (set16(c.occupation))
        out.Tlv(0x01CC, word(c.occupation));
    const std::string keywords = OscarAnsi(c.keywords);
    const struct {
        uint16_t type;
        uint16_t category;
    } categories[] = {{0x01FE, c.interestsCategory}, {0x01D6, c.affiliationCategory}, {0x01EA, c.pastCategory}};
    for (const auto& [type, category] : categories)
        if (set16(category))
            out.CategoryTlv(type, category, keywords);
    if (c.onlineOnly)
        out.Tlv(0x0230, byte(1));
}

void CFullInfoRequestPacket::WriteData(RuvMetaWriter& out) const { out.U32(number); }

void CSaveInfoPacket::WriteData(RuvMetaWriter& out) const {
    const int size = fields.GetDataLength();
    if (size <= 0)
        return;
    unsigned char* bytes = fields.GetBuffer(true);
    if (bytes == nullptr)
        return;
    out.Bytes({reinterpret_cast<const char*>(bytes), static_cast<size_t>(size)});
    std::free(bytes);
}
