// descriptor.cpp: the byte-range lock shared by share modes, named mutexes and INI writers.
#include "common/descriptor.h"

namespace qor::platform {

int LockBytes(int fd, int command, short type, off_t start, off_t length, short *holder)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    // l_pid stays 0, as open-file-description locks require.
    int result = RetryAfterSignal([&] { return fcntl(fd, command, &lock); });
    if (holder != nullptr)
        *holder = lock.l_type;
    return result;
}

} // namespace qor::platform
