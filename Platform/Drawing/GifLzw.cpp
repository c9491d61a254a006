#include "Drawing/GifLzw.h"

#include <algorithm>

namespace Smile {

namespace {

constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeBits = 12;
constexpr std::uint16_t kNoPrefix = 0xFFFF;

// The four passes of an interlaced image: first row and step.
constexpr int kPassFirst[] = {0, 4, 2, 1};
constexpr int kPassStep[] = {8, 8, 4, 2};

// Walks the image's pixels in file order, storing those on the visible part.
class PixelWriter {
public:
    explicit PixelWriter(const TGifRaster& raster) : r(raster), step(raster.interlaced ? kPassStep[0] : 1) {}

    // Rows below the visible part are not worth decoding unless a later
    // interlace pass comes back up.
    bool Done() const { return row >= r.height || (!r.interlaced && row >= r.visibleHeight); }

    void Put(std::uint8_t index) {
        if (x < r.visibleWidth && row < r.visibleHeight)
            r.pixels[static_cast<std::size_t>(row) * r.stride + x] = index;
        if (++x < r.width)
            return;
        x = 0;
        row += step;
        // A pass whose first row lies beyond the image is skipped.
        while (r.interlaced && row >= r.height && pass < 3) {
            ++pass;
            row = kPassFirst[pass];
            step = kPassStep[pass];
        }
    }

private:
    const TGifRaster& r;
    int x = 0;
    int row = 0;
    int pass = 0;
    int step;
};

// The code of `size` bits at bit position `bit`, least-significant bit
// first; the caller made sure all its bits lie inside the data.
unsigned ReadCode(const std::uint8_t* data, std::size_t length, std::uint64_t bit, int size) {
    const std::size_t at = static_cast<std::size_t>(bit / 8);
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 3 && at + i < length; ++i)
        word |= static_cast<std::uint32_t>(data[at + i]) << (8 * i);
    return (word >> (bit % 8)) & ((1u << size) - 1);
}

} // namespace

std::uint64_t DecodeGifLzw(const std::uint8_t* data, std::size_t length, int minCodeSize, const TGifRaster& raster) {
    if (minCodeSize < 2 || minCodeSize > 8 || raster.width <= 0 || raster.height <= 0)
        return 0;
    const unsigned clear = 1u << minCodeSize;
    const unsigned end = clear + 1;
    std::uint16_t prefix[kMaxCodes];
    std::uint8_t suffix[kMaxCodes];
    std::uint8_t stack[kMaxCodes + 1];
    for (unsigned i = 0; i < clear; ++i) {
        prefix[i] = kNoPrefix;
        suffix[i] = static_cast<std::uint8_t>(i);
    }

    PixelWriter out(raster);
    const std::uint64_t totalBits = static_cast<std::uint64_t>(length) * 8;
    std::uint64_t bit = 0;
    unsigned next = clear + 2;
    int size = minCodeSize + 1;
    int previous = -1;
    std::uint8_t previousFirst = 0;
    while (!out.Done()) {
        // Data that runs out before the last pixel keeps what it gave.
        if (bit + static_cast<std::uint64_t>(size) > totalBits)
            return totalBits;
        const unsigned code = ReadCode(data, length, bit, size);
        bit += static_cast<std::uint64_t>(size);
        if (code == clear) {
            next = clear + 2;
            size = minCodeSize + 1;
            previous = -1;
            continue;
        }
        // An early end leaves the remaining pixels as they are.
        if (code == end)
            return bit;
        if (code > next || (code == next && previous < 0) || (previous < 0 && code > end))
            return 0;

        int depth = 0;
        unsigned walk = code;
        if (code == next) {
            stack[depth++] = previousFirst;
            walk = static_cast<unsigned>(previous);
        }
        while (walk >= clear) {
            stack[depth++] = suffix[walk];
            walk = prefix[walk];
        }
        stack[depth++] = static_cast<std::uint8_t>(walk);
        const std::uint8_t first = static_cast<std::uint8_t>(walk);
        while (depth > 0 && !out.Done())
            out.Put(stack[--depth]);

        // A full table stops growing; encoders that never clear go on with
        // 12-bit codes against the table as it stands.
        if (previous >= 0 && next < kMaxCodes) {
            prefix[next] = static_cast<std::uint16_t>(previous);
            suffix[next] = first;
            ++next;
            if (next == (1u << size) && size < kMaxCodeBits)
                ++size;
        }
        previous = static_cast<int>(code);
        previousFirst = first;
    }
    return bit;
}

} // namespace Smile
