// Blits, stretching, alpha blending, colour keys, device-independent bitmaps
// and PNG files.

#include "GdiTestSupport.h"

#include <cstdio>
#include <fstream>

using namespace GdiTest;

namespace {


class GdiBlit : public GdiFixture {};

// Premultiplied 0xAARRGGBB.
constexpr std::uint32_t Argb(unsigned a, unsigned r, unsigned g, unsigned b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

TEST_F(GdiBlit, BitBltCopiesTheSourceRectangle) {
    Canvas screen(20, 20);
    MemoryCanvas source(screen.dc, 8, 8);
    RECT all{0, 0, 8, 8};
    FillRect(source.dc, &all, GetStockObject(BLACK_BRUSH));
    SetPixel(source.dc, 2, 3, kRed);
    EXPECT_TRUE(BitBlt(screen.dc, 10, 10, 4, 4, source.dc, 1, 2, SRCCOPY));
    EXPECT_EQ(screen.Pixel(11, 11), kRed);
    EXPECT_EQ(screen.Pixel(10, 10), RGB(0, 0, 0));
    EXPECT_EQ(screen.Pixel(13, 13), RGB(0, 0, 0));
    EXPECT_EQ(screen.Pixel(14, 14), kWhite);
    EXPECT_EQ(screen.Pixel(9, 10), kWhite);
}

TEST_F(GdiBlit, BitBltWithinOneSurfaceReadsTheOldPixels) {
    // Scrolling a window's contents by copying onto itself.
    Canvas screen(10, 10);
    for (int y = 0; y < 10; ++y)
        screen.Fill({0, y, 10, y + 1}, RGB(y * 20, 0, 0));
    BitBlt(screen.dc, 0, 0, 10, 8, screen.dc, 0, 2, SRCCOPY);
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(screen.Pixel(5, y), RGB((y + 2) * 20, 0, 0)) << y;
}

TEST_F(GdiBlit, StretchBltTakesTheNearestPixel) {
    Canvas screen(20, 20);
    MemoryCanvas source(screen.dc, 2, 2);
    SetPixel(source.dc, 0, 0, kRed);
    SetPixel(source.dc, 1, 0, kBlue);
    SetPixel(source.dc, 0, 1, RGB(0, 255, 0));
    SetPixel(source.dc, 1, 1, RGB(0, 0, 0));
    EXPECT_TRUE(StretchBlt(screen.dc, 4, 4, 8, 8, source.dc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(screen.Pixel(4, 4), kRed);
    EXPECT_EQ(screen.Pixel(7, 7), kRed);
    EXPECT_EQ(screen.Pixel(8, 4), kBlue);
    EXPECT_EQ(screen.Pixel(4, 8), RGB(0, 255, 0));
    EXPECT_EQ(screen.Pixel(11, 11), RGB(0, 0, 0));
    EXPECT_EQ(screen.Pixel(12, 12), kWhite);
}

TEST_F(GdiBlit, RasterOperationsWithoutASource) {
    Canvas screen(10, 10);
    EXPECT_TRUE(BitBlt(screen.dc, 0, 0, 5, 5, nullptr, 0, 0, BLACKNESS));
    EXPECT_EQ(screen.Pixel(4, 4), RGB(0, 0, 0));
    EXPECT_TRUE(PatBlt(screen.dc, 0, 0, 2, 2, DSTINVERT));
    EXPECT_EQ(screen.Pixel(1, 1), kWhite);
    SelectObject(screen.dc, GetStockObject(GRAY_BRUSH));
    EXPECT_TRUE(PatBlt(screen.dc, 5, 5, 5, 5, PATCOPY));
    EXPECT_EQ(screen.Pixel(9, 9), RGB(128, 128, 128));
    SelectObject(screen.dc, GetStockObject(WHITE_BRUSH));
    EXPECT_FALSE(BitBlt(screen.dc, 0, 0, 5, 5, nullptr, 0, 0, SRCCOPY));
}

TEST_F(GdiBlit, AlphaBlendWithConstantAlpha) {
    Canvas screen(10, 10, RGB(0, 0, 0));
    MemoryCanvas source(screen.dc, 4, 4);
    RECT all{0, 0, 4, 4};
    FillRect(source.dc, &all, GetStockObject(WHITE_BRUSH));
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 128, 0};
    EXPECT_TRUE(AlphaBlend(screen.dc, 0, 0, 4, 4, source.dc, 0, 0, 4, 4, blend));
    const unsigned half = GetRValue(screen.Pixel(2, 2));
    EXPECT_GE(half, 127u);
    EXPECT_LE(half, 129u);
    blend.SourceConstantAlpha = 0;
    screen.Fill({0, 0, 10, 10}, RGB(0, 0, 0));
    AlphaBlend(screen.dc, 0, 0, 4, 4, source.dc, 0, 0, 4, 4, blend);
    EXPECT_EQ(screen.Pixel(2, 2), RGB(0, 0, 0));
}

TEST_F(GdiBlit, AlphaBlendWithPerPixelAlphaStretched) {
    Canvas screen(20, 20, RGB(0, 0, 200));
    MemoryCanvas icon(2, 1);
    ASSERT_NE(icon.bits, nullptr);
    icon.bits[0] = Argb(255, 255, 0, 0);  // opaque red
    icon.bits[1] = Argb(0, 0, 0, 0);      // fully transparent
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    EXPECT_TRUE(AlphaBlend(screen.dc, 0, 0, 16, 8, icon.dc, 0, 0, 2, 1, blend));
    EXPECT_EQ(screen.Pixel(0, 0), kRed);
    EXPECT_EQ(screen.Pixel(7, 7), kRed);
    EXPECT_EQ(screen.Pixel(8, 0), RGB(0, 0, 200));
    EXPECT_EQ(screen.Pixel(15, 7), RGB(0, 0, 200));
    EXPECT_EQ(screen.Pixel(0, 8), RGB(0, 0, 200));

    // Half-transparent white (premultiplied) over blue, at constant alpha 255.
    icon.bits[0] = Argb(128, 128, 128, 128);
    AlphaBlend(screen.dc, 0, 10, 2, 2, icon.dc, 0, 0, 1, 1, blend);
    const COLORREF mixed = screen.Pixel(1, 11);
    EXPECT_NEAR(static_cast<int>(GetRValue(mixed)), 128, 1);
    EXPECT_NEAR(static_cast<int>(GetBValue(mixed)), 128 + 200 * 127 / 255, 1);

    // Without AC_SRC_ALPHA the source counts as opaque.
    blend.AlphaFormat = 0;
    icon.bits[1] = Argb(0, 10, 20, 30);
    AlphaBlend(screen.dc, 18, 18, 2, 2, icon.dc, 1, 0, 1, 1, blend);
    EXPECT_EQ(screen.Pixel(19, 19), RGB(10, 20, 30));
}

TEST_F(GdiBlit, AlphaBlendRefusesASourceRectangleOutsideTheSource) {
    Canvas screen(10, 10);
    MemoryCanvas icon(4, 4);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    EXPECT_FALSE(AlphaBlend(screen.dc, 0, 0, 4, 4, icon.dc, 1, 0, 4, 4, blend));
    EXPECT_FALSE(AlphaBlend(screen.dc, 0, 0, 4, 4, icon.dc, -1, 0, 2, 2, blend));
    blend.BlendOp = 1;
    EXPECT_FALSE(AlphaBlend(screen.dc, 0, 0, 4, 4, icon.dc, 0, 0, 4, 4, blend));
}

TEST_F(GdiBlit, TransparentBltLeavesOutTheKeyColourWhileStretching) {
    Canvas screen(20, 20, RGB(9, 9, 9));
    MemoryCanvas source(screen.dc, 2, 2);
    const COLORREF key = RGB(0, 16, 0);
    SetPixel(source.dc, 0, 0, kRed);
    SetPixel(source.dc, 1, 0, key);
    SetPixel(source.dc, 0, 1, key);
    SetPixel(source.dc, 1, 1, kBlue);
    EXPECT_TRUE(TransparentBlt(screen.dc, 2, 2, 8, 8, source.dc, 0, 0, 2, 2, key));
    EXPECT_EQ(screen.Pixel(2, 2), kRed);
    EXPECT_EQ(screen.Pixel(5, 5), kRed);
    EXPECT_EQ(screen.Pixel(6, 2), RGB(9, 9, 9));
    EXPECT_EQ(screen.Pixel(2, 6), RGB(9, 9, 9));
    EXPECT_EQ(screen.Pixel(9, 9), kBlue);
    EXPECT_TRUE(TransparentImage(screen.dc, 12, 12, 2, 2, source.dc, 0, 0, 2, 2, key));
    EXPECT_EQ(screen.Pixel(13, 12), RGB(9, 9, 9));
    EXPECT_EQ(screen.Pixel(13, 13), kBlue);
}

TEST_F(GdiBlit, BottomUpDibSectionKeepsTheBottomRowFirst) {
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = 3;  // bottom-up
    info.bmiHeader.biBitCount = 32;
    void* raw = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &raw, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    SetPixel(dc, 0, 2, kRed);  // bottom-left corner of the picture
    SetPixel(dc, 1, 0, kBlue);  // top-right corner
    auto* bits = static_cast<std::uint32_t*>(raw);
    EXPECT_EQ(bits[0], Argb(255, 255, 0, 0));
    EXPECT_EQ(bits[5], Argb(255, 0, 0, 255));
    bits[2] = Argb(255, 0, 255, 0);  // middle row, left
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0, 255, 0));
    BITMAP description{};
    GetObject(bitmap, sizeof description, &description);
    EXPECT_EQ(description.bmBits, raw);
    EXPECT_EQ(description.bmHeight, 3);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);

