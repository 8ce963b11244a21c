// file_test.cpp: CreateFileA's dispositions and last errors, reads and writes with their byte counts, the file
// pointer, end of file and size at their edges, attributes and DeleteFileA.
#include "QorPlatform.h"
#include "QorKnownDifference.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using qor::test::PathOf;
using qor::test::PrivateFolderEnvironment;
using qor::test::ReadBytes;
using qor::test::WriteBytes;

namespace {

HANDLE Open(const std::string &path, DWORD disposition, DWORD access = GENERIC_READ | GENERIC_WRITE)
{
    return CreateFileA(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// "ok", or the last error of the call that failed.
std::string Outcome(bool succeeded) { return succeeded ? "ok" : "error " + std::to_string(GetLastError()); }
std::string Opening(HANDLE file) { return Outcome(file != INVALID_HANDLE_VALUE && CloseHandle(file)); }

} // namespace

TEST(File, DispositionsOnExistingAndMissingFiles)
{
    // lastError: after the call (checked for failures and where Windows sets it on success);
    // after: the file's content afterwards ("-" when it does not exist)
    // CREATE_ALWAYS truncates, and its success says whether the file existed.
    struct Row { DWORD disposition; bool exists, opens; DWORD lastError; const char *after; };
    const Row rows[] = {
        {CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"}, {CREATE_NEW, false, true, 0xdeadbeef, ""},
        {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""}, {CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
        {OPEN_EXISTING, true, true, 0xdeadbeef, "old"}, {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, "-"},
        {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"}, {OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
        {TRUNCATE_EXISTING, true, true, 0xdeadbeef, ""}, {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, "-"}};
    for (const Row &row : rows) {
        SCOPED_TRACE(&row - rows);
        std::string path = PathOf("disposition.txt");
        DeleteFileA(path.c_str());
        if (row.exists)
            WriteBytes(path, "old");
        SetLastError(0xdeadbeef);
        HANDLE file = Open(path, row.disposition);
        DWORD error = GetLastError();
        EXPECT_TRUE(row.opens == (file != INVALID_HANDLE_VALUE) && (row.lastError == 0xdeadbeef || row.lastError == error));
        EXPECT_TRUE(file == INVALID_HANDLE_VALUE || CloseHandle(file));
        bool exists = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        EXPECT_EQ(std::string(row.after), exists ? ReadBytes(path) : "-");
    }
}

TEST(File, OpenFailuresNameTheirCause)
{
    std::string missingFolder = PathOf("no-such-folder/file.txt");
    EXPECT_EQ("error 3", Opening(Open(missingFolder, OPEN_EXISTING)));
    EXPECT_EQ("error 3", Opening(Open(missingFolder, CREATE_ALWAYS)));
#if !defined(_WIN32)
    // Truncating needs write access, as Microsoft documents it; the file is left alone. Wine truncates
    // without it, so this holds for our layer only.
    std::string path = PathOf("truncate-read-only-access.txt");
    WriteBytes(path, "keep");
    EXPECT_EQ("error 87", Opening(Open(path, TRUNCATE_EXISTING, GENERIC_READ)));
    EXPECT_EQ("keep", ReadBytes(path));
#endif
    EXPECT_EQ("error 5", Opening(Open(PrivateFolderEnvironment::Folder().string(), OPEN_EXISTING, GENERIC_READ)))
        << "a folder is not opened as a file";
}

TEST(File, ReadAndWriteCountBytesAndRespectAccess)
{
    std::string path = PathOf("rw.bin");
    HANDLE file = Open(path, CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD count = 77, empty = 77, atEnd = 77;
    char buffer[32] = {};
    EXPECT_TRUE(WriteFile(file, "hello world", 11, &count, nullptr) && count == 11u);
    EXPECT_TRUE(WriteFile(file, "", 0, &empty, nullptr) && SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0u);
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &count, nullptr) && std::string(buffer, count) == "hello world");
    // At the end of the file a synchronous read succeeds with nothing read.
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &atEnd, nullptr) && empty == 0u && atEnd == 0u);
    EXPECT_TRUE(CloseHandle(file));

    HANDLE reader = Open(path, OPEN_EXISTING, GENERIC_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    count = 77;
    EXPECT_EQ("error 5", Outcome(WriteFile(reader, "x", 1, &count, nullptr)));
    // Refused on both; the reason differs: Wine answers ERROR_INVALID_PARAMETER, we ERROR_ACCESS_DENIED.
    EXPECT_TRUE(count == 0u && !SetEndOfFile(reader) && GetFileSize(reader, nullptr) == 4u + 7u);
    EXPECT_TRUE(CloseHandle(reader));
    HANDLE writer = Open(path, OPEN_EXISTING, GENERIC_WRITE);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    count = 77;
    EXPECT_EQ("error 5", Outcome(ReadFile(writer, buffer, 4, &count, nullptr)));
    EXPECT_TRUE(count == 0u && FlushFileBuffers(writer) && CloseHandle(writer));
    // A closed handle is no handle any more, also for the call that used it last.
    EXPECT_EQ("error 6|error 6|error 6", Outcome(FlushFileBuffers(writer)) + "|" + Outcome(CloseHandle(writer)) + "|" +
                                             Outcome(ReadFile(INVALID_HANDLE_VALUE, buffer, 4, &count, nullptr)));
}

TEST(File, FilePointerEndOfFileAndSizeAtTheirEdges)
{
    HANDLE file = Open(PathOf("pointer.bin"), CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(file, "0123456789", 10, &count, nullptr));
    EXPECT_EQ((std::vector<DWORD>{10, 7, 5}), (std::vector<DWORD>{SetFilePointer(file, 0, nullptr, FILE_CURRENT),
              SetFilePointer(file, -3, nullptr, FILE_END), SetFilePointer(file, -2, nullptr, FILE_CURRENT)}));
    // Before the start: refused, the pointer stays.
    EXPECT_EQ("error 131", Outcome(SetFilePointer(file, -6, nullptr, FILE_CURRENT) != INVALID_SET_FILE_POINTER));
    EXPECT_EQ("error 131", Outcome(SetFilePointer(file, -11, nullptr, FILE_END) != INVALID_SET_FILE_POINTER));
    EXPECT_EQ(5u, SetFilePointer(file, 0, nullptr, FILE_CURRENT));
    EXPECT_EQ("error 87", Outcome(SetFilePointer(file, 0, nullptr, 3) != INVALID_SET_FILE_POINTER));

    // With a high part: a 64-bit distance, and the new position's high part comes back.
    LONG high = 1, back = -1, low = 0;
    EXPECT_EQ(2u, SetFilePointer(file, 2, &high, FILE_BEGIN)); // 0x1_00000002
    EXPECT_EQ(0u, SetFilePointer(file, -2, &back, FILE_CURRENT)); // back by 2: 0x1_00000000
    // A low part of 0xFFFFFFFF is a real position: the last error says so.
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0xFFFFFFFFu, SetFilePointer(file, -1, &low, FILE_BEGIN));
    EXPECT_TRUE(GetLastError() == NO_ERROR && high == 1 && back == 1 && low == 0);
    // Past 32 bits without a high part: refused, the pointer stays.
    QOR_EXPECT_BROKEN_ON_WINE(Outcome(SetFilePointer(file, 1, nullptr, FILE_CURRENT) != INVALID_SET_FILE_POINTER) == "error 87" &&
                                  SetFilePointer(file, 0, &low, FILE_CURRENT) == 0xFFFFFFFFu,
                              "Wine moves the pointer there and answers its low part");

    // Beyond the end, the file grows only when the end is set there.
    EXPECT_EQ(20u, SetFilePointer(file, 20, nullptr, FILE_BEGIN));
    DWORD sizeHigh = 77;
    EXPECT_TRUE(GetFileSize(file, &sizeHigh) == 10u && sizeHigh == 0u && SetEndOfFile(file) && GetFileSize(file, nullptr) == 20u);
    EXPECT_TRUE(SetFilePointer(file, 4, nullptr, FILE_BEGIN) == 4u && SetEndOfFile(file) && GetFileSize(file, &sizeHigh) == 4u);
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
    EXPECT_TRUE(data.nFileSizeLow == 5u && data.nFileSizeHigh == 0u && data.ftLastWriteTime.dwHighDateTime != 0u);
    EXPECT_TRUE(GetFileAttributesA(PrivateFolderEnvironment::Folder().string().c_str()) & FILE_ATTRIBUTE_DIRECTORY);

    EXPECT_TRUE(DeleteFileA(path.c_str()));
    EXPECT_EQ("error 2|error 2|error 2|error 3",
              Outcome(GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) + "|" +
                  Outcome(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) + "|" +
                  Outcome(DeleteFileA(path.c_str())) + "|" + Outcome(DeleteFileA(PathOf("no-such-folder/x").c_str())));
}

// The runtime's descriptors: one handle each, with the descriptor's access, that sets the file's times and
// goes with _close.
TEST(File, RuntimeDescriptorsLendTheirHandleUntilClosed)
{
    std::string path = PathOf("runtime.txt");
    int readWrite = _open(path.c_str(), _O_RDWR | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
    int readOnly = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    ASSERT_TRUE(readWrite >= 0 && readOnly >= 0);
    EXPECT_TRUE(_open(PrivateFolderEnvironment::Folder().string().c_str(), _O_RDONLY) == -1 && errno == EACCES); // no folder
    HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(readWrite));
    const FILETIME y2k{0x256D4000, 0x01BF53EB}; // 2000-01-01 00:00:00 UTC
    EXPECT_TRUE(file == reinterpret_cast<HANDLE>(_get_osfhandle(readWrite)) && SetFileTime(file, nullptr, nullptr, &y2k));
    QOR_EXPECT_BROKEN_ON_WINE(Outcome(SetFileTime(reinterpret_cast<HANDLE>(_get_osfhandle(readOnly)), nullptr, nullptr, &y2k)) ==
                                  "error 5", "Wine sets the time through a handle without write access");
    EXPECT_TRUE(_close(readWrite) == 0 && _close(readOnly) == 0);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_TRUE(data.ftLastWriteTime.dwLowDateTime == y2k.dwLowDateTime && data.ftLastWriteTime.dwHighDateTime == y2k.dwHighDateTime);
    EXPECT_EQ("error 6", Outcome(SetFileTime(file, nullptr, nullptr, &y2k))); // closed with its descriptor
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
    EXPECT_EQ("error 112", Outcome(WriteFile(file, "b", 1, &count, nullptr)));
    EXPECT_TRUE(count == 0u && GetFileSize(file, nullptr) == 1u && CloseHandle(file) && QorOpenHandleCount() == before);
    QorInjectFault("CreateFileA", 1, ERROR_TOO_MANY_OPEN_FILES);
    EXPECT_EQ("error 4", Opening(Open(PathOf("counted.txt"), OPEN_EXISTING)));
    EXPECT_EQ(before, QorOpenHandleCount());
}
#endif
