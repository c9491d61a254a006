// Pictures of every kind the skins draw: known by their bytes, decoded to
// the right size and colours, and refused (never crashing) when broken.

#include "Drawing/GdiSurface.h"

#include <cairo.h>

#include "GifTestSupport.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace picture_test {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void Put16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

struct BmpSpec {
    int width = 2;
    int height = 2;  // negative: rows stored top-down
    int bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;
    std::vector<std::uint32_t> masks = {};    // written after a 40-byte header, or inside a longer one
    std::vector<std::uint32_t> palette = {};  // 0x00RRGGBB
    // Rows as stored, each already padded to four bytes.
    Bytes pixels = {};
};

Bytes BuildBmp(const BmpSpec& s) {
    Bytes body;
    Put32(body, s.headerSize);
    Put32(body, static_cast<std::uint32_t>(s.width));
    Put32(body, static_cast<std::uint32_t>(s.height));
    Put16(body, 1);
    Put16(body, static_cast<std::uint32_t>(s.bits));
    Put32(body, s.compression);
    Put32(body, static_cast<std::uint32_t>(s.pixels.size()));
    Put32(body, 2835);
    Put32(body, 2835);
    Put32(body, static_cast<std::uint32_t>(s.palette.size()));
    Put32(body, 0);
    for (std::uint32_t m : s.masks)
        Put32(body, m);
    while (body.size() < s.headerSize)
        body.push_back(0);
    for (std::uint32_t c : s.palette)
        Put32(body, c);
    Bytes out = {'B', 'M'};
    Put32(out, static_cast<std::uint32_t>(14 + body.size() + s.pixels.size()));
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(14 + body.size()));
    out.insert(out.end(), body.begin(), body.end());
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    return out;
}

