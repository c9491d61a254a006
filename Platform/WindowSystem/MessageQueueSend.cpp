// Sending and posting messages, also between threads.

#include "MessageQueueImpl.h"

#include "CYolClock.h"
#include "WindowImpl.h"

#include <algorithm>

using namespace Platform;

namespace {

// Counts the calling thread's handling of another thread's send, also when
// the window procedure throws.
struct HandlingSend {
    explicit HandlingSend(ThreadQueue& q) : q(q) { ++q.handlingSend; }
    ~HandlingSend() { --q.handlingSend; }
    ThreadQueue& q;
};

} // namespace

namespace Platform {

void CompleteSend(const std::shared_ptr<SentMessage>& sent, LRESULT result)
{
    if (!sent->sender)
        return; // nobody waits for a notification
    ThreadQueue& sender = *sent->sender;
    std::lock_guard<std::mutex> lock(sender.m);
    sent->result = result;
    sent->done = true;
    sender.WakeLocked();
}

bool ProcessIncomingSends(ThreadQueue& queue)
{
    bool any = false;
    for (;;) {
        std::shared_ptr<SentMessage> sent;
        {
            std::lock_guard<std::mutex> lock(queue.m);
            if (queue.incoming.empty())
                break;
            sent = queue.incoming.front();
            queue.incoming.pop_front();
        }
        any = true;
        WindowPtr w = FindLive(sent->hwnd);
        LRESULT result = 0;
        try {
            if (w && w->queue.get() == &queue) {
                HandlingSend handling(queue);
                result = CallProc(w, sent->msg, sent->wParam, sent->lParam);
            }
        } catch (...) {
            CompleteSend(sent, 0);
            throw;
        }
        CompleteSend(sent, result);
    }
    return any;
}

void PurgeWindows(ThreadQueue& queue, const std::vector<HWND>& destroyed)
{
    auto dead = [&](HWND h) { return h && std::find(destroyed.begin(), destroyed.end(), h) != destroyed.end(); };
    std::vector<std::shared_ptr<SentMessage>> dropped;
    {
        std::lock_guard<std::mutex> lock(queue.m);
        queue.posted.erase(std::remove_if(queue.posted.begin(), queue.posted.end(),
                                          [&](const MSG& m) { return dead(m.hwnd); }),
                           queue.posted.end());
        for (auto it = queue.incoming.begin(); it != queue.incoming.end();) {
            if (dead((*it)->hwnd)) {
                dropped.push_back(*it);
                it = queue.incoming.erase(it);
            } else {
                ++it;
            }
        }
        queue.timers.erase(std::remove_if(queue.timers.begin(), queue.timers.end(),
                                          [&](const TimerEntry& t) { return dead(t.hwnd); }),
                           queue.timers.end());
    }
    for (const auto& sent : dropped)
        CompleteSend(sent, 0);
}

} // namespace Platform

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowPtr w = FindLive(hwnd);
    if (!w)
        return 0;
    if (w->queue->thread == std::this_thread::get_id())
        return CallProc(w, msg, wParam, lParam);

    auto me = ThreadQueue::Current();
    auto sent = std::make_shared<SentMessage>();
    sent->hwnd = hwnd;
    sent->msg = msg;
    sent->wParam = wParam;
    sent->lParam = lParam;
    sent->sender = me;
    {
        ThreadQueue& target = *w->queue;
        std::lock_guard<std::mutex> lock(target.m);
        if (target.dead)
            return 0;
        target.incoming.push_back(sent);
        target.WakeLocked();
    }
    // A window destroyed after the check above has its pending sends
    // answered by the destruction; check once more now that ours is queued.
    if (!IsWindow(hwnd)) {
        PurgeWindows(*w->queue, {hwnd});
    }
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(me->m);
            if (sent->done)
                return sent->result;
            if (me->incoming.empty()) {
                me->cv.wait(lock, [&] { return sent->done || !me->incoming.empty(); });
                if (sent->done)
                    return sent->result;
            }
        }
        // Whoever we wait for may itself be sending to us.
        ProcessIncomingSends(*me);
    }
}

bool SendNotifyMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowPtr w = FindLive(hwnd);
    if (!w)
        return false;
    if (w->queue->thread == std::this_thread::get_id()) {
        CallProc(w, msg, wParam, lParam);
        return true;
    }
    auto sent = std::make_shared<SentMessage>();
    sent->hwnd = hwnd;
    sent->msg = msg;
    sent->wParam = wParam;
    sent->lParam = lParam;
    ThreadQueue& target = *w->queue;
    std::lock_guard<std::mutex> lock(target.m);
    if (target.dead)
        return false;
    target.incoming.push_back(sent);
    target.WakeLocked();
    return true;
}

bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const std::shared_ptr<ThreadQueue> queue = ThreadQueue::Of(hwnd);
    if (!queue)
        return false;
    MSG m;
    m.hwnd = hwnd;
    m.message = msg;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = CYolClock::Current().TickCount();
    std::lock_guard<std::mutex> lock(queue->m);
    if (queue->dead)
        return false;
    queue->posted.push_back(m);
    queue->WakeLocked();
    return true;
}
