// The sockets service over loopback servers the tests run themselves: socket
// validation, settings, the receive queue, sends, the direct connect path and
// its events, and the traffic counters.

#include "SocketsTestSupport.h"

#include "CYolClock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>

#include <netdb.h>

using namespace Sockets;
using namespace SocketsTest;
using ::testing::ElementsAre;

namespace {

// A port on which nobody listens (held bound, so nobody else takes it).
struct ClosedPort {
    int fd;
    unsigned int port = 0;
    ClosedPort() {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = LoopbackV4();
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        port = LocalPort(fd);
    }
    ~ClosedPort() { ::close(fd); }
};

}  // namespace

TEST(SocketsService, RegistersItselfAndTheTrafficEvent) {
    ServiceRig rig;
    EXPECT_EQ(rig.services.GetService(SocketsManagerGuid), static_cast<CSocketsManager*>(rig.sockets.get()));
    auto registered = rig.services.RegisteredEvent(rig.sockets->GetTrafficEventKey());
    EXPECT_EQ(registered.first, SocketsManagerGuid);
    EXPECT_EQ(registered.second, 1);
}

TEST(SocketsService, UnknownSocketsAreRefusedWithoutBeingTouched) {
    ServiceRig rig;
    auto* stranger = reinterpret_cast<CYolSocket*>(uintptr_t{0x1234});
    CYolSocket* destroyed = rig.sockets->CreateSocket(ServiceRig::Owner);
    ASSERT_NE(destroyed, nullptr);
    EXPECT_TRUE(rig.sockets->IsValidSocket(destroyed));
    EXPECT_EQ(rig.sockets->DestroySocket(destroyed), 0);
    char buffer[4] = {};
    for (CYolSocket* socket : {stranger, destroyed, static_cast<CYolSocket*>(nullptr)}) {
        EXPECT_FALSE(rig.sockets->IsValidSocket(socket));
        EXPECT_EQ(rig.sockets->DestroySocket(socket), -2);
        EXPECT_EQ(rig.sockets->Connect(socket, ServiceRig::Direct("127.0.0.1", 1)), -2);
        EXPECT_EQ(rig.sockets->Send(socket, "x", 1, 0), -2);
        EXPECT_EQ(rig.sockets->Receive(socket, buffer, 4, 0), -2);
        EXPECT_EQ(rig.sockets->SetSocketOption(socket, 1), -2);
        EXPECT_EQ(rig.sockets->Reserved9(socket, 1), -2);
        EXPECT_EQ(rig.sockets->Reserved10(socket, 1), -2);
        rig.sockets->Close(socket);
    }
    EXPECT_EQ(rig.sockets->GetBytesSent(), 0u);
    EXPECT_TRUE(rig.services.Events().empty());
}

TEST(SocketsService, ValidSocketAcceptsOptionsWithoutEffect) {
    ServiceRig rig;
    CYolSocket* socket = rig.sockets->CreateSocket(ServiceRig::Owner);
    EXPECT_EQ(rig.sockets->SetSocketOption(socket, 1), 0);
    EXPECT_EQ(rig.sockets->Reserved9(socket, 7), 0);
    EXPECT_EQ(rig.sockets->Reserved10(socket, 7), 0);
    char buffer[8];
    EXPECT_EQ(rig.sockets->Receive(socket, buffer, sizeof buffer, 0), 0);
}

// --- connection settings --------------------------------------------------------------

