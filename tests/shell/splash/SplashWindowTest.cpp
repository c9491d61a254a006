// The splash window: the picture centred and scaled to the screen, the
// progress line halfway between it and the bottom edge, repaints of the
// lower part that leave the picture alone, screen changes, and the
// picture's memory given back when the window goes.

#include "CYolWMUI_Splash.h"
#include "SplashTestSupport.h"
#include "TextDrawingSuppressions.h"

#include <functional>
#include <memory>

using namespace splash_test;

namespace {

class SplashWindow : public SkinWindowTest {
protected:
    // 40 x 30 logical pixels are 80 x 60 device pixels, centred on 480 x 640.
    static constexpr RECT kPicture{200, 290, 280, 350};
    // Halfway between the picture's bottom edge and the screen's.
    static constexpr int kTextLine = (350 + 640) / 2;

    std::unique_ptr<UI::CYolWMUI_Splash> Show(const char* text) {
        auto splash = std::make_unique<UI::CYolWMUI_Splash>(images);
        EXPECT_TRUE(splash->Create(nullptr));
        splash->SetText(W(text));
        UpdateWindow(splash->GetWindow());
        return splash;
    }
};

TEST_F(SplashWindow, CoversTheScreenTopMostAsAToolWindow) {
    auto splash = Show("");
    const HWND hwnd = splash->GetWindow();
    char16_t name[32] = {};
    GetClassName(hwnd, name, 32);
    EXPECT_EQ(std::u16string(name), u"YOLPDASPLASHWND");
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(Box(r), Box(RECT{0, 0, 480, 640}));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(GetWindowLong(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    ui_test::Recorder rec;
    const HWND later = MakeWindow(rec);
    SetForegroundWindow(later);
    EXPECT_EQ(WindowFromPoint(POINT{240, 320}), hwnd) << "the main window comes up under the splash";
}

TEST_F(SplashWindow, PaintsThePictureCentredAndTheTextLineBelowIt) {
    auto splash = Show("Initializing...");
    Picture picture(splash->GetWindow());
    const RECT p = kPicture;
    for (POINT inside : {POINT{p.left, p.top}, POINT{p.right - 1, p.bottom - 1}, POINT{240, 320}})
        EXPECT_EQ(picture.At(inside.x, inside.y), kRed) << inside.x << "," << inside.y;
    for (POINT outside : {POINT{p.left - 1, 320}, POINT{p.right, 320}, POINT{240, p.top - 1}, POINT{240, p.bottom}})
        EXPECT_EQ(picture.At(outside.x, outside.y), kWhite) << outside.x << "," << outside.y;

    const RECT text = picture.DarkBox(p.bottom, 640);
    ASSERT_GT(text.right, text.left) << "the text was drawn";
    EXPECT_LE(text.top, kTextLine);
    EXPECT_GE(text.bottom, kTextLine);
    EXPECT_NEAR((text.left + text.right) / 2, 240, 3) << "centred";
    EXPECT_LT(text.bottom - text.top, 60) << "one line";
}

TEST_F(SplashWindow, NewTextReplacesTheOldAndNoTextDrawsNone) {
    auto splash = Show("Loading the contact list of every account");
    const RECT wide = Picture(splash->GetWindow()).DarkBox(350, 640);
    splash->SetText(W("Ready"));
    UpdateWindow(splash->GetWindow());
    const RECT narrow = Picture(splash->GetWindow()).DarkBox(350, 640);
    EXPECT_LT(narrow.right - narrow.left, wide.right - wide.left);
    EXPECT_GT(narrow.left, wide.left) << "the old text is gone";

    splash->SetText(CYolString());
    UpdateWindow(splash->GetWindow());
    Picture blank(splash->GetWindow());
    const RECT none = blank.DarkBox(kPicture.bottom, 640);
    EXPECT_LE(none.right, none.left);
    EXPECT_EQ(blank.At(240, 320), kRed);
    EXPECT_EQ(splash->GetText(), CYolString());
}

TEST_F(SplashWindow, RepaintBelowTheTopEdgeDrawsTheTextAlone) {
    auto splash = Show("Connecting...");
    const HWND hwnd = splash->GetWindow();
    const RECT lower{0, 320, 480, 640};
    InvalidateRect(hwnd, &lower, true);
    UpdateWindow(hwnd);
    Picture picture(hwnd);
    EXPECT_EQ(picture.At(240, 300), kRed) << "outside the repaint";
    EXPECT_EQ(picture.At(240, 330), kWhite) << "the picture is not drawn again";
    const RECT text = picture.DarkBox(350, 640);
    EXPECT_GT(text.right, text.left) << "the text is";
}

TEST_F(SplashWindow, ScreenChangesResizeItToTheNewScreen) {
    auto splash = Show("Initializing...");
    const HWND hwnd = splash->GetWindow();
    struct Case {
        const char* what;
        std::function<void()> change;
        RECT expected;
    };
    const Case cases[] = {
        {"rotation", [] { Platform::SetScreen(640, 480, 192, 192); }, RECT{0, 0, 640, 480}},
        {"input panel change",
         [&] {
             MoveWindow(hwnd, 10, 10, 100, 100, true);
             SendMessage(hwnd, WM_SETTINGCHANGE, SPI_SETSIPINFO, 0);
         },
         RECT{0, 0, 640, 480}},
        {"another setting leaves it",
         [&] {
             MoveWindow(hwnd, 10, 10, 100, 100, true);
             SendMessage(hwnd, WM_SETTINGCHANGE, 0, 0);
         },
         RECT{10, 10, 110, 110}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.change();
        RECT r;
        GetWindowRect(hwnd, &r);
        EXPECT_EQ(Box(r), Box(c.expected));
    }
    SendMessage(hwnd, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
    UpdateWindow(hwnd);
    Picture picture(hwnd);
    // 80 x 60 centred on 640 x 480.
    for (POINT inside : {POINT{280, 210}, POINT{359, 269}})
        EXPECT_EQ(picture.At(inside.x, inside.y), kRed) << inside.x << "," << inside.y;
    for (POINT outside : {POINT{279, 239}, POINT{360, 239}, POINT{320, 209}, POINT{320, 270}})
        EXPECT_EQ(picture.At(outside.x, outside.y), kWhite) << outside.x << "," << outside.y;
}

TEST_F(SplashWindow, DeletingItDestroysTheWindowAndFreesThePicture) {
    auto splash = Show("Initializing...");
    const HWND hwnd = splash->GetWindow();
    EXPECT_TRUE(images.IsLoaded(Skins::SKIN_IMG_SPLASH));
    splash.reset();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(images.IsLoaded(Skins::SKIN_IMG_SPLASH));
    EXPECT_EQ(images.GetRefCount(Skins::SKIN_IMG_SPLASH), 0);
}

TEST_F(SplashWindow, ASecondSplashOfTheProcessShowsToo) {
    Show("first").reset();
    auto second = Show("second");
    ASSERT_NE(second->GetWindow(), nullptr);
    EXPECT_EQ(Picture(second->GetWindow()).At(240, 320), kRed);
    EXPECT_FALSE(second->Create(nullptr)) << "one window per object";
}

TEST_F(SplashWindow, OutlivesItsWindowDestroyedFromOutside) {
    auto splash = Show("Initializing...");
    DestroyWindow(splash->GetWindow());
    EXPECT_EQ(splash->GetWindow(), nullptr);
    splash->SetText(W("later"));
    EXPECT_EQ(splash->GetText(), W("later"));
}

}  // namespace

namespace {

// The splash as the program shows it, with the skin the build made; the
// picture is left next to the test program for a person to look at.
TEST(SplashDefaultSkin, ShowsThePictureOfTheSkinTheBuildMade) {
    Platform::SetScreen(480, 640, 192, 192);
    CYolPath::SetAppDir(W(YOL_PROGRAM_FOLDER));
    Skins::CYolWMSkins_ImageManager images([] { return W("Yol PDA skin"); });
    {
        UI::CYolWMUI_Splash splash(images);
        ASSERT_TRUE(splash.Create(nullptr));
        splash.SetText(W("Initializing..."));
        UpdateWindow(splash.GetWindow());
        const SIZE size = images.GetImageSize(Skins::SKIN_IMG_SPLASH);
        EXPECT_GT(size.cx, 0);
        EXPECT_GT(size.cy, 0);
        EXPECT_LE(size.cx, 240) << "fits the narrowest screen";
        EXPECT_LT(size.cy, 320 / 2) << "leaves room for the text line";
        Picture picture(splash.GetWindow());
        const RECT drawn = picture.DarkBox(0, 640);
        EXPECT_GT(drawn.right, drawn.left);
        EXPECT_TRUE(Platform::SaveWindowPng(splash.GetWindow(), "splash_default_skin.png"));
    }
    CYolPath::SetAppDir(CYolString());
}

}  // namespace
