#pragma once
// What the sockets tests share: the sockets service over the recording
// services manager with settings in memory, how its events read for a
// socket, and a loopback server run by the test itself.

#include "PeerProcess.h"
#include "CSocketsManagerImpl.h"
#include "CYolSocket.h"
#include "MemoryDatabase.h"
#include "RecordingServicesManager.h"
#include "TestSupport.h"
#include "YolGuids.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace SocketsTest {

using Sockets::CYolSocket;

// The socket an event is about.
inline CYolSocket* SocketOf(const RecordedEvent& e) {
    auto* socket = e.Arg<CYolSocket*>();
    return socket ? *socket : nullptr;
}
// The code an event carries (an error number, a byte count); 0 when it
// carries a text or nothing.
inline int CodeOf(const RecordedEvent& e) {
    auto* code = e.Extra<int>();
    return code ? *code : 0;
}
// "2 0", "8 Connect to network": how tests spell expected sequences.
inline std::string Spelled(const RecordedEvent& e) {
    auto* text = e.Extra<CYolString>();
    return std::to_string(e.event) + " " + (text ? text->ToUtf8() : std::to_string(CodeOf(e)));
}

// 127.0.0.1 at the port; with port 0, bind picks a free one.
inline sockaddr_in LoopbackV4(unsigned int port = 0) { return LoopbackAddress(port); }

// The port a bound socket, IPv4 or IPv6, got.
inline unsigned int LocalPort(int fd) {
    sockaddr_storage a{};
    socklen_t size = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    return ntohs(a.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6&>(a).sin6_port
                                         : reinterpret_cast<const sockaddr_in&>(a).sin_port);
}

// A TCP server on 127.0.0.1 (or ::1) at a port of the kernel's choosing; each
// accepted connection runs `serve` on a thread of its own. Stopping shuts
// every connection down and joins the threads.
class LoopbackServer {
public:
    using Serve = std::function<void(int fd, LoopbackServer& server)>;

    explicit LoopbackServer(Serve serve, bool v6 = false, int backlog = 16) : serve(std::move(serve)) {
        listener = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int one = 1;
        ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (v6) {
            sockaddr_in6 a{};
            a.sin6_family = AF_INET6;
            a.sin6_addr = in6addr_loopback;
            ::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
        } else {
            sockaddr_in a = LoopbackV4();
            ::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
        }
        port = LocalPort(listener);
        ::listen(listener, backlog);
        if (this->serve)
            acceptor = std::thread([this] { AcceptLoop(); });
    }
    ~LoopbackServer() { Stop(); }

    void Stop() {
        if (stopped.exchange(true))
            return;
        ::shutdown(listener, SHUT_RDWR);
        if (acceptor.joinable())
            acceptor.join();
        {
            std::lock_guard<std::mutex> hold(lock);
            for (int fd : open)
                ::shutdown(fd, SHUT_RDWR);
        }
        for (auto& t : workers)
            t.join();
        for (int fd : open)
            ::close(fd);
        ::close(listener);
    }

    // Closes the connection with a reset.
    void Abort(int fd) {
        std::lock_guard<std::mutex> hold(lock);
        auto found = std::find(open.begin(), open.end(), fd);
        if (found == open.end())
            return;
        linger hard{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        ::close(fd);
        open.erase(found);
    }

    unsigned int Port() const { return port; }
    bool Stopping() const { return stopped; }
    int Accepted() const { return accepted; }
    int Listener() const { return listener; }

    // Reads exactly n bytes (or less when the peer closes or the server stops).
    static std::string ReadExactly(int fd, size_t n) {
        std::string out;
        char buffer[4096];
        while (out.size() < n) {
            ssize_t got = ::recv(fd, buffer, std::min(sizeof buffer, n - out.size()), 0);
            if (got <= 0)
                break;
            out.append(buffer, static_cast<size_t>(got));
        }
        return out;
    }
    static void WriteAll(int fd, const std::string& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            done += static_cast<size_t>(n);
        }
    }
    // Blocks until the peer closes or the server stops.
    static void WaitForClose(int fd) {
        char buffer[4096];
        while (::recv(fd, buffer, sizeof buffer, 0) > 0) {
        }
    }

private:
    void AcceptLoop() {
        for (;;) {
            int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                if (stopped)
                    return;
                if (errno == EINTR || errno == ECONNABORTED)
                    continue;
                return;
            }
            ++accepted;
            std::lock_guard<std::mutex> hold(lock);
            open.push_back(fd);
            workers.emplace_back([this, fd] {
                serve(fd, *this);
                std::lock_guard<std::mutex> hold(lock);
                if (std::find(open.begin(), open.end(), fd) != open.end())
                    ::shutdown(fd, SHUT_RDWR);
            });
        }
    }

    Serve serve;
    int listener = -1;
    unsigned int port = 0;
    std::atomic<bool> stopped{false};
    std::atomic<int> accepted{0};
    std::thread acceptor;
    std::mutex lock;
    std::vector<int> open;
    std::vector<std::thread> workers;
};

// A listener whose accept queue is full: a further connect to it hangs in
// its SYN retries, whatever the machine's network.
struct FullListener {
    LoopbackServer server{nullptr, false, 0};
    std::vector<int> fillers;
    FullListener() {
        for (int i = 0; i < 3; ++i) {
            int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            sockaddr_in a = LoopbackV4(server.Port());
            ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
            fillers.push_back(fd);
        }
        // A backlog of 0 holds one connection; once a filler got in, the
        // queue is full and later SYNs go unanswered.
        std::vector<pollfd> fds;
        for (int fd : fillers)
            fds.push_back({fd, POLLOUT, 0});
        ::poll(fds.data(), static_cast<nfds_t>(fds.size()), 5000);
    }
    ~FullListener() {
        for (int fd : fillers)
            ::close(fd);
    }
    FullListener(const FullListener&) = delete;
    FullListener& operator=(const FullListener&) = delete;
};

