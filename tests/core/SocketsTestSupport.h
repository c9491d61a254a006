#pragma once
// What the sockets tests share: a services manager that records the events
// sockets send, an in-memory settings database, and a loopback server run by
// the test itself.

#include "CEventArg.h"
#include "CServicesManager.h"
#include "CSocketsManagerImpl.h"
#include "CYolDatabase.h"
#include "CYolSocket.h"
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
#include <condition_variable>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace SocketsTest {

using Sockets::CYolSocket;

struct RecordedEvent {
    unsigned int client = 0;
    YOL_GUID channel;
    int event = 0;
    CYolSocket* socket = nullptr;
    int code = 0;
    std::string text;
    bool hasText = false;

    // "2 0", "8 Connect to network": how tests spell expected sequences.
    std::string Spelled() const { return std::to_string(event) + " " + (hasText ? text : std::to_string(code)); }
};

// Records every event sent and every broadcast; hands out keys like the real
// manager. Arguments are read and given up at once.
class RecordingServices final : public Services::CServicesManager {
public:
    unsigned int RegisterService(const YOL_GUID& id, void* service) override {
        std::lock_guard<std::mutex> hold(lock);
        services[id] = service;
        return ++nextServiceKey;
    }
    int UnregisterService(unsigned int) override { return 0; }
    bool IsServiceRegistered(const YOL_GUID& id) override { return GetService(id) != nullptr; }
    void* GetService(const YOL_GUID& id) override {
        std::lock_guard<std::mutex> hold(lock);
        auto found = services.find(id);
        return found == services.end() ? nullptr : found->second;
    }
    void ForgetService(const YOL_GUID& id) {
        std::lock_guard<std::mutex> hold(lock);
        services.erase(id);
    }
    unsigned int RegisterEventsClient(Services::CEventsClient*, const CYolString&) override { return 0; }
    int UnregisterEventsClient(unsigned int) override { return -2; }

    int SendEvent(unsigned int clientKey, const YOL_GUID& channel, int event, Services::CEventArg* arg,
                  Services::CEventArg* extra, bool) override {
        RecordedEvent record;
        record.client = clientKey;
        record.channel = channel;
        record.event = event;
        if (auto* socketArg = dynamic_cast<Services::CEventArg_Data<CYolSocket*>*>(arg))
            record.socket = socketArg->Get();
        if (auto* intArg = dynamic_cast<Services::CEventArg_Data<int>*>(extra))
            record.code = intArg->Get();
        if (auto* textArg = dynamic_cast<Services::CEventArg_Data<CYolString>*>(extra)) {
            record.text = textArg->Get().ToUtf8();
            record.hasText = true;
        }
        if (arg)
            arg->AddRef(0);
        if (extra)
            extra->AddRef(0);
        std::function<void(const RecordedEvent&)> hook;
        {
            std::lock_guard<std::mutex> hold(lock);
            events.push_back(record);
            hook = onEvent;
        }
        changed.notify_all();
        if (hook)
            hook(record);
        return 1;
    }

    unsigned int RegisterEvent(const YOL_GUID& channel, int event) override {
        std::lock_guard<std::mutex> hold(lock);
        registered[++nextEventKey] = {channel, event};
        return nextEventKey;
    }
    int UnregisterEvent(unsigned int key) override {
        std::lock_guard<std::mutex> hold(lock);
        return registered.erase(key) ? 0 : -2;
    }
    int BroadcastEvent(unsigned int eventKey, Services::CEventArg* arg, Services::CEventArg* extra, bool) override {
        if (arg)
            arg->AddRef(0);
        if (extra)
            extra->AddRef(0);
        std::lock_guard<std::mutex> hold(lock);
        ++broadcasts[eventKey];
        return 0;
    }
    unsigned int Subscribe(const YOL_GUID&, int, unsigned int) override { return 0; }
    int Unsubscribe(unsigned int) override { return -2; }

    // --- for the tests ---

