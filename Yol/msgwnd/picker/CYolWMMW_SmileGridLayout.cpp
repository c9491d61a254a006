#include "CYolWMMW_SmileGridLayout.h"

#include <algorithm>
#include <cstdlib>

namespace MW {

namespace {

// Twice the horizontal centre, so that odd widths compare exactly.
long long Centre2(const RECT& r) {
    return static_cast<long long>(r.left) + r.right;
}

long long Distance(const RECT& a, const RECT& b) {
    return std::llabs(Centre2(a) - Centre2(b));
}

// First cell of the row that holds cell i.
int RowStart(const std::vector<RECT>& cells, int i) {
    while (i > 0 && cells[i - 1].top == cells[i].top)
        --i;
    return i;
}

// One past the last cell of the row that holds cell i.
int RowEnd(const std::vector<RECT>& cells, int i) {
    const int n = static_cast<int>(cells.size());
    while (i + 1 < n && cells[i + 1].top == cells[i].top)
        ++i;
    return i + 1;
}

bool Valid(const std::vector<RECT>& cells, int i) {
    return i >= 0 && i < static_cast<int>(cells.size());
}

} // namespace

std::vector<RECT> CYolWMMW_SmileGridLayout::Lay(const std::vector<SIZE>& sizes, int width, bool compact,
                                                 int minWidth, int minHeight) {
    return compact ? Flow(sizes, width, minWidth, minHeight) : Uniform(sizes, width, minWidth, minHeight);
}

std::vector<RECT> CYolWMMW_SmileGridLayout::Flow(const std::vector<SIZE>& sizes, int width, int minWidth,
                                                  int minHeight) {
    std::vector<RECT> cells(sizes.size());
    std::size_t rowFirst = 0;
    int x = 0;
    int top = 0;
    int rowHeight = 0;
    const auto closeRow = [&](std::size_t end) {
        for (std::size_t k = rowFirst; k < end; ++k) {
            cells[k].top = top;
            cells[k].bottom = top + rowHeight;
        }
        top += rowHeight;
        rowFirst = end;
        rowHeight = 0;
        x = 0;
    };
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const int w = std::max(minWidth, static_cast<int>(sizes[i].cx));
        // A cell wider than the client on a fresh row stays there: moving it
        // on would only leave empty rows behind.
        if (x > 0 && x + w > width)
            closeRow(i);
        cells[i].left = x;
        cells[i].right = x + w;
        x += w;
        rowHeight = std::max({rowHeight, minHeight, static_cast<int>(sizes[i].cy)});
    }
    closeRow(sizes.size());
    return cells;
}

std::vector<RECT> CYolWMMW_SmileGridLayout::Uniform(const std::vector<SIZE>& sizes, int width, int minWidth,
                                                     int minHeight) {
    int cw = minWidth;
    int ch = minHeight;
    for (const SIZE& s : sizes) {
        cw = std::max(cw, static_cast<int>(s.cx));
        ch = std::max(ch, static_cast<int>(s.cy));
    }
    // Narrower than one cell: one column, cut off at the right, rather than
    // no column at all.
    const int columns = std::max(1, cw > 0 ? width / cw : 1);
    std::vector<RECT> cells(sizes.size());
    for (std::size_t j = 0; j < sizes.size(); ++j) {
        const int col = static_cast<int>(j) % columns;
        const int row = static_cast<int>(j) / columns;
        cells[j] = RECT{col * cw, row * ch, col * cw + cw, row * ch + ch};
    }
    return cells;
}

int CYolWMMW_SmileGridLayout::Above(const std::vector<RECT>& cells, int selected) {
    if (!Valid(cells, selected) || selected == 0)
        return selected;
    const int rowStart = RowStart(cells, selected);
    if (rowStart == 0)
        return 0;
    // From the last cell of the row above leftwards, while the distance does
    // not grow.
    const int aboveStart = RowStart(cells, rowStart - 1);
    int best = rowStart - 1;
    for (int i = best - 1; i >= aboveStart; --i) {
        if (Distance(cells[i], cells[selected]) > Distance(cells[best], cells[selected]))
            break;
        best = i;
    }
    return best;
}

int CYolWMMW_SmileGridLayout::Below(const std::vector<RECT>& cells, int selected) {
    const int last = static_cast<int>(cells.size()) - 1;
    if (!Valid(cells, selected) || selected == last)
        return selected;
    const int belowStart = RowEnd(cells, selected);
    if (belowStart > last)
        return last;
    const int belowEnd = RowEnd(cells, belowStart);
    int best = belowStart;
    for (int i = best + 1; i < belowEnd; ++i) {
        if (Distance(cells[i], cells[selected]) > Distance(cells[best], cells[selected]))
            break;
        best = i;
    }
    return best;
}

int CYolWMMW_SmileGridLayout::At(const std::vector<RECT>& cells, POINT p) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const RECT& r = cells[i];
        if (p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace MW
