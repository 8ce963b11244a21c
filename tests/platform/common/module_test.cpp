// module_test.cpp: module handles and file names: the executable, a loaded library by its name, the
// Windows XP truncation rule of GetModuleFileNameA, and the failures for unknown modules.
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
    DWORD length = GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::string(buffer.data(), length);
}

std::string BaseName(const std::string &path) { return path.substr(path.find_last_of("/\\") + 1); }

std::string Lowercase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

} // namespace

TEST(Module, TheExecutableHasOneHandleAndItsFileName)
{
    HMODULE executable = GetModuleHandleA(nullptr);
    ASSERT_NE(nullptr, executable);
    EXPECT_EQ(executable, GetModuleHandleA(nullptr));
    std::string path = FileNameOf(nullptr);
    EXPECT_EQ(path, FileNameOf(executable));
#if defined(_WIN32)
    EXPECT_EQ("qorplatform_tests.exe", Lowercase(BaseName(path)));
#else
    EXPECT_EQ('/', path[0]) << path;
    EXPECT_EQ("qorplatform_tests", BaseName(path));
#endif
    EXPECT_EQ(executable, GetModuleHandleA(BaseName(path).c_str())); // found by its own name too
}

TEST(Module, FileNameTruncatesToTheBuffer)
{
    const std::string path = FileNameOf(nullptr);
    const DWORD length = static_cast<DWORD>(path.size());
    ASSERT_GT(length, 5u);
    struct Row {
        int line;
        DWORD size;
        DWORD result;
        bool truncated;
    };
    const Row rows[] = {
        {__LINE__, 5, 5, true},
        {__LINE__, length, length, true}, // one short: still truncated
        {__LINE__, length + 1, length, false}, // exactly enough
    };
    for (const Row &row : rows) {
        std::vector<char> buffer(length + 8, 'x');
        SetLastError(0xdeadbeef);
        DWORD result = GetModuleFileNameA(nullptr, buffer.data(), row.size);
        EXPECT_EQ(row.result, result) << "row at line " << row.line;
        EXPECT_EQ(path.substr(0, row.size - 1), std::string(buffer.data(), row.size - 1)) << "row at line " << row.line;
        EXPECT_EQ('x', buffer[row.size]) << "row at line " << row.line; // nothing written past the buffer
        if (!row.truncated) {
            EXPECT_EQ('\0', buffer[length]) << "row at line " << row.line;
        }
#if !defined(_WIN32)
        // Windows Vista and later, as documented: nSize - 1 characters, the terminator, and
        // ERROR_INSUFFICIENT_BUFFER. Wine keeps the Windows XP behaviour (nSize characters without a
        // terminator, no error), so these two checks are POSIX only.
        if (row.truncated) {
            EXPECT_EQ('\0', buffer[row.size - 1]) << "row at line " << row.line;
            EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError()) << "row at line " << row.line;
        }
#endif
    }
    char unused = 'x';
    EXPECT_EQ(0u, GetModuleFileNameA(nullptr, &unused, 0));
    EXPECT_EQ('x', unused);
}

TEST(Module, LoadedLibraryByNameAndUnknownModules)
{
#if defined(_WIN32)
    const char *names[] = {"kernel32.dll", "KERNEL32.DLL", "kernel32"}; // the extension is optional
    const std::string fileName = "kernel32.dll";
#else
    const char *names[] = {"libc.so.6", "libc.so", "libc"}; // version numbers and ".so" are optional
    const std::string fileName = "libc.so.6";
#endif
    HMODULE library = GetModuleHandleA(names[0]);
    ASSERT_NE(nullptr, library);
    EXPECT_NE(GetModuleHandleA(nullptr), library);
    for (const char *name : names)
        EXPECT_EQ(library, GetModuleHandleA(name)) << name;
    EXPECT_EQ(fileName, Lowercase(BaseName(FileNameOf(library))));

    SetLastError(0xdeadbeef);
    EXPECT_EQ(nullptr, GetModuleHandleA("qor_no_such_module"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());

    int notAModule = 0;
    char buffer[64];
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0u, GetModuleFileNameA(reinterpret_cast<HMODULE>(&notAModule), buffer, sizeof buffer));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
}