    std::pair<YOL_GUID, int> Registered(unsigned int key) {
        std::lock_guard<std::mutex> hold(lock);
        return registered.count(key) ? registered[key] : std::pair<YOL_GUID, int>{};
    }
    int Broadcasts(unsigned int key) {
        std::lock_guard<std::mutex> hold(lock);
        return broadcasts[key];
    }
    // Called on the sending thread after each event is recorded.
    void SetHook(std::function<void(const RecordedEvent&)> hook) {
        std::lock_guard<std::mutex> hold(lock);
        onEvent = std::move(hook);
    }

    std::vector<RecordedEvent> Events(CYolSocket* socket = nullptr) {
        std::lock_guard<std::mutex> hold(lock);
        std::vector<RecordedEvent> out;
        for (const auto& e : events)
            if (!socket || e.socket == socket)
                out.push_back(e);
        return out;
    }
    // The socket's events in order, spelled, leaving out SendError and
    // DataAvailable unless asked for.
    std::vector<std::string> Sequence(CYolSocket* socket, bool withData = false) {
        std::vector<std::string> out;
        for (const auto& e : Events(socket)) {
            if (!withData && (e.event == Sockets::SocketEvent::DataAvailable || e.event == Sockets::SocketEvent::SendError))
                continue;
            out.push_back(e.Spelled());
        }
        return out;
    }
    bool WaitFor(const std::function<bool(const std::vector<RecordedEvent>&)>& done, int timeoutMs = 10000) {
        std::unique_lock<std::mutex> hold(lock);
        return changed.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] { return done(events); });
    }
    // Waits for the socket's n-th event of that number.
    bool WaitForEvent(CYolSocket* socket, int event, int count = 1, int timeoutMs = 10000) {
        return WaitFor(
            [&](const std::vector<RecordedEvent>& all) {
                int seen = 0;
                for (const auto& e : all)
                    seen += e.socket == socket && e.event == event;
                return seen >= count;
            },
            timeoutMs);
    }
    const RecordedEvent* Last(CYolSocket* socket, int event, RecordedEvent& out) {
        for (const auto& e : Events(socket))
            if (e.event == event)
                out = e;
        return &out;
    }
    int CodeOf(CYolSocket* socket, int event) {
        RecordedEvent e;
        e.code = 0x7FFFFFFF;
        Last(socket, event, e);
        return e.code;
    }
    void Clear() {
        std::lock_guard<std::mutex> hold(lock);
        events.clear();
    }

private:
    std::mutex lock;
    std::condition_variable changed;
    std::vector<RecordedEvent> events;
    std::map<YOL_GUID, void*> services;
    std::map<unsigned int, std::pair<YOL_GUID, int>> registered;
    std::map<unsigned int, int> broadcasts;
    std::function<void(const RecordedEvent&)> onEvent;
    unsigned int nextServiceKey = 0x10000001;
    unsigned int nextEventKey = 0x30000001;
};

// Settings held in memory, little-endian as the real database keeps them.
class MemoryDatabase final : public Database::CYolDatabase {
public:
    using Key = std::pair<std::string, std::string>;

