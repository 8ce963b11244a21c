// clipboard.cpp: registered clipboard formats, a process-wide atom table. Ids run from 0xC000 up;
// names compare without regard to ASCII case, and a name keeps the spelling of its first registration.
#include "QorPlatform.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

using qor::platform::FaultFires;

namespace {

constexpr UINT kFirstFormat = 0xC000; // the range of registered formats: 0xC000 through 0xFFFF
constexpr size_t kFormatCount = 0x10000 - kFirstFormat;
constexpr size_t kLongestName = 255; // an atom name holds at most 255 bytes

struct FormatTable {
    std::mutex mutex;
    std::vector<std::string> names; // names[i] is format kFirstFormat + i
};

FormatTable &Formats()
{
    static FormatTable table;
    return table;
}

bool SameName(const std::string &registered, const char *name)
{
    if (registered.size() != std::strlen(name))
        return false;
    for (size_t i = 0; i < registered.size(); ++i) {
        char a = registered[i], b = name[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

} // namespace

UINT WINAPI RegisterClipboardFormatA(LPCSTR lpszFormat)
{
    if (FaultFires("RegisterClipboardFormatA"))
        return 0;
    if (lpszFormat == nullptr || lpszFormat[0] == '\0' || std::strlen(lpszFormat) > kLongestName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    FormatTable &table = Formats();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (size_t i = 0; i < table.names.size(); ++i)
        if (SameName(table.names[i], lpszFormat))
            return kFirstFormat + static_cast<UINT>(i);
    if (table.names.size() == kFormatCount) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY); // the atom table is full
        return 0;
    }
    table.names.emplace_back(lpszFormat);
    return kFirstFormat + static_cast<UINT>(table.names.size() - 1);
}

int WINAPI GetClipboardFormatNameA(UINT format, LPSTR lpszFormatName, int cchMaxCount)
{
    if (lpszFormatName == nullptr || cchMaxCount < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    FormatTable &table = Formats();
    std::lock_guard<std::mutex> lock(table.mutex);
    // Predefined formats have no name, and an unregistered id names no atom: an invalid atom handle.
    if (format < kFirstFormat || format - kFirstFormat >= table.names.size()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (cchMaxCount == 0) {
        SetLastError(ERROR_MORE_DATA); // not even the terminator fits
        return 0;
    }
    // A longer name is truncated to the buffer, as documented.
    const std::string &name = table.names[format - kFirstFormat];
    size_t length = std::min(name.size(), static_cast<size_t>(cchMaxCount) - 1);
    std::memcpy(lpszFormatName, name.data(), length);
    lpszFormatName[length] = '\0';
    return static_cast<int>(length);
}
