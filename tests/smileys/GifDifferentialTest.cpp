// The GIF decoder against giflib on one corpus: the default pack, files
// giflib writes, files the tests' own encoder writes with odd code sizes,
// deferred clears and early ends, and cut and damaged copies of all of them.
// Every frame giflib decodes whole, we decode to the same indices, palette
// (but for the transparent entry, which becomes a colour key), position,
// delay, disposal and transparent index; where giflib gives up on a frame we
// may decode more, never less.

#include "GifTestSupport.h"

#include "CYolFile.h"
#include "CYolFileSystem.h"
#include "CYolPath.h"

#include <gtest/gtest.h>

using namespace gif_test;

namespace {

struct Named {
    std::string name;
    Bytes bytes;
};

int WriteMemory(GifFileType* gif, const GifByteType* data, int n) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

ColorMapObject* Map(int n, unsigned salt) {
    std::vector<GifColorType> colours;
    for (std::uint32_t c : Ramp(n, salt))
        colours.push_back(GifColorType{static_cast<GifByteType>(c >> 16), static_cast<GifByteType>(c >> 8),
                                       static_cast<GifByteType>(c)});
    return GifMakeMapObject(n, colours.data());
}

// An animation written by giflib: frames of every disposal, some with a
// local table, some interlaced, some transparent.
Bytes GiflibAnimation(int w, int h, int colours, bool interlace, unsigned seed) {
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteMemory, &error);
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = Map(colours, seed);
    EGifPutScreenDesc(gif, w, h, 8, 0, global);
    for (int f = 0; f < 4; ++f) {
        GraphicsControlBlock gcb{f % 4, false, 5 + f, f % 2 == 0 ? f : NO_TRANSPARENT_COLOR};
        GifByteType ext[4];
        EGifGCBToExtension(&gcb, ext);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
        const int fw = f == 0 ? w : w / 2 + f, fh = f == 0 ? h : h / 2 + f;
        const int left = f == 0 ? 0 : f, top = f == 0 ? 0 : 1;
        // The last frame's: giflib forgets a local table that a later frame
        // without one replaces.
        ColorMapObject* local = f == 3 ? Map(colours / 2 > 1 ? colours / 2 : 2, seed + 5) : nullptr;
        EGifPutImageDesc(gif, left, top, fw, fh, interlace && f != 1, local);
        const auto pixels = Noise(fw, fh, local ? local->ColorCount : colours, seed + static_cast<unsigned>(f));
        // giflib takes the rows in the order they are stored.
        FrameSpec order;
        order.width = fw;
        order.height = fh;
        order.pixels = pixels;
        order.interlaced = interlace && f != 1;
        auto stored = FileOrder(order);
        for (int y = 0; y < fh; ++y)
            EGifPutLine(gif, stored.data() + y * fw, fw);
        if (local)
            GifFreeMapObject(local);
    }
    GifFreeMapObject(global);
    EGifCloseFile(gif, &error);
    return out;
}

std::vector<Named> Bases() {
    std::vector<Named> out;
    const CYolString pack = CYolString::FromUtf8(YOL_PROGRAM_FOLDER "/Smilies/Yol PDA smilies/");
    CYolArray<CYolString> names;
    CYolFileSystem::GetDirectoryFiles(pack, CYolFileSystem::ListFiles, names);
    for (const CYolString& name : names) {
        Bytes bytes;
        if (name.ToUtf8().ends_with(".gif") && CYolFile::ReadAllBytes(pack + name, bytes))
            out.push_back({"pack " + name.ToUtf8(), bytes});
    }
    EXPECT_GE(out.size(), 18u) << "the default pack is missing";
    out.push_back({"giflib 2 colours", GiflibAnimation(13, 11, 2, false, 1)});
    out.push_back({"giflib 16 colours interlaced", GiflibAnimation(31, 29, 16, true, 2)});
    out.push_back({"giflib 256 colours", GiflibAnimation(64, 48, 256, false, 3)});
    out.push_back({"giflib 256 colours interlaced", GiflibAnimation(40, 17, 256, true, 4)});
    struct Odd {
        const char* name;
        int minCodeSize, colours, w, h;
        bool interlaced, deferClear, noEnd;
        int endAfter;
    };
    const Odd odd[] = {
        {"code size 8 for 2 colours", 8, 2, 20, 20, false, false, false, -1},
        {"code size 5", 5, 32, 33, 9, true, false, false, -1},
        {"code size 7", 7, 100, 50, 50, false, false, false, -1},
        {"deferred clear", 8, 256, 150, 150, false, true, false, -1},
        {"early end", 4, 16, 12, 12, false, false, false, 50},
        {"no end code", 3, 8, 12, 7, true, false, true, -1},
        {"interlaced height 2", 2, 4, 9, 2, true, false, false, -1},
        {"code size 6 interlaced", 6, 64, 70, 21, true, false, false, -1},
    };
    for (const Odd& o : odd) {
        FrameSpec f;
        f.width = o.w;
        f.height = o.h;
        f.pixels = Noise(o.w, o.h, o.colours, static_cast<unsigned>(o.w * o.h));
        f.minCodeSize = o.minCodeSize;
        f.interlaced = o.interlaced;
        f.deferClear = o.deferClear;
        f.noEnd = o.noEnd;
        f.endAfter = o.endAfter;
        f.control = true;
        f.transparent = 1;
        GifSpec spec;
        spec.width = o.w;
        spec.height = o.h;
        spec.globalPalette = Ramp(o.colours);
        spec.frames = {f, f};
        spec.frames[1].localPalette = Ramp(o.colours, 7);
        out.push_back({o.name, BuildGif(spec)});
    }
    return out;
}

