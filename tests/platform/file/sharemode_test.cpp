// sharemode_test.cpp: share modes decide between opens of one file, within a process and between
// processes: a conflicting open fails with ERROR_SHARING_VIOLATION, and a file that an open handle
// does not share for deletion cannot be deleted nor renamed over.
#include "QorChildProcess.h"
#include "QorKnownDifference.h"
#include "QorPlatform.h"
#include "QorTestEnvironment.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using qor::test::PrivateFolderEnvironment;

namespace {

constexpr DWORD R = GENERIC_READ;
constexpr DWORD W = GENERIC_WRITE;
constexpr DWORD RW = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD SR = FILE_SHARE_READ;
constexpr DWORD SW = FILE_SHARE_WRITE;
constexpr DWORD SD = FILE_SHARE_DELETE;

std::string SharedFile()
{
    std::string path = (PrivateFolderEnvironment::Folder() / "shared.txt").string();
    std::ofstream(path) << "data";
    return path;
}

HANDLE OpenShared(const std::string &path, DWORD access, DWORD share)
{
    return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

struct Pair {
    int line;
    DWORD firstAccess, firstShare;
    DWORD secondAccess, secondShare;
    DWORD expected; // 0: both open; else the second open's error
};

// Each row names the rule it pins: the second open needs the first to share its access, and the
// first's access must be shared by the second.
const Pair kPairs[] = {
    {__LINE__, R, SR, R, SR, 0},                            // readers sharing reading
    {__LINE__, R, 0, R, SR | SW, ERROR_SHARING_VIOLATION},  // the first shares nothing
    {__LINE__, R, SR, W, SR | SW, ERROR_SHARING_VIOLATION}, // writing not shared by the first
    {__LINE__, R, SR | SW, W, SW, ERROR_SHARING_VIOLATION}, // the first reads, the second denies reading
    {__LINE__, R, SR | SW, W, SR | SW, 0},
    {__LINE__, W, SR | SW, R, SR, ERROR_SHARING_VIOLATION}, // the second denies writing to a writer
    {__LINE__, W, SW, W, SW, 0},                            // writers sharing writing only
    {__LINE__, W, SW, R, SW, ERROR_SHARING_VIOLATION},      // reading not shared by the first
    {__LINE__, RW, SR | SW, RW, SR | SW, 0},
    {__LINE__, RW, SR | SW, RW, SR, ERROR_SHARING_VIOLATION},
    {__LINE__, RW, SR, R, SR | SW, 0}, // a reader sharing writing may join a writer sharing reading
    {__LINE__, 0, 0, RW, 0, 0},                              // an open without access takes no part
    {__LINE__, RW, 0, 0, 0, 0},
    {__LINE__, DELETE, SR, R, SR, ERROR_SHARING_VIOLATION},  // deleting not shared by the second
    {__LINE__, DELETE, SR, R, SR | SD, 0},
    {__LINE__, R, SR, DELETE, SR | SW | SD, ERROR_SHARING_VIOLATION}, // deleting not shared by the first
    {__LINE__, R, SR | SD, DELETE, SR, 0},
};

} // namespace

TEST(ShareMode, PairsOfOpensInOneProcess)
{
    std::string path = SharedFile();
    for (const Pair &pair : kPairs) {
        SCOPED_TRACE(pair.line);
        HANDLE first = OpenShared(path, pair.firstAccess, pair.firstShare);
        ASSERT_NE(INVALID_HANDLE_VALUE, first) << GetLastError();
        SetLastError(0xdeadbeef);
        HANDLE second = OpenShared(path, pair.secondAccess, pair.secondShare);
        DWORD error = GetLastError();
        if (pair.expected == 0) {
            EXPECT_NE(INVALID_HANDLE_VALUE, second) << error;
        } else {
            EXPECT_EQ(INVALID_HANDLE_VALUE, second);
            EXPECT_EQ(pair.expected, error);
        }
        if (second != INVALID_HANDLE_VALUE)
            CloseHandle(second);
        CloseHandle(first);
        // Once the first is closed nothing stands in the way.
        HANDLE again = OpenShared(path, pair.secondAccess, pair.secondShare);
        EXPECT_NE(INVALID_HANDLE_VALUE, again) << GetLastError();
        CloseHandle(again);
    }
}

TEST(ShareMode, ARefusedTruncationLeavesTheData)
{
    std::string path = SharedFile();
    HANDLE reader = OpenShared(path, R, SR);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    HANDLE truncating = CreateFileA(path.c_str(), W, SR | SW, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, truncating);
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());
    EXPECT_EQ(4u, GetFileSize(reader, nullptr));
    CloseHandle(reader);
}

TEST(ShareMode, DeletionWaitsForHandlesThatDenyIt)
{
    std::string path = SharedFile();
    HANDLE reader = OpenShared(path, R, SR | SW);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());
    CloseHandle(reader);
    EXPECT_TRUE(DeleteFileA(path.c_str())) << GetLastError();
}

