// ALStorage.h: the archive engine's storages: ALStorage, a named, buffered byte stream with a size,
// a time stamp, attributes, a CRC-32 register and a status, and ALFileStorage, which keeps its bytes
// in a disk file through the C runtime's low-level file calls. The scopes open a storage for the
// length of a block and close it only when they opened it.
#pragma once

#include "ALStatus.h"

class ALProgressMonitor;
class ALDecryptor;

// Attribute bits of a storage (those of a ZIP member), not the platform's.
enum ALAttribute : WORD {
    AL_ATTRIBUTE_READ_ONLY = 0x0001,
    AL_ATTRIBUTE_SYSTEM = 0x0002,
    AL_ATTRIBUTE_HIDDEN = 0x0004,
    AL_ATTRIBUTE_ARCHIVE = 0x0008,
    AL_ATTRIBUTE_NONE = 0x0010, // set the platform attributes to none at all on close
    AL_ATTRIBUTE_DIRECTORY = 0x4000
};

// Local calendar time of a storage; a year of 0 means "not set".
struct ALTimeDate {
    WORD wYear;
    WORD wMonth; // 1-12
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
};

enum ALStorageType { AL_STORAGE_ANY = -1, AL_STORAGE_FILE = 1 };

class QORUTIL_API ALStorage {
public:
    ALStorage(const char *name, LONG bufferSize, LONG type, ALCase caseMode);
    virtual ~ALStorage();
    ALStorage(const ALStorage &) = delete; // a copy would share the open buffer and file
    ALStorage &operator=(const ALStorage &) = delete;

    // Settings of the engine's own archive formats: a 16-bit zero, most significant byte first.
    virtual int WriteSettings();
    virtual int ReadSettings();
    virtual int Open();
    virtual int Create();
    virtual int Close();
    // Loads the buffer from `position`: bytes loaded, -1 at the end of the data, or a negative status.
    virtual int LoadBuffer(LONG position) = 0;
    virtual int FlushBuffer() = 0;
    virtual int Seek(LONG position) = 0;
    // Tells the monitor of progress and drains the thread's window messages.
    virtual void YieldTime();
    // With a name, renames to it; with none, renames the previous name to the current one.
    virtual int Rename(const char *newName = nullptr, int deleteExisting = 1) = 0;
    virtual int UnRename(int deleteExisting = 1) = 0;
    virtual int RenameToBackup(int deleteExisting = 1) = 0;
    virtual int Delete() = 0;
    // A new storage of this kind for `name` when `type` is this kind or AL_STORAGE_ANY; else null.
    virtual ALStorage *Clone(const char *name, int type) const = 0;

    // The next byte (0-255), or a negative value at the end of the data or on error.
    int ReadChar();
    // The byte, or a negative status.
    int WriteChar(int value);
    // Bytes delivered / accepted.
    LONG ReadBuffer(unsigned char *destination, LONG count);
    LONG WriteBuffer(const unsigned char *source, LONG count);
    LONG Tell() const;

    // Little-endian values of the ZIP format; the reads answer -1 when the data ends.
    int ReadLittleEndianShort(WORD &value);
    int ReadLittleEndianLong(DWORD &value);
    int WriteLittleEndianShort(WORD value);
    int WriteLittleEndianLong(DWORD value);
    // Big-endian values of settings and counted strings.
    int ReadBigEndianShort(WORD &value);
    int ReadBigEndianLong(DWORD &value);
    int WriteBigEndianShort(WORD value);
    int WriteBigEndianLong(DWORD value);
    // A string of `length` bytes (0xFFFF: length first, big-endian) into `target`.
    int ReadString(ALNameString &target, WORD length = 0xFFFF);
    // The length (big-endian 16 bits, 0 for null) and the bytes.
    int WriteString(const char *text);

    void InitCrc(DWORD value);
    // Flushes an open storage, stops the CRC and answers the running register (not complemented).
    DWORD GetCrc();
    bool IsOpen() const { return m_pBuffer != nullptr; }

