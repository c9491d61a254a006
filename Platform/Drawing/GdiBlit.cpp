// Copying pixels between contexts: blits, stretching, alpha blending,
// colour-keyed transparency and device-independent bitmaps.

#include "GdiInternal.h"

#include <algorithm>
#include <cstring>

using namespace Platform;

namespace {

struct Box {
    int x;
    int y;
    int width;
    int height;
};

// Where a blit reads: a surface and the area of it that holds the source
// context's pixels (source rectangles are relative to that area).
struct Source {
    cairo_surface_t* surface;
    Box area;
};

// The source of a context, with pixels the caller may have written through a
// DIB section made known to cairo.
Source SourceOf(DeviceContext* dc) {
    if (dc->bitmap && dc->bitmap->bits)
        cairo_surface_mark_dirty(dc->surface);
    cairo_surface_flush(dc->surface);
    return {dc->surface, {dc->origin.x, dc->origin.y, dc->width, dc->height}};
}

Source WholeSurface(cairo_surface_t* surface) {
    return {surface, {0, 0, SurfaceWidth(surface), SurfaceHeight(surface)}};
}

cairo_surface_t* CopyArea(cairo_surface_t* source, const Box& box) {
    const cairo_format_t format = cairo_image_surface_get_format(source) == CAIRO_FORMAT_ARGB32
                                      ? CAIRO_FORMAT_ARGB32
                                      : CAIRO_FORMAT_RGB24;
    cairo_surface_t* copy = cairo_image_surface_create(format, std::max(box.width, 1), std::max(box.height, 1));
    cairo_t* cr = cairo_create(copy);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, source, -box.x, -box.y);
    cairo_paint(cr);
    cairo_destroy(cr);
    return copy;
}

// Draws rectangle `from` of the source onto rectangle `to` of the context,
// stretching by nearest pixel; only destination pixels whose centres map into
// the source area are touched.
void Compose(DeviceContext* dc, Source source, const Box& to, const Box& from, cairo_operator_t op, double alpha) {
    if (to.width == 0 || to.height == 0 || from.width == 0 || from.height == 0)
        return;
    cairo_surface_t* own = nullptr;
    if (source.surface == dc->surface) {
        // Reading and writing one surface: read from a copy.
        own = CopyArea(source.surface, source.area);
        source = {own, {0, 0, source.area.width, source.area.height}};
    }
    const double scaleX = static_cast<double>(from.width) / to.width;
    const double scaleY = static_cast<double>(from.height) / to.height;
    const double fromX = source.area.x + from.x;
    const double fromY = source.area.y + from.y;
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source.surface);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_NONE);
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, scaleX, 0, 0, scaleY, fromX - to.x * scaleX, fromY - to.y * scaleY);
    cairo_pattern_set_matrix(pattern, &matrix);

    // The destination area that maps into the source area.
    double x0 = to.x + (source.area.x - fromX) / scaleX;
    double x1 = to.x + (source.area.x + source.area.width - fromX) / scaleX;
    double y0 = to.y + (source.area.y - fromY) / scaleY;
    double y1 = to.y + (source.area.y + source.area.height - fromY) / scaleY;
    if (x1 < x0)
        std::swap(x0, x1);
    if (y1 < y0)
        std::swap(y0, y1);
    x0 = std::max(x0, static_cast<double>(std::min(to.x, to.x + to.width)));
    x1 = std::min(x1, static_cast<double>(std::max(to.x, to.x + to.width)));
    y0 = std::max(y0, static_cast<double>(std::min(to.y, to.y + to.height)));
    y1 = std::min(y1, static_cast<double>(std::max(to.y, to.y + to.height)));

    if (x1 > x0 && y1 > y0) {
        cairo_save(dc->cr);
        cairo_set_operator(dc->cr, op);
        cairo_set_source(dc->cr, pattern);
        cairo_new_path(dc->cr);
        cairo_rectangle(dc->cr, x0, y0, x1 - x0, y1 - y0);
        cairo_clip(dc->cr);
        cairo_paint_with_alpha(dc->cr, alpha);
        cairo_restore(dc->cr);
    }
    cairo_pattern_destroy(pattern);
    if (own)
        cairo_surface_destroy(own);
}

bool InsideArea(const Source& source, const Box& box) {
    return box.x >= 0 && box.y >= 0 && box.width >= 0 && box.height >= 0 &&
           static_cast<std::int64_t>(box.x) + box.width <= source.area.width &&
           static_cast<std::int64_t>(box.y) + box.height <= source.area.height;
}

