// The image pickers: grid and flow layouts, hit tests, the navigation-key
// tables, scrolling the selection into view and the selection frame.

#include "WindowTestSupport.h"

#include "CYolWMUI_FloatListImageCtrl.h"
#include "CYolWMUI_ListImageCtrl.h"
#include "Drawing/Gdi.h"
#include "WindowSystem/WindowKeys.h"

#include <string>
#include <vector>

using namespace ui_test;

namespace {

struct Heard {
    std::vector<int> clicks;
    std::vector<int> changes;
};

class GridObserver : public UI::CYolWMUI_ListImageCtrl::MLICtrlObserver, public Heard {
public:
    void OnImageClick(UI::CYolWMUI_ListImageCtrl*, int index) override { clicks.push_back(index); }
    void OnSelectChange(UI::CYolWMUI_ListImageCtrl*, int index) override { changes.push_back(index); }
};

class FlowObserver : public UI::CYolWMUI_FloatListImageCtrl::MFLICtrlObserver, public Heard {
public:
    void OnImageClick(UI::CYolWMUI_FloatListImageCtrl*, int index) override { clicks.push_back(index); }
    void OnSelectChange(UI::CYolWMUI_FloatListImageCtrl*, int index) override { changes.push_back(index); }
};

class Grid : public UI::CYolWMUI_ListImageCtrl {
public:
    using UI::CYolWMUI_ListImageCtrl::CYolWMUI_ListImageCtrl;
    int layouts = 0;
    std::vector<int> drawn;
    void LayoutItem(int, const RECT&) override { ++layouts; }
    void RedrawImage(int index, const RECT&, HDC) override { drawn.push_back(index); }
};

class Flow : public UI::CYolWMUI_FloatListImageCtrl {
public:
    using UI::CYolWMUI_FloatListImageCtrl::AddItem;
    using UI::CYolWMUI_FloatListImageCtrl::CYolWMUI_FloatListImageCtrl;
};

class UiBaseListImage : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        parent = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 480, 600});
    }
    // The control's border takes one pixel each side: the client area is
    // the size asked for here.
    template <typename Control>
    void Create(Control& c, int clientWidth, int clientHeight)
    {
        ASSERT_EQ(c.Create(UI::GetYolCommonInstance(), parent, WS_VISIBLE,
                           RECT{0, 0, clientWidth + 2, clientHeight + 2}),
                  1);
    }
    Recorder rec;
    HWND parent = nullptr;
};

// 10 cells of 20 x 20 with gaps of 4: a client 72 wide (70 inside) holds 3
// columns, so 4 rows.
TEST_F(UiBaseListImage, GridLaysCellsOutInColumnsThatFit)
{
    GridObserver heard;
    Grid grid(&heard, 10, 20, 20, 4, 4);
    Create(grid, 72, 200);
    EXPECT_EQ(grid.Columns(), 3);
    EXPECT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.layouts, 10);
    EXPECT_FALSE(IsScrollBarShown(grid));
    RECT r;
    ASSERT_TRUE(grid.GetImageRect(7, r));
    EXPECT_EQ(r.left, 25);
    EXPECT_EQ(r.top, 49);
    EXPECT_EQ(r.right, 45);
    EXPECT_EQ(r.bottom, 69);
    EXPECT_FALSE(grid.GetImageRect(10, r));
    EXPECT_FALSE(grid.GetImageRect(-1, r));
}

TEST_F(UiBaseListImage, GridKeepsOneColumnInANarrowWindow)
{
    Grid grid(nullptr, 5, 20, 20, 4, 4);
    Create(grid, 10, 300);
    EXPECT_EQ(grid.Columns(), 1);
    EXPECT_EQ(grid.Rows(), 5);
    grid.SetSelectImage(2);
    SendMessage(grid, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(grid.GetSelectImage(), 3);
    EXPECT_EQ(grid.HitTest(POINT{5, 30}), 1);
}

TEST_F(UiBaseListImage, GridScrollsWhenRowsDoNotFit)
{
    Grid grid(nullptr, 10, 20, 20, 4, 4);
    // 3 columns need 4 rows (92 pixels); 50 pixels show 2.
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    Create(grid, 72 + bar, 50);
    EXPECT_TRUE(IsScrollBarShown(grid));
    EXPECT_EQ(grid.Columns(), 3) << "columns counted without the bar's strip";
    EXPECT_EQ(grid.GetScrollTic(), 24);
    EXPECT_EQ(grid.GetScrollMaxRange(), 4 * 24 - 4);
    EXPECT_EQ(grid.GetScrollPage(), 50);

    // Selecting a cell below the client scrolls it up to the top.
    EXPECT_EQ(grid.SetSelectImage(9), 9);
    RECT r;
    grid.GetImageRect(9, r);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.bottom, grid.GetClientHeight());
    EXPECT_GT(grid.GetScrollPos(), 0);
}

