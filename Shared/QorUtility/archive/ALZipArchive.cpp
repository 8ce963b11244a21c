// ALZipArchive.cpp: the ZIP kind's hooks for writing and extracting: room for each local header
// before the data and the header itself after them (the sizes and CRC are known then), the central
// directory records and the end record, and the skip past a local header before extracting.
// Reading the directory is in ALZipDirectoryReader.cpp.
#include "ALArchive.h"
#include "ALFileStamp.h"
#include "ALStorage.h"
#include "ALZipFormat.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr SHORT kZipArchiveType = 32;

// The written name, cut to what a 16-bit length holds.
std::string StoredName(const ALEntry &entry)
{
    std::string name = alzip::WrittenName(entry.GetStorage()->mName.GetName(),
                                          (entry.GetOptions() & AL_STORE_WITHOUT_PATH) != 0);
    if (name.size() > 0xFFFF)
        name.resize(0xFFFF);
    return name;
}

void WriteText(ALStorage &storage, const char *text, size_t length)
{
    storage.WriteBuffer(reinterpret_cast<const unsigned char *>(text), static_cast<LONG>(length));
}

size_t TextLength(const char *text)
{
    size_t length = text ? std::strlen(text) : 0;
    return length > 0xFFFF ? 0xFFFF : length;
}

void WriteDosTime(ALStorage &storage, const ALTimeDate &time)
{
    WORD dosDate, dosTime;
    ALDosFromTimeDate(time, dosDate, dosTime);
    storage.WriteLittleEndianShort(dosTime);
    storage.WriteLittleEndianShort(dosDate);
}

// The run of fields that the local header and the central record share, from the version needed to
// the extra field's length; no extra field is written.
void WriteSharedFields(ALStorage &archive, ALEntry &entry, WORD flags, WORD method, size_t nameLength)
{
    if (entry.IsEncrypted())
        flags |= alzip::kFlagsEncryptedWithDescriptor;
    ALStorage &source = *entry.GetStorage();
    archive.WriteLittleEndianShort(alzip::kVersion);
    archive.WriteLittleEndianShort(flags);
    archive.WriteLittleEndianShort(method);
    WriteDosTime(archive, source.GetTimeDate());
    archive.WriteLittleEndianLong(~entry.GetCrc32());
    archive.WriteLittleEndianLong(static_cast<DWORD>(entry.GetCompressedSize()));
    archive.WriteLittleEndianLong(static_cast<DWORD>(source.GetSize()));
    archive.WriteLittleEndianShort(static_cast<WORD>(nameLength));
    archive.WriteLittleEndianShort(0);
}

} // namespace

ALZipArchive::ALZipArchive(const char *fileName)
    : ALArchiveBase(new ALFileStorage(fileName), true), m_lEndRecordOffset(-1), m_iThisDiskNumber(0),
      m_iDirectoryDiskNumber(0), m_iEntriesOnThisDisk(0), m_iTotalEntries(0), m_lDirectorySize(0),
      m_lStartOfCentralDirectory(0)
{
    m_iArchiveType = kZipArchiveType;
}

ALZipArchive::ALZipArchive(ALStorage &storage)
    : ALArchiveBase(&storage, false), m_lEndRecordOffset(-1), m_iThisDiskNumber(0), m_iDirectoryDiskNumber(0),
      m_iEntriesOnThisDisk(0), m_iTotalEntries(0), m_lDirectorySize(0), m_lStartOfCentralDirectory(0)
{
    m_iArchiveType = kZipArchiveType;
}

// A position past 2 GB is beyond what the 32-bit fields reach: the seek fails instead of wrapping.
int ALZipArchive::SkipBytes(LONG count)
{
    int64_t target = static_cast<int64_t>(m_pArchiveStorage->Tell()) + count;
    return m_pArchiveStorage->Seek(target > INT32_MAX ? -1 : static_cast<LONG>(target));
}

int ALZipArchive::PreCompress(ALEntry &entry)
{
    return SkipBytes(alzip::kLocalHeaderSize + static_cast<LONG>(StoredName(entry).size()));
}

