// ALCrc32.h: the CRC-32 of ZIP and zlib (reflected polynomial 0xEDB88320) in the running-register
// form the archive engine keeps: start at 0xFFFFFFFF, run the bytes through, and the ZIP field is the
// register's complement.
#pragma once

#include "QorExport.h"
#include "QorWinTypes.h"

#include <cstddef>

// The register after `count` bytes, each step register = (register >> 8) ^ table[(register ^ byte) & 0xFF].
QORUTIL_API DWORD ALCrc32Update(DWORD reg, const unsigned char *bytes, size_t count);
