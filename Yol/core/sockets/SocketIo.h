#pragma once
// Socket primitives of the connect thread: every wait polls the socket beside
// the socket's wake descriptor and has a time-out, so that a close can end
// any step at once. Errors are the Winsock numbers that socket events carry.

#include <sys/socket.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Sockets {

// The Winsock error numbers that owners of sockets see in events.
namespace SocketError {
enum : int {
    Interrupted = 10004,      // WSAEINTR: the wait was ended by a close
    BadHandle = 10009,        // WSAEBADF
    AccessDenied = 10013,     // WSAEACCES
    Invalid = 10022,          // WSAEINVAL
    TooManySockets = 10024,   // WSAEMFILE
    WouldBlock = 10035,       // WSAEWOULDBLOCK
    InProgress = 10036,       // WSAEINPROGRESS
    NotSocket = 10038,        // WSAENOTSOCK
    MessageSize = 10040,      // WSAEMSGSIZE
    NoProtocol = 10043,       // WSAEPROTONOSUPPORT
    NotSupported = 10045,     // WSAEOPNOTSUPP
    FamilyNotSupported = 10047,  // WSAEAFNOSUPPORT
    AddressInUse = 10048,     // WSAEADDRINUSE
    AddressNotAvailable = 10049,  // WSAEADDRNOTAVAIL
    NetworkDown = 10050,      // WSAENETDOWN
    NetworkUnreachable = 10051,  // WSAENETUNREACH
    NetworkReset = 10052,     // WSAENETRESET
    ConnectionAborted = 10053,   // WSAECONNABORTED
    ConnectionReset = 10054,  // WSAECONNRESET
    NoBuffers = 10055,        // WSAENOBUFS
    NotConnected = 10057,     // WSAENOTCONN
    Shutdown = 10058,         // WSAESHUTDOWN
    TimedOut = 10060,         // WSAETIMEDOUT
    ConnectionRefused = 10061,   // WSAECONNREFUSED
    HostDown = 10064,         // WSAEHOSTDOWN
    HostUnreachable = 10065,  // WSAEHOSTUNREACH
    TypeNotFound = 10109,     // WSATYPE_NOT_FOUND
    HostNotFound = 11001,     // WSAHOST_NOT_FOUND
    TryAgain = 11002,         // WSATRY_AGAIN
    NoRecovery = 11003,       // WSANO_RECOVERY
    NoData = 11004,           // WSANO_DATA
    OutOfMemory = 8,          // WSA_NOT_ENOUGH_MEMORY
};
}

// errno -> Winsock number (an unknown errno keeps its own value).
int WinsockError(int errnoValue);
// getaddrinfo result (with errno for EAI_SYSTEM) -> Winsock number.
int WinsockResolveError(int gaiCode, int errnoValue);

// One resolved address.
struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;
    int Family() const { return storage.ss_family; }
};

// How the host name lookup is done: getaddrinfo by default, a function of
// their own in tests. Returns 0 or a getaddrinfo result code.
using ResolveFunction =
    std::function<int(const std::string& host, const std::string& port, int family, std::vector<SocketAddress>& out)>;
int SystemResolve(const std::string& host, const std::string& port, int family, std::vector<SocketAddress>& out);

// Resolves `host`; a numeric address is taken at once, a name is looked up on
// a helper thread that is left behind (its late answer dropped) when the wake
// descriptor fires or the time-out passes. 0 or a Winsock number.
int Resolve(const ResolveFunction& resolve, const std::string& host, unsigned port, int family, int wakeFd,
            int timeoutMs, std::vector<SocketAddress>& out);

// Waits until `fd` has `events`, the wake descriptor is readable, or the
// time-out passes (-1: none). 0 ready, or Interrupted / TimedOut / an error.
int WaitFor(int fd, short events, int wakeFd, int timeoutMs);

// A non-blocking stream socket connected to the first of `addresses` that
// answers: 0 and the descriptor, or a Winsock number (and no descriptor).
// The attempts race as RFC 8305 has them: the first is due at `startTick`,
// each further one `attemptDelayMs` after the one before, or at once when
// every running one has failed; the first to connect wins and the rest are
// dropped. `timeoutMs` from `startTick` bounds the whole, not each attempt.
// Ticks are CYolClock's, so a manual clock steps the delays.
int ConnectFirst(const std::vector<SocketAddress>& addresses, int wakeFd, uint64_t startTick, int timeoutMs,
                 int attemptDelayMs, int& fdOut);

// Writes every byte, waiting for room as often as needed. 0 or an error.
int SendAll(int fd, const void* data, size_t length, int flags, int wakeFd, int timeoutMs);

// One receive of up to `size` bytes once some are there; with `peek` the
// bytes stay queued. 0 and the count (0 = closed by the peer), or an error.
int ReceiveSome(int fd, void* buffer, size_t size, bool peek, int wakeFd, int timeoutMs, size_t& got);

// Drops exactly `count` queued bytes (after a peek).
int Discard(int fd, size_t count);

// Milliseconds left until `deadline` (a steady-clock time in ms), never
// below 0; -1 stays -1.
int RemainingMs(long long deadlineMs);
long long NowMs();

}  // namespace Sockets
