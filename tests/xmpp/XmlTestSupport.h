#pragma once
// Helpers of the XML suites: a readable dump of a tree, and a receiver that
// feeds a stream parser the way the account's receive buffer does (keep the
// left-over bytes, append what arrives, offer everything again).

#include "TestSupport.h"
#include "XmlNode.h"
#include "XmlStreamParser.h"

#include <functional>
#include <random>
#include <string>
#include <vector>

// name attr='value' ... "text" {child; child}
inline std::string Dump(const XmlNode& node) {
    std::string out = node.Name();
    for (int i = 0; i < node.AttrCount(); ++i)
        out += " " + node.AttrAt(i).name + "='" + node.AttrAt(i).value.ToUtf8() + "'";
    if (!node.Text().IsEmpty())
        out += " \"" + node.Text().ToUtf8() + "\"";
    if (node.ChildCount() > 0) {
        out += " {";
        for (int i = 0; i < node.ChildCount(); ++i)
            out += (i ? "; " : "") + Dump(node.ChildAt(i));
        out += "}";
    }
    return out;
}

// What one run of a parser over a stream gave.
struct ParseRun {
    std::string header;                // the stream element at its start call-back
    std::vector<std::string> stanzas;  // each delivered stanza
    bool ended = false;
    XmlParseError error = XmlParseError::None;
    uint64_t dropped = 0;
    std::vector<std::string> reported;  // each stanza the dropped call-back told of
    uint64_t skipped = 0;
    size_t leftOver = 0;  // bytes the parser had not taken at the end
    size_t largestHeld = 0;  // the largest buffer the receiver had to keep

    // Runs agree on what they delivered and how they ended; how much the
    // receiver had to hold depends on the chunks.
    bool operator==(const ParseRun& other) const {
        return header == other.header && stanzas == other.stanzas && ended == other.ended && error == other.error &&
               dropped == other.dropped && reported == other.reported && skipped == other.skipped;
    }
};

inline std::ostream& operator<<(std::ostream& out, const ParseRun& run) {
    out << "header: " << run.header << "\n";
    for (const auto& stanza : run.stanzas)
        out << "stanza: " << stanza << "\n";
    return out << "ended " << run.ended << ", error " << XmlParseErrorText(run.error) << ", dropped " << run.dropped
               << " (" << run.reported.size() << " reported), skipped " << run.skipped << ", left over "
               << run.leftOver;
}

// Feeds `input` in chunks of the sizes that `next` answers (called with the
// bytes still to come), keeping the unconsumed tail as the account does.
inline ParseRun FeedInChunks(std::string_view input, const std::function<size_t(size_t)>& next,
                             const XmlParserLimits& limits = XmlParserLimits()) {
    ParseRun run;
    XmlStreamParser parser(limits);
    parser.SetCallback(1, XmlStreamParser::Start,
                       [](XmlNode* element, void* context) { static_cast<ParseRun*>(context)->header = Dump(*element); },
                       &run);
    parser.SetCallback(1, XmlStreamParser::End,
                       [](XmlNode*, void* context) { static_cast<ParseRun*>(context)->ended = true; }, &run);
    parser.SetCallback(2, XmlStreamParser::End,
                       [](XmlNode* element, void* context) {
                           static_cast<ParseRun*>(context)->stanzas.push_back(Dump(*element));
                       },
                       &run);
    parser.SetDroppedCallback(
        [](XmlNode* element, void* context) { static_cast<ParseRun*>(context)->reported.push_back(Dump(*element)); },
        &run);
    std::string buffer;
    size_t at = 0;
    while (at < input.size() && !parser.Failed()) {
        size_t chunk = std::min(std::max<size_t>(next(input.size() - at), 1), input.size() - at);
        buffer.append(input.substr(at, chunk));
        at += chunk;
        size_t taken = parser.Feed(buffer);
        EXPECT_LE(taken, buffer.size());
        buffer.erase(0, taken);
        run.largestHeld = std::max(run.largestHeld, buffer.size());
    }
    run.error = parser.Error();
    run.dropped = parser.DroppedStanzas();
    run.skipped = parser.SkippedElements();
    run.leftOver = buffer.size();
    EXPECT_EQ(run.ended, parser.StreamEnded());
    return run;
}

inline ParseRun FeedWhole(std::string_view input, const XmlParserLimits& limits = XmlParserLimits()) {
    return FeedInChunks(input, [](size_t rest) { return rest; }, limits);
}

inline ParseRun FeedBytewise(std::string_view input, const XmlParserLimits& limits = XmlParserLimits()) {
    return FeedInChunks(input, [](size_t) { return size_t(1); }, limits);
}

inline ParseRun FeedRandomly(std::string_view input, unsigned seed, const XmlParserLimits& limits = XmlParserLimits()) {
    std::mt19937 random(seed);
    return FeedInChunks(input, [&random](size_t rest) { return std::uniform_int_distribution<size_t>(1, rest)(random) % 64 + 1; },
                        limits);
}

// The stream header a server sends, as the fixtures start.
inline constexpr std::string_view kStreamHeader =
    "<?xml version='1.0'?><stream:stream xmlns='jabber:client' xmlns:stream='http://etherx.jabber.org/streams' "
    "id='c2s_3b5f' from='example.org' version='1.0' xml:lang='en'>";
inline constexpr std::string_view kStreamHeaderDump =
    "stream:stream xmlns='jabber:client' xmlns:stream='http://etherx.jabber.org/streams' id='c2s_3b5f' "
    "from='example.org' version='1.0' xml:lang='en'";

inline std::string InStream(std::string_view stanzas) { return std::string(kStreamHeader) + std::string(stanzas); }
