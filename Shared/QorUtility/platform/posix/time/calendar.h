// calendar.h: the proleptic Gregorian calendar as day counts, for the time conversions of the POSIX
// platform layer. Internal to the time area.
#pragma once

#include <cstdint>

namespace qor::platform {

constexpr int64_t kDaysFrom1601To1970 = 134774;
constexpr int64_t kDaysFrom1899To1970 = 25569; // from 30 December 1899, day 0 of automation dates

constexpr bool IsLeapYear(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }
int DaysInMonth(int64_t year, int month);

// Days from 1 January 1970 to the given date; the month is 1..12, the day any number (it carries).
int64_t DaysFromCivil(int64_t year, int month, int64_t day);
void CivilFromDays(int64_t days, int64_t &year, int &month, int &day);
// 0 = Sunday.
int WeekdayOfDays(int64_t days);

} // namespace qor::platform
