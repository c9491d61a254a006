// The timer service: plug-in timers kept until they come due on the
// current clock, and their call-backs run on the asking account's thread.

#include "CYolClock.h"
#include "ProtocolsTestSupport.h"

namespace ProtocolsTest {
namespace {

constexpr int64_t kStart = 1700000000;

// Local-time fields of a Unix time, as the plug-ins fill a fire time.
CYolTime LocalTime(int64_t unixSeconds) {
    CYolTime t(static_cast<unsigned int>(unixSeconds));
    t.ToLocal();
    return t;
}

// Receives the fire events the service posts.
class FireCatcher final : public Services::CEventsClient {
public:
    int OnEvent(const YOL_GUID& channel, int event, CEventArg* arg, CEventArg*) override {
        std::lock_guard<std::mutex> guard(lock);
        if (channel == TimerServiceGuid && event == TimerEvent::Fire)
            fired.push_back(Value<TimerRequest>(arg).requestId);
        return 0;
    }
    std::vector<unsigned int> Fired() {
        std::lock_guard<std::mutex> guard(lock);
        return fired;
    }

private:
    std::mutex lock;
    std::vector<unsigned int> fired;
};

class TimerService : public testing::Test {
protected:
    void SetUp() override {
        CYolClock::Install(&clock);
        client = services.RegisterEventsClient(&catcher, Text("Catcher"));
    }
    void TearDown() override {
        timers.reset();
        services.StopAllQueues();
        CYolClock::Install(nullptr);
    }

    TimerRequest Request(unsigned int id, int64_t dueIn, void* context = nullptr) {
        TimerRequest request;
        request.fireTime = LocalTime(clock.Now() + dueIn);
        request.info.context = context;
        request.clientId = client;
        request.requestId = id;
        return request;
    }

    // The service has looked at the clock, and whatever it posted then has
    // been handled.
    void CaughtUp() {
        timers->WaitUntilCaughtUp();
        services.SendEvent(client, ContactListGuid, 0, nullptr, nullptr, true);
    }

    CYolManualClock clock{0, kStart};
    Services::CServicesManagerImpl services;
    FireCatcher catcher;
    unsigned int client = 0;
    std::unique_ptr<Services::CTimerService> timers = std::make_unique<Services::CTimerService>(&services);
};

TEST_F(TimerService, FiresWhenTheClockReachesTheFireTimeInOrder) {
    timers->SetTimer(1, Request(10, 60));
    timers->SetTimer(1, Request(11, 30));
    timers->SetTimer(2, Request(12, 30));
    EXPECT_EQ(timers->Pending(), 3u);
    clock.Advance(29000);
    CaughtUp();
    EXPECT_TRUE(catcher.Fired().empty());
    clock.Advance(1000);
    ASSERT_TRUE(WaitFor([&] { return catcher.Fired().size() == 2; }));
    EXPECT_EQ(catcher.Fired(), (std::vector<unsigned int>{11, 12}));
    EXPECT_EQ(timers->Pending(), 1u);
    clock.Advance(30000);
    ASSERT_TRUE(WaitFor([&] { return catcher.Fired().size() == 3; }));
    EXPECT_EQ(timers->Pending(), 0u);
}

TEST_F(TimerService, APastFireTimeFiresAtOnce) {
    timers->SetTimer(1, Request(5, -10));
    EXPECT_TRUE(WaitFor([&] { return catcher.Fired() == std::vector<unsigned int>{5}; }));
}

TEST_F(TimerService, KillRemovesTheFirstMatchOrEveryTimerOfTheAccount) {
    int a = 0, b = 0;
    timers->SetTimer(1, Request(1, 10, &a));
    timers->SetTimer(1, Request(2, 10, &a));
    timers->SetTimer(1, Request(3, 10, &b));
    timers->SetTimer(2, Request(4, 10, &a));
    TimerInfo info{nullptr, &a};
    timers->KillTimer(1, &info);
    EXPECT_EQ(timers->Pending(), 3u);
    timers->KillTimer(1, nullptr);
    EXPECT_EQ(timers->Pending(), 1u);
    clock.Advance(10000);
    ASSERT_TRUE(WaitFor([&] { return catcher.Fired().size() == 1; }));
    EXPECT_EQ(catcher.Fired(), std::vector<unsigned int>{4});
}

TEST_F(TimerService, ATimerOfAClientThatIsGoneFiresIntoNothing) {
    timers->SetTimer(1, Request(1, 5));
    services.UnregisterEventsClient(client);
    clock.Advance(5000);
    EXPECT_TRUE(WaitFor([&] { return timers->Pending() == 0; }));
    EXPECT_TRUE(catcher.Fired().empty());
}

// The whole road: a plug-in account asks for a timer, the manager passes the
// request on, the service keeps it, and the call-back runs on the account's
// own queue thread once the clock gets there.
class PluginTimers : public ProtocolsFixture {
protected:
    void SetUp() override {
        ProtocolsFixture::SetUp();
        CYolClock::Install(&clock);
        Install("Ruv", {Line(kRuv, "Ruv")});
        Manager();
        StartTimers();
        account = Manager().AddAccount(Guid(kRuv));
        control = ControlOf("Ruv");
        ASSERT_NE(control, nullptr);
        ASSERT_TRUE(control->WaitForEvents(4));
    }
    void TearDown() override {
        ProtocolsFixture::TearDown();
        CYolClock::Install(nullptr);
    }

