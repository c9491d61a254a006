// Where input goes: the stylus to the window under it or to the capture,
// keys to the focus; double taps, enabling and activation.

#include "WindowTestSupport.h"

#include "WindowSystem/WindowHook.h"
#include "WindowSystem/WindowKeys.h"

using namespace ui_test;

namespace {

class WindowInput : public WindowTest {
protected:
    // The stylus messages a window got: (message, x, y).
    static std::vector<std::tuple<UINT, int, int>> Pen(const Recorder& rec, HWND hwnd) {
        std::vector<std::tuple<UINT, int, int>> out;
        for (const Logged& l : rec.log) {
            if (l.hwnd != hwnd)
                continue;
            switch (l.msg) {
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_MOUSEMOVE:
            case WM_LBUTTONDBLCLK:
            case WM_NCLBUTTONDOWN:
                out.emplace_back(l.msg, GET_X_LPARAM(l.lParam), GET_Y_LPARAM(l.lParam));
                break;
            default:
                break;
            }
        }
        return out;
    }
    using Pens = std::vector<std::tuple<UINT, int, int>>;
};

TEST_F(WindowInput, PenGoesToTheDeepestWindowUnderItInClientCoordinates) {
    Recorder rec;
    HWND top = Make(rec, WS_POPUP | WS_VISIBLE, RECT{100, 100, 300, 300});
    HWND child = Make(rec, WS_CHILD | WS_VISIBLE | WS_BORDER, RECT{10, 20, 60, 70}, top);
    Platform::InjectTap(POINT{115, 125});
    Platform::InjectTap(POINT{200, 200});
    Platform::PumpMessages();
    EXPECT_EQ(Pen(rec, child), (Pens{{WM_LBUTTONDOWN, 4, 4}, {WM_LBUTTONUP, 4, 4}}));
    EXPECT_EQ(Pen(rec, top), (Pens{{WM_LBUTTONDOWN, 100, 100}, {WM_LBUTTONUP, 100, 100}}));
}

TEST_F(WindowInput, PenOnABorderIsANonClientPress) {
    Recorder rec;
    HWND w = Make(rec, WS_POPUP | WS_VISIBLE | WS_BORDER, RECT{0, 0, 50, 50});
    Platform::InjectPenDown(POINT{0, 10});
    Platform::PumpMessages();
    ASSERT_NE(rec.Last(WM_NCLBUTTONDOWN), nullptr);
    EXPECT_EQ(rec.Last(WM_NCLBUTTONDOWN)->wParam, static_cast<WPARAM>(HTBORDER));
    EXPECT_EQ(rec.Count(WM_LBUTTONDOWN, w), 0);
}

TEST_F(WindowInput, CaptureTakesThePenWhereverItGoes) {
    Recorder rec;
    rec.handler = [](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_LBUTTONDOWN)
            SetCapture(hwnd);
        if (msg == WM_LBUTTONUP)
            ReleaseCapture();
        return std::nullopt;
    };
    HWND a = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    HWND b = Make(rec, WS_POPUP | WS_VISIBLE, RECT{200, 0, 300, 100});
    Platform::InjectPenDown(POINT{10, 10});
    Platform::InjectPenMove(POINT{250, 10});
    Platform::InjectPenUp(POINT{250, 20});
    Platform::PumpMessages();
    EXPECT_EQ(Pen(rec, a), (Pens{{WM_LBUTTONDOWN, 10, 10}, {WM_MOUSEMOVE, 250, 10}, {WM_LBUTTONUP, 250, 20}}));
    EXPECT_EQ(Pen(rec, b), Pens{});
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(rec.Count(WM_CAPTURECHANGED, a), 1);
}

TEST_F(WindowInput, CaptureChangesAreTold) {
    Recorder rec;
    HWND a = Make(rec);
    HWND b = Make(rec);
    EXPECT_EQ(SetCapture(a), nullptr);
    EXPECT_EQ(SetCapture(b), a);
    ASSERT_NE(rec.Last(WM_CAPTURECHANGED), nullptr);
    EXPECT_EQ(rec.Last(WM_CAPTURECHANGED)->hwnd, a);
    DestroyWindow(b);
    EXPECT_EQ(GetCapture(), nullptr) << "a destroyed window loses the capture";
}

TEST_F(WindowInput, PenDoesNotHover) {
    Recorder rec;
    HWND w = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    Platform::InjectPenMove(POINT{10, 10});
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_MOUSEMOVE, w), 0);
}

