// The proxy handshakes fed whatever a hostile proxy might answer, split into
// reads of varying size. The first byte picks the handshake and its options,
// the second the size of the reads; the rest is the proxy's side.
//
// Beyond memory safety it checks what the connect thread relies on: a
// handshake never takes more bytes than it was given or than it asked for,
// always asks for at least one byte while receiving, and ends (done or
// failed, with a text) once the proxy has nothing more to say.

#include "ProxyHandshake.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

using namespace Sockets;

namespace {

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

std::unique_ptr<CProxyHandshake> Make(uint8_t selector) {
    bool auth = selector & 0x4;
    switch (selector & 0x3) {
    case 0:
        return std::make_unique<CHttpConnectHandshake>("chat.example.org", 5222, auth ? "Ym9iOnNlY3JldA==" : "");
    case 1:
        return std::make_unique<CSocks4Handshake>(0x7F000001, 443, auth, "alice");
    default:
        return std::make_unique<CSocks5Handshake>(0x7F000001, 443, auth, "alice",
                                                  (selector & 0x8) ? std::string(300, 'p') : "secret");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    auto handshake = Make(data[0]);
    size_t step = data[1] % 64 + 1;
    const uint8_t* reply = data + 2;
    size_t left = size - 2;
    size_t taken = 0;
    for (int rounds = 0; !handshake->Finished(); ++rounds) {
        Check(rounds < 1000000);
        if (handshake->GetState() == CProxyHandshake::State::Send) {
            Check(!handshake->Pending().empty());
            handshake->Sent();
            continue;
        }
        size_t wanted = handshake->Wanted();
        Check(wanted >= 1);
        if (left == 0) {
            handshake->PeerClosed();
            break;
        }
        size_t n = std::min({step, wanted, left});
        size_t used = handshake->Feed(reply, n);
        Check(used <= n);
        Check(used > 0 || handshake->Finished());
        reply += used;
        left -= used;
        taken += used;
    }
    Check(handshake->Finished());
    if (handshake->GetState() == CProxyHandshake::State::Failed)
        Check(!handshake->FailureText().empty() && handshake->FailureCode() != 0);
    if ((data[0] & 0x3) == 0)
        Check(taken <= CHttpConnectHandshake::MaxHeaderBytes);
    return 0;
}
