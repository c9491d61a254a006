#pragma once
// CRuvAvatarConnection: the second connection of an OSCAR account, to the
// icon service the main connection's redirect names. It owns its socket
// (through its own byte layer), its frame numbering, the redirect's cookie
// and the queue of icons still to ask for. It signs on with the cookie,
// goes through the service family's short handshake, then asks for one
// icon (10/06) at a time and hands each icon that comes back (10/07) to
// its owner.
//
// Its socket belongs to the account's events client, so its events, the
// owner's requests and the keep-alive timer all run on the account's queue
// thread: the queue needs no lock.

#include "CFlapPacket.h"
#include "CYolString.h"
#include "RuvConnection.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

// What the link tells the account that owns it.
class MRuvIconLinkOwner {
public:
    // The handshake is done (true), or the link lost it (false).
    virtual void IconLinkReady(bool ready) = 0;
    // An icon came; its bytes are whole.
    virtual void IconReceived(const CYolString& screenName, std::string_view hash, std::string_view icon) = 0;

protected:
    ~MRuvIconLinkOwner() = default;
};

class CRuvAvatarConnection final : private MRuvFrameReader {
public:
    static constexpr unsigned int kDefaultPort = 5190;
    static constexpr uint32_t kKeepAliveMs = 60000;
    // Icons waiting beyond this are not asked for: a list of thousands
    // must not grow the queue without end.
    static constexpr size_t kMaxQueued = 512;

    CRuvAvatarConnection(MRuvIconLinkOwner& owner, RuvConnection::SocketsLookup sockets, unsigned int clientId)
        : owner(owner), clientId(clientId), connection(*this, std::move(sockets)) {}
    CRuvAvatarConnection(const CRuvAvatarConnection&) = delete;
    CRuvAvatarConnection& operator=(const CRuvAvatarConnection&) = delete;
    ~CRuvAvatarConnection() { Close(); }

    // "host:port"; without a colon the whole text is the host and the port
    // is 5190. A port that is no number in 1..65535 leaves the port 0, and
    // Connect then refuses.
    void SetAddress(std::string_view address);
    void SetCookie(std::string value) { cookie = std::move(value); }
    // Connects (again) to the address: 0 once under way, else the byte
    // layer's error (-5 without a host or port).
    int Connect();
    // Drops the socket; the queue stays for a later connection.
    void Close();

    // Queues an icon to ask for; sends the oldest at once when the link is
    // ready. The same icon of the same user is queued once.
    void AddRequest(std::string hash, const CYolString& screenName);
    // A frame of channel 5 when the link is ready; false when none went.
    bool SendKeepAlive();

    bool Ready() const { return ready; }
    const CYolString& Host() const { return host; }
    unsigned int Port() const { return port; }
    size_t Queued() const { return queue.size(); }
    // The sequence number the next frame carries after `current`: numbers
    // stay below 0x7FFF.
    static constexpr uint16_t FollowingSequence(uint16_t current) {
        return current + 1u >= 0x7FFF ? 0 : static_cast<uint16_t>(current + 1u);
    }
    void SetSequence(uint16_t value) { sequence = value; }

    // The socket events of the link: each answers whether the socket was
    // the link's (current or dropped), so the account knows it was handled.
    bool OnSocketConnected(Sockets::CYolSocket* socket, int code);
    bool OnSocketData(Sockets::CYolSocket* socket, int byteCount);
    bool OnSocketClosed(Sockets::CYolSocket* socket);

    // One whole frame of the link (the byte layer's delivery; tests feed
    // frames here).
    void OnFrame(std::string_view frame) override;

private:
    struct Request {
        std::string hash;
        CYolString screenName;
    };
    void OnSnac(const uint8_t* frame, size_t size);
    bool Send(const CFlapPacket& packet);
    uint16_t Next() { return sequence = FollowingSequence(sequence); }
    void SendNextRequest();
    void Lost();

    MRuvIconLinkOwner& owner;
    unsigned int clientId;
    RuvConnection connection;
    std::deque<Request> queue;
    std::string cookie;
    CYolString host;
    unsigned int port = kDefaultPort;
    uint16_t sequence = 0;
    bool ready = false;
};
