// QorDateTimeText_test.cpp: CQorDateTime text forms in en-US and ParseDateTime, with their 0.0 and status rules.
#include "QorDateTime.h"

#include "QorTestStrings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(const CQorString &text) { return text.GetString(); }

} // namespace

TEST(QorDateTimeText, ZeroIsNoDateButMidnight)
{
    CQorDateTime zero; // strftime patterns make no exception for 0.0
    EXPECT_EQ("|||12:00:00 AM| 12:00:00 AM|1899-12-30",
              Text(zero.FormatShortDate() + "|" + zero.FormatLongDate() + "|" + zero.Format(0, 0x400, nullptr) + "|" +
                   zero.FormatTime(0) + "|" + zero.FormatShortDateAndTime() + "|" + zero.Format("%Y-%m-%d")));
}

TEST(QorDateTimeText, FormsOfAValue)
{
    CQorDateTime thursday(2007, 3, 29, 13, 5, 7);
    CQorString out;
    EXPECT_EQ("3/29/2007 1:05:07 PM", Text(thursday.Format(0, 0x400, &out)));
    EXPECT_EQ("3/29/2007 1:05:07 PM", Text(out));
    // hours are text in a date picture
    EXPECT_EQ("3/29/2007|Thursday, March 29, 2007|Thu 3/29/2007 1:05:07 PM|Thursday, March 29, 2007 1:05:07 PM|1:05 PM|Thu HH",
              Text(thursday.FormatShortDate() + "|" + thursday.FormatLongDate() + "|" + thursday.FormatWDAndShortDT() + "|" +
                   thursday.FormatLongDateAndTime() + "|" + thursday.FormatTime(TIME_NOSECONDS) + "|" +
                   thursday.FormatDate(0, "ddd HH")));

    CQorDateTime invalid(36526.5);
    invalid.SetStatus(CQorDateTime::Invalid);
    EXPECT_EQ("", Text(invalid.Format(0, 0x400, &out)));
    EXPECT_EQ("", Text(out));
    EXPECT_EQ("1/1/2000", Text(invalid.FormatShortDate())) << "the locale forms format the raw value";
    EXPECT_EQ("|", Text(CQorDateTime(1e10).FormatShortDate()) + "|" + Text(CQorDateTime(1e10).Format("%Y")));
    EXPECT_EQ("", Text(CQorDateTime(-600000.0).FormatShortDate())) << "the locale forms start in 1601";
    EXPECT_EQ("4/2/257", Text(CQorDateTime(-600000.0).Format(0, 0x400)));
}

TEST(QorDateTimeText, PatternsFromResourcesAndOverflow)
{
    CQorDateTime value(2007, 3, 29, 13, 5, 7);
    EXPECT_EQ(QOR_TEST_IDS_GREETING_TEXT, Text(value.Format((unsigned int)QOR_TEST_IDS_GREETING)));
    EXPECT_EQ("", Text(value.Format((unsigned int)QOR_TEST_IDS_LONG) + value.Format((unsigned int)QOR_TEST_IDS_MISSING_BLOCK)))
        << "longer than the 512-byte buffer, or missing";
    EXPECT_EQ("13:05:07 %", Text(value.Format("%H:%M:%S %%")));
}

TEST(QorDateTimeText, ParseFailsToZeroInvalidAndRecovers)
{
    CQorDateTime value(2007, 3, 29, 13, 5, 7);
    EXPECT_TRUE(value.ParseDateTime("not a date") == 0 && (double)value == 0.0 && value.GetStatus() == CQorDateTime::Invalid);
    EXPECT_TRUE(value.ParseDateTime("March 29, 2007 1:05:07 PM") == 1 && value.GetStatus() == CQorDateTime::Valid &&
                value == CQorDateTime(2007, 3, 29, 13, 5, 7));
    EXPECT_TRUE(value.ParseDateTime("12/29/1899 6:00 AM") == 1 && (double)value == -1.25);
    EXPECT_TRUE(value.ParseDateTime("1/2/2000 10:30", VAR_DATEVALUEONLY) == 1 && (double)value == 36527.0);
    EXPECT_TRUE(value.ParseDateTime(nullptr) == 0 && value.ParseDateTime("") == 0);
}
