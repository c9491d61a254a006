#pragma once
// What the control suites share: a parent window that records the
// notifications its controls send, and pen and key helpers in the
// controls' own coordinates.

#include "WindowTestSupport.h"

#include "Controls/Control.h"
#include "Drawing/Gdi.h"
#include "WindowSystem/WindowKeys.h"

#include <string>

namespace ui_test {

struct Command {
    int id;
    unsigned code;
};

class ControlTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        InitCommonControls();
        parent = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 480, 600});
    }

    HWND Control(const char16_t* cls, std::uint32_t style, RECT r, int id = 100, const char16_t* text = u"") {
        HWND h = CreateWindowEx(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)),
                                nullptr, nullptr);
        return h;
    }

    // The WM_COMMAND notifications the parent got, in order.
    std::vector<Command> Commands() const {
        std::vector<Command> out;
        for (const Logged& l : rec.log)
            if (l.msg == WM_COMMAND && l.hwnd == parent)
                out.push_back(Command{static_cast<int>(LOWORD(l.wParam)), HIWORD(l.wParam)});
        return out;
    }
    std::vector<unsigned> Codes() const {
        std::vector<unsigned> out;
        for (const Command& c : Commands())
            out.push_back(c.code);
        return out;
    }
    int CountCode(unsigned code) const {
        int n = 0;
        for (const Command& c : Commands())
            n += c.code == code ? 1 : 0;
        return n;
    }

    static POINT OnScreen(HWND hwnd, int x, int y) {
        POINT p{x, y};
        ClientToScreen(hwnd, &p);
        return p;
    }
    void Tap(HWND hwnd, int x, int y) {
        Platform::InjectTap(OnScreen(hwnd, x, y));
        Platform::PumpMessages();
    }
    void Drag(HWND hwnd, POINT from, POINT to) {
        Platform::InjectPenDown(OnScreen(hwnd, from.x, from.y));
        Platform::InjectPenMove(OnScreen(hwnd, (from.x + to.x) / 2, (from.y + to.y) / 2));
        Platform::InjectPenMove(OnScreen(hwnd, to.x, to.y));
        Platform::InjectPenUp(OnScreen(hwnd, to.x, to.y));
        Platform::PumpMessages();
    }
    void Key(unsigned vk) {
        Platform::InjectKey(vk);
        Platform::PumpMessages();
    }
    // A key pressed with a modifier held.
    void KeyWith(unsigned modifier, unsigned vk) {
        Platform::InjectKeyDown(modifier);
        Platform::InjectKey(vk);
        Platform::InjectKeyUp(modifier);
        Platform::PumpMessages();
    }
    void Type(std::u16string_view text) {
        Platform::InjectText(text);
        Platform::PumpMessages();
    }
    static std::u16string Text(HWND hwnd) {
        char16_t buffer[512];
        const int n = GetWindowText(hwnd, buffer, 512);
        return std::u16string(buffer, static_cast<size_t>(n));
    }
    // The colour of a pixel of the window's picture after it has painted.
    static COLORREF Pixel(HWND hwnd, int x, int y) {
        UpdateWindow(hwnd);
        HDC dc = GetDC(hwnd);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(hwnd, dc);
        return c;
    }

    Recorder rec;
    HWND parent = nullptr;
};

} // namespace ui_test
