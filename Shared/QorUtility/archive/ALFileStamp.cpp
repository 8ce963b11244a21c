// ALFileStamp.cpp: a storage's local time as UTC, the file's last-write time set through the DOS date
// and time form (as the ZIP headers hold it), and the attribute bits of a member against the
// platform's. Calendar arithmetic is proleptic Gregorian over days since 1970-01-01.
#include "ALFileStamp.h"
#include "QorPlatform.h"

#include <cstdint>

namespace {

int64_t DaysFromCivil(int64_t year, int month, int day)
{
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468; // 719468: days from 0000-03-01 to 1970-01-01
}

ALTimeDate CivilFromSeconds(int64_t seconds)
{
    int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    int64_t secondOfDay = seconds - days * 86400;
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    int64_t dayOfEra = days - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    int64_t year = yearOfEra + era * 400 + (month <= 2);
    return ALTimeDate{static_cast<WORD>(year), static_cast<WORD>(month), static_cast<WORD>(day),
                      static_cast<WORD>(secondOfDay / 3600), static_cast<WORD>(secondOfDay / 60 % 60),
                      static_cast<WORD>(secondOfDay % 60)};
}

struct AttributePair {
    WORD member;
    DWORD platform;
};

constexpr AttributePair kAttributePairs[] = {{AL_ATTRIBUTE_READ_ONLY, FILE_ATTRIBUTE_READONLY},
                                             {AL_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_SYSTEM},
                                             {AL_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN},
                                             {AL_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_ARCHIVE}};

} // namespace

ALTimeDate ALUniversalFromLocal(const ALTimeDate &local)
{
    int64_t seconds = DaysFromCivil(local.wYear, local.wMonth, local.wDay) * 86400 + local.wHour * 3600 +
                      local.wMinute * 60 + local.wSecond;
    TIME_ZONE_INFORMATION zone{};
    DWORD state = GetTimeZoneInformation(&zone);
    if (state != TIME_ZONE_ID_INVALID) {
        seconds += static_cast<int64_t>(zone.Bias) * 60;
        if (state == TIME_ZONE_ID_DAYLIGHT)
            seconds += static_cast<int64_t>(zone.DaylightBias) * 60;
    }
    return CivilFromSeconds(seconds);
}

bool ALSetLastWriteTime(int descriptor, const ALTimeDate &universal)
{
    if (universal.wYear < 1980 || universal.wYear > 2107)
        return false; // outside what a DOS date holds
    WORD date, time;
    ALDosFromTimeDate(universal, date, time);
    FILETIME lastWrite;
    if (!DosDateTimeToFileTime(date, time, &lastWrite))
        return false;
    HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor)); // the runtime's, closed with it
    return file != INVALID_HANDLE_VALUE && SetFileTime(file, nullptr, nullptr, &lastWrite) != FALSE;
}

void ALDosFromTimeDate(const ALTimeDate &time, WORD &dosDate, WORD &dosTime)
{
    if (time.wYear < 1980) {
        dosDate = 1 << 5 | 1; // 1980-01-01
        dosTime = 0;
    } else if (time.wYear > 2107) {
        dosDate = 127 << 9 | 12 << 5 | 31; // 2107-12-31 23:59:58
        dosTime = 23 << 11 | 59 << 5 | 29;
    } else {
        dosDate = static_cast<WORD>((time.wYear - 1980) << 9 | (time.wMonth & 0x0F) << 5 | (time.wDay & 0x1F));
        dosTime = static_cast<WORD>((time.wHour & 0x1F) << 11 | (time.wMinute & 0x3F) << 5 | (time.wSecond / 2 & 0x1F));
    }
}

ALTimeDate ALTimeDateFromDos(WORD dosDate, WORD dosTime)
{
    return ALTimeDate{static_cast<WORD>(1980 + (dosDate >> 9 & 0x7F)), static_cast<WORD>(dosDate >> 5 & 0x0F),
                      static_cast<WORD>(dosDate & 0x1F),        static_cast<WORD>(dosTime >> 11 & 0x1F),
                      static_cast<WORD>(dosTime >> 5 & 0x3F),   static_cast<WORD>((dosTime & 0x1F) * 2)};
}

WORD ALAttributesFromPlatform(DWORD platform)
{
    WORD attributes = 0;
    if (platform == INVALID_FILE_ATTRIBUTES)
        return attributes;
    for (const AttributePair &pair : kAttributePairs)
        if (platform & pair.platform)
            attributes |= pair.member;
    return attributes;
}

DWORD ALPlatformFromAttributes(WORD attributes)
{
    DWORD platform = 0;
    if (attributes & AL_ATTRIBUTE_NONE)
        return platform;
    for (const AttributePair &pair : kAttributePairs)
        if (attributes & pair.member)
            platform |= pair.platform;
    return platform;
}