TEST_F(UiBaseListImage, GridNavigationKeys)
{
    struct Case {
        int from;
        unsigned key;
        int to;
        bool heard;
    };
    const Case cases[] = {
        {7, VK_DOWN, 9, true},   {4, VK_DOWN, 7, true},  {9, VK_DOWN, 9, true},   {1, VK_UP, 0, true},
        {4, VK_UP, 1, true},     {0, VK_UP, 0, true},    {9, VK_RIGHT, 9, false}, {3, VK_RIGHT, 4, true},
        {-1, VK_RIGHT, 0, true}, {0, VK_LEFT, 0, false}, {5, VK_LEFT, 4, true},   {-1, VK_UP, -1, false},
        {-1, VK_DOWN, -1, false},
    };
    for (const Case& c : cases) {
        GridObserver heard;
        Grid grid(&heard, 10, 20, 20, 4, 4);
        Create(grid, 72, 200);
        if (c.from >= 0)
            grid.SetSelectImage(c.from);
        SendMessage(grid, WM_KEYDOWN, c.key, 0);
        EXPECT_EQ(grid.GetSelectImage(), c.to) << c.from << " key " << c.key;
        EXPECT_EQ(heard.changes, c.heard ? std::vector<int>{c.to} : std::vector<int>{}) << c.from << " key " << c.key;
    }
}

