// ALFileStamp.h: the conversions between a storage's time and attributes and the platform's: the
// local time to UTC by the zone's current bias, the last-write time set through the DOS date form,
// and the attribute bits of a member against the platform's file attributes.
#pragma once

#include "ALStorage.h"

// `local` as UTC: the zone's bias added, and its daylight bias too while daylight time is in force.
ALTimeDate ALUniversalFromLocal(const ALTimeDate &local);
// Sets the file's last-write time to `universal` (to the two seconds of the DOS form); false on failure.
bool ALSetLastWriteTime(const char *fileName, const ALTimeDate &universal);
WORD ALAttributesFromPlatform(DWORD platform);
// The platform attributes to set on close; none at all when AL_ATTRIBUTE_NONE is set.
DWORD ALPlatformFromAttributes(WORD attributes);
