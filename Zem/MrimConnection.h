#pragma once
// MrimConnection: the byte layer of an MRIM account. It owns the socket
// (through the sockets service), the packet assembler of the session and
// the text of the first connection, which answers only with the address of
// the server to use. It hands its owner the redirect address and each whole
// packet, and never interprets a packet. Runs on the account's queue thread:
// the socket events that drive it arrive there.

#include "CClosedSockets.h"
#include "CYolString.h"
#include "MrimPacketAssembler.h"
#include "MrimWire.h"

#include <functional>
#include <string>
#include <string_view>

namespace Sockets {
class CSocketsManager;
class CYolSocket;
}  // namespace Sockets

// What the connection delivers.
class MMrimConnectionReader {
public:
    // The first connection named the server to use (host checked, port 1 to
    // 65535), or its text was not an address (valid false).
    virtual void OnRedirect(bool valid, const CYolString& host, unsigned int port) = 0;
    virtual void OnPacket(const MrimPacket& packet) = 0;

protected:
    ~MMrimConnectionReader() = default;
};

// The redirect text "host:port", read until a line end or the close; false
// when it is not a plain host name or address and a port.
bool ParseRedirectText(std::string_view text, CYolString& host, unsigned int& port);

class MrimConnection {
public:
    using SocketsLookup = std::function<Sockets::CSocketsManager*()>;
    MrimConnection(MMrimConnectionReader& reader, SocketsLookup sockets)
        : reader(reader), sockets(sockets), dropped(std::move(sockets)) {}
    ~MrimConnection() { Drop(); }
    MrimConnection(const MrimConnection&) = delete;
    MrimConnection& operator=(const MrimConnection&) = delete;

    // Drops any earlier socket and starts connecting a new one for the
    // events client `owner`; `redirect` marks the first (address) connection.
    // 0 once the connect is under way, -3 without the service, -4 without a
    // socket, else the service's error.
    int Open(unsigned int owner, const CYolString& host, unsigned int port, bool redirect);
    // Closes the socket and forgets what was buffered. The socket object is
    // kept until its close is reported: while events of it may still be
    // queued, no new socket may be made at its address and take them.
    void Drop();
    // Events of any other socket (an earlier connection's) are stale.
    bool Owns(const Sockets::CYolSocket* socket) const { return socket != nullptr && socket == this->socket; }
    // The close of a dropped socket arrived: it is destroyed now. False for
    // a socket that was not dropped.
    bool ReleaseDropped(Sockets::CYolSocket* old) { return dropped.Release(old); }
    bool IsOpen() const { return socket != nullptr; }
    bool IsRedirect() const { return redirect; }

    enum class ReadResult { Ok, Failed, Broken };
    // Reads the bytes one data event announced and delivers what they
    // complete. Failed: the read itself failed; Broken: the stream cannot go
    // on (a packet larger than the buffer may hold, a redirect text too long).
    ReadResult OnData(int byteCount);
    // The peer closed the first connection: its text is complete.
    void OnRedirectClosed();

    // Sends one block as it is; false when it did not all go.
    bool Send(std::string_view bytes);

    static constexpr size_t kMaxRedirectText = 256;

private:
    void FinishRedirect();
    // Hands out every whole packet buffered; false when the stream broke.
    bool Deliver();

    MMrimConnectionReader& reader;
    SocketsLookup sockets;
    Sockets::CYolSocket* socket = nullptr;
    CClosedSockets dropped;
    bool redirect = false;
    std::string redirectText;
    MrimPacketAssembler assembler;
    bool delivering = false;
    bool clearAfterDelivery = false;
};
