// The writer: one element and its subtree as UTF-8 text, every text and
// value escaped on the way out; names checked; the text helpers.

#include "XmlWriter.h"

#include "XmlNode.h"

#include <array>
#include <new>
#include <utility>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// What a builder stores for one unit; 0 drops it. Element text follows the
// rules of user text (XmlEscape): CR dropped, LF kept, other control
// characters blanked. Attribute values keep TAB, LF and CR, which the
// writer spells as references, so that an id is echoed exactly as it came.
// Units that XML cannot carry at all are blanked or become U+FFFD in both.
char16_t BuilderUnit(const char16_t* units, size_t i, size_t n, bool text) {
    char16_t c = units[i];
    if (c < 0x20) {
        if (c == u'\n' || (!text && (c == u'\r' || c == u'\t')))
            return c;
        return c == u'\r' ? 0 : u' ';
    }
    if (c == 0xFFFE || c == 0xFFFF)
        return kReplacement;
    if (IsHighSurrogate(c))
        return i + 1 < n && IsLowSurrogate(units[i + 1]) ? c : kReplacement;
    if (IsLowSurrogate(c))
        return i > 0 && IsHighSurrogate(units[i - 1]) ? c : kReplacement;
    return c;
}

// How the writer spells each ASCII unit inside text and inside an attribute
// value in single quotes. Empty: the character itself. The five markup
// characters get the same entities as CYolString::XmlEncode; CR in text and
// TAB, LF, CR in values become references so that a receiving parser's
// line-end and attribute normalisation gives the same characters back.
struct Spelling {
    std::array<std::string_view, 128> text{};
    std::array<std::string_view, 128> attr{};
    constexpr Spelling() {
        for (unsigned c = 0; c < 0x20; ++c)
            text[c] = attr[c] = " ";
        text['\t'] = "";
        text['\n'] = "";
        text['\r'] = attr['\r'] = "&#13;";
        attr['\t'] = "&#9;";
        attr['\n'] = "&#10;";
        text['&'] = attr['&'] = "&amp;";
        text['<'] = attr['<'] = "&lt;";
        text['>'] = attr['>'] = "&gt;";
        text['"'] = attr['"'] = "&quot;";
        text['\''] = attr['\''] = "&apos;";
    }
};
constexpr Spelling kSpelling;

