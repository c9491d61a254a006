// Timers an account asks the program for: the request it sends, the call-back
// running on the account's own queue thread when the timer service posts the
// fire back, re-arming, stopping, and fires that arrive too late.

#include "CAccount.h"
#include "PluginTestSupport.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

using Services::CEventArg;
using Services::CEventArg_Data;

namespace {

// Runs a piece of test code on the account's thread, the only place where
// an account may start and stop its timers.
const YOL_GUID RunHereGuid{0x0A0B0C0D, 0x1, 0x2, 3, 4, 5, 6, 7, 8, 9, 10};

class TimerAccount : public Protocols::CAccount {
public:
    using CAccount::CAccount;

    using Work = std::function<void(TimerAccount&)>;

    void Run(Work work) {
        GetServicesManager()->SendEvent(GetClientId(), RunHereGuid, 1, new CEventArg_Data<Work>(std::move(work)),
                                        nullptr, true);
    }

    std::thread::id QueueThread() {
        std::thread::id id;
        Run([&](TimerAccount&) { id = std::this_thread::get_id(); });
        return id;
    }

    static unsigned int Tick(void* context) {
        auto* self = static_cast<TimerAccount*>(context);
        self->ticks.push_back(std::this_thread::get_id());
        return self->nextDelay;
    }
    static unsigned int Tock(void* context) {
        ++static_cast<TimerAccount*>(context)->tocks;
        return 0;
    }

    // Touched only on the account's thread, read by the test between sends.
    std::vector<std::thread::id> ticks;
    int tocks = 0;
    unsigned int nextDelay = 0;

protected:
    int OnOtherEvent(const YOL_GUID& channel, int, CEventArg* first, CEventArg*) override {
        if (channel == RunHereGuid)
            static_cast<CEventArg_Data<Work>*>(first)->data(*this);
        return 0;
    }
};

unsigned int SecondsFromNow(Protocols::TimerRequest request) {
    CYolTime now;
    return request.fireTime.GetUnixTime() - now.GetUnixTime();
}

class AccountTimersTest : public ::testing::Test {
protected:
    void SetUp() override {
        account = new TimerAccount(&rig.services, 0x10000001, rig.managerKey);
        account->SetProtocolId(RuvProtocolGuid);
    }
    void TearDown() override {
        if (account != nullptr)
            account->Destroy();
    }

    // The n-th event the manager got (0-based), once it has come.
    ReceivedEvent Nth(size_t n) {
        EXPECT_TRUE(rig.manager.WaitFor(n + 1));
        auto events = rig.manager.Events();
        return n < events.size() ? events[n] : ReceivedEvent{};
    }

    // What the timer service does when a request comes due.
    int Fire(const Protocols::TimerRequest& request) {
        return rig.services.SendEvent(request.clientId, Protocols::TimerServiceGuid, Protocols::TimerEvent::Fire,
                                      rig.factory.NewTimerRequest(request), nullptr, false);
    }

    void Settle() {
        account->Run([](TimerAccount&) {});
    }

