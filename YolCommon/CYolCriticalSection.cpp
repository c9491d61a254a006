#include "CYolCriticalSection.h"

CYolCriticalSection::CYolCriticalSection() = default;
CYolCriticalSection::~CYolCriticalSection() = default;

void CYolCriticalSection::Enter()
{
    mutex.lock();
}

void CYolCriticalSection::Leave()
{
    mutex.unlock();
}

bool CYolCriticalSection::TryEnter()
{
    return mutex.try_lock();
}

long CYolCriticalSection::InterlockedIncrement(long volatile* value)
{
    return __atomic_add_fetch(value, 1L, __ATOMIC_SEQ_CST);
}

long CYolCriticalSection::InterlockedDecrement(long volatile* value)
{
    return __atomic_sub_fetch(value, 1L, __ATOMIC_SEQ_CST);
}

long CYolCriticalSection::InterlockedExchangeAdd(long volatile* value, long add)
{
    return __atomic_fetch_add(value, add, __ATOMIC_SEQ_CST);
}
