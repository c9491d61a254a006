#include "RuvText.h"

#include "YolTypes.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace RuvText {

namespace {

constexpr std::u16string_view kHtmlStart = u"<HTML><BODY";
constexpr std::u16string_view kHtmlEnd = u"</BODY></HTML>";

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// How many of the `step` units from `at` make whole characters.
size_t WholeUnits(std::u16string_view units, size_t at, size_t step) {
    size_t count = std::min(step, units.size() - at);
    if (at + count < units.size() && count > 1 && IsHighSurrogate(units[at + count - 1]))
        --count;
    return count;
}

// Well-formed UTF-8: shortest forms only, no surrogates, nothing past
// U+10FFFF.
bool IsUtf8(std::string_view bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        const auto lead = static_cast<uint8_t>(bytes[at]);
        size_t extra = 0;
        uint32_t low = 0;
        uint32_t code = 0;
        if (lead < 0x80) {
            ++at;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1, low = 0x80, code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2, low = 0x800, code = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3, low = 0x10000, code = lead & 0x07u;
        } else {
            return false;
        }
        if (bytes.size() - at <= extra)
            return false;
        for (size_t i = 1; i <= extra; ++i) {
            const auto next = static_cast<uint8_t>(bytes[at + i]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = code << 6 | (next & 0x3Fu);
        }
        if (code < low || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        at += extra + 1;
    }
    return true;
}

CYolString Text(std::u16string_view units) {
    return units.empty() ? CYolString() : CYolString(units.data(), static_cast<int>(units.size()));
}

// Tag bodies that stand for a line break; every other tag is dropped.
bool IsBreakTag(std::u16string_view inner) { return inner == u"br" || inner == u"hr"; }

}  // namespace

CYolString NormalName(const CYolString& name) {
    std::u16string units;
    for (char16_t unit : name.ToU16())
        if (unit != u' ')
            units.push_back(unit);
    CYolString out = Text(units);
    out.ToLower();
    return out;
}

bool SameName(const CYolString& a, const CYolString& b) {
    // Walks both in step, without copies: list look-ups run this per item.
    const char16_t* x = a.c_str();
    const char16_t* y = b.c_str();
    for (;;) {
        while (*x == u' ')
            ++x;
        while (*y == u' ')
            ++y;
        if (*x == 0 || *y == 0)
            return *x == *y;
        char16_t left = *x++;
        char16_t right = *y++;
        CYolString::ToLow(&left, 1);
        CYolString::ToLow(&right, 1);
        if (left != right)
            return false;
    }
}

CYolString FromAnsi(std::string_view bytes) {
    return bytes.empty() ? CYolString() : CYolString(bytes.data(), static_cast<int>(bytes.size()), YOL_CP_1251);
}

CYolString FromUtf8(std::string_view bytes) { return CYolString::FromUtf8(bytes); }

CYolString FromUtf8OrAnsi(std::string_view bytes) { return IsUtf8(bytes) ? FromUtf8(bytes) : FromAnsi(bytes); }

CYolString FromUcs2(std::string_view bytes) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        units.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) << 8 | static_cast<uint8_t>(bytes[i + 1])));
    return Text(units);
}

std::string ToUcs2(const CYolString& text) {
    std::string out;
    for (char16_t unit : text.ToU16()) {
        if (unit == 0x2029)
            unit = 0x000A;
        out.push_back(static_cast<char>(unit >> 8));
        out.push_back(static_cast<char>(unit & 0xFF));
    }
    return out;
}

std::u16string DecodeEntities(std::u16string_view text) {
    static constexpr std::array<std::pair<std::u16string_view, char16_t>, 4> kEntities{{
        {u"&quot;", u'"'}, {u"&amp;", u'&'}, {u"&gt;", u'>'}, {u"&lt;", u'<'}}};
    std::u16string out;
    out.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        bool decoded = false;
        if (text[at] == u'&') {
            for (const auto& [entity, character] : kEntities) {
                if (text.substr(at, entity.size()) == entity) {
                    out.push_back(character);
                    at += entity.size();
                    decoded = true;
                    break;
                }
            }
        }
        if (!decoded)
            out.push_back(text[at++]);
    }
    return out;
}

CYolString Unwrap(const CYolString& text) {
    const std::u16string whole = text.ToU16();
    const std::u16string_view all(whole);
    if (all.size() < kHtmlStart.size() + kHtmlEnd.size() || all.substr(0, kHtmlStart.size()) != kHtmlStart ||
        all.substr(all.size() - kHtmlEnd.size()) != kHtmlEnd)
        return text;
    const size_t open = all.find(u'>', kHtmlStart.size());
    if (open == std::u16string_view::npos || open + 1 > all.size() - kHtmlEnd.size())
        return text;
    const std::u16string_view body = all.substr(open + 1, all.size() - kHtmlEnd.size() - open - 1);
    // One pass: text is copied, a tag is skipped (or becomes a line break)
    // and the scan goes on after it, so the work stays linear.
    std::u16string stripped;
    stripped.reserve(body.size());
    size_t at = 0;
    while (at < body.size()) {
        const size_t tag = body.find(u'<', at);
        const size_t close = tag == std::u16string_view::npos ? tag : body.find(u'>', tag + 1);
        if (close == std::u16string_view::npos) {
            stripped.append(body.substr(at));
            break;
        }
        stripped.append(body.substr(at, tag - at));
        if (IsBreakTag(body.substr(tag + 1, close - tag - 1)))
            stripped.append(u"\r\n");
        at = close + 1;
    }
    return Text(DecodeEntities(stripped));
}

std::vector<CYolString> Chunks(const CYolString& text, int limit) {
    std::vector<CYolString> out;
    const std::u16string units = text.ToU16();
    const size_t step = static_cast<size_t>(limit > 1 ? limit : 2);
    size_t at = 0;
    while (at < units.size()) {
        const size_t count = WholeUnits(units, at, step);
        out.push_back(Text(std::u16string_view(units).substr(at, count)));
        at += count;
    }
    return out;
}

CYolString Truncated(const CYolString& text, int limit) {
    if (text.Length() <= limit)
        return text;
    const std::u16string units = text.ToU16();
    return Text(std::u16string_view(units).substr(0, WholeUnits(units, 0, static_cast<size_t>(limit > 1 ? limit : 2))));
}

}  // namespace RuvText
