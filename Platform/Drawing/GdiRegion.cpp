// Regions: sets of pixel rectangles for clipping and for the windows' update
// areas.

#include "GdiInternal.h"

#include <utility>

using namespace Platform;

namespace {

Region* AsRegion(HRGN handle) {
    GdiObject* object = Resolve(handle);
    return object && object->kind == GdiKind::Region ? static_cast<Region*>(object) : nullptr;
}

cairo_rectangle_int_t Normalized(int left, int top, int right, int bottom) {
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    return {left, top, right - left, bottom - top};
}

int TypeOf(const cairo_region_t* region) {
    if (cairo_region_is_empty(region))
        return NULLREGION;
    return cairo_region_num_rectangles(region) == 1 ? SIMPLEREGION : COMPLEXREGION;
}

} // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    const cairo_rectangle_int_t rect = Normalized(left, top, right, bottom);
    auto* region = new Region;
    region->region = cairo_region_create_rectangle(&rect);
    RegisterObject(region);
    return region;
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
    return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

bool SetRectRgn(HRGN handle, int left, int top, int right, int bottom) {
    Region* region = AsRegion(handle);
    if (!region)
        return false;
    const cairo_rectangle_int_t rect = Normalized(left, top, right, bottom);
    cairo_region_destroy(region->region);
    region->region = cairo_region_create_rectangle(&rect);
    return true;
}

int CombineRgn(HRGN destination, HRGN a, HRGN b, int mode) {
    Region* target = AsRegion(destination);
    Region* first = AsRegion(a);
    Region* second = mode == RGN_COPY ? nullptr : AsRegion(b);
    if (!target || !first || (mode != RGN_COPY && !second))
        return RGN_ERROR;
    cairo_region_t* result = cairo_region_copy(first->region);
    cairo_status_t status = CAIRO_STATUS_SUCCESS;
    switch (mode) {
    case RGN_AND:
        status = cairo_region_intersect(result, second->region);
        break;
    case RGN_OR:
        status = cairo_region_union(result, second->region);
        break;
    case RGN_XOR:
        status = cairo_region_xor(result, second->region);
        break;
    case RGN_DIFF:
        status = cairo_region_subtract(result, second->region);
        break;
    case RGN_COPY:
        break;
    default:
        status = CAIRO_STATUS_INVALID_STATUS;
    }
    if (status != CAIRO_STATUS_SUCCESS) {
        cairo_region_destroy(result);
        return RGN_ERROR;
    }
    cairo_region_destroy(target->region);
    target->region = result;
    return TypeOf(result);
}

int OffsetRgn(HRGN handle, int dx, int dy) {
    Region* region = AsRegion(handle);
    if (!region)
        return RGN_ERROR;
    cairo_region_translate(region->region, dx, dy);
    return TypeOf(region->region);
}

int GetRgnBox(HRGN handle, RECT* rect) {
    Region* region = AsRegion(handle);
    if (!region || !rect)
        return RGN_ERROR;
    cairo_rectangle_int_t box;
    cairo_region_get_extents(region->region, &box);
    *rect = {box.x, box.y, box.x + box.width, box.y + box.height};
    return TypeOf(region->region);
}

bool PtInRegion(HRGN handle, int x, int y) {
    Region* region = AsRegion(handle);
    return region && cairo_region_contains_point(region->region, x, y);
}

bool RectInRegion(HRGN handle, const RECT* rect) {
    Region* region = AsRegion(handle);
    if (!region || !rect)
        return false;
    const cairo_rectangle_int_t r = Normalized(rect->left, rect->top, rect->right, rect->bottom);
    return r.width > 0 && r.height > 0 && cairo_region_contains_rectangle(region->region, &r) != CAIRO_REGION_OVERLAP_OUT;
}
