// QorDateTimeZone.cpp: CQorDateTime between UTC and local time by the platform's time-zone rule, read
// afresh each time and evaluated here: the transition days are midnight of the rule's n-th weekday of
// its month in the value's own year (5 = the last), and daylight saving may span the turn of the year.
// Also RoundToNextMinute.
#include "QorDateTime.h"

#include "QorPlatform.h"

#include <cstring>

namespace {

constexpr double kMinutesPerDay = 1440.0;

// Midnight of the day the rule names in `year`.
CQorDateTime TransitionDay(const SYSTEMTIME &rule, int year)
{
    CQorDateTime day(0.0);
    day.SetDateOnly(year, rule.wMonth, 1);
    int weekday = day.GetDayOfWeek();
    if (weekday < rule.wDayOfWeek)
        day += CQorDateTimeSpan(rule.wDayOfWeek - weekday);
    else if (weekday > rule.wDayOfWeek)
        day += CQorDateTimeSpan(rule.wDayOfWeek - weekday + 7);
    CQorDateTime limit(0.0);
    if (rule.wMonth == 12)
        limit.SetDateOnly(year + 1, 1, 1);
    else
        limit.SetDateOnly(year, rule.wMonth + 1, 1);
    for (int taken = 1; taken < rule.wDay; ++taken) {
        CQorDateTime next = day + CQorDateTimeSpan(7.0);
        if (!(next < limit))
            break;
        day = next;
    }
    return day;
}

bool IsAllZero(const SYSTEMTIME &time)
{
    static const SYSTEMTIME kZero{};
    return std::memcmp(&time, &kZero, sizeof time) == 0;
}

} // namespace

bool CQorDateTime::BiasAt(LONG &bias)
{
    TIME_ZONE_INFORMATION zone;
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID)
        return false;
    if (IsAllZero(zone.StandardDate)) {
        bias = zone.Bias;
        return true;
    }
    if (zone.StandardBias == zone.DaylightBias) {
        bias = zone.Bias + zone.StandardBias;
        return true;
    }
    SYSTEMTIME broken;
    if (!BreakDown(broken))
        return false; // no year to find the transitions in
    CQorDateTime standardDay = TransitionDay(zone.StandardDate, broken.wYear);
    CQorDateTime daylightDay = TransitionDay(zone.DaylightDate, broken.wYear);
    bool inDaylight = standardDay > daylightDay ? (*this >= daylightDay && *this < standardDay)
                                              : (*this < standardDay || *this >= daylightDay);
    bias = zone.Bias + (inDaylight ? zone.DaylightBias : zone.StandardBias);
    return true;
}

CQorDateTime &CQorDateTime::FromUTC()
{
    LONG bias;
    if (BiasAt(bias))
        m_dt -= bias / kMinutesPerDay;
    return *this;
}

CQorDateTime &CQorDateTime::ToUTC()
{
    LONG bias;
    if (BiasAt(bias))
        m_dt += bias / kMinutesPerDay;
    return *this;
}

void CQorDateTime::RoundToNextMinute()
{
    int second = GetSecond();
    if (second == 0)
        return;
    SetTimeOnly(GetHour(), GetMinute(), second);
    *this += CQorDateTimeSpan(0, 0, 0, 60 - second);
}
