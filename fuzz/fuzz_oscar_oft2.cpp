// The OSCAR file transfer's OFT2 exchange on untrusted bytes: the proxy
// reports the session ready, then the input is what the peer sends
// (headers and file data), arriving in chunks whose size the first byte
// chooses, on a receiving and on a sending session. The input is also read
// as one header, as a rendezvous block and as an offer, as they arrive
// through the server.

#include "FuzzSupport.h"
#include "RuvTransferFuzzRig.h"
#include "RuvTransferWire.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    using namespace RuvTransferWire;
    const Fuzz::ChunkedInput input(data, size);
    ReadOft2Header(input.rest);
    if (const std::optional<Rendezvous> block = ReadRendezvous(input.rest))
        if (const std::string* info = block->tlvs.Find(0x2711))
            if (const std::optional<OfferedFile> file = ReadOfferedFile(*info))
                DecodeFileName(file->name, "utf-8");

    RuvTest::TransferFuzzRig rig;
    // Through the server: the input as the rendezvous block of a message.
    rig.transfers.OnFrame(RuvTest::RendezvousFrame("100300", rig.kCookie, std::string(input.rest)));
    rig.transfers.OnFrame(RuvTest::RendezvousFrame(
        "100300", rig.kSentCookie, RuvTest::RendezvousBlock(0, rig.kSentCookie, std::string(input.rest))));
    const auto [receiving, sending] = rig.Connected();
    const std::string ready = RuvTest::ProxyAnswer(5);
    rig.Feed(receiving, ready + std::string(input.rest), input.chunk);
    rig.Feed(sending, ready + std::string(input.rest), input.chunk);
    return 0;
}
