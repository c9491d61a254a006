#include "CYolEvent.h"

#include <chrono>

CYolEvent::CYolEvent(bool manualReset) : manualReset(manualReset)
{
}

CYolEvent::~CYolEvent() = default;

void CYolEvent::Set()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (manualReset) {
        signalled = true;
        wake.notify_all();
    } else if (waiting > released) {
        ++released;
        wake.notify_one();
    } else {
        signalled = true;
    }
}

void CYolEvent::Reset()
{
    std::lock_guard<std::mutex> lock(mutex);
    signalled = false;
}

// A blocked waiter takes a release meant for the waiters first, then the
// signalled state.
bool CYolEvent::TakeLocked()
{
    if (released > 0) {
        --released;
        return true;
    }
    if (signalled) {
        if (!manualReset)
            signalled = false;
        return true;
    }
    return false;
}

void CYolEvent::Wait()
{
    std::unique_lock<std::mutex> lock(mutex);
    if (signalled) {
        signalled = manualReset;
        return;
    }
    ++waiting;
    wake.wait(lock, [this] { return TakeLocked(); });
    --waiting;
}

bool CYolEvent::Wait(unsigned int ms)
{
    if (ms == Infinite) {
        Wait();
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::unique_lock<std::mutex> lock(mutex);
    if (signalled) {
        signalled = manualReset;
        return true;
    }
    if (ms == 0)
        return false;
    ++waiting;
    const bool taken = wake.wait_until(lock, deadline, [this] { return TakeLocked(); });
    --waiting;
    return taken;
}

unsigned long CYolEvent::Waiters()
{
    std::lock_guard<std::mutex> lock(mutex);
    return waiting;
}
