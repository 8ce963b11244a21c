// handles.h: the one table of the process's handles, for every kind of object a HANDLE stands for
// (files, mutexes). Internal to the POSIX platform layer.
#pragma once

#include "QorPlatform.h"

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

// The object of `handle` when it is of kind T; else null with ERROR_INVALID_HANDLE as the last error.
std::shared_ptr<HandleObject> FindHandle(HANDLE handle);
template <typename T> std::shared_ptr<T> FindHandleOf(HANDLE handle)
{
    std::shared_ptr<T> object = std::dynamic_pointer_cast<T>(FindHandle(handle));
    if (object == nullptr)
        SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

// Takes `handle` out of the table; false with ERROR_INVALID_HANDLE when it is not in it.
bool RemoveHandle(HANDLE handle);

} // namespace qor::platform
