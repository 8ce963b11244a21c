// file_test.cpp: CreateFileA's dispositions and their last errors, reading and writing with their
// byte counts, the file pointer, end of file and size at their edges, and DeleteFileA.
#include "QorPlatform.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#include <string>

using qor::test::PathOf;
using qor::test::PrivateFolderEnvironment;
using qor::test::ReadBytes;
using qor::test::WriteBytes;

namespace {

HANDLE Open(const std::string &path, DWORD disposition, DWORD access = GENERIC_READ | GENERIC_WRITE)
{
    return CreateFileA(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

TEST(File, DispositionsOnExistingAndMissingFiles)
{
    struct Row {
        int line;
        DWORD disposition;
        bool exists;
        bool opens;
        DWORD lastError;   // after the call (checked for failures and where Windows sets it on success)
        const char *after; // the file's content afterwards ("-" when it does not exist)
    };
    const Row rows[] = {
        {__LINE__, CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
        {__LINE__, CREATE_NEW, false, true, 0xdeadbeef, ""},
        {__LINE__, CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""}, // truncated, success says it existed
        {__LINE__, CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
        {__LINE__, OPEN_EXISTING, true, true, 0xdeadbeef, "old"},
        {__LINE__, OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, "-"},
        {__LINE__, OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
        {__LINE__, OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
        {__LINE__, TRUNCATE_EXISTING, true, true, 0xdeadbeef, ""},
        {__LINE__, TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, "-"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        std::string path = PathOf("disposition.txt");
        DeleteFileA(path.c_str());
        if (row.exists)
            WriteBytes(path, "old");
        SetLastError(0xdeadbeef);
        HANDLE file = Open(path, row.disposition);
        DWORD error = GetLastError();
        EXPECT_EQ(row.opens, file != INVALID_HANDLE_VALUE);
        if (row.lastError != 0xdeadbeef) {
            EXPECT_EQ(row.lastError, error);
        }
        if (file != INVALID_HANDLE_VALUE) {
            EXPECT_TRUE(CloseHandle(file));
        }
        bool exists = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        EXPECT_EQ(std::string(row.after), exists ? ReadBytes(path) : "-");
    }
}

TEST(File, OpenFailuresNameTheirCause)
{
    std::string missingFolder = PathOf("no-such-folder/file.txt");
    SetLastError(0xdeadbeef);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(missingFolder, OPEN_EXISTING));
    EXPECT_EQ((DWORD)ERROR_PATH_NOT_FOUND, GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(missingFolder, CREATE_ALWAYS));
    EXPECT_EQ((DWORD)ERROR_PATH_NOT_FOUND, GetLastError());

#if !defined(_WIN32)
    // Truncating needs write access, as Microsoft documents it; the file is left alone. Wine truncates
    // without it, so this holds for our layer only.
    std::string path = PathOf("truncate-read-only-access.txt");
    WriteBytes(path, "keep");
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(path, TRUNCATE_EXISTING, GENERIC_READ));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
    EXPECT_EQ("keep", ReadBytes(path));
#endif

    // A folder is not opened as a file.
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(PrivateFolderEnvironment::Folder().string(), OPEN_EXISTING, GENERIC_READ));
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
}

TEST(File, ReadAndWriteCountBytesAndRespectAccess)
{
    std::string path = PathOf("rw.bin");
    HANDLE file = Open(path, CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD count = 77;
    EXPECT_TRUE(WriteFile(file, "hello world", 11, &count, nullptr));
    EXPECT_EQ(11u, count);
    EXPECT_TRUE(WriteFile(file, "", 0, &count, nullptr));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(0u, SetFilePointer(file, 0, nullptr, FILE_BEGIN));
    char buffer[32] = {};
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(11u, count);
    EXPECT_EQ("hello world", std::string(buffer, count));
    // At the end of the file a synchronous read succeeds with nothing read.
    count = 77;
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(0u, count);
    EXPECT_TRUE(CloseHandle(file));

    HANDLE reader = Open(path, OPEN_EXISTING, GENERIC_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    count = 77;
    EXPECT_FALSE(WriteFile(reader, "x", 1, &count, nullptr));
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_EQ(0u, count);
    // Refused on both; the reason differs: Wine answers ERROR_INVALID_PARAMETER, we ERROR_ACCESS_DENIED.
    EXPECT_FALSE(SetEndOfFile(reader));
    EXPECT_EQ(4u + 7u, GetFileSize(reader, nullptr));
    EXPECT_TRUE(CloseHandle(reader));
    HANDLE writer = Open(path, OPEN_EXISTING, GENERIC_WRITE);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    count = 77;
    EXPECT_FALSE(ReadFile(writer, buffer, 4, &count, nullptr));
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_EQ(0u, count);
    EXPECT_TRUE(FlushFileBuffers(writer));
    EXPECT_TRUE(CloseHandle(writer));

    // A closed handle is no handle any more, also for the call that used it last.
    EXPECT_FALSE(FlushFileBuffers(writer));
    EXPECT_EQ((DWORD)ERROR_INVALID_HANDLE, GetLastError());
    EXPECT_FALSE(CloseHandle(writer));
    EXPECT_EQ((DWORD)ERROR_INVALID_HANDLE, GetLastError());
    EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, buffer, 4, &count, nullptr));
    EXPECT_EQ((DWORD)ERROR_INVALID_HANDLE, GetLastError());
}

TEST(File, FilePointerEndOfFileAndSizeAtTheirEdges)
{
    HANDLE file = Open(PathOf("pointer.bin"), CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(file, "0123456789", 10, &count, nullptr));

    EXPECT_EQ(10u, SetFilePointer(file, 0, nullptr, FILE_CURRENT));
    EXPECT_EQ(7u, SetFilePointer(file, -3, nullptr, FILE_END));
    EXPECT_EQ(5u, SetFilePointer(file, -2, nullptr, FILE_CURRENT));
    // Before the start: refused, the pointer stays.
    SetLastError(0xdeadbeef);
    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file, -6, nullptr, FILE_CURRENT));
    EXPECT_EQ((DWORD)ERROR_NEGATIVE_SEEK, GetLastError());
    SetLastError(0xdeadbeef);
    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file, -11, nullptr, FILE_END));
    EXPECT_EQ((DWORD)ERROR_NEGATIVE_SEEK, GetLastError());
    EXPECT_EQ(5u, SetFilePointer(file, 0, nullptr, FILE_CURRENT));
    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file, 0, nullptr, 3));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());

    // With a high part: a 64-bit distance, and the new position's high part comes back.
    LONG high = 1;
    EXPECT_EQ(2u, SetFilePointer(file, 2, &high, FILE_BEGIN)); // 0x1_00000002
    EXPECT_EQ(1, high);
    high = -1;
    EXPECT_EQ(0u, SetFilePointer(file, -2, &high, FILE_CURRENT)); // back by 2: 0x1_00000000
    EXPECT_EQ(1, high);
    // A low part of 0xFFFFFFFF is a real position: the last error says so.
    high = 0;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0xFFFFFFFFu, SetFilePointer(file, -1, &high, FILE_BEGIN));
    EXPECT_EQ(0, high);
    EXPECT_EQ((DWORD)NO_ERROR, GetLastError());
    // Past 32 bits without a high part: refused, the pointer stays.
    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file, 1, nullptr, FILE_CURRENT));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
    EXPECT_EQ(0xFFFFFFFFu, SetFilePointer(file, 0, &high, FILE_CURRENT));

    // Beyond the end, the file grows only when the end is set there.
    EXPECT_EQ(20u, SetFilePointer(file, 20, nullptr, FILE_BEGIN));
    DWORD sizeHigh = 77;
    EXPECT_EQ(10u, GetFileSize(file, &sizeHigh));
    EXPECT_EQ(0u, sizeHigh);
    EXPECT_TRUE(SetEndOfFile(file));
    EXPECT_EQ(20u, GetFileSize(file, nullptr));
    EXPECT_EQ(4u, SetFilePointer(file, 4, nullptr, FILE_BEGIN));
    EXPECT_TRUE(SetEndOfFile(file));
    EXPECT_EQ(4u, GetFileSize(file, &sizeHigh));
    EXPECT_EQ(4u, SetFilePointer(file, 0, nullptr, FILE_CURRENT));
    EXPECT_TRUE(CloseHandle(file));
}

