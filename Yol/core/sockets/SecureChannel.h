#pragma once
// TLS over a connected (or tunnelled) non-blocking socket, with OpenSSL. The
// peer's certificate chain is verified against the system store
// (SSL_CERT_FILE and SSL_CERT_DIR honoured) and its name against the host we
// asked for; the host name also goes out as SNI.
//
// The connect thread reads while the owner's thread writes: every call into
// the TLS engine is made under the channel's own lock.

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;

namespace Sockets {

class CSecureChannel {
public:
    // Outcome of one read.
    enum class ReadResult { Data, WouldBlock, Closed, Failed };

    ~CSecureChannel();
    CSecureChannel(const CSecureChannel&) = delete;
    CSecureChannel& operator=(const CSecureChannel&) = delete;

    // A channel for one connection to `host`: null when the TLS engine
    // cannot be set up.
    static std::unique_ptr<CSecureChannel> Create(const std::string& host);

    // Runs the handshake on `fd` until done, failed, woken or timed out.
    // 0, or -1 with a text for the user in `failure`; Interrupted when woken.
    int Handshake(int fd, int wakeFd, int timeoutMs, std::string& failure);

    // Up to `size` bytes of plain text. Data: `got` > 0. Failed: `error` is a
    // Winsock number.
    ReadResult Read(void* buffer, size_t size, size_t& got, int& error);
    // Decrypted bytes waiting inside the engine (no poll would show them).
    bool HasPending();
    // Writes everything. 0, or a Winsock number.
    int Write(const void* data, size_t length, int wakeFd, int timeoutMs);
    // Sends the close alert when the socket takes it at once.
    void Shutdown();

private:
    CSecureChannel() = default;

    std::mutex lock;
    SSL_CTX* context = nullptr;
    SSL* ssl = nullptr;
    int fd = -1;
    // The engine hit a fatal error: no close alert may follow it.
    bool broken = false;
};

}  // namespace Sockets
