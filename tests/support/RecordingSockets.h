#pragma once
// A sockets service that records what it is asked and lets a test queue
// what arrives, split anywhere: protocol code runs against it without
// threads or ports. Socket handles are never reused, so a test can tell an
// old socket's events from a new one's.

#include "CSocketsManager.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace YolTest {

class RecordingSockets final : public Sockets::CSocketsManager {
public:
    struct ConnectCall {
        Sockets::CYolSocket* socket;
        Sockets::ConnectionSettings settings;
    };

    // What Connect answers (0: the connect thread started).
    int connectResult = 0;
    // Send answers at most this many bytes per call (negative: all).
    int sendLimit = -1;

    Sockets::CYolSocket* CreateSocket(unsigned int owner) override {
        std::lock_guard guard(lock);
        if (failCreate)
            return nullptr;
        auto* socket = reinterpret_cast<Sockets::CYolSocket*>(uintptr_t{0x10000} + 0x10 * ++made);
        live[socket] = owner;
        return socket;
    }
    bool IsValidSocket(Sockets::CYolSocket* socket) override {
        std::lock_guard guard(lock);
        return live.count(socket) != 0;
    }
    int DestroySocket(Sockets::CYolSocket* socket) override {
        std::lock_guard guard(lock);
        if (live.erase(socket) == 0)
            return -2;
        ++destroyed;
        return 0;
    }
    int Connect(Sockets::CYolSocket* socket, const Sockets::ConnectionSettings& settings) override {
        std::lock_guard guard(lock);
        if (live.count(socket) == 0)
            return -2;
        connects.push_back({socket, settings});
        return connectResult;
    }
    int Send(Sockets::CYolSocket* socket, const void* data, int length, int) override {
        std::lock_guard guard(lock);
        if (live.count(socket) == 0)
            return -2;
        int taken = sendLimit >= 0 && sendLimit < length ? sendLimit : length;
        sent.append(static_cast<const char*>(data), static_cast<size_t>(taken));
        ++sendCalls;
        return taken;
    }
    int Receive(Sockets::CYolSocket* socket, void* buffer, int size, int) override {
        std::lock_guard guard(lock);
        if (live.count(socket) == 0)
            return -2;
        if (chunks.empty() || size <= 0)
            return 0;
        std::string& chunk = chunks.front();
        size_t taken = std::min(chunk.size(), static_cast<size_t>(size));
        std::memcpy(buffer, chunk.data(), taken);
        chunk.erase(0, taken);
        if (chunk.empty())
            chunks.pop_front();
        return static_cast<int>(taken);
    }
    void Close(Sockets::CYolSocket* socket) override {
        std::lock_guard guard(lock);
        if (live.count(socket))
            ++closes;
    }
    void CloseAll() override {}
    int SetSocketOption(Sockets::CYolSocket* socket, int) override { return IsValidSocket(socket) ? 0 : -2; }
    int Reserved9(Sockets::CYolSocket*, int) override { return 0; }
    int Reserved10(Sockets::CYolSocket*, int) override { return 0; }
    void GetSettings(Sockets::ConnectionSettings& settings) override {
        std::lock_guard guard(lock);
        settings = defaults;
    }
    void SetSettings(const Sockets::ConnectionSettings& settings) override {
        std::lock_guard guard(lock);
        defaults = settings;
    }
    unsigned int GetBytesSent() override { return 0; }
    unsigned int GetBytesReceived() override { return 0; }

    // Queues one chunk as the socket's reader would.
    void Queue(std::string bytes) {
        std::lock_guard guard(lock);
        chunks.push_back(std::move(bytes));
    }
    std::string TakeSent() {
        std::lock_guard guard(lock);
        std::string out;
        out.swap(sent);
        return out;
    }
    size_t Pending() {
        std::lock_guard guard(lock);
        size_t total = 0;
        for (const std::string& chunk : chunks)
            total += chunk.size();
        return total;
    }
    int LiveSockets() {
        std::lock_guard guard(lock);
        return static_cast<int>(live.size());
    }

    std::mutex lock;
    bool failCreate = false;
    Sockets::ConnectionSettings defaults;
    std::vector<ConnectCall> connects;
    std::map<Sockets::CYolSocket*, unsigned int> live;
    std::deque<std::string> chunks;
    std::string sent;
    int sendCalls = 0;
    int made = 0;
    int destroyed = 0;
    int closes = 0;
};

}  // namespace YolTest
