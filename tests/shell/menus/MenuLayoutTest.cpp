// Laying out a menu description: entries, grid, size and where the window
// goes, with every text 8 pixels a character wide.

#include "MenuTestSupport.h"

#include "Shell/ShellScreen.h"

#include <gtest/gtest.h>

using namespace menu_test;
using Data = UI::CYolWMUI_Menu::CYolWMUI_MenuData;
using Align = UI::CYolWMUI_Menu::TAlign;

namespace {

constexpr RECT kScreen{0, 0, 480, 640};

CYolMenuInfo Entries(int n, const std::string& caption = "Item", int image = -1) {
    CYolMenuInfo menu;
    for (int i = 0; i < n; ++i)
        menu.Add(Entry(caption, i, CYolMenuItemInfo::Item, image));
    return menu;
}

CYolMenuInfo WithSubMenu() {
    CYolMenuInfo sub;
    sub.Add(Entry("Inner", 9));
    CYolMenuInfo menu;
    menu.Add(Entry("Open", 1, CYolMenuItemInfo::Item, 4));
    menu.Add(CYolMenuItemInfo(-1, Text("More"), sub));
    return menu;
}

CYolMenuInfo Separators(std::initializer_list<const char*> layout) {
    CYolMenuInfo menu;
    int n = 0;
    for (const char* entry : layout)
        menu.Add(std::string(entry) == "-" ? CYolMenuItemInfo(CYolMenuItemInfo::Separator) : Entry(entry, n++));
    return menu;
}

CYolMenuInfo Titled(const char* title, int n) {
    CYolMenuInfo menu = Entries(n, "ab");
    menu.title = Text(title);
    return menu;
}

class MenuLayout : public ui_test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Platform::SetScreen(480, 640, 96, 96);
    }
    static Data Build(const CYolMenuInfo& menu, RECT bounds, POINT anchor, Align align, bool wide = false) {
        Data data;
        data.Build(menu, bounds, anchor, align, wide,
                   [](const CYolString& text, bool) { return 8 * text.Length(); });
        return data;
    }
};

