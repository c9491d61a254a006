#pragma once
// XmppConnection: the byte layer under an account's XML stream. It owns the
// socket (through the sockets service), the receive buffer that feeds the
// stream parser, the parser itself and the zlib streams of a compressed
// connection, and hands its owner the stream header and each complete
// top-level element. Runs on the account's queue thread: the socket events
// that drive it arrive there.

#include "CYolString.h"
#include "XmlNode.h"
#include "XmlStreamParser.h"
#include "XmppCompression.h"

#include <functional>
#include <string_view>
#include <vector>

namespace Sockets {
class CSocketsManager;
class CYolSocket;
}  // namespace Sockets

// Where the connection delivers what the parser makes of the stream.
class MXmppStreamReader {
public:
    virtual void OnStreamHeader(const XmlNode& header) = 0;
    virtual void OnStanza(const XmlNode& element) = 0;
    // A stanza too large to keep: the element holds its name and the
    // attributes of its start tag, when they were known.
    virtual void OnStanzaDropped(const XmlNode& element) = 0;

protected:
    ~MXmppStreamReader() = default;
};

class XmppConnection {
public:
    // The sockets service as the account finds it now (null without one).
    using SocketsLookup = std::function<Sockets::CSocketsManager*()>;
    XmppConnection(MXmppStreamReader& reader, SocketsLookup sockets) : reader(reader), sockets(std::move(sockets)) {}
    XmppConnection(const XmppConnection&) = delete;
    XmppConnection& operator=(const XmppConnection&) = delete;

    // Drops any socket of an earlier attempt and starts connecting a new
    // one for the events client `owner`, with the service's own settings
    // for the rest: 0 once the connect is under way.
    int Open(unsigned int owner, const CYolString& host, unsigned int port, bool secure);
    // Closes and destroys the socket (Close first when `close`).
    void Drop(bool close);
    bool Owns(const Sockets::CYolSocket* socket) const { return socket != nullptr && socket == this->socket; }
    bool IsOpen() const { return socket != nullptr; }
    // The connect succeeded: a fresh stream starts.
    void OnConnected();

    // Forgets what the parser holds and reads what arrives next as a new
    // stream. Safe from inside a delivery: the parser then stops after the
    // element being delivered.
    void ResetStream();

    enum class ReadResult { Ok, Broken };
    // Reads what one data event announced, feeding the parser as it goes.
    // Broken: the stream cannot go on (a malformed stream, a broken zlib
    // stream, an unfinished construct larger than the buffer may grow).
    ReadResult OnData(int byteCount);

    // Sends the bytes as they are (deflated on a compressed connection);
    // false when they did not all go.
    bool SendText(std::string_view text);

    bool StartCompression() { return compression.Init(); }
    void ActivateCompression() { compression.Activate(); }
    bool IsCompressionActive() const { return compression.IsActive(); }

    // The largest the receive buffer may grow: the most the parser leaves
    // unread (an unfinished construct of a stanza's size) plus one read.
    static constexpr size_t kMaxReceiveBuffer = (size_t{1} << 20) + 4096;

private:
    // Grows the receive buffer to hold `capacity` bytes; false past the cap.
    bool GrowReceiveBuffer(size_t capacity);
    void FeedParser();
    // Bytes placed in the receive buffer, taken from the `announced` bytes
    // of the current data event and counted off them; 0 or less: nothing.
    int ReadSocket(size_t& announced);
    // One Receive of at most `room` bytes and no more than are `announced`.
    int TakeAnnounced(Sockets::CSocketsManager& service, char* out, size_t room, size_t& announced);

    static constexpr size_t kInitialReceiveBuffer = 2048;

    MXmppStreamReader& reader;
    SocketsLookup sockets;
    Sockets::CYolSocket* socket = nullptr;
    XmlStreamParser parser;
    std::vector<char> receiveBuffer = std::vector<char>(kInitialReceiveBuffer + 1, '\0');  // NUL after the data
    size_t receiveCapacity = kInitialReceiveBuffer;
    size_t receiveUsed = 0;
    XmppCompression compression;
};
