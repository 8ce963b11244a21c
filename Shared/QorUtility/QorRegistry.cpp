// QorRegistry.cpp: CQorRegistry over the platform registry calls: opening by handle or full path,
// typed values (texts, 32-bit numbers, doubles, bytes, GUIDs as braced text, multi-strings) and
// recursive deletion. Platform statuses become result codes by the member rule of CQorError.
#include "QorRegistry.h"

#include "QorError.h"
#include "QorPlatform.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

const BaseRegKeys s_baseRegKeys[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKEY_USERS"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA"},
    {nullptr, nullptr},
};

constexpr DWORD kTextBufferSize = 512;   // a text value of 511 characters and its terminator
constexpr size_t kGuidTextLength = 38;   // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
constexpr DWORD kKeyNameBufferSize = 256; // the longest key name the registry allows, with terminator

// The member rule: 0x00070000 for status 0, 0xC0070000 | status for a failure.
HRESULT MemberCode(LONG status)
{
    CQorError error;
    return error.Set((HRESULT)status, CQorError::SeverityError, CQorError::FacilityWin32, 0);
}

// The bytes of a REG_MULTI_SZ list for a null-terminated array: each string and its terminator,
// then one more terminator, in a block from malloc. E_INVALIDARG for an empty string, which a list
// cannot hold.
HRESULT BuildMultiString(char **strings, char *&block, size_t &size)
{
    size = 1;
    for (char **item = strings; *item != nullptr; ++item) {
        if (**item == '\0')
            return E_INVALIDARG;
        size += std::strlen(*item) + 1;
    }
    block = static_cast<char *>(std::malloc(size));
    if (block == nullptr)
        return E_OUTOFMEMORY;
    char *cursor = block;
    for (char **item = strings; *item != nullptr; ++item) {
        size_t length = std::strlen(*item) + 1;
        std::memcpy(cursor, *item, length);
        cursor += length;
    }
    *cursor = '\0';
    return S_OK;
}

// Splits the `size` bytes of a multi-string list into one malloc'ed block: the pointer array (null
// at its end) followed by the strings. A list ends at an empty string or at the end of the data,
// whether or not the data carries its terminators.
char **SplitMultiString(const char *data, size_t size)
{
    size_t count = 0;
    for (size_t at = 0; at < size && data[at] != '\0'; ++count)
        at += strnlen(data + at, size - at) + 1;
    size_t arrayBytes = (count + 1) * sizeof(char *);
    char **array = static_cast<char **>(std::malloc(arrayBytes + size + 1));
    if (array == nullptr)
        return nullptr;
    char *text = reinterpret_cast<char *>(array) + arrayBytes;
    size_t at = 0;
    for (size_t index = 0; index < count; ++index) {
        size_t length = strnlen(data + at, size - at);
        std::memcpy(text, data + at, length);
        text[length] = '\0';
        array[index] = text;
        text += length + 1;
        at += length + 1;
    }
    array[count] = nullptr;
    return array;
}

} // namespace

const BaseRegKeys *CQorRegistry::m_RegKeys = s_baseRegKeys;

CQorRegistry::CQorRegistry() : m_hKey(nullptr), m_strKeyName(), m_samDesired(KEY_ALL_ACCESS) {}

CQorRegistry::CQorRegistry(const CQorRegistry &other) : CQorRegistry()
{
    ReOpen(other.m_hKey, other.m_samDesired, other.m_strKeyName);
}

CQorRegistry::~CQorRegistry() { Close(); }

CQorRegistry &CQorRegistry::operator=(const CQorRegistry &other)
{
    if (this != &other) // reopening from our own handle would first close it
        ReOpen(other.m_hKey, other.m_samDesired, other.m_strKeyName);
    return *this;
}

CQorRegistry &CQorRegistry::operator=(HKEY key)
{
    ReOpen(key, KEY_ALL_ACCESS, nullptr);
    return *this;
}

HRESULT CQorRegistry::ReOpen(HKEY key, REGSAM samDesired, const char *name)
{
    CQorString keptName(name); // `name` may be our own key name, which the open empties
    HRESULT result = Open(key, nullptr, samDesired);
    if (result >= 0)
        m_strKeyName = keptName;
    return result;
}

HRESULT CQorRegistry::Close()
{
    HRESULT result = 0;
    if (m_hKey != nullptr) {
        LONG status = RegCloseKey(m_hKey);
        if (status != ERROR_SUCCESS)
            result = MemberCode(status);
    }
    m_hKey = nullptr;
    m_strKeyName.Empty();
    return result;
}

HKEY CQorRegistry::RegistryBaseKey(const char *path, const char **rest)
{
    *rest = nullptr;
    if (path == nullptr)
        return nullptr;
    for (const BaseRegKeys *row = m_RegKeys; row->pszKeyName != nullptr; ++row) {
        size_t length = std::strlen(row->pszKeyName);
        if (std::strncmp(path, row->pszKeyName, length) != 0)
            continue;
        // The one character after the name is taken to be the separator, untested.
        *rest = path[length] == '\0' ? path + length : path + length + 1;
        return row->hRootKey;
    }
    return nullptr;
}

