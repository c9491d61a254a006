// Window timers on the manual clock.

#include "WindowTestSupport.h"

#include "CYolEvent.h"

using namespace ui_test;

namespace {

class Timers : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        w = Make(rec);
        Platform::PumpMessages();
        rec.log.clear();
    }

    // The timer ids that fired while the clock moved by `ms`.
    std::vector<WPARAM> Run(std::uint64_t ms) {
        clock.Advance(ms);
        const size_t from = rec.log.size();
        Platform::PumpMessages();
        std::vector<WPARAM> ids;
        for (size_t i = from; i < rec.log.size(); ++i)
            if (rec.log[i].msg == WM_TIMER)
                ids.push_back(rec.log[i].wParam);
        return ids;
    }

    Recorder rec;
    HWND w = nullptr;
};

using Ids = std::vector<WPARAM>;

TEST_F(Timers, FireAfterTheirElapseAndAgainEachPeriod) {
    ASSERT_EQ(SetTimer(w, 7, 100, nullptr), 7u);
    EXPECT_EQ(Run(99), Ids{});
    EXPECT_EQ(Run(1), Ids{7});
    EXPECT_EQ(Run(50), Ids{});
    EXPECT_EQ(Run(50), Ids{7});
}

TEST_F(Timers, MissedPeriodsAreNotMadeUp) {
    SetTimer(w, 1, 100, nullptr);
    EXPECT_EQ(Run(1000), Ids{1});
    EXPECT_EQ(Run(99), Ids{}) << "the next period counts from when the message was taken";
    EXPECT_EQ(Run(1), Ids{1});
}

TEST_F(Timers, SettingAgainReArmsFromNow) {
    SetTimer(w, 1, 100, nullptr);
    Run(80);
    SetTimer(w, 1, 100, nullptr);
    EXPECT_EQ(Run(80), Ids{});
    EXPECT_EQ(Run(20), Ids{1});
}

TEST_F(Timers, EarliestDueComesFirst) {
    SetTimer(w, 1, 300, nullptr);
    SetTimer(w, 2, 200, nullptr);
    SetTimer(w, 3, 100, nullptr);
    EXPECT_EQ(Run(300), (Ids{3, 2, 1}));
}

TEST_F(Timers, KilledTimerStops) {
    SetTimer(w, 1, 100, nullptr);
    EXPECT_TRUE(KillTimer(w, 1));
    EXPECT_FALSE(KillTimer(w, 1));
    EXPECT_EQ(Run(500), Ids{});
}

TEST_F(Timers, KillInsideItsOwnHandlerStopsIt) {
    rec.handler = [](HWND hwnd, UINT msg, WPARAM id, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_TIMER)
            KillTimer(hwnd, id);
        return std::nullopt;
    };
    SetTimer(w, 4, 100, nullptr);
    EXPECT_EQ(Run(100), Ids{4});
    EXPECT_EQ(Run(1000), Ids{});
}

TEST_F(Timers, ReArmInsideItsOwnHandlerTakesTheNewPeriod) {
    rec.handler = [](HWND hwnd, UINT msg, WPARAM id, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_TIMER)
            SetTimer(hwnd, id, 500, nullptr);
        return std::nullopt;
    };
    SetTimer(w, 2, 100, nullptr);
    EXPECT_EQ(Run(100), Ids{2});
    EXPECT_EQ(Run(499), Ids{});
    EXPECT_EQ(Run(1), Ids{2});
}

TEST_F(Timers, ZeroMillisecondsComesAtOnceThenAtTheMinimum) {
    SetTimer(w, 9, 0, nullptr);
    EXPECT_EQ(Run(0), Ids{9}) << "without moving the clock";
    EXPECT_EQ(Run(0), Ids{});
    EXPECT_EQ(Run(USER_TIMER_MINIMUM), Ids{9});
}

TEST_F(Timers, DestroyingTheWindowKillsItsTimers) {
    SetTimer(w, 1, 10, nullptr);
    DestroyWindow(w);
    EXPECT_FALSE(KillTimer(w, 1));
    EXPECT_EQ(Run(100), Ids{});
}

TEST_F(Timers, TimersOfDifferentWindowsAreApart) {
    Recorder otherRec;
    HWND other = Make(otherRec);
    SetTimer(w, 1, 100, nullptr);
    SetTimer(other, 1, 100, nullptr);
    KillTimer(other, 1);
    EXPECT_EQ(Run(100), Ids{1});
    EXPECT_EQ(otherRec.Count(WM_TIMER), 0);
}

int g_procCalls = 0;
void CountingProc(HWND, UINT msg, UINT, std::uint32_t)
{
    if (msg == WM_TIMER)
        ++g_procCalls;
}

TEST_F(Timers, TimerProcIsCalledInsteadOfTheWindow) {
    g_procCalls = 0;
    SetTimer(w, 1, 50, &CountingProc);
    const std::uintptr_t threadTimer = SetTimer(nullptr, 0, 50, &CountingProc);
    EXPECT_NE(threadTimer, 0u);
    EXPECT_EQ(Run(50), Ids{});
    EXPECT_EQ(g_procCalls, 2);
    KillTimer(nullptr, threadTimer);
}

TEST_F(Timers, SetTimerOnAnotherThreadsWindowFails) {
    std::uintptr_t answer = 1;
    std::thread other([&] { answer = SetTimer(w, 1, 10, nullptr); });
    other.join();
    EXPECT_EQ(answer, 0u);
}

TEST_F(Timers, MovingTheClockFromAnotherThreadWakesAWaitingLoop) {
    SetTimer(w, 3, 1000, nullptr);
    CYolEvent waiting;
    std::thread mover([&] {
        waiting.Wait();
        clock.Advance(1000);
    });
    waiting.Set();
    MSG m;
    ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), 1);
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_EQ(m.wParam, 3u);
    mover.join();
}

} // namespace
