// QorWinApiTime.h: the time part of the POSIX stand-in for <windows.h>: time zones, with their exact
// Win32 names and signatures.
#pragma once

#if defined(_WIN32)
#  error "QorWinApiTime.h is part of the POSIX stand-in for <windows.h>; include QorWinTypes.h instead"
#endif

#define TIME_ZONE_ID_UNKNOWN 0  // the zone has no daylight saving
#define TIME_ZONE_ID_STANDARD 1 // standard time now
#define TIME_ZONE_ID_DAYLIGHT 2 // daylight saving time now
#define TIME_ZONE_ID_INVALID ((DWORD)0xFFFFFFFF)

extern "C" {

// The zone of $TZ, or of /etc/localtime without it, read afresh on every call.
QORUTIL_API DWORD WINAPI GetTimeZoneInformation(LPTIME_ZONE_INFORMATION lpTimeZoneInformation);

} // extern "C"

extern "C" {

// An MS-DOS date (bits 9-15 years since 1980, 5-8 month, 0-4 day) and time (11-15 hours, 5-10
// minutes, 0-4 seconds / 2) as a FILETIME, without any time-zone conversion.
QORUTIL_API BOOL WINAPI DosDateTimeToFileTime(WORD wFatDate, WORD wFatTime, LPFILETIME lpFileTime);

} // extern "C"
