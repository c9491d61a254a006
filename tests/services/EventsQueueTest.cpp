#include "CEventsQueue.h"
#include "EventTestSupport.h"
#include "StallReportSupport.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace Services;

namespace {

// The delivery's own reference, as the services manager adds it.
CEventArg* Held(CEventArg* arg) {
    arg->AddRef(1);
    return arg;
}

std::shared_ptr<CEventsQueue> Started(const char* name) {
    auto queue = CEventsQueue::Create(CYolString::FromUtf8(name));
    queue->Resume();
    return queue;
}

TEST(EventsQueue, PostsAreHandledInOrderOnTheQueueThread) {
    std::mutex m;
    std::vector<int> seen;
    std::vector<std::thread::id> threads;
    FnClient client([&](const YOL_GUID&, int event, CEventArg*, CEventArg*) {
        std::lock_guard<std::mutex> g(m);
        seen.push_back(event);
        threads.push_back(std::this_thread::get_id());
        return 0;
    });
    auto queue = Started("order");
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(queue->PostEvent(&client, ContactListGuid, i, nullptr, nullptr), 1);
    // A synchronous send queues behind the posts, so when it returns all ten ran.
    EXPECT_EQ(queue->SendEventSync(&client, ContactListGuid, 10, nullptr, nullptr), 0);
    std::lock_guard<std::mutex> g(m);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    for (auto id : threads) {
        EXPECT_NE(id, std::this_thread::get_id());
        EXPECT_EQ(id, threads.front());
    }
}

TEST(EventsQueue, ThreadIsNamedAfterClientCutTo15Bytes) {
    struct Case {
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"GUI", "GUI"},
        {"Protocols manager", "Protocols manag"},
        // Cyrillic takes two bytes a letter; no letter is cut in half.
        {"\xD0\x9F\xD1\x80\xD0\xBE\xD1\x82\xD0\xBE\xD0\xBA\xD0\xBE\xD0\xBB\xD1\x8B",
         "\xD0\x9F\xD1\x80\xD0\xBE\xD1\x82\xD0\xBE\xD0\xBA\xD0\xBE"},
    };
    for (const Case& c : cases) {
        std::string name;
        FnClient client([&](const YOL_GUID&, int, CEventArg*, CEventArg*) {
            char buffer[32] = {};
            pthread_getname_np(pthread_self(), buffer, sizeof buffer);
            name = buffer;
            return 0;
        });
        auto queue = Started(c.name);
        queue->SendEventSync(&client, ContactListGuid, 1, nullptr, nullptr);
        EXPECT_EQ(name, c.expected) << c.name;
    }
}

TEST(EventsQueue, SuspendedQueueHandlesNothingUntilResumed) {
    std::atomic<int> handled{0};
    FnClient client([&](const YOL_GUID&, int, CEventArg*, CEventArg*) { return ++handled, 0; });
    auto queue = CEventsQueue::Create(CYolString::FromUtf8("suspended"));
    queue->PostEvent(&client, ContactListGuid, 1, nullptr, nullptr);
    auto sender = std::async(std::launch::async,
                             [&] { return queue->SendEventSync(&client, ContactListGuid, 2, nullptr, nullptr); });
    ASSERT_TRUE(WaitFor([&] { return queue->Pending() == 2u; }));
    EXPECT_EQ(handled, 0);
    queue->Resume();
    EXPECT_EQ(sender.get(), 0);
    EXPECT_EQ(handled, 2);
}

TEST(EventsQueue, SyncSendReturnsHandlerResultAndReleasesArguments) {
    std::atomic<int> live{0};
    FnClient client([&](const YOL_GUID& channel, int event, CEventArg* arg, CEventArg* extra) {
        EXPECT_EQ(channel, SocketsManagerGuid);
        EXPECT_EQ(arg->RefCount(), 1);
        EXPECT_EQ(extra->RefCount(), 1);
        return event * 2;
    });
    auto queue = Started("sync");
    EXPECT_EQ(queue->SendEventSync(&client, SocketsManagerGuid, 21, Held(new Tracked(live)), Held(new Tracked(live))),
              42);
    EXPECT_EQ(live, 0);
}

