// The MRIM packet reassembly and the body handlers on untrusted bytes. The
// first byte chooses the size of the chunks the rest arrives in; every
// whole packet goes to the contact list, the messages, the offline-mail
// parser and the directory (as details and as search answers) as the account
// would hand it on, against in-memory doubles.

#include "CZemContactList.h"
#include "FuzzSupport.h"
#include "MrimDirectory.h"
#include "MrimMessages.h"
#include "MrimOfflineMessage.h"
#include "MrimPacketAssembler.h"
#include "ZemTestSupport.h"

#include <cstdint>
#include <string_view>

namespace {

class DirectoryOwner final : public MMrimDirectoryOwner {
public:
    void ContactDetailsReady(unsigned int) override {}
    void SearchResult(const Protocols::UserInfo*) override {}
    CYolArray<unsigned int> DirectoryStatusIcon(uint32_t, const CYolString&) override { return {}; }
    ZemDate Today() override { return ZemDate{2010, 12, 30}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const Fuzz::ChunkedInput input(data, size);
    ZemTest::RecordingPacketSink sink;
    ZemTest::RecordingListModel model;
    CZemContactList list(model, [](const CYolString&) {});
    ZemTyping typing([](const CYolString&, bool) {});
    MrimMessages messages(sink, list, model, typing,
                          {[] { return true; }, [](int) { return CYolString(u"x"); }, [](int) { return 1; },
                           [] { return int64_t{1000}; }, [] {}});
    DirectoryOwner directoryOwner;
    MrimDirectory directory(sink, list, model, directoryOwner);
    MrimPacketAssembler assembler;
    for (std::string_view piece : input.Pieces()) {
        assembler.Append(piece);
        MrimPacket packet;
        MrimPacketAssembler::Result result;
        while ((result = assembler.Next(packet)) == MrimPacketAssembler::Result::Packet) {
            list.Load(packet.body);
            list.Reconcile();
            list.ApplyUserStatus(packet.body);
            list.OnAddAck(packet.header.sequence, packet.body);
            list.OnModifyAck(packet.header.sequence, packet.body);
            messages.OnIncoming(packet);
            messages.OnOffline(packet);
            messages.OnMessageStatus(packet);
            messages.OnAuthorizeAck(packet);
            directory.OnAnswer(packet);
            packet.header.sequence ^= MrimDirectory::kDetailsBits;
            directory.OnAnswer(packet);
            MrimOfflineMessage mail;
            ParseOfflineMessage(packet.body, mail);
        }
        // A body past the cap ends the stream, as it ends the connection.
        if (result == MrimPacketAssembler::Result::Broken)
            break;
    }
    return 0;
}
