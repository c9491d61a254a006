#include "SocketIo.h"

#include "CYolClock.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

namespace Sockets {

namespace {

// One system code and the Winsock number that events carry for it.
struct CodeRow {
    int code;
    int winsock;
};

template <size_t N>
int Translate(const CodeRow (&table)[N], int code, int unknown) {
    for (const auto& row : table)
        if (row.code == code)
            return row.winsock;
    return unknown;
}

constexpr CodeRow errnoTable[] = {
    {EINTR, SocketError::Interrupted},
    {EBADF, SocketError::BadHandle},
    {EACCES, SocketError::AccessDenied},
    {EPERM, SocketError::AccessDenied},
    {EFAULT, 10014},
    {EINVAL, SocketError::Invalid},
    {EMFILE, SocketError::TooManySockets},
    {ENFILE, SocketError::TooManySockets},
    {EAGAIN, SocketError::WouldBlock},
    {EINPROGRESS, SocketError::InProgress},
    {EALREADY, 10037},
    {ENOTSOCK, SocketError::NotSocket},
    {EDESTADDRREQ, 10039},
    {EMSGSIZE, SocketError::MessageSize},
    {EPROTOTYPE, 10041},
    {ENOPROTOOPT, 10042},
    {EPROTONOSUPPORT, SocketError::NoProtocol},
    {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, SocketError::NotSupported},
    {EPFNOSUPPORT, 10046},
    {EAFNOSUPPORT, SocketError::FamilyNotSupported},
    {EADDRINUSE, SocketError::AddressInUse},
    {EADDRNOTAVAIL, SocketError::AddressNotAvailable},
    {ENETDOWN, SocketError::NetworkDown},
    {ENETUNREACH, SocketError::NetworkUnreachable},
    {ENETRESET, SocketError::NetworkReset},
    {ECONNABORTED, SocketError::ConnectionAborted},
    {ECONNRESET, SocketError::ConnectionReset},
    // A write to a connection the peer has reset.
    {EPIPE, SocketError::ConnectionReset},
    {ENOBUFS, SocketError::NoBuffers},
    {ENOMEM, SocketError::NoBuffers},
    {EISCONN, 10056},
    {ENOTCONN, SocketError::NotConnected},
    {ESHUTDOWN, SocketError::Shutdown},
    {ETOOMANYREFS, 10059},
    {ETIMEDOUT, SocketError::TimedOut},
    {ECONNREFUSED, SocketError::ConnectionRefused},
    {ELOOP, 10062},
    {ENAMETOOLONG, 10063},
    {EHOSTDOWN, SocketError::HostDown},
    {EHOSTUNREACH, SocketError::HostUnreachable},
};

constexpr CodeRow gaiTable[] = {
    {EAI_NONAME, SocketError::HostNotFound},
    {EAI_NODATA, SocketError::NoData},
    {EAI_ADDRFAMILY, SocketError::NoData},
    {EAI_AGAIN, SocketError::TryAgain},
    {EAI_FAIL, SocketError::NoRecovery},
    {EAI_FAMILY, SocketError::FamilyNotSupported},
    {EAI_SOCKTYPE, 10044},
    {EAI_SERVICE, SocketError::TypeNotFound},
    {EAI_MEMORY, SocketError::OutOfMemory},
    {EAI_BADFLAGS, SocketError::Invalid},
};

// A lookup in flight. The helper thread and the waiting connect thread both
// hold it; whichever lets go last frees it, so a lookup that is given up on
// finishes in the background and its answer is dropped with it.
struct Lookup {
    int doneFd = -1;
    std::mutex lock;
    bool done = false;
    int result = 0;
    std::vector<SocketAddress> addresses;
    ~Lookup() {
        if (doneFd >= 0)
            ::close(doneFd);
    }
};

int PollError() { return WinsockError(errno); }

}  // namespace

int WinsockError(int errnoValue) { return Translate(errnoTable, errnoValue, errnoValue); }

int WinsockResolveError(int gaiCode, int errnoValue) {
    if (gaiCode == EAI_SYSTEM)
        return WinsockError(errnoValue);
    return Translate(gaiTable, gaiCode, SocketError::NoRecovery);
}

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int RemainingMs(long long deadlineMs) {
    if (deadlineMs < 0)
        return -1;
    long long left = deadlineMs - NowMs();
    return left > 0 ? static_cast<int>(left) : 0;
}

namespace {

// getaddrinfo for TCP streams, its answers appended to `out`. 0 or the
// getaddrinfo result code.
int StreamAddresses(const std::string& host, const std::string& port, int family, int flags,
                    std::vector<SocketAddress>& out) {
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = flags;
    addrinfo* list = nullptr;
    int result = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &list);
    if (result != 0)
        return result;
    for (addrinfo* item = list; item; item = item->ai_next) {
        if (item->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        SocketAddress address;
        std::memcpy(&address.storage, item->ai_addr, item->ai_addrlen);
        address.length = item->ai_addrlen;
        out.push_back(address);
    }
    ::freeaddrinfo(list);
    return 0;
}

}  // namespace

int SystemResolve(const std::string& host, const std::string& port, int family, std::vector<SocketAddress>& out) {
    return StreamAddresses(host, port, family, 0, out);
}

int Resolve(const ResolveFunction& resolve, const std::string& host, unsigned port, int family, int wakeFd,
            int timeoutMs, std::vector<SocketAddress>& out) {
    out.clear();
    if (port > 0xFFFF)
        return SocketError::TypeNotFound;
    std::string service = std::to_string(port);

    // A literal address needs no lookup, and no thread.
    if (StreamAddresses(host, service, family, AI_NUMERICHOST | AI_NUMERICSERV, out) == 0)
        return 0;

    auto lookup = std::make_shared<Lookup>();
    lookup->doneFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (lookup->doneFd < 0)
        return PollError();
    try {
        std::thread([lookup, resolve, host, service, family] {
            std::vector<SocketAddress> found;
            int result = EAI_FAIL;
            try {
                result = resolve ? resolve(host, service, family, found) : SystemResolve(host, service, family, found);
            } catch (...) {
                result = EAI_MEMORY;
            }
            int savedErrno = errno;
            std::lock_guard<std::mutex> hold(lookup->lock);
            lookup->result = result == 0 ? 0 : WinsockResolveError(result, savedErrno);
            lookup->addresses = std::move(found);
            lookup->done = true;
            uint64_t one = 1;
            [[maybe_unused]] ssize_t n = ::write(lookup->doneFd, &one, sizeof one);
        }).detach();
    } catch (const std::system_error&) {
        return SocketError::NoBuffers;
    }

    int wait = WaitFor(lookup->doneFd, POLLIN, wakeFd, timeoutMs);
    if (wait != 0)
        return wait;
    std::lock_guard<std::mutex> hold(lookup->lock);
    if (!lookup->done)
        return SocketError::NoRecovery;
    out = std::move(lookup->addresses);
    if (lookup->result == 0 && out.empty())
        return SocketError::NoData;
    return lookup->result;
}

int WaitFor(int fd, short events, int wakeFd, int timeoutMs) {
    long long deadline = timeoutMs < 0 ? -1 : NowMs() + timeoutMs;
    for (;;) {
        pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
        int count = ::poll(fds, wakeFd >= 0 ? 2 : 1, RemainingMs(deadline));
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return PollError();
        }
        if (count == 0)
            return SocketError::TimedOut;
        if (wakeFd >= 0 && (fds[1].revents & POLLIN))
            return SocketError::Interrupted;
        // Errors and hang-ups count as ready: the call that follows reports them.
        if (fds[0].revents)
            return 0;
    }
}

