#pragma once
// The queue and thread of one events client. Events sent or posted to the
// client wait here and are handled one at a time, in the order they came,
// on the queue's own thread; a synchronous send made from that thread runs
// the handler at once instead.
//
// Every event handed to the queue carries one reference on each of its
// non-null arguments; the queue gives it back once the handler has run, or
// at once when the event is refused or dropped.
//
// Queues are shared: whoever delivers to one holds a reference to it for
// the time of the delivery, so the queue outlives a concurrent unregister.
// Stop is cooperative. It drops what is queued, releases waiting senders
// with result 0 and joins the thread after the running handler (if any)
// has returned. A handler that keeps it waiting for more than a second (on
// the program's clock) is reported with the client's name, as it may be
// waiting for the very thread that stops it. Called from the queue's own thread (a handler that
// unregisters its own client) it does not wait for itself: the thread ends
// once the handler returns, and the last reference to the queue, wherever
// it goes, finishes it.

#include "CEventArg.h"
#include "CEventsClient.h"
#include "CYolString.h"
#include "YOL_GUID.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace Services {

class CEventsQueue : public std::enable_shared_from_this<CEventsQueue> {
public:
    // A queue whose thread exists but handles nothing until Resume. Throws
    // when the thread cannot be created.
    static std::shared_ptr<CEventsQueue> Create(const CYolString& name);
    ~CEventsQueue();

    CEventsQueue(const CEventsQueue&) = delete;
    CEventsQueue& operator=(const CEventsQueue&) = delete;

    void Resume();

    // 1 when queued; 0 when the queue is stopping (the event is dropped);
    // -1 when it could not be queued.
    int PostEvent(CEventsClient* client, const YOL_GUID& channel, int event, CEventArg* arg, CEventArg* extra);
    // The handler's result (-1 when it threw), or 0 when the queue is
    // stopping or stops before the event's turn.
    int SendEventSync(CEventsClient* client, const YOL_GUID& channel, int event, CEventArg* arg, CEventArg* extra);

    void Stop();

    bool IsCurrent() const { return std::this_thread::get_id() == threadId; }
    bool IsStopping() const;
    // Events waiting for their turn (not counting one being handled).
    size_t Pending() const;
    const CYolString& GetName() const { return name; }

    // Queue threads that have not yet finished, process-wide.
    static int LiveThreads();

    // How long Stop waits for a running handler before reporting it.
    static constexpr uint64_t kStallReportMs = 1000;
    // Where that report goes: a line on the standard error unless another
    // reporter is installed (null puts that one back). Answers the previous.
    using StallReporter = void (*)(const CYolString& name, uint64_t waitedMs);
    static StallReporter SetStallReporter(StallReporter reporter);

private:
    struct Waiter;
    // One queued event; it carries the delivery's references on its
    // arguments.
    struct Event {
        CEventsClient* client;
        YOL_GUID channel;
        int event;
        CEventArg* arg;
        CEventArg* extra;
        Waiter* waiter;  // the synchronous sender's, null for a posted event
    };

    explicit CEventsQueue(const CYolString& name);
    void Run();
    // Drops what is queued and tells the thread to end.
    void BeginStop();
    // Waits until the thread's loop has ended, reporting a long wait once.
    void AwaitThreadEnd(uint64_t since);
    void MarkEnded();  // with the lock held
    void NameThread() const;
    static int Deliver(const Event& e);
    static void GiveBack(CEventArg* arg, CEventArg* extra);
    static void Complete(const Event& e, int result);

    CYolString name;
    mutable std::mutex lock;
    std::condition_variable wake;
    std::deque<Event> queue;  // oldest first
    bool resumed = false;
    bool stopping = false;
    bool ended = false;                  // the thread's loop has returned
    std::condition_variable endedOrTick;  // the loop ended, or the clock moved

    std::mutex joinLock;       // one joiner at a time
    std::thread thread;
    std::thread::id threadId;  // fixed once constructed
};

} // namespace Services
