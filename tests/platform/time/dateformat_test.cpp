// dateformat_test.cpp: GetDateFormatA and GetTimeFormatA in en-US (the locale of our layer and of the
// Wine prefix): the locale forms, every picture letter, the parts the time flags leave out, flag and
// range errors, and the buffer rule at its exact limit.
#include "QorPlatform.h"

#include "QorKnownDifference.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct FormatRow {
    int line;
    DWORD flags;
    const char *picture;
    const char *expected; // null: the call fails with `error`
    DWORD error;
};

std::string DateText(DWORD flags, const SYSTEMTIME &date, const char *picture, int size = 256)
{
    char out[256] = "";
    int length = GetDateFormatA(LOCALE_USER_DEFAULT, flags, &date, picture, out, size);
    return length > 0 ? out : "<failed>";
}

std::string TimeText(DWORD flags, const SYSTEMTIME &time, const char *picture)
{
    char out[256] = "";
    return GetTimeFormatA(LOCALE_USER_DEFAULT, flags, &time, picture, out, sizeof out) > 0 ? out : "<failed>";
}

void CheckRow(const FormatRow &row, const std::string &text)
{
    SCOPED_TRACE(row.line);
    if (row.expected != nullptr) {
        EXPECT_EQ(row.expected, text);
    } else {
        EXPECT_EQ("<failed>", text);
        EXPECT_EQ(row.error, GetLastError());
    }
}

const SYSTEMTIME kSunday{2007, 3, 3, 25, 13, 5, 7, 0}; // the weekday field is wrong on purpose: not read
const SYSTEMTIME kMonday{2007, 3, 1, 5, 9, 5, 7, 0};

} // namespace

TEST(DateFormat, FormsPicturesAndErrors)
{
    static const FormatRow kRows[] = {
        {__LINE__, DATE_SHORTDATE, nullptr, "3/25/2007"},
        {__LINE__, 0, nullptr, "3/25/2007"},
        {__LINE__, DATE_LONGDATE, nullptr, "Sunday, March 25, 2007"},
        {__LINE__, DATE_YEARMONTH, nullptr, "March 2007"},
        {__LINE__, LOCALE_NOUSEROVERRIDE | DATE_SHORTDATE, nullptr, "3/25/2007"},
        {__LINE__, 0, "ddd ", "Sun "},
        {__LINE__, 0, "dddd, ''yy", "Sunday, 07"}, // '' outside quotes is an empty literal
        {__LINE__, DATE_SHORTDATE | DATE_LONGDATE, nullptr, nullptr, ERROR_INVALID_FLAGS},
        {__LINE__, DATE_SHORTDATE, "d", nullptr, ERROR_INVALID_FLAGS},
    };
    for (const FormatRow &row : kRows) {
        SetLastError(0xdeadbeef);
        CheckRow(row, DateText(row.flags, kSunday, row.picture));
    }
    EXPECT_EQ("5 05 Mon Monday 3 03 Mar March 07 2007 2007",
              DateText(0, kMonday, "d dd ddd dddd M MM MMM MMMM yy yyy yyyy"));
    EXPECT_EQ("It's h:mm:ss tt H x", DateText(0, kMonday, "'It''s' h:mm:ss tt H 'x")) << "time letters are text";
    EXPECT_EQ("Monday March", DateText(0, kMonday, "dddddd MMMMM"));
    QOR_EXPECT_BROKEN_ON_WINE(DateText(0, kMonday, "y gg") == "7 A.D.",
                              "Wine pads the one-letter year and spells the era \"AD\" once per letter");

    static const struct {
        SYSTEMTIME date;
        const char *expected;
    } kDates[] = {
        {{1601, 1, 0, 1}, "1/1/1601"}, {{9999, 12, 0, 31}, "12/31/9999"}, {{1600, 12, 0, 31}, nullptr},
        {{2007, 13, 0, 5}, nullptr},   {{2007, 2, 0, 29}, nullptr},       {{2007, 2, 0, 0}, nullptr},
    };
    for (const auto &row : kDates) {
        SetLastError(0xdeadbeef);
        CheckRow({__LINE__, DATE_SHORTDATE, nullptr, row.expected, ERROR_INVALID_PARAMETER},
                 DateText(DATE_SHORTDATE, row.date, nullptr));
    }
}

TEST(DateFormat, BufferSizeRule)
{
    char out[16];
    EXPECT_EQ(10, GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &kSunday, nullptr, nullptr, 0));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &kSunday, nullptr, out, 9));
    EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
    EXPECT_EQ(10, GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &kSunday, nullptr, out, 10));
    EXPECT_STREQ("3/25/2007", out);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &kSunday, nullptr, out, -1));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
    EXPECT_EQ(11, GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &kMonday, nullptr, nullptr, 0));
    EXPECT_EQ(0, GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &kMonday, nullptr, out, 10));
    EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
    EXPECT_GT(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, out, 0), 10) << "null is today";
}

TEST(TimeFormat, FormsPicturesAndLeftOutParts)
{
    static const FormatRow kRows[] = {
        {__LINE__, 0, nullptr, "1:05:07 PM"},
        {__LINE__, TIME_NOMINUTESORSECONDS, nullptr, "1 PM"},
        {__LINE__, TIME_NOSECONDS, nullptr, "1:05 PM"},
        {__LINE__, TIME_NOTIMEMARKER, nullptr, "1:05:07"}, // the blank before the marker goes with it
        {__LINE__, TIME_FORCE24HOURFORMAT, nullptr, "13:05:07 PM"},
        {__LINE__, TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER, nullptr, "13:05:07"},
        {__LINE__, 0, "h hh H HH m mm s ss t tt 'q''x' d M y", "1 01 13 13 5 05 7 07 P PM q'x d M y"},
        {__LINE__, 0, "hhh mmm sss ttt HHH", "01 05 07 PM 13"},
        {__LINE__, TIME_NOSECONDS, "hh 'a' mm 'b' ss", "01 a 05"}, // quoted text before a dropped part goes
        {__LINE__, TIME_NOMINUTESORSECONDS, "hh.mm.ss tt", "01 PM"},
        {__LINE__, TIME_NOTIMEMARKER, "tt hh:mm", " 01:05"},
    };
    for (const FormatRow &row : kRows)
        CheckRow(row, TimeText(row.flags, kSunday, row.picture));
    EXPECT_EQ("12:05:07 AM", TimeText(0, SYSTEMTIME{2000, 1, 6, 1, 0, 5, 7, 0}, nullptr));
    EXPECT_EQ("12:00:00 PM", TimeText(0, SYSTEMTIME{2000, 1, 6, 1, 12, 0, 0, 999}, nullptr));
    for (SYSTEMTIME bad : {SYSTEMTIME{2000, 1, 6, 1, 24}, SYSTEMTIME{2000, 1, 6, 1, 1, 60},
                           SYSTEMTIME{2000, 1, 6, 1, 1, 0, 60}, SYSTEMTIME{2000, 1, 6, 1, 1, 0, 0, 1000}}) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ("<failed>", TimeText(0, bad, nullptr));
        EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
    }
}
