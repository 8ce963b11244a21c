// ALArchiveBase.cpp: the jobs every container kind shares, extract and create over an entry list and
// the directory writer, with the monitor's reports and the final scan of the members' statuses. The
// format itself lives in the kind's hooks (ALZipArchive.cpp).
#include "ALArchive.h"
#include "ALConfinedName.h"
#include "ALStorage.h"
#include "QorPlatform.h"

#include <cctype>
#include <cstdint>
#include <string>

namespace {

constexpr LONG kOwnsStorage = 0x1;

// The list's own monitor, or null for the process's inert one, whose counters nothing may change.
ALProgressMonitor *CountingMonitor(ALEntryList &list)
{
    ALProgressMonitor &monitor = list.GetMonitor();
    return &monitor == &ALInertMonitor() ? nullptr : &monitor;
}

// A sum of sizes that stays in 32 bits; -1 when one of them is unknown.
class SizeTotal {
public:
    void Add(LONG size)
    {
        if (size < 0 || m_total < 0)
            m_total = -1;
        else
            m_total = m_total + size > INT32_MAX ? INT32_MAX : m_total + size;
    }
    LONG Value() const { return static_cast<LONG>(m_total); }

private:
    int64_t m_total = 0;
};

LONG MarkedCompressedSizes(ALEntryList &list)
{
    SizeTotal total;
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr; entry = list.GetNextEntry(entry))
        if (entry->IsMarked())
            total.Add(entry->GetCompressedSize());
    return total.Value();
}

// An unknown size is found by opening the storage.
LONG MarkedStorageSizes(ALEntryList &list)
{
    SizeTotal total;
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr; entry = list.GetNextEntry(entry)) {
        if (!entry->IsMarked() || entry->GetStorage() == nullptr)
            continue;
        ALStorage &storage = *entry->GetStorage();
        if (storage.GetSize() == -1) {
            storage.SetReadOnlyOpen(true);
            ALReadScope measure(storage); // opening tells the size
        }
        total.Add(storage.GetSize());
    }
    return total.Value();
}

// A file's full path with '/' and in lower case, as the engine compares file names; the name itself
// when it cannot be made whole.
std::string ComparablePath(const char *name)
{
    char buffer[1024];
    DWORD length = GetFullPathNameA(name, sizeof buffer, buffer, nullptr);
    std::string path = length > 0 && length < sizeof buffer ? buffer : name;
    for (char &c : path)
        c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return path;
}

// Under another spelling (./a.zip, a full path) the archive would read what it writes, without end.
void UnmarkArchiveFile(ALEntryList &list, const char *archiveName)
{
    const std::string archive = ComparablePath(archiveName);
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr; entry = list.GetNextEntry(entry))
        if (entry->IsMarked() && ComparablePath(entry->GetStorage()->mName.GetName()) == archive)
            entry->ClearMark();
}

} // namespace

ALArchiveBase::ALArchiveBase(ALStorage *storage, bool ownsStorage)
    : m_pArchiveStorage(storage), mComment(nullptr, AL_CASE_MIXED), m_iArchiveType(-1), m_lEntriesProcessed(0),
      m_lOptions(ownsStorage ? kOwnsStorage : 0), m_lCentralDirectoryOffset(-1)
{
}

ALArchiveBase::~ALArchiveBase()
{
    if (m_lOptions & kOwnsStorage)
        delete m_pArchiveStorage;
}

int ALArchiveBase::PreCreate() { return 0; }
int ALArchiveBase::PostCreate() { return 0; }
int ALArchiveBase::PreCompress(ALEntry &) { return 0; }
int ALArchiveBase::PostCompress(ALEntry &) { return 0; }
int ALArchiveBase::PreDecompress(ALEntry &) { return 0; }
int ALArchiveBase::PostDecompress(ALEntry &) { return 0; }
int ALArchiveBase::PreWriteDirectory() { return 0; }
int ALArchiveBase::PostWriteDirectory() { return 0; }
int ALArchiveBase::PreCopyInput(ALEntry &) { return 0; }
int ALArchiveBase::PostCopyInput(ALEntry &) { return 0; }
int ALArchiveBase::WriteArchiveData() { return 0; }
int ALArchiveBase::ReadArchiveData() { return 0; }

int ALArchiveBase::BeginOperation()
{
    mStatus.SetError(AL_SUCCESS, nullptr);
    return AdoptStorageStatus();
}

int ALArchiveBase::AdoptStorageStatus()
{
    if (m_pArchiveStorage->mStatus < 0)
        mStatus = m_pArchiveStorage->mStatus;
    return mStatus;
}

