// Smiley GIF files: any bytes. Decoding never reads or writes out of bounds,
// and every frame it keeps is consistent: the pixels fill stride x height,
// the frame lies on the logical screen, the palette matches its header and
// the transparent entry is inside it.

#include "FuzzSupport.h"
#include "Drawing/GifDecode.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Fuzz::ExactCopy copy(data, size);
    std::uint8_t* bytes = copy.Bytes();
    Smile::TGifImage image;
    const int frames = Smile::DecodeGif(image, bytes, size);
    Fuzz::Check(frames == static_cast<int>(image.frames.size()));
    for (const auto& frame : image.frames) {
        Fuzz::Check(frame->width >= 0 && frame->height >= 0);
        Fuzz::Check(frame->left + frame->width <= image.width || frame->width == 0);
        Fuzz::Check(frame->top + frame->height <= image.height || frame->height == 0);
        Fuzz::Check(frame->stride >= frame->width && frame->stride % 4 == 0);
        Fuzz::Check(frame->pixels.size() == static_cast<std::size_t>(frame->stride) * frame->height);
        Fuzz::Check(frame->bits >= 1 && frame->bits <= 8);
        Fuzz::Check(frame->bitmapInfo.size() == sizeof(BITMAPINFOHEADER) + 4u * frame->PaletteSize());
        Fuzz::Check(frame->Info()->bmiHeader.biClrUsed == static_cast<std::uint32_t>(frame->PaletteSize()));
        Fuzz::Check(frame->transparent >= -1 && frame->transparent < frame->PaletteSize());
    }
    return 0;
}
