// Reading "clients.cfg": CRLF lines, "[" opening each rule, "key=value"
// lines with the keys recognised at the start of the line, ignoring case.

#include "CRuvClientRules.h"

#include <algorithm>
#include <cstring>

namespace {

using Text = std::u16string_view;

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool StartsWithi(Text text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[i]) != static_cast<char16_t>(prefix[i]))
            return false;
    return true;
}

int HexValue(char16_t c) {
    c = Lower(c);
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

Text SkipBlanks(Text text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t'))
        text.remove_prefix(1);
    return text;
}

// Leading decimal digits; saturates at the largest 32-bit value.
uint32_t Decimal(Text text, bool* any = nullptr) {
    text = SkipBlanks(text);
    uint64_t value = 0;
    size_t i = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min<uint64_t>(value * 10 + (text[i] - u'0'), UINT32_MAX);
    if (any)
        *any = i > 0;
    return static_cast<uint32_t>(value);
}

// At most eight leading hex digits.
uint32_t Hex32(Text text) {
    text = SkipBlanks(text);
    uint32_t value = 0;
    for (size_t i = 0; i < text.size() && i < 8 && HexValue(text[i]) >= 0; ++i)
        value = value << 4 | static_cast<uint32_t>(HexValue(text[i]));
    return value;
}

// A capability text: up to 32 hex digits, the rest of the identifier zero;
// its prefix is the whole bytes given. Nothing for a text without digits.
bool ParsePrefix(Text text, TCapPrefix& out) {
    text = SkipBlanks(text);
    size_t digits = 0;
    out = TCapPrefix();
    for (; digits < text.size() && digits < 32 && HexValue(text[digits]) >= 0; ++digits) {
        const auto nibble = static_cast<uint8_t>(HexValue(text[digits]));
        out.bytes[digits / 2] |= static_cast<uint8_t>(digits % 2 == 0 ? nibble << 4 : nibble);
    }
    out.length = static_cast<uint8_t>(digits / 2);
    return digits > 0;
}

void ParsePrefixes(Text value, std::vector<TCapPrefix>& out) {
    while (true) {
        const size_t comma = value.find(u',');
        TCapPrefix prefix;
        if (ParsePrefix(value.substr(0, comma), prefix) && out.size() < CRuvClientRuleList::kMaxPrefixes)
            out.push_back(prefix);
        if (comma == Text::npos)
            return;
        value.remove_prefix(comma + 1);
    }
}

void ParseCapVersion(Text rest, TClientRule& rule) {
    size_t mark = rest.find(u'@');
    RuvVersionForm form = RuvVersionForm::CapText;
    if (mark == Text::npos) {
        mark = rest.find(u'*');
        form = RuvVersionForm::CapBytes;
    }
    if (mark == Text::npos)
        return;
    std::string prefix;
    for (char16_t c : rest.substr(0, mark))
        prefix.push_back(c < 0x80 ? static_cast<char>(Lower(c)) : '?');
    rule.versionForm = form;
    rule.versionPrefix = std::move(prefix);
    rule.versionWidth = static_cast<int>(rule.versionPrefix.size() / 2);
    rule.versionSource = form == RuvVersionForm::CapBytes ? static_cast<int>(std::min<uint32_t>(Decimal(rest.substr(mark + 1)), 16)) : 0;
}

void ParseDcVersion(Text rest, TClientRule& rule) {
    if (rest.empty() || rest[0] < u'1' || rest[0] > u'3')
        return;
    rule.versionSource = rest[0] - u'0';
    rest.remove_prefix(1);
    if (const size_t hash = rest.find(u'#'); hash != Text::npos) {
        bool any = false;
        const uint32_t width = Decimal(rest.substr(hash + 1), &any);
        rule.versionForm = RuvVersionForm::DcMasked;
        rule.versionWidth = any ? static_cast<int>(std::min<uint32_t>(width, 4)) : 4;
    } else if (rest.find(u'+') != Text::npos) {
        rule.versionForm = RuvVersionForm::DcDotted;
    } else if (rest.find(u'*') != Text::npos) {
        rule.versionForm = RuvVersionForm::DcConcat;
    }
}

void ParseVersion(Text spec, TClientRule& rule) {
    rule.versionForm = RuvVersionForm::None;
    rule.versionPrefix.clear();
    rule.versionSource = rule.versionWidth = 0;
    if (StartsWithi(spec, "dcinfo"))
        ParseDcVersion(spec.substr(6), rule);
    else if (StartsWithi(spec, "cap") && spec.size() >= 4)
        ParseCapVersion(spec.substr(4), rule);
}

enum class Key { Name, ProtoVer, DcInfo1, DcInfo2, DcInfo3, Caps, NoCaps, Pic, Version };

constexpr struct {
    std::string_view text;
    Key key;
} kKeys[] = {
    {"name=", Key::Name},       {"protover=", Key::ProtoVer}, {"dcinfo1=", Key::DcInfo1},
    {"dcinfo2=", Key::DcInfo2}, {"dcinfo3=", Key::DcInfo3},   {"caps=", Key::Caps},
    {"nocaps=", Key::NoCaps},   {"pic=", Key::Pic},           {"version=", Key::Version},
};

CYolString Value(Text text) {
    return CYolString(text.data(), static_cast<int>(std::min<size_t>(text.size(), CRuvClientRuleList::kMaxName)));
}

void ApplyLine(Key key, Text value, TClientRule& rule) {
    switch (key) {
    case Key::Name: rule.name = Value(value); break;
    case Key::ProtoVer:
        rule.protocolVersion = Decimal(value);
        rule.protocolVersionSet = true;
        break;
    case Key::DcInfo1:
    case Key::DcInfo2:
    case Key::DcInfo3: {
        const int index = static_cast<int>(key) - static_cast<int>(Key::DcInfo1);
        rule.dcInfo[index] = Hex32(value);
        rule.dcInfoSet[index] = true;
        break;
    }
    case Key::Caps:
        if (!value.empty() && value[0] == u'!') {
            rule.exact = true;
            value.remove_prefix(1);
        }
        ParsePrefixes(value, rule.required);
        break;
    case Key::NoCaps: ParsePrefixes(value, rule.forbidden); break;
    case Key::Pic: rule.pictureFile = Value(value); break;
    case Key::Version: ParseVersion(value, rule); break;
    }
}

}  // namespace

CRuvClientRuleList CRuvClientRuleList::Parse(Text text) {
    CRuvClientRuleList out;
    TClientRule rule;
    auto close = [&] {
        if (!rule.name.IsEmpty() && out.rules.size() < kMaxRules)
            out.rules.push_back(std::move(rule));
        rule = TClientRule();
    };
    // Only whole lines count: what follows the last line break is not read.
    for (size_t end = text.find(u"\r\n"); end != Text::npos; end = text.find(u"\r\n")) {
        const Text line = text.substr(0, end);
        text.remove_prefix(end + 2);
        if (line.empty() || line[0] == u';')
            continue;
        if (line[0] == u'[') {
            close();
            continue;
        }
        for (const auto& key : kKeys) {
            if (StartsWithi(line, key.text)) {
                ApplyLine(key.key, line.substr(key.text.size()), rule);
                break;
            }
        }
    }
    close();
    return out;
}

CRuvClientRuleList CRuvClientRuleList::ParseFile(std::string_view bytes) {
    bytes = bytes.substr(0, std::min(bytes.size(), kMaxFileBytes));
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
        const auto unit = static_cast<char16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return Parse(text);
}
