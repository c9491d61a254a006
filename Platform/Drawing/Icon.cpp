// Icons and the pictures that icons and image lists draw.

#include "Icon.h"

#include "GdiInternal.h"
#include "IconImpl.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_set>

namespace Platform {

// An icon's surfaces never change once it is made, so copies of the icon
// share them.
struct Icon {
    cairo_surface_t* picture = nullptr;  // what DI_NORMAL draws
    cairo_surface_t* colour = nullptr;   // copies of the bitmaps it was made from
    cairo_surface_t* mask = nullptr;
    bool isIcon = true;
    std::uint32_t hotX = 0;
    std::uint32_t hotY = 0;

    Icon() = default;
    Icon(const Icon&) = delete;
    Icon& operator=(const Icon&) = delete;
    ~Icon() {
        for (cairo_surface_t* s : {picture, colour, mask}) {
            if (s)
                cairo_surface_destroy(s);
        }
    }
};

namespace {

struct IconRegistry {
    std::mutex m;
    std::unordered_set<Icon*> live;
};

IconRegistry& Icons() {
    static IconRegistry* registry = new IconRegistry;
    return *registry;
}

HICON Register(Icon* icon) {
    IconRegistry& r = Icons();
    std::lock_guard<std::mutex> lock(r.m);
    r.live.insert(icon);
    return icon;
}

// References to the surfaces of a live icon, taken under the registry lock so
// that a DestroyIcon on another thread cannot free them while they are drawn.
struct Parts {
    cairo_surface_t* picture = nullptr;
    cairo_surface_t* colour = nullptr;
    cairo_surface_t* mask = nullptr;
    bool isIcon = true;
    std::uint32_t hotX = 0;
    std::uint32_t hotY = 0;

    Parts() = default;
    Parts(const Parts&) = delete;
    Parts& operator=(const Parts&) = delete;
    ~Parts() {
        for (cairo_surface_t* s : {picture, colour, mask}) {
            if (s)
                cairo_surface_destroy(s);
        }
    }
};

bool TakeParts(HICON icon, Parts* parts) {
    IconRegistry& r = Icons();
    std::lock_guard<std::mutex> lock(r.m);
    if (!icon || !r.live.count(icon))
        return false;
    parts->picture = cairo_surface_reference(icon->picture);
    parts->colour = cairo_surface_reference(icon->colour);
    parts->mask = cairo_surface_reference(icon->mask);
    parts->isIcon = icon->isIcon;
    parts->hotX = icon->hotX;
    parts->hotY = icon->hotY;
    return true;
}

bool Usable(cairo_surface_t* s) {
    if (!s || cairo_surface_get_type(s) != CAIRO_SURFACE_TYPE_IMAGE || cairo_surface_status(s) != CAIRO_STATUS_SUCCESS)
        return false;
    const cairo_format_t format = cairo_image_surface_get_format(s);
    return format == CAIRO_FORMAT_ARGB32 || format == CAIRO_FORMAT_RGB24;
}

const std::uint32_t* Row(cairo_surface_t* s, int y) {
    return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                  static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(s));
}

std::uint32_t* MutableRow(cairo_surface_t* s, int y) {
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s) +
                                            static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(s));
}

// A pixel-for-pixel copy in the same format (pixels written straight into a
// DIB section included).
cairo_surface_t* CopySurface(cairo_surface_t* source) {
    cairo_surface_flush(source);
    const int width = cairo_image_surface_get_width(source);
    const int height = cairo_image_surface_get_height(source);
    cairo_surface_t* copy = cairo_image_surface_create(cairo_image_surface_get_format(source), width, height);
    if (cairo_surface_status(copy) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(copy);
        return nullptr;
    }
    cairo_surface_flush(copy);
    for (int y = 0; y < height; ++y)
        std::memcpy(MutableRow(copy, y), Row(source, y), static_cast<std::size_t>(width) * 4);
    cairo_surface_mark_dirty(copy);
    return copy;
}

// A mask pixel is set (transparent) when it is light, as a one-bit
// conversion of the colour would make it.
bool MaskSet(std::uint32_t pixel) {
    const std::uint32_t r = (pixel >> 16) & 0xFF;
    const std::uint32_t g = (pixel >> 8) & 0xFF;
    const std::uint32_t b = pixel & 0xFF;
    return r * 299 + g * 587 + b * 114 >= 128 * 1000;
}

