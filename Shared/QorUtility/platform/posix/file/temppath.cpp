// temppath.cpp: GetTempPathA: $TMPDIR when set and not empty, else /tmp/, always ending in a separator.
#include "QorPlatform.h"

#include <cstdlib>
#include <cstring>
#include <string>

DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer)
{
    const char *folder = std::getenv("TMPDIR");
    std::string path = (folder != nullptr && *folder != '\0') ? folder : "/tmp";
    if (path.back() != '/')
        path += '/';
    // Windows' rule: the length without the terminator when it fits, else the size needed with it.
    if (lpBuffer == nullptr || nBufferLength <= path.size())
        return (DWORD)path.size() + 1;
    std::memcpy(lpBuffer, path.c_str(), path.size() + 1);
    return (DWORD)path.size();
}
