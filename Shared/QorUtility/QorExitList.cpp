// QorExitList.cpp: a fixed-size list of tear-down calls, run last-in first-out. It needs no heap and
// no constructor call, so it is usable from the first static initialiser to the last destructor.
#include "QorExitList.h"

#include "QorPlatform.h"

namespace qor {

bool CQorExitList::Add(ExitFunction function, void *argument)
{
    LONG slot = InterlockedIncrement(&m_lCount) - 1;
    if (slot >= Capacity) {
        InterlockedDecrement(&m_lCount);
        return false;
    }
    m_entries[slot] = Entry{function, argument};
    return true;
}

void CQorExitList::RunAll()
{
    for (LONG slot = InterlockedExchange(&m_lCount, 0); slot > 0; --slot)
        m_entries[slot - 1].function(m_entries[slot - 1].argument);
}

LONG CQorExitList::Count() const { return __atomic_load_n(&m_lCount, __ATOMIC_SEQ_CST); }

} // namespace qor
