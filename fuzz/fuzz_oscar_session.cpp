// The OSCAR session's received records on untrusted bytes: every whole
// frame goes to the session's table (list parts, edit acknowledgements,
// authorization messages, arrivals and departures, messages on every
// channel, extended-status requests and answers, automatic answers, typing
// notices) against a fake contact list and a recording sink, and is read by
// each record on its own; the input is also taken as a cached list. The
// first byte chooses the chunk size.

#include "FlapAssembler.h"
#include "FuzzSupport.h"
#include "RuvFakeListModel.h"
#include "RuvMessageRecords.h"
#include "RuvSession.h"
#include "RuvTestSupport.h"

#include <cstdint>
#include <string_view>

namespace {

void ReadMessage(std::string_view frame) {
    CSnacIncomingMessage message;
    if (message.Unpack(reinterpret_cast<const uint8_t*>(frame.data()), frame.size()) != 0) {
        message.GetMessageText();
        message.IsXStatusRequest();
        message.GetSentTime();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const Fuzz::ChunkedInput input(data, size);
    RuvTest::RecordingPacketSink sink;
    RuvTest::FakeListModel model;
    bool established = false;
    RuvSession session(sink, model,
                       {[] { return 2; }, [](int) {}, [](const CYolString&) {}, [](int) {}, [] { return true; },
                        [&established] { return established; },
                        [] { return RuvOwnXStatus{10, CYolString(u"100200"), CYolString(u"t"), CYolString(u"d")}; }});
    session.list.LoadCache(input.rest);
    session.list.Items().clear();
    FlapAssembler assembler;
    for (std::string_view piece : input.Pieces()) {
        assembler.Append(piece);
        std::string_view frame;
        FlapAssembler::Result result;
        while ((result = assembler.Next(frame)) == FlapAssembler::Result::Frame) {
            Fuzz::Read<CSnacUserInfo>(frame);
            Fuzz::Read<CSnacClientResponse>(frame);
            Fuzz::Read<CRuvTypingNotification>(frame);
            ReadMessage(frame);
            session.OnFrame(frame);
            established = !session.list.Items().empty();
        }
        if (result == FlapAssembler::Result::Broken)
            assembler.Clear();
        // What the session sent must be frames a server can read.
        for (const std::string& frame : sink.Take())
            if (frame.size() < 6 || frame[0] != 0x2A)
                __builtin_trap();
    }
    return 0;
}
