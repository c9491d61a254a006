#include "CYolThread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <pthread.h>
#include <string>
#include <system_error>

// Shared by the object and its running thread: a thread whose object was
// destroyed from inside it still has its flag and its state.
struct CYolThread::State {
    Function function;
    void* argument;
    std::string name;

    std::atomic<bool> stopRequested{false};
    CYolEvent stopEvent{true};

    std::mutex lock;
    std::condition_variable endedChanged;
    bool started = false;
    bool ended = false;
    unsigned long exitCode = 0;
};

namespace {

// The state of the CYolThread running on this thread, if any.
thread_local const void* t_current = nullptr;

// The kernel keeps 15 bytes of a thread name; cut at a character boundary.
std::string ThreadName(const CYolString& name)
{
    std::string utf8 = name.ToUtf8();
    if (utf8.size() <= 15)
        return utf8;
    size_t cut = 15;
    while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80)
        --cut;
    return utf8.substr(0, cut);
}

} // namespace

CYolThread::CYolThread(const CYolString& name, Function function, void* argument)
    : state(std::make_shared<State>())
{
    state->function = function;
    state->argument = argument;
    state->name = ThreadName(name);
}

CYolThread::~CYolThread()
{
    std::lock_guard<std::mutex> guard(threadLock);
    if (!thread.joinable())
        return;
    if (IsCurrent()) {
        thread.detach();
        return;
    }
    RequestStop();
    thread.join();
}

bool CYolThread::Resume()
{
    std::lock_guard<std::mutex> guard(threadLock);
    {
        std::lock_guard<std::mutex> lock(state->lock);
        if (state->started)
            return true;
        if (state->ended)
            return false;
        state->started = true;
    }
    try {
        thread = std::thread([s = state] {
            t_current = s.get();
            if (!s->name.empty())
                pthread_setname_np(pthread_self(), s->name.c_str());
            const unsigned long code = s->function(s->argument);
            {
                std::lock_guard<std::mutex> lock(s->lock);
                s->exitCode = code;
                s->ended = true;
            }
            s->endedChanged.notify_all();
            t_current = nullptr;
        });
    } catch (const std::system_error&) {
        // Out of threads: this object can never run, so nobody may wait for
        // it as if it might.
        std::lock_guard<std::mutex> lock(state->lock);
        state->ended = true;
        state->exitCode = static_cast<unsigned long>(-1);
        state->endedChanged.notify_all();
        return false;
    }
    return true;
}

void CYolThread::RequestStop()
{
    state->stopRequested.store(true, std::memory_order_release);
    state->stopEvent.Set();
}

bool CYolThread::StopRequested() const
{
    return state->stopRequested.load(std::memory_order_acquire);
}

CYolEvent& CYolThread::StopEvent()
{
    return state->stopEvent;
}

void CYolThread::Terminate(int exitCode)
{
    RequestStop();
    {
        std::lock_guard<std::mutex> lock(state->lock);
        if (!state->started && !state->ended) {
            state->ended = true;
            state->exitCode = static_cast<unsigned long>(exitCode);
            state->endedChanged.notify_all();
            return;
        }
    }
    if (!IsCurrent())
        WaitTermination(CYolEvent::Infinite);
}

bool CYolThread::WaitTermination(unsigned int ms)
{
    if (IsCurrent())
        return false;
    {
        std::unique_lock<std::mutex> lock(state->lock);
        auto ended = [this] { return state->ended; };
        if (ms == CYolEvent::Infinite)
            state->endedChanged.wait(lock, ended);
        else if (!state->endedChanged.wait_for(lock, std::chrono::milliseconds(ms), ended))
            return false;
    }
    Join();
    return true;
}

void CYolThread::Join()
{
    std::lock_guard<std::mutex> guard(threadLock);
    if (thread.joinable())
        thread.join();
}

unsigned long CYolThread::ExitCode() const
{
    std::lock_guard<std::mutex> lock(state->lock);
    return state->ended ? state->exitCode : 0;
}

bool CYolThread::IsCurrent() const
{
    return t_current == state.get();
}

bool CYolThread::CurrentStopRequested()
{
    const auto* current = static_cast<const State*>(t_current);
    return current != nullptr && current->stopRequested.load(std::memory_order_acquire);
}

void CYolThread::Sleep(unsigned int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
