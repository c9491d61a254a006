#pragma once
// What the file-transfer measurements share: the bytes of the file they
// send, and the reference every transfer is measured against in the same
// run, the same file read, sent over a plain loopback TCP connection and
// written to a file by a receiving thread.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
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

// Copies `source` (of `size` bytes) to `target` over loopback once per
// iteration.
inline void LoopbackCopy(benchmark::State& state, const std::string& source, const std::string& target, size_t size) {
    for (auto _ : state) {
        const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), length);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        ::listen(listener, 1);
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
        ::connect(sender, reinterpret_cast<sockaddr*>(&address), sizeof address);
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
