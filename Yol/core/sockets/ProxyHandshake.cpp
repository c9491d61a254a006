#include "ProxyHandshake.h"

#include <algorithm>

namespace Sockets {

namespace {

void PutPort(std::vector<uint8_t>& out, unsigned port) {
    out.push_back(static_cast<uint8_t>(port >> 8));
    out.push_back(static_cast<uint8_t>(port));
}

void PutAddress(std::vector<uint8_t>& out, uint32_t address) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(address >> shift));
}

// A host that would end the request line or add a header of its own.
bool IsSafeHost(const std::string& host) {
    if (host.empty())
        return false;
    return std::none_of(host.begin(), host.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u <= 0x20 || u == 0x7F;
    });
}

}  // namespace

// --- common ------------------------------------------------------------

void CProxyHandshake::Sent() {
    if (state != State::Send)
        return;
    pending.clear();
    reply.clear();
    expected = replyBytes;
    state = State::Receive;
}

size_t CProxyHandshake::Wanted() const {
    if (state != State::Receive)
        return 0;
    return std::max<size_t>(Room(), 1);
}

size_t CProxyHandshake::Feed(const uint8_t* data, size_t length) {
    size_t used = 0;
    while (state == State::Receive && used < length) {
        size_t n = Take(data + used, length - used);
        if (n == 0)
            break;
        used += n;
    }
    return used;
}

size_t CProxyHandshake::Take(const uint8_t* data, size_t length) {
    size_t n = std::min(length, expected - reply.size());
    reply.insert(reply.end(), data, data + n);
    if (reply.size() == expected)
        OnReply();
    return n;
}

void CProxyHandshake::IoFailed(int code) {
    if (!Finished())
        Fail(IoFailureText(), code);
}

void CProxyHandshake::PeerClosed() {
    // The proxy hung up inside the handshake: the step fails like an I/O
    // failure, with no socket error to report.
    IoFailed(-1);
}

void CProxyHandshake::SetSend(std::vector<uint8_t> bytes, size_t replyStart) {
    pending = std::move(bytes);
    replyBytes = replyStart;
    state = State::Send;
}

void CProxyHandshake::Fail(std::string text, int code) {
    failureText = std::move(text);
    failureCode = code;
    pending.clear();
    state = State::Failed;
}

// --- HTTP CONNECT --------------------------------------------------------

CHttpConnectHandshake::CHttpConnectHandshake(const std::string& host, unsigned port,
                                             const std::string& authorization) {
    if (!IsSafeHost(host) || port > 0xFFFF) {
        Fail(ProxyText::InitFailed, -1);
        return;
    }
    // An IPv6 literal needs brackets, or its colons would run into the port.
    bool v6 = host.find(':') != std::string::npos && host.front() != '[';
    std::string text = "CONNECT " + (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port) +
                       " HTTP/1.0\r\nConnection: Keep-Alive\r\nUser-agent: Mozilla/4.0\r\n";
    if (!authorization.empty())
        text += "Proxy-Authorization: basic " + authorization + "\r\n";
    text += "\r\n";
    SetSend(std::vector<uint8_t>(text.begin(), text.end()), MaxHeaderBytes);
}

std::string CHttpConnectHandshake::IoFailureText() const { return ProxyText::InitFailed; }

size_t CHttpConnectHandshake::Take(const uint8_t* data, size_t length) {
    if (reply.empty())
        lineStart = 0;
    size_t used = 0;
    while (used < length && GetState() == State::Receive) {
        uint8_t byte = data[used++];
        reply.push_back(byte);
        if (byte == '\n') {
            size_t begin = lineStart;
            lineStart = reply.size();
            if (!OnLine(begin, reply.size() - 1))
                break;
        }
        if (GetState() == State::Receive && reply.size() >= MaxHeaderBytes)
            Fail(ProxyText::InitFailed, -1);
    }
    return used;
}

// One header line [begin, end) without its LF. False once the reply is
// decided.
bool CHttpConnectHandshake::OnLine(size_t begin, size_t end) {
    if (end > begin && reply[end - 1] == '\r')
        --end;
    std::string line(reply.begin() + static_cast<std::ptrdiff_t>(begin), reply.begin() + static_cast<std::ptrdiff_t>(end));
    if (begin != 0) {
        if (!line.empty())
            return true;
        Succeed();
        return false;
    }
    // Status line: "HTTP/x.y" SP three digits (SP reason)
    size_t space = line.find(' ');
    bool wellFormed = line.compare(0, 5, "HTTP/") == 0 && space != std::string::npos &&
                      line.size() >= space + 4 && (line.size() == space + 4 || line[space + 4] == ' ');
    for (size_t i = space + 1; wellFormed && i < space + 4; ++i)
        wellFormed = line[i] >= '0' && line[i] <= '9';
    // A status below 100 is no status; as a code it would even read as
    // success.
    if (!wellFormed || line[space + 1] == '0') {
        Fail(ProxyText::InitFailed, -1);
        return false;
    }
    status = std::stoi(line.substr(space + 1, 3));
    if (status / 100 != 2) {
        Fail(ProxyText::HttpError + std::to_string(status), status);
        return false;
    }
    return true;
}

