#pragma once
// Doubles and frame builders of the OSCAR file-transfer tests: the ports a
// transfer needs of its account (connections that only record what was
// asked of them, and the reports), the rendezvous messages a peer sends
// through the server, and what a rendezvous proxy answers.

#include "CRuvFileTransfer.h"
#include "RuvCapabilities.h"
#include "RuvTestSupport.h"

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace RuvTest {

class FakeTransferPorts final : public MRuvTransferPorts {
public:
    void ReportProgress(const Protocols::FTProgress& progress) override {
        reports.push_back(progress);
        // Whoever hears the report may look for the file at once.
        watchedAtReport = !watched.empty() && std::filesystem::exists(watched);
    }
    int ConnectTransfer(const CYolString& host, uint32_t port) override {
        connects.emplace_back(host.ToUtf8(), port);
        return refuseConnects ? 0 : ++last;
    }
    bool SendTransfer(int socket, std::string_view bytes) override {
        sent[socket].emplace_back(bytes);
        return sendWorks;
    }
    void CloseTransfer(int socket) override { closed.push_back(socket); }
    CYolString OwnScreenName() override { return CYolString(u"100200"); }
    CYolString ProxyHost() override { return CYolString(u"proxy.test"); }
    uint32_t ProxyPort() override { return 5190; }

    // What was sent on `socket` since the last call.
    std::vector<std::string> Sent(int socket) { return std::exchange(sent[socket], {}); }
    // The states reported, in order.
    std::vector<unsigned int> States() const {
        std::vector<unsigned int> out;
        for (const auto& report : reports)
            out.push_back(report.state);
        return out;
    }

    std::vector<Protocols::FTProgress> reports;
    std::vector<std::pair<std::string, uint32_t>> connects;
    std::map<int, std::vector<std::string>> sent;
    std::vector<int> closed;
    int last = 0;
    bool refuseConnects = false;
    bool sendWorks = true;
    std::string watched;  // a file whose presence each report notes
    bool watchedAtReport = false;
};

inline std::string FileTransferGuid() {
    const RuvCapabilityGuid guid = RuvCapabilities::FileTransfer();
    return std::string(reinterpret_cast<const char*>(guid.data()), guid.size());
}

// A rendezvous block as a peer writes it: status, cookie, the capability
// and the TLVs.
inline std::string RendezvousBlock(uint16_t status, RuvCookie cookie, const std::string& tlvs) {
    OscarWriter out;
    out.U16(status).U32(cookie.first).U32(cookie.second).Bytes(FileTransferGuid()).Bytes(tlvs);
    return out.Take();
}

// The server's delivery of a channel-2 message carrying `block`.
inline std::string RendezvousFrame(const std::string& sender, RuvCookie cookie, const std::string& block) {
    OscarWriter out;
    out.U32(cookie.first).U32(cookie.second).U16(2).ByteString(sender).U16(0).U16(0).Tlv(0x0005, block);
    return Snac(4, 7, out.Data());
}

// An offer's TLVs: one file (or `count`) of `size` bytes named `name`.
inline std::string OfferTlvs(const std::string& name, uint32_t size, uint16_t count = 1,
                             const std::string& charset = "utf-8") {
    OscarWriter info;
    info.U16(1).U16(count).U32(size).Bytes(name).U8(0);
    OscarWriter out;
    out.Tlv16(0x000A, 1).Tlv(0x000F, {}).Tlv(0x2711, info.Data()).Tlv(0x2712, charset);
    return out.Take();
}

// Where a proxy session waits: request number, address, port, proxy flag.
inline std::string RedirectTlvs(uint16_t request, uint32_t address, uint16_t port) {
    OscarWriter out;
    out.Tlv16(0x000A, request).Tlv32(0x0002, address).Tlv32(0x0016, ~address).Tlv16(0x0005, port);
    out.Tlv16(0x0017, static_cast<uint16_t>(~port)).Tlv(0x0010, {});
    return out.Take();
}

// The client error answer a peer sends to refuse: reason 3, then 2, 1.
inline std::string CancelFrame(const std::string& sender, RuvCookie cookie, uint16_t first = 2, uint16_t second = 1) {
    OscarWriter out;
    out.U32(cookie.first).U32(cookie.second).U16(2).ByteString(sender).U16(3).U16(first).U16(second);
    return Snac(4, 0x0B, out.Data());
}

// A proxy's answer: 3 acknowledge (with session number and address),
// 5 ready, 1 error.
inline std::string ProxyAnswer(uint16_t command, uint16_t port = 0, uint32_t address = 0) {
    OscarWriter body;
    body.U16(0x044A).U16(command).U32(0).U16(0);
    if (command == 3)
        body.U16(port).U32(address);
    OscarWriter out;
    out.WordString(body.Data());
    return out.Take();
}

}  // namespace RuvTest
