// Drawing objects: handle bookkeeping, brushes, pens, bitmaps, stock objects
// and system colours.

#include "FontInternal.h"
#include "GdiInternal.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_set>

namespace Platform {
namespace {

// The largest bitmap side we make; cairo's limit is 32767.
constexpr int kMaxBitmapSide = 16384;

// Live handles, so that deleting a handle twice (or one never made) is
// answered with false instead of freeing memory twice.
struct HandleRegistry {
    std::mutex mutex;
    std::unordered_set<GdiObject*> live;
};

HandleRegistry& Registry() {
    static HandleRegistry registry;
    return registry;
}

bool IsSysColorValue(HGDIOBJ handle) {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    return (value & ~std::uintptr_t{0xFF}) == SYS_COLOR_INDEX_FLAG;
}

// The system colours of the light scheme the program is drawn in.
constexpr COLORREF kSysColors[SYS_COLOR_COUNT] = {
    RGB(200, 200, 200),  // COLOR_SCROLLBAR
    RGB(0, 78, 152),     // COLOR_BACKGROUND
    RGB(0, 78, 152),     // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(255, 255, 255),  // COLOR_MENU
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(0, 78, 152),     // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(212, 208, 200),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(64, 64, 64),     // COLOR_3DDKSHADOW
    RGB(232, 232, 232),  // COLOR_3DLIGHT
    RGB(255, 255, 255),  // COLOR_STATIC
    RGB(0, 0, 0),        // COLOR_STATICTEXT
};

template <typename T>
T* MakeStock(T* object) {
    object->stock = true;
    RegisterObject(object);
    return object;
}

Brush* MakeSolid(COLORREF color) {
    auto* brush = new Brush;
    brush->color = color & 0xFFFFFF;
    return brush;
}

// A pattern copies its bitmap's colour bytes; an alpha channel plays no part.
cairo_surface_t* OpaqueCopy(cairo_surface_t* source) {
    const int width = SurfaceWidth(source);
    const int height = SurfaceHeight(source);
    cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(copy);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return copy;
}

const cairo_user_data_key_t kPixelBufferKey{};

} // namespace

Brush::~Brush() {
    if (pattern)
        cairo_surface_destroy(pattern);
}

Bitmap::~Bitmap() {
    if (surface)
        cairo_surface_destroy(surface);
}

Region::~Region() {
    if (region)
        cairo_region_destroy(region);
}

void RegisterObject(GdiObject* object) {
    HandleRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.live.insert(object);
}

void AddRef(GdiObject* object) {
    if (object && !object->stock)
        object->refs.fetch_add(1, std::memory_order_relaxed);
}

void Release(GdiObject* object) {
    if (!object || object->stock)
        return;
    if (object->refs.fetch_sub(1, std::memory_order_acq_rel) != 1)
        return;
    {
        HandleRegistry& registry = Registry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        registry.live.erase(object);
    }
    delete object;
}

GdiObject* Resolve(HGDIOBJ handle) {
    if (IsSysColorValue(handle))
        return SysColorBrush(static_cast<int>(reinterpret_cast<std::uintptr_t>(handle) & 0xFF));
    return handle;
}

Brush* StockBrush(int index) {
    static Brush* const brushes[] = {
        MakeStock(MakeSolid(RGB(255, 255, 255))), MakeStock(MakeSolid(RGB(192, 192, 192))),
        MakeStock(MakeSolid(RGB(128, 128, 128))), MakeStock(MakeSolid(RGB(64, 64, 64))),
        MakeStock(MakeSolid(RGB(0, 0, 0))),
        [] {
            Brush* brush = MakeStock(new Brush);
            brush->style = Brush::Style::Null;
            return brush;
        }(),
    };
    return index >= WHITE_BRUSH && index <= NULL_BRUSH ? brushes[index - WHITE_BRUSH] : nullptr;
}

Pen* StockPen(int index) {
    static Pen* const pens[] = {
        [] {
            Pen* pen = MakeStock(new Pen);
            pen->color = RGB(255, 255, 255);
            return pen;
        }(),
        MakeStock(new Pen),
        [] {
            Pen* pen = MakeStock(new Pen);
            pen->style = PS_NULL;
            return pen;
        }(),
    };
    return index >= WHITE_PEN && index <= NULL_PEN ? pens[index - WHITE_PEN] : nullptr;
}

Brush* SysColorBrush(int index) {
    static Brush* const* const brushes = [] {
        static Brush* table[SYS_COLOR_COUNT];
        for (int i = 0; i < SYS_COLOR_COUNT; ++i)
            table[i] = MakeStock(MakeSolid(kSysColors[i]));
        return table;
    }();
    return index >= 0 && index < SYS_COLOR_COUNT ? brushes[index] : nullptr;
}

Bitmap* DefaultMemoryBitmap() {
    static Bitmap* const bitmap = [] {
        Bitmap* b = MakeStock(new Bitmap);
        b->surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
        b->width = 1;
        b->height = 1;
        return b;
    }();
    return bitmap;
}

} // namespace Platform

using namespace Platform;

bool DeleteObject(HGDIOBJ handle) {
    if (!handle)
        return false;
    if (IsSysColorValue(handle))
        return true;
    GdiObject* object = handle;
    {
        HandleRegistry& registry = Registry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        if (!registry.live.count(object))
            return false;
        if (object->stock)
            return true;
        if (object->deleted.exchange(true))
            return false;
    }
    Release(object);
    return true;
}

