// values.cpp: RegQueryValueExA, RegSetValueExA, RegDeleteValueA and RegEnumValueA over the
// registry store. Each returns its Win32 error number and leaves the thread's last error alone.
#include "registry/store.h"

#include <cstring>

using namespace qor::platform::registry;

namespace {

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Hands a value's type and data to the caller's optional outputs with the documented size protocol:
// null data asks for the size only; too small a buffer answers ERROR_MORE_DATA with the size it needs.
// A string stored without its terminator gets one when the buffer has room for it.
LSTATUS DeliverValue(const ValueEntry &value, LPDWORD type, LPBYTE data, LPDWORD size)
{
    DWORD needed = static_cast<DWORD>(value.data.size());
    LSTATUS status = ERROR_SUCCESS;
    if (data != nullptr && *size < needed) {
        status = ERROR_MORE_DATA;
    } else if (data != nullptr) {
        if (needed > 0)
            std::memcpy(data, value.data.data(), needed);
        bool terminated = needed > 0 && value.data[needed - 1] == 0;
        if (IsStringType(value.type) && !terminated && *size > needed)
            data[needed] = 0;
    }
    if (type != nullptr)
        *type = value.type;
    if (size != nullptr)
        *size = needed;
    return status;
}

} // namespace

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                LPDWORD lpcbData)
{
    LSTATUS status;
    if (RegistryFaultFires("RegQueryValueExA", status))
        return status;
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    ValueEntry value;
    status = ResolveHandleFor(hKey, KEY_QUERY_VALUE, key);
    if (status == ERROR_SUCCESS)
        status = key.store->ReadValue(key.key, lpValueName ? lpValueName : "", value);
    return status == ERROR_SUCCESS ? DeliverValue(value, lpType, lpData, lpcbData) : status;
}

LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE *lpData,
                              DWORD cbData)
{
    (void)Reserved;
    LSTATUS status;
    if (RegistryFaultFires("RegSetValueExA", status))
        return status;
    if (lpData == nullptr && cbData > 0)
        return ERROR_NOACCESS; // the bytes cannot be read
    std::string name = lpValueName ? lpValueName : "";
    if (name.size() > kLongestValueName)
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    status = ResolveHandleFor(hKey, KEY_SET_VALUE, key);
    return status == ERROR_SUCCESS ? key.store->WriteValue(key.key, name, dwType, lpData, cbData) : status;
}

LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName)
{
    LSTATUS status;
    if (RegistryFaultFires("RegDeleteValueA", status))
        return status;
    OpenKey key;
    status = ResolveHandleFor(hKey, KEY_SET_VALUE, key);
    return status == ERROR_SUCCESS ? key.store->DeleteValue(key.key, lpValueName ? lpValueName : "") : status;
}

LSTATUS WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                             LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    LSTATUS status;
    if (RegistryFaultFires("RegEnumValueA", status))
        return status;
    if (lpValueName == nullptr || lpcchValueName == nullptr || lpReserved != nullptr ||
        (lpData != nullptr && lpcbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    ValueEntry value;
    status = ResolveHandleFor(hKey, KEY_QUERY_VALUE, key);
    if (status == ERROR_SUCCESS)
        status = key.store->ValueAt(key.key, dwIndex, value);
    if (status == ERROR_SUCCESS)
        status = CopyName(value.name, lpValueName, lpcchValueName);
    return status == ERROR_SUCCESS ? DeliverValue(value, lpType, lpData, lpcbData) : status;
}