int ALZipArchive::PostCompress(ALEntry &entry)
{
    ALStorage &archive = *m_pArchiveStorage;
    LONG nameLength = static_cast<LONG>(StoredName(entry).size());
    entry.SetCompressedSize(archive.Tell() - entry.GetLocalHeaderOffset() - alzip::kLocalHeaderSize - nameLength);
    if (entry.IsEncrypted()) {
        archive.WriteLittleEndianLong(alzip::kDataDescriptorSignature);
        archive.WriteLittleEndianLong(~entry.GetCrc32());
        archive.WriteLittleEndianLong(static_cast<DWORD>(entry.GetCompressedSize()));
        archive.WriteLittleEndianLong(static_cast<DWORD>(entry.GetStorage()->GetSize()));
    }
    LONG resume = archive.Tell();
    archive.Seek(entry.GetLocalHeaderOffset());
    WriteLocalHeader(entry);
    archive.Seek(resume);
    return archive.mStatus;
}

int ALZipArchive::WriteLocalHeader(ALEntry &entry)
{
    ALStorage &archive = *m_pArchiveStorage;
    std::string name = StoredName(entry);
    WORD method, flags;
    alzip::LocalMethodAndFlags(entry.GetCompressor(), method, flags);
    archive.WriteLittleEndianLong(alzip::kLocalHeaderSignature);
    WriteSharedFields(archive, entry, flags, method, name.size());
    WriteText(archive, name.data(), name.size());
    return archive.mStatus;
}

// The sizes, CRC and method of the local header are not read: the directory's values govern, so
// members written with data descriptors read like any other.
int ALZipArchive::PreDecompress(ALEntry &)
{
    WORD nameLength = 0, extraLength = 0;
    SkipBytes(26);
    m_pArchiveStorage->ReadLittleEndianShort(nameLength);
    m_pArchiveStorage->ReadLittleEndianShort(extraLength);
    return SkipBytes(static_cast<LONG>(nameLength) + extraLength);
}

int ALZipArchive::PreCopyInput(ALEntry &)
{
    WORD nameLength = 0;
    SkipBytes(26);
    m_pArchiveStorage->ReadLittleEndianShort(nameLength);
    return SkipBytes(static_cast<LONG>(nameLength) + 2);
}

int ALZipArchive::PreWriteDirectory()
{
    m_lStartOfCentralDirectory = m_pArchiveStorage->Tell();
    return 0;
}

int ALZipArchive::WriteDirectoryEntry(ALEntry &entry)
{
    ALStorage &archive = *m_pArchiveStorage;
    ALStorage &source = *entry.GetStorage();
    std::string name = StoredName(entry);
    const char *comment = entry.GetComment();
    WORD method, flags;
    const ALEngine *engine = entry.GetCompressor();
    if (engine == nullptr)
        engine = entry.GetDecompressor();
    alzip::CentralMethodAndFlags(engine, method, flags);
    archive.WriteLittleEndianLong(alzip::kCentralRecordSignature);
    archive.WriteLittleEndianShort(alzip::kVersion); // made by
    WriteSharedFields(archive, entry, flags, method, name.size());
    archive.WriteLittleEndianShort(static_cast<WORD>(TextLength(comment)));
    archive.WriteLittleEndianShort(0); // disk number start
    archive.WriteLittleEndianShort(0); // internal attributes
    archive.WriteLittleEndianLong(alzip::ExternalFromAttributes(source.GetAttributes()));
    archive.WriteLittleEndianLong(static_cast<DWORD>(entry.GetLocalHeaderOffset()));
    WriteText(archive, name.data(), name.size());
    WriteText(archive, comment, TextLength(comment));
    return archive.mStatus;
}

int ALZipArchive::PostWriteDirectory()
{
    ALStorage &archive = *m_pArchiveStorage;
    auto count = static_cast<WORD>(m_lEntriesProcessed);
    auto directorySize = static_cast<DWORD>(archive.Tell() - m_lStartOfCentralDirectory);
    archive.WriteLittleEndianLong(alzip::kEndRecordSignature);
    archive.WriteLittleEndianShort(0); // this disk
    archive.WriteLittleEndianShort(0); // directory disk
    archive.WriteLittleEndianShort(count);
    archive.WriteLittleEndianShort(count);
    archive.WriteLittleEndianLong(directorySize);
    archive.WriteLittleEndianLong(static_cast<DWORD>(m_lStartOfCentralDirectory));
    archive.WriteLittleEndianShort(static_cast<WORD>(TextLength(GetComment())));
    WriteText(archive, GetComment(), TextLength(GetComment()));
    return archive.mStatus;
}
