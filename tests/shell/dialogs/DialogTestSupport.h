#pragma once
// What the dialog suites share: a 96-dpi screen (logical and device pixels
// are the same), the menus' skin that paints every image as a solid square
// of a colour made from its id, an owner window, and dialogs that run a
// test's script once their modal loop is running.

#include "MenuTestSupport.h"

#include "Controls/Control.h"
#include "Shell/ShellScreen.h"
#include "UiHelpers.h"
#include "WindowSystem/Dialog.h"

#include <functional>
#include <utility>

namespace dialog_test {

// A window's text as UTF-8.
inline std::string Text(HWND window) {
    CYolString text;
    GetWindowTextString(window, text);
    return text.ToUtf8();
}

constexpr UINT kScript = WM_USER + 50;

// The dialog `Base` with a script that runs once, from inside its loop,
// after creation.
template <class Base>
class Scripted : public Base {
public:
    template <class... Args>
    explicit Scripted(Args&&... args) : Base(std::forward<Args>(args)...) {}

    std::function<void(Scripted&)> script;

    void OnInitDialog() override {
        Base::OnInitDialog();
        PostMessage(this->Handle(), kScript, 0, 0);
    }
    int OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override {
        if (msg != kScript)
            return Base::OnMessage(msg, wParam, lParam);
        if (auto run = std::exchange(script, nullptr))
            run(*this);
        return 0;
    }
};

class DialogTest : public ui_test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        InitCommonControls();
        Platform::SetScreen(480, 640, 96, 96);
        UI::SetShellSkin(&skin);
        owner = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 480, 640});
    }
    void TearDown() override {
        UI::SetShellSkin(nullptr);
        WindowTest::TearDown();
    }

    static COLORREF PixelOf(HWND hwnd, int x, int y) {
        HDC dc = GetDC(hwnd);
        const COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(hwnd, dc);
        return colour;
    }

    menu_test::SolidSkin skin;
    ui_test::Recorder rec;
    HWND owner = nullptr;
};

} // namespace dialog_test
