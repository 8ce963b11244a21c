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
// may be a full name or HKLM, HKCU, HKCR, HKU, HKCC, in any case. Empty when the root is unknown.
std::string ExpandRootName(const std::string &path);

// The whole file, checked before anything is used. A file that is not a registry file, or a line
// that cannot be read, throws UsageError("FILE:LINE: what is wrong").
std::vector<RegistryFileKey> ParseRegistryFile(const std::string &bytes, const std::string &fileName);

// REGEDIT4 text for `keys`, in their order; texts that a quoted string cannot carry are written as hex(1).
std::string FormatRegistryFile(const std::vector<RegistryFileKey> &keys);

} // namespace qor::tool
