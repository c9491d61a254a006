#include "RuvFileTransfer.h"

#include "CYolRand.h"
#include "RuvCapabilities.h"
#include "RuvMessageRecords.h"
#include "RuvTransferWire.h"

#include <algorithm>
#include <climits>

using namespace RuvTransferWire;

namespace {

constexpr uint32_t kOfferRequestId = 0x00010006;

uint32_t Word32(const std::string* value) {
    if (value == nullptr || value->size() < 4)
        return 0;
    const auto* b = reinterpret_cast<const uint8_t*>(value->data());
    return static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 | static_cast<uint32_t>(b[2]) << 8 |
           b[3];
}

// Where the message says the peer's proxy session waits; without that, we
// make a session of our own, whatever an earlier message said.
void TakeProxyTarget(CRuvFileTransfer& session, const OscarTlvs& tlvs, bool proxied) {
    if (!proxied) {
        session.Clear(CRuvFileTransfer::kJoinPeer);
        return;
    }
    session.Set(CRuvFileTransfer::kJoinPeer);
    session.address = Word32(tlvs.Find(0x0002));
    session.port = tlvs.Word(0x0005);
}

}  // namespace

// ---- the list ----

CRuvFileTransfer* RuvFileTransfer::Find(unsigned int contact, RuvCookie cookie) {
    for (const auto& session : sessions)
        if (session->contactId == contact && session->cookie.first == cookie.first &&
            session->cookie.second == cookie.second)
            return session.get();
    return nullptr;
}

CRuvFileTransfer* RuvFileTransfer::FindByName(unsigned int contact, const CYolString& name) {
    // The program names a session by its path, or (a received one) by the
    // name it was offered under.
    for (const auto& session : sessions)
        if (session->contactId == contact &&
            (session->Path() == name || (session->Has(CRuvFileTransfer::kOffered) && session->fileName == name)))
            return session.get();
    return nullptr;
}

CRuvFileTransfer* RuvFileTransfer::FindBySocket(int socket) {
    for (const auto& session : sessions)
        if (socket != 0 && session->socket == socket)
            return session.get();
    return nullptr;
}

CRuvFileTransfer* RuvFileTransfer::Create(const CRuvListItem& peer, RuvCookie cookie, const CYolString& path,
                                          uint32_t size, uint8_t flags) {
    if (FindByName(peer.contactId, path) != nullptr || Find(peer.contactId, cookie) != nullptr)
        return nullptr;
    sessions.push_back(
        std::make_unique<CRuvFileTransfer>(sink, ports, peer.name, peer.contactId, cookie, path, size));
    CRuvFileTransfer* session = sessions.back().get();
    session->Set(flags);
    if (session->Has(CRuvFileTransfer::kOffered))
        session->Report(RuvFTState::Offered);
    return session;
}

void RuvFileTransfer::Remove(CRuvFileTransfer* session) {
    auto it = std::find_if(sessions.begin(), sessions.end(), [session](const auto& s) { return s.get() == session; });
    if (it != sessions.end())
        sessions.erase(it);
}

void RuvFileTransfer::End(CRuvFileTransfer* session, RuvFTState report) {
    session->Disconnect();
    // The partial file goes before anyone hears that the transfer ended.
    session->DiscardFile();
    session->Report(report);
    Remove(session);
}

void RuvFileTransfer::Apply(CRuvFileTransfer* session, RuvTransferStep step) {
    if (step == RuvTransferStep::Failed)
        End(session, RuvFTState::Failed);
    else if (step == RuvTransferStep::Over)
        Remove(session);
}

void RuvFileTransfer::EndSession() {
    while (!sessions.empty())
        End(sessions.front().get(), RuvFTState::Failed);
}

void RuvFileTransfer::SendCancel(RuvCookie cookie, const CYolString& screenName) {
    sink.Send(CRendezvousRefusePacket(sink.NextSequence(), cookie, screenName));
}

// ---- the user's commands ----

void RuvFileTransfer::SendFile(unsigned int contact, const CYolString& path) {
    const CRuvListItem* peer = list.FindByContact(contact);
    const int64_t size = TransferFileSize(path);
    if (peer == nullptr || peer->name.IsEmpty() || size <= 0 || size > UINT32_MAX || TransferBaseName(path).IsEmpty())
        return;
    RuvCookie cookie;
    CYolRand::Secure(&cookie.first, sizeof cookie.first);
    CYolRand::Secure(&cookie.second, sizeof cookie.second);
    CRuvFileTransfer* session = Create(*peer, cookie, path, static_cast<uint32_t>(size), CRuvFileTransfer::kSending);
    if (session == nullptr)
        return;
    ++session->requestNumber;
    // The peer answers with where to meet it (a redirect).
    sink.Send(CFileOfferPacket(sink.NextSequence(), kOfferRequestId, cookie, peer->name, session->fileName,
                               session->TotalSize(), session->requestNumber));
}

