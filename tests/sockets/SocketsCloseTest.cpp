// Closing or destroying a socket ends whatever its thread is doing at once,
// and each phase has its own time-out.

#include "SocketsTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <netdb.h>

#include <condition_variable>
#include <future>
#include <memory>

using namespace Sockets;
using namespace SocketsTest;

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A lookup that hangs until the test lets it go; shared with the helper
// thread, which may outlive the socket.
struct StuckLookup {
    std::mutex lock;
    std::condition_variable wake;
    bool released = false;
    bool entered = false;
    bool left = false;

    void Release() {
        std::lock_guard<std::mutex> hold(lock);
        released = true;
        wake.notify_all();
    }
    void WaitLeft() {
        std::unique_lock<std::mutex> hold(lock);
        wake.wait_for(hold, std::chrono::seconds(5), [&] { return left; });
    }
};

ResolveFunction Stuck(std::shared_ptr<StuckLookup> stuck) {
    return [stuck](const std::string&, const std::string&, int, std::vector<SocketAddress>&) {
        std::unique_lock<std::mutex> hold(stuck->lock);
        stuck->entered = true;
        stuck->wake.notify_all();
        stuck->wake.wait(hold, [&] { return stuck->released; });
        stuck->left = true;
        stuck->wake.notify_all();
        return EAI_NONAME;
    };
}

// Accepts, reads what comes, never answers.
LoopbackServer::Serve Silent() {
    return [](int fd, LoopbackServer&) { LoopbackServer::WaitForClose(fd); };
}

// Accepts and never reads; waits for the hang-up of the stop (poll always
// reports it, and no arriving byte ends the wait).
LoopbackServer::Serve Deaf(std::promise<int>& accepted) {
    return [&accepted](int fd, LoopbackServer&) {
        accepted.set_value(fd);
        pollfd hangUp{fd, 0, 0};
        ::poll(&hangUp, 1, -1);
    };
}

enum class Phase { Resolving, Connecting, HttpHandshake, Socks5Handshake, TlsHandshake, Receiving };

const char* Name(Phase phase) {
    switch (phase) {
    case Phase::Resolving: return "resolving";
    case Phase::Connecting: return "connecting";
    case Phase::HttpHandshake: return "HTTP handshake";
    case Phase::Socks5Handshake: return "SOCKS5 handshake";
    case Phase::TlsHandshake: return "TLS handshake";
    case Phase::Receiving: return "receiving";
    }
    return "";
}

// Puts a socket into the phase and reports the event that shows it got there.
struct PhaseRig {
    std::shared_ptr<StuckLookup> stuck = std::make_shared<StuckLookup>();
    std::unique_ptr<FullListener> full;
    LoopbackServer silent{Silent()};
    std::unique_ptr<ServiceRig> rig;
    CYolSocket* socket = nullptr;

    explicit PhaseRig(Phase phase, SocketOptions options = ServiceRig::QuickOptions()) {
        options.resolve = Stuck(stuck);
        rig = std::make_unique<ServiceRig>(options);
        socket = rig->sockets->CreateSocket(ServiceRig::Owner);
        ConnectionSettings settings = ServiceRig::Direct("127.0.0.1", silent.Port());
        const char* reached = nullptr;
        switch (phase) {
        case Phase::Resolving:
            settings = ServiceRig::Direct("stuck.example", 80);
            break;
        case Phase::Connecting:
            full = std::make_unique<FullListener>();
            settings = ServiceRig::Direct("127.0.0.1", full->server.Port());
            reached = "8 Connect to 127.0.0.1";
            break;
        case Phase::HttpHandshake:
            settings = ServiceRig::Via(ProxyType::Http, silent.Port(), "127.0.0.1", 80);
            reached = "8 Init proxy server";
            break;
        case Phase::Socks5Handshake:
            settings = ServiceRig::Via(ProxyType::Socks5, silent.Port(), "127.0.0.1", 80);
            reached = "8 Init proxy server";
            break;
        case Phase::TlsHandshake:
            settings.secure = 1;
            reached = "8 Init secure connection";
            break;
        case Phase::Receiving:
            reached = "2 0";
            break;
        }
        EXPECT_EQ(rig->sockets->Connect(socket, settings), 0);
        if (phase == Phase::Resolving) {
            std::unique_lock<std::mutex> hold(stuck->lock);
            stuck->wake.wait_for(hold, std::chrono::seconds(5), [&] { return stuck->entered; });
        } else {
            std::string wanted = reached;
            rig->services.WaitFor([&](const std::vector<RecordedEvent>& all) {
                for (const auto& e : all)
                    if (SocketOf(e) == socket && Spelled(e) == wanted)
                        return true;
                return false;
            });
        }
    }
    ~PhaseRig() {
        rig.reset();
        stuck->Release();
        if (stuck->entered)
            stuck->WaitLeft();
    }
};

}  // namespace

