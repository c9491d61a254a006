// The smiley animation driver on the manual clock: one timer armed for the
// nearest frame change, pictures of one smiley changing together, pause and
// resume, and the driver window's life.

#include "GifTestSupport.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"

#include "CYolWMSmile_Anim.h"
#include "CYolWMSmile_Set.h"

#include "CYolPath.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Smile::CYolWMSmile_Anim;

struct Change {
    std::uint64_t at;
    int smile;
    int frame;
    const CYolWMSmile_Anim* picture;
    bool operator==(const Change&) const = default;
};

class Log : public Smile::MYolWMSmile_AnimObserver {
public:
    explicit Log(const CYolManualClock& c) : clock(c) {}
    void OnFrameChanged(CYolWMSmile_Anim* p) override {
        changes.push_back(Change{clock.TickCount64(), p->Smile(), p->Frame(), p});
    }
    const CYolManualClock& clock;
    std::vector<Change> changes;
};

// Frames of 1x1 with the given delays in hundredths.
gif_test::Bytes Animation(std::vector<int> delaysCs) {
    gif_test::GifSpec spec;
    spec.globalPalette = {0, 0xFFFFFF};
    for (int d : delaysCs) {
        gif_test::FrameSpec f;
        f.pixels = {1};
        f.control = true;
        f.delayCs = d;
        spec.frames.push_back(f);
    }
    return gif_test::BuildGif(spec);
}

class SmileAnim : public ui_test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        CYolPath::SetAppDir(CYolString::FromUtf8(temp.Root()));
        // 0: 200 and 500 ms; 1: 300 ms twice; 2: one frame; 3: no frame.
        temp.Put("Smilies/p/a.gif", Animation({20, 50}));
        temp.Put("Smilies/p/b.gif", Animation({30, 30}));
        temp.Put("Smilies/p/c.gif", Animation({30}));
        temp.Put("Smilies/p/d.gif", std::string("GIF89a broken"));
        temp.Put("Smilies/p/_define.ini", std::string("a\nb\nc\nd\n"));
        set = std::make_unique<Smile::CYolWMSmile_Set>(CYolString(u"p"), nullptr);
        ASSERT_TRUE(set->WaitForLoader(CYolEvent::Infinite));
        ASSERT_EQ(set->Count(), 4);
        Smile::CYolWMSmile_Set::SetCurrent(set.get());
        host = Make(rec);
        CYolWMSmile_Anim::SetHostWindow(host);
        start = clock.TickCount64();
    }
    void TearDown() override {
        CYolWMSmile_Anim::SetHostWindow(nullptr);
        Smile::CYolWMSmile_Set::SetCurrent(nullptr);
        set.reset();
        CYolPath::SetAppDir(CYolString());
        WindowTest::TearDown();
    }

    // Moves the clock in small steps, letting due timers fire at each.
    void Run(std::uint64_t ms) {
        Platform::PumpMessages();
        for (std::uint64_t t = 0; t < ms; t += 10) {
            clock.Advance(10);
            Platform::PumpMessages();
        }
    }
    std::vector<std::pair<std::uint64_t, int>> Times(const Log& log, int smile) const {
        std::vector<std::pair<std::uint64_t, int>> out;
        for (const Change& c : log.changes)
            if (c.smile == smile && (out.empty() || out.back().first != c.at - start))
                out.emplace_back(c.at - start, c.frame);
        return out;
    }

    TempFolder temp;
    std::unique_ptr<Smile::CYolWMSmile_Set> set;
    ui_test::Recorder rec;
    HWND host = nullptr;
    std::uint64_t start = 0;
};

TEST_F(SmileAnim, PicturesOfOneSmileyChangeTogether) {
    Log log(clock);
    CYolWMSmile_Anim first(0, &log), second(0, &log);
    Run(750);
    ASSERT_FALSE(log.changes.empty());
    // Every change reaches both pictures at the same moment with the same frame.
    ASSERT_EQ(log.changes.size() % 2, 0u);
    for (std::size_t i = 0; i < log.changes.size(); i += 2) {
        EXPECT_EQ(log.changes[i].at, log.changes[i + 1].at);
        EXPECT_EQ(log.changes[i].frame, log.changes[i + 1].frame);
        EXPECT_NE(log.changes[i].picture, log.changes[i + 1].picture);
    }
    EXPECT_EQ(first.Frame(), second.Frame());
}

