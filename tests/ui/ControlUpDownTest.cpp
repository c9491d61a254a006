// Up-down controls: stepping through the range, the buddy that shows and
// takes the number, what the parent is told and may refuse, and the pen
// held on an arrow.

#include "ControlTestSupport.h"

#include "Controls/ControlEdit.h"
#include "Controls/ControlScrollBar.h"
#include "Controls/ControlUpDown.h"

using namespace ui_test;

namespace {

class UpDowns : public ControlTest {
protected:
    // A number field: an edit with an up-down on its right edge.
    void MakeField(std::uint32_t extra = 0) {
        edit = Control(WC_EDIT, WS_BORDER, RECT{10, 10, 110, 40}, 5);
        spin = Control(UPDOWN_CLASS, UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | extra,
                       RECT{0, 0, 20, 10}, 6);
    }
    void TapUp() { Tap(spin, 10, 3); }
    void TapDown() { Tap(spin, 10, 27); }
    LRESULT Pos() const { return SendMessage(spin, UDM_GETPOS32, 0, 0); }
    std::vector<unsigned> ScrollCodes() const {
        std::vector<unsigned> out;
        for (const Logged& l : rec.log)
            if (l.msg == WM_VSCROLL && l.hwnd == parent && reinterpret_cast<HWND>(l.lParam) == spin)
                out.push_back(LOWORD(l.wParam));
        return out;
    }
    HWND edit = nullptr;
    HWND spin = nullptr;
};

TEST_F(UpDowns, SitsOnTheRightEdgeOfItsBuddyAndShowsThePositionThere) {
    MakeField();
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessage(spin, UDM_GETBUDDY, 0, 0)), edit);
    RECT r;
    GetWindowRect(spin, &r);
    POINT corner{r.left, r.top};
    ScreenToClient(parent, &corner);
    EXPECT_EQ(corner.x, 90);
    EXPECT_EQ(corner.y, 10);
    EXPECT_EQ(r.bottom - r.top, 30);
    GetWindowRect(edit, &r);
    EXPECT_EQ(r.right - r.left, 80) << "the buddy narrows to make room";

    SendMessage(spin, UDM_SETRANGE32, 0, 1000);
    SendMessage(spin, UDM_SETPOS32, 0, 1234);
    EXPECT_EQ(Text(edit), u"1000") << "plain digits, no group separators";
    bool ok = false;
    EXPECT_EQ(GetDlgItemInt(parent, 5, &ok, false), 1000u);
    EXPECT_TRUE(ok);
}

TEST_F(UpDowns, ArrowTapsStepAndTellTheParent) {
    MakeField();
    SendMessage(spin, UDM_SETRANGE, 0, MAKELPARAM(10, 0));
    SendMessage(spin, UDM_SETPOS, 0, 5);
    rec.log.clear();
    TapUp();
    EXPECT_EQ(Pos(), 6);
    EXPECT_EQ(Text(edit), u"6");
    const Logged* notify = rec.Last(WM_NOTIFY);
    ASSERT_NE(notify, nullptr);
    EXPECT_EQ(rec.Count(WM_NOTIFY), 1);
    EXPECT_EQ(ScrollCodes(), (std::vector<unsigned>{SB_THUMBPOSITION, SB_ENDSCROLL}));
    TapDown();
    TapDown();
    EXPECT_EQ(Pos(), 4);
}

TEST_F(UpDowns, StartsFromTheNumberTypedInTheBuddy) {
    MakeField();
    SendMessage(spin, UDM_SETRANGE32, 0, 10);
    SetWindowText(edit, u" 9 ");
    TapUp();
    EXPECT_EQ(Pos(), 10);
    TapUp();
    EXPECT_EQ(Pos(), 10) << "stops at the end without UDS_WRAP";
    EXPECT_EQ(Text(edit), u"10");

    struct Case {
        const char16_t* text;
        bool error;
    };
    const Case cases[] = {{u"7", false}, {u"-1", true}, {u"11", true}, {u"abc", true}, {u"", true}, {u"3x", true}};
    for (const Case& c : cases) {
        SetWindowText(edit, c.text);
        bool error = !c.error;
        SendMessage(spin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error));
        EXPECT_EQ(error, c.error) << "text '" << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text))
                                  << "'";
        EXPECT_EQ(HIWORD(static_cast<std::uintptr_t>(SendMessage(spin, UDM_GETPOS, 0, 0))) != 0, c.error);
    }
    EXPECT_EQ(Pos(), 7) << "a bad text keeps the last good number";
}

