// QorWinApiTime.h: the time part of the POSIX stand-in for <windows.h>: time zones, the clock, file
// times, automation dates and their texts, with their exact Win32 names and signatures.
#pragma once

#if defined(_WIN32)
#  error "QorWinApiTime.h is part of the POSIX stand-in for <windows.h>; include QorWinTypes.h instead"
#endif

#define TIME_ZONE_ID_UNKNOWN 0  // the zone has no daylight saving
#define TIME_ZONE_ID_STANDARD 1 // standard time now
#define TIME_ZONE_ID_DAYLIGHT 2 // daylight saving time now
#define TIME_ZONE_ID_INVALID ((DWORD)0xFFFFFFFF)

// Locales: this layer knows en-US, which is also the user and system default.
#define LOCALE_NEUTRAL 0x0000
#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_SYSTEM_DEFAULT 0x0800
#define LOCALE_NOUSEROVERRIDE 0x80000000
#define LOCALE_USE_CP_ACP 0x40000000
#define DATE_SHORTDATE 0x00000001
#define DATE_LONGDATE 0x00000002
#define DATE_USE_ALT_CALENDAR 0x00000004
#define DATE_YEARMONTH 0x00000008
#define TIME_NOMINUTESORSECONDS 0x00000001
#define TIME_NOSECONDS 0x00000002
#define TIME_NOTIMEMARKER 0x00000004
#define TIME_FORCE24HOURFORMAT 0x00000008

// Automation date texts
#define VAR_TIMEVALUEONLY 0x00000001
#define VAR_DATEVALUEONLY 0x00000002
#define VAR_FOURDIGITYEARS 0x00000040
#define DISP_E_TYPEMISMATCH ((HRESULT)0x80020005L)
#define DISP_E_OVERFLOW ((HRESULT)0x8002000AL)

extern "C" {

// The zone of $TZ, or of /etc/localtime without it, read afresh on every call.
QORUTIL_API DWORD WINAPI GetTimeZoneInformation(LPTIME_ZONE_INFORMATION lpTimeZoneInformation);

// The clock and file times (100-nanosecond ticks since 1601). Local file times are shifted by the
// zone's offset of now, as Windows documents for FileTimeToLocalFileTime.
QORUTIL_API void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime);
QORUTIL_API BOOL WINAPI FileTimeToSystemTime(const FILETIME *lpFileTime, LPSYSTEMTIME lpSystemTime);
QORUTIL_API BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME *lpSystemTime, LPFILETIME lpFileTime);
QORUTIL_API BOOL WINAPI FileTimeToLocalFileTime(const FILETIME *lpFileTime, LPFILETIME lpLocalFileTime);
QORUTIL_API BOOL WINAPI LocalFileTimeToFileTime(const FILETIME *lpLocalFileTime, LPFILETIME lpFileTime);
QORUTIL_API BOOL WINAPI DosDateTimeToFileTime(WORD wFatDate, WORD wFatTime, LPFILETIME lpFileTime);

// Automation dates: days since 30 December 1899, years 100 to 9999, to the second.
QORUTIL_API INT WINAPI SystemTimeToVariantTime(LPSYSTEMTIME lpSystemTime, DOUBLE *pvtime);
QORUTIL_API INT WINAPI VariantTimeToSystemTime(DOUBLE vtime, LPSYSTEMTIME lpSystemTime);

// The en-US forms: short date "M/d/yyyy", long date "dddd, MMMM d, yyyy", year and month "MMMM yyyy",
// time "h:mm:ss tt"; or a picture of d dd ddd dddd M MM MMM MMMM y yy yyyy gg (dates) and h hh H HH m
// mm s ss t tt (times), with 'quoted' text. Dates from 1601 on; other locales: ERROR_INVALID_PARAMETER.
QORUTIL_API int WINAPI GetDateFormatA(LCID Locale, DWORD dwFlags, const SYSTEMTIME *lpDate, LPCSTR lpFormat,
                                      LPSTR lpDateStr, int cchDate);
QORUTIL_API int WINAPI GetTimeFormatA(LCID Locale, DWORD dwFlags, const SYSTEMTIME *lpTime, LPCSTR lpFormat,
                                      LPSTR lpTimeStr, int cchTime);

// The automation text of a date ("M/d/yyyy h:mm:ss tt", the date left out on day 0 and the time at
// midnight), and the parse of such texts: numeric month/day/year with 2- or 4-digit years, ISO
// yyyy-mm-dd, month names and abbreviations anywhere, weekday names (ignored), times with minutes,
// seconds and AM/PM, date and time in either order or alone. Other locales: E_INVALIDARG.
QORUTIL_API HRESULT WINAPI VarBstrFromDate(DATE dateIn, LCID lcid, ULONG dwFlags, BSTR *pbstrOut);
QORUTIL_API HRESULT WINAPI VarDateFromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, DATE *pdateOut);

} // extern "C"