HRESULT CQorRegistry::Open(const char *path, REGSAM samDesired)
{
    const char *rest = nullptr;
    HKEY root = RegistryBaseKey(path, &rest);
    if (root == nullptr) {
        Close();
        return QOR_E_REGISTRY_UNKNOWN_ROOT;
    }
    return Open(root, rest, samDesired);
}

HRESULT CQorRegistry::Open(HKEY key, const char *subKey, REGSAM samDesired)
{
    Close();
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExA(key, subKey, 0, samDesired, &opened);
    if (status == ERROR_SUCCESS) {
        m_hKey = opened;
        m_strKeyName = subKey;
        m_samDesired = samDesired;
    }
    return MemberCode(status);
}

HRESULT CQorRegistry::Create(const char *path, const char *className, DWORD options, REGSAM samDesired,
                             SECURITY_ATTRIBUTES *securityAttributes, DWORD *disposition)
{
    const char *rest = nullptr;
    HKEY root = RegistryBaseKey(path, &rest);
    if (root == nullptr) {
        Close();
        return QOR_E_REGISTRY_UNKNOWN_ROOT;
    }
    return Create(root, rest, className, options, samDesired, securityAttributes, disposition);
}

HRESULT CQorRegistry::Create(HKEY key, const char *subKey, const char *className, DWORD options, REGSAM samDesired,
                             SECURITY_ATTRIBUTES *securityAttributes, DWORD *disposition)
{
    Close();
    HKEY created = nullptr;
    DWORD createdDisposition = 0;
    LONG status = RegCreateKeyExA(key, subKey, 0, const_cast<char *>(className), options, samDesired,
                                  securityAttributes, &created, &createdDisposition);
    if (disposition != nullptr)
        *disposition = createdDisposition;
    if (status != ERROR_SUCCESS)
        return MemberCode(status);
    HRESULT result = Close();
    m_hKey = created;
    m_strKeyName = subKey;
    m_samDesired = samDesired;
    return result;
}

HRESULT CQorRegistry::GetValue(const char *name, CQorString &value) const
{
    char text[kTextBufferSize + 1]; // one byte more terminates a value stored without its terminator
    DWORD size = kTextBufferSize;
    LONG status = RegQueryValueExA(m_hKey, name, nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size);
    if (status == ERROR_SUCCESS) {
        text[size] = '\0';
        value = text;
    } else {
        value.Empty();
    }
    return MemberCode(status);
}

HRESULT CQorRegistry::GetValue(const char *name, unsigned long &value) const
{
    DWORD number = (DWORD)value; // a shorter value replaces only its own bytes
    DWORD size = sizeof number;
    LONG status = RegQueryValueExA(m_hKey, name, nullptr, nullptr, reinterpret_cast<BYTE *>(&number), &size);
    value = status == ERROR_SUCCESS ? number : 0;
    return MemberCode(status);
}

HRESULT CQorRegistry::GetValue(const char *name, int &value) const
{
    unsigned long number = 0;
    HRESULT result = GetValue(name, number);
    value = result >= 0 ? (int)number : 0;
    return result;
}

HRESULT CQorRegistry::GetValue(const char *name, long &value) const
{
    unsigned long number = 0;
    HRESULT result = GetValue(name, number);
    if (result >= 0)
        value = (LONG)number; // the stored 32 bits, sign included
    return result;
}

HRESULT CQorRegistry::GetValue(const char *name, double &value) const
{
    DWORD size = sizeof value;
    LONG status = RegQueryValueExA(m_hKey, name, nullptr, nullptr, reinterpret_cast<BYTE *>(&value), &size);
    if (status != ERROR_SUCCESS)
        value = 0.0;
    return MemberCode(status);
}

HRESULT CQorRegistry::GetValue(const char *name, unsigned char *&buffer, unsigned long &size) const
{
    DWORD bufferSize = (DWORD)size;
    LONG status = RegQueryValueExA(m_hKey, name, nullptr, nullptr, buffer, &bufferSize);
    size = bufferSize;
    return MemberCode(status);
}

HRESULT CQorRegistry::GetValue(const char *name, _GUID &value) const
{
    CQorString text;
    HRESULT result = GetValue(name, text);
    if (result < 0)
        return result;
    if ((size_t)text.GetLength() > kGuidTextLength)
        return CO_E_CLASSSTRING;
    OLECHAR wide[kGuidTextLength + 1];
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, (int)(kGuidTextLength + 1)) == 0)
        return CO_E_CLASSSTRING;
    return CLSIDFromString(wide, &value);
}

HRESULT CQorRegistry::GetValue(const char *name, char **&value) const
{
    value = nullptr;
    DWORD size = 0;
    LONG status = RegQueryValueExA(m_hKey, name, nullptr, nullptr, nullptr, &size);
    char *data = nullptr;
    // The value may grow between asking its size and reading it: ask again until it fits.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        char *grown = static_cast<char *>(std::realloc(data, size + 1));
        if (grown == nullptr) {
            std::free(data);
            return E_OUTOFMEMORY;
        }
        data = grown;
        status = RegQueryValueExA(m_hKey, name, nullptr, nullptr, reinterpret_cast<BYTE *>(data), &size);
        if (status == ERROR_SUCCESS)
            break;
    }
    if (status == ERROR_SUCCESS) {
        value = SplitMultiString(data, size);
        if (value == nullptr) {
            std::free(data);
            return E_OUTOFMEMORY;
        }
    }
    std::free(data);
    return MemberCode(status);
}

