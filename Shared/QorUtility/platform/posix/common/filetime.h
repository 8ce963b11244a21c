// filetime.h: the FILETIME count (100-nanosecond ticks since 1601-01-01 UTC) and the POSIX clock.
// Internal to the POSIX platform layer.
#pragma once

#include "QorPlatform.h"

#include <cstdint>

namespace qor::platform {

constexpr int64_t kFileTimeTicksPerSecond = 10000000;
// Seconds from 1601-01-01 (the FILETIME epoch) to 1970-01-01 (the POSIX epoch).
constexpr int64_t kSecondsFrom1601To1970 = 11644473600LL;

// The tick count of a POSIX time (seconds since 1970 and nanoseconds); sub-tick nanoseconds are dropped.
constexpr int64_t FileTimeTicksFromUnix(int64_t seconds, uint32_t nanoseconds)
{
    return (seconds + kSecondsFrom1601To1970) * kFileTimeTicksPerSecond + nanoseconds / 100;
}

// Now, from the system's real-time clock.
int64_t FileTimeTicksNow();

constexpr FILETIME FileTimeFromTicks(int64_t ticks)
{
    return FILETIME{static_cast<DWORD>(static_cast<uint64_t>(ticks) & 0xFFFFFFFFu),
                    static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32)};
}

constexpr uint64_t TicksOfFileTime(const FILETIME &time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

} // namespace qor::platform
