// QorDateTime_test.cpp: negative dates, the sentinel, conversions, setters, arithmetic statuses and spans.
#include "QorDateTime.h"

#include "QorKnownDifference.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// "year-month-day weekday hour:minute:second" by the getters (-1 fields for a value that is not valid).
std::string FieldsOf(CQorDateTime &value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d-%d-%d %d %d:%d:%d", value.GetYear(), value.GetMonth(), value.GetDay(),
                  value.GetDayOfWeek(), value.GetHour(), value.GetMinute(), value.GetSecond());
    return text;
}
std::string FieldsOf(CQorDateTime &&value) { return FieldsOf(value); }

} // namespace

TEST(QorDateTime, LinearScaleOrdersNegativeDates)
{
    EXPECT_EQ("1899-12-29 5 6:0:0", FieldsOf(CQorDateTime(-1.25))) << "the fraction counts forward from midnight";
    EXPECT_DOUBLE_EQ(-0.75, CQorDateTime(-1.25).GetDouble());
    CQorDateTime stored;
    EXPECT_TRUE(stored.SetFromDouble(-0.75) == CQorDateTime::Valid && (double)stored == -1.25);
    stored.SetStatus(CQorDateTime::Null);
    stored.SetFromDouble(-3.0);
    EXPECT_EQ(CQorDateTime::Null, stored.GetStatus()) << "a negative linear value leaves the status";

    EXPECT_TRUE(CQorDateTime(-1.25) < CQorDateTime(-1.5) && CQorDateTime(-1.5) < CQorDateTime(0.25)); // 06:00, 12:00
    CQorDateTime noonBefore(-0.5), noonAfter(0.5); // both 30 December 1899 12:00
    EXPECT_TRUE(noonBefore <= noonAfter && noonBefore >= noonAfter && !(noonBefore == noonAfter));
    // 29 December 06:00 plus a day; 31 December 06:00 less two days is 28 December 06:00
    EXPECT_EQ((std::vector<double>{0.25, -2.25, 2.0}), (std::vector<double>{(double)(CQorDateTime(-1.25) + CQorDateTimeSpan(1.0)),
              (double)(CQorDateTime(0.25) - CQorDateTimeSpan(2.0)), (CQorDateTime(0.25) - CQorDateTime(-2.25)).GetTotalDays()}));
}

