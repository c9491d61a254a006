// Trackbars: the position kept in the range, keys, the dragged thumb, the
// channel paging towards the pen, and what the parent is told.

#include "ControlTestSupport.h"

#include "Controls/ControlTrackbar.h"
#include "Shell/ShellScreen.h"

using namespace ui_test;

namespace {

class Trackbars : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        bar = Control(TRACKBAR_CLASS, TBS_AUTOTICKS | WS_TABSTOP, RECT{10, 10, 210, 50}, 9);
    }
    LRESULT Pos() const { return SendMessage(bar, TBM_GETPOS, 0, 0); }
    struct Scroll {
        unsigned code;
        unsigned pos;
        bool operator==(const Scroll&) const = default;
    };
    std::vector<Scroll> Scrolls() const {
        std::vector<Scroll> out;
        for (const Logged& l : rec.log)
            if (l.msg == WM_HSCROLL && l.hwnd == parent && reinterpret_cast<HWND>(l.lParam) == bar)
                out.push_back(Scroll{LOWORD(l.wParam), HIWORD(l.wParam)});
        return out;
    }
    // Where the thumb's centre is drawn at the ends of the range.
    static int FirstCentre() { return Platform::ScaleX(11) / 2; }
    static int LastCentre() { return 200 - Platform::ScaleX(11) / 2 - 1; }
    HWND bar = nullptr;
};

TEST_F(Trackbars, SettingThePositionKeepsItInRangeAndTellsNothing) {
    SendMessage(bar, TBM_SETRANGE, 1, MAKELPARAM(10, 40));
    EXPECT_EQ(Pos(), 10) << "the position follows the range's low end";
    SendMessage(bar, TBM_SETPOS, 1, 99);
    EXPECT_EQ(Pos(), 40);
    SendMessage(bar, TBM_SETPOS, 1, 3);
    EXPECT_EQ(Pos(), 10);
    EXPECT_EQ(SendMessage(bar, TBM_GETRANGEMIN, 0, 0), 10);
    EXPECT_EQ(SendMessage(bar, TBM_GETRANGEMAX, 0, 0), 40);
    EXPECT_TRUE(Scrolls().empty());
}

TEST_F(Trackbars, CountsTicksByFrequencyWithBothEnds) {
    struct Case {
        int low, high;
        WPARAM freq;
        LRESULT ticks;
    };
    const Case cases[] = {{0, 10, 5, 3}, {0, 10, 3, 5}, {0, 10, 1, 11}, {5, 5, 2, 1}, {0, 10, 0, 11}, {0, 10, 50, 2}};
    for (const Case& c : cases) {
        SendMessage(bar, TBM_SETRANGE, 0, MAKELPARAM(c.low, c.high));
        SendMessage(bar, TBM_SETTICFREQ, c.freq, 0);
        EXPECT_EQ(SendMessage(bar, TBM_GETNUMTICS, 0, 0), c.ticks) << c.low << ".." << c.high << " every " << c.freq;
    }
}

TEST_F(Trackbars, KeysMoveByLineAndPageAndTellTheParent) {
    SendMessage(bar, TBM_SETPOS, 0, 50);
    SendMessage(bar, TBM_SETPAGESIZE, 0, 15);
    SendMessage(bar, TBM_SETLINESIZE, 0, 2);
    SetFocus(bar);
    struct Case {
        unsigned vk;
        LRESULT pos;
        unsigned code;
    };
    const Case cases[] = {{VK_RIGHT, 52, TB_LINEDOWN}, {VK_UP, 50, TB_LINEUP},   {VK_NEXT, 65, TB_PAGEDOWN},
                          {VK_PRIOR, 50, TB_PAGEUP},   {VK_END, 100, TB_BOTTOM}, {VK_HOME, 0, TB_TOP}};
    for (const Case& c : cases) {
        rec.log.clear();
        Key(c.vk);
        EXPECT_EQ(Pos(), c.pos);
        EXPECT_EQ(Scrolls(), (std::vector<Scroll>{{c.code, 0}, {TB_ENDTRACK, 0}})) << "key " << c.vk;
    }
    rec.log.clear();
    Key(VK_LEFT);
    EXPECT_EQ(Pos(), 0);
    EXPECT_EQ(Scrolls(), (std::vector<Scroll>{{TB_ENDTRACK, 0}})) << "no move at the end";
}

TEST_F(Trackbars, DraggedThumbFollowsThePen) {
    Drag(bar, POINT{FirstCentre(), 10}, POINT{LastCentre() + 30, 12});
    EXPECT_EQ(Pos(), 100);
    const std::vector<Scroll> s = Scrolls();
    ASSERT_GE(s.size(), 3u);
    EXPECT_EQ(s.front().code, TB_THUMBTRACK);
    EXPECT_GT(s.front().pos, 40u) << "halfway along is about half the range";
    EXPECT_LT(s.front().pos, 60u);
    EXPECT_EQ(s[s.size() - 2], (Scroll{TB_THUMBPOSITION, 100}));
    EXPECT_EQ(s.back().code, TB_ENDTRACK);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(GetFocus(), bar);
}

TEST_F(Trackbars, HeldPenOnTheChannelPagesUntilTheThumbReachesIt) {
    SendMessage(bar, TBM_SETPAGESIZE, 0, 20);
    const int x = (FirstCentre() + LastCentre()) / 2 + (LastCentre() - FirstCentre()) / 4;  // about 75
    Platform::InjectPenDown(OnScreen(bar, x, 10));
    Platform::PumpMessages();
    EXPECT_EQ(Pos(), 20);
    clock.Advance(400);
    Platform::PumpMessages();
    EXPECT_EQ(Pos(), 40);
    for (int i = 0; i < 5; ++i) {
        clock.Advance(100);
        Platform::PumpMessages();
    }
    EXPECT_GE(Pos(), 70);
    EXPECT_LE(Pos(), 80) << "paging stops under the pen";
    Platform::InjectPenUp(OnScreen(bar, x, 10));
    Platform::PumpMessages();
    const std::vector<Scroll> s = Scrolls();
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s.front().code, TB_PAGEDOWN);
    EXPECT_EQ(s.back().code, TB_ENDTRACK);
}

} // namespace
