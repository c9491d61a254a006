// Where the picker's cells go for narrow and wide clients, in the uniform
// grid and the compact flow, and where the arrow keys and the stylus land.

#include "CYolWMMW_SmileGridLayout.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Layout = MW::CYolWMMW_SmileGridLayout;

std::vector<SIZE> Sizes(std::initializer_list<std::pair<int, int>> list) {
    std::vector<SIZE> out;
    for (auto [w, h] : list)
        out.push_back(SIZE{w, h});
    return out;
}

std::string Describe(const std::vector<RECT>& cells) {
    std::string out;
    for (const RECT& r : cells)
        out += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom) + ")";
    return out;
}

TEST(SmileGridLayout, UniformGridFollowsTheLargestSmileyAndTheWidth) {
    struct Case {
        const char* name;
        std::vector<SIZE> sizes;
        int width;
        std::string cells;
    };
    const Case cases[] = {
        {"small smileys get the smallest cell", Sizes({{10, 10}, {20, 5}, {5, 5}}), 70,
         "(0,0,30,30)(30,0,60,30)(0,30,30,60)"},
        {"wide enough for all in one row", Sizes({{10, 10}, {20, 5}, {5, 5}}), 480,
         "(0,0,30,30)(30,0,60,30)(60,0,90,30)"},
        {"the widest and the tallest set the cell", Sizes({{40, 10}, {10, 35}, {5, 5}}), 100,
         "(0,0,40,35)(40,0,80,35)(0,35,40,70)"},
        {"narrower than a cell: one column, not none", Sizes({{10, 10}, {10, 10}}), 20,
         "(0,0,30,30)(0,30,30,60)"},
        {"no width at all", Sizes({{10, 10}}), 0, "(0,0,30,30)"},
        {"no smileys", Sizes({}), 240, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Describe(Layout::Lay(c.sizes, c.width, false, 30, 30)), c.cells);
    }
}

TEST(SmileGridLayout, CompactRowsFlowAndTakeTheirTallestSmiley) {
    struct Case {
        const char* name;
        std::vector<SIZE> sizes;
        int width;
        std::string cells;
    };
    const Case cases[] = {
        {"a cell that would pass the width starts a row", Sizes({{50, 10}, {20, 40}, {45, 10}}), 100,
         "(0,0,50,40)(50,0,80,40)(0,40,45,70)"},
        {"a cell exactly at the width stays", Sizes({{50, 10}, {50, 10}}), 100, "(0,0,50,30)(50,0,100,30)"},
        {"a cell wider than the client keeps a row of its own", Sizes({{10, 10}, {150, 10}, {10, 10}}), 100,
         "(0,0,30,30)(0,30,150,60)(0,60,30,90)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Describe(Layout::Lay(c.sizes, c.width, true, 30, 30)), c.cells);
    }
}

TEST(SmileGridLayout, UpAndDownGoToTheNearestCentre) {
    // Compact: row 0 is 90, 30, 30, 30 wide (centres 45, 105, 135, 165),
    // row 1 five cells of 30 (centres 15, 45, 75, 105, 135), row 2 one cell.
    const auto cells = Layout::Lay(Sizes({{90, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1},
                                          {200, 1}}),
                                   200, true, 30, 30);
    ASSERT_EQ(cells[4].top, 30);
    ASSERT_EQ(cells[9].top, 60);
    struct Case {
        const char* name;
        int from;
        int up;
        int down;
    };
    const Case cases[] = {
        {"cell 0 stays on Up; Down finds the centre under it", 0, 0, 5},
        {"the first row goes to the first cell on Up", 3, 0, 8},
        {"Up from the middle takes the nearest centre, not the same offset", 7, 1, 9},
        {"a tie goes on scanning", 6, 0, 9},
        {"the last cell: Down stays, Up finds the nearest", 9, 7, 9},
        {"the far right of row 1 goes up to the far right", 8, 2, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Layout::Above(cells, c.from), c.up);
        EXPECT_EQ(Layout::Below(cells, c.from), c.down);
    }
    // A row below that ends left of the selected cell: its last cell.
    const auto grid = Layout::Lay(Sizes({{1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}}), 90, false, 30, 30);
    EXPECT_EQ(Layout::Below(grid, 2), 4);
    // Rows with no row below: the last cell.
    EXPECT_EQ(Layout::Below(grid, 3), 4);
    // Indexes the grid does not have are left alone.
    EXPECT_EQ(Layout::Above(grid, 7), 7);
    EXPECT_EQ(Layout::Below({}, 0), 0);
}

TEST(SmileGridLayout, TheStylusHitsCellsWithTheirEdges) {
    const auto grid = Layout::Lay(Sizes({{1, 1}, {1, 1}, {1, 1}}), 60, false, 30, 30);
    EXPECT_EQ(Layout::At(grid, POINT{0, 0}), 0);
    EXPECT_EQ(Layout::At(grid, POINT{30, 30}), 0);
    EXPECT_EQ(Layout::At(grid, POINT{31, 10}), 1);
    EXPECT_EQ(Layout::At(grid, POINT{10, 45}), 2);
    EXPECT_EQ(Layout::At(grid, POINT{45, 45}), -1);
    EXPECT_EQ(Layout::At(grid, POINT{-1, 5}), -1);
}

} // namespace