    ALNameString mName;
    ALErrorStatus mStatus;

    LONG GetSize() const { return m_lSize; }
    // The size an archive's directory gives a member before it is extracted.
    void SetSize(LONG size) { m_lSize = size; }
    LONG GetType() const { return m_iType; }
    const ALTimeDate &GetTimeDate() const { return m_TimeDate; }
    void SetTimeDate(const ALTimeDate &timeDate) { m_TimeDate = timeDate; }
    WORD GetAttributes() const { return m_wAttributes; }
    void SetAttributes(WORD attributes) { m_wAttributes = attributes; }
    void SetMonitor(ALProgressMonitor *monitor) { m_pMonitor = monitor; }
    // Bytes pass this engine in place as they are loaded or flushed (decryption during a transfer).
    void SetDecryptor(ALDecryptor *engine) { m_pDecryptor = engine; }
    void SetReadOnlyOpen(bool readOnly) { m_bReadOnlyOpen = readOnly; }

protected:
    // The zlib engines hand the buffers to zlib directly.
    friend class ALDeflateCompressor;
    friend class ALInflateDecompressor;

    // Runs bytes that pass the buffer through the engine and the CRC register, as they are on.
    void PassBytes(unsigned char *bytes, LONG count);

    unsigned char *m_pBuffer;
    LONG m_lBytesInBuffer;
    LONG m_lWriteIndex;
    LONG m_lReadIndex;
    LONG m_lFilePosition;
    LONG m_lSize;
    DWORD m_lCrc;
    SHORT m_bCrcOn;
    SHORT m_bStampOnClose;
    SHORT m_bReadOnlyOpen;
    ALDecryptor *m_pDecryptor;
    LONG m_iType;
    LONG m_lBufferSize;
    ALProgressMonitor *m_pMonitor;
    ALTimeDate m_TimeDate;
    WORD m_wAttributes;
};

class QORUTIL_API ALFileStorage : public ALStorage {
public:
    explicit ALFileStorage(const char *fileName = "", LONG bufferSize = 4096);
    ~ALFileStorage() override;

    int Open() override;
    int Create() override;
    int Close() override;
    int LoadBuffer(LONG position) override;
    int FlushBuffer() override;
    int Seek(LONG position) override;
    int Rename(const char *newName = nullptr, int deleteExisting = 1) override;
    int UnRename(int deleteExisting = 1) override;
    int RenameToBackup(int deleteExisting = 1) override;
    int Delete() override;
    ALStorage *Clone(const char *name, int type) const override;

    // Names the storage "~al~NNN.tmp" for `number`.
    void MakeTempName(int number);
    // Makes every folder of the name; 0 on success, -1 when a folder cannot be made.
    int MakeDirectories();

private:
    int CreateTemporary();
    void ReadFileDetails();
    int UnlinkBeforeRename(const char *target, const char *source);

    int m_iHandle;
};

// Opens a closed storage for reading for the length of a block.
class QORUTIL_API ALReadScope {
public:
    explicit ALReadScope(ALStorage &storage);
    ~ALReadScope();
    ALReadScope(const ALReadScope &) = delete;
    ALReadScope &operator=(const ALReadScope &) = delete;

private:
    ALStorage &m_storage;
    bool m_bOpened;
};

// Creates a closed storage for the length of a block.
class QORUTIL_API ALWriteScope {
public:
    explicit ALWriteScope(ALStorage &storage);
    ~ALWriteScope();
    ALWriteScope(const ALWriteScope &) = delete;
    ALWriteScope &operator=(const ALWriteScope &) = delete;

private:
    ALStorage &m_storage;
    bool m_bCreated;
};

// A read scope on the input and a write scope on the output.
class QORUTIL_API ALTransferScope {
public:
    ALTransferScope(ALStorage &input, ALStorage &output) : m_input(input), m_output(output) {}

private:
    ALReadScope m_input;
    ALWriteScope m_output;
};
