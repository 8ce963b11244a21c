// find.cpp: FindFirstFileA, FindNextFileA and FindClose over a folder listing. The pattern's last part
// is matched with the Win32 wildcard rules ('*' any run, '?' any one character, "*.*" every name, a
// trailing ".*" also a name without a dot), without regard to case as on Windows; the names come in
// name order, as NTFS gives them. The folder is read whole at FindFirstFileA.
#include "common/filetime.h"
#include "common/handles.h"
#include "find/findpattern.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

using qor::platform::FailWith;
using qor::platform::FaultFires;

namespace {

class FindObject : public qor::platform::HandleObject {
public:
    std::vector<WIN32_FIND_DATAA> found;
    size_t next = 0;
};

struct SplitPattern {
    std::string folder; // with its separator, or empty for the working directory
    std::string name;
};

SplitPattern Split(const char *pattern)
{
    std::string text = pattern;
    for (char &c : text)
        if (c == '\\')
            c = '/'; // a Win32 path separator
    size_t separator = text.find_last_of("/\\");
    if (separator == std::string::npos)
        return {"", text};
    return {text.substr(0, separator + 1), text.substr(separator + 1)};
}

FILETIME FileTimeOf(const struct timespec &time)
{
    return qor::platform::FileTimeFromTicks(qor::platform::FileTimeTicksFromUnix(time.tv_sec, time.tv_nsec));
}

bool Describe(const std::string &folder, const char *name, WIN32_FIND_DATAA *data)
{
    struct stat status, link;
    std::string path = (folder.empty() ? std::string("./") : folder) + name;
    if (stat(path.c_str(), &status) != 0 || lstat(path.c_str(), &link) != 0 || std::strlen(name) >= MAX_PATH)
        return false; // vanished since the listing, a dangling link, or a name Windows cannot hold
    *data = WIN32_FIND_DATAA{};
    DWORD attributes = S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (S_ISLNK(link.st_mode))
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT; // a symbolic link is Windows' reparse point
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    data->dwFileAttributes = attributes;
    data->ftCreationTime = FileTimeOf(status.st_ctim);
    data->ftLastAccessTime = FileTimeOf(status.st_atim);
    data->ftLastWriteTime = FileTimeOf(status.st_mtim);
    uint64_t size = S_ISDIR(status.st_mode) ? 0 : static_cast<uint64_t>(status.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
    std::strcpy(data->cFileName, name);
    return true;
}

// Every entry of `folder` whose name matches, in name order; false with the last error set when the
// folder cannot be read.
bool ListMatches(const SplitPattern &pattern, std::vector<WIN32_FIND_DATAA> &found)
{
    DIR *listing = opendir(pattern.folder.empty() ? "." : pattern.folder.c_str());
    if (listing == nullptr)
        return FailWith(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                            : qor::platform::Win32ErrorFromErrno(errno));
    while (const dirent *entry = readdir(listing)) {
        WIN32_FIND_DATAA data;
        if (qor::platform::MatchesFindPattern(entry->d_name, pattern.name.c_str()) &&
            Describe(pattern.folder, entry->d_name, &data))
            found.push_back(data);
    }
    closedir(listing);
    std::sort(found.begin(), found.end(), [](const WIN32_FIND_DATAA &a, const WIN32_FIND_DATAA &b) {
        return _stricmp(a.cFileName, b.cFileName) < 0;
    });
    return true;
}

} // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData)
{
    if (FaultFires("FindFirstFileA"))
        return INVALID_HANDLE_VALUE;
    if (lpFileName == nullptr || lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    SplitPattern pattern = Split(lpFileName);
    if (pattern.name.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND); // a pattern that ends in a separator names no file
        return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_shared<FindObject>();
    if (!ListMatches(pattern, search->found))
        return INVALID_HANDLE_VALUE;
    if (search->found.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    *lpFindFileData = search->found[search->next++];
    return qor::platform::AddHandle(search);
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData)
{
    if (FaultFires("FindNextFileA"))
        return FALSE;
    auto search = qor::platform::FindHandleOf<FindObject>(hFindFile);
    if (search == nullptr)
        return FALSE;
    if (lpFindFileData == nullptr)
        return FailWith(ERROR_INVALID_PARAMETER);
    if (search->next >= search->found.size())
        return FailWith(ERROR_NO_MORE_FILES);
    *lpFindFileData = search->found[search->next++];
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile)
{
    if (qor::platform::FindHandleOf<FindObject>(hFindFile) == nullptr)
        return FALSE;
    return qor::platform::RemoveHandle(hFindFile) ? TRUE : FALSE;
}