TEST(SocketsClose, CloseEndsEveryPhaseWithinASecond) {
    for (Phase phase : {Phase::Resolving, Phase::Connecting, Phase::HttpHandshake, Phase::Socks5Handshake,
                        Phase::TlsHandshake, Phase::Receiving}) {
        PhaseRig rig(phase);
        auto before = rig.rig->Sequence(rig.socket);
        ASSERT_FALSE(before.empty()) << Name(phase);
        if (phase == Phase::Receiving) {
            EXPECT_EQ(before.back(), "2 0");
        } else {
            EXPECT_NE(before.back().substr(0, 2), "2 ") << Name(phase) << ": ended before the close";
        }

        auto start = Clock::now();
        rig.rig->sockets->Close(rig.socket);
        EXPECT_LT(MillisecondsSince(start), 1000) << Name(phase);

        // A close while connecting is no failure to tell the user about: no
        // error text, only the interrupted connect result.
        auto after = rig.rig->Sequence(rig.socket);
        ASSERT_EQ(after.size(), before.size() + 1) << Name(phase);
        EXPECT_EQ(after.back(), phase == Phase::Receiving ? "3 0" : "2 10004") << Name(phase);
    }
}

TEST(SocketsClose, DestroyEndsEveryPhaseWithinASecond) {
    for (Phase phase : {Phase::Resolving, Phase::Connecting, Phase::Socks5Handshake, Phase::TlsHandshake,
                        Phase::Receiving}) {
        PhaseRig rig(phase);
        auto start = Clock::now();
        EXPECT_EQ(rig.rig->sockets->DestroySocket(rig.socket), 0);
        EXPECT_LT(MillisecondsSince(start), 1000) << Name(phase);
        EXPECT_FALSE(rig.rig->sockets->IsValidSocket(rig.socket));
    }
}

TEST(SocketsClose, ServiceTeardownEndsEverySocket) {
    PhaseRig first(Phase::TlsHandshake);
    CYolSocket* second = first.rig->sockets->CreateSocket(ServiceRig::Owner);
    first.rig->sockets->Connect(second, ServiceRig::Direct("127.0.0.1", first.silent.Port()));
    ASSERT_TRUE(first.rig->WaitForEvent(second, SocketEvent::ConnectResult));
    auto start = Clock::now();
    first.rig->sockets.reset();
    EXPECT_LT(MillisecondsSince(start), 1000);
}

TEST(SocketsClose, CloseAllEndsEverySocketAndKeepsThem) {
    LoopbackServer server(Silent());
    ServiceRig rig;
    std::vector<CYolSocket*> sockets;
    for (int i = 0; i < 5; ++i) {
        sockets.push_back(rig.sockets->CreateSocket(ServiceRig::Owner));
        rig.sockets->Connect(sockets.back(), ServiceRig::Direct("127.0.0.1", server.Port()));
    }
    for (CYolSocket* socket : sockets)
        ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::ConnectResult));
    rig.sockets->CloseAll();
    for (CYolSocket* socket : sockets) {
        EXPECT_EQ(rig.Sequence(socket).back(), "3 0");
        EXPECT_TRUE(rig.sockets->IsValidSocket(socket));
    }
}

TEST(SocketsClose, CloseWakesASendWaitingForRoom) {
    std::promise<int> accepted;
    std::future<int> peer = accepted.get_future();
    LoopbackServer server(Deaf(accepted));  // the send buffers fill up
    ServiceRig rig;
    CYolSocket* socket = rig.sockets->CreateSocket(ServiceRig::Owner);
    rig.sockets->Connect(socket, ServiceRig::Direct("127.0.0.1", server.Port()));
    ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::ConnectResult));

    std::string big(64 << 20, 'x');
    std::atomic<int> result{0};
    std::thread sender([&] { result = rig.sockets->Send(socket, big.data(), static_cast<int>(big.size()), 0); });
    // Bytes at the peer: the Send is writing, and 64 MiB cannot go without
    // waiting for room.
    ASSERT_EQ(peer.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    pollfd arrived{peer.get(), POLLIN, 0};
    ASSERT_EQ(::poll(&arrived, 1, 10000), 1);
    auto start = Clock::now();
    rig.sockets->DestroySocket(socket);
    sender.join();
    EXPECT_LT(MillisecondsSince(start), 1000);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(rig.CodeOf(socket, SocketEvent::SendError), 10004);
}

// --- time-outs -------------------------------------------------------------------------------

TEST(SocketsTimeouts, EachPhaseGivesUpWithItsOwnTextAndCode) {
    struct Case {
        Phase phase;
        std::vector<std::string> tail;
    } cases[] = {
        {Phase::Connecting, {"9 Can't connect to 127.0.0.1", "2 10060"}},
        {Phase::HttpHandshake, {"8 Init proxy server", "9 Can't init proxy server", "2 10060"}},
        {Phase::Socks5Handshake, {"8 Init proxy server", "9 Can't init proxy server", "2 10060"}},
        {Phase::TlsHandshake, {"8 Init secure connection", "9 Secure connection error", "2 -1"}},
    };
    SocketOptions options = ServiceRig::QuickOptions();
    options.connectTimeoutMs = 300;
    options.handshakeTimeoutMs = 300;
    for (const auto& c : cases) {
        PhaseRig rig(c.phase, options);
        ASSERT_TRUE(rig.rig->WaitForEvent(rig.socket, SocketEvent::ConnectResult, 1, 3000)) << Name(c.phase);
        auto sequence = rig.rig->Sequence(rig.socket);
        ASSERT_GE(sequence.size(), c.tail.size());
        EXPECT_EQ(std::vector<std::string>(sequence.end() - static_cast<std::ptrdiff_t>(c.tail.size()), sequence.end()),
                  c.tail)
            << Name(c.phase);
    }
}
