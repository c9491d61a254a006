#include "CYolSocket.h"

#include "CYolClock.h"
#include "ProxyHandshake.h"
#include "SecureChannel.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace Sockets {

namespace {

// Text in the system code page, as names, logins and passwords go on the wire.
std::string ToCodePage(const CYolString& text) {
    int length = 0;
    char* bytes = CYolString::Convert(text, YOL_CP_ACP, &length);
    std::string out = bytes ? std::string(bytes, static_cast<size_t>(length)) : std::string();
    std::free(bytes);
    return out;
}

CYolString Number(int value) { return CYolString::FromUtf8(std::to_string(value)); }

void Signal(int fd) {
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(fd, &one, sizeof one);
}

void Drain(int fd) {
    uint64_t count;
    [[maybe_unused]] ssize_t n = ::read(fd, &count, sizeof count);
}

// Winsock send flags that mean something here.
int SendFlags(int flags) {
    int out = 0;
    if (flags & 0x1)
        out |= MSG_OOB;
    if (flags & 0x4)
        out |= MSG_DONTROUTE;
    return out;
}

}  // namespace

// The connected socket: shared by the thread and any Send in progress, and
// closed when the last of them lets go of it.
struct CYolSocket::Link {
    int fd = -1;
    std::unique_ptr<CSecureChannel> tls;
    std::unique_ptr<uint8_t[]> readBuffer;  // the receive loop's
    ~Link() {
        tls.reset();
        if (fd >= 0)
            ::close(fd);
    }
};

CYolSocket::CYolSocket(unsigned int owner, MSocketEvents& events, CConnectionManager& network,
                       const SocketOptions& options)
    : owner(owner), events(events), network(network), options(options) {
    wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    resumeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

CYolSocket::~CYolSocket() {
    Close();
    if (wakeFd >= 0)
        ::close(wakeFd);
    if (resumeFd >= 0)
        ::close(resumeFd);
}

// --- owner's side -------------------------------------------------------------

int CYolSocket::Connect(const ConnectionSettings& newSettings) {
    if (runningOn.load() == std::this_thread::get_id())
        return E_FAIL_RESULT;
    std::lock_guard<std::mutex> hold(control);
    StopThread();
    if (!IsUsable())
        return E_FAIL_RESULT;
    settings = newSettings;
    {
        // What a finished connection left unread is no part of the next one.
        std::lock_guard<std::mutex> hold(queueLock);
        queue.clear();
        queuedBytes = 0;
    }
    Drain(wakeFd);
    Drain(resumeFd);
    stopping = false;
    try {
        thread = std::thread(&CYolSocket::Run, this);
    } catch (const std::system_error&) {
        return E_FAIL_RESULT;
    }
    return 0;
}

void CYolSocket::Close() {
    // Events are posted to the owner's queue, so the thread never closes its
    // own socket; should a handler run on it after all, the thread ends by
    // itself and is joined by the next Connect or Close.
    if (runningOn.load() == std::this_thread::get_id()) {
        stopping = true;
        Signal(wakeFd);
        return;
    }
    std::lock_guard<std::mutex> hold(control);
    StopThread();
}

void CYolSocket::StopThread() {
    if (!thread.joinable())
        return;
    stopping = true;
    Signal(wakeFd);
    thread.join();
}

int CYolSocket::Send(const void* data, int length, int flags, int& error) {
    std::shared_ptr<Link> current;
    {
        std::lock_guard<std::mutex> hold(linkLock);
        current = link;
    }
    if (!current) {
        error = SocketError::NotConnected;
        return -1;
    }
    if (length < 0 || (length > 0 && !data)) {
        error = SocketError::Invalid;
        return -1;
    }
    std::lock_guard<std::mutex> hold(sendLock);
    size_t count = static_cast<size_t>(length);
    int result = current->tls ? current->tls->Write(data, count, wakeFd, options.sendTimeoutMs)
                              : SendAll(current->fd, data, count, SendFlags(flags), wakeFd, options.sendTimeoutMs);
    // A write may have pulled a record in that only a read hands out.
    if (current->tls && current->tls->HasPending())
        Signal(resumeFd);
    // A close cuts the send short, whatever the socket said as it went.
    if (result != 0 && stopping)
        result = SocketError::Interrupted;
    error = result;
    return result == 0 ? length : -1;
}

int CYolSocket::Receive(void* buffer, int size) {
    if (!buffer || size <= 0)
        return 0;
    bool resume = false;
    size_t n = 0;
    {
        std::lock_guard<std::mutex> hold(queueLock);
        if (queue.empty())
            return 0;
        bool wasFull = QueueFull();
        Chunk& chunk = queue.front();
        auto* out = static_cast<uint8_t*>(buffer);
        while (n < static_cast<size_t>(size) && chunk.left > 0) {
            Block& block = chunk.blocks.front();
            size_t part = std::min(block.length - chunk.offset, static_cast<size_t>(size) - n);
            std::memcpy(out + n, block.bytes.get() + chunk.offset, part);
            n += part;
            chunk.offset += part;
            chunk.left -= part;
            if (chunk.offset == block.length) {
                if (block.readBuffer && spareBuffers.size() < MaxSpareBuffers)
                    spareBuffers.push_back(std::move(block.bytes));
                chunk.blocks.pop_front();
                chunk.offset = 0;
            }
        }
        queuedBytes -= n;
        bool tailDue = false;
        if (chunk.left == 0) {
            tailDue = chunk.announced && queue.size() == 2 && !queue.back().announced;
            queue.pop_front();
        }
        // The thread reads on once there is room, and announces the tail
        // once the owner took all it was told of.
        resume = (wasFull && !QueueFull()) || tailDue;
    }
    if (resume)
        Signal(resumeFd);
    return static_cast<int>(n);
}

size_t CYolSocket::QueuedBytes() const {
    std::lock_guard<std::mutex> hold(queueLock);
    return queuedBytes;
}

bool CYolSocket::WaitQueued(size_t bytes, int timeoutMs) const {
    std::unique_lock<std::mutex> hold(queueLock);
    return queueGrew.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] { return queuedBytes >= bytes; });
}

