#pragma once
// A drawing surface for the drawing-layer tests: an opaque surface of a given
// size and colour with a context onto it, read back pixel by pixel.

#include "Drawing/Gdi.h"

#include <gtest/gtest.h>

#include <string>

// Colours the drawing and control tests paint with and look for.
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

namespace GdiTest {

// Brushes and pens made for one test and deleted with it.
class Objects {
public:
    Objects() = default;
    Objects(const Objects&) = delete;
    Objects& operator=(const Objects&) = delete;
    ~Objects() {
        for (HGDIOBJ object : objects)
            EXPECT_TRUE(DeleteObject(object));
    }
    template <typename T>
    T Keep(T object) {
        EXPECT_NE(object, nullptr);
        objects.push_back(object);
        return object;
    }

private:
    std::vector<HGDIOBJ> objects;
};

class Canvas {
public:
    Canvas(int width, int height, COLORREF background = RGB(255, 255, 255), POINT screenOrigin = {0, 0})
        : surface(Platform::CreateOpaqueSurface(width, height)), dc(Platform::CreateSurfaceDC(surface, screenOrigin)) {
        Fill({0, 0, width, height}, background);
    }
    ~Canvas() {
        DeleteDC(dc);
        Platform::ReleaseSurface(surface);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void Fill(RECT rect, COLORREF color) {
        HBRUSH brush = CreateSolidBrush(color);
        FillRect(dc, &rect, brush);
        DeleteObject(brush);
    }
    COLORREF Pixel(int x, int y) const { return Platform::GetSurfacePixel(surface, x, y); }
    // Writes the picture next to the test program, for a person to look at.
    void Save(const std::string& name) const {
        EXPECT_TRUE(Platform::SaveSurfacePng(surface, (name + ".png").c_str()));
    }

    cairo_surface_t* const surface;
    const HDC dc;
};

// A memory context with a bitmap of its own selected.
class MemoryCanvas {
public:
    MemoryCanvas(HDC reference, int width, int height)
        : dc(CreateCompatibleDC(reference)), bitmap(CreateCompatibleBitmap(reference, width, height)) {
        previous = SelectObject(dc, bitmap);
    }
    // A 32-bit top-down DIB section whose pixels the test writes directly.
    MemoryCanvas(int width, int height) : dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biBitCount = 32;
        void* raw = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &raw, nullptr, 0);
        bits = static_cast<std::uint32_t*>(raw);
        previous = SelectObject(dc, bitmap);
    }
    ~MemoryCanvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    HDC dc;
    HBITMAP bitmap = nullptr;
    std::uint32_t* bits = nullptr;  // DIB sections: 0xAARRGGBB, premultiplied

private:
    HGDIOBJ previous = nullptr;
};

// Every test draws at 96 dpi unless it says otherwise.
class GdiFixture : public ::testing::Test {
protected:
    void SetUp() override { Platform::SetScreenDpi(96, 96); }
};

} // namespace GdiTest
