// QorDateTime_test.cpp: CQorDateTime and CQorDateTimeSpan: the linear scale of negative dates and its
// order, the sentinel, conversions in and out with their failure rules, setters, arithmetic with null
// before invalid, the span's units and rounding correction. Zones and text forms have their own files.
#include "QorDateTime.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const double kDay = 1.0;
const double kHour = 1.0 / 24;

struct Fields {
    int year, month, day, hour, minute, second, weekday;
};

void ExpectFields(CQorDateTime value, const Fields &expected)
{
    EXPECT_EQ(expected.year, value.GetYear());
    EXPECT_EQ(expected.month, value.GetMonth());
    EXPECT_EQ(expected.day, value.GetDay());
    EXPECT_EQ(expected.hour, value.GetHour());
    EXPECT_EQ(expected.minute, value.GetMinute());
    EXPECT_EQ(expected.second, value.GetSecond());
    EXPECT_EQ(expected.weekday, value.GetDayOfWeek());
}

} // namespace

TEST(QorDateTime, RawValuesBreakDownWithNegativeFractionsCountingForward)
{
    static const struct {
        double raw;
        Fields fields;
    } kRows[] = {
        {0.0, {1899, 12, 30, 0, 0, 0, 6}},
        {-1.25, {1899, 12, 29, 6, 0, 0, 5}}, // the fraction of a negative date still counts from midnight
        {-0.5, {1899, 12, 30, 12, 0, 0, 6}},
        {0.4375, {1899, 12, 30, 10, 30, 0, 6}},
        {0.5 / 86400, {1899, 12, 30, 0, 0, 1, 6}},            // half a second rounds up
        {0.999995, {1899, 12, 31, 0, 0, 0, 0}},              // and may carry into the next day
        {-657434.0, {100, 1, 1, 0, 0, 0, 5}},                // the first automation date
        {2958465.5, {9999, 12, 31, 12, 0, 0, 5}},            // the last one
        {39172.604166666664, {2007, 3, 31, 14, 30, 0, 6}},
    };
    for (const auto &row : kRows) {
        SCOPED_TRACE(row.raw);
        ExpectFields(CQorDateTime(row.raw), row.fields);
    }
    for (double outside : {-657435.0, 2958466.0, 1e10}) {
        CQorDateTime value(outside);
        EXPECT_EQ(-1, value.GetYear()) << outside;
        EXPECT_EQ(CQorDateTime::Invalid, value.GetStatus()) << "a failed breakdown makes the value invalid";
    }
}

TEST(QorDateTime, LinearScaleOrdersNegativeDates)
{
    EXPECT_DOUBLE_EQ(-0.75, CQorDateTime(-1.25).GetDouble());
    EXPECT_DOUBLE_EQ(2.5, CQorDateTime(2.5).GetDouble());
    CQorDateTime stored;
    EXPECT_EQ(CQorDateTime::Valid, stored.SetFromDouble(-0.75));
    EXPECT_DOUBLE_EQ(-1.25, (double)stored);
    stored.SetStatus(CQorDateTime::Null);
    stored.SetFromDouble(-3.0);
    EXPECT_EQ(CQorDateTime::Null, stored.GetStatus()) << "a negative linear value leaves the status";
    EXPECT_DOUBLE_EQ(-3.0, (double)stored);

    EXPECT_TRUE(CQorDateTime(-1.25) < CQorDateTime(-1.5)); // 29 December 06:00 before 12:00
    EXPECT_TRUE(CQorDateTime(-1.5) < CQorDateTime(0.25));
    CQorDateTime noonBefore(-0.5), noonAfter(0.5); // both 30 December 1899 12:00
    EXPECT_TRUE(noonBefore <= noonAfter && noonBefore >= noonAfter);
    EXPECT_FALSE(noonBefore == noonAfter);
    CQorDateTime nullNoon(0.5);
    nullNoon.SetStatus(CQorDateTime::Null);
    EXPECT_TRUE(nullNoon != noonAfter) << "equality includes the status";

    CQorDateTime sum = CQorDateTime(-1.25) + CQorDateTimeSpan(kDay);
    EXPECT_DOUBLE_EQ(0.25, (double)sum);
    EXPECT_DOUBLE_EQ(-2.25, (double)(CQorDateTime(0.25) - CQorDateTimeSpan(2 * kDay))); // 28 December 06:00
    EXPECT_DOUBLE_EQ(2.0, (CQorDateTime(0.25) - CQorDateTime(-2.25)).GetTotalDays());
}