TEST_F(WindowInput, QuickSecondTapIsADoubleTapForWindowsThatAskForIt) {
    Recorder rec;
    HWND w = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    Platform::InjectTap(POINT{10, 10});
    clock.Advance(Platform::DoubleClickTime());
    Platform::InjectTap(POINT{12, 11});
    clock.Advance(Platform::DoubleClickTime() + 1);
    Platform::InjectTap(POINT{12, 11});
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_LBUTTONDBLCLK, w), 1);
    EXPECT_EQ(rec.Count(WM_LBUTTONDOWN, w), 2);
}

TEST_F(WindowInput, DisabledWindowsGetNoInput) {
    Recorder rec;
    HWND top = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    HWND child = Make(rec, WS_CHILD | WS_VISIBLE, RECT{0, 0, 50, 50}, top);
    EnableWindow(child, false);
    Platform::InjectTap(POINT{10, 10});
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_LBUTTONDOWN, child), 0);
    EXPECT_EQ(rec.Count(WM_LBUTTONDOWN, top), 1) << "a disabled child lets the pen through to its parent";

    EnableWindow(top, false);
    EXPECT_FALSE(IsWindowEnabled(child));
    Platform::InjectTap(POINT{60, 60});
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_LBUTTONDOWN, top), 1);
}

TEST_F(WindowInput, FocusChangesTellBothWindowsAboutTheOther) {
    Recorder rec;
    HWND top = Make(rec);
    HWND a = Make(rec, WS_CHILD | WS_VISIBLE, RECT{}, top);
    HWND b = Make(rec, WS_CHILD | WS_VISIBLE, RECT{}, top);
    SetFocus(a);
    rec.log.clear();
    EXPECT_EQ(SetFocus(b), a);
    ASSERT_EQ(rec.log.size(), 2u);
    EXPECT_EQ(rec.log[0].hwnd, a);
    EXPECT_EQ(rec.log[0].msg, WM_KILLFOCUS);
    EXPECT_EQ(rec.log[0].wParam, reinterpret_cast<WPARAM>(b));
    EXPECT_EQ(rec.log[1].hwnd, b);
    EXPECT_EQ(rec.log[1].msg, WM_SETFOCUS);
    EXPECT_EQ(rec.log[1].wParam, reinterpret_cast<WPARAM>(a));
    EXPECT_EQ(GetFocus(), b);
}

TEST_F(WindowInput, KeysGoToTheFocusAndDisablingItDropsTheFocus) {
    Recorder rec;
    HWND top = Make(rec);
    HWND field = Make(rec, WS_CHILD | WS_VISIBLE, RECT{}, top);
    SetFocus(field);
    Platform::InjectKey(VK_UP);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_KEYDOWN, field), 1);
    EnableWindow(field, false);
    EXPECT_EQ(GetFocus(), nullptr);
    Platform::InjectKey(VK_UP);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_KEYDOWN, top), 1) << "without a focus keys go to the active window";
}

TEST_F(WindowInput, FocusingAWindowActivatesItsTopLevelWindow) {
    Recorder rec;
    HWND first = Make(rec);
    HWND second = Make(rec);
    HWND inFirst = Make(rec, WS_CHILD | WS_VISIBLE, RECT{}, first);
    EXPECT_EQ(GetActiveWindow(), second);
    rec.log.clear();
    SetFocus(inFirst);
    EXPECT_EQ(GetActiveWindow(), first);
    ASSERT_NE(rec.Last(WM_ACTIVATE), nullptr);
    EXPECT_EQ(rec.Count(WM_ACTIVATE, second), 1);
    EXPECT_EQ(LOWORD(rec.Last(WM_ACTIVATE)->wParam), WA_ACTIVE);
    EXPECT_EQ(GetFocus(), inFirst);
}

TEST_F(WindowInput, DestroyingTheActiveWindowActivatesItsOwner) {
    Recorder rec;
    HWND owner = Make(rec);
    HWND popup = Make(rec, WS_POPUP | WS_VISIBLE, RECT{}, owner);
    EXPECT_EQ(GetActiveWindow(), popup);
    DestroyWindow(popup);
    EXPECT_EQ(GetActiveWindow(), owner);
    EXPECT_EQ(GetFocus(), owner);
}

TEST_F(WindowInput, ForegroundWithOwnedWindowsGoesToTheDialogOfADisabledOwner) {
    Recorder rec;
    HWND owner = Make(rec);
    HWND dialog = Make(rec, WS_POPUP | WS_VISIBLE, RECT{}, owner);
    HWND other = Make(rec);
    EnableWindow(owner, false);
    EXPECT_EQ(GetActiveWindow(), other);
    SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(owner) | 1));
    EXPECT_EQ(GetForegroundWindow(), dialog);
}

