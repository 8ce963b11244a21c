// fileinfo.cpp: GetFileAttributesA and GetFileAttributesExA over stat. Read-only means no write
// permission bit at all, hidden means a name that starts with a dot, plain files carry the archive
// attribute, and a folder is a folder; times are FILETIMEs (100 ns since 1601-01-01 UTC).
#include "file/fileinfo.h"
#include "common/filetime.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

using qor::platform::FailWith;
using qor::platform::FaultFires;

namespace {

FILETIME FileTimeFrom(const struct statx_timestamp &time)
{
    return qor::platform::FileTimeFromTicks(qor::platform::FileTimeTicksFromUnix(time.tv_sec, time.tv_nsec));
}

bool IsHiddenName(const char *path)
{
    const char *slash = std::strrchr(path, '/');
    const char *name = slash ? slash + 1 : path;
    return name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

DWORD AttributesOf(const char *path, mode_t mode)
{
    DWORD attributes = 0;
    if (S_ISDIR(mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    else if (S_ISREG(mode))
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
    if ((mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (IsHiddenName(path))
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

bool StatPath(const char *path, struct statx *status)
{
    if (path == nullptr || *path == '\0')
        return FailWith(ERROR_PATH_NOT_FOUND);
    if (statx(AT_FDCWD, path, 0, STATX_BASIC_STATS | STATX_BTIME, status) != 0)
        return FailWith(qor::platform::Win32ErrorForPath(errno, path));
    return true;
}

} // namespace

namespace qor::platform {

DWORD Win32ErrorForPath(int error, const char *path)
{
    if (error != ENOENT)
        return Win32ErrorFromErrno(error);
    std::string folder = path;
    size_t slash = folder.find_last_of('/');
    if (folder.empty())
        return ERROR_PATH_NOT_FOUND;
    if (slash == std::string::npos)
        return ERROR_FILE_NOT_FOUND;
    folder.resize(slash == 0 ? 1 : slash);
    struct stat status;
    return stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                          : ERROR_PATH_NOT_FOUND;
}

} // namespace qor::platform

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName)
{
    struct statx status;
    if (FaultFires("GetFileAttributesA") || !StatPath(lpFileName, &status))
        return INVALID_FILE_ATTRIBUTES;
    return AttributesOf(lpFileName, status.stx_mode);
}

BOOL WINAPI GetFileAttributesExA(LPCSTR lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId, LPVOID lpFileInformation)
{
    if (FaultFires("GetFileAttributesExA"))
        return FALSE;
    if (fInfoLevelId != GetFileExInfoStandard || lpFileInformation == nullptr)
        return FailWith(ERROR_INVALID_PARAMETER);
    struct statx status;
    if (!StatPath(lpFileName, &status))
        return FALSE;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    data.dwFileAttributes = AttributesOf(lpFileName, status.stx_mode);
    // File systems without a birth time give none; the last change is then the best stand-in.
    bool hasBirth = (status.stx_mask & STATX_BTIME) != 0;
    data.ftCreationTime = FileTimeFrom(hasBirth ? status.stx_btime : status.stx_ctime);
    data.ftLastAccessTime = FileTimeFrom(status.stx_atime);
    data.ftLastWriteTime = FileTimeFrom(status.stx_mtime);
    // Windows reports a size of 0 for folders.
    uint64_t size = S_ISDIR(status.stx_mode) ? 0 : status.stx_size;
    data.nFileSizeHigh = (DWORD)(size >> 32);
    data.nFileSizeLow = (DWORD)size;
    std::memcpy(lpFileInformation, &data, sizeof data);
    return TRUE;
}
