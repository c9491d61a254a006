#include "ZemFileTransfer.h"

#include <algorithm>
#include <climits>

// ---- the list ----

CZemTransfer* ZemFileTransfer::FindBySession(uint32_t sessionId, const CYolString& from) {
    for (const auto& transfer : transfers)
        if (transfer->sessionId == sessionId && SameAddressText(transfer->peer.ToUtf8(), from.ToUtf8()))
            return transfer.get();
    return nullptr;
}

CZemTransfer* ZemFileTransfer::FindByFile(unsigned int contact, const CYolString& name) {
    for (const auto& transfer : transfers)
        if (transfer->contact == contact && transfer->FirstFile() != nullptr && transfer->FirstFile()->name == name)
            return transfer.get();
    return nullptr;
}

CZemTransfer* ZemFileTransfer::FindBySocket(int socket) {
    for (const auto& transfer : transfers)
        if (socket != 0 && transfer->socket == socket)
            return transfer.get();
    return nullptr;
}

uint32_t ZemFileTransfer::NewSessionId() {
    for (;;) {
        const uint32_t id = random();
        if (id != 0 && std::none_of(transfers.begin(), transfers.end(),
                                    [id](const auto& transfer) { return transfer->sessionId == id; }))
            return id;
    }
}

void ZemFileTransfer::Drop(CZemTransfer* transfer) {
    auto it = std::find_if(transfers.begin(), transfers.end(), [transfer](const auto& t) { return t.get() == transfer; });
    if (it != transfers.end())
        transfers.erase(it);
}

void ZemFileTransfer::Fail(CZemTransfer* transfer, ZemFTState report) {
    transfer->CloseSocket();
    // The partial file goes before anyone hears that the transfer ended.
    transfer->DiscardCurrent();
    transfer->Report(report);
    Drop(transfer);
}

void ZemFileTransfer::Apply(CZemTransfer* transfer, TransferStep step) {
    if (step == TransferStep::Failed)
        Fail(transfer, ZemFTState::Failed);
    else if (step == TransferStep::Over)
        Drop(transfer);
}

size_t ZemFileTransfer::Count() {
    Lock guard(lock);
    return transfers.size();
}

void ZemFileTransfer::EndSession() {
    Lock guard(lock);
    while (!transfers.empty())
        Fail(transfers.front().get(), ZemFTState::Failed);
}

// ---- the user's commands ----

int ZemFileTransfer::SendFile(unsigned int contact, const CYolString& path) {
    Lock guard(lock);
    const ZemContact* entry = contacts.FindByItem(contact);
    const int64_t size = TransferFileSize(path);
    const CYolString name = TransferBaseName(path);
    // The list texts are cut at ";": a name holding one cannot travel.
    if (entry == nullptr || size <= 0 || size > UINT32_MAX || name.IsEmpty() || name.Find(0, CYolString(u";")) >= 0 ||
        FindByFile(contact, name) != nullptr)
        return -1;
    auto transfer = std::make_unique<CZemTransfer>(sink, ports);
    transfer->outgoing = true;
    transfer->peer = entry->address;
    transfer->contact = contact;
    transfer->sessionId = NewSessionId();
    transfer->totalSize = static_cast<uint32_t>(size);
    const CYolString list = name + CYolString(u";") + CYolString(static_cast<unsigned int>(size), false) + CYolString(u";");
    transfer->fileListRaw = To1251Bytes(list);
    transfer->fileListWide = ToUtf16Bytes(list);
    CZemTransfer::File& file = transfer->AddFile(To1251Bytes(name), static_cast<uint32_t>(size));
    file.name = name;
    file.data.fileName = path;
    const std::string body = BuildTransferOffer(transfer->peer, transfer->sessionId, transfer->totalSize,
                                                transfer->fileListRaw, transfer->fileListWide);
    if (!sink.SendPacket(MrimPacketType::FileTransfer, body))
        return -1;
    transfers.push_back(std::move(transfer));
    return 0;
}

void ZemFileTransfer::AcceptFile(unsigned int contact, const CYolString& fileName, const CYolString& targetPath) {
    Lock guard(lock);
    CZemTransfer* transfer = FindByFile(contact, fileName);
    if (transfer == nullptr || transfer->outgoing || transfer->connState != TransferConnState::Idle)
        return;
    // Only the folder of the chosen path counts: the files keep their
    // offered names.
    const std::u16string target(targetPath.IsEmpty() ? u"" : targetPath.c_str());
    const size_t slash = target.find_last_of(u'/');
    transfer->folder = slash == std::u16string::npos ? CYolString(u".")
                                                      : CYolString(target.c_str(), static_cast<int>(slash));
    Apply(transfer, transfer->ConnectNext(TransferConnState::ConnectingDirect));
}