TEST(EventsQueue, SyncSendFromOwnThreadRunsNested) {
    auto queue = Started("nested");
    int depth = 0;
    int innerResult = 0;
    FnClient client;
    client.fn = [&](const YOL_GUID&, int event, CEventArg*, CEventArg*) {
        if (event == 1) {
            ++depth;
            // Queued, this would wait for itself for ever.
            innerResult = queue->SendEventSync(&client, ContactListGuid, 2, nullptr, nullptr);
            --depth;
            return 0;
        }
        EXPECT_EQ(depth, 1);  // inside the outer handler
        EXPECT_TRUE(queue->IsCurrent());
        return 7;
    };
    EXPECT_EQ(queue->SendEventSync(&client, ContactListGuid, 1, nullptr, nullptr), 0);
    EXPECT_EQ(innerResult, 7);
}

TEST(EventsQueue, HandlerExceptionBecomesMinusOneAndQueueGoesOn) {
    std::atomic<int> live{0};
    FnClient client([&](const YOL_GUID&, int event, CEventArg*, CEventArg*) -> int {
        if (event == 1)
            throw std::runtime_error("handler failed");
        if (event == 2)
            throw 5;
        return 3;
    });
    auto queue = Started("throws");
    EXPECT_EQ(queue->SendEventSync(&client, ContactListGuid, 1, Held(new Tracked(live)), nullptr), -1);
    EXPECT_EQ(queue->PostEvent(&client, ContactListGuid, 2, Held(new Tracked(live)), nullptr), 1);
    EXPECT_EQ(queue->SendEventSync(&client, ContactListGuid, 3, nullptr, nullptr), 3);
    EXPECT_EQ(live, 0);
}

// The first event holds the thread; behind it wait one posted event and one
// synchronous sender. Stop must release the sender with 0 and free both
// events' arguments at once, and only then wait for the running handler.
TEST(EventsQueue, StopDropsPendingEventsAndReleasesWaitingSender) {
    StallReports stalls;
    std::atomic<int> live{0};
    std::promise<void> entered, release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<int> handled;
    FnClient client([&](const YOL_GUID&, int event, CEventArg*, CEventArg*) {
        handled.push_back(event);
        if (event == 1) {
            entered.set_value();
            released.wait();
        }
        return 9;
    });
    auto queue = Started("stop");
    queue->PostEvent(&client, ContactListGuid, 1, nullptr, nullptr);
    entered.get_future().wait();

    EXPECT_EQ(queue->PostEvent(&client, ContactListGuid, 2, Held(new Tracked(live)), nullptr), 1);
    auto sender = std::async(std::launch::async, [&] {
        return queue->SendEventSync(&client, ContactListGuid, 3, Held(new Tracked(live)), Held(new Tracked(live)));
    });
    ASSERT_TRUE(WaitFor([&] { return queue->Pending() == 2; }));
    EXPECT_EQ(live, 3);

    auto stopper = std::async(std::launch::async, [&] { queue->Stop(); });
    EXPECT_EQ(sender.get(), 0);
    EXPECT_TRUE(WaitFor([&] { return live == 0; }));
    // Stop is still waiting for the handler that runs.
    ASSERT_TRUE(stalls.PastDeadline("stop"));
    release.set_value();
    stopper.get();
    EXPECT_EQ(handled, std::vector<int>{1});
    EXPECT_TRUE(queue->IsStopping());
}

// A stop kept waiting by its running handler is reported with the client's
// name once the program's clock is past a second, only once, and still waits.
TEST(EventsQueue, StopReportsAHandlerThatKeepsItWaitingPastASecond) {
    StallReports stalls;
    std::promise<void> entered, release;
    std::shared_future<void> released = release.get_future().share();
    FnClient client([&](const YOL_GUID&, int, CEventArg*, CEventArg*) {
        entered.set_value();
        released.wait();
        return 0;
    });
    auto queue = Started("Slow handler");
    queue->PostEvent(&client, ContactListGuid, 1, nullptr, nullptr);
    entered.get_future().wait();

    auto stopper = std::async(std::launch::async, [&] { queue->Stop(); });
    ASSERT_TRUE(WaitFor([&] { return queue->IsStopping(); }));
    stalls.clock.Advance(CEventsQueue::kStallReportMs);  // not yet past the second
    ASSERT_TRUE(stalls.PastDeadline("Slow handler", 1, true));
    stalls.clock.Advance(60000);
    EXPECT_EQ(stopper.wait_for(std::chrono::seconds(0)), std::future_status::timeout);

    release.set_value();
    stopper.get();
    EXPECT_EQ(stalls.Reports(), (std::vector<StallReports::Report>{{"Slow handler", CEventsQueue::kStallReportMs + 1}}));
}