TEST(SocketsService, ProxySettingsSurviveARestartButHostAndPortDoNot) {
    RecordingServicesManager services;
    MemoryDatabase database;
    services.RegisterService(DatabaseGuid, static_cast<Database::CYolDatabase*>(&database));
    {
        CSocketsManagerImpl sockets(&services);
        ConnectionSettings s;
        s.accessPoint = u"Work";
        s.host = u"chat.example.org";
        s.port = 5222;
        s.proxyType = ProxyType::Socks5;
        s.proxyHost = u"proxy.example.org";
        s.proxyPort = 1080;
        s.proxyAuth = 1;
        s.proxyLogin = u"bob";
        s.proxyPassword = u"p\u00e4ss";
        s.secure = 1;
        sockets.SetSettings(s);
    }
    const YOL_GUID& section = SocketsManagerGuid;
    EXPECT_EQ(ToHex(std::string(reinterpret_cast<const char*>(database.Raw(section, u"Proxy type").data()), 1)), "03");
    auto port = database.Raw(section, u"Proxy port");
    EXPECT_EQ(ToHex(std::string(port.begin(), port.end())), "38040000");
    auto auth = database.Raw(section, u"Proxy auth");
    EXPECT_EQ(ToHex(std::string(auth.begin(), auth.end())), "01");
    auto password = database.Raw(section, u"Proxy password");
    EXPECT_EQ(std::string(password.begin(), password.end()), "p\xc3\xa4ss");  // plain UTF-8

    CSocketsManagerImpl again(&services);
    ConnectionSettings loaded;
    again.GetSettings(loaded);
    EXPECT_EQ(loaded.accessPoint, u"Work");
    EXPECT_EQ(loaded.proxyType, 3u);
    EXPECT_EQ(loaded.proxyHost, u"proxy.example.org");
    EXPECT_EQ(loaded.proxyPort, 1080u);
    EXPECT_EQ(loaded.proxyAuth, 1u);
    EXPECT_EQ(loaded.proxyLogin, u"bob");
    EXPECT_EQ(loaded.proxyPassword, u"p\u00e4ss");
    EXPECT_TRUE(loaded.host.IsEmpty());
    EXPECT_EQ(loaded.port, 0u);
    EXPECT_EQ(loaded.secure, 0u);
}

TEST(SocketsService, MissingSettingsTakeTheirDefaults) {
    ServiceRig rig;
    ConnectionSettings s;
    s.proxyType = 9;
    rig.sockets->GetSettings(s);
    EXPECT_EQ(s.proxyType, 0u);
    EXPECT_EQ(s.proxyPort, 0u);
    EXPECT_EQ(s.proxyAuth, 0u);
    EXPECT_TRUE(s.accessPoint.IsEmpty());
    EXPECT_TRUE(s.proxyHost.IsEmpty());
}

// --- connecting directly ---------------------------------------------------------------

TEST(SocketsService, DirectConnectReportsEachStepThenConnected) {
    LoopbackServer server([](int fd, LoopbackServer&) { LoopbackServer::WaitForClose(fd); });
    ServiceRig rig;
    CYolSocket* socket = rig.sockets->CreateSocket(ServiceRig::Owner);
    ASSERT_EQ(rig.sockets->Connect(socket, ServiceRig::Direct("127.0.0.1", server.Port())), 0);
    ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::ConnectResult));
    EXPECT_THAT(rig.Sequence(socket),
                ElementsAre("8 Connect to network", "8 Address translation", "8 Connect to 127.0.0.1", "2 0"));
    for (const auto& e : rig.Events(socket)) {
        EXPECT_EQ(e.client, ServiceRig::Owner);
        EXPECT_EQ(e.channel, SocketsManagerGuid);
    }
    rig.sockets->Close(socket);
    EXPECT_EQ(rig.Sequence(socket).back(), "3 0");
}

TEST(SocketsService, PeerClosingAtOnceGivesConnectedThenClosed) {
    LoopbackServer server([](int, LoopbackServer&) {});
    ServiceRig rig;
    CYolSocket* socket = rig.sockets->CreateSocket(ServiceRig::Owner);
    rig.sockets->Connect(socket, ServiceRig::Direct("127.0.0.1", server.Port()));
    ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::Closed));
    auto sequence = rig.Sequence(socket);
    ASSERT_GE(sequence.size(), 2u);
    EXPECT_EQ(sequence[sequence.size() - 2], "2 0");
    EXPECT_EQ(sequence.back(), "3 0");
}

TEST(SocketsService, ConnectFailuresReportTextAndWinsockCode) {
    ClosedPort closed;
    SocketOptions options = ServiceRig::QuickOptions();
    options.resolve = [](const std::string& host, const std::string&, int, std::vector<SocketAddress>&) {
        return host == "no.such.host" ? EAI_NONAME : EAI_AGAIN;
    };
    ServiceRig rig(options);
    struct Case {
        ConnectionSettings settings;
        std::vector<std::string> sequence;
    } cases[] = {
        {ServiceRig::Direct("127.0.0.1", closed.port),
         {"8 Connect to network", "8 Address translation", "8 Connect to 127.0.0.1", "9 Can't connect to 127.0.0.1",
          "2 10061"}},
        {ServiceRig::Direct("no.such.host", 80),
         {"8 Connect to network", "8 Address translation", "9 Address translation error: 11001", "2 11001"}},
        {ServiceRig::Direct("busy.dns", 80),
         {"8 Connect to network", "8 Address translation", "9 Address translation error: 11002", "2 11002"}},
        {ServiceRig::Direct("127.0.0.1", 70000),
         {"8 Connect to network", "8 Address translation", "9 Address translation error: 10109", "2 10109"}},
        {ServiceRig::Via(7, 1080, "127.0.0.1", 80), {"8 Connect to network", "2 -1"}},
        {ServiceRig::Via(ProxyType::Http, closed.port, "example.org", 443),
         {"8 Connect to network", "8 Address translation", "8 Connect to 127.0.0.1", "9 Can't connect to 127.0.0.1",
          "2 10061"}},
    };
    for (const auto& c : cases) {
        rig.services.ClearEvents();  // a new socket may reuse the address of the last one
        CYolSocket* socket = rig.sockets->CreateSocket(ServiceRig::Owner);
        rig.sockets->Connect(socket, c.settings);
        ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::ConnectResult));
        rig.sockets->Close(socket);
        EXPECT_EQ(rig.Sequence(socket), c.sequence);
        rig.sockets->DestroySocket(socket);
    }
}

