// varianttime.cpp: SystemTimeToVariantTime and VariantTimeToSystemTime, between broken-down time and
// automation dates (days since 30 December 1899; before it the fraction still counts forward from
// midnight, so -1.25 is 29 December 1899, 06:00), with the documented range 1 January 100 to
// 31 December 9999 and resolution of one second.
#include "time/calendar.h"

#include "QorPlatform.h"

#include <cmath>

using namespace qor::platform;

namespace {

constexpr double kFirstDate = -657434.0;     // 1 January 100
constexpr double kPastLastDate = 2958466.0;  // 1 January 10000
constexpr int kSecondsPerDay = 86400;

// Two-digit years are taken as automation takes them: 0..49 are 2000..2049, 50..99 are 1950..1999.
int FullYear(int year) { return year >= 100 ? year : year + (year < 50 ? 2000 : 1900); }

} // namespace

// Only the day carries into the next or previous month (day 0 is the last of the month before, and
// 30 February the first of March), as documented; a month or a time field out of range fails, so a
// caller that hands in -1 as an unsigned field learns it.
INT WINAPI SystemTimeToVariantTime(LPSYSTEMTIME lpSystemTime, DOUBLE *pvtime)
{
    if (lpSystemTime == nullptr || pvtime == nullptr)
        return FALSE;
    const SYSTEMTIME &time = *lpSystemTime;
    if (time.wMonth < 1 || time.wMonth > 12 || time.wDay > 31 || time.wHour > 23 || time.wMinute > 59 ||
        time.wSecond > 59)
        return FALSE;
    int year = FullYear(time.wYear);
    if (year > 9999)
        return FALSE;
    int64_t days = DaysFromCivil(year, time.wMonth, time.wDay) + kDaysFrom1899To1970;
    if (days < kFirstDate)
        return FALSE;
    double fraction = (time.wHour * 3600 + time.wMinute * 60 + time.wSecond) / double(kSecondsPerDay);
    *pvtime = days >= 0 ? days + fraction : days - fraction;
    return TRUE;
}

// Rounds to the nearest second; a time that rounds up to midnight is midnight of the next day.
INT WINAPI VariantTimeToSystemTime(DOUBLE vtime, LPSYSTEMTIME lpSystemTime)
{
    if (lpSystemTime == nullptr || !(vtime > kFirstDate - 1 && vtime < kPastLastDate))
        return FALSE;
    double whole = std::trunc(vtime);
    int64_t seconds = std::llround(std::fabs(vtime - whole) * kSecondsPerDay);
    int64_t days = static_cast<int64_t>(whole) - kDaysFrom1899To1970;
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        ++days;
    }
    int64_t year;
    int month, day;
    CivilFromDays(days, year, month, day);
    SYSTEMTIME &time = *lpSystemTime;
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wDayOfWeek = static_cast<WORD>(WeekdayOfDays(days));
    time.wHour = static_cast<WORD>(seconds / 3600);
    time.wMinute = static_cast<WORD>(seconds / 60 % 60);
    time.wSecond = static_cast<WORD>(seconds % 60);
    time.wMilliseconds = 0;
    return TRUE;
}