// The sockets service over a recording manager, with the in-memory database
// registered, as every sockets test uses it.
struct ServiceRig {
    RecordingServicesManager services;
    MemoryDatabase database;
    std::unique_ptr<Sockets::CSocketsManagerImpl> sockets;
    static constexpr unsigned int Owner = 0x20000007;

    explicit ServiceRig(const Sockets::SocketOptions& options = QuickOptions(),
                        std::unique_ptr<Sockets::CConnectionManager> network = nullptr) {
        services.RegisterService(DatabaseGuid, static_cast<Database::CYolDatabase*>(&database));
        if (!network)
            network = std::make_unique<Sockets::CAlwaysConnected>(NoEnvironment());
        sockets = std::make_unique<Sockets::CSocketsManagerImpl>(&services, std::move(network), options);
    }

    static Sockets::EnvironmentLookup NoEnvironment() {
        return [](const char*) -> const char* { return nullptr; };
    }
    // Short waits, so that time-outs show within a test.
    static Sockets::SocketOptions QuickOptions() {
        Sockets::SocketOptions options;
        options.connectTimeoutMs = 5000;
        options.handshakeTimeoutMs = 5000;
        options.sendTimeoutMs = 5000;
        return options;
    }
    static Sockets::ConnectionSettings Direct(const char* host, unsigned int port) {
        Sockets::ConnectionSettings s;
        s.host = CYolString::FromUtf8(host);
        s.port = port;
        return s;
    }
    static Sockets::ConnectionSettings Via(unsigned int proxyType, unsigned int proxyPort, const char* host,
                                           unsigned int port) {
        Sockets::ConnectionSettings s = Direct(host, port);
        s.proxyType = proxyType;
        s.proxyHost = u"127.0.0.1";
        s.proxyPort = proxyPort;
        return s;
    }

    // A new socket of Owner's, once its connect to `settings` came to a
    // result, whichever.
    CYolSocket* ConnectAndWait(const Sockets::ConnectionSettings& settings) {
        CYolSocket* socket = sockets->CreateSocket(Owner);
        sockets->Connect(socket, settings);
        EXPECT_TRUE(WaitForEvent(socket, Sockets::SocketEvent::ConnectResult));
        return socket;
    }

    // The socket's events in order.
    std::vector<RecordedEvent> Events(CYolSocket* socket) {
        std::vector<RecordedEvent> out;
        for (auto& e : services.Events())
            if (SocketOf(e) == socket)
                out.push_back(std::move(e));
        return out;
    }
    // The socket's events in order, spelled, leaving out SendError and
    // DataAvailable unless asked for.
    std::vector<std::string> Sequence(CYolSocket* socket, bool withData = false) {
        std::vector<std::string> out;
        for (const auto& e : Events(socket)) {
            if (!withData &&
                (e.event == Sockets::SocketEvent::DataAvailable || e.event == Sockets::SocketEvent::SendError))
                continue;
            out.push_back(Spelled(e));
        }
        return out;
    }
    // Waits for the socket's n-th event of that number.
    bool WaitForEvent(CYolSocket* socket, int event, int count = 1, int timeoutMs = 10000) {
        return services.WaitFor(
            [&](const std::vector<RecordedEvent>& all) {
                int seen = 0;
                for (const auto& e : all)
                    seen += SocketOf(e) == socket && e.event == event;
                return seen >= count;
            },
            timeoutMs);
    }
    // The code the socket's last event of that number carried; 0x7FFFFFFF
    // when there was none.
    int CodeOf(CYolSocket* socket, int event) {
        int code = 0x7FFFFFFF;
        for (const auto& e : Events(socket))
            if (e.event == event)
                code = SocketsTest::CodeOf(e);
        return code;
    }

    // Everything queued on the socket so far, read through the service.
    std::string Drain(CYolSocket* socket) {
        std::string out;
        char buffer[4096];
        int n;
        while ((n = sockets->Receive(socket, buffer, sizeof buffer, 0)) > 0)
            out.append(buffer, static_cast<size_t>(n));
        return out;
    }
    // The socket's events of that number so far.
    int CountOf(CYolSocket* socket, int event) {
        int seen = 0;
        for (const auto& e : services.Events())
            seen += SocketOf(e) == socket && e.event == event;
        return seen;
    }
    // Reads until `count` bytes came, the connection ended or the time is
    // up. A drained queue announces its next bytes, so each round waits for
    // the next data event (or the close).
    std::string ReadFor(CYolSocket* socket, size_t count, int timeoutMs = 10000) {
        using Sockets::SocketEvent::Closed;
        using Sockets::SocketEvent::DataAvailable;
        std::string out;
        const int closedBefore = CountOf(socket, Closed);
        for (;;) {
            int announced = CountOf(socket, DataAvailable);
            int closed = CountOf(socket, Closed);
            out += Drain(socket);
            if (out.size() >= count || closed > closedBefore)
                return out;
            bool more = services.WaitFor(
                [&](const std::vector<RecordedEvent>& all) {
                    int data = 0, ends = 0;
                    for (const auto& e : all) {
                        if (SocketOf(e) != socket)
                            continue;
                        data += e.event == DataAvailable;
                        ends += e.event == Closed;
                    }
                    return data > announced || ends > closed;
                },
                timeoutMs);
            if (!more)
                return out;
        }
    }
};

using ::ToHex;

// Hexadecimal text (as Hex reads it) as the bytes a socket carries.
inline std::string Unhex(std::string_view hex) {
    Bytes bytes = ::Hex(hex);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace SocketsTest
