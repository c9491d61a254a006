// The rows the draw context paints, read back pixel by pixel: a skin of
// solid pictures (each id its own colour) and a colour scheme whose text
// colours are pure hues, drawn on black at 96 dpi so that logical pixels
// are device pixels.

#include "CYolPath.h"
#include "CYolWMCL_DrawContext.h"
#include "CYolWMSkins_ImageManager.h"
#include "Drawing/Gdi.h"
#include "PngFixtures.h"
#include "Shell/ShellScreen.h"
#include "SkinColors.h"
#include "SkinImages.h"
#include "TestSupport.h"
#include "TextDrawingSuppressions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace Skins;

constexpr int kWidth = 200;
constexpr int kRow = 20;

COLORREF ImageColor(int id) { return RGB(40 + id, 77, 33); }

// Text is antialiased on black: a pixel belongs to a hue when exactly the
// hue's channels are lit.
bool Tinted(COLORREF pixel, COLORREF hue) {
    if (pixel == RGB(0, 0, 0))
        return false;
    for (int shift : {0, 8, 16})
        if (((pixel >> shift) & 0xFF) != 0 && ((hue >> shift) & 0xFF) == 0)
            return false;
    return true;
}

int Distance(COLORREF a, COLORREF b) {
    return std::abs(int(GetRValue(a)) - int(GetRValue(b))) + std::abs(int(GetGValue(a)) - int(GetGValue(b))) +
           std::abs(int(GetBValue(a)) - int(GetBValue(b)));
}

class DrawContextTest : public TempFolderTest {
protected:
    void SetUp() override {
        Platform::SetScreen(480, 640, 96, 96);
        CYolPath::SetAppDir(W(folder));
        for (int id : std::initializer_list<int>{0, 1, 2, 3, 4, 5, SKIN_IMG_CL_GROUP_CLOSED, SKIN_IMG_CL_GROUP_OPENED, SKIN_IMG_CL_ROOT_CLOSED,
                       SKIN_IMG_CL_ROOT_OPENED, SKIN_IMG_MW_CONTACT_TYPING}) {
            COLORREF c = ImageColor(id);
            std::string name = CYolString(GetSkinImageFileName(id)).ToUtf8();
            std::string path = Put("Skins/Test/" + name);
            ASSERT_TRUE(PngFixture::Write(path, PngFixture::Solid(16, 16, GetRValue(c), GetGValue(c), GetBValue(c), 255)));
        }
        SetDefaultSkinColors(colors);
        colors[SKIN_CLR_ACCOUNT_TEXT] = RGB(255, 255, 0);
        colors[SKIN_CLR_ACCOUNT_TOP] = RGB(200, 200, 200);
        colors[SKIN_CLR_ACCOUNT_BOTTOM] = RGB(100, 100, 100);
        colors[SKIN_CLR_CONTACT_NOGROUP] = RGB(255, 0, 0);
        colors[SKIN_CLR_GROUP_TEXT] = RGB(0, 255, 255);
        colors[SKIN_CLR_GROUP_ONLINE] = RGB(0, 255, 0);
        colors[SKIN_CLR_CONTACT_ONLINE] = RGB(255, 0, 255);
        colors[SKIN_CLR_CONTACT_OFFLINE] = RGB(0, 0, 255);
        colors[SKIN_CLR_GROUP_TOTAL] = RGB(255, 0, 0);
        colors[SKIN_CLR_SEL_TOP] = RGB(10, 10, 10);
        colors[SKIN_CLR_SEL_BOTTOM] = RGB(250, 250, 250);
        colors[SKIN_CLR_SEL_FRAME] = RGB(1, 2, 3);
        SetSkinColorTable(&colors);

        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateCompatibleBitmap(dc, kWidth, kRow);
        oldBitmap = SelectObject(dc, bitmap);
        LOGFONTW record;
        record.lfHeight = -14;
        record.lfWeight = FW_BOLD;
        font = CreateFontIndirect(&record);
        oldFont = SelectObject(dc, font);
    }

    void TearDown() override {
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
        DeleteObject(font);
        DeleteObject(bitmap);
        DeleteDC(dc);
        SetSkinColorTable(nullptr);
        images.UnloadImages();
        CYolPath::SetAppDir(CYolString());
        Platform::SetScreen(480, 640, 192, 192);
    }

    UI_CL::CYolWMCL_DrawContext Context(unsigned int tick = 0) {
        UI_CL::CYolWMCL_DrawContext context(dc, images, dontShowIcons, tick);
        context.width = kWidth;
        context.height = kRow;
        return context;
    }

    COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
    // Pixels of the hue in the columns [from, to).
    int Count(COLORREF hue, int from = 0, int to = kWidth) const {
        int n = 0;
        for (int x = from; x < to; ++x)
            for (int y = 0; y < kRow; ++y)
                n += Tinted(At(x, y), hue) ? 1 : 0;
        return n;
    }
    int TextWidth(const char16_t* text) const {
        SIZE size{};
        GetTextExtentPoint32(dc, text, -1, &size);
        return size.cx;
    }

    TSkinColorTable colors{};
    CYolWMSkins_ImageManager images{[] { return CYolString(u"Test"); }};
    bool dontShowIcons = false;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HFONT font = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    HGDIOBJ oldFont = nullptr;
};

using Columns = CYolArray<CYolArray<unsigned int>>;

Columns MakeColumns(std::initializer_list<std::initializer_list<unsigned int>> ids) {
    Columns columns;
    for (auto column : ids) {
        CYolArray<unsigned int> images;
        for (unsigned int id : column)
            images.Add(id);
        columns.Add(images);
    }
    return columns;
}

TEST_F(DrawContextTest, SelectionIsAFramedVerticalGradient) {
    Context().DrawSelection(0, 0, kRow, kWidth);
    for (POINT p : {POINT{0, 0}, POINT{100, 0}, POINT{kWidth - 1, 10}, POINT{100, kRow - 1}})
        EXPECT_EQ(At(p.x, p.y), RGB(1, 2, 3)) << p.x << "," << p.y;
    EXPECT_LT(Distance(At(100, 1), colors[SKIN_CLR_SEL_TOP]), Distance(At(100, 1), colors[SKIN_CLR_SEL_BOTTOM]));
    EXPECT_LT(Distance(At(100, kRow - 2), colors[SKIN_CLR_SEL_BOTTOM]),
              Distance(At(100, kRow - 2), colors[SKIN_CLR_SEL_TOP]));
}

TEST_F(DrawContextTest, AccountRowShowsItsStateStatusAndCaption) {
    struct Case {
        bool expanded;
        bool highlighted;
        int rootImage;
        COLORREF topShade;
        COLORREF bottomShade;
    } cases[] = {
        {true, false, SKIN_IMG_CL_ROOT_OPENED, RGB(200, 200, 200), RGB(100, 100, 100)},
        {false, true, SKIN_IMG_CL_ROOT_CLOSED, RGB(100, 100, 100), RGB(10, 10, 10)},
    };
    for (const Case& c : cases) {
        Context().DrawAccountRow(0, 0, kRow, kWidth, c.expanded, 4, CYolString(u"alice@example.org"), c.highlighted);
        EXPECT_EQ(At(10, 10), ImageColor(c.rootImage));
        EXPECT_EQ(At(28, 10), ImageColor(4));
        EXPECT_LT(Distance(At(150, 3), c.topShade), 60);
        EXPECT_LT(Distance(At(150, kRow - 3), c.bottomShade), 60);
        EXPECT_GT(Count(RGB(255, 255, 0), 37), 0);
        EXPECT_EQ(Count(RGB(255, 255, 0), 0, 36), 0);
    }
}

TEST_F(DrawContextTest, GroupRowCounterFollowsTheCaption) {
    struct Case {
        int online;
        int total;
        bool totalShown;
        bool onlineShown;
        bool slashShown;
    } cases[] = {
        {-1, -1, false, false, false},
        {-1, 7, true, false, false},
        {3, 7, false, true, true},
        {3, -1, false, true, false},
    };
    const int counterX = 22 + TextWidth(u"Friends") + 4;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.online) + "/" + std::to_string(c.total));
        RECT all{0, 0, kWidth, kRow};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        Context().DrawGroupRow(0, 0, kRow, kWidth, c.online == 3, CYolString(u"Friends"), false, c.online, c.total);
        EXPECT_EQ(At(10, 10), ImageColor(c.online == 3 ? SKIN_IMG_CL_GROUP_OPENED : SKIN_IMG_CL_GROUP_CLOSED));
        EXPECT_GT(Count(RGB(0, 255, 255), 22, counterX), 0);
        EXPECT_EQ(Count(RGB(255, 0, 0), counterX) > 0, c.totalShown);
        EXPECT_EQ(Count(RGB(0, 255, 0), counterX) > 0, c.onlineShown);
        // Cyan right of the online number is the "/" and the total.
        EXPECT_EQ(Count(RGB(0, 255, 255), counterX + TextWidth(u"3")) > 0, c.slashShown);
    }
}

