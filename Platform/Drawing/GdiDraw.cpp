// Fills, lines, shapes, gradients and edges.

#include "GdiInternal.h"
#include "GdiRaster.h"

#include <algorithm>
#include <cstdlib>

using namespace Platform;

namespace {

// Cosmetic dashes: this many pixels drawn, then the rest of the period left.
constexpr int kDashOn = 18;
constexpr int kDashPeriod = 24;

Brush* AsBrush(HBRUSH handle) {
    GdiObject* object = Resolve(handle);
    return object && object->kind == GdiKind::Brush ? static_cast<Brush*>(object) : nullptr;
}

bool HasPen(const DeviceContext* dc) {
    return dc->pen && dc->pen->style != PS_NULL;
}

void FillSpans(DeviceContext* dc, const std::vector<Span>& spans) {
    if (spans.empty())
        return;
    cairo_new_path(dc->cr);
    AddSpans(dc->cr, spans);
    cairo_fill(dc->cr);
}

// Draws pixels of a line (already in drawing order) with the selected pen.
void StrokePixels(DeviceContext* dc, const std::vector<POINT>& pixels) {
    if (!HasPen(dc) || pixels.empty())
        return;
    const Pen& pen = *dc->pen;
    SetSourceColor(dc->cr, pen.color);
    cairo_new_path(dc->cr);
    const int before = (pen.width - 1) / 2;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (pen.style == PS_DASH && static_cast<int>(i % kDashPeriod) >= kDashOn)
            continue;
        cairo_rectangle(dc->cr, pixels[i].x - before, pixels[i].y - before, pen.width, pen.width);
    }
    cairo_fill(dc->cr);
}

// Outline in the pen and inside in the brush, for any shape given row by row.
void DrawShape(DeviceContext* dc, const std::vector<Span>& shape) {
    std::vector<Span> outline;
    std::vector<Span> inside;
    if (HasPen(dc)) {
        SplitOutline(shape, dc->pen->width, outline, inside);
    } else {
        inside = shape;
    }
    if (SetBrushSource(dc, dc->brush))
        FillSpans(dc, inside);
    if (!outline.empty()) {
        SetSourceColor(dc->cr, dc->pen->color);
        FillSpans(dc, outline);
    }
}

void InvertPixels(DeviceContext* dc, int left, int top, int right, int bottom) {
    cairo_save(dc->cr);
    cairo_set_operator(dc->cr, CAIRO_OPERATOR_DIFFERENCE);
    cairo_set_source_rgb(dc->cr, 1, 1, 1);
    FillPixels(dc->cr, left, top, right, bottom);
    cairo_restore(dc->cr);
}

void FillColor(DeviceContext* dc, COLORREF color, int left, int top, int right, int bottom) {
    SetSourceColor(dc->cr, color);
    FillPixels(dc->cr, left, top, right, bottom);
}

unsigned GradientChannel(std::uint16_t from, std::uint16_t to, std::int64_t step, std::int64_t steps) {
    return static_cast<unsigned>((from + (static_cast<std::int64_t>(to) - from) * step / steps) >> 8);
}

COLORREF GradientColor(const TRIVERTEX& from, const TRIVERTEX& to, std::int64_t step, std::int64_t steps) {
    return RGB(GradientChannel(from.Red, to.Red, step, steps), GradientChannel(from.Green, to.Green, step, steps),
               GradientChannel(from.Blue, to.Blue, step, steps));
}

