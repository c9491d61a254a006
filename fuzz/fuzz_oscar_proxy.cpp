// The OSCAR file transfer's proxy connection on untrusted bytes: the input
// is what a rendezvous proxy answers (acknowledge, ready, error and
// whatever follows), arriving in chunks whose size the first byte chooses,
// on a receiving session that created a proxy session and on a sending one
// that joined one. Each packet is also read on its own.

#include "FuzzSupport.h"
#include "RuvTransferFuzzRig.h"
#include "RuvTransferWire.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const Fuzz::ChunkedInput input(data, size);
    for (std::string_view rest = input.rest; !rest.empty();) {
        const size_t packet = RuvTransferWire::ProxyPacketSize(rest);
        if (packet == 0 || packet > rest.size())
            break;
        RuvTransferWire::ReadProxyPacket(rest.substr(0, packet));
        rest.remove_prefix(packet);
    }
    RuvTest::TransferFuzzRig rig;
    const auto [receiving, sending] = rig.Connected();
    rig.Feed(receiving, input.rest, input.chunk);
    rig.Feed(sending, input.rest, input.chunk);
    return 0;
}
