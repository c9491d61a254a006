// Rectangle arithmetic (right and bottom exclusive).

#include "WindowGeometry.h"

#include <algorithm>

bool SetRect(RECT* rect, int left, int top, int right, int bottom)
{
    if (!rect)
        return false;
    *rect = RECT{left, top, right, bottom};
    return true;
}

bool IsRectEmpty(const RECT* rect)
{
    return !rect || rect->right <= rect->left || rect->bottom <= rect->top;
}

bool PtInRect(const RECT* rect, POINT point)
{
    return rect && point.x >= rect->left && point.x < rect->right && point.y >= rect->top && point.y < rect->bottom;
}

bool IntersectRect(RECT* out, const RECT* a, const RECT* b)
{
    if (!out || !a || !b)
        return false;
    const RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
                 std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *out = RECT{};
        return false;
    }
    *out = r;
    return true;
}

bool UnionRect(RECT* out, const RECT* a, const RECT* b)
{
    if (!out || !a || !b)
        return false;
    if (IsRectEmpty(a)) {
        *out = IsRectEmpty(b) ? RECT{} : *b;
    } else if (IsRectEmpty(b)) {
        *out = *a;
    } else {
        *out = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                    std::max(a->bottom, b->bottom)};
    }
    return !IsRectEmpty(out);
}

bool OffsetRect(RECT* rect, int dx, int dy)
{
    if (!rect)
        return false;
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return true;
}

bool InflateRect(RECT* rect, int dx, int dy)
{
    if (!rect)
        return false;
    rect->left -= dx;
    rect->right += dx;
    rect->top -= dy;
    rect->bottom += dy;
    return true;
}
