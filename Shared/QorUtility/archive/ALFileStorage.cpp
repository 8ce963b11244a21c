// ALFileStorage.cpp: a storage kept in a disk file through the C runtime's low-level calls: open
// (read-write, falling back to read-only), create (temporary names, missing folders), load, flush,
// seek and close (the time stamp and attributes written back). Renames and deletes are in
// ALFileStorageNames.cpp.
#include "ALStorage.h"
#include "ALFileStamp.h"
#include "QorPlatform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

constexpr int kOpenReadWrite = _O_RDWR | _O_BINARY;
constexpr int kOpenReadOnly = _O_RDONLY | _O_BINARY;
constexpr int kCreateTemporary = _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY;
constexpr int kCreateNamed = _O_RDWR | _O_CREAT | _O_TRUNC | _O_BINARY;
constexpr int kReadWritePermission = _S_IREAD | _S_IWRITE;
constexpr int kTemporaryNames = 1000;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

} // namespace

ALFileStorage::ALFileStorage(const char *fileName, LONG bufferSize)
    : ALStorage(fileName, bufferSize, AL_STORAGE_FILE, AL_CASE_MIXED_IGNORED), m_iHandle(-1)
{
}

ALFileStorage::~ALFileStorage()
{
    if (IsOpen() || m_iHandle != -1)
        Close();
}

ALStorage *ALFileStorage::Clone(const char *name, int type) const
{
    if (type != AL_STORAGE_ANY && type != AL_STORAGE_FILE)
        return nullptr;
    return new (std::nothrow) ALFileStorage(name);
}

int ALFileStorage::Open()
{
    if (mStatus < 0 || m_iHandle != -1)
        return mStatus < 0 ? mStatus.GetStatusCode() : AL_OPEN_FAILED; // sticky, or open already
    const char *name = mName.GetName();
    m_iHandle = _open(name, m_bReadOnlyOpen ? kOpenReadOnly : kOpenReadWrite);
    if (m_iHandle == -1 && !m_bReadOnlyOpen && errno == EACCES)
        m_iHandle = _open(name, kOpenReadOnly);
    if (m_iHandle == -1)
        return mStatus.SetError(AL_OPEN_FAILED, "File open failure.  Open of %s returned errno = %d", name, errno);
    ALStorage::Open();
    ReadFileDetails();
    return mStatus;
}

void ALFileStorage::ReadFileDetails()
{
    struct _stat details;
    if (_stat(mName.GetName(), &details) != 0) {
        mStatus.SetError(AL_OPEN_FAILED, "Couldn't get time, date, and size information for %s.  errno = %d.",
                         mName.GetName(), errno);
        return;
    }
    m_lSize = details.st_size;
    time_t modified = static_cast<time_t>(details.st_mtime);
    if (const struct tm *local = localtime(&modified))
        m_TimeDate = ALTimeDate{static_cast<WORD>(local->tm_year + 1900), static_cast<WORD>(local->tm_mon + 1),
                                static_cast<WORD>(local->tm_mday), static_cast<WORD>(local->tm_hour),
                                static_cast<WORD>(local->tm_min), static_cast<WORD>(local->tm_sec)};
    m_wAttributes = ALAttributesFromPlatform(GetFileAttributesA(mName.GetName()));
}

void ALFileStorage::MakeTempName(int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "~al~%03d.tmp", number);
    mName = name;
}

int ALFileStorage::CreateTemporary()
{
    for (int number = 0; number < kTemporaryNames; ++number) {
        MakeTempName(number);
        m_iHandle = _open(mName.GetName(), kCreateTemporary, kReadWritePermission);
        if (m_iHandle != -1)
            return mStatus;
        if (errno != EEXIST && errno != EACCES) {
            mStatus.SetError(AL_OPEN_FAILED, "Temporary file creation failure.  Open of %s returned errno = %d",
                             mName.GetName(), errno);
            mName = "";
            return mStatus;
        }
    }
    mStatus.SetError(AL_OPEN_FAILED,
                     "Temporary file creation failure.  Tried 1000 times to open %s (or a name something like that).",
                     mName.GetName());
    mName = "";
    return mStatus;
}

