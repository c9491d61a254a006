// The contact list on the SDL back-end under an X server: the four views
// of three accounts with 50 contacts each show exactly the pictures the
// headless back-end painted, and the SDL window shows that screen.

#include "ClWindowTestSupport.h"
#include "XvfbServer.h"

namespace {

using namespace ClWindowSupport;

class ClWindowSdl : public ClWindowPicture {
protected:
    void TearDown() override {
        server.Close();
        ClWindowPicture::TearDown();
    }

    YolTest::SdlOnXServer server;
};

TEST_F(ClWindowSdl, ShowsTheSameFourViewsOnAnXServer) {
    Populate(50);
    std::vector<Picture> headless = PaintAllViews("headless-");
    Platform::SdlOptions options;
    options.width = 480;
    options.height = 640;
    options.dpi = 96;
    YOL_OPEN_SDL_ON_X_SERVER(server, options);
    std::vector<Picture> shown = PaintAllViews("sdl-");
    ASSERT_EQ(shown.size(), headless.size());
    for (size_t i = 0; i < shown.size(); ++i)
        EXPECT_TRUE(shown[i].bytes == headless[i].bytes) << "view " << i;
    // What the SDL window shows is the screen the windows painted.
    server.sdl.Present();
    for (POINT p : {POINT{5, 5}, POINT{120, 50}, POINT{200, 290}})
        EXPECT_EQ(server.sdl.ShownPixel(p.x, p.y), Platform::GetScreenPixel(p.x, p.y)) << p.x << "," << p.y;
}

}  // namespace
