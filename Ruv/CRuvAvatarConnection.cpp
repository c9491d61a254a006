#include "CRuvAvatarConnection.h"

#include "RuvIconPackets.h"
#include "RuvPackets.h"
#include "RuvRecords.h"
#include "RuvText.h"

#include <charconv>

namespace {

// The service family and the icon family, each with its version, and the
// tool they are used with.
constexpr uint16_t kTool = 0x0010;
constexpr uint16_t kToolVersion = 0x066A;

std::string ClientReadyPayload() {
    OscarWriter out;
    out.U16(0x0001).U16(3).U16(kTool).U16(kToolVersion);
    out.U16(0x0010).U16(1).U16(kTool).U16(kToolVersion);
    return out.Take();
}

}  // namespace

void CRuvAvatarConnection::SetAddress(std::string_view address) {
    const size_t colon = address.find(':');
    host = CYolString::FromUtf8(address.substr(0, colon));
    if (colon == std::string_view::npos) {
        port = kDefaultPort;
        return;
    }
    const std::string_view digits = address.substr(colon + 1);
    unsigned int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    port = error == std::errc() && end == digits.data() + digits.size() && value >= 1 && value <= 65535 ? value : 0;
}

int CRuvAvatarConnection::Connect() {
    Close();
    if (host.IsEmpty() || port == 0)
        return -5;
    return connection.Open(clientId, host, port);
}

void CRuvAvatarConnection::Close() {
    connection.Drop();
    Lost();
}

void CRuvAvatarConnection::Lost() {
    if (!ready)
        return;
    ready = false;
    owner.IconLinkReady(false);
}

bool CRuvAvatarConnection::Send(const CFlapPacket& packet) {
    const std::string bytes = packet.Serialize();
    return !bytes.empty() && connection.Send(bytes);
}

void CRuvAvatarConnection::AddRequest(std::string hash, const CYolString& screenName) {
    if (hash.empty() || screenName.IsEmpty())
        return;
    for (const Request& queued : queue)
        if (queued.hash == hash && RuvText::SameName(queued.screenName, screenName))
            return;
    if (queue.size() >= kMaxQueued)
        return;
    queue.push_back({std::move(hash), screenName});
    if (ready)
        SendNextRequest();
}

void CRuvAvatarConnection::SendNextRequest() {
    if (queue.empty())
        return;
    const Request request = std::move(queue.front());
    queue.pop_front();
    Send(CIconRequestPacket(Next(), request.screenName, request.hash));
}

bool CRuvAvatarConnection::SendKeepAlive() { return ready && Send(CFlapPacket(5, Next())); }

bool CRuvAvatarConnection::OnSocketConnected(Sockets::CYolSocket* socket, int code) {
    if (connection.Owns(socket)) {
        Lost();
        if (code != 0)
            connection.Drop();
        return true;
    }
    return false;
}

bool CRuvAvatarConnection::OnSocketData(Sockets::CYolSocket* socket, int byteCount) {
    if (!connection.Owns(socket))
        return false;
    // A read that failed or a frame without its marker: the link is of no
    // more use until a new redirect.
    if (connection.OnData(byteCount) != RuvConnection::ReadResult::Ok)
        Close();
    return true;
}

bool CRuvAvatarConnection::OnSocketClosed(Sockets::CYolSocket* socket) {
    if (connection.ReleaseDropped(socket))
        return true;
    if (!connection.Owns(socket))
        return false;
    connection.Drop();
    Lost();
    return true;
}

void CRuvAvatarConnection::OnFrame(std::string_view frame) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(frame.data());
    CFlapPacket header;
    if (header.Unpack(bytes, frame.size()) == 0)
        return;
    if (header.channel == 1 && IsServerHello(bytes, frame.size())) {
        // The sign-on frame carries 256.
        sequence = 255;
        Send(CFlapCookiePacket(Next(), cookie));
    } else if (header.channel == 2) {
        OnSnac(bytes, frame.size());
    }
}

void CRuvAvatarConnection::OnSnac(const uint8_t* frame, size_t size) {
    CSnacPacket header;
    if (header.Unpack(frame, size) == 0)
        return;
    const uint32_t route = static_cast<uint32_t>(header.family) << 16 | header.subtype;
    switch (route) {
    case 0x00010003:
        Send(CFamilyVersionsPacket(Next(), 0x17, {{0x0001, 3}, {0x0010, 1}}));
        break;
    case 0x00010018:
        Send(CRateRequestPacket(Next(), 6));
        break;
    case 0x00010007:
        if (ready)
            break;
        Send(CRateAckPacket(Next(), {1, 2, 3, 4, 5}));
        Send(CPlainSnacPacket(Next(), 0x01, 0x02, 0x02, ClientReadyPayload()));
        ready = true;
        owner.IconLinkReady(true);
        SendNextRequest();
        break;
    case 0x00100007: {
        CSnacIconReply reply;
        if (reply.Unpack(frame, size) != 0)
            owner.IconReceived(reply.screenName, reply.hash, reply.icon);
        // Each answer lets the next queued icon go, so the queue drains
        // even when no new request comes.
        SendNextRequest();
        break;
    }
    case 0x00100001:
        // The service could not give that icon: on to the next.
        SendNextRequest();
        break;
    default:
        break;
    }
}
