// Per-thread queues and taking messages from them.

#include "MessageQueueImpl.h"

#include "Backends/Backend.h"
#include "CYolClock.h"
#include "WindowImpl.h"
#include "WindowInputImpl.h"
#include "WindowPaintImpl.h"

#include <algorithm>
#include <chrono>
#include <string>

using namespace Platform;

namespace {

struct Registry {
    std::mutex m;
    std::vector<std::weak_ptr<ThreadQueue>> queues;
};

Registry& Queues()
{
    static Registry* registry = new Registry;
    return *registry;
}

// Moving a manual clock wakes every waiting queue, so that timers see the
// new time.
class ClockWaker final : public MYolClockObserver {
public:
    void OnClockChanged() override { WakeAllQueues(); }
};

void Retire(const std::shared_ptr<ThreadQueue>& queue);

// Ends the thread's queue when the thread ends: pending sends answer 0 and
// the thread's windows go without messages (their procedures cannot run
// any more).
struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~QueueHolder()
    {
        if (queue)
            Retire(queue);
    }
};

thread_local QueueHolder t_queue;

void Retire(const std::shared_ptr<ThreadQueue>& queue)
{
    std::deque<std::shared_ptr<SentMessage>> pending;
    {
        std::lock_guard<std::mutex> lock(queue->m);
        queue->dead = true;
        pending.swap(queue->incoming);
        queue->posted.clear();
        queue->timers.clear();
    }
    for (const auto& sent : pending)
        CompleteSend(sent, 0);
    // The records themselves go after the lock is left: what other code
    // kept for them may call back in as it goes.
    std::vector<WindowPtr> mine;
    {
        WindowLock lock;
        WindowManager& m = WindowManager::Get();
        for (auto& [h, w] : m.windows) {
            if (w->queue == queue)
                mine.push_back(w);
        }
        std::vector<HWND> handles;
        for (const WindowPtr& w : mine)
            handles.push_back(w->handle);
        ForgetInputWindows(m, handles);
        for (const WindowPtr& w : mine) {
            UnlinkWindow(m, *w);
            w->state = Window::State::Destroyed;
            w->cls->windows--;
            m.windows.erase(w->handle);
        }
    }
    mine.clear();
    Registry& r = Queues();
    std::lock_guard<std::mutex> lock(r.m);
    r.queues.erase(std::remove_if(r.queues.begin(), r.queues.end(),
                                  [&](const std::weak_ptr<ThreadQueue>& q) {
                                      auto locked = q.lock();
                                      return !locked || locked == queue;
                                  }),
                   r.queues.end());
}

bool InRange(UINT message, UINT filterMin, UINT filterMax)
{
    return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

enum class Fetched { Message, Quit, Nothing };

// One pass over the sources in their order of priority.
Fetched Fetch(ThreadQueue& q, MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove)
{
    ProcessIncomingSends(q);
    {
        std::lock_guard<std::mutex> lock(q.m);
        for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
            if ((filter && it->hwnd != filter) || !InRange(it->message, filterMin, filterMax))
                continue;
            *msg = *it;
            if (remove)
                q.posted.erase(it);
            return Fetched::Message;
        }
        if (q.quitPosted) {
            *msg = MSG{};
            msg->message = WM_QUIT;
            msg->wParam = static_cast<WPARAM>(q.quitCode);
            if (remove)
                q.quitPosted = false;
            return Fetched::Quit;
        }
    }
    if (TakeInput(q.thread, msg, filter, filterMin, filterMax, remove))
        return Fetched::Message;
    if (InRange(WM_PAINT, filterMin, filterMax)) {
        if (HWND h = FindWindowToPaint(q.thread, filter)) {
            *msg = MSG{};
            msg->hwnd = h;
            msg->message = WM_PAINT;
            msg->time = CYolClock::Current().TickCount();
            return Fetched::Message;
        }
    }
    if (InRange(WM_TIMER, filterMin, filterMax)) {
        std::lock_guard<std::mutex> lock(q.m);
        if (TakeDueTimer(q, CYolClock::Current().TickCount64(), filter, msg, remove))
            return Fetched::Message;
    }
    return Fetched::Nothing;
}

} // namespace