TEST(QorDateTime, SentinelAndConstruction)
{
    EXPECT_EQ(0.0, (double)CQorDateTime(949998.0));
    CQorDateTime assigned;
    assigned = 949998.0;
    EXPECT_EQ(949998.0, (double)assigned);
    EXPECT_TRUE(CQorDateTime(0.4).IsSameDay(949998.0)) << "the sentinel stands for 30 December 1899";

    VARIANT date{}, number{};
    date.vt = VT_DATE;
    date.date = 36526.5;
    number.vt = VT_R8;
    number.dblVal = 36526.5;
    EXPECT_EQ(36526.5, (double)CQorDateTime(date));
    CQorDateTime fromNumber(number);
    EXPECT_EQ(0.0, (double)fromNumber);
    EXPECT_EQ(CQorDateTime::Invalid, fromNumber.GetStatus());

    SYSTEMTIME bad{2000, 13, 0, 1, 0, 0, 0, 0};
    CQorDateTime fromBad(bad);
    EXPECT_EQ(CQorDateTime::Invalid, fromBad.GetStatus());
    FILETIME beyond{0, 0x80000000u};
    CQorDateTime fromFile(36526.5);
    fromFile = beyond;
    EXPECT_EQ(CQorDateTime::Invalid, fromFile.GetStatus());
    EXPECT_EQ(36526.5, (double)fromFile) << "a failed file time keeps the value";
    EXPECT_EQ(E_FAIL, fromFile.SetLocalFileTime(beyond));
    FILETIME year2000{0x256D4000u, 0x01BF53EBu}; // 2000-01-01 00:00 as a local file time
    EXPECT_EQ(0, fromFile.SetLocalFileTime(year2000));
    EXPECT_EQ(36526.0, (double)fromFile);
}

TEST(QorDateTime, SettersAndTheirFailures)
{
    CQorDateTime value;
    EXPECT_EQ(0, value.SetTime(10, 30, 0));
    EXPECT_EQ(0.4375, (double)value);
    EXPECT_EQ(CQorDateTime::Valid, value.GetStatus());
    EXPECT_EQ(0, value.SetDateTime(2000, 1, 1, -5, 7, 8));
    EXPECT_EQ(0, value.GetHour()) << "negative hours become 0";
    EXPECT_EQ(0, value.SetDateOnly(2007, 3, 25));
    ExpectFields(value, {2007, 3, 25, 0, 7, 8, 0});
    EXPECT_EQ(0, value.SetTimeOnly(23, 59, 58));
    ExpectFields(value, {2007, 3, 25, 23, 59, 58, 0});
    EXPECT_EQ(1, value.SetTimeOnly(-1, 0, 0)) << "SetTimeOnly does not clamp";
    EXPECT_EQ(0.0, (double)value);
    EXPECT_EQ(CQorDateTime::Invalid, value.GetStatus());
    EXPECT_EQ(1, value.SetDate(2000, 2, 32));
    EXPECT_EQ(1, value.SetDate(-1, 1, 1)) << "a year of -1 is 65535 as a field";

    CQorDateTime day(2001, 2, 29, 10, 0, 0); // 29 February 2001 carries into March
    ExpectFields(day, {2001, 3, 1, 10, 0, 0, 4});
    CQorDateTime time(1999, 1, 1, 6, 30, 15);
    EXPECT_EQ(0, day.SetTimeOnly(time));
    ExpectFields(day, {2001, 3, 1, 6, 30, 15, 4});
    time.SetStatus(CQorDateTime::Null);
    EXPECT_EQ(0, time.SetDateOnly(day)) << "a null value's own time reads as -1 parts, clamped to 0";
    ExpectFields(time, {2001, 3, 1, 0, 0, 0, 4});
}

TEST(QorDateTime, FieldsOutAndDayOfYear)
{
    CQorDateTime value(2000, 12, 31, 13, 14, 15);
    EXPECT_EQ(365, value.GetDayOfYear()) << "31 December of a leap year";
    EXPECT_EQ(0, CQorDateTime(2001, 1, 1, 23, 0, 0).GetDayOfYear());
    EXPECT_EQ(363, CQorDateTime(0.5).GetDayOfYear()) << "30 December 1899 noon, across day 0";
    struct tm broken;
    EXPECT_EQ(0, value.GetAsTmStruct(broken));
    EXPECT_EQ(100, broken.tm_year);
    EXPECT_EQ(11, broken.tm_mon);
    EXPECT_EQ(0, broken.tm_wday);
    EXPECT_EQ(15, broken.tm_sec);
    CQorDateTime outside(1e10);
    EXPECT_EQ(E_FAIL, outside.GetAsTmStruct(broken));
    EXPECT_EQ(0, broken.tm_year);
    value.SetStatus(CQorDateTime::Null);
    EXPECT_EQ(-1, value.GetYear()) << "a null value has no fields, whatever its raw value";
    SYSTEMTIME fields;
    EXPECT_EQ(1, value.GetAsSystemTime(fields)) << "the breakdown ignores the status";
    EXPECT_EQ(CQorDateTime::Valid, value.GetStatus());

    CQorDateTime morning(2007, 3, 25, 10, 0, 0);
    EXPECT_TRUE(morning.IsSameDay(CQorDateTime(2007, 3, 25, 23, 59, 0)));
    EXPECT_FALSE(CQorDateTime(2007, 3, 25, 23, 59, 0).IsSameDay(CQorDateTime(2007, 3, 26, 0, 0, 0)));
}

