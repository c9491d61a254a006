// Contexts over window surfaces, the screen's resolution, pixel reads and PNG
// files.

#include "GdiInternal.h"

#include <png.h>

#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "PNG rows are decoded blue-first into cairo's native 32-bit pixels");

namespace {

std::atomic<int> g_screenDpiX{192};
std::atomic<int> g_screenDpiY{192};

// Pictures larger than this on either side are refused rather than decoded
// (skin pictures are at most a few screens wide).
constexpr png_uint_32 kMaxPngSide = Platform::kMaxPictureSide;

bool IsImageSurface(cairo_surface_t* surface) {
    return surface && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS &&
           cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE;
}

const std::uint32_t* PixelAt(cairo_surface_t* surface, int x, int y) {
    if (!IsImageSurface(surface) || x < 0 || y < 0 || x >= cairo_image_surface_get_width(surface) ||
        y >= cairo_image_surface_get_height(surface))
        return nullptr;
    cairo_surface_flush(surface);
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const std::uint32_t*>(row) + x;
}

}  // namespace

void Platform::PremultiplyRows(cairo_surface_t* surface) {
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    for (int y = 0; y < height; ++y) {
        unsigned char* p = data + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x, p += 4) {
            const unsigned alpha = p[3];
            if (alpha == 255)
                continue;
            p[0] = static_cast<unsigned char>(p[0] * alpha / 255);
            p[1] = static_cast<unsigned char>(p[1] * alpha / 255);
            p[2] = static_cast<unsigned char>(p[2] * alpha / 255);
        }
    }
}