// --- SOCKS4 ----------------------------------------------------------------

CSocks4Handshake::CSocks4Handshake(uint32_t address, unsigned port, bool withUserId, const std::string& userId) {
    std::vector<uint8_t> request{0x04, 0x01};
    PutPort(request, port);
    PutAddress(request, address);
    if (withUserId)
        request.insert(request.end(), userId.begin(), userId.end());
    request.push_back(0x00);
    SetSend(std::move(request), 2);
}

std::string CSocks4Handshake::IoFailureText() const { return ProxyText::InitFailed; }

void CSocks4Handshake::OnReply() {
    // The verdict is the second byte; a refusal needs no more of the reply.
    if (reply[1] != 0x5A) {
        Fail(ProxyText::Socks4Error, -1);
        return;
    }
    if (expected < ReplyBytes)
        expected = ReplyBytes;
    else
        Succeed();
}

// --- SOCKS5 ----------------------------------------------------------------

CSocks5Handshake::CSocks5Handshake(uint32_t address, unsigned port, bool withAuth, const std::string& login,
                                   const std::string& password)
    : withAuth(withAuth), login(login), password(password), address(address), port(port) {
    SetSend({0x05, 0x01, static_cast<uint8_t>(withAuth ? 0x02 : 0x00)}, 2);
}

std::string CSocks5Handshake::IoFailureText() const {
    switch (step) {
    case Step::Method:
        return ProxyText::InitFailed;
    case Step::Auth:
        return ProxyText::Socks5Auth;
    case Step::Connect:
        break;
    }
    return ProxyText::Socks5Connect;
}

void CSocks5Handshake::OnReply() {
    switch (step) {
    case Step::Method:
        OnMethod();
        break;
    case Step::Auth:
        OnAuth();
        break;
    case Step::Connect:
        OnConnectReply();
        break;
    }
}

void CSocks5Handshake::OnMethod() {
    if (reply[0] != 0x05) {
        Fail(ProxyText::InitFailed, -1);
        return;
    }
    if (reply[1] == 0x00) {
        SendConnect();
        return;
    }
    if (reply[1] != 0x02 || !withAuth) {
        Fail(ProxyText::Socks5AuthType, -1);
        return;
    }
    // Each length travels in one byte.
    if (login.size() > 255 || password.size() > 255) {
        Fail(ProxyText::Socks5Auth, -1);
        return;
    }
    std::vector<uint8_t> request{0x01, static_cast<uint8_t>(login.size())};
    request.insert(request.end(), login.begin(), login.end());
    request.push_back(static_cast<uint8_t>(password.size()));
    request.insert(request.end(), password.begin(), password.end());
    step = Step::Auth;
    SetSend(std::move(request), 2);
}

void CSocks5Handshake::OnAuth() {
    if (reply[0] != 0x01 || reply[1] != 0x00) {
        Fail(ProxyText::Socks5Auth, -1);
        return;
    }
    SendConnect();
}

void CSocks5Handshake::SendConnect() {
    std::vector<uint8_t> request{0x05, 0x01, 0x00, 0x01};
    PutAddress(request, address);
    PutPort(request, port);
    step = Step::Connect;
    SetSend(std::move(request), 2);
}

// The reply is VER REP RSV ATYP, the bound address by its type, the port: it
// is read in stages so that not one byte past it is taken.
void CSocks5Handshake::OnConnectReply() {
    if (reply.size() == 2) {
        if (reply[0] != 0x05 || reply[1] != 0x00)
            Fail(ProxyText::Socks5Connect, -1);
        else
            expected = 5;
        return;
    }
    if (reply.size() == 5) {
        switch (reply[3]) {
        case 0x01:
            expected = 4 + 4 + 2;
            return;
        case 0x03:
            expected = 4 + 1 + reply[4] + 2;
            return;
        case 0x04:
            expected = 4 + 16 + 2;
            return;
        default:
            Fail(ProxyText::Socks5Connect, -1);
            return;
        }
    }
    Succeed();
}

}  // namespace Sockets
