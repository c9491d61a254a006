// The GIF decoder on files the tests write with their own encoder: what goes
// in comes out, frame fields, and the broken files it must refuse or survive.

#include "GifTestSupport.h"

#include "Drawing/GifLzw.h"

#include <gtest/gtest.h>

using namespace gif_test;
using Smile::TGifFrame;
using Smile::TGifImage;

namespace {

FrameSpec Frame(int w, int h, int colours, unsigned seed, int minCodeSize = 2) {
    FrameSpec f;
    f.width = w;
    f.height = h;
    f.pixels = Noise(w, h, colours, seed);
    f.minCodeSize = minCodeSize;
    return f;
}

GifSpec OneFrame(const FrameSpec& f, int paletteSize) {
    GifSpec spec;
    spec.width = f.left + f.width;
    spec.height = f.top + f.height;
    spec.globalPalette = Ramp(paletteSize);
    spec.frames.push_back(f);
    return spec;
}

int Decode(const Bytes& bytes, TGifImage& image) {
    return Smile::DecodeGif(image, bytes.data(), bytes.size());
}

// The frame's indices in display order, without the stride's padding.
std::vector<std::uint8_t> Indices(const TGifFrame& f) {
    std::vector<std::uint8_t> out;
    for (int y = 0; y < f.height; ++y)
        out.insert(out.end(), f.pixels.begin() + y * f.stride, f.pixels.begin() + y * f.stride + f.width);
    return out;
}

TEST(GifDecoder, RoundTripsWhatTheEncoderWrote) {
    struct Case {
        const char* name;
        FrameSpec frame;
        int palette;
    };
    std::vector<Case> cases;
    for (int size = 2; size <= 8; ++size)
        cases.push_back({"minimum code size", Frame(37, 23, 1 << size, static_cast<unsigned>(size), size), 1 << size});
    for (int h = 1; h <= 9; ++h) {
        FrameSpec f = Frame(5, h, 4, static_cast<unsigned>(h));
        f.interlaced = true;
        cases.push_back({"interlaced", f, 4});
    }
    FrameSpec deferred = Frame(160, 160, 256, 7, 8);
    deferred.deferClear = true;
    cases.push_back({"clear deferred past a full table", deferred, 256});
    cases.push_back({"clears when the table is full", Frame(160, 160, 256, 8, 8), 256});
    FrameSpec wide = Frame(300, 2, 2, 9, 2);
    wide.pixels.assign(wide.pixels.size(), 1);
    cases.push_back({"long runs", wide, 2});
    FrameSpec noEnd = Frame(9, 9, 4, 10);
    noEnd.noEnd = true;
    cases.push_back({"no end code", noEnd, 4});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.frame.minCodeSize) + " h " +
                     std::to_string(c.frame.height));
        TGifImage image;
        ASSERT_EQ(Decode(BuildGif(OneFrame(c.frame, c.palette)), image), 1);
        EXPECT_EQ(Indices(*image.frames[0]), c.frame.pixels);
    }
}

TEST(GifDecoder, InterlacedHeightThreeFillsRowsZeroTwoOne) {
    // The file holds rows in the order 0, 2, 1.
    GifSpec spec = OneFrame(Frame(1, 3, 4, 1), 4);
    spec.frames[0].interlaced = true;
    spec.frames[0].pixels = {1, 2, 3};
    TGifImage image;
    ASSERT_EQ(Decode(BuildGif(spec), image), 1);
    EXPECT_EQ(Indices(*image.frames[0]), (std::vector<std::uint8_t>{1, 2, 3}));
    // Written in file order by hand: 1, 3, 2 with the second row last.
    FrameSpec raw = spec.frames[0];
    raw.interlaced = false;
    raw.pixels = {1, 3, 2};
    GifSpec flagged = OneFrame(raw, 4);
    Bytes bytes = BuildGif(flagged);
    bytes[13 + 12 + 9] |= 0x40;
    ASSERT_EQ(Decode(bytes, image), 1);
    EXPECT_EQ(Indices(*image.frames[0]), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(GifDecoder, EarlyEndLeavesTheRestZero) {
    FrameSpec f = Frame(8, 4, 4, 3);
    for (auto& p : f.pixels)
        p = static_cast<std::uint8_t>(p | 1);
    f.endAfter = 10;
    TGifImage image;
    ASSERT_EQ(Decode(BuildGif(OneFrame(f, 4)), image), 1);
    const auto got = Indices(*image.frames[0]);
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], i < 10 ? f.pixels[i] : 0) << i;
}