TEST(QorDateTime, ArithmeticPassesNullBeforeInvalid)
{
    CQorDateTime invalid(5.0), null(5.0);
    invalid.SetStatus(CQorDateTime::Invalid);
    null.SetStatus(CQorDateTime::Null);
    CQorDateTimeSpan nullSpan(1.0), invalidSpan(1.0);
    nullSpan.SetStatus(CQorDateTimeSpan::Null);
    invalidSpan.SetStatus(CQorDateTimeSpan::Invalid);
    static const struct {
        const char *name;
        CQorDateTime::DateTimeStatus expected;
    } kNames[] = {{"invalid + null span", CQorDateTime::Null},
                  {"null + invalid span", CQorDateTime::Null},
                  {"valid + invalid span", CQorDateTime::Invalid},
                  {"invalid - valid span", CQorDateTime::Invalid}};
    CQorDateTime results[] = {invalid + nullSpan, null - invalidSpan, CQorDateTime(5.0) + invalidSpan,
                              invalid - CQorDateTimeSpan(1.0)};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(kNames[i].expected, results[i].GetStatus()) << kNames[i].name;
        EXPECT_EQ(0.0, (double)results[i]) << kNames[i].name;
    }
    CQorDateTime moved(5.0);
    moved += CQorDateTimeSpan(0, 12, 0, 0);
    moved -= CQorDateTimeSpan(2.0);
    EXPECT_DOUBLE_EQ(3.5, (double)moved);
    EXPECT_EQ(CQorDateTimeSpan::Valid, (invalid - null).GetStatus()) << "differences ignore the statuses";
}

TEST(QorDateTimeSpan, UnitsAndRoundingCorrection)
{
    static const struct {
        double days;
        long d, h, m, s;
        double totalHours;
    } kRows[] = {
        {1 + 2 * kHour + 3 / 1440.0 + 4 / 86400.0, 1, 2, 3, 4, 26},
        {0.999999, 0, 0, 59, 59, 23}, // 24 hours after the correction, less 24; the total stays 23
        {-0.5, 0, -11, 0, 0, -11},       // the correction is added before cutting toward zero
        {0.99999 / 86400, 0, 0, 0, 1, 0}, // a hair under a second reads as one
    };
    for (const auto &row : kRows) {
        SCOPED_TRACE(row.days);
        CQorDateTimeSpan span(row.days);
        EXPECT_EQ(row.d, span.GetDays());
        EXPECT_EQ(row.h, span.GetHours());
        EXPECT_EQ(row.m, span.GetMinutes());
        EXPECT_EQ(row.s, span.GetSeconds());
        EXPECT_EQ(row.totalHours, span.GetTotalHours());
    }
    CQorDateTimeSpan built(1, 2, 3, 4);
    EXPECT_NEAR(1.0854629, built.GetTotalDays(), 1e-7);
    EXPECT_EQ(93784.0, built.GetTotalSeconds());
    EXPECT_EQ(1563.0, built.GetTotalMinutes());
    EXPECT_EQ(0.041666666666666664, CQorDateTimeSpan::kOneHour);
    EXPECT_EQ(5.787037037037037e-06, CQorDateTimeSpan::kRoundingCorrection);
    EXPECT_STREQ("", built.Format("%H").GetString());
    EXPECT_STREQ("", built.Format(1u).GetString());
}

TEST(QorDateTimeSpan, ArithmeticAndComparison)
{
    CQorDateTimeSpan one(1.0), two(2.0), null(1.0), invalid(1.0);
    null.SetStatus(CQorDateTimeSpan::Null);
    invalid.SetStatus(CQorDateTimeSpan::Invalid);
    EXPECT_EQ(CQorDateTimeSpan::Null, (invalid + null).GetStatus());
    EXPECT_EQ(CQorDateTimeSpan::Invalid, (one - invalid).GetStatus());
    EXPECT_EQ(0.0, (one - invalid).GetTotalDays());
    EXPECT_EQ(-1.0, (one - two).GetTotalDays());
    CQorDateTimeSpan negated = -null;
    EXPECT_EQ(CQorDateTimeSpan::Valid, negated.GetStatus());
    EXPECT_EQ(-1.0, (double)negated);
    EXPECT_TRUE(null < two && null <= one && null >= one) << "ordering ignores the status";
    EXPECT_FALSE(null == one);
    one += two;
    one -= CQorDateTimeSpan(0.5);
    EXPECT_EQ(2.5, (double)one);
    one = 4.0;
    EXPECT_EQ(4.0, one.GetTotalDays());
}