TEST_F(MenuLayout, GridSizeAndPlacementFollowTheEntriesTheBoundsAndTheAnchor) {
    struct Row {
        const char* name;
        CYolMenuInfo menu;
        RECT bounds;
        POINT anchor;
        Align align;
        bool wide;
        int columns, rows;
        SIZE item;
        SIZE menuSize;
        RECT window;
        POINT last;  // position of the last entry
    };
    const Row rows[] = {
        // Three captions of 4 characters: 32 wide, 16 high, gaps of 1.
        {"plain", Entries(3), kScreen, {10, 20}, Align::ETopLeft, false, 1, 3, {32, 16}, {34, 52},
         {10, 20, 44, 72}, {1, 35}},
        {"wide entries", Entries(3), kScreen, {10, 20}, Align::ETopLeft, true, 1, 3, {32, 25}, {34, 79},
         {10, 20, 44, 99}, {1, 53}},
        // An image (16), the gap to the caption (3) and the sub-menu mark (11).
        {"images and sub-menu", WithSubMenu(), kScreen, {0, 0}, Align::ETopLeft, false, 1, 2, {62, 16}, {64, 35},
         {0, 0, 64, 35}, {1, 18}},
        // 12 rows fit in 2 + 12 * 17: 30 entries spread over 3 columns of 10.
        {"thirty in twelve rows", Entries(30, "x"), {0, 0, 480, 206}, {0, 0}, Align::ETopLeft, false, 3, 10, {16, 16},
         {52, 171}, {0, 0, 52, 171}, {35, 154}},
        {"only separators", Separators({"-", "-"}), kScreen, {5, 5}, Align::ETopLeft, false, 1, 0, {16, 16},
         {18, 1}, {5, 5, 23, 6}, {0, 0}},
        // Bounds lower than one row still give one row per column.
        {"bounds below one row", Entries(3, "a"), {0, 0, 480, 10}, {0, 0}, Align::ETopLeft, false, 3, 1, {16, 16},
         {52, 18}, {0, 0, 52, 10}, {35, 1}},
        // A caption wider than the bounds: the window is clipped to them.
        {"very long caption", Entries(1, std::string(300, 'w')), kScreen, {100, 100}, Align::ETopLeft, false, 1, 1,
         {2400, 16}, {2402, 18}, {0, 100, 480, 118}, {1, 1}},
        // Past the right and bottom edges the menu moves back inside.
        {"bottom-right corner", Entries(2), kScreen, {470, 630}, Align::ETopLeft, false, 1, 2, {32, 16}, {34, 35},
         {446, 605, 480, 640}, {1, 18}},
        // Anchored by its bottom-right corner at the top-left of the screen.
        {"top-left corner", Entries(2), kScreen, {3, 3}, Align::EBottomRight, false, 1, 2, {32, 16}, {34, 35},
         {0, 0, 34, 35}, {1, 18}},
        {"bottom-centre", Entries(2), kScreen, {100, 300}, Align::EBottomCentre, false, 1, 2, {32, 16}, {34, 35},
         {83, 265, 117, 300}, {1, 18}},
        {"right-middle", Entries(2), kScreen, {100, 300}, Align::ERightMiddle, false, 1, 2, {32, 16}, {34, 35},
         {66, 283, 100, 318}, {1, 18}},
        // The title band is 18 high; a title wider than the column widens it.
        {"wide title", Titled("A long heading", 2), kScreen, {0, 0}, Align::ETopLeft, false, 1, 2, {132, 16},
         {134, 53}, {0, 0, 134, 53}, {1, 36}},
        // Entries of only an image make square cells.
        {"image grid", Entries(4, "", 7), {0, 0, 480, 36}, {0, 0}, Align::ETopLeft, false, 2, 2, {16, 16}, {35, 35},
         {0, 0, 35, 35}, {18, 18}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Data data = Build(row.menu, row.bounds, row.anchor, row.align, row.wide);
        EXPECT_EQ(data.columns, row.columns);
        EXPECT_EQ(data.rows, row.rows);
        EXPECT_EQ(data.itemSize.cx, row.item.cx);
        EXPECT_EQ(data.itemSize.cy, row.item.cy);
        EXPECT_EQ(data.menuSize.cx, row.menuSize.cx);
        EXPECT_EQ(data.menuSize.cy, row.menuSize.cy);
        EXPECT_EQ(data.windowRect.left, row.window.left);
        EXPECT_EQ(data.windowRect.top, row.window.top);
        EXPECT_EQ(data.windowRect.right, row.window.right);
        EXPECT_EQ(data.windowRect.bottom, row.window.bottom);
        if (data.Count() > 0) {
            EXPECT_EQ(data.items[data.Count() - 1].x, row.last.x);
            EXPECT_EQ(data.items[data.Count() - 1].y, row.last.y);
        }
    }
}

TEST_F(MenuLayout, EntriesCarryTheirStylesAndASeparatorMarksTheEntryBeforeIt) {
    CYolMenuInfo menu(Text(""), YolMenuContext(70));
    menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));  // nothing before it: no line
    menu.Add(Entry("a", 1, CYolMenuItemInfo::Item, -1, true));
    menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
    menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));  // two in a row: still one line
    menu.Add(Entry("b", 2, CYolMenuItemInfo::Inactive));
    menu.Add(CYolMenuItemInfo(-1, Text("c"), CYolMenuInfo()));
    const Data data = Build(menu, kScreen, {0, 0}, Align::ETopLeft);
    ASSERT_EQ(data.Count(), 3);
    EXPECT_EQ(data.items[0].style, Data::ENormal | Data::EMarked | Data::ELineBelow);
    EXPECT_EQ(data.items[1].style, Data::EInactive);
    EXPECT_EQ(data.items[2].style, Data::ESubMenu);
    EXPECT_FALSE(data.HasTitle());
    EXPECT_TRUE(data.noImages);
    EXPECT_EQ(data.items[0].commandId, 1);
    EXPECT_EQ(data.items[0].context, YolMenuContext(1));
    EXPECT_EQ(data.items[2].menuContext, YolMenuContext(70));
}

TEST_F(MenuLayout, CaptionsStayLiteralText) {
    // Text from the network: prefix marks and parameter-like tags are text.
    const std::string hostile = "100% &Bob <name> %s%n";
    CYolMenuInfo menu;
    menu.Add(Entry(hostile, 1));
    menu.title = Text("<title> %d");
    const Data data = Build(menu, kScreen, {0, 0}, Align::ETopLeft);
    EXPECT_EQ(data.items[0].caption.ToUtf8(), hostile);
    EXPECT_EQ(data.title.caption.ToUtf8(), "<title> %d");
}

TEST_F(MenuLayout, LengthsScaleWithTheScreenDensity) {
    Platform::SetScreen(480, 640, 192, 192);
    const Data data = Build(WithSubMenu(), kScreen, {0, 0}, Align::ETopLeft);
    // 32 + 6 + 8 * 4 + 22 wide, 32 high, gaps of 2.
    EXPECT_EQ(data.itemSize.cx, 92);
    EXPECT_EQ(data.itemSize.cy, 32);
    EXPECT_EQ(data.items[1].y, 2 + 34);
    EXPECT_EQ(data.menuSize.cy, 2 + 2 * 34);
}

}  // namespace
