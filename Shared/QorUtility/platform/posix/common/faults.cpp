// faults.cpp: fault injection for tests: "the n-th call of this platform function fails with this error".
// Every emulated call that can fail on Windows asks FaultFires first; with nothing armed that costs
// one atomic load.
#include "QorPlatform.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct ArmedFault {
    std::string function;
    unsigned callsLeft; // the call that brings this to 0 fails
    DWORD error;
};

struct FaultTable {
    std::mutex mutex;
    std::vector<ArmedFault> faults;
    std::atomic<bool> anyArmed{false};
};

// Built on first use, so that static initialisers of other files may already call the platform.
FaultTable &Table()
{
    static FaultTable table;
    return table;
}

std::vector<ArmedFault>::iterator Find(std::vector<ArmedFault> &faults, const char *function)
{
    auto it = faults.begin();
    while (it != faults.end() && it->function != function)
        ++it;
    return it;
}

} // namespace

namespace qor::platform {

bool FaultFires(const char *function)
{
    FaultTable &table = Table();
    if (!table.anyArmed.load(std::memory_order_acquire))
        return false;
    std::lock_guard<std::mutex> lock(table.mutex);
    auto fault = Find(table.faults, function);
    if (fault == table.faults.end() || --fault->callsLeft > 0)
        return false;
    SetLastError(fault->error);
    table.faults.erase(fault);
    table.anyArmed.store(!table.faults.empty(), std::memory_order_release);
    return true;
}

} // namespace qor::platform

void QorInjectFault(const char *function, unsigned nth, DWORD error)
{
    if (function == nullptr)
        return;
    FaultTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto fault = Find(table.faults, function);
    if (fault != table.faults.end())
        table.faults.erase(fault);
    if (nth > 0)
        table.faults.push_back(ArmedFault{function, nth, error});
    table.anyArmed.store(!table.faults.empty(), std::memory_order_release);
}

void QorClearFaults(void)
{
    FaultTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    table.faults.clear();
    table.anyArmed.store(false, std::memory_order_release);
}

BOOL QorFaultArmed(const char *function)
{
    if (function == nullptr)
        return FALSE;
    FaultTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    return Find(table.faults, function) != table.faults.end();
}
