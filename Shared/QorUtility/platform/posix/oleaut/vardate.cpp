// vardate.cpp: VarBstrFromDate and VarDateFromStr for the en-US locale. Both go through the Win32
// subset for the calendar (VariantTimeToSystemTime, SystemTimeToVariantTime); the date texts are
// read in datetext.cpp.
#include "oleaut/datetext.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

using qor::platform::DateText;

namespace {

bool IsEnglishUs(LCID locale)
{
    LCID language = locale & 0xFFFF;
    return language == LOCALE_USER_DEFAULT || language == LOCALE_SYSTEM_DEFAULT || language == 0x0409 ||
           language == LOCALE_NEUTRAL;
}

int CurrentLocalYear()
{
    time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

// "M/d/yyyy", "h:mm:ss tt" or both; the date is left out on day 0 and the time when the value has no
// fraction of a day (but not when that leaves nothing).
std::string DateTextOf(DATE value, const SYSTEMTIME &time, ULONG flags)
{
    double whole = std::trunc(value);
    bool showDate = !(flags & VAR_TIMEVALUEONLY) && whole != 0;
    bool showTime = !(flags & VAR_DATEVALUEONLY) && (value != whole || whole == 0);
    char date[32] = "", clock[32] = "";
    if (showDate)
        std::snprintf(date, sizeof date, "%u/%u/%u", time.wMonth, time.wDay, time.wYear);
    if (showTime)
        std::snprintf(clock, sizeof clock, "%u:%02u:%02u %s", (time.wHour + 11) % 12 + 1, time.wMinute, time.wSecond,
                      time.wHour < 12 ? "AM" : "PM");
    return std::string(date) + (showDate && showTime ? " " : "") + clock;
}

// The value of a read text; false when its day does not exist in its month (the conversion would
// carry 30 February into March).
bool ValueOf(const DateText &text, ULONG flags, DATE &value)
{
    SYSTEMTIME time{1899, 12, 0, 30, 0, 0, 0, 0};
    if (text.hasDate && !(flags & VAR_TIMEVALUEONLY)) {
        time.wYear = static_cast<WORD>(text.year != 0 ? text.year : CurrentLocalYear());
        time.wMonth = static_cast<WORD>(text.month);
        time.wDay = static_cast<WORD>(text.day);
    }
    if (text.hasTime && !(flags & VAR_DATEVALUEONLY)) {
        time.wHour = static_cast<WORD>(text.hour);
        time.wMinute = static_cast<WORD>(text.minute);
        time.wSecond = static_cast<WORD>(text.second);
    }
    SYSTEMTIME check;
    return SystemTimeToVariantTime(&time, &value) && VariantTimeToSystemTime(value, &check) &&
           check.wDay == time.wDay && check.wMonth == time.wMonth;
}

} // namespace

HRESULT WINAPI VarBstrFromDate(DATE dateIn, LCID lcid, ULONG dwFlags, BSTR *pbstrOut)
{
    SYSTEMTIME time;
    if (pbstrOut == nullptr || !IsEnglishUs(lcid) || !VariantTimeToSystemTime(dateIn, &time))
        return E_INVALIDARG;
    std::string text = DateTextOf(dateIn, time, dwFlags);
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(text.size()));
    if (result == nullptr)
        return E_OUTOFMEMORY;
    for (size_t i = 0; i < text.size(); ++i)
        result[i] = static_cast<OLECHAR>(text[i]);
    *pbstrOut = result;
    return S_OK;
}

HRESULT WINAPI VarDateFromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, DATE *pdateOut)
{
    if (pdateOut == nullptr || !IsEnglishUs(lcid))
        return E_INVALIDARG;
    if (strIn == nullptr)
        return DISP_E_TYPEMISMATCH;
    DateText text;
    DATE value;
    if (!qor::platform::ReadDateText(strIn, text) || !ValueOf(text, dwFlags, value))
        return DISP_E_TYPEMISMATCH;
    *pdateOut = value;
    return S_OK;
}