// 0x00BBGGRR as cairo keeps a pixel in a 32-bit word (0xAARRGGBB).
std::uint32_t PixelRgb(COLORREF color) {
    return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

// The source rectangle with key-coloured pixels made fully transparent and
// every other pixel opaque.
cairo_surface_t* KeyedCopy(const Source& source, const Box& box, COLORREF key) {
    cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, box.width, box.height);
    cairo_surface_flush(copy);
    const unsigned char* from = cairo_image_surface_get_data(source.surface);
    const int fromStride = cairo_image_surface_get_stride(source.surface);
    const int left = source.area.x + box.x;
    const int top = source.area.y + box.y;
    unsigned char* to = cairo_image_surface_get_data(copy);
    const int toStride = cairo_image_surface_get_stride(copy);
    const std::uint32_t keyRgb = PixelRgb(key);
    for (int row = 0; row < box.height; ++row) {
        const auto* in =
            reinterpret_cast<const std::uint32_t*>(from + static_cast<std::ptrdiff_t>(top + row) * fromStride) + left;
        auto* out = reinterpret_cast<std::uint32_t*>(to + static_cast<std::ptrdiff_t>(row) * toStride);
        for (int col = 0; col < box.width; ++col) {
            const std::uint32_t rgb = in[col] & 0xFFFFFF;
            out[col] = rgb == keyRgb ? 0 : (0xFF000000u | rgb);
        }
    }
    cairo_surface_mark_dirty(copy);
    return copy;
}

// The same pixels seen without their alpha channel.
cairo_surface_t* OpaqueView(cairo_surface_t* source) {
    cairo_surface_reference(source);
    if (cairo_image_surface_get_format(source) != CAIRO_FORMAT_ARGB32)
        return source;
    cairo_surface_t* view = cairo_image_surface_create_for_data(
        cairo_image_surface_get_data(source), CAIRO_FORMAT_RGB24, SurfaceWidth(source), SurfaceHeight(source),
        cairo_image_surface_get_stride(source));
    // The view borrows the pixels: keep their owner alive with it.
    static const cairo_user_data_key_t ownerKey{};
    cairo_surface_set_user_data(view, &ownerKey, source,
                                [](void* owner) { cairo_surface_destroy(static_cast<cairo_surface_t*>(owner)); });
    return view;
}

std::uint32_t PaletteColor(const BITMAPINFO* info, unsigned index, unsigned count) {
    if (index >= count)
        return 0;
    const RGBQUAD& entry = info->bmiColors[index];
    return (static_cast<std::uint32_t>(entry.rgbRed) << 16) | (entry.rgbGreen << 8) | entry.rgbBlue;
}

} // namespace

bool BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            std::uint32_t rop) {
    if (rop != SRCCOPY)
        return destination && PatBlt(destination, x, y, width, height, rop);
    return StretchBlt(destination, x, y, width, height, source, sourceX, sourceY, width, height, rop);
}

bool StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, std::uint32_t rop) {
    if (!destination)
        return false;
    if (rop != SRCCOPY)
        return PatBlt(destination, x, y, width, height, rop);
    if (!source)
        return false;
    Compose(destination, SourceOf(source), {x, y, width, height}, {sourceX, sourceY, sourceWidth, sourceHeight},
            CAIRO_OPERATOR_SOURCE, 1.0);
    return true;
}

bool AlphaBlend(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, BLENDFUNCTION blend) {
    if (!destination || !source || blend.BlendOp != AC_SRC_OVER || width < 0 || height < 0)
        return false;
    Source from = SourceOf(source);
    const Box box{sourceX, sourceY, sourceWidth, sourceHeight};
    if (!InsideArea(from, box))
        return false;
    from.surface = (blend.AlphaFormat & AC_SRC_ALPHA) ? cairo_surface_reference(from.surface) : OpaqueView(from.surface);
    Compose(destination, from, {x, y, width, height}, box, CAIRO_OPERATOR_OVER, blend.SourceConstantAlpha / 255.0);
    cairo_surface_destroy(from.surface);
    return true;
}