TEST_F(UiBaseListImage, EnterClicksTheSelectionAndTheControlWantsArrows)
{
    GridObserver heard;
    Grid grid(&heard, 10, 20, 20, 4, 4);
    Create(grid, 72, 200);
    SendMessage(grid, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(heard.clicks.empty());
    grid.SetSelectImage(4);
    SendMessage(grid, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(heard.clicks, std::vector<int>{4});
    EXPECT_EQ(SendMessage(grid, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST_F(UiBaseListImage, GridHitTest)
{
    Grid grid(nullptr, 10, 20, 20, 4, 4);
    Create(grid, 72, 200);
    struct Case {
        POINT p;
        int hit;
    };
    const Case cases[] = {
        {{1, 1}, 0},   {{20, 20}, 0},  {{21, 5}, -1},  {{25, 5}, 1},   {{0, 5}, -1},  {{5, 0}, -1},
        {{5, 21}, -1}, {{5, 25}, 3},   {{68, 5}, 2},   {{69, 5}, -1},  {{49, 73}, -1}, {{25, 73}, -1},
        {{5, 73}, 9},
    };
    for (const Case& c : cases)
        EXPECT_EQ(grid.HitTest(c.p), c.hit) << c.p.x << "," << c.p.y;
}

TEST_F(UiBaseListImage, TapSelectsTheCellOrNothingInAGap)
{
    GridObserver heard;
    Grid grid(&heard, 10, 20, 20, 4, 4);
    Create(grid, 72, 200);
    SendMessage(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
    EXPECT_EQ(grid.GetSelectImage(), 4);
    EXPECT_EQ(heard.clicks, std::vector<int>{4});
    SendMessage(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(22, 30));
    EXPECT_EQ(grid.GetSelectImage(), -1);
    EXPECT_EQ(heard.clicks, std::vector<int>{4});
    EXPECT_TRUE(heard.changes.empty());
}

TEST_F(UiBaseListImage, SelectionOutsideTheCellsBecomesTheFirst)
{
    Grid grid(nullptr, 10, 20, 20, 4, 4);
    Create(grid, 72, 200);
    EXPECT_EQ(grid.SetSelectImage(-5), 0);
    EXPECT_EQ(grid.SetSelectImage(10), 0);
    Grid empty(nullptr, 0, 20, 20, 4, 4);
    Create(empty, 72, 200);
    EXPECT_EQ(empty.SetSelectImage(3), -1) << "nothing to select";
}

TEST_F(UiBaseListImage, MovingWithoutResizingLeavesTheLayout)
{
    Grid grid(nullptr, 10, 20, 20, 4, 4);
    Create(grid, 72, 200);
    const int before = grid.layouts;
    grid.Move(5, 6);
    EXPECT_EQ(grid.layouts, before);
    grid.Resize(200, 200);
    EXPECT_EQ(grid.layouts, before + 10);
    EXPECT_EQ(grid.Columns(), 8);
}

TEST_F(UiBaseListImage, PaintDrawsTheSelectionFrameAndTheVisibleCells)
{
    Grid grid(nullptr, 10, 20, 20, 4, 4);
    Create(grid, 72 + GetSystemMetrics(SM_CXVSCROLL), 40);
    ASSERT_EQ(grid.Columns(), 3);
    grid.SetSelectImage(0);
    Platform::PumpMessages();
    // Rows 0 and 1 show in 40 pixels (the second one partly).
    EXPECT_EQ(grid.drawn, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    HDC dc = GetDC(grid);
    // The frame runs one pixel outside the cell (1, 1)-(21, 21).
    EXPECT_EQ(GetPixel(dc, 10, 0), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(GetPixel(dc, 0, 10), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(GetPixel(dc, 10, 10), GetSysColor(COLOR_WINDOW));
    ReleaseDC(grid, dc);
}

TEST_F(UiBaseListImage, FlowStartsANewRowWhenACellDoesNotFit)
{
    Flow flow(nullptr, 5, 5);
    Create(flow, 100, 300);
    flow.AddItem(30, 20);
    flow.AddItem(30, 20);
    flow.AddItem(50, 20);
    EXPECT_EQ(flow.RowCount(), 2);
    const RECT third = flow.CellRect(2);
    EXPECT_EQ(third.left, 6);
    EXPECT_EQ(third.top, flow.CellRect(0).bottom + 5);
    EXPECT_EQ(flow.CellRect(1).left, 41);
    EXPECT_EQ(flow.GetScrollMaxRange(), third.bottom + 5);
}

TEST_F(UiBaseListImage, TallerCellLowersTheWholeRow)
{
    Flow flow(nullptr, 5, 5);
    Create(flow, 110, 300);
    flow.AddItem(30, 10);
    flow.AddItem(30, 10);
    flow.AddItem(30, 40);
    EXPECT_EQ(flow.RowCount(), 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(flow.CellRect(i).top, 6);
        EXPECT_EQ(flow.CellRect(i).bottom, 46);
    }
    // Narrower: the tall cell moves to the next row and the first row gets
    // its own height back.
    flow.Resize(2 + 80, 302);
    EXPECT_EQ(flow.RowCount(), 2);
    EXPECT_EQ(flow.CellRect(0).bottom, 16);
    EXPECT_EQ(flow.CellRect(2).top, 21);
    EXPECT_EQ(flow.CellRect(2).bottom, 61);
}

// Row 0: cells 0..2 (left 6, 41, 76), row 1: cells 3 (left 6, 50 wide) and
// 4 (left 61).
class FlowNavigation : public UiBaseListImage {
protected:
    void Fill(Flow& flow)
    {
        Create(flow, 110, 300);
        for (int w : {30, 30, 30, 50, 30})
            flow.AddItem(w, 20);
        ASSERT_EQ(flow.RowCount(), 2);
    }
};

TEST_F(FlowNavigation, KeysMoveBetweenRowsByLeftEdge)
{
    struct Case {
        int from;
        unsigned key;
        int to;
    };
    const Case cases[] = {
        {1, VK_DOWN, 3}, {2, VK_DOWN, 4}, {0, VK_DOWN, 3}, {4, VK_DOWN, 4}, {3, VK_DOWN, 4},
        {4, VK_UP, 1},   {3, VK_UP, 0},   {1, VK_UP, 0},   {2, VK_LEFT, 1}, {4, VK_RIGHT, 4},
    };
    for (const Case& c : cases) {
        FlowObserver heard;
        Flow flow(&heard, 5, 5);
        Fill(flow);
        flow.SetSelectImage(c.from);
        SendMessage(flow, WM_KEYDOWN, c.key, 0);
        EXPECT_EQ(flow.GetSelectImage(), c.to) << c.from << " key " << c.key;
    }
}

TEST_F(FlowNavigation, HitTestTakesTheGapBeforeACell)
{
    FlowObserver heard;
    Flow flow(&heard, 5, 5);
    Fill(flow);
    struct Case {
        POINT p;
        int hit;
    };
    const Case cases[] = {
        {{10, 10}, 0}, {{38, 10}, 1}, {{107, 10}, -1}, {{58, 30}, 4}, {{95, 30}, -1}, {{10, 60}, -1}, {{-1, 10}, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(flow.HitTest(c.p), c.hit) << c.p.x << "," << c.p.y;
    SendMessage(flow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(38, 10));
    EXPECT_EQ(heard.clicks, std::vector<int>{1});
}

TEST_F(UiBaseListImage, FlowScrollsTheSelectionIntoView)
{
    Flow flow(nullptr, 5, 5);
    Create(flow, 100, 60);
    for (int i = 0; i < 6; ++i)
        flow.AddItem(80, 30);
    EXPECT_TRUE(IsScrollBarShown(flow));
    EXPECT_EQ(flow.GetScrollPos(), 0);
    flow.SetSelectImage(4);
    EXPECT_EQ(flow.GetScrollPos(), flow.CellRect(4).top - 5);
}

} // namespace
