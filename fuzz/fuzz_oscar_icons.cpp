// The icon service's connection on untrusted bytes: the first byte chooses
// the size of the chunks the rest arrives in, the link frames them, signs
// on and reads every icon reply; each frame is also read as a redirect and
// as an icon reply, and each icon is named as its file would be.

#include "CRuvAvatarConnection.h"
#include "FuzzSupport.h"
#include "RecordingSockets.h"
#include "RuvIconFiles.h"
#include "RuvIconPackets.h"

#include <cstdint>
#include <string_view>

namespace {

class Owner final : public MRuvIconLinkOwner {
public:
    void IconLinkReady(bool) override {}
    void IconReceived(const CYolString& name, std::string_view hash, std::string_view icon) override {
        Fuzz::Check(!name.IsEmpty());
        RuvIconStore::FileName(hash, SniffIconType(icon));
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const Fuzz::ChunkedInput input(data, size);
    YolTest::RecordingSockets sockets;
    Owner owner;
    CRuvAvatarConnection link(owner, [&sockets] { return &sockets; }, 1);
    link.SetCookie("cookie");
    link.SetAddress("127.0.0.1:5191");
    link.AddRequest(std::string(16, '\x01'), CYolString(u"100300"));
    if (link.Connect() != 0)
        return 0;
    Sockets::CYolSocket* socket = sockets.connects.back().socket;
    for (std::string_view piece : input.Pieces()) {
        Fuzz::Read<CServiceRedirectParser>(piece);
        Fuzz::Read<CSnacIconReply>(piece);
        sockets.Queue(std::string(piece));
        link.OnSocketData(socket, static_cast<int>(piece.size()));
        link.AddRequest(std::string(piece.substr(0, 16)), CYolString(u"100400"));
        sockets.TakeSent();
    }
    return 0;
}
