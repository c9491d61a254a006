#include "RuvMessagePackets.h"

#include "CPacker.h"
#include "RuvCapabilities.h"
#include "RuvText.h"
#include "RuvXtraz.h"

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

// The plug-in header, function name and tail, then the script with its
// two lengths.
void PackXtrazScript(OscarWriter& out, const std::string& script) {
    out.Bytes(RuvXtraz::kPluginStart).Bytes(RuvXtraz::kFunctionName).Bytes(RuvXtraz::kTail);
    Le32(out, static_cast<uint32_t>(script.size() + 4));
    Le32(out, static_cast<uint32_t>(script.size()));
    out.Bytes(script);
}

// An answer's text inside the script: cut to its limit on a whole
// character, then escaped, so that it can neither end its element early nor
// outgrow the frame.
std::string ScriptText(const CYolString& text, int limit) {
    return OscarUtf8(CYolString::XmlEncode(RuvText::Truncated(text, limit)));
}

// The relay extension's fixed start, up to the message type.
OscarWriter RelayExtension(uint16_t sequence) {
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
    return extension;
}

// The rendezvous block around a relay extension, and the server
// acknowledgement asked for after it.
void PackRelay(OscarWriter& out, RuvCookie cookie, const OscarWriter& extension) {
    const RuvCapabilityGuid relay = RuvCapabilities::Relay();
    OscarWriter rendezvous;
    rendezvous.U16(0).U32(cookie.first).U32(cookie.second);
    rendezvous.Bytes({reinterpret_cast<const char*>(relay.data()), relay.size()});
    rendezvous.Tlv16(0x000A, 1).Tlv(0x000F, {}).Tlv(0x2711, extension.Data());
    out.Tlv(0x0005, rendezvous.Data()).Tlv(0x0003, {});
}

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
    OscarWriter extension = RelayExtension(static_cast<uint16_t>(cookie.second));
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
    PackRelay(out, cookie, extension);
}

void CXStatusRequestPacket::WritePayload(OscarWriter& out) const {
    PackIcbmHeader(out);
    const std::string script =
        std::string("<N><QUERY>&lt;Q&gt;&lt;PluginID&gt;srvMng&lt;/PluginID&gt;&lt;/Q&gt;</QUERY><NOTIFY>&lt;srv&gt;"
                    "&lt;id&gt;cAwaySrv&lt;/id&gt;&lt;req&gt;&lt;id&gt;AwayStat&lt;/id&gt;&lt;trans&gt;") +
        std::to_string(number) + "&lt;/trans&gt;&lt;senderId&gt;" + OscarUtf8(ownLogin) +
        "&lt;/senderId&gt;&lt;/req&gt;&lt;/srv&gt;</NOTIFY></N>\r\n";
    OscarWriter extension = RelayExtension(static_cast<uint16_t>(cookie.second));
    extension.U8(0x1A).U16(0).U16(1).U16(1).U16(0);
    PackXtrazScript(extension, script);
    PackRelay(out, cookie, extension);
}

// An automatic answer up to its message type: the reason (channel data)
// and the relay headers carrying the answered message's sequence.
void CIcbmPacket::PackAnswerStart(OscarWriter& out, uint16_t messageSequence) const {
    PackIcbmHeader(out);
    out.U16(3).Bytes(std::string_view("\x1B\x00\x09\x00", 4));
    Zeros(out, 16);
    out.U16(0).Bytes(std::string_view("\x01\x00", 2)).U8(0).U16(0).U16(messageSequence);
    out.Bytes(std::string_view("\x0E\x00", 2)).U16(messageSequence);
    Zeros(out, 12);
}

void CMessageAckPacket::WritePayload(OscarWriter& out) const {
    PackAnswerStart(out, messageSequence);
    out.U8(1).U8(0).U16(0).U16(0).Bytes(std::string_view("\x01\x00", 2)).U8(0).U32(0).U32(0x00FFFFFF);
}

