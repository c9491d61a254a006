// Ending a session: the server's authentication failure and stream errors,
// the reconnection after a lost connection and the wait before it, and the
// account's own status slots around them.

#include "CReconnectWait.h"
#include "XmppAccountHarness.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>

using namespace XmppTest;

namespace {

class XmppDisconnectTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = CYolClock::Install(&clock);
        h.SetValue("SrvLogName", "alice@example.org");
    }
    void TearDown() override { CYolClock::Install(previous); }

    void Online() {
        h.Init();
        ASSERT_EQ(h.GoOnline(Protocols::Away), Protocols::Away);
        h.Events();
    }
    // The wait posts its status as the clock moves past the delay, so once
    // the account's queue has drained, the connect it causes has been made.
    size_t Connects() {
        h.Drain();
        std::lock_guard guard(h.sockets.lock);
        return h.sockets.connects.size();
    }

    CYolManualClock clock{5000000, 1700000000};
    CYolClock* previous = nullptr;
    XmppAccountHarness h;
};

TEST_F(XmppDisconnectTest, SaslFailureShowsInvalidLoginAndStaysOffline) {
    h.Init();
    h.SetStatus(Protocols::Online);
    h.Connected();
    h.Receive(std::string(XmppAccountHarness::kServerHeader) + "<failure xmlns='urn:other'/>");
    EXPECT_EQ(h.GetStatus(), Protocols::Connecting);
    h.TakeSent();
    h.Receive("<failure xmlns='urn:ietf:params:xml:ns:xmpp-sasl'><not-authorized/></failure>");
    EXPECT_EQ(h.TakeSent(), "</stream:stream>");
    EXPECT_EQ(h.GetStatus(), Protocols::Offline);
    auto texts = h.Events(Protocols::AccountEvent::ShowText);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text.ToUtf8(), "Invalid account name or password");
    EXPECT_FALSE(h.account->IsReconnectPending());
}

TEST_F(XmppDisconnectTest, ConflictShowsItsLineAndGoesOfflineForGood) {
    Online();
    h.Receive("<stream:error><conflict xmlns='urn:ietf:params:xml:ns:xmpp-streams'/>"
              "<text xmlns='urn:ietf:params:xml:ns:xmpp-streams'>Replaced</text></stream:error>");
    EXPECT_EQ(h.GetStatus(), Protocols::Offline);
    EXPECT_EQ(h.sockets.LiveSockets(), 0);
    EXPECT_FALSE(h.account->IsReconnectPending());
    auto events = h.Events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events.back().event, Protocols::AccountEvent::ShowText);
    EXPECT_EQ(events.back().text.ToUtf8(), "conflict: \n");
}

TEST_F(XmppDisconnectTest, OtherStreamErrorsShowEveryLineAndLeaveTheCloseToTheServer) {
    Online();
    h.Receive("<stream:error><system-shutdown xmlns='urn:ietf:params:xml:ns:xmpp-streams'/>"
              "<text xmlns='urn:ietf:params:xml:ns:xmpp-streams'>Bye</text></stream:error>");
    EXPECT_EQ(h.TakeSent(), "</stream:stream>");
    EXPECT_EQ(h.GetStatus(), Protocols::Away);
    auto texts = h.Events(Protocols::AccountEvent::ShowText);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text.ToUtf8(), "system-shutdown: \ntext: Bye\n");
}

TEST_F(XmppDisconnectTest, DroppedConnectionReconnectsWithTheLastStatusAfterTheDelay) {
    Online();
    h.Closed();
    EXPECT_EQ(h.GetStatus(), Protocols::Offline);
    auto events = h.Events();
    int offline = 0, killed = 0;
    for (const AccountEventRecord& e : events) {
        offline += e.event == Protocols::AccountEvent::StatusChanged && e.status.status == Protocols::Offline;
        killed += e.event == Protocols::AccountEvent::KillTimer && e.timerInfo.callback == &CJabberAccount::KeepAlive;
    }
    EXPECT_EQ(offline, 1);
    EXPECT_EQ(killed, 1);
    ASSERT_TRUE(h.account->IsReconnectPending());
    clock.Advance(14999);
    EXPECT_EQ(Connects(), 1u);
    EXPECT_TRUE(h.account->IsReconnectPending());
    clock.Advance(1);
    EXPECT_EQ(Connects(), 2u);
    EXPECT_EQ(h.GetStatus(), Protocols::Connecting);
    // The status it connects for is the one it lost.
    h.Connected();
    h.TakeSent();
    EXPECT_EQ(h.account->GetWantedStatus(), Protocols::Away);
}

TEST_F(XmppDisconnectTest, WithoutKeepAliveADroppedConnectionStaysOffline) {
    h.SetByte("KeepAlive", 0);
    Online();
    h.Closed();
    EXPECT_EQ(h.GetStatus(), Protocols::Offline);
    EXPECT_FALSE(h.account->IsReconnectPending());
}