int ALArchiveBase::Extract(ALEntryList &list)
{
    ALReadScope reading(*m_pArchiveStorage);
    if (BeginOperation() < 0)
        return mStatus;
    list.GetMonitor().ArchiveOperation(AL_ARCHIVE_JOB_START, this, nullptr);
    if (ALProgressMonitor *monitor = CountingMonitor(list)) {
        monitor->m_lJobSoFar = 0;
        if (monitor->m_iKind == AL_MONITOR_JOB)
            monitor->m_lJobSize = MarkedCompressedSizes(list);
    }
    int processed = 0;
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr && mStatus >= 0; entry = list.GetNextEntry(entry)) {
        if (entry->GetOptions() & AL_EXTRACT_WITHOUT_PATH)
            entry->GetStorage()->mName.StripPath();
        if (!entry->IsMarked())
            continue;
        ++processed;
        list.GetMonitor().ArchiveOperation(AL_ARCHIVE_EXTRACT_ENTRY_START, this, entry);
        if (ExtractEntry(list, *entry) < 0)
            return mStatus;
    }
    list.GetMonitor().ArchiveOperation(AL_ARCHIVE_JOB_END, this, nullptr);
    if (mStatus >= 0)
        ScanEntryStatuses(list);
    return mStatus < 0 ? mStatus.GetStatusCode() : processed;
}

// A member whose data fail keeps the failure in its own storage's status; only a missing engine or
// a failing archive file ends the job.
int ALArchiveBase::ExtractEntry(ALEntryList &list, ALEntry &entry)
{
    ALStorage &archive = *m_pArchiveStorage;
    ALStorage &target = *entry.GetStorage();
    archive.Seek(entry.GetLocalHeaderOffset());
    PreDecompress(entry);
    ALDecompressor *decompressor = entry.GetDecompressor();
    ALDecryptor *decryptor = entry.GetDecryptor();
    if (decompressor == nullptr)
        return mStatus.SetError(AL_NO_ENGINE, "Attempt to decompress without a decompressor");
    if (entry.IsEncrypted() && decryptor == nullptr)
        return mStatus.SetError(AL_NEED_DECRYPTION_ENGINE, "Attempt to extract an object without decryption engine");
    ALProgressMonitor *monitor = CountingMonitor(list);
    const char *name = target.mName.GetName();
    // A folder member stripped of its path has nothing to make.
    if (name[0] != '\0' || !(target.GetAttributes() & AL_ATTRIBUTE_DIRECTORY))
        WriteMember(entry, *decompressor, monitor);
    archive.YieldTime();
    if (monitor != nullptr)
        monitor->m_lJobSoFar += entry.GetCompressedSize();
    archive.SetMonitor(nullptr);
    list.GetMonitor().ArchiveOperation(AL_ARCHIVE_EXTRACT_ENTRY_END, this, &entry);
    // A failing archive file fails every member after it: the job ends here.
    return AdoptStorageStatus();
}

// Refuses a name that leads outside the current folder; otherwise decompresses into the member's
// storage and checks the CRC.
void ALArchiveBase::WriteMember(ALEntry &entry, ALDecompressor &decompressor, ALProgressMonitor *monitor)
{
    ALStorage &archive = *m_pArchiveStorage;
    ALStorage &target = *entry.GetStorage();
    ALDecryptor *decryptor = entry.GetDecryptor();
    if (!ALStaysInsideFolder(target.mName.GetName())) {
        target.mStatus.SetError(AL_OPEN_FAILED, "Refused to write %s: the name does not lead into the target folder",
                                target.mName.GetName());
        return;
    }
    if (target.Create() != AL_SUCCESS) {
        target.Close();
        return;
    }
    LONG length = entry.GetCompressedSize();
    if (decryptor != nullptr) {
        archive.SetDecryptor(decryptor);
        archive.Seek(archive.Tell()); // bytes already buffered must pass the decryptor too
    }
    if (monitor != nullptr) {
        monitor->m_lObjectStart = archive.Tell();
        monitor->m_lObjectSize = length;
        archive.SetMonitor(monitor);
    }
    decompressor.Decompress(archive, target, length);
    archive.SetDecryptor(nullptr);
    target.Close();
    PostDecompress(entry);
    CheckCrc(entry, decryptor != nullptr);
}

void ALArchiveBase::CheckCrc(ALEntry &entry, bool decrypted)
{
    ALStorage &target = *entry.GetStorage();
    DWORD computed = target.GetCrc();
    if (target.mStatus < 0 || computed == entry.GetCrc32())
        return;
    if (decrypted) {
        target.Delete();
        target.mStatus.SetError(AL_INVALID_KEY, "Invalid key specified.");
    } else {
        target.mStatus.SetError(AL_CRC_MISMATCH, "CRC32 was supposed to be %08lx, was %08lx",
                                static_cast<unsigned long>(entry.GetCrc32()), static_cast<unsigned long>(computed));
    }
}

