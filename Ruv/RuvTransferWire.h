#pragma once
// What a file transfer says on its data connection and reads in the
// rendezvous messages: the rendezvous proxy's packets (create, join and the
// proxy's acknowledge, ready and error answers), the OFT2 header that opens
// and closes the file, the rendezvous block of a channel-2 message and the
// name decoding of an offer. All integers big-endian. The readers take
// untrusted bytes and check every length before they read at an offset.

#include "CRuvCapabilityTree.h"
#include "CYolString.h"
#include "RuvMessagePackets.h"
#include "RuvRecords.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace RuvTransferWire {

// ---- the rendezvous proxy ----

constexpr uint16_t kProxyVersion = 0x044A;
constexpr unsigned int kProxyPort = 5190;

enum ProxyCommand : uint16_t { ProxyError = 1, ProxyCreate = 2, ProxyAcknowledge = 3, ProxyJoin = 4, ProxyReady = 5 };

// Asks the proxy for a new session that the peer will join.
std::string BuildProxyCreate(const CYolString& ownName, RuvCookie cookie);
// Joins the proxy session numbered `port`.
std::string BuildProxyJoin(const CYolString& ownName, uint16_t port, RuvCookie cookie);

// Bytes of one whole proxy packet starting at `buffered`: 0 when fewer than
// the two length bytes are there, else the length word + 2.
size_t ProxyPacketSize(std::string_view buffered);

struct ProxyPacket {
    uint16_t command = 0;
    // The acknowledge's session: its number (also the port to join on) and
    // the proxy's IPv4 address as the wire holds it.
    uint16_t port = 0;
    uint32_t address = 0;
};
// One whole packet (its length word included); nullopt when it is shorter
// than its command needs.
std::optional<ProxyPacket> ReadProxyPacket(std::string_view packet);

// ---- OFT2 ----

enum Oft2Type : uint16_t { Oft2Prompt = 0x0101, Oft2Acknowledge = 0x0202, Oft2Done = 0x0204 };

// The fixed part before the file name; with the 64 name bytes at least,
// a header we send is 256 bytes or more.
constexpr size_t kOft2FixedSize = 192;
// Headers shorter than this are refused.
constexpr size_t kOft2MinSize = 232;
constexpr size_t kOft2TypeOffset = 6;
constexpr size_t kOft2ReceivedOffset = 60;

std::string BuildOft2Header(uint16_t type, RuvCookie cookie, uint32_t totalSize, uint32_t doneSize,
                            const CYolString& fileName);
// Bytes of the header starting at `buffered`, from its length field: 0
// when fewer than the 6 bytes that hold it are there.
size_t Oft2HeaderSize(std::string_view buffered);

struct Oft2Header {
    uint16_t type = 0;
    RuvCookie cookie;
    uint32_t size = 0;
};
// One whole header; nullopt unless it starts "OFT2", is at least
// kOft2MinSize bytes and its length field is its size.
std::optional<Oft2Header> ReadOft2Header(std::string_view header);
// Rewrites the type and the received count of a header in place.
void PatchOft2Header(std::string& header, uint16_t type, uint32_t received);

// ---- rendezvous messages ----

// The block in TLV 5 of a channel-2 message.
struct Rendezvous {
    uint16_t status = 0;  // 0 propose, 1 cancel, 2 accept
    RuvCookie cookie;
    RuvCapabilityGuid capability{};
    OscarTlvs tlvs;
};
std::optional<Rendezvous> ReadRendezvous(std::string_view block);

// An offer's file (TLV 0x2711): one file's size and its name bytes.
struct OfferedFile {
    uint16_t count = 0;
    uint32_t size = 0;
    std::string_view name;
};
// nullopt when the TLV is shorter than its fixed part.
std::optional<OfferedFile> ReadOfferedFile(std::string_view info);

// An offered name in `charset` (the value of TLV 0x2712): UTF-8 for
// "utf-8", code page 1251 for "us-ascii", empty for any other; the zero
// that ends it on the wire is not part of it.
CYolString DecodeFileName(std::string_view bytes, std::string_view charset);

}  // namespace RuvTransferWire

namespace RuvTransferWire {

// A client error answer (04/0B) as far as a transfer reads it: whose
// cookie, from whom, and whether it is the refusal (reason 3, then 2, 1).
struct RendezvousCancel {
    RuvCookie cookie;
    CYolString sender;  // lower case, spaces removed
    bool refused = false;
};
std::optional<RendezvousCancel> ReadRendezvousCancel(const uint8_t* frame, size_t size);

}  // namespace RuvTransferWire
