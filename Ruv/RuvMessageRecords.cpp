#include "RuvMessageRecords.h"

#include "CByteReader.h"
#include "RuvText.h"
#include "RuvXtraz.h"

#include <cstring>

namespace {

using Reader = CByteReader;

std::string_view View(const unsigned char* bytes, size_t length) {
    return {reinterpret_cast<const char*>(bytes), length};
}

Reader ReaderOf(std::string_view bytes) {
    return Reader(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
}

std::string_view Rest(const Reader& reader) {
    return View(reader.Current(), static_cast<size_t>(reader.Remaining()));
}

bool ReadBytes(Reader& reader, size_t count, std::string_view& out) {
    const unsigned char* bytes = nullptr;
    if (count > 0x7FFFFFFF || !reader.ReadView(bytes, static_cast<int>(count)))
        return false;
    out = View(bytes, count);
    return true;
}

// Cookie, channel and the byte-counted screen name every family-4 record
// starts with; the name in its one form, empty names refused.
bool ReadIcbmStart(Reader& reader, uint32_t& first, uint32_t& second, uint16_t& channel, CYolString& name) {
    unsigned char length = 0;
    std::string_view bytes;
    if (!reader.Read32(first) || !reader.Read32(second) || !reader.Read16(channel) || !reader.Read8(length) ||
        !ReadBytes(reader, length, bytes) || length == 0)
        return false;
    name = RuvText::NormalName(RuvText::FromUtf8(bytes));
    return !name.IsEmpty();
}

// `count` TLVs, each within the bytes; the bytes they took.
bool ReadTlvBlock(Reader& reader, uint16_t count, std::string_view& out) {
    const unsigned char* start = reader.Current();
    for (uint16_t i = 0; i < count; ++i) {
        unsigned short type = 0;
        unsigned short length = 0;
        if (!reader.Read16(type) || !reader.Read16(length) || !reader.Skip(length))
            return false;
    }
    out = View(start, static_cast<size_t>(reader.Current() - start));
    return true;
}

// Text bytes without the zero that ends them on the wire.
std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.back() == '\0')
        text.remove_suffix(1);
    return text;
}

constexpr std::string_view kRtfCapability = "{97B12751-243C-4334-AD22-D6ABF73F1492}";
constexpr std::string_view kUtf8Capability = "{0946134E-4C7F-11D1-8222-444553540000}";

// The relayed extension block up to its text: two headers, message type,
// flags, status, priority and the text.
struct RelayBody {
    uint16_t sequence = 0;
    uint8_t type = 0;
    std::string_view text;
    std::string_view firstHeader;
};

bool ReadRelayBody(Reader& reader, RelayBody& out) {
    unsigned short firstLength = 0;
    unsigned short secondLength = 0;
    unsigned short textLength = 0;
    unsigned char flags = 0;
    unsigned short status = 0;
    unsigned short priority = 0;
    std::string_view second;
    if (!reader.Read16LE(firstLength) || !ReadBytes(reader, firstLength, out.firstHeader) ||
        !reader.Read16LE(secondLength) || !ReadBytes(reader, secondLength, second) || !reader.Read8(out.type) ||
        !reader.Read8(flags) || !reader.Read16(status) || !reader.Read16(priority) || !reader.Read16LE(textLength) ||
        !ReadBytes(reader, textLength, out.text))
        return false;
    if (out.firstHeader.size() >= 2) {
        const auto* tail = reinterpret_cast<const uint8_t*>(out.firstHeader.data() + out.firstHeader.size() - 2);
        out.sequence = static_cast<uint16_t>(tail[0] << 8 | tail[1]);
    }
    return true;
}

// The script of a plug-in message: what follows the script plug-in's start,
// when the bytes after the text begin with it.
std::optional<std::string_view> PluginScript(const Reader& body) {
    const std::string_view rest = Rest(body);
    if (!rest.starts_with(RuvXtraz::kPluginStart))
        return std::nullopt;
    return rest.substr(RuvXtraz::kPluginStart.size());
}

// The text between `open` and the next `close` of a script, its entities
// decoded in one pass, cut to `limit`; empty when either mark is missing.
CYolString ScriptElement(std::string_view script, std::string_view open, std::string_view close, int limit) {
    const size_t start = script.find(open);
    if (start == std::string_view::npos)
        return {};
    const size_t from = start + open.size();
    const size_t end = script.find(close, from);
    if (end == std::string_view::npos)
        return {};
    return RuvText::Truncated(CYolString::XmlDecode(RuvText::FromUtf8OrAnsi(script.substr(from, end - from))), limit);
}

struct XStatusTexts {
    CYolString title;
    CYolString description;
};

XStatusTexts ReadXStatusScript(std::string_view script) {
    return {ScriptElement(script, "title&gt;", "&lt;/title", RuvXtraz::kTitleLimit),
            ScriptElement(script, "desc&gt;", "&lt;/desc", RuvXtraz::kDescriptionLimit)};
}