namespace {

// Wakes a wait whenever the clock in force jumps, so that waits measured on
// a manual clock follow it.
class ClockWake final : private MYolClockObserver {
public:
    ClockWake() : fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) { CYolClock::AddObserver(this); }
    ~ClockWake() {
        CYolClock::RemoveObserver(this);
        if (fd >= 0)
            ::close(fd);
    }
    ClockWake(const ClockWake&) = delete;
    ClockWake& operator=(const ClockWake&) = delete;
    int Fd() const { return fd; }
    void Drain() {
        uint64_t count;
        [[maybe_unused]] ssize_t n = ::read(fd, &count, sizeof count);
    }

private:
    void OnClockChanged() override {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(fd, &one, sizeof one);
    }
    int fd;
};

// Starts a connect: 0 and the descriptor (`done` when it connected at once),
// or a Winsock number.
int StartConnect(const SocketAddress& address, int& fdOut, bool& done) {
    fdOut = -1;
    int fd = ::socket(address.Family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0)
        return PollError();
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    done = ::connect(fd, reinterpret_cast<const sockaddr*>(&address.storage), address.length) == 0;
    if (!done && errno != EINPROGRESS) {
        int error = PollError();
        ::close(fd);
        return error;
    }
    fdOut = fd;
    return 0;
}

int PendingError(int fd) {
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        error = errno;
    return error ? WinsockError(error) : 0;
}

}  // namespace

