// QorRegistry.h: CQorRegistry, one open registry key reached through a handle or a full textual path
// ("HKEY_LOCAL_MACHINE\Software\..."), with typed values, enumeration and recursive deletion.
// Every platform status comes back by the member rule: 0x00070000 for success, 0xC007xxxx for error xxxx.
#pragma once

#include "QorString.h"
#include "QorWinTypes.h"

// One row of the root-key table: a predefined key and its full name. The table ends with a row of nulls.
struct BaseRegKeys {
    HKEY hRootKey;
    const char *pszKeyName;
};

class QORUTIL_API CQorRegistry {
public:
    CQorRegistry();
    // A copy holds a second handle to the same key (a closed object copies as a closed one).
    CQorRegistry(const CQorRegistry &other);
    virtual ~CQorRegistry();

    // Reopens `other`'s key as a handle of its own. Assigning an object to itself keeps it open.
    CQorRegistry &operator=(const CQorRegistry &other);
    // A second handle to `key` with KEY_ALL_ACCESS and an empty name.
    CQorRegistry &operator=(HKEY key);
    // The key path as it was passed to Open or Create (behind the root name for a full path).
    operator const char *() const { return m_strKeyName; }

    // 0 when nothing was open or the handle closed; the handle is dropped and the name emptied either way.
    HRESULT Close();
    // `path` begins with a root name of the table ("HKEY_CURRENT_USER", never an abbreviation);
    // QOR_E_REGISTRY_UNKNOWN_ROOT otherwise. A failed open leaves the object closed.
    HRESULT Open(const char *path, REGSAM samDesired = KEY_ALL_ACCESS);
    HRESULT Open(HKEY key, const char *subKey, REGSAM samDesired = KEY_ALL_ACCESS);
    // Success is 0 (not 0x00070000); `disposition` (optional) receives REG_CREATED_NEW_KEY or
    // REG_OPENED_EXISTING_KEY.
    HRESULT Create(const char *path, const char *className = nullptr, DWORD options = REG_OPTION_NON_VOLATILE,
                   REGSAM samDesired = KEY_ALL_ACCESS, SECURITY_ATTRIBUTES *securityAttributes = nullptr,
                   DWORD *disposition = nullptr);
    HRESULT Create(HKEY key, const char *subKey, const char *className = nullptr,
                   DWORD options = REG_OPTION_NON_VOLATILE, REGSAM samDesired = KEY_ALL_ACCESS,
                   SECURITY_ATTRIBUTES *securityAttributes = nullptr, DWORD *disposition = nullptr);

    // Reads never test the stored type: they take the value's bytes as they are.
    // Text of at most 511 characters; on failure (0xC00700EA for a longer one) `value` is emptied.
    HRESULT GetValue(const char *name, CQorString &value) const;
    // 4 bytes; on failure `value` is 0.
    HRESULT GetValue(const char *name, unsigned long &value) const;
    // On failure `value` is 0.
    HRESULT GetValue(const char *name, int &value) const;
    // On failure `value` keeps what it held.
    HRESULT GetValue(const char *name, long &value) const;
    // 8 bytes, bit for bit; on failure `value` is 0.0.
    HRESULT GetValue(const char *name, double &value) const;
    // Into the caller's `buffer` of `size` bytes; `size` receives the value's size, also when the
    // buffer is too small (0xC00700EA).
    HRESULT GetValue(const char *name, unsigned char *&buffer, unsigned long &size) const;
    // The braced text form parsed with CLSIDFromString, whose result (S_OK) is returned. A read
    // failure returns its code and a text longer than a GUID's returns CO_E_CLASSSTRING, `value`
    // unchanged in both cases.
    HRESULT GetValue(const char *name, _GUID &value) const;
    // A REG_MULTI_SZ list as a null-terminated array of C strings. The array and its strings are one
    // block from malloc that the caller releases with one free(value). On failure `value` is null.
    HRESULT GetValue(const char *name, char **&value) const;

    HRESULT SetValue(const char *name, const char *text) const;       // REG_SZ
    HRESULT SetValue(const char *name, unsigned long value) const;    // REG_DWORD, the low 32 bits
    HRESULT SetValue(const char *name, int value) const;              // REG_DWORD
    HRESULT SetValue(const char *name, long value) const;             // REG_DWORD, the low 32 bits
    HRESULT SetValue(const char *name, double value) const;           // REG_BINARY, 8 bytes
    HRESULT SetValue(const char *name, unsigned char *data, unsigned long size) const; // REG_BINARY
    // REG_SZ holding the braced text (38 characters); a failure of StringFromCLSID writes nothing.
    HRESULT SetValue(const char *name, const _GUID &value) const;
    // REG_MULTI_SZ from a null-terminated array of C strings. A list cannot hold an empty string (it
    // would end the list), so one gives E_INVALIDARG, as does a null array; nothing is written then.
    HRESULT SetValue(const char *name, char **value) const;
    HRESULT DeleteValue(const char *name) const;

    // The end of the list is 0xC0070103 (no more items).
    HRESULT EnumKey(DWORD index, char *name, DWORD *nameSize, char *className = nullptr, DWORD *classSize = nullptr,
                    FILETIME *lastWrite = nullptr);
    HRESULT EnumValue(DWORD index, char *name, DWORD *nameSize, DWORD *type = nullptr, unsigned char *data = nullptr,
                      DWORD *dataSize = nullptr);

    // Deletes `subKey` below this key with everything under it.
    HRESULT RecurseDeleteSubKey(const char *subKey);
    // Deletes the key at full path `path` with everything under it and leaves this object open on its
    // parent. E_FAIL for a path without a separator.
    HRESULT RecurseDeleteKey(const char *path);

protected:
    HRESULT ReOpen(HKEY key, REGSAM samDesired, const char *name);
    // The root key that `path` begins with, `rest` pointing behind its name and the separator after
    // it; null (and a null `rest`) when no root name of the table begins the path.
    static HKEY RegistryBaseKey(const char *path, const char **rest);

    HKEY m_hKey;
    CQorString m_strKeyName;
    REGSAM m_samDesired;

    static const BaseRegKeys *m_RegKeys;
};
