// The compressed receive path of an XMPP account on untrusted bytes. The
// first byte chooses the read size and the mode:
//   - raw: the rest is what the server sent after compression started; it
//     goes through the inflater in reads of that size and the inflated bytes
//     through the stream parser, as the account does, until the input is used
//     up or the inflater reports a broken stream (never more than the room it
//     was given, never a hang);
//   - round trip: the rest is deflated by the account's own sending side and
//     must come back byte for byte, however the compressed bytes are split.

#include "XmlStreamParser.h"
#include "XmppCompression.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Inflates `compressed`, arriving in reads of `piece` bytes, into reads of
// at most `room` bytes. False when the stream is broken.
bool InflateAll(XmppCompression& zlib, std::string_view compressed, size_t piece, size_t room, std::string& out) {
    std::vector<char> area(room);
    size_t at = 0;
    for (;;) {
        if (!zlib.HasPendingOutput()) {
            if (at >= compressed.size())
                return true;
            size_t take = std::min(piece, compressed.size() - at);
            zlib.AddInput(compressed.data() + at, take);
            at += take;
        }
        size_t produced = 0;
        if (zlib.Inflate(area.data(), area.size(), produced) == XmppCompression::InflateResult::Error)
            return false;
        if (produced > area.size())
            std::abort();
        out.append(area.data(), produced);
    }
}

void Raw(std::string_view input, size_t piece) {
    XmppCompression zlib;
    if (!zlib.Init())
        return;
    zlib.Activate();
    XmlParserLimits limits;
    limits.maxStanzaBytes = 1 << 16;
    XmlStreamParser parser(limits);
    std::string inflated;
    InflateAll(zlib, input, piece, 2048, inflated);
    // The bytes the inflater let through meet the parser in buffer-sized
    // bites, the unconsumed tail carried over.
    std::string pending;
    for (size_t at = 0; at < inflated.size() && !parser.Failed(); at += 2048) {
        pending.append(inflated, at, 2048);
        size_t taken = parser.Feed(pending);
        if (taken > pending.size())
            std::abort();
        pending.erase(0, taken);
    }
}

void RoundTrip(std::string_view input, size_t piece) {
    XmppCompression sender;
    XmppCompression receiver;
    if (!sender.Init() || !receiver.Init())
        return;
    std::string wire;
    // Split the text as separate stanzas would be: every send is flushed.
    size_t step = piece * 7 + 1;
    for (size_t at = 0; at < input.size(); at += step) {
        bool sent = sender.Deflate(input.substr(at, step), [&wire](const char* data, int length) {
            wire.append(data, static_cast<size_t>(length));
            return length;
        });
        if (!sent)
            std::abort();
    }
    std::string back;
    if (!InflateAll(receiver, wire, piece, piece * 3 + 1, back) || back != input)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    size_t piece = (data[0] & 0x7F) + 1;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] & 0x80)
        RoundTrip(rest, piece);
    else
        Raw(rest, piece);
    return 0;
}
