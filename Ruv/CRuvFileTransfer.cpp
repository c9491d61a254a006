#include "CRuvFileTransfer.h"

#include "RuvTransferWire.h"

#include <utility>
#include <string>

using namespace RuvTransferWire;

CYolString DottedAddress(uint32_t address) {
    const std::string text = std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
                             std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
    return CYolString::FromUtf8(text);
}

CRuvFileTransfer::CRuvFileTransfer(RuvPacketSink& sink, MRuvTransferPorts& ports, const CYolString& screenName,
                                   unsigned int contactId, RuvCookie cookie, const CYolString& path, uint32_t size)
    : screenName(screenName), contactId(contactId), cookie(cookie), fileName(TransferBaseName(path)), sink(sink),
      ports(ports) {
    file.fileName = path;
    file.totalSize = size;
}

void CRuvFileTransfer::Report(RuvFTState reported, bool activate) {
    Protocols::FTProgress progress;
    progress.contactId = contactId;
    progress.fileName = file.fileName;
    progress.state = static_cast<unsigned int>(reported);
    progress.activate = activate ? 1 : 0;
    progress.outgoing = Has(kSending) ? 1 : 0;
    progress.totalSize = TotalSize();
    progress.doneSize = DoneSize();
    ports.ReportProgress(progress);
}

void CRuvFileTransfer::Disconnect() {
    if (socket != 0)
        ports.CloseTransfer(socket);
    socket = 0;
    inbox.clear();
}

RuvTransferStep CRuvFileTransfer::Connect() {
    Disconnect();
    Set(kConnectAsked);
    if (Has(kJoinPeer)) {
        state = Idle;
        socket = ports.ConnectTransfer(DottedAddress(address), port);
    } else {
        state = ConnectingProxy;
        socket = ports.ConnectTransfer(ports.ProxyHost(), ports.ProxyPort());
    }
    return socket != 0 ? RuvTransferStep::Going : RuvTransferStep::Failed;
}

RuvTransferStep CRuvFileTransfer::OnConnected(int code) {
    if (state != Idle && state != ConnectingProxy)
        return RuvTransferStep::Going;
    // No proxy, no transfer: nothing else would ever move it on.
    if (code != 0)
        return RuvTransferStep::Failed;
    const std::string request = state == Idle ? BuildProxyJoin(ports.OwnScreenName(), port, cookie)
                                              : BuildProxyCreate(ports.OwnScreenName(), cookie);
    state = ProxyHandshake;
    return Send(request) ? RuvTransferStep::Going : RuvTransferStep::Failed;
}

RuvTransferStep CRuvFileTransfer::OnData(std::string_view bytes) {
    inbox.append(bytes);
    // Each packet may change the state: the rest of the read is framed as
    // the new state reads it.
    for (;;) {
        switch (state) {
        case ProxyHandshake: {
            const size_t size = ProxyPacketSize(inbox);
            if (size == 0 || inbox.size() < size)
                return RuvTransferStep::Going;
            const std::string packet = inbox.substr(0, size);
            inbox.erase(0, size);
            if (RuvTransferStep step = OnProxyPacket(packet); step != RuvTransferStep::Going)
                return step;
            break;
        }
        case Headers: {
            const size_t size = Oft2HeaderSize(inbox);
            if (inbox.size() >= 6 && size < kOft2MinSize)
                return RuvTransferStep::Failed;
            if (size == 0 || inbox.size() < size)
                return RuvTransferStep::Going;
            const std::string header = inbox.substr(0, size);
            inbox.erase(0, size);
            if (RuvTransferStep step = OnHeader(header); step != RuvTransferStep::Going)
                return step;
            break;
        }
        case ReceivingData: {
            if (inbox.empty())
                return RuvTransferStep::Going;
            const std::string data = std::exchange(inbox, {});
            return WriteReceived(data);
        }
        default:
            // Nothing is read in this state; a peer that keeps talking is
            // cut off before it fills the memory.
            return inbox.size() > kMaxIdleBytes ? RuvTransferStep::Failed : RuvTransferStep::Going;
        }
    }
}

