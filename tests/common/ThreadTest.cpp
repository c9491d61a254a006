#include "CYolCriticalSection.h"
#include "CYolEvent.h"
#include "CYolThread.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

CYolString Name(const char* text)
{
    return CYolString::FromUtf8(text);
}

template <typename F>
std::chrono::milliseconds Timed(F&& f)
{
    const auto start = Clock::now();
    f();
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

} // namespace

// --- CYolEvent ------------------------------------------------------------

TEST(CYolEvent, AutoResetLetsOneWaitThrough)
{
    CYolEvent event;
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    event.Set(); // a signalled event does not count Sets
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));
}

TEST(CYolEvent, ManualResetStaysSignalledUntilReset)
{
    CYolEvent event(true);
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0));
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
}

TEST(CYolEvent, TimedWaitTimesOutAfterTheDelay)
{
    CYolEvent event;
    bool result = true;
    const auto took = Timed([&] { result = event.Wait(60); });
    EXPECT_FALSE(result);
    EXPECT_GE(took, 60ms);
}

TEST(CYolEvent, SetFromAnotherThreadEndsATimedWait)
{
    CYolEvent event;
    std::thread setter([&] {
        while (event.Waiters() == 0)
            std::this_thread::yield();
        event.Set();
    });
    bool result = false;
    const auto took = Timed([&] { result = event.Wait(10000); });
    setter.join();
    EXPECT_TRUE(result);
    EXPECT_LT(took, 5000ms);
    EXPECT_FALSE(event.Wait(0)); // the waiter took the signal
}

TEST(CYolEvent, EachSetReleasesOneWaiter)
{
    CYolEvent event;
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] {
            if (event.Wait(10000))
                ++woken;
        });
    while (event.Waiters() < 3)
        std::this_thread::yield();
    // Two quick Sets must wake two waiters, not fold into one.
    event.Set();
    event.Set();
    const auto deadline = Clock::now() + 5s;
    while (woken.load() < 2 && Clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_EQ(woken.load(), 2);
    // The third still sleeps; the last Set below goes to it and leaves
    // nothing signalled.
    EXPECT_EQ(event.Waiters(), 1u);
    event.Set();
    for (auto& t : waiters)
        t.join();
    EXPECT_EQ(woken.load(), 3);
    EXPECT_FALSE(event.Wait(0));
}

// --- CYolCriticalSection ------------------------------------------------------

TEST(CYolCriticalSection, OwnerMayEnterAgainOthersMayNot)
{
    CYolCriticalSection section;
    section.Enter();
    EXPECT_TRUE(section.TryEnter());
    section.Leave();

    auto tryFromOtherThread = [&] {
        bool entered = false;
        std::thread other([&] {
            entered = section.TryEnter();
            if (entered)
                section.Leave();
        });
        other.join();
        return entered;
    };
    EXPECT_FALSE(tryFromOtherThread()); // still held once
    section.Leave();
    EXPECT_TRUE(tryFromOtherThread());
}

TEST(CYolCriticalSection, GuardKeepsOthersOutUntilScopeEnds)
{
    CYolCriticalSection section;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                CYolCriticalSection::Guard guard(section);
                ++counter;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(counter, 40000);
}

TEST(CYolCriticalSection, InterlockedOperationsAnswerLikeThePlatform)
{
    long volatile value = 5;
    EXPECT_EQ(CYolCriticalSection::InterlockedIncrement(&value), 6);
    EXPECT_EQ(CYolCriticalSection::InterlockedDecrement(&value), 5);
    EXPECT_EQ(CYolCriticalSection::InterlockedExchangeAdd(&value, 10), 5);
    EXPECT_EQ(value, 15);

    long volatile shared = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                CYolCriticalSection::InterlockedIncrement(&shared);
                CYolCriticalSection::InterlockedExchangeAdd(&shared, 2);
                CYolCriticalSection::InterlockedDecrement(&shared);
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(shared, 8 * 10000 * 2);
}

// --- CYolThread ---------------------------------------------------------------

namespace {

struct Probe {
    std::atomic<bool> ran{false};
    std::atomic<bool> sawCurrent{false};
    CYolEvent release;
    CYolThread* self = nullptr;
};

unsigned long MarkRan(void* arg)
{
    auto* probe = static_cast<Probe*>(arg);
    probe->ran = true;
    probe->sawCurrent = probe->self != nullptr && probe->self->IsCurrent();
    return 42;
}

unsigned long WaitForRelease(void* arg)
{
    static_cast<Probe*>(arg)->release.Wait();
    return 7;
}

unsigned long SpinUntilStopRequested(void* arg)
{
    auto* probe = static_cast<Probe*>(arg);
    probe->ran = true;
    while (!CYolThread::CurrentStopRequested())
        CYolThread::Sleep(1);
    return 3;
}

unsigned long WaitForStopEvent(void* arg)
{
    auto* probe = static_cast<Probe*>(arg);
    probe->ran = true;
    probe->self->StopEvent().Wait();
    return probe->self->StopRequested() ? 9 : 0;
}

} // namespace

TEST(CYolThread, NeverResumedNeverRunsItsFunction)
{
    Probe probe;
    {
        CYolThread thread(Name("idle"), MarkRan, &probe);
        EXPECT_FALSE(thread.WaitTermination(30));
        EXPECT_FALSE(thread.IsCurrent());
    }
    // No thread was ever made, so nothing can run the function later.
    EXPECT_FALSE(probe.ran.load());
}