bool CYolSocket::IsConnected() const {
    std::lock_guard<std::mutex> hold(linkLock);
    return link != nullptr;
}

bool CYolSocket::QueueFull() const { return queuedBytes >= options.receiveQueueCap; }

void CYolSocket::Enqueue(std::unique_ptr<uint8_t[]>& readBuffer, size_t length) {
    Block block;
    block.length = length;
    // A small read would pin a whole read buffer: it gets a block of its own.
    if (length < ReceiveChunkBytes / 2) {
        block.bytes.reset(new uint8_t[length]);
        std::memcpy(block.bytes.get(), readBuffer.get(), length);
    } else {
        block.bytes = std::move(readBuffer);
        block.readBuffer = true;
    }
    {
        std::lock_guard<std::mutex> hold(queueLock);
        if (queue.empty() || queue.back().announced)
            queue.emplace_back();
        Chunk& tail = queue.back();
        tail.blocks.push_back(std::move(block));
        tail.left += length;
        queuedBytes += length;
        if (!readBuffer && !spareBuffers.empty()) {
            readBuffer = std::move(spareBuffers.back());
            spareBuffers.pop_back();
        }
    }
    if (!readBuffer)
        readBuffer.reset(new uint8_t[ReceiveChunkBytes]);
    queueGrew.notify_all();
}

size_t CYolSocket::TakeAnnouncement(bool flush) {
    if (queue.empty() || queue.back().announced || (!flush && queue.size() > 1))
        return 0;
    queue.back().announced = true;
    return queue.back().left;
}

void CYolSocket::Announce(bool flush) {
    size_t announce = 0;
    {
        std::lock_guard<std::mutex> hold(queueLock);
        announce = TakeAnnouncement(flush);
    }
    if (announce)
        Event(SocketEvent::DataAvailable, static_cast<int>(announce));
}

void CYolSocket::Ended(int code) {
    Announce(true);
    Event(SocketEvent::Closed, code);
}

// --- reporting ------------------------------------------------------------------

void CYolSocket::Event(int event, int code) { events.OnSocketEvent(this, event, code); }

