// The skin image store: built-in and registered ids, reference counts, lazy
// loading from the current skin, and drawing with alpha.

#include "CSkinManagerImpl.h"
#include "GdiTestSupport.h"
#include "Shell/ShellScreen.h"
#include "SkinFixture.h"
#include "SkinImages.h"

#include <fstream>
#include <functional>
#include <thread>
#include <vector>

using Skins::CYolWMSkins_ImageManager;

namespace {

class ImageManager : public SkinFolderTest {
protected:
    ImageManager() { Platform::SetScreen(480, 640, 192, 192); }
    // One logical pixel is two device pixels at 192 dpi: icons cover 32 x 32.
    static constexpr int kIcon = 32;
};

TEST_F(ImageManager, StartsWithTheBuiltInIdsEachHeldOnce) {
    EXPECT_EQ(images.GetCount(), 122);
    for (int id : {0, 31, 121})
        EXPECT_EQ(images.GetRefCount(id), 1);
    EXPECT_EQ(images.GetRefCount(122), -1);
    EXPECT_EQ(images.GetRefCount(-1), -1);
    EXPECT_EQ(CYolString(Skins::GetSkinImageFileName(Skins::SKIN_IMG_XSTATUS_AT)), W("xstatus_@.png"));
    EXPECT_EQ(CYolString(Skins::GetSkinImageFileName(Skins::SKIN_IMG_PROTO_AUTHREQUEST)), W("proto_authrequest.png"));
    EXPECT_EQ(Skins::GetSkinImageFileName(122), nullptr);
}

TEST_F(ImageManager, ReferenceCountsFollowRegisterAndRelease) {
    struct Step {
        const char* what;
        std::function<void()> action;
        int id;
        int refs;
    };
    int plugin = -1;
    const Step steps[] = {
        {"a built-in name keeps its id", [&] { EXPECT_EQ(images.Register(W("yol_stna.png")), 9); }, 9, 2},
        {"a new name is appended", [&] { plugin = images.Register(W("Clients/qip.png")); EXPECT_EQ(plugin, 122); }, 122, 1},
        {"the same name again", [&] { EXPECT_EQ(images.Register(W("Clients/qip.png")), 122); }, 122, 2},
        {"letter case makes another name", [&] { EXPECT_EQ(images.Register(W("Clients/QIP.png")), 123); }, 123, 1},
        {"release", [&] { images.Release(122); }, 122, 1},
        {"release to zero", [&] { images.Release(122); }, 122, 0},
        {"release below zero stays at zero", [&] { images.Release(122); }, 122, 0},
        {"a released name comes back under its id", [&] { EXPECT_EQ(images.Register(W("Clients/qip.png")), 122); }, 122, 1},
        {"the program's own reference can go too", [&] { images.Release(9); images.Release(9); }, 9, 0},
        {"unknown ids are ignored", [&] { images.Release(-1); images.Release(5000); }, 9, 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.action();
        EXPECT_EQ(images.GetRefCount(step.id), step.refs);
    }
    EXPECT_EQ(images.GetCount(), 124);
}

TEST_F(ImageManager, LoadsOnFirstUseFromTheCurrentSkin) {
    PutPng("yol_stna.png", PngFixture::Solid(5, 7, 255, 0, 0, 255));
    EXPECT_FALSE(images.IsLoaded(Skins::SKIN_IMG_STNA));
    const SIZE size = images.GetImageSize(Skins::SKIN_IMG_STNA);
    EXPECT_EQ(size.cx, 5);
    EXPECT_EQ(size.cy, 7);
    EXPECT_TRUE(images.IsLoaded(Skins::SKIN_IMG_STNA));

    // Registered names are paths inside the skin; "\" from the handheld works too.
    PutPng("Clients/qip.png", PngFixture::Solid(3, 3, 0, 0, 255, 255));
    EXPECT_EQ(images.GetImageSize(images.Register(W("Clients\\qip.png"))).cx, 3);
    // Skin folders copied from the handheld may differ in letter case.
    PutPng("YOL_STAWAY.PNG", PngFixture::Solid(4, 4, 0, 0, 255, 255));
    EXPECT_EQ(images.GetImageSize(Skins::SKIN_IMG_STAWAY).cx, 4);
}

TEST_F(ImageManager, APictureBesideTheSkinsFolderIsReachedFromTheSkinAndDrawnAsAnIcon) {
    // How the OSCAR plug-in shows a contact's buddy icon from the program
    // folder's "BuddyIcons/".
    PutPng("yol_stna.png", PngFixture::Solid(4, 4, 255, 0, 0, 255));
    ASSERT_TRUE(PngFixture::Write(Put("BuddyIcons/01ab.png"), PngFixture::Solid(48, 48, 0, 255, 0, 255)));
    // The icon store names a picture by its kind; the loader goes by its bytes.
    // A 1 x 1 uncompressed BMP of 24 bits, green.
    const unsigned char bmp[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0,
                                 0,   0,   1,  0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                 0,   0,   0,  0, 0,  0, 0, 0xFF, 0, 0};
    std::ofstream(Put("BuddyIcons/01cd.bmp"), std::ios::binary).write(reinterpret_cast<const char*>(bmp), sizeof bmp);
    const struct {
        const char* name;
        int width;
    } cases[] = {{"../../BuddyIcons/01ab.png", 48}, {"../../BuddyIcons/01cd.bmp", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int id = images.Register(W(c.name));
        EXPECT_EQ(images.GetImageSize(id).cx, c.width);
        GdiTest::Canvas canvas(64, 64, RGB(255, 255, 255));
        images.Draw(id, canvas.dc, {0, 0}, 255);
        EXPECT_EQ(canvas.Pixel(kIcon - 1, kIcon - 1), RGB(0, 255, 0));
        EXPECT_EQ(canvas.Pixel(kIcon, kIcon), RGB(255, 255, 255));
    }
}

TEST_F(ImageManager, MissingPictureIsRememberedUntilTheImagesAreUnloaded) {
    EXPECT_EQ(images.GetImageSize(Skins::SKIN_IMG_STDND).cx, 0);
    PutPng("yol_stdnd.png", PngFixture::Solid(6, 6, 0, 255, 0, 255));
    EXPECT_EQ(images.GetImageSize(Skins::SKIN_IMG_STDND).cx, 0);
    images.UnloadImages();
    EXPECT_EQ(images.GetImageSize(Skins::SKIN_IMG_STDND).cx, 6);
}

TEST_F(ImageManager, SkinChangeReadsTheNewFolderWithTheSameIds) {
    PutPng("yol_stna.png", PngFixture::Solid(5, 5, 255, 0, 0, 255));
    const int id = images.Register(W("extra.png"));
    PutPng("extra.png", PngFixture::Solid(2, 2, 255, 0, 0, 255));
    EXPECT_EQ(images.GetImageSize(id).cx, 2);
    EXPECT_EQ(images.GetImageSize(Skins::SKIN_IMG_STNA).cx, 5);
    skin = "Other";
    PutPng("yol_stna.png", PngFixture::Solid(9, 9, 255, 0, 0, 255));
    EXPECT_EQ(images.GetImageSize(Skins::SKIN_IMG_STNA).cx, 5);  // still the loaded one
    images.UnloadImages();
    EXPECT_EQ(images.GetImageSize(Skins::SKIN_IMG_STNA).cx, 9);
    EXPECT_EQ(images.GetImageSize(id).cx, 0);
    EXPECT_EQ(images.GetRefCount(id), 1);
}

TEST_F(ImageManager, ReleasedToZeroFreesThePictureAndTheNextDrawLoadsItAgain) {
    PutPng("yol_stna.png", PngFixture::Solid(4, 4, 255, 0, 0, 255));
    GdiTest::Canvas canvas(40, 40);
    images.Draw(Skins::SKIN_IMG_STNA, canvas.dc, {0, 0}, 255);
    EXPECT_TRUE(images.IsLoaded(Skins::SKIN_IMG_STNA));
    images.Release(Skins::SKIN_IMG_STNA);
    EXPECT_FALSE(images.IsLoaded(Skins::SKIN_IMG_STNA));
    canvas.Fill({0, 0, 40, 40}, RGB(255, 255, 255));
    images.Draw(Skins::SKIN_IMG_STNA, canvas.dc, {0, 0}, 255);
    EXPECT_TRUE(images.IsLoaded(Skins::SKIN_IMG_STNA));
    EXPECT_EQ(canvas.Pixel(5, 5), RGB(255, 0, 0));
}

TEST_F(ImageManager, DrawScalesAnySizeInto16LogicalPixelsWithAlpha) {
    // Half-transparent red, 3 x 5 pixels.
    PutPng("yol_stna.png", PngFixture::Solid(3, 5, 255, 0, 0, 128));
    GdiTest::Canvas canvas(64, 64, RGB(255, 255, 255));
    images.Draw(Skins::SKIN_IMG_STNA, canvas.dc, {10, 20}, 255);
    canvas.Save("skins_draw_alpha");
    const COLORREF blended = canvas.Pixel(10, 20);
    EXPECT_EQ(GetRValue(blended), 255);
    EXPECT_NEAR(GetGValue(blended), 127, 1);
    EXPECT_NEAR(GetBValue(blended), 127, 1);
    EXPECT_EQ(canvas.Pixel(10 + kIcon - 1, 20 + kIcon - 1), blended);
    for (POINT outside : {POINT{9, 20}, POINT{10, 19}, POINT{10 + kIcon, 20}, POINT{10, 20 + kIcon}})
        EXPECT_EQ(canvas.Pixel(outside.x, outside.y), RGB(255, 255, 255));

    // Constant alpha 0 leaves the background as it was.
    canvas.Fill({0, 0, 64, 64}, RGB(0, 0, 255));
    images.Draw(Skins::SKIN_IMG_STNA, canvas.dc, {10, 20}, 0);
    EXPECT_EQ(canvas.Pixel(20, 30), RGB(0, 0, 255));
}

TEST_F(ImageManager, DrawRectTilesFromTheBrushOriginOrStretches) {
    PngFixture::Image tile = PngFixture::Solid(2, 1, 0, 0, 0, 255);
    tile.rows[0] = {255, 0, 0, 255, 0, 0, 255, 255};
    PutPng("yol_mw_background.png", tile);
    GdiTest::Canvas canvas(10, 4, RGB(255, 255, 255));
    images.DrawRect(Skins::SKIN_IMG_MW_BACKGROUND, canvas.dc, 1, 1, 7, 3, false, 0);
    EXPECT_EQ(canvas.Pixel(2, 1), RGB(255, 0, 0));  // origin (0, 0): even columns red
    EXPECT_EQ(canvas.Pixel(3, 2), RGB(0, 0, 255));
    EXPECT_EQ(canvas.Pixel(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Pixel(7, 1), RGB(255, 255, 255));

    images.DrawRect(Skins::SKIN_IMG_MW_BACKGROUND, canvas.dc, 0, 0, 8, 4, true, 255);
    EXPECT_EQ(canvas.Pixel(0, 3), RGB(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(3, 0), RGB(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(4, 0), RGB(0, 0, 255));
    EXPECT_EQ(canvas.Pixel(8, 0), RGB(255, 255, 255));
}

TEST_F(ImageManager, NoImageAndUnknownIdsDrawNothing) {
    GdiTest::Canvas canvas(40, 40, RGB(1, 2, 3));
    for (int id : {-1, 500, static_cast<int>(Skins::SKIN_IMG_SPLASH) /* no file */}) {
        SCOPED_TRACE(id);
        images.Draw(id, canvas.dc, {0, 0}, 255);
        images.DrawRect(id, canvas.dc, 0, 0, 40, 40, false, 255);
        images.DrawRect(id, canvas.dc, 0, 0, 40, 40, true, 255);
        images.LoadImage(id);
        const SIZE size = images.GetImageSize(id);
        EXPECT_EQ(size.cx, 0);
        EXPECT_EQ(size.cy, 0);
    }
    EXPECT_EQ(canvas.Pixel(20, 20), RGB(1, 2, 3));
}

TEST_F(ImageManager, SkinServiceForwardsToTheBoundStore) {
    Skins::CSkinImageStoreModel fallback;
    Skins::CLanguageHolder language;
    Skins::CSkinColourHolder colours;
    Skins::CSkinManagerImpl service(nullptr, fallback, language, colours);
    service.SetImageStore(&images);
    EXPECT_EQ(service.RegisterImage(W("yol_cl_msg_im.png")), Skins::SKIN_IMG_CL_MSG_IM);
    EXPECT_EQ(images.GetRefCount(Skins::SKIN_IMG_CL_MSG_IM), 2);
    const int id = service.RegisterImage(W("Clients/icq.png"));
    EXPECT_EQ(id, 122);
    service.ReleaseImage(id);
    EXPECT_EQ(images.GetRefCount(id), 0);
    EXPECT_EQ(fallback.Count(), 0);

    service.SetImageStore(nullptr);
    EXPECT_EQ(service.RegisterImage(W("Clients/icq.png")), 0);
    EXPECT_EQ(fallback.Count(), 1);
}

TEST_F(ImageManager, PluginsRegisterFromTheirThreadsWhileTheUiDraws) {
    PutPng("yol_stna.png", PngFixture::Solid(4, 4, 255, 0, 0, 255));
    std::vector<std::thread> plugins;
    for (int t = 0; t < 3; ++t)
        plugins.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i)
                images.Release(images.Register(W("plugin" + std::to_string((t + i) % 5) + ".png")));
        });
    GdiTest::Canvas canvas(40, 40);
    for (int i = 0; i < 50; ++i) {
        images.Draw(Skins::SKIN_IMG_STNA, canvas.dc, {0, 0}, 255);
        images.Release(Skins::SKIN_IMG_STNA);
    }
    for (std::thread& plugin : plugins)
        plugin.join();
    EXPECT_EQ(images.GetCount(), 127);
    for (int id = 122; id < 127; ++id)
        EXPECT_EQ(images.GetRefCount(id), 0);
}

}  // namespace
