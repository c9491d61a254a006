#pragma once
// Inside the message queues: one ThreadQueue per thread that uses them. Its
// own mutex guards its fields; a thread never holds two queue mutexes at
// once, and never holds a queue mutex while it takes the window lock.

#include "MessageQueue.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Platform {

class ThreadQueue;

// A message sent from another thread, waiting for the receiving thread.
struct SentMessage {
    HWND hwnd = nullptr;
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    // Guarded by the sender's queue mutex.
    LRESULT result = 0;
    bool done = false;
    std::shared_ptr<ThreadQueue> sender;
};

struct TimerEntry {
    HWND hwnd = nullptr;
    std::uintptr_t id = 0;
    std::uint32_t elapse = 0;
    TIMERPROC proc = nullptr;
    std::uint64_t due = 0;
};

class ThreadQueue {
public:
    explicit ThreadQueue(std::thread::id thread);

    // The calling thread's queue, made on first use.
    static std::shared_ptr<ThreadQueue> Current();
    // Null when the calling thread has none yet.
    static ThreadQueue* CurrentIfAny();
    // The queue of the thread that owns `hwnd`; for no window, the calling
    // thread's. Null when the window is gone.
    static std::shared_ptr<ThreadQueue> Of(HWND hwnd);

    // Any thread: something arrived; a waiting owner re-checks.
    void Wake();
    void WakeLocked(); // mutex held

    const std::thread::id thread;
    std::mutex m;
    std::condition_variable cv;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> incoming;
    std::vector<TimerEntry> timers;
    std::uintptr_t nextThreadTimer = 0x8000;
    bool quitPosted = false;
    int quitCode = 0;
    // Counts wake-ups, so a waiter notices one that came before it slept.
    std::uint64_t serial = 0;
    // The thread ended: nothing more is handled here.
    bool dead = false;

    // Owning thread only.
    int handlingSend = 0;
};

// Completes a send with its answer and wakes the sender.
void CompleteSend(const std::shared_ptr<SentMessage>& sent, LRESULT result);
// Handles every message sent to this thread so far; answers whether any.
bool ProcessIncomingSends(ThreadQueue& queue);
// Drops queued messages, pending sends and timers of destroyed windows.
void PurgeWindows(ThreadQueue& queue, const std::vector<HWND>& destroyed);
// Wakes every thread's queue (clock moved, input arrived).
void WakeAllQueues();

// Counts the queue's wake-ups so far.
std::uint64_t QueueSerial(ThreadQueue& queue);
// Waits until the queue is woken after `seen` or the thread's next timer or
// tap-and-hold comes due; in a back-end with an idle limit, a wait that
// nothing can end throws NoMessageError.
void WaitForWake(ThreadQueue& queue, std::uint64_t seen);

// Timers (Timers.cpp); queue mutex held.
bool TakeDueTimer(ThreadQueue& queue, std::uint64_t now, HWND filter, MSG* msg, bool remove);
bool NextTimerDue(const ThreadQueue& queue, std::uint64_t* due);

} // namespace Platform