constexpr std::string_view kPluginAnswerId{"\x81\x1A\x18\xBC\x0E\x6C\x18\x47\xA5\x91\x6F\x18\xDC\xC7\x6F\x1A", 16};
constexpr std::string_view kAckPluginId{"\xBE\x6B\x73\x05\x0F\xC2\x10\x4F\xA6\xDE\x4D\xB1\xE3\x56\x4B\x0E", 16};

}  // namespace

size_t CSnacUserInfo::Unpack(const uint8_t* bytes, size_t size) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0, 0);
    unsigned char length = 0;
    unsigned short count = 0;
    std::string_view name;
    std::string_view block;
    if (!payload || !payload->Read8(length) || !ReadBytes(*payload, length, name) || length == 0 ||
        !payload->Read16(warningLevel) || !payload->Read16(count) || !ReadTlvBlock(*payload, count, block))
        return 0;
    screenName = RuvText::FromUtf8(name);
    tlvs = OscarTlvs(block);
    return static_cast<size_t>(payload->Current() - bytes);
}

uint16_t CSnacUserInfo::StatusOrClassWord() const {
    if (const std::string* status = tlvs.Find(0x0006))
        return status->size() >= 4
                   ? static_cast<uint16_t>(static_cast<uint8_t>((*status)[2]) << 8 | static_cast<uint8_t>((*status)[3]))
                   : 0;
    constexpr uint16_t kAwayClass = 0x0020;
    constexpr uint16_t kAwayWord = 0x0001;
    return (tlvs.Word(0x0001) & kAwayClass) != 0 ? kAwayWord : 0;
}

std::vector<RuvCapabilityGuid> CSnacUserInfo::Capabilities() const {
    std::vector<RuvCapabilityGuid> out;
    const std::string* list = tlvs.Find(0x000D);
    for (size_t at = 0; list != nullptr && at + 16 <= list->size(); at += 16) {
        RuvCapabilityGuid guid;
        std::memcpy(guid.data(), list->data() + at, 16);
        out.push_back(guid);
    }
    return out;
}

size_t CSnacIncomingMessage::Unpack(const uint8_t* bytes, size_t size) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0, 0);
    unsigned short count = 0;
    std::string_view userBlock;
    if (!payload || !ReadIcbmStart(*payload, cookieFirst, cookieSecond, channel, sender) ||
        !payload->Read16(warningLevel) || !payload->Read16(count) || !ReadTlvBlock(*payload, count, userBlock))
        return 0;
    userTlvs = OscarTlvs(userBlock);
    messageTlvs = OscarTlvs(Rest(*payload));
    return static_cast<size_t>(payload->Current() - bytes) + messageTlvs.Consumed();
}

uint32_t CSnacIncomingMessage::GetSentTime() const {
    const std::string* time = messageTlvs.Find(0x0016);
    if (time == nullptr || time->size() < 4)
        return 0;
    const auto* b = reinterpret_cast<const uint8_t*>(time->data());
    return static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 | static_cast<uint32_t>(b[2]) << 8 |
           b[3];
}

CYolString CSnacIncomingMessage::GetMessageText() {
    switch (channel) {
    case 1:
        return PlainText();
    case 2:
        return RelayText();
    case 4:
        return TypedText();
    default:
        return {};
    }
}

CYolString CSnacIncomingMessage::PlainText() const {
    const std::string* fragments = messageTlvs.Find(0x0002);
    if (fragments == nullptr)
        return {};
    Reader reader = ReaderOf(*fragments);
    unsigned short capsLength = 0;
    unsigned short textLength = 0;
    unsigned short charset = 0;
    unsigned short subset = 0;
    std::string_view text;
    if (!reader.Skip(2) || !reader.Read16(capsLength) || !reader.Skip(capsLength) || !reader.Skip(2) ||
        !reader.Read16(textLength) || textLength < 4 || !reader.Read16(charset) || !reader.Read16(subset))
        return {};
    // A fragment whose length overruns the TLV gives the bytes there are.
    ReadBytes(reader, std::min<size_t>(textLength - 4u, static_cast<size_t>(reader.Remaining())), text);
    const bool ansi = charset == 0x0000 || charset == 0x0003 || charset == 0xFFFF;
    return RuvText::Unwrap(ansi ? RuvText::FromAnsi(Trimmed(text)) : RuvText::FromUcs2(text));
}

std::optional<std::string> CSnacIncomingMessage::RelayExtension() const {
    const std::string* block = messageTlvs.Find(0x0005);
    if (block == nullptr)
        return std::nullopt;
    Reader reader = ReaderOf(*block);
    unsigned short type = 0;
    RuvCapabilityGuid capability{};
    if (!reader.Read16(type) || !reader.Skip(8) || !reader.ReadBytes(capability.data(), 16) ||
        capability != RuvCapabilities::Relay())
        return std::nullopt;
    const OscarTlvs inner(Rest(reader));
    const std::string* extension = inner.Find(0x2711);
    if (extension == nullptr)
        return std::nullopt;
    return *extension;
}

