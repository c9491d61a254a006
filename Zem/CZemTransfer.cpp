#include "CZemTransfer.h"

#include <algorithm>

namespace {

constexpr std::string_view kHello = "Zem_FT_HELLO ";
constexpr std::string_view kGetFile = "Zem_FT_GET_FILE ";

bool IsPlaceholder(const MrimTransferAddress& address) {
    static const std::vector<MrimTransferAddress> ours = ParseAddressList(MrimTransfer::kPlaceholderAddresses);
    return std::any_of(ours.begin(), ours.end(), [&](const MrimTransferAddress& own) {
        return own.port == address.port && own.host == address.host;
    });
}

}  // namespace

CZemTransfer::File& CZemTransfer::AddFile(std::string offered, uint32_t size) {
    auto file = std::make_unique<File>();
    file->name = From1251Bytes(offered);
    file->offered = std::move(offered);
    file->data.totalSize = size;
    files.push_back(std::move(file));
    return *files.back();
}

void CZemTransfer::CloseSocket() {
    if (socket != 0)
        ports.CloseTransfer(socket);
    socket = 0;
    inbox.clear();
}

void CZemTransfer::Report(ZemFTState state, bool activate) {
    const File* file = currentFile < files.size() ? files[currentFile].get() : FirstFile();
    Protocols::FTProgress progress;
    progress.contactId = contact;
    progress.state = static_cast<unsigned int>(state);
    progress.activate = activate ? 1 : 0;
    progress.outgoing = outgoing ? 1 : 0;
    if (file != nullptr) {
        progress.fileName = file->name;
        progress.totalSize = static_cast<unsigned int>(file->data.totalSize);
        progress.doneSize = static_cast<unsigned int>(file->data.doneSize);
    }
    ports.ReportProgress(progress);
}

void CZemTransfer::DiscardCurrent() {
    if (File* file = Current())
        file->data.DiscardFile();
}

TransferStep CZemTransfer::ConnectNext(TransferConnState mode) {
    CloseSocket();
    connState = TransferConnState::Idle;
    while (nextAddress < addresses.size()) {
        const MrimTransferAddress& address = addresses[nextAddress++];
        // Nobody listens on what such a client announces: no use trying.
        if (IsPlaceholder(address))
            continue;
        socket = ports.ConnectTransfer(address.host, address.port);
        if (socket != 0) {
            connState = connectMode = mode;
            return TransferStep::Going;
        }
    }
    nextAddress = 0;
    // The proxy was the last resort.
    if (mode == TransferConnState::ConnectingProxy)
        return TransferStep::Failed;
    if (outgoing)
        sink.SendPacket(MrimPacketType::Proxy, BuildProxyRequest(peer, sessionId, fileListRaw, fileListWide));
    else
        sink.SendPacket(MrimPacketType::FileTransferAck, BuildTransferAnswer(4, peer, sessionId));
    return TransferStep::Going;
}

TransferStep CZemTransfer::OnConnected(int code) {
    if (connState != TransferConnState::ConnectingDirect && connState != TransferConnState::ConnectingProxy)
        return TransferStep::Going;
    if (code != 0)
        return ConnectNext(connectMode);
    if (connState == TransferConnState::ConnectingDirect) {
        connState = TransferConnState::Greeting;
        return SendHello();
    }
    connState = TransferConnState::ProxyWait;
    return ports.SendTransfer(socket, BuildProxyHello(proxyId)) ? TransferStep::Going : TransferStep::Failed;
}

TransferStep CZemTransfer::SendHello() {
    std::string hello(kHello);
    hello += To1251Bytes(ports.OwnAddress());
    hello.push_back('\0');
    return ports.SendTransfer(socket, hello) ? TransferStep::Going : TransferStep::Failed;
}

TransferStep CZemTransfer::OnData(std::string_view bytes) {
    switch (connState) {
    case TransferConnState::Receiving: return ReceiveData(bytes);
    case TransferConnState::ProxyWait:
    case TransferConnState::Greeting: break;
    default: return TransferStep::Going;  // nothing is due from the peer now
    }
    inbox.append(bytes);
    if (connState == TransferConnState::ProxyWait) {
        const MrimProxyHelloReply reply = ReadProxyHelloReply(inbox);
        if (reply.result == MrimProxyHelloReply::Result::NeedMore)
            return TransferStep::Going;
        if (reply.result == MrimProxyHelloReply::Result::Refused)
            return TransferStep::Failed;
        inbox.erase(0, reply.used);
        connState = TransferConnState::Greeting;
        // On the proxy the receiver speaks first.
        if (!outgoing && SendHello() == TransferStep::Failed)
            return TransferStep::Failed;
    }
    while (connState == TransferConnState::Greeting) {
        const size_t end = inbox.find('\0');
        if (end == std::string::npos)
            return inbox.size() > kMaxGreeting ? TransferStep::Failed : TransferStep::Going;
        const std::string text = inbox.substr(0, end);
        inbox.erase(0, end + 1);
        if (TransferStep step = OnGreetingText(text); step != TransferStep::Going)
            return step;
    }
    // Whatever followed the last greeting text is the file's first data.
    std::string rest = std::exchange(inbox, {});
    return connState == TransferConnState::Receiving && !rest.empty() ? ReceiveData(rest) : TransferStep::Going;
}