TEST(GifDecoder, FrameFields) {
    GifSpec spec;
    spec.width = 10;
    spec.height = 8;
    spec.globalPalette = Ramp(4);
    FrameSpec plain = Frame(10, 8, 4, 1);
    FrameSpec controlled = Frame(4, 3, 4, 2);
    controlled.left = 5;
    controlled.top = 4;
    controlled.control = true;
    controlled.disposal = 3;
    controlled.delayCs = 7;
    controlled.transparent = 2;
    FrameSpec badKey = Frame(2, 2, 4, 3);
    badKey.control = true;
    badKey.transparent = 9; // past the four entries
    spec.frames = {plain, controlled, badKey};
    TGifImage image;
    ASSERT_EQ(Decode(BuildGif(spec), image), 3);
    EXPECT_EQ(image.width, 10);
    EXPECT_EQ(image.height, 8);
    struct Want {
        int left, top, width, height, stride, delay, disposal, transparent;
    };
    const Want want[] = {{0, 0, 10, 8, 12, 0, 0, -1}, {5, 4, 4, 3, 4, 70, 3, 2}, {0, 0, 2, 2, 4, 0, 0, -1}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const TGifFrame& f = *image.frames[i];
        EXPECT_EQ(f.left, want[i].left);
        EXPECT_EQ(f.top, want[i].top);
        EXPECT_EQ(f.width, want[i].width);
        EXPECT_EQ(f.height, want[i].height);
        EXPECT_EQ(f.stride, want[i].stride);
        EXPECT_EQ(f.delay, want[i].delay);
        EXPECT_EQ(f.disposal, want[i].disposal);
        EXPECT_EQ(f.transparent, want[i].transparent);
        EXPECT_EQ(f.bits, 2);
        const BITMAPINFOHEADER& h = f.Info()->bmiHeader;
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, f.width);
        EXPECT_EQ(h.biHeight, -f.height);
        EXPECT_EQ(h.biBitCount, 8);
        EXPECT_EQ(h.biXPelsPerMeter, 11811);
        // The blit reads no more entries than the frame has.
        EXPECT_EQ(h.biClrUsed, 4u);
        EXPECT_EQ(f.bitmapInfo.size(), 40u + 4 * 4);
    }
}