TEST(QorDateTime, SentinelAndConversionsIn)
{
    CQorDateTime value;
    value = 949998.0;
    EXPECT_TRUE((double)CQorDateTime(949998.0) == 0.0 && (double)value == 949998.0) << "assignment keeps the sentinel";
    EXPECT_TRUE(CQorDateTime(0.4).IsSameDay(949998.0));

    VARIANT date{}, number{};
    date.vt = VT_DATE;
    date.date = number.dblVal = 36526.5;
    number.vt = VT_R8;
    EXPECT_EQ(36526.5, (double)CQorDateTime(date));
    value = number;
    EXPECT_TRUE(value.GetStatus() == CQorDateTime::Invalid && (double)value == 0.0);

    SYSTEMTIME month13{2000, 13, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(CQorDateTime::Invalid, CQorDateTime(month13).GetStatus());
    FILETIME beyond{0, 0x80000000u}, year2000{0x256D4000u, 0x01BF53EBu};
    value = 36526.5;
    value = beyond;
    EXPECT_TRUE(value.GetStatus() == CQorDateTime::Invalid && (double)value == 36526.5) << "the value stays";
    EXPECT_TRUE(value.SetLocalFileTime(beyond) == E_FAIL && value.SetLocalFileTime(year2000) == 0 && (double)value == 36526.0);
    for (double outside : {-657435.0, 2958466.0, 1e10}) {
        CQorDateTime distant(outside); // a failed breakdown has no fields and makes the value invalid
        EXPECT_TRUE(FieldsOf(distant) == "-1--1--1 -1 -1:-1:-1" && distant.GetStatus() == CQorDateTime::Invalid) << outside;
    }
}

TEST(QorDateTime, SettersAndTheirFailures)
{
    CQorDateTime value;
    EXPECT_TRUE(value.SetTime(10, 30, 0) == 0 && (double)value == 0.4375);
    EXPECT_TRUE(value.SetDateTime(2000, 1, 1, -5, 7, 8) == 0 && value.GetHour() == 0) << "negative hours become 0";
    EXPECT_TRUE(value.SetDateOnly(2007, 3, 25) == 0 && value.SetTimeOnly(23, 59, 58) == 0);
    EXPECT_EQ("2007-3-25 0 23:59:58", FieldsOf(value));
    bool refused = value.SetTimeOnly(-1, 0, 0) == 1; // no clamping: hour 65535
    QOR_EXPECT_BROKEN_ON_WINE(refused && value.GetStatus() == CQorDateTime::Invalid && (double)value == 0.0,
                              "Wine's SystemTimeToVariantTime reads hour 65535 as -1");
    EXPECT_TRUE(value.SetDate(2000, 2, 32) == 1 && value.SetDate(-1, 1, 1) == 1) << "a year of -1 is 65535 as a field";

    CQorDateTime day(2001, 2, 29, 10, 0, 0), time(1999, 1, 1, 6, 30, 15);
    EXPECT_EQ("2001-3-1 4 10:0:0", FieldsOf(day)) << "29 February 2001 carries into March";
    EXPECT_TRUE(day.SetTimeOnly(time) == 0 && FieldsOf(day) == "2001-3-1 4 6:30:15") << FieldsOf(day);
    time.SetStatus(CQorDateTime::Null);
    EXPECT_TRUE(time.SetDateOnly(day) == 0 && FieldsOf(time) == "2001-3-1 4 0:0:0") << "a null value's time: -1 parts, clamped";
}

TEST(QorDateTime, FieldsOut)
{
    CQorDateTime value(2000, 12, 31, 13, 14, 15);
    // 31 December of a leap year; 1 January; 30 December 1899 noon, across day 0
    EXPECT_EQ((std::vector<int>{365, 0, 363}), (std::vector<int>{value.GetDayOfYear(), CQorDateTime(2001, 1, 1, 23, 0, 0).GetDayOfYear(),
                                                                 CQorDateTime(0.5).GetDayOfYear()}));
    struct tm broken;
    EXPECT_TRUE(value.GetAsTmStruct(broken) == 0 && broken.tm_year == 100 && broken.tm_mon == 11 && broken.tm_wday == 0 &&
                broken.tm_sec == 15);
    EXPECT_TRUE(CQorDateTime(1e10).GetAsTmStruct(broken) == E_FAIL && broken.tm_year == 0);
    value.SetStatus(CQorDateTime::Null);
    EXPECT_EQ(-1, value.GetYear()) << "a null value has no fields, whatever its raw value";
    SYSTEMTIME fields;
    EXPECT_TRUE(value.GetAsSystemTime(fields) == 1 && value.GetStatus() == CQorDateTime::Valid)
        << "the breakdown ignores the status and makes it valid";
    EXPECT_TRUE(CQorDateTime(2007, 3, 25, 10, 0, 0).IsSameDay(CQorDateTime(2007, 3, 25, 23, 59, 0)));
    EXPECT_FALSE(CQorDateTime(2007, 3, 25, 23, 59, 0).IsSameDay(CQorDateTime(2007, 3, 26, 0, 0, 0)));
}

TEST(QorDateTime, ArithmeticPassesNullBeforeInvalid)
{
    CQorDateTime valid(5.0), invalid(5.0), null(5.0);
    invalid.SetStatus(CQorDateTime::Invalid);
    null.SetStatus(CQorDateTime::Null);
    CQorDateTimeSpan day(1.0), nullSpan(1.0), invalidSpan(1.0);
    nullSpan.SetStatus(CQorDateTimeSpan::Null);
    invalidSpan.SetStatus(CQorDateTimeSpan::Invalid);
    for (const CQorDateTime &result : {invalid + nullSpan, null - invalidSpan, null + day})
        EXPECT_TRUE(result.GetStatus() == CQorDateTime::Null && (double)result == 0.0);
    for (const CQorDateTime &result : {valid + invalidSpan, invalid - day})
        EXPECT_TRUE(result.GetStatus() == CQorDateTime::Invalid && (double)result == 0.0);
    valid += CQorDateTimeSpan(0, 12, 0, 0);
    valid -= CQorDateTimeSpan(2.0);
    EXPECT_DOUBLE_EQ(3.5, (double)valid);
    EXPECT_EQ(CQorDateTimeSpan::Valid, (invalid - null).GetStatus()) << "differences ignore the statuses";
}

TEST(QorDateTimeSpan, UnitsRoundingAndArithmetic)
{
    static const struct { double days; long d, h, m, s; double totalHours; } kRows[] = {
        {1 + 2 / 24.0 + 3 / 1440.0 + 4 / 86400.0, 1, 2, 3, 4, 26},
        {0.999999, 0, 0, 59, 59, 23},     // 24 hours after the correction, less 24; the total stays 23
        {-0.5, 0, -11, 0, 0, -11},        // the correction is added before cutting toward zero
        {0.99999 / 86400, 0, 0, 0, 1, 0}, // a hair under a second reads as one
    };
    for (const auto &row : kRows) {
        CQorDateTimeSpan span(row.days);
        EXPECT_TRUE(span.GetDays() == row.d && span.GetHours() == row.h && span.GetMinutes() == row.m &&
                    span.GetSeconds() == row.s && span.GetTotalHours() == row.totalHours) << row.days;
    }
    CQorDateTimeSpan built(1, 2, 3, 4), null(1.0), invalid(1.0);
    EXPECT_NEAR(1.0854629, built.GetTotalDays(), 1e-7);
    EXPECT_TRUE(built.GetTotalSeconds() == 93784.0 && built.GetTotalMinutes() == 1563.0);
    EXPECT_STREQ("", built.Format("%H").GetString());
    null.SetStatus(CQorDateTimeSpan::Null);
    invalid.SetStatus(CQorDateTimeSpan::Invalid);
    EXPECT_TRUE((invalid + null).GetStatus() == CQorDateTimeSpan::Null && (-null).GetStatus() == CQorDateTimeSpan::Valid);
    EXPECT_TRUE((built - invalid).GetStatus() == CQorDateTimeSpan::Invalid && (built - invalid).GetTotalDays() == 0.0);
    EXPECT_TRUE(null < built && null <= invalid && !(null == invalid)) << "ordering ignores the status";
    built -= CQorDateTimeSpan(1, 2, 3, 4);
    EXPECT_NEAR(0.0, (double)built, 1e-12);
}
