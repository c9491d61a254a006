// Pixel geometry of lines and rounded shapes.

#include "GdiRaster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Platform {

std::vector<POINT> LinePixels(int x0, int y0, int x1, int y1) {
    std::vector<POINT> pixels;
    const int dx = std::abs(x1 - x0);
    const int dy = std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    const int steps = std::max(dx, dy);
    pixels.reserve(static_cast<std::size_t>(steps));
    int error = dx - dy;
    int x = x0;
    int y = y0;
    for (int i = 0; i < steps; ++i) {
        pixels.push_back({x, y});
        const int twice = 2 * error;
        if (twice > -dy) {
            error -= dy;
            x += sx;
        }
        if (twice < dx) {
            error += dx;
            y += sy;
        }
    }
    return pixels;
}

std::vector<Span> ShapeSpans(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) {
    std::vector<Span> spans;
    if (right <= left || bottom <= top)
        return spans;
    const int width = right - left;
    const int height = bottom - top;
    cornerWidth = std::clamp(cornerWidth, 0, width);
    cornerHeight = std::clamp(cornerHeight, 0, height);
    // Corner ellipses run through the centres of the outermost pixels.
    const double a = (cornerWidth - 1) / 2.0;
    const double b = (cornerHeight - 1) / 2.0;
    const bool rounded = a > 0 && b > 0;
    const double leftCentre = left + a;
    const double rightCentre = right - 1 - a;
    const double topCentre = top + b;
    const double bottomCentre = bottom - 1 - b;
    constexpr double kSlack = 1e-9;
    spans.reserve(static_cast<std::size_t>(height));
    for (int y = top; y < bottom; ++y) {
        Span span{y, left, right};
        double dy = 0;
        if (rounded && y < topCentre)
            dy = topCentre - y;
        else if (rounded && y > bottomCentre)
            dy = y - bottomCentre;
        if (dy > 0) {
            const double ratio = dy / b;
            const double halfWidth = a * std::sqrt(std::max(0.0, 1.0 - ratio * ratio));
            span.x0 = std::max(left, static_cast<int>(std::ceil(leftCentre - halfWidth - 0.5 - kSlack)));
            span.x1 = std::min(right, static_cast<int>(std::floor(rightCentre + halfWidth + 0.5 + kSlack)) + 1);
        }
        spans.push_back(span);
    }
    return spans;
}

void SplitOutline(const std::vector<Span>& shape, int thickness, std::vector<Span>& outline,
                  std::vector<Span>& inside) {
    // Peel one ring of pixels per unit of thickness: a pixel stays inside when
    // its row neighbours and the rows above and below it are all in the shape.
    std::vector<Span> core = shape;
    for (int pass = 0; pass < thickness && !core.empty(); ++pass) {
        std::vector<Span> next(core.size());
        for (std::size_t i = 0; i < core.size(); ++i) {
            next[i] = core[i];
            if (i == 0 || i + 1 == core.size()) {
                next[i].x1 = next[i].x0;
                continue;
            }
            next[i].x0 = std::max({core[i].x0 + 1, core[i - 1].x0, core[i + 1].x0});
            next[i].x1 = std::min({core[i].x1 - 1, core[i - 1].x1, core[i + 1].x1});
            if (next[i].x1 < next[i].x0)
                next[i].x1 = next[i].x0;
        }
        core.swap(next);
    }
    outline.clear();
    inside.clear();
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const Span& row = shape[i];
        const bool hasCore = i < core.size() && core[i].x1 > core[i].x0;
        if (!hasCore) {
            outline.push_back(row);
            continue;
        }
        inside.push_back(core[i]);
        if (core[i].x0 > row.x0)
            outline.push_back({row.y, row.x0, core[i].x0});
        if (row.x1 > core[i].x1)
            outline.push_back({row.y, core[i].x1, row.x1});
    }
}

} // namespace Platform