HGDIOBJ GetStockObject(int index) {
    if (Brush* brush = StockBrush(index))
        return brush;
    if (Pen* pen = StockPen(index))
        return pen;
    return StockFont(index);
}

int GetObject(HGDIOBJ handle, int size, void* buffer) {
    GdiObject* object = Resolve(handle);
    if (!object || !buffer)
        return 0;
    if (object->kind == GdiKind::Bitmap) {
        if (size < static_cast<int>(sizeof(BITMAP)))
            return 0;
        const auto* bitmap = static_cast<const Bitmap*>(object);
        BITMAP info;
        info.bmWidth = bitmap->width;
        info.bmHeight = bitmap->height;
        info.bmWidthBytes = bitmap->width * 4;
        info.bmBits = bitmap->bits;
        std::memcpy(buffer, &info, sizeof info);
        return sizeof info;
    }
    if (object->kind == GdiKind::Font) {
        if (size < static_cast<int>(sizeof(LOGFONTW)))
            return 0;
        std::memcpy(buffer, &static_cast<const FontObject*>(object)->logFont, sizeof(LOGFONTW));
        return sizeof(LOGFONTW);
    }
    return 0;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    Brush* brush = MakeSolid(color);
    RegisterObject(brush);
    return brush;
}

HBRUSH CreatePatternBrush(HBITMAP handle) {
    GdiObject* object = Resolve(handle);
    if (!object || object->kind != GdiKind::Bitmap)
        return nullptr;
    auto* bitmap = static_cast<Bitmap*>(object);
    cairo_surface_flush(bitmap->surface);
    auto* brush = new Brush;
    brush->style = Brush::Style::Pattern;
    brush->pattern = OpaqueCopy(bitmap->surface);
    RegisterObject(brush);
    return brush;
}

COLORREF GetSysColor(int index) {
    index &= ~static_cast<int>(SYS_COLOR_INDEX_FLAG);
    return index >= 0 && index < SYS_COLOR_COUNT ? kSysColors[index] : 0;
}

HBRUSH GetSysColorBrush(int index) {
    return SysColorBrush(index & ~static_cast<int>(SYS_COLOR_INDEX_FLAG));
}

HPEN CreatePen(int style, int width, COLORREF color) {
    if (style != PS_SOLID && style != PS_DASH && style != PS_NULL)
        return nullptr;
    auto* pen = new Pen;
    pen->style = style;
    pen->width = width < 1 ? 1 : width;
    pen->color = color & 0xFFFFFF;
    RegisterObject(pen);
    return pen;
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
    if (width < 0 || height < 0 || width > kMaxBitmapSide || height > kMaxBitmapSide)
        return nullptr;
    // An empty size still gives a usable (1 x 1) bitmap.
    width = width ? width : 1;
    height = height ? height : 1;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    auto* bitmap = new Bitmap;
    bitmap->surface = surface;
    bitmap->width = width;
    bitmap->height = height;
    RegisterObject(bitmap);
    return bitmap;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT, void** bits, void*, std::uint32_t) {
    if (bits)
        *bits = nullptr;
    if (!info)
        return nullptr;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const int width = header.biWidth;
    const bool bottomUp = header.biHeight > 0;
    const std::int64_t height = bottomUp ? header.biHeight : -static_cast<std::int64_t>(header.biHeight);
    if (header.biBitCount != 32 || header.biCompression != BI_RGB || width <= 0 || height <= 0 ||
        width > kMaxBitmapSide || height > kMaxBitmapSide)
        return nullptr;
    const int stride = width * 4;
    auto* pixels = static_cast<unsigned char*>(std::calloc(static_cast<std::size_t>(stride) * height, 1));
    if (!pixels)
        return nullptr;
    // cairo keeps rows top-down; a bottom-up bitmap is the same memory read
    // from its last row with a negative stride.
    unsigned char* firstRow = bottomUp ? pixels + static_cast<std::size_t>(stride) * (height - 1) : pixels;
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        firstRow, CAIRO_FORMAT_ARGB32, width, static_cast<int>(height), bottomUp ? -stride : stride);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        std::free(pixels);
        return nullptr;
    }
    cairo_surface_set_user_data(surface, &kPixelBufferKey, pixels, std::free);
    auto* bitmap = new Bitmap;
    bitmap->surface = surface;
    bitmap->bits = pixels;
    bitmap->width = width;
    bitmap->height = static_cast<int>(height);
    RegisterObject(bitmap);
    if (bits)
        *bits = pixels;
    return bitmap;
}

HBITMAP Platform::CreateBitmapFromSurface(cairo_surface_t* surface) {
    if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    auto* bitmap = new Bitmap;
    bitmap->surface = cairo_surface_reference(surface);
    bitmap->width = SurfaceWidth(surface);
    bitmap->height = SurfaceHeight(surface);
    RegisterObject(bitmap);
    return bitmap;
}

cairo_surface_t* Platform::GetBitmapSurface(HBITMAP handle) {
    GdiObject* object = Resolve(handle);
    if (!object || object->kind != GdiKind::Bitmap)
        return nullptr;
    return static_cast<Bitmap*>(object)->surface;
}
