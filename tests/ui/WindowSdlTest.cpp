// The SDL2 back-end: a real window (under Xvfb, or SDL's dummy driver
// where there is no display) shows the screen, and SDL's events become
// window messages.

#include "MissingPeer.h"
#include "XvfbServer.h"
#include "WindowTestSupport.h"

#include "Backends/BackendSdl.h"
#include "Drawing/Gdi.h"

#include <SDL2/SDL.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

extern char** environ;

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
            YOL_SKIP_MISSING_PEER("SDL cannot open a window here: " + std::string(sdl.Error()));
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
    rec.handler = PaintsSolid(RGB(255, 0, 0));
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

// ---- A real X server ------------------------------------------------------

using YolTest::Installed;
using YolTest::X11;

// The SDL back-end on an X server: the one in DISPLAY, else an Xvfb the
// fixture starts on a free display number and stops afterwards.
class WindowSdlX11 : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Platform::SdlOptions options;
        options.width = 240;
        options.height = 320;
        options.dpi = 96;
        YOL_OPEN_SDL_ON_X_SERVER(server, options);
    }

    void TearDown() override {
        server.Close();
        WindowTest::TearDown();
    }

    // How many pixels of the X server's screen have the colour.
    long CountOnScreen(COLORREF colour) {
        Display* d = x11.open(displayName.c_str());
        if (!d)
            return -1;
        const ::Window root = x11.root(d);
        XImage* image = x11.getImage(d, root, 0, 0, 640, 480, AllPlanes, ZPixmap);
        long count = 0;
        if (image) {
            for (int y = 0; y < image->height; ++y) {
                for (int x = 0; x < image->width; ++x) {
                    const unsigned long p = image->f.get_pixel(image, x, y);
                    const COLORREF c = RGB((p & image->red_mask) >> 16, (p & image->green_mask) >> 8,
                                           p & image->blue_mask);
                    count += c == colour ? 1 : 0;
                }
            }
            image->f.destroy_image(image);
        }
        x11.close(d);
        return image ? count : -1;
    }

    YolTest::SdlOnXServer server;
    X11& x11 = server.x11;
    Platform::SdlBackend& sdl = server.sdl;
    std::string& displayName = server.displayName;
};

TEST_F(WindowSdlX11, TheXServerShowsWhatTheWindowsPaint) {
    Recorder rec;
    rec.handler = PaintsSolid(RGB(250, 20, 130));
    Make(rec, WS_POPUP | WS_VISIBLE, RECT{20, 30, 70, 90});
    Platform::PumpMessages();
    sdl.Present();
    EXPECT_EQ(sdl.ShownPixel(40, 50), RGB(250, 20, 130));
    // The server may take a moment to show the new picture.
    long shown = 0;
    for (int tries = 0; tries < 50 && shown != 50 * 60; ++tries) {
        sdl.PumpEvents();
        sdl.Present();
        shown = CountOnScreen(RGB(250, 20, 130));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(shown, 50 * 60) << "the 50 x 60 window on the X server's screen " << displayName;
}

} // namespace
