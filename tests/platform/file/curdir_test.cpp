// curdir_test.cpp: the current folder (GetCurrentDirectoryA, SetCurrentDirectoryA) and unique
// temporary names (GetTempFileNameA), as the ZIP class uses them.
#include "QorWinTypes.h"

#include "QorTestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

std::string CurrentFolder()
{
    char folder[MAX_PATH + 1] = {};
    return GetCurrentDirectoryA(sizeof folder, folder) > 0 ? folder : "";
}

TEST(CurrentDirectory, ChangesOrNamesWhyNot)
{
    const std::string start = CurrentFolder();
    char small[2] = {};
    EXPECT_EQ(GetCurrentDirectoryA(sizeof small, small), start.size() + 1) << "the size with the terminator";
    std::filesystem::create_directory(qor::test::PathOf("inner"));
    ASSERT_TRUE(SetCurrentDirectoryA("inner"));
    EXPECT_EQ(CurrentFolder().substr(start.size() + 1), "inner");
    ASSERT_TRUE(SetCurrentDirectoryA(start.c_str()));
    qor::test::WriteBytes(qor::test::PathOf("plain-file"), "x");
    const struct { const char *path; DWORD error; } failures[] = {
        {"no-such-folder", ERROR_FILE_NOT_FOUND}, {"no-such-folder/below", ERROR_PATH_NOT_FOUND},
        {"plain-file", ERROR_DIRECTORY}, // a file is no folder
    };
    for (const auto &failure : failures) {
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(SetCurrentDirectoryA(failure.path) || GetLastError() != failure.error || CurrentFolder() != start)
            << failure.path << ": " << GetLastError();
    }
}

TEST(TempFileName, MakesAnEmptyFileWithAFreshHexadecimalName)
{
    const std::string folder = qor::test::PathOf("temp");
    std::filesystem::create_directory(folder);
    char first[MAX_PATH] = {}, second[MAX_PATH] = {}, given[MAX_PATH] = {};
    const UINT number = GetTempFileNameA(folder.c_str(), "QORZ", 0, first);
    ASSERT_NE(GetTempFileNameA(folder.c_str(), "QORZ", 0, second), 0u);
    EXPECT_STRNE(first, second);
    char expected[32];
    std::snprintf(expected, sizeof expected, "QOR%X.TMP", number); // three characters of the prefix
    EXPECT_EQ(_stricmp(first, (folder + first[folder.size()] + expected).c_str()), 0) << first;
    EXPECT_TRUE(std::filesystem::exists(first) && std::filesystem::file_size(first) == 0) << first;
    EXPECT_EQ(GetTempFileNameA(folder.c_str(), "ab", 0x1F, given), 0x1Fu) << "a given number makes no file";
    EXPECT_FALSE(std::filesystem::exists(given)) << given;
    EXPECT_EQ(GetTempFileNameA((folder + "/missing").c_str(), "QOR", 0, given), 0u);
}

} // namespace
