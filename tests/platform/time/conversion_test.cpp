// conversion_test.cpp: broken-down time against automation dates and file times, row by row; the same
// rows run against our POSIX layer and against Wine, so both must give these answers.
#include "QorPlatform.h"

#include "QorKnownDifference.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

SYSTEMTIME Time(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0)
{
    return SYSTEMTIME{(WORD)year, (WORD)month, 0, (WORD)day, (WORD)hour, (WORD)minute, (WORD)second, (WORD)ms};
}

uint64_t Ticks(const FILETIME &time) { return (uint64_t)time.dwHighDateTime << 32 | time.dwLowDateTime; }
FILETIME FileTime(uint64_t ticks) { return FILETIME{(DWORD)ticks, (DWORD)(ticks >> 32)}; }

} // namespace

TEST(VariantTime, FromSystemTime)
{
    static const struct {
        int line;
        SYSTEMTIME time;
        bool ok;
        double value;
    } kRows[] = {
        {__LINE__, Time(1899, 12, 30), true, 0.0},
        {__LINE__, Time(1899, 12, 29, 6), true, -1.25}, // before day 0 the fraction counts forward
        {__LINE__, Time(2000, 1, 1, 10, 30, 0, 999), true, 36526.4375}, // milliseconds are dropped
        {__LINE__, Time(1800, 6, 15, 12), true, -36357.5},
        {__LINE__, Time(100, 1, 1), true, -657434.0},
        {__LINE__, Time(9999, 12, 31, 23, 59, 59), true, 2958465.999988426},
        {__LINE__, Time(99, 1, 1), true, 36161.0}, // two-digit years: 1950..2049
        {__LINE__, Time(49, 1, 1), true, 54424.0},
        {__LINE__, Time(50, 1, 1), true, 18264.0},
        {__LINE__, Time(2001, 2, 29), true, 36951.0}, // days past the month's end carry over
        {__LINE__, Time(2000, 4, 31), true, 36647.0},
        {__LINE__, Time(2000, 1, 0), true, 36525.0}, // day 0 is the last day of the month before
        {__LINE__, Time(2000, 1, 32), false, 0},
        {__LINE__, Time(2000, 13, 1), false, 0},
        {__LINE__, Time(10000, 1, 1), false, 0},
    };
    for (const auto &row : kRows) {
        SCOPED_TRACE(row.line);
        SYSTEMTIME time = row.time;
        double value = -7;
        EXPECT_EQ(row.ok, SystemTimeToVariantTime(&time, &value) != FALSE);
        if (row.ok) {
            EXPECT_DOUBLE_EQ(row.value, value);
        }
    }
    SYSTEMTIME month0 = Time(2000, 0, 1), hour24 = Time(2000, 1, 1, 24), hour65535 = Time(2000, 1, 1, 0xFFFF);
    double value;
    QOR_EXPECT_BROKEN_ON_WINE(!SystemTimeToVariantTime(&month0, &value), "Wine takes month 0 as December before");
    QOR_EXPECT_BROKEN_ON_WINE(!SystemTimeToVariantTime(&hour24, &value), "Wine carries hours past 23");
    QOR_EXPECT_BROKEN_ON_WINE(!SystemTimeToVariantTime(&hour65535, &value), "Wine reads hour 65535 as -1");
}

