#pragma once
// The variable-length LZW code of GIF image data, decoded into rows of
// palette indices. Bounded by the data length: a code is read only when all
// its bits lie inside the data.

#include "YolTypes.h"

#include <cstddef>
#include <cstdint>

namespace Smile {

// Where the decoded indices go. The image is width x height; only the
// visibleWidth x visibleHeight top-left part is stored, at row * stride.
struct TGifRaster {
    std::uint8_t* pixels = nullptr;
    int stride = 0;
    int width = 0;
    int height = 0;
    int visibleWidth = 0;
    int visibleHeight = 0;
    bool interlaced = false;
};

// Answers the number of bits consumed (up to and including the end code, or
// the code that completed the last pixel that can be seen, or all the data
// when it ran out first), 0 when the code stream is broken: a code beyond the next free
// code, a first code that is no literal, a minimum code size outside 2..8,
// or an empty image. Pixels never reached keep their value.
YOL_API std::uint64_t DecodeGifLzw(const std::uint8_t* data, std::size_t length, int minCodeSize, const TGifRaster& raster);

} // namespace Smile
