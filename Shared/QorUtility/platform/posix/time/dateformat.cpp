// dateformat.cpp: GetDateFormatA and GetTimeFormatA for the en-US locale: the locale forms or a
// caller's picture, the Win32 flag and range checks, and the buffer rule (a size of 0 asks for the
// size; too small a buffer is ERROR_INSUFFICIENT_BUFFER).
#include "time/calendar.h"
#include "time/picture.h"

#include <cstring>
#include <ctime>
#include <string>

using namespace qor::platform;

namespace {

SYSTEMTIME LocalNow()
{
    time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(local.tm_year + 1900);
    time.wMonth = static_cast<WORD>(local.tm_mon + 1);
    time.wDayOfWeek = static_cast<WORD>(local.tm_wday);
    time.wDay = static_cast<WORD>(local.tm_mday);
    time.wHour = static_cast<WORD>(local.tm_hour);
    time.wMinute = static_cast<WORD>(local.tm_min);
    time.wSecond = static_cast<WORD>(local.tm_sec);
    return time;
}

// The Gregorian range of file times; the weekday is not read.
bool IsValidDate(const SYSTEMTIME &date)
{
    return date.wYear >= 1601 && date.wYear <= 30827 && date.wMonth >= 1 && date.wMonth <= 12 && date.wDay >= 1 &&
           date.wDay <= DaysInMonth(date.wYear, date.wMonth);
}

bool IsValidTime(const SYSTEMTIME &time)
{
    return time.wHour <= 23 && time.wMinute <= 59 && time.wSecond <= 59 && time.wMilliseconds <= 999;
}

// The text and its terminator into the caller's buffer, by the Win32 size rule.
int CopyOut(const std::string &text, LPSTR buffer, int size)
{
    int needed = static_cast<int>(text.size()) + 1;
    if (size == 0)
        return needed;
    if (size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, text.c_str(), needed);
    return needed;
}

const char *DatePictureOf(DWORD flags)
{
    if (flags & DATE_LONGDATE)
        return kLongDatePicture;
    return flags & DATE_YEARMONTH ? kYearMonthPicture : kShortDatePicture;
}

bool HasOneFormFlagAtMost(DWORD flags)
{
    DWORD forms = flags & (DATE_SHORTDATE | DATE_LONGDATE | DATE_YEARMONTH);
    return (forms & (forms - 1)) == 0;
}

} // namespace

int WINAPI GetDateFormatA(LCID Locale, DWORD dwFlags, const SYSTEMTIME *lpDate, LPCSTR lpFormat, LPSTR lpDateStr,
                          int cchDate)
{
    if (cchDate < 0 || (cchDate > 0 && lpDateStr == nullptr) || !IsEnglishUsLocale(Locale))
        return FailWith(ERROR_INVALID_PARAMETER);
    bool asksForm = (dwFlags & (DATE_SHORTDATE | DATE_LONGDATE | DATE_YEARMONTH)) != 0;
    if ((lpFormat != nullptr && asksForm) || !HasOneFormFlagAtMost(dwFlags))
        return FailWith(ERROR_INVALID_FLAGS);
    SYSTEMTIME date = lpDate != nullptr ? *lpDate : LocalNow();
    if (!IsValidDate(date))
        return FailWith(ERROR_INVALID_PARAMETER);
    return CopyOut(RenderDatePicture(lpFormat != nullptr ? lpFormat : DatePictureOf(dwFlags), date), lpDateStr,
                   cchDate);
}

int WINAPI GetTimeFormatA(LCID Locale, DWORD dwFlags, const SYSTEMTIME *lpTime, LPCSTR lpFormat, LPSTR lpTimeStr,
                          int cchTime)
{
    if (cchTime < 0 || (cchTime > 0 && lpTimeStr == nullptr) || !IsEnglishUsLocale(Locale))
        return FailWith(ERROR_INVALID_PARAMETER);
    SYSTEMTIME time = lpTime != nullptr ? *lpTime : LocalNow();
    if (!IsValidTime(time))
        return FailWith(ERROR_INVALID_PARAMETER);
    return CopyOut(RenderTimePicture(lpFormat != nullptr ? lpFormat : kTimePicture, time, dwFlags), lpTimeStr,
                   cchTime);
}