// Each base, then copies cut short and copies with damaged bytes.
std::vector<Named> Corpus() {
    std::vector<Named> out;
    for (const Named& base : Bases()) {
        out.push_back(base);
        const std::size_t n = base.bytes.size();
        for (std::size_t cut : {n / 3, n / 2, n * 2 / 3, n - 2})
            out.push_back({base.name + " cut at " + std::to_string(cut),
                           Bytes(base.bytes.begin(), base.bytes.begin() + static_cast<long>(cut))});
        for (unsigned k = 1; k <= 3; ++k) {
            Bytes damaged = base.bytes;
            const std::size_t at = n / 2 + (k * 7919u) % (n / 2);
            damaged[at] = static_cast<std::uint8_t>(damaged[at] ^ (0x5A + k));
            out.push_back({base.name + " damaged at " + std::to_string(at), damaged});
        }
    }
    return out;
}

bool Near(const RGBQUAD& c, const RGBQUAD& key) {
    return c.rgbRed >= key.rgbRed && c.rgbRed < key.rgbRed + 16 && c.rgbGreen >= key.rgbGreen &&
           c.rgbGreen < key.rgbGreen + 16 && c.rgbBlue >= key.rgbBlue && c.rgbBlue < key.rgbBlue + 16;
}

void CompareFrame(const Smile::TGifFrame& f, const Smile::TGifImage& ours, int index, const GifFileType* gif) {
    const SavedImage& s = gif->SavedImages[index];
    const GifImageDesc& d = s.ImageDesc;
    ASSERT_EQ(f.left, d.Left);
    ASSERT_EQ(f.top, d.Top);
    ASSERT_EQ(f.width, std::clamp(std::min(d.Width, ours.width - d.Left), 0, d.Width));
    ASSERT_EQ(f.height, std::clamp(std::min(d.Height, ours.height - d.Top), 0, d.Height));
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            ASSERT_EQ(f.pixels[y * f.stride + x], s.RasterBits[y * d.Width + x]) << x << "," << y;

    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    GraphicsControlBlock gcb{0, false, 0, NO_TRANSPARENT_COLOR};
    DGifSavedExtensionToGCB(const_cast<GifFileType*>(gif), index, &gcb);
    const int entries = 1 << f.bits;
    const int transparent = gcb.TransparentColor >= 0 && gcb.TransparentColor < entries ? gcb.TransparentColor : -1;
    ASSERT_EQ(f.transparent, transparent);
    ASSERT_EQ(f.delay, gcb.DelayTime * 10);
    ASSERT_EQ(f.disposal, gcb.DisposalMode);
    if (map) {
        ASSERT_EQ(entries, map->ColorCount);
    }
    for (int i = 0; i < entries; ++i) {
        if (i == transparent)
            continue;
        const RGBQUAD& c = f.Palette()[i];
        const GifColorType want = map ? map->Colors[i] : GifColorType{static_cast<GifByteType>(i),
                                                                     static_cast<GifByteType>(i),
                                                                     static_cast<GifByteType>(i)};
        ASSERT_EQ(c.rgbRed, want.Red) << i;
        ASSERT_EQ(c.rgbGreen, want.Green) << i;
        ASSERT_EQ(c.rgbBlue, want.Blue) << i;
        if (transparent >= 0) {
            ASSERT_FALSE(Near(c, f.Palette()[transparent])) << "the key colour is not unique, entry " << i;
        }
    }
}

TEST(GifDifferential, EveryFrameGiflibDecodesWeDecodeTheSame) {
    const std::vector<Named> corpus = Corpus();
    // Thirty whole files and seven broken copies of each.
    ASSERT_GE(corpus.size(), 30u * 8);
    int wholeFiles = 0;
    int refused = 0;
    for (const Named& file : corpus) {
        SCOPED_TRACE(file.name);
        Reference ref;
        ReadWithGiflib(file.bytes, ref);
        Smile::TGifImage ours;
        const int frames = Smile::DecodeGif(ours, file.bytes.data(), file.bytes.size());
        if (!ref.gif)
            continue;
        wholeFiles += ref.ok ? 1 : 0;
        ASSERT_EQ(ours.width, ref.gif->SWidth);
        ASSERT_EQ(ours.height, ref.gif->SHeight);
        // Every frame giflib decoded whole is ours too, unless its code
        // stream is broken where giflib makes pixels up.
        std::size_t at = 0;
        for (int i = 0; i < ref.goodFrames; ++i) {
            SCOPED_TRACE("frame " + std::to_string(i));
            while (at < ours.frames.size() && ours.frames[at]->ordinal < i)
                ++at;
            if (at < ours.frames.size() && ours.frames[at]->ordinal == i) {
                CompareFrame(*ours.frames[at], ours, i, ref.gif);
                continue;
            }
            ASSERT_TRUE(CodeStreamDefective(file.bytes, i)) << "we failed a sound frame";
            ++refused;
        }
        if (ref.ok) {
            ASSERT_EQ(frames + static_cast<int>(ours.failedFrames.size()), ref.gif->ImageCount);
        }
    }
    // The bases and most of their damaged copies read through in giflib.
    EXPECT_GE(wholeFiles, 30);
    std::printf("%d frames giflib decoded out of broken code streams were refused\n", refused);
}

} // namespace
