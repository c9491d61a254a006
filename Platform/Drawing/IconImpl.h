#pragma once
// Inside the layer: icon and image-list pictures are cairo ARGB32 surfaces
// with premultiplied alpha, made from a colour bitmap and a mask.

#include "Icon.h"

#include <cairo.h>

namespace Platform {

struct Area {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

enum class MaskUse : std::uint8_t {
    // Alpha of a 32-bit colour bitmap wins when it has any; else the mask.
    AlphaOrMask,
    // The colours are opaque wherever the mask is clear; alpha is ignored.
    MaskOnly,
};

// A new width x height picture from `area` of the colour surface (and of the
// mask, when there is one). Parts of the area past the colour surface stay
// transparent. Null when cairo cannot make the surface.
cairo_surface_t* ComposePicture(cairo_surface_t* colour, cairo_surface_t* mask, Area area, MaskUse use);

// Paints the picture stretched onto (x, y, cx, cy) of the context, blending
// it over what is there.
void PaintPicture(HDC dc, cairo_surface_t* picture, int x, int y, int cx, int cy);

// A new reference to the icon's picture; null for a handle that is not a live
// icon.
cairo_surface_t* IconPicture(HICON icon);

} // namespace Platform