int ALFileStorage::Create()
{
    if (m_iHandle != -1)
        return AL_OPEN_FAILED; // open already: a second handle would leak the first
    if (ALStorage::Create() < 0)
        return mStatus;
    if (mName.GetName()[0] == '\0')
        return CreateTemporary();
    const char *name = mName.GetName();
    m_iHandle = _open(name, kCreateNamed, kReadWritePermission);
    int openError = errno;
    if (m_iHandle == -1 && openError == ENOENT && std::strpbrk(name, "/\\") != nullptr && MakeDirectories() == 0) {
        m_iHandle = _open(name, kCreateNamed, kReadWritePermission);
        openError = errno;
    }
    // A member that stands for a folder has no file: its folders are all it needs.
    if (m_iHandle == -1 && (!(m_wAttributes & AL_ATTRIBUTE_DIRECTORY) || openError == EACCES))
        mStatus.SetError(AL_OPEN_FAILED, "File creation failure.  Open of %s returned errno = %d", name, openError);
    return mStatus;
}

int ALFileStorage::MakeDirectories()
{
    const char *name = mName.GetName();
    for (const char *p = name; *p != '\0'; ++p) {
        if (!IsSeparator(*p))
            continue;
        std::string folder(name, static_cast<size_t>(p - name));
        if (_mkdir(folder.c_str()) != 0 && errno != EACCES && errno != EEXIST && errno != ENFILE && errno != ENOENT)
            return -1;
    }
    size_t length = std::strlen(name);
    return length > 0 && IsSeparator(name[length - 1]) ? -1 : 0;
}

int ALFileStorage::LoadBuffer(LONG position)
{
    if (mStatus < 0)
        return mStatus;
    if (position != m_lFilePosition && _lseek(m_iHandle, position, SEEK_SET) == -1)
        return mStatus.SetError(AL_SEEK_FAILED, "Seek failure on %s.  errno = %d", mName.GetName(), errno);
    m_lFilePosition = position;
    int count = _read(m_iHandle, m_pBuffer, static_cast<unsigned>(m_lBufferSize));
    if (count == 0)
        return -1;
    if (count < 0)
        return mStatus.SetError(AL_READ_FAILED, "Read failure on %s.  errno = %d", mName.GetName(), errno);
    PassBytes(m_pBuffer, count);
    m_lReadIndex = 0;
    m_lFilePosition += count;
    m_lBytesInBuffer = count;
    YieldTime();
    return count;
}

int ALFileStorage::FlushBuffer()
{
    if (mStatus < 0)
        return mStatus;
    if (m_lWriteIndex > 0) {
        PassBytes(m_pBuffer, m_lWriteIndex);
        int written = _write(m_iHandle, m_pBuffer, static_cast<unsigned>(m_lWriteIndex));
        if (written != m_lWriteIndex)
            return mStatus.SetError(AL_WRITE_FAILED, "Write failure on %s.  result = %d, errno = %d", mName.GetName(),
                                    written, errno);
        m_lWriteIndex = 0;
        m_lFilePosition += written;
    }
    m_lReadIndex = m_lBytesInBuffer = 0;
    YieldTime();
    return 0;
}

int ALFileStorage::Seek(LONG position)
{
    if (FlushBuffer() < 0)
        return mStatus;
    if (position != m_lFilePosition && _lseek(m_iHandle, position, SEEK_SET) == -1)
        return mStatus.SetError(AL_SEEK_FAILED, "Seek failure on %s.  errno = %d", mName.GetName(), errno);
    m_lFilePosition = position;
    return mStatus;
}

int ALFileStorage::Close()
{
    if (m_iHandle == -1) {
        ALStorage::Close();
        return mStatus;
    }
    FlushBuffer();
    m_lSize = static_cast<LONG>(_filelength(m_iHandle));
    // The time goes through the open file, the attributes (read-only among them) once it is closed.
    const bool stamp = m_bStampOnClose && m_TimeDate.wYear != 0;
    if (stamp) {
        m_TimeDate = ALUniversalFromLocal(m_TimeDate);
        ALSetLastWriteTime(m_iHandle, m_TimeDate);
    }
    _close(m_iHandle);
    m_iHandle = -1;
    ALStorage::Close();
    if (stamp)
        SetFileAttributesA(mName.GetName(), ALPlatformFromAttributes(m_wAttributes));
    m_bStampOnClose = 0;
    return mStatus;
}
