#pragma once
// Records and constants of the drawing layer: bitmap descriptions, blend and
// gradient records, stock objects, system colours, pen styles, raster
// operations, edge styles and clip-region results.
//
// The numeric values are this layer's own, except where a value travels in a
// record or is written into the program's data (the system-colour brush flag,
// the blend record's bytes, the bitmap header layout).

#include "PlatformTypes.h"

#include <cstdint>

// Colour value that no pixel can have: "no colour" / failure.
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// ---- Bitmaps ---------------------------------------------------------------

// The 40-byte header of a device-independent bitmap. A positive height is a
// bottom-up bitmap (the first row in memory is the bottom row of the image), a
// negative height a top-down one.
struct BITMAPINFOHEADER {
    std::uint32_t biSize = sizeof(BITMAPINFOHEADER);
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

// One palette entry, blue first.
struct RGBQUAD {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
};

// Header followed by the palette (as many entries as the bit count needs; the
// caller's block continues past the one entry declared here).
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

constexpr std::uint32_t BI_RGB = 0;
// 16- and 32-bit pixels whose channels are given by masks.
constexpr std::uint32_t BI_BITFIELDS = 3;
// Colour-table usage of the DIB calls: the palette holds colours.
constexpr UINT DIB_RGB_COLORS = 0;

// What GetObject tells about a bitmap. bmBits is null unless the bitmap is a
// DIB section.
struct BITMAP {
    std::int32_t bmType = 0;
    std::int32_t bmWidth = 0;
    std::int32_t bmHeight = 0;
    std::int32_t bmWidthBytes = 0;
    std::uint16_t bmPlanes = 1;
    std::uint16_t bmBitsPixel = 32;
    void* bmBits = nullptr;
};

// ---- Alpha blending and gradients -----------------------------------------

// Blend record of AlphaBlend: source-over with a constant alpha, and with the
// source's own per-pixel (premultiplied) alpha when AlphaFormat is
// AC_SRC_ALPHA.
struct BLENDFUNCTION {
    std::uint8_t BlendOp = 0;
    std::uint8_t BlendFlags = 0;
    std::uint8_t SourceConstantAlpha = 255;
    std::uint8_t AlphaFormat = 0;
};
constexpr std::uint8_t AC_SRC_OVER = 0;
constexpr std::uint8_t AC_SRC_ALPHA = 1;

// A gradient vertex; colour channels are 16-bit (the colour byte in the high
// byte).
struct TRIVERTEX {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint16_t Red = 0;
    std::uint16_t Green = 0;
    std::uint16_t Blue = 0;
    std::uint16_t Alpha = 0;
};

struct GRADIENT_RECT {
    std::uint32_t UpperLeft = 0;
    std::uint32_t LowerRight = 0;
};

enum : UINT {
    GRADIENT_FILL_RECT_H = 0,
    GRADIENT_FILL_RECT_V = 1,
};

// ---- Raster operations -----------------------------------------------------

enum : std::uint32_t {
    SRCCOPY = 1,    // destination = source
    PATCOPY = 2,    // destination = brush
    DSTINVERT = 3,  // destination = inverted destination
    BLACKNESS = 4,
    WHITENESS = 5,
};

// ---- Stock objects ---------------------------------------------------------

enum : int {
    WHITE_BRUSH = 0,
    LTGRAY_BRUSH,
    GRAY_BRUSH,
    DKGRAY_BRUSH,
    BLACK_BRUSH,
    NULL_BRUSH,
    WHITE_PEN,
    BLACK_PEN,
    NULL_PEN,
    SYSTEM_FONT,
    DEFAULT_GUI_FONT,
    STOCK_OBJECT_COUNT
};
constexpr int HOLLOW_BRUSH = NULL_BRUSH;

// ---- System colours --------------------------------------------------------
//
// A brush handle whose value is SYS_COLOR_INDEX_FLAG | index stands for the
// system-colour brush of that index wherever a brush is taken (class
// backgrounds, FillRect, SelectObject, ...). Index 6 is the window background,
// which is what windows use when they ask for "system colour brush 6".
constexpr std::uint32_t SYS_COLOR_INDEX_FLAG = 0x40000000;

enum : int {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_MENUTEXT = 5,
    COLOR_WINDOW = 6,
    COLOR_WINDOWFRAME = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_HIGHLIGHT = 10,
    COLOR_HIGHLIGHTTEXT = 11,
    COLOR_BTNFACE = 12,
    COLOR_BTNSHADOW = 13,
    COLOR_GRAYTEXT = 14,
    COLOR_BTNTEXT = 15,
    COLOR_BTNHIGHLIGHT = 16,
    COLOR_3DDKSHADOW = 17,
    COLOR_3DLIGHT = 18,
    COLOR_STATIC = 19,
    COLOR_STATICTEXT = 20,
    SYS_COLOR_COUNT
};

// The brush handle value that stands for a system colour (see above).
inline HBRUSH SysColorBrushValue(int index) {
    return reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(SYS_COLOR_INDEX_FLAG | static_cast<std::uint32_t>(index)));
}

// ---- Pens and background modes ---------------------------------------------

enum : int {
    PS_SOLID = 0,
    PS_DASH = 1,
    PS_NULL = 5,
};

enum : int {
    TRANSPARENT = 1,
    OPAQUE = 2,
};

// ---- Device capabilities ---------------------------------------------------

enum : int {
    HORZRES = 1,    // surface width in pixels
    VERTRES = 2,    // surface height in pixels
    BITSPIXEL = 3,
    PLANES = 4,
    LOGPIXELSX = 5,
    LOGPIXELSY = 6,
};

// ---- Regions ---------------------------------------------------------------

enum : int {
    RGN_ERROR = 0,
    NULLREGION = 1,
    SIMPLEREGION = 2,
    COMPLEXREGION = 3,
};

enum : int {
    RGN_AND = 1,
    RGN_OR = 2,
    RGN_XOR = 3,
    RGN_DIFF = 4,
    RGN_COPY = 5,
};

// ---- Edges -----------------------------------------------------------------

enum : UINT {
    BDR_RAISEDOUTER = 0x1,
    BDR_SUNKENOUTER = 0x2,
    BDR_RAISEDINNER = 0x4,
    BDR_SUNKENINNER = 0x8,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
    EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
    EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
};

enum : UINT {
    BF_LEFT = 0x1,
    BF_TOP = 0x2,
    BF_RIGHT = 0x4,
    BF_BOTTOM = 0x8,
    BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
    BF_MIDDLE = 0x800,
    BF_ADJUST = 0x2000,
};