void ZemFileTransfer::RefuseFile(unsigned int contact, const CYolString& fileName) {
    Lock guard(lock);
    CZemTransfer* transfer = FindByFile(contact, fileName);
    if (transfer == nullptr)
        return;
    // The peer hears of it either way, so its side ends as well.
    sink.SendPacket(MrimPacketType::FileTransferAck, BuildTransferAnswer(0, transfer->peer, transfer->sessionId));
    Fail(transfer, ZemFTState::Cancelled);
}

// ---- packets of the session ----

void ZemFileTransfer::OnOffer(const MrimPacket& packet) {
    Lock guard(lock);
    std::optional<MrimTransferOffer> offer = ParseTransferOffer(packet.body);
    const ZemContact* sender = offer ? contacts.FindByAddress(offer->from) : nullptr;
    if (sender == nullptr || FindBySession(offer->sessionId, offer->from) != nullptr)
        return;
    std::vector<MrimOfferedFile> files = ParseFileList(offer->fileList);
    if (files.empty())
        return;
    auto transfer = std::make_unique<CZemTransfer>(sink, ports);
    transfer->peer = sender->address;
    transfer->contact = sender->clItemId;
    transfer->sessionId = offer->sessionId;
    transfer->totalSize = offer->totalSize;
    transfer->fileListRaw = std::move(offer->fileList);
    transfer->fileListWide = std::move(offer->wideList);
    transfer->addresses = ParseAddressList(offer->addresses);
    for (MrimOfferedFile& file : files)
        transfer->AddFile(std::move(file.name), file.size);
    transfer->Report(ZemFTState::Offered);
    transfers.push_back(std::move(transfer));
}

void ZemFileTransfer::OnAnswer(const MrimPacket& packet) {
    Lock guard(lock);
    std::optional<MrimTransferAnswer> answer = ParseTransferAnswer(packet.body);
    CZemTransfer* transfer = answer ? FindBySession(answer->sessionId, answer->from) : nullptr;
    if (transfer == nullptr)
        return;
    switch (answer->status) {
    case 0:
    case 2:
    case 3: Fail(transfer, ZemFTState::Cancelled); break;
    case 4:
        if (transfer->connState != TransferConnState::Idle)
            break;
        transfer->addresses = ParseAddressList(answer->addresses);
        transfer->nextAddress = 0;
        Apply(transfer, transfer->ConnectNext(TransferConnState::ConnectingDirect));
        break;
    default: break;
    }
}

void ZemFileTransfer::ToProxy(CZemTransfer& transfer, const MrimProxyAnswer& answer) {
    transfer.proxyId = answer.proxyId;
    transfer.addresses = ParseAddressList(answer.addresses);
    transfer.nextAddress = 0;
    Apply(&transfer, transfer.ConnectNext(TransferConnState::ConnectingProxy));
}

void ZemFileTransfer::OnProxy(const MrimPacket& packet) {
    Lock guard(lock);
    std::optional<MrimProxyAnswer> answer = ParseProxyPacket(packet.body, false);
    CZemTransfer* transfer = answer ? FindBySession(answer->sessionId, answer->from) : nullptr;
    if (transfer == nullptr || answer->dataType != 2 || transfer->connState != TransferConnState::Idle)
        return;
    sink.SendPacket(MrimPacketType::ProxyAck, BuildProxyAck(transfer->peer, transfer->sessionId, transfer->fileListRaw,
                                                            answer->addresses, answer->proxyId));
    ToProxy(*transfer, *answer);
}

void ZemFileTransfer::OnProxyAck(const MrimPacket& packet) {
    Lock guard(lock);
    std::optional<MrimProxyAnswer> answer = ParseProxyPacket(packet.body, true);
    CZemTransfer* transfer = answer ? FindBySession(answer->sessionId, answer->from) : nullptr;
    if (transfer == nullptr || transfer->connState != TransferConnState::Idle)
        return;
    if (answer->status == 1 && answer->dataType == 2)
        ToProxy(*transfer, *answer);
    else
        Fail(transfer, ZemFTState::Failed);
}

// ---- the transfer connections ----

void ZemFileTransfer::OnSocketConnected(int socket, int code) {
    Lock guard(lock);
    if (CZemTransfer* transfer = FindBySocket(socket))
        Apply(transfer, transfer->OnConnected(code));
}

void ZemFileTransfer::OnSocketData(int socket, const uint8_t* data, size_t size) {
    Lock guard(lock);
    if (CZemTransfer* transfer = FindBySocket(socket))
        Apply(transfer, transfer->OnData(std::string_view(reinterpret_cast<const char*>(data), size)));
}

void ZemFileTransfer::OnSocketSendResult(int socket, int result) {
    Lock guard(lock);
    if (CZemTransfer* transfer = FindBySocket(socket))
        Apply(transfer, transfer->OnSendResult(result));
}

void ZemFileTransfer::OnSocketClosed(int socket, int) {
    Lock guard(lock);
    if (CZemTransfer* transfer = FindBySocket(socket)) {
        Apply(transfer, transfer->OnClosed());
    }
}
