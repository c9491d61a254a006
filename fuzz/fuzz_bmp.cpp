// BMP pictures, as contacts send them for buddy icons: any bytes either fail
// to decode or give a well-formed premultiplied surface.

#include "PictureCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::CheckPicture(Platform::DecodeSurfaceBmp(data, size));
    return 0;
}
