// handles.cpp: registry key handles: the predefined roots, each a root row of the registry folder's
// database, and the process-wide table of the handles that opening a key hands out.
// Also the rules for sub-key paths and the registry's use of fault injection.
#include "registry/store.h"

#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace qor::platform::registry {

namespace {

constexpr ULONG_PTR kFirstPredefined = static_cast<ULONG_PTR>(static_cast<LONG>(0x80000000));

// The predefined keys by their index (HKEY_CLASSES_ROOT is 0). HKEY_CLASSES_ROOT is a tree of its own
// here rather than a merged view of the machine and user class keys. HKEY_PERFORMANCE_DATA has no
// tree, and HKEY_DYN_DATA existed only on Windows 9x: it is no valid handle here.
constexpr size_t kPerformanceData = 4, kDynData = 6;
constexpr size_t kPredefinedKeys = 7;

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<ULONG_PTR, OpenKey> keys;
    ULONG_PTR next = 0x1000; // handed out in steps of 4, like kernel handles, and never reused
};

HandleTable &Handles()
{
    static HandleTable *table = new HandleTable; // outlives static objects that close keys at unload
    return *table;
}

std::string RegistryFolder()
{
    const char *folder = std::getenv("QOR_REGISTRY_DIR");
    if (folder != nullptr && folder[0] != '\0')
        return folder;
    return qor::platform::DataHomeFolder() + "/qorutil/registry";
}

LSTATUS ResolvePredefined(size_t index, OpenKey &key)
{
    if (index == kPerformanceData)
        return ERROR_CALL_NOT_IMPLEMENTED;
    if (index >= kPredefinedKeys || index == kDynData)
        return ERROR_INVALID_HANDLE;
    key.key = RootKeyId(index);
    key.access = KEY_ALL_ACCESS;
    return CurrentStore(key.store);
}

} // namespace

LSTATUS CurrentStore(RegistryStore *&store) { return RegistryStore::Open(RegistryFolder() + "/registry.db", store); }

LSTATUS ResolveHandle(HKEY handle, OpenKey &key)
{
    ULONG_PTR value = reinterpret_cast<ULONG_PTR>(handle);
    if (value >= kFirstPredefined)
        return ResolvePredefined(value - kFirstPredefined, key);
    HandleTable &table = Handles();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.keys.find(value);
    if (found == table.keys.end())
        return ERROR_INVALID_HANDLE;
    key = found->second;
    return ERROR_SUCCESS;
}

LSTATUS ResolveHandleFor(HKEY handle, REGSAM needed, OpenKey &key)
{
    LSTATUS status = ResolveHandle(handle, key);
    if (status == ERROR_SUCCESS && (key.access & needed) != needed)
        status = ERROR_ACCESS_DENIED;
    return status;
}

HKEY AddHandle(const OpenKey &key)
{
    HandleTable &table = Handles();
    std::lock_guard<std::mutex> lock(table.mutex);
    ULONG_PTR value = table.next;
    table.next += 4;
    table.keys.emplace(value, key);
    return reinterpret_cast<HKEY>(value);
}

LSTATUS ReleaseHandle(HKEY handle)
{
    ULONG_PTR value = reinterpret_cast<ULONG_PTR>(handle);
    if (value >= kFirstPredefined) {
        size_t index = value - kFirstPredefined;
        bool known = index < kPredefinedKeys && index != kDynData;
        return known ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    }
    HandleTable &table = Handles();
    std::lock_guard<std::mutex> lock(table.mutex);
    return table.keys.erase(value) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS SplitKeyPath(const char *path, std::vector<std::string> &names)
{
    names.clear();
    if (path == nullptr || path[0] == '\0')
        return ERROR_SUCCESS;
    if (path[0] == '\\')
        return ERROR_BAD_PATHNAME;
    const char *start = path;
    for (;;) {
        const char *end = std::strchr(start, '\\');
        size_t length = end ? static_cast<size_t>(end - start) : std::strlen(start);
        if (end != nullptr && end[1] == '\0' && length > 0) {
            names.emplace_back(start, length); // one trailing backslash closes the path
            return length > kLongestKeyName ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
        }
        if (length == 0 || length > kLongestKeyName)
            return ERROR_INVALID_PARAMETER;
        names.emplace_back(start, length);
        if (end == nullptr)
            return ERROR_SUCCESS;
        start = end + 1;
    }
}

bool RegistryFaultFires(const char *function, LSTATUS &status)
{
    DWORD previous = GetLastError();
    if (!FaultFires(function))
        return false;
    status = static_cast<LSTATUS>(GetLastError());
    SetLastError(previous);
    return true;
}

} // namespace qor::platform::registry
