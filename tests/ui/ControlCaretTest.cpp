// The caret: one per process, shown and hidden in nesting pairs, blinking
// on the system clock.

#include "WindowTestSupport.h"

#include "Controls/ControlCaret.h"

using namespace ui_test;

namespace {

class Carets : public WindowTest {
protected:
    void TearDown() override {
        DestroyCaret();
        WindowTest::TearDown();
    }
    void Blink(UINT ms) {
        clock.Advance(ms);
        Platform::PumpMessages();
    }
    Recorder rec;
};

TEST_F(Carets, HidesNestAndOnlyTheOwnerOrAnyWindowTogglesThem) {
    HWND owner = Make(rec);
    HWND other = Make(rec);
    ASSERT_TRUE(CreateCaret(owner, nullptr, 2, 10));
    EXPECT_FALSE(Platform::IsCaretOn()) << "a new caret starts hidden";
    EXPECT_FALSE(ShowCaret(other));
    EXPECT_FALSE(HideCaret(other));
    EXPECT_TRUE(ShowCaret(owner));
    EXPECT_TRUE(Platform::IsCaretOn());
    EXPECT_FALSE(ShowCaret(owner)) << "shown already";

    EXPECT_TRUE(HideCaret(nullptr));
    EXPECT_TRUE(HideCaret(owner));
    EXPECT_TRUE(ShowCaret(nullptr));
    EXPECT_FALSE(Platform::IsCaretOn()) << "one hide still stands";
    EXPECT_TRUE(ShowCaret(owner));
    EXPECT_TRUE(Platform::IsCaretOn());

    EXPECT_TRUE(DestroyCaret());
    EXPECT_FALSE(DestroyCaret());
    EXPECT_FALSE(ShowCaret(nullptr));
    EXPECT_FALSE(SetCaretPos(1, 1));
}

TEST_F(Carets, AMoveShowsTheCaretAtOnceAndStartsTheBlinkOver) {
    HWND owner = Make(rec);
    ASSERT_TRUE(CreateCaret(owner, nullptr, 2, 10));
    ASSERT_TRUE(ShowCaret(owner));
    const UINT blink = GetCaretBlinkTime();
    Blink(blink);
    ASSERT_FALSE(Platform::IsCaretOn());

    ASSERT_TRUE(SetCaretPos(5, 6));
    EXPECT_TRUE(Platform::IsCaretOn());
    POINT at{};
    ASSERT_TRUE(GetCaretPos(&at));
    EXPECT_EQ(at.x, 5);
    EXPECT_EQ(at.y, 6);
    Blink(blink - 1);
    EXPECT_TRUE(Platform::IsCaretOn()) << "the blink counts from the move";
    Blink(1);
    EXPECT_FALSE(Platform::IsCaretOn());

    // Hidden, a move changes the place but nothing blinks.
    ASSERT_TRUE(HideCaret(owner));
    ASSERT_TRUE(SetCaretPos(7, 8));
    ASSERT_TRUE(GetCaretPos(&at));
    EXPECT_EQ(at.x, 7);
    Blink(blink);
    EXPECT_FALSE(Platform::IsCaretOn());
    ASSERT_TRUE(ShowCaret(owner));
    EXPECT_TRUE(Platform::IsCaretOn());
}

} // namespace
