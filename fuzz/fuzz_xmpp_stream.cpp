// The XMPP stream parser on untrusted bytes. The first byte chooses the
// size of the chunks the rest arrives in and whether a stream element is put
// in front. Whatever the chunks, the parser must take the same stanzas and
// end in the same state as when it gets everything at once, and the
// receiver never holds more than a stanza's worth; every stanza it takes
// must come back the same after the writer has written it out.

#include "XmlNode.h"
#include "XmlStreamParser.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Outcome {
    std::vector<XmlNode> stanzas;
    std::vector<std::string> written;
    XmlParseError error = XmlParseError::None;
    bool ended = false;
    uint64_t dropped = 0;
};

// Small limits, so that deep nesting, many attributes and big stanzas all
// turn up.
XmlParserLimits Limits() {
    XmlParserLimits limits;
    limits.maxStanzaBytes = 1024;
    limits.maxDepth = 8;
    limits.maxAttributes = 4;
    return limits;
}

Outcome Run(std::string_view input, size_t chunk, const XmlParserLimits& limits) {
    Outcome outcome;
    XmlStreamParser parser(limits);
    parser.SetCallback(2, XmlStreamParser::End,
                       [](XmlNode* element, void* context) {
                           auto* out = static_cast<Outcome*>(context);
                           out->written.push_back(element->Serialize());
                           out->stanzas.push_back(std::move(*element));
                       },
                       &outcome);
    std::string held;
    for (size_t at = 0; at < input.size() && !parser.Failed(); at += chunk) {
        held.append(input.substr(at, chunk));
        size_t taken = parser.Feed(held);
        if (taken > held.size())
            std::abort();
        held.erase(0, taken);
        // The receiver never holds more than one unfinished construct of at
        // most a stanza's size, plus the chunk that just came.
        if (!parser.Failed() && held.size() > limits.maxStanzaBytes)
            std::abort();
    }
    outcome.error = parser.Error();
    outcome.ended = parser.StreamEnded();
    outcome.dropped = parser.DroppedStanzas();
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    size_t chunk = (data[0] & 0x3F) + 1;
    std::string input = data[0] & 0x80 ? "<stream>" : "";
    input.append(reinterpret_cast<const char*>(data + 1), size - 1);

    Outcome whole = Run(input, input.size() ? input.size() : 1, Limits());
    Outcome split = Run(input, chunk, Limits());
    if (split.ended != whole.ended || split.dropped != whole.dropped || split.written != whole.written)
        std::abort();
    // Both fail alike. The one freedom: an unfinished construct that pushes
    // a stanza past the limit fails as too large as soon as the bytes held
    // show it, which may be before the construct itself shows a fault.
    using E = XmlParseError;
    bool tooLarge = split.error == E::TooLarge || whole.error == E::TooLarge;
    if (tooLarge ? (split.error == E::None || whole.error == E::None) : split.error != whole.error)
        std::abort();

    for (size_t i = 0; i < whole.stanzas.size(); ++i) {
        const std::string& text = whole.written[i];
        if (text.empty())
            std::abort();
        Outcome again = Run("<stream>" + text, text.size() + 8, XmlParserLimits());
        if (again.error != XmlParseError::None || again.written.size() != 1 || again.written[0] != text)
            std::abort();
    }
    return 0;
}