namespace {

// Decodes with libpng's long-jump error handling; everything that must be
// freed after an error lives in the caller's variables.
struct PngRead {
    png_structp png = nullptr;
    png_infop info = nullptr;
    cairo_surface_t* surface = nullptr;
    png_bytep* rows = nullptr;
};

bool DecodePng(PngRead& read, std::FILE* file) {
    if (setjmp(png_jmpbuf(read.png)))
        return false;
    png_init_io(read.png, file);
    png_set_sig_bytes(read.png, 8);
    png_set_user_limits(read.png, kMaxPngSide, kMaxPngSide);
    png_read_info(read.png, read.info);
    const png_uint_32 width = png_get_image_width(read.png, read.info);
    const png_uint_32 height = png_get_image_height(read.png, read.info);
    const int colorType = png_get_color_type(read.png, read.info);
    const int bitDepth = png_get_bit_depth(read.png, read.info);

    // Every colour type comes out as 8-bit blue, green, red, alpha.
    if (bitDepth == 16)
        png_set_strip_16(read.png);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(read.png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(read.png);
    if (png_get_valid(read.png, read.info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(read.png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(read.png);
    png_set_bgr(read.png);
    png_set_filler(read.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(read.png);
    png_read_update_info(read.png, read.info);
    if (png_get_rowbytes(read.png, read.info) != static_cast<png_size_t>(width) * 4)
        return false;

    read.surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height));
    if (cairo_surface_status(read.surface) != CAIRO_STATUS_SUCCESS)
        return false;
    cairo_surface_flush(read.surface);
    read.rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!read.rows)
        return false;
    unsigned char* data = cairo_image_surface_get_data(read.surface);
    const int stride = cairo_image_surface_get_stride(read.surface);
    for (png_uint_32 y = 0; y < height; ++y)
        read.rows[y] = data + static_cast<std::ptrdiff_t>(y) * stride;
    png_read_image(read.png, read.rows);
    png_read_end(read.png, nullptr);
    return true;
}

} // namespace

using namespace Platform;

HDC Platform::CreateSurfaceDC(cairo_surface_t* surface, POINT screenOrigin) {
    if (!IsImageSurface(surface))
        return nullptr;
    return CreateSurfaceDC(surface, screenOrigin, SurfaceArea(surface));
}

HDC Platform::CreateSurfaceDC(cairo_surface_t* surface, POINT screenOrigin, const RECT& area) {
    if (!IsImageSurface(surface) || area.left < 0 || area.top < 0 || area.right < area.left ||
        area.bottom < area.top || area.right > SurfaceWidth(surface) || area.bottom > SurfaceHeight(surface))
        return nullptr;
    auto* dc = new DeviceContext;
    dc->dpiX = GetScreenDpiX();
    dc->dpiY = GetScreenDpiY();
    dc->screenOrigin = screenOrigin;
    // Patterns start at the screen's origin, wherever this surface lies.
    dc->brushOrigin = {-screenOrigin.x, -screenOrigin.y};
    dc->brush = StockBrush(WHITE_BRUSH);
    dc->pen = StockPen(BLACK_PEN);
    dc->font = StockFont(SYSTEM_FONT);
    SetTarget(dc, surface, area);
    return dc;
}

cairo_surface_t* Platform::GetDCSurface(HDC dc) {
    return dc ? dc->surface : nullptr;
}

RECT Platform::GetDCArea(HDC dc) {
    if (!dc)
        return {};
    return {dc->origin.x, dc->origin.y, dc->origin.x + dc->width, dc->origin.y + dc->height};
}

void Platform::SetScreenDpi(int dpiX, int dpiY) {
    if (dpiX > 0)
        g_screenDpiX.store(dpiX);
    if (dpiY > 0)
        g_screenDpiY.store(dpiY);
}

int Platform::GetScreenDpiX() {
    return g_screenDpiX.load();
}

int Platform::GetScreenDpiY() {
    return g_screenDpiY.load();
}

cairo_surface_t* Platform::CreateOpaqueSurface(int width, int height) {
    if (width <= 0 || height <= 0)
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return surface;
}

void Platform::ReleaseSurface(cairo_surface_t* surface) {
    if (surface)
        cairo_surface_destroy(surface);
}

COLORREF Platform::GetSurfacePixel(cairo_surface_t* surface, int x, int y) {
    const std::uint32_t* pixel = PixelAt(surface, x, y);
    if (!pixel)
        return CLR_INVALID;
    return RGB((*pixel >> 16) & 0xFF, (*pixel >> 8) & 0xFF, *pixel & 0xFF);
}

int Platform::GetSurfaceAlpha(cairo_surface_t* surface, int x, int y) {
    const std::uint32_t* pixel = PixelAt(surface, x, y);
    if (!pixel)
        return -1;
    if (cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32)
        return 255;
    return static_cast<int>(*pixel >> 24);
}

bool Platform::SaveSurfacePng(cairo_surface_t* surface, const char* path) {
    if (!IsImageSurface(surface) || !path)
        return false;
    cairo_surface_flush(surface);
    return cairo_surface_write_to_png(surface, path) == CAIRO_STATUS_SUCCESS;
}

namespace {

// Reads a PNG picture from the open file; the caller closes it.
cairo_surface_t* ReadPng(std::FILE* file) {
    png_byte signature[8];
    if (std::fread(signature, 1, sizeof signature, file) != sizeof signature || png_sig_cmp(signature, 0, 8) != 0)
        return nullptr;
    PngRead read;
    // A broken picture is simply not drawn: no messages on the way out.
    read.png = png_create_read_struct(
        PNG_LIBPNG_VER_STRING, nullptr, [](png_structp png, png_const_charp) { png_longjmp(png, 1); },
        [](png_structp, png_const_charp) {});
    if (read.png)
        read.info = png_create_info_struct(read.png);
    const bool decoded = read.png && read.info && DecodePng(read, file);
    png_destroy_read_struct(read.png ? &read.png : nullptr, read.info ? &read.info : nullptr, nullptr);
    std::free(read.rows);
    if (!decoded) {
        if (read.surface)
            cairo_surface_destroy(read.surface);
        return nullptr;
    }
    Platform::PremultiplyRows(read.surface);
    cairo_surface_mark_dirty(read.surface);
    return read.surface;
}

}  // namespace

cairo_surface_t* Platform::LoadSurfacePng(const char* path) {
    if (!path)
        return nullptr;
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return nullptr;
    cairo_surface_t* surface = ReadPng(file);
    std::fclose(file);
    return surface;
}

cairo_surface_t* Platform::DecodeSurfacePng(const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0)
        return nullptr;
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!file)
        return nullptr;
    cairo_surface_t* surface = ReadPng(file);
    std::fclose(file);
    return surface;
}