void FillGradientRect(DeviceContext* dc, const TRIVERTEX& a, const TRIVERTEX& b, bool vertical) {
    const int left = std::min(a.x, b.x);
    const int right = std::max(a.x, b.x);
    const int top = std::min(a.y, b.y);
    const int bottom = std::max(a.y, b.y);
    if (right <= left || bottom <= top)
        return;
    // The colour of the vertex on the starting side comes first.
    const bool aFirst = vertical ? a.y <= b.y : a.x <= b.x;
    const TRIVERTEX& from = aFirst ? a : b;
    const TRIVERTEX& to = aFirst ? b : a;
    const int start = vertical ? top : left;
    const int end = vertical ? bottom : right;
    int runStart = start;
    COLORREF runColor = GradientColor(from, to, 0, end - start);
    for (int i = start + 1; i <= end; ++i) {
        const COLORREF color = i < end ? GradientColor(from, to, i - start, end - start) : CLR_INVALID;
        if (color == runColor)
            continue;
        if (vertical)
            FillColor(dc, runColor, left, runStart, right, i);
        else
            FillColor(dc, runColor, runStart, top, i, bottom);
        runStart = i;
        runColor = color;
    }
}

struct EdgeColors {
    UINT flag;
    int topLeft;
    int bottomRight;
};

// Outer ring first, then the inner one.
constexpr EdgeColors kOuterEdges[] = {
    {BDR_RAISEDOUTER, COLOR_3DLIGHT, COLOR_3DDKSHADOW},
    {BDR_SUNKENOUTER, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT},
};
constexpr EdgeColors kInnerEdges[] = {
    {BDR_RAISEDINNER, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW},
    {BDR_SUNKENINNER, COLOR_3DDKSHADOW, COLOR_3DLIGHT},
};

// One ring of an edge; answers whether it drew anything.
bool DrawEdgeRing(DeviceContext* dc, RECT& r, UINT edge, UINT flags, const EdgeColors (&table)[2]) {
    for (const EdgeColors& colors : table) {
        if (!(edge & colors.flag))
            continue;
        const COLORREF light = GetSysColor(colors.topLeft);
        const COLORREF dark = GetSysColor(colors.bottomRight);
        if (flags & BF_LEFT)
            FillColor(dc, light, r.left, r.top, r.left + 1, r.bottom - 1);
        if (flags & BF_TOP)
            FillColor(dc, light, r.left, r.top, r.right - 1, r.top + 1);
        if (flags & BF_RIGHT)
            FillColor(dc, dark, r.right - 1, r.top, r.right, r.bottom);
        if (flags & BF_BOTTOM)
            FillColor(dc, dark, r.left, r.bottom - 1, r.right, r.bottom);
        r.left += (flags & BF_LEFT) ? 1 : 0;
        r.top += (flags & BF_TOP) ? 1 : 0;
        r.right -= (flags & BF_RIGHT) ? 1 : 0;
        r.bottom -= (flags & BF_BOTTOM) ? 1 : 0;
        return true;
    }
    return false;
}

} // namespace

bool FillRect(HDC dc, const RECT* rect, HBRUSH handle) {
    Brush* brush = AsBrush(handle);
    if (!dc || !rect || !brush)
        return false;
    if (SetBrushSource(dc, brush))
        FillPixels(dc->cr, rect->left, rect->top, rect->right, rect->bottom);
    return true;
}

bool FrameRect(HDC dc, const RECT* rect, HBRUSH handle) {
    Brush* brush = AsBrush(handle);
    if (!dc || !rect || !brush)
        return false;
    const RECT& r = *rect;
    if (r.right <= r.left || r.bottom <= r.top || !SetBrushSource(dc, brush))
        return true;
    cairo_new_path(dc->cr);
    cairo_rectangle(dc->cr, r.left, r.top, r.right - r.left, 1);
    if (r.bottom - r.top > 1)
        cairo_rectangle(dc->cr, r.left, r.bottom - 1, r.right - r.left, 1);
    if (r.bottom - r.top > 2) {
        cairo_rectangle(dc->cr, r.left, r.top + 1, 1, r.bottom - r.top - 2);
        if (r.right - r.left > 1)
            cairo_rectangle(dc->cr, r.right - 1, r.top + 1, 1, r.bottom - r.top - 2);
    }
    cairo_fill(dc->cr);
    return true;
}

bool InvertRect(HDC dc, const RECT* rect) {
    if (!dc || !rect)
        return false;
    InvertPixels(dc, rect->left, rect->top, rect->right, rect->bottom);
    return true;
}

