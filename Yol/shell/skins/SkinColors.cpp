#include "SkinColors.h"

#include "CYolFile.h"
#include "FileHelpers.h"
#include "SkinImages.h"
#include "YolHex.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace Skins {

namespace {

constexpr TSkinColorTable kDefaults = {
    0x008000, 0xFFFFFF, 0xC8D0D4, 0x808080, 0x804000, 0xFF0000, 0xFF0000, 0x0000FF, 0x800000,
    0xC0D9F4, 0xFFFFFF, 0x357EC9, 0x0000FF, 0x000000, 0xFF0000, 0x4B4B4B, 0x0000FF, 0x800000,
    0x005353, 0xD6C731, 0xFFFFFF, 0x000000, 0x000000, 0xC97E35, 0xF4D9C0, 0xFFFFFF, 0xC03000,
    0x0000FF, 0x000000, 0xFFFFFF, 0xC97E35, 0xA0A0A0, 0xC97E35,
};

constexpr char kHeader[] = "[YolColors]";
constexpr std::size_t kHeaderLength = sizeof kHeader - 1;
// Six digits after each "=", then the line break's first byte.
constexpr std::size_t kDigits = 6;
constexpr std::size_t kValueStride = kDigits + 2;

std::atomic<const TSkinColorTable*> g_current{nullptr};

// Exactly six hexadecimal digits; a sign, a "0x" or a space is not a colour.
bool ReadColour(const char* digits, COLORREF& colour) {
    COLORREF value = 0;
    for (std::size_t i = 0; i < kDigits; ++i) {
        const int digit = YolHexDigitValue(static_cast<unsigned char>(digits[i]));
        if (digit < 0)
            return false;
        value = (value << 4) | static_cast<COLORREF>(digit);
    }
    colour = value;
    return true;
}

}  // namespace

const TSkinColorTable& GetDefaultSkinColors() { return kDefaults; }

void SetDefaultSkinColors(TSkinColorTable& table) { std::memcpy(table, kDefaults, sizeof kDefaults); }

void SetSkinColorTable(const TSkinColorTable* table) { g_current.store(table); }

COLORREF GetSkinColor(int index) {
    if (index < 0 || index >= SKIN_CLR_COUNT)
        return 0;
    const TSkinColorTable* table = g_current.load();
    return table != nullptr ? (*table)[index] : kDefaults[index];
}

bool ParseColorScheme(const char* text, std::size_t length, TSkinColorTable& table) {
    if (text == nullptr || length <= kHeaderLength || std::memcmp(text, kHeader, kHeaderLength) != 0)
        return false;
    int stored = 0;
    std::size_t at = kHeaderLength;
    while (at < length) {
        if (text[at] != '=') {
            ++at;
            continue;
        }
        if (length - at - 1 < kDigits || !ReadColour(text + at + 1, table[stored]))
            return false;
        if (++stored == SKIN_CLR_COUNT)
            return true;
        at += kValueStride;
    }
    return false;
}

bool ParseColorScheme(const char* text, TSkinColorTable& table) {
    return text != nullptr && ParseColorScheme(text, std::strlen(text), table);
}

void ReadColorScheme(const CYolString& path, TSkinColorTable& table) {
    std::size_t size = 0;
    const std::unique_ptr<unsigned char[]> text = ReadWholeFile(path, &size);
    if (!text || !ParseColorScheme(reinterpret_cast<const char*>(text.get()), size, table))
        SetDefaultSkinColors(table);
}

void LoadColorScheme(const CYolString& skinName, TSkinColorTable& table) {
    ReadColorScheme(GetSkinFilePath(skinName, GetColorsFileName()), table);
}

std::string FormatColorScheme(const TSkinColorTable& table) {
    std::string text = kHeader;
    char line[32];
    for (int n = 1; n <= SKIN_CLR_COUNT; ++n) {
        // Only the colour bytes: a stray top byte would make seven digits,
        // which no reader would take apart correctly.
        std::snprintf(line, sizeof line, "\r\n%d=%06X", n, static_cast<unsigned>(table[n - 1] & 0xFFFFFFu));
        text += line;
    }
    return text;
}

bool SaveColorScheme(const CYolString& path, const TSkinColorTable& table) {
    const std::string text = FormatColorScheme(table);
    return CYolFile::WriteWholeFile(path, reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

}  // namespace Skins
