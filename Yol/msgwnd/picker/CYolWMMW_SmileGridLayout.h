#pragma once
// Where the smiley picker's cells go and how the arrow keys walk them: pure
// geometry over the cells' rectangles, so that layout and navigation can be
// checked without a window.
//
// Cells are in set order. A row is a run of consecutive cells with the same
// top; rows never overlap and grow downwards.

#include "PlatformTypes.h"

#include <vector>

namespace MW {

class CYolWMMW_SmileGridLayout {
public:
    // One rectangle per smiley size (grid coordinates, before scrolling) for
    // a client `width`. Every cell is at least minWidth x minHeight.
    // compact: cells as wide as their smiley flow in rows as high as their
    // tallest smiley; otherwise one uniform grid sized by the largest
    // smiley. A cell wider than the client still gets a row (or column) of
    // its own.
    static std::vector<RECT> Lay(const std::vector<SIZE>& sizes, int width, bool compact, int minWidth,
                                 int minHeight);

    // The cell the Up or Down key moves to from `selected`: in the row above
    // (below), the one whose horizontal centre is nearest, scanning from the
    // row's end nearest to the selected cell.
    static int Above(const std::vector<RECT>& cells, int selected);
    static int Below(const std::vector<RECT>& cells, int selected);

    // The cell holding the point, edges included; -1 for none.
    static int At(const std::vector<RECT>& cells, POINT point);

private:
    static std::vector<RECT> Flow(const std::vector<SIZE>& sizes, int width, int minWidth, int minHeight);
    static std::vector<RECT> Uniform(const std::vector<SIZE>& sizes, int width, int minWidth, int minHeight);
};

} // namespace MW