bool PatBlt(HDC dc, int x, int y, int width, int height, std::uint32_t rop) {
    if (!dc)
        return false;
    const int left = std::min(x, x + width);
    const int right = std::max(x, x + width);
    const int top = std::min(y, y + height);
    const int bottom = std::max(y, y + height);
    switch (rop) {
    case PATCOPY:
        if (SetBrushSource(dc, dc->brush)) {
            cairo_save(dc->cr);
            cairo_set_operator(dc->cr, CAIRO_OPERATOR_SOURCE);
            FillPixels(dc->cr, left, top, right, bottom);
            cairo_restore(dc->cr);
        }
        return true;
    case DSTINVERT:
        InvertPixels(dc, left, top, right, bottom);
        return true;
    case BLACKNESS:
    case WHITENESS:
        FillColor(dc, rop == BLACKNESS ? RGB(0, 0, 0) : RGB(255, 255, 255), left, top, right, bottom);
        return true;
    default:
        return false;
    }
}

bool SetPixel(HDC dc, int x, int y, COLORREF color) {
    if (!dc)
        return false;
    FillColor(dc, color, x, y, x + 1, y + 1);
    return true;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    if (!dc)
        return CLR_INVALID;
    if (x < 0 || y < 0 || x >= dc->width || y >= dc->height || (dc->clip && !cairo_region_contains_point(dc->clip, x, y)))
        return CLR_INVALID;
    return Platform::GetSurfacePixel(dc->surface, dc->origin.x + x, dc->origin.y + y);
}

bool MoveToEx(HDC dc, int x, int y, POINT* previous) {
    if (!dc)
        return false;
    if (previous)
        *previous = dc->penPosition;
    dc->penPosition = {x, y};
    return true;
}

bool LineTo(HDC dc, int x, int y) {
    if (!dc)
        return false;
    StrokePixels(dc, LinePixels(dc->penPosition.x, dc->penPosition.y, x, y));
    dc->penPosition = {x, y};
    return true;
}

