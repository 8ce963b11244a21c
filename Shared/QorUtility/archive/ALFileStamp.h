// ALFileStamp.h: the conversions between a storage's time and attributes and the platform's: the
// local time to UTC by the zone's current bias, the last-write time set through the DOS date form,
// and the attribute bits of a member against the platform's file attributes.
#pragma once

#include "ALStorage.h"

// `local` as UTC: the zone's bias added, and its daylight bias too while daylight time is in force.
ALTimeDate ALUniversalFromLocal(const ALTimeDate &local);
// Sets the last-write time of the file open as the runtime's `descriptor` to `universal` (to the two
// seconds of the DOS form); false on failure.
bool ALSetLastWriteTime(int descriptor, const ALTimeDate &universal);
WORD ALAttributesFromPlatform(DWORD platform);
// The DOS date and time of `time`, as ZIP headers hold them (two-second steps); a year before 1980
// or after 2107, which the form cannot hold, gives its first or last moment.
void ALDosFromTimeDate(const ALTimeDate &time, WORD &dosDate, WORD &dosTime);
ALTimeDate ALTimeDateFromDos(WORD dosDate, WORD dosTime);
// The platform attributes to set on close; none at all when AL_ATTRIBUTE_NONE is set.
DWORD ALPlatformFromAttributes(WORD attributes);
