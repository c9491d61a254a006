// The account's side of file transfers: the program's commands, the
// reports, and the bytestream sockets the transfers open through the
// sockets service (owned by the account, so their events come on its
// queue thread).

#include "CJabberAccount.h"

#include "CSocketsManager.h"

#include <algorithm>
#include <vector>

namespace {
// One receive takes at most this much of what a bytestream announced.
constexpr int kMaxBytestreamRead = 256 * 1024;
}  // namespace

int CJabberAccount::SendFile(unsigned int contact, CYolString path) {
    if (status > Protocols::Connecting)
        transfers.SendFile(contact, path);
    return 0;
}

int CJabberAccount::AcceptFile(unsigned int contact, CYolString fileName, CYolString targetPath) {
    transfers.AcceptFile(contact, fileName, targetPath);
    return 0;
}

int CJabberAccount::RefuseFile(unsigned int contact, CYolString fileName) {
    transfers.RefuseFile(contact, fileName);
    return 0;
}

void CJabberAccount::ReportProgress(const Protocols::FTProgress& progress) {
    SendAccountEvent(Protocols::AccountEvent::FileTransferProgress, NewFTProgressEventArg(progress));
}

CYolString CJabberAccount::BytestreamProxy() {
    return settings.fileTransferProxyEnabled ? settings.fileTransferProxy : CYolString();
}

Sockets::CYolSocket* CJabberAccount::BytestreamSocket(int socket) const {
    auto found = bytestreamSockets.find(socket);
    return found == bytestreamSockets.end() ? nullptr : found->second;
}

int CJabberAccount::Connect(const CYolString& host, uint32_t port) {
    Sockets::CSocketsManager* service = SocketsService();
    Sockets::CYolSocket* socket = service ? service->CreateSocket(GetClientId()) : nullptr;
    if (socket == nullptr)
        return 0;
    Sockets::ConnectionSettings connection;
    service->GetSettings(connection);
    connection.host = host;
    connection.port = port;
    // Stream hosts are reached directly, in plain TCP.
    connection.proxyType = Sockets::ProxyType::None;
    connection.secure = 0;
    if (service->Connect(socket, connection) != 0) {
        service->DestroySocket(socket);
        return 0;
    }
    const int id = ++lastBytestreamSocket;
    bytestreamSockets[id] = socket;
    return id;
}

bool CJabberAccount::Send(int socket, const std::string& bytes) {
    Sockets::CSocketsManager* service = SocketsService();
    Sockets::CYolSocket* handle = BytestreamSocket(socket);
    return service != nullptr && handle != nullptr &&
           service->Send(handle, bytes.data(), static_cast<int>(bytes.size()), 0) >= 0;
}

void CJabberAccount::Close(int socket) {
    Sockets::CYolSocket* handle = BytestreamSocket(socket);
    bytestreamSockets.erase(socket);
    closedBytestreams.Close(handle);
}

bool CJabberAccount::OnTransferSocketEvent(Sockets::CYolSocket* socket, int event, int value) {
    if (closedBytestreams.Holds(socket)) {
        // What a socket we closed still reports is stale; its close frees it.
        if (event == Sockets::SocketEvent::Closed)
            closedBytestreams.Release(socket);
        return true;
    }
    auto found = std::find_if(bytestreamSockets.begin(), bytestreamSockets.end(),
                              [socket](const auto& entry) { return entry.second == socket; });
    if (socket == nullptr || found == bytestreamSockets.end())
        return false;
    const int id = found->first;
    switch (event) {
    case Sockets::SocketEvent::ConnectResult: transfers.OnSocketConnected(id, value); break;
    case Sockets::SocketEvent::Closed: transfers.OnSocketClosed(id, value); break;
    case Sockets::SocketEvent::DataAvailable: {
        Sockets::CSocketsManager* service = SocketsService();
        std::vector<uint8_t> block(static_cast<size_t>(std::clamp(value, 0, kMaxBytestreamRead)));
        // The chunk is taken whole, a bounded block at a time; the session
        // may end (and its socket go) on any block.
        for (int left = value; service != nullptr && left > 0 && BytestreamSocket(id) == socket;) {
            const int got = service->Receive(socket, block.data(), std::min(left, static_cast<int>(block.size())), 0);
            if (got <= 0)
                break;
            left -= got;
            transfers.OnSocketData(id, block.data(), static_cast<size_t>(got));
        }
        break;
    }
    case Sockets::SocketEvent::SendError: transfers.OnSocketSendResult(id, value); break;
    default: break;
    }
    return true;
}

int CJabberAccount::OnSocketSendError(Sockets::CYolSocket* socket, int code) {
    if (OnTransferSocketEvent(socket, Sockets::SocketEvent::SendError, code))
        return 0;
    // Each send on the account's own connection lets one in-band chunk go.
    if (connection.Owns(socket))
        transfers.OnSendResult(code);
    return 0;
}
