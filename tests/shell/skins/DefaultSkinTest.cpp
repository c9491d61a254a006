// The default skin the build puts into the program folder: every built-in
// picture is there and loads, and its colours are the built-in ones.

#include "CYolPath.h"
#include "CYolWMSkins_ImageManager.h"
#include "GdiTestSupport.h"
#include "SkinColors.h"
#include "SkinImages.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class DefaultSkin : public ::testing::Test {
protected:
    DefaultSkin() { CYolPath::SetAppDir(W(YOL_PROGRAM_FOLDER)); }
    ~DefaultSkin() override { CYolPath::SetAppDir(CYolString()); }

    Skins::CYolWMSkins_ImageManager images{[] { return W("Yol PDA skin"); }};
};

TEST_F(DefaultSkin, EveryBuiltInPictureLoads) {
    for (int id = 0; id < Skins::SKIN_IMG_COUNT; ++id) {
        SCOPED_TRACE(CYolString(Skins::GetSkinImageFileName(id)).ToUtf8());
        const SIZE size = images.GetImageSize(id);
        EXPECT_GE(size.cx, 16);
        EXPECT_GE(size.cy, 16);
    }
}

TEST_F(DefaultSkin, IconsAreVisibleAndTheEmptyOneIsClear) {
    GdiTest::Canvas canvas(40, 40, RGB(255, 255, 255));
    images.Draw(Skins::SKIN_IMG_STDND, canvas.dc, {0, 0}, 255);
    canvas.Save("skins_default_dnd");
    // The red of the dot, left of its white bar.
    const COLORREF dot = canvas.Pixel(6, 16);
    EXPECT_GT(GetRValue(dot), 150u);
    EXPECT_LT(GetGValue(dot), 120u);
    canvas.Fill({0, 0, 40, 40}, RGB(255, 255, 255));
    images.Draw(Skins::SKIN_IMG_MISC_EMPTY, canvas.dc, {0, 0}, 255);
    for (int y = 0; y < 40; y += 3)
        for (int x = 0; x < 40; x += 3)
            ASSERT_EQ(canvas.Pixel(x, y), RGB(255, 255, 255));
}

TEST_F(DefaultSkin, ColourFileHoldsTheBuiltInColours) {
    Skins::TSkinColorTable table;
    std::memset(table, 0x5A, sizeof table);
    Skins::ReadColorScheme(W(YOL_SKIN_ASSETS "/Yol PDA skin/_colors.ini"), table);
    EXPECT_EQ(std::memcmp(table, Skins::GetDefaultSkinColors(), sizeof table), 0);
    // And the file is exactly what a save of the defaults writes.
    EXPECT_EQ(ReadText(YOL_PROGRAM_FOLDER "/Skins/Yol PDA skin/_colors.ini"),
              Skins::FormatColorScheme(Skins::GetDefaultSkinColors()));
}

}  // namespace