// With delete sharing the deletion succeeds and the open handle stays usable; the name then goes at
// once on our layer (see DeleteFileA), and at the last close under Wine.
TEST(ShareMode, DeletingAFileOpenWithDeleteSharing)
{
    std::string path = SharedFile();
    HANDLE reader = OpenShared(path, R, SR | SW | SD);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    EXPECT_TRUE(DeleteFileA(path.c_str())) << GetLastError();
    EXPECT_EQ(4u, GetFileSize(reader, nullptr));
    QOR_EXPECT_DIFFERS_ON_POSIX(GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES,
                                "the name goes at once, as with the POSIX delete semantics of Windows 10 and "
                                "later; Wine keeps it until the last handle closes");
    CloseHandle(reader);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str())) << "gone after the last close";
}

// Moving takes the source's name away and replaces the target's: both must allow deletion.
TEST(ShareMode, MoveFileExReplacesOnlyWhatMayGo)
{
    using qor::test::PathOf;
    const std::string from = PathOf("move-from.txt"), to = PathOf("move-to.txt");
    const DWORD kReplace = MOVEFILE_REPLACE_EXISTING;
    enum Held { kNone, kSource, kTarget };
    struct Row {
        int line;
        bool targetExists;
        DWORD flags;
        Held held; // which file another handle holds open, sharing reading and writing only
        DWORD error;
    } rows[] = {
        {__LINE__, true, 0, kNone, ERROR_ALREADY_EXISTS},
        {__LINE__, false, 0, kNone, ERROR_SUCCESS},
        {__LINE__, true, kReplace, kNone, ERROR_SUCCESS},
        {__LINE__, true, kReplace | MOVEFILE_WRITE_THROUGH, kNone, ERROR_SUCCESS},
        {__LINE__, true, kReplace, kTarget, ERROR_ACCESS_DENIED},
        {__LINE__, true, kReplace, kSource, ERROR_SHARING_VIOLATION},
    };
    for (const Row &row : rows) {
        qor::test::WriteBytes(from, "new");
        DeleteFileA(to.c_str());
        if (row.targetExists)
            qor::test::WriteBytes(to, "old");
        HANDLE held = row.held == kNone ? INVALID_HANDLE_VALUE : OpenShared(row.held == kSource ? from : to, R, SR | SW);
        SetLastError(0xdeadbeef);
        const bool moved = MoveFileExA(from.c_str(), to.c_str(), row.flags) != FALSE;
        const DWORD error = moved ? ERROR_SUCCESS : GetLastError();
        CloseHandle(held);
        EXPECT_EQ(row.error, error) << "row at line " << row.line;
        EXPECT_EQ(moved ? "new" : row.targetExists ? "old" : "", qor::test::ReadBytes(to)) << "row at line " << row.line;
    }
    HANDLE sharing = OpenShared(to, R, SR | SW | SD);
    qor::test::WriteBytes(from, "new");
    QOR_EXPECT_DIFFERS_ON_POSIX(!MoveFileExA(from.c_str(), to.c_str(), kReplace),
                                "a target open with delete sharing is replaced, as it is deleted");
    CloseHandle(sharing);
    DeleteFileA(from.c_str());
    struct Failure {
        std::string from, to;
        DWORD error;
    } failures[] = {{from, to, ERROR_FILE_NOT_FOUND},
                    {to, PathOf("no-such-folder/x.txt"), ERROR_PATH_NOT_FOUND},
                    {to, PrivateFolderEnvironment::Folder().string(), ERROR_ACCESS_DENIED}};
    for (const Failure &failure : failures) {
        EXPECT_FALSE(MoveFileExA(failure.from.c_str(), failure.to.c_str(), kReplace)) << failure.to;
        EXPECT_EQ(failure.error, GetLastError()) << failure.to;
    }
}

TEST(ShareMode, AChildProcessHoldingTheFileDecidesToo)
{
    std::string path = SharedFile();
    std::string ready = (PrivateFolderEnvironment::Folder() / "holder.ready").string();
    std::string release = (PrivateFolderEnvironment::Folder() / "holder.release").string();
    std::filesystem::remove(ready);
    std::filesystem::remove(release);
    // The child reads and shares reading only.
    qor::test::ChildProcess child("qor_file_holder", {path, std::to_string(R), std::to_string(SR), ready, release});
    ASSERT_TRUE(qor::test::WaitForFile(ready, child)) << "exit " << child.Wait();

    HANDLE reader = OpenShared(path, R, SR);
    EXPECT_NE(INVALID_HANDLE_VALUE, reader) << GetLastError();
    CloseHandle(reader);
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenShared(path, W, SR | SW));
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());

    // And the other way round: a child cannot write while this process denies writing.
    HANDLE denying = OpenShared(path, R, SR);
    ASSERT_NE(INVALID_HANDLE_VALUE, denying);
    EXPECT_EQ((int)ERROR_SHARING_VIOLATION,
              qor::test::RunChild("qor_file_holder", {path, std::to_string(W), std::to_string(SR | SW), ready + "2",
                                                      release}));
    CloseHandle(denying);

    std::ofstream(release).put('1');
    EXPECT_EQ(0, child.Wait());
    // The child's claim ended with it.
    HANDLE writer = OpenShared(path, W, 0);
    EXPECT_NE(INVALID_HANDLE_VALUE, writer) << GetLastError();
    CloseHandle(writer);
}
