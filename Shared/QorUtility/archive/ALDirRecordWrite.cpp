// ALDirRecordWrite.cpp: the directory-record functions that write: extraction of the marked records, a
// directory written back from records, and a new ZIP file made from a spec of names and patterns.
// Each builds its own entry list and tears it down before it returns.
#include "ALDirRecordShared.h"

#include "ALArchive.h"
#include "ALStorage.h"

namespace {

constexpr LONG kFileBuffer = 4096;

ALPrototypeSet FileStoragePrototype() { return ALPrototypeSet(ALFileStorage("", kFileBuffer)); }

// The fields an entry and its storage take from a record.
void ApplyRecord(const ALDirRecord &record, ALEntry &entry)
{
    entry.SetComment(record.szComment);
    entry.SetCompressedSize(record.lCompressedSize);
    entry.SetCrc32(record.ulCrc32);
    entry.SetLocalHeaderOffset(record.lLocalHeaderOffset);
    entry.SetMark((record.sMark & 1) != 0);
    entry.SetEncrypted((record.sEncrypted & 1) != 0);
    ALStorage &storage = *entry.GetStorage();
    storage.SetSize(record.lSize);
    storage.SetTimeDate(ALTimeDate{static_cast<WORD>(record.sYear), static_cast<WORD>(record.sMonth),
                                   static_cast<WORD>(record.sDay), static_cast<WORD>(record.sHour),
                                   static_cast<WORD>(record.sMinute), static_cast<WORD>(record.sSecond)});
    WORD attributes = 0;
    attributes |= record.cReadOnly ? AL_ATTRIBUTE_READ_ONLY : 0;
    attributes |= record.cArchive ? AL_ATTRIBUTE_ARCHIVE : 0;
    attributes |= record.cSystem ? AL_ATTRIBUTE_SYSTEM : 0;
    attributes |= record.cHidden ? AL_ATTRIBUTE_HIDDEN : 0;
    attributes |= record.cDirectory ? AL_ATTRIBUTE_DIRECTORY : 0;
    storage.SetAttributes(attributes);
}

void SetOption(ALEntry &entry, WORD option, bool value)
{
    entry.SetOptions(value ? entry.GetOptions() | option : entry.GetOptions() & ~option);
}

} // namespace

ALPrototypeSet ALReadPrototypes()
{
    ALPrototypeSet prototypes = FileStoragePrototype();
    prototypes.Add(ALInflateDecompressor()).Add(ALCopyDecompressor());
    return prototypes;
}

ALPrototypeSet ALCreatePrototypes()
{
    ALPrototypeSet prototypes = FileStoragePrototype();
    prototypes.Add(ALDeflateCompressor(6, 15, 8)).Add(ALCopyCompressor());
    return prototypes;
}

ALDirRecord *ALFindTerminator(ALDirRecord *records)
{
    while (records->lSize != -1 || records->pArchive == nullptr)
        ++records;
    return records;
}

int ALExtractDirRecords(ALDirRecord *records, int stripPaths, ALCallbackFunction callback)
{
    if (records == nullptr)
        return 0;
    ALDirRecord *terminator = ALFindTerminator(records);
    ALCallbackMonitor monitor(callback);
    ALEntryList list(&monitor, ALReadPrototypes());
    for (const ALDirRecord *record = records; record != terminator; ++record) {
        ALDecompressor *decompressor = record->cLevel != 0 ? static_cast<ALDecompressor *>(new ALInflateDecompressor)
                                                           : new ALCopyDecompressor;
        auto *entry = new ALEntry(list, new ALFileStorage(record->szName, kFileBuffer), nullptr, decompressor);
        ApplyRecord(*record, *entry);
        if (record->sEncrypted != 0)
            entry->ClearMark();
        SetOption(*entry, AL_EXTRACT_WITHOUT_PATH, (stripPaths & 1) != 0);
    }
    const int result = terminator->pArchive->Extract(list);
    return result < 0 ? result : 0;
}

int ALCreateFromDirRecords(ALDirRecord *records)
{
    if (records == nullptr)
        return AL_NO_STORAGE;
    ALDirRecord *terminator = ALFindTerminator(records);
    const ALDeflateCompressor deflate(6, 15, 8);
    ALEntryList list(nullptr, ALCreatePrototypes());
    for (const ALDirRecord *record = records; record != terminator; ++record) {
        // The option a level code names: a level-6 engine cloned for the type of that option.
        ALCompressor *compressor = record->cLevel != 0 ? deflate.Clone(AL_ENGINE_DEFLATE + record->cLevel - 1)
                                                       : new ALCopyCompressor;
        auto *entry = new ALEntry(list, new ALFileStorage(record->szName, kFileBuffer), compressor, nullptr);
        ApplyRecord(*record, *entry);
    }
    terminator->pArchive->SetComment(terminator->szComment != nullptr ? terminator->szComment : "");
    return terminator->pArchive->WriteDirectory(list);
}

int ALCreateZipFromSpec(const char *fileName, const char *spec, int stripPaths, ALCallbackFunction callback)
{
    ALCallbackMonitor monitor(callback);
    ALZipArchive archive(fileName != nullptr ? fileName : "");
    ALEntryList list(&monitor, ALCreatePrototypes());
    list.AddWildCardFiles(spec != nullptr ? spec : "", false);
    list.UnmarkDuplicates(list, nullptr);
    list.SetStoreWithoutPath(stripPaths != 0);
    const int result = archive.Create(list);
    return result < 0 ? result : 0;
}
