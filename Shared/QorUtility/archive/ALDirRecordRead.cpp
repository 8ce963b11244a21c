// ALDirRecordRead.cpp: a ZIP file's directory read into a flat record array, and the array freed. The
// records' times are normalised through a count of seconds since 1970, as UTC, so out-of-range DOS
// fields roll over and nothing before 1970 survives.
#include "ALDirRecord.h"
#include "ALDirRecordShared.h"

#include "ALArchive.h"
#include "ALStorage.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>

namespace {

char *CopyText(const char *text)
{
    if (text == nullptr)
        text = "";
    const size_t size = std::strlen(text) + 1;
    char *copy = static_cast<char *>(std::malloc(size));
    if (copy != nullptr)
        std::memcpy(copy, text, size);
    return copy;
}

// Fliegel and Van Flandern's Julian day number, in C's truncating integer division as published.
long long JulianDay(long long year, long long month, long long day)
{
    const long long shift = (month - 14) / 12;
    return 1461 * (year + 4800 + shift) / 4 + 367 * (month - 2 - 12 * shift) / 12 -
           3 * ((year + 4900 + shift) / 100) / 4 + day - 32075;
}

void SetTime(ALDirRecord &record, const ALTimeDate &time)
{
    const long long kUnixEpochDay = 2440588;
    long long seconds = (JulianDay(time.wYear, time.wMonth, time.wDay) - kUnixEpochDay) * 86400 +
                        time.wHour * 3600LL + time.wMinute * 60LL + time.wSecond;
    if (seconds < 0)
        seconds = 0;
    const time_t count = static_cast<time_t>(seconds);
    if (const struct tm *utc = std::gmtime(&count)) {
        record.sMonth = static_cast<SHORT>(utc->tm_mon + 1);
        record.sDay = static_cast<SHORT>(utc->tm_mday);
        record.sYear = static_cast<SHORT>(utc->tm_year + 1900);
        record.sHour = static_cast<SHORT>(utc->tm_hour);
        record.sMinute = static_cast<SHORT>(utc->tm_min);
        record.sSecond = static_cast<SHORT>(utc->tm_sec);
        return;
    }
    record.sMonth = static_cast<SHORT>(time.wMonth);
    record.sDay = static_cast<SHORT>(time.wDay);
    record.sYear = static_cast<SHORT>(time.wYear);
    record.sHour = static_cast<SHORT>(time.wHour);
    record.sMinute = static_cast<SHORT>(time.wMinute);
    record.sSecond = static_cast<SHORT>(time.wSecond);
}

BYTE Flag(WORD attributes, WORD bit) { return (attributes & bit) != 0 ? 0xFF : 0; }

BYTE LevelCode(const ALDecompressor *decompressor)
{
    if (decompressor == nullptr || decompressor->GetEngineType() == AL_ENGINE_COPY)
        return 0;
    const auto *inflate = dynamic_cast<const ALInflateDecompressor *>(decompressor);
    return static_cast<BYTE>(inflate != nullptr ? inflate->GetOption() + 1 : 1);
}

// False when a string cannot be copied.
bool FillRecord(ALDirRecord &record, const ALEntry &entry)
{
    const ALStorage &storage = *entry.GetStorage();
    record.szName = CopyText(storage.mName.GetName());
    record.szComment = CopyText(entry.GetComment());
    record.lCompressedSize = entry.GetCompressedSize();
    record.lLocalHeaderOffset = entry.GetLocalHeaderOffset();
    record.lSize = storage.GetSize();
    record.ulCrc32 = entry.GetCrc32();
    SetTime(record, storage.GetTimeDate());
    const WORD attributes = storage.GetAttributes();
    record.cReadOnly = Flag(attributes, AL_ATTRIBUTE_READ_ONLY);
    record.cArchive = Flag(attributes, AL_ATTRIBUTE_ARCHIVE);
    record.cSystem = Flag(attributes, AL_ATTRIBUTE_SYSTEM);
    record.cHidden = Flag(attributes, AL_ATTRIBUTE_HIDDEN);
    record.cDirectory = Flag(attributes, AL_ATTRIBUTE_DIRECTORY);
    record.cLevel = LevelCode(entry.GetDecompressor());
    record.sEncrypted = entry.IsEncrypted() ? -1 : 0;
    record.sMark = record.sEncrypted == 0 ? 1 : 0;
    return record.szName != nullptr && record.szComment != nullptr;
}

bool FillTerminator(ALDirRecord &record, ALZipArchive *archive)
{
    record.szName = CopyText(archive->GetStorageObject()->mName.GetName());
    record.szComment = CopyText(archive->GetComment());
    record.lSize = -1;
    record.pArchive = archive;
    return record.szName != nullptr && record.szComment != nullptr;
}

void SetOut(int *out, int value)
{
    if (out != nullptr)
        *out = value;
}

} // namespace

ALDirRecord *ALReadDirRecords(const char *fileName, int *count, int *status)
{
    SetOut(count, 0);
    auto *archive = new (std::nothrow) ALZipArchive(fileName != nullptr ? fileName : "");
    if (archive == nullptr) {
        SetOut(status, AL_OUT_OF_MEMORY);
        return nullptr;
    }
    ALEntryList list(nullptr, ALReadPrototypes());
    const int result = archive->ReadDirectory(list);
    if (result < 0) {
        SetOut(status, result);
        delete archive;
        return nullptr;
    }
    int members = 0;
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr; entry = list.GetNextEntry(entry))
        ++members;
    auto *records = static_cast<ALDirRecord *>(std::calloc(static_cast<size_t>(members) + 1, sizeof(ALDirRecord)));
    if (records == nullptr) {
        SetOut(status, AL_OUT_OF_MEMORY);
        delete archive;
        return nullptr;
    }
    bool complete = true;
    ALDirRecord *record = records;
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr; entry = list.GetNextEntry(entry))
        complete = FillRecord(*record++, *entry) && complete;
    complete = FillTerminator(*record, archive) && complete;
    if (!complete) {
        ALFreeDirRecords(records);
        SetOut(status, AL_OUT_OF_MEMORY);
        return nullptr;
    }
    SetOut(status, 0);
    SetOut(count, members);
    return records;
}

void ALFreeDirRecords(ALDirRecord *records)
{
    if (records == nullptr)
        return;
    ALDirRecord *terminator = ALFindTerminator(records);
    for (ALDirRecord *record = records; record <= terminator; ++record) {
        std::free(record->szComment);
        std::free(record->szName);
    }
    delete terminator->pArchive;
    std::free(records);
}
