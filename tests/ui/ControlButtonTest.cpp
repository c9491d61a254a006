// Static and button controls: taps, keys, check states, radio groups and
// what they paint.

#include "ControlTestSupport.h"

#include "Controls/ControlButton.h"
#include "Controls/ControlStatic.h"
#include "WindowSystem/Dialog.h"

using namespace ui_test;

namespace {

class Buttons : public ControlTest {};

// Dark pixels inside a rectangle of the window's picture.
int DarkPixels(HWND hwnd, RECT r) {
    UpdateWindow(hwnd);
    HDC dc = GetDC(hwnd);
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            n += (GetRValue(c) + GetGValue(c) + GetBValue(c) < 200) ? 1 : 0;
        }
    ReleaseDC(hwnd, dc);
    return n;
}

TEST_F(Buttons, PushButtonClicksOnlyWhenThePenIsLiftedInsideIt) {
    HWND button = Control(WC_BUTTON, BS_PUSHBUTTON | WS_TABSTOP, RECT{10, 10, 110, 50}, 7, u"Go");
    Tap(button, 50, 20);
    EXPECT_EQ(CountCode(BN_CLICKED), 1);
    EXPECT_EQ(Commands().back().id, 7);
    EXPECT_EQ(GetFocus(), button) << "a tap focuses the button";

    // Pressed, then dragged off and lifted outside: no click, not left pushed.
    Drag(button, POINT{50, 20}, POINT{300, 300});
    EXPECT_EQ(CountCode(BN_CLICKED), 1);
    EXPECT_EQ(SendMessage(button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Buttons, SpaceClicksTheFocusedButtonOnRelease) {
    HWND button = Control(WC_BUTTON, BS_PUSHBUTTON, RECT{10, 10, 110, 50});
    SetFocus(button);
    Platform::InjectKeyDown(VK_SPACE);
    Platform::PumpMessages();
    EXPECT_NE(SendMessage(button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    EXPECT_EQ(CountCode(BN_CLICKED), 0);
    Platform::InjectKeyUp(VK_SPACE);
    Platform::PumpMessages();
    EXPECT_EQ(CountCode(BN_CLICKED), 1);
}

TEST_F(Buttons, CheckBoxesStepThroughTheirStatesOnEachClick) {
    struct Case {
        std::uint32_t style;
        std::vector<LRESULT> states;
    };
    const Case cases[] = {
        {BS_AUTOCHECKBOX, {BST_CHECKED, BST_UNCHECKED, BST_CHECKED}},
        {BS_AUTO3STATE, {BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}},
        {BS_CHECKBOX, {BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED}},
    };
    for (const Case& c : cases) {
        HWND box = Control(WC_BUTTON, c.style, RECT{10, 10, 200, 40});
        for (LRESULT expected : c.states) {
            Tap(box, 8, 15);
            EXPECT_EQ(SendMessage(box, BM_GETCHECK, 0, 0), expected) << "style " << c.style;
        }
        DestroyWindow(box);
    }
    EXPECT_EQ(CountCode(BN_CLICKED), 9) << "every click tells the parent, automatic or not";
}

TEST_F(Buttons, SetCheckKeepsTheStatesTheStyleHas) {
    HWND two = Control(WC_BUTTON, BS_AUTOCHECKBOX, RECT{0, 0, 100, 20}, 1);
    HWND three = Control(WC_BUTTON, BS_3STATE, RECT{0, 20, 100, 40}, 2);
    HWND push = Control(WC_BUTTON, BS_PUSHBUTTON, RECT{0, 40, 100, 60}, 3);
    SendMessage(two, BM_SETCHECK, BST_INDETERMINATE, 0);
    SendMessage(three, BM_SETCHECK, BST_INDETERMINATE, 0);
    SendMessage(push, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessage(two, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessage(three, BM_GETCHECK, 0, 0), BST_INDETERMINATE);
    EXPECT_EQ(SendMessage(push, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(CheckDlgButton(parent, 1, BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(parent, 1), 0u);
    EXPECT_TRUE(Commands().empty()) << "setting the state is not a click";
}

TEST_F(Buttons, AutoRadioButtonChecksItselfAndUnchecksOnlyItsGroup) {
    HWND a = Control(WC_BUTTON, BS_AUTORADIOBUTTON | WS_GROUP, RECT{0, 0, 200, 30}, 1);
    HWND b = Control(WC_BUTTON, BS_AUTORADIOBUTTON, RECT{0, 30, 200, 60}, 2);
    HWND c = Control(WC_BUTTON, BS_AUTORADIOBUTTON, RECT{0, 60, 200, 90}, 3);
    HWND other = Control(WC_BUTTON, BS_AUTORADIOBUTTON | WS_GROUP, RECT{0, 90, 200, 120}, 4);
    SendMessage(a, BM_SETCHECK, BST_CHECKED, 0);
    SendMessage(other, BM_SETCHECK, BST_CHECKED, 0);
    Tap(c, 5, 15);
    EXPECT_EQ(SendMessage(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessage(c, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessage(other, BM_GETCHECK, 0, 0), BST_CHECKED) << "another group is left alone";
    ASSERT_FALSE(Commands().empty());
    EXPECT_EQ(Commands().back().id, 3);

    EXPECT_TRUE(CheckRadioButton(parent, 1, 3, 2));
    EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessage(c, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

Platform::Module g_buttonModule{"control-button-test"};

INT_PTR PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG ? 1 : 0;
}

TEST_F(Buttons, ArrowKeysInADialogMoveThroughARadioGroupCheckingAsTheyGo) {
    DialogTemplate t;
    t.style = WS_POPUP | WS_VISIBLE;
    t.cx = 120;
    t.cy = 60;
    t.items = {
        {WC_BUTTON, 1, 4, 4, 100, 10, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, u"One"},
        {WC_BUTTON, 2, 4, 16, 100, 10, WS_VISIBLE | BS_AUTORADIOBUTTON, u"Two"},
        {WC_BUTTON, 3, 4, 28, 100, 10, WS_VISIBLE | BS_AUTORADIOBUTTON, u"Three"},
    };
    RegisterDialogTemplate(&g_buttonModule, 1, t);
    HWND dlg = CreateDialogParam(&g_buttonModule, 1, nullptr, &PlainDialogProc, 0);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 1));
    auto press = [&](unsigned vk) {
        Platform::InjectKey(vk);
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessage(dlg, &m)) {
                TranslateMessage(&m);
                DispatchMessage(&m);
            }
    };
    press(VK_DOWN);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 2));
    EXPECT_EQ(IsDlgButtonChecked(dlg, 2), 1u);
    press(VK_DOWN);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 3), 1u);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 2), 0u);
    DestroyWindow(dlg);
    UnregisterDialogTemplate(&g_buttonModule, 1);
}

TEST_F(Buttons, PaintsTheCheckMarkOnlyWhenChecked) {
    HWND box = Control(WC_BUTTON, BS_AUTOCHECKBOX, RECT{10, 10, 200, 40}, 1, u"");
    const int side = Platform::ScaleY(13);
    const int top = (30 - side) / 2;
    const RECT inside{3, top + 3, side - 3, top + side - 3};
    EXPECT_EQ(DarkPixels(box, inside), 0);
    SendMessage(box, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_GT(DarkPixels(box, inside), 4);

    HWND radio = Control(WC_BUTTON, BS_RADIOBUTTON, RECT{10, 50, 200, 80}, 2, u"");
    const RECT centre{side / 2 - 2, top + side / 2 - 2, side / 2 + 2, top + side / 2 + 2};
    EXPECT_EQ(DarkPixels(radio, centre), 0);
    SendMessage(radio, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(DarkPixels(radio, centre), 16);
}

TEST_F(Buttons, StaticTellsTapsOnlyWithNotifyAndDrawsItsText) {
    HWND quiet = Control(WC_STATIC, SS_LEFT, RECT{0, 0, 200, 40}, 1, u"Hello");
    HWND notifying = Control(WC_STATIC, SS_NOTIFY, RECT{0, 50, 200, 90}, 2, u"");
    Tap(quiet, 5, 5);
    Tap(notifying, 5, 5);
    ASSERT_EQ(Commands().size(), 1u);
    EXPECT_EQ(Commands()[0].id, 2);
    EXPECT_EQ(Commands()[0].code, STN_CLICKED);
    EXPECT_GT(DarkPixels(quiet, RECT{0, 0, 200, 40}), 10);
    EXPECT_EQ(DarkPixels(notifying, RECT{0, 0, 200, 40}), 0);
    SetWindowText(notifying, u"Now");
    EXPECT_GT(DarkPixels(notifying, RECT{0, 0, 200, 40}), 10) << "new text repaints";
}

} // namespace
