// native_path.cpp: narrow names as paths and back, through the ANSI code page on Windows.
#include "native_path.h"

#if defined(_WIN32)
#  include <windows.h>
#endif

namespace qor::tool {

#if defined(_WIN32)
std::filesystem::path NativePath(const std::string &name)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide.data(), length);
    return std::filesystem::path(wide);
}

std::string NativeName(const std::filesystem::path &path)
{
    const std::wstring &wide = path.native();
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string name(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), name.data(), length, nullptr, nullptr);
    return name;
}
#else
std::filesystem::path NativePath(const std::string &name) { return std::filesystem::path(name); }

std::string NativeName(const std::filesystem::path &path) { return path.string(); }
#endif

} // namespace qor::tool
