// Lines, rectangles, rounded shapes, gradients, edges and inversion.

#include "GdiTestSupport.h"

using namespace GdiTest;

namespace {

constexpr COLORREF kInk = RGB(20, 40, 200);
constexpr COLORREF kPaint = RGB(250, 200, 10);

class GdiShape : public GdiFixture {
protected:
    GdiShape() : canvas(40, 40) {
        SelectObject(canvas.dc, objects.Keep(CreatePen(PS_SOLID, 1, kInk)));
        SelectObject(canvas.dc, objects.Keep(CreateSolidBrush(kPaint)));
    }
    ~GdiShape() override {
        SelectObject(canvas.dc, GetStockObject(BLACK_PEN));
        SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
    }
    int CountInk() const {
        int count = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                count += canvas.Pixel(x, y) == kInk;
        return count;
    }

    Objects objects;
    Canvas canvas;
};

TEST_F(GdiShape, LinesLeaveOutTheirEndPixel) {
    struct Case {
        POINT from, to;
        int pixels;
        POINT lastDrawn, notDrawn;
    } cases[] = {
        {{2, 5}, {12, 5}, 10, {11, 5}, {12, 5}},    // rightwards
        {{12, 8}, {2, 8}, 10, {3, 8}, {2, 8}},      // leftwards
        {{20, 2}, {20, 9}, 7, {20, 8}, {20, 9}},    // downwards
        {{25, 20}, {31, 26}, 6, {30, 25}, {31, 26}}, // diagonal
    };
    for (const Case& c : cases) {
        canvas.Fill({0, 0, 40, 40}, kWhite);
        POINT previous{};
        MoveToEx(canvas.dc, c.from.x, c.from.y, &previous);
        EXPECT_TRUE(LineTo(canvas.dc, c.to.x, c.to.y));
        EXPECT_EQ(CountInk(), c.pixels);
        EXPECT_EQ(canvas.Pixel(c.from.x, c.from.y), kInk);
        EXPECT_EQ(canvas.Pixel(c.lastDrawn.x, c.lastDrawn.y), kInk);
        EXPECT_EQ(canvas.Pixel(c.notDrawn.x, c.notDrawn.y), kWhite);
    }
    // The end is the next line's start.
    canvas.Fill({0, 0, 40, 40}, kWhite);
    MoveToEx(canvas.dc, 0, 0, nullptr);
    LineTo(canvas.dc, 5, 0);
    LineTo(canvas.dc, 5, 5);
    EXPECT_EQ(canvas.Pixel(5, 0), kInk);
    EXPECT_EQ(canvas.Pixel(5, 5), kWhite);
    EXPECT_EQ(CountInk(), 10);
}

TEST_F(GdiShape, LinesAreNotAntiAliased) {
    MoveToEx(canvas.dc, 0, 0, nullptr);
    LineTo(canvas.dc, 37, 13);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_TRUE(canvas.Pixel(x, y) == kInk || canvas.Pixel(x, y) == kWhite) << x << "," << y;
    EXPECT_EQ(CountInk(), 37);
}

TEST_F(GdiShape, DashedPenLeavesGaps) {
    SelectObject(canvas.dc, objects.Keep(CreatePen(PS_DASH, 1, kInk)));
    MoveToEx(canvas.dc, 0, 10, nullptr);
    LineTo(canvas.dc, 40, 10);
    EXPECT_EQ(canvas.Pixel(0, 10), kInk);
    int gaps = 0;
    for (int x = 1; x < 40; ++x)
        gaps += canvas.Pixel(x, 10) == kWhite && canvas.Pixel(x - 1, 10) == kInk;
    EXPECT_GE(gaps, 1);
    EXPECT_GT(CountInk(), 20);
}

TEST_F(GdiShape, RectangleIsOutlinedByThePenAndFilledByTheBrush) {
    Rectangle(canvas.dc, 5, 5, 15, 12);
    struct Case {
        int x, y;
        COLORREF expected;
    } cases[] = {
        {5, 5, kInk},   {14, 5, kInk},   {5, 11, kInk},    {14, 11, kInk},  {9, 5, kInk},
        {6, 6, kPaint}, {13, 10, kPaint}, {15, 8, kWhite}, {9, 12, kWhite}, {4, 8, kWhite},
    };
    for (const Case& c : cases)
        EXPECT_EQ(canvas.Pixel(c.x, c.y), c.expected) << c.x << "," << c.y;
}

TEST_F(GdiShape, NullPenRectangleIsOnePixelSmaller) {
    SelectObject(canvas.dc, GetStockObject(NULL_PEN));
    Rectangle(canvas.dc, 5, 5, 15, 12);
    EXPECT_EQ(canvas.Pixel(5, 5), kPaint);
    EXPECT_EQ(canvas.Pixel(13, 10), kPaint);
    EXPECT_EQ(canvas.Pixel(14, 10), kWhite);
    EXPECT_EQ(canvas.Pixel(13, 11), kWhite);
}

TEST_F(GdiShape, HollowBrushDrawsTheOutlineOnly) {
    SelectObject(canvas.dc, GetStockObject(NULL_BRUSH));
    Rectangle(canvas.dc, 2, 2, 10, 10);
    EXPECT_EQ(canvas.Pixel(2, 2), kInk);
    EXPECT_EQ(canvas.Pixel(5, 5), kWhite);
    EXPECT_EQ(CountInk(), 28);
}

TEST_F(GdiShape, RoundRectCutsItsCorners) {
    // Corner ellipse 3 x 3: one pixel cut at each corner.
    RoundRect(canvas.dc, 4, 4, 14, 12, 3, 3);
    EXPECT_EQ(canvas.Pixel(4, 4), kWhite);
    EXPECT_EQ(canvas.Pixel(13, 4), kWhite);
    EXPECT_EQ(canvas.Pixel(4, 11), kWhite);
    EXPECT_EQ(canvas.Pixel(13, 11), kWhite);
    EXPECT_EQ(canvas.Pixel(5, 4), kInk);
    EXPECT_EQ(canvas.Pixel(4, 5), kInk);
    EXPECT_EQ(canvas.Pixel(5, 5), kPaint);  // the outline steps diagonally round the corner
    EXPECT_EQ(canvas.Pixel(8, 4), kInk);
    EXPECT_EQ(canvas.Pixel(13, 8), kInk);
    EXPECT_EQ(canvas.Pixel(8, 8), kPaint);
    EXPECT_EQ(canvas.Pixel(6, 6), kPaint);

    // A larger corner rounds over several pixels, symmetrically.
    canvas.Fill({0, 0, 40, 40}, kWhite);
    RoundRect(canvas.dc, 10, 10, 30, 30, 12, 12);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(canvas.Pixel(10 + i, 10), kWhite) << i;
        EXPECT_EQ(canvas.Pixel(29 - i, 29), kWhite) << i;
        EXPECT_EQ(canvas.Pixel(10, 29 - i), kWhite) << i;
    }
    EXPECT_EQ(canvas.Pixel(20, 10), kInk);
    EXPECT_EQ(canvas.Pixel(10, 20), kInk);
    EXPECT_EQ(canvas.Pixel(20, 20), kPaint);
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 30; ++x)
            ASSERT_EQ(canvas.Pixel(x, y), canvas.Pixel(39 - x, y)) << x << "," << y;
}

