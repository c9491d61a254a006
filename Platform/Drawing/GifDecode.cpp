#include "Drawing/GifDecode.h"

#include "Drawing/GifLzw.h"

#include "CByteReader.h"
#include "CYolFile.h"
#include "CYolPath.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Smile {

namespace {

constexpr std::uint8_t kExtension = 0x21;
constexpr std::uint8_t kImage = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kGraphicControl = 0xF9;
// Bitmap resolution of 300 dpi, as the frames' headers carry it.
constexpr std::int32_t kPelsPerMeter = 11811;
// A frame's stored part and all frames of a file together, in pixels: far
// beyond any smiley, and small enough that a lying file cannot exhaust memory.
constexpr std::int64_t kMaxFramePixels = 2048LL * 2048;
constexpr std::int64_t kMaxImagePixels = 8 * kMaxFramePixels;
// A descriptor bigger than this fails its frame whatever part is stored.
constexpr std::int64_t kMaxDescriptorPixels = 1LL << 26;

struct TGraphicControl {
    bool present = false;
    std::uint8_t packed = 0;
    std::uint16_t delay = 0;
    std::uint8_t transparent = 0;
};

void Report(TGifImage& decoded, int line) {
    decoded.failures.push_back(line);
    // The handheld's debug print: only asked for when chasing a bad pack.
    if (std::getenv("YOL_DEBUG_GIF") != nullptr)
        std::fprintf(stderr, "ERROR: %s line %d: \n", "GifDecode", line);
}

// 3-byte red, green, blue entries stored blue, green, red, 0; false when
// the table runs past the data.
bool ReadPalette(CByteReader& in, int bits, RGBQUAD* out) {
    for (int i = 0; i < (1 << bits); ++i) {
        std::uint8_t rgb[3];
        if (!in.ReadBytes(rgb, 3))
            return false;
        out[i] = RGBQUAD{rgb[2], rgb[1], rgb[0], 0};
    }
    return true;
}

// Data sub-blocks until a 0 length; a block that runs past the end takes
// what is there and the stream ends.
void SkipSubBlocks(CByteReader& in, std::vector<std::uint8_t>* gather) {
    std::uint8_t n = 0;
    while (in.Read8(n) && n != 0) {
        const int take = std::min<int>(n, in.Remaining());
        const unsigned char* bytes = nullptr;
        in.ReadView(bytes, take);
        if (gather)
            gather->insert(gather->end(), bytes, bytes + take);
        if (take < n)
            in.Skip(1); // marks the reader failed: the file ends here
    }
}

TGraphicControl ReadGraphicControl(CByteReader& in) {
    TGraphicControl gce;
    std::vector<std::uint8_t> body;
    SkipSubBlocks(in, &body);
    if (body.size() >= 4) {
        gce.present = true;
        gce.packed = body[0];
        gce.delay = static_cast<std::uint16_t>(body[1] | (body[2] << 8));
        gce.transparent = body[3];
    }
    return gce;
}

bool Near(const RGBQUAD& c, int r, int g, int b) {
    return c.rgbRed >= r && c.rgbRed < r + 16 && c.rgbGreen >= g && c.rgbGreen < g + 16 && c.rgbBlue >= b &&
           c.rgbBlue < b + 16;
}

// Gives the transparent entry a colour no other entry comes near, so that it
// can serve as a colour key: the darkest free step of blue first, then the
// other cells of the colour cube in steps of 16. With at most 255 other
// entries among 4096 cells one is always free.
void KeyTransparent(TGifFrame& frame) {
    RGBQUAD* palette = frame.Palette();
    for (int r = 0; r < 256; r += 16)
        for (int g = 0; g < 256; g += 16)
            for (int b = 0; b < 256; b += 16) {
                bool taken = false;
                for (int i = 0; i < frame.PaletteSize() && !taken; ++i)
                    taken = i != frame.transparent && Near(palette[i], r, g, b);
                if (!taken) {
                    palette[frame.transparent] = RGBQUAD{static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                                                         static_cast<std::uint8_t>(r), 0};
                    return;
                }
            }
}

void FillBitmapInfo(TGifFrame& frame) {
    frame.bitmapInfo.assign(sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * frame.PaletteSize(), 0);
    BITMAPINFOHEADER header;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = frame.width;
    header.biHeight = -frame.height;
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biCompression = BI_RGB;
    header.biXPelsPerMeter = kPelsPerMeter;
    header.biYPelsPerMeter = kPelsPerMeter;
    // The blit reads exactly the entries the frame has.
    header.biClrUsed = static_cast<std::uint32_t>(frame.PaletteSize());
    std::memcpy(frame.bitmapInfo.data(), &header, sizeof(header));
}

class GifParser {
public:
    GifParser(TGifImage& out, const std::uint8_t* data, std::size_t size, std::size_t maxFrames)
        : decoded(out), in(data, static_cast<int>(size)), maxFrames(maxFrames) {}

    int Run();

private:
    bool ReadHeader();
    void ReadImage();
    std::unique_ptr<TGifFrame> StartFrame(const std::uint8_t* descriptor);

