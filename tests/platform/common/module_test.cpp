// module_test.cpp: module handles and file names: the executable, a loaded library by its name, the
// truncation rule of GetModuleFileNameA, and the failures for unknown modules.
#include "QorKnownDifference.h"
#include "QorPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace {

std::string FileNameOf(HMODULE module)
{
    std::vector<char> buffer(4096);
    return std::string(buffer.data(), GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size())));
}

// The lower-case base name of a path.
std::string BaseName(const std::string &path)
{
    std::string name = path.substr(path.find_last_of("/\\") + 1);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name;
}

} // namespace

TEST(Module, TheExecutableAndALoadedLibrary)
{
    HMODULE executable = GetModuleHandleA(nullptr);
    ASSERT_NE(nullptr, executable);
    const std::string path = FileNameOf(nullptr);
    EXPECT_TRUE(path == FileNameOf(executable) &&
                BaseName(path) == (qor::test::OnPosixLayer() ? "qorplatform_tests" : "qorplatform_tests.exe")) << path;
    EXPECT_EQ(executable, GetModuleHandleA(BaseName(path).c_str())) << "found by its own name too";

    // Windows' extension is optional; on POSIX the version numbers and ".so" are.
    const std::vector<const char *> names = qor::test::OnPosixLayer()
                                                ? std::vector<const char *>{"libc.so.6", "libc.so", "libc"}
                                                : std::vector<const char *>{"kernel32.dll", "KERNEL32.DLL", "kernel32"};
    HMODULE library = GetModuleHandleA(names[0]);
    ASSERT_TRUE(library != nullptr && library != executable);
    for (const char *name : names)
        EXPECT_EQ(library, GetModuleHandleA(name)) << name;
    EXPECT_EQ(names[0], BaseName(FileNameOf(library)));

    SetLastError(0xdeadbeef);
    EXPECT_TRUE(GetModuleHandleA("qor_no_such_module") == nullptr && GetLastError() == ERROR_MOD_NOT_FOUND);
    int notAModule = 0;
    char buffer[64];
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(GetModuleFileNameA(reinterpret_cast<HMODULE>(&notAModule), buffer, sizeof buffer) == 0u &&
                GetLastError() == ERROR_MOD_NOT_FOUND);
}

TEST(Module, FileNameTruncatesToTheBuffer)
{
    const std::string path = FileNameOf(nullptr);
    const DWORD length = static_cast<DWORD>(path.size());
    for (DWORD size : {static_cast<DWORD>(5), length, length + 1}) { // too small, one short, exactly enough
        std::vector<char> buffer(length + 8, 'x');
        SetLastError(0xdeadbeef);
        EXPECT_EQ(std::min(size, length), GetModuleFileNameA(nullptr, buffer.data(), size)) << size;
        EXPECT_EQ(path.substr(0, size - 1), std::string(buffer.data(), size - 1)) << size;
        EXPECT_TRUE(buffer[size] == 'x' && (size <= length || buffer[length] == '\0')) << size << ": nothing past the buffer";
        if (size > length)
            continue;
        // Windows Vista and later, as documented: nSize - 1 characters, the terminator and the error.
        QOR_EXPECT_BROKEN_ON_WINE(buffer[size - 1] == '\0' && GetLastError() == ERROR_INSUFFICIENT_BUFFER,
                                  "Wine keeps the Windows XP rule: nSize characters, no terminator, no error");
    }
    char unused = 'x';
    EXPECT_TRUE(GetModuleFileNameA(nullptr, &unused, 0) == 0u && unused == 'x');
}