int ALArchiveBase::Create(ALEntryList &list)
{
    ALWriteScope writing(*m_pArchiveStorage);
    list.GetMonitor().ArchiveOperation(AL_ARCHIVE_JOB_START, this, nullptr);
    if (BeginOperation() < 0)
        return mStatus;
    list.UnmarkDuplicates(list, "Duplicate entry in list passed to Create()");
    if (m_pArchiveStorage->GetType() == AL_STORAGE_FILE) { // the archive never packs itself
        list.SetMarks(m_pArchiveStorage->mName.GetName(), false);
        UnmarkArchiveFile(list, m_pArchiveStorage->mName.GetName());
    }
    PreCreate();
    ALProgressMonitor *monitor = CountingMonitor(list);
    if (monitor != nullptr) {
        monitor->m_lJobSoFar = 0;
        if (monitor->m_iKind == AL_MONITOR_JOB)
            monitor->m_lJobSize = MarkedStorageSizes(list);
    }
    m_lEntriesProcessed = 0;
    if (CompressMarkedEntries(list) < 0)
        return mStatus;
    m_lCentralDirectoryOffset = m_pArchiveStorage->Tell();
    PostCreate();
    if (m_pArchiveStorage->mStatus < 0) {
        list.GetMonitor().ArchiveOperation(AL_ARCHIVE_JOB_END, this, nullptr);
        return AdoptStorageStatus();
    }
    list.GetMonitor().ArchiveOperation(AL_ARCHIVE_DIRECTORY_WRITE_START, this, nullptr);
    WriteDirectory(list);
    list.GetMonitor().ArchiveOperation(AL_ARCHIVE_DIRECTORY_WRITE_END, this, nullptr);
    list.GetMonitor().ArchiveOperation(AL_ARCHIVE_JOB_END, this, nullptr);
    if (mStatus >= 0)
        ScanEntryStatuses(list);
    return mStatus < 0 ? mStatus.GetStatusCode() : m_lEntriesProcessed;
}

int ALArchiveBase::CompressMarkedEntries(ALEntryList &list)
{
    if (ALProgressMonitor *monitor = CountingMonitor(list))
        monitor->m_lObjectStart = 0;
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr && mStatus >= 0; entry = list.GetNextEntry(entry))
        if (entry->IsMarked() && CompressEntry(list, *entry) < 0)
            break;
    return mStatus;
}

int ALArchiveBase::CompressEntry(ALEntryList &list, ALEntry &entry)
{
    ALStorage &archive = *m_pArchiveStorage;
    ++m_lEntriesProcessed;
    entry.SetLocalHeaderOffset(archive.Tell());
    list.GetMonitor().ArchiveOperation(AL_ARCHIVE_COMPRESS_ENTRY_START, this, &entry);
    ALCompressor *compressor = entry.GetCompressor();
    ALStorage *source = entry.GetStorage();
    if (compressor == nullptr)
        return mStatus.SetError(AL_NO_ENGINE, "No compression engine for storage object");
    if (source == nullptr)
        return mStatus.SetError(AL_NO_STORAGE, "No storage object for compression engine");
    ALProgressMonitor *monitor = CountingMonitor(list);
    if (monitor != nullptr) {
        monitor->m_lObjectSize = -1; // taken from the storage once it is open
        source->SetMonitor(monitor);
    }
    PreCompress(entry);
    source->SetReadOnlyOpen(true);
    {
        ALReadScope reading(*source);
        ALDecryptor *encryptor = entry.GetDecryptor();
        if (encryptor != nullptr) {
            archive.FlushBuffer();
            archive.SetDecryptor(encryptor);
            entry.SetEncrypted(true);
        }
        compressor->Compress(*source, archive);
        entry.SetCrc32(source->GetCrc());
        if (encryptor != nullptr) {
            archive.FlushBuffer();
            archive.SetDecryptor(nullptr);
        }
        source->SetMonitor(nullptr);
        if (compressor->mStatus < 0)
            return mStatus = compressor->mStatus;
        entry.SetCompressedSize(archive.Tell() - entry.GetLocalHeaderOffset());
    }
    if (PostCompress(entry) < 0)
        return AdoptStorageStatus();
    if (monitor != nullptr)
        monitor->m_lJobSoFar += source->GetSize();
    list.GetMonitor().ArchiveOperation(AL_ARCHIVE_COMPRESS_ENTRY_END, this, &entry);
    return mStatus;
}

int ALArchiveBase::WriteDirectory(ALEntryList &list)
{
    ALReadScope reading(*m_pArchiveStorage);
    if (AdoptStorageStatus() < 0)
        return mStatus;
    m_lEntriesProcessed = 0;
    m_pArchiveStorage->Seek(m_lCentralDirectoryOffset);
    PreWriteDirectory();
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr; entry = list.GetNextEntry(entry)) {
        if (!entry->IsMarked())
            continue;
        ++m_lEntriesProcessed;
        WriteDirectoryEntry(*entry);
    }
    PostWriteDirectory();
    m_pArchiveStorage->FlushBuffer(); // a failing last write shows here, not only at close
    return AdoptStorageStatus();
}

int ALArchiveBase::ScanEntryStatuses(ALEntryList &list)
{
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr; entry = list.GetNextEntry(entry)) {
        ALStorage *storage = entry->GetStorage();
        if (storage != nullptr && storage->mStatus < 0)
            return mStatus.SetError(storage->mStatus.GetStatusCode(), "%s: %s", storage->mName.GetName(),
                                    storage->mStatus.GetStatusDetail());
    }
    return mStatus;
}
