#pragma once
// The three proxy handshakes (HTTP CONNECT, SOCKS4, SOCKS5) as byte-level
// state machines. They never touch a socket: the connect thread sends what
// Pending() holds, reads at most Wanted() bytes and feeds them back, so a
// handshake never swallows a byte of the tunnelled stream that follows its
// reply. Everything a proxy sends is untrusted and every read is bounded.
//
// Texts are ASCII, handed out as std::string; names, logins and passwords come
// in already converted to the bytes that go on the wire.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Sockets {

class CProxyHandshake {
public:
    enum class State { Send, Receive, Done, Failed };

    virtual ~CProxyHandshake() = default;

    State GetState() const { return state; }
    bool Finished() const { return state == State::Done || state == State::Failed; }

    // Bytes to write while in State::Send; Sent() once all of them went out.
    const std::vector<uint8_t>& Pending() const { return pending; }
    void Sent();

    // State::Receive: the most bytes that may be fed next without reading
    // past the proxy's reply (at least 1).
    size_t Wanted() const;
    // Takes bytes of the reply; returns how many belong to the handshake.
    // Bytes past the returned count are not the proxy's: they stay unread.
    size_t Feed(const uint8_t* data, size_t length);

    // The send or the receive of the current step failed with `code` (a
    // socket error or the time-out): the step's own failure text.
    void IoFailed(int code);
    // The proxy closed the connection before its reply was complete.
    void PeerClosed();

    const std::string& FailureText() const { return failureText; }
    int FailureCode() const { return failureCode; }

protected:
    CProxyHandshake() = default;

    // The next request, and the first part of its reply that is awaited.
    void SetSend(std::vector<uint8_t> bytes, size_t replyStart);
    void Succeed() { state = State::Done; }
    void Fail(std::string text, int code);

    // One step's reply gathered so far, and how long it has to grow before
    // OnReply() looks at it.
    std::vector<uint8_t> reply;
    size_t expected = 0;

    // The text of the current step's failure when its I/O fails.
    virtual std::string IoFailureText() const = 0;
    // `reply` has reached `expected` bytes: move on, fail, or raise
    // `expected` to read more of the same reply.
    virtual void OnReply() = 0;
    // Takes bytes of the current reply; the default takes up to `expected`.
    virtual size_t Take(const uint8_t* data, size_t length);
    virtual size_t Room() const { return expected - reply.size(); }

private:
    State state = State::Send;
    std::vector<uint8_t> pending;
    size_t replyBytes = 0;
    std::string failureText;
    int failureCode = 0;
};

// The texts the handshakes report.
namespace ProxyText {
inline constexpr const char* InitFailed = "Can't init proxy server";
inline constexpr const char* HttpError = "HTTP proxy server error ";
inline constexpr const char* Socks4Error = "SOCKS4 proxy server error";
inline constexpr const char* Socks5AuthType = "SOCKS5 proxy server error: auth type not supported";
inline constexpr const char* Socks5Auth = "SOCKS5 proxy server error: auth error";
inline constexpr const char* Socks5Connect = "SOCKS5 proxy server error: can't connect to destination host";
}

// HTTP CONNECT. `host` in the system code page; `authorization`, when not
// empty, is the Base64 text of "login:password". The reply is read up to its
// blank line (at most MaxHeaderBytes); any 2xx status opens the tunnel, any
// other status fails with the status as the code.
class CHttpConnectHandshake final : public CProxyHandshake {
public:
    static constexpr size_t MaxHeaderBytes = 16384;

    CHttpConnectHandshake(const std::string& host, unsigned port, const std::string& authorization);
    // The status code of the reply once its status line was read, else 0.
    int Status() const { return status; }

private:
    std::string IoFailureText() const override;
    void OnReply() override {}
    size_t Take(const uint8_t* data, size_t length) override;
    size_t Room() const override { return MaxHeaderBytes - reply.size(); }
    bool OnLine(size_t begin, size_t end);

    size_t lineStart = 0;
    int status = 0;
};

// SOCKS4 CONNECT to an IPv4 address (first octet in the top byte). The user
// id is sent when `withUserId` is set.
class CSocks4Handshake final : public CProxyHandshake {
public:
    static constexpr size_t ReplyBytes = 8;
    CSocks4Handshake(uint32_t address, unsigned port, bool withUserId, const std::string& userId);

private:
    std::string IoFailureText() const override;
    void OnReply() override;
};

// SOCKS5 CONNECT to an IPv4 address, offering one method: user name and
// password when `withAuth` is set, else none. Whatever method the proxy then
// picks among those two is followed.
class CSocks5Handshake final : public CProxyHandshake {
public:
    CSocks5Handshake(uint32_t address, unsigned port, bool withAuth, const std::string& login,
                     const std::string& password);

private:
    enum class Step { Method, Auth, Connect };

    std::string IoFailureText() const override;
    void OnReply() override;
    void OnMethod();
    void OnAuth();
    void OnConnectReply();
    void SendConnect();

    Step step = Step::Method;
    bool withAuth;
    std::string login;
    std::string password;
    uint32_t address;
    unsigned port;
};

}  // namespace Sockets
