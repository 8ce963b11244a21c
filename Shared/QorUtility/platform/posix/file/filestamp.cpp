// filestamp.cpp: SetFileTime and SetFileAttributesA: what of a file's times and attributes POSIX can
// hold. Times go to the inode through the handle's descriptor; of the attributes only read-only has a
// store (no write permission bits), so the others are accepted without effect.
#include "common/filetime.h"
#include "file/fileinfo.h"

#include <cerrno>
#include <sys/stat.h>

using qor::platform::FailWith;
using qor::platform::FaultFires;

namespace {

constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL |
                                      FILE_ATTRIBUTE_TEMPORARY;

// A FILETIME as a POSIX time; a null one leaves that time unchanged.
struct timespec TimespecOf(const FILETIME *time)
{
    if (time == nullptr)
        return timespec{0, UTIME_OMIT};
    int64_t ticks = static_cast<int64_t>(qor::platform::TicksOfFileTime(*time));
    int64_t sinceUnix = ticks - qor::platform::kSecondsFrom1601To1970 * qor::platform::kFileTimeTicksPerSecond;
    int64_t seconds = sinceUnix / qor::platform::kFileTimeTicksPerSecond;
    int64_t rest = sinceUnix % qor::platform::kFileTimeTicksPerSecond;
    if (rest < 0) {
        rest += qor::platform::kFileTimeTicksPerSecond;
        --seconds;
    }
    return timespec{static_cast<time_t>(seconds), static_cast<long>(rest * 100)};
}

} // namespace

BOOL WINAPI SetFileTime(HANDLE hFile, const FILETIME *lpCreationTime, const FILETIME *lpLastAccessTime,
                        const FILETIME *lpLastWriteTime)
{
    (void)lpCreationTime; // POSIX keeps no settable creation time
    if (FaultFires("SetFileTime"))
        return FALSE;
    int fd = qor::platform::WritableFileDescriptor(hFile);
    if (fd < 0)
        return FALSE;
    struct timespec times[2] = {TimespecOf(lpLastAccessTime), TimespecOf(lpLastWriteTime)};
    return futimens(fd, times) == 0 ? TRUE : FailWith(qor::platform::Win32ErrorFromErrno(errno));
}

BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes)
{
    if (FaultFires("SetFileAttributesA"))
        return FALSE;
    if (lpFileName == nullptr || *lpFileName == '\0')
        return FailWith(ERROR_PATH_NOT_FOUND);
    if ((dwFileAttributes & ~kSettableAttributes) != 0)
        return FailWith(ERROR_INVALID_PARAMETER);
    struct stat status;
    if (stat(lpFileName, &status) != 0)
        return FailWith(qor::platform::Win32ErrorForPath(errno, lpFileName));
    mode_t mode = status.st_mode & 07777;
    if (dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else if ((mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        mode |= S_IWUSR; // writable again for its owner, as Windows makes it writable for everyone who may
    if (mode != (status.st_mode & 07777) && chmod(lpFileName, mode) != 0)
        return FailWith(qor::platform::Win32ErrorFromErrno(errno));
    return TRUE;
}
