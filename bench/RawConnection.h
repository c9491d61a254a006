#pragma once
// A blocking loopback TCP connection for the login benches' reference
// readers: they take the bytes a server sends and decode nothing, so the
// time they take is what the server and the wire alone cost.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

class RawConnection {
public:
    RawConnection() = default;
    ~RawConnection() { Close(); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool Connect(unsigned int port) {
        Close();
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        // Small requests go out at once rather than waiting on the peer's
        // delayed acknowledgement.
        const int on = 1;
        return fd >= 0 && ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0 &&
               ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    void Close() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    bool Send(const std::string& bytes) {
        return fd >= 0 && ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    // Exactly `size` bytes into `into`; false when the peer closed first.
    bool ReadExactly(std::string& into, size_t size) {
        into.resize(size);
        for (size_t at = 0; at < size;) {
            const ssize_t got = ::read(fd, into.data() + at, size - at);
            if (got <= 0)
                return false;
            at += static_cast<size_t>(got);
            total += static_cast<size_t>(got);
        }
        return true;
    }
    // Whatever comes until the peer closes, at most `limit` bytes.
    std::string ReadToClose(size_t limit) {
        std::string out;
        char chunk[512];
        while (out.size() < limit) {
            const ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got <= 0)
                break;
            out.append(chunk, static_cast<size_t>(got));
            total += static_cast<size_t>(got);
        }
        return out;
    }
    // Every byte read on this object so far, across connections.
    size_t BytesRead() const { return total; }

private:
    int fd = -1;
    size_t total = 0;
};