void CYolSocket::ReportProgress(const CYolString& text) { events.OnSocketText(this, SocketEvent::Progress, text); }

void CYolSocket::ReportError(const CYolString& text) { events.OnSocketText(this, SocketEvent::Error, text); }

int CYolSocket::Fail(const CYolString& text, int code) {
    // A close ends a step too; that is no failure to tell the user about.
    if (stopping || code == SocketError::Interrupted)
        return SocketError::Interrupted;
    ReportError(text);
    return code;
}

// --- the thread -----------------------------------------------------------------

void CYolSocket::Run() {
    runningOn = std::this_thread::get_id();
    struct Leave {
        std::atomic<std::thread::id>& id;
        ~Leave() { id = std::thread::id(); }
    } leave{runningOn};
    CNetworkConnection* connection = nullptr;
    int networkStep = ConnectToNetwork(network, settings, wakeFd, options.networkRoundMs, *this, connection);

    // A proxy that is set but unusable fails the connect: going direct would
    // bypass it behind the user's back.
    int fd = -1;
    int code = stopping ? SocketError::Interrupted : networkStep == ProxyUnusable ? -1 : Open(fd);
    if (code == 0 && settings.secure != 0)
        code = StartSecure(fd);
    if (code != 0) {
        if (fd >= 0)
            ::close(fd);
        pendingChannel.reset();
        Event(SocketEvent::ConnectResult, stopping ? SocketError::Interrupted : code);
        if (connection)
            network.Release(connection, true);
        return;
    }

    auto current = std::make_shared<Link>();
    current->fd = fd;
    current->tls = std::move(pendingChannel);
    {
        std::lock_guard<std::mutex> hold(linkLock);
        link = current;
    }
    Event(SocketEvent::ConnectResult, 0);
    ReceiveLoop(current, connection);
    {
        std::lock_guard<std::mutex> hold(queueLock);
        spareBuffers.clear();
    }

    {
        std::lock_guard<std::mutex> hold(linkLock);
        link.reset();
    }
    if (current->tls)
        current->tls->Shutdown();
    // Ends a Send still waiting on the socket; the descriptor itself is
    // closed once that Send has let go of it.
    ::shutdown(current->fd, SHUT_RDWR);
    current.reset();
    if (connection)
        network.Release(connection, true);
}

int CYolSocket::Open(int& fd) {
    switch (settings.proxyType) {
    case ProxyType::None:
        return ConnectTcp(settings.host, settings.port, fd);
    case ProxyType::Http:
        return OpenHttp(fd);
    case ProxyType::Socks4:
        return OpenSocks4(fd);
    case ProxyType::Socks5:
        return OpenSocks5(fd);
    default:
        return -1;
    }
}

int CYolSocket::ConnectTcp(const CYolString& host, unsigned int port, int& fd) {
    fd = -1;
    ReportProgress(u"Address translation");
    std::vector<SocketAddress> addresses;
    int result = Resolve(options.resolve, ToCodePage(host), port, AF_UNSPEC, wakeFd, options.connectTimeoutMs,
                         addresses);
    if (result != 0)
        return Fail(u"Address translation error: " + Number(result), result);
    // Setting TLS up (the trust store is read) takes its time before the
    // attempts' schedule starts; a failure is told after the step began.
    if (settings.secure != 0 && !pendingChannel)
        pendingChannel = CSecureChannel::Create(ToCodePage(settings.host));
    uint64_t start = CYolClock::Current().TickCount64();
    ReportProgress(u"Connect to " + host);
    if (settings.secure != 0 && !pendingChannel)
        return Fail(u"Can't init secure socket", -1);
    addresses.erase(std::remove_if(addresses.begin(), addresses.end(),
                                   [](const SocketAddress& a) {
                                       return a.Family() != AF_INET && a.Family() != AF_INET6;
                                   }),
                    addresses.end());
    result = ConnectFirst(addresses, wakeFd, start, options.connectTimeoutMs, options.attemptDelayMs, fd);
    return result == 0 ? 0 : Fail(u"Can't connect to " + host, result);
}

