#pragma once
// CTransferSockets: the plain TCP connections an account opens for its file
// transfers, through the sockets service and owned by the account, so their
// events arrive on the account's queue thread. Each gets a small number the
// transfers name it by; a closed one is kept until its close is reported
// (CClosedSockets), so its late events are known as stale. The data of an
// event is read whole, a bounded block at a time, and handed on block by
// block. Runs on the account's queue thread.

#include "CClosedSockets.h"
#include "CYolString.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string_view>

// Where the events of transfer sockets go, by the number Connect gave.
class MTransferSocketEvents {
public:
    virtual void OnSocketConnected(int socket, int code) = 0;
    virtual void OnSocketData(int socket, const uint8_t* data, size_t size) = 0;
    virtual void OnSocketSendResult(int socket, int result) = 0;
    virtual void OnSocketClosed(int socket, int code) = 0;

protected:
    ~MTransferSocketEvents() = default;
};

class CTransferSockets {
public:
    using SocketsLookup = std::function<Sockets::CSocketsManager*()>;
    static constexpr int kMaxRead = 256 * 1024;

    explicit CTransferSockets(SocketsLookup sockets) : sockets(sockets), closed(std::move(sockets), 8) {}
    CTransferSockets(const CTransferSockets&) = delete;
    CTransferSockets& operator=(const CTransferSockets&) = delete;
    ~CTransferSockets() { CloseAll(); }

    // A socket of the events client `owner` connecting to host:port directly
    // in plain TCP; 0 when none could be made.
    int Connect(unsigned int owner, const CYolString& host, uint32_t port);
    bool Send(int socket, std::string_view bytes);
    // Closes the socket; no event reaches the transfers for it any more.
    void Close(int socket);
    void CloseAll();
    // Hands a socket event on when the socket is one of the transfers'; true
    // when it was (a closed one's events are swallowed).
    bool Route(Sockets::CYolSocket* socket, int event, int value, MTransferSocketEvents& events);

private:
    Sockets::CYolSocket* Handle(int socket) const;

    SocketsLookup sockets;
    std::map<int, Sockets::CYolSocket*> live;
    int last = 0;
    CClosedSockets closed;
};
