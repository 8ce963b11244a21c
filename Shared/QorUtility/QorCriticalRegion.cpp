// QorCriticalRegion.cpp: the recursive per-thread lock over a platform critical section, taken once
// per outermost Enter.
#include "QorCriticalRegion.h"

#include "QorPlatform.h"

// The owner and count fields are read by threads that do not hold the lock; relaxed atomic access
// makes those reads well defined without changing the fields' layout.
static DWORD LoadOwner(const DWORD *owner) { return __atomic_load_n(owner, __ATOMIC_RELAXED); }
static void StoreOwner(DWORD *owner, DWORD thread) { __atomic_store_n(owner, thread, __ATOMIC_RELAXED); }

CQorCriticalRegion::CQorCriticalRegion(unsigned long)
    : m_lRecurseCount(0), m_dwOwnerThread(0), m_criticalSection(), m_lExceptionCause(0), m_lFlag(1)
{
    InitializeCriticalSection(&m_criticalSection);
}

CQorCriticalRegion::~CQorCriticalRegion() { DeleteCriticalSection(&m_criticalSection); }

unsigned long CQorCriticalRegion::Enter(unsigned long)
{
    const DWORD self = GetCurrentThreadId();
    if (LoadOwner(&m_dwOwnerThread) == self) {
        __atomic_add_fetch(&m_lRecurseCount, 1, __ATOMIC_RELAXED);
        return 0;
    }
    EnterCriticalSection(&m_criticalSection);
    StoreOwner(&m_dwOwnerThread, self);
    __atomic_store_n(&m_lRecurseCount, 1, __ATOMIC_RELAXED);
    return 0;
}

bool CQorCriticalRegion::Leave()
{
    if (LoadOwner(&m_dwOwnerThread) != GetCurrentThreadId())
        return false;
    if (__atomic_sub_fetch(&m_lRecurseCount, 1, __ATOMIC_RELAXED) == 0) {
        // Cleared before the release, so no thread can see itself as owner of a free region.
        StoreOwner(&m_dwOwnerThread, 0);
        LeaveCriticalSection(&m_criticalSection);
    }
    return true;
}

long CQorCriticalRegion::RecurseCount() const { return __atomic_load_n(&m_lRecurseCount, __ATOMIC_RELAXED); }