TEST_F(SmileAnim, TheTimerIsArmedForTheNearestChange) {
    Log log(clock);
    CYolWMSmile_Anim a(0, &log), b(1, &log);
    Run(1500);
    // 0 shows frame 0 for 200 ms and frame 1 for 500; 1 changes every 300.
    using T = std::vector<std::pair<std::uint64_t, int>>;
    EXPECT_EQ(Times(log, 0), (T{{0, 0}, {200, 1}, {700, 0}, {900, 1}, {1400, 0}}));
    EXPECT_EQ(Times(log, 1), (T{{0, 0}, {300, 1}, {600, 0}, {900, 1}, {1200, 0}, {1500, 1}}));
}

TEST_F(SmileAnim, ANewSmileyShowsAtOnceAndRestartsTheWait) {
    Log log(clock);
    CYolWMSmile_Anim a(0, &log);
    Run(100);
    CYolWMSmile_Anim b(1, &log);
    Run(400);
    using T = std::vector<std::pair<std::uint64_t, int>>;
    EXPECT_EQ(Times(log, 1), (T{{100, 0}, {400, 1}}));
    // The 100 ms that 0 had waited are not counted: it changes 200 ms later.
    EXPECT_EQ(Times(log, 0), (T{{0, 0}, {300, 1}}));
    // A picture joining a smiley on screen takes its frame.
    CYolWMSmile_Anim late(1, &log);
    EXPECT_EQ(late.Frame(), 1);
}

TEST_F(SmileAnim, PausedNothingChangesUntilResumed) {
    Log log(clock);
    CYolWMSmile_Anim a(0, &log);
    Run(50);
    ASSERT_EQ(log.changes.size(), 1u);
    CYolWMSmile_Anim::Pause();
    Run(1000);
    // A picture added while paused does not start the timer.
    CYolWMSmile_Anim b(1, &log);
    Run(1000);
    EXPECT_EQ(log.changes.size(), 1u);
    CYolWMSmile_Anim::Resume();
    Run(10);
    // Resumed with the interval that was armed: 0 for the new smiley.
    using T = std::vector<std::pair<std::uint64_t, int>>;
    EXPECT_EQ(Times(log, 1), (T{{2050, 0}}));
}

TEST_F(SmileAnim, TheDriverLivesWhileAnimatedPicturesDo) {
    Log log(clock);
    EXPECT_EQ(CYolWMSmile_Anim::Driver(), nullptr);
    {
        CYolWMSmile_Anim still(2, &log);
        EXPECT_FALSE(still.Registered());
        EXPECT_EQ(CYolWMSmile_Anim::Driver(), nullptr);
        auto a = std::make_unique<CYolWMSmile_Anim>(0, &log);
        ASSERT_NE(CYolWMSmile_Anim::Driver(), nullptr);
        const HWND window = *CYolWMSmile_Anim::Driver();
        EXPECT_TRUE(IsWindow(window));
        EXPECT_EQ(GetParent(window), host);
        EXPECT_FALSE(IsWindowVisible(window));
        a.reset();
        EXPECT_EQ(CYolWMSmile_Anim::Driver(), nullptr);
        EXPECT_FALSE(IsWindow(window));
    }
    CYolWMSmile_Anim again(1, &log);
    EXPECT_NE(CYolWMSmile_Anim::Driver(), nullptr);
}

TEST_F(SmileAnim, ASmileyWithoutFramesIsNeverStepped) {
    Log log(clock);
    CYolWMSmile_Anim broken(3, &log);
    EXPECT_TRUE(broken.Registered());
    CYolWMSmile_Anim b(1, &log);
    Run(700);
    EXPECT_TRUE(Times(log, 3).empty());
    EXPECT_EQ(Times(log, 1).size(), 3u);
    EXPECT_EQ(broken.Frame(), 0);
}

} // namespace
