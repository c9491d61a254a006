#include "CEventsQueue.h"
#include "CServicesManagerImpl.h"
#include "EventTestSupport.h"
#include "StallReportSupport.h"
#include "TestSupport.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace Services;

namespace {

constexpr YOL_GUID TestChannel{0x01020304, 0x0506, 0x0708, 1, 2, 3, 4, 5, 6, 7, 8};

class ServicesManager : public testing::Test {
protected:
    // Queues go before the clients that the tests keep on their stacks.
    void TearDown() override { manager.StopAllQueues(); }

    CServicesManagerImpl manager;
    std::atomic<int> live{0};
};

TEST_F(ServicesManager, FirstKeysOfEachKind) {
    FnClient client;
    struct Case {
        const char* what;
        unsigned int key;
        unsigned int expected;
    };
    const Case cases[] = {
        {"own service", manager.GetOwnServiceKey(), 0x10000001},
        {"services-started event", manager.GetStartedEventKey(), 0x30000001},
        {"first service", manager.RegisterService(DatabaseGuid, &client), 0x10000002},
        {"first client", manager.RegisterEventsClient(&client, W("first")), 0x20000001},
        {"first event", manager.RegisterEvent(TestChannel, 5), 0x30000002},
        {"first subscription", manager.Subscribe(TestChannel, 5, 0x20000001), 0x40000001},
        {"second service", manager.RegisterService(SkinManagerGuid, &client), 0x10000003},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.key, c.expected) << c.what;
}

TEST_F(ServicesManager, KeysAreNeverReused) {
    FnClient client;
    unsigned int a = manager.RegisterEventsClient(&client, W("a"));
    ASSERT_EQ(manager.UnregisterEventsClient(a), 0);
    EXPECT_EQ(manager.RegisterEventsClient(&client, W("b")), a + 1);
    unsigned int e = manager.RegisterEvent(TestChannel, 1);
    ASSERT_EQ(manager.UnregisterEvent(e), 0);
    EXPECT_EQ(manager.RegisterEvent(TestChannel, 1), e + 1);
}

TEST_F(ServicesManager, ServicesAreFoundByIdentifier) {
    int database = 0;
    int skins = 0;
    EXPECT_EQ(manager.GetService(ServicesManagerGuid), static_cast<CServicesManager*>(&manager));
    unsigned int key = manager.RegisterService(DatabaseGuid, &database);
    manager.RegisterService(SkinManagerGuid, &skins);
    EXPECT_TRUE(manager.IsServiceRegistered(DatabaseGuid));
    EXPECT_EQ(manager.GetService(DatabaseGuid), &database);
    EXPECT_EQ(manager.GetService(SkinManagerGuid), &skins);
    EXPECT_FALSE(manager.IsServiceRegistered(ContactListGuid));
    EXPECT_EQ(manager.GetService(ContactListGuid), nullptr);

    // A second registration under a taken identifier leaves the first.
    EXPECT_EQ(manager.RegisterService(DatabaseGuid, &skins), 0u);
    EXPECT_EQ(manager.GetService(DatabaseGuid), &database);

    EXPECT_EQ(manager.UnregisterService(key), 0);
    EXPECT_EQ(manager.UnregisterService(key), -2);
    EXPECT_FALSE(manager.IsServiceRegistered(DatabaseGuid));
    EXPECT_EQ(manager.GetService(SkinManagerGuid), &skins);
}

TEST_F(ServicesManager, UnknownKeysGiveMinusTwo) {
    EXPECT_EQ(manager.UnregisterService(0x10000099), -2);
    EXPECT_EQ(manager.UnregisterEventsClient(0x20000099), -2);
    EXPECT_EQ(manager.UnregisterEvent(0x30000099), -2);
    EXPECT_EQ(manager.Unsubscribe(0x40000099), -2);
    EXPECT_EQ(manager.RegisterEventsClient(nullptr, W("none")), 0u);
}

TEST_F(ServicesManager, SubscribeToUnregisteredEventFails) {
    FnClient client;
    unsigned int key = manager.RegisterEventsClient(&client, W("c"));
    manager.RegisterEvent(TestChannel, 1);
    EXPECT_EQ(manager.Subscribe(TestChannel, 2, key), 0u);
    EXPECT_EQ(manager.Subscribe(ContactListGuid, 1, key), 0u);
    // Nothing was consumed: the next subscription still gets the first key.
    EXPECT_EQ(manager.Subscribe(TestChannel, 1, key), 0x40000001u);
}

// Arguments created with count 0 go as soon as nobody is left to deliver to.
TEST_F(ServicesManager, UndeliverableArgumentsAreFreed) {
    unsigned int lonely = manager.RegisterEvent(TestChannel, 1);
    struct Case {
        const char* what;
        std::function<int(CEventArg*, CEventArg*)> call;
        int expected;
    };
    const Case cases[] = {
        {"broadcast without subscribers",
         [&](CEventArg* a, CEventArg* b) { return manager.BroadcastEvent(lonely, a, b, false); }, 0},
        {"waiting broadcast without subscribers",
         [&](CEventArg* a, CEventArg* b) { return manager.BroadcastEvent(lonely, a, b, true); }, 0},
        {"broadcast of unknown event",
         [&](CEventArg* a, CEventArg* b) { return manager.BroadcastEvent(0x30000099, a, b, false); }, -2},
        {"post to unknown client",
         [&](CEventArg* a, CEventArg* b) { return manager.SendEvent(0x20000099, TestChannel, 1, a, b, false); }, -2},
        {"send to unknown client",
         [&](CEventArg* a, CEventArg* b) { return manager.SendEvent(0x20000099, TestChannel, 1, a, b, true); }, -2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(new Tracked(live), new Tracked(live)), c.expected) << c.what;
        EXPECT_EQ(live, 0) << c.what;
    }

    Tracked* both = new Tracked(live);
    EXPECT_EQ(manager.SendEvent(0x20000099, TestChannel, 1, both, both, true), -2);
    EXPECT_EQ(live, 0) << "one object as both arguments";

    // An argument somebody else holds stays.
    Tracked* kept = new Tracked(live);
    kept->AddRef(1);
    EXPECT_EQ(manager.BroadcastEvent(lonely, kept, nullptr, false), 0);
    EXPECT_EQ(kept->RefCount(), 1);
    kept->Release();
    EXPECT_EQ(live, 0);
}

TEST_F(ServicesManager, SendDeliversOnTheClientThread) {
    std::thread::id handlerThread;
    FnClient client([&](const YOL_GUID& channel, int event, CEventArg* arg, CEventArg*) {
        handlerThread = std::this_thread::get_id();
        EXPECT_EQ(channel, TestChannel);
        EXPECT_EQ(static_cast<CEventArg_Data<unsigned int>*>(arg)->Get(), 77u);
        return event + 100;
    });
    unsigned int key = manager.RegisterEventsClient(&client, W("c"));
    EXPECT_EQ(manager.SendEvent(key, TestChannel, 5, new CEventArg_Data<unsigned int>(77), nullptr, false), 1);
    EXPECT_EQ(manager.SendEvent(key, TestChannel, 6, new CEventArg_Data<unsigned int>(77), nullptr, true), 106);
    EXPECT_NE(handlerThread, std::this_thread::get_id());
}

TEST_F(ServicesManager, HandlerExceptionReachesSenderAsMinusOne) {
    FnClient client([](const YOL_GUID&, int, CEventArg*, CEventArg*) -> int { throw std::bad_alloc(); });
    unsigned int key = manager.RegisterEventsClient(&client, W("c"));
    EXPECT_EQ(manager.SendEvent(key, TestChannel, 1, new Tracked(live), nullptr, true), -1);
    EXPECT_EQ(live, 0);
    EXPECT_EQ(manager.SendEvent(key, TestChannel, 1, nullptr, nullptr, true), -1);
}

TEST_F(ServicesManager, SendToOwnClientFromHandlerRunsNested) {
    unsigned int key = 0;
    int inner = 0;
    bool innerRanInside = false;
    bool inside = false;
    FnClient client;
    client.fn = [&](const YOL_GUID&, int event, CEventArg*, CEventArg*) {
        if (event == 2) {
            innerRanInside = inside;
            return 8;
        }
        inside = true;
        inner = manager.SendEvent(key, TestChannel, 2, nullptr, nullptr, true);
        inside = false;
        return 0;
    };
    key = manager.RegisterEventsClient(&client, W("c"));
    EXPECT_EQ(manager.SendEvent(key, TestChannel, 1, nullptr, nullptr, true), 0);
    EXPECT_EQ(inner, 8);
    EXPECT_TRUE(innerRanInside);
}

// Several threads interleave posts and synchronous sends to one client: the
// client sees each sender's events in the order that sender made them.
TEST_F(ServicesManager, EventsOfEachSenderArriveInOrder) {
    const int senders = 4;
    const int perSender = 400;
    std::mutex m;
    std::vector<std::vector<int>> seen(senders);
    FnClient client([&](const YOL_GUID&, int event, CEventArg*, CEventArg*) {
        std::lock_guard<std::mutex> g(m);
        seen[event / perSender].push_back(event % perSender);
        return 0;
    });
    unsigned int key = manager.RegisterEventsClient(&client, W("fifo"));
    std::vector<std::thread> threads;
    for (int s = 0; s < senders; ++s) {
        threads.emplace_back([&, s] {
            for (int i = 0; i < perSender; ++i)
                manager.SendEvent(key, TestChannel, s * perSender + i, nullptr, nullptr, i % 3 == 0);
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(manager.SendEvent(key, TestChannel, 0, nullptr, nullptr, true), 0);  // after every post
    std::lock_guard<std::mutex> g(m);
    for (int s = 0; s < senders; ++s) {
        ASSERT_EQ(seen[s].size(), size_t(s == 0 ? perSender + 1 : perSender));
        for (int i = 0; i < perSender; ++i)
            ASSERT_EQ(seen[s][i], i) << "sender " << s;
    }
}

class BroadcastTest : public ServicesManager {
protected:
    // Three subscribers; each records its call and answers results[i].
    void SetUp() override {
        event = manager.RegisterEvent(TestChannel, 9);
        for (int i = 0; i < 3; ++i) {
            clients[i].fn = [this, i](const YOL_GUID&, int, CEventArg* arg, CEventArg*) {
                std::lock_guard<std::mutex> g(m);
                calls.push_back(i);
                if (arg != nullptr)
                    liveDuringCall.push_back(live.load());
                return results[i];
            };
            keys[i] = manager.RegisterEventsClient(&clients[i], W("sub"));
        }
        // Subscribed out of key order: the walk follows subscription order.
        for (int i : {2, 0, 1})
            manager.Subscribe(TestChannel, 9, keys[i]);
    }

    unsigned int event = 0;
    FnClient clients[3];
    unsigned int keys[3] = {};
    int results[3] = {0, 0, 0};
    std::mutex m;
    std::vector<int> calls;
    std::vector<int> liveDuringCall;
};

TEST_F(BroadcastTest, WalksSubscribersInSubscriptionOrder) {
    EXPECT_EQ(manager.BroadcastEvent(event, nullptr, nullptr, true), 0);
    EXPECT_EQ(calls, (std::vector<int>{2, 0, 1}));
}

TEST_F(BroadcastTest, NonzeroResultStopsWalkAndGivesReferencesBack) {
    results[0] = 5;  // the second subscriber
    Tracked* arg = new Tracked(live);
    Tracked* extra = new Tracked(live);
    arg->AddRef(1);
    extra->AddRef(1);
    EXPECT_EQ(manager.BroadcastEvent(event, arg, extra, true), 5);
    EXPECT_EQ(calls, (std::vector<int>{2, 0}));
    EXPECT_EQ(arg->RefCount(), 1);
    EXPECT_EQ(extra->RefCount(), 1);
    arg->Release();
    extra->Release();
    EXPECT_EQ(live, 0);
}

TEST_F(BroadcastTest, ArgumentOutlivesEveryDelivery) {
    for (bool wait : {true, false}) {
        calls.clear();
        liveDuringCall.clear();
        EXPECT_EQ(manager.BroadcastEvent(event, new Tracked(live), nullptr, wait), 0);
        ASSERT_TRUE(WaitFor([&] { return live == 0; }));
        std::lock_guard<std::mutex> g(m);
        EXPECT_EQ(calls.size(), 3u);
        EXPECT_EQ(liveDuringCall, (std::vector<int>{1, 1, 1})) << "wait " << wait;
    }
}

TEST_F(BroadcastTest, GoneSubscriberIsSkipped) {
    // Subscriptions may name clients that never registered.
    manager.Subscribe(TestChannel, 9, 0x20000099);
    manager.UnregisterEventsClient(keys[0]);
    EXPECT_EQ(manager.BroadcastEvent(event, new Tracked(live), nullptr, true), 0);
    EXPECT_EQ(calls, (std::vector<int>{2, 1}));
    EXPECT_EQ(live, 0);
}

// A waiting broadcast whose first handler unregisters the next subscriber:
// that one is skipped, and the one after it still gets the event.
TEST_F(BroadcastTest, SubscriberUnregisteredDuringTheWalkIsSkipped) {
    clients[2].fn = [this](const YOL_GUID&, int, CEventArg*, CEventArg*) {
        manager.UnregisterEventsClient(keys[0]);
        std::lock_guard<std::mutex> g(m);
        calls.push_back(2);
        return 0;
    };
    EXPECT_EQ(manager.BroadcastEvent(event, new Tracked(live), nullptr, true), 0);
    EXPECT_EQ(calls, (std::vector<int>{2, 1}));
    EXPECT_EQ(live, 0);
}

// A subscriber found stopping part-way through a walk (it unregistered after
// the broadcast began) is skipped, posted or sent, and the walk goes on.
TEST(BroadcastWalk, StoppingTargetIsSkippedAndTheWalkGoesOn) {
    using Delivery = CServicesManagerImpl::Delivery;
    for (Delivery how : {Delivery::Post, Delivery::Send, Delivery::SendToAll}) {
        SCOPED_TRACE(static_cast<int>(how));
        std::atomic<int> live{0};
        std::atomic<int> handled[3] = {0, 0, 0};
        FnClient clients[3];
        std::vector<CServicesManagerImpl::Target> targets;
        for (int i = 0; i < 3; ++i) {
            clients[i].fn = [&handled, i](const YOL_GUID&, int, CEventArg*, CEventArg*) { return ++handled[i], 0; };
            auto queue = CEventsQueue::Create(W("walk"));
            queue->Resume();
            targets.push_back({&clients[i], queue});
        }
        targets[1].queue->Stop();

        Tracked* arg = new Tracked(live);
        arg->AddRef(3);
        EXPECT_EQ(CServicesManagerImpl::Walk(targets, TestChannel, 9, arg, nullptr, how), 0);
        for (const auto& target : targets)
            target.queue->SendEventSync(nullptr, TestChannel, 0, nullptr, nullptr);  // behind any post
        EXPECT_EQ(handled[0], 1);
        EXPECT_EQ(handled[1], 0);
        EXPECT_EQ(handled[2], 1);
        EXPECT_EQ(live, 0);
    }
}

TEST_F(BroadcastTest, UnregisterOfUnknownClientStillRemovesItsSubscriptions) {
    unsigned int ghost = 0x20000099;
    unsigned int first = manager.Subscribe(TestChannel, 9, ghost);
    unsigned int second = manager.Subscribe(TestChannel, 9, ghost);
    EXPECT_EQ(manager.UnregisterEventsClient(ghost), -2);
    EXPECT_EQ(manager.Unsubscribe(first), -2);
    EXPECT_EQ(manager.Unsubscribe(second), -2);
}

TEST_F(BroadcastTest, UnsubscribedClientGetsNothing) {
    unsigned int extra = manager.Subscribe(TestChannel, 9, keys[1]);
    EXPECT_EQ(manager.Unsubscribe(extra), 0);
    EXPECT_EQ(manager.BroadcastEvent(event, nullptr, nullptr, true), 0);
    EXPECT_EQ(calls, (std::vector<int>{2, 0, 1}));
}

TEST_F(ServicesManager, StartedEventReachesSubscribersBeforeReturning) {
    std::vector<std::pair<int, bool>> calls;
    std::mutex m;
    FnClient a([&](const YOL_GUID& channel, int event, CEventArg* arg, CEventArg* extra) {
        std::lock_guard<std::mutex> g(m);
        calls.push_back({0, channel == ServicesManagerGuid && event == 1 && !arg && !extra});
        return 3;  // results are ignored
    });
    FnClient b([&](const YOL_GUID& channel, int event, CEventArg*, CEventArg*) {
        std::lock_guard<std::mutex> g(m);
        calls.push_back({1, channel == ServicesManagerGuid && event == 1});
        return 0;
    });
    unsigned int ka = manager.RegisterEventsClient(&a, W("a"));
    unsigned int kb = manager.RegisterEventsClient(&b, W("b"));
    manager.Subscribe(ServicesManagerGuid, 1, kb);
    manager.Subscribe(ServicesManagerGuid, 1, ka);
    manager.BroadcastStarted();
    EXPECT_EQ(calls, (std::vector<std::pair<int, bool>>{{1, true}, {0, true}}));
}

// An unregister drops what waits in the client's queue at once and then
// waits for the running handler, but only the caller waits: the manager
// stays usable meanwhile.
TEST_F(ServicesManager, UnregisterWaitsForHandlerWithoutBlockingOthers) {
    StallReports stalls;
    std::promise<void> entered, release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> handled{0};
    FnClient slow([&](const YOL_GUID&, int, CEventArg*, CEventArg*) {
        if (++handled == 1) {
            entered.set_value();
            released.wait();
        }
        return 0;
    });
    FnClient other([](const YOL_GUID&, int event, CEventArg*, CEventArg*) { return event; });
    unsigned int slowKey = manager.RegisterEventsClient(&slow, W("slow"));
    unsigned int otherKey = manager.RegisterEventsClient(&other, W("other"));
    manager.SendEvent(slowKey, TestChannel, 1, nullptr, nullptr, false);
    entered.get_future().wait();
    EXPECT_EQ(manager.SendEvent(slowKey, TestChannel, 2, new Tracked(live), new Tracked(live), false), 1);

    auto unregister = std::async(std::launch::async, [&] { return manager.UnregisterEventsClient(slowKey); });
    EXPECT_TRUE(WaitFor([&] { return live == 0; }));
    EXPECT_EQ(manager.SendEvent(slowKey, TestChannel, 3, nullptr, nullptr, true), -2);
    EXPECT_EQ(manager.SendEvent(otherKey, TestChannel, 4, nullptr, nullptr, true), 4);
    FnClient late;
    EXPECT_NE(manager.RegisterEventsClient(&late, W("late")), 0u);
    ASSERT_TRUE(stalls.PastDeadline("slow"));  // the unregister is still waiting

    release.set_value();
    EXPECT_EQ(unregister.get(), 0);
    EXPECT_EQ(handled, 1);
}

TEST_F(ServicesManager, HandlerUnregisteringItsOwnClient) {
    int before = CEventsQueue::LiveThreads();
    unsigned int key = 0;
    int unregisterResult = 1;
    std::atomic<int> handled{0};
    FnClient client;
    client.fn = [&](const YOL_GUID&, int event, CEventArg*, CEventArg*) {
        ++handled;
        if (event == 1)
            unregisterResult = manager.UnregisterEventsClient(key);
        return 0;
    };
    key = manager.RegisterEventsClient(&client, W("self"));
    unsigned int event = manager.RegisterEvent(TestChannel, 3);
    unsigned int subscription = manager.Subscribe(TestChannel, 3, key);
    EXPECT_EQ(CEventsQueue::LiveThreads(), before + 1);

    manager.SendEvent(key, TestChannel, 1, nullptr, nullptr, false);
    manager.SendEvent(key, TestChannel, 2, new Tracked(live), nullptr, false);
    EXPECT_TRUE(WaitFor([&] { return CEventsQueue::LiveThreads() == before; }));
    EXPECT_EQ(unregisterResult, 0);
    EXPECT_EQ(manager.SendEvent(key, TestChannel, 1, new Tracked(live), nullptr, true), -2);
    EXPECT_EQ(manager.Unsubscribe(subscription), -2);
    EXPECT_EQ(manager.BroadcastEvent(event, nullptr, nullptr, true), 0);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(live, 0);
}

// While its client is being unregistered, the running handler sends to that
// client, waiting and posted: the sends find it gone and the unregister
// completes once the handler returns.
TEST_F(ServicesManager, HandlerSendingToItsOwnStoppingClientDoesNotDeadlock) {
    std::promise<void> entered, release;
    std::shared_future<void> released = release.get_future().share();
    unsigned int key = 0;
    int sent = 0;
    int posted = 0;
    FnClient client([&](const YOL_GUID&, int event, CEventArg*, CEventArg*) {
        if (event != 1)
            return 0;
        entered.set_value();
        released.wait();
        sent = manager.SendEvent(key, TestChannel, 2, new Tracked(live), nullptr, true);
        posted = manager.SendEvent(key, TestChannel, 3, new Tracked(live), nullptr, false);
        return 0;
    });
    key = manager.RegisterEventsClient(&client, W("self send"));
    manager.SendEvent(key, TestChannel, 1, nullptr, nullptr, false);
    entered.get_future().wait();

    auto unregister = std::async(std::launch::async, [&] { return manager.UnregisterEventsClient(key); });
    ASSERT_TRUE(WaitFor([&] { return manager.SendEvent(key, TestChannel, 4, nullptr, nullptr, false) == -2; }));
    release.set_value();
    EXPECT_EQ(unregister.get(), 0);
    EXPECT_EQ(sent, -2);
    EXPECT_EQ(posted, -2);
    EXPECT_EQ(live, 0);
}

TEST_F(ServicesManager, StopAllQueuesEndsThreadsAndEmptiesMaps) {
    int before = CEventsQueue::LiveThreads();
    FnClient a, b;
    unsigned int ka = manager.RegisterEventsClient(&a, W("a"));
    manager.RegisterEventsClient(&b, W("b"));
    unsigned int event = manager.RegisterEvent(TestChannel, 1);
    manager.Subscribe(TestChannel, 1, ka);
    EXPECT_EQ(CEventsQueue::LiveThreads(), before + 2);

    manager.StopAllQueues();
    EXPECT_EQ(CEventsQueue::LiveThreads(), before);
    EXPECT_EQ(manager.SendEvent(ka, TestChannel, 1, new Tracked(live), nullptr, true), -2);
    EXPECT_EQ(manager.BroadcastEvent(event, new Tracked(live), nullptr, true), -2);
    EXPECT_EQ(manager.GetService(ServicesManagerGuid), nullptr);
    EXPECT_EQ(live, 0);
}

TEST_F(ServicesManager, DestructorStopsRemainingQueues) {
    int before = CEventsQueue::LiveThreads();
    FnClient client;
    {
        CServicesManagerImpl local;
        unsigned int key = local.RegisterEventsClient(&client, W("left"));
        local.SendEvent(key, TestChannel, 1, new Tracked(live), nullptr, false);
    }
    EXPECT_EQ(CEventsQueue::LiveThreads(), before);
    EXPECT_EQ(live, 0);
}

TEST(ServicesManagerInstance, IsOneProcessWideManager) {
    CServicesManagerImpl& a = CServicesManagerImpl::Instance();
    EXPECT_EQ(&a, &CServicesManagerImpl::Instance());
    EXPECT_EQ(a.GetService(ServicesManagerGuid), static_cast<CServicesManager*>(&a));
}

// Clients come and go, subscribe and unsubscribe while other threads
// broadcast (posted and waiting) and send to them. Afterwards every argument
// must be gone and every queue thread ended; the sanitizers watch the rest.
TEST_F(ServicesManager, StressRegistrationChurnDuringBroadcasts) {
    const int workers = 6;
    const int rounds = 1500;
    const int slots = 8;
    int before = CEventsQueue::LiveThreads();

    unsigned int events[2] = {manager.RegisterEvent(TestChannel, 1), manager.RegisterEvent(TestChannel, 2)};
    std::atomic<unsigned int> slotKey[slots];
    std::atomic<unsigned int> handled{0};
    FnClient clients[slots];
    for (int i = 0; i < slots; ++i) {
        clients[i].fn = [&, i](const YOL_GUID&, int event, CEventArg* arg, CEventArg*) {
            ++handled;
            // Some handlers call back into the manager.
            if (arg != nullptr && event == 2 && i % 2 == 0)
                manager.SendEvent(slotKey[(i + 1) % slots].load(), TestChannel, 2, nullptr, nullptr, false);
            return 0;
        };
        slotKey[i] = manager.RegisterEventsClient(&clients[i], W("stress"));
        manager.Subscribe(TestChannel, 1 + i % 2, slotKey[i]);
    }
    std::mutex churnLock[slots];  // one re-registration of a slot at a time

    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            std::mt19937 rng(w + 1);
            for (int r = 0; r < rounds; ++r) {
                int slot = int(rng() % slots);
                switch (rng() % 6) {
                case 0:
                    manager.BroadcastEvent(events[rng() % 2], new Tracked(live), new Tracked(live), false);
                    break;
                case 1:
                    manager.BroadcastEvent(events[rng() % 2], new Tracked(live), nullptr, true);
                    break;
                case 2:
                    manager.SendEvent(slotKey[slot].load(), TestChannel, 2, new Tracked(live), nullptr, rng() % 2);
                    break;
                case 3: {
                    unsigned int s = manager.Subscribe(TestChannel, 1 + int(rng() % 2), slotKey[slot].load());
                    if (rng() % 2)
                        manager.Unsubscribe(s);
                    break;
                }
                case 4:
                    if (r % 10 == 0) {
                        std::lock_guard<std::mutex> g(churnLock[slot]);
                        manager.UnregisterEventsClient(slotKey[slot].load());
                        unsigned int key = manager.RegisterEventsClient(&clients[slot], W("stress"));
                        manager.Subscribe(TestChannel, 1 + slot % 2, key);
                        slotKey[slot] = key;
                    }
                    break;
                default:
                    manager.SendEvent(slotKey[slot].load(), TestChannel, 1, nullptr, nullptr, true);
                    break;
                }
            }
        });
    }
    for (auto& t : threads)
        t.join();

    manager.StopAllQueues();
    EXPECT_EQ(CEventsQueue::LiveThreads(), before);
    EXPECT_EQ(live, 0);
    EXPECT_GT(handled, 0u);
}

} // namespace
