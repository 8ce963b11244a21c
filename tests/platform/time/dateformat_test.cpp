// dateformat_test.cpp: GetDateFormatA and GetTimeFormatA in en-US: forms, picture letters, flags, buffer rule.
#include "QorPlatform.h"

#include "QorKnownDifference.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const SYSTEMTIME kSunday{2007, 3, 3, 25, 13, 5, 7, 0}; // the weekday field is wrong on purpose: not read
const SYSTEMTIME kMonday{2007, 3, 1, 5, 9, 5, 7, 0};

// The text of GetDateFormatA or GetTimeFormatA, or "error N" with the last error.
std::string Text(bool time, DWORD flags, const SYSTEMTIME &when, const char *picture, int size)
{
    char out[64] = "";
    SetLastError(0xdeadbeef);
    int length = (time ? GetTimeFormatA : GetDateFormatA)(LOCALE_USER_DEFAULT, flags, &when, picture, out, size);
    return length > 0 ? out : "error " + std::to_string(GetLastError());
}
std::string DateText(DWORD flags, const SYSTEMTIME &d, const char *picture, int size = 64) { return Text(false, flags, d, picture, size); }
std::string TimeText(DWORD flags, const SYSTEMTIME &t, const char *picture, int size = 64) { return Text(true, flags, t, picture, size); }

} // namespace

TEST(DateFormat, FormsPicturesAndErrors)
{
    EXPECT_EQ("3/25/2007", DateText(DATE_SHORTDATE, kSunday, nullptr));
    EXPECT_EQ("3/25/2007", DateText(LOCALE_NOUSEROVERRIDE, kSunday, nullptr));
    EXPECT_EQ("Sunday, March 25, 2007", DateText(DATE_LONGDATE, kSunday, nullptr));
    EXPECT_EQ("March 2007", DateText(DATE_YEARMONTH, kSunday, nullptr));
    EXPECT_EQ("Sun ", DateText(0, kSunday, "ddd "));
    EXPECT_EQ("Sunday, 07", DateText(0, kSunday, "dddd, ''yy")) << "'' outside quotes is an empty text";
    EXPECT_EQ("5 05 Mon Monday 3 03 Mar March 07 2007 2007", DateText(0, kMonday, "d dd ddd dddd M MM MMM MMMM yy yyy yyyy"));
    EXPECT_EQ("It's h:mm:ss tt H x", DateText(0, kMonday, "'It''s' h:mm:ss tt H 'x")) << "time letters are text";
    EXPECT_EQ("Monday March", DateText(0, kMonday, "dddddd MMMMM"));
    QOR_EXPECT_BROKEN_ON_WINE(DateText(0, kMonday, "y gg") == "7 A.D.",
                              "Wine pads the one-letter year and spells the era \"AD\" once per letter");
    EXPECT_EQ("error 1004", DateText(DATE_SHORTDATE | DATE_LONGDATE, kSunday, nullptr));
    EXPECT_EQ("error 1004", DateText(DATE_SHORTDATE, kSunday, "d")) << "a picture or a form, not both";
    EXPECT_EQ("1/1/1601 12/31/9999", DateText(DATE_SHORTDATE, SYSTEMTIME{1601, 1, 0, 1, 0, 0, 0, 0}, nullptr) + " " +
                                         DateText(DATE_SHORTDATE, SYSTEMTIME{9999, 12, 0, 31, 0, 0, 0, 0}, nullptr));
    for (SYSTEMTIME bad : {SYSTEMTIME{1600, 12, 0, 31, 0, 0, 0, 0}, SYSTEMTIME{2007, 13, 0, 5, 0, 0, 0, 0},
                           SYSTEMTIME{2007, 2, 0, 30, 0, 0, 0, 0}, SYSTEMTIME{2007, 2, 0, 0, 0, 0, 0, 0}})
        EXPECT_EQ("error 87", DateText(DATE_SHORTDATE, bad, nullptr)) << bad.wYear << "-" << bad.wMonth;
}

TEST(DateFormat, BufferSizeRule)
{
    EXPECT_EQ(10, GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &kSunday, nullptr, nullptr, 0));
    EXPECT_EQ("error 122", DateText(DATE_SHORTDATE, kSunday, nullptr, 9));
    EXPECT_EQ("3/25/2007", DateText(DATE_SHORTDATE, kSunday, nullptr, 10));
    EXPECT_EQ("error 87", DateText(DATE_SHORTDATE, kSunday, nullptr, -1));
    EXPECT_EQ(11, GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &kMonday, nullptr, nullptr, 0));
    EXPECT_EQ("error 122", TimeText(0, kMonday, nullptr, 10));
    EXPECT_EQ("9:05:07 AM", TimeText(0, kMonday, nullptr, 11));
    EXPECT_GT(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, nullptr, 0), 10) << "today";
}

TEST(TimeFormat, FormsPicturesAndLeftOutParts)
{
    static const struct { DWORD flags; const char *picture, *expected; } kRows[] = {
        {0, nullptr, "1:05:07 PM"}, {TIME_NOMINUTESORSECONDS, nullptr, "1 PM"}, {TIME_NOSECONDS, nullptr, "1:05 PM"},
        {TIME_NOTIMEMARKER, nullptr, "1:05:07"}, // the blank before the marker goes with it
        {TIME_FORCE24HOURFORMAT, nullptr, "13:05:07 PM"}, {TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER, nullptr, "13:05:07"},
        {0, "h hh H HH m mm s ss t tt 'q''x' d M y", "1 01 13 13 5 05 7 07 P PM q'x d M y"},
        {0, "hhh mmm sss ttt HHH", "01 05 07 PM 13"},
        {TIME_NOSECONDS, "hh 'a' mm 'b' ss", "01 a 05"}, // quoted text before a left-out part goes too
        {TIME_NOMINUTESORSECONDS, "hh.mm.ss tt", "01 PM"},
        {TIME_NOTIMEMARKER, "tt hh:mm", " 01:05"},
    };
    for (const auto &row : kRows)
        EXPECT_EQ(row.expected, TimeText(row.flags, kSunday, row.picture)) << (row.picture ? row.picture : "");
    EXPECT_EQ("12:05:07 AM 12:00:00 PM", TimeText(0, SYSTEMTIME{2000, 1, 6, 1, 0, 5, 7, 0}, nullptr) + " " +
                                             TimeText(0, SYSTEMTIME{2000, 1, 6, 1, 12, 0, 0, 999}, nullptr));
    for (SYSTEMTIME bad : {SYSTEMTIME{2000, 1, 6, 1, 24, 0, 0, 0}, SYSTEMTIME{2000, 1, 6, 1, 1, 60, 0, 0},
                           SYSTEMTIME{2000, 1, 6, 1, 1, 0, 60, 0}, SYSTEMTIME{2000, 1, 6, 1, 1, 0, 0, 1000}})
        EXPECT_EQ("error 87", TimeText(0, bad, nullptr));
}
