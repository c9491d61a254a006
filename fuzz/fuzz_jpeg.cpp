// JPEG pictures, as contacts send them for buddy icons: any bytes either fail
// to decode (never ending the program) or give a well-formed opaque surface.

#include "PictureCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cairo_surface_t* surface = Platform::DecodeSurfaceJpeg(data, size);
    if (surface)
        Fuzz::Check(Platform::GetSurfaceAlpha(surface, 0, 0) == 255);
    Fuzz::CheckPicture(surface);
    return 0;
}
