// handles.h: the one table of the process's handles, for every kind of object a HANDLE stands for
// (files, mutexes). Internal to the POSIX platform layer.
#pragma once

#include "QorPlatform.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sys/single_threaded.h>

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
// Constant-initialised, so that it is valid before any static initialiser runs.
extern std::atomic<uint64_t> s_handleTableVersion;
inline uint64_t HandleTableVersion() { return s_handleTableVersion.load(std::memory_order_acquire); }

// The object of a handle for the length of one call. It pins the object with a reference while
// other threads could close the handle meanwhile; in a single-threaded process the table's own
// reference suffices, since only the calling thread could close it.
template <typename T> class HandleUse {
public:
    HandleUse() = default;
    HandleUse(std::nullptr_t) {}
    explicit HandleUse(T *unpinned) : m_object(unpinned) {}
    explicit HandleUse(std::shared_ptr<T> pinned) : m_object(pinned.get()), m_pin(std::move(pinned)) {}

    T *operator->() const { return m_object; }
    T &operator*() const { return *m_object; }
    bool operator==(std::nullptr_t) const { return m_object == nullptr; }
    bool operator!=(std::nullptr_t) const { return m_object != nullptr; }

private:
    T *m_object = nullptr;
    std::shared_ptr<T> m_pin;
};

// The object of `handle` when it is of kind T; else null with ERROR_INVALID_HANDLE. The last answer
// per kind is kept while the table does not change, so the calls of a log line on one handle take
// neither the table's lock nor a cast. A single-threaded process keeps it in plain memory and takes
// no reference, which costs an atomic operation per call; with threads each thread keeps it, holding
// the object weakly, so a close is never delayed.
template <typename T> HandleUse<T> FindHandleOf(HANDLE handle)
{
    const uint64_t version = HandleTableVersion();
    if (__libc_single_threaded) {
        // Written only while no other thread exists; the version shows whether the table still owns it.
        static struct {
            HANDLE handle = nullptr;
            uint64_t version = 0;
            T *object = nullptr;
        } s_last;
        if (handle != nullptr && s_last.handle == handle && s_last.version == version)
            return HandleUse<T>(s_last.object);
        std::shared_ptr<T> object = std::dynamic_pointer_cast<T>(FindHandle(handle));
        if (object == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return {};
        }
        s_last = {handle, version, object.get()};
        return HandleUse<T>(object.get());
    }
    thread_local struct {
        HANDLE handle = nullptr;
        uint64_t version = 0;
        std::weak_ptr<T> object;
    } last;
    if (handle != nullptr && last.handle == handle && last.version == version)
        if (std::shared_ptr<T> object = last.object.lock())
            return HandleUse<T>(std::move(object));
    std::shared_ptr<T> object = std::dynamic_pointer_cast<T>(FindHandle(handle));
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return {};
    }
    last.handle = handle;
    last.version = version;
    last.object = object;
    return HandleUse<T>(std::move(object));
}

// Takes `handle` out of the table; false with ERROR_INVALID_HANDLE when it is not in it.
bool RemoveHandle(HANDLE handle);

} // namespace qor::platform
