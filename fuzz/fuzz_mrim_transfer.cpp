// The MRIM file transfer on untrusted bytes: the first byte chooses the
// size of the chunks the rest arrives in. The input is first read as
// session packets, each handed to every transfer packet handler (offers,
// answers, proxy requests and their acknowledgements) and to the list
// readers; then the same bytes arrive on the transfer connection of a
// receiving and of a sending transfer that wait for the proxy's answer, as
// the proxy and the peer would send them.

#include "FuzzSupport.h"
#include "MrimPacketAssembler.h"
#include "ZemFileTransfer.h"
#include "ZemTestSupport.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

class Ports final : public MZemTransferPorts {
public:
    void ReportProgress(const Protocols::FTProgress&) override {}
    CYolString OwnAddress() override { return CYolString(u"alice@mail.ru"); }
    int ConnectTransfer(const CYolString&, uint32_t) override { return ++last; }
    bool SendTransfer(int, std::string_view) override { return true; }
    void CloseTransfer(int) override {}
    int last = 0;
};

// A folder for what the receiving transfer writes, and a file to send.
struct Files {
    Files() {
        char pattern[] = "/tmp/fuzz_mrim_transfer.XXXXXX";
        if (::mkdtemp(pattern) == nullptr)
            std::abort();
        folder = pattern;
        sent = folder + "/sent.bin";
        FILE* out = std::fopen(sent.c_str(), "wb");
        if (out == nullptr)
            std::abort();
        std::fwrite(std::string(5000, 'x').data(), 1, 5000, out);
        std::fclose(out);
    }
    ~Files() {
        ::unlink(sent.c_str());
        ::rmdir(folder.c_str());
    }
    std::string folder;
    std::string sent;
};

void Feed(CZemTransfer& transfer, std::string_view input, size_t chunk) {
    transfer.connState = TransferConnState::ProxyWait;
    transfer.socket = 1;
    for (std::string_view piece : Fuzz::Chunks(input, chunk))
        if (transfer.OnData(piece) != TransferStep::Going)
            break;
    transfer.OnSendResult(0);
    transfer.DiscardCurrent();
    // Whatever completed goes too: each run starts in an empty folder.
    for (const auto& file : transfer.files)
        if (!transfer.outgoing && !file->data.fileName.IsEmpty())
            ::unlink(file->data.fileName.ToUtf8().c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Files files;
    if (size == 0)
        return 0;
    const Fuzz::ChunkedInput input(data, size);
    ZemTest::RecordingPacketSink sink;
    ZemTest::RecordingListModel model;
    CZemContactList list(model, [](const CYolString&) {});
    list.Load(ZemTest::ListBody({"Friends"}, {{0, 0, "bob@mail.ru", "Bob", 0, 1}}));
    list.Reconcile();
    Ports ports;
    ZemFileTransfer transfers(sink, list, ports);
    MrimPacketAssembler assembler;
    assembler.Append(input.rest);
    MrimPacket packet;
    while (assembler.Next(packet) == MrimPacketAssembler::Result::Packet) {
        transfers.OnOffer(packet);
        transfers.OnAnswer(packet);
        transfers.OnProxy(packet);
        transfers.OnProxyAck(packet);
        ParseFileList(packet.body);
        ParseAddressList(packet.body);
        ReadProxyHelloReply(packet.body);
    }
    for (bool outgoing : {false, true}) {
        CZemTransfer transfer(sink, ports);
        transfer.outgoing = outgoing;
        transfer.peer = CYolString(u"bob@mail.ru");
        transfer.folder = CYolString::FromUtf8(files.folder);
        CZemTransfer::File& file = transfer.AddFile(outgoing ? "sent.bin" : "got.bin", outgoing ? 5000 : 3000);
        if (outgoing)
            file.data.fileName = CYolString::FromUtf8(files.sent);
        transfer.AddFile("second.bin", 10);
        Feed(transfer, input.rest, input.chunk);
    }
    transfers.EndSession();
    return 0;
}