TEST_F(XmppDisconnectTest, ASecondFailureReplacesTheFirstWait) {
    Online();
    h.Closed();
    ASSERT_TRUE(h.account->IsReconnectPending());
    // A second failure before the first wait ended: still one attempt.
    clock.Advance(5000);
    h.account->StartReconnect();
    clock.Advance(14999);
    EXPECT_EQ(Connects(), 1u);
    clock.Advance(1);
    EXPECT_EQ(Connects(), 2u);
    clock.Advance(60000);
    EXPECT_EQ(Connects(), 2u);
}

TEST_F(XmppDisconnectTest, GoingOfflineOrShuttingDownCancelsTheWait) {
    Online();
    h.Closed();
    ASSERT_TRUE(h.account->IsReconnectPending());
    h.SetStatus(Protocols::Offline);
    EXPECT_FALSE(h.account->IsReconnectPending());
    h.SetStatus(Protocols::Online);
    h.Closed();
    ASSERT_TRUE(h.account->IsReconnectPending());
    h.Shutdown();
    EXPECT_FALSE(h.account->IsReconnectPending());
    clock.Advance(30000);
    EXPECT_EQ(Connects(), 2u);
}

TEST_F(XmppDisconnectTest, StatusSlotsChangeNothingWithoutCause) {
    h.Init();
    h.SetStatus(Protocols::Offline);
    h.SetStatus(Protocols::Connecting);
    EXPECT_TRUE(h.sockets.connects.empty());
    EXPECT_TRUE(h.Events().empty());
    EXPECT_EQ(h.GetStatus(), Protocols::Offline);
}

TEST_F(XmppDisconnectTest, OnlineStatusChangeStaysConnected) {
    Online();
    h.SetStatus(Protocols::DoNotDisturb);
    EXPECT_EQ(h.sockets.connects.size(), 1u);
    EXPECT_EQ(h.GetStatus(), Protocols::DoNotDisturb);
    auto changes = h.Events(Protocols::AccountEvent::StatusChanged);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].status.status, Protocols::DoNotDisturb);
}

size_t ThreadsOfTheProcess() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

TEST_F(XmppDisconnectTest, ASessionRunsOnTheAccountsThreadAlone) {
    h.Init();
    const size_t before = ThreadsOfTheProcess();
    ASSERT_EQ(h.GoOnline(), Protocols::Online);
    EXPECT_EQ(ThreadsOfTheProcess(), before);
    h.SetStatus(Protocols::Offline);
    h.SetStatus(Protocols::Online);
    EXPECT_EQ(ThreadsOfTheProcess(), before);
}

TEST_F(XmppDisconnectTest, LoginIsTheBareJidOfTheSettings) {
    h.Init();
    CYolString login;
    h.Command(Protocols::AccountCommand::GetLogin, new CEventArg_Data<CYolString*>(&login));
    EXPECT_EQ(login.ToUtf8(), "alice@example.org");
}

// ---- the wait itself

class ReconnectWaitTest : public ::testing::Test {
protected:
    void Fired() {
        std::lock_guard hold(lock);
        ++fired;
        wake.notify_all();
    }
    int Fires() {
        std::lock_guard hold(lock);
        return fired;
    }

    std::mutex lock;
    std::condition_variable wake;
    int fired = 0;
    CReconnectWait wait{[this] { Fired(); }};
};

TEST_F(ReconnectWaitTest, EndsOnTheFlowingSystemClock) {
    wait.Start(CYolClock::System().TickCount64() + 20);
    std::unique_lock hold(lock);
    ASSERT_TRUE(wake.wait_for(hold, std::chrono::seconds(10), [this] { return fired > 0; }));
    hold.unlock();
    EXPECT_FALSE(wait.IsPending());
    wait.Cancel();
    EXPECT_EQ(Fires(), 1);
}

TEST_F(ReconnectWaitTest, EndsOnceWhenAReplacedClockJumpsPastItsTick) {
    CYolManualClock clock{1000, 1700000000};
    CYolClock* previous = CYolClock::Install(&clock);
    wait.Start(3000);
    clock.Advance(1999);
    EXPECT_EQ(Fires(), 0);
    EXPECT_TRUE(wait.IsPending());
    clock.Advance(1);
    EXPECT_EQ(Fires(), 1);
    clock.Advance(5000);
    wait.Cancel();
    EXPECT_EQ(Fires(), 1);
    CYolClock::Install(previous);
}

TEST_F(ReconnectWaitTest, CancelledOrReplacedWaitsNeverEnd) {
    CYolManualClock clock{1000, 1700000000};
    CYolClock* previous = CYolClock::Install(&clock);
    wait.Start(2000);
    wait.Cancel();
    EXPECT_FALSE(wait.IsPending());
    wait.Start(2000);
    wait.Start(4000);
    clock.Advance(2000);
    EXPECT_EQ(Fires(), 0);
    clock.Advance(1000);
    EXPECT_EQ(Fires(), 1);
    wait.Cancel();
    CYolClock::Install(previous);
}

}  // namespace
