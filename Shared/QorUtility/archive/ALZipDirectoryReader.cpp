// ALZipDirectoryReader.cpp: reading a ZIP file's central directory into an entry list: the search for
// the end record backwards through the file's last 66,000 bytes, the end record and its comment, and
// one entry per central record, walked by signatures alone.
#include "ALArchive.h"
#include "ALFileStamp.h"
#include "ALStorage.h"
#include "ALZipFormat.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

namespace {

// Little-endian fields read in order; remembers whether the data ended before a field did.
class FieldReader {
public:
    explicit FieldReader(ALStorage &storage) : m_storage(storage) {}

    WORD Short()
    {
        WORD value = 0;
        m_bTruncated |= m_storage.ReadLittleEndianShort(value) < 0;
        return value;
    }
    DWORD Long()
    {
        DWORD value = 0;
        m_bTruncated |= m_storage.ReadLittleEndianLong(value) < 0;
        return value;
    }
    // `length` bytes as text; an embedded zero ends the text, as it would end the name on disk.
    std::string Text(WORD length)
    {
        std::string text(length, '\0');
        m_bTruncated |= m_storage.ReadBuffer(reinterpret_cast<unsigned char *>(&text[0]), length) != length;
        text.resize(std::strlen(text.c_str()));
        return text;
    }
    void Skip(WORD length)
    {
        unsigned char ignored[256];
        for (LONG left = length; left > 0 && !m_bTruncated; left -= static_cast<LONG>(sizeof ignored)) {
            LONG wanted = std::min(left, static_cast<LONG>(sizeof ignored));
            m_bTruncated |= m_storage.ReadBuffer(ignored, wanted) != wanted;
        }
    }
    bool Truncated() const { return m_bTruncated; }

private:
    ALStorage &m_storage;
    bool m_bTruncated = false;
};

bool IsEndSignature(const unsigned char *bytes)
{
    return bytes[0] == 0x50 && bytes[1] == 0x4B && bytes[2] == 0x05 && bytes[3] == 0x06;
}

} // namespace

int ALZipArchive::ReadDirectory(ALEntryList &list)
{
    ALStorage &archive = *m_pArchiveStorage;
    list.GetMonitor().ArchiveOperation(AL_ARCHIVE_DIRECTORY_READ_START, this, nullptr);
    ALReadScope reading(archive);
    if (BeginOperation() < 0 || !LocateEndOfCentralDirectory() || ReadEndOfCentralDirectory() < 0)
        return mStatus;
    archive.Seek(m_lCentralDirectoryOffset);
    int made = 0;
    for (;;) {
        DWORD signature = 0;
        if (archive.ReadLittleEndianLong(signature) < 0 || signature == alzip::kEndRecordSignature ||
            signature == alzip::kEndRecord64Signature) {
            AdoptStorageStatus();
            break;
        }
        if (signature != alzip::kCentralRecordSignature) {
            mStatus.SetError(AL_BAD_DIRECTORY, "Bad record in central directory of ZIP file %s", archive.mName.GetName());
            break;
        }
        int result = ReadDirectoryEntry(list);
        if (result == AL_NO_ENGINE)
            return result; // a method without an engine: the directory cannot be listed at all
        if (result < 0)
            break;
        ++made;
    }
    list.GetMonitor().ArchiveOperation(AL_ARCHIVE_DIRECTORY_READ_END, this, nullptr);
    return mStatus < 0 ? mStatus.GetStatusCode() : made;
}

// Windows of 256 bytes backwards from the end; the first 4 bytes of each window stay behind the next
// one, so a signature across two windows is seen. The highest match wins, even inside a comment.
bool ALZipArchive::LocateEndOfCentralDirectory()
{
    ALStorage &archive = *m_pArchiveStorage;
    LONG size = archive.GetSize();
    LONG areaStart = size > alzip::kEndSearchArea ? size - alzip::kEndSearchArea : 0;
    unsigned char window[alzip::kEndSearchWindow + 4];
    unsigned char carried[4] = {0, 0, 0, 0}; // past the end of the file nothing may match
    for (LONG windowEnd = size; windowEnd > areaStart && archive.mStatus >= 0;) {
        LONG windowStart = std::max(windowEnd - alzip::kEndSearchWindow, areaStart);
        LONG length = windowEnd - windowStart;
        archive.Seek(windowStart);
        if (archive.ReadBuffer(window, length) != length)
            break;
        std::memcpy(window + length, carried, sizeof carried);
        for (LONG i = length - 1; i >= 0; --i) {
            if (IsEndSignature(window + i)) {
                m_lEndRecordOffset = windowStart + i;
                return true;
            }
        }
        std::memcpy(carried, window, sizeof carried);
        windowEnd = windowStart;
    }
    m_lEndRecordOffset = -1;
    if (AdoptStorageStatus() >= 0)
        mStatus.SetError(AL_BAD_DIRECTORY, "Can't locate end of central directory in ZIP file %s", archive.mName.GetName());
    return false;
}