int CYolSocket::ResolveIPv4(const CYolString& host, uint32_t& address) {
    std::vector<SocketAddress> addresses;
    int result = Resolve(options.resolve, ToCodePage(host), 0, AF_INET, wakeFd, options.connectTimeoutMs, addresses);
    if (result == 0) {
        auto found = std::find_if(addresses.begin(), addresses.end(),
                                  [](const SocketAddress& a) { return a.Family() == AF_INET; });
        if (found == addresses.end())
            return SocketError::NoData;
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(found->storage);
        address = ntohl(v4.sin_addr.s_addr);
    }
    return result;
}

int CYolSocket::OpenHttp(int& fd) {
    int result = ConnectTcp(settings.proxyHost, settings.proxyPort, fd);
    if (result != 0)
        return result;
    ReportProgress(u"Init proxy server");
    std::string authorization;
    if (settings.proxyAuth) {
        CYolString credentials = settings.proxyLogin + u":" + settings.proxyPassword;
        int length = -1;
        char* encoded = CYolString::Base64Encode(credentials.c_str(), length);
        if (encoded)
            authorization.assign(encoded, static_cast<size_t>(length));
        std::free(encoded);
    }
    CHttpConnectHandshake handshake(ToCodePage(settings.host), settings.port, authorization);
    return RunHandshake(handshake, fd);
}

// Both SOCKS versions connect to the proxy and name the destination by its
// IPv4 address, which the client resolves itself.
int CYolSocket::ConnectSocksProxy(int& fd, uint32_t& address) {
    int result = ConnectTcp(settings.proxyHost, settings.proxyPort, fd);
    if (result != 0)
        return result;
    ReportProgress(u"Init proxy server");
    result = ResolveIPv4(settings.host, address);
    if (result != 0)
        return Fail(u"Can't resolve destination server name for proxy server", result);
    return 0;
}

int CYolSocket::OpenSocks4(int& fd) {
    uint32_t address = 0;
    if (int result = ConnectSocksProxy(fd, address); result != 0)
        return result;
    CSocks4Handshake handshake(address, settings.port, settings.proxyAuth != 0, ToCodePage(settings.proxyLogin));
    return RunHandshake(handshake, fd);
}

int CYolSocket::OpenSocks5(int& fd) {
    uint32_t address = 0;
    if (int result = ConnectSocksProxy(fd, address); result != 0)
        return result;
    CSocks5Handshake handshake(address, settings.port, settings.proxyAuth != 0, ToCodePage(settings.proxyLogin),
                               ToCodePage(settings.proxyPassword));
    return RunHandshake(handshake, fd);
}

// Drives a handshake over the socket. Replies are peeked and only the bytes
// the handshake takes are consumed, so whatever the far end sends right
// after the reply stays in the socket for the receive loop (or the TLS
// handshake).
int CYolSocket::RunHandshake(CProxyHandshake& handshake, int fd) {
    uint8_t buffer[2048];
    long long deadline = NowMs() + options.handshakeTimeoutMs;
    while (!handshake.Finished()) {
        if (handshake.GetState() == CProxyHandshake::State::Send) {
            const auto& bytes = handshake.Pending();
            deadline = NowMs() + options.handshakeTimeoutMs;
            int sent = SendAll(fd, bytes.data(), bytes.size(), 0, wakeFd, RemainingMs(deadline));
            if (sent != 0) {
                handshake.IoFailed(sent);
                break;
            }
            handshake.Sent();
            deadline = NowMs() + options.handshakeTimeoutMs;
            continue;
        }
        size_t got = 0;
        int received = ReceiveSome(fd, buffer, std::min(handshake.Wanted(), sizeof buffer), true, wakeFd,
                                   RemainingMs(deadline), got);
        if (received != 0) {
            handshake.IoFailed(received);
            break;
        }
        if (got == 0) {
            handshake.PeerClosed();
            break;
        }
        size_t used = handshake.Feed(buffer, got);
        int dropped = Discard(fd, used);
        if (dropped != 0)
            handshake.IoFailed(dropped);
    }
    if (handshake.GetState() == CProxyHandshake::State::Done)
        return 0;
    return Fail(CYolString::FromUtf8(handshake.FailureText()), handshake.FailureCode());
}

