// conversion_test.cpp: broken-down time against automation dates and file times (same rows under Wine).
#include "QorPlatform.h"

#include "QorKnownDifference.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

SYSTEMTIME Time(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0)
{
    return SYSTEMTIME{(WORD)year, (WORD)month, 0, (WORD)day, (WORD)hour, (WORD)minute, (WORD)second, (WORD)ms};
}

std::string TextOf(const SYSTEMTIME &t)
{
    char text[64];
    std::snprintf(text, sizeof text, "%u-%u-%u %u %u:%u:%u.%u", t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

uint64_t Ticks(const FILETIME &time) { return (uint64_t)time.dwHighDateTime << 32 | time.dwLowDateTime; }
FILETIME FileTime(uint64_t ticks) { return FILETIME{(DWORD)ticks, (DWORD)(ticks >> 32)}; }

} // namespace

TEST(VariantTime, FromSystemTime)
{
    const double kFails = -7; // the value left untouched
    static const struct { SYSTEMTIME time; double value; } kRows[] = {
        {Time(1899, 12, 30), 0.0}, {Time(1899, 12, 29, 6), -1.25}, // before day 0 the fraction counts forward
        {Time(2000, 1, 1, 10, 30, 0, 999), 36526.4375},             // milliseconds are dropped
        {Time(1800, 6, 15, 12), -36357.5}, {Time(100, 1, 1), -657434}, {Time(9999, 12, 31, 23, 59, 59), 2958465.999988426},
        {Time(99, 1, 1), 36161}, {Time(49, 1, 1), 54424}, {Time(50, 1, 1), 18264}, // two-digit years: 1950..2049
        {Time(2001, 2, 29), 36951}, {Time(2000, 4, 31), 36647}, // days past the month's end carry over
        {Time(2000, 1, 0), 36525},                               // day 0 is the last day of the month before
        {Time(2000, 1, 32), kFails}, {Time(2000, 13, 1), kFails}, {Time(10000, 1, 1), kFails},
    };
    for (const auto &row : kRows) {
        SYSTEMTIME time = row.time;
        double value = kFails;
        EXPECT_TRUE((row.value != kFails) == (SystemTimeToVariantTime(&time, &value) != FALSE) && row.value == value)
            << TextOf(time) << " " << value;
    }
    SYSTEMTIME month0 = Time(2000, 0, 1), hour24 = Time(2000, 1, 1, 24), hour65535 = Time(2000, 1, 1, 0xFFFF);
    double value;
    QOR_EXPECT_BROKEN_ON_WINE(!SystemTimeToVariantTime(&month0, &value), "Wine takes month 0 as December before");
    QOR_EXPECT_BROKEN_ON_WINE(!SystemTimeToVariantTime(&hour24, &value), "Wine carries hours past 23");
    QOR_EXPECT_BROKEN_ON_WINE(!SystemTimeToVariantTime(&hour65535, &value), "Wine reads hour 65535 as -1");
}

TEST(VariantTime, ToSystemTime)
{
    // expected: "year-month-day weekday hour:minute:second.ms", null: the call fails
    static const struct { double value; const char *expected; } kRows[] = {
        {0.0, "1899-12-30 6 0:0:0.0"}, {-1.25, "1899-12-29 5 6:0:0.0"}, {-0.5, "1899-12-30 6 12:0:0.0"},
        {0.5 / 86400, "1899-12-30 6 0:0:1.0"}, {0.49 / 86400, "1899-12-30 6 0:0:0.0"}, // half a second rounds up
        {-657434.5, "100-1-1 5 12:0:0.0"}, {2958465.9999, "9999-12-31 5 23:59:51.0"}, {39172.5, "2007-3-31 6 12:0:0.0"},
        {-657435.0, nullptr}, {2958466.0, nullptr}, {1e10, nullptr},
    };
    for (const auto &row : kRows) {
        SYSTEMTIME time;
        std::memset(&time, 0x55, sizeof time);
        bool ok = VariantTimeToSystemTime(row.value, &time) != FALSE;
        EXPECT_EQ(row.expected ? row.expected : "<failed>", ok ? TextOf(time) : "<failed>") << row.value;
    }
    for (double roundsUp : {0.999995, -0.999999}) { // into the next day; from day 0 counted forward
        SYSTEMTIME time;
        ASSERT_TRUE(VariantTimeToSystemTime(roundsUp, &time));
        EXPECT_EQ("1899-12-31 0:0:0.0", TextOf(time).erase(11, 2));
        QOR_EXPECT_BROKEN_ON_WINE(time.wDayOfWeek == 0, "Wine keeps the weekday of the day the time rounds away from");
    }
}

TEST(FileTime, ToAndFromSystemTime)
{
    const uint64_t kFails = 1;
    static const struct { SYSTEMTIME time; uint64_t ticks; } kRows[] = {
        {Time(1601, 1, 1), 0}, {Time(2000, 1, 1), 0x01BF53EB256D4000},
        {Time(30827, 12, 31, 23, 59, 59, 999), 0x7FFF35F4F06C58F0}, {Time(1600, 12, 31), kFails},
        {Time(2000, 2, 30), kFails}, {Time(2000, 1, 0), kFails}, // no carrying here
        {Time(2000, 13, 1), kFails}, {Time(2000, 1, 1, 24), kFails}, {Time(2000, 1, 1, 0, 0, 0, 1000), kFails},
    };
    for (const auto &row : kRows) {
        FILETIME out = FileTime(kFails);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(row.ticks != kFails, SystemTimeToFileTime(&row.time, &out) != FALSE) << TextOf(row.time);
        EXPECT_EQ(row.ticks, Ticks(out)) << TextOf(row.time);
        SYSTEMTIME back = {}, expected = row.time;
        if (row.ticks == kFails) {
            EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
        } else { // and back, the weekday filled in
            EXPECT_TRUE(FileTimeToSystemTime(&out, &back) && (expected.wDayOfWeek = back.wDayOfWeek, TextOf(expected) == TextOf(back)));
        }
    }
    SYSTEMTIME largest;
    FILETIME top = FileTime(0x7FFFFFFFFFFFFFFF), beyond = FileTime(0x8000000000000000);
    ASSERT_TRUE(FileTimeToSystemTime(&top, &largest));
    EXPECT_EQ("30828-9-14 4 2:48:5.477", TextOf(largest));
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(!FileTimeToSystemTime(&beyond, &largest) && GetLastError() == ERROR_INVALID_PARAMETER);

    FILETIME dos;
    EXPECT_TRUE(DosDateTimeToFileTime(0x2821, 0x5AA5, &dos) && Ticks(dos) == 0x01BF544A4DD85700u) << "2000-01-01 11:21:10";
    EXPECT_FALSE(DosDateTimeToFileTime(0, 0, &dos)) << "day 0 of month 0";
}

TEST(FileTime, LocalTimeShiftsByTheOffsetOfNow)
{
    FILETIME utc = FileTime(0x01BF53EB256D4000), local, back;
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local) && LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(Ticks(utc), Ticks(back));
    SYSTEMTIME now;
    GetSystemTime(&now);
    EXPECT_TRUE(SystemTimeToFileTime(&now, &local) && now.wYear >= 2024) << "a valid time, milliseconds included";
}
