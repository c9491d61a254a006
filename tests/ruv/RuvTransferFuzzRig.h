#pragma once
// What the file-transfer fuzz targets share: a list holding the peer, a
// receiving session accepted into a scratch folder and a sending session
// of a small file, each brought to the point where its connection is up,
// and the bytes of an input handed to both in chunks.

#include "RuvFileTransfer.h"
#include "RuvListTestSupport.h"
#include "RuvTransferTestSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace RuvTest {

struct TransferFuzzRig {
    static constexpr RuvCookie kCookie{0x01020304, 0x05060708};
    static constexpr RuvCookie kSentCookie{0x0A0B0C0D, 0x0E0F1011};

    TransferFuzzRig() : transfers(rig.sink, rig.session.list, ports) {
        char pattern[] = "/tmp/fuzz_oscar_transfer.XXXXXX";
        if (::mkdtemp(pattern) == nullptr)
            std::abort();
        folder = pattern;
        rig.Receive(ListFrame({{"G", 7, 0, 1, {}}, {"100300", 7, 1, 0, {}}}));
        peer = rig.session.list.FindBuddy(CYolString(u"100300"))->contactId;
    }
    ~TransferFuzzRig() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // A receiving session whose connection to the proxy is up, and a
    // sending one that joined the peer's proxy session; answers their
    // sockets.
    std::pair<int, int> Connected() {
        transfers.OnFrame(RendezvousFrame("100300", kCookie, RendezvousBlock(0, kCookie, OfferTlvs("in.bin", 3000))));
        transfers.AcceptFile(peer, CYolString(u"in.bin"), CYolString::FromUtf8(folder + "/in.bin"));
        const int receiving = ports.last;
        transfers.OnSocketConnected(receiving, 0);

        const std::string sent = folder + "/out.bin";
        FILE* out = std::fopen(sent.c_str(), "wb");
        if (out == nullptr)
            std::abort();
        std::fwrite(std::string(5000, 'x').data(), 1, 5000, out);
        std::fclose(out);
        transfers.SendFile(peer, CYolString::FromUtf8(sent));
        // The offer's cookie is random: the redirect answers it.
        const std::string offer = rig.sink.frames.empty() ? std::string() : rig.sink.frames.back().substr(16);
        RuvCookie cookie;
        if (offer.size() >= 8) {
            const auto* b = reinterpret_cast<const uint8_t*>(offer.data());
            cookie = {static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 |
                          static_cast<uint32_t>(b[2]) << 8 | b[3],
                      static_cast<uint32_t>(b[4]) << 24 | static_cast<uint32_t>(b[5]) << 16 |
                          static_cast<uint32_t>(b[6]) << 8 | b[7]};
        }
        transfers.OnFrame(RendezvousFrame("100300", cookie, RendezvousBlock(0, cookie, RedirectTlvs(2, 1, 2))));
        const int sending = ports.last;
        transfers.OnSocketConnected(sending, 0);
        return {receiving, sending};
    }

    // `bytes` on `socket` in chunks of `chunk`, each send answered.
    void Feed(int socket, std::string_view bytes, size_t chunk) {
        for (size_t at = 0; at < bytes.size(); at += chunk) {
            const std::string_view part = bytes.substr(at, chunk);
            transfers.OnSocketData(socket, reinterpret_cast<const uint8_t*>(part.data()), part.size());
            transfers.OnSocketSendResult(socket, 0);
        }
        transfers.OnSocketClosed(socket, 0);
    }

    std::string folder;
    SessionRig rig;
    FakeTransferPorts ports;
    RuvFileTransfer transfers;
    unsigned int peer = 0;
};

}  // namespace RuvTest