int ConnectFirst(const std::vector<SocketAddress>& addresses, int wakeFd, uint64_t startTick, int timeoutMs,
                 int attemptDelayMs, int& fdOut) {
    fdOut = -1;
    ClockWake clockWake;
    auto now = [] { return static_cast<long long>(CYolClock::Current().TickCount64()); };
    const long long start = static_cast<long long>(startTick);
    const long long deadline = timeoutMs < 0 ? -1 : start + timeoutMs;
    std::vector<int> running;
    auto dropAll = [&running] {
        for (int fd : running)
            ::close(fd);
        running.clear();
    };
    size_t next = 0;
    long long nextAt = start;
    int last = SocketError::HostNotFound;
    for (;;) {
        long long at = now();
        while (next < addresses.size() && (at >= nextAt || running.empty())) {
            int fd = -1;
            bool done = false;
            int started = StartConnect(addresses[next++], fd, done);
            if (started != 0) {
                last = started;
                nextAt = std::min(nextAt, at);
                continue;
            }
            if (done) {
                dropAll();
                fdOut = fd;
                return 0;
            }
            running.push_back(fd);
            // On schedule the next is due a delay after this one was; early
            // (all before it failed), a delay from now.
            nextAt = (at >= nextAt ? nextAt : at) + attemptDelayMs;
        }
        if (running.empty())
            return last;
        if (deadline >= 0 && at >= deadline) {
            dropAll();
            return SocketError::TimedOut;
        }
        long long until = deadline;
        if (next < addresses.size() && (until < 0 || nextAt < until))
            until = nextAt;
        int waitMs = until < 0 ? -1 : static_cast<int>(std::min<long long>(until - at, 60000));

        std::vector<pollfd> fds;
        fds.push_back({wakeFd, POLLIN, 0});
        fds.push_back({clockWake.Fd(), POLLIN, 0});
        for (int fd : running)
            fds.push_back({fd, POLLOUT, 0});
        int count = ::poll(fds.data(), static_cast<nfds_t>(fds.size()), waitMs);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            int error = PollError();
            dropAll();
            return error;
        }
        if (fds[0].revents & POLLIN) {
            dropAll();
            return SocketError::Interrupted;
        }
        if (fds[1].revents)
            clockWake.Drain();
        int winner = -1;
        std::vector<int> still;
        for (size_t i = 2; i < fds.size(); ++i) {
            int fd = fds[i].fd;
            if (winner < 0 && fds[i].revents) {
                int error = PendingError(fd);
                if (error == 0) {
                    winner = fd;
                    continue;
                }
                last = error;
                ::close(fd);
                // A failed attempt hands its turn to the next address at once.
                nextAt = now();
                continue;
            }
            still.push_back(fd);
        }
        running = std::move(still);
        if (winner >= 0) {
            dropAll();
            fdOut = winner;
            return 0;
        }
    }
}

namespace {

// After a send or receive that failed: 0 to call again (interrupted, or the
// socket is ready now), or the error that ends it.
int AfterFailedCall(int fd, short events, int wakeFd, long long deadline) {
    if (errno == EINTR)
        return 0;
    if (errno != EAGAIN && errno != EWOULDBLOCK)
        return PollError();
    return WaitFor(fd, events, wakeFd, RemainingMs(deadline));
}

}  // namespace

int SendAll(int fd, const void* data, size_t length, int flags, int wakeFd, int timeoutMs) {
    auto bytes = static_cast<const uint8_t*>(data);
    long long deadline = timeoutMs < 0 ? -1 : NowMs() + timeoutMs;
    while (length > 0) {
        ssize_t n = ::send(fd, bytes, length, flags | MSG_NOSIGNAL);
        if (n > 0) {
            bytes += n;
            length -= static_cast<size_t>(n);
            continue;
        }
        int wait = n < 0 ? AfterFailedCall(fd, POLLOUT, wakeFd, deadline)
                         : WaitFor(fd, POLLOUT, wakeFd, RemainingMs(deadline));
        if (wait != 0)
            return wait;
    }
    return 0;
}

int ReceiveSome(int fd, void* buffer, size_t size, bool peek, int wakeFd, int timeoutMs, size_t& got) {
    got = 0;
    long long deadline = timeoutMs < 0 ? -1 : NowMs() + timeoutMs;
    for (;;) {
        ssize_t n = ::recv(fd, buffer, size, peek ? MSG_PEEK : 0);
        if (n >= 0) {
            got = static_cast<size_t>(n);
            return 0;
        }
        int wait = AfterFailedCall(fd, POLLIN, wakeFd, deadline);
        if (wait != 0)
            return wait;
    }
}

int Discard(int fd, size_t count) {
    uint8_t sink[512];
    while (count > 0) {
        ssize_t n = ::recv(fd, sink, count < sizeof sink ? count : sizeof sink, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0 ? SocketError::ConnectionReset : PollError();
        count -= static_cast<size_t>(n);
    }
    return 0;
}

}  // namespace Sockets
