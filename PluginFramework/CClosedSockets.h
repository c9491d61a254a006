#pragma once
// CClosedSockets: sockets a plug-in has closed but not yet destroyed. The
// sockets service may still hold events of a closed socket in the owner's
// queue; a socket destroyed at once could come back at the same address for
// the next connection, which would then take the old one's late reports for
// its own. So a closed socket is kept until its close is reported (or, when
// more than a few pile up, the oldest goes), and its other late events are
// known as stale. Runs on the owner's queue thread, like the events it sorts.

#include <cstddef>
#include <deque>
#include <functional>

namespace Sockets {
class CSocketsManager;
class CYolSocket;
}  // namespace Sockets

class CClosedSockets {
public:
    using SocketsLookup = std::function<Sockets::CSocketsManager*()>;
    explicit CClosedSockets(SocketsLookup sockets, size_t kept = 4) : sockets(std::move(sockets)), kept(kept) {}
    CClosedSockets(const CClosedSockets&) = delete;
    CClosedSockets& operator=(const CClosedSockets&) = delete;
    // Whatever is still kept is destroyed.
    ~CClosedSockets() { DestroyAll(); }

    // Closes `socket` and keeps it; a socket the service no longer knows is
    // only forgotten.
    void Close(Sockets::CYolSocket* socket);
    // True when `socket` is one of ours that was closed: its events are stale.
    bool Holds(const Sockets::CYolSocket* socket) const;
    // The close of a kept socket arrived: it is destroyed now. False for a
    // socket that is not kept.
    bool Release(Sockets::CYolSocket* socket);
    // Destroys every kept socket (the owner goes, its queue with it).
    void DestroyAll();
    size_t Count() const { return closed.size(); }

private:
    void Destroy(Sockets::CYolSocket* socket);

    SocketsLookup sockets;
    size_t kept;
    std::deque<Sockets::CYolSocket*> closed;
};
