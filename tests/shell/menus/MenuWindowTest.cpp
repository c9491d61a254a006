// The pop-up menu window run for real on the headless screen: keys, stylus,
// sub-menus, scrolling and what it draws. The screen is 96 dpi, so logical
// and device pixels are the same, and every menu opens at the top-left
// corner: entry i of the first column covers y 1 + 17 i to 17 + 17 i.

#include "MenuTestSupport.h"

#include "CYolPath.h"
#include "CYolWMUI_StoreSkin.h"
#include "ControlTestSupport.h"
#include "TestSupport.h"

#include "Shell/Shell.h"
#include "Shell/ShellScreen.h"

#include <gtest/gtest.h>

using namespace menu_test;
using Menu = UI::CYolWMUI_Menu;

namespace {

// 0 Alpha, 1 Beta (inactive), 2 Gamma, 3 More > {Inner, Deep}, 4 Omega.
CYolMenuInfo Sample() {
    CYolMenuInfo sub(Text(""), YolMenuContext(200));
    sub.Add(Entry("Inner", 5));
    sub.Add(Entry("Deep", 6));
    CYolMenuInfo menu(Text(""), YolMenuContext(100));
    menu.Add(Entry("Alpha", 1));
    menu.Add(Entry("Beta", 2, CYolMenuItemInfo::Inactive));
    menu.Add(Entry("Gamma", 3));
    menu.Add(CYolMenuItemInfo(-1, Text("More"), sub));
    menu.Add(Entry("Omega", 7));
    return menu;
}

// n entries of only an image, command id and context their index.
CYolMenuInfo Grid(int n) {
    CYolMenuInfo menu;
    for (int i = 0; i < n; ++i)
        menu.Add(Entry("", i, CYolMenuItemInfo::Item, 3));
    return menu;
}

POINT Row(int i, int x = 5) {
    return POINT{x, 1 + 17 * i + 8};
}

const std::string kNothing = "{0, -1, 0, 0}";

class MenuWindow : public ui_test::ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        Platform::SetScreen(480, 640, 96, 96);
        UI::SetShellSkin(&skin);
    }
    void TearDown() override {
        UI::SetShellSkin(nullptr);
        ControlTest::TearDown();
    }

    std::string Show(const CYolMenuInfo& menu, RECT bounds = RECT{0, 0, 480, 640}, bool fullScreen = false) {
        Result result;
        Menu::Popup(result, menu, bounds, POINT{0, 0}, Menu::ETopLeft, parent, fullScreen, false);
        return Describe(result);
    }

    // The menu window that has the focus: the innermost one open.
    static HWND Open() { return GetFocus(); }
    static RECT WindowRect(HWND hwnd) {
        RECT r{0, 0, 0, 0};
        GetWindowRect(hwnd, &r);
        return r;
    }

    SolidSkin skin;
    Script script;
};

struct Step {
    unsigned key;
    unsigned waitMs;
};
Step K(unsigned key) {
    return Step{key, 0};
}
Step Wait(unsigned ms) {
    return Step{0, ms};
}

