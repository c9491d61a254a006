#pragma once
// Fonts: the 92-byte logical font record the settings store, and fonts made
// from it. Text is drawn through Pango; the faces of the handheld (Tahoma,
// "MS Sans Serif", ...) are drawn with DejaVu Sans.

#include "GdiTypes.h"
#include "YolTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>

constexpr int LF_FACESIZE = 32;

// The logical font record exactly as the settings hold it (92 bytes, no
// padding): height, width, escapement, orientation and weight as 32-bit
// values, eight single bytes, then a face name of 32 UTF-16 units.
//
// lfHeight < 0: the character height (em size) in pixels; lfHeight > 0: the
// cell height (ascent + descent) in pixels; 0: the default size.
struct LOGFONTW {
    std::int32_t lfHeight = 0;
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 0;
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = 0;
    std::uint8_t lfPitchAndFamily = 0;
    char16_t lfFaceName[LF_FACESIZE] = {};
};
static_assert(sizeof(LOGFONTW) == 92);
static_assert(offsetof(LOGFONTW, lfItalic) == 20);
static_assert(offsetof(LOGFONTW, lfFaceName) == 28);

// Weights and the character set byte as stored in the records.
constexpr std::int32_t FW_DONTCARE = 0;
constexpr std::int32_t FW_NORMAL = 400;
constexpr std::int32_t FW_BOLD = 700;
constexpr std::uint8_t DEFAULT_CHARSET = 1;

// Creates a font from the record; null when the record is null. The font is
// deleted with DeleteObject.
YOL_API HFONT CreateFontIndirect(const LOGFONTW* logFont);

// Called once per font family available to the drawing layer, in name order:
// the installed families and the handheld's face names this layer maps onto
// them. Return non-zero to go on.
using FONTENUMPROC = int (*)(const LOGFONTW* logFont, LPARAM param);
// Enumerates the families (family null) or only the one named; returns the
// last value the callback returned (1 when it was never called).
YOL_API int EnumFontFamilies(HDC dc, const char16_t* family, FONTENUMPROC proc, LPARAM param);

namespace Platform {
// The Pango family a record's face name is drawn with (UTF-8): the handheld's
// faces map to the DejaVu families; other names are used as they are.
YOL_API std::string FontFamilyForFace(const char16_t* faceName);
} // namespace Platform