namespace Platform {

// Waits for anything to arrive, or for the waiting thread's next due tick.
// In a back-end that does not wait for ever, a wait that nothing can end
// throws.
void WaitForWake(ThreadQueue& q, std::uint64_t seen)
{
    Backend& backend = CurrentBackend();
    const bool clockRuns = &CYolClock::Current() == &CYolClock::System();
    std::uint64_t due = 0;
    bool haveDue = false;
    {
        std::uint64_t t;
        std::lock_guard<std::mutex> lock(q.m);
        if (NextTimerDue(q, &t)) {
            due = t;
            haveDue = true;
        }
    }
    std::uint64_t hold;
    if (NextInputDeadline(&hold) && (!haveDue || hold < due)) {
        due = hold;
        haveDue = true;
    }
    const auto now = std::chrono::steady_clock::now();
    const auto limit = backend.IdleLimit();
    std::chrono::steady_clock::time_point until = now + std::chrono::hours(24);
    bool timeCanEnd = false;
    if (haveDue && clockRuns) {
        const std::uint64_t tick = CYolClock::Current().TickCount64();
        until = now + std::chrono::milliseconds(due > tick ? due - tick : 0);
        timeCanEnd = true;
    } else if (limit) {
        until = now + *limit;
    }

    std::unique_lock<std::mutex> lock(q.m);
    while (q.serial == seen && std::chrono::steady_clock::now() < until)
        backend.WaitForEvents(lock, q.cv, until);
    if (q.serial == seen && !timeCanEnd && limit) {
        throw NoMessageError("no message can come: nothing was posted or sent, no input arrived and no timer "
                             "can come due (none is set, or the clock does not run) within " +
                             std::to_string(limit->count()) + " ms");
    }
}

std::uint64_t QueueSerial(ThreadQueue& q)
{
    std::lock_guard<std::mutex> lock(q.m);
    return q.serial;
}

ThreadQueue::ThreadQueue(std::thread::id thread) : thread(thread) {}

std::shared_ptr<ThreadQueue> ThreadQueue::Current()
{
    static std::once_flag once;
    std::call_once(once, [] {
        static ClockWaker waker;
        CYolClock::AddObserver(&waker);
    });
    if (!t_queue.queue) {
        t_queue.queue = std::make_shared<ThreadQueue>(std::this_thread::get_id());
        Registry& r = Queues();
        std::lock_guard<std::mutex> lock(r.m);
        r.queues.push_back(t_queue.queue);
    }
    return t_queue.queue;
}

ThreadQueue* ThreadQueue::CurrentIfAny()
{
    return t_queue.queue.get();
}

std::shared_ptr<ThreadQueue> ThreadQueue::Of(HWND hwnd)
{
    if (!hwnd)
        return Current();
    WindowPtr w = FindLive(hwnd);
    return w ? w->queue : nullptr;
}

void ThreadQueue::Wake()
{
    {
        std::lock_guard<std::mutex> lock(m);
        ++serial;
        cv.notify_all();
    }
    CurrentBackend().Wake();
}

void ThreadQueue::WakeLocked()
{
    ++serial;
    cv.notify_all();
    CurrentBackend().Wake();
}

void WakeAllQueues()
{
    std::vector<std::shared_ptr<ThreadQueue>> queues;
    {
        Registry& r = Queues();
        std::lock_guard<std::mutex> lock(r.m);
        for (const auto& weak : r.queues) {
            if (auto q = weak.lock())
                queues.push_back(std::move(q));
        }
    }
    for (const auto& q : queues)
        q->Wake();
}

NoMessageError::NoMessageError(const std::string& what) : std::runtime_error(what) {}
NoMessageError::~NoMessageError() = default;

size_t PendingSends()
{
    ThreadQueue* q = ThreadQueue::CurrentIfAny();
    if (!q)
        return 0;
    std::lock_guard<std::mutex> lock(q->m);
    return q->incoming.size();
}

int PumpMessages()
{
    int count = 0;
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
        ++count;
    }
    return count;
}

} // namespace Platform

int GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (!msg || (hwnd && !IsWindow(hwnd)))
        return -1;
    auto q = ThreadQueue::Current();
    for (;;) {
        const std::uint64_t seen = QueueSerial(*q);
        switch (Fetch(*q, msg, hwnd, filterMin, filterMax, true)) {
        case Fetched::Message:
            return 1;
        case Fetched::Quit:
            return 0;
        case Fetched::Nothing:
            WaitForWake(*q, seen);
            break;
        }
    }
}

bool PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT options)
{
    if (!msg)
        return false;
    auto q = ThreadQueue::Current();
    return Fetch(*q, msg, hwnd, filterMin, filterMax, (options & PM_REMOVE) != 0) != Fetched::Nothing;
}

bool WaitMessage()
{
    auto q = ThreadQueue::Current();
    MSG msg;
    for (;;) {
        const std::uint64_t seen = QueueSerial(*q);
        if (Fetch(*q, &msg, nullptr, 0, 0, false) != Fetched::Nothing)
            return true;
        WaitForWake(*q, seen);
    }
}

bool TranslateMessage(const MSG* msg)
{
    if (!msg || msg->message != WM_KEYDOWN || !msg->character)
        return false;
    return PostMessage(msg->hwnd, WM_CHAR, msg->character, msg->lParam);
}

LRESULT DispatchMessage(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        if (msg->hwnd && !IsWindow(msg->hwnd))
            return 0;
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, static_cast<UINT>(msg->wParam), msg->time);
        return 0;
    }
    WindowPtr w = FindLive(msg->hwnd);
    if (!w || w->queue->thread != std::this_thread::get_id())
        return 0;
    if (msg->message != WM_PAINT)
        return CallProc(w, msg->message, msg->wParam, msg->lParam);
    BeginPaintDispatch(msg->hwnd);
    const LRESULT result = CallProc(w, WM_PAINT, msg->wParam, msg->lParam);
    FinishPaintDispatch(msg->hwnd);
    return result;
}

void PostQuitMessage(int exitCode)
{
    auto q = ThreadQueue::Current();
    std::lock_guard<std::mutex> lock(q->m);
    q->quitPosted = true;
    q->quitCode = exitCode;
    q->WakeLocked();
}

bool InSendMessage()
{
    ThreadQueue* q = ThreadQueue::CurrentIfAny();
    return q && q->handlingSend > 0;
}
