#pragma once
// A list that one thread appends to and a test reads and waits on: a
// recording double keeps what it was told in one.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

template <typename T>
class WaitableLog {
public:
    void Add(T item) {
        {
            std::lock_guard<std::mutex> hold(lock);
            items.push_back(std::move(item));
        }
        changed.notify_all();
    }

    // Waits until `count` items have come; false when `limit` passed first.
    bool WaitFor(std::size_t count, std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> hold(lock);
        return changed.wait_for(hold, limit, [&] { return items.size() >= count; });
    }

    std::vector<T> Items() const {
        std::lock_guard<std::mutex> hold(lock);
        return items;
    }

private:
    mutable std::mutex lock;
    std::condition_variable changed;
    std::vector<T> items;
};
