#pragma once
// A lock that its owner may take again (recursive), and the interlocked
// counter operations the reference counts use.

#include "YolTypes.h"

#include <mutex>

class YOL_API CYolCriticalSection {
public:
    CYolCriticalSection();
    ~CYolCriticalSection();
    CYolCriticalSection(const CYolCriticalSection&) = delete;
    CYolCriticalSection& operator=(const CYolCriticalSection&) = delete;

    void Enter();
    void Leave();
    // Takes the lock when it is free or already ours; never blocks.
    bool TryEnter();

    // Atomic, full barrier. Increment and Decrement answer the new value,
    // ExchangeAdd the value before the addition.
    static long InterlockedIncrement(long volatile* value);
    static long InterlockedDecrement(long volatile* value);
    static long InterlockedExchangeAdd(long volatile* value, long add);

    // Holds the lock for a scope, so that an early return or an exception
    // cannot leave it taken.
    class Guard {
    public:
        explicit Guard(CYolCriticalSection& section) : section(section) { section.Enter(); }
        ~Guard() { section.Leave(); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        CYolCriticalSection& section;
    };

private:
    std::recursive_mutex mutex;
};
