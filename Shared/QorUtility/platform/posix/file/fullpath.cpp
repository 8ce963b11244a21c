// fullpath.cpp: GetFullPathNameA: a name made absolute against the current folder and tidied up by
// its text alone ("." and ".." components, repeated separators), as Windows does, without asking the
// file system whether anything is there. Both separators count; the result uses '/'.
#include "QorPlatform.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

using qor::platform::FailWith;
using qor::platform::Win32ErrorFromErrno;

namespace {

std::string Tidied(const std::string &absolute)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= absolute.size()) {
        size_t end = absolute.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = absolute.size();
        std::string part = absolute.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back(); // the root's parent is the root
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string path;
    for (const std::string &part : parts)
        path += "/" + part;
    bool endsInSeparator = std::strchr("/\\", absolute.back()) != nullptr;
    return path.empty() || endsInSeparator ? path + "/" : path;
}

} // namespace

DWORD WINAPI GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR *lpFilePart)
{
    if (lpFileName == nullptr || *lpFileName == '\0')
        return FailWith(ERROR_INVALID_NAME);
    std::string name = lpFileName;
    if (name[0] != '/' && name[0] != '\\') {
        char folder[PATH_MAX];
        if (getcwd(folder, sizeof folder) == nullptr)
            return FailWith(Win32ErrorFromErrno(errno));
        name = std::string(folder) + "/" + name;
    }
    std::string path = Tidied(name);
    // Windows' rule: the length without the terminator when it fits, else the size needed with it.
    if (lpBuffer == nullptr || nBufferLength <= path.size())
        return static_cast<DWORD>(path.size()) + 1;
    std::memcpy(lpBuffer, path.c_str(), path.size() + 1);
    if (lpFilePart != nullptr) {
        char *last = std::strrchr(lpBuffer, '/');
        *lpFilePart = last[1] != '\0' ? last + 1 : nullptr;
    }
    return static_cast<DWORD>(path.size());
}
