// calendar.cpp: day counts of the proleptic Gregorian calendar, by whole 400-year eras (146,097 days)
// counted from 1 March, so that the leap day falls at the end of each counted year.
#include "time/calendar.h"

namespace qor::platform {

namespace {

constexpr int64_t kDaysPerEra = 146097;
constexpr int64_t kDaysFrom0000To1970 = 719468; // from 1 March of year 0

int64_t FloorDivide(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

} // namespace

int DaysInMonth(int64_t year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int64_t DaysFromCivil(int64_t year, int month, int64_t day)
{
    if (month <= 2)
        --year;
    int64_t era = FloorDivide(year, 400);
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * kDaysPerEra + dayOfEra - kDaysFrom0000To1970;
}

void CivilFromDays(int64_t days, int64_t &year, int &month, int &day)
{
    days += kDaysFrom0000To1970;
    int64_t era = FloorDivide(days, kDaysPerEra);
    int64_t dayOfEra = days - era * kDaysPerEra;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

int WeekdayOfDays(int64_t days)
{
    int64_t weekday = (days + 4) % 7; // 1 January 1970 was a Thursday
    return static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
}

} // namespace qor::platform
