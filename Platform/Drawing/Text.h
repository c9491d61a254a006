#pragma once
// Text measuring and drawing with the font selected into a device context.
// Text is UTF-16; lengths are in code units, -1 meaning "up to the
// terminator". Widths are whole pixels, and the width of a string is the sum
// of the advances of its characters (no kerning or ligatures), so measuring a
// string in pieces gives the same total as measuring it at once.

#include "GdiTypes.h"
#include "YolTypes.h"

#include <cstdint>

struct TEXTMETRICW {
    std::int32_t tmHeight = 0;           // ascent + descent: the line height
    std::int32_t tmAscent = 0;
    std::int32_t tmDescent = 0;
    std::int32_t tmInternalLeading = 0;  // tmHeight minus the character (em) height
    std::int32_t tmExternalLeading = 0;  // space the font asks for between lines
    std::int32_t tmAveCharWidth = 0;
    std::int32_t tmMaxCharWidth = 0;
    std::int32_t tmWeight = 0;
    std::int32_t tmOverhang = 0;
    std::uint8_t tmItalic = 0;
    std::uint8_t tmUnderlined = 0;
    std::uint8_t tmStruckOut = 0;
    std::uint8_t tmCharSet = 0;
};

// DrawText format flags. Left and top alignment are the defaults (0).
enum : UINT {
    DT_LEFT = 0,
    DT_TOP = 0,
    DT_CENTER = 1u << 0,
    DT_RIGHT = 1u << 1,
    DT_VCENTER = 1u << 2,      // only for text that is one line
    DT_BOTTOM = 1u << 3,       // only for text that is one line
    DT_WORDBREAK = 1u << 4,    // wrap at word boundaries to the rectangle's width
    DT_SINGLELINE = 1u << 5,   // line breaks in the text do not break the line
    DT_EXPANDTABS = 1u << 6,    // tabs go to stops every eight spaces (else a tab is one space wide)
    DT_NOCLIP = 1u << 7,       // draw outside the rectangle too
    DT_CALCRECT = 1u << 8,     // measure only: fit the rectangle to the text
    DT_NOPREFIX = 1u << 9,     // "&" is an ordinary character
    DT_END_ELLIPSIS = 1u << 10 // a line too wide ends in an ellipsis
};

// ExtTextOut options.
enum : UINT {
    ETO_OPAQUE = 1u << 0,   // fill the rectangle with the background colour first
    ETO_CLIPPED = 1u << 1,  // clip the text to the rectangle
};

// Metrics of the font selected into the context.
YOL_API bool GetTextMetrics(HDC dc, TEXTMETRICW* metrics);

// Width of the text as one line, and the font's line height.
YOL_API bool GetTextExtentPoint32(HDC dc, const char16_t* text, int length, SIZE* size);
inline bool GetTextExtentPoint(HDC dc, const char16_t* text, int length, SIZE* size) {
    return GetTextExtentPoint32(dc, text, length, size);
}

// Measures the text as one line. extents (length entries, may be null)
// receives for each code unit the width of the text up to and including it;
// both units of a surrogate pair get the same value, and the last value is
// the width of the whole text. fit (may be null) receives how many units fit
// within maxExtent. size (may be null) receives the width and line height.
YOL_API bool GetTextExtentExPoint(HDC dc, const char16_t* text, int length, int maxExtent, int* fit,
                                  int* extents, SIZE* size);

// Draws the text into the rectangle with the flags above, in the text colour,
// on the background colour when the background mode is OPAQUE. Answers the
// height of the text; with DT_CALCRECT the rectangle's right and bottom edges
// are set to fit the text and nothing is drawn.
YOL_API int DrawText(HDC dc, const char16_t* text, int length, RECT* rect, UINT format);

// Draws one line of text with its top-left corner at (x, y). spacing (may be
// null) gives the distance from each code unit's start to the next one's.
YOL_API bool ExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, const char16_t* text, UINT length,
                        const int* spacing);
