#pragma once
// What the file-transfer measurements share: the bytes of the file they
// send, the timed loop that sends it between two accounts of the test
// harness and the wait for the transfer's reports, and the reference every
// transfer is measured against in the same run, the same file read, sent
// over a plain loopback TCP connection and written to a file by a receiving
// thread.

#include "TestSupport.h"
#include "XmppAccountHarness.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace TransferBench {

// `size` bytes that compress poorly, the same in every run.
inline std::string Content(size_t size) {
    std::string out(size, '\0');
    uint32_t state = 2463534242u;
    for (char& c : out) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        c = static_cast<char>(state);
    }
    return out;
}

// Whether a transfer report of `state` came to `account`, a live account
// of the test harness (a failure or cancel ends the wait).
template <typename Account>
bool WaitForState(Account& account, unsigned int state, int timeoutMs = 120000) {
    bool reached = false;
    account.Eventually(
        [&] {
            for (const XmppTest::AccountEventRecord& record : account.manager.TakeEvents()) {
                if (record.event != Protocols::AccountEvent::FileTransferProgress)
                    continue;
                if (record.progress.state == state)
                    reached = true;
                else if (record.progress.state > 2)
                    return true;
            }
            return reached;
        },
        timeoutMs);
    return reached;
}

// Sends `source` (of `size` bytes) once per iteration through `pair`, whose
// Send(path, name, target) answers whether the transfer completed, into a
// new file of `files`, and checks that the received file is whole. A pair
// that did not come up skips the measurement with its Failure().
template <typename Pair>
void SendEachIteration(benchmark::State& state, Pair& pair, const std::string& source, const TempFolder& files,
                       size_t size) {
    if (!pair.Failure().empty()) {
        state.SkipWithError(pair.Failure().c_str());
        return;
    }
    const std::string name = std::filesystem::path(source).filename().string();
    int round = 0;
    for (auto _ : state) {
        const std::string target = files.PathOf("received-" + std::to_string(++round) + ".bin");
        if (!pair.Send(source, name, target)) {
            state.SkipWithError("the transfer did not complete");
            break;
        }
        state.PauseTiming();
        const bool whole = ReadText(target) == ReadText(source);
        std::remove(target.c_str());
        state.ResumeTiming();
        if (!whole) {
            state.SkipWithError("the received file differs");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

// Copies `source` (of `size` bytes) to `target` over loopback once per
// iteration.
inline void LoopbackCopy(benchmark::State& state, const std::string& source, const std::string& target, size_t size) {
    for (auto _ : state) {
        const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0 || ::listen(listener, 1) != 0) {
            if (listener >= 0)
                ::close(listener);
            state.SkipWithError("no loopback listener");
            break;
        }
        std::thread receiver([&] {
            const int connection = ::accept(listener, nullptr, nullptr);
            std::ofstream out(target, std::ios::binary | std::ios::trunc);
            char block[64 << 10];
            ssize_t got = 0;
            while (connection >= 0 && (got = ::recv(connection, block, sizeof block, 0)) > 0)
                out.write(block, got);
            if (connection >= 0)
                ::close(connection);
        });
        const int sender = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (sender < 0 || ::connect(sender, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            // The receiver waits in accept until the listener is shut.
            if (sender >= 0)
                ::close(sender);
            ::shutdown(listener, SHUT_RDWR);
            receiver.join();
            ::close(listener);
            state.SkipWithError("no loopback connection");
            break;
        }
        std::ifstream in(source, std::ios::binary);
        char block[64 << 10];
        while (in.read(block, sizeof block) || in.gcount() > 0) {
            for (ssize_t sent = 0, left = in.gcount(); left > 0; left -= sent) {
                sent = ::send(sender, block + (in.gcount() - left), static_cast<size_t>(left), MSG_NOSIGNAL);
                if (sent <= 0)
                    break;
            }
        }
        ::close(sender);
        receiver.join();
        ::close(listener);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

}  // namespace TransferBench
