// The power side on the injectable clock: plug-in timers keep unattended
// mode on, a device going unattended schedules the program's start for the
// earliest timer more than five seconds away, and a device resuming wakes
// a start that waits. The application never runs a plug-in's call-back: the
// core's timer service hands it to the account's own thread.

#include "AppTestSupport.h"
#include "CEventArg.h"
#include "CYolClock.h"

#include <atomic>

namespace {

using namespace AppTest;
using Services::CEventArg_Data;

std::atomic<int> g_calls{0};
unsigned int CountingCallback(void*) {
    ++g_calls;
    return 30000;
}
unsigned int OtherCallback(void*) { return 0; }

class AppPower : public AppFixture {
protected:
    static constexpr std::int64_t kNow = 1700000000;

    void SetUp() override {
        AppFixture::SetUp();
        previousClock = CYolClock::Install(&clock);
        g_calls = 0;
    }
    void TearDown() override {
        AppFixture::TearDown();
        CYolClock::Install(previousClock == &CYolClock::System() ? nullptr : previousClock);
    }

    std::int64_t Now() const { return clock.Now(); }

    void SetTimer(unsigned int account, std::int64_t inSeconds, Protocols::TimerCallback callback,
                  void* context = nullptr) {
        Protocols::TimerRequest request;
        request.fireTime = CYolTime(static_cast<unsigned int>(Now() + inSeconds));
        request.fireTime.ToLocal();
        request.info.callback = callback;
        request.info.context = context;
        CEventArg_Data<unsigned int> a(account);
        CEventArg_Data<Protocols::TimerRequest> b(request);
        SendToApp(UI::AppMsg::SetTimer, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    }
    void KillTimer(unsigned int account, Protocols::TimerCallback callback, void* context = nullptr) {
        CEventArg_Data<unsigned int> a(account);
        Protocols::TimerInfo info{callback, context};
        CEventArg_Data<Protocols::TimerInfo> b(info);
        SendToApp(UI::AppMsg::KillTimer, reinterpret_cast<WPARAM>(&a),
                  callback != nullptr ? reinterpret_cast<LPARAM>(&b) : 0);
    }
    void Advance(std::uint64_t ms) {
        clock.Advance(ms);
        Platform::PumpMessages();
    }
    std::optional<std::int64_t> ScheduledIn() {
        auto start = Platform::GetScheduledStart((CYolPath::AppDir() + CYolString(u"yol")).c_str());
        if (!start)
            return std::nullopt;
        return start->unixTime - Now();
    }

    CYolManualClock clock{1000000, kNow};
    CYolClock* previousClock = nullptr;
};

TEST_F(AppPower, ATimerKeepsUnattendedModeOnUntilItComesDue) {
    Start();
    EXPECT_EQ(Platform::UnattendedModeRequests(), 0);
    SetTimer(3, 30, &CountingCallback);
    SetTimer(3, 60, &CountingCallback, this);
    EXPECT_EQ(app->Timers().size(), 2u);
    // Asked once, however many timers wait.
    EXPECT_EQ(Platform::UnattendedModeRequests(), 1);
    Advance(30000);
    EXPECT_EQ(app->Timers().size(), 1u);
    EXPECT_EQ(Platform::UnattendedModeRequests(), 1);
    Advance(30000);
    EXPECT_TRUE(app->Timers().empty());
    EXPECT_EQ(Platform::UnattendedModeRequests(), 0);
    EXPECT_EQ(g_calls.load(), 0);
}

TEST_F(AppPower, GoingUnattendedSchedulesTheStartOnlyForATimerMoreThanFiveSecondsAway) {
    Start();
    struct Case {
        std::int64_t dueIn;
        std::optional<std::int64_t> scheduledIn;
        int unattendedAfter;
    };
    const Case cases[] = {{3, std::nullopt, 1}, {5, std::nullopt, 1}, {6, 6, 0}, {60, 60, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dueIn);
        Platform::ResetPower();
        app->OnPowerState(CYolString(u"on"));
        SetTimer(3, c.dueIn, &CountingCallback);
        ASSERT_EQ(Platform::UnattendedModeRequests(), 1);
        app->OnPowerState(CYolString(u"Unattended"));
        EXPECT_EQ(ScheduledIn(), c.scheduledIn);
        EXPECT_EQ(Platform::UnattendedModeRequests(), c.unattendedAfter);
        KillTimer(3, &CountingCallback);
        EXPECT_TRUE(app->Timers().empty());
    }
    EXPECT_EQ(app->LastPowerState().ToUtf8(), "Unattended");
}

TEST_F(AppPower, KillRemovesOneTimerPerRequestAndAnAccountsDeletionAllOfIt) {
    Start();
    SetTimer(3, 30, &CountingCallback);
    SetTimer(3, 40, &CountingCallback);
    SetTimer(3, 50, &OtherCallback);
    SetTimer(4, 50, &OtherCallback);
    KillTimer(3, &CountingCallback);
    EXPECT_EQ(app->Timers().size(), 3u);
    KillTimer(3, &CountingCallback);
    EXPECT_EQ(app->Timers().size(), 2u);
    KillTimer(3, &CountingCallback);
    EXPECT_EQ(app->Timers().size(), 2u);
    KillTimer(3, nullptr);
    ASSERT_EQ(app->Timers().size(), 1u);
    EXPECT_EQ(app->Timers()[0].account, 4u);
    EXPECT_EQ(Platform::UnattendedModeRequests(), 1);
    KillTimer(4, nullptr);
    EXPECT_EQ(Platform::UnattendedModeRequests(), 0);
}

TEST_F(AppPower, AFireTimeAlreadyPastComesDueAtOnce) {
    Start();
    SetTimer(3, -100, &CountingCallback);
    ASSERT_EQ(app->Timers().size(), 1u);
    Advance(0);
    EXPECT_TRUE(app->Timers().empty());
    EXPECT_EQ(Platform::UnattendedModeRequests(), 0);
}

// The loop reads one notification per window message.
TEST_F(AppPower, ResumingDropsTheTimersThatCameDueAndWakesAWaitingStart) {
    Start();
    SetTimer(3, 10, &CountingCallback);
    SetTimer(3, 100, &OtherCallback);
    app->OnPowerState(CYolString(u"unattended"));
    ASSERT_EQ(ScheduledIn(), 10);
    // The device slept through the first timer: no window timer ran.
    clock.SetNow(Now() + 20);
    auto wakeUp = Platform::NamedEvent::Create(u"YOL-PDA-WAKEUP");
    Platform::InjectPowerState(u"resuming");
    PostMessage(app->GetWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app->RunMessageLoop(), 0);
    EXPECT_EQ(app->LastPowerState().ToUtf8(), "resuming");
    ASSERT_EQ(app->Timers().size(), 1u);
    EXPECT_EQ(app->Timers()[0].info.callback, &OtherCallback);
    EXPECT_EQ(ScheduledIn(), std::nullopt);
    EXPECT_EQ(Platform::UnattendedModeRequests(), 1);
    EXPECT_TRUE(wakeUp->Wait(0));
    EXPECT_EQ(g_calls.load(), 0);
    app.reset();
    // The application gives back what it asked for.
    EXPECT_EQ(Platform::UnattendedModeRequests(), 1);
}

}  // namespace