    info.bmiHeader.biBitCount = 24;
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &raw, nullptr, 0), nullptr);
    EXPECT_EQ(raw, nullptr);
}

// An 8-bit palette bitmap header as the GIF frames carry it.
struct PaletteBitmap {
    BITMAPINFOHEADER header;
    RGBQUAD colors[3];
};

TEST_F(GdiBlit, SetDIBitsToDeviceDrawsPaletteBitmapsInEitherRowOrder) {
    PaletteBitmap info{};
    info.header.biWidth = 3;
    info.header.biHeight = -2;  // top-down
    info.header.biBitCount = 8;
    info.colors[0] = {0, 0, 255, 0};  // red
    info.colors[1] = {255, 0, 0, 0};  // blue
    info.colors[2] = {0, 255, 0, 0};  // green
    // Rows are padded to four bytes.
    const unsigned char pixels[] = {0, 1, 2, 0xEE, 2, 2, 1, 0xEE};
    Canvas screen(10, 10);
    const auto* bitmapInfo = reinterpret_cast<const BITMAPINFO*>(&info);
    EXPECT_EQ(SetDIBitsToDevice(screen.dc, 1, 1, 3, 2, 0, 0, 0, 2, pixels, bitmapInfo, DIB_RGB_COLORS), 2);
    EXPECT_EQ(screen.Pixel(1, 1), kRed);
    EXPECT_EQ(screen.Pixel(2, 1), kBlue);
    EXPECT_EQ(screen.Pixel(3, 1), RGB(0, 255, 0));
    EXPECT_EQ(screen.Pixel(3, 2), kBlue);
    EXPECT_EQ(screen.Pixel(4, 1), kWhite);

    // The same bytes as a bottom-up bitmap: the first row is the bottom one.
    info.header.biHeight = 2;
    SetDIBitsToDevice(screen.dc, 5, 5, 3, 2, 0, 0, 0, 2, pixels, bitmapInfo, DIB_RGB_COLORS);
    EXPECT_EQ(screen.Pixel(5, 6), kRed);
    EXPECT_EQ(screen.Pixel(7, 5), kBlue);

    info.header.biBitCount = 4;
    EXPECT_EQ(SetDIBitsToDevice(screen.dc, 0, 0, 3, 2, 0, 0, 0, 2, pixels, bitmapInfo, DIB_RGB_COLORS), 0);
}

