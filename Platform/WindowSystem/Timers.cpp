// Window timers on the system's clock.

#include "Timers.h"

#include "CYolClock.h"
#include "MessageQueueImpl.h"
#include "WindowImpl.h"

#include <algorithm>

using namespace Platform;

std::uintptr_t SetTimer(HWND hwnd, std::uintptr_t id, std::uint32_t elapse, TIMERPROC proc)
{
    const std::shared_ptr<ThreadQueue> queue = ThreadQueue::Of(hwnd);
    if (!queue || queue->thread != std::this_thread::get_id())
        return 0;
    const std::uint64_t now = CYolClock::Current().TickCount64();
    std::lock_guard<std::mutex> lock(queue->m);
    if (!hwnd) {
        // Thread timers get fresh ids, clear of any a caller would choose.
        id = ++queue->nextThreadTimer;
    }
    auto it = std::find_if(queue->timers.begin(), queue->timers.end(),
                           [&](const TimerEntry& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == queue->timers.end())
        it = queue->timers.insert(queue->timers.end(), TimerEntry{hwnd, id, 0, nullptr, 0});
    it->elapse = elapse;
    it->proc = proc;
    it->due = now + elapse;
    queue->WakeLocked();
    return id;
}

bool KillTimer(HWND hwnd, std::uintptr_t id)
{
    const std::shared_ptr<ThreadQueue> queue = ThreadQueue::Of(hwnd);
    if (!queue)
        return false;
    std::lock_guard<std::mutex> lock(queue->m);
    auto it = std::find_if(queue->timers.begin(), queue->timers.end(),
                           [&](const TimerEntry& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == queue->timers.end())
        return false;
    queue->timers.erase(it);
    return true;
}

namespace Platform {

bool TakeDueTimer(ThreadQueue& queue, std::uint64_t now, HWND filter, MSG* msg, bool remove)
{
    TimerEntry* earliest = nullptr;
    for (TimerEntry& t : queue.timers) {
        if (t.due > now || (filter && t.hwnd != filter))
            continue;
        if (!earliest || t.due < earliest->due)
            earliest = &t;
    }
    if (!earliest)
        return false;
    *msg = MSG{};
    msg->hwnd = earliest->hwnd;
    msg->message = WM_TIMER;
    msg->wParam = earliest->id;
    msg->lParam = reinterpret_cast<LPARAM>(earliest->proc);
    msg->time = static_cast<std::uint32_t>(now);
    if (remove)
        earliest->due = now + std::max(earliest->elapse, USER_TIMER_MINIMUM);
    return true;
}

bool NextTimerDue(const ThreadQueue& queue, std::uint64_t* due)
{
    if (queue.timers.empty())
        return false;
    std::uint64_t first = queue.timers.front().due;
    for (const TimerEntry& t : queue.timers)
        first = std::min(first, t.due);
    *due = first;
    return true;
}

} // namespace Platform
