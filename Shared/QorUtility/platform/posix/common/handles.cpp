// handles.cpp: the process's handle table. Handle values are multiples of 4 counted up from 4, as
// Windows hands them out, and are not reused while the process lives, so a stale handle never reaches
// another object.
#include "common/handles.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>

namespace {

struct HandleTable {
    std::mutex mutex;
    std::map<uintptr_t, std::shared_ptr<qor::platform::HandleObject>> objects;
    uintptr_t lastValue = 0;
};

// Built on first use, so that static initialisers of other files may already open handles.
HandleTable &Table()
{
    static HandleTable *const table = new HandleTable; // never destroyed: handles outlive static destructors
    return *table;
}

uintptr_t ValueOf(HANDLE handle) { return reinterpret_cast<uintptr_t>(handle); }

} // namespace

namespace qor::platform {

std::atomic<uint64_t> s_handleTableVersion{1}; // changed under the table's mutex, read without it

HANDLE AddHandle(std::shared_ptr<HandleObject> object)
{
    HandleTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    table.lastValue += 4;
    table.objects.emplace(table.lastValue, std::move(object));
    s_handleTableVersion.fetch_add(1, std::memory_order_release);
    return reinterpret_cast<HANDLE>(table.lastValue);
}

std::shared_ptr<HandleObject> FindHandle(HANDLE handle)
{
    HandleTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.objects.find(ValueOf(handle));
    return found == table.objects.end() ? nullptr : found->second;
}

bool RemoveHandle(HANDLE handle)
{
    std::shared_ptr<HandleObject> removed; // destroyed after the table's lock is given up
    HandleTable &table = Table();
    {
        std::lock_guard<std::mutex> lock(table.mutex);
        auto found = table.objects.find(ValueOf(handle));
        if (found == table.objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        removed = std::move(found->second);
        table.objects.erase(found);
        s_handleTableVersion.fetch_add(1, std::memory_order_release);
    }
    return true;
}

} // namespace qor::platform

BOOL WINAPI CloseHandle(HANDLE hObject)
{
    if (qor::platform::FaultFires("CloseHandle"))
        return FALSE;
    return qor::platform::RemoveHandle(hObject) ? TRUE : FALSE;
}

size_t QorOpenHandleCount(void)
{
    HandleTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    return table.objects.size();
}