TEST(CYolThread, ResumeRunsTheFunctionOnItsOwnThread)
{
    Probe probe;
    CYolThread thread(Name("worker"), MarkRan, &probe);
    probe.self = &thread;
    EXPECT_TRUE(thread.Resume());
    EXPECT_TRUE(thread.Resume()); // already running: nothing more happens
    ASSERT_TRUE(thread.WaitTermination(5000));
    EXPECT_TRUE(probe.ran.load());
    EXPECT_TRUE(probe.sawCurrent.load());
    EXPECT_FALSE(thread.IsCurrent());
    EXPECT_EQ(thread.ExitCode(), 42u);
}

TEST(CYolThread, WaitTerminationReportsWhetherTheThreadEndedInTime)
{
    Probe probe;
    CYolThread thread(Name("blocked"), WaitForRelease, &probe);
    ASSERT_TRUE(thread.Resume());
    bool ended = true;
    const auto took = Timed([&] { ended = thread.WaitTermination(80); });
    EXPECT_FALSE(ended);
    EXPECT_GE(took, 80ms);
    EXPECT_EQ(thread.ExitCode(), 0u);

    probe.release.Set();
    EXPECT_TRUE(thread.WaitTermination(5000));
    EXPECT_TRUE(thread.WaitTermination(0)); // stays ended
    EXPECT_EQ(thread.ExitCode(), 7u);
}

TEST(CYolThread, TerminateStopsAPollingThreadCooperatively)
{
    Probe probe;
    CYolThread thread(Name("poller"), SpinUntilStopRequested, &probe);
    ASSERT_TRUE(thread.Resume());
    while (!probe.ran.load())
        std::this_thread::yield();
    EXPECT_FALSE(thread.StopRequested());
    thread.Terminate(99);
    EXPECT_TRUE(thread.StopRequested());
    EXPECT_TRUE(thread.WaitTermination(0));
    EXPECT_EQ(thread.ExitCode(), 3u); // its own answer, not the requested code
}

TEST(CYolThread, StopEventWakesAWaitingThread)
{
    Probe probe;
    CYolThread thread(Name("sleeper"), WaitForStopEvent, &probe);
    probe.self = &thread;
    ASSERT_TRUE(thread.Resume());
    thread.RequestStop();
    ASSERT_TRUE(thread.WaitTermination(5000));
    EXPECT_EQ(thread.ExitCode(), 9u);
    EXPECT_TRUE(thread.StopEvent().Wait(0)); // manual reset: still set
}

TEST(CYolThread, TerminateBeforeResumeEndsItWithoutRunning)
{
    Probe probe;
    CYolThread thread(Name("never"), MarkRan, &probe);
    thread.Terminate(5);
    EXPECT_TRUE(thread.WaitTermination(0));
    EXPECT_EQ(thread.ExitCode(), 5u);
    EXPECT_FALSE(thread.Resume());
    EXPECT_FALSE(probe.ran.load());
}

TEST(CYolThread, DestructorStopsAndJoinsARunningThread)
{
    Probe probe;
    {
        CYolThread thread(Name("owned"), SpinUntilStopRequested, &probe);
        ASSERT_TRUE(thread.Resume());
        while (!probe.ran.load())
            std::this_thread::yield();
    }
    // Returning from the destructor means the function has returned;
    // ThreadSanitizer would flag a thread left running on `probe`.
    EXPECT_TRUE(probe.ran.load());
}

namespace {

struct SelfOwned {
    CYolThread* thread = nullptr;
    CYolEvent started;
    CYolEvent deleted;
    std::atomic<bool> currentAfterDelete{false};
};

unsigned long DeleteOwnThreadObject(void* arg)
{
    auto* owned = static_cast<SelfOwned*>(arg);
    owned->started.Wait();
    delete owned->thread; // must detach, not join itself
    // The stop flag outlives the object for the thread still running.
    owned->currentAfterDelete = !CYolThread::CurrentStopRequested();
    owned->deleted.Set();
    return 0;
}

} // namespace

TEST(CYolThread, DestroyedFromItsOwnThreadLetsItRunOn)
{
    SelfOwned owned;
    owned.thread = new CYolThread(Name("self-owned"), DeleteOwnThreadObject, &owned);
    ASSERT_TRUE(owned.thread->Resume());
    owned.started.Set();
    ASSERT_TRUE(owned.deleted.Wait(5000));
    EXPECT_TRUE(owned.currentAfterDelete.load());
}

TEST(CYolThread, NamesTheThreadForTheSystem)
{
    struct Named {
        char name[16] = {};
    } named;
    CYolThread thread(CYolString::FromUtf8("Protocols manager"),
                      [](void* arg) -> unsigned long {
                          pthread_getname_np(pthread_self(), static_cast<Named*>(arg)->name, 16);
                          return 0;
                      },
                      &named);
    ASSERT_TRUE(thread.Resume());
    ASSERT_TRUE(thread.WaitTermination(5000));
    EXPECT_STREQ(named.name, "Protocols manag");
}

TEST(CYolThread, CurrentStopRequestedIsFalseOutsideCYolThreads)
{
    EXPECT_FALSE(CYolThread::CurrentStopRequested());
}
