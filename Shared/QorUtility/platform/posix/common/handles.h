// handles.h: the one table of the process's handles, for every kind of object a HANDLE stands for
// (files, mutexes). Internal to the POSIX platform layer.
#pragma once

#include "QorPlatform.h"

#include <cstdint>
#include <memory>

namespace qor::platform {

// An object behind a handle. The object is destroyed (and its system resources freed) when its
// handle is closed and no call still works with it.
class HandleObject {
public:
    virtual ~HandleObject() = default;
};

// Enters `object` into the table and returns its new handle: never null and never INVALID_HANDLE_VALUE.
HANDLE AddHandle(std::shared_ptr<HandleObject> object);

// The object of `handle`, or null.
std::shared_ptr<HandleObject> FindHandle(HANDLE handle);

// Counts the changes of the table: a lookup made at one count stays right while the count holds.
uint64_t HandleTableVersion();

// The object of `handle` when it is of kind T; else null with ERROR_INVALID_HANDLE. Each thread keeps
// its last answer per kind while the table does not change, so the calls of a log line on one handle
// take neither the table's lock nor a cast; it holds the object weakly, so a close is never delayed.
template <typename T> std::shared_ptr<T> FindHandleOf(HANDLE handle)
{
    thread_local struct {
        HANDLE handle = nullptr;
        uint64_t version = 0;
        std::weak_ptr<T> object;
    } last;
    const uint64_t version = HandleTableVersion();
    if (handle != nullptr && last.handle == handle && last.version == version)
        if (std::shared_ptr<T> object = last.object.lock())
            return object;
    std::shared_ptr<T> object = std::dynamic_pointer_cast<T>(FindHandle(handle));
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return object;
    }
    last.handle = handle;
    last.version = version;
    last.object = object;
    return object;
}

// Takes `handle` out of the table; false with ERROR_INVALID_HANDLE when it is not in it.
bool RemoveHandle(HANDLE handle);

} // namespace qor::platform