TEST(SocketsService, ConnectsToIPv6Loopback) {
    LoopbackServer server([](int fd, LoopbackServer&) { LoopbackServer::WriteAll(fd, "v6"); LoopbackServer::WaitForClose(fd); },
                          true);
    ServiceRig rig;
    CYolSocket* socket = rig.sockets->CreateSocket(ServiceRig::Owner);
    rig.sockets->Connect(socket, ServiceRig::Direct("::1", server.Port()));
    ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::ConnectResult));
    EXPECT_EQ(rig.CodeOf(socket, SocketEvent::ConnectResult), 0);
    EXPECT_EQ(rig.ReadFor(socket, 2), "v6");
}

// --- several addresses --------------------------------------------------------------------

// The addresses of a host name race, each attempt starting a delay after the
// one before; the stagger and the one overall time-out are measured on a
// manual clock. The addresses are loopback ones a resolver of the test's
// gives, so no real network is involved.
class SocketsAddressRace : public ::testing::Test {
protected:
    void SetUp() override { CYolClock::Install(&clock); }

    // A resolver answering `name` with 127.0.0.1 at each of the ports.
    static ResolveFunction Answers(std::string name, std::vector<unsigned int> ports) {
        return [name, ports](const std::string& host, const std::string&, int, std::vector<SocketAddress>& out) {
            if (host != name)
                return EAI_NONAME;
            for (unsigned int port : ports) {
                SocketAddress address;
                sockaddr_in a = LoopbackV4(port);
                std::memcpy(&address.storage, &a, sizeof a);
                address.length = sizeof a;
                out.push_back(address);
            }
            return 0;
        };
    }
    // Connects to the name and waits until its attempts are under way.
    CYolSocket* StartConnect(const char* name) {
        socket = rig->sockets->CreateSocket(ServiceRig::Owner);
        rig->sockets->Connect(socket, ServiceRig::Direct(name, 5222));
        std::string wanted = std::string("8 Connect to ") + name;
        EXPECT_TRUE(rig->services.WaitFor([&](const std::vector<RecordedEvent>& all) {
            return std::any_of(all.begin(), all.end(), [&](const RecordedEvent& e) { return Spelled(e) == wanted; });
        }));
        return socket;
    }
    bool Connected() { return rig->CountOf(socket, SocketEvent::ConnectResult) > 0; }

    static LoopbackServer::Serve Greets() {
        return [](int fd, LoopbackServer&) {
            LoopbackServer::WriteAll(fd, "good");
            LoopbackServer::WaitForClose(fd);
        };
    }

    CYolManualClock clock{1000, 1700000000};
    FullListener silent;
    LoopbackServer good{Greets()};
    std::unique_ptr<ServiceRig> rig;
    CYolSocket* socket = nullptr;
};

TEST_F(SocketsAddressRace, SilentFirstAddressHandsOverAfterTheAttemptDelay) {
    SocketOptions options = ServiceRig::QuickOptions();
    options.resolve = Answers("dual.example", {silent.server.Port(), good.Port()});
    rig = std::make_unique<ServiceRig>(options);
    StartConnect("dual.example");
    clock.Advance(249);
    EXPECT_FALSE(Connected());
    EXPECT_EQ(good.Accepted(), 0);
    clock.Advance(1);
    ASSERT_TRUE(rig->WaitForEvent(socket, SocketEvent::ConnectResult));
    EXPECT_EQ(rig->CodeOf(socket, SocketEvent::ConnectResult), 0);
    EXPECT_EQ(rig->ReadFor(socket, 4), "good");
}

