// The OSCAR file transfer's proxy connection on untrusted bytes: the input
// is what a rendezvous proxy answers (acknowledge, ready, error and
// whatever follows), arriving in chunks whose size the first byte chooses,
// on a receiving session that created a proxy session and on a sending one
// that joined one. Each packet is also read on its own.

#include "RuvTransferFuzzRig.h"
#include "RuvTransferWire.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t chunk = size_t{1} + data[0] % 64;
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    for (std::string_view rest = input; !rest.empty();) {
        const size_t packet = RuvTransferWire::ProxyPacketSize(rest);
        if (packet == 0 || packet > rest.size())
            break;
        RuvTransferWire::ReadProxyPacket(rest.substr(0, packet));
        rest.remove_prefix(packet);
    }
    RuvTest::TransferFuzzRig rig;
    const auto [receiving, sending] = rig.Connected();
    rig.Feed(receiving, input, chunk);
    rig.Feed(sending, input, chunk);
    return 0;
}
