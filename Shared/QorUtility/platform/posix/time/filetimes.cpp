// filetimes.cpp: GetSystemTime and the FILETIME conversions: broken-down time of the Gregorian
// calendar from 1601 to the largest tick count, validated field by field as Win32 documents, and
// local file times by the zone's offset of now (not of the converted moment, as Windows does too).
#include "time/calendar.h"

#include "common/filetime.h"

#include <ctime>

using namespace qor::platform;

namespace {

constexpr int64_t kTicksPerMillisecond = 10000;
constexpr int64_t kMillisecondsPerDay = 86400000;
constexpr uint64_t kLargestTicks = 0x7FFFFFFFFFFFFFFFull;

void SystemTimeFromTicks(uint64_t ticks, SYSTEMTIME &time)
{
    int64_t milliseconds = static_cast<int64_t>(ticks / kTicksPerMillisecond);
    int64_t days = milliseconds / kMillisecondsPerDay - kDaysFrom1601To1970;
    int64_t ofDay = milliseconds % kMillisecondsPerDay;
    int64_t year;
    int month, day;
    CivilFromDays(days, year, month, day);
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wDayOfWeek = static_cast<WORD>(WeekdayOfDays(days));
    time.wHour = static_cast<WORD>(ofDay / 3600000);
    time.wMinute = static_cast<WORD>(ofDay / 60000 % 60);
    time.wSecond = static_cast<WORD>(ofDay / 1000 % 60);
    time.wMilliseconds = static_cast<WORD>(ofDay % 1000);
}

// Seconds that local time is ahead of UTC now.
int64_t LocalOffsetNow()
{
    time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_gmtoff;
}

BOOL ShiftFileTime(const FILETIME *from, LPFILETIME to, int64_t seconds)
{
    if (from == nullptr || to == nullptr)
        return FailWith(ERROR_INVALID_PARAMETER);
    int64_t ticks = static_cast<int64_t>(TicksOfFileTime(*from)) + seconds * kFileTimeTicksPerSecond;
    *to = FileTimeFromTicks(ticks);
    return TRUE;
}

} // namespace

void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime)
{
    SystemTimeFromTicks(static_cast<uint64_t>(FileTimeTicksNow()), *lpSystemTime);
}

BOOL WINAPI FileTimeToSystemTime(const FILETIME *lpFileTime, LPSYSTEMTIME lpSystemTime)
{
    if (lpFileTime == nullptr || lpSystemTime == nullptr || TicksOfFileTime(*lpFileTime) > kLargestTicks)
        return FailWith(ERROR_INVALID_PARAMETER);
    SystemTimeFromTicks(TicksOfFileTime(*lpFileTime), *lpSystemTime);
    return TRUE;
}

// The day of week is not read; every other field must lie in its range.
BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME *lpSystemTime, LPFILETIME lpFileTime)
{
    if (lpSystemTime == nullptr || lpFileTime == nullptr)
        return FailWith(ERROR_INVALID_PARAMETER);
    const SYSTEMTIME &time = *lpSystemTime;
    if (time.wYear < 1601 || time.wMonth < 1 || time.wMonth > 12 || time.wDay < 1 ||
        time.wDay > DaysInMonth(time.wYear, time.wMonth) || time.wHour > 23 || time.wMinute > 59 ||
        time.wSecond > 59 || time.wMilliseconds > 999)
        return FailWith(ERROR_INVALID_PARAMETER);
    int64_t days = DaysFromCivil(time.wYear, time.wMonth, time.wDay) + kDaysFrom1601To1970;
    int64_t milliseconds = ((time.wHour * 60 + time.wMinute) * 60 + time.wSecond) * 1000 + time.wMilliseconds;
    uint64_t ticks = (static_cast<uint64_t>(days) * kMillisecondsPerDay + milliseconds) * kTicksPerMillisecond;
    if (ticks > kLargestTicks)
        return FailWith(ERROR_INVALID_PARAMETER);
    *lpFileTime = FileTimeFromTicks(static_cast<int64_t>(ticks));
    return TRUE;
}

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME *lpFileTime, LPFILETIME lpLocalFileTime)
{
    return ShiftFileTime(lpFileTime, lpLocalFileTime, LocalOffsetNow());
}

BOOL WINAPI LocalFileTimeToFileTime(const FILETIME *lpLocalFileTime, LPFILETIME lpFileTime)
{
    return ShiftFileTime(lpLocalFileTime, lpFileTime, -LocalOffsetNow());
}

// MS-DOS packs the date as year-1980:7 month:4 day:5 and the time as hour:5 minute:6 second/2:5.
BOOL WINAPI DosDateTimeToFileTime(WORD wFatDate, WORD wFatTime, LPFILETIME lpFileTime)
{
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(1980 + (wFatDate >> 9));
    time.wMonth = (wFatDate >> 5) & 0x0F;
    time.wDay = wFatDate & 0x1F;
    time.wHour = wFatTime >> 11;
    time.wMinute = (wFatTime >> 5) & 0x3F;
    time.wSecond = static_cast<WORD>((wFatTime & 0x1F) * 2);
    return SystemTimeToFileTime(&time, lpFileTime);
}