TEST_F(SocketsAddressRace, RefusedAddressHandsOverAtOnce) {
    ClosedPort closed;
    SocketOptions options = ServiceRig::QuickOptions();
    options.resolve = Answers("dual.example", {closed.port, good.Port()});
    rig = std::make_unique<ServiceRig>(options);
    StartConnect("dual.example");
    // The clock stands still: no delay is waited for.
    ASSERT_TRUE(rig->WaitForEvent(socket, SocketEvent::ConnectResult));
    EXPECT_EQ(rig->CodeOf(socket, SocketEvent::ConnectResult), 0);
    EXPECT_EQ(rig->ReadFor(socket, 4), "good");
}

TEST_F(SocketsAddressRace, SilentAddressesShareOneTimeout) {
    SocketOptions options = ServiceRig::QuickOptions();
    options.connectTimeoutMs = 30000;
    options.resolve = Answers("silent.example", {silent.server.Port(), silent.server.Port()});
    rig = std::make_unique<ServiceRig>(options);
    StartConnect("silent.example");
    clock.Advance(250);  // the second attempt is under way
    clock.Advance(29749);
    EXPECT_FALSE(Connected());
    clock.Advance(1);
    ASSERT_TRUE(rig->WaitForEvent(socket, SocketEvent::ConnectResult));
    EXPECT_THAT(rig->Sequence(socket),
                ElementsAre("8 Connect to network", "8 Address translation", "8 Connect to silent.example",
                            "9 Can't connect to silent.example", "2 10060"));
}

TEST(SocketsService, SocketConnectsAgainAfterItClosed) {
    LoopbackServer server([](int fd, LoopbackServer&) { LoopbackServer::WriteAll(fd, "hi"); LoopbackServer::WaitForClose(fd); });
    ServiceRig rig;
    CYolSocket* socket = rig.sockets->CreateSocket(ServiceRig::Owner);
    for (int round = 1; round <= 3; ++round) {
        rig.sockets->Connect(socket, ServiceRig::Direct("127.0.0.1", server.Port()));
        ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::ConnectResult, round));
        EXPECT_EQ(rig.ReadFor(socket, 2), "hi");
        rig.sockets->Close(socket);
        EXPECT_TRUE(rig.WaitForEvent(socket, SocketEvent::Closed, round, 0));
    }
}

// --- receiving ------------------------------------------------------------------------------

// The DataAvailable counts of the socket, in order.
std::vector<int> Announced(ServiceRig& rig, CYolSocket* socket) {
    std::vector<int> counts;
    for (const auto& e : rig.Events(socket))
        if (e.event == SocketEvent::DataAvailable)
            counts.push_back(CodeOf(e));
    return counts;
}

// What arrives while the owner has not taken an announced chunk grows one
// chunk, announced by one event before the close; a Receive never crosses
// from one chunk into the next.
TEST(SocketsService, ReceiveTakesFromTheOldestChunkOnly) {
    std::promise<void> firstAnnounced;
    LoopbackServer server([reported = firstAnnounced.get_future().share()](int fd, LoopbackServer&) {
        LoopbackServer::WriteAll(fd, "abcd");
        reported.wait_for(std::chrono::seconds(10));
        for (const char* piece : {"ef", "gh", "ij"})
            LoopbackServer::WriteAll(fd, piece);
    });
    ServiceRig rig;
    CYolSocket* socket = rig.sockets->CreateSocket(ServiceRig::Owner);
    rig.sockets->Connect(socket, ServiceRig::Direct("127.0.0.1", server.Port()));
    ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::DataAvailable));
    firstAnnounced.set_value();
    ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::Closed));
    EXPECT_THAT(rig.Sequence(socket, true),
                ElementsAre("8 Connect to network", "8 Address translation", "8 Connect to 127.0.0.1", "2 0",
                            "4 4", "4 6", "3 0"));

    char buffer[10];
    EXPECT_EQ(rig.sockets->Receive(socket, buffer, 10, 0), 4);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_EQ(rig.sockets->Receive(socket, buffer, 10, 0), 6);
    EXPECT_EQ(std::string(buffer, 6), "efghij");
    EXPECT_EQ(rig.sockets->Receive(socket, buffer, 10, 0), 0);
    EXPECT_EQ(rig.sockets->GetBytesReceived(), 10u);
    EXPECT_EQ(rig.services.Broadcasts(rig.sockets->GetTrafficEventKey()), 2);
}

