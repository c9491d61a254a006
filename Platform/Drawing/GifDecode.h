#pragma once
// The program's GIF decoder (GIF87a and GIF89a), shared by the smileys and
// the picture loader: a file becomes a list of frames, each an 8-bit
// top-down device-independent bitmap with its own palette, position,
// delay, disposal and transparent index, ready for SetDIBitsToDevice. It
// keeps no state between calls.
//
// Every read is bounded by the bytes at hand: a file that ends inside a
// block ends the file there, a frame whose data runs out keeps the pixels
// decoded so far (the rest stay index 0), and a frame is clipped to the
// logical screen, so a lying descriptor cannot make us allocate or write
// beyond what the screen holds.

#include "Drawing/GdiTypes.h"
#include "YolTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Smile {

struct TGifFrame {
    // Which image descriptor of the file it came from, counting from 0.
    int ordinal = 0;
    // Size of the part of the image descriptor that lies on the logical
    // screen (0 when none does).
    int width = 0;
    int height = 0;
    // Colour-table size exponent, 1..8: the local table's, else the global.
    int bits = 1;
    // stride x height palette indices, rows top-down.
    std::vector<std::uint8_t> pixels;
    int stride = 0;
    // -1 for none; always inside the palette.
    int transparent = -1;
    int left = 0;
    int top = 0;
    // Milliseconds; 0 without a graphic control extension.
    int delay = 0;
    int disposal = 0;
    // BITMAPINFOHEADER followed by the 2^bits palette entries.
    std::vector<std::uint8_t> bitmapInfo;

    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(bitmapInfo.data()); }
    RGBQUAD* Palette() { return reinterpret_cast<RGBQUAD*>(bitmapInfo.data() + sizeof(BITMAPINFOHEADER)); }
    const RGBQUAD* Palette() const {
        return reinterpret_cast<const RGBQUAD*>(bitmapInfo.data() + sizeof(BITMAPINFOHEADER));
    }
    int PaletteSize() const { return 1 << bits; }
};

struct TGifImage {
    // Logical screen.
    int width = 0;
    int height = 0;
    int reserved = 0;
    std::vector<std::unique_ptr<TGifFrame>> frames;
    // The source line of every failure met (the numbers the debug output
    // names), in order; a test reads why a file gave no frame.
    std::vector<int> failures;
    // The ordinals of the image descriptors whose frames failed.
    std::vector<int> failedFrames;
};

// Where failures are told: 106 unreadable file, 112 wrong signature, 319 a
// frame that did not decode, 339 no frame at all.
enum : int { EGifUnreadable = 106, EGifSignature = 112, EGifFrameFailed = 319, EGifNoFrame = 339 };

// The biggest GIF file we read.
constexpr std::int64_t kMaxGifFileBytes = 16 * 1024 * 1024;

// Decodes the file at `path` (file-system form) into `decoded` (emptied
// first); answers the number of frames, 0 on failure.
YOL_API int LoadGif(TGifImage& decoded, const char* path);
// The same over bytes in memory; decoding stops after `maxFrames` frames
// (a still picture needs only the first).
YOL_API int DecodeGif(TGifImage& decoded, const std::uint8_t* data, std::size_t size,
                      std::size_t maxFrames = SIZE_MAX);

} // namespace Smile
