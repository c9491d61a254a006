#include "CEventsQueue.h"

#include "CYolClock.h"

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>

namespace Services {

namespace {

std::atomic<int> liveThreads{0};

void ReportOnStandardError(const CYolString& name, uint64_t waitedMs) {
    std::fprintf(stderr, "Yol: stopping the events queue \"%s\" has waited %llu ms for its running handler\n",
                 name.ToUtf8().c_str(), static_cast<unsigned long long>(waitedMs));
}

std::atomic<CEventsQueue::StallReporter> stallReporter{&ReportOnStandardError};

// Wakes a stopping queue's wait whenever the program's clock jumps: a manual
// clock moves in steps, and the timed wait alone would not see them.
class ClockWatch final : public MYolClockObserver {
public:
    ClockWatch(std::mutex& lock, std::condition_variable& signal) : lock(lock), signal(signal) {
        CYolClock::AddObserver(this);
    }
    ~ClockWatch() { CYolClock::RemoveObserver(this); }
    ClockWatch(const ClockWatch&) = delete;
    ClockWatch& operator=(const ClockWatch&) = delete;

    void OnClockChanged() override {
        // Under the lock, so that the waiter cannot miss it between reading
        // the clock and going to sleep.
        std::lock_guard<std::mutex> guard(lock);
        signal.notify_all();
    }

private:
    std::mutex& lock;
    std::condition_variable& signal;
};

// Linux keeps 15 bytes of a thread's name; cut on a character boundary.
std::string ThreadName(const CYolString& name) {
    std::string text = name.ToUtf8();
    size_t end = text.size() > 15 ? 15 : text.size();
    while (end > 0 && end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

} // namespace

// A synchronous sender sleeps on a waiter of its own, kept on its stack, so
// that completing the send needs nothing of the queue.
struct CEventsQueue::Waiter {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    int result = 0;
};

// Hands the result to a waiting sender. Touches nothing of the queue, which
// may be gone already.
void CEventsQueue::Complete(const Event& e, int result) {
    Waiter* waiter = e.waiter;
    if (waiter == nullptr)
        return;
    // Notified under the waiter's lock: the waiter lives on the sender's
    // stack and goes as soon as the sender sees `finished`.
    std::lock_guard<std::mutex> guard(waiter->lock);
    waiter->result = result;
    waiter->finished = true;
    waiter->done.notify_one();
}

std::shared_ptr<CEventsQueue> CEventsQueue::Create(const CYolString& name) {
    return std::shared_ptr<CEventsQueue>(new CEventsQueue(name));
}

CEventsQueue::CEventsQueue(const CYolString& name) : name(name) {
    ++liveThreads;
    try {
        thread = std::thread([this] {
            Run();
            // The queue may be gone by now: touch nothing of it.
            --liveThreads;
        });
    } catch (...) {
        --liveThreads;
        throw;
    }
    threadId = thread.get_id();
}

CEventsQueue::~CEventsQueue() {
    Stop();
    std::lock_guard<std::mutex> guard(joinLock);
    // Still joinable only when the last reference went on the queue's own
    // thread, which ends as soon as its loop returns.
    if (thread.joinable())
        thread.detach();
}

int CEventsQueue::LiveThreads() {
    return liveThreads.load();
}

CEventsQueue::StallReporter CEventsQueue::SetStallReporter(StallReporter reporter) {
    return stallReporter.exchange(reporter != nullptr ? reporter : &ReportOnStandardError);
}

void CEventsQueue::Resume() {
    // Notified under the lock: once the thread runs, a handler may drop the
    // last reference to the queue before this call would get to notify.
    std::lock_guard<std::mutex> guard(lock);
    resumed = true;
    wake.notify_one();
}

bool CEventsQueue::IsStopping() const {
    std::lock_guard<std::mutex> guard(lock);
    return stopping;
}

size_t CEventsQueue::Pending() const {
    std::lock_guard<std::mutex> guard(lock);
    return queue.size();
}

void CEventsQueue::GiveBack(CEventArg* arg, CEventArg* extra) {
    if (arg != nullptr)
        arg->Release();
    if (extra != nullptr)
        extra->Release();
}

int CEventsQueue::Deliver(const Event& e) {
    if (e.client == nullptr)
        return 0;
    try {
        return e.client->OnEvent(e.channel, e.event, e.arg, e.extra);
    } catch (...) {
        return -1;
    }
}

int CEventsQueue::PostEvent(CEventsClient* client, const YOL_GUID& channel, int event, CEventArg* arg,
                            CEventArg* extra) {
    int result = 0;
    try {
        std::unique_lock<std::mutex> guard(lock);
        if (!stopping) {
            queue.push_back(Event{client, channel, event, arg, extra, nullptr});
            guard.unlock();
            wake.notify_one();
            return 1;
        }
    } catch (...) {
        result = -1;
    }
    GiveBack(arg, extra);
    return result;
}

int CEventsQueue::SendEventSync(CEventsClient* client, const YOL_GUID& channel, int event, CEventArg* arg,
                                CEventArg* extra) {
    Waiter waiter;
    Event e{client, channel, event, arg, extra, &waiter};
    if (IsCurrent()) {
        int result = Deliver(e);
        GiveBack(arg, extra);
        return result;
    }

    bool queued = false;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (!stopping) {
            try {
                queue.push_back(e);
                queued = true;
            } catch (...) {
            }
        }
    }
    if (!queued) {
        GiveBack(arg, extra);
        return 0;
    }
    wake.notify_one();
    std::unique_lock<std::mutex> guard(waiter.lock);
    waiter.done.wait(guard, [&] { return waiter.finished; });
    return waiter.result;
}

void CEventsQueue::Stop() {
    if (IsCurrent()) {
        BeginStop();
        return;
    }
    // Watched and timed from before the stop flag is set, so that a clock
    // that moves once the queue reports stopping is always seen.
    ClockWatch watch(lock, endedOrTick);
    const uint64_t since = CYolClock::Current().TickCount64();
    BeginStop();
    std::lock_guard<std::mutex> guard(joinLock);
    AwaitThreadEnd(since);
    if (thread.joinable())
        thread.join();
}

void CEventsQueue::BeginStop() {
    std::deque<Event> dropped;
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
        dropped.swap(queue);
    }
    wake.notify_all();

