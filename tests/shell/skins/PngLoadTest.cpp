// Pictures of every PNG colour type come out as 8-bit blue-green-red-alpha
// with the colours premultiplied; broken files come out as no picture.

#include "Drawing/Gdi.h"
#include "SkinFixture.h"

#include <zlib.h>

#include <fstream>

using Bitmap = Skins::CYolWMSkins_ImageManager::CBitmap;
using PngFixture::Image;

namespace {

struct Pixel {
    COLORREF colour;  // premultiplied, 0x00BBGGRR
    int alpha;
};

Pixel PixelOf(const Bitmap& bitmap, int x, int y) {
    cairo_surface_t* surface = Platform::GetBitmapSurface(bitmap.GetHandle());
    return {Platform::GetSurfacePixel(surface, x, y), Platform::GetSurfaceAlpha(surface, x, y)};
}

struct ColourCase {
    const char* name;
    Image image;
    Pixel first;   // pixel (0, 0)
    Pixel second;  // pixel (1, 0)
};

Image Make(int colorType, int bitDepth, std::vector<std::uint8_t> row) {
    Image image;
    image.width = 2;
    image.colorType = colorType;
    image.bitDepth = bitDepth;
    image.rows = {std::move(row)};
    return image;
}

std::vector<ColourCase> ColourCases() {
    Image palette = Make(PNG_COLOR_TYPE_PALETTE, 8, {0, 1});
    palette.palette = {{0x10, 0xC0, 0x20}, {0xFF, 0x00, 0x00}};
    palette.paletteAlpha = {0xFF, 0x80};
    Image greyKey = Make(PNG_COLOR_TYPE_GRAY, 8, {0x33, 0x90});
    greyKey.greyKey = true;
    greyKey.greyKeyValue = 0x33;
    return {
        {"grey", Make(PNG_COLOR_TYPE_GRAY, 8, {0x80, 0xFF}), {RGB(0x80, 0x80, 0x80), 255}, {RGB(255, 255, 255), 255}},
        // 1-bit grey: the bits 1, 0 in the row's first byte.
        {"grey 1-bit", Make(PNG_COLOR_TYPE_GRAY, 1, {0x80}), {RGB(255, 255, 255), 255}, {RGB(0, 0, 0), 255}},
        {"grey with key", greyKey, {RGB(0, 0, 0), 0}, {RGB(0x90, 0x90, 0x90), 255}},
        {"grey and alpha", Make(PNG_COLOR_TYPE_GRAY_ALPHA, 8, {0xFF, 0x80, 0x40, 0xFF}),
         {RGB(0x80, 0x80, 0x80), 0x80}, {RGB(0x40, 0x40, 0x40), 255}},
        {"palette with alpha", palette, {RGB(0x10, 0xC0, 0x20), 255}, {RGB(0x80, 0, 0), 0x80}},
        {"rgb", Make(PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 0xFA, 0xFB, 0xFC}), {RGB(1, 2, 3), 255},
         {RGB(0xFA, 0xFB, 0xFC), 255}},
        {"rgba", Make(PNG_COLOR_TYPE_RGBA, 8, {0xFF, 0x80, 0x00, 0x80, 0x10, 0x20, 0x30, 0x00}),
         {RGB(0x80, 0x40, 0x00), 0x80}, {RGB(0, 0, 0), 0}},
        {"rgb 16-bit", Make(PNG_COLOR_TYPE_RGB, 16, {0xFF, 0xFF, 0x00, 0x00, 0x80, 0x00, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}),
         {RGB(0xFF, 0x00, 0x80), 255}, {RGB(0x12, 0x56, 0x9A), 255}},
        {"rgba 16-bit", Make(PNG_COLOR_TYPE_RGBA, 16, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0x00,
                                                       0, 0, 0, 0, 0, 0, 0xFF, 0xFF}),
         {RGB(0x80, 0x80, 0x80), 0x80}, {RGB(0, 0, 0), 255}},
    };
}

class PngLoad : public SkinFolderTest {};

TEST_F(PngLoad, EveryColourTypeBecomesPremultipliedBlueGreenRedAlpha) {
    for (const ColourCase& c : ColourCases()) {
        SCOPED_TRACE(c.name);
        const Bitmap bitmap(W(PutPng("case.png", c.image)));
        ASSERT_NE(bitmap.GetHandle(), nullptr);
        EXPECT_EQ(bitmap.GetWidth(), 2);
        EXPECT_EQ(bitmap.GetHeight(), 1);
        const Pixel first = PixelOf(bitmap, 0, 0);
        const Pixel second = PixelOf(bitmap, 1, 0);
        EXPECT_EQ(first.colour, c.first.colour);
        EXPECT_EQ(first.alpha, c.first.alpha);
        EXPECT_EQ(second.colour, c.second.colour);
        EXPECT_EQ(second.alpha, c.second.alpha);
    }
}

TEST_F(PngLoad, RowsKeepTheirOrder) {
    Image image = PngFixture::Solid(1, 3, 0, 0, 0, 255);
    image.rows[0] = {255, 0, 0, 255};
    image.rows[2] = {0, 0, 255, 255};
    const Bitmap bitmap(W(PutPng("rows.png", image)));
    EXPECT_EQ(PixelOf(bitmap, 0, 0).colour, RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(bitmap, 0, 1).colour, RGB(0, 0, 0));
    EXPECT_EQ(PixelOf(bitmap, 0, 2).colour, RGB(0, 0, 255));
}

TEST_F(PngLoad, BrokenFilesGiveNoPicture) {
    const std::string good = PutPng("good.png", PngFixture::Solid(8, 8, 10, 20, 30, 255));
    const std::string bytes = ReadText(good);
    std::string badCrc = bytes;
    badCrc[bytes.find("IDAT") + 6] ^= 0x55;  // inside the compressed data: its CRC no longer matches
    // A header claiming 100000 x 1 pixels: refused before anything that size is made.
    Image wide = PngFixture::Solid(1, 1, 0, 0, 0, 255);
    const std::string huge = PutPng("huge-src.png", wide);
    std::string hugeBytes = ReadText(huge);
    const std::size_t ihdr = hugeBytes.find("IHDR") + 4;
    hugeBytes[ihdr + 1] = 0x01;
    hugeBytes[ihdr + 2] = 0x86;
    hugeBytes[ihdr + 3] = 0xA0;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(hugeBytes.data() + ihdr - 4), 17);
    for (int i = 0; i < 4; ++i)
        hugeBytes[ihdr + 13 + i] = static_cast<char>(crc >> (24 - 8 * i));

    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"not a PNG", "GIF89a and then some more bytes"},
        {"signature only", bytes.substr(0, 8)},
        {"cut in the header", bytes.substr(0, 20)},
        {"cut in the data", bytes.substr(0, bytes.size() / 2)},
        {"bad checksum", badCrc},
        {"oversized", hugeBytes},
    };
    for (const auto& [name, content] : cases) {
        SCOPED_TRACE(name);
        const Bitmap bitmap(W(Put("broken.png", content)));
        EXPECT_EQ(bitmap.GetHandle(), nullptr);
        EXPECT_EQ(bitmap.GetWidth(), 0);
        EXPECT_EQ(bitmap.GetHeight(), 0);
    }
    const Bitmap missing(W(PathOf("nowhere.png")));
    EXPECT_EQ(missing.GetHandle(), nullptr);
}

}  // namespace