TEST(GifDecoder, TransparentEntryGetsAColourNoOtherComesNear) {
    std::vector<std::uint32_t> blues;
    for (int b = 0; b < 256; b += 16)
        blues.push_back(static_cast<std::uint32_t>(b + 3));
    blues.push_back(0x123456);
    struct Case {
        const char* name;
        std::vector<std::uint32_t> palette;
        int transparent;
        RGBQUAD key;
    };
    const Case cases[] = {
        {"black is free", {0xFFFFFF, 0x808080, 0x123456, 0xFF0000}, 2, RGBQUAD{0, 0, 0, 0}},
        {"black is taken", {0xFFFFFF, 0x000005, 0x123456, 0xFF0000}, 2, RGBQUAD{16, 0, 0, 0}},
        {"every step of blue is taken", blues, 16, RGBQUAD{0, 16, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FrameSpec f = Frame(2, 2, 2, 1);
        f.control = true;
        f.transparent = c.transparent;
        GifSpec spec = OneFrame(f, 2);
        spec.globalPalette = c.palette;
        TGifImage image;
        ASSERT_EQ(Decode(BuildGif(spec), image), 1);
        const RGBQUAD key = image.frames[0]->Palette()[c.transparent];
        EXPECT_EQ(key.rgbBlue, c.key.rgbBlue);
        EXPECT_EQ(key.rgbGreen, c.key.rgbGreen);
        EXPECT_EQ(key.rgbRed, c.key.rgbRed);
    }
}

TEST(GifDecoder, LocalTableShowsLikeTheSameGlobalTable) {
    FrameSpec f = Frame(6, 5, 8, 4);
    GifSpec global = OneFrame(f, 8);
    GifSpec local = global;
    local.frames[0].localPalette = global.globalPalette;
    local.globalPalette = Ramp(2, 99);
    TGifImage a, b;
    ASSERT_EQ(Decode(BuildGif(global), a), 1);
    ASSERT_EQ(Decode(BuildGif(local), b), 1);
    EXPECT_EQ(a.frames[0]->pixels, b.frames[0]->pixels);
    EXPECT_EQ(a.frames[0]->bitmapInfo, b.frames[0]->bitmapInfo);
}

TEST(GifDecoder, MissingGlobalTableIsGrey) {
    GifSpec spec = OneFrame(Frame(2, 2, 4, 1), 4);
    spec.globalPalette.clear();
    TGifImage image;
    ASSERT_EQ(Decode(BuildGif(spec), image), 1);
    EXPECT_EQ(image.frames[0]->bits, 1);
    EXPECT_EQ(image.frames[0]->Palette()[1].rgbRed, 1);
    EXPECT_EQ(image.frames[0]->Palette()[1].rgbBlue, 1);
}

TEST(GifDecoder, AnyVersionAfterTheFirstTwoLettersIsAccepted) {
    for (const char* signature : {"GIF87a", "GIF89a", "GIXYZW"}) {
        GifSpec spec = OneFrame(Frame(3, 3, 4, 1), 4);
        spec.signature = signature;
        TGifImage image;
        EXPECT_EQ(Decode(BuildGif(spec), image), 1) << signature;
    }
    GifSpec spec = OneFrame(Frame(3, 3, 4, 1), 4);
    spec.signature = "GXF89a";
    TGifImage image;
    EXPECT_EQ(Decode(BuildGif(spec), image), 0);
    EXPECT_EQ(image.failures, (std::vector<int>{Smile::EGifSignature}));
}

TEST(GifDecoder, FramesAreClippedToTheLogicalScreen) {
    FrameSpec f = Frame(10, 6, 4, 5);
    f.left = 4;
    f.top = 2;
    GifSpec spec = OneFrame(f, 4);
    spec.width = 8;
    spec.height = 5;
    FrameSpec off = Frame(3, 3, 4, 6);
    off.left = 20;
    spec.frames.push_back(off);
    TGifImage image;
    ASSERT_EQ(Decode(BuildGif(spec), image), 2);
    const TGifFrame& clipped = *image.frames[0];
    EXPECT_EQ(clipped.width, 4);
    EXPECT_EQ(clipped.height, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(clipped.pixels[y * clipped.stride + x], f.pixels[y * 10 + x]) << x << "," << y;
    // Wholly off the screen: kept, but nothing to show.
    EXPECT_EQ(image.frames[1]->width, 0);
}

// LZW data written code by code.
Bytes Codes(std::initializer_list<std::pair<unsigned, int>> codes) {
    BitWriter w;
    for (auto [code, size] : codes)
        w.Put(code, size);
    return w.Finish();
}

TEST(GifDecoder, BrokenCodeStreams) {
    std::vector<std::uint8_t> pixels(4, 0xAA);
    Smile::TGifRaster raster;
    raster.pixels = pixels.data();
    raster.stride = 4;
    raster.width = 4;
    raster.height = 1;
    raster.visibleWidth = 4;
    raster.visibleHeight = 1;
    struct Case {
        const char* name;
        Bytes data;
        int minCodeSize;
        bool decodes;
    };
    // Minimum size 2: clear 4, end 5, first free 6, codes of 3 bits.
    const Case cases[] = {
        {"a code past the next free one", Codes({{4, 3}, {1, 3}, {7, 3}}), 2, false},
        {"the next free code with nothing before it", Codes({{4, 3}, {6, 3}}), 2, false},
        {"the next free code after a literal", Codes({{4, 3}, {1, 3}, {6, 3}, {5, 3}}), 2, true},
        {"minimum code size 1", Codes({{2, 2}, {1, 2}}), 1, false},
        {"minimum code size 9", Codes({{512, 10}, {1, 10}}), 9, false},
        {"no data at all", Bytes{}, 2, false},
        {"data that stops after one code", Codes({{4, 3}, {2, 3}}), 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pixels.assign(4, 0);
        const auto bits = Smile::DecodeGifLzw(c.data.data(), c.data.size(), c.minCodeSize, raster);
        EXPECT_EQ(bits != 0, c.decodes);
    }
    // 1, then 6 = "1 1", then end: three pixels, the fourth untouched.
    const Bytes data = Codes({{4, 3}, {1, 3}, {6, 3}, {5, 3}});
    pixels.assign(4, 9);
    EXPECT_EQ(Smile::DecodeGifLzw(data.data(), data.size(), 2, raster), 12u);
    EXPECT_EQ(pixels, (std::vector<std::uint8_t>{1, 1, 1, 9}));
}

TEST(GifDecoder, AFrameThatFailsIsDroppedAndTheOthersKept) {
    GifSpec spec = OneFrame(Frame(4, 4, 4, 1), 4);
    spec.frames.push_back(Frame(4, 4, 4, 2));
    spec.frames.push_back(Frame(4, 4, 4, 3));
    spec.frames[1].minCodeSize = 9; // refused
    TGifImage image;
    Bytes bytes = BuildGif(spec);
    // The encoder wrote size 9; the decoder refuses such a frame.
    ASSERT_EQ(Decode(bytes, image), 2);
    EXPECT_EQ(image.failures, (std::vector<int>{Smile::EGifFrameFailed}));
    EXPECT_EQ(Indices(*image.frames[1]), spec.frames[2].pixels);
}

TEST(GifDecoder, ZeroSizedFramesAndEmptyFilesGiveNoFrame) {
    GifSpec spec = OneFrame(Frame(1, 1, 2, 1), 2);
    spec.frames[0].width = 0;
    spec.frames[0].pixels.clear();
    TGifImage image;
    EXPECT_EQ(Decode(BuildGif(spec), image), 0);
    EXPECT_EQ(image.failures, (std::vector<int>{Smile::EGifFrameFailed, Smile::EGifNoFrame}));
    EXPECT_EQ(Decode(Bytes{'G', 'I', 'F'}, image), 0);
    EXPECT_EQ(Smile::LoadGif(image, "/nonexistent/yol.gif"), 0);
    EXPECT_EQ(image.failures, (std::vector<int>{Smile::EGifUnreadable}));
}

TEST(GifDecoder, TruncatedFilesKeepTheFramesBeforeTheCut) {
    GifSpec spec = OneFrame(Frame(20, 20, 16, 1, 4), 16);
    spec.frames.push_back(Frame(20, 20, 16, 2, 4));
    const Bytes whole = BuildGif(spec);
    TGifImage full;
    ASSERT_EQ(Decode(whole, full), 2);
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        const Bytes part(whole.begin(), whole.begin() + static_cast<long>(cut));
        TGifImage image;
        const int n = Decode(part, image);
        ASSERT_LE(n, 2) << cut;
        for (int i = 0; i + 1 < n; ++i)
            EXPECT_EQ(image.frames[i]->pixels, full.frames[i]->pixels) << cut;
    }
}

} // namespace