TEST(SocketsService, SmallReceivesTakeAChunkPieceByPiece) {
    LoopbackServer server([](int fd, LoopbackServer&) { LoopbackServer::WriteAll(fd, "0123456789"); });
    ServiceRig rig;
    CYolSocket* socket = rig.sockets->CreateSocket(ServiceRig::Owner);
    rig.sockets->Connect(socket, ServiceRig::Direct("127.0.0.1", server.Port()));
    ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::Closed));
    ASSERT_THAT(Announced(rig, socket), ElementsAre(10));
    char buffer[3];
    std::string pieces;
    std::vector<int> counts;
    int n;
    while ((n = rig.sockets->Receive(socket, buffer, 3, 0)) > 0) {
        counts.push_back(n);
        pieces.append(buffer, static_cast<size_t>(n));
    }
    EXPECT_THAT(counts, ElementsAre(3, 3, 3, 1));
    EXPECT_EQ(pieces, "0123456789");
}

// Owner side of a fast stream: the owner takes exactly the announced count
// in one Receive per event, as plug-ins do, while the socket stops reading
// whenever the queue reaches its cap.
TEST(SocketsService, EachAnnouncedChunkIsOneReceiveAndTheQueueStopsAtItsCap) {
    const size_t total = 16 << 20;  // beyond what the kernel's buffers hold
    std::string payload(total, '\0');
    for (size_t i = 0; i < total; ++i)
        payload[i] = static_cast<char>(i * 7 + (i >> 10));
    LoopbackServer server([&](int fd, LoopbackServer&) { LoopbackServer::WriteAll(fd, payload); });
    SocketOptions options = ServiceRig::QuickOptions();
    options.receiveQueueCap = 64 * 1024;
    ServiceRig rig(options);
    CYolSocket* socket = rig.sockets->CreateSocket(ServiceRig::Owner);
    rig.sockets->Connect(socket, ServiceRig::Direct("127.0.0.1", server.Port()));
    ASSERT_TRUE(socket->WaitQueued(options.receiveQueueCap, 10000));
    EXPECT_LE(socket->QueuedBytes(), options.receiveQueueCap + CYolSocket::ReceiveChunkBytes);

    std::string received;
    std::vector<char> buffer;
    for (int handled = 0; received.size() < total; ++handled) {
        ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::DataAvailable, handled + 1)) << received.size();
        int count = Announced(rig, socket)[static_cast<size_t>(handled)];
        ASSERT_GT(count, 0);
        ASSERT_LE(static_cast<size_t>(count), options.receiveQueueCap + CYolSocket::ReceiveChunkBytes);
        buffer.resize(static_cast<size_t>(count));
        ASSERT_EQ(rig.sockets->Receive(socket, buffer.data(), count, 0), count) << "event " << handled;
        received.append(buffer.data(), buffer.size());
    }
    EXPECT_TRUE(received == payload);
    ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::Closed));
    EXPECT_EQ(socket->QueuedBytes(), 0u);
}

// Data left from one connection is not read as the start of the next.
TEST(SocketsService, ReconnectStartsWithAnEmptyQueue) {
    std::atomic<int> connection{0};
    LoopbackServer server([&](int fd, LoopbackServer&) {
        LoopbackServer::WriteAll(fd, ++connection == 1 ? "stale" : "fresh");
    });
    ServiceRig rig;
    CYolSocket* socket = rig.sockets->CreateSocket(ServiceRig::Owner);
    rig.sockets->Connect(socket, ServiceRig::Direct("127.0.0.1", server.Port()));
    ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::Closed));
    rig.sockets->Connect(socket, ServiceRig::Direct("127.0.0.1", server.Port()));
    ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::Closed, 2));
    EXPECT_THAT(Announced(rig, socket), ElementsAre(5, 5));
    EXPECT_EQ(rig.Drain(socket), "fresh");
}

// --- sending ---------------------------------------------------------------------------------

TEST(SocketsService, SendOnUnconnectedSocketCountsFailsAndReports) {
    ServiceRig rig;
    CYolSocket* socket = rig.sockets->CreateSocket(ServiceRig::Owner);
    EXPECT_EQ(rig.sockets->Send(socket, "hello", 5, 0), -1);
    EXPECT_EQ(rig.sockets->GetBytesSent(), 5u);
    EXPECT_EQ(rig.services.Broadcasts(rig.sockets->GetTrafficEventKey()), 1);
    EXPECT_THAT(rig.Sequence(socket, true), ElementsAre("5 10057"));
}