int CYolSocket::StartSecure(int fd) {
    ReportProgress(u"Init secure connection");
    if (!pendingChannel)
        pendingChannel = CSecureChannel::Create(ToCodePage(settings.host));
    std::string failure = "Secure connection error";
    int result = pendingChannel ? pendingChannel->Handshake(fd, wakeFd, options.handshakeTimeoutMs, failure) : -1;
    if (result == 0)
        return 0;
    return Fail(CYolString::FromUtf8(failure), result == SocketError::Interrupted ? result : -1);
}

void CYolSocket::ReceiveLoop(const std::shared_ptr<Link>& current, CNetworkConnection* connection) {
    int changeFd = connection ? connection->ChangeFd() : -1;
    for (;;) {
        bool full;
        {
            std::lock_guard<std::mutex> hold(queueLock);
            full = QueueFull();
        }
        // Bytes the TLS engine already holds show on no descriptor.
        bool buffered = !full && current->tls && current->tls->HasPending();
        pollfd fds[4] = {{wakeFd, POLLIN, 0},
                         {changeFd, POLLIN, 0},
                         {resumeFd, POLLIN, 0},
                         // While the queue is full the socket is left alone, hang-up included.
                         {full ? -1 : current->fd, POLLIN, 0}};
        int count = ::poll(fds, 4, buffered ? 0 : -1);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            Ended(WinsockError(errno));
            return;
        }
        if (fds[0].revents) {
            Ended(0);
            return;
        }
        if (fds[1].revents) {
            unsigned int status = 0;
            int query = connection->QueryStatus(status);
            if (query != 0) {
                Ended(query);
                return;
            }
            if (status != ConnMgrStatus::Connected && status != ConnMgrStatus::Suspended) {
                Ended(static_cast<int>(status));
                return;
            }
        }
        if (fds[2].revents) {
            Drain(resumeFd);
            Announce(false);
        }
        if ((fds[3].revents || buffered) && !ReadAvailable(*current))
            return;
    }
}

bool CYolSocket::ReadAvailable(Link& current) {
    std::unique_ptr<uint8_t[]>& readBuffer = current.readBuffer;
    if (!readBuffer)
        readBuffer.reset(new uint8_t[ReceiveChunkBytes]);
    // A burst is read until the socket has no more, without a poll per read;
    // the bound keeps a close and the network status from waiting behind a
    // fast sender.
    constexpr int MaxChunksPerWake = 64;
    for (int i = 0; i < MaxChunksPerWake; ++i) {
        ReadOutcome outcome = ReadOnce(current, readBuffer);
        if (outcome == ReadOutcome::Ended)
            return false;
        if (outcome == ReadOutcome::Nothing || stopping)
            break;
        std::lock_guard<std::mutex> hold(queueLock);
        if (QueueFull())
            break;
    }
    // One announcement for the burst.
    Announce(false);
    return true;
}

CYolSocket::ReadOutcome CYolSocket::ReadOnce(Link& current, std::unique_ptr<uint8_t[]>& readBuffer) {
    if (current.tls) {
        size_t got = 0;
        int error = 0;
        switch (current.tls->Read(readBuffer.get(), ReceiveChunkBytes, got, error)) {
        case CSecureChannel::ReadResult::Data:
            Enqueue(readBuffer, got);
            return ReadOutcome::Chunk;
        case CSecureChannel::ReadResult::WouldBlock:
            return ReadOutcome::Nothing;
        case CSecureChannel::ReadResult::Closed:
            Ended(0);
            return ReadOutcome::Ended;
        case CSecureChannel::ReadResult::Failed:
            Ended(error);
            return ReadOutcome::Ended;
        }
        return ReadOutcome::Ended;
    }
    ssize_t n = ::recv(current.fd, readBuffer.get(), ReceiveChunkBytes, 0);
    if (n > 0) {
        Enqueue(readBuffer, static_cast<size_t>(n));
        return ReadOutcome::Chunk;
    }
    if (n == 0) {
        Ended(0);
        return ReadOutcome::Ended;
    }
    if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
        return ReadOutcome::Nothing;
    Ended(WinsockError(errno));
    return ReadOutcome::Ended;
}

}  // namespace Sockets
