#pragma once
// The SOCKS5 side of a bytestream: the two requests we write to a stream
// host and the reader of its two replies. The reader takes the replies by
// their length, never by how the bytes happened to arrive: a reply split
// over several reads is waited for, and bytes that follow a reply (the
// file's first bytes, on a receiving stream) are left to the caller.

#include "CYolString.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace XmppSocks5 {
// Version 5, one method, no authentication.
std::string Greeting();
// CONNECT to the domain that names the stream: the lower-case hexadecimal
// SHA-1 of sid, initiator JID and target JID (each bare part lower-cased),
// port 0.
std::string ConnectRequest(const CYolString& sid, const CYolString& initiator, const CYolString& target);
// The JID with everything before its first "/" lower-cased.
CYolString NormalizeJid(const CYolString& jid);
}  // namespace XmppSocks5

class XmppSocks5Reader {
public:
    enum class Step { Greeting, Connect, Done };
    enum class Result { NeedMore, Accepted, Refused };

    // Reads the reply of the current step from `data`; `used` receives the
    // bytes it took. Accepted moves to the next step. Once Refused or Done,
    // every further call is Refused and takes nothing.
    Result Feed(const uint8_t* data, size_t size, size_t& used);
    Step CurrentStep() const { return step; }

private:
    // The whole reply's length once enough of it is known, else 0.
    size_t ExpectedLength() const;
    Result Judge() const;

    Step step = Step::Greeting;
    bool refused = false;
    // A connect reply is at most 4 + 1 + 255 + 2 bytes.
    uint8_t reply[262] = {};
    size_t held = 0;
};
