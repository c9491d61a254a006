#include "SecureChannel.h"

#include "SocketIo.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>

#include <sys/socket.h>

#include <cerrno>
#include <cstdint>

namespace Sockets {

namespace {

bool IsAddressLiteral(const std::string& host) {
    unsigned char buffer[16];
    return inet_pton(AF_INET, host.c_str(), buffer) == 1 || inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

// The engine's transport: send and recv on the descriptor, so that a write
// to a connection the peer has dropped fails instead of raising SIGPIPE.
int BioWrite(BIO* bio, const char* data, size_t length, size_t* written) {
    BIO_clear_retry_flags(bio);
    int fd = static_cast<int>(reinterpret_cast<intptr_t>(BIO_get_data(bio)));
    ssize_t n = ::send(fd, data, length, MSG_NOSIGNAL);
    if (n >= 0) {
        *written = static_cast<size_t>(n);
        return 1;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        BIO_set_retry_write(bio);
    return 0;
}

int BioRead(BIO* bio, char* data, size_t length, size_t* got) {
    BIO_clear_retry_flags(bio);
    int fd = static_cast<int>(reinterpret_cast<intptr_t>(BIO_get_data(bio)));
    ssize_t n = ::recv(fd, data, length, 0);
    if (n > 0) {
        *got = static_cast<size_t>(n);
        return 1;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        BIO_set_retry_read(bio);
    return 0;
}

long BioControl(BIO*, int command, long, void*) { return command == BIO_CTRL_FLUSH ? 1 : 0; }

int BioCreate(BIO* bio) {
    BIO_set_init(bio, 1);
    return 1;
}

BIO_METHOD* SocketBioMethod() {
    static BIO_METHOD* method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "yol socket");
        if (m) {
            BIO_meth_set_write_ex(m, BioWrite);
            BIO_meth_set_read_ex(m, BioRead);
            BIO_meth_set_ctrl(m, BioControl);
            BIO_meth_set_create(m, BioCreate);
        }
        return m;
    }();
    return method;
}

// How long a writer waits for the reader to feed the engine the record it
// needs before trying again (the reader may be the one reading it).
constexpr int WriteWantsReadMs = 20;

}  // namespace

CSecureChannel::~CSecureChannel() {
    SSL_free(ssl);
    SSL_CTX_free(context);
}

std::unique_ptr<CSecureChannel> CSecureChannel::Create(const std::string& host) {
    std::unique_ptr<CSecureChannel> channel(new CSecureChannel);
    ERR_clear_error();
    channel->context = SSL_CTX_new(TLS_client_method());
    if (!channel->context)
        return nullptr;
    SSL_CTX* context = channel->context;
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    // A peer that drops the connection without the close alert has closed it.
    SSL_CTX_set_options(context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    if (SSL_CTX_set_default_verify_paths(context) != 1)
        return nullptr;

    channel->ssl = SSL_new(context);
    if (!channel->ssl)
        return nullptr;
    SSL* ssl = channel->ssl;
    if (IsAddressLiteral(host)) {
        if (X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str()) != 1)
            return nullptr;
    } else {
        if (host.empty() || SSL_set1_host(ssl, host.c_str()) != 1 ||
            SSL_set_tlsext_host_name(ssl, host.c_str()) != 1)
            return nullptr;
    }
    return channel;
}

int CSecureChannel::Handshake(int socketFd, int wakeFd, int timeoutMs, std::string& failure) {
    std::lock_guard<std::mutex> hold(lock);
    BIO* bio = SocketBioMethod() ? BIO_new(SocketBioMethod()) : nullptr;
    if (!bio) {
        failure = "Secure connection error";
        return -1;
    }
    fd = socketFd;
    BIO_set_data(bio, reinterpret_cast<void*>(static_cast<intptr_t>(fd)));
    SSL_set_bio(ssl, bio, bio);
    long long deadline = NowMs() + timeoutMs;
    for (;;) {
        ERR_clear_error();
        int result = SSL_connect(ssl);
        if (result == 1)
            return 0;
        int error = SSL_get_error(ssl, result);
        short events = 0;
        if (error == SSL_ERROR_WANT_READ)
            events = POLLIN;
        else if (error == SSL_ERROR_WANT_WRITE)
            events = POLLOUT;
        if (events == 0) {
            long verify = SSL_get_verify_result(ssl);
            failure = "Secure connection error";
            if (verify != X509_V_OK)
                failure += std::string(": certificate verification failed (") +
                           X509_verify_cert_error_string(verify) + ")";
            return -1;
        }
        int wait = WaitFor(fd, events, wakeFd, RemainingMs(deadline));
        if (wait == SocketError::Interrupted)
            return wait;
        if (wait != 0) {
            failure = "Secure connection error";
            return -1;
        }
    }
}

CSecureChannel::ReadResult CSecureChannel::Read(void* buffer, size_t size, size_t& got, int& error) {
    std::lock_guard<std::mutex> hold(lock);
    got = 0;
    error = 0;
    ERR_clear_error();
    errno = 0;
    int result = SSL_read_ex(ssl, buffer, size, &got);
    if (result == 1)
        return ReadResult::Data;
    switch (SSL_get_error(ssl, result)) {
    case SSL_ERROR_WANT_READ:
    case SSL_ERROR_WANT_WRITE:
        return ReadResult::WouldBlock;
    case SSL_ERROR_ZERO_RETURN:
        return ReadResult::Closed;
    case SSL_ERROR_SYSCALL:
        broken = true;
        error = errno ? WinsockError(errno) : SocketError::ConnectionReset;
        return ReadResult::Failed;
    default:
        broken = true;
        error = SocketError::ConnectionAborted;
        return ReadResult::Failed;
    }
}

bool CSecureChannel::HasPending() {
    std::lock_guard<std::mutex> hold(lock);
    return SSL_pending(ssl) > 0;
}

int CSecureChannel::Write(const void* data, size_t length, int wakeFd, int timeoutMs) {
    auto bytes = static_cast<const unsigned char*>(data);
    long long deadline = timeoutMs < 0 ? -1 : NowMs() + timeoutMs;
    while (length > 0) {
        short events = 0;
        int waitMs = RemainingMs(deadline);
        {
            std::lock_guard<std::mutex> hold(lock);
            ERR_clear_error();
            errno = 0;
            size_t written = 0;
            int result = SSL_write_ex(ssl, bytes, length, &written);
            if (result == 1) {
                bytes += written;
                length -= written;
                continue;
            }
            switch (SSL_get_error(ssl, result)) {
            case SSL_ERROR_WANT_WRITE:
                events = POLLOUT;
                break;
            case SSL_ERROR_WANT_READ:
                events = POLLIN;
                if (waitMs < 0 || waitMs > WriteWantsReadMs)
                    waitMs = WriteWantsReadMs;
                break;
            case SSL_ERROR_SYSCALL:
                broken = true;
                return errno ? WinsockError(errno) : SocketError::ConnectionReset;
            default:
                broken = true;
                return SocketError::ConnectionAborted;
            }
        }
        int wait = WaitFor(fd, events, wakeFd, waitMs);
        if (wait == SocketError::TimedOut && events == POLLIN && RemainingMs(deadline) != 0)
            continue;
        if (wait != 0)
            return wait;
    }
    return 0;
}

void CSecureChannel::Shutdown() {
    std::lock_guard<std::mutex> hold(lock);
    if (fd < 0 || broken || !SSL_is_init_finished(ssl))
        return;
    ERR_clear_error();
    SSL_shutdown(ssl);
}

}  // namespace Sockets
