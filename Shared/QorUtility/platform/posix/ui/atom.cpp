// atom.cpp: the global atom table and registered window messages. POSIX has no table shared by a
// session, so the global atoms are the process's own; a message that carries an atom to another
// process's window carries its text along (window.cpp). Atoms run from 0xC000 up, hold names of 1 to
// 255 bytes compared without regard to ASCII case, and are counted: each add needs its delete.
// Registered messages share their range and names with registered clipboard formats, as on Windows.
#include "QorPlatform.h"

#include <cstring>
#include <mutex>
#include <string>
#include <strings.h>
#include <vector>

using qor::platform::FaultFires;

namespace {

constexpr ATOM kFirstAtom = 0xC000;
constexpr size_t kLongestName = 255;

struct AtomEntry {
    std::string name; // empty: a free slot
    unsigned count = 0;
};

struct AtomTable {
    std::mutex mutex;
    std::vector<AtomEntry> entries; // entries[i] is atom kFirstAtom + i
};

AtomTable &Atoms()
{
    static AtomTable table;
    return table;
}

AtomEntry *EntryOf(AtomTable &table, ATOM atom)
{
    if (atom < kFirstAtom || (size_t)(atom - kFirstAtom) >= table.entries.size())
        return nullptr;
    AtomEntry &entry = table.entries[atom - kFirstAtom];
    return entry.count > 0 ? &entry : nullptr;
}

} // namespace

ATOM WINAPI GlobalAddAtomA(LPCSTR lpString)
{
    if (FaultFires("GlobalAddAtomA"))
        return 0;
    if (lpString == nullptr || lpString[0] == '\0' || std::strlen(lpString) > kLongestName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    AtomTable &table = Atoms();
    std::lock_guard<std::mutex> lock(table.mutex);
    size_t freeSlot = table.entries.size();
    for (size_t i = 0; i < table.entries.size(); ++i) {
        AtomEntry &entry = table.entries[i];
        if (entry.count > 0 && strcasecmp(entry.name.c_str(), lpString) == 0) {
            ++entry.count;
            return (ATOM)(kFirstAtom + i);
        }
        if (entry.count == 0 && freeSlot == table.entries.size())
            freeSlot = i;
    }
    if (freeSlot == 0x10000 - kFirstAtom) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (freeSlot == table.entries.size())
        table.entries.emplace_back();
    table.entries[freeSlot] = AtomEntry{lpString, 1};
    return (ATOM)(kFirstAtom + freeSlot);
}

ATOM WINAPI GlobalFindAtomA(LPCSTR lpString)
{
    AtomTable &table = Atoms();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (size_t i = 0; lpString != nullptr && i < table.entries.size(); ++i)
        if (table.entries[i].count > 0 && strcasecmp(table.entries[i].name.c_str(), lpString) == 0)
            return (ATOM)(kFirstAtom + i);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
}

// Answers 0 when the last reference goes, the atom itself when it remains (Win32's rule).
ATOM WINAPI GlobalDeleteAtom(ATOM nAtom)
{
    AtomTable &table = Atoms();
    std::lock_guard<std::mutex> lock(table.mutex);
    AtomEntry *entry = EntryOf(table, nAtom);
    if (entry == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nAtom;
    }
    if (--entry->count == 0)
        entry->name.clear();
    return 0;
}

UINT WINAPI GlobalGetAtomNameA(ATOM nAtom, LPSTR lpBuffer, int nSize)
{
    AtomTable &table = Atoms();
    std::lock_guard<std::mutex> lock(table.mutex);
    const AtomEntry *entry = EntryOf(table, nAtom);
    if (entry == nullptr || lpBuffer == nullptr || nSize <= 0) {
        SetLastError(entry == nullptr ? ERROR_INVALID_HANDLE : ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const size_t copied = entry->name.size() < (size_t)nSize ? entry->name.size() : (size_t)nSize - 1;
    std::memcpy(lpBuffer, entry->name.data(), copied);
    lpBuffer[copied] = '\0';
    return (UINT)copied;
}

UINT WINAPI RegisterWindowMessageA(LPCSTR lpString) { return RegisterClipboardFormatA(lpString); }
