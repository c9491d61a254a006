#include "XmppSocks5Reply.h"

#include "CSHA1.h"

#include <algorithm>
#include <cstdlib>

namespace {
constexpr uint8_t kVersion = 0x05;
constexpr uint8_t kAddressIpv4 = 0x01;
constexpr uint8_t kAddressDomain = 0x03;
constexpr uint8_t kAddressIpv6 = 0x04;
constexpr size_t kGreetingReplyLength = 2;
// Version, reply code, reserved, address type.
constexpr size_t kConnectReplyHead = 4;
constexpr size_t kPortLength = 2;
}  // namespace

std::string XmppSocks5::Greeting() { return std::string("\x05\x01\x00", 3); }

CYolString XmppSocks5::NormalizeJid(const CYolString& jid) {
    const int slash = jid.Find(0, CYolString(u"/"));
    if (slash < 0)
        return jid;
    std::u16string text(jid.c_str());
    for (int i = 0; i < slash; ++i)
        text[static_cast<size_t>(i)] = CYolString::ToLowerChar(text[static_cast<size_t>(i)]);
    return CYolString(text.c_str(), static_cast<int>(text.size()));
}

std::string XmppSocks5::ConnectRequest(const CYolString& sid, const CYolString& initiator, const CYolString& target) {
    const std::string text = sid.ToUtf8() + NormalizeJid(initiator).ToUtf8() + NormalizeJid(target).ToUtf8();
    unsigned char digest[CSHA1::DigestLength];
    CSHA1::Hash(text.data(), static_cast<unsigned int>(text.size()), digest);
    char* hex = CYolString::ToHex(digest, static_cast<int>(sizeof digest));
    std::string request("\x05\x01\x00\x03\x28", 5);
    request.append(hex, 2 * CSHA1::DigestLength);
    std::free(hex);
    request.append("\x00\x00", 2);
    return request;
}

size_t XmppSocks5Reader::ExpectedLength() const {
    if (step == Step::Greeting)
        return kGreetingReplyLength;
    if (held < kConnectReplyHead)
        return 0;
    switch (reply[3]) {
    case kAddressIpv4: return kConnectReplyHead + 4 + kPortLength;
    case kAddressIpv6: return kConnectReplyHead + 16 + kPortLength;
    case kAddressDomain: return held < kConnectReplyHead + 1 ? 0 : kConnectReplyHead + 1 + reply[4] + kPortLength;
    default: return kConnectReplyHead;  // no length to read by: judged on its head
    }
}

XmppSocks5Reader::Result XmppSocks5Reader::Judge() const {
    if (reply[0] != kVersion || reply[1] != 0x00)
        return Result::Refused;
    if (step == Step::Greeting)
        return Result::Accepted;
    const uint8_t type = reply[3];
    return type == kAddressIpv4 || type == kAddressDomain || type == kAddressIpv6 ? Result::Accepted
                                                                                  : Result::Refused;
}

XmppSocks5Reader::Result XmppSocks5Reader::Feed(const uint8_t* data, size_t size, size_t& used) {
    used = 0;
    if (refused || step == Step::Done)
        return Result::Refused;
    for (;;) {
        size_t expected = ExpectedLength();
        // Too little to know the length: take one byte more and look again.
        const size_t want = expected == 0 ? held + 1 : expected;
        const size_t take = std::min(want - held, size - used);
        std::copy(data + used, data + used + take, reply + held);
        held += take;
        used += take;
        if (held < want)
            return Result::NeedMore;
        if (expected == 0)
            continue;
        const Result result = Judge();
        held = 0;
        if (result == Result::Refused) {
            refused = true;
            return result;
        }
        step = step == Step::Greeting ? Step::Connect : Step::Done;
        return result;
    }
}