TEST_F(MenuWindow, KeysMoveOpenAndChoose) {
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::string result;
    };
    const Case cases[] = {
        {"down then enter", {K(VK_DOWN), K(VK_RETURN)}, "{0, 1, 1, 100}"},
        {"up from nothing goes to the last", {K(VK_UP), K(VK_RETURN)}, "{0, 7, 7, 100}"},
        {"down wraps to the first", {K(VK_UP), K(VK_DOWN), K(VK_RETURN)}, "{0, 1, 1, 100}"},
        {"enter on an inactive entry does nothing",
         {K(VK_DOWN), K(VK_DOWN), K(VK_RETURN), K(VK_DOWN), K(VK_RETURN)},
         "{0, 3, 3, 100}"},
        {"enter with no current entry does nothing", {K(VK_RETURN), K(VK_DOWN), K(VK_RETURN)}, "{0, 1, 1, 100}"},
        {"right opens the sub-menu", {K(VK_UP), K(VK_UP), K(VK_RIGHT), K(VK_DOWN), K(VK_DOWN), K(VK_RETURN)},
         "{0, 6, 6, 200}"},
        {"enter opens the sub-menu", {K(VK_UP), K(VK_UP), K(VK_RETURN), K(VK_DOWN), K(VK_RETURN)},
         "{0, 5, 5, 200}"},
        {"left in a sub-menu goes back to its parent",
         {K(VK_UP), K(VK_UP), K(VK_RIGHT), K(VK_LEFT), K(VK_DOWN), K(VK_RETURN)},
         "{0, 7, 7, 100}"},
        {"left in the first column closes", {K(VK_DOWN), K(VK_LEFT)}, kNothing},
        {"escape within 500 ms of opening is ignored", {K(VK_ESCAPE), K(VK_DOWN), K(VK_RETURN)}, "{0, 1, 1, 100}"},
        {"escape later closes", {K(VK_DOWN), Wait(501), K(VK_ESCAPE)}, kNothing},
        {"the right soft key later closes", {Wait(501), K(VK_F2)}, kNothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Platform::ResetInput();
        for (const Step& step : c.steps) {
            if (step.key != 0)
                Platform::InjectKey(step.key);
            else
                script.Then([this, ms = step.waitMs] { clock.Advance(ms); });
        }
        EXPECT_EQ(Show(Sample()), c.result);
        EXPECT_EQ(script.Pending(), 0u);
    }
}

