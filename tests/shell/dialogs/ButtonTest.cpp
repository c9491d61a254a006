// The image button: presses by pen and keys, focus moves, characters handed
// to the parent, and what it draws with and without the focus.

#include "DialogTestSupport.h"

#include "CYolWMUI_Button.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowInput.h"
#include "WindowSystem/WindowKeys.h"

#include <gtest/gtest.h>

#include <memory>

using namespace dialog_test;
using UI::CYolWMUI_Button;

namespace {

class Button : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        button.reset(CYolWMUI_Button::CreateButton(owner, RECT{100, 100, 130, 124}, 9));
        ASSERT_NE(button, nullptr);
        SetFocus(*button);
        rec.log.clear();
    }
    void TearDown() override {
        button.reset();
        DialogTest::TearDown();
    }

    int Presses() const {
        int n = 0;
        for (const ui_test::Logged& l : rec.log)
            n += l.msg == WM_COMMAND && l.wParam == CYolWMUI_Button::kPressCode &&
                 reinterpret_cast<HWND>(l.lParam) == static_cast<HWND>(*button);
        return n;
    }
    const ui_test::Logged* Last(UINT msg) const { return rec.Last(msg); }

    std::unique_ptr<CYolWMUI_Button> button;
};

TEST_F(Button, EnterOrSpaceReleasedOnTheButtonPressesIt) {
    Platform::InjectKey(VK_RETURN);
    Platform::InjectKey(VK_SPACE);
    Platform::PumpMessages();
    EXPECT_EQ(Presses(), 2);
    EXPECT_FALSE(button->IsPressed());
    EXPECT_EQ(rec.Count(WM_CHAR), 0) << "Enter and Space are the button's own";
}

TEST_F(Button, AKeyUpWithoutItsKeyDownOnTheButtonPressesNothing) {
    Platform::InjectKeyUp(VK_RETURN);
    Platform::PumpMessages();
    EXPECT_EQ(Presses(), 0);
}

TEST_F(Button, ThePenPressesItWhereverItIsLifted) {
    Platform::InjectPenDown(POINT{110, 110});
    Platform::PumpMessages();
    EXPECT_TRUE(button->IsPressed());
    EXPECT_EQ(Presses(), 0);
    Platform::InjectPenMove(POINT{300, 400});
    Platform::InjectPenUp(POINT{300, 400});
    Platform::PumpMessages();
    EXPECT_EQ(Presses(), 1);
    EXPECT_FALSE(button->IsPressed());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Button, AParentThatDeletesTheButtonOnItsPressIsSafe) {
    rec.handler = [this](HWND, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_COMMAND && wParam == CYolWMUI_Button::kPressCode)
            button.reset();
        return std::nullopt;
    };
    Platform::InjectTap(POINT{110, 110});
    Platform::InjectKey(VK_RETURN);
    Platform::PumpMessages();
    EXPECT_EQ(button, nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Button, ArrowsAndTabMoveTheDialogFocusAndLettersReachTheParent) {
    struct Case {
        unsigned key;
        WPARAM backward;
    };
    const Case cases[] = {{VK_TAB, 0}, {VK_RIGHT, 0}, {VK_DOWN, 0}, {VK_LEFT, 1}, {VK_UP, 1}};
    for (const Case& c : cases) {
        rec.log.clear();
        Platform::InjectKey(c.key);
        Platform::PumpMessages();
        const ui_test::Logged* next = Last(WM_NEXTDLGCTL);
        ASSERT_NE(next, nullptr) << c.key;
        EXPECT_EQ(next->wParam, c.backward) << c.key;
        SetFocus(*button);
    }
    rec.log.clear();
    Platform::InjectText(u"a");
    Platform::PumpMessages();
    ASSERT_NE(Last(WM_CHAR), nullptr);
    EXPECT_EQ(Last(WM_CHAR)->wParam, static_cast<WPARAM>(u'a'));
    EXPECT_EQ(SendMessage(*button, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTTAB);
}

TEST_F(Button, DrawsItsImageCentredAndABlackFrameOnlyWithTheFocus) {
    button->RedrawNow(0);
    // 30 x 24 with a border: the 16-pixel image sits in the middle.
    const int w = button->GetClientWidth();
    const int h = button->GetClientHeight();
    EXPECT_EQ(PixelOf(*button, w / 2, h / 2), menu_test::ImageColour(9));
    EXPECT_EQ(PixelOf(*button, (w - 16) / 2 - 1, h / 2), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(PixelOf(*button, 0, h / 2), RGB(0, 0, 0));
    EXPECT_EQ(PixelOf(*button, w - 1, h / 2), RGB(0, 0, 0));
    SetFocus(owner);
    button->RedrawNow(0);
    EXPECT_EQ(PixelOf(*button, 0, h / 2), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(PixelOf(*button, w / 2, h / 2), menu_test::ImageColour(9));
}

} // namespace
