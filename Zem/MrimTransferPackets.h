#pragma once
// The file-transfer packets of the session connection, both ways, and the
// texts inside them: typed read-only views of what arrives (parsed once,
// every count bounded by the body) and the builders of what goes out. Also
// the greeting of the transfer proxy, which speaks the packet header of an
// older version.
//
// A file list is "name;size;" repeated, an address list "host:port;"
// repeated, both in Windows-1251; text after the last separator is ignored.

#include "MrimWire.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace MrimTransfer {

// The addresses this client announces: nobody listens there (it never
// listens), so between two such clients every transfer meets on a proxy.
inline constexpr std::string_view kPlaceholderAddresses = "0.0.0.1:2041;0.0.0.2:2042;";
inline constexpr size_t kProxyIdSize = 16;
// The most entries a list may hold; an offer of more is not taken.
inline constexpr size_t kMaxFiles = 256;
inline constexpr size_t kMaxAddresses = 16;

}  // namespace MrimTransfer

struct MrimOfferedFile {
    std::string name;  // as offered, Windows-1251: asked for by these bytes
    uint32_t size = 0;
};

struct MrimTransferAddress {
    CYolString host;
    uint32_t port = 0;
};

// A file offer (FileTransfer) as it arrives: the sender, the session, the
// lists, and the list again in UTF-16LE (the second description block less
// its two counts).
struct MrimTransferOffer {
    CYolString from;
    uint32_t sessionId = 0;
    uint32_t totalSize = 0;
    std::string fileList;
    std::string wideList;
    std::string addresses;
};

// FileTransferAck as it arrives.
struct MrimTransferAnswer {
    uint32_t status = 0;
    CYolString from;
    uint32_t sessionId = 0;
    std::string addresses;
};

// Proxy and ProxyAck as they arrive (status only in ProxyAck); the proxy's
// addresses and id only with data type 2.
struct MrimProxyAnswer {
    uint32_t status = 0;
    CYolString from;
    uint32_t sessionId = 0;
    uint32_t dataType = 0;
    std::string addresses;
    std::string proxyId;
};

std::optional<MrimTransferOffer> ParseTransferOffer(std::string_view body);
std::optional<MrimTransferAnswer> ParseTransferAnswer(std::string_view body);
std::optional<MrimProxyAnswer> ParseProxyPacket(std::string_view body, bool withStatus);

// The entries of a file or an address list; entries past the cap, names
// without a usable base name, and ports outside 1-65535 are left out.
std::vector<MrimOfferedFile> ParseFileList(std::string_view list);
std::vector<MrimTransferAddress> ParseAddressList(std::string_view list);

// Addresses are the same without regard to ASCII case, as the server has it.
bool SameAddressText(std::string_view a, std::string_view b);

// Bodies of what we send.
std::string BuildTransferOffer(const CYolString& peer, uint32_t sessionId, uint32_t totalSize,
                               std::string_view fileList, std::string_view wideList);
std::string BuildTransferAnswer(uint32_t status, const CYolString& peer, uint32_t sessionId);
std::string BuildProxyRequest(const CYolString& peer, uint32_t sessionId, std::string_view fileList,
                              std::string_view wideList);
std::string BuildProxyAck(const CYolString& peer, uint32_t sessionId, std::string_view fileList,
                          std::string_view addresses, std::string_view proxyId);
// The whole greeting packet for the proxy.
std::string BuildProxyHello(std::string_view proxyId);

// The proxy's answer to the greeting, read from the front of the bytes
// received so far: NeedMore until a header and its body are there, then
// Accepted or Refused and how many bytes it took. Anything but an
// acknowledgement with the magic word is refused.
struct MrimProxyHelloReply {
    enum class Result { NeedMore, Accepted, Refused } result = Result::NeedMore;
    size_t used = 0;
};
MrimProxyHelloReply ReadProxyHelloReply(std::string_view received);