TEST_F(WindowInput, TapAndHoldGivesTheContextMenuMessage) {
    Recorder rec;
    HWND top = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
    HWND child = Make(rec, WS_CHILD | WS_VISIBLE, RECT{50, 50, 150, 150}, top);
    Platform::InjectPenDown(POINT{60, 70});
    Platform::PumpMessages();
    clock.Advance(Platform::TapAndHoldDelay - 1);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_CONTEXTMENU), 0);
    clock.Advance(1);
    Platform::PumpMessages();
    ASSERT_EQ(rec.Count(WM_CONTEXTMENU, child), 1);
    EXPECT_EQ(rec.Last(WM_CONTEXTMENU)->wParam, reinterpret_cast<WPARAM>(child));
    EXPECT_EQ(rec.Last(WM_CONTEXTMENU)->lParam, MAKELPARAM(60, 70));
    EXPECT_EQ(rec.Count(WM_CONTEXTMENU, top), 1) << "a child that leaves it passes it to its parent";
    Platform::InjectPenUp(POINT{60, 70});
    clock.Advance(5000);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_CONTEXTMENU, child), 1) << "once per press";
}

TEST_F(WindowInput, HoldComesBeforeALaterLiftThatWasAlreadyQueued) {
    Recorder rec;
    HWND w = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
    Platform::InjectPenDown(POINT{10, 10});
    clock.Advance(Platform::TapAndHoldDelay + 100);
    Platform::InjectPenUp(POINT{10, 10});
    Platform::PumpMessages();
    const auto messages = rec.Messages(w);
    auto menu = std::find(messages.begin(), messages.end(), WM_CONTEXTMENU);
    auto up = std::find(messages.begin(), messages.end(), WM_LBUTTONUP);
    ASSERT_NE(menu, messages.end());
    EXPECT_LT(menu, up);
}

TEST_F(WindowInput, MovingOrLiftingBeforeTheDelayGivesNoContextMenu) {
    struct Case {
        const char* name;
        POINT move;
        bool lift;
    };
    const int drag = GetSystemMetrics(SM_CXDRAG);
    const Case cases[] = {
        {"lifted", POINT{10, 10}, true},
        {"moved beyond the drag distance", POINT{10 + drag + 1, 10}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder rec;
        HWND w = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
        Platform::InjectPenDown(POINT{10, 10});
        clock.Advance(100);
        if (c.lift)
            Platform::InjectPenUp(c.move);
        else
            Platform::InjectPenMove(c.move);
        clock.Advance(5000);
        Platform::PumpMessages();
        EXPECT_EQ(rec.Count(WM_CONTEXTMENU, w), 0);
        Platform::InjectPenUp(c.move);
        Platform::PumpMessages();
        DestroyWindow(w);
    }
    // A wobble within the drag distance still counts as holding still.
    Recorder rec;
    HWND w = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
    Platform::InjectPenDown(POINT{10, 10});
    Platform::InjectPenMove(POINT{10 + drag, 10});
    clock.Advance(Platform::TapAndHoldDelay);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_CONTEXTMENU, w), 1);
}

} // namespace

namespace {

HWND g_scrolled = nullptr;
std::vector<unsigned> g_secondHookSaw;

LRESULT VolumeHook(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (code == HC_ACTION && wParam == WM_KEYDOWN && key->vkCode == VK_F6) {
        SendMessage(g_scrolled, WM_VSCROLL, SB_LINEUP, 0);
        return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT WatchingHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (wParam == WM_KEYDOWN)
        g_secondHookSaw.push_back(reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->vkCode);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class KeyboardHooks : public WindowTest {};

TEST_F(KeyboardHooks, HookSeesKeysFirstAndMaySwallowThem) {
    Recorder rec;
    HWND w = Make(rec);
    SetFocus(w);
    g_scrolled = w;
    g_secondHookSaw.clear();
    HHOOK watching = SetWindowsHookEx(WH_KEYBOARD_LL, &WatchingHook, nullptr, 0);
    HHOOK volume = SetWindowsHookEx(WH_KEYBOARD_LL, &VolumeHook, nullptr, 0);
    ASSERT_NE(volume, nullptr);
    Platform::InjectKey(VK_F6);
    Platform::InjectKey(VK_F7);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_VSCROLL, w), 1);
    ASSERT_EQ(rec.Count(WM_KEYDOWN, w), 1) << "F6 was swallowed";
    EXPECT_EQ(rec.Last(WM_KEYDOWN)->wParam, VK_F7);
    EXPECT_EQ(g_secondHookSaw, (std::vector<unsigned>{VK_F7})) << "the newer hook ran first";
    EXPECT_EQ(rec.Count(WM_KEYUP, w), 2) << "releases are passed on";

    EXPECT_TRUE(UnhookWindowsHookEx(volume));
    EXPECT_FALSE(UnhookWindowsHookEx(volume));
    UnhookWindowsHookEx(watching);
    Platform::InjectKey(VK_F6);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_KEYDOWN, w), 2);
}

} // namespace
