#pragma once
// What every decoded picture must be, whatever bytes it came from: null, or
// an ARGB32 surface of 1 to 4096 pixels a side whose colours are
// premultiplied (no channel above its alpha).

#include "FuzzSupport.h"
#include "Drawing/GdiSurface.h"

#include <cairo.h>

#include <cstdint>

namespace Fuzz {

inline void CheckPicture(cairo_surface_t* surface) {
    if (!surface)
        return;
    Check(cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS);
    Check(cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    Check(width >= 1 && height >= 1 && width <= Platform::kMaxPictureSide && height <= Platform::kMaxPictureSide);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = row[x];
            const std::uint32_t alpha = p >> 24;
            Check(((p >> 16) & 0xFF) <= alpha && ((p >> 8) & 0xFF) <= alpha && (p & 0xFF) <= alpha);
        }
    }
    cairo_surface_destroy(surface);
}

}  // namespace Fuzz
