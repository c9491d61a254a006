#pragma once
// A thread that is created suspended: its function runs only after Resume,
// so the owner can finish setting up first. A thread never resumed never
// runs its function.
//
// Threads are never killed. Stopping is cooperative: RequestStop raises a
// flag (StopRequested, or CurrentStopRequested from inside the thread) and
// sets the manual-reset StopEvent; the thread function must look at one of
// them and return. An owner whose thread sleeps on an event of its own must
// also set that event after RequestStop.

#include "CYolEvent.h"
#include "CYolString.h"
#include "YolTypes.h"

#include <memory>
#include <mutex>
#include <thread>

class YOL_API CYolThread {
public:
    typedef unsigned long (*Function)(void* argument);

    // `name` names the thread for debuggers and ps (its first 15 bytes of
    // UTF-8).
    CYolThread(const CYolString& name, Function function, void* argument);
    // A running thread is asked to stop and joined. Destroyed from its own
    // thread, the object lets the thread run on, detached.
    ~CYolThread();
    CYolThread(const CYolThread&) = delete;
    CYolThread& operator=(const CYolThread&) = delete;

    // Starts the thread; later calls do nothing. False when the thread could
    // not be created or was terminated before it ever started.
    bool Resume();

    void RequestStop();
    bool StopRequested() const;
    // Manual-reset: once stop is requested it stays set.
    CYolEvent& StopEvent();

    // Requests stop and waits until the thread function has returned; the
    // function's own return value stays its exit code. A thread that never
    // started will now never start, and ends with `exitCode`. Called from the
    // thread itself, it only requests stop.
    void Terminate(int exitCode);

    // True when the thread has ended within `ms` milliseconds
    // (CYolEvent::Infinite waits for ever). False at once when called from
    // the thread itself, which cannot end while it waits.
    bool WaitTermination(unsigned int ms);

    // The function's return value once the thread has ended, else 0.
    unsigned long ExitCode() const;

    // True on the thread this object runs.
    bool IsCurrent() const;

    // Whether the CYolThread running the caller was asked to stop; false on
    // any other thread.
    static bool CurrentStopRequested();
    static void Sleep(unsigned int ms);

private:
    struct State;
    void Join();

    std::shared_ptr<State> state;
    std::mutex threadLock; // guards starting, joining and detaching `thread`
    std::thread thread;
};
