// Painting: update areas, WM_PAINT, erasing, and what ends up on screen.

#include "WindowTestSupport.h"

#include "Drawing/Gdi.h"
#include "TestSupport.h"

using namespace ui_test;

namespace {

class WindowPaint : public WindowTest {
protected:
    // A window that fills its client area with `colour` on WM_PAINT.
    HWND Painted(Recorder& rec, COLORREF colour, RECT r, std::uint32_t style = WS_POPUP | WS_VISIBLE,
                 HWND parent = nullptr) {
        rec.handler = PaintsSolid(colour);
        return Make(rec, style, r, parent);
    }
};

TEST_F(WindowPaint, InvalidatedWindowGetsOnePaintWithTheArea) {
    Recorder rec;
    HWND w = Painted(rec, RGB(255, 0, 0), RECT{10, 20, 110, 120});
    Platform::PumpMessages();
    ASSERT_EQ(rec.Count(WM_PAINT), 1);

    RECT part{5, 6, 30, 40};
    InvalidateRect(w, &part, false);
    RECT other{50, 50, 60, 60};
    InvalidateRect(w, &other, false);
    RECT pending;
    ASSERT_TRUE(GetUpdateRect(w, &pending, false));
    EXPECT_EQ(pending.left, 5);
    EXPECT_EQ(pending.top, 6);
    EXPECT_EQ(pending.right, 60);
    EXPECT_EQ(pending.bottom, 60);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_PAINT), 2);
    EXPECT_FALSE(GetUpdateRect(w, &pending, false));
}

TEST_F(WindowPaint, PaintedPixelsShowOnScreenAtTheWindowsPlace) {
    Recorder rec;
    Painted(rec, RGB(255, 0, 0), RECT{10, 20, 110, 120});
    Platform::PumpMessages();
    EXPECT_EQ(Platform::GetScreenPixel(10, 20), RGB(255, 0, 0));
    EXPECT_EQ(Platform::GetScreenPixel(109, 119), RGB(255, 0, 0));
    EXPECT_NE(Platform::GetScreenPixel(110, 120), RGB(255, 0, 0));
    EXPECT_NE(Platform::GetScreenPixel(9, 19), RGB(255, 0, 0));
}

TEST_F(WindowPaint, ChildShowsOverItsParentClippedToTheParent) {
    Recorder parentRec, childRec;
    HWND parent = Painted(parentRec, RGB(0, 0, 255), RECT{100, 100, 200, 200});
    Painted(childRec, RGB(0, 255, 0), RECT{50, 50, 150, 150}, WS_CHILD | WS_VISIBLE, parent);
    Platform::PumpMessages();
    EXPECT_EQ(Platform::GetScreenPixel(120, 120), RGB(0, 0, 255));
    EXPECT_EQ(Platform::GetScreenPixel(160, 160), RGB(0, 255, 0));
    EXPECT_EQ(Platform::GetScreenPixel(199, 199), RGB(0, 255, 0));
    EXPECT_NE(Platform::GetScreenPixel(210, 210), RGB(0, 255, 0));
}

TEST_F(WindowPaint, UncoveredWindowShowsAgainWithoutRepainting) {
    Recorder below, above;
    Painted(below, RGB(0, 0, 255), RECT{0, 0, 100, 100});
    HWND cover = Painted(above, RGB(255, 255, 0), RECT{0, 0, 100, 100});
    Platform::PumpMessages();
    EXPECT_EQ(Platform::GetScreenPixel(50, 50), RGB(255, 255, 0));
    DestroyWindow(cover);
    Platform::PumpMessages();
    EXPECT_EQ(below.Count(WM_PAINT), 1);
    EXPECT_EQ(Platform::GetScreenPixel(50, 50), RGB(0, 0, 255));
}

