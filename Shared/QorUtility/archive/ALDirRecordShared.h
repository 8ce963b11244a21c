// ALDirRecordShared.h: what the directory-record functions share inside the library: the prototype
// sets they build their lists with, and the search for an array's terminator.
#pragma once

#include "ALDirRecord.h"
#include "ALEngine.h"

// File storages; inflate, then copy, to read and extract.
ALPrototypeSet ALReadPrototypes();
// File storages; deflate at level 6 (window bits 15, memory level 8), then copy, to create.
ALPrototypeSet ALCreatePrototypes();

// The terminator: the first record with size -1 that holds its archive (a member's size can read as
// -1 too, from a directory that gives 0xFFFFFFFF).
ALDirRecord *ALFindTerminator(ALDirRecord *records);