bool Polyline(HDC dc, const POINT* points, int count) {
    if (!dc || !points || count < 2)
        return false;
    std::vector<POINT> pixels;
    for (int i = 1; i < count; ++i) {
        const std::vector<POINT> segment = LinePixels(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
        pixels.insert(pixels.end(), segment.begin(), segment.end());
    }
    StrokePixels(dc, pixels);
    return true;
}

bool Rectangle(HDC dc, int left, int top, int right, int bottom) {
    if (!dc)
        return false;
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    if (!HasPen(dc)) {
        // Without an outline the fill keeps to where the outline would end.
        if (SetBrushSource(dc, dc->brush))
            FillPixels(dc->cr, left, top, right - 1, bottom - 1);
        return true;
    }
    const int thickness = dc->pen->width;
    if (SetBrushSource(dc, dc->brush))
        FillPixels(dc->cr, left + thickness, top + thickness, right - thickness, bottom - thickness);
    // The outline grows inwards from the rectangle's edges.
    const int bandTop = std::min(top + thickness, bottom);
    const int bandBottom = std::max(bottom - thickness, bandTop);
    SetSourceColor(dc->cr, dc->pen->color);
    cairo_new_path(dc->cr);
    cairo_rectangle(dc->cr, left, top, right - left, bandTop - top);
    if (bottom > bandBottom)
        cairo_rectangle(dc->cr, left, bandBottom, right - left, bottom - bandBottom);
    if (bandBottom > bandTop) {
        const int leftEnd = std::min(left + thickness, right);
        const int rightStart = std::max(right - thickness, leftEnd);
        cairo_rectangle(dc->cr, left, bandTop, leftEnd - left, bandBottom - bandTop);
        cairo_rectangle(dc->cr, rightStart, bandTop, right - rightStart, bandBottom - bandTop);
    }
    cairo_fill(dc->cr);
    return true;
}

bool RoundRect(HDC dc, int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) {
    if (!dc)
        return false;
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    if (!HasPen(dc)) {
        --right;
        --bottom;
    }
    DrawShape(dc, ShapeSpans(left, top, right, bottom, cornerWidth, cornerHeight));
    return true;
}

bool Ellipse(HDC dc, int left, int top, int right, int bottom) {
    return RoundRect(dc, left, top, right, bottom, std::abs(right - left), std::abs(bottom - top));
}

bool Polygon(HDC dc, const POINT* points, int count) {
    if (!dc || !points || count < 2)
        return false;
    if (SetBrushSource(dc, dc->brush)) {
        // Pixels whose centres lie inside are filled (alternate rule).
        cairo_new_path(dc->cr);
        cairo_move_to(dc->cr, points[0].x + 0.5, points[0].y + 0.5);
        for (int i = 1; i < count; ++i)
            cairo_line_to(dc->cr, points[i].x + 0.5, points[i].y + 0.5);
        cairo_close_path(dc->cr);
        cairo_set_fill_rule(dc->cr, CAIRO_FILL_RULE_EVEN_ODD);
        cairo_fill(dc->cr);
        cairo_set_fill_rule(dc->cr, CAIRO_FILL_RULE_WINDING);
    }
    std::vector<POINT> closed(points, points + count);
    closed.push_back(points[0]);
    std::vector<POINT> pixels;
    for (std::size_t i = 1; i < closed.size(); ++i) {
        const std::vector<POINT> segment = LinePixels(closed[i - 1].x, closed[i - 1].y, closed[i].x, closed[i].y);
        pixels.insert(pixels.end(), segment.begin(), segment.end());
    }
    StrokePixels(dc, pixels);
    return true;
}

bool GradientFill(HDC dc, const TRIVERTEX* vertices, std::uint32_t vertexCount, const void* mesh,
                  std::uint32_t meshCount, UINT mode) {
    if (!dc || !vertices || !mesh || (mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V))
        return false;
    const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
    for (std::uint32_t i = 0; i < meshCount; ++i) {
        if (rects[i].UpperLeft >= vertexCount || rects[i].LowerRight >= vertexCount)
            return false;
    }
    for (std::uint32_t i = 0; i < meshCount; ++i)
        FillGradientRect(dc, vertices[rects[i].UpperLeft], vertices[rects[i].LowerRight],
                         mode == GRADIENT_FILL_RECT_V);
    return true;
}

bool DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags) {
    if (!dc || !rect)
        return false;
    RECT r = *rect;
    DrawEdgeRing(dc, r, edge, flags, kOuterEdges);
    DrawEdgeRing(dc, r, edge, flags, kInnerEdges);
    if (flags & BF_MIDDLE)
        FillColor(dc, GetSysColor(COLOR_BTNFACE), r.left, r.top, r.right, r.bottom);
    if (flags & BF_ADJUST)
        *rect = r;
    return true;
}

bool DrawFocusRect(HDC dc, const RECT* rect) {
    if (!dc || !rect || rect->right <= rect->left || rect->bottom <= rect->top)
        return false;
    const RECT& r = *rect;
    cairo_save(dc->cr);
    cairo_set_operator(dc->cr, CAIRO_OPERATOR_DIFFERENCE);
    cairo_set_source_rgb(dc->cr, 1, 1, 1);
    cairo_new_path(dc->cr);
    // Every other pixel of the frame, so that a second call restores it.
    auto dot = [&](int x, int y) {
        if (((x + y) & 1) == 0)
            cairo_rectangle(dc->cr, x, y, 1, 1);
    };
    for (int x = r.left; x < r.right; ++x) {
        dot(x, r.top);
        if (r.bottom - 1 > r.top)
            dot(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        dot(r.left, y);
        if (r.right - 1 > r.left)
            dot(r.right - 1, y);
    }
    cairo_fill(dc->cr);
    cairo_restore(dc->cr);
    return true;
}
