#pragma once
// What the message-window suites share: the headless screen at 96 dpi
// (logical and device pixels alike), a solid skin, a pack of solid
// two-frame smileys made on the spot and made current, and a top-level
// recording window to put the parts under.

#include "GifTestSupport.h"
#include "MenuTestSupport.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"

#include "CYolPath.h"
#include "CYolWMSmile_Anim.h"
#include "CYolWMSmile_Set.h"
#include "MYolWMUI_Skin.h"

#include <memory>
#include <string>
#include <vector>

namespace mw_test {

using gif_test::Face;

class MessageWindowTest : public ui_test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Platform::SetScreen(240, 320, 96, 96);
        CYolPath::SetAppDir(CYolString::FromUtf8(temp.Root()));
        skin.background = CreateSolidBrush(RGB(1, 2, 3));
        UI::SetShellSkin(&skin);
        app = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 240, 320});
        Smile::CYolWMSmile_Anim::SetHostWindow(app);
    }
    void TearDown() override {
        Smile::CYolWMSmile_Anim::SetHostWindow(nullptr);
        Smile::CYolWMSmile_Set::SetCurrent(nullptr);
        set.reset();
        UI::SetShellSkin(nullptr);
        DeleteObject(skin.background);
        CYolPath::SetAppDir(CYolString());
        WindowTest::TearDown();
    }
    // n smileys of w x h with the codes ":0", ":1", ... loaded and current.
    void LoadSmileys(int n, int w = 20, int h = 20) {
        std::string define;
        for (int i = 0; i < n; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%03d.gif", i);
            temp.Put(std::string("Smilies/p/") + name, Face(i, w, h));
            define += ":" + std::to_string(i) + "\r\n";
        }
        temp.Put("Smilies/p/_define.ini", define);
        set = std::make_unique<Smile::CYolWMSmile_Set>(CYolString(u"p"), nullptr);
        ASSERT_TRUE(set->WaitForLoader(CYolEvent::Infinite));
        ASSERT_EQ(set->Count(), n);
        Smile::CYolWMSmile_Set::SetCurrent(set.get());
    }
    // Moves the clock in small steps, letting due timers fire at each.
    void Run(std::uint64_t ms) {
        for (std::uint64_t t = 0; t < ms; t += 10) {
            clock.Advance(10);
            Platform::PumpMessages();
        }
    }

    TempFolder temp;
    std::unique_ptr<Smile::CYolWMSmile_Set> set;
    ui_test::Recorder rec;
    HWND app = nullptr;
    menu_test::SolidSkin skin;
};

} // namespace mw_test
