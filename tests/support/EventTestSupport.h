#pragma once
// What the tests of event delivery share: an argument that counts itself, a
// client that hands each event to a function, and a wait for a condition
// that another thread brings about.

#include "CEventArg.h"
#include "CEventsClient.h"
#include "YOL_GUID.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <utility>

// An argument that counts itself, so a test sees when the last holder let go.
class Tracked : public Services::CEventArg {
public:
    explicit Tracked(std::atomic<int>& live) : live(live) { ++live; }
    ~Tracked() override { --live; }

private:
    std::atomic<int>& live;
};

// Handles each event with `fn`; without one it answers 0.
class FnClient final : public Services::CEventsClient {
public:
    using Fn = std::function<int(const YOL_GUID&, int, Services::CEventArg*, Services::CEventArg*)>;
    explicit FnClient(Fn fn = {}) : fn(std::move(fn)) {}
    int OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg, Services::CEventArg* extra) override {
        return fn ? fn(channel, event, arg, extra) : 0;
    }
    Fn fn;
};

// Polls `pred` until it holds (true) or the limit has passed (false).
template <typename Pred>
bool WaitFor(Pred pred, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    auto until = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