bool CZemTransfer::IsPeersHello(std::string_view text) const {
    return text.substr(0, kHello.size()) == kHello && SameAddressText(text.substr(kHello.size()), To1251Bytes(peer));
}

TransferStep CZemTransfer::OnGreetingText(std::string_view text) {
    if (IsPeersHello(text)) {
        if (!outgoing) {
            connState = TransferConnState::Receiving;
            return RequestNextFile();
        }
        // The receiver asks at once when it already spoke; else we answer.
        return inbox.empty() ? SendHello() : TransferStep::Going;
    }
    if (outgoing && text.substr(0, kGetFile.size()) == kGetFile)
        return HandleGetFile(text.substr(kGetFile.size()));
    return TransferStep::Failed;
}

TransferStep CZemTransfer::RequestNextFile() {
    for (; currentFile < files.size(); ++currentFile) {
        File& file = *files[currentFile];
        // The offered base name in the chosen folder, never over a file
        // that is there already.
        file.data.fileName = FreeTargetPath(folder + CYolString(u"/") + TransferBaseName(file.name));
        if (file.data.fileName.IsEmpty())
            return TransferStep::Failed;
        if (file.data.totalSize > 0) {
            std::string request(kGetFile);
            request += file.offered;
            request.push_back('\0');
            return ports.SendTransfer(socket, request) ? TransferStep::Going : TransferStep::Failed;
        }
        // An empty file has no data to ask for.
        if (!file.data.AppendToFile(nullptr, 0))
            return TransferStep::Failed;
        file.data.KeepFile();
        Report(ZemFTState::Completed);
    }
    CloseSocket();
    return TransferStep::Over;
}

TransferStep CZemTransfer::HandleGetFile(std::string_view name) {
    for (currentFile = 0; currentFile < files.size(); ++currentFile)
        if (files[currentFile]->offered == name) {
            connState = TransferConnState::Sending;
            return SendNextChunk();
        }
    currentFile = 0;
    return TransferStep::Failed;
}

TransferStep CZemTransfer::SendNextChunk() {
    File& file = *files[currentFile];
    if (file.data.Whole())
        return SendingDone();
    const bool first = file.data.doneSize == 0;
    std::string chunk;
    if (!file.data.TakeChunk(kChunkSize, chunk))
        return TransferStep::Failed;
    Report(ZemFTState::Progress, first);
    return ports.SendTransfer(socket, chunk) ? TransferStep::Going : TransferStep::Failed;
}

TransferStep CZemTransfer::SendingDone() {
    Report(ZemFTState::Completed);
    connState = TransferConnState::Idle;
    CloseSocket();
    return TransferStep::Over;
}

TransferStep CZemTransfer::OnSendResult(int result) {
    if (connState != TransferConnState::Sending)
        return TransferStep::Going;
    return result == 0 ? SendNextChunk() : TransferStep::Failed;
}

TransferStep CZemTransfer::ReceiveData(std::string_view bytes) {
    File* file = Current();
    // Data past the offered size, or the write failing, ends the transfer.
    if (file == nullptr ||
        !file->data.AppendToFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))
        return TransferStep::Failed;
    const bool first = file->data.doneSize == static_cast<int64_t>(bytes.size());
    Report(ZemFTState::Progress, first);
    if (!file->data.Whole())
        return TransferStep::Going;
    file->data.KeepFile();
    Report(ZemFTState::Completed);
    ++currentFile;
    return RequestNextFile();
}

TransferStep CZemTransfer::OnClosed() {
    const TransferConnState was = connState;
    // The socket's owner frees it now that its close is told.
    socket = 0;
    inbox.clear();
    connState = TransferConnState::Idle;
    switch (was) {
    // A peer or proxy that hangs up before the greeting is over: the next
    // address, the same way.
    case TransferConnState::Greeting:
    case TransferConnState::ProxyWait: return ConnectNext(connectMode);
    // The receiver hangs up once it has every byte, and that may be told
    // before the result of the last send: with the whole file handed over,
    // the close ends the transfer as done.
    case TransferConnState::Sending: {
        const File* file = Current();
        return file != nullptr && file->data.Whole() ? SendingDone() : TransferStep::Failed;
    }
    // The file was under way: the close cut it short.
    case TransferConnState::Receiving: return TransferStep::Failed;
    default: return TransferStep::Going;
    }
}
