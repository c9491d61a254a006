#include "CClosedSockets.h"

#include "CSocketsManager.h"

#include <algorithm>

void CClosedSockets::Close(Sockets::CYolSocket* socket) {
    Sockets::CSocketsManager* service = sockets();
    if (service == nullptr || socket == nullptr || !service->IsValidSocket(socket))
        return;
    service->Close(socket);
    closed.push_back(socket);
    if (closed.size() > kept) {
        Destroy(closed.front());
        closed.pop_front();
    }
}

bool CClosedSockets::Holds(const Sockets::CYolSocket* socket) const {
    return socket != nullptr && std::find(closed.begin(), closed.end(), socket) != closed.end();
}

bool CClosedSockets::Release(Sockets::CYolSocket* socket) {
    auto it = std::find(closed.begin(), closed.end(), socket);
    if (socket == nullptr || it == closed.end())
        return false;
    closed.erase(it);
    Destroy(socket);
    return true;
}

void CClosedSockets::DestroyAll() {
    while (!closed.empty()) {
        Destroy(closed.front());
        closed.pop_front();
    }
}

void CClosedSockets::Destroy(Sockets::CYolSocket* socket) {
    if (Sockets::CSocketsManager* service = sockets(); service != nullptr && service->IsValidSocket(socket))
        service->DestroySocket(socket);
}