TEST_F(DrawContextTest, ContactRowPlacesIconColumnsAndName) {
    Columns left = MakeColumns({{0}, {1}, {2}});
    Columns right = MakeColumns({{3}, {4}});
    CL::CYol_CLContactRow row;
    row.online = true;
    row.icons = &left;
    row.extraIcons = &right;
    row.name = CYolString(u"Bob");
    Context().DrawContactRow(0, 0, kRow, kWidth, row);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(At(19 * i + 3, 2), ImageColor(i)) << "left column " << i;
        EXPECT_EQ(At(19 * i + 18, 17), ImageColor(i)) << "left column " << i;
    }
    EXPECT_EQ(At(kWidth - 19, 10), ImageColor(3));
    EXPECT_EQ(At(kWidth - 4, 10), ImageColor(3));
    EXPECT_EQ(At(kWidth - 35, 10), ImageColor(4));
    EXPECT_EQ(At(kWidth - 20, 10), ImageColor(4));
    const COLORREF online = RGB(255, 0, 255);
    EXPECT_GT(Count(online, 60, 60 + TextWidth(u"Bob")), 0);
    EXPECT_EQ(Count(online, 0, 60), 0);
}

TEST_F(DrawContextTest, ContactNameColourFollowsGroupAndStatus) {
    struct Case {
        bool online;
        bool inNoGroup;
        COLORREF hue;
    } cases[] = {
        {true, false, RGB(255, 0, 255)},
        {false, false, RGB(0, 0, 255)},
        {true, true, RGB(255, 0, 0)},
    };
    for (const Case& c : cases) {
        RECT all{0, 0, kWidth, kRow};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        CL::CYol_CLContactRow row;
        row.online = c.online;
        row.inNoGroup = c.inNoGroup;
        row.name = CYolString(u"Carol");
        Context().DrawContactRow(0, 0, kRow, kWidth, row);
        EXPECT_GT(Count(c.hue, 22), 0) << c.online << c.inNoGroup;
    }
}

TEST_F(DrawContextTest, EventImageBlinksOverTypingAndStatus) {
    Columns left = MakeColumns({{0}});
    struct Case {
        int event;
        bool typing;
        unsigned int tick;
        COLORREF shown;
    } cases[] = {
        {5, true, 500, ImageColor(5)},
        {5, true, 1000, RGB(0, 0, 0)},
        {5, false, 1999, ImageColor(5)},
        {-1, true, 500, ImageColor(SKIN_IMG_MW_CONTACT_TYPING)},
        {-1, false, 500, ImageColor(0)},
    };
    for (const Case& c : cases) {
        RECT all{0, 0, kWidth, kRow};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        CL::CYol_CLContactRow row;
        row.icons = &left;
        row.eventImage = c.event;
        row.typing = c.typing;
        Context(c.tick).DrawContactRow(0, 0, kRow, kWidth, row);
        EXPECT_EQ(At(10, 10), c.shown) << "event " << c.event << " typing " << c.typing << " tick " << c.tick;
    }
}

TEST_F(DrawContextTest, HiddenIconsLeaveOnlyTheFirstColumnWhichStillBlinks) {
    dontShowIcons = true;
    Columns left = MakeColumns({{0}, {1}});
    Columns right = MakeColumns({{3}});
    CL::CYol_CLContactRow row;
    row.icons = &left;
    row.extraIcons = &right;
    row.eventImage = 5;
    row.name = CYolString(u"Dan");
    Context(500).DrawContactRow(0, 0, kRow, kWidth, row);
    EXPECT_EQ(At(10, 10), ImageColor(5));
    EXPECT_NE(At(19 + 10, 10), ImageColor(1));
    EXPECT_NE(At(kWidth - 10, 10), ImageColor(3));
    // The name moves up to the first column.
    EXPECT_GT(Count(RGB(0, 0, 255), 22, 22 + TextWidth(u"Dan")), 0);
}

TEST_F(DrawContextTest, NamesAreDrawnAsTheyStand) {
    // An ampersand is no mnemonic and "%s" no format: both show.
    for (const char16_t* name : {u"&", u"%s%n%x"}) {
        RECT all{0, 0, kWidth, kRow};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        CL::CYol_CLContactRow row;
        row.name = CYolString(name);
        Context().DrawContactRow(0, 0, kRow, kWidth, row);
        EXPECT_GT(Count(RGB(0, 0, 255), 22, 22 + TextWidth(name)), 0) << CYolString(name).ToUtf8();
    }
}

}  // namespace
