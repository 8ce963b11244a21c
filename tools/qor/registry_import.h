// registry_import.h: applying a registry file's blocks to the registry all or nothing, as far as
// the build's registry allows (see ImportRegistryFile).
#pragma once

#include "registry_file.h"

#include <string>
#include <vector>

namespace qor::tool {

// Applies `keys`, read from `fileName` and already checked whole. On POSIX the whole import is one
// batch of the registry store: a failure, a kill or a crash at any moment leaves the registry as it
// was, and other processes' changes are never touched. On Windows, whose registry has no batch, a
// failure puts back what the import changed, each value only where it still holds what the import
// wrote (a change another process made since is kept and named). Throws CommandError
// ("FILE:LINE: what failed") on failure.
void ImportRegistryFile(const std::vector<RegistryFileKey> &keys, const std::string &fileName);

} // namespace qor::tool