// The colour of a pixel without its alpha.
std::uint32_t Straight(std::uint32_t pixel, bool hasAlphaChannel) {
    const std::uint32_t a = pixel >> 24;
    if (!hasAlphaChannel || a == 0 || a == 255)
        return pixel & 0xFFFFFF;
    const auto channel = [&](int shift) { return std::min<std::uint32_t>(255, (((pixel >> shift) & 0xFF) * 255 + a / 2) / a); };
    return (channel(16) << 16) | (channel(8) << 8) | channel(0);
}

bool CarriesAlpha(cairo_surface_t* s, int x0, int y0, int x1, int y1) {
    if (cairo_image_surface_get_format(s) != CAIRO_FORMAT_ARGB32)
        return false;
    for (int y = y0; y < y1; ++y) {
        const std::uint32_t* row = Row(s, y);
        for (int x = x0; x < x1; ++x) {
            if (row[x] >> 24)
                return true;
        }
    }
    return false;
}

// The icon's shape in black: opaque where the picture is.
cairo_surface_t* Shape(cairo_surface_t* picture) {
    cairo_surface_t* shape = CopySurface(picture);
    if (!shape)
        return nullptr;
    cairo_surface_flush(shape);
    for (int y = 0; y < cairo_image_surface_get_height(shape); ++y) {
        std::uint32_t* row = MutableRow(shape, y);
        for (int x = 0; x < cairo_image_surface_get_width(shape); ++x)
            row[x] &= 0xFF000000u;
    }
    cairo_surface_mark_dirty(shape);
    return shape;
}

HBITMAP BitmapCopy(cairo_surface_t* surface) {
    cairo_surface_t* copy = CopySurface(surface);
    if (!copy)
        return nullptr;
    HBITMAP bitmap = CreateBitmapFromSurface(copy);
    cairo_surface_destroy(copy);
    return bitmap;
}

} // namespace

cairo_surface_t* ComposePicture(cairo_surface_t* colour, cairo_surface_t* mask, Area area, MaskUse use) {
    if (!Usable(colour) || (mask && !Usable(mask)) || area.width <= 0 || area.height <= 0)
        return nullptr;
    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, area.width, area.height);
    if (cairo_surface_status(out) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(out);
        return nullptr;
    }
    cairo_surface_flush(colour);
    if (mask)
        cairo_surface_flush(mask);
    cairo_surface_flush(out);
    const int x0 = std::max(area.x, 0);
    const int y0 = std::max(area.y, 0);
    const int x1 = std::min(area.x + area.width, cairo_image_surface_get_width(colour));
    const int y1 = std::min(area.y + area.height, cairo_image_surface_get_height(colour));
    const bool alphaChannel = cairo_image_surface_get_format(colour) == CAIRO_FORMAT_ARGB32;
    const bool useAlpha = use == MaskUse::AlphaOrMask && CarriesAlpha(colour, x0, y0, x1, y1);
    const int maskWidth = mask ? cairo_image_surface_get_width(mask) : 0;
    const int maskHeight = mask ? cairo_image_surface_get_height(mask) : 0;
    for (int y = y0; y < y1; ++y) {
        const std::uint32_t* in = Row(colour, y);
        const std::uint32_t* maskRow = mask && y < maskHeight ? Row(mask, y) : nullptr;
        std::uint32_t* to = MutableRow(out, y - area.y);
        for (int x = x0; x < x1; ++x) {
            std::uint32_t& pixel = to[x - area.x];
            if (useAlpha) {
                pixel = in[x];
            } else {
                const bool transparent = maskRow && x < maskWidth && MaskSet(maskRow[x]);
                pixel = transparent ? 0 : 0xFF000000u | Straight(in[x], alphaChannel);
            }
        }
    }
    cairo_surface_mark_dirty(out);
    return out;
}

void PaintPicture(HDC dc, cairo_surface_t* picture, int x, int y, int cx, int cy) {
    if (!dc || !dc->cr || !picture || cx <= 0 || cy <= 0)
        return;
    const int width = cairo_image_surface_get_width(picture);
    const int height = cairo_image_surface_get_height(picture);
    const double scaleX = static_cast<double>(width) / cx;
    const double scaleY = static_cast<double>(height) / cy;
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(picture);
    // Pixel pictures keep hard edges when they grow; shrinking averages, so
    // that thin lines do not vanish.
    cairo_pattern_set_filter(pattern, scaleX <= 1 && scaleY <= 1 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, scaleX, 0, 0, scaleY, -x * scaleX, -y * scaleY);
    cairo_pattern_set_matrix(pattern, &matrix);
    cairo_save(dc->cr);
    cairo_set_operator(dc->cr, CAIRO_OPERATOR_OVER);
    cairo_new_path(dc->cr);
    cairo_rectangle(dc->cr, x, y, cx, cy);
    cairo_clip(dc->cr);
    cairo_set_source(dc->cr, pattern);
    cairo_paint(dc->cr);
    cairo_restore(dc->cr);
    cairo_pattern_destroy(pattern);
}

