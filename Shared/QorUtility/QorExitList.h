// QorExitList.h: the library's own at-exit list. Static objects register their tear-down here when
// they are built; the list runs in reverse order of registration when the library unloads.
#pragma once

#include "QorWinTypes.h"

namespace qor {

class CQorExitList {
public:
    typedef void (*ExitFunction)(void *argument);
    static constexpr LONG Capacity = 64;

    constexpr CQorExitList() : m_entries(), m_lCount(0) {}

    // Adds an entry; false when the list is full. Safe from several threads at once.
    bool Add(ExitFunction function, void *argument);
    // Runs and removes every entry, the last added first. Called once the library no longer runs
    // other threads' calls (at unload).
    void RunAll();
    LONG Count() const;

private:
    struct Entry {
        ExitFunction function;
        void *argument;
    };
    Entry m_entries[Capacity];
    LONG m_lCount;
};

// The list that runs when this library unloads.
CQorExitList &LibraryExitList();

} // namespace qor
