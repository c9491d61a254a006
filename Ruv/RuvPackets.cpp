#include "RuvPackets.h"

#include "CMD5.h"

#include <cstring>

void CFlapCookiePacket::WritePayload(OscarWriter& out) const { out.U32(1).Tlv(0x0006, cookie); }

void CLoginHelloPacket::WritePayload(OscarWriter& out) const { out.U32(1).Tlv32(0x8003, 0x00100000); }

void CKeyRequestPacket::WritePayload(OscarWriter& out) const { out.Tlv(0x0001, OscarUtf8(screenName)); }

std::string CMd5LoginPacket::Answer(std::string_view key, const std::array<uint8_t, 16>& passwordDigest) {
    std::string input(key);
    input.append(reinterpret_cast<const char*>(passwordDigest.data()), passwordDigest.size());
    input.append(kSalt);
    unsigned char digest[CMD5::DigestLength];
    CMD5::Hash(input.data(), static_cast<unsigned int>(input.size()), digest);
    return std::string(reinterpret_cast<const char*>(digest), sizeof(digest));
}

void CMd5LoginPacket::WritePayload(OscarWriter& out) const {
    out.Tlv(0x0001, OscarUtf8(screenName))
        .Tlv(0x0025, Answer(key, passwordDigest))
        .Tlv(0x004C, {})
        .Tlv(0x0003, "Ruv Client")
        .Tlv16(0x0017, 6)
        .Tlv16(0x0018, 5)
        .Tlv16(0x0019, 0)
        .Tlv16(0x001A, 1005)
        .Tlv16(0x0016, 266)
        .Tlv32(0x0014, 30007)
        .Tlv(0x000F, "ru")
        .Tlv(0x000E, "ru")
        .U16(0x0094)
        .U16(1)
        .U8(0);
}

const FamilyVersions& RuvFamilyVersions() {
    static const FamilyVersions pairs{{0x22, 1}, {0x01, 4}, {0x13, 4}, {0x02, 1}, {0x03, 1}, {0x15, 1},
                                      {0x04, 1}, {0x06, 1}, {0x09, 1}, {0x0A, 1}, {0x0B, 1}};
    return pairs;
}

void CFamilyVersionsPacket::WritePayload(OscarWriter& out) const {
    for (const auto& [family, version] : pairs)
        out.U16(family).U16(version);
}

void CRateAckPacket::WritePayload(OscarWriter& out) const {
    for (uint16_t id : classes)
        out.U16(id);
}

void CClientReadyPacket::WritePayload(OscarWriter& out) const {
    for (const auto& [family, version] : RuvFamilyVersions())
        out.U16(family).U16(version).U16(0x0110).U16(0x164F);
}

void CSetStatusPacket::WritePayload(OscarWriter& out) const {
    out.U16(0x0006).U16(4).U16(statusFlags).U16(statusWord);
    if (extended)
        out.Tlv16(0x0008, 0);
    out.U16(0x000C).U16(37);
    out.U32(0).U32(0).U8(4).U16(11).U32(0x01234567).U32(extended ? 0x338B : 0x1000).U32(1).U32(0).U32(0).U32(0).U16(0);
    if (extended)
        out.Tlv16(0x001F, 0);
}

void CSetCapsPacket::WritePayload(OscarWriter& out) const {
    std::vector<RuvCapabilityGuid> caps = fullList ? RuvCapabilities::FullList() : RuvCapabilities::OwnFixed();
    if (!fullList) {
        caps.insert(caps.end(), listed.begin(), listed.end());
        if (withTyping)
            caps.push_back(RuvCapabilities::Typing());
    }
    std::string value;
    for (const RuvCapabilityGuid& guid : caps)
        value.append(reinterpret_cast<const char*>(guid.data()), guid.size());
    out.Tlv(0x0005, value);
}

void CUserInfoRequestPacket::WritePayload(OscarWriter& out) const { out.U32(5).ByteString(OscarAnsi(screenName)); }

void CIcbmParamsPacket::WritePayload(OscarWriter& out) const {
    out.U16(params.channel)
        .U32(params.flags)
        .U16(params.maxMessageSize)
        .U16(params.maxSenderWarning)
        .U16(params.maxReceiverWarning)
        .U16(params.minInterval)
        .U16(0);
}

void CTypingPacket::WritePayload(OscarWriter& out) const {
    out.U32(0).U32(0).U16(1).ByteString(OscarUtf8(screenName)).U16(kind);
}

void CListItemPacket::WritePayload(OscarWriter& out) const {
    out.WordString(OscarUtf8(name)).U16(groupId).U16(itemId).U16(type).WordString(tlvs);
}

void CAuthRequestPacket::WritePayload(OscarWriter& out) const {
    out.ByteString(OscarUtf8(screenName)).WordString(OscarUtf8(reason)).U16(0);
}

void CAuthReplyPacket::WritePayload(OscarWriter& out) const {
    out.ByteString(OscarUtf8(screenName)).U8(granted ? 1 : 0).U16(0);
}
