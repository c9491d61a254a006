// UTF-16 and UTF-8 conversion for the text layer.

#include "TextUtf.h"

namespace Platform {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

} // namespace

std::string Utf16ToUtf8(const char16_t* text, std::size_t length, std::vector<int>* offsets) {
    std::string out;
    out.reserve(length);
    if (offsets) {
        offsets->clear();
        offsets->reserve(length + 1);
    }
    for (std::size_t i = 0; i < length; ++i) {
        const char16_t unit = text[i];
        const int start = static_cast<int>(out.size());
        if (offsets)
            offsets->push_back(start);
        if (IsHigh(unit) && i + 1 < length && IsLow(text[i + 1])) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
            if (offsets)
                offsets->push_back(start);
        } else if (IsHigh(unit) || IsLow(unit)) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, unit);
        }
    }
    if (offsets)
        offsets->push_back(static_cast<int>(out.size()));
    return out;
}

std::u16string Utf8ToUtf16(const char* text) {
    std::u16string out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        char32_t c = 0xFFFD;
        int extra = 0;
        if (*p < 0x80) {
            c = *p;
        } else if ((*p & 0xE0) == 0xC0) {
            c = *p & 0x1F;
            extra = 1;
        } else if ((*p & 0xF0) == 0xE0) {
            c = *p & 0x0F;
            extra = 2;
        } else if ((*p & 0xF8) == 0xF0) {
            c = *p & 0x07;
            extra = 3;
        }
        ++p;
        for (int k = 0; k < extra; ++k, ++p) {
            if ((*p & 0xC0) != 0x80) {
                c = 0xFFFD;
                break;
            }
            c = (c << 6) | (*p & 0x3F);
        }
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        if (c >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::size_t Utf16Length(const char16_t* text) {
    std::size_t length = 0;
    while (text[length])
        ++length;
    return length;
}

} // namespace Platform
