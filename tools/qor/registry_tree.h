// registry_tree.h: the registry as qor walks it: opening keys by full path, a key's values and
// sub-keys, whole trees read without recursion (each key opened below its parent, so the cost is
// linear in the tree's size), and registry statuses as text.
#pragma once

#include "registry_file.h"

#include "QorScopedHandle.h"

#include <string>
#include <vector>

namespace qor::tool {

// "0xC0070002 (The system cannot find the file specified.)": a registry status by the member rule.
std::string StatusText(LSTATUS status);
std::string ResultText(HRESULT code);

// The predefined key that the full path `path` begins with ("HKEY_CURRENT_USER\..."), `rest` set
// to the sub-key path behind it; null for an unknown root.
HKEY RootKeyOf(const std::string &path, std::string &rest);

// Opens (or with `create` creates) the key `subPath` below `parent`, in steps of at most 32 levels
// and 255 characters: the most that one registry call takes on Windows, whose ANSI calls convert a
// path in a buffer of MAX_PATH characters. The registry's status.
LSTATUS OpenBelow(HKEY parent, const std::string &subPath, REGSAM access, bool create, ScopedRegistryKey &key);
// OpenBelow for the full path `path`.
LSTATUS OpenPath(const std::string &path, REGSAM access, bool create, ScopedRegistryKey &key);

// The values of the open key in their order, and its sub-key names in theirs; CommandError naming
// `path` when the registry fails.
std::vector<RegistryFileValue> ReadValues(HKEY key, const std::string &path);
std::vector<std::string> ReadSubKeys(HKEY key, const std::string &path);

// The key at `path` and everything below it, each key before its sub-keys.
std::vector<RegistryFileKey> ReadTree(const std::string &path);

// Deletes the key at `path` with everything below it; a missing key is no error.
void DeleteTree(const std::string &path);

} // namespace qor::tool
