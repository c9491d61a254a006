#pragma once
// RuvConnection: the byte layer of an OSCAR account. It owns the socket
// (through the sockets service) and the frame assembler of the current
// connection, hands its reader each whole FLAP frame and never interprets
// one. The login connection and the session connection use it one after
// the other. Runs on the account's queue thread: the socket events that
// drive it arrive there.

#include "CClosedSockets.h"
#include "CYolString.h"
#include "FlapAssembler.h"

#include <functional>
#include <string_view>

namespace Sockets {
class CSocketsManager;
class CYolSocket;
}  // namespace Sockets

class MRuvFrameReader {
public:
    virtual void OnFrame(std::string_view frame) = 0;

protected:
    ~MRuvFrameReader() = default;
};

class RuvConnection {
public:
    using SocketsLookup = std::function<Sockets::CSocketsManager*()>;
    RuvConnection(MRuvFrameReader& reader, SocketsLookup sockets)
        : reader(reader), sockets(sockets), dropped(std::move(sockets)) {}
    RuvConnection(const RuvConnection&) = delete;
    RuvConnection& operator=(const RuvConnection&) = delete;
    ~RuvConnection();

    // Drops any earlier socket and starts connecting a new one for the
    // events client `owner`. 0 once the connect is under way, -3 without
    // the service, -4 without a socket, else the service's error.
    int Open(unsigned int owner, const CYolString& host, unsigned int port);
    // Closes the socket and forgets what was buffered. The socket object
    // is kept until its close is reported: while events of it may still be
    // queued, no new socket may be made at its address and take them.
    void Drop();
    // Events of any other socket (an earlier connection's) are stale.
    bool Owns(const Sockets::CYolSocket* socket) const { return socket != nullptr && socket == this->socket; }
    // The close of a dropped socket arrived: it is destroyed now. False for
    // a socket that was not dropped.
    bool ReleaseDropped(Sockets::CYolSocket* socket) { return dropped.Release(socket); }
    bool IsOpen() const { return socket != nullptr; }

    enum class ReadResult { Ok, Failed, Broken };
    // Reads the bytes one data event announced and delivers the frames they
    // complete. Failed: the read itself failed; Broken: a frame without the
    // start marker.
    ReadResult OnData(int byteCount);
    bool Send(std::string_view bytes);

private:
    bool Deliver();

    MRuvFrameReader& reader;
    SocketsLookup sockets;
    Sockets::CYolSocket* socket = nullptr;
    CClosedSockets dropped;
    FlapAssembler assembler;
    bool delivering = false;
    bool clearAfterDelivery = false;
};
