// Event throughput of the services manager against a plain queue built from
// std::mutex and std::condition_variable doing the same work: one worker
// thread per client, handlers that count, posted events, synchronous sends
// from another thread and broadcasts to several subscribers with a
// reference-counted argument.

#include "CServicesManagerImpl.h"
#include "YolGuids.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace Services;

namespace {

constexpr int Subscribers = 4;

class Counter final : public CEventsClient {
public:
    int OnEvent(const YOL_GUID&, int event, CEventArg* arg, CEventArg*) override {
        handled.fetch_add(1, std::memory_order_relaxed);
        if (arg != nullptr)
            sum += static_cast<CEventArg_Data<int>*>(arg)->Get();
        return event == -1 ? 1 : 0;
    }
    std::atomic<long> handled{0};
    long sum = 0;
};

// --- the reference: the simplest queue that does the same job --------------

struct RefItem {
    Counter* client;
    int event;
    std::shared_ptr<int> arg;
    struct Waiter* waiter;
};

struct Waiter {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    int result = 0;
};

class RefQueue {
public:
    RefQueue() : worker([this] { Run(); }) {}
    ~RefQueue() {
        {
            std::lock_guard<std::mutex> g(m);
            stop = true;
        }
        cv.notify_one();
        worker.join();
    }
    void Post(Counter* c, int event, std::shared_ptr<int> arg) {
        {
            std::lock_guard<std::mutex> g(m);
            items.push_back({c, event, std::move(arg), nullptr});
        }
        cv.notify_one();
    }
    int Send(Counter* c, int event, std::shared_ptr<int> arg = nullptr) {
        Waiter w;
        {
            std::lock_guard<std::mutex> g(m);
            items.push_back({c, event, std::move(arg), &w});
        }
        cv.notify_one();
        std::unique_lock<std::mutex> g(w.m);
        w.cv.wait(g, [&] { return w.done; });
        return w.result;
    }

private:
    void Run() {
        for (;;) {
            RefItem item;
            {
                std::unique_lock<std::mutex> g(m);
                cv.wait(g, [this] { return stop || !items.empty(); });
                if (stop)
                    return;
                item = std::move(items.front());
                items.pop_front();
            }
            CEventArg_Data<int> value(item.arg ? *item.arg : 0);
            int result = item.client->OnEvent(ServicesManagerGuid, item.event, item.arg ? &value : nullptr, nullptr);
            item.arg.reset();
            if (item.waiter != nullptr) {
                std::lock_guard<std::mutex> g(item.waiter->m);
                item.waiter->result = result;
                item.waiter->done = true;
                item.waiter->cv.notify_one();
            }
        }
    }

    std::mutex m;
    std::condition_variable cv;
    std::deque<RefItem> items;
    bool stop = false;
    std::thread worker;
};

// --- posts --------------------------------------------------------------------

void YolPost(benchmark::State& state) {
    CServicesManagerImpl manager;
    Counter client;
    unsigned int key = manager.RegisterEventsClient(&client, CYolString::FromUtf8("bench"));
    for (auto _ : state)
        manager.SendEvent(key, ContactListGuid, 1, nullptr, nullptr, false);
    manager.SendEvent(key, ContactListGuid, 1, nullptr, nullptr, true);  // drain
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(YolPost)->UseRealTime();

void RefPost(benchmark::State& state) {
    Counter client;
    RefQueue queue;
    for (auto _ : state)
        queue.Post(&client, 1, nullptr);
    queue.Send(&client, 1);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RefPost)->UseRealTime();

// --- synchronous sends from another thread -------------------------------------

void YolSendSync(benchmark::State& state) {
    CServicesManagerImpl manager;
    Counter client;
    unsigned int key = manager.RegisterEventsClient(&client, CYolString::FromUtf8("bench"));
    for (auto _ : state)
        benchmark::DoNotOptimize(manager.SendEvent(key, ContactListGuid, 1, nullptr, nullptr, true));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(YolSendSync)->UseRealTime();

void RefSendSync(benchmark::State& state) {
    Counter client;
    RefQueue queue;
    for (auto _ : state)
        benchmark::DoNotOptimize(queue.Send(&client, 1));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RefSendSync)->UseRealTime();

// --- broadcasts: each event with a fresh counted argument, to every
// subscriber, posted or (`wait`) each handled before the next goes; items are
// deliveries ----------------------------------------------------------------------

void YolBroadcastRun(benchmark::State& state, bool wait) {
    CServicesManagerImpl manager;
    Counter clients[Subscribers];
    unsigned int keys[Subscribers];
    unsigned int event = manager.RegisterEvent(ContactListGuid, 7);
    for (int i = 0; i < Subscribers; ++i) {
        keys[i] = manager.RegisterEventsClient(&clients[i], CYolString::FromUtf8("bench"));
        manager.Subscribe(ContactListGuid, 7, keys[i]);
    }
    int n = 0;
    for (auto _ : state)
        manager.BroadcastEvent(event, new CEventArg_Data<int>(++n), nullptr, wait);
    for (unsigned int key : keys)
        manager.SendEvent(key, ContactListGuid, 1, nullptr, nullptr, true);
    state.SetItemsProcessed(state.iterations() * Subscribers);
}

void RefBroadcastRun(benchmark::State& state, bool wait) {
    Counter clients[Subscribers];
    std::vector<std::unique_ptr<RefQueue>> queues;
    for (int i = 0; i < Subscribers; ++i)
        queues.push_back(std::make_unique<RefQueue>());
    int n = 0;
    for (auto _ : state) {
        auto arg = std::make_shared<int>(++n);
        for (int i = 0; i < Subscribers; ++i) {
            if (wait)
                benchmark::DoNotOptimize(queues[i]->Send(&clients[i], 7, arg));
            else
                queues[i]->Post(&clients[i], 7, arg);
        }
    }
    for (int i = 0; i < Subscribers; ++i)
        queues[i]->Send(&clients[i], 1);
    state.SetItemsProcessed(state.iterations() * Subscribers);
}

void YolBroadcast(benchmark::State& state) { YolBroadcastRun(state, false); }
BENCHMARK(YolBroadcast)->UseRealTime();

void RefBroadcast(benchmark::State& state) { RefBroadcastRun(state, false); }
BENCHMARK(RefBroadcast)->UseRealTime();

void YolBroadcastWait(benchmark::State& state) { YolBroadcastRun(state, true); }
BENCHMARK(YolBroadcastWait)->UseRealTime();

void RefBroadcastWait(benchmark::State& state) { RefBroadcastRun(state, true); }
BENCHMARK(RefBroadcastWait)->UseRealTime();

} // namespace
