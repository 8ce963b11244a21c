// ALArchive.h: the archive engine's containers. ALArchiveBase runs the three jobs over an entry list
// (read the directory, extract the marked entries, create a new archive from them) through hooks that
// a container kind fills in; ALZipArchive is the ZIP kind. Nothing here updates an archive in place:
// creating always writes a whole new file, and reading never writes.
#pragma once

#include "ALEntry.h"
#include "ALStatus.h"

class ALStorage;

// Operations an archive reports to its list's monitor, with the entry concerned or none.
enum ALArchiveOperation {
    AL_ARCHIVE_JOB_START = 0,
    AL_ARCHIVE_JOB_END = 1,
    AL_ARCHIVE_EXTRACT_ENTRY_START = 2,
    AL_ARCHIVE_EXTRACT_ENTRY_END = 3,
    AL_ARCHIVE_COMPRESS_ENTRY_START = 4,
    AL_ARCHIVE_COMPRESS_ENTRY_END = 5,
    AL_ARCHIVE_DIRECTORY_WRITE_START = 8,
    AL_ARCHIVE_DIRECTORY_WRITE_END = 9,
    AL_ARCHIVE_DIRECTORY_READ_START = 10,
    AL_ARCHIVE_DIRECTORY_READ_END = 11
};

class QORUTIL_API ALArchiveBase {
public:
    // Works on `storage`; with `ownsStorage` the archive deletes it when destroyed.
    ALArchiveBase(ALStorage *storage, bool ownsStorage);
    virtual ~ALArchiveBase();
    ALArchiveBase(const ALArchiveBase &) = delete; // the archive may own its storage
    ALArchiveBase &operator=(const ALArchiveBase &) = delete;

    // Appends one entry per member to `list`: the number appended, or a negative status.
    virtual int ReadDirectory(ALEntryList &list) = 0;
    // Decompresses every marked entry into its own storage: the number processed, or a negative
    // status. A member that fails (bad CRC, file not written, a name leading outside the current
    // folder) keeps its own status; the others go on, and the first such status is the result.
    int Extract(ALEntryList &list);
    // Writes a new archive of every marked entry: the number written, or a negative status.
    int Create(ALEntryList &list);
    // Writes the central directory of the marked entries and the end record at the directory offset:
    // the archive status.
    int WriteDirectory(ALEntryList &list);

    ALStorage *GetStorageObject() const { return m_pArchiveStorage; }
    const char *GetComment() const { return mComment.GetName(); }
    void SetComment(const char *comment) { mComment = comment; }
    LONG GetDirectoryOffset() const { return m_lCentralDirectoryOffset; }
    void SetDirectoryOffset(LONG offset) { m_lCentralDirectoryOffset = offset; }
    LONG GetEntriesProcessed() const { return m_lEntriesProcessed; }
    SHORT GetArchiveType() const { return m_iArchiveType; }

    ALErrorStatus mStatus;

protected:
    // The hooks of a container kind, in the order the jobs run them.
    virtual int PreCreate();
    virtual int PostCreate();
    virtual int PreCompress(ALEntry &entry);
    virtual int PostCompress(ALEntry &entry);
    virtual int PreDecompress(ALEntry &entry);
    virtual int PostDecompress(ALEntry &entry);
    virtual int PreWriteDirectory();
    virtual int WriteDirectoryEntry(ALEntry &entry) = 0;
    virtual int PostWriteDirectory();
    // Hooks for copying members between archives, which no job of this library runs.
    virtual int PreCopyInput(ALEntry &entry);
    virtual int PostCopyInput(ALEntry &entry);
    // Settings of the container kind; none by default.
    virtual int WriteArchiveData();
    virtual int ReadArchiveData();

    // Starts an operation: the status cleared, the storage's failure taken over. Answers the status.
    int BeginOperation();
    // Takes over the storage's status when it is negative; answers the archive status.
    int AdoptStorageStatus();

    ALStorage *m_pArchiveStorage;
    ALNameString mComment;
    SHORT m_iArchiveType;
    LONG m_lEntriesProcessed;
    LONG m_lOptions;
    LONG m_lCentralDirectoryOffset;

private:
    int ExtractEntry(ALEntryList &list, ALEntry &entry);
    void WriteMember(ALEntry &entry, ALDecompressor &decompressor, ALProgressMonitor *monitor);
    // Sets the member's status when the data written differ from the CRC the directory gives.
    void CheckCrc(ALEntry &entry, bool decrypted);
    int CompressMarkedEntries(ALEntryList &list);
    int CompressEntry(ALEntryList &list, ALEntry &entry);
    int ScanEntryStatuses(ALEntryList &list);
};

class QORUTIL_API ALZipArchive : public ALArchiveBase {
public:
    // Makes and owns a file storage for `fileName`.
    explicit ALZipArchive(const char *fileName);
    // Works on `storage`, which it does not own.
    explicit ALZipArchive(ALStorage &storage);

    int ReadDirectory(ALEntryList &list) override;

    LONG GetEndRecordOffset() const { return m_lEndRecordOffset; }
    WORD GetThisDiskNumber() const { return m_iThisDiskNumber; }
    WORD GetDirectoryDiskNumber() const { return m_iDirectoryDiskNumber; }
    WORD GetEntriesOnThisDisk() const { return m_iEntriesOnThisDisk; }
    WORD GetTotalEntries() const { return m_iTotalEntries; }
    DWORD GetDirectorySize() const { return m_lDirectorySize; }

protected:
    int PreCompress(ALEntry &entry) override;
    int PostCompress(ALEntry &entry) override;
    int PreDecompress(ALEntry &entry) override;
    int PreWriteDirectory() override;
    int WriteDirectoryEntry(ALEntry &entry) override;
    int PostWriteDirectory() override;
    int PreCopyInput(ALEntry &entry) override;

private:
    // Finds the end record in the file's last 66,000 bytes; false (and the status set) when none.
    bool LocateEndOfCentralDirectory();
    int ReadEndOfCentralDirectory();
    // Reads one central record after its signature into a new entry of `list`.
    int ReadDirectoryEntry(ALEntryList &list);
    int WriteLocalHeader(ALEntry &entry);
    int SkipBytes(LONG count);

    LONG m_lEndRecordOffset;
    WORD m_iThisDiskNumber;
    WORD m_iDirectoryDiskNumber;
    WORD m_iEntriesOnThisDisk;
    WORD m_iTotalEntries;
    DWORD m_lDirectorySize;
    LONG m_lStartOfCentralDirectory;
};