    bool GetSize(const YOL_GUID& s, const CYolString& k, unsigned long& size) override {
        auto v = Find(s, k);
        if (!v)
            return false;
        size = v->size();
        return true;
    }
    bool GetData(const YOL_GUID& s, const CYolString& k, void* buffer, unsigned long& size) override {
        auto v = Find(s, k);
        if (!v)
            return false;
        bool fits = size >= v->size();
        if (fits && !v->empty())
            std::memcpy(buffer, v->data(), v->size());
        size = v->size();
        return fits;
    }
    bool GetString(const YOL_GUID& s, const CYolString& k, CYolString& value) override {
        auto v = Find(s, k);
        if (!v)
            return false;
        value = CYolString::FromUtf8(std::string(v->begin(), v->end()));
        return true;
    }
    bool GetDword(const YOL_GUID& s, const CYolString& k, unsigned long& value) override {
        return GetNumber(s, k, 4, value);
    }
    bool GetWord(const YOL_GUID& s, const CYolString& k, unsigned short& value) override {
        unsigned long v = 0;
        bool ok = GetNumber(s, k, 2, v);
        if (ok)
            value = static_cast<unsigned short>(v);
        return ok;
    }
    bool GetByte(const YOL_GUID& s, const CYolString& k, unsigned char& value) override {
        unsigned long v = 0;
        bool ok = GetNumber(s, k, 1, v);
        if (ok)
            value = static_cast<unsigned char>(v);
        return ok;
    }
    bool SetData(const YOL_GUID& s, const CYolString& k, const void* data, const unsigned long& size) override {
        auto bytes = static_cast<const uint8_t*>(data);
        Put(s, k, std::vector<uint8_t>(bytes, bytes + size));
        return true;
    }
    bool SetString(const YOL_GUID& s, const CYolString& k, const CYolString& value) override {
        std::string utf8 = value.ToUtf8();
        Put(s, k, std::vector<uint8_t>(utf8.begin(), utf8.end()));
        return true;
    }
    bool SetDword(const YOL_GUID& s, const CYolString& k, const unsigned long& value) override {
        return PutNumber(s, k, 4, value);
    }
    bool SetWord(const YOL_GUID& s, const CYolString& k, const unsigned short& value) override {
        return PutNumber(s, k, 2, value);
    }
    bool SetByte(const YOL_GUID& s, const CYolString& k, const unsigned char& value) override {
        return PutNumber(s, k, 1, value);
    }

    // The stored bytes of a value; empty when missing.
    std::vector<uint8_t> Raw(const YOL_GUID& s, const char16_t* k) {
        auto v = Find(s, k);
        return v ? *v : std::vector<uint8_t>{};
    }
    bool Has(const YOL_GUID& s, const char16_t* k) { return Find(s, k).has_value(); }

private:
    static Key MakeKey(const YOL_GUID& s, const CYolString& k) { return {s.GetString().ToUtf8(), k.ToUtf8()}; }
    std::optional<std::vector<uint8_t>> Find(const YOL_GUID& s, const CYolString& k) {
        std::lock_guard<std::mutex> hold(lock);
        auto found = values.find(MakeKey(s, k));
        if (found == values.end())
            return std::nullopt;
        return found->second;
    }
    void Put(const YOL_GUID& s, const CYolString& k, std::vector<uint8_t> bytes) {
        std::lock_guard<std::mutex> hold(lock);
        values[MakeKey(s, k)] = std::move(bytes);
    }
    bool GetNumber(const YOL_GUID& s, const CYolString& k, size_t width, unsigned long& value) {
        auto v = Find(s, k);
        if (!v)
            return false;
        value = 0;
        if (v->size() >= width)
            for (size_t i = 0; i < width; ++i)
                value |= static_cast<unsigned long>((*v)[i]) << (8 * i);
        return true;
    }
    bool PutNumber(const YOL_GUID& s, const CYolString& k, size_t width, unsigned long value) {
        std::vector<uint8_t> bytes(width);
        for (size_t i = 0; i < width; ++i)
            bytes[i] = static_cast<uint8_t>(value >> (8 * i));
        Put(s, k, std::move(bytes));
        return true;
    }

    std::mutex lock;
    std::map<Key, std::vector<uint8_t>> values;
};

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
            socklen_t size = sizeof a;
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size);
            port = ntohs(a.sin6_port);
        } else {
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            ::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
            socklen_t size = sizeof a;
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size);
            port = ntohs(a.sin_port);
        }
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

// The sockets service over a recording manager, with the in-memory database
// registered, as every sockets test uses it.
struct ServiceRig {
    RecordingServices services;
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

    // Everything queued on the socket so far, read through the service.
    std::string Drain(CYolSocket* socket) {
        std::string out;
        char buffer[4096];
        int n;
        while ((n = sockets->Receive(socket, buffer, sizeof buffer, 0)) > 0)
            out.append(buffer, static_cast<size_t>(n));
        return out;
    }
    // Reads until `count` bytes came or the time is up.
    std::string ReadFor(CYolSocket* socket, size_t count, int timeoutMs = 10000) {
        std::string out;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (out.size() < count && std::chrono::steady_clock::now() < deadline) {
            out += Drain(socket);
            if (out.size() < count)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return out;
    }
};

inline std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

inline std::string Unhex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

}  // namespace SocketsTest
