// The background brush: the skin's background picture tiled over a
// screen-sized pattern, white where the skin has none.

#include "CYolWMSkins_BkBrush.h"
#include "GdiTestSupport.h"
#include "Shell/ShellScreen.h"
#include "SkinFixture.h"
#include "SkinImages.h"

namespace {

class BkBrush : public SkinFolderTest {
protected:
    BkBrush() { Platform::SetScreen(480, 640, 192, 192); }
};

TEST_F(BkBrush, TilesTheBackgroundPictureAndFollowsASkinChange) {
    PngFixture::Image tile = PngFixture::Solid(2, 1, 0, 0, 0, 255);
    tile.rows[0] = {255, 0, 0, 255, 0, 0, 255, 255};
    PutPng("yol_mw_background.png", tile);
    Skins::CYolWMSkins_BkBrush brush;
    EXPECT_EQ(brush.GetBrush(), nullptr);
    brush.Create(images);
    ASSERT_NE(brush.GetBrush(), nullptr);

    GdiTest::Canvas canvas(8, 2);
    const RECT all{0, 0, 8, 2};
    FillRect(canvas.dc, &all, brush.GetBrush());
    EXPECT_EQ(canvas.Pixel(4, 1), RGB(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(5, 1), RGB(0, 0, 255));

    skin = "Plain";  // no background picture
    images.UnloadImages();
    brush.Reload();
    FillRect(canvas.dc, &all, brush.GetBrush());
    EXPECT_EQ(canvas.Pixel(4, 1), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Pixel(5, 1), RGB(255, 255, 255));
}

TEST_F(BkBrush, ReloadBeforeCreateMakesNoBrush) {
    Skins::CYolWMSkins_BkBrush brush;
    brush.Reload();
    EXPECT_EQ(brush.GetBrush(), nullptr);
    EXPECT_EQ(Skins::CreateBkBitmap(nullptr, nullptr), nullptr);
}

}  // namespace
