// A skinned list view: the skin's background lined up with the screen and
// the skin's text colour; and the skin service's colours from the same skin.

#include "CSkinManagerImpl.h"
#include "CYolPath.h"
#include "CYolWMSkins_BkBrush.h"
#include "CYolWMSkins_ImageManager.h"
#include "ControlTestSupport.h"
#include "Controls/ControlListView.h"
#include "PngFixtures.h"
#include "SkinColors.h"
#include "TestSupport.h"

// The list draws text.
#include "TextDrawingSuppressions.h"

namespace {

class SkinnedList : public ui_test::ControlTest, public TempFolder {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        CYolPath::SetAppDir(W(Root()));
        // One red and one blue column: which one a pixel shows tells where
        // the pattern is anchored.
        PngFixture::Image tile = PngFixture::Solid(2, 1, 0, 0, 0, 255);
        tile.rows[0] = {255, 0, 0, 255, 0, 0, 255, 255};
        ASSERT_TRUE(PngFixture::Write(Put("Skins/S/yol_mw_background.png"), tile));
        brush.Create(images);
    }
    void TearDown() override {
        CYolPath::SetAppDir(CYolString());
        ControlTest::TearDown();
    }

    Skins::CYolWMSkins_ImageManager images{[] { return W("S"); }};
    Skins::CYolWMSkins_BkBrush brush;
};

TEST_F(SkinnedList, TilesLineUpWithTheScreenAndTextTakesTheSkinColour) {
    Skins::TSkinColorTable colours;
    Skins::SetDefaultSkinColors(colours);
    colours[Skins::SKIN_CLR_TEXT] = RGB(0, 128, 0);
    Skins::SetSkinColorTable(&colours);

    HWND list = Control(WC_LISTVIEW, LVS_LIST, RECT{13, 17, 213, 217});
    Skins::SkinListView(list, brush.GetBrush());
    EXPECT_EQ(ListView_GetTextColor(list), RGB(0, 128, 0));
    POINT origin{0, 0};
    ClientToScreen(list, &origin);
    // An odd origin: a pattern anchored at the list's own corner would show
    // the other colours.
    ASSERT_EQ(origin.x % 2, 1);
    for (int x : {0, 1, 2, 7}) {
        const COLORREF expected = (origin.x + x) % 2 == 0 ? RGB(255, 0, 0) : RGB(0, 0, 255);
        EXPECT_EQ(Pixel(list, x, 5), expected) << x;
    }
    Skins::SetSkinColorTable(nullptr);
}

TEST_F(SkinnedList, SkinServiceHandsOutTheSkinsBrushAndTextColour) {
    Skins::CSkinImageStoreModel store;
    Skins::CLanguageHolder language;
    Skins::CSkinColourHolder holder;
    Skins::CSkinManagerImpl service(nullptr, store, language, holder);
    Skins::CYolWMSkins_ColourSource colours(brush);
    service.SetColourSource(&colours);
    EXPECT_EQ(service.GetBkBrush(), brush.GetBrush());
    EXPECT_EQ(service.GetTextColor(), Skins::GetDefaultSkinColors()[Skins::SKIN_CLR_TEXT]);
    service.SetColourSource(nullptr);
    EXPECT_EQ(service.GetBkBrush(), nullptr);
}

}  // namespace
