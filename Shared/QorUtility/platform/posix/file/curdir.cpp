// curdir.cpp: GetCurrentDirectoryA and SetCurrentDirectoryA over the process's working directory.
#include "file/fileinfo.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using qor::platform::FailWith;
using qor::platform::FaultFires;

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer)
{
    if (FaultFires("GetCurrentDirectoryA"))
        return 0;
    std::string path(256, '\0');
    while (getcwd(&path[0], path.size()) == nullptr) {
        if (errno != ERANGE)
            return FailWith(qor::platform::Win32ErrorFromErrno(errno));
        path.resize(path.size() * 2);
    }
    path.resize(std::strlen(path.c_str()));
    // Windows' rule: the length without the terminator when it fits, else the size needed with it.
    if (lpBuffer == nullptr || nBufferLength <= path.size())
        return (DWORD)path.size() + 1;
    std::memcpy(lpBuffer, path.c_str(), path.size() + 1);
    return (DWORD)path.size();
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName)
{
    if (FaultFires("SetCurrentDirectoryA"))
        return FALSE;
    if (lpPathName == nullptr || *lpPathName == '\0')
        return FailWith(ERROR_INVALID_PARAMETER);
    if (chdir(lpPathName) == 0)
        return TRUE;
    // Windows names a path that exists but is no folder by its own error, not "path not found".
    const int error = errno;
    struct stat details;
    if (error == ENOTDIR && stat(lpPathName, &details) == 0 && !S_ISDIR(details.st_mode))
        return FailWith(ERROR_DIRECTORY);
    return FailWith(qor::platform::Win32ErrorForPath(error, lpPathName));
}
