// Text extents, per-unit extents, DrawText layout flags, ExtTextOut and text
// drawn on several threads at once.

#include "GdiTestSupport.h"

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

using namespace GdiTest;

namespace {

constexpr COLORREF kTextInk = RGB(0, 0, 160);

// Ink bounds of a drawing: the smallest rectangle holding every pixel that
// is not the background.
RECT InkBox(const Canvas& canvas, int width, int height, COLORREF background = kWhite) {
    RECT box{width, height, 0, 0};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (canvas.Pixel(x, y) == background)
                continue;
            box.left = std::min<std::int32_t>(box.left, x);
            box.top = std::min<std::int32_t>(box.top, y);
            box.right = std::max<std::int32_t>(box.right, x + 1);
            box.bottom = std::max<std::int32_t>(box.bottom, y + 1);
        }
    }
    return box;
}

class GdiText : public GdiFixture {
protected:
    void SetUp() override {
        GdiFixture::SetUp();
        logFont.lfHeight = -14;
        logFont.lfWeight = FW_NORMAL;
        const std::u16string face = u"Tahoma";
        std::copy(face.begin(), face.end(), logFont.lfFaceName);
        font = CreateFontIndirect(&logFont);
    }
    void TearDown() override { DeleteObject(font); }

    // A canvas with the test font selected, ink colour, transparent mode.
    struct Page : Canvas {
        Page(HFONT font, int width, int height) : Canvas(width, height) {
            previous = SelectObject(dc, font);
            SetTextColor(dc, kTextInk);
            SetBkMode(dc, TRANSPARENT);
        }
        ~Page() { SelectObject(dc, previous); }
        HGDIOBJ previous;
    };

    int Width(HDC dc, const std::u16string& text) {
        SIZE size{};
        EXPECT_TRUE(GetTextExtentPoint32(dc, text.data(), static_cast<int>(text.size()), &size));
        return size.cx;
    }

    LOGFONTW logFont;
    HFONT font = nullptr;
};

const std::u16string kSamples[] = {
    u"Hello, World",
    u"AVAVA To Ty Wa",            // kerning pairs
    u"fi fl ffi office",          // ligatures
    u"\u041F\u0440\u0438\u0432\u0435\u0442, \u043C\u0438\u0440",  // Cyrillic
    u"a\U0001D538b\U0001D538",    // characters outside the BMP
    u"tab\tand  spaces ",
};

TEST_F(GdiText, StringWidthIsTheSumOfItsCharacters) {
    Page page(font, 10, 10);
    for (const std::u16string& text : kSamples) {
        int sum = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF;
            sum += Width(page.dc, text.substr(i, pair ? 2 : 1));
            i += pair ? 1 : 0;
        }
        EXPECT_EQ(Width(page.dc, text), sum);
        // And of any two pieces.
        for (std::size_t cut : {std::size_t{1}, text.size() / 2, text.size() - 1}) {
            if (text[cut] >= 0xDC00 && text[cut] <= 0xDFFF)
                continue;
            EXPECT_EQ(Width(page.dc, text), Width(page.dc, text.substr(0, cut)) + Width(page.dc, text.substr(cut)));
        }
    }
}

TEST_F(GdiText, ExtentsAreTheLineHeightHigh) {
    Page page(font, 10, 10);
    TEXTMETRICW metrics;
    GetTextMetrics(page.dc, &metrics);
    SIZE size{};
    GetTextExtentPoint32(page.dc, u"Mgjy", -1, &size);
    EXPECT_EQ(size.cy, metrics.tmHeight);
    GetTextExtentPoint32(page.dc, u"", 0, &size);
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, metrics.tmHeight);
    EXPECT_GT(metrics.tmAveCharWidth, 0);
    EXPECT_GE(metrics.tmMaxCharWidth, metrics.tmAveCharWidth);
}

TEST_F(GdiText, UnitExtentsGrowToTheFullWidth) {
    Page page(font, 10, 10);
    for (const std::u16string& text : kSamples) {
        std::vector<int> extents(text.size(), -1);
        SIZE size{};
        ASSERT_TRUE(GetTextExtentExPoint(page.dc, text.data(), static_cast<int>(text.size()), 0, nullptr,
                                         extents.data(), &size));
        EXPECT_TRUE(std::is_sorted(extents.begin(), extents.end()));
        EXPECT_GT(extents.front(), 0);
        EXPECT_EQ(extents.back(), size.cx);
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] >= 0xD800 && text[i] <= 0xDBFF) {
                // Both halves of a pair end at the same place.
                EXPECT_EQ(extents[i], extents[i + 1]);
                EXPECT_GT(extents[i], i ? extents[i - 1] : 0);
            } else {
                // Up to and including unit i is the width of that prefix.
                EXPECT_EQ(extents[i], Width(page.dc, text.substr(0, i + 1))) << i;
            }
        }
    }
}

