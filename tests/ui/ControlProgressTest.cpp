// Progress bars: the position kept within the range, and the share of the
// bar it fills.

#include "ControlTestSupport.h"

#include "Controls/ControlProgress.h"

using namespace ui_test;

namespace {

class Progress : public ControlTest {
protected:
    HWND Bar(std::uint32_t style = 0, RECT r = RECT{10, 10, 212, 30}) { return Control(PROGRESS_CLASS, style, r); }
    static LRESULT Pos(HWND bar) { return SendMessage(bar, PBM_GETPOS, 0, 0); }
    static bool Filled(HWND bar, int x, int y) { return Pixel(bar, x, y) == GetSysColor(COLOR_HIGHLIGHT); }
};

TEST_F(Progress, PositionStaysWithinTheRange) {
    HWND bar = Bar();
    EXPECT_EQ(SendMessage(bar, PBM_SETRANGE, 0, MAKELPARAM(10, 50)), MAKELPARAM(0, 100));
    struct Case {
        UINT msg;
        WPARAM wParam;
        LRESULT previous;
        LRESULT now;
    };
    const Case cases[] = {
        {PBM_SETPOS, 30, 10, 30},
        {PBM_SETPOS, 99, 30, 50},
        {PBM_DELTAPOS, static_cast<WPARAM>(-15), 50, 35},
        {PBM_DELTAPOS, static_cast<WPARAM>(-100), 35, 10},
        {PBM_SETPOS, 0, 10, 10},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SendMessage(bar, c.msg, c.wParam, 0), c.previous);
        EXPECT_EQ(Pos(bar), c.now);
    }
    SendMessage(bar, PBM_SETPOS, 40, 0);
    EXPECT_EQ(SendMessage(bar, PBM_SETRANGE32, static_cast<WPARAM>(-70000), 20), MAKELPARAM(10, 50));
    EXPECT_EQ(Pos(bar), 20) << "a narrower range pulls the position in";
    PBRANGE range;
    EXPECT_EQ(SendMessage(bar, PBM_GETRANGE, 1, reinterpret_cast<LPARAM>(&range)), -70000);
    EXPECT_EQ(range.iHigh, 20);
    SendMessage(bar, PBM_SETRANGE32, 5, 2);
    EXPECT_EQ(SendMessage(bar, PBM_GETRANGE, 0, 0), 5) << "a reversed range is empty";
    EXPECT_EQ(Pos(bar), 5);
}

TEST_F(Progress, StepItStartsOverPastTheEnd) {
    HWND bar = Bar();
    SendMessage(bar, PBM_SETRANGE32, 0, 9);
    EXPECT_EQ(SendMessage(bar, PBM_SETSTEP, 4, 0), 10);
    const LRESULT expected[] = {4, 8, 2, 6, 0};
    for (LRESULT e : expected) {
        SendMessage(bar, PBM_STEPIT, 0, 0);
        EXPECT_EQ(Pos(bar), e);
    }
}

TEST_F(Progress, FillsItsShareOfTheBar) {
    HWND bar = Bar();
    SendMessage(bar, PBM_SETPOS, 25, 0);
    // The inside is 200 pixels wide from x = 1: a quarter reaches x = 51.
    EXPECT_TRUE(Filled(bar, 2, 10));
    EXPECT_TRUE(Filled(bar, 50, 10));
    EXPECT_FALSE(Filled(bar, 51, 10));
    SendMessage(bar, PBM_SETPOS, 100, 0);
    EXPECT_TRUE(Filled(bar, 200, 10));

    HWND tall = Bar(PBS_VERTICAL, RECT{300, 10, 320, 112});
    SendMessage(tall, PBM_SETPOS, 50, 0);
    EXPECT_TRUE(Filled(tall, 10, 99));
    EXPECT_FALSE(Filled(tall, 10, 40)) << "a vertical bar fills from the bottom";
}

} // namespace
