#pragma once
// Server-side list frames for the OSCAR feature tests: items written out
// as the server writes them, and a session over a recording sink and the
// fake contact list.

#include "RuvFakeListModel.h"
#include "RuvSession.h"
#include "RuvTestSupport.h"

#include <string>
#include <vector>

namespace RuvTest {

struct WireItem {
    std::string name;
    uint16_t group = 0;
    uint16_t item = 0;
    uint16_t type = 0;
    std::string tlvs;
};

inline std::string ListBody(const std::vector<WireItem>& items, bool last = true, uint32_t time = 0x5F000000) {
    OscarWriter out;
    out.U8(0).U16(static_cast<uint16_t>(items.size()));
    for (const WireItem& i : items)
        out.WordString(i.name).U16(i.group).U16(i.item).U16(i.type).WordString(i.tlvs);
    if (last)
        out.U32(time);
    return out.Take();
}

inline std::string ListFrame(const std::vector<WireItem>& items, bool last = true) {
    return Snac(0x13, 0x06, ListBody(items, last), last ? 0 : 1);
}

inline std::string Tlv(uint16_t type, std::string_view value) { return OscarWriter().Tlv(type, value).Take(); }

// A session wired as the account wires it, over doubles.
struct SessionRig {
    SessionRig()
        : session(sink, model,
                  {[this] { return status; }, [this](int value) { status = value; },
                   [this](const CYolString& text) { texts.push_back(text.ToUtf8()); }, [](int) {},
                   [this] { return typingNotices; }, [this] { return established; }, [this] { return ownXStatus; }}) {}

    void Receive(const std::string& frame) { session.OnFrame(frame); }
    // The SNAC kinds sent since the last call.
    std::vector<std::string> Sent() { return sink.TakeKinds(); }

    RecordingPacketSink sink;
    FakeListModel model;
    int status = 2;
    bool typingNotices = true;
    bool established = false;
    RuvOwnXStatus ownXStatus;
    std::vector<std::string> texts;
    RuvSession session;
};

}  // namespace RuvTest