TEST(VariantTime, ToSystemTime)
{
    static const struct {
        double value;
        bool ok;
        int year, month, day, weekday, hour, minute, second;
    } kRows[] = {
        {0.0, true, 1899, 12, 30, 6, 0, 0, 0},
        {-1.25, true, 1899, 12, 29, 5, 6, 0, 0},
        {-0.5, true, 1899, 12, 30, 6, 12, 0, 0},
        {0.5 / 86400, true, 1899, 12, 30, 6, 0, 0, 1},   // half a second rounds up
        {0.49 / 86400, true, 1899, 12, 30, 6, 0, 0, 0},
        {0.999995, true, 1899, 12, 31, 0, 0, 0, 0},      // and into the next day
        {-0.999999, true, 1899, 12, 31, 0, 0, 0, 0},     // the day after day 0, counted forward
        {-657434.5, true, 100, 1, 1, 5, 12, 0, 0},
        {2958465.9999, true, 9999, 12, 31, 5, 23, 59, 51},
        {39172.5, true, 2007, 3, 31, 6, 12, 0, 0},
        {-657435.0, false, 0, 0, 0, 0, 0, 0, 0},
        {2958466.0, false, 0, 0, 0, 0, 0, 0, 0},
        {1e10, false, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const auto &row : kRows) {
        SCOPED_TRACE(row.value);
        SYSTEMTIME time;
        std::memset(&time, 0x55, sizeof time);
        ASSERT_EQ(row.ok, VariantTimeToSystemTime(row.value, &time) != FALSE);
        if (!row.ok)
            continue;
        EXPECT_EQ(row.year, time.wYear);
        EXPECT_EQ(row.month, time.wMonth);
        EXPECT_EQ(row.day, time.wDay);
        EXPECT_EQ(row.weekday, time.wDayOfWeek);
        EXPECT_EQ(row.hour, time.wHour);
        EXPECT_EQ(row.minute, time.wMinute);
        EXPECT_EQ(row.second, time.wSecond);
        EXPECT_EQ(0, time.wMilliseconds);
    }
}

TEST(FileTime, ToAndFromSystemTime)
{
    static const struct {
        int line;
        SYSTEMTIME time;
        bool ok;
        uint64_t ticks;
    } kRows[] = {
        {__LINE__, Time(1601, 1, 1), true, 0},
        {__LINE__, Time(2000, 1, 1), true, 0x01BF53EB256D4000},
        {__LINE__, Time(30827, 12, 31, 23, 59, 59, 999), true, 0x7FFF35F4F06C58F0},
        {__LINE__, Time(1600, 12, 31), false, 0},
        {__LINE__, Time(2000, 2, 30), false, 0}, // no carrying here
        {__LINE__, Time(2000, 1, 0), false, 0},
        {__LINE__, Time(2000, 13, 1), false, 0},
        {__LINE__, Time(2000, 1, 1, 24), false, 0},
        {__LINE__, Time(2000, 1, 1, 0, 0, 0, 1000), false, 0},
    };
    for (const auto &row : kRows) {
        SCOPED_TRACE(row.line);
        FILETIME out{1, 1};
        SetLastError(0xdeadbeef);
        ASSERT_EQ(row.ok, SystemTimeToFileTime(&row.time, &out) != FALSE);
        if (!row.ok) {
            EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
            continue;
        }
        EXPECT_EQ(row.ticks, Ticks(out));
        SYSTEMTIME back;
        ASSERT_TRUE(FileTimeToSystemTime(&out, &back));
        EXPECT_EQ(0, std::memcmp(&row.time.wYear, &back.wYear, 2 * sizeof(WORD)));
        EXPECT_EQ(0, std::memcmp(&row.time.wDay, &back.wDay, 5 * sizeof(WORD)));
    }
    SYSTEMTIME largest;
    FILETIME top = FileTime(0x7FFFFFFFFFFFFFFF), beyond = FileTime(0x8000000000000000);
    ASSERT_TRUE(FileTimeToSystemTime(&top, &largest));
    EXPECT_EQ(30828, largest.wYear);
    EXPECT_EQ(9, largest.wMonth);
    EXPECT_EQ(14, largest.wDay);
    EXPECT_EQ(4, largest.wDayOfWeek);
    EXPECT_EQ(477, largest.wMilliseconds);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(FileTimeToSystemTime(&beyond, &largest));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());

    FILETIME dos;
    ASSERT_TRUE(DosDateTimeToFileTime(0x2821, 0x5AA5, &dos)); // 2000-01-01 11:21:10
    EXPECT_EQ(0x01BF544A4DD85700u, Ticks(dos));
    EXPECT_FALSE(DosDateTimeToFileTime(0, 0, &dos)) << "day 0 of month 0";
}

TEST(FileTime, LocalTimeShiftsByTheOffsetOfNow)
{
    FILETIME utc = FileTime(0x01BF53EB256D4000), local, back;
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(Ticks(utc), Ticks(back));
    SYSTEMTIME before, after;
    GetSystemTime(&before);
    FILETIME now;
    ASSERT_TRUE(SystemTimeToFileTime(&before, &now));
    GetSystemTime(&after);
    EXPECT_GE(after.wYear, 2024);
    EXPECT_LE(after.wMilliseconds, 999);
}
