#pragma once
// What the splash and tray suites share: a skin folder whose splash picture
// is a solid 40 x 30 square, the handheld screen at 192 dpi (one logical
// pixel is two device pixels), a recording window class, and the windows a
// test leaves behind cleared away.

#include "Backends/Backend.h"
#include "Drawing/Gdi.h"
#include "GdiTestSupport.h"
#include "Shell/ShellScreen.h"
#include "SkinFixture.h"
#include "SkinImages.h"
#include "WindowTestSupport.h"

#include <cairo.h>

#include <string>
#include <tuple>
#include <vector>

namespace splash_test {

// A rectangle as gtest prints and compares it.
inline std::tuple<int, int, int, int> Box(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// A window's picture as it shows on screen, read pixel by pixel.
class Picture {
public:
    explicit Picture(HWND hwnd) : surface(Platform::CaptureWindow(hwnd)) {}
    ~Picture() {
        if (surface != nullptr)
            Platform::ReleaseSurface(surface);
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    COLORREF At(int x, int y) const { return Platform::GetSurfacePixel(surface, x, y); }
    // The box around the pixels of rows [top, bottom) that are darker than
    // mid-grey: where text was drawn. Empty (right <= left) when none.
    RECT DarkBox(int top, int bottom) const {
        RECT box{1 << 20, 1 << 20, -1, -1};
        for (int y = top; y < bottom; ++y) {
            for (int x = 0; x < cairo_image_surface_get_width(surface); ++x) {
                const COLORREF c = At(x, y);
                if (GetRValue(c) + GetGValue(c) + GetBValue(c) >= 3 * 128)
                    continue;
                box = RECT{std::min<int>(box.left, x), std::min<int>(box.top, y), std::max<int>(box.right, x + 1),
                           std::max<int>(box.bottom, y + 1)};
            }
        }
        return box;
    }

    cairo_surface_t* const surface;
};

class SkinWindowTest : public SkinFolderTest {
protected:
    SkinWindowTest() {
        Platform::SetScreen(480, 640, 192, 192);
        ui_test::RegisterRecordingClass();
        PutPng("yol_splash.png", PngFixture::Solid(40, 30, 255, 0, 0, 255));
    }
    ~SkinWindowTest() override {
        // The recorders lived in the test body and are gone: no window may
        // log into them while it goes (owned windows go with their owner).
        for (HWND hwnd : made)
            if (IsWindow(hwnd))
                SetWindowLong(hwnd, GWL_USERDATA, 0);
        for (HWND hwnd : made)
            DestroyWindow(hwnd);
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        Platform::ResetInput();
        Platform::SetScreen(480, 640, 192, 192);
    }

    // A visible top-level window that logs its messages into `rec`.
    HWND MakeWindow(ui_test::Recorder& rec, HWND owner = nullptr, RECT r = RECT{0, 0, 480, 600}) {
        const HWND hwnd = CreateWindowEx(0, ui_test::kRecordingClass, u"", WS_POPUP | WS_VISIBLE, r.left, r.top,
                                         r.right - r.left, r.bottom - r.top, owner, nullptr, nullptr, &rec);
        made.push_back(hwnd);
        return hwnd;
    }

    std::vector<HWND> made;
};

}  // namespace splash_test