// A 2 x 2 picture of 24 bits: bottom row blue, green; top row red, white.
Bytes Bmp24() {
    BmpSpec s;
    s.pixels = {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, /* top: */ 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
    return BuildBmp(s);
}

Bytes WriteJpeg(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row;
    for (int x = 0; x < width; ++x)
        row.insert(row.end(), {r, g, b});
    while (info.next_scanline < info.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&info, &p, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// A 3 x 2 GIF: a red and a transparent pixel on a 2 x 1 frame placed at (1, 1).
Bytes Gif() {
    gif_test::GifSpec spec;
    spec.width = 3;
    spec.height = 2;
    spec.globalPalette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    gif_test::FrameSpec frame;
    frame.left = 1;
    frame.top = 1;
    frame.width = 2;
    frame.height = 1;
    frame.pixels = {0, 3};
    frame.control = true;
    frame.transparent = 3;
    spec.frames.push_back(frame);
    return gif_test::BuildGif(spec);
}

// A 1 x 1 opaque PNG of pure blue, written through the saver.
Bytes Png() {
    cairo_surface_t* s = Platform::CreateOpaqueSurface(1, 1);
    cairo_surface_flush(s);
    *reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s)) = 0x0000FF;
    cairo_surface_mark_dirty(s);
    EXPECT_TRUE(Platform::SaveSurfacePng(s, "picture_test.png"));
    Platform::ReleaseSurface(s);
    Bytes out;
    if (std::FILE* f = std::fopen("picture_test.png", "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF)
            out.push_back(static_cast<std::uint8_t>(c));
        std::fclose(f);
    }
    std::remove("picture_test.png");
    return out;
}

cairo_surface_t* Decode(const Bytes& b) {
    return Platform::DecodeSurfacePicture(b.data(), b.size());
}

int Channel(COLORREF c, int shift) {
    return static_cast<int>((c >> shift) & 0xFF);
}

TEST(Picture, EachKindDecodesToItsSizeAndColours) {
    struct Pixel {
        int x, y;
        COLORREF colour;
        int alpha;
    };
    struct Case {
        const char* name;
        Bytes bytes;
        int width, height;
        std::vector<Pixel> pixels;
        int tolerance;
    };
    Bytes topDownRows = Bmp24();
    topDownRows.erase(topDownRows.begin(), topDownRows.begin() + 54);
    const Case cases[] = {
        {"png", Png(), 1, 1, {{0, 0, RGB(0, 0, 255), 255}}, 0},
        {"bmp 24 bottom-up",
         Bmp24(),
         2,
         2,
         {{0, 0, RGB(255, 0, 0), 255}, {1, 0, RGB(255, 255, 255), 255}, {0, 1, RGB(0, 0, 255), 255},
          {1, 1, RGB(0, 255, 0), 255}},
         0},
        {"bmp 24 top-down",
         BuildBmp({.height = -2, .pixels = topDownRows}),
         2,
         2,
         {{0, 0, RGB(0, 0, 255), 255}, {1, 1, RGB(255, 255, 255), 255}},
         0},
        {"bmp 1",
         BuildBmp({.width = 9, .height = 1, .bits = 1, .palette = {0x000000, 0xFFFF00}, .pixels = {0x80, 0x80, 0, 0}}),
         9,
         1,
         {{0, 0, RGB(255, 255, 0), 255}, {1, 0, RGB(0, 0, 0), 255}, {8, 0, RGB(255, 255, 0), 255}},
         0},
        {"bmp 4",
         BuildBmp({.width = 3, .height = 1, .bits = 4, .palette = {0, 0x112233, 0x445566}, .pixels = {0x21, 0, 0, 0}}),
         3,
         1,
         {{0, 0, RGB(0x44, 0x55, 0x66), 255}, {1, 0, RGB(0x11, 0x22, 0x33), 255}, {2, 0, RGB(0, 0, 0), 255}},
         0},
        {"bmp 8",
         BuildBmp({.width = 1, .height = 1, .bits = 8, .palette = {0, 0, 0x00FF80}, .pixels = {2, 0, 0, 0}}),
         1,
         1,
         {{0, 0, RGB(0, 0xFF, 0x80), 255}},
         0},
        // 5-5-5 without masks: pure red.
        {"bmp 16",
         BuildBmp({.width = 1, .height = 1, .bits = 16, .pixels = {0x00, 0x7C, 0, 0}}),
         1,
         1,
         {{0, 0, RGB(255, 0, 0), 255}},
         0},
        // 5-6-5 masks: pure green.
        {"bmp 16 bitfields",
         BuildBmp({.width = 1, .height = 1, .bits = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F},
                   .pixels = {0xE0, 0x07, 0, 0}}),
         1,
         1,
         {{0, 0, RGB(0, 255, 0), 255}},
         0},
        // Masks with alpha inside a longer header: half-transparent red, then invisible blue.
        {"bmp 32 alpha",
         BuildBmp({.width = 2, .height = 1, .bits = 32, .compression = 3, .headerSize = 108,
                   .masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
                   .pixels = {0, 0, 0xFF, 0x80, 0xFF, 0, 0, 0}}),
         2,
         1,
         {{0, 0, RGB(128, 0, 0), 128}, {1, 0, RGB(0, 0, 0), 0}},
         1},
        // Without masks the fourth byte is not alpha.
        {"bmp 32",
         BuildBmp({.width = 1, .height = 1, .bits = 32, .pixels = {0x10, 0x20, 0x30, 0x00}}),
         1,
         1,
         {{0, 0, RGB(0x30, 0x20, 0x10), 255}},
         0},
        {"gif",
         Gif(),
         3,
         2,
         {{1, 1, RGB(255, 0, 0), 255}, {2, 1, RGB(0, 0, 0), 0}, {0, 0, RGB(0, 0, 0), 0}},
         0},
        {"jpeg", WriteJpeg(16, 8, 200, 40, 90), 16, 8, {{0, 0, RGB(200, 40, 90), 255}, {15, 7, RGB(200, 40, 90), 255}},
         6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cairo_surface_t* picture = Decode(c.bytes);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(cairo_image_surface_get_width(picture), c.width);
        EXPECT_EQ(cairo_image_surface_get_height(picture), c.height);
        EXPECT_EQ(cairo_image_surface_get_format(picture), CAIRO_FORMAT_ARGB32);
        for (const Pixel& p : c.pixels) {
            const COLORREF got = Platform::GetSurfacePixel(picture, p.x, p.y);
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(Channel(got, shift), Channel(p.colour, shift), c.tolerance) << p.x << "," << p.y;
            EXPECT_EQ(Platform::GetSurfaceAlpha(picture, p.x, p.y), p.alpha) << p.x << "," << p.y;
        }
        Platform::ReleaseSurface(picture);
    }
}

TEST(Picture, LoadsByContentNotByName) {
    const Bytes bmp = Bmp24();
    std::FILE* f = std::fopen("picture_test.png", "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bmp.data(), 1, bmp.size(), f);
    std::fclose(f);
    cairo_surface_t* picture = Platform::LoadSurfacePicture("picture_test.png");
    std::remove("picture_test.png");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(Platform::GetSurfacePixel(picture, 0, 0), RGB(255, 0, 0));
    Platform::ReleaseSurface(picture);
    EXPECT_EQ(Platform::LoadSurfacePicture("picture_no_such_file.bmp"), nullptr);
}

void SetLE32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Rewrites the width in the frame header of a baseline JPEG.
void SetJpegWidth(Bytes& b, unsigned width) {
    for (std::size_t i = 2; i + 9 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == 0xC0) {
            b[i + 7] = static_cast<std::uint8_t>(width >> 8);
            b[i + 8] = static_cast<std::uint8_t>(width);
            return;
        }
    ADD_FAILURE() << "no frame header";
}

TEST(Picture, BrokenOrLyingPicturesGiveNothing) {
    const Bytes bmp = Bmp24();
    const Bytes jpeg = WriteJpeg(8, 8, 10, 20, 30);
    const Bytes gif = Gif();
    struct Case {
        const char* name;
        std::function<void(Bytes&)> spoil;
        Bytes base;
    };
    const Case cases[] = {
        {"bmp cut in the pixels", [](Bytes& b) { b.resize(b.size() - 1); }, bmp},
        {"bmp cut in the header", [](Bytes& b) { b.resize(30); }, bmp},
        {"bmp huge width", [](Bytes& b) { SetLE32(b, 18, 100000); }, bmp},
        {"bmp huge height", [](Bytes& b) { SetLE32(b, 22, 0x7FFFFFFF); }, bmp},
        {"bmp most negative height", [](Bytes& b) { SetLE32(b, 22, 0x80000000); }, bmp},
        {"bmp zero width", [](Bytes& b) { SetLE32(b, 18, 0); }, bmp},
        {"bmp zero height", [](Bytes& b) { SetLE32(b, 22, 0); }, bmp},
        {"bmp pixels past the end", [](Bytes& b) { SetLE32(b, 10, 0xFFFFFFF0); }, bmp},
        {"bmp pixels inside the header", [](Bytes& b) { SetLE32(b, 10, 20); }, bmp},
        {"bmp unknown header size", [](Bytes& b) { SetLE32(b, 14, 64); }, bmp},
        {"bmp odd bits", [](Bytes& b) { b[28] = 2; }, bmp},
        {"bmp two planes", [](Bytes& b) { b[26] = 2; }, bmp},
        {"bmp compressed",
         [](Bytes&) {},
         BuildBmp({.bits = 8, .compression = 1, .palette = {0}, .pixels = Bytes(8, 0)})},
        {"bmp palette bigger than its bits allow",
         [](Bytes&) {},
         BuildBmp({.width = 1, .height = 1, .bits = 1, .palette = {0, 0, 0}, .pixels = Bytes(4, 0)})},
        {"bmp mask in two runs",
         [](Bytes&) {},
         BuildBmp({.width = 1, .height = 1, .bits = 16, .compression = 3, .masks = {0xF00F, 0x07E0, 0x001F},
                   .pixels = Bytes(4, 0)})},
        {"gif cut after its header", [](Bytes& b) { b.resize(13); }, gif},
        {"gif zero screen", [](Bytes& b) { b[6] = b[7] = 0; }, gif},
        {"gif screen wider than any picture", [](Bytes& b) { b[6] = 0xFF, b[7] = 0xFF; }, gif},
        {"jpeg cut after its markers", [](Bytes& b) { b.resize(20); }, jpeg},
        {"jpeg zero width", [](Bytes& b) { SetJpegWidth(b, 0); }, jpeg},
        {"jpeg width beyond any picture", [](Bytes& b) { SetJpegWidth(b, 4097); }, jpeg},
        {"not a picture", [](Bytes& b) { b[0] = 'X'; }, bmp},
        {"too short to know", [](Bytes& b) { b.resize(3); }, bmp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes b = c.base;
        c.spoil(b);
        cairo_surface_t* picture = Decode(b);
        EXPECT_EQ(picture, nullptr);
        Platform::ReleaseSurface(picture);
    }
}

}  // namespace picture_test
