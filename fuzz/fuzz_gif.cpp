// Smiley GIF files: any bytes. Decoding never reads or writes out of bounds,
// and every frame it keeps is consistent: the pixels fill stride x height,
// the frame lies on the logical screen, the palette matches its header and
// the transparent entry is inside it.

#include "YolWMSmile_GifLoad.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that reading one byte too far trips the sanitizer.
    auto* bytes = static_cast<std::uint8_t*>(std::malloc(size == 0 ? 1 : size));
    if (size > 0)
        std::memcpy(bytes, data, size);
    Smile::TGifImage image;
    const int frames = Smile::DecodeGif(image, bytes, size);
    Check(frames == static_cast<int>(image.frames.size()));
    for (const auto& frame : image.frames) {
        Check(frame->width >= 0 && frame->height >= 0);
        Check(frame->left + frame->width <= image.width || frame->width == 0);
        Check(frame->top + frame->height <= image.height || frame->height == 0);
        Check(frame->stride >= frame->width && frame->stride % 4 == 0);
        Check(frame->pixels.size() == static_cast<std::size_t>(frame->stride) * frame->height);
        Check(frame->bits >= 1 && frame->bits <= 8);
        Check(frame->bitmapInfo.size() == sizeof(BITMAPINFOHEADER) + 4u * frame->PaletteSize());
        Check(frame->Info()->bmiHeader.biClrUsed == static_cast<std::uint32_t>(frame->PaletteSize()));
        Check(frame->transparent >= -1 && frame->transparent < frame->PaletteSize());
    }
    std::free(bytes);
    return 0;
}