CYolString CSnacIncomingMessage::RelayText() {
    const std::optional<std::string> extension = RelayExtension();
    if (!extension)
        return {};
    Reader body = ReaderOf(*extension);
    RelayBody relay;
    if (!ReadRelayBody(body, relay))
        return {};
    sequence = relay.sequence;
    if (relay.type == 0x1A) {
        const std::optional<std::string_view> script = PluginScript(body);
        if (!script)
            return {};
        XStatusTexts texts = ReadXStatusScript(*script);
        return texts.title += texts.description;
    }
    if (relay.type != 1)
        return {};
    const std::string_view text = Trimmed(relay.text);
    unsigned int colours[2] = {};
    unsigned int capabilityLength = 0;
    if (!body.Read32(colours[0]) || !body.Read32(colours[1]) || !body.Read32LE(capabilityLength))
        return RuvText::FromAnsi(text);
    std::string_view capabilityText;
    if (!ReadBytes(body, capabilityLength, capabilityText) || capabilityText == kRtfCapability)
        return {};
    return capabilityText == kUtf8Capability ? RuvText::FromUtf8(text) : RuvText::FromAnsi(text);
}

bool CSnacIncomingMessage::IsXStatusRequest() {
    if (channel != 2)
        return false;
    const std::optional<std::string> extension = RelayExtension();
    if (!extension)
        return false;
    Reader body = ReaderOf(*extension);
    RelayBody relay;
    if (!ReadRelayBody(body, relay))
        return false;
    sequence = relay.sequence;
    return relay.type == 0x1A && PluginScript(body).has_value();
}

CYolString CSnacIncomingMessage::TypedText() const {
    const std::string* block = messageTlvs.Find(0x0005);
    if (block == nullptr)
        return {};
    Reader reader = ReaderOf(*block);
    unsigned short length = 0;
    std::string_view text;
    if (!reader.Skip(6) || !reader.Read16LE(length) || !ReadBytes(reader, length, text))
        return {};
    return RuvText::FromAnsi(Trimmed(text));
}

size_t CSnacClientResponse::Unpack(const uint8_t* bytes, size_t size) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0, 0);
    unsigned short reason = 0;
    if (!payload || !ReadIcbmStart(*payload, cookieFirst, cookieSecond, channel, sender) || !payload->Read16(reason))
        return 0;
    const auto reached = [&] { return static_cast<size_t>(payload->Current() - bytes); };
    RelayBody relay;
    if ((channel != 1 && channel != 2) || !ReadRelayBody(*payload, relay))
        return reached();
    // Answers from a plug-in name it in the first header; only a bare
    // answer (an all-zero identifier) is read further.
    const std::string_view plugin = relay.firstHeader.substr(std::min<size_t>(2, relay.firstHeader.size()), 16);
    if (plugin.size() != 16 || plugin.find_first_not_of('\0') != std::string_view::npos)
        return reached();
    int function = -1;
    std::string_view script;
    unsigned short headerLength = 0;
    std::string_view header;
    if (relay.type == 0x1A && payload->Read16LE(headerLength) && headerLength > 16 &&
        ReadBytes(*payload, headerLength, header)) {
        const std::string_view id = header.substr(0, 16);
        kind = id == kPluginAnswerId ? ClientResponseKind::PluginAnswer
             : id == kAckPluginId    ? ClientResponseKind::Delivered
                                     : ClientResponseKind::None;
        if (kind == ClientResponseKind::None)
            function = static_cast<uint8_t>(header[16]);
        unsigned int total = 0;
        unsigned int length = 0;
        if (payload->Read32LE(total) && payload->Read32LE(length))
            ReadBytes(*payload, std::min<size_t>(length, static_cast<size_t>(payload->Remaining())), script);
    }
    if (function == RuvXtraz::kNotifyFunction) {
        XStatusTexts texts = ReadXStatusScript(script);
        xStatusTitle = std::move(texts.title);
        xStatusDescription = std::move(texts.description);
        if (!xStatusTitle.IsEmpty() || !xStatusDescription.IsEmpty())
            kind = ClientResponseKind::XStatus;
    } else if (cookieFirst != 0) {
        kind = ClientResponseKind::Delivered;
    }
    return reached();
}

size_t CRuvTypingNotification::Unpack(const uint8_t* bytes, size_t size) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0, 0);
    uint32_t first = 0;
    uint32_t second = 0;
    uint16_t channel = 0;
    uint16_t wire = 0;
    if (!payload || !ReadIcbmStart(*payload, first, second, channel, sender) || !payload->Read16(wire) ||
        wire > kBegun)
        return 0;
    code = wire;
    return static_cast<size_t>(payload->Current() - bytes);
}
