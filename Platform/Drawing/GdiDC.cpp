// Device contexts: creation over surfaces and bitmaps, object selection,
// colours and modes, brush origin, clipping.

#include "FontInternal.h"
#include "GdiInternal.h"

#include <algorithm>
#include <utility>

namespace Platform {
namespace {

// What a memory context draws into with this bitmap selected. The default
// bitmap is shared by every fresh context, so nothing is drawn into it.
RECT BitmapArea(const Bitmap* bitmap) {
    return bitmap->stock ? RECT{} : SurfaceArea(bitmap->surface);
}

int RegionType(const cairo_region_t* region) {
    if (cairo_region_is_empty(region))
        return NULLREGION;
    return cairo_region_num_rectangles(region) == 1 ? SIMPLEREGION : COMPLEXREGION;
}

cairo_region_t* SurfaceRegion(const DeviceContext* dc) {
    const cairo_rectangle_int_t whole{0, 0, dc->width, dc->height};
    return cairo_region_create_rectangle(&whole);
}

// The clip region to change: the current one, or the whole surface when
// nothing clips yet.
cairo_region_t* EditableClip(DeviceContext* dc) {
    if (!dc->clip)
        dc->clip = SurfaceRegion(dc);
    return dc->clip;
}

cairo_rectangle_int_t PixelRect(int left, int top, int right, int bottom) {
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    return {left, top, right - left, bottom - top};
}

// Sets one of the context's colours (its three colour bytes) and answers
// the one before.
COLORREF SwapColor(HDC dc, COLORREF DeviceContext::*color, COLORREF value) {
    if (!dc)
        return CLR_INVALID;
    return std::exchange(dc->*color, value & 0xFFFFFF);
}

} // namespace

void SetTarget(DeviceContext* dc, cairo_surface_t* surface, const RECT& area) {
    cairo_surface_reference(surface);
    if (dc->surface)
        cairo_surface_destroy(dc->surface);
    dc->surface = surface;
    dc->origin = {area.left, area.top};
    dc->width = std::max(0, area.right - area.left);
    dc->height = std::max(0, area.bottom - area.top);
    if (dc->cr)
        cairo_destroy(dc->cr);
    dc->cr = cairo_create(surface);
    cairo_translate(dc->cr, dc->origin.x, dc->origin.y);
    // Shapes and lines are pixel-exact; text sets its own anti-aliasing.
    cairo_set_antialias(dc->cr, CAIRO_ANTIALIAS_NONE);
    ApplyClip(dc);
}

RECT SurfaceArea(cairo_surface_t* surface) {
    return {0, 0, SurfaceWidth(surface), SurfaceHeight(surface)};
}

void ApplyClip(DeviceContext* dc) {
    cairo_reset_clip(dc->cr);
    cairo_new_path(dc->cr);
    cairo_rectangle(dc->cr, 0, 0, dc->width, dc->height);
    cairo_clip(dc->cr);
    if (!dc->clip)
        return;
    cairo_new_path(dc->cr);
    const int count = cairo_region_num_rectangles(dc->clip);
    for (int i = 0; i < count; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(dc->clip, i, &r);
        cairo_rectangle(dc->cr, r.x, r.y, r.width, r.height);
    }
    cairo_clip(dc->cr);
}

int SurfaceWidth(cairo_surface_t* surface) {
    return cairo_image_surface_get_width(surface);
}

int SurfaceHeight(cairo_surface_t* surface) {
    return cairo_image_surface_get_height(surface);
}

void SetSourceColor(cairo_t* cr, COLORREF color) {
    cairo_set_source_rgb(cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0);
}

bool SetBrushSource(DeviceContext* dc, const Brush* brush) {
    if (!brush || brush->style == Brush::Style::Null)
        return false;
    if (brush->style == Brush::Style::Solid) {
        SetSourceColor(dc->cr, brush->color);
        return true;
    }
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(brush->pattern);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
    cairo_matrix_t matrix;
    cairo_matrix_init_translate(&matrix, -dc->brushOrigin.x, -dc->brushOrigin.y);
    cairo_pattern_set_matrix(pattern, &matrix);
    cairo_set_source(dc->cr, pattern);
    cairo_pattern_destroy(pattern);
    return true;
}

void AddSpans(cairo_t* cr, const std::vector<Span>& spans) {
    std::size_t i = 0;
    while (i < spans.size()) {
        const Span& first = spans[i];
        std::size_t j = i + 1;
        while (j < spans.size() && spans[j].y == spans[j - 1].y + 1 && spans[j].x0 == first.x0 &&
               spans[j].x1 == first.x1)
            ++j;
        if (first.x1 > first.x0)
            cairo_rectangle(cr, first.x0, first.y, first.x1 - first.x0, static_cast<double>(j - i));
        i = j;
    }
}

void FillPixels(cairo_t* cr, int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top)
        return;
    cairo_rectangle(cr, left, top, right - left, bottom - top);
    cairo_fill(cr);
}

} // namespace Platform

using namespace Platform;

