// The OSCAR session's received records on untrusted bytes: every whole
// frame goes to the session's table (list parts, edit acknowledgements,
// authorization messages, arrivals and departures, messages on every
// channel, extended-status requests and answers, automatic answers, typing
// notices) against a fake contact list and a recording sink, and is read by
// each record on its own; the input is also taken as a cached list. The
// first byte chooses the chunk size.

#include "FlapAssembler.h"
#include "RuvFakeListModel.h"
#include "RuvMessageRecords.h"
#include "RuvSession.h"
#include "RuvTestSupport.h"

#include <cstdint>
#include <string_view>

namespace {

template <typename Record>
void Read(std::string_view frame) {
    Record record;
    record.Unpack(reinterpret_cast<const uint8_t*>(frame.data()), frame.size());
}

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
    const size_t chunk = size_t{1} + data[0] % 64;
    std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    RuvTest::RecordingPacketSink sink;
    RuvTest::FakeListModel model;
    bool established = false;
    RuvSession session(sink, model,
                       {[] { return 2; }, [](int) {}, [](const CYolString&) {}, [](int) {}, [] { return true; },
                        [&established] { return established; },
                        [] { return RuvOwnXStatus{10, CYolString(u"100200"), CYolString(u"t"), CYolString(u"d")}; }});
    session.list.LoadCache(input);
    session.list.Items().clear();
    FlapAssembler assembler;
    for (size_t at = 0; at < input.size(); at += chunk) {
        assembler.Append(input.substr(at, chunk));
        std::string_view frame;
        FlapAssembler::Result result;
        while ((result = assembler.Next(frame)) == FlapAssembler::Result::Frame) {
            Read<CSnacUserInfo>(frame);
            Read<CSnacClientResponse>(frame);
            Read<CRuvTypingNotification>(frame);
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