TEST_F(MenuWindow, KeysWalkTheColumns) {
    // Five entries in three rows: 0 1 2 in the first column, 3 4 in the second.
    const RECT bounds{0, 0, 480, 2 + 3 * 17};
    struct Case {
        std::vector<unsigned> keys;
        std::string result;
    };
    const Case cases[] = {
        {{VK_DOWN, VK_RIGHT}, "{0, 3, 3, 0}"},
        // In the last column Right goes to the last entry, then to the first.
        {{VK_DOWN, VK_RIGHT, VK_RIGHT}, "{0, 4, 4, 0}"},
        {{VK_DOWN, VK_RIGHT, VK_RIGHT, VK_RIGHT}, "{0, 0, 0, 0}"},
        // Right stops at the last entry; Left goes one column back.
        {{VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT}, "{0, 4, 4, 0}"},
        {{VK_DOWN, VK_DOWN, VK_RIGHT, VK_LEFT}, "{0, 1, 1, 0}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        Platform::ResetInput();
        for (unsigned key : c.keys)
            Platform::InjectKey(key);
        Platform::InjectKey(VK_RETURN);
        EXPECT_EQ(Show(Grid(5), bounds), c.result);
    }
}

TEST_F(MenuWindow, StylusTapsChooseOpenAndClose) {
    struct Case {
        const char* name;
        std::function<void()> input;
        std::string result;
    };
    const Case cases[] = {
        {"a tap chooses", [] { Platform::InjectTap(Row(2)); }, "{0, 3, 3, 100}"},
        {"a tap on an inactive entry does nothing",
         [] {
             Platform::InjectTap(Row(1));
             Platform::InjectTap(Row(0));
         },
         "{0, 1, 1, 100}"},
        {"a tap outside closes", [] { Platform::InjectTap(POINT{400, 400}); }, kNothing},
        {"a drag over entries chooses where the pen is lifted",
         [] {
             Platform::InjectPenDown(Row(0));
             Platform::InjectPenMove(Row(1));
             Platform::InjectPenUp(Row(2));
         },
         "{0, 3, 3, 100}"},
        {"a pen that moved sideways is no tap",
         [] {
             Platform::InjectPenDown(Row(0, 3));
             Platform::InjectPenUp(Row(0, 14));
             Platform::InjectTap(Row(4));
         },
         "{0, 7, 7, 100}"},
        {"a pen held for half a second is no tap",
         [this] {
             Platform::InjectPenDown(Row(0));
             script.Then([this] { clock.Advance(500); });
             Platform::InjectPenUp(Row(0));
             // Still open, with the pressed entry current.
             Platform::InjectKey(VK_DOWN);
             Platform::InjectKey(VK_DOWN);
             Platform::InjectKey(VK_RETURN);
         },
         "{0, 3, 3, 100}"},
        {"a tap on a sub-menu entry opens it",
         [this] {
             Platform::InjectTap(Row(3));
             script.Then([] {
                 const RECT sub = WindowRect(Open());
                 Platform::InjectTap(POINT{sub.left + 5, sub.top + Row(1).y});
             });
         },
         "{0, 6, 6, 200}"},
        {"a tap outside a sub-menu is the parent's tap",
         [this] {
             Platform::InjectTap(Row(3));
             script.Then([] { Platform::InjectTap(Row(4)); });
         },
         "{0, 7, 7, 100}"},
        {"a tap outside every menu closes them all",
         [this] {
             Platform::InjectKey(VK_UP);
             Platform::InjectKey(VK_UP);
             Platform::InjectKey(VK_RIGHT);
             script.Then([] { Platform::InjectTap(POINT{400, 600}); });
         },
         kNothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Platform::ResetInput();
        c.input();
        EXPECT_EQ(Show(Sample()), c.result);
        EXPECT_EQ(script.Pending(), 0u);
    }
}

TEST_F(MenuWindow, ColumnsWiderThanTheWindowScroll) {
    // 40 cells of 16 in 14 columns of 3 rows: 239 wide in a window of 100.
    const RECT bounds{0, 0, 100, 2 + 3 * 17};
    struct Case {
        const char* name;
        std::function<void()> input;
        std::string result;
    };
    const Case cases[] = {
        // Column 5 moved under x 10 by a drag of 80 to the left.
        {"a drag scrolls by its length",
         [] {
             Platform::InjectPenDown(POINT{90, 9});
             Platform::InjectPenMove(POINT{50, 9});
             Platform::InjectPenUp(POINT{10, 9});
             Platform::InjectTap(POINT{10, 9});
         },
         "{0, 15, 15, 0}"},
        {"a drag stops with the last column at the right edge",
         [] {
             Platform::InjectPenDown(POINT{90, 9});
             Platform::InjectPenUp(POINT{-400, 9});
             Platform::InjectTap(POINT{95, 9});
         },
         "{0, 39, 39, 0}"},
        {"a drag the other way stops at the first column",
         [] {
             Platform::InjectPenDown(POINT{10, 9});
             Platform::InjectPenUp(POINT{90, 9});
             Platform::InjectTap(POINT{10, 9});
         },
         "{0, 0, 0, 0}"},
        // Keys bring the current column into view.
        {"the keys scroll to the current column",
         [] {
             Platform::InjectKey(VK_DOWN);
             for (int i = 0; i < 13; ++i)
                 Platform::InjectKey(VK_RIGHT);
             Platform::InjectTap(POINT{95, 9});
         },
         "{0, 39, 39, 0}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Platform::ResetInput();
        c.input();
        EXPECT_EQ(Show(Grid(40), bounds), c.result);
    }
}

TEST_F(MenuWindow, EmptyMenusAreNotShownAndSeparatorsAloneChooseNothing) {
    EXPECT_EQ(Show(CYolMenuInfo()), kNothing);
    EXPECT_EQ(FindWindow(Menu::kClassName, nullptr), nullptr);

    CYolMenuInfo separators;
    separators.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
    separators.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
    Platform::ResetInput();
    for (unsigned key : {VK_DOWN, VK_UP, VK_RIGHT, VK_RETURN})
        Platform::InjectKey(key);
    script.Then([this] {
        char16_t name[32] = {};
        GetClassName(Open(), name, 32);
        EXPECT_EQ(std::u16string(name), u"YOLMENUWNDCLASS");
        clock.Advance(501);
    });
    Platform::InjectKey(VK_ESCAPE);
    EXPECT_EQ(Show(separators), kNothing);
}

TEST_F(MenuWindow, AFullScreenMenuHidesTheTaskBarWhileItIsActive) {
    script.Then([this] {
        EXPECT_EQ(Platform::GetFullScreenState(Open()), 0x22u);
        clock.Advance(501);
    });
    Platform::InjectKey(VK_ESCAPE);
    EXPECT_EQ(Show(Sample(), RECT{0, 0, 480, 640}, true), kNothing);
}

TEST_F(MenuWindow, AQuitEndsTheMenuAndStillReachesTheOuterLoop) {
    Platform::InjectKey(VK_DOWN);
    script.Then([] { PostQuitMessage(3); });
    EXPECT_EQ(Show(Sample()), kNothing);
    EXPECT_EQ(FindWindow(Menu::kClassName, nullptr), nullptr);
    MSG msg;
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(MenuWindow, CornerPopupsPutTheMenuInTheWindowsCorner) {
    ui_test::Recorder frame;
    const HWND window = Make(frame, WS_POPUP | WS_VISIBLE, RECT{40, 100, 440, 500});
    RECT shown{0, 0, 0, 0};
    const auto record = [&] {
        shown = WindowRect(Open());
        clock.Advance(501);
        Platform::InjectKey(VK_ESCAPE);
    };
    Result result;
    script.Then(record);
    Menu::PopupAtRightBottom(result, Sample(), window, false);
    EXPECT_EQ(shown.right, 440);
    EXPECT_EQ(shown.bottom, 500);
    EXPECT_EQ(Describe(result), kNothing);

    script.Then(record);
    Menu::PopupAtLeftBottom(result, Sample(), window, false);
    EXPECT_EQ(shown.left, 40);
    EXPECT_EQ(shown.bottom, 500);
    EXPECT_EQ(shown.bottom - shown.top, 1 + 5 * 17);
}

// Pixels of the rows: the frame fill sits at the right end of each cell,
// away from the captions, which are short beside the long last entry.
class MenuPixels : public MenuWindow {
protected:
    static CYolMenuInfo Rows() {
        CYolMenuInfo menu;
        menu.Add(Entry("Mk", 1, CYolMenuItemInfo::Item, -1, true));
        menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
        menu.Add(Entry("In", 2, CYolMenuItemInfo::Inactive));
        menu.Add(Entry("Cur", 3, CYolMenuItemInfo::Item, 9));
        menu.Add(Entry("A much longer caption", 4));
        return menu;
    }
    // Whether the colour appears anywhere in the row's cell.
    static bool RowHas(HWND hwnd, int row, COLORREF colour) {
        UpdateWindow(hwnd);
        HDC dc = GetDC(hwnd);
        RECT client;
        GetClientRect(hwnd, &client);
        bool found = false;
        for (int y = 1 + 17 * row; y < 17 + 17 * row && !found; ++y)
            for (int x = 1; x < client.right - 1 && !found; ++x)
                found = GetPixel(dc, x, y) == colour;
        ReleaseDC(hwnd, dc);
        return found;
    }
    static int FillX(HWND hwnd) {
        RECT client;
        GetClientRect(hwnd, &client);
        return client.right - 6;
    }
};

TEST_F(MenuPixels, RowsShowMarkedInactiveAndCurrentEntries) {
    for (int i = 0; i < 3; ++i)
        Platform::InjectKey(VK_DOWN);
    script.Then([] {
        const HWND menu = Open();
        const int x = FillX(menu);
        EXPECT_EQ(Pixel(menu, 0, 0), SkinColour(23));            // border
        EXPECT_EQ(Pixel(menu, x, Row(0).y), SkinColour(31));     // marked
        EXPECT_EQ(Pixel(menu, 20, 17), SkinColour(32));          // the line under the marked entry
        EXPECT_NE(Pixel(menu, x, Row(1).y), SkinColour(31));     // inactive: no fill
        EXPECT_NE(Pixel(menu, x, Row(1).y), SkinColour(30));
        EXPECT_TRUE(RowHas(menu, 1, SkinColour(28)));            // inactive text
        EXPECT_EQ(Pixel(menu, x, Row(2).y), SkinColour(30));     // current: filled
        EXPECT_TRUE(RowHas(menu, 2, SkinColour(29)));            // current text while focused
        EXPECT_EQ(Pixel(menu, 2 + 8, Row(2).y), ImageColour(9)); // its image at the left
        EXPECT_TRUE(RowHas(menu, 3, SkinColour(26)));            // plain text
        EXPECT_FALSE(RowHas(menu, 3, SkinColour(29)));
    });
    // The current entry inactive: outlined, not filled.
    Platform::InjectKey(VK_UP);
    script.Then([this] {
        const HWND menu = Open();
        EXPECT_NE(Pixel(menu, FillX(menu), Row(1).y), SkinColour(30));
        EXPECT_EQ(Pixel(menu, 1, Row(1).y), SkinColour(30));
        EXPECT_NE(Pixel(menu, FillX(menu), Row(2).y), SkinColour(30));
        clock.Advance(501);
        const std::string png = ::testing::TempDir() + "menu-rows.png";
        EXPECT_TRUE(Platform::SaveWindowPng(menu, png.c_str()));
    });
    Platform::InjectKey(VK_ESCAPE);
    EXPECT_EQ(Show(Rows()), kNothing);
    EXPECT_EQ(script.Pending(), 0u);
}

// The application's skin: the default skin's pictures and colour file, as
// the build puts them into the program folder.
class StoreSkinnedMenu : public MenuPixels {
protected:
    void SetUp() override {
        MenuPixels::SetUp();
        CYolPath::SetAppDir(W(YOL_PROGRAM_FOLDER));
        Skins::LoadColorScheme(W("Yol PDA skin"), colours);
        Skins::SetSkinColorTable(&colours);
        background.Create(images);
        UI::SetShellSkin(&storeSkin);
    }
    void TearDown() override {
        MenuPixels::TearDown();
        Skins::SetSkinColorTable(nullptr);
        CYolPath::SetAppDir(CYolString());
    }

    Skins::TSkinColorTable colours{};
    Skins::CYolWMSkins_ImageManager images{[] { return W("Yol PDA skin"); }};
    Skins::CYolWMSkins_BkBrush background;
    UI::CYolWMUI_StoreSkin storeSkin{images, background};
};

TEST_F(StoreSkinnedMenu, MarkedRowTakesTheSkinsColourAndItsPicture) {
    CYolMenuInfo menu;
    menu.Add(Entry("Mk", 1, CYolMenuItemInfo::Item, Skins::SKIN_IMG_STDND, true));
    menu.Add(Entry("A much longer caption", 2));
    // No entry is current until a key moves, so the marked fill shows.
    script.Then([this] {
        const HWND open = Open();
        EXPECT_EQ(Pixel(open, FillX(open), Row(0).y), RGB(0xA0, 0xA0, 0xA0));
        EXPECT_EQ(Pixel(open, 0, 0), Skins::GetDefaultSkinColors()[Skins::SKIN_CLR_MENU_BORDER]);
        // The do-not-disturb picture's red dot, drawn over the fill.
        bool red = false;
        for (int y = 1; y < 17 && !red; ++y)
            for (int x = 2; x < 18 && !red; ++x) {
                const COLORREF c = Pixel(open, x, y);
                red = GetRValue(c) > 150 && GetGValue(c) < 120;
            }
        EXPECT_TRUE(red);
        clock.Advance(501);
    });
    Platform::InjectKey(VK_ESCAPE);
    EXPECT_EQ(Show(menu), kNothing);
    EXPECT_EQ(script.Pending(), 0u);
}

}  // namespace