    TGifImage& decoded;
    CByteReader in;
    std::size_t maxFrames;
    int globalBits = 1;
    RGBQUAD global[256];
    TGraphicControl pending;
    std::int64_t pixelsKept = 0;
    int ordinal = 0;
};

bool GifParser::ReadHeader() {
    std::uint8_t signature[6];
    if (!in.ReadBytes(signature, 6) || signature[0] != 'G' || signature[1] != 'I') {
        Report(decoded, EGifSignature);
        return false;
    }
    std::uint8_t screen[7];
    if (!in.ReadBytes(screen, 7))
        return false;
    decoded.width = screen[0] | (screen[1] << 8);
    decoded.height = screen[2] | (screen[3] << 8);
    globalBits = (screen[4] & 7) + 1;
    for (int i = 0; i < 256; ++i)
        global[i] = RGBQUAD{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), 0};
    return (screen[4] & 0x80) == 0 || ReadPalette(in, globalBits, global);
}

std::unique_ptr<TGifFrame> GifParser::StartFrame(const std::uint8_t* d) {
    auto frame = std::make_unique<TGifFrame>();
    frame->left = d[0] | (d[1] << 8);
    frame->top = d[2] | (d[3] << 8);
    const bool local = (d[8] & 0x80) != 0;
    frame->bits = local ? (d[8] & 7) + 1 : globalBits;
    // Clipped to the logical screen.
    const int fullWidth = d[4] | (d[5] << 8);
    const int fullHeight = d[6] | (d[7] << 8);
    frame->width = std::clamp(std::min(fullWidth, decoded.width - frame->left), 0, fullWidth);
    frame->height = std::clamp(std::min(fullHeight, decoded.height - frame->top), 0, fullHeight);
    frame->stride = (frame->width + 3) & ~3;
    FillBitmapInfo(*frame);
    if (local) {
        if (!ReadPalette(in, frame->bits, frame->Palette()))
            return nullptr;
    } else {
        std::copy(global, global + frame->PaletteSize(), frame->Palette());
    }
    if (pending.present) {
        const int index = pending.transparent;
        frame->transparent = (pending.packed & 1) != 0 && index < frame->PaletteSize() ? index : -1;
        frame->disposal = (pending.packed >> 2) & 7;
        frame->delay = pending.delay * 10;
    }
    pending = TGraphicControl{};
    if (frame->transparent >= 0)
        KeyTransparent(*frame);
    return frame;
}

void GifParser::ReadImage() {
    std::uint8_t d[9];
    if (!in.ReadBytes(d, 9))
        return;
    const int index = ordinal++;
    auto fail = [&] {
        Report(decoded, EGifFrameFailed);
        decoded.failedFrames.push_back(index);
    };
    const std::int64_t fullPixels = static_cast<std::int64_t>(d[4] | (d[5] << 8)) * (d[6] | (d[7] << 8));
    std::unique_ptr<TGifFrame> frame = StartFrame(d);
    std::uint8_t minCodeSize = 0;
    if (!frame || !in.Read8(minCodeSize)) {
        fail();
        return;
    }
    frame->ordinal = index;
    std::vector<std::uint8_t> data;
    SkipSubBlocks(in, &data);
    const std::int64_t kept = static_cast<std::int64_t>(frame->stride) * frame->height;
    if (fullPixels > kMaxDescriptorPixels || kept > kMaxFramePixels || pixelsKept + kept > kMaxImagePixels) {
        fail();
        return;
    }
    frame->pixels.assign(static_cast<std::size_t>(kept), 0);
    // A frame wholly off the screen shows nothing but keeps its place in
    // the animation.
    if (kept == 0 && fullPixels > 0) {
        decoded.frames.push_back(std::move(frame));
        return;
    }
    TGifRaster raster;
    raster.pixels = frame->pixels.data();
    raster.stride = frame->stride;
    raster.width = d[4] | (d[5] << 8);
    raster.height = d[6] | (d[7] << 8);
    raster.visibleWidth = frame->width;
    raster.visibleHeight = frame->height;
    raster.interlaced = (d[8] & 0x40) != 0;
    if (DecodeGifLzw(data.data(), data.size(), minCodeSize, raster) == 0) {
        fail();
        return;
    }
    pixelsKept += kept;
    decoded.frames.push_back(std::move(frame));
}

int GifParser::Run() {
    if (!ReadHeader())
        return 0;
    std::uint8_t block = 0;
    while (decoded.frames.size() < maxFrames && in.Read8(block) && block != kTrailer) {
        if (block == kExtension) {
            std::uint8_t label = 0;
            if (!in.Read8(label))
                break;
            if (label == kGraphicControl)
                pending = ReadGraphicControl(in);
            else
                SkipSubBlocks(in, nullptr);
        } else if (block == kImage) {
            ReadImage();
        }
        // Any other byte is skipped.
    }
    return static_cast<int>(decoded.frames.size());
}

} // namespace

int DecodeGif(TGifImage& decoded, const std::uint8_t* data, std::size_t size, std::size_t maxFrames) {
    decoded = TGifImage{};
    if (size > static_cast<std::size_t>(kMaxGifFileBytes))
        size = static_cast<std::size_t>(kMaxGifFileBytes);
    GifParser parser(decoded, data, size, maxFrames);
    const int frames = parser.Run();
    if (frames == 0 && (decoded.failures.empty() || decoded.failures.back() != EGifSignature))
        Report(decoded, EGifNoFrame);
    return frames;
}

int LoadGif(TGifImage& decoded, const char* path) {
    std::vector<unsigned char> bytes;
    if (path == nullptr || !CYolFile::ReadAllBytes(CYolPath::FromNative(path), bytes, kMaxGifFileBytes)) {
        decoded = TGifImage{};
        Report(decoded, EGifUnreadable);
        return 0;
    }
    return DecodeGif(decoded, bytes.data(), bytes.size());
}

} // namespace Smile