TEST_F(GdiText, FitCountsTheUnitsWithinTheLimit) {
    Page page(font, 10, 10);
    const std::u16string text = u"abcdef";
    std::vector<int> extents(text.size());
    GetTextExtentExPoint(page.dc, text.data(), 6, 0, nullptr, extents.data(), nullptr);
    struct Case {
        int limit;
        int fit;
    } cases[] = {{0, 0}, {extents[0] - 1, 0}, {extents[0], 1}, {extents[2], 3}, {extents[5], 6}, {100000, 6}};
    for (const Case& c : cases) {
        int fit = -1;
        EXPECT_TRUE(GetTextExtentExPoint(page.dc, text.data(), 6, c.limit, &fit, nullptr, nullptr));
        EXPECT_EQ(fit, c.fit) << c.limit;
    }
}

TEST_F(GdiText, CalcRectFitsTheText) {
    Page page(font, 10, 10);
    TEXTMETRICW metrics;
    GetTextMetrics(page.dc, &metrics);
    const int width = Width(page.dc, u"Contact name");

    RECT rect{10, 20, 15, 21};
    EXPECT_EQ(DrawText(page.dc, u"Contact name", -1, &rect, DT_SINGLELINE | DT_CALCRECT), metrics.tmHeight);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.right, 10 + width);
    EXPECT_EQ(rect.bottom, 20 + metrics.tmHeight);

    RECT lines{0, 0, 1000, 0};
    EXPECT_EQ(DrawText(page.dc, u"first\nsecond line\nthird", -1, &lines, DT_CALCRECT), 3 * metrics.tmHeight);
    EXPECT_EQ(lines.right, Width(page.dc, u"second line"));

    // Word wrapping breaks between words to the rectangle's width.
    RECT wrapped{0, 0, Width(page.dc, u"one two") + 2, 0};
    DrawText(page.dc, u"one two three four", -1, &wrapped, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(wrapped.bottom, 3 * metrics.tmHeight);
    EXPECT_LE(wrapped.right, Width(page.dc, u"one two") + 2);

    // Without a prefix mark the ampersand is measured as it is.
    RECT prefixed{0, 0, 0, 0};
    DrawText(page.dc, u"&File", -1, &prefixed, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(prefixed.right, Width(page.dc, u"File"));
    RECT plain{0, 0, 0, 0};
    DrawText(page.dc, u"&File", -1, &plain, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(plain.right, Width(page.dc, u"&File"));
    RECT doubled{0, 0, 0, 0};
    DrawText(page.dc, u"A && B", -1, &doubled, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(doubled.right, Width(page.dc, u"A & B"));
}

TEST_F(GdiText, AlignmentMovesTheTextByItsSpareRoom) {
    TEXTMETRICW metrics;
    RECT reference{};
    int textWidth = 0;
    const RECT area{10, 6, 150, 46};
    {
        Page page(font, 160, 60);
        GetTextMetrics(page.dc, &metrics);
        textWidth = Width(page.dc, u"Xylophone");
        RECT rect = area;
        DrawText(page.dc, u"Xylophone", -1, &rect, DT_SINGLELINE | DT_NOPREFIX);
        reference = InkBox(page, 160, 60);
        ASSERT_LT(reference.left, reference.right);
        EXPECT_LE(reference.left - area.left, 2);
        EXPECT_LE(reference.top - area.top, metrics.tmInternalLeading + 1);
    }
    const int spareX = area.right - area.left - textWidth;
    const int spareY = area.bottom - area.top - metrics.tmHeight;
    struct Case {
        UINT flags;
        int dx, dy;
    } cases[] = {
        {DT_CENTER, spareX / 2, 0},
        {DT_RIGHT, spareX, 0},
        {DT_VCENTER, 0, spareY / 2},
        {DT_BOTTOM, 0, spareY},
        {DT_CENTER | DT_VCENTER, spareX / 2, spareY / 2},
    };
    for (const Case& c : cases) {
        Page page(font, 160, 60);
        RECT rect = area;
        DrawText(page.dc, u"Xylophone", -1, &rect, DT_SINGLELINE | DT_NOPREFIX | c.flags);
        const RECT box = InkBox(page, 160, 60);
        EXPECT_EQ(box.left - reference.left, c.dx) << c.flags;
        EXPECT_EQ(box.top - reference.top, c.dy) << c.flags;
        EXPECT_EQ(box.right - box.left, reference.right - reference.left) << c.flags;
    }
}

TEST_F(GdiText, VerticalCentringOnAZeroHeightLine) {
    // Text centred on the line halfway down, as the splash screen draws it.
    Page page(font, 100, 60);
    TEXTMETRICW metrics;
    GetTextMetrics(page.dc, &metrics);
    RECT rect{0, 30, 100, 30};
    DrawText(page.dc, u"Loading", -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS);
    const RECT box = InkBox(page, 100, 60);
    EXPECT_GE(box.top, 30 - metrics.tmHeight / 2);
    EXPECT_LE(box.bottom, 30 - metrics.tmHeight / 2 + metrics.tmHeight);
    EXPECT_LT(box.top, 30);
    EXPECT_GT(box.bottom, 30);
}

TEST_F(GdiText, EndEllipsisKeepsLongTextInsideTheRectangle) {
    const std::u16string text = u"A very long contact name that does not fit";
    RECT area{5, 5, 85, 25};
    {
        Page page(font, 300, 30);
        RECT rect = area;
        DrawText(page.dc, text.c_str(), -1, &rect, DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS);
        const RECT box = InkBox(page, 300, 30);
        EXPECT_LE(box.right, area.right);
        EXPECT_GT(box.right, area.right - 15);

        RECT calc = area;
        DrawText(page.dc, text.c_str(), -1, &calc, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
        EXPECT_LE(calc.right, area.right);
    }
    {
        // Without the ellipsis and without clipping, it runs on.
        Page page(font, 300, 30);
        RECT rect = area;
        DrawText(page.dc, text.c_str(), -1, &rect, DT_SINGLELINE | DT_NOCLIP);
        EXPECT_GT(InkBox(page, 300, 30).right, 200);
    }
    {
        // Clipped to the rectangle when clipping is on.
        Page page(font, 300, 30);
        RECT rect = area;
        DrawText(page.dc, text.c_str(), -1, &rect, DT_SINGLELINE);
        EXPECT_LE(InkBox(page, 300, 30).right, area.right);
    }
    {
        // Text that fits is left alone.
        Page page(font, 300, 30);
        RECT rect = area;
        RECT calc = area;
        DrawText(page.dc, u"Bob", -1, &calc, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
        EXPECT_EQ(calc.right - calc.left, Width(page.dc, u"Bob"));
        DrawText(page.dc, u"Bob", -1, &rect, DT_SINGLELINE | DT_END_ELLIPSIS);
    }
}

TEST_F(GdiText, TextColourAndOpaqueBackground) {
    Page page(font, 100, 30);
    SetBkMode(page.dc, OPAQUE);
    SetBkColor(page.dc, RGB(255, 255, 0));
    RECT rect{0, 0, 100, 30};
    // A full block glyph: its inside is exactly the text colour.
    DrawText(page.dc, u"\u2588 x", -1, &rect, DT_SINGLELINE | DT_NOPREFIX);
    TEXTMETRICW metrics;
    GetTextMetrics(page.dc, &metrics);
    EXPECT_EQ(page.Pixel(2, metrics.tmAscent - 3), kTextInk);
    const int width = Width(page.dc, u"\u2588 x");
    EXPECT_EQ(page.Pixel(width - 1, 0), RGB(255, 255, 0));
    EXPECT_EQ(page.Pixel(width + 1, 0), kWhite);
    EXPECT_EQ(page.Pixel(1, metrics.tmHeight), kWhite);
    EXPECT_EQ(GetBkColor(page.dc), RGB(255, 255, 0));
    EXPECT_EQ(GetTextColor(page.dc), kTextInk);
    EXPECT_EQ(SetBkMode(page.dc, TRANSPARENT), OPAQUE);
}

TEST_F(GdiText, PrefixMarkUnderlinesTheNextCharacter) {
    TEXTMETRICW metrics;
    auto underlineRow = [&](UINT flags) {
        Page page(font, 80, 30);
        GetTextMetrics(page.dc, &metrics);
        RECT rect{0, 0, 80, 30};
        DrawText(page.dc, u"&mm", -1, &rect, DT_SINGLELINE | flags);
        int ink = 0;
        for (int y = metrics.tmAscent; y < metrics.tmHeight; ++y)
            for (int x = 0; x < 80; ++x)
                ink += page.Pixel(x, y) != kWhite;
        return ink;
    };
    EXPECT_GT(underlineRow(0), 3);
    EXPECT_EQ(underlineRow(DT_NOPREFIX), 0);
}

TEST_F(GdiText, ExtTextOutDrawsAtThePointWithOptionalSpacing) {
    Page page(font, 120, 30);
    RECT opaque{0, 0, 120, 30};
    SetBkColor(page.dc, RGB(200, 200, 200));
    EXPECT_TRUE(ExtTextOut(page.dc, 10, 5, ETO_OPAQUE, &opaque, u"\u2588\u2588", 2, nullptr));
    const int block = Width(page.dc, u"\u2588");
    TEXTMETRICW metrics;
    GetTextMetrics(page.dc, &metrics);
    const int row = 5 + metrics.tmAscent - 3;
    EXPECT_EQ(page.Pixel(119, 29), RGB(200, 200, 200));
    EXPECT_EQ(page.Pixel(10 + 1, row), kTextInk);
    EXPECT_EQ(page.Pixel(10 + 2 * block - 2, row), kTextInk);

    const int spacing[] = {block + 20, block};
    page.Fill({0, 0, 120, 30}, kWhite);
    ExtTextOut(page.dc, 10, 5, 0, nullptr, u"\u2588\u2588", 2, spacing);
    EXPECT_EQ(page.Pixel(10 + block + 10, row), kWhite);
    EXPECT_EQ(page.Pixel(10 + block + 21, row), kTextInk);

    // Clipped to the rectangle.
    page.Fill({0, 0, 120, 30}, kWhite);
    RECT clip{0, 0, 10 + block / 2, 30};
    ExtTextOut(page.dc, 10, 5, ETO_CLIPPED, &clip, u"\u2588", 1, nullptr);
    EXPECT_EQ(page.Pixel(10 + block / 2 - 1, row), kTextInk);
    EXPECT_EQ(page.Pixel(10 + block / 2 + 1, row), kWhite);
}

// Text, shapes and a blend, drawn into a memory context of its own.
std::vector<COLORREF> DrawScene(const LOGFONTW& logFont) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 120, 40);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HFONT font = CreateFontIndirect(&logFont);
    HGDIOBJ oldFont = SelectObject(dc, font);
    RECT all{0, 0, 120, 40};
    FillRect(dc, &all, GetStockObject(WHITE_BRUSH));
    SetBkMode(dc, TRANSPARENT);
    RoundRect(dc, 2, 2, 118, 38, 6, 6);
    DrawText(dc, u"Smiley \u263A \u0416", -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

TEST_F(GdiText, ThreadsDrawIntoTheirOwnContextsAtOnce) {
    const std::vector<COLORREF> expected = DrawScene(logFont);
    std::vector<std::vector<COLORREF>> results(4);
    std::vector<std::thread> threads;
    for (auto& result : results)
        threads.emplace_back([&result, this] {
            for (int round = 0; round < 5; ++round)
                result = DrawScene(logFont);
        });
    for (std::thread& thread : threads)
        thread.join();
    for (const auto& result : results)
        EXPECT_EQ(result, expected);
}

TEST_F(GdiText, AContextMovesBetweenThreads) {
    Page page(font, 60, 20);
    RECT rect{0, 0, 60, 20};
    DrawText(page.dc, u"first", -1, &rect, DT_SINGLELINE);
    std::thread([&] { DrawText(page.dc, u"first", -1, &rect, DT_SINGLELINE); }).join();
    const int width = Width(page.dc, u"first");
    EXPECT_GT(width, 0);
    EXPECT_EQ(InkBox(page, 60, 20).right <= width + 1, true);
}

TEST_F(GdiText, PictureOfTheTextFlags) {
    Page page(font, 200, 120);
    RECT rects[] = {{4, 4, 196, 24}, {4, 28, 196, 48}, {4, 52, 196, 72}, {4, 76, 60, 96}, {4, 100, 196, 118}};
    const UINT flags[] = {DT_LEFT, DT_CENTER, DT_RIGHT, DT_END_ELLIPSIS, DT_CENTER | DT_VCENTER};
    const char16_t* texts[] = {u"Left &aligned", u"Centred", u"Right", u"Ellipsis at the end", u"\u041F\u0440\u0438\u0432\u0435\u0442 \U0001D538"};
    HBRUSH frame = CreateSolidBrush(RGB(220, 220, 220));
    for (int i = 0; i < 5; ++i) {
        FrameRect(page.dc, &rects[i], frame);
        DrawText(page.dc, texts[i], -1, &rects[i], DT_SINGLELINE | flags[i]);
    }
    DeleteObject(frame);
    page.Save("text_flags");
    EXPECT_LT(InkBox(page, 200, 120).left, 10);
}

} // namespace
