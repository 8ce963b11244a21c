// time.cpp: the Windows runtime's _strdate, _strtime and _tzset: the local date and time as fixed
// eight-character texts, after the time zone rule of $TZ (or the system's) is read again. The shared
// log asks for all three on every line, so each is made cheap: a changed $TZ is taken at once, the
// system's zone file looked at no more than once a second, and the local time worked out once a
// second per thread.
#include "QorPlatform.h"

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

// Counts the rereadings of the zone rules, so that a thread's cached local time follows them.
std::atomic<unsigned> s_zoneGeneration{0};

struct LocalNow {
    std::time_t second = -1;
    unsigned zoneGeneration = 0;
    std::tm local{};
};

const std::tm &Local()
{
    thread_local LocalNow cache;
    const std::time_t now = std::time(nullptr);
    const unsigned generation = s_zoneGeneration.load(std::memory_order_acquire);
    if (now != cache.second || generation != cache.zoneGeneration) {
        localtime_r(&now, &cache.local);
        cache.second = now;
        cache.zoneGeneration = generation;
    }
    return cache.local;
}

// Three two-digit numbers joined by `separator`: both forms are exactly 8 characters and a terminator.
char *ThreeFields(char *buffer, int first, int second, int third, char separator)
{
    const int fields[3] = {first, second, third};
    for (int i = 0; i < 3; ++i) {
        buffer[i * 3] = static_cast<char>('0' + fields[i] / 10 % 10);
        buffer[i * 3 + 1] = static_cast<char>('0' + fields[i] % 10);
        buffer[i * 3 + 2] = separator;
    }
    buffer[8] = '\0';
    return buffer;
}

} // namespace

char *_strdate(char *datestr)
{
    const std::tm &local = Local();
    return ThreeFields(datestr, local.tm_mon + 1, local.tm_mday, local.tm_year % 100, '/');
}

char *_strtime(char *timestr)
{
    const std::tm &local = Local();
    return ThreeFields(timestr, local.tm_hour, local.tm_min, local.tm_sec, ':');
}

void _tzset(void)
{
    thread_local std::string lastZone;
    thread_local bool hadZone = false;
    thread_local std::time_t lastReread = -1;
    const char *zone = std::getenv("TZ");
    const std::time_t now = std::time(nullptr);
    const bool sameZone = (zone != nullptr) == hadZone && (zone == nullptr || lastZone == zone);
    if (sameZone && now == lastReread)
        return;
    tzset();
    hadZone = zone != nullptr;
    lastZone = zone != nullptr ? zone : "";
    lastReread = now;
    s_zoneGeneration.fetch_add(1, std::memory_order_acq_rel);
}
