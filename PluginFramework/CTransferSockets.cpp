#include "CTransferSockets.h"

#include "CSocketsManager.h"

#include <algorithm>
#include <vector>

Sockets::CYolSocket* CTransferSockets::Handle(int socket) const {
    auto found = live.find(socket);
    return found == live.end() ? nullptr : found->second;
}

int CTransferSockets::Connect(unsigned int owner, const CYolString& host, uint32_t port) {
    Sockets::CSocketsManager* service = sockets();
    Sockets::CYolSocket* socket = service ? service->CreateSocket(owner) : nullptr;
    if (socket == nullptr)
        return 0;
    Sockets::ConnectionSettings connection;
    service->GetSettings(connection);
    connection.host = host;
    connection.port = port;
    // Peers and transfer proxies are reached directly, in plain TCP.
    connection.proxyType = Sockets::ProxyType::None;
    connection.secure = 0;
    if (service->Connect(socket, connection) != 0) {
        service->DestroySocket(socket);
        return 0;
    }
    live[++last] = socket;
    return last;
}

bool CTransferSockets::Send(int socket, std::string_view bytes) {
    Sockets::CSocketsManager* service = sockets();
    Sockets::CYolSocket* handle = Handle(socket);
    return service != nullptr && handle != nullptr && !bytes.empty() &&
           service->Send(handle, bytes.data(), static_cast<int>(bytes.size()), 0) >= 0;
}

void CTransferSockets::Close(int socket) {
    Sockets::CYolSocket* handle = Handle(socket);
    live.erase(socket);
    closed.Close(handle);
}

void CTransferSockets::CloseAll() {
    while (!live.empty())
        Close(live.begin()->first);
    closed.DestroyAll();
}

bool CTransferSockets::Route(Sockets::CYolSocket* socket, int event, int value, MTransferSocketEvents& events) {
    if (closed.Holds(socket)) {
        // What a socket we closed still reports is stale; its close frees it.
        if (event == Sockets::SocketEvent::Closed)
            closed.Release(socket);
        return true;
    }
    auto found = std::find_if(live.begin(), live.end(), [socket](const auto& entry) { return entry.second == socket; });
    if (socket == nullptr || found == live.end())
        return false;
    const int id = found->first;
    switch (event) {
    case Sockets::SocketEvent::ConnectResult: events.OnSocketConnected(id, value); break;
    case Sockets::SocketEvent::Closed:
        events.OnSocketClosed(id, value);
        // Its close is told: nothing more can come of it.
        Close(id);
        closed.Release(socket);
        break;
    case Sockets::SocketEvent::DataAvailable: {
        Sockets::CSocketsManager* service = sockets();
        std::vector<uint8_t> block(static_cast<size_t>(std::clamp(value, 0, kMaxRead)));
        // The transfer may end (and its socket go) on any block.
        for (int left = value; service != nullptr && left > 0 && Handle(id) == socket;) {
            const int got = service->Receive(socket, block.data(), std::min(left, static_cast<int>(block.size())), 0);
            if (got <= 0)
                break;
            left -= got;
            events.OnSocketData(id, block.data(), static_cast<size_t>(got));
        }
        break;
    }
    case Sockets::SocketEvent::SendError: events.OnSocketSendResult(id, value); break;
    default: break;
    }
    return true;
}
