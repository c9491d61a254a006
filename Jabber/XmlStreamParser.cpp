// XmlStreamParser: finding the end of each construct in the arriving bytes,
// decoding character data and attributes, and building the tree.

#include "XmlStreamParser.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsXmlChar(uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

void PushCodePoint(std::u16string& out, uint32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

// One UTF-8 sequence after its lead byte; rejects overlong forms,
// surrogates and anything past U+10FFFF.
XmlParseError DecodeSequence(const unsigned char*& p, const unsigned char* end, unsigned lead, uint32_t& cp) {
    int trail;
    unsigned low = 0x80, high = 0xBF;  // the range of the first trail byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        trail = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trail = 2;
        cp = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trail = 3;
        cp = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return XmlParseError::BadUtf8;
    }
    if (end - p < trail)
        return XmlParseError::BadUtf8;
    for (int k = 0; k < trail; ++k, ++p) {
        if (*p < low || *p > high)
            return XmlParseError::BadUtf8;
        cp = (cp << 6) | (*p & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return IsXmlChar(cp) ? XmlParseError::None : XmlParseError::BadCharacter;
}

// "&...;" at p (just after the "&"): a predefined entity or a character
// reference, the same ones CYolString::XmlDecode knows. Anything else is no
// entity this stream may use.
XmlParseError DecodeReference(const unsigned char*& p, const unsigned char* end, std::u16string& out) {
    static constexpr std::pair<std::string_view, char16_t> kNamed[] = {
        {"amp;", u'&'}, {"lt;", u'<'}, {"gt;", u'>'}, {"apos;", u'\''}, {"quot;", u'"'},
    };
    std::string_view rest(reinterpret_cast<const char*>(p), static_cast<size_t>(end - p));
    for (const auto& [name, unit] : kNamed)
        if (rest.starts_with(name)) {
            out.push_back(unit);
            p += name.size();
            return XmlParseError::None;
        }
    if (rest.empty() || rest[0] != '#')
        return XmlParseError::BadReference;
    bool hex = rest.size() > 1 && rest[1] == 'x';
    size_t i = hex ? 2 : 1;
    size_t firstDigit = i;
    uint32_t value = 0;
    for (; i < rest.size(); ++i) {
        char c = rest[i];
        int digit = c >= '0' && c <= '9' ? c - '0' : -1;
        if (hex && digit < 0 && ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'))
            digit = (c | 0x20) - 'a' + 10;
        if (digit < 0)
            break;
        value = std::min<uint32_t>(value * (hex ? 16 : 10) + static_cast<uint32_t>(digit), 0x110000);
    }
    if (i == firstDigit || i >= rest.size() || rest[i] != ';' || !IsXmlChar(value))
        return XmlParseError::BadReference;
    PushCodePoint(out, value);
    p += i + 1;
    return XmlParseError::None;
}

// Character data (references decoded when `references`) into UTF-16,
// appended to `out`. Offending byte's index in `bad`.
XmlParseError DecodeChars(const char* data, size_t n, std::u16string& out, bool references, size_t& bad) {
    const auto* start = reinterpret_cast<const unsigned char*>(data);
    const auto* p = start;
    const auto* end = p + n;
    // Text may come in many chunks (CDATA sections between character data):
    // grow geometrically, never to the exact size.
    if (out.capacity() - out.size() < n)
        out.reserve(std::max(out.size() + n, out.capacity() * 2));
    while (p < end) {
        unsigned c = *p;
        if (c >= 0x20 && c < 0x80 && c != '&') {
            out.push_back(static_cast<char16_t>(c));
            ++p;
            continue;
        }
        const unsigned char* at = p++;
        XmlParseError error = XmlParseError::None;
        if (c == '&' && references) {
            error = DecodeReference(p, end, out);
        } else if (c < 0x80) {
            if (c == '&' || c == '\t' || c == '\n' || c == '\r')
                out.push_back(static_cast<char16_t>(c));
            else
                error = XmlParseError::BadCharacter;
        } else {
            uint32_t cp = 0;
            error = DecodeSequence(p, end, c, cp);
            if (error == XmlParseError::None)
                PushCodePoint(out, cp);
        }
        if (error != XmlParseError::None) {
            bad = static_cast<size_t>(at - start);
            return error;
        }
    }
    return XmlParseError::None;
}

CYolString MakeText(const std::u16string& units) {
    return CYolString(units.data(), static_cast<int>(units.size()));
}

// Attribute text after the element name: each attribute preceded by
// whitespace, name = value, the value in apostrophes or double quotes
// without "<". Stores at most `keep` attributes and answers how many there
// are; a name given twice among the stored ones is malformed.
XmlParseError ParseAttributes(const char* text, size_t n, size_t keep, std::vector<XmlAttr>& out, size_t& count,
                      std::u16string& scratch, size_t& bad) {
    out.clear();
    count = 0;
    size_t i = 0;
    for (;;) {
        size_t spaceStart = i;
        while (i < n && IsSpace(text[i]))
            ++i;
        if (i == n)
            return XmlParseError::None;
        bad = i;
        if (i == spaceStart)
            return XmlParseError::BadTag;
        size_t nameStart = i;
        while (i < n && !IsSpace(text[i]) && text[i] != '=')
            ++i;
        std::string_view name(text + nameStart, i - nameStart);
        if (!IsXmlName(name))
            return XmlParseError::BadTag;
        while (i < n && IsSpace(text[i]))
            ++i;
        if (i == n || text[i] != '=')
            return XmlParseError::BadTag;
        ++i;
        while (i < n && IsSpace(text[i]))
            ++i;
        if (i == n || (text[i] != '\'' && text[i] != '"'))
            return XmlParseError::BadTag;
        char quote = text[i++];
        const char* close = static_cast<const char*>(std::memchr(text + i, quote, n - i));
        if (!close)
            return XmlParseError::BadTag;
        size_t valueLength = static_cast<size_t>(close - (text + i));
        if (std::memchr(text + i, '<', valueLength))
            return XmlParseError::BadTag;
        scratch.clear();
        size_t badInValue = 0;
        if (XmlParseError error = DecodeChars(text + i, valueLength, scratch, true, badInValue); error != XmlParseError::None) {
            bad = i + badInValue;
            return error;
        }
        if (++count <= keep) {
            for (const XmlAttr& attr : out)
                if (attr.name == name)
                    return XmlParseError::BadTag;
            out.push_back({std::string(name), MakeText(scratch)});
        }
        i += valueLength + 1;
    }
}

// The end of a tag: the ">" outside any quoted run, searched from `from`
// with the quote state `quote` (0 outside quotes), which is updated.
size_t FindTagClose(const char* data, size_t from, size_t end, char& quote) {
    for (size_t i = from; i < end; ++i) {
        char c = data[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '>') {
            return i;
        } else if (c == '"' || c == '\'') {
            quote = c;
        }
    }
    return std::string_view::npos;
}

}  // namespace

const char* XmlParseErrorText(XmlParseError error) {
    switch (error) {
    case XmlParseError::None:
        return "no error";
    case XmlParseError::NulByte:
        return "NUL byte in the XML stream";
    case XmlParseError::BadUtf8:
        return "malformed UTF-8 in the XML stream";
    case XmlParseError::BadCharacter:
        return "character not allowed in XML";
    case XmlParseError::BadReference:
        return "unknown entity or malformed character reference";
    case XmlParseError::BadTag:
        return "malformed tag or attribute";
    case XmlParseError::MismatchedEndTag:
        return "end tag does not match the open element";
    case XmlParseError::Declaration:
        return "DOCTYPE, entity declaration or processing instruction refused";
    case XmlParseError::OutsideElement:
        return "content outside the stream element";
    case XmlParseError::TooLarge:
        return "stanza larger than the limit";
    case XmlParseError::TooManyAttributes:
        return "stream header with too many attributes";
    }
    return "unknown XML error";
}

XmlStreamParser::XmlStreamParser(const XmlParserLimits& limits) : limits_(limits) {
    limits_.maxDepth = std::max(limits_.maxDepth, 2);
    limits_.maxAttributes = std::max(limits_.maxAttributes, 0);
    limits_.maxStanzaBytes = std::max<size_t>(limits_.maxStanzaBytes, 1);
    Reset();
}

void XmlStreamParser::Reset() {
    root_.Free();
    root_.complete_ = false;
    open_.assign(1, &root_);
    for (auto& depth : hooks_)
        for (auto& hook : depth)
            hook = Hook();
    error_ = XmlParseError::None;
    offset_ = errorOffset_ = 0;
    skipSpace_ = true;
    sawRoot_ = ended_ = false;
    held_ = 0;
    textActive_ = false;
    textRaw_.clear();
    textDecoded_.clear();
    droppedHook_ = Hook();
    skip_ = Skip::None;
    skipState_ = SkipState::Text;
    skipLevel_ = 0;
    skipQuote_ = skipLast_ = 0;
    skipMatched_ = 0;
    skipMarker_ = nullptr;
    droppedName_.clear();
    droppedAttrs_.clear();
    dropped_ = 0;
    skippedElements_ = 0;
    resumeAt_ = 0;
    resumeQuote_ = 0;
    ++generation_;
}

bool XmlStreamParser::SetCallback(int depth, int kind, Callback function, void* context) {
    if (depth < 1 || depth > 2 || (kind != Start && kind != End))
        return false;
    hooks_[depth - 1][kind] = {function, function ? context : nullptr};
    return true;
}

void XmlStreamParser::SetDroppedCallback(Callback function, void* context) {
    droppedHook_ = {function, function ? context : nullptr};
}

void XmlStreamParser::Fail(XmlParseError error, size_t at) {
    if (error_ != XmlParseError::None)
        return;
    error_ = error;
    errorOffset_ = offset_ + at;
}

size_t XmlStreamParser::Feed(const char* data, size_t length) {
    if (Failed() || inCallback_ || !data || length == 0)
        return 0;
    const void* nul = std::memchr(data, 0, length);
    size_t end = nul ? static_cast<size_t>(static_cast<const char*>(nul) - data) : length;
    unsigned generation = generation_;
    size_t pos = 0;
    while (pos < end && !Failed()) {
        if (skip_ != Skip::None) {
            pos = SkipBytes(data, pos, end);
            if (generation != generation_)
                return pos;  // the dropped call-back reset the parser
            continue;
        }
        if (skipSpace_ && IsSpace(data[pos])) {
            ++pos;
            continue;
        }
        if (data[pos] != '<') {
            pos = TakeText(data, pos, end);
            continue;
        }
        if (!textRaw_.empty()) {
            DecodeRawText(pos);
            if (Failed())
                break;
        }
        size_t stop = 0;
        Construct kind = FindEnd(data, pos, end, stop);
        if (kind == Construct::Invalid)
            break;
        if (kind == Construct::Incomplete) {
            // The left-over bytes are one unfinished construct that the
            // caller has to keep: they count toward the limit, so that no
            // buffer grows past it. Measured up to a NUL, so that the answer
            // is the same however the bytes before the NUL came.
            if (held_ + (end - pos) <= limits_.maxStanzaBytes)
                break;
            if (!StartSkippingOversized(data, pos, end)) {
                Fail(XmlParseError::TooLarge, pos);
                break;
            }
            continue;
        }
        size_t size = stop - pos;
        if (held_ + size > limits_.maxStanzaBytes) {
            if (!StartSkippingOversized(data, pos, end))
                Fail(XmlParseError::TooLarge, pos);
            continue;
        }
        switch (kind) {
        case Construct::StartTag:
            held_ += size;
            ApplyStartTag(data + pos + 1, size - 2, pos);
            break;
        case Construct::EndTag:
            held_ += size;
            ApplyEndTag(data + pos + 2, size - 3, pos);
            break;
        case Construct::CData:
            held_ += size;
            ApplyCData(data + pos + 9, size - 12, pos);
            break;
        case Construct::Comment:
            EndTextRun();
            skipSpace_ = false;
            break;
        case Construct::Instruction:
            ApplyInstruction(data + pos + 2, size - 4, pos);
            break;
        default:
            break;
        }
        if (generation != generation_)
            return stop;  // a call-back reset the parser: the rest is not ours
        pos = stop;
    }
    if (!Failed() && nul)
        Fail(XmlParseError::NulByte, end);
    offset_ += pos;
    return pos;
}

XmlStreamParser::Construct XmlStreamParser::FindEnd(const char* data, size_t pos, size_t end, size_t& stop) {
    // Offered again from the start of the left-over bytes: go on searching
    // where the last call stopped.
    size_t resume = pos == 0 && resumeAt_ > 0 && resumeAt_ <= end ? resumeAt_ : 0;
    char quote = resume ? resumeQuote_ : 0;
    resumeAt_ = 0;
    resumeQuote_ = 0;
    if (end - pos < 2)
        return Construct::Incomplete;
    std::string_view rest(data + pos, end - pos);
    auto closedBy = [&](std::string_view marker, size_t from, Construct kind) {
        size_t at = rest.find(marker, std::max(from, resume));
        if (at == std::string_view::npos) {
            resumeAt_ = pos == 0 ? std::max(from, rest.size() - (marker.size() - 1)) : 0;
            return Construct::Incomplete;
        }
        stop = pos + at + marker.size();
        return kind;
    };
    switch (rest[1]) {
    case '!': {
        static constexpr std::string_view kComment = "<!--", kCData = "<![CDATA[";
        if (rest.starts_with(kComment))
            return closedBy("-->", kComment.size(), Construct::Comment);
        if (rest.starts_with(kCData))
            return closedBy("]]>", kCData.size(), Construct::CData);
        if (kComment.starts_with(rest) || kCData.starts_with(rest))
            return Construct::Incomplete;
        Fail(XmlParseError::Declaration, pos);
        return Construct::Invalid;
    }
    case '?':
        return closedBy("?>", 2, Construct::Instruction);
    case '/':
        return closedBy(">", 2, Construct::EndTag);
    default: {
        size_t at = FindTagClose(rest.data(), std::max<size_t>(resume, 1), rest.size(), quote);
        if (at == std::string_view::npos) {
            if (pos == 0) {
                resumeAt_ = rest.size();
                resumeQuote_ = quote;
            }
            return Construct::Incomplete;
        }
        stop = pos + at + 1;
        return Construct::StartTag;
    }
    }
}

size_t XmlStreamParser::TakeText(const char* data, size_t pos, size_t end) {
    const char* lt = static_cast<const char*>(std::memchr(data + pos, '<', end - pos));
    size_t stop = lt ? static_cast<size_t>(lt - data) : end;
    if (open_.size() == 1) {
        // Outside the stream element only whitespace may stand.
        for (size_t i = pos; i < stop; ++i)
            if (!IsSpace(data[i])) {
                Fail(XmlParseError::OutsideElement, i);
                return i;
            }
        return stop;
    }
    size_t n = stop - pos;
    skipSpace_ = false;
    textActive_ = true;
    held_ += n;
    if (held_ > limits_.maxStanzaBytes) {
        if (!StartSkippingOversized(data, pos, end))
            Fail(XmlParseError::TooLarge, pos);
        return pos;
    }
    if (!lt) {
        textRaw_.append(data + pos, n);  // the chunk goes on in the next bytes
        return stop;
    }
    if (textRaw_.empty()) {
        size_t bad = 0;
        if (XmlParseError error = DecodeChars(data + pos, n, textDecoded_, true, bad); error != XmlParseError::None)
            Fail(error, pos + bad);
        return stop;
    }
    textRaw_.append(data + pos, n);
    DecodeRawText(stop);
    return stop;
}

// Decodes the chunk of character data held back from earlier calls, now
// that the "<" at `stop` has ended it.
void XmlStreamParser::DecodeRawText(size_t stop) {
    size_t bad = 0;
    XmlParseError error = DecodeChars(textRaw_.data(), textRaw_.size(), textDecoded_, true, bad);
    // The chunk began before this call's bytes; the unsigned sum with the
    // stream offset in Fail still places the offending byte right.
    if (error != XmlParseError::None)
        Fail(error, stop - textRaw_.size() + bad);
    textRaw_.clear();
}

void XmlStreamParser::EndTextRun() {
    if (!textActive_)
        return;
    textActive_ = false;
    // Only the last run of an element's character data is kept.
    if (open_.size() > 1)
        open_.back()->SetParsedText(MakeText(textDecoded_));
    textDecoded_.clear();
}

void XmlStreamParser::ApplyCData(const char* content, size_t length, size_t at) {
    if (open_.size() == 1) {
        Fail(XmlParseError::OutsideElement, at);
        return;
    }
    skipSpace_ = false;
    textActive_ = true;
    size_t bad = 0;
    if (XmlParseError error = DecodeChars(content, length, textDecoded_, false, bad); error != XmlParseError::None)
        Fail(error, at + 9 + bad);
}

void XmlStreamParser::ApplyInstruction(const char* content, size_t length, size_t at) {
    // Only the XML declaration, and only ahead of the stream element.
    std::string_view text(content, length);
    bool declaration = text.starts_with("xml") && text.size() > 3 && IsSpace(text[3]);
    if (!declaration || sawRoot_ || open_.size() != 1) {
        Fail(XmlParseError::Declaration, at);
        return;
    }
    skipSpace_ = true;
}

void XmlStreamParser::ApplyStartTag(const char* tag, size_t length, size_t at) {
    EndTextRun();
    if (ended_) {
        Fail(XmlParseError::OutsideElement, at);
        return;
    }
    bool empty = length > 0 && tag[length - 1] == '/';
    if (empty)
        --length;
    size_t nameLength = 0;
    while (nameLength < length && !IsSpace(tag[nameLength]))
        ++nameLength;
    std::string_view name(tag, nameLength);
    if (!IsXmlName(name)) {
        Fail(XmlParseError::BadTag, at);
        return;
    }
    size_t count = 0;
    size_t bad = 0;
    XmlParseError error = ParseAttributes(tag + nameLength, length - nameLength, static_cast<size_t>(limits_.maxAttributes),
                                  attrScratch_, count, valueScratch_, bad);
    if (error != XmlParseError::None) {
        Fail(error, at + 1 + nameLength + bad);
        return;
    }
    XmlNode* parent = open_.back();
    int depth = parent->depth_ + 1;
    skipSpace_ = empty;
    bool tooMany = count > static_cast<size_t>(limits_.maxAttributes);
    if (tooMany && depth == 1) {
        Fail(XmlParseError::TooManyAttributes, at);
        return;
    }
    if (tooMany || depth > limits_.maxDepth) {
        if (depth == 2) {
            // A stanza element we cannot keep leaves nothing to deliver.
            if (!empty) {
                StartSkipping(Skip::Stanza, 1);
            } else {
                ++dropped_;
                held_ = 0;
            }
        } else if (!empty) {
            StartSkipping(Skip::Element, 1);
        } else {
            ++skippedElements_;
        }
        return;
    }
    auto node = std::make_unique<XmlNode>();
    node->depth_ = depth;
    node->name_ = name;
    node->attrs_.swap(attrScratch_);
    node->complete_ = false;
    XmlNode* added = node.get();
    parent->children_.push_back(std::move(node));
    sawRoot_ = true;
    if (!empty)
        open_.push_back(added);
    unsigned generation = generation_;
    if (depth <= 2) {
        RunCallback(depth, Start, added);
        if (generation != generation_)
            return;
        if (depth == 1)
            held_ = 0;  // the stream header stays for the whole stream
    }
    if (empty)
        Complete(added);
}

void XmlStreamParser::StartSkipping(Skip why, uint64_t level) {
    textActive_ = false;
    textRaw_.clear();
    textDecoded_.clear();
    resumeAt_ = 0;
    resumeQuote_ = 0;
    skip_ = why;
    skipLevel_ = level;
    skipState_ = SkipState::Text;
    skipQuote_ = skipLast_ = 0;
    skipMatched_ = 0;
    skipMarker_ = nullptr;
}

// The stanza open now, or the one whose start tag begins at `pos`, grew past
// the limit: it is dropped and the rest of it skipped. Kept stanzas (no end
// call-back takes them) are what the limit guards, so they fail instead.
bool XmlStreamParser::StartSkippingOversized(const char* data, size_t pos, size_t end) {
    if (!hooks_[1][End].function || open_.size() < 2)
        return false;
    if (open_.size() == 2) {
        const bool startTag = pos + 1 < end && data[pos] == '<' && data[pos + 1] != '/' && data[pos + 1] != '!' &&
                              data[pos + 1] != '?';
        if (!startTag)
            return false;
        droppedName_.clear();
        droppedAttrs_.clear();
        StartSkipping(Skip::OversizedStanza, 0);
    } else {
        XmlNode* stanza = open_[2];
        droppedName_ = std::move(stanza->name_);
        droppedAttrs_ = std::move(stanza->attrs_);
        const uint64_t level = open_.size() - 2;
        open_.resize(2);
        open_.back()->RemoveChild(stanza);
        StartSkipping(Skip::OversizedStanza, level);
    }
    held_ = 0;
    return true;
}

// Follows skipped markup until the element that started the run closes:
// only the nesting and the ends of tags, comments, CDATA sections and
// instructions are looked at.
size_t XmlStreamParser::SkipBytes(const char* data, size_t pos, size_t end) {
    while (pos < end && skip_ != Skip::None) {
        const char c = data[pos];
        switch (skipState_) {
        case SkipState::Text: {
            const void* lt = std::memchr(data + pos, '<', end - pos);
            if (!lt)
                return end;
            pos = static_cast<size_t>(static_cast<const char*>(lt) - data) + 1;
            skipState_ = SkipState::Open;
            break;
        }
        case SkipState::Open:
            skipLast_ = 0;
            skipMatched_ = 0;
            skipMarker_ = nullptr;
            if (c == '/')
                skipState_ = SkipState::EndTag;
            else if (c == '!')
                skipState_ = SkipState::Bang;
            else if (c == '?')
                skipState_ = SkipState::Instruction;
            else
                skipState_ = SkipState::StartTag;
            if (skipState_ != SkipState::StartTag)
                ++pos;
            break;
        case SkipState::StartTag:
            ++pos;
            if (skipQuote_ != 0) {
                if (c == skipQuote_)
                    skipQuote_ = 0;
            } else if (c == '"' || c == '\'') {
                skipQuote_ = c;
            } else if (c == '>') {
                skipState_ = SkipState::Text;
                if (skipLast_ != '/')
                    ++skipLevel_;
                else if (skipLevel_ == 0)
                    EndSkipping();
                break;
            }
            skipLast_ = c;
            break;
        case SkipState::EndTag:
            ++pos;
            if (c == '>') {
                skipState_ = SkipState::Text;
                if (skipLevel_ > 0)
                    --skipLevel_;
                if (skipLevel_ == 0)
                    EndSkipping();
            }
            break;
        case SkipState::Bang:
            // Inside an element "<!" opens a comment or a CDATA section and
            // nothing else.
            if (skipMarker_ == nullptr)
                skipMarker_ = c == '-' ? "--" : c == '[' ? "[CDATA[" : nullptr;
            if (skipMarker_ == nullptr || skipMarker_[skipMatched_] != c) {
                Fail(XmlParseError::Declaration, pos);
                return pos;
            }
            ++pos;
            if (skipMarker_[++skipMatched_] == '\0') {
                skipState_ = skipMarker_[0] == '-' ? SkipState::Comment : SkipState::CData;
                skipMatched_ = 0;
            }
            break;
        case SkipState::Comment:
        case SkipState::CData:
            // Ended by "-->" or "]]>": two closers in a row, then ">".
            ++pos;
            if (c == (skipState_ == SkipState::Comment ? '-' : ']')) {
                ++skipMatched_;
            } else {
                if (c == '>' && skipMatched_ >= 2)
                    skipState_ = SkipState::Text;
                skipMatched_ = 0;
            }
            break;
        case SkipState::Instruction:
            ++pos;
            if (c == '>' && skipLast_ == '?')
                skipState_ = SkipState::Text;
            skipLast_ = c;
            break;
        }
    }
    return pos;
}

void XmlStreamParser::EndSkipping() {
    const Skip why = skip_;
    skip_ = Skip::None;
    skipSpace_ = true;
    if (why == Skip::Element) {
        ++skippedElements_;
        return;
    }
    ++dropped_;
    held_ = 0;
    XmlNode stanza;
    stanza.depth_ = 2;
    stanza.name_ = std::move(droppedName_);
    stanza.attrs_ = std::move(droppedAttrs_);
    droppedName_.clear();
    droppedAttrs_.clear();
    if (why == Skip::OversizedStanza)
        RunHook(droppedHook_, &stanza);
}

void XmlStreamParser::ApplyEndTag(const char* tag, size_t length, size_t at) {
    EndTextRun();
    size_t nameLength = 0;
    while (nameLength < length && !IsSpace(tag[nameLength]))
        ++nameLength;
    std::string_view name(tag, nameLength);
    for (size_t i = nameLength; i < length; ++i)
        if (!IsSpace(tag[i])) {
            Fail(XmlParseError::BadTag, at);
            return;
        }
    if (!IsXmlName(name)) {
        Fail(XmlParseError::BadTag, at);
        return;
    }
    if (open_.size() == 1) {
        Fail(ended_ ? XmlParseError::OutsideElement : XmlParseError::MismatchedEndTag, at);
        return;
    }
    skipSpace_ = true;
    XmlNode* node = open_.back();
    if (node->name_ != name) {
        Fail(XmlParseError::MismatchedEndTag, at);
        return;
    }
    open_.pop_back();
    Complete(node);
}

// An element whose end has been read: a stanza or the stream element goes
// to its end call-back and then leaves the tree.
void XmlStreamParser::Complete(XmlNode* node) {
    node->complete_ = true;
    int depth = node->depth_;
    if (depth == 1)
        ended_ = true;
    if (depth > 2 || !hooks_[depth - 1][End].function)
        return;
    XmlNode* parent = open_.back();
    unsigned generation = generation_;
    RunCallback(depth, End, node);
    if (generation != generation_)
        return;
    // The element is normally the parent's last child; a call-back that
    // rearranged the tree is looked up.
    if (!parent->children_.empty() && parent->children_.back().get() == node)
        parent->children_.pop_back();
    else
        parent->RemoveChild(node);
    held_ = 0;
}

void XmlStreamParser::RunCallback(int depth, int kind, XmlNode* node) { RunHook(hooks_[depth - 1][kind], node); }

void XmlStreamParser::RunHook(const Hook& hook, XmlNode* node) {
    if (!hook.function)
        return;
    // Cleared on the way out whatever happens, so a call-back that throws
    // does not leave the parser refusing every later Feed.
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(inCallback_);
    hook.function(node, hook.context);
}
