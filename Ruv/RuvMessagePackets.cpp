#include "RuvMessagePackets.h"

#include "RuvCapabilities.h"
#include "RuvText.h"

namespace {

void Le16(OscarWriter& out, uint16_t value) { out.U8(static_cast<uint8_t>(value)).U8(static_cast<uint8_t>(value >> 8)); }

void Le32(OscarWriter& out, uint32_t value) {
    Le16(out, static_cast<uint16_t>(value));
    Le16(out, static_cast<uint16_t>(value >> 16));
}

void Zeros(OscarWriter& out, int count) {
    for (int i = 0; i < count; ++i)
        out.U8(0);
}

constexpr std::string_view kUtf8Capability = "{0946134E-4C7F-11D1-8222-444553540000}";

}  // namespace

void CIcbmPacket::PackIcbmHeader(OscarWriter& out) const {
    out.U32(cookie.first).U32(cookie.second).U16(icbmChannel).ByteString(OscarAnsi(screenName));
}

void CPlainMessagePacket::WritePayload(OscarWriter& out) const {
    PackIcbmHeader(out);
    const std::string bytes = unicode ? RuvText::ToUcs2(text) : OscarAnsi(text);
    OscarWriter fragments;
    fragments.Bytes(std::string_view("\x05\x01\x00\x02\x01\x06\x01\x01", 8));
    fragments.U16(static_cast<uint16_t>(bytes.size() + 4)).U16(unicode ? 2 : 0).U16(0).Bytes(bytes);
    out.Tlv(0x0002, fragments.Data()).Tlv(0x0003, {}).Tlv(0x0006, {});
}

void CRelayMessagePacket::WritePayload(OscarWriter& out) const {
    PackIcbmHeader(out);
    const std::string bytes = utf8 ? OscarUtf8(text) : OscarAnsi(text);
    const auto sequence = static_cast<uint16_t>(cookie.second);
    OscarWriter extension;
    Le16(extension, 27);
    Le16(extension, 10);
    Zeros(extension, 16);
    Le16(extension, 0);
    Le32(extension, 3);
    extension.U8(0);
    Le16(extension, sequence);
    Le16(extension, 14);
    Le16(extension, sequence);
    Zeros(extension, 12);
    extension.U8(1).U8(0);
    Le16(extension, 0);
    Le16(extension, 4);
    Le16(extension, static_cast<uint16_t>(bytes.size() + 1));
    extension.Bytes(bytes).U8(0);
    Le32(extension, 0);
    Le32(extension, 0x00FFFFFF);
    if (utf8) {
        Le32(extension, static_cast<uint32_t>(kUtf8Capability.size()));
        extension.Bytes(kUtf8Capability);
    }
    const RuvCapabilityGuid relay = RuvCapabilities::Relay();
    OscarWriter rendezvous;
    rendezvous.U16(0).U32(cookie.first).U32(cookie.second);
    rendezvous.Bytes({reinterpret_cast<const char*>(relay.data()), relay.size()});
    rendezvous.Tlv16(0x000A, 1).Tlv(0x000F, {}).Tlv(0x2711, extension.Data());
    out.Tlv(0x0005, rendezvous.Data()).Tlv(0x0003, {});
}

void CMessageAckPacket::WritePayload(OscarWriter& out) const {
    PackIcbmHeader(out);
    out.U16(3).Bytes(std::string_view("\x1B\x00\x09\x00", 4));
    Zeros(out, 16);
    out.U16(0).Bytes(std::string_view("\x01\x00", 2)).U8(0).U16(0).U16(messageSequence);
    out.Bytes(std::string_view("\x0E\x00", 2)).U16(messageSequence);
    Zeros(out, 12);
    out.U8(1).U8(0).U16(0).U16(0).Bytes(std::string_view("\x01\x00", 2)).U8(0).U32(0).U32(0x00FFFFFF);
}