TEST_F(WindowPaint, EraseFillsWithTheClassBrushWhenAsked) {
    RegisterRecordingClass(0, GetSysColorBrush(COLOR_HIGHLIGHT), u"UiTestBrushed");
    Recorder rec;
    HWND w = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 50, 50}, nullptr, 0, 0, u"UiTestBrushed");
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_ERASEBKGND), 1);
    EXPECT_EQ(Platform::GetScreenPixel(25, 25), GetSysColor(COLOR_HIGHLIGHT));

    InvalidateRect(w, nullptr, false);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_ERASEBKGND), 1) << "invalidating without erase does not erase";
    UnregisterClass(u"UiTestBrushed", nullptr);
}

TEST_F(WindowPaint, WindowThatDoesNotPaintIsNotAskedAgainForEver) {
    Recorder rec;
    rec.handler = [](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_PAINT)
            return 0; // neither BeginPaint nor ValidateRect
        return std::nullopt;
    };
    Make(rec);
    EXPECT_LT(Platform::PumpMessages(), 5);
    EXPECT_EQ(rec.Count(WM_PAINT), 1);
}

TEST_F(WindowPaint, HiddenWindowPaintsOnlyWhenShown) {
    Recorder rec;
    HWND w = Painted(rec, RGB(1, 2, 3), RECT{0, 0, 10, 10}, WS_POPUP);
    InvalidateRect(w, nullptr, true);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_PAINT), 0);
    ShowWindow(w, SW_SHOW);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_PAINT), 1);
}

TEST_F(WindowPaint, UpdateWindowPaintsAtOnce) {
    Recorder rec;
    HWND w = Painted(rec, RGB(1, 2, 3), RECT{0, 0, 10, 10});
    Platform::PumpMessages();
    InvalidateRect(w, nullptr, false);
    UpdateWindow(w);
    EXPECT_EQ(rec.Count(WM_PAINT), 2);
    UpdateWindow(w);
    EXPECT_EQ(rec.Count(WM_PAINT), 2) << "nothing left to paint";
}

TEST_F(WindowPaint, CaptureSavesTheWindowWithItsChildrenAsPng) {
    Recorder parentRec, childRec;
    HWND parent = Painted(parentRec, RGB(0, 0, 255), RECT{300, 300, 340, 330});
    Painted(childRec, RGB(0, 255, 0), RECT{10, 10, 20, 20}, WS_CHILD | WS_VISIBLE, parent);
    Platform::PumpMessages();

    cairo_surface_t* picture = Platform::CaptureWindow(parent);
    ASSERT_NE(picture, nullptr);
    EXPECT_NE(Platform::GetSurfacePixel(picture, 39, 29), CLR_INVALID);
    EXPECT_EQ(Platform::GetSurfacePixel(picture, 40, 29), CLR_INVALID);
    EXPECT_EQ(Platform::GetSurfacePixel(picture, 39, 30), CLR_INVALID);
    EXPECT_EQ(Platform::GetSurfacePixel(picture, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(Platform::GetSurfacePixel(picture, 15, 15), RGB(0, 255, 0));
    Platform::ReleaseSurface(picture);

    TempFolder dir;
    const std::string path = dir.PathOf("window.png");
    ASSERT_TRUE(Platform::SaveWindowPng(parent, path.c_str()));
    cairo_surface_t* loaded = Platform::LoadSurfacePng(path.c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(Platform::GetSurfacePixel(loaded, 15, 15), RGB(0, 255, 0));
    Platform::ReleaseSurface(loaded);
}

TEST_F(WindowPaint, BorderIsDrawnAroundTheClientArea) {
    Recorder rec;
    HWND w = Painted(rec, RGB(255, 255, 255), RECT{0, 0, 20, 20}, WS_POPUP | WS_VISIBLE | WS_BORDER);
    Platform::PumpMessages();
    RECT client;
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 18);
    EXPECT_EQ(Platform::GetScreenPixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(Platform::GetScreenPixel(19, 10), RGB(0, 0, 0));
    EXPECT_EQ(Platform::GetScreenPixel(1, 1), RGB(255, 255, 255));
}

} // namespace
