// filetime.cpp: the FILETIME count of now.
#include "common/filetime.h"

#include <ctime>

namespace qor::platform {

int64_t FileTimeTicksNow()
{
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return FileTimeTicksFromUnix(now.tv_sec, static_cast<uint32_t>(now.tv_nsec));
}

} // namespace qor::platform
