// resources.cpp: string resources. Windows reads a module's STRINGTABLE from its resource section; here
// an application registers the table of its module (QorRegisterStringTable) and LoadStringA finds the
// strings the way Windows does: in blocks of 16 ids, where an empty slot is an absent string.
#include "QorPlatform.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

using qor::platform::FailWith;
using qor::platform::FaultFires;

namespace {

using StringTable = std::map<UINT, std::string>;

struct Registry {
    std::mutex mutex;
    std::map<HMODULE, StringTable> tables;
};

Registry &Tables()
{
    static Registry registry;
    return registry;
}

constexpr UINT kLargestId = 0xFFFF; // string ids are 16-bit on Windows
constexpr UINT kBlockMask = ~static_cast<UINT>(15);

bool BlockExists(const StringTable &table, UINT id)
{
    auto first = table.lower_bound(id & kBlockMask);
    return first != table.end() && (first->first & kBlockMask) == (id & kBlockMask);
}

// The length of the longest prefix of `text` of at most `limit` bytes that ends on a character
// boundary, so that a truncated string never ends in half a UTF-8 character.
size_t FittingLength(const std::string &text, size_t limit)
{
    if (text.size() <= limit)
        return text.size();
    size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}

} // namespace

BOOL QorRegisterStringTable(HMODULE module, const QOR_STRING_RESOURCE *rows, size_t count)
{
    if (module == nullptr || (rows == nullptr && count > 0))
        return FailWith(ERROR_INVALID_PARAMETER);
    StringTable table;
    for (size_t i = 0; i < count; ++i) {
        if (rows[i].text == nullptr || rows[i].id > kLargestId)
            return FailWith(ERROR_INVALID_PARAMETER);
        if (rows[i].text[0] != '\0') // an empty string is an empty slot, as in a compiled STRINGTABLE
            table[rows[i].id] = rows[i].text;
    }
    Registry &registry = Tables();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.tables[module] = std::move(table);
    return TRUE;
}

BOOL QorUnregisterStringTable(HMODULE module)
{
    Registry &registry = Tables();
    std::lock_guard<std::mutex> lock(registry.mutex);
    if (registry.tables.erase(module) == 0)
        return FailWith(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return TRUE;
}

int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax)
{
    if (FaultFires("LoadStringA"))
        return 0;
    // Windows documents 0 as unsupported for the ANSI call (it would corrupt memory); refuse it.
    if (lpBuffer == nullptr || cchBufferMax <= 0)
        return FailWith(ERROR_INVALID_PARAMETER);
    lpBuffer[0] = '\0'; // whatever happens, the caller finds a terminated string
    if (hInstance == nullptr)
        hInstance = GetModuleHandleA(nullptr);
    Registry &registry = Tables();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto table = registry.tables.find(hInstance);
    if (table == registry.tables.end())
        return FailWith(ERROR_RESOURCE_TYPE_NOT_FOUND);
    if (uID > kLargestId || !BlockExists(table->second, uID))
        return FailWith(ERROR_RESOURCE_NAME_NOT_FOUND);
    auto row = table->second.find(uID);
    if (row == table->second.end()) // the block exists but the slot is empty: found, and empty
        return 0;
    size_t length = FittingLength(row->second, static_cast<size_t>(cchBufferMax) - 1);
    std::memcpy(lpBuffer, row->second.data(), length);
    lpBuffer[length] = '\0';
    return static_cast<int>(length);
}