    // Arguments may run heavy destructors (a plug-in's library, say), so the
    // lock is not held while they go.
    for (const Event& e : dropped) {
        GiveBack(e.arg, e.extra);
        Complete(e, 0);
    }
}

void CEventsQueue::AwaitThreadEnd(uint64_t since) {
    std::unique_lock<std::mutex> guard(lock);
    bool reported = false;
    while (!ended) {
        if (reported) {
            endedOrTick.wait(guard);
            continue;
        }
        const uint64_t now = CYolClock::Current().TickCount64();
        if (now < since)
            since = now;  // another clock was installed meanwhile
        const uint64_t waited = now - since;
        if (waited > kStallReportMs) {
            reported = true;
            guard.unlock();
            stallReporter.load()(name, waited);
            guard.lock();
            continue;
        }
        // The system clock moves without notice; this timed wait covers it.
        endedOrTick.wait_for(guard, std::chrono::milliseconds(kStallReportMs - waited + 1));
    }
}

void CEventsQueue::MarkEnded() {
    ended = true;
    endedOrTick.notify_all();
}

void CEventsQueue::NameThread() const {
    std::string text = ThreadName(name);
    pthread_setname_np(pthread_self(), text.c_str());
}

void CEventsQueue::Run() {
    {
        std::unique_lock<std::mutex> guard(lock);
        wake.wait(guard, [this] { return resumed || stopping; });
        if (stopping) {
            MarkEnded();
            return;
        }
    }
    NameThread();
    std::weak_ptr<CEventsQueue> weak = weak_from_this();

    for (;;) {
        Event e;
        {
            std::unique_lock<std::mutex> guard(lock);
            wake.wait(guard, [this] { return stopping || !queue.empty(); });
            if (stopping) {
                MarkEnded();
                return;
            }
            e = queue.front();
            queue.pop_front();
        }

        // The handler may drop the last outside reference to this queue (by
        // unregistering its own client); this one keeps it alive until the
        // handler is done.
        std::shared_ptr<CEventsQueue> self = weak.lock();

        int result = Deliver(e);
        GiveBack(e.arg, e.extra);
        // Let go of the queue before completing: a waiting sender holds its
        // own reference, so the queue is destroyed here only when the
        // handler dropped the last one, and a sender that lets go after its
        // send returned destroys (and joins) the queue on its own thread.
        bool gone = false;
        if (self) {
            self.reset();
            gone = weak.expired();
        }
        Complete(e, result);
        if (gone)
            return;
    }
}

} // namespace Services