// A send far larger than the socket buffers, to a reader that dawdles, is
// written whole before Send returns.
TEST(SocketsService, LargeSendIsCompletedAgainstASlowReader) {
    const size_t total = 8 << 20;
    std::string payload(total, '\0');
    for (size_t i = 0; i < total; ++i)
        payload[i] = static_cast<char>(i ^ (i >> 8));
    std::promise<std::string> got;
    std::future<std::string> arrived = got.get_future();
    LoopbackServer server([&](int fd, LoopbackServer&) { got.set_value(LoopbackServer::ReadExactly(fd, total)); });
    // A small receive window makes the peer a slow reader.
    int small = 64 * 1024;
    ::setsockopt(server.Listener(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    ServiceRig rig;
    CYolSocket* socket = rig.sockets->CreateSocket(ServiceRig::Owner);
    rig.sockets->Connect(socket, ServiceRig::Direct("127.0.0.1", server.Port()));
    ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::ConnectResult));
    EXPECT_EQ(rig.sockets->Send(socket, payload.data(), static_cast<int>(total), 0), static_cast<int>(total));
    ASSERT_EQ(arrived.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    std::string bytes = arrived.get();
    EXPECT_EQ(bytes.size(), total);
    EXPECT_TRUE(bytes == payload);
    EXPECT_EQ(rig.CodeOf(socket, SocketEvent::SendError), 0);
    EXPECT_EQ(rig.sockets->GetBytesSent(), total);
}

TEST(SocketsService, SendToAPeerThatResetReportsTheError) {
    // The peer resets only once the connect has been reported; a reset that
    // overtakes the connect is a failed connect, not this case.
    std::promise<void> connected;
    std::shared_future<void> reported = connected.get_future().share();
    LoopbackServer server([reported](int fd, LoopbackServer& self) {
        reported.wait_for(std::chrono::seconds(10));
        self.Abort(fd);
    });
    ServiceRig rig;
    CYolSocket* socket = rig.sockets->CreateSocket(ServiceRig::Owner);
    rig.sockets->Connect(socket, ServiceRig::Direct("127.0.0.1", server.Port()));
    ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::ConnectResult));
    ASSERT_EQ(rig.CodeOf(socket, SocketEvent::ConnectResult), 0);
    connected.set_value();
    ASSERT_TRUE(rig.WaitForEvent(socket, SocketEvent::Closed));
    EXPECT_EQ(rig.CodeOf(socket, SocketEvent::Closed), 10054);
    EXPECT_EQ(rig.sockets->Send(socket, "late", 4, 0), -1);
    EXPECT_NE(rig.CodeOf(socket, SocketEvent::SendError), 0);
}

TEST(SocketsService, TrafficCountersAddUpAcrossThreads) {
    ServiceRig rig;
    std::vector<CYolSocket*> sockets;
    for (int i = 0; i < 4; ++i)
        sockets.push_back(rig.sockets->CreateSocket(ServiceRig::Owner));
    std::vector<std::thread> senders;
    for (CYolSocket* socket : sockets)
        senders.emplace_back([&, socket] {
            for (int i = 0; i < 500; ++i)
                rig.sockets->Send(socket, "0123456789", 10, 0);
        });
    for (auto& t : senders)
        t.join();
    EXPECT_EQ(rig.sockets->GetBytesSent(), 4u * 500u * 10u);
}

// --- errors ------------------------------------------------------------------------------------

TEST(SocketErrors, ErrnoBecomesTheWinsockNumber) {
    struct Case {
        int errnoValue;
        int winsock;
    } cases[] = {
        {ECONNREFUSED, 10061}, {ETIMEDOUT, 10060}, {EHOSTUNREACH, 10065}, {ENETUNREACH, 10051},
        {ECONNRESET, 10054},   {ECONNABORTED, 10053}, {ENOTCONN, 10057},  {EADDRINUSE, 10048},
        {EINTR, 10004},        {EPIPE, 10054},      {EAGAIN, 10035},     {EINPROGRESS, 10036},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WinsockError(c.errnoValue), c.winsock) << c.errnoValue;
    EXPECT_EQ(WinsockResolveError(EAI_NONAME, 0), 11001);
    EXPECT_EQ(WinsockResolveError(EAI_AGAIN, 0), 11002);
    EXPECT_EQ(WinsockResolveError(EAI_FAIL, 0), 11003);
    EXPECT_EQ(WinsockResolveError(EAI_SYSTEM, ECONNREFUSED), 10061);
}
