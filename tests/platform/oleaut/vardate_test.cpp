// vardate_test.cpp: VarBstrFromDate forms and the texts VarDateFromStr reads or refuses (same rows under Wine).
#include "QorPlatform.h"

#include "QorKnownDifference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <string>

namespace {

std::string Narrow(BSTR text) { return std::string(text, text + SysStringLen(text)); }

HRESULT Parse(const char *text, double &value, ULONG flags = 0)
{
    std::basic_string<OLECHAR> wide(text, text + std::char_traits<char>::length(text));
    value = -7;
    return VarDateFromStr(&wide[0], LOCALE_USER_DEFAULT, flags, &value); // mingw declares it non-const
}

double ThisYears(int month, int day)
{
    std::time_t now = std::time(nullptr);
    SYSTEMTIME date{(WORD)(std::localtime(&now)->tm_year + 1900), (WORD)month, 0, (WORD)day, 0, 0, 0, 0};
    double value = 0;
    SystemTimeToVariantTime(&date, &value);
    return value;
}

} // namespace

TEST(VarBstrFromDate, LeavesOutDayZeroAndMidnight)
{
    static const struct { double value; ULONG flags; const char *expected; /* null: E_INVALIDARG */ } kRows[] = {
        {0.0, 0, "12:00:00 AM"}, {-0.5, 0, "12:00:00 PM"}, // day 0 from either side shows the time alone
        {1.0, 0, "12/31/1899"}, {-1.25, 0, "12/29/1899 6:00:00 AM"}, {-657434.0, 0, "1/1/100"},
        {36526.0000057, 0, "1/1/2000 12:00:00 AM"}, // a fraction that rounds to midnight still shows
        {36526.99999999, 0, "1/2/2000 12:00:00 AM"}, {39172.604166666664, 0, "3/31/2007 2:30:00 PM"},
        {2958465.5, 0, "12/31/9999 12:00:00 PM"}, {36526.5, VAR_TIMEVALUEONLY, "12:00:00 PM"},
        {36526.5, VAR_DATEVALUEONLY, "1/1/2000"}, {36526.0, VAR_TIMEVALUEONLY, ""}, {0.0, VAR_DATEVALUEONLY, ""},
        {36526.5, VAR_FOURDIGITYEARS, "1/1/2000 12:00:00 PM"}, {2958466.0, 0, nullptr}, {-657435.0, 0, nullptr},
    };
    for (const auto &row : kRows) {
        BSTR text = nullptr;
        HRESULT result = VarBstrFromDate(row.value, LOCALE_USER_DEFAULT, row.flags, &text);
        EXPECT_EQ(row.expected ? row.expected : "<refused>", result == S_OK ? Narrow(text) : result == E_INVALIDARG ? "<refused>" : "?")
            << row.value;
        SysFreeString(text);
    }
    EXPECT_EQ(E_INVALIDARG, VarBstrFromDate(1.5, LOCALE_USER_DEFAULT, 0, nullptr));
}

TEST(VarDateFromStr, ReadsTheEnglishForms)
{
    static const struct { const char *text; double value; } kRows[] = {
        {"1/2/2000", 36527}, {"01/02/2000", 36527}, {"1/2/00", 36527}, {"1/2/99", 36162}, {"1/1/49", 54424},
        {"1/1/50", 18264}, {"1/2/099", 36162}, {"1-2-99", 36162}, {"99-1-2", 36162}, {"2000-01-02", 36527},
        {"2000/1/2", 36527}, {"13/1/2000", 36538}, {"1/13/2000", 36538}, {"2000-13-01", 36538}, {"31 12 1999", 36525},
        {"1999 12 31", 36525}, {"2 2 2000", 36558}, {"1/2/100", -657433}, {"12/30/1899", 0},
        {"January 2, 2000", 36527}, {"Jan 2 2000", 36527}, {"2 Jan 2000", 36527}, {"2-Jan-2000", 36527},
        {"2000 Jan 2", 36527}, {"jan 2 2000", 36527}, {"JANUARY 2 2000", 36527}, {"Jan 2000", 36526},
        {"2000/1", 36526}, {"Jan 45", 52963}, {"Monday, January 02, 2000", 36527}, // the weekday name is not checked
        {"10:30", 0.4375}, {"10:30 PM", 0.9375}, {"10PM", 22 / 24.0}, {"5:3", 0.21041666666666667}, {"12:00 AM", 0},
        {"12:00 PM", 0.5}, {"10:30:15 pm", 0.93767361111111114},
        {"1/2/2000 13:00 PM", 36527 + 13 / 24.0}, // PM after 12 o'clock changes nothing
        {"12/29/1899 6:00 AM", -1.25}, {"10:30 PM 1/2/2000", 36527.9375}, {"1/2/2000,10:30", 36527.4375},
        {" 1/2/2000\t10:30 ", 36527.4375}, {"Jan 2, 2000 10:30 AM", 36527.4375},
        {"2000-01-02 10:30:15", 36527.437673611108},
    };
    for (const auto &row : kRows) {
        double value;
        EXPECT_TRUE(Parse(row.text, value) == S_OK && std::fabs(row.value - value) < 1e-12) << row.text << " " << value;
    }
    double value, timeOnly, dateOnly;
    for (const char *text : {"1/2", "Jan 2", "2 Jan"})
        EXPECT_TRUE(Parse(text, value) == S_OK && value == ThisYears(1, 2)) << text << ": this year";
    EXPECT_TRUE(Parse("1/2/2000 10:30", timeOnly, VAR_TIMEVALUEONLY) == S_OK && timeOnly == 0.4375);
    EXPECT_TRUE(Parse("1/2/2000 10:30", dateOnly, VAR_DATEVALUEONLY) == S_OK && dateOnly == 36527);
}

TEST(VarDateFromStr, RefusesWhatIsNoDate)
{
    for (const char *text : {"", "  ", "abc", "2000", "12", "January", "AM", "1/2/", "2/30/2000", "2/29/2001",
                             "1/1/10000", "2000-12-32", "24:00", "10:60", "5:", "1/2/2000 10", "1.2.2000",
                             "10:30:15.5", "2000-01-02T10:30:15", "1/2/2000 x", "Febr 2 2000", "Jan 2nd 2000",
                             "1/2/2000 10:30:15 AM PM", "1/2/2000 10:30:15:20", "-1/2/2000", "1/2/-2000"}) {
        double value;
        EXPECT_EQ(DISP_E_TYPEMISMATCH, Parse(text, value)) << text;
    }
}
