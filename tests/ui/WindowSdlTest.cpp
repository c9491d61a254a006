// The SDL2 back-end: a real window (under Xvfb, or SDL's dummy driver
// where there is no display) shows the screen, and SDL's events become
// window messages.

#include "WindowTestSupport.h"

#include "BackendSdl.h"
#include "Gdi.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

using namespace ui_test;

namespace {

// The test program does not link SDL itself; the library that runs the
// back-end has it loaded, so its entry points are found at run time.
int PushEvent(SDL_Event* e)
{
    using Push = int (*)(SDL_Event*);
    static auto push = reinterpret_cast<Push>(dlsym(RTLD_DEFAULT, "SDL_PushEvent"));
    return push ? push(e) : -1;
}

class WindowSdl : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (!std::getenv("DISPLAY"))
            setenv("SDL_VIDEODRIVER", "dummy", 0);
        Platform::SdlOptions options;
        options.width = 240;
        options.height = 320;
        options.dpi = 96;
        if (!sdl.Open(options))
            GTEST_SKIP() << "SDL cannot open a window here: " << sdl.Error();
    }

    void TearDown() override {
        sdl.Close();
        WindowTest::TearDown();
    }

    Platform::SdlBackend sdl;
};

TEST_F(WindowSdl, WindowShowsTheScreenAndTheMouseIsTheStylus) {
    EXPECT_EQ(&Platform::CurrentBackend(), &sdl);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 240);
    EXPECT_EQ(g_HIDPI_LogPixelsY, 96);

    Recorder rec;
    rec.handler = [](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg != WM_PAINT)
            return std::nullopt;
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(hdc, &client, red);
        DeleteObject(red);
        EndPaint(hwnd, &ps);
        return 0;
    };
    HWND w = Make(rec, WS_POPUP | WS_VISIBLE, RECT{20, 30, 120, 130});
    Platform::PumpMessages();
    sdl.Present();
    EXPECT_EQ(sdl.ShownPixel(50, 60), RGB(255, 0, 0));
    EXPECT_NE(sdl.ShownPixel(10, 10), RGB(255, 0, 0));

    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = 25;
    e.button.y = 35;
    ASSERT_EQ(PushEvent(&e), 1);
    e.type = SDL_TEXTINPUT;
    std::snprintf(e.text.text, sizeof e.text.text, "%s", "ё");
    ASSERT_EQ(PushEvent(&e), 1);
    SetFocus(w);
    // Waiting for the message pumps SDL.
    MSG m;
    ASSERT_EQ(GetMessage(&m, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN), 1);
    EXPECT_EQ(m.hwnd, w);
    EXPECT_EQ(GET_X_LPARAM(m.lParam), 5);
    EXPECT_EQ(GET_Y_LPARAM(m.lParam), 5);
    ASSERT_EQ(GetMessage(&m, nullptr, WM_CHAR, WM_CHAR), 1);
    EXPECT_EQ(m.wParam, 0x451u);
}

} // namespace
