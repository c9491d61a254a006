// The OSCAR frame reassembly, the login, service and list records and the login
// on untrusted bytes. The first byte chooses the size of the chunks the
// rest arrives in; every whole frame is read by each record and handed to
// a login that restarts whenever a frame ends it, against a recording sink.

#include "FlapAssembler.h"
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

template <typename Record>
void Read(std::string_view frame) {
    Record record;
    record.Unpack(reinterpret_cast<const uint8_t*>(frame.data()), frame.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t chunk = size_t{1} + data[0] % 64;
    std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    RuvTest::RecordingPacketSink sink;
    Owner owner;
    owner.settings.login = CYolString(u"100200");
    RuvOwnStatus own(sink, {[] { return 2; }, [] { return true; }});
    own.SetWanted(5);
    RuvLogin login(sink, owner, own);
    login.Begin();
    FlapAssembler assembler;
    for (size_t at = 0; at < input.size(); at += chunk) {
        assembler.Append(input.substr(at, chunk));
        std::string_view frame;
        FlapAssembler::Result result;
        while ((result = assembler.Next(frame)) == FlapAssembler::Result::Frame) {
            Read<CRuvClosePacket>(frame);
            Read<CSnacLoginReply>(frame);
            Read<CSnacAuthKeyReply>(frame);
            Read<CSnacServerFamilies>(frame);
            Read<CSnacServiceVersions>(frame);
            Read<CSnacRateInfo>(frame);
            Read<CSnacOwnInfo>(frame);
            Read<CSnacRoster>(frame);
            Read<CSnacSsiAck>(frame);
            Read<CSnacAuthRequest>(frame);
            Read<CSnacAuthReply>(frame);
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