bool TransparentBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                    int sourceWidth, int sourceHeight, COLORREF key) {
    if (!destination || !source || width < 0 || height < 0)
        return false;
    const Source from = SourceOf(source);
    const Box box{sourceX, sourceY, sourceWidth, sourceHeight};
    if (!InsideArea(from, box))
        return false;
    if (sourceWidth == 0 || sourceHeight == 0)
        return true;
    cairo_surface_t* keyed = KeyedCopy(from, box, key);
    Compose(destination, WholeSurface(keyed), {x, y, width, height}, {0, 0, sourceWidth, sourceHeight},
            CAIRO_OPERATOR_OVER, 1.0);
    cairo_surface_destroy(keyed);
    return true;
}

int SetDIBitsToDevice(HDC dc, int x, int y, std::uint32_t width, std::uint32_t height, int sourceX, int sourceY,
                      UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info, UINT) {
    if (!dc || !bits || !info)
        return 0;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const int bitCount = header.biBitCount;
    if ((bitCount != 8 && bitCount != 24 && bitCount != 32) || header.biCompression != BI_RGB ||
        header.biWidth <= 0 || header.biHeight == 0 || header.biWidth > 65535 || width > 65535 || height > 65535)
        return 0;
    const std::int64_t imageWidth = header.biWidth;
    const bool bottomUp = header.biHeight > 0;
    const std::int64_t imageHeight = bottomUp ? header.biHeight : -static_cast<std::int64_t>(header.biHeight);
    if (imageHeight > 65535)
        return 0;
    const std::int64_t stride = (imageWidth * bitCount + 31) / 32 * 4;
    const unsigned paletteCount = bitCount == 8 ? (header.biClrUsed && header.biClrUsed < 256 ? header.biClrUsed : 256) : 0;

    // Storage rows given, and storage rows the source rectangle wants
    // (bottom-up bitmaps count rows from the bottom).
    const std::int64_t givenFirst = startScan;
    const std::int64_t givenEnd = std::min<std::int64_t>(givenFirst + scanLines, imageHeight);
    const std::int64_t wantFirst = std::max<std::int64_t>(sourceY, 0);
    const std::int64_t wantEnd = std::min<std::int64_t>(static_cast<std::int64_t>(sourceY) + height, imageHeight);
    const std::int64_t rowFirst = std::max(givenFirst, wantFirst);
    const std::int64_t rowEnd = std::min(givenEnd, wantEnd);
    const std::int64_t colFirst = std::max<std::int64_t>(sourceX, 0);
    const std::int64_t colEnd = std::min<std::int64_t>(static_cast<std::int64_t>(sourceX) + width, imageWidth);
    if (rowEnd <= rowFirst || colEnd <= colFirst)
        return 0;

    const int outWidth = static_cast<int>(colEnd - colFirst);
    const int outHeight = static_cast<int>(rowEnd - rowFirst);
    cairo_surface_t* pixels = cairo_image_surface_create(CAIRO_FORMAT_RGB24, outWidth, outHeight);
    cairo_surface_flush(pixels);
    unsigned char* out = cairo_image_surface_get_data(pixels);
    const int outStride = cairo_image_surface_get_stride(pixels);
    const auto* in = static_cast<const unsigned char*>(bits);
    for (std::int64_t row = rowFirst; row < rowEnd; ++row) {
        const unsigned char* line = in + (row - givenFirst) * stride;
        // Top-down output row of this storage row within the drawn block.
        const std::int64_t outRow = bottomUp ? rowEnd - 1 - row : row - rowFirst;
        auto* target = reinterpret_cast<std::uint32_t*>(out + outRow * outStride);
        for (std::int64_t col = colFirst; col < colEnd; ++col) {
            std::uint32_t rgb = 0;
            if (bitCount == 8) {
                rgb = PaletteColor(info, line[col], paletteCount);
            } else {
                const unsigned char* p = line + col * (bitCount / 8);
                rgb = (static_cast<std::uint32_t>(p[2]) << 16) | (p[1] << 8) | p[0];
            }
            target[col - colFirst] = 0xFF000000u | rgb;
        }
    }
    cairo_surface_mark_dirty(pixels);
    // Where the drawn block lands: the source rectangle's top row goes to y.
    const std::int64_t topOffset = bottomUp ? (static_cast<std::int64_t>(sourceY) + height - rowEnd) : (rowFirst - sourceY);
    const int toX = static_cast<int>(x + (colFirst - sourceX));
    const int toY = static_cast<int>(y + topOffset);
    Compose(dc, WholeSurface(pixels), {toX, toY, outWidth, outHeight}, {0, 0, outWidth, outHeight},
            CAIRO_OPERATOR_SOURCE, 1.0);
    cairo_surface_destroy(pixels);
    return outHeight;
}