HRESULT CQorRegistry::SetValue(const char *name, const char *text) const
{
    DWORD size = text != nullptr ? (DWORD)std::strlen(text) + 1 : 0;
    return MemberCode(RegSetValueExA(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text), size));
}

HRESULT CQorRegistry::SetValue(const char *name, unsigned long value) const
{
    DWORD number = (DWORD)value;
    return MemberCode(
        RegSetValueExA(m_hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number));
}

HRESULT CQorRegistry::SetValue(const char *name, int value) const { return SetValue(name, (unsigned long)value); }

HRESULT CQorRegistry::SetValue(const char *name, long value) const { return SetValue(name, (unsigned long)value); }

HRESULT CQorRegistry::SetValue(const char *name, double value) const
{
    return MemberCode(
        RegSetValueExA(m_hKey, name, 0, REG_BINARY, reinterpret_cast<const BYTE *>(&value), sizeof value));
}

HRESULT CQorRegistry::SetValue(const char *name, unsigned char *data, unsigned long size) const
{
    return MemberCode(RegSetValueExA(m_hKey, name, 0, REG_BINARY, data, (DWORD)size));
}

HRESULT CQorRegistry::SetValue(const char *name, const _GUID &value) const
{
    LPOLESTR wide = nullptr;
    HRESULT result = StringFromCLSID(value, &wide);
    if (result < 0)
        return result;
    char text[256];
    int converted = WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    CoTaskMemFree(wide);
    if (converted == 0)
        return MemberCode((LONG)::GetLastError());
    return SetValue(name, (const char *)text);
}

HRESULT CQorRegistry::SetValue(const char *name, char **value) const
{
    if (value == nullptr)
        return E_INVALIDARG;
    char *block = nullptr;
    size_t size = 0;
    HRESULT built = BuildMultiString(value, block, size);
    if (built < 0)
        return built;
    LONG status = RegSetValueExA(m_hKey, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE *>(block), (DWORD)size);
    std::free(block);
    return MemberCode(status);
}

HRESULT CQorRegistry::DeleteValue(const char *name) const { return MemberCode(RegDeleteValueA(m_hKey, name)); }

HRESULT CQorRegistry::EnumKey(DWORD index, char *name, DWORD *nameSize, char *className, DWORD *classSize,
                              FILETIME *lastWrite)
{
    return MemberCode(RegEnumKeyExA(m_hKey, index, name, nameSize, nullptr, className, classSize, lastWrite));
}

HRESULT CQorRegistry::EnumValue(DWORD index, char *name, DWORD *nameSize, DWORD *type, unsigned char *data,
                                DWORD *dataSize)
{
    return MemberCode(RegEnumValueA(m_hKey, index, name, nameSize, nullptr, type, data, dataSize));
}

HRESULT CQorRegistry::RecurseDeleteSubKey(const char *subKey)
{
    // Depth first without recursion, so no tree can exhaust the stack: `open` holds the keys from
    // `subKey` down to the one being emptied, each below the one before it. A key goes once it has no
    // sub-key left; index 0 is asked every time because each child found is gone before the next question.
    std::vector<std::unique_ptr<CQorRegistry>> open;
    std::vector<CQorString> names;
    auto descend = [&](HKEY parent, const char *name) {
        auto key = std::make_unique<CQorRegistry>();
        HRESULT opened = key->Open(parent, name, KEY_ALL_ACCESS);
        if (opened >= 0) {
            open.push_back(std::move(key));
            names.emplace_back(name);
        }
        return opened;
    };
    HRESULT result = descend(m_hKey, subKey);
    while (result >= 0 && !open.empty()) {
        char child[kKeyNameBufferSize];
        DWORD childSize = kKeyNameBufferSize;
        if (open.back()->EnumKey(0, child, &childSize) >= 0) {
            result = descend(open.back()->m_hKey, child);
            continue;
        }
        CQorString name = names.back();
        open.pop_back(); // closed before it is deleted
        names.pop_back();
        result = MemberCode(RegDeleteKeyA(open.empty() ? m_hKey : open.back()->m_hKey, name));
    }
    return result;
}

HRESULT CQorRegistry::RecurseDeleteKey(const char *path)
{
    HRESULT result = Close();
    if (result < 0)
        return result;
    const char *separator = nullptr;
    for (const char *at = path; at != nullptr && *at != '\0'; ++at)
        if (qor::IsPathSeparator(*at))
            separator = at;
    if (separator == nullptr)
        return E_FAIL;
    CQorString parent(path, (int)(separator - path));
    result = Open(parent, KEY_ALL_ACCESS);
    if (result < 0)
        return result;
    return RecurseDeleteSubKey(separator + 1);
}