TEST(File, AttributesAndDeletion)
{
    std::string path = PathOf("attributes.txt");
    WriteBytes(path, "12345");
    EXPECT_EQ((DWORD)FILE_ATTRIBUTE_ARCHIVE, GetFileAttributesA(path.c_str()));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(5u, data.nFileSizeLow);
    EXPECT_EQ(0u, data.nFileSizeHigh);
    EXPECT_NE(0u, data.ftLastWriteTime.dwHighDateTime);
    EXPECT_TRUE(GetFileAttributesA(PrivateFolderEnvironment::Folder().string().c_str()) & FILE_ATTRIBUTE_DIRECTORY);

    EXPECT_TRUE(DeleteFileA(path.c_str()));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, GetLastError());
    EXPECT_FALSE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, GetLastError());
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, GetLastError());
    EXPECT_FALSE(DeleteFileA(PathOf("no-such-folder/x").c_str()));
    EXPECT_EQ((DWORD)ERROR_PATH_NOT_FOUND, GetLastError());
}

#if !defined(_WIN32)
// Handle counting and fault injection are hooks of the POSIX layer only.
TEST(File, HandlesAreCountedAndFaultsInjected)
{
    size_t before = QorOpenHandleCount();
    HANDLE file = Open(PathOf("counted.txt"), CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_EQ(before + 1, QorOpenHandleCount());

    QorInjectFault("WriteFile", 2, ERROR_DISK_FULL);
    DWORD count = 77;
    EXPECT_TRUE(WriteFile(file, "a", 1, &count, nullptr));
    EXPECT_FALSE(WriteFile(file, "b", 1, &count, nullptr));
    EXPECT_EQ((DWORD)ERROR_DISK_FULL, GetLastError());
    EXPECT_EQ(0u, count);
    EXPECT_EQ(1u, GetFileSize(file, nullptr));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(before, QorOpenHandleCount());

    QorInjectFault("CreateFileA", 1, ERROR_TOO_MANY_OPEN_FILES);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(PathOf("counted.txt"), OPEN_EXISTING));
    EXPECT_EQ((DWORD)ERROR_TOO_MANY_OPEN_FILES, GetLastError());
    EXPECT_EQ(before, QorOpenHandleCount());
}
#endif
