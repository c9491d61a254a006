// The OSCAR frame reassembly, the login, service and list records and the login
// on untrusted bytes. The first byte chooses the size of the chunks the
// rest arrives in; every whole frame is read by each record and handed to
// a login that restarts whenever a frame ends it, against a recording sink.

#include "FlapAssembler.h"
#include "FuzzSupport.h"
#include "RuvListRecords.h"
#include "RuvLogin.h"
#include "RuvRecords.h"
#include "RuvTestSupport.h"

#include <cstdint>
#include <string_view>

namespace {

class Owner final : public MRuvLoginOwner {
public:
    const CRuvSettings& LoginSettings() const override { return settings; }
    bool OpenSession(const CYolString&, unsigned int) override { return true; }
    void EndConnection(int, bool) override {}
    void OwnStatusReported(int) override {}
    void SessionActivated() override {}
    CRuvSettings settings;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const Fuzz::ChunkedInput input(data, size);
    RuvTest::RecordingPacketSink sink;
    Owner owner;
    owner.settings.login = CYolString(u"100200");
    RuvOwnStatus own(sink, {[] { return 2; }, [] { return true; }});
    own.SetWanted(5);
    RuvLogin login(sink, owner, own);
    login.Begin();
    FlapAssembler assembler;
    for (std::string_view piece : input.Pieces()) {
        assembler.Append(piece);
        std::string_view frame;
        FlapAssembler::Result result;
        while ((result = assembler.Next(frame)) == FlapAssembler::Result::Frame) {
            Fuzz::Read<CRuvClosePacket>(frame);
            Fuzz::Read<CSnacLoginReply>(frame);
            Fuzz::Read<CSnacAuthKeyReply>(frame);
            Fuzz::Read<CSnacServerFamilies>(frame);
            Fuzz::Read<CSnacServiceVersions>(frame);
            Fuzz::Read<CSnacRateInfo>(frame);
            Fuzz::Read<CSnacOwnInfo>(frame);
            Fuzz::Read<CSnacRoster>(frame);
            Fuzz::Read<CSnacSsiAck>(frame);
            Fuzz::Read<CSnacAuthRequest>(frame);
            Fuzz::Read<CSnacAuthReply>(frame);
            const bool toSession = login.State() == RuvLogin::LoginState::Reply;
            login.OnFrame(frame);
            if (toSession && login.State() == RuvLogin::LoginState::SessionHello)
                continue;
            if (login.State() == RuvLogin::LoginState::Idle)
                login.Begin();
        }
        if (result == FlapAssembler::Result::Broken)
            assembler.Clear();
        sink.Take();
    }
    return 0;
}