TEST_F(GdiShape, EllipseTouchesTheMiddleOfEachSide) {
    Ellipse(canvas.dc, 0, 0, 21, 11);
    EXPECT_EQ(canvas.Pixel(10, 0), kInk);
    EXPECT_EQ(canvas.Pixel(10, 10), kInk);
    EXPECT_EQ(canvas.Pixel(0, 5), kInk);
    EXPECT_EQ(canvas.Pixel(20, 5), kInk);
    EXPECT_EQ(canvas.Pixel(0, 0), kWhite);
    EXPECT_EQ(canvas.Pixel(10, 5), kPaint);
    EXPECT_EQ(canvas.Pixel(21, 5), kWhite);
}

TEST_F(GdiShape, FrameRectDrawsAOnePixelFrameInside) {
    RECT rect{3, 3, 9, 8};
    FrameRect(canvas.dc, &rect, GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(canvas.Pixel(3, 3), RGB(0, 0, 0));
    EXPECT_EQ(canvas.Pixel(8, 7), RGB(0, 0, 0));
    EXPECT_EQ(canvas.Pixel(4, 4), kWhite);
    EXPECT_EQ(canvas.Pixel(9, 7), kWhite);
}

TEST_F(GdiShape, VerticalGradientStartsAndEndsAtItsColours) {
    TRIVERTEX vertices[2];
    vertices[0] = {2, 4, 0xFF00, 0x0000, 0x2000, 0};
    vertices[1] = {12, 104, 0x0000, 0xFF00, 0xC000, 0};
    GRADIENT_RECT mesh{0, 1};
    EXPECT_TRUE(GradientFill(canvas.dc, vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_V));
    EXPECT_EQ(canvas.Pixel(2, 4), RGB(255, 0, 32));
    EXPECT_EQ(canvas.Pixel(11, 4), RGB(255, 0, 32));
    // Rows stop short of the bottom vertex by one step (255 / 100 per row).
    const COLORREF last = canvas.Pixel(2, 39);
    EXPECT_EQ(canvas.Pixel(2, 1), kWhite);
    EXPECT_EQ(canvas.Pixel(12, 20), kWhite);
    Canvas tall(4, 110);
    GradientFill(tall.dc, vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_V);
    const COLORREF bottom = tall.Pixel(2, 103);
    EXPECT_LE(GetRValue(bottom), 3u);
    EXPECT_GE(GetGValue(bottom), 252u);
    EXPECT_EQ(tall.Pixel(2, 104), kWhite);
    // Each channel moves one way only.
    unsigned previousRed = 256;
    for (int y = 4; y < 104; ++y) {
        ASSERT_LE(GetRValue(tall.Pixel(2, y)), previousRed);
        previousRed = GetRValue(tall.Pixel(2, y));
    }
    EXPECT_EQ(last, tall.Pixel(2, 39));
}

TEST_F(GdiShape, HorizontalGradientAndBadMeshes) {
    TRIVERTEX vertices[2];
    vertices[0] = {0, 0, 0, 0, 0, 0};
    vertices[1] = {10, 3, 0xFF00, 0xFF00, 0xFF00, 0};
    GRADIENT_RECT mesh{0, 1};
    EXPECT_TRUE(GradientFill(canvas.dc, vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_H));
    EXPECT_EQ(canvas.Pixel(0, 1), RGB(0, 0, 0));
    EXPECT_EQ(canvas.Pixel(5, 1), RGB(127, 127, 127));
    GRADIENT_RECT bad{0, 2};
    EXPECT_FALSE(GradientFill(canvas.dc, vertices, 2, &bad, 1, GRADIENT_FILL_RECT_V));
}

TEST_F(GdiShape, RaisedEdgeIsLightTopLeftAndDarkBottomRight) {
    RECT rect{2, 2, 12, 10};
    EXPECT_TRUE(DrawEdge(canvas.dc, &rect, EDGE_RAISED, BF_RECT | BF_ADJUST));
    EXPECT_EQ(canvas.Pixel(2, 5), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(canvas.Pixel(5, 2), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(canvas.Pixel(3, 5), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.Pixel(11, 5), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(canvas.Pixel(5, 9), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(canvas.Pixel(10, 5), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(rect.left, 4);
    EXPECT_EQ(rect.bottom, 8);
}

TEST_F(GdiShape, InvertingTwiceRestores) {
    canvas.Fill({0, 0, 10, 10}, RGB(10, 100, 200));
    RECT rect{0, 0, 10, 10};
    InvertRect(canvas.dc, &rect);
    EXPECT_EQ(canvas.Pixel(5, 5), RGB(245, 155, 55));
    InvertRect(canvas.dc, &rect);
    EXPECT_EQ(canvas.Pixel(5, 5), RGB(10, 100, 200));
    DrawFocusRect(canvas.dc, &rect);
    EXPECT_NE(canvas.Pixel(0, 0), RGB(10, 100, 200));
    EXPECT_EQ(canvas.Pixel(1, 0), RGB(10, 100, 200));
    DrawFocusRect(canvas.dc, &rect);
    EXPECT_EQ(canvas.Pixel(0, 0), RGB(10, 100, 200));
}

TEST_F(GdiShape, PolygonFillsInsideAndOutlinesItsEdges) {
    const POINT triangle[] = {{2, 2}, {20, 2}, {2, 20}};
    EXPECT_TRUE(Polygon(canvas.dc, triangle, 3));
    EXPECT_EQ(canvas.Pixel(2, 2), kInk);
    EXPECT_EQ(canvas.Pixel(10, 2), kInk);
    EXPECT_EQ(canvas.Pixel(5, 5), kPaint);
    EXPECT_EQ(canvas.Pixel(18, 18), kWhite);
}

TEST_F(GdiShape, ShapesArePixelExactOnThePictureToo) {
    // A picture with one of each, for a person to look at.
    Canvas picture(120, 60);
    SelectObject(picture.dc, objects.Keep(CreatePen(PS_SOLID, 1, kInk)));
    SelectObject(picture.dc, objects.Keep(CreateSolidBrush(kPaint)));
    TRIVERTEX vertices[2] = {{0, 0, 0xC000, 0xD900, 0xF400, 0}, {120, 20, 0xFF00, 0xFF00, 0xFF00, 0}};
    GRADIENT_RECT mesh{0, 1};
    GradientFill(picture.dc, vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_V);
    Rectangle(picture.dc, 4, 24, 30, 50);
    RoundRect(picture.dc, 34, 24, 60, 50, 6, 6);
    Ellipse(picture.dc, 64, 24, 90, 50);
    MoveToEx(picture.dc, 94, 24, nullptr);
    LineTo(picture.dc, 116, 50);
    picture.Save("gdi_shapes");
    SelectObject(picture.dc, GetStockObject(BLACK_PEN));
    SelectObject(picture.dc, GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(picture.Pixel(4, 24), kInk);
    EXPECT_EQ(picture.Pixel(0, 0), RGB(0xC0, 0xD9, 0xF4));
}

} // namespace