void WriteFile(const char* path, const unsigned char* bytes, std::size_t size) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
}

// 2 x 1 palette picture: opaque red, and green with alpha 0x80 (tRNS).
constexpr unsigned char kPalettePng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x03, 0x00, 0x00, 0x00, 0xC3, 0xFC, 0x8F,
    0xB8, 0x00, 0x00, 0x00, 0x06, 0x50, 0x4C, 0x54, 0x45, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xD2,
    0x87, 0xEF, 0x71, 0x00, 0x00, 0x00, 0x02, 0x74, 0x52, 0x4E, 0x53, 0xFF, 0x80, 0x08, 0x0F, 0xB3,
    0x6A, 0x00, 0x00, 0x00, 0x0B, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x60, 0x60, 0x04, 0x00,
    0x00, 0x04, 0x00, 0x02, 0x2C, 0xDE, 0x48, 0xAD, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44,
    0xAE, 0x42, 0x60, 0x82};

// 2 x 1 grey-with-alpha picture: grey 200 opaque, grey 100 with alpha 0x40.
constexpr unsigned char kGreyAlphaPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x04, 0x00, 0x00, 0x00, 0x5E, 0x2B, 0xB7,
    0x01, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x38, 0xF1, 0x3F, 0xC5,
    0x01, 0x00, 0x07, 0x2A, 0x02, 0x6C, 0xF0, 0xBF, 0x4F, 0x94, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45,
    0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