cairo_surface_t* IconPicture(HICON icon) {
    Parts parts;
    if (!TakeParts(icon, &parts))
        return nullptr;
    return cairo_surface_reference(parts.picture);
}

bool GetIconSize(HICON icon, SIZE* size) {
    Parts parts;
    if (!size || !TakeParts(icon, &parts))
        return false;
    size->cx = cairo_image_surface_get_width(parts.picture);
    size->cy = cairo_image_surface_get_height(parts.picture);
    return true;
}

} // namespace Platform

using namespace Platform;

HICON CreateIconIndirect(const ICONINFO* info) {
    if (!info)
        return nullptr;
    cairo_surface_t* colour = GetBitmapSurface(info->hbmColor);
    cairo_surface_t* mask = GetBitmapSurface(info->hbmMask);
    if (!Usable(colour) || !Usable(mask))
        return nullptr;
    const int width = cairo_image_surface_get_width(colour);
    const int height = cairo_image_surface_get_height(colour);
    if (cairo_image_surface_get_width(mask) < width || cairo_image_surface_get_height(mask) < height)
        return nullptr;
    auto* icon = new Icon;
    icon->colour = CopySurface(colour);
    icon->mask = CopySurface(mask);
    icon->picture = ComposePicture(colour, mask, {0, 0, width, height}, MaskUse::AlphaOrMask);
    if (!icon->colour || !icon->mask || !icon->picture) {
        delete icon;
        return nullptr;
    }
    icon->isIcon = info->fIcon;
    // An icon's hot spot is its centre.
    icon->hotX = info->fIcon ? static_cast<std::uint32_t>(width / 2) : info->xHotspot;
    icon->hotY = info->fIcon ? static_cast<std::uint32_t>(height / 2) : info->yHotspot;
    return Register(icon);
}

bool DestroyIcon(HICON icon) {
    {
        IconRegistry& r = Icons();
        std::lock_guard<std::mutex> lock(r.m);
        if (!icon || !r.live.erase(icon))
            return false;
    }
    delete icon;
    return true;
}

HICON CopyIcon(HICON icon) {
    Parts parts;
    if (!TakeParts(icon, &parts))
        return nullptr;
    auto* copy = new Icon;
    std::swap(copy->picture, parts.picture);
    std::swap(copy->colour, parts.colour);
    std::swap(copy->mask, parts.mask);
    copy->isIcon = parts.isIcon;
    copy->hotX = parts.hotX;
    copy->hotY = parts.hotY;
    return Register(copy);
}

bool GetIconInfo(HICON icon, ICONINFO* info) {
    Parts parts;
    if (!info || !TakeParts(icon, &parts))
        return false;
    HBITMAP colour = BitmapCopy(parts.colour);
    HBITMAP mask = BitmapCopy(parts.mask);
    if (!colour || !mask) {
        DeleteObject(colour);
        DeleteObject(mask);
        return false;
    }
    info->fIcon = parts.isIcon;
    info->xHotspot = parts.hotX;
    info->yHotspot = parts.hotY;
    info->hbmColor = colour;
    info->hbmMask = mask;
    return true;
}

bool DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT, HBRUSH background, UINT flags) {
    Parts parts;
    if (!dc || cx < 0 || cy < 0 || !(flags & DI_NORMAL) || !TakeParts(icon, &parts))
        return false;
    cx = cx ? cx : cairo_image_surface_get_width(parts.picture);
    cy = cy ? cy : cairo_image_surface_get_height(parts.picture);
    if (background) {
        const RECT r{x, y, x + cx, y + cy};
        if (!FillRect(dc, &r, background))
            return false;
    }
    cairo_surface_t* drawn = nullptr;
    switch (flags & DI_NORMAL) {
    case DI_NORMAL:
        drawn = cairo_surface_reference(parts.picture);
        break;
    case DI_IMAGE:
        drawn = ComposePicture(parts.colour, nullptr,
                               {0, 0, cairo_image_surface_get_width(parts.colour),
                                cairo_image_surface_get_height(parts.colour)},
                               MaskUse::MaskOnly);
        break;
    default:
        drawn = Shape(parts.picture);
        break;
    }
    if (!drawn)
        return false;
    PaintPicture(dc, drawn, x, y, cx, cy);
    cairo_surface_destroy(drawn);
    return true;
}