    PluginRig rig;
    TimerAccount* account = nullptr;
};

TEST_F(AccountTimersTest, StartTimerSendsARequestTheTimerServiceCanServe) {
    bool sent = false;
    account->Run([&](TimerAccount& a) { sent = a.StartTimer(120000, TimerAccount::Tick, &a); });
    EXPECT_TRUE(sent);

    ReceivedEvent got = Nth(0);
    EXPECT_EQ(got.channel, RuvProtocolGuid);
    EXPECT_EQ(got.event, Protocols::AccountEvent::SetTimer);
    EXPECT_EQ(got.accountId, 0x10000001u);
    ASSERT_TRUE(got.timerRequest);
    EXPECT_EQ(got.timerRequest->clientId, account->GetClientId());
    EXPECT_EQ(got.timerRequest->info.callback, &TimerAccount::Tick);
    EXPECT_EQ(got.timerRequest->info.context, account);
    EXPECT_NE(got.timerRequest->requestId, 0u);
    unsigned int seconds = SecondsFromNow(*got.timerRequest);
    EXPECT_GE(seconds, 119u);
    EXPECT_LE(seconds, 120u);
}

TEST_F(AccountTimersTest, PartsOfASecondRoundUp) {
    account->Run([](TimerAccount& a) { a.StartTimer(1500, TimerAccount::Tick, &a); });
    unsigned int seconds = SecondsFromNow(*Nth(0).timerRequest);
    EXPECT_GE(seconds, 1u);
    EXPECT_LE(seconds, 2u);
}

TEST_F(AccountTimersTest, TheCallbackRunsOnTheAccountsQueueThread) {
    account->Run([](TimerAccount& a) { a.StartTimer(1000, TimerAccount::Tick, &a); });
    Protocols::TimerRequest request = *Nth(0).timerRequest;

    ASSERT_EQ(Fire(request), 1);
    Settle();
    ASSERT_EQ(account->ticks.size(), 1u);
    EXPECT_EQ(account->ticks[0], account->QueueThread());
    EXPECT_NE(account->ticks[0], std::this_thread::get_id());
}

TEST_F(AccountTimersTest, ANonZeroAnswerAsksForTheTimerAgain) {
    account->nextDelay = 30000;
    account->Run([](TimerAccount& a) { a.StartTimer(1000, TimerAccount::Tick, &a); });
    Protocols::TimerRequest first = *Nth(0).timerRequest;

    Fire(first);
    ReceivedEvent again = Nth(1);
    EXPECT_EQ(again.event, Protocols::AccountEvent::SetTimer);
    ASSERT_TRUE(again.timerRequest);
    EXPECT_NE(again.timerRequest->requestId, first.requestId);
    EXPECT_EQ(again.timerRequest->info, first.info);
    unsigned int seconds = SecondsFromNow(*again.timerRequest);
    EXPECT_GE(seconds, 29u);
    EXPECT_LE(seconds, 30u);

    // The answer 0 ends it: the next thing the manager hears is unrelated.
    account->nextDelay = 0;
    Fire(*again.timerRequest);
    account->Run([](TimerAccount& a) { a.StartTimer(5000, TimerAccount::Tock, &a); });
    ReceivedEvent next = Nth(2);
    ASSERT_TRUE(next.timerRequest);
    EXPECT_EQ(next.timerRequest->info.callback, &TimerAccount::Tock);
    EXPECT_EQ(account->ticks.size(), 2u);
}

TEST_F(AccountTimersTest, StopTimerSendsKillAndIgnoresAFireAlreadyOnItsWay) {
    account->Run([](TimerAccount& a) { a.StartTimer(1000, TimerAccount::Tick, &a); });
    Protocols::TimerRequest request = *Nth(0).timerRequest;

    bool stopped = false;
    bool stoppedAgain = true;
    account->Run([&](TimerAccount& a) {
        stopped = a.StopTimer(TimerAccount::Tick, &a);
        stoppedAgain = a.StopTimer(TimerAccount::Tick, &a);
    });
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(stoppedAgain);
    ReceivedEvent kill = Nth(1);
    EXPECT_EQ(kill.event, Protocols::AccountEvent::KillTimer);
    ASSERT_TRUE(kill.timerInfo);
    EXPECT_EQ(kill.timerInfo->callback, &TimerAccount::Tick);
    EXPECT_EQ(kill.timerInfo->context, account);

    Fire(request);
    Settle();
    EXPECT_TRUE(account->ticks.empty());
    EXPECT_EQ(rig.manager.Events().size(), 2u);
}

TEST_F(AccountTimersTest, StartingARunningTimerReplacesIt) {
    account->Run([](TimerAccount& a) { a.StartTimer(1000, TimerAccount::Tick, &a); });
    Protocols::TimerRequest old = *Nth(0).timerRequest;
    account->Run([](TimerAccount& a) { a.StartTimer(60000, TimerAccount::Tick, &a); });
    EXPECT_EQ(Nth(1).event, Protocols::AccountEvent::KillTimer);
    Protocols::TimerRequest replacement = *Nth(2).timerRequest;

    Fire(old);
    Settle();
    EXPECT_TRUE(account->ticks.empty());
    Fire(replacement);
    Settle();
    EXPECT_EQ(account->ticks.size(), 1u);
    // A fire delivered twice runs once.
    Fire(replacement);
    Settle();
    EXPECT_EQ(account->ticks.size(), 1u);
}

TEST_F(AccountTimersTest, TimersAreRefusedOffTheAccountsThread) {
    EXPECT_FALSE(account->StartTimer(1000, TimerAccount::Tick, account));
    EXPECT_FALSE(account->StopTimer(TimerAccount::Tick, account));
    EXPECT_FALSE(account->IsOnAccountThread());
    bool inside = false;
    account->Run([&](TimerAccount& a) { inside = a.IsOnAccountThread(); });
    EXPECT_TRUE(inside);
    Settle();
    EXPECT_TRUE(rig.manager.Events().empty());
}

TEST_F(AccountTimersTest, TimersWithOtherContextsAreTheirOwn) {
    int other = 0;
    account->Run([&](TimerAccount& a) {
        a.StartTimer(1000, TimerAccount::Tock, &a);
        a.StartTimer(1000, TimerAccount::Tock, &other);
    });
    EXPECT_TRUE(rig.manager.WaitFor(2));
    bool bothRunning = false;
    account->Run([&](TimerAccount& a) {
        bothRunning = a.IsTimerRunning(TimerAccount::Tock, &a) && a.IsTimerRunning(TimerAccount::Tock, &other);
    });
    EXPECT_TRUE(bothRunning);
    for (const ReceivedEvent& e : rig.manager.Events())
        EXPECT_EQ(e.event, Protocols::AccountEvent::SetTimer);
}

TEST_F(AccountTimersTest, AFireForADestroyedAccountReachesNothing) {
    account->Run([](TimerAccount& a) { a.StartTimer(1000, TimerAccount::Tick, &a); });
    Protocols::TimerRequest request = *Nth(0).timerRequest;
    account->Destroy();
    account = nullptr;
    EXPECT_EQ(Fire(request), -2);
}

TEST_F(AccountTimersTest, WithoutTheProgramsFactoryNothingIsSent) {
    Services::CServicesManagerImpl bare;
    unsigned int managerKey = bare.RegisterEventsClient(&rig.manager, W("Protocols manager"));
    auto* lonely = new TimerAccount(&bare, 0x10000002, managerKey);
    bool started = true;
    lonely->Run([&](TimerAccount& a) { started = a.StartTimer(1000, TimerAccount::Tick, &a); });
    EXPECT_FALSE(started);
    EXPECT_EQ(lonely->SendAccountEvent(Protocols::AccountEvent::ClearContacts), -1);
    lonely->Destroy();
    bare.StopAllQueues();
    EXPECT_TRUE(rig.manager.Events().empty());
}

}  // namespace
