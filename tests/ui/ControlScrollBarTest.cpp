// Scroll bars: position clamping, the bar of a WS_VSCROLL window and the
// scroll-bar control's pen and keys.

#include "ControlTestSupport.h"

#include "Controls/ControlScrollBar.h"
#include "Shell/ShellScreen.h"

using namespace ui_test;

namespace {

class ScrollBars : public ControlTest {
protected:
    // The WM_VSCROLL codes (and thumb positions) the parent got.
    std::vector<std::pair<unsigned, int>> Scrolls(UINT msg = WM_VSCROLL) const {
        std::vector<std::pair<unsigned, int>> out;
        for (const Logged& l : rec.log)
            if (l.msg == msg)
                out.emplace_back(LOWORD(l.wParam), static_cast<int>(HIWORD(l.wParam)));
        return out;
    }
};

TEST_F(ScrollBars, PositionIsClampedToTheLastFullPage) {
    struct Case {
        int min, max;
        UINT page;
        int pos;
        int expectedPos;
        UINT expectedPage;
    };
    const Case cases[] = {
        {0, 100, 10, 95, 91, 10},  // max - page + 1
        {0, 100, 10, -5, 0, 10},
        {0, 100, 0, 150, 100, 0},  // no page: up to max
        {0, 100, 1, 150, 100, 1},
        {0, 9, 50, 5, 0, 10},      // the page is cut to the range
        {10, 5, 0, 7, 10, 0},      // max below min counts as min
        {-20, 20, 5, -30, -20, 5},
    };
    HWND control = Control(WC_SCROLLBAR, SBS_VERT, RECT{0, 0, 20, 200});
    HWND window = Make(rec, WS_POPUP | WS_VISIBLE | WS_VSCROLL, RECT{0, 0, 200, 200});
    for (const Case& c : cases) {
        for (auto [hwnd, bar] : {std::pair{control, SB_CTL}, std::pair{window, SB_VERT}}) {
            SCROLLINFO si;
            si.fMask = SIF_ALL;
            si.nMin = c.min;
            si.nMax = c.max;
            si.nPage = c.page;
            si.nPos = c.pos;
            EXPECT_EQ(SetScrollInfo(hwnd, bar, &si, true), c.expectedPos) << c.min << ".." << c.max << " page " << c.page;
            SCROLLINFO out;
            out.fMask = SIF_ALL;
            ASSERT_TRUE(GetScrollInfo(hwnd, bar, &out));
            EXPECT_EQ(out.nPos, c.expectedPos);
            EXPECT_EQ(out.nPage, c.expectedPage);
        }
    }
    SetScrollRange(control, SB_CTL, 0, 40, true); // the page of 5 stays
    EXPECT_EQ(SetScrollPos(control, SB_CTL, 50, true), 0);
    EXPECT_EQ(GetScrollPos(control, SB_CTL), 36);
}

TEST_F(ScrollBars, WindowBarShowsOnlyWhileTheRangeExceedsAPage) {
    HWND window = Make(rec, WS_POPUP | WS_VISIBLE | WS_VSCROLL, RECT{0, 0, 200, 200});
    EXPECT_FALSE(IsScrollBarShown(window));
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE;
    si.nMax = 99;
    si.nPage = 100;
    SetScrollInfo(window, SB_VERT, &si, true);
    EXPECT_FALSE(IsScrollBarShown(window));
    si.nPage = 50;
    SetScrollInfo(window, SB_VERT, &si, true);
    EXPECT_TRUE(IsScrollBarShown(window));
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 200 - GetSystemMetrics(SM_CXVSCROLL));
    si.nPage = 100;
    si.fMask = SIF_PAGE | SIF_DISABLENOSCROLL;
    SetScrollInfo(window, SB_VERT, &si, true);
    EXPECT_TRUE(IsScrollBarShown(window)) << "kept, greyed, when asked to";
}

TEST_F(ScrollBars, TapsOnTheWindowBarScrollTheWindowItself) {
    HWND window = Make(rec, WS_POPUP | WS_VISIBLE | WS_VSCROLL, RECT{0, 0, 200, 300});
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = 99;
    si.nPage = 10;
    si.nPos = 50;
    SetScrollInfo(window, SB_VERT, &si, true);
    const RECT strip = GetScrollBarRect(window);
    const int x = (strip.left + strip.right) / 2;
    Platform::InjectTap(POINT{x, strip.top + 2});
    Platform::InjectTap(POINT{x, strip.bottom - 2});
    Platform::InjectTap(POINT{x, strip.top + 60});
    Platform::PumpMessages();
    const std::vector<std::pair<unsigned, int>> expected = {{SB_LINEUP, 0},  {SB_ENDSCROLL, 0}, {SB_LINEDOWN, 0},
                                                            {SB_ENDSCROLL, 0}, {SB_PAGEUP, 0},  {SB_ENDSCROLL, 0}};
    EXPECT_EQ(Scrolls(), expected);
    for (const Logged& l : rec.log) {
        if (l.msg == WM_VSCROLL) {
            EXPECT_EQ(l.lParam, 0);
        }
    }
}

TEST_F(ScrollBars, ControlTellsItsParentWhatThePenAndKeysAskFor) {
    const int width = 30;
    HWND bar = Control(WC_SCROLLBAR, SBS_VERT | WS_TABSTOP, RECT{0, 0, width, 330}, 5);
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = 100;
    si.nPage = 1;
    si.nPos = 0;
    SetScrollInfo(bar, SB_CTL, &si, true);
    Tap(bar, 10, 5);
    Tap(bar, 10, 325);
    Tap(bar, 10, 200);
    // The thumb (length ScaleY(8) at least) starts right below the top
    // arrow; dragging it to the far end gives the last position.
    Drag(bar, POINT{10, width + 2}, POINT{10, 400});
    SetFocus(bar);
    Key(VK_NEXT);
    const auto s = Scrolls();
    ASSERT_GE(s.size(), 10u);
    EXPECT_EQ(s[0].first, SB_LINEUP);
    EXPECT_EQ(s[1].first, SB_ENDSCROLL);
    EXPECT_EQ(s[2].first, SB_LINEDOWN);
    EXPECT_EQ(s[4].first, SB_PAGEDOWN);
    EXPECT_EQ(s[6].first, SB_THUMBTRACK);
    EXPECT_EQ(s[s.size() - 4].first, SB_THUMBPOSITION);
    EXPECT_EQ(s[s.size() - 4].second, 100);
    EXPECT_EQ(s[s.size() - 3].first, SB_ENDSCROLL);
    EXPECT_EQ(s[s.size() - 2].first, SB_PAGEDOWN);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 0) << "the parent moves the position, not the bar";
    for (const Logged& l : rec.log) {
        if (l.msg == WM_VSCROLL) {
            EXPECT_EQ(l.lParam, reinterpret_cast<LPARAM>(bar));
        }
    }

    HWND across = Control(WC_SCROLLBAR, SBS_HORZ, RECT{0, 400, 300, 430}, 6);
    SetScrollInfo(across, SB_CTL, &si, true);
    Tap(across, 295, 10);
    ASSERT_FALSE(Scrolls(WM_HSCROLL).empty());
    EXPECT_EQ(Scrolls(WM_HSCROLL)[0].first, SB_LINEDOWN);
}

} // namespace
