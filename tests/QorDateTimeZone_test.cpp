// QorDateTimeZone_test.cpp: FromUTC and ToUTC under zone rules and their 2007 transitions; RoundToNextMinute.
#include "QorDateTime.h"

#include "QorKnownDifference.h"
#include "QorTestEnvironment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Minutes that local time is ahead of UTC at `utc` under $TZ = `tz`, and the round trip back to UTC.
double OffsetAt(const char *tz, CQorDateTime utc, bool fromUtc, double *roundTrip = nullptr)
{
    qor::test::SetEnvironmentVariable("TZ", tz); // the platform reads it afresh on every conversion
    CQorDateTime moved = utc;
    double offset = fromUtc ? (double)moved.FromUTC() - (double)utc : (double)utc - (double)moved.ToUTC();
    if (roundTrip != nullptr)
        *roundTrip = (double)(fromUtc ? moved.ToUTC() : moved.FromUTC());
    qor::test::SetEnvironmentVariable("TZ", nullptr);
    return std::round(offset * 1440);
}

const char kEurope[] = "CET-1CEST,M3.5.0,M10.5.0/3";
const char kNewYork[] = "EST5EDT,M3.2.0,M11.1.0";
const char kSydney[] = "AEST-10AEDT,M10.1.0,M4.1.0/3";

} // namespace

TEST(QorDateTimeZone, FromUtcAndBackUnderRules)
{
    QOR_POSIX_ONLY("only our layer reads $TZ on every call; Wine keeps the host's zone");
    static const struct { const char *tz; int month, day, hour; double minutes; } kRows[] = {
        {kEurope, 1, 15, 12, 60},   {kEurope, 7, 1, 12, 120},   {kNewYork, 1, 15, 12, -300},
        {kNewYork, 7, 1, 12, -240}, {kNewYork, 11, 3, 12, -240}, // the day before the standard day
        {kNewYork, 11, 4, 5, -300},                               // from its midnight, not from 02:00
        {kSydney, 1, 15, 12, 660},  {kSydney, 7, 1, 12, 600},     // daylight saving across the new year
        {kSydney, 12, 25, 12, 660}, {"JST-9", 7, 1, 12, 540},     {"UTC0", 7, 1, 12, 0},
    };
    for (const auto &row : kRows) {
        CQorDateTime utc(2007, row.month, row.day, row.hour, 0, 0);
        double back;
        EXPECT_EQ(row.minutes, OffsetAt(row.tz, utc, true, &back)) << row.tz << " " << (double)utc;
        EXPECT_NEAR((double)utc, back, 1e-9) << row.tz << " " << (double)utc << ": away from the transitions";
    }
}

TEST(QorDateTimeZone, TransitionDaysOf2007)
{
    QOR_POSIX_ONLY("only our layer reads $TZ on every call");
    // The whole day of the last Sunday of March (not 1 April) and of October; a value without a year is left alone.
    EXPECT_EQ((std::vector<double>{60, 120, 120, 120, 60, 0}),
              (std::vector<double>{OffsetAt(kEurope, CQorDateTime(2007, 3, 24, 23, 0, 0), false),
                                   OffsetAt(kEurope, CQorDateTime(2007, 3, 25, 0, 0, 0), false),
                                   OffsetAt(kEurope, CQorDateTime(2007, 3, 26, 0, 30, 0), false),
                                   OffsetAt(kEurope, CQorDateTime(2007, 10, 27, 23, 59, 0), false),
                                   OffsetAt(kEurope, CQorDateTime(2007, 10, 28, 0, 0, 0), false), OffsetAt(kEurope, CQorDateTime(1e10), false)}));
}

TEST(QorDateTimeZone, MachinesZoneAndRounding)
{
    CQorDateTime noon(2007, 7, 1, 12, 0, 0), moved = noon;
    EXPECT_NEAR((double)noon, (double)moved.FromUTC().ToUTC(), 1e-9);
    TIME_ZONE_INFORMATION zone;
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_UNKNOWN) {
        EXPECT_NEAR(-zone.Bias, ((double)moved.FromUTC() - (double)noon) * 1440, 1e-6) << "the base bias only";
    }

    CQorDateTime value(2007, 3, 29, 10, 15, 20), late(2007, 12, 31, 23, 59, 1), invalid(5.0);
    value.RoundToNextMinute();
    value.RoundToNextMinute(); // a whole minute stays
    EXPECT_EQ(CQorDateTime(2007, 3, 29, 10, 16, 0), value);
    late.RoundToNextMinute();
    EXPECT_NEAR(39448.0, (double)late, 1e-9) << "1 January 2008, to the rounding of the conversions";
    invalid.SetStatus(CQorDateTime::Invalid);
    invalid.RoundToNextMinute(); // the time is set from -1 parts
    QOR_EXPECT_BROKEN_ON_WINE(invalid.GetStatus() == CQorDateTime::Invalid && (double)invalid == 0.0,
                              "Wine's SystemTimeToVariantTime takes 65535 hours as -1");

    CQorDateTime utcNow = CQorDateTime::GetCurrentUTCTime(), localNow = CQorDateTime::GetTickCount();
    EXPECT_TRUE(utcNow.GetYear() >= 2024 && std::fabs((double)localNow - (double)utcNow) < 1.1) << "within a day";
}
