#include "RuvTransferWire.h"

#include "RuvCapabilities.h"
#include "RuvText.h"

#include <cstring>

namespace RuvTransferWire {
namespace {

uint16_t Get16(std::string_view bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) << 8 | static_cast<uint8_t>(bytes[at + 1]));
}

uint32_t Get32(std::string_view bytes, size_t at) {
    return static_cast<uint32_t>(Get16(bytes, at)) << 16 | Get16(bytes, at + 2);
}

void Put16(std::string& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<char>(value >> 8);
    bytes[at + 1] = static_cast<char>(value);
}

std::string_view GuidBytes(const RuvCapabilityGuid& guid) {
    return {reinterpret_cast<const char*>(guid.data()), guid.size()};
}

// Both proxy requests: the header, our name, the session number for a
// join, the cookie and the capability.
std::string ProxyRequest(uint16_t command, const CYolString& ownName, const uint16_t* port, RuvCookie cookie) {
    OscarWriter body;
    body.U16(kProxyVersion).U16(command).U32(0).U16(0).ByteString(OscarAnsi(ownName));
    if (port != nullptr)
        body.U16(*port);
    body.U32(cookie.first).U32(cookie.second).Tlv(0x0001, GuidBytes(RuvCapabilities::FileTransfer()));
    if (body.Failed())
        return {};
    OscarWriter packet;
    packet.WordString(body.Data());
    return packet.Take();
}

// The proxy's fixed header: length, version, command, 4 unknown bytes,
// flags.
constexpr size_t kProxyHeaderSize = 12;
constexpr size_t kProxyAcknowledgeSize = 18;

}  // namespace

std::string BuildProxyCreate(const CYolString& ownName, RuvCookie cookie) {
    return ProxyRequest(ProxyCreate, ownName, nullptr, cookie);
}

std::string BuildProxyJoin(const CYolString& ownName, uint16_t port, RuvCookie cookie) {
    return ProxyRequest(ProxyJoin, ownName, &port, cookie);
}

size_t ProxyPacketSize(std::string_view buffered) {
    return buffered.size() < 2 ? 0 : static_cast<size_t>(Get16(buffered, 0)) + 2;
}

std::optional<ProxyPacket> ReadProxyPacket(std::string_view packet) {
    if (packet.size() < 6)
        return std::nullopt;
    ProxyPacket out;
    out.command = Get16(packet, 4);
    if (out.command == ProxyAcknowledge) {
        if (packet.size() < kProxyAcknowledgeSize)
            return std::nullopt;
        out.port = Get16(packet, kProxyHeaderSize);
        out.address = Get32(packet, kProxyHeaderSize + 2);
    }
    return out;
}

std::string BuildOft2Header(uint16_t type, RuvCookie cookie, uint32_t totalSize, uint32_t doneSize,
                            const CYolString& fileName) {
    std::string name = RuvText::ToUcs2(fileName);
    if (name.size() < 64)
        name.resize(64, '\0');
    OscarWriter out;
    out.Bytes("OFT2").U16(static_cast<uint16_t>(kOft2FixedSize + name.size())).U16(type);
    out.U32(cookie.first).U32(cookie.second);
    out.U16(0).U16(0).U16(1).U16(1).U16(1).U16(1);  // no encryption or compression; one file, one part
    out.U32(totalSize).U32(totalSize).U32(0).U32(0);
    out.U32(0xFFFF0000).U32(0).U32(0).U32(0xFFFF0000);
    out.U32(doneSize).U32(0xFFFF0000);
    std::string id("Cool FileXfer");
    id.resize(32, '\0');
    out.Bytes(id).U8(0x20).U8(0x1C).U8(0x11).Bytes(std::string(69 + 16, '\0'));
    out.U16(2).U16(0).Bytes(name);
    // A name too long for the length word cannot travel.
    return kOft2FixedSize + name.size() > 0xFFFF ? std::string() : out.Take();
}

size_t Oft2HeaderSize(std::string_view buffered) { return buffered.size() < 6 ? 0 : Get16(buffered, 4); }

std::optional<Oft2Header> ReadOft2Header(std::string_view header) {
    if (header.size() < kOft2MinSize || header.substr(0, 4) != "OFT2" || Get16(header, 4) != header.size())
        return std::nullopt;
    Oft2Header out;
    out.type = Get16(header, kOft2TypeOffset);
    out.cookie = {Get32(header, 8), Get32(header, 12)};
    out.size = Get32(header, 32);
    return out;
}

void PatchOft2Header(std::string& header, uint16_t type, uint32_t received) {
    if (header.size() < kOft2ReceivedOffset + 4)
        return;
    Put16(header, kOft2TypeOffset, type);
    Put16(header, kOft2ReceivedOffset, static_cast<uint16_t>(received >> 16));
    Put16(header, kOft2ReceivedOffset + 2, static_cast<uint16_t>(received));
}

std::optional<Rendezvous> ReadRendezvous(std::string_view block) {
    constexpr size_t kStart = 2 + 8 + 16;
    if (block.size() < kStart)
        return std::nullopt;
    Rendezvous out;
    out.status = Get16(block, 0);
    out.cookie = {Get32(block, 2), Get32(block, 6)};
    std::memcpy(out.capability.data(), block.data() + 10, out.capability.size());
    out.tlvs = OscarTlvs(block.substr(kStart));
    return out;
}

std::optional<OfferedFile> ReadOfferedFile(std::string_view info) {
    if (info.size() < 9)
        return std::nullopt;
    OfferedFile out;
    out.count = Get16(info, 2);
    out.size = Get32(info, 4);
    out.name = info.substr(8, info.size() - 9);
    return out;
}

CYolString DecodeFileName(std::string_view bytes, std::string_view charset) {
    if (bytes.empty())
        return {};
    const size_t end = bytes.find('\0');
    bytes = bytes.substr(0, end);
    if (charset.substr(0, 5) == "utf-8")
        return RuvText::FromUtf8(bytes);
    if (charset.substr(0, 8) == "us-ascii")
        return RuvText::FromAnsi(bytes);
    return {};
}

}  // namespace RuvTransferWire

namespace RuvTransferWire {

std::optional<RendezvousCancel> ReadRendezvousCancel(const uint8_t* frame, size_t size) {
    CSnacPacket snac;
    std::optional<CByteReader> payload = OscarSnacPayload(snac, frame, size, 0x04, 0x0B);
    RendezvousCancel out;
    unsigned short channel = 0;
    unsigned char length = 0;
    const unsigned char* name = nullptr;
    if (!payload || !payload->Read32(out.cookie.first) || !payload->Read32(out.cookie.second) ||
        !payload->Read16(channel) || !payload->Read8(length) || length == 0 || !payload->ReadView(name, length))
        return std::nullopt;
    out.sender = RuvText::NormalName(RuvText::FromUtf8({reinterpret_cast<const char*>(name), length}));
    unsigned short reason = 0;
    unsigned short first = 0;
    unsigned short second = 0;
    out.refused = payload->Read16(reason) && payload->Read16(first) && payload->Read16(second) && first == 2 &&
                  second == 1;
    return out;
}

}  // namespace RuvTransferWire