TEST_F(GdiBlit, PngPicturesLoadAsPremultipliedPixels) {
    struct Case {
        const char* file;
        const unsigned char* bytes;
        std::size_t size;
        COLORREF first;
        int firstAlpha;
        COLORREF second;
        int secondAlpha;
    } cases[] = {
        {"gdi_palette.png", kPalettePng, sizeof kPalettePng, kRed, 255, RGB(0, 128, 0), 128},
        {"gdi_grey_alpha.png", kGreyAlphaPng, sizeof kGreyAlphaPng, RGB(200, 200, 200), 255, RGB(25, 25, 25), 64},
    };
    for (const Case& c : cases) {
        WriteFile(c.file, c.bytes, c.size);
        cairo_surface_t* picture = Platform::LoadSurfacePng(c.file);
        ASSERT_NE(picture, nullptr) << c.file;
        EXPECT_EQ(Platform::GetSurfacePixel(picture, 0, 0), c.first) << c.file;
        EXPECT_EQ(Platform::GetSurfaceAlpha(picture, 0, 0), c.firstAlpha) << c.file;
        EXPECT_EQ(Platform::GetSurfacePixel(picture, 1, 0), c.second) << c.file;
        EXPECT_EQ(Platform::GetSurfaceAlpha(picture, 1, 0), c.secondAlpha) << c.file;
        Platform::ReleaseSurface(picture);
        std::remove(c.file);
    }
}

TEST_F(GdiBlit, BrokenOrMissingPngGivesNothing) {
    EXPECT_EQ(Platform::LoadSurfacePng("gdi_no_such_file.png"), nullptr);
    // The header of a real picture with its data cut off.
    WriteFile("gdi_cut.png", kPalettePng, 60);
    EXPECT_EQ(Platform::LoadSurfacePng("gdi_cut.png"), nullptr);
    std::remove("gdi_cut.png");
    const unsigned char notPng[] = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
    WriteFile("gdi_not.png", notPng, sizeof notPng);
    EXPECT_EQ(Platform::LoadSurfacePng("gdi_not.png"), nullptr);
    std::remove("gdi_not.png");
}

TEST_F(GdiBlit, SavedPngReadsBackAndDrawsThroughABitmap) {
    Canvas screen(16, 16);
    screen.Fill({0, 0, 8, 16}, kRed);
    ASSERT_TRUE(Platform::SaveSurfacePng(screen.surface, "gdi_saved.png"));
    cairo_surface_t* picture = Platform::LoadSurfacePng("gdi_saved.png");
    ASSERT_NE(picture, nullptr);
    std::remove("gdi_saved.png");
    HBITMAP bitmap = Platform::CreateBitmapFromSurface(picture);
    Platform::ReleaseSurface(picture);  // the bitmap keeps its own reference
    EXPECT_EQ(Platform::GetSurfacePixel(Platform::GetBitmapSurface(bitmap), 3, 3), kRed);
    HDC memory = CreateCompatibleDC(screen.dc);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    Canvas target(16, 16, kBlue);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    EXPECT_TRUE(AlphaBlend(target.dc, 0, 0, 16, 16, memory, 0, 0, 16, 16, blend));
    EXPECT_EQ(target.Pixel(2, 2), kRed);
    EXPECT_EQ(target.Pixel(12, 2), kWhite);
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

} // namespace
