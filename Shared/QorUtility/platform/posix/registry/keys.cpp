// keys.cpp: RegOpenKeyExA, RegCreateKeyExA, RegCloseKey, RegDeleteKeyA, RegEnumKeyExA,
// RegQueryInfoKeyA and RegFlushKey over the registry store. Each returns its Win32 error number and
// leaves the thread's last error alone.
#include "registry/store.h"

using namespace qor::platform::registry;

namespace {

// Opens the key `path` below `parent` into a new handle; `create` also makes the missing keys.
LSTATUS OpenBelow(HKEY parent, LPCSTR path, bool create, LPCSTR className, REGSAM access, PHKEY result,
                  bool &created)
{
    OpenKey from;
    LSTATUS status = ResolveHandle(parent, from);
    std::vector<std::string> names;
    if (status == ERROR_SUCCESS)
        status = SplitKeyPath(path, names);
    OpenKey opened{from.store, 0, access};
    created = false;
    if (status == ERROR_SUCCESS && create)
        status = from.store->CreateKey(from.key, names, className, opened.key, created);
    else if (status == ERROR_SUCCESS)
        status = from.store->FindKey(from.key, names, opened.key);
    if (status == ERROR_SUCCESS)
        *result = AddHandle(opened);
    return status;
}

} // namespace

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult)
{
    (void)ulOptions; // 0 or REG_OPTION_OPEN_LINK: there are no symbolic links, so both open the key itself
    LSTATUS status;
    if (RegistryFaultFires("RegOpenKeyExA", status))
        return status;
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    bool created;
    return OpenBelow(hKey, lpSubKey, false, nullptr, samDesired, phkResult, created);
}

LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                               REGSAM samDesired, const LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                               LPDWORD lpdwDisposition)
{
    (void)Reserved;
    (void)lpSecurityAttributes; // keys carry no security descriptor: the folder's permissions guard them
    LSTATUS status;
    if (RegistryFaultFires("RegCreateKeyExA", status))
        return status;
    if (phkResult == nullptr || lpSubKey == nullptr)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    // A volatile key must vanish when the system stops, and a link must redirect: the store has neither.
    if ((dwOptions & (REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK)) != 0)
        return ERROR_CALL_NOT_IMPLEMENTED;
    bool created = false;
    status = OpenBelow(hKey, lpSubKey, true, lpClass, samDesired, phkResult, created);
    if (status == ERROR_SUCCESS && lpdwDisposition != nullptr)
        *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return status;
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) { return ReleaseHandle(hKey); }

LSTATUS WINAPI RegFlushKey(HKEY hKey)
{
    OpenKey key;
    LSTATUS status;
    if (RegistryFaultFires("RegFlushKey", status))
        return status;
    status = ResolveHandle(hKey, key);
    return status == ERROR_SUCCESS ? key.store->Flush(key.key) : status;
}

LSTATUS WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey)
{
    LSTATUS status;
    if (RegistryFaultFires("RegDeleteKeyA", status))
        return status;
    if (lpSubKey == nullptr)
        return ERROR_INVALID_PARAMETER;
    OpenKey parent;
    status = ResolveHandle(hKey, parent);
    std::vector<std::string> names;
    if (status == ERROR_SUCCESS)
        status = SplitKeyPath(lpSubKey, names);
    KeyId doomed = 0;
    if (status == ERROR_SUCCESS)
        status = parent.store->FindKey(parent.key, names, doomed);
    if (status == ERROR_SUCCESS && IsRootKey(doomed))
        status = ERROR_ACCESS_DENIED; // a root key is not deleted
    return status == ERROR_SUCCESS ? parent.store->DeleteKey(doomed) : status;
}

LSTATUS WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                             LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime)
{
    LSTATUS status;
    if (RegistryFaultFires("RegEnumKeyExA", status))
        return status;
    if (lpName == nullptr || lpcchName == nullptr || lpReserved != nullptr ||
        (lpClass != nullptr && lpcchClass == nullptr))
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    SubKeyEntry entry;
    status = ResolveHandleFor(hKey, KEY_ENUMERATE_SUB_KEYS, key);
    if (status == ERROR_SUCCESS)
        status = key.store->SubKeyAt(key.key, dwIndex, entry);
    if (status == ERROR_SUCCESS && lpClass != nullptr && entry.className.size() >= *lpcchClass)
        status = ERROR_MORE_DATA;
    if (status == ERROR_SUCCESS)
        status = CopyName(entry.name, lpName, lpcchName);
    if (status == ERROR_SUCCESS && lpClass != nullptr)
        CopyName(entry.className, lpClass, lpcchClass);
    if (status == ERROR_SUCCESS && lpftLastWriteTime != nullptr)
        *lpftLastWriteTime = qor::platform::FileTimeFromTicks(entry.lastWrite);
    return status;
}

LSTATUS WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                                LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                                LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime)
{
    LSTATUS status;
    if (RegistryFaultFires("RegQueryInfoKeyA", status))
        return status;
    if (lpReserved != nullptr || (lpClass != nullptr && lpcchClass == nullptr))
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    KeySummary summary;
    status = ResolveHandleFor(hKey, KEY_QUERY_VALUE, key);
    if (status == ERROR_SUCCESS)
        status = key.store->Summarise(key.key, summary);
    if (status != ERROR_SUCCESS)
        return status;
    if (lpClass != nullptr && CopyName(summary.className, lpClass, lpcchClass) != ERROR_SUCCESS) {
        *lpcchClass = static_cast<DWORD>(summary.className.size()); // the length it needs
        return ERROR_MORE_DATA;
    }
    if (lpClass == nullptr && lpcchClass != nullptr)
        *lpcchClass = static_cast<DWORD>(summary.className.size());
    const std::pair<LPDWORD, DWORD> fields[] = {
        {lpcSubKeys, summary.subKeys}, {lpcbMaxSubKeyLen, summary.longestSubKey},
        {lpcbMaxClassLen, summary.longestClass}, {lpcValues, summary.values},
        {lpcbMaxValueNameLen, summary.longestValueName}, {lpcbMaxValueLen, summary.longestValueData},
        {lpcbSecurityDescriptor, 0}, // no security descriptors: the registry folder's permissions apply
    };
    for (const auto &field : fields)
        if (field.first != nullptr)
            *field.first = field.second;
    if (lpftLastWriteTime != nullptr)
        *lpftLastWriteTime = qor::platform::FileTimeFromTicks(summary.lastWrite);
    return ERROR_SUCCESS;
}
