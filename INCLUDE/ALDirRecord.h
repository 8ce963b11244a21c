// ALDirRecord.h: a ZIP file's directory in flat form, one ALDirRecord per member and a terminator, and
// the five functions that read such an array, extract its marked records, write a directory back from
// it and make a new ZIP file from a list of file names and patterns. The ZIP class works only
// through these.
#pragma once

#include "ALMonitor.h"
#include "QorExport.h"
#include "QorWinTypes.h"

class ALZipArchive;

// One member of an archive. The last record of an array is the terminator: its name is the archive
// file's name, its comment the archive comment and its size -1.
struct ALDirRecord {
    char *szName;    // owned; the stored name
    char *szComment; // owned; "" when none
    // The terminator holds its archive in pArchive below, beside this 32-bit field, which a pointer
    // of 64 bits cannot fit; the field stays 0 there.
    LONG lCompressedSize;
    LONG lLocalHeaderOffset;
    LONG lSize; // uncompressed; -1 marks the terminator
    DWORD ulCrc32; // running-register form: the standard CRC-32's complement
    SHORT sMark;      // 1: act on this member
    SHORT sEncrypted; // -1 when encrypted
    SHORT sMonth;     // 1-12
    SHORT sDay;
    SHORT sYear; // full year, 1999
    SHORT sHour;
    SHORT sMinute;
    SHORT sSecond;
    // Attributes: 0xFF when set, any nonzero value reads as set.
    BYTE cReadOnly;
    BYTE cArchive;
    BYTE cSystem;
    BYTE cHidden;
    BYTE cDirectory;
    BYTE cLevel; // 0 stored, else the deflate option + 1: 1 normal, 2 maximum, 3 fast, 4 super fast
    ALZipArchive *pArchive; // the terminator's archive, which read the directory; null elsewhere
};

// Reads the directory of `fileName`: a new array (free it with ALFreeDirRecords), or null with
// *status the engine's negative code and *count 0. Either out-pointer may be null.
QORUTIL_API ALDirRecord *ALReadDirRecords(const char *fileName, int *count, int *status);
// Frees every string of the array, its archive and the array; null is allowed.
QORUTIL_API void ALFreeDirRecords(ALDirRecord *records);
// Extracts the marked, unencrypted records to their names, relative to the current folder (just the
// last component with bit 0 of `stripPaths`): 0 or the first negative status.
QORUTIL_API int ALExtractDirRecords(ALDirRecord *records, int stripPaths, ALCallbackFunction callback);
// Writes the central directory of the marked records and the end record over the archive's
// directory, from the records as they stand: the directory writer's status.
QORUTIL_API int ALCreateFromDirRecords(ALDirRecord *records);
// Writes a new ZIP file of the files that `spec` names (comma- or tab-separated names and patterns,
// double quotes allowed), each deflated at level 6 and stored once, without its folders when
// `stripPaths` is nonzero: 0 or a negative status.
QORUTIL_API int ALCreateZipFromSpec(const char *fileName, const char *spec, int stripPaths,
                                    ALCallbackFunction callback);
