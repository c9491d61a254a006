#pragma once
// Sockets::CYolSocket: one socket of the sockets service with its
// connect-and-receive thread and its receive queue. The thread gets the
// network connection, connects (directly or through a proxy), runs the TLS
// handshake when asked, reports the result and then queues what arrives
// until the connection ends.
//
// The receive queue is a list of chunks. A DataAvailable event announces one
// chunk, and its count is that chunk's size, so an owner that takes the
// announced count in one Receive per event gets every byte. While the owner
// still holds announced bytes, what arrives grows one unannounced chunk at
// the tail; that chunk is announced once the owner has taken everything it
// was told of, and before the connection's Closed event. A busy owner thus
// gets one event per round of reading, not one per read.
//
// Every wait of the thread polls the socket's wake descriptor beside the
// socket, so Close ends any phase at once; the thread is then joined. Owners
// hold the pointer as an opaque handle: the service creates, validates and
// deletes sockets.

#include "CSocketsManager.h"
#include "ConnectionManager.h"
#include "SocketIo.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Sockets {

class CSecureChannel;
class CProxyHandshake;

// Tunables of the connect thread; the defaults are the program's.
struct SocketOptions {
    int connectTimeoutMs = 30000;    // a name lookup; a TCP connect over all addresses
    int attemptDelayMs = 250;        // between the starts of two addresses' connects
    int handshakeTimeoutMs = 30000;  // each proxy step; the TLS handshake
    int sendTimeoutMs = 60000;       // a Send that cannot move a single byte
    int networkRoundMs = 60000;      // one round of waiting for the network
    // Received bytes that may wait for the owner; past it the socket is not
    // read until the owner catches up (the kernel's buffers hold the rest).
    // Small enough that a fast stream passes through warm caches.
    size_t receiveQueueCap = 1u << 20;
    ResolveFunction resolve;  // null: getaddrinfo
};

// Where a socket's events go (the service forwards them to the owner).
class MSocketEvents {
public:
    virtual void OnSocketEvent(CYolSocket* socket, int event, int code) = 0;
    virtual void OnSocketText(CYolSocket* socket, int event, const CYolString& text) = 0;

protected:
    ~MSocketEvents() = default;
};

class CYolSocket : private MConnectReport {
public:
    // The most one read of the socket takes.
    static constexpr size_t ReceiveChunkBytes = 64 * 1024;
    // Emptied read buffers kept for reuse, per socket.
    static constexpr size_t MaxSpareBuffers = 8;

    CYolSocket(unsigned int owner, MSocketEvents& events, CConnectionManager& network, const SocketOptions& options);
    // Closes the socket (joining its thread) and frees what is queued.
    virtual ~CYolSocket();
    CYolSocket(const CYolSocket&) = delete;
    CYolSocket& operator=(const CYolSocket&) = delete;

    // False when the socket's descriptors could not be made.
    bool IsUsable() const { return wakeFd >= 0 && resumeFd >= 0; }
    unsigned int GetOwner() const { return owner; }

    // Ends any previous connection, then starts the thread with a copy of
    // the settings: 0, or E_FAIL_RESULT.
    int Connect(const ConnectionSettings& settings);
    // Writes all bytes: `length`, or -1 with `error` set (0 on success).
    int Send(const void* data, int length, int flags, int& error);
    // At most `size` bytes from the oldest chunk; 0 when nothing is queued.
    int Receive(void* buffer, int size);
    // Wakes the thread, waits for it to end and lets the connection go.
    void Close();

    size_t QueuedBytes() const;
    // Waits until at least `bytes` are queued: false when `timeoutMs` ran
    // out first.
    bool WaitQueued(size_t bytes, int timeoutMs) const;
    bool IsConnected() const;

private:
    struct Link;
    // The bytes of one read: a large read keeps the read buffer it came in
    // (ReceiveChunkBytes), a small one is copied into a block of its size.
    struct Block {
        std::unique_ptr<uint8_t[]> bytes;
        size_t length = 0;
        bool readBuffer = false;
    };
    // The bytes of one or more reads; each read stays in its own block, so a
    // growing chunk never moves what it holds.
    struct Chunk {
        std::deque<Block> blocks;
        size_t offset = 0;       // taken by the owner from the first block
        size_t left = 0;         // bytes not yet taken
        bool announced = false;  // frozen: an event told the owner its size
    };

    void Run();
    // With `control` held: wakes the thread and joins it.
    void StopThread();
    int Open(int& fd);
    int ConnectTcp(const CYolString& host, unsigned int port, int& fd);
    int OpenHttp(int& fd);
    int ConnectSocksProxy(int& fd, uint32_t& address);
    int OpenSocks4(int& fd);
    int OpenSocks5(int& fd);
    int ResolveIPv4(const CYolString& host, uint32_t& address);
    int RunHandshake(CProxyHandshake& handshake, int fd);
    int StartSecure(int fd);
    void ReceiveLoop(const std::shared_ptr<Link>& link, CNetworkConnection* connection);
    enum class ReadOutcome { Chunk, Nothing, Ended };
    // One read of at most ReceiveChunkBytes; Ended once the connection ended (its
    // event sent).
    ReadOutcome ReadOnce(Link& link, std::unique_ptr<uint8_t[]>& readBuffer);
    // Reads while bytes are waiting, a bounded number of chunks per wake-up;
    // false once the connection ended.
    bool ReadAvailable(Link& link);
    // Queues `length` bytes read into `readBuffer`; the buffer may be taken
    // over, and is replaced then.
    void Enqueue(std::unique_ptr<uint8_t[]>& readBuffer, size_t length);
    // Announces the unannounced tail chunk when the owner holds no announced
    // bytes, or with `flush` whatever it holds.
    void Announce(bool flush);
    // With `queueLock` held: marks the tail announced and gives its size; 0
    // when there is nothing to announce yet.
    size_t TakeAnnouncement(bool flush);
    // Announces what is left, then reports the end of the connection.
    void Ended(int code);
    bool QueueFull() const;

    // A failure of a connect step: the text, unless a close caused it.
    int Fail(const CYolString& text, int code);
    void ReportProgress(const CYolString& text) override;
    void ReportError(const CYolString& text) override;
    void Event(int event, int code);

    const unsigned int owner;
    MSocketEvents& events;
    CConnectionManager& network;
    const SocketOptions options;

    // Connect, Close and destruction, one at a time.
    std::mutex control;
    ConnectionSettings settings;  // the copy the thread works on
    std::thread thread;
    std::atomic<std::thread::id> runningOn{};  // the thread's id while it runs
    std::atomic<bool> stopping{false};
    // Readable from a close until the next connect; never read by the waits
    // it wakes, so that every waiter sees it.
    int wakeFd = -1;
    // Tells the thread that the owner drained the queue or that the TLS
    // engine holds bytes; read by the thread only.
    int resumeFd = -1;

    std::unique_ptr<CSecureChannel> pendingChannel;  // made in the connect step, until the link holds it
    mutable std::mutex linkLock;
    std::shared_ptr<Link> link;  // the connected socket, while connected
    std::mutex sendLock;         // one Send at a time, so their bytes never interleave

    mutable std::mutex queueLock;
    mutable std::condition_variable queueGrew;
    std::deque<Chunk> queue;
    size_t queuedBytes = 0;
    // Read buffers the owner has emptied, kept for the next reads so that a
    // stream does not allocate and fault in fresh memory for each one.
    std::vector<std::unique_ptr<uint8_t[]>> spareBuffers;
};

}  // namespace Sockets
