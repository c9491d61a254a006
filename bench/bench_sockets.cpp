// Loopback throughput through the sockets service, against a plain blocking
// socket moving the same bytes in the same run, and the memory an idle
// connected socket costs.
//
// The service's receive side is measured the way owners use it: an events
// client of the real services manager that drains the socket whenever a
// DataAvailable event reaches its queue thread.

#include "CEventArg.h"
#include "CEventsClient.h"
#include "CServicesManagerImpl.h"
#include "CSocketsManagerImpl.h"
#include "YolGuids.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

using namespace Sockets;

namespace {

constexpr size_t TotalBytes = 256u << 20;
constexpr size_t BlockBytes = 64u << 10;

// A loopback listener whose one connection is handed to `serve` on a thread.
class Peer {
public:
    template <typename Serve>
    explicit Peer(Serve serve) {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t size = sizeof a;
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size);
        port = ntohs(a.sin_port);
        ::listen(listener, 1024);
        worker = std::thread([this, serve] {
            int fd = ::accept(listener, nullptr, nullptr);
            if (fd >= 0) {
                serve(fd);
                ::close(fd);
            }
        });
    }
    ~Peer() {
        ::shutdown(listener, SHUT_RDWR);
        worker.join();
        ::close(listener);
    }
    unsigned int port = 0;

private:
    int listener = -1;
    std::thread worker;
};

void Sink(int fd) {
    std::vector<char> buffer(256 << 10);
    while (::recv(fd, buffer.data(), buffer.size(), 0) > 0) {
    }
}

void Source(int fd) {
    std::vector<char> block(BlockBytes, 'x');
    for (size_t sent = 0; sent < TotalBytes;) {
        ssize_t n = ::send(fd, block.data(), std::min(BlockBytes, TotalBytes - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += static_cast<size_t>(n);
    }
}

int PlainConnect(unsigned int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    return fd;
}

// An owner of sockets: counts what it drains and tells when connects end.
class Owner final : public Services::CEventsClient {
public:
    Owner(Services::CServicesManager& manager, CSocketsManager& sockets) : sockets(sockets) {
        key = manager.RegisterEventsClient(this, u"bench owner");
    }
    int OnEvent(const YOL_GUID&, int event, Services::CEventArg* arg, Services::CEventArg* extra) override {
        auto* socket = static_cast<Services::CEventArg_Data<CYolSocket*>*>(arg)->Get();
        if (event == SocketEvent::ConnectResult) {
            std::lock_guard<std::mutex> hold(lock);
            ++connected;
            lastCode = static_cast<Services::CEventArg_Data<int>*>(extra)->Get();
            changed.notify_all();
        } else if (event == SocketEvent::DataAvailable) {
            int n;
            size_t got = 0;
            while ((n = sockets.Receive(socket, buffer, sizeof buffer, 0)) > 0)
                got += static_cast<size_t>(n);
            std::lock_guard<std::mutex> hold(lock);
            received += got;
            changed.notify_all();
        }
        return 0;
    }
    void WaitConnected(int count) {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait(hold, [&] { return connected >= count; });
    }
    void WaitReceived(size_t bytes) {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait(hold, [&] { return received >= bytes; });
    }
    unsigned int key = 0;
    int lastCode = 0;

private:
    CSocketsManager& sockets;
    std::mutex lock;
    std::condition_variable changed;
    int connected = 0;
    size_t received = 0;
    char buffer[4096];
};

struct Service {
    Services::CServicesManagerImpl manager;
    std::unique_ptr<CSocketsManagerImpl> sockets;
    std::unique_ptr<Owner> owner;
    Service() {
        auto network = std::make_unique<CAlwaysConnected>([](const char*) -> const char* { return nullptr; });
        sockets = std::make_unique<CSocketsManagerImpl>(&manager, std::move(network), SocketOptions());
        owner = std::make_unique<Owner>(manager, *sockets);
    }
    // The owner goes first, as accounts do before the core's services: its
    // queue may still hold events that call into the sockets service.
    ~Service() {
        manager.UnregisterEventsClient(owner->key);
        sockets.reset();
        manager.StopAllQueues();
    }
    CYolSocket* Connect(unsigned int port, int count) {
        CYolSocket* socket = sockets->CreateSocket(owner->key);
        ConnectionSettings settings;
        settings.host = u"127.0.0.1";
        settings.port = port;
        sockets->Connect(socket, settings);
        owner->WaitConnected(count);
        return socket;
    }
};

void BM_ServiceSend(benchmark::State& state) {
    std::vector<char> block(BlockBytes, 'x');
    for (auto _ : state) {
        Service service;
        Peer peer(Sink);
        CYolSocket* socket = service.Connect(peer.port, 1);
        for (size_t sent = 0; sent < TotalBytes; sent += BlockBytes)
            service.sockets->Send(socket, block.data(), static_cast<int>(BlockBytes), 0);
        service.sockets->DestroySocket(socket);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalBytes));
}

void BM_PlainSend(benchmark::State& state) {
    std::vector<char> block(BlockBytes, 'x');
    for (auto _ : state) {
        Peer peer(Sink);
        int fd = PlainConnect(peer.port);
        for (size_t sent = 0; sent < TotalBytes;) {
            ssize_t n = ::send(fd, block.data(), BlockBytes, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<size_t>(n);
        }
        ::close(fd);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalBytes));
}

void BM_ServiceReceive(benchmark::State& state) {
    for (auto _ : state) {
        Service service;
        Peer peer(Source);
        CYolSocket* socket = service.Connect(peer.port, 1);
        service.owner->WaitReceived(TotalBytes);
        service.sockets->DestroySocket(socket);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalBytes));
}

void BM_PlainReceive(benchmark::State& state) {
    std::vector<char> buffer(BlockBytes);
    for (auto _ : state) {
        Peer peer(Source);
        int fd = PlainConnect(peer.port);
        size_t got = 0;
        ssize_t n;
        while (got < TotalBytes && (n = ::recv(fd, buffer.data(), buffer.size(), 0)) > 0)
            got += static_cast<size_t>(n);
        ::close(fd);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalBytes));
}

long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

// Memory of `count` connected, idle sockets of the service (each with its
// receive thread) against as many plain connected sockets.
void BM_IdleSocketMemory(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    bool viaService = state.range(1) != 0;
    long perSocket = 0;
    for (auto _ : state) {
        std::vector<int> accepted;
        int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t size = sizeof a;
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size);
        ::listen(listener, 4096);
        unsigned int port = ntohs(a.sin_port);

        Service service;
        std::vector<int> plain;
        long before = ResidentBytes();
        for (int i = 0; i < count; ++i) {
            if (viaService)
                service.Connect(port, i + 1);
            else
                plain.push_back(PlainConnect(port));
            accepted.push_back(::accept(listener, nullptr, nullptr));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        perSocket = (ResidentBytes() - before) / count;
        service.sockets->CloseAll();
        for (int fd : plain)
            ::close(fd);
        for (int fd : accepted)
            ::close(fd);
        ::close(listener);
    }
    state.counters["resident_bytes_per_socket"] = static_cast<double>(perSocket);
}

}  // namespace

BENCHMARK(BM_ServiceSend)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PlainSend)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ServiceReceive)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PlainReceive)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_IdleSocketMemory)->Args({500, 1})->Args({500, 0})->Unit(benchmark::kMillisecond)->Iterations(1);
