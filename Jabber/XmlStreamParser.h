#pragma once
// XmlStreamParser: reads the server's XML stream as it arrives. The stream
// element opens at depth 1, each of its children (a stanza) sits at depth 2
// and is handed to the depth-2 end call-back as soon as its end tag is read,
// then freed. Bytes may be split anywhere: Feed answers how many bytes it
// took, and the caller offers the rest again, followed by whatever arrives
// next. Character data is always taken; only an unfinished tag, comment or
// CDATA section is left over.
//
// The input is untrusted. Anything that is not well-formed XML, a NUL byte,
// unsound UTF-8, a DOCTYPE, an entity of its own or a processing
// instruction other than the leading XML declaration puts the parser into a
// failed state for good (Failed, Error, ErrorText): the connection is of no
// further use. Comments are skipped; CDATA sections are character data.
// Numeric character references and the five predefined entities are
// decoded; no other entity exists.
//
// Limits: what the parser holds of one stanza (with whatever the caller
// holds back of an unfinished construct) may not grow past maxStanzaBytes.
// A stanza that does is read on to its end without keeping anything of it,
// dropped alone, and reported to the dropped call-back: any contact can make
// a stanza that large, and failing would let any of them knock the account
// offline. Without a depth-2 end call-back stanzas stay in the tree, and
// growing past the limit then fails the parser (TooLarge). An element
// nested deeper than maxDepth, or carrying more than maxAttributes
// attributes, is skipped with everything inside it; the rest of its stanza
// is delivered. A stanza element with too many attributes is dropped whole,
// and a stream header with too many attributes fails the parser. Skipped
// content is only followed to its end (nesting, quotes, comments, CDATA):
// nothing of it is kept, decoded or checked beyond that, so that no amount
// of it makes the parser hold more.

#include "XmlNode.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class XmlParseError {
    None,
    NulByte,
    BadUtf8,
    BadCharacter,
    BadReference,
    BadTag,
    MismatchedEndTag,
    Declaration,
    OutsideElement,
    TooLarge,
    TooManyAttributes,
};

const char* XmlParseErrorText(XmlParseError error);

struct XmlParserLimits {
    size_t maxStanzaBytes = 1 << 20;
    // The stream element is at depth 1 and its stanzas at 2; at least 2.
    int maxDepth = 32;
    int maxAttributes = 64;
};

class XmlStreamParser {
public:
    // Receives the element and the context given with the call-back. An end
    // call-back may move the element's content away; the parser frees what
    // is left right after it returns.
    using Callback = void (*)(XmlNode* element, void* context);
    enum : int { Start = 0, End = 1 };

    explicit XmlStreamParser(const XmlParserLimits& limits = XmlParserLimits());
    XmlStreamParser(const XmlStreamParser&) = delete;
    XmlStreamParser& operator=(const XmlStreamParser&) = delete;

    // Both free the whole tree and return the parser to its first state:
    // call-backs, counters and any failure are cleared. The limits stay. A
    // call-back may reset the parser; Feed then returns at once.
    void Init() { Reset(); }
    void Reset();

    // depth 1 or 2, Start or End; a null function removes the call-back.
    // False for any other depth or kind.
    bool SetCallback(int depth, int kind, Callback function, void* context);
    // Called once a stanza too large to keep has been read to its end, with
    // an element holding the stanza's name and the attributes of its start
    // tag; both are empty when the start tag alone was too large.
    void SetDroppedCallback(Callback function, void* context);

    // Reads as much of the bytes as forms complete constructs and answers
    // how many it took. Takes nothing once failed, and nothing when called
    // from inside a call-back.
    size_t Feed(const char* data, size_t length);
    size_t Feed(std::string_view data) { return Feed(data.data(), data.size()); }

    bool Failed() const { return error_ != XmlParseError::None; }
    XmlParseError Error() const { return error_; }
    const char* ErrorText() const { return XmlParseErrorText(error_); }
    // Where in the stream (bytes since the last reset) the failure lies.
    uint64_t ErrorOffset() const { return errorOffset_; }
    // The stream element has been closed.
    bool StreamEnded() const { return ended_; }
    // Stanzas dropped whole: too large, or a stanza element with too many
    // attributes.
    uint64_t DroppedStanzas() const { return dropped_; }
    // Elements skipped inside delivered stanzas, each with its content.
    uint64_t SkippedElements() const { return skippedElements_; }

    // Depth 0, no name: the stream element and any element that has no end
    // call-back stay below it.
    const XmlNode& Root() const { return root_; }
    const XmlParserLimits& Limits() const { return limits_; }

private:
    enum class Construct { Incomplete, Invalid, StartTag, EndTag, Comment, CData, Instruction };
    struct Hook {
        Callback function = nullptr;
        void* context = nullptr;
    };

    Construct FindEnd(const char* data, size_t pos, size_t end, size_t& stop);
    size_t TakeText(const char* data, size_t pos, size_t end);
    void DecodeRawText(size_t stop);
    void EndTextRun();
    void ApplyStartTag(const char* tag, size_t length, size_t at);
    void ApplyEndTag(const char* tag, size_t length, size_t at);
    void ApplyCData(const char* content, size_t length, size_t at);
    void ApplyInstruction(const char* content, size_t length, size_t at);
    // Why a run of the stream is skipped.
    enum class Skip { None, Element, Stanza, OversizedStanza };
    enum class SkipState { Text, Open, StartTag, EndTag, Bang, Comment, CData, Instruction };
    void StartSkipping(Skip why, uint64_t level);
    bool StartSkippingOversized(const char* data, size_t pos, size_t end);
    size_t SkipBytes(const char* data, size_t pos, size_t end);
    void EndSkipping();
    void Complete(XmlNode* node);
    void RunCallback(int depth, int kind, XmlNode* node);
    void RunHook(const Hook& hook, XmlNode* node);
    void Fail(XmlParseError error, size_t at);

    XmlParserLimits limits_;
    XmlNode root_;
    // The open elements from the root down to the innermost.
    std::vector<XmlNode*> open_;
    Hook hooks_[2][2];

    XmlParseError error_ = XmlParseError::None;
    uint64_t offset_ = 0;  // bytes taken since the reset, up to this Feed
    uint64_t errorOffset_ = 0;
    bool skipSpace_ = true;  // whitespace after an end or empty-element tag is no text
    bool sawRoot_ = false;
    bool ended_ = false;
    size_t held_ = 0;  // bytes kept in the tree since the last stanza left it

    // Character data since the last tag or comment: decoded chunks, and the
    // raw bytes of a chunk whose end has not arrived yet.
    bool textActive_ = false;
    std::string textRaw_;
    std::u16string textDecoded_;

    // A run being skipped: the elements open inside it, where the scanner
    // stands in the markup, and what is known of a stanza dropped whole.
    Skip skip_ = Skip::None;
    SkipState skipState_ = SkipState::Text;
    uint64_t skipLevel_ = 0;
    char skipQuote_ = 0;
    char skipLast_ = 0;
    size_t skipMatched_ = 0;
    const char* skipMarker_ = nullptr;
    std::string droppedName_;
    std::vector<XmlAttr> droppedAttrs_;
    Hook droppedHook_;
    uint64_t dropped_ = 0;
    uint64_t skippedElements_ = 0;

    // How far an unfinished construct at the start of the left-over bytes
    // has been searched, so that offering it again does not search it anew.
    size_t resumeAt_ = 0;
    char resumeQuote_ = 0;

    bool inCallback_ = false;
    unsigned generation_ = 0;
    std::vector<XmlAttr> attrScratch_;
    std::u16string valueScratch_;
};