namespace {

std::string_view GuidBytes(const RuvCapabilityGuid& guid) {
    return {reinterpret_cast<const char*>(guid.data()), guid.size()};
}

// Status, cookie and the file-transfer capability: every rendezvous block
// starts so.
OscarWriter RendezvousStart(uint16_t status, RuvCookie cookie) {
    OscarWriter block;
    block.U16(status).U32(cookie.first).U32(cookie.second).Bytes(GuidBytes(RuvCapabilities::FileTransfer()));
    return block;
}

// Where the peer finds the proxy session: address and port, each with its
// complement beside it, and the proxy flag.
void PackProxyTarget(OscarWriter& block, const RuvRendezvousTarget& target) {
    block.Tlv32(0x0002, target.address).Tlv32(0x0016, ~target.address);
    block.Tlv16(0x0005, target.port).Tlv16(0x0017, static_cast<uint16_t>(~target.port)).Tlv(0x0010, {});
}

}  // namespace

void CFileOfferPacket::WritePayload(OscarWriter& out) const {
    PackIcbmHeader(out);
    const std::string name = OscarUtf8(fileName);
    OscarWriter info;
    info.U16(1).U16(1).U32(fileSize).Bytes(name).U8(0);
    OscarWriter sizes;
    sizes.U32(0).U32(fileSize);
    OscarWriter block = RendezvousStart(0, cookie);
    block.Tlv16(0x000A, requestNumber).Tlv(0x000F, {}).Tlv(0x2711, info.Data());
    block.Tlv(0x2712, "utf-8").Tlv(0x2713, sizes.Data());
    out.Tlv(0x0005, block.Data());
}

void CRendezvousReplyPacket::WritePayload(OscarWriter& out) const {
    PackIcbmHeader(out);
    out.Tlv(0x0005, RendezvousStart(type, cookie).Data());
}

void CRendezvousRefusePacket::WritePayload(OscarWriter& out) const {
    PackIcbmHeader(out);
    out.U16(3).U16(2).U16(1);
}

void CProxyRedirectPacket::WritePayload(OscarWriter& out) const {
    PackIcbmHeader(out);
    OscarWriter block = RendezvousStart(0, cookie);
    block.Tlv16(0x000A, 4).Tlv16(0x0014, 0x000A);
    PackProxyTarget(block, target);
    out.Tlv(0x0005, block.Data());
}

void CDirectRedirectPacket::WritePayload(OscarWriter& out) const {
    // The name goes through the library's screen-name packer here.
    unsigned char name[257];
    int length = 0;
    if (!CPacker::PackSN(screenName, name, length)) {
        // The usual header refuses the same name, and the frame with it.
        PackIcbmHeader(out);
        return;
    }
    out.U32(cookie.first).U32(cookie.second).U16(icbmChannel);
    out.Bytes({reinterpret_cast<const char*>(name), static_cast<size_t>(length)});
    OscarWriter block = RendezvousStart(0, cookie);
    block.Tlv16(0x000A, 2);
    PackProxyTarget(block, target);
    out.Tlv(0x0005, block.Data());
}

void CXtrazResponsePacket::WritePayload(OscarWriter& out) const {
    PackAnswerStart(out, messageSequence);
    out.U8(0x1A).U8(0).U16(0).U16(0).Bytes(std::string_view("\x01\x00", 2)).U8(0);
    const std::string script =
        std::string("<NR><RES>&lt;ret event='OnRemoteNotification'&gt;&lt;srv&gt;&lt;id&gt;"
                    "cAwaySrv&lt;/id&gt;&lt;val srv_id='cAwaySrv'&gt;&lt;Root&gt;&lt;"
                    "CASXtraSetAwayMessage&gt;&lt;/CASXtraSetAwayMessage&gt;&lt;uin&gt;") +
        OscarUtf8(numberText) + "&lt;/uin&gt;&lt;index&gt;" + std::to_string(number) + "&lt;/index&gt;&lt;title&gt;" +
        ScriptText(title, RuvXtraz::kTitleLimit) + "&lt;/title&gt;&lt;desc&gt;" +
        ScriptText(description, RuvXtraz::kDescriptionLimit) +
        "&lt;/desc&gt;&lt;/Root&gt;\r\n&lt;/val&gt;&lt;/srv&gt;&lt;srv&gt;&lt;id&gt;"
        "cRandomizerSrv&lt;/id&gt;&lt;val srv_id='cRandomizerSrv'&gt;undefined&lt;/val&gt;&lt;/"
        "srv&gt;&lt;/ret&gt;</RES></NR>\r\n";
    PackXtrazScript(out, script);
}