// An end record cut short by the end of the file is no end record; its comment may be cut short.
int ALZipArchive::ReadEndOfCentralDirectory()
{
    ALStorage &archive = *m_pArchiveStorage;
    archive.Seek(m_lEndRecordOffset + 4);
    FieldReader field(archive);
    m_iThisDiskNumber = field.Short();
    m_iDirectoryDiskNumber = field.Short();
    m_iEntriesOnThisDisk = field.Short();
    m_iTotalEntries = field.Short();
    m_lDirectorySize = field.Long();
    m_lCentralDirectoryOffset = static_cast<LONG>(field.Long());
    WORD commentLength = field.Short();
    if (field.Truncated() && AdoptStorageStatus() >= 0)
        return mStatus.SetError(AL_BAD_DIRECTORY, "Can't locate end of central directory in ZIP file %s",
                                archive.mName.GetName());
    mComment = field.Text(commentLength).c_str();
    return AdoptStorageStatus();
}

int ALZipArchive::ReadDirectoryEntry(ALEntryList &list)
{
    ALStorage &archive = *m_pArchiveStorage;
    const char *archiveName = archive.mName.GetName();
    FieldReader field(archive);
    field.Short(); // version made by
    field.Short(); // version needed
    WORD flags = field.Short();
    WORD method = field.Short();
    int type = alzip::EngineTypeOf(method, flags);
    const ALPrototypeSet &prototypes = list.GetPrototypes();
    ALDecompressor *decompressor = prototypes.CreateDecompressor(type);
    if (decompressor == nullptr)
        return mStatus.SetError(AL_NO_ENGINE, "Failure creating compression engine in ZIP file %s", archiveName);
    ALCompressor *compressor = prototypes.CreateCompressor(type);
    ALStorage *storage = prototypes.CreateStorage("", AL_STORAGE_ANY);
    if (storage == nullptr) {
        delete compressor;
        delete decompressor;
        return mStatus.SetError(AL_NO_STORAGE, "Failure creating storage object in ZIP file %s", archiveName);
    }
    ALDecryptor *decryptor = (flags & alzip::kFlagEncrypted) ? prototypes.CreateDecryptor(AL_ENGINE_ANY) : nullptr;
    auto *entry = new (std::nothrow) ALEntry(list, storage, compressor, decompressor, decryptor);
    if (entry == nullptr) {
        delete storage;
        delete compressor;
        delete decompressor;
        delete decryptor;
        return mStatus.SetError(AL_OUT_OF_MEMORY,
                                "Failure creating ALEntry object when reading directory in ZIP file %s", archiveName);
    }
    entry->SetEncrypted((flags & alzip::kFlagEncrypted) != 0);
    WORD dosTime = field.Short();
    WORD dosDate = field.Short();
    entry->SetCrc32(~field.Long());
    entry->SetCompressedSize(static_cast<LONG>(field.Long()));
    storage->SetSize(static_cast<LONG>(field.Long()));
    WORD nameLength = field.Short();
    WORD extraLength = field.Short();
    WORD commentLength = field.Short();
    field.Short(); // disk number start
    field.Short(); // internal attributes
    storage->SetAttributes(alzip::AttributesFromExternal(field.Long()));
    entry->SetLocalHeaderOffset(static_cast<LONG>(field.Long()));
    storage->mName = field.Text(nameLength).c_str();
    field.Skip(extraLength);
    entry->SetComment(field.Text(commentLength).c_str());
    storage->SetTimeDate(ALTimeDateFromDos(dosDate, dosTime));
    // Some tools mark folders by the trailing '/' alone, without the MS-DOS folder bit.
    size_t length = std::strlen(storage->mName.GetName());
    if (length > 0 && storage->mName.GetName()[length - 1] == '/')
        storage->SetAttributes(storage->GetAttributes() | AL_ATTRIBUTE_DIRECTORY);
    // A record cut short is dropped rather than listed with made-up fields.
    if (archive.mStatus < 0 || field.Truncated()) {
        delete entry;
        if (AdoptStorageStatus() < 0)
            return mStatus;
        return mStatus.SetError(AL_BAD_DIRECTORY, "Bad record in central directory of ZIP file %s", archiveName);
    }
    list.GetMonitor().Message(AL_MESSAGE_DIRECTORY_ENTRY, "%s", storage->mName.GetName());
    return 0;
}
