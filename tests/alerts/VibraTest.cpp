// Vibration patterns played step by step on the vibrator LED.

#include "AlertTestSupport.h"
#include "CYolWMAlert_Vibra.h"

#include <memory>

using namespace alerts_test;

namespace {

class Vibra : public AlertWindowTest {
protected:
    void SetUp() override {
        AlertWindowTest::SetUp();
        Make();
    }
    void Make() {
        vibra = std::make_unique<Alert::CYolWMAlert_Vibra>(prefs);
        ASSERT_EQ(vibra->Create(nullptr, parent, 0, RECT{}), 1);
    }

    std::unique_ptr<Alert::CYolWMAlert_Vibra> vibra;
};

using Changes = std::vector<Change>;
constexpr int kOn = NLED_MODE_ON;
constexpr int kOff = NLED_MODE_OFF;

TEST_F(Vibra, PlaysEachSetBitAsAQuarterSecondOfVibrationFromTheFirstTick) {
    struct Row {
        unsigned int pattern;
        Changes expected;
    };
    const Row rows[] = {
        {0xF, {{250, 1, kOn}, {1250, 1, kOff}}},
        {0x5, {{250, 1, kOn}, {500, 1, kOff}, {750, 1, kOn}, {1000, 1, kOff}}},
        // Leading quiet steps are dropped.
        {0x100, {{250, 1, kOn}, {500, 1, kOff}}},
        {0x80000001, {{250, 1, kOn}, {500, 1, kOff}, {8000, 1, kOn}, {8250, 1, kOff}}},
        {0xFFFFFFFF, {{250, 1, kOn}, {8250, 1, kOff}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pattern);
        Platform::ResetLeds();
        const std::uint64_t from = clock.TickCount64();
        vibra->Vibrate(row.pattern);
        Run(9000);
        Changes changes = LedChanges();
        for (Change& c : changes)
            c.at -= from - start;
        EXPECT_EQ(changes, row.expected);
        EXPECT_FALSE(vibra->IsPlaying());
        EXPECT_EQ(Platform::GetLedMode(1), kOff);
    }
}

TEST_F(Vibra, PatternsRaisedTogetherPlayOneAfterTheOther) {
    vibra->Vibrate(0x3);
    Run(100);
    // Before the first pattern's first tick.
    vibra->Vibrate(0x1);
    EXPECT_EQ(vibra->PendingCount(), 1);
    Run(2000);
    EXPECT_EQ(LedChanges(), (Changes{{250, 1, kOn}, {750, 1, kOff}, {1250, 1, kOn}, {1500, 1, kOff}}));
}

TEST_F(Vibra, ZeroPatternIsIgnored) {
    vibra->Vibrate(0);
    EXPECT_FALSE(vibra->IsPlaying());
    Run(1000);
    EXPECT_TRUE(LedChanges().empty());
}

TEST_F(Vibra, GoingAwayMidPatternSwitchesTheVibratorOff) {
    vibra->Vibrate(0xF);
    Run(500);
    ASSERT_EQ(Platform::GetLedMode(1), kOn);
    vibra.reset();
    EXPECT_EQ(LedChanges(), (Changes{{250, 1, kOn}, {500, 1, kOff}}));
    Run(1000);
    EXPECT_EQ(LedChanges().size(), 2u) << "no tick after the player went";
}

TEST_F(Vibra, UsesTheLedThePreferencesName) {
    prefs.HardVibraLed = 0;
    vibra->Vibrate(0x1);
    Run(1000);
    EXPECT_EQ(LedChanges(), (Changes{{250, 0, kOn}, {500, 0, kOff}}));
}

TEST_F(Vibra, DeviceWithoutVibratorStaysStillAndStillEmptiesItsQueue) {
    Platform::SetLeds({0, 3});
    Make();
    vibra->Vibrate(0x3);
    vibra->Vibrate(0x1);
    Run(2000);
    EXPECT_TRUE(LedChanges().empty());
    EXPECT_FALSE(vibra->IsPlaying());
    EXPECT_EQ(vibra->PendingCount(), 0);
}

} // namespace
