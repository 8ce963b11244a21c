// descriptor.h: the POSIX layer's small helpers around file descriptors: an owning descriptor, a
// retry of calls that a signal interrupts, and a lock on a range of bytes of an open file description.
// Internal to the POSIX platform layer.
#pragma once

#include "QorScopedHandle.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace qor::platform {

struct DescriptorTraits {
    using Handle = int;
    static Handle Invalid() { return -1; }
    static bool IsInvalid(Handle fd) { return fd < 0; }
    static bool Close(Handle fd) { return close(fd) == 0; }
};

// Closing the descriptor also gives up every lock of its open file description.
using ScopedDescriptor = ScopedHandle<DescriptorTraits>;

// Calls `call` again for as long as it fails with EINTR; answers its last result.
template <typename Call> auto RetryAfterSignal(Call call) -> decltype(call())
{
    decltype(call()) result;
    do
        result = call();
    while (result < 0 && errno == EINTR);
    return result;
}

// An open-file-description lock (F_OFD_SETLK, F_OFD_SETLKW, F_OFD_GETLK) of `type` on `length` bytes
// from `start`. Such locks belong to the description, not the process, so two opens in one process
// exclude each other as two processes do, and they vanish when the last descriptor of it closes.
// Answers fcntl's result; for F_OFD_GETLK, `*holder` (when given) receives the conflicting lock's type.
int LockBytes(int fd, int command, short type, off_t start, off_t length = 1, short *holder = nullptr);

} // namespace qor::platform