// While another thread stops the queue, the running handler sends to its own
// client: the send runs nested and the stop completes once the handler is done.
TEST(EventsQueue, HandlerSendingToItsOwnStoppingQueueDoesNotDeadlock) {
    std::promise<void> entered, release;
    std::shared_future<void> released = release.get_future().share();
    int nested = 0;
    std::shared_ptr<CEventsQueue> queue = Started("self send");
    FnClient client;
    client.fn = [&](const YOL_GUID&, int event, CEventArg*, CEventArg*) {
        if (event == 2)
            return 7;
        entered.set_value();
        released.wait();
        nested = queue->SendEventSync(&client, ContactListGuid, 2, nullptr, nullptr);
        return 0;
    };
    queue->PostEvent(&client, ContactListGuid, 1, nullptr, nullptr);
    entered.get_future().wait();
    auto stopper = std::async(std::launch::async, [&] { queue->Stop(); });
    ASSERT_TRUE(WaitFor([&] { return queue->IsStopping(); }));
    release.set_value();
    stopper.get();
    EXPECT_EQ(nested, 7);
}

TEST(EventsQueue, StoppedQueueRefusesEventsAndGivesArgumentsBack) {
    std::atomic<int> live{0};
    std::atomic<int> handled{0};
    FnClient client([&](const YOL_GUID&, int, CEventArg*, CEventArg*) { return ++handled, 1; });
    auto queue = Started("refuses");
    queue->Stop();
    EXPECT_EQ(queue->PostEvent(&client, ContactListGuid, 1, Held(new Tracked(live)), nullptr), 0);
    EXPECT_EQ(queue->SendEventSync(&client, ContactListGuid, 2, Held(new Tracked(live)), Held(new Tracked(live))),
              0);
    EXPECT_EQ(live, 0);
    EXPECT_EQ(handled, 0);
}

TEST(EventsQueue, StopBeforeResumeEndsTheThread) {
    int before = CEventsQueue::LiveThreads();
    std::atomic<int> handled{0};
    FnClient client([&](const YOL_GUID&, int, CEventArg*, CEventArg*) { return ++handled, 0; });
    {
        auto queue = CEventsQueue::Create(CYolString::FromUtf8("never"));
        EXPECT_EQ(CEventsQueue::LiveThreads(), before + 1);
        queue->PostEvent(&client, ContactListGuid, 1, nullptr, nullptr);
        queue->Stop();
        EXPECT_EQ(CEventsQueue::LiveThreads(), before);
        queue->Resume();
    }
    EXPECT_EQ(handled, 0);
}

// A handler that stops its own queue and drops the last reference to it: the
// stop may not wait for itself, and the queue must still go once the
// handler has returned, thread included.
TEST(EventsQueue, HandlerStoppingOwnQueueEndsItAfterReturning) {
    int before = CEventsQueue::LiveThreads();
    std::atomic<int> live{0};
    std::atomic<int> handled{0};
    std::shared_ptr<CEventsQueue> owner = CEventsQueue::Create(CYolString::FromUtf8("self stop"));
    std::weak_ptr<CEventsQueue> weak = owner;
    FnClient client;
    client.fn = [&](const YOL_GUID&, int event, CEventArg*, CEventArg*) {
        ++handled;
        if (event == 1) {
            std::shared_ptr<CEventsQueue> mine = std::move(owner);
            mine->Stop();
            EXPECT_TRUE(mine->IsStopping());
            // Still usable from inside: a nested send runs at once.
            EXPECT_EQ(mine->SendEventSync(&client, ContactListGuid, 3, nullptr, nullptr), 0);
        }
        return 0;
    };
    CEventsQueue* queue = owner.get();
    queue->PostEvent(&client, ContactListGuid, 1, nullptr, nullptr);
    queue->PostEvent(&client, ContactListGuid, 2, Held(new Tracked(live)), nullptr);
    // From here on the handler holds the only outside reference.
    queue->Resume();

    EXPECT_TRUE(WaitFor([&] { return weak.expired(); }));
    EXPECT_TRUE(WaitFor([&] { return CEventsQueue::LiveThreads() == before; }));
    EXPECT_EQ(handled, 2);  // the first event and its nested send; event 2 was dropped
    EXPECT_EQ(live, 0);
}

} // namespace
