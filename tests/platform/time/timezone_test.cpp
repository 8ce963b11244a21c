// timezone_test.cpp: GetTimeZoneInformation on the zone rules of $TZ and of zone files: rules that map
// one to one (north, south, without daylight saving, odd names) and a rule that has to be probed.
#include "QorPlatform.h"

#include "QorKnownDifference.h"
#include "QorTestEnvironment.h"
#include "QorTestFiles.h"

#include <ctime>
#include <utility>
#include <vector>

namespace {

// Bias, daylight bias, then month, week and hour of the daylight and of the standard date (0 months:
// no daylight saving).
using ZoneRow = std::vector<LONG>;

ZoneRow RowOf(const TIME_ZONE_INFORMATION &zone)
{
    return {zone.Bias, zone.DaylightBias, zone.DaylightDate.wMonth, zone.DaylightDate.wDay, zone.DaylightDate.wHour,
            zone.StandardDate.wMonth, zone.StandardDate.wDay, zone.StandardDate.wHour};
}

// Runs GetTimeZoneInformation under `tz`; restores the zone of the test run afterwards.
DWORD ZoneUnder(const char *tz, TIME_ZONE_INFORMATION &zone)
{
    qor::test::SetEnvironmentVariable("TZ", tz);
    DWORD result = GetTimeZoneInformation(&zone);
    qor::test::SetEnvironmentVariable("TZ", nullptr);
    return result;
}

} // namespace

TEST(TimeZone, RulesThatMapOneToOne)
{
    QOR_POSIX_ONLY("the zone comes from $TZ on every call only on our layer; Wine reads the host's zone at start");
    // A zone file of version 2 keeps its rule behind its last line feed but one.
    qor::test::WriteBytes(qor::test::PathOf("Test_Berlin"),
                          std::string("TZif2") + std::string(39, '\0') + "\nCET-1CEST,M3.5.0,M10.5.0/3\n");
    qor::test::SetEnvironmentVariable("TZDIR", qor::test::PathOf("").c_str());
    static const std::pair<const char *, ZoneRow> kCases[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", {-60, -60, 3, 5, 2, 10, 5, 3}},
        {"Test_Berlin", {-60, -60, 3, 5, 2, 10, 5, 3}}, // the zone file's rule
        {"EST5EDT,M3.2.0,M11.1.0", {300, -60, 3, 2, 2, 11, 1, 2}},
        {"AEST-10AEDT,M10.1.0,M4.1.0/3", {-600, -60, 10, 1, 2, 4, 1, 3}}, // daylight across the new year
        {"<+0330>-3:30", {-210, 0, 0, 0, 0, 0, 0, 0}},
        {"NST3:30NDT,M3.2.0/0:01,M11.1.0/0:01", {210, -60, 3, 2, 0, 11, 1, 0}},
        {"LHST-10:30LHDT-11,M10.1.0,M4.1.0", {-630, -30, 10, 1, 2, 4, 1, 2}}, // half an hour of daylight saving
        {"", {0, 0, 0, 0, 0, 0, 0, 0}},             // empty: UTC
        {"No such zone", {0, 0, 0, 0, 0, 0, 0, 0}}, // neither file nor rule: UTC, as the C library takes it
    };
    for (const auto &[tz, expected] : kCases) {
        TIME_ZONE_INFORMATION zone;
        DWORD result = ZoneUnder(tz, zone);
        EXPECT_EQ(expected, RowOf(zone)) << tz;
        const bool rule = expected[2] != 0; // every rule above changes on a Sunday
        EXPECT_TRUE(zone.StandardBias == 0 && (!rule || zone.DaylightDate.wDayOfWeek == 0)) << tz;
        EXPECT_TRUE(rule ? result == TIME_ZONE_ID_STANDARD || result == TIME_ZONE_ID_DAYLIGHT : result == TIME_ZONE_ID_UNKNOWN)
            << tz << " " << result;
    }
    qor::test::SetEnvironmentVariable("TZDIR", nullptr);
}

// Day 60 and day 300 of a year without 29 February are 1 March and 27 October: this year's weekdays.
TEST(TimeZone, OtherRulesAreProbedOverTheCurrentYear)
{
    QOR_POSIX_ONLY("the zone comes from $TZ on every call only on our layer");
    TIME_ZONE_INFORMATION zone;
    ASSERT_NE(static_cast<DWORD>(TIME_ZONE_ID_UNKNOWN), ZoneUnder("EST5EDT,J60,J300", zone));
    std::time_t now = std::time(nullptr);
    const int year = std::gmtime(&now)->tm_year + 1900;
    auto weekdayOf = [year](int month, int day) { // Sakamoto's rule, 0 = Sunday
        static const int kMonthOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
        int y = year - (month < 3);
        return static_cast<WORD>((y + y / 4 - y / 100 + y / 400 + kMonthOffsets[month - 1] + day) % 7);
    };
    EXPECT_EQ((ZoneRow{300, -60, 3, 1, 2, 10, 5, 2}), RowOf(zone)) << "the 27th is in the month's last week";
    EXPECT_TRUE(weekdayOf(3, 1) == zone.DaylightDate.wDayOfWeek && weekdayOf(10, 27) == zone.StandardDate.wDayOfWeek);
}