TEST_F(UpDowns, UpAndDownInTheBuddyStepIt) {
    MakeField();
    SendMessage(spin, UDM_SETRANGE32, 0, 10);
    SendMessage(spin, UDM_SETPOS32, 0, 3);
    SetFocus(edit);
    Key(VK_UP);
    Key(VK_UP);
    Key(VK_DOWN);
    EXPECT_EQ(Pos(), 4);
    EXPECT_EQ(Text(edit), u"4");
    EXPECT_EQ(GetFocus(), edit);
}

TEST_F(UpDowns, StepsFollowTheRangesDirectionAndWrapWhenAsked) {
    struct Case {
        int lower, upper, start;
        bool up;
        std::uint32_t style;
        int expected;
    };
    const Case cases[] = {
        {0, 10, 10, true, 0, 10},       {0, 10, 10, true, UDS_WRAP, 0}, {0, 10, 0, false, UDS_WRAP, 10},
        {10, 0, 5, true, 0, 4},         {10, 0, 0, true, 0, 0},         {-5, 5, -5, false, 0, -5},
        {-5, 5, -5, false, UDS_WRAP, 5},
    };
    for (const Case& c : cases) {
        spin = Control(UPDOWN_CLASS, c.style, RECT{300, 10, 320, 40}, 6);
        SendMessage(spin, UDM_SETRANGE32, static_cast<WPARAM>(c.lower), c.upper);
        SendMessage(spin, UDM_SETPOS32, 0, c.start);
        if (c.up)
            TapUp();
        else
            TapDown();
        EXPECT_EQ(Pos(), c.expected) << c.lower << ".." << c.upper << " from " << c.start;
        DestroyWindow(spin);
    }
}

TEST_F(UpDowns, ParentMayRefuseOrWidenTheStep) {
    MakeField();
    SendMessage(spin, UDM_SETRANGE32, 0, 100);
    int seenPos = -1;
    LRESULT answer = 1;
    rec.handler = [&](HWND, UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (msg != WM_NOTIFY)
            return std::nullopt;
        auto* nm = reinterpret_cast<NMUPDOWN*>(lParam);
        if (nm->hdr.code != UDN_DELTAPOS || nm->hdr.hwndFrom != spin)
            return std::nullopt;
        seenPos = nm->iPos;
        nm->iDelta *= 10;
        return answer;
    };
    SendMessage(spin, UDM_SETPOS32, 0, 20);
    TapUp();
    EXPECT_EQ(seenPos, 20);
    EXPECT_EQ(Pos(), 20);
    EXPECT_TRUE(ScrollCodes() == std::vector<unsigned>{SB_ENDSCROLL}) << "a refused step moves nothing";
    answer = 0;
    TapDown();
    EXPECT_EQ(Pos(), 10);
    rec.handler = nullptr;
}

TEST_F(UpDowns, HoldingThePenRepeatsTheStep) {
    MakeField();
    SendMessage(spin, UDM_SETRANGE32, 0, 100);
    Platform::InjectPenDown(OnScreen(spin, 10, 3));
    Platform::PumpMessages();
    EXPECT_EQ(Pos(), 1);
    clock.Advance(399);
    Platform::PumpMessages();
    EXPECT_EQ(Pos(), 1);
    clock.Advance(1);
    Platform::PumpMessages();
    EXPECT_EQ(Pos(), 2);
    for (int i = 0; i < 3; ++i) {
        clock.Advance(100);
        Platform::PumpMessages();
    }
    EXPECT_EQ(Pos(), 5);
    Platform::InjectPenUp(OnScreen(spin, 10, 3));
    Platform::PumpMessages();
    clock.Advance(1000);
    Platform::PumpMessages();
    EXPECT_EQ(Pos(), 5);
    EXPECT_EQ(Text(edit), u"5");
}

} // namespace