HDC CreateCompatibleDC(HDC source) {
    const int dpiX = source ? source->dpiX : GetScreenDpiX();
    const int dpiY = source ? source->dpiY : GetScreenDpiY();
    Bitmap* bitmap = DefaultMemoryBitmap();
    auto* dc = new DeviceContext;
    dc->memory = true;
    dc->dpiX = dpiX;
    dc->dpiY = dpiY;
    dc->brush = StockBrush(WHITE_BRUSH);
    dc->pen = StockPen(BLACK_PEN);
    dc->font = StockFont(SYSTEM_FONT);
    dc->bitmap = bitmap;
    SetTarget(dc, bitmap->surface, BitmapArea(bitmap));
    return dc;
}

bool DeleteDC(HDC dc) {
    if (!dc)
        return false;
    Release(dc->brush);
    Release(dc->pen);
    Release(dc->font);
    if (dc->bitmap) {
        if (!dc->bitmap->stock)
            dc->bitmap->selectedInto.store(nullptr);
        Release(dc->bitmap);
    }
    ReleaseTextState(dc);
    cairo_destroy(dc->cr);
    cairo_surface_destroy(dc->surface);
    if (dc->clip)
        cairo_region_destroy(dc->clip);
    delete dc;
    return true;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ handle) {
    GdiObject* object = Resolve(handle);
    if (!dc || !object || object->deleted.load())
        return nullptr;
    GdiObject* previous = nullptr;
    switch (object->kind) {
    case GdiKind::Brush:
        previous = dc->brush;
        dc->brush = static_cast<Brush*>(object);
        break;
    case GdiKind::Pen:
        previous = dc->pen;
        dc->pen = static_cast<Pen*>(object);
        break;
    case GdiKind::Font:
        previous = dc->font;
        dc->font = static_cast<FontObject*>(object);
        break;
    case GdiKind::Bitmap: {
        auto* bitmap = static_cast<Bitmap*>(object);
        if (!dc->memory)
            return nullptr;
        if (bitmap == dc->bitmap)
            return bitmap;
        // A bitmap is drawn into through one context at a time.
        DeviceContext* expected = nullptr;
        if (!bitmap->stock && !bitmap->selectedInto.compare_exchange_strong(expected, dc))
            return nullptr;
        previous = dc->bitmap;
        if (!dc->bitmap->stock)
            dc->bitmap->selectedInto.store(nullptr);
        dc->bitmap = bitmap;
        SetTarget(dc, bitmap->surface, BitmapArea(bitmap));
        break;
    }
    case GdiKind::Region:
        return nullptr;
    }
    AddRef(object);
    Release(previous);
    return previous;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
    return SwapColor(dc, &DeviceContext::textColor, color);
}

COLORREF GetTextColor(HDC dc) {
    return dc ? dc->textColor : CLR_INVALID;
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
    return SwapColor(dc, &DeviceContext::bkColor, color);
}

COLORREF GetBkColor(HDC dc) {
    return dc ? dc->bkColor : CLR_INVALID;
}

int SetBkMode(HDC dc, int mode) {
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    const int previous = dc->bkMode;
    dc->bkMode = mode;
    return previous;
}

int GetBkMode(HDC dc) {
    return dc ? dc->bkMode : 0;
}

bool SetBrushOrgEx(HDC dc, int x, int y, POINT* previous) {
    if (!dc)
        return false;
    if (previous)
        *previous = dc->brushOrigin;
    dc->brushOrigin = {x, y};
    return true;
}

bool GetBrushOrgEx(HDC dc, POINT* origin) {
    if (!dc || !origin)
        return false;
    *origin = dc->brushOrigin;
    return true;
}

int GetDeviceCaps(HDC dc, int index) {
    if (!dc)
        return 0;
    switch (index) {
    case HORZRES:
        return dc->width;
    case VERTRES:
        return dc->height;
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case LOGPIXELSX:
        return dc->dpiX;
    case LOGPIXELSY:
        return dc->dpiY;
    default:
        return 0;
    }
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
    if (!dc)
        return RGN_ERROR;
    const cairo_rectangle_int_t rect = PixelRect(left, top, right, bottom);
    cairo_region_intersect_rectangle(EditableClip(dc), &rect);
    ApplyClip(dc);
    return RegionType(dc->clip);
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
    if (!dc)
        return RGN_ERROR;
    const cairo_rectangle_int_t rect = PixelRect(left, top, right, bottom);
    cairo_region_subtract_rectangle(EditableClip(dc), &rect);
    ApplyClip(dc);
    return RegionType(dc->clip);
}

int SelectClipRgn(HDC dc, HRGN handle) {
    if (!dc)
        return RGN_ERROR;
    GdiObject* object = Resolve(handle);
    if (object && object->kind != GdiKind::Region)
        return RGN_ERROR;
    if (dc->clip)
        cairo_region_destroy(dc->clip);
    dc->clip = object ? cairo_region_copy(static_cast<Region*>(object)->region) : nullptr;
    ApplyClip(dc);
    if (!dc->clip)
        return SIMPLEREGION;
    return RegionType(dc->clip);
}

int GetClipBox(HDC dc, RECT* rect) {
    if (!dc || !rect)
        return RGN_ERROR;
    cairo_region_t* visible = SurfaceRegion(dc);
    if (dc->clip)
        cairo_region_intersect(visible, dc->clip);
    cairo_rectangle_int_t box;
    cairo_region_get_extents(visible, &box);
    *rect = {box.x, box.y, box.x + box.width, box.y + box.height};
    const int type = RegionType(visible);
    cairo_region_destroy(visible);
    return type;
}
