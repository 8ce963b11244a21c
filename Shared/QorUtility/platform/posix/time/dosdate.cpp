// dosdate.cpp: DosDateTimeToFileTime: the MS-DOS date and time of FAT directories and ZIP headers as a
// FILETIME, field by field, with no time-zone conversion (the DOS value is taken as it stands).
#include "QorPlatform.h"

#include <cstdint>

using qor::platform::FailWith;

namespace {

// Days from 1601-01-01 to the first of `month` in `year` (proleptic Gregorian).
int64_t DaysSince1601(int year, int month, int day)
{
    // Counted from March, so that the leap day ends the counted year.
    int y = month <= 2 ? year - 1 : year;
    int m = month <= 2 ? month + 9 : month - 3;
    int64_t era = y / 400;
    int64_t yearOfEra = y - era * 400;
    int64_t dayOfYear = (153 * m + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    int64_t daysSince0000_03_01 = era * 146097 + dayOfEra;
    constexpr int64_t kDays0000_03_01To1601_01_01 = 584694;
    return daysSince0000_03_01 - kDays0000_03_01To1601_01_01;
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

} // namespace

BOOL WINAPI DosDateTimeToFileTime(WORD wFatDate, WORD wFatTime, LPFILETIME lpFileTime)
{
    int year = 1980 + (wFatDate >> 9);
    int month = (wFatDate >> 5) & 0x0F;
    int day = wFatDate & 0x1F;
    int hour = wFatTime >> 11;
    int minute = (wFatTime >> 5) & 0x3F;
    int second = (wFatTime & 0x1F) * 2;
    if (lpFileTime == nullptr || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour > 23 || minute > 59 || second > 59)
        return FailWith(ERROR_INVALID_PARAMETER);
    int64_t seconds = DaysSince1601(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    uint64_t ticks = static_cast<uint64_t>(seconds) * 10000000u;
    lpFileTime->dwLowDateTime = static_cast<DWORD>(ticks);
    lpFileTime->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return TRUE;
}
