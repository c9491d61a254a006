#include "MrimTransferPackets.h"

#include "YolAsciiText.h"
#include "CTransferFile.h"

#include <algorithm>

namespace {

uint32_t GetUL(std::string_view bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

// The UTF-16LE list inside the second description block: two counts, then
// as many bytes as the second says, which must all be there.
std::optional<std::string_view> WideListOf(std::string_view block) {
    if (block.empty())
        return std::string_view();
    MrimBodyReader reader(block);
    uint32_t one = 0;
    uint32_t length = 0;
    if (!reader.UL(one) || !reader.UL(length) || length > static_cast<uint32_t>(reader.Remaining()))
        return std::nullopt;
    return reader.Bytes(static_cast<int>(length));
}

std::string WideBlock(std::string_view wideList) {
    return MrimBodyWriter().UL(1).UL(static_cast<uint32_t>(wideList.size())).Raw(wideList).Take();
}

// Splits "a;b;" into its items; text after the last ";" is not an item.
std::vector<std::string_view> Items(std::string_view list, char separator, size_t perItem) {
    std::vector<std::string_view> out;
    size_t start = 0;
    for (size_t pos = 0, seen = 0; pos < list.size(); ++pos) {
        if (list[pos] != separator || ++seen < perItem)
            continue;
        out.push_back(list.substr(start, pos - start));
        start = pos + 1;
        seen = 0;
    }
    return out;
}

}  // namespace

std::optional<MrimTransferOffer> ParseTransferOffer(std::string_view body) {
    MrimBodyReader head(body);
    MrimTransferOffer offer;
    offer.from = head.Lps1251();
    head.UL(offer.sessionId);
    head.UL(offer.totalSize);
    if (head.Failed())
        return std::nullopt;
    std::string_view rest = body.substr(body.size() - static_cast<size_t>(head.Remaining()));
    // The length of the rest of the body comes first, as we send it; an
    // offer relayed without it starts with the file list.
    if (rest.size() >= 4 && GetUL(rest) == rest.size() - 4)
        rest.remove_prefix(4);
    MrimBodyReader reader(rest);
    std::string_view files = reader.LPS();
    std::string_view block = reader.LPS();
    std::string_view addresses = reader.LPS();
    std::optional<std::string_view> wide = WideListOf(block);
    if (reader.Failed() || !wide)
        return std::nullopt;
    offer.fileList = files;
    offer.wideList = *wide;
    offer.addresses = addresses;
    return offer;
}

std::optional<MrimTransferAnswer> ParseTransferAnswer(std::string_view body) {
    MrimBodyReader reader(body);
    MrimTransferAnswer answer;
    reader.UL(answer.status);
    answer.from = reader.Lps1251();
    reader.UL(answer.sessionId);
    answer.addresses = reader.LPS();
    if (reader.Failed())
        return std::nullopt;
    return answer;
}

std::optional<MrimProxyAnswer> ParseProxyPacket(std::string_view body, bool withStatus) {
    MrimBodyReader reader(body);
    MrimProxyAnswer answer;
    if (withStatus)
        reader.UL(answer.status);
    answer.from = reader.Lps1251();
    reader.UL(answer.sessionId);
    reader.UL(answer.dataType);
    if (!reader.Failed() && answer.dataType == 2) {
        reader.LPS();
        answer.addresses = reader.LPS();
        answer.proxyId = reader.Bytes(static_cast<int>(MrimTransfer::kProxyIdSize));
        if (answer.proxyId.size() != MrimTransfer::kProxyIdSize)
            return std::nullopt;
    }
    if (reader.Failed())
        return std::nullopt;
    return answer;
}

std::vector<MrimOfferedFile> ParseFileList(std::string_view list) {
    std::vector<MrimOfferedFile> files;
    for (std::string_view item : Items(list, ';', 2)) {
        const size_t cut = item.find(';');
        std::optional<uint32_t> size = YolAsciiNumber(item.substr(cut + 1));
        const std::string_view name = item.substr(0, cut);
        if (!size || name.empty() || TransferBaseName(From1251Bytes(name)) != From1251Bytes(name))
            continue;
        if (files.size() == MrimTransfer::kMaxFiles)
            break;
        files.push_back({std::string(name), *size});
    }
    return files;
}

std::vector<MrimTransferAddress> ParseAddressList(std::string_view list) {
    std::vector<MrimTransferAddress> addresses;
    for (std::string_view item : Items(list, ';', 1)) {
        const size_t colon = item.rfind(':');
        if (colon == std::string_view::npos || colon == 0)
            continue;
        std::optional<uint32_t> port = YolAsciiNumber(item.substr(colon + 1), 65535);
        if (!port || *port == 0)
            continue;
        if (addresses.size() == MrimTransfer::kMaxAddresses)
            break;
        addresses.push_back({From1251Bytes(item.substr(0, colon)), *port});
    }
    return addresses;
}

bool SameAddressText(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::string BuildTransferOffer(const CYolString& peer, uint32_t sessionId, uint32_t totalSize,
                               std::string_view fileList, std::string_view wideList) {
    const std::string block = WideBlock(wideList);
    const size_t rest = 4 + fileList.size() + 4 + block.size() + 4 + MrimTransfer::kPlaceholderAddresses.size();
    return MrimBodyWriter()
        .Lps1251(peer)
        .UL(sessionId)
        .UL(totalSize)
        .UL(static_cast<uint32_t>(rest))
        .LPS(fileList)
        .LPS(block)
        .LPS(MrimTransfer::kPlaceholderAddresses)
        .Take();
}

std::string BuildTransferAnswer(uint32_t status, const CYolString& peer, uint32_t sessionId) {
    // Only "try my addresses" (4) carries any.
    return MrimBodyWriter()
        .UL(status)
        .Lps1251(peer)
        .UL(sessionId)
        .LPS(status == 4 ? MrimTransfer::kPlaceholderAddresses : std::string_view())
        .Take();
}

std::string BuildProxyRequest(const CYolString& peer, uint32_t sessionId, std::string_view fileList,
                              std::string_view wideList) {
    return MrimBodyWriter()
        .Lps1251(peer)
        .UL(sessionId)
        .UL(2)
        .LPS(fileList)
        .LPS({})
        .Raw(std::string(MrimTransfer::kProxyIdSize, '\0'))
        .LPS(WideBlock(wideList))
        .Take();
}

std::string BuildProxyAck(const CYolString& peer, uint32_t sessionId, std::string_view fileList,
                          std::string_view addresses, std::string_view proxyId) {
    return MrimBodyWriter()
        .UL(1)
        .Lps1251(peer)
        .UL(sessionId)
        .UL(2)
        .LPS(fileList)
        .LPS(addresses)
        .Raw(proxyId)
        .Take();
}

std::string BuildProxyHello(std::string_view proxyId) {
    return BuildMrimPacket(MrimPacketType::ProxyHello, 0, proxyId, Mrim::kProxyVersion);
}

MrimProxyHelloReply ReadProxyHelloReply(std::string_view received) {
    // An acknowledgement carries no body worth more than this.
    constexpr uint32_t kMaxReplyBody = 64;
    MrimProxyHelloReply reply;
    if (received.size() < Mrim::kHeaderSize)
        return reply;
    const MrimHeader header = ReadMrimHeader(reinterpret_cast<const unsigned char*>(received.data()));
    if (header.magic != Mrim::kMagic || header.type != Wire(MrimPacketType::ProxyHelloAck) || header.length > kMaxReplyBody) {
        reply.result = MrimProxyHelloReply::Result::Refused;
        return reply;
    }
    if (received.size() < Mrim::kHeaderSize + header.length)
        return reply;
    reply.result = MrimProxyHelloReply::Result::Accepted;
    reply.used = Mrim::kHeaderSize + header.length;
    return reply;
}
