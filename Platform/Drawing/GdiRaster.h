#pragma once
// Pixel geometry of lines and shapes, decided here rather than by cairo's
// rasteriser so that every pixel is predictable: lines step like Bresenham's
// and leave out their end point, rounded shapes take the pixels whose centres
// lie inside their corner ellipses.

#include "GdiInternal.h"

#include <vector>

namespace Platform {

// The pixels of a line from (x0, y0) towards (x1, y1), end point left out,
// in drawing order.
std::vector<POINT> LinePixels(int x0, int y0, int x1, int y1);

// The rows of the box [left, right) x [top, bottom) with corners rounded by
// an ellipse of cornerWidth x cornerHeight (0 for square corners), top to
// bottom, one span per row.
std::vector<Span> ShapeSpans(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);

// Splits a shape (one span per row, consecutive rows) into the outline of the
// given thickness and what lies inside it.
void SplitOutline(const std::vector<Span>& shape, int thickness, std::vector<Span>& outline,
                  std::vector<Span>& inside);

} // namespace Platform