RuvTransferStep CRuvFileTransfer::OnProxyPacket(std::string_view bytes) {
    const std::optional<ProxyPacket> packet = ReadProxyPacket(bytes);
    if (!packet)
        return RuvTransferStep::Failed;
    switch (packet->command) {
    case ProxyReady:
        state = Headers;
        if (!Has(kSending))
            return RuvTransferStep::Going;
        sink.Send(CRendezvousReplyPacket(sink.NextSequence(), cookie, screenName, 2));
        return SendHeader(Oft2Prompt) ? RuvTransferStep::Going : RuvTransferStep::Failed;
    case ProxyAcknowledge:
        address = packet->address;
        port = packet->port;
        // The peer joins the session we now have.
        if (Has(kSending))
            sink.Send(CProxyRedirectPacket(sink.NextSequence(), Target()));
        else
            sink.Send(CDirectRedirectPacket(sink.NextSequence(), Target()));
        return RuvTransferStep::Going;
    case ProxyError: return RuvTransferStep::Failed;
    default: return RuvTransferStep::Going;
    }
}

bool CRuvFileTransfer::SendHeader(uint16_t type) {
    const std::string header = BuildOft2Header(type, cookie, TotalSize(), DoneSize(), fileName);
    return !header.empty() && Send(header);
}

RuvTransferStep CRuvFileTransfer::OnHeader(std::string_view bytes) {
    const std::optional<Oft2Header> header = ReadOft2Header(bytes);
    if (!header || header->cookie.first != cookie.first || header->cookie.second != cookie.second)
        return RuvTransferStep::Failed;
    if (Has(kSending)) {
        switch (header->type) {
        case Oft2Acknowledge:
            if (Has(kFinished))
                return RuvTransferStep::Going;
            state = SendingData;
            return SendNextChunk();
        case Oft2Done:
            // Only once every byte went.
            if (!Has(kFinished))
                return RuvTransferStep::Failed;
            Disconnect();
            Report(RuvFTState::Completed);
            return RuvTransferStep::Over;
        default: return RuvTransferStep::Going;
        }
    }
    // The receiving side reads only the prompt, and only once.
    if (header->type != Oft2Prompt || !savedHeader.empty())
        return RuvTransferStep::Going;
    // The file is what was offered, whatever the prompt says.
    if (header->size != TotalSize())
        return RuvTransferStep::Failed;
    state = ReceivingData;
    savedHeader.assign(bytes);
    std::string answer = savedHeader;
    PatchOft2Header(answer, Oft2Acknowledge, 0);
    return Send(answer) ? RuvTransferStep::Going : RuvTransferStep::Failed;
}

RuvTransferStep CRuvFileTransfer::SendNextChunk() {
    if (!file.Whole()) {
        const bool first = file.doneSize == 0;
        std::string chunk;
        if (!file.TakeChunk(kChunkSize, chunk))
            return RuvTransferStep::Failed;
        Report(RuvFTState::Progress, first);
        if (!Send(chunk))
            return RuvTransferStep::Failed;
        if (!file.Whole())
            return RuvTransferStep::Going;
    }
    // Every byte is handed over: from now on the peer's done header is
    // read, even when it comes before the last chunk's send result.
    Set(kFinished);
    state = Headers;
    Report(RuvFTState::Progress);
    return RuvTransferStep::Going;
}

RuvTransferStep CRuvFileTransfer::OnSendResult(int result) {
    if (state != SendingData)
        return RuvTransferStep::Going;
    return result == 0 ? SendNextChunk() : RuvTransferStep::Failed;
}

RuvTransferStep CRuvFileTransfer::WriteReceived(std::string_view bytes) {
    const bool first = file.doneSize == 0;
    // Bytes past the offered size are refused, and the file with them.
    if (!file.AppendToFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))
        return RuvTransferStep::Failed;
    Report(RuvFTState::Progress, first);
    if (!file.Whole())
        return RuvTransferStep::Going;
    file.KeepFile();
    Set(kFinished);
    state = Headers;
    PatchOft2Header(savedHeader, Oft2Done, DoneSize());
    Send(savedHeader);
    savedHeader.clear();
    Disconnect();
    Report(RuvFTState::Completed);
    return RuvTransferStep::Over;
}

RuvTransferStep CRuvFileTransfer::OnClosed() {
    socket = 0;
    inbox.clear();
    // Whatever was under way is cut short.
    return Has(kConnectAsked) ? RuvTransferStep::Failed : RuvTransferStep::Going;
}
