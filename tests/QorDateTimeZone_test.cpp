// QorDateTimeZone_test.cpp: FromUTC and ToUTC by the time-zone rule (European, North American and
// southern rules, a zone without daylight saving, UTC), the transition-day rule of 2007, round trips
// away from the transitions, and RoundToNextMinute.
#include "QorDateTime.h"

#include "QorKnownDifference.h"
#include "QorTestEnvironment.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const double kMinute = 1.0 / 1440;

// Sets $TZ for the life of the object; the platform reads it afresh on every conversion.
class ZoneScope {
public:
    explicit ZoneScope(const char *tz) { qor::test::SetEnvironmentVariable("TZ", tz); }
    ~ZoneScope() { qor::test::SetEnvironmentVariable("TZ", nullptr); }
};

} // namespace

TEST(QorDateTimeZone, FromAndToUtcUnderRules)
{
    QOR_POSIX_ONLY("only our layer reads $TZ on every call; Wine keeps the host's zone");
    static const struct {
        int line;
        const char *tz;
        CQorDateTime utc;
        double offsetMinutes; // local - UTC
    } kRows[] = {
        {__LINE__, "CET-1CEST,M3.5.0,M10.5.0/3", CQorDateTime(2007, 1, 15, 12, 0, 0), 60},
        {__LINE__, "CET-1CEST,M3.5.0,M10.5.0/3", CQorDateTime(2007, 7, 1, 12, 0, 0), 120},
        {__LINE__, "EST5EDT,M3.2.0,M11.1.0", CQorDateTime(2007, 1, 15, 12, 0, 0), -300},
        {__LINE__, "EST5EDT,M3.2.0,M11.1.0", CQorDateTime(2007, 7, 1, 12, 0, 0), -240},
        {__LINE__, "EST5EDT,M3.2.0,M11.1.0", CQorDateTime(2007, 11, 3, 12, 0, 0), -240}, // the day before
        {__LINE__, "EST5EDT,M3.2.0,M11.1.0", CQorDateTime(2007, 11, 4, 5, 0, 0), -300}, // from midnight, not 02:00, on
        {__LINE__, "AEST-10AEDT,M10.1.0,M4.1.0/3", CQorDateTime(2007, 1, 15, 12, 0, 0), 660}, // across the year
        {__LINE__, "AEST-10AEDT,M10.1.0,M4.1.0/3", CQorDateTime(2007, 7, 1, 12, 0, 0), 600},
        {__LINE__, "AEST-10AEDT,M10.1.0,M4.1.0/3", CQorDateTime(2007, 12, 25, 12, 0, 0), 660},
        {__LINE__, "JST-9", CQorDateTime(2007, 7, 1, 12, 0, 0), 540},
        {__LINE__, "UTC0", CQorDateTime(2007, 7, 1, 12, 0, 0), 0},
    };
    for (const auto &row : kRows) {
        SCOPED_TRACE(row.line);
        ZoneScope zone(row.tz);
        CQorDateTime local = row.utc;
        local.FromUTC();
        EXPECT_NEAR(row.offsetMinutes, ((double)local - (double)row.utc) / kMinute, 1e-6);
        local.ToUTC();
        EXPECT_NEAR((double)row.utc, (double)local, 1e-9) << "a round trip away from the transitions";
    }
}

TEST(QorDateTimeZone, TransitionDaysOf2007)
{
    QOR_POSIX_ONLY("only our layer reads $TZ on every call");
    ZoneScope zone("CET-1CEST,M3.5.0,M10.5.0/3");
    static const struct {
        CQorDateTime local;
        double offsetMinutes;
    } kRows[] = {
        {CQorDateTime(2007, 3, 24, 23, 0, 0), 60},
        {CQorDateTime(2007, 3, 25, 0, 0, 0), 120}, // the last Sunday of March, not 1 April
        {CQorDateTime(2007, 3, 26, 0, 30, 0), 120},
        {CQorDateTime(2007, 10, 27, 23, 59, 0), 120},
        {CQorDateTime(2007, 10, 28, 0, 0, 0), 60},
    };
    for (const auto &row : kRows) {
        CQorDateTime utc = row.local;
        utc.ToUTC();
        EXPECT_NEAR(row.offsetMinutes, ((double)row.local - (double)utc) / kMinute, 1e-6) << (double)row.local;
    }
    CQorDateTime outside(1e10);
    outside.ToUTC();
    EXPECT_EQ(1e10, (double)outside) << "a value without a year is left alone";
}

TEST(QorDateTimeZone, RoundTripInTheMachinesZone)
{
    CQorDateTime noon(2007, 7, 1, 12, 0, 0), moved = noon;
    moved.FromUTC().ToUTC();
    EXPECT_NEAR((double)noon, (double)moved, 1e-9);
    TIME_ZONE_INFORMATION zone;
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_UNKNOWN) {
        moved.FromUTC();
        EXPECT_NEAR(-zone.Bias, ((double)moved - (double)noon) / kMinute, 1e-6);
    }
}

TEST(QorDateTimeZone, RoundToNextMinute)
{
    CQorDateTime value(2007, 3, 29, 10, 15, 20);
    value.RoundToNextMinute();
    EXPECT_EQ(CQorDateTime(2007, 3, 29, 10, 16, 0), value);
    value.RoundToNextMinute();
    EXPECT_EQ(CQorDateTime(2007, 3, 29, 10, 16, 0), value) << "a whole minute stays";
    CQorDateTime late(2007, 12, 31, 23, 59, 1);
    late.RoundToNextMinute();
    EXPECT_EQ(CQorDateTime(2008, 1, 1, 0, 0, 0), late);
    CQorDateTime invalid(5.0);
    invalid.SetStatus(CQorDateTime::Invalid);
    invalid.RoundToNextMinute();
    EXPECT_EQ(CQorDateTime::Invalid, invalid.GetStatus());
    EXPECT_EQ(0.0, (double)invalid);

    CQorDateTime utcNow = CQorDateTime::GetCurrentUTCTime(), localNow = CQorDateTime::GetTickCount();
    EXPECT_EQ(CQorDateTime::Valid, utcNow.GetStatus());
    EXPECT_GE(utcNow.GetYear(), 2024);
    EXPECT_LT(std::fabs((double)localNow - (double)utcNow), 1.1) << "local time is within a day of UTC";
}
