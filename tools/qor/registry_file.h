// registry_file.h: registry text files ("REGEDIT4" and "Windows Registry Editor Version 5.00"): what
// they hold, read from text and written back as REGEDIT4, and the root-key names the tool accepts.
// Nothing here touches the registry itself.
#pragma once

#include "QorWinTypes.h"

#include <string>
#include <vector>

namespace qor::tool {

// One value line: `name` is empty for the default value ("@"); `data` holds the stored bytes, texts
// in the ANSI code page with their terminators.
struct RegistryFileValue {
    std::string name;
    DWORD type = REG_NONE;
    std::string data;
    bool remove = false; // "name"=-
    int line = 0;
};

// One "[KEY]" block (or "[-KEY]", which deletes the key's whole tree), its path with the full root name.
struct RegistryFileKey {
    std::string path;
    bool remove = false;
    std::vector<RegistryFileValue> values;
    int line = 0;
};

// `path` with its root written in full ("HKCU\Software" -> "HKEY_CURRENT_USER\Software"); the root
// may be a full name of the library's root-key table or HKLM, HKCU, HKCR, HKU, HKCC, in any case.
// Empty when the root is unknown.
std::string ExpandRootName(const std::string &path);

// What the registry would refuse in a full key path, as the end of an error line; empty when
// nothing. Key names are 1 to 255 printable characters (no control character, NUL included) between
// single backslashes, at most 512 below the root. Value names hold at most 16383 characters, no NUL.
std::string KeyPathProblem(const std::string &fullPath);
std::string ValueNameProblem(const std::string &name);

// Whether a full key path names a root key itself ("HKEY_CURRENT_USER").
bool IsRootPath(const std::string &fullPath);

// The whole file, checked before anything is used: a file that is not a registry file, a line that
// cannot be read, a name the registry would refuse or a block deleting a root key throws
// UsageError("FILE:LINE: what is wrong"). A block of a root key itself sets values of the root.
std::vector<RegistryFileKey> ParseRegistryFile(const std::string &bytes, const std::string &fileName);

// REGEDIT4 text for `keys`, in their order; texts that a quoted string cannot carry are written as hex(1).
std::string FormatRegistryFile(const std::vector<RegistryFileKey> &keys);

} // namespace qor::tool