    // The service has looked at the clock, and whatever it posted then has
    // been handled on the account's thread.
    void CaughtUp() {
        timers->WaitUntilCaughtUp();
        services.SendEvent(Manager().GetAccountClientId(account), TimerServiceGuid, 0, nullptr, nullptr, true);
    }

    std::vector<TestPlugin::LifeEvent> Fires() {
        std::vector<TestPlugin::LifeEvent> fires;
        for (const TestPlugin::LifeEvent& e : control->Life())
            if (e.kind == TestPlugin::LifeEvent::TimerFired)
                fires.push_back(e);
        return fires;
    }

    CYolManualClock clock{0, kStart};
    unsigned int account = 0;
    TestPlugin::Control* control = nullptr;
};

TEST_F(PluginTimers, TheCallBackRunsOnTheAccountsThread) {
    ASSERT_EQ(control->postTimer(account, kStart + 120), 1);
    ASSERT_TRUE(WaitFor([&] { return timers->Pending() == 1; }));
    clock.Advance(119000);
    CaughtUp();
    EXPECT_TRUE(Fires().empty());
    clock.Advance(1000);
    ASSERT_TRUE(WaitFor([&] { return Fires().size() == 1; }));
    EXPECT_EQ(Fires()[0].accountId, account);
    // The thread every command of the account was handled on.
    std::thread::id accountThread = control->EventsOf(account)[0].thread;
    EXPECT_EQ(Fires()[0].thread, accountThread);
    EXPECT_NE(Fires()[0].thread, std::this_thread::get_id());
}

TEST_F(PluginTimers, AKilledTimerNeverFires) {
    ASSERT_EQ(control->postTimer(account, kStart + 10), 1);
    ASSERT_TRUE(WaitFor([&] { return timers->Pending() == 1; }));
    ASSERT_EQ(control->postKillTimer(account), 1);
    ASSERT_TRUE(WaitFor([&] { return timers->Pending() == 0; }));
    clock.Advance(10000);
    CaughtUp();
    EXPECT_TRUE(Fires().empty());
}

TEST_F(PluginTimers, DeletingTheAccountDropsItsTimersBeforeItGoes) {
    ASSERT_EQ(control->postTimer(account, kStart + 10), 1);
    ASSERT_EQ(control->postTimer(account, kStart + 20), 1);
    ASSERT_TRUE(WaitFor([&] { return timers->Pending() == 2; }));
    Manager().DeleteAccount(account);
    ASSERT_TRUE(WaitFor([&] { return Manager().GetAccountCount() == 0; }));
    // The deletion waited for the service to drop them.
    EXPECT_EQ(timers->Pending(), 0u);
}

}  // namespace
}  // namespace ProtocolsTest