void RuvFileTransfer::AcceptFile(unsigned int contact, const CYolString& fileName, const CYolString& targetPath) {
    CRuvFileTransfer* session = FindByName(contact, fileName);
    if (session == nullptr || session->Has(CRuvFileTransfer::kSending) ||
        session->Has(CRuvFileTransfer::kConnectAsked) || targetPath.IsEmpty())
        return;
    // Never over a file that is there already.
    const CYolString target = FreeTargetPath(targetPath);
    if (target.IsEmpty())
        return End(session, RuvFTState::Failed);
    session->SetTarget(target);
    Apply(session, session->Connect());
}

void RuvFileTransfer::RefuseFile(unsigned int contact, const CYolString& fileName) {
    CRuvFileTransfer* session = FindByName(contact, fileName);
    if (session == nullptr)
        return;
    SendCancel(session->cookie, session->screenName);
    End(session, RuvFTState::Cancelled);
}

// ---- what the server relays ----

bool RuvFileTransfer::OnRendezvous(const uint8_t* frame, size_t size) {
    CSnacIncomingMessage message;
    if (message.Unpack(frame, size) == 0 || message.channel != 2)
        return false;
    const std::string* block = message.messageTlvs.Find(0x0005);
    const std::optional<Rendezvous> rendezvous = block ? ReadRendezvous(*block) : std::nullopt;
    if (!rendezvous || rendezvous->capability != RuvCapabilities::FileTransfer())
        return false;
    CRuvListItem* peer = list.FindBuddy(message.sender);
    if (peer == nullptr || peer->contactId == 0)
        return true;
    CRuvFileTransfer* session = Find(peer->contactId, rendezvous->cookie);
    const OscarTlvs& tlvs = rendezvous->tlvs;
    if (rendezvous->status == 1) {
        // The peer cancelled.
        if (session != nullptr)
            End(session, RuvFTState::Cancelled);
        return true;
    }
    if (rendezvous->status != 0 || tlvs.Find(0x000A) == nullptr)
        return true;
    const bool proxied = tlvs.Find(0x0010) != nullptr;
    if (session != nullptr) {
        // A redirect: where the peer's proxy session waits, or that we are
        // to make one. It never restarts a transfer under way.
        if (session->Carrying())
            return true;
        TakeProxyTarget(*session, tlvs, proxied);
        // A received offer connects only once the user accepted it.
        if (session->Has(CRuvFileTransfer::kSending) || session->Has(CRuvFileTransfer::kConnectAsked)) {
            session->Set(CRuvFileTransfer::kRedirected);
            Apply(session, session->Connect());
        }
        return true;
    }
    const std::string* info = tlvs.Find(0x2711);
    const std::optional<OfferedFile> offered = info ? ReadOfferedFile(*info) : std::nullopt;
    if (!offered)
        return true;
    if (offered->count != 1) {
        SendCancel(rendezvous->cookie, peer->name);
        return true;
    }
    const std::string* charset = tlvs.Find(0x2712);
    // Only the name's last component counts: an offer never names a place.
    const CYolString name = TransferBaseName(DecodeFileName(offered->name, charset ? *charset : "utf-8"));
    if (name.IsEmpty() || offered->size == 0) {
        SendCancel(rendezvous->cookie, peer->name);
        return true;
    }
    CRuvFileTransfer* created = Create(*peer, rendezvous->cookie, name, offered->size, CRuvFileTransfer::kOffered);
    if (created != nullptr)
        TakeProxyTarget(*created, tlvs, proxied);
    return true;
}

bool RuvFileTransfer::OnFrame(std::string_view frame) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(frame.data());
    CSnacPacket header;
    if (header.Unpack(bytes, frame.size()) == 0 || header.channel != 2 || header.family != 0x04)
        return false;
    if (header.subtype == 0x07)
        return OnRendezvous(bytes, frame.size());
    return header.subtype == 0x0B && OnCancel(bytes, frame.size());
}

bool RuvFileTransfer::OnCancel(const uint8_t* frame, size_t size) {
    const std::optional<RendezvousCancel> cancel = ReadRendezvousCancel(frame, size);
    const CRuvListItem* peer = cancel ? list.FindBuddy(cancel->sender) : nullptr;
    CRuvFileTransfer* session = peer ? Find(peer->contactId, cancel->cookie) : nullptr;
    if (session == nullptr)
        return false;
    // The peer refused or cancelled; any other error ends it as failed.
    End(session, cancel->refused ? RuvFTState::Cancelled : RuvFTState::Failed);
    return true;
}

// ---- the transfer connections ----

void RuvFileTransfer::OnSocketConnected(int socket, int code) {
    if (CRuvFileTransfer* session = FindBySocket(socket))
        Apply(session, session->OnConnected(code));
}

void RuvFileTransfer::OnSocketData(int socket, const uint8_t* data, size_t size) {
    if (CRuvFileTransfer* session = FindBySocket(socket))
        Apply(session, session->OnData({reinterpret_cast<const char*>(data), size}));
}

void RuvFileTransfer::OnSocketSendResult(int socket, int result) {
    if (CRuvFileTransfer* session = FindBySocket(socket))
        Apply(session, session->OnSendResult(result));
}

void RuvFileTransfer::OnSocketClosed(int socket, int) {
    if (CRuvFileTransfer* session = FindBySocket(socket))
        Apply(session, session->OnClosed());
}
