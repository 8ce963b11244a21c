// time.cpp: the Windows runtime's _strdate, _strtime and _tzset: the local date and time as fixed
// eight-character texts, after the time zone rule of $TZ (or the system's) is read again.
#include "QorPlatform.h"

#include <ctime>

namespace {

char *FormatLocalNow(char *buffer, const char *format)
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(buffer, 9, format, &local); // both forms are exactly 8 characters and a terminator
    return buffer;
}

} // namespace

char *_strdate(char *datestr) { return FormatLocalNow(datestr, "%m/%d/%y"); }

char *_strtime(char *timestr) { return FormatLocalNow(timestr, "%H:%M:%S"); }

void _tzset(void) { tzset(); }
