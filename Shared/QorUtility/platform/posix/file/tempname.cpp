// tempname.cpp: GetTempFileNameA: "<folder>/<up to 3 prefix characters><hex number>.TMP", created empty
// when the number is 0 (then found by counting up from a time-based start until a name is free).
#include "QorPlatform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <unistd.h>

using qor::platform::FailWith;
using qor::platform::FaultFires;

namespace {

std::string TempName(const std::string &folder, const char *prefix, unsigned number)
{
    char name[16];
    std::snprintf(name, sizeof name, "%.3s%X.TMP", prefix != nullptr ? prefix : "", number & 0xFFFF);
    return folder + name;
}

// Creates the name with `number`, failing when it exists: 0, or the errno of the failure.
int CreateExclusive(const std::string &path)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    close(fd);
    return 0;
}

} // namespace

UINT WINAPI GetTempFileNameA(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique, LPSTR lpTempFileName)
{
    if (FaultFires("GetTempFileNameA"))
        return 0;
    if (lpPathName == nullptr || lpTempFileName == nullptr)
        return FailWith(ERROR_INVALID_PARAMETER);
    std::string folder = lpPathName;
    if (!folder.empty() && !qor::IsPathSeparator(folder.back()))
        folder += '/';
    if (folder.size() > MAX_PATH - 14)
        return FailWith(ERROR_FILENAME_EXCED_RANGE);
    UINT number = uUnique & 0xFFFF;
    if (number == 0) {
        // Windows starts from the clock too and counts up past the names that are taken.
        const unsigned start = (unsigned)std::time(nullptr) & 0xFFFF;
        int error = EEXIST;
        for (unsigned step = 0; step < 0x10000 && error == EEXIST; ++step) {
            number = (start + step) % 0xFFFF + 1;
            error = CreateExclusive(TempName(folder, lpPrefixString, number));
        }
        if (error != 0)
            return FailWith(error == EEXIST ? ERROR_FILE_EXISTS : qor::platform::Win32ErrorFromErrno(error));
    }
    const std::string path = TempName(folder, lpPrefixString, number);
    std::memcpy(lpTempFileName, path.c_str(), path.size() + 1);
    return number;
}
