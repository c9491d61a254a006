// Fills, brushes, pattern alignment, system colours, clipping and object
// ownership.

#include "GdiTestSupport.h"

using namespace GdiTest;

namespace {

class GdiFill : public GdiFixture {};

TEST_F(GdiFill, FillCoversLeftTopButNotRightBottom) {
    Canvas canvas(20, 20);
    canvas.Fill({5, 6, 10, 12}, RGB(10, 20, 30));
    struct Case {
        int x, y;
        COLORREF expected;
    } cases[] = {
        {5, 6, RGB(10, 20, 30)},   {9, 11, RGB(10, 20, 30)},  {10, 11, RGB(255, 255, 255)},
        {9, 12, RGB(255, 255, 255)}, {4, 6, RGB(255, 255, 255)}, {5, 5, RGB(255, 255, 255)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(canvas.Pixel(c.x, c.y), c.expected) << c.x << "," << c.y;
}

TEST_F(GdiFill, ColoursAreRedInTheLowByte) {
    Canvas canvas(4, 4);
    canvas.Fill({0, 0, 1, 1}, 0x0000FF);
    canvas.Fill({1, 0, 2, 1}, 0xFF0000);
    EXPECT_EQ(GetRValue(canvas.Pixel(0, 0)), 255u);
    EXPECT_EQ(GetBValue(canvas.Pixel(0, 0)), 0u);
    EXPECT_EQ(GetBValue(canvas.Pixel(1, 0)), 255u);
    EXPECT_EQ(GetRValue(canvas.Pixel(1, 0)), 0u);
}

TEST_F(GdiFill, EmptyOrInvertedRectanglesFillNothing) {
    Canvas canvas(10, 10);
    canvas.Fill({5, 5, 5, 9}, RGB(0, 0, 0));
    canvas.Fill({6, 6, 2, 2}, RGB(0, 0, 0));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(canvas.Pixel(x, y), RGB(255, 255, 255)) << x << "," << y;
}

TEST_F(GdiFill, SystemColourBrushValueFillsWithTheSystemColour) {
    Canvas canvas(10, 10, RGB(1, 2, 3));
    RECT rect{0, 0, 5, 5};
    // The value windows store as their background brush.
    EXPECT_TRUE(FillRect(canvas.dc, &rect, reinterpret_cast<HBRUSH>(std::uintptr_t{0x40000006})));
    EXPECT_EQ(canvas.Pixel(2, 2), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(SysColorBrushValue(COLOR_WINDOW), reinterpret_cast<HBRUSH>(std::uintptr_t{0x40000006}));

    RECT second{5, 5, 10, 10};
    FillRect(canvas.dc, &second, GetSysColorBrush(COLOR_HIGHLIGHT));
    EXPECT_EQ(canvas.Pixel(7, 7), GetSysColor(COLOR_HIGHLIGHT));
    // Neither kind is ever really deleted.
    EXPECT_TRUE(DeleteObject(SysColorBrushValue(COLOR_WINDOW)));
    EXPECT_TRUE(DeleteObject(GetSysColorBrush(COLOR_HIGHLIGHT)));
    FillRect(canvas.dc, &rect, GetSysColorBrush(COLOR_HIGHLIGHT));
    EXPECT_EQ(canvas.Pixel(2, 2), GetSysColor(COLOR_HIGHLIGHT));
}

// A 4 x 4 pattern whose every pixel has its own colour, so a sampled colour
// tells which pattern pixel landed there.
HBITMAP MakeTile(HDC reference) {
    MemoryCanvas tile(reference, 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            SetPixel(tile.dc, x, y, RGB(x * 60, y * 60, 7));
    HBITMAP copy = CreateCompatibleBitmap(reference, 4, 4);
    HDC dc = CreateCompatibleDC(reference);
    HGDIOBJ old = SelectObject(dc, copy);
    BitBlt(dc, 0, 0, 4, 4, tile.dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteDC(dc);
    return copy;
}

COLORREF TileColour(int screenX, int screenY) {
    const int x = ((screenX % 4) + 4) % 4;
    const int y = ((screenY % 4) + 4) % 4;
    return RGB(x * 60, y * 60, 7);
}

TEST_F(GdiFill, PatternBrushesLineUpWithTheScreenAcrossContexts) {
    Objects objects;
    Canvas first(12, 12, RGB(255, 255, 255), {0, 0});
    Canvas second(12, 12, RGB(255, 255, 255), {5, 3});
    HBITMAP tile = MakeTile(first.dc);
    HBRUSH brush = objects.Keep(CreatePatternBrush(tile));
    // The brush keeps its own copy of the pattern.
    EXPECT_TRUE(DeleteObject(tile));
    RECT all{0, 0, 12, 12};
    FillRect(first.dc, &all, brush);
    FillRect(second.dc, &all, brush);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            ASSERT_EQ(first.Pixel(x, y), TileColour(x, y)) << x << "," << y;
            ASSERT_EQ(second.Pixel(x, y), TileColour(x + 5, y + 3)) << x << "," << y;
        }
    }
}

TEST_F(GdiFill, PatternFromABitmapWithAlphaCopiesItsColoursOpaque) {
    Objects objects;
    MemoryCanvas tile(2, 1);
    tile.bits[0] = 0x80402010;  // half transparent, premultiplied
    tile.bits[1] = 0x00000000;  // fully transparent
    HBRUSH brush = objects.Keep(CreatePatternBrush(tile.bitmap));
    Canvas canvas(4, 1, RGB(255, 255, 255));
    RECT all{0, 0, 4, 1};
    FillRect(canvas.dc, &all, brush);
    EXPECT_EQ(canvas.Pixel(0, 0), RGB(0x40, 0x20, 0x10));
    EXPECT_EQ(canvas.Pixel(1, 0), RGB(0, 0, 0));
    EXPECT_EQ(canvas.Pixel(2, 0), RGB(0x40, 0x20, 0x10));
}

TEST_F(GdiFill, MemoryContextWithScreenAlignedBrushOriginMatchesTheWindow) {
    // The off-screen paint: brush origin at minus the window's screen
    // position, then the bitmap copied to the window.
    Objects objects;
    Canvas window(10, 10, RGB(0, 0, 0), {7, 2});
    HBITMAP tile = objects.Keep(MakeTile(window.dc));
    HBRUSH brush = objects.Keep(CreatePatternBrush(tile));
    MemoryCanvas offscreen(window.dc, 10, 10);
    POINT previous{};
    SetBrushOrgEx(offscreen.dc, -7, -2, &previous);
    EXPECT_EQ(previous.x, 0);
    EXPECT_EQ(previous.y, 0);
    RECT all{0, 0, 10, 10};
    FillRect(offscreen.dc, &all, brush);
    BitBlt(window.dc, 0, 0, 10, 10, offscreen.dc, 0, 0, SRCCOPY);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(window.Pixel(x, y), TileColour(x + 7, y + 2)) << x << "," << y;

    POINT origin{};
    GetBrushOrgEx(window.dc, &origin);
    EXPECT_EQ(origin.x, -7);
    EXPECT_EQ(origin.y, -2);
}

TEST_F(GdiFill, ClipRectanglesLimitDrawing) {
    Canvas canvas(20, 20);
    EXPECT_EQ(IntersectClipRect(canvas.dc, 2, 2, 12, 12), SIMPLEREGION);
    EXPECT_EQ(ExcludeClipRect(canvas.dc, 5, 5, 8, 8), COMPLEXREGION);
    RECT box{};
    EXPECT_EQ(GetClipBox(canvas.dc, &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.bottom, 12);
    canvas.Fill({0, 0, 20, 20}, RGB(0, 0, 0));
    EXPECT_EQ(canvas.Pixel(1, 1), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Pixel(2, 2), RGB(0, 0, 0));
    EXPECT_EQ(canvas.Pixel(6, 6), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Pixel(12, 12), RGB(255, 255, 255));

    EXPECT_EQ(SelectClipRgn(canvas.dc, nullptr), SIMPLEREGION);
    canvas.Fill({0, 0, 20, 20}, RGB(0, 0, 255));
    EXPECT_EQ(canvas.Pixel(6, 6), RGB(0, 0, 255));

    HRGN region = CreateRectRgn(0, 0, 4, 4);
    HRGN other = CreateRectRgn(10, 10, 14, 14);
    EXPECT_EQ(CombineRgn(region, region, other, RGN_OR), COMPLEXREGION);
    SelectClipRgn(canvas.dc, region);
    // The context keeps its own copy of the region.
    EXPECT_TRUE(DeleteObject(region));
    EXPECT_TRUE(DeleteObject(other));
    canvas.Fill({0, 0, 20, 20}, RGB(0, 255, 0));
    EXPECT_EQ(canvas.Pixel(3, 3), RGB(0, 255, 0));
    EXPECT_EQ(canvas.Pixel(13, 13), RGB(0, 255, 0));
    EXPECT_EQ(canvas.Pixel(6, 6), RGB(0, 0, 255));
}

TEST_F(GdiFill, ContextOverPartOfASurfaceDrawsOnlyThere) {
    cairo_surface_t* surface = Platform::CreateOpaqueSurface(20, 20);
    HDC whole = Platform::CreateSurfaceDC(surface, {0, 0});
    HDC client = Platform::CreateSurfaceDC(surface, {103, 54}, RECT{3, 4, 13, 14});
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(Platform::CreateSurfaceDC(surface, {0, 0}, RECT{10, 10, 21, 12}), nullptr);
    EXPECT_EQ(GetDeviceCaps(client, HORZRES), 10);
    RECT everything{-50, -50, 50, 50};
    FillRect(client, &everything, GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(Platform::GetSurfacePixel(surface, 3, 4), RGB(255, 255, 255));
    EXPECT_EQ(Platform::GetSurfacePixel(surface, 12, 13), RGB(255, 255, 255));
    EXPECT_EQ(Platform::GetSurfacePixel(surface, 2, 4), RGB(0, 0, 0));
    EXPECT_EQ(Platform::GetSurfacePixel(surface, 13, 13), RGB(0, 0, 0));
    SetPixel(client, 0, 0, RGB(9, 9, 9));
    EXPECT_EQ(GetPixel(client, 0, 0), RGB(9, 9, 9));
    EXPECT_EQ(GetPixel(whole, 3, 4), RGB(9, 9, 9));
    EXPECT_EQ(GetPixel(client, 10, 0), CLR_INVALID);
    DeleteDC(client);
    DeleteDC(whole);
    Platform::ReleaseSurface(surface);
}

TEST_F(GdiFill, DeletingASelectedObjectFreesItOnlyWhenDeselected) {
    Canvas canvas(10, 10);
    HBRUSH brush = CreateSolidBrush(RGB(200, 0, 0));
    HGDIOBJ previous = SelectObject(canvas.dc, brush);
    EXPECT_EQ(previous, GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(DeleteObject(brush));
    // Still usable while selected; a second delete is refused.
    EXPECT_FALSE(DeleteObject(brush));
    SelectObject(canvas.dc, GetStockObject(NULL_PEN));
    Rectangle(canvas.dc, 0, 0, 5, 5);
    EXPECT_EQ(canvas.Pixel(1, 1), RGB(200, 0, 0));
    EXPECT_EQ(SelectObject(canvas.dc, previous), brush);
    // Stock objects survive DeleteObject.
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    EXPECT_NE(SelectObject(canvas.dc, GetStockObject(BLACK_BRUSH)), nullptr);
}

TEST_F(GdiFill, ABitmapIsSelectedIntoOneMemoryContextAtATime) {
    Canvas canvas(4, 4);
    HBITMAP bitmap = CreateCompatibleBitmap(canvas.dc, 8, 8);
    HDC first = CreateCompatibleDC(canvas.dc);
    HDC second = CreateCompatibleDC(canvas.dc);
    HGDIOBJ original = SelectObject(first, bitmap);
    EXPECT_NE(original, nullptr);
    EXPECT_EQ(SelectObject(second, bitmap), nullptr);
    EXPECT_EQ(SelectObject(canvas.dc, bitmap), nullptr);  // not a memory context
    EXPECT_EQ(GetDeviceCaps(first, HORZRES), 8);
    SelectObject(first, original);
    EXPECT_NE(SelectObject(second, bitmap), nullptr);
    DeleteDC(second);  // lets go of the bitmap
    BITMAP info{};
    EXPECT_EQ(GetObject(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 8);
    EXPECT_TRUE(DeleteObject(bitmap));
    // Back on the bitmap every fresh context shares: nothing is drawn there.
    EXPECT_TRUE(SetPixel(first, 0, 0, RGB(1, 2, 3)));
    EXPECT_EQ(GetPixel(first, 0, 0), CLR_INVALID);
    DeleteDC(first);
}

TEST_F(GdiFill, ResolutionComesFromTheScreen) {
    Platform::SetScreenDpi(192, 192);
    Canvas canvas(4, 4);
    EXPECT_EQ(GetDeviceCaps(canvas.dc, LOGPIXELSX), 192);
    EXPECT_EQ(GetDeviceCaps(canvas.dc, LOGPIXELSY), 192);
    HDC memory = CreateCompatibleDC(canvas.dc);
    EXPECT_EQ(GetDeviceCaps(memory, LOGPIXELSY), 192);
    DeleteDC(memory);
    Platform::SetScreenDpi(96, 96);
    memory = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(memory, LOGPIXELSX), 96);
    DeleteDC(memory);
}

} // namespace