void AppendEscaped(std::string& out, const CYolString& value, bool inAttribute) {
    const auto& table = inAttribute ? kSpelling.attr : kSpelling.text;
    const char16_t* u = value.c_str();
    size_t n = static_cast<size_t>(value.Length());
    for (size_t i = 0; i < n; ++i) {
        uint32_t c = u[i];
        if (c < 0x80) {
            std::string_view spelled = table[c];
            if (spelled.empty())
                out.push_back(static_cast<char>(c));
            else
                out.append(spelled);
            continue;
        }
        if (IsHighSurrogate(static_cast<char16_t>(c)) && i + 1 < n && IsLowSurrogate(u[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (u[++i] - 0xDC00u);
        } else if (IsHighSurrogate(static_cast<char16_t>(c)) || IsLowSurrogate(static_cast<char16_t>(c))) {
            c = kReplacement;
        }
        if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        }
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Writes the prefix, the start tag and the text; false when a name cannot be
// written.
bool WriteStart(std::string& out, const XmlNode& node) {
    out += node.Prefix();
    bool hasContent = node.ChildCount() > 0 || !node.Text().IsEmpty();
    if (!node.Name().empty()) {
        if (!IsXmlName(node.Name()))
            return false;
        out.push_back('<');
        out += node.Name();
        for (int i = 0; i < node.AttrCount(); ++i) {
            const XmlAttr& attr = node.AttrAt(i);
            if (!IsXmlName(attr.name))
                return false;
            out.push_back(' ');
            out += attr.name;
            out += "='";
            AppendEscaped(out, attr.value, true);
            out.push_back('\'');
        }
        out += hasContent || node.KeepOpen() ? ">" : "/>";
    }
    AppendEscaped(out, node.Text(), false);
    return true;
}

void WriteEnd(std::string& out, const XmlNode& node) {
    if (node.Name().empty() || (node.ChildCount() == 0 && node.Text().IsEmpty()))
        return;
    out += "</";
    out += node.Name();
    out.push_back('>');
}

// Name characters by byte: 1 may start a name, 2 may follow, 0 neither.
// Bytes from 0x80 up belong to non-ASCII characters, which are all accepted
// once the UTF-8 is known to be sound.
struct NameClasses {
    std::array<unsigned char, 256> cls{};
    constexpr NameClasses() {
        for (unsigned c = 'a'; c <= 'z'; ++c)
            cls[c] = 1;
        for (unsigned c = 'A'; c <= 'Z'; ++c)
            cls[c] = 1;
        for (unsigned c = '0'; c <= '9'; ++c)
            cls[c] = 2;
        cls['_'] = cls[':'] = 1;
        cls['.'] = cls['-'] = 2;
        for (unsigned c = 0x80; c < 0x100; ++c)
            cls[c] = 1;
    }
};
constexpr NameClasses kNameClasses;

// Whether the bytes are sound UTF-8 for characters XML allows.
bool IsSoundUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        unsigned lead = *p++;
        if (lead < 0x80)
            continue;
        int trail;
        uint32_t cp;
        if (lead >= 0xC2 && lead <= 0xDF) {
            trail = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            trail = 2;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            trail = 3;
            cp = lead & 0x07;
        } else {
            return false;
        }
        if (end - p < trail)
            return false;
        for (int k = 0; k < trail; ++k, ++p) {
            if ((*p & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (*p & 0x3F);
        }
        static constexpr uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[trail] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF)
            return false;
    }
    return true;
}

}  // namespace

CYolString XmlStorableText(const CYolString& value, bool text) {
    const char16_t* units = value.c_str();
    size_t n = static_cast<size_t>(value.Length());
    size_t i = 0;
    while (i < n && BuilderUnit(units, i, n, text) == units[i])
        ++i;
    if (i == n)
        return value;
    std::u16string out(units, i);
    for (; i < n; ++i)
        if (char16_t c = BuilderUnit(units, i, n, text))
            out.push_back(c);
    return CYolString(out.data(), static_cast<int>(out.size()));
}

bool IsXmlName(std::string_view name) {
    if (name.empty() || kNameClasses.cls[static_cast<unsigned char>(name[0])] != 1)
        return false;
    bool ascii = true;
    for (char c : name) {
        if (!kNameClasses.cls[static_cast<unsigned char>(c)])
            return false;
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    }
    return ascii || IsSoundUtf8(name);
}

// ------------------------------------------------------------------ writing

std::string XmlNode::Serialize() const {
    try {
        std::string out;
        out.reserve(256);
        struct Frame {
            const XmlNode* node;
            size_t next;
        };
        std::vector<Frame> open;
        if (!WriteStart(out, *this))
            return {};
        open.push_back({this, 0});
        while (!open.empty()) {
            Frame& top = open.back();
            if (top.next < top.node->children_.size()) {
                const XmlNode* child = top.node->children_[top.next++].get();
                if (!WriteStart(out, *child))
                    return {};
                open.push_back({child, 0});
            } else {
                WriteEnd(out, *top.node);
                open.pop_back();
            }
        }
        return out;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

// ------------------------------------------------------------- text helpers

std::string XmlEscape(const CYolString& text) { return CYolString::XmlEncode(XmlStorableText(text, true)).ToUtf8(); }

void XmlUnescape(std::string& text) {
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"&amp;", '&'}, {"&apos;", '\''}, {"&gt;", '>'}, {"&lt;", '<'}, {"&quot;", '"'},
    };
    size_t out = 0;
    for (size_t in = 0; in < text.size();) {
        char c = text[in];
        size_t used = 1;
        if (c == '&') {
            std::string_view rest = std::string_view(text).substr(in);
            for (const auto& [entity, ch] : kNamed)
                if (rest.starts_with(entity)) {
                    c = ch;
                    used = entity.size();
                    break;
                }
        }
        text[out++] = c;
        in += used;
    }
    text.resize(out);
}

CYolString ToCrLf(const CYolString& text) {
    const char16_t* u = text.c_str();
    int n = text.Length();
    std::u16string out;
    out.reserve(static_cast<size_t>(n) + 16);
    for (int i = 0; i < n; ++i) {
        if (u[i] == u'\n' && (i == 0 || u[i - 1] != u'\r'))
            out.push_back(u'\r');
        out.push_back(u[i]);
    }
    return CYolString(out.data(), static_cast<int>(out.size()));
}
