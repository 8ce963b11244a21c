// osfhandle.cpp: _get_osfhandle and _close: the C runtime's descriptors as file handles. As in the Windows
// runtime, a descriptor's handle is made once, stays valid while the descriptor is open and is closed
// with it, so that handle calls (SetFileTime above all) work on a file the runtime opened.
#include "common/handles.h"
#include "file/fileinfo.h"

#include <cerrno>
#include <mutex>
#include <unistd.h>
#include <unordered_map>

namespace {

struct RuntimeHandles {
    std::mutex mutex;
    std::unordered_map<int, HANDLE> ofDescriptor;
};

// Never destroyed: a storage closed by a static destructor still finds it.
RuntimeHandles &Handles()
{
    static RuntimeHandles *handles = new RuntimeHandles;
    return *handles;
}

} // namespace

intptr_t _get_osfhandle(int fd)
{
    RuntimeHandles &handles = Handles();
    std::lock_guard<std::mutex> lock(handles.mutex);
    auto found = handles.ofDescriptor.find(fd);
    if (found != handles.ofDescriptor.end())
        return reinterpret_cast<intptr_t>(found->second);
    HANDLE handle = qor::platform::HandleOfRuntimeDescriptor(fd);
    if (handle == nullptr) {
        errno = EBADF;
        return reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
    }
    handles.ofDescriptor.emplace(fd, handle);
    return reinterpret_cast<intptr_t>(handle);
}

int _close(int fd)
{
    RuntimeHandles &handles = Handles();
    {
        std::lock_guard<std::mutex> lock(handles.mutex);
        auto found = handles.ofDescriptor.find(fd);
        if (found != handles.ofDescriptor.end()) {
            qor::platform::RemoveHandle(found->second);
            handles.ofDescriptor.erase(found);
        }
    }
    return close(fd);
}
