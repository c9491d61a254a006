// Rectangles, coordinate mapping, showing, moving and stacking.

#include "WindowTestSupport.h"

using namespace ui_test;

namespace {

class WindowGeometry : public WindowTest {};

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(WindowGeometry, ClientAreaLeavesOutBorderAndShownScrollBar) {
    Recorder rec;
    HWND w = Make(rec, WS_POPUP | WS_BORDER | WS_VSCROLL, RECT{10, 10, 110, 60});
    RECT client;
    GetClientRect(w, &client);
    EXPECT_TRUE(Same(client, RECT{0, 0, 98, 48})) << "the bar starts hidden";
    ASSERT_TRUE(ShowScrollBar(w, true));
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 98 - GetSystemMetrics(SM_CXVSCROLL));
    const RECT bar = GetScrollBarRect(w);
    EXPECT_TRUE(Same(bar, RECT{99 - GetSystemMetrics(SM_CXVSCROLL), 1, 99, 49}));
    EXPECT_EQ(rec.Count(WM_SIZE, w), 2) << "the client area changed";
    EXPECT_FALSE(ShowScrollBar(Make(rec), true)) << "only for WS_VSCROLL windows";
}

TEST_F(WindowGeometry, PointsMapBetweenNestedClientAreas) {
    Recorder rec;
    HWND top = Make(rec, WS_POPUP | WS_VISIBLE | WS_BORDER, RECT{100, 50, 300, 250});
    HWND child = Make(rec, WS_CHILD | WS_VISIBLE | WS_BORDER, RECT{10, 20, 110, 120}, top);
    POINT p{0, 0};
    ClientToScreen(child, &p);
    EXPECT_EQ(p.x, 100 + 1 + 10 + 1);
    EXPECT_EQ(p.y, 50 + 1 + 20 + 1);
    ScreenToClient(top, &p);
    EXPECT_EQ(p.x, 11);
    EXPECT_EQ(p.y, 21);
    POINT q{5, 5};
    MapWindowPoints(child, top, &q, 1);
    EXPECT_EQ(q.x, 16);
    EXPECT_EQ(q.y, 26);
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_TRUE(Same(r, RECT{111, 71, 211, 171}));
    EXPECT_EQ(WindowFromPoint(POINT{112, 72}), child);
    EXPECT_EQ(WindowFromPoint(POINT{105, 60}), top);
    EXPECT_EQ(WindowFromPoint(POINT{5, 5}), nullptr);
}

TEST_F(WindowGeometry, PositionChangesSayWhatChanged) {
    struct Case {
        const char* name;
        int x, y, cx, cy;
        UINT flags;
        UINT expectNoMove, expectNoSize;
    };
    const Case cases[] = {
        {"move only", 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER, 0, SWP_NOSIZE},
        {"size only", 0, 0, 50, 60, SWP_NOMOVE | SWP_NOZORDER, SWP_NOMOVE, 0},
        {"same place and size", 5, 5, 50, 60, SWP_NOZORDER, SWP_NOMOVE, SWP_NOSIZE},
    };
    Recorder rec;
    UINT flags = 0;
    int sizes = 0;
    rec.handler = [&](HWND, UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (msg == WM_WINDOWPOSCHANGED)
            flags = reinterpret_cast<const WINDOWPOS*>(lParam)->flags;
        if (msg == WM_SIZE)
            ++sizes;
        return std::nullopt;
    };
    HWND w = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 40, 40});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sizes = 0;
        SetWindowPos(w, nullptr, c.x, c.y, c.cx, c.cy, c.flags);
        EXPECT_EQ(flags & SWP_NOMOVE, c.expectNoMove);
        EXPECT_EQ(flags & SWP_NOSIZE, c.expectNoSize);
        EXPECT_EQ(sizes, c.expectNoSize ? 0 : 1) << "the default procedure sends WM_SIZE";
    }
}

TEST_F(WindowGeometry, ShowingAndHidingFollowTheAncestors) {
    Recorder rec;
    HWND top = Make(rec, WS_POPUP, RECT{0, 0, 50, 50});
    HWND child = Make(rec, WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, top);
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_FALSE(ShowWindow(top, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_EQ(rec.Count(WM_SHOWWINDOW, top), 1);
    EXPECT_TRUE(ShowWindow(top, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(child));
}

TEST_F(WindowGeometry, ShowingActivatesAndRaisesUnlessAskedNotTo) {
    Recorder rec;
    HWND a = Make(rec);
    HWND b = Make(rec, WS_POPUP, RECT{}, nullptr);
    ShowWindow(b, SW_SHOWNA);
    EXPECT_EQ(GetActiveWindow(), a);
    ShowWindow(b, SW_HIDE);
    ShowWindow(b, SW_SHOW);
    EXPECT_EQ(GetActiveWindow(), b);
    EXPECT_EQ(GetWindow(a, GW_HWNDFIRST), b);
}

TEST_F(WindowGeometry, TopMostWindowsStayAboveTheOthers) {
    Recorder rec;
    HWND pinned = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    SetWindowPos(pinned, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    HWND later = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    EXPECT_EQ(WindowFromPoint(POINT{50, 50}), pinned);
    BringWindowToTop(later);
    EXPECT_EQ(WindowFromPoint(POINT{50, 50}), pinned);
    SetWindowPos(pinned, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    BringWindowToTop(later);
    EXPECT_EQ(WindowFromPoint(POINT{50, 50}), later);
}

TEST_F(WindowGeometry, OwnedWindowsStayAboveTheirOwner) {
    Recorder rec;
    HWND owner = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    HWND owned = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 50, 50}, owner);
    Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    SetActiveWindow(owner);
    EXPECT_EQ(WindowFromPoint(POINT{10, 10}), owned);
}

TEST_F(WindowGeometry, SiblingOrderDecidesWhichChildIsHit) {
    Recorder rec;
    HWND top = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    HWND first = Make(rec, WS_CHILD | WS_VISIBLE, RECT{0, 0, 50, 50}, top);
    HWND second = Make(rec, WS_CHILD | WS_VISIBLE, RECT{0, 0, 50, 50}, top);
    EXPECT_EQ(WindowFromPoint(POINT{10, 10}), first);
    SetWindowPos(second, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(WindowFromPoint(POINT{10, 10}), second);
    EXPECT_EQ(GetWindow(top, GW_CHILD), second);
}

TEST_F(WindowGeometry, DefaultSizeIsTheWholeScreen) {
    Recorder rec;
    HWND w = CreateWindowEx(0, kRecordingClass, u"", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, nullptr, nullptr, nullptr, &rec);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_TRUE(Same(r, RECT{0, 0, 480, 640}));
}

TEST_F(WindowGeometry, RectangleHelpersFollowExclusiveEdges) {
    RECT a{0, 0, 10, 10};
    RECT b{10, 0, 20, 10};
    RECT out;
    EXPECT_FALSE(IntersectRect(&out, &a, &b));
    EXPECT_TRUE(IsRectEmpty(&out));
    EXPECT_TRUE(UnionRect(&out, &a, &b));
    EXPECT_TRUE(Same(out, RECT{0, 0, 20, 10}));
    EXPECT_TRUE(PtInRect(&a, POINT{9, 9}));
    EXPECT_FALSE(PtInRect(&a, POINT{10, 9}));
    InflateRect(&a, 1, 2);
    OffsetRect(&a, 3, 4);
    EXPECT_TRUE(Same(a, RECT{2, 2, 14, 16}));
}

} // namespace
