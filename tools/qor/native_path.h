// native_path.h: file names between the library and std::filesystem. The library and the command line
// take the system's own narrow text: bytes on POSIX, the ANSI code page on Windows, where the narrow
// strings of std::filesystem are UTF-8 instead.
#pragma once

#include <filesystem>
#include <string>

namespace qor::tool {

// The path that a name in the system's narrow text stands for.
std::filesystem::path NativePath(const std::string &name);

// The path as a name in the system's narrow text; on Windows, a character the code page lacks becomes '?'.
std::string NativeName(const std::filesystem::path &path);

} // namespace qor::tool
