// QorCriticalRegion.h: CQorCriticalRegion, the library's recursive per-thread lock. Callers embed it
// by value, so its fields and their order are part of the interface.
#pragma once

#include "QorWinTypes.h"

class QORUTIL_API CQorCriticalRegion {
public:
    // The argument is accepted for compatibility and not used.
    explicit CQorCriticalRegion(unsigned long unused = 0);
    ~CQorCriticalRegion();

    // A copy would duplicate a live critical section: regions are not copied.
    CQorCriticalRegion(const CQorCriticalRegion &) = delete;
    CQorCriticalRegion &operator=(const CQorCriticalRegion &) = delete;

    // Takes the region, waiting without limit; the owner only counts one more level. The time-out is
    // accepted and not used. Always 0.
    unsigned long Enter(unsigned long timeout = 0);
    // Gives up one level; the region is released when the count reaches 0. False, changing nothing,
    // on a thread that does not own the region.
    bool Leave();

    long RecurseCount() const;
    long ExceptionCause() const { return m_lExceptionCause; }

private:
    // The owner and count are read without the lock: only the owning thread ever writes its own id
    // there, so a thread that reads its own id owns the region.
    LONG m_lRecurseCount;
    DWORD m_dwOwnerThread;
    CRITICAL_SECTION m_criticalSection;
    LONG m_lExceptionCause; // no operation sets it
    [[maybe_unused]] LONG m_lFlag; // 1 from construction on; read by nothing
};
