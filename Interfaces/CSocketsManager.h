#pragma once
// Sockets::CSocketsManager: the sockets service as its users see it, found as
// the service SocketsManagerGuid. Every network connection of the program and
// of the plug-ins is a socket of this service. A socket belongs to one events
// client, its owner, which learns everything that happens to the socket from
// socket events on the channel SocketsManagerGuid and never blocks on the
// network: the argument of each event is a
// Services::CEventArg_Data<Sockets::CYolSocket*>, the extra an int or a
// CYolString as the SocketEvent list below says.
//
// A caller connects with CreateSocket(own client key), GetSettings, filling
// host, port and secure, then Connect, and waits for ConnectResult.

#include "CYolString.h"

namespace Sockets {

class CYolSocket;

namespace ProxyType {
enum : unsigned int { None = 0, Http = 1, Socks4 = 2, Socks5 = 3 };
}

struct ConnectionSettings {
    CYolString accessPoint;  // the network to use; empty: the one for the address
    CYolString host;
    unsigned int port = 0;
    unsigned int proxyType = ProxyType::None;
    CYolString proxyHost;
    unsigned int proxyPort = 0;
    unsigned int proxyAuth = 0;  // nonzero: the proxy wants a login
    CYolString proxyLogin;
    CYolString proxyPassword;
    unsigned int secure = 0;  // 0 plain TCP; 1 or 2 a secure (TLS) connection
};

// Events on SocketsManagerGuid sent to a socket's owner.
namespace SocketEvent {
enum : int {
    ConnectResult = 2,  // int: 0 connected (secure handshake done), else the failing step's code
    Closed = 3,         // int: 0 closed by the peer or by Close, else the error
    DataAvailable = 4,  // int: bytes of the chunk announced; one Receive of that size takes it
    SendError = 5,      // int: after every Send, 0 or the socket error
    Progress = 8,       // CYolString: a connect step begins
    Error = 9,          // CYolString: a connect step failed
};
}

// Broadcast on SocketsManagerGuid without arguments whenever the traffic
// counters changed.
inline constexpr int SocketsTrafficChanged = 1;

// Result of Connect when the connect thread cannot be started.
inline constexpr int E_FAIL_RESULT = static_cast<int>(0x80004005u);

// Plug-ins are built against this exact table of operations: keep the order.
// Every operation taking a socket first checks that the service knows it
// (-2, or nothing, when it does not); nothing is dereferenced before that.
class CSocketsManager {
public:
    // A new socket owned by the client; null when it cannot be made.
    virtual CYolSocket* CreateSocket(unsigned int ownerClientKey) = 0;
    virtual bool IsValidSocket(CYolSocket* socket) = 0;
    // Closes and deletes: 0; -2 unknown socket; -1 on failure.
    virtual int DestroySocket(CYolSocket* socket) = 0;
    // Starts the socket's connect thread with a copy of the settings: 0;
    // E_FAIL_RESULT when the thread cannot start; -2 unknown socket. The
    // outcome arrives as events.
    virtual int Connect(CYolSocket* socket, const ConnectionSettings& settings) = 0;
    // Counts the bytes, then sends all of them: the count, or -1; event
    // SendError follows either way. -2 unknown socket.
    virtual int Send(CYolSocket* socket, const void* data, int length, int flags) = 0;
    // Takes at most `size` bytes of the oldest received chunk, never more
    // than one chunk per call: the count, 0 when nothing is queued; -2
    // unknown socket.
    virtual int Receive(CYolSocket* socket, void* buffer, int size, int flags) = 0;
    virtual void Close(CYolSocket* socket) = 0;
    virtual void CloseAll() = 0;
    // Accepted and without effect: 0, or -2 for an unknown socket.
    virtual int SetSocketOption(CYolSocket* socket, int value) = 0;
    virtual int Reserved9(CYolSocket* socket, int value) = 0;
    virtual int Reserved10(CYolSocket* socket, int value) = 0;
    virtual void GetSettings(ConnectionSettings& settings) = 0;
    // Replaces the connection settings (stored when the service ends).
    virtual void SetSettings(const ConnectionSettings& settings) = 0;
    // Totals since start over all sockets, wrapping at 2^32.
    virtual unsigned int GetBytesSent() = 0;
    virtual unsigned int GetBytesReceived() = 0;

protected:
    // The service is destroyed by the core, never through this interface.
    ~CSocketsManager() = default;
};

}  // namespace Sockets
