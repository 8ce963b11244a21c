// sharemode_test.cpp: share modes decide between opens of one file, in a process and between processes; a file
// that an open handle does not share for deletion cannot be deleted nor renamed over.
#include "QorChildProcess.h"
#include "QorKnownDifference.h"
#include "QorPlatform.h"
#include "QorTestEnvironment.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

using qor::test::PrivateFolderEnvironment;

namespace {

constexpr DWORD R = GENERIC_READ, W = GENERIC_WRITE, RW = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE, SD = FILE_SHARE_DELETE;

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

// "error N" of the failed open, or "open" (closing the handle again).
std::string Opening(HANDLE file)
{
    return file != INVALID_HANDLE_VALUE && CloseHandle(file) ? "open" : "error " + std::to_string(GetLastError());
}

// expected: 0 when both open, else the second open's error
struct Pair { DWORD firstAccess, firstShare, secondAccess, secondShare, expected; };

// The second open needs the first to share its access, and the first's access must be shared by the second.
constexpr DWORD kViolation = ERROR_SHARING_VIOLATION;
const Pair kPairs[] = {
    {R, SR, R, SR, 0},                   {R, 0, R, SR | SW, kViolation},     // readers sharing reading; sharing nothing
    {R, SR, W, SR | SW, kViolation},     {R, SR | SW, W, SW, kViolation},    // writing not shared; reading denied
    {R, SR | SW, W, SR | SW, 0},         {W, SR | SW, R, SR, kViolation},    // the second denies writing to a writer
    {W, SW, W, SW, 0},                   {W, SW, R, SW, kViolation},         // writers sharing writing only; reading not
    {RW, SR | SW, RW, SR | SW, 0},       {RW, SR | SW, RW, SR, kViolation},
    {RW, SR, R, SR | SW, 0},                                                 // a reader sharing writing joins a writer
    {0, 0, RW, 0, 0},                    {RW, 0, 0, 0, 0},                   // an open without access takes no part
    {DELETE, SR, R, SR, kViolation},     {DELETE, SR, R, SR | SD, 0},        // deleting not shared by the second
    {R, SR, DELETE, SR | SW | SD, kViolation}, {R, SR | SD, DELETE, SR, 0}, // deleting not shared by the first
};

} // namespace

TEST(ShareMode, PairsOfOpensInOneProcess)
{
    std::string path = SharedFile();
    for (const Pair &pair : kPairs) {
        SCOPED_TRACE(&pair - kPairs);
        HANDLE first = OpenShared(path, pair.firstAccess, pair.firstShare);
        ASSERT_NE(INVALID_HANDLE_VALUE, first) << GetLastError();
        EXPECT_EQ(pair.expected ? "error " + std::to_string(pair.expected) : "open",
                  Opening(OpenShared(path, pair.secondAccess, pair.secondShare)));
        CloseHandle(first);
        EXPECT_EQ("open", Opening(OpenShared(path, pair.secondAccess, pair.secondShare))) << "the first closed";
    }
}

TEST(ShareMode, ARefusedTruncationLeavesTheData)
{
    std::string path = SharedFile();
    HANDLE reader = OpenShared(path, R, SR);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    EXPECT_EQ("error 32", Opening(CreateFileA(path.c_str(), W, SR | SW, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
    EXPECT_EQ(4u, GetFileSize(reader, nullptr));
    CloseHandle(reader);
}

TEST(ShareMode, DeletionWaitsForHandlesThatDenyIt)
{
    std::string path = SharedFile();
    HANDLE reader = OpenShared(path, R, SR | SW);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    EXPECT_TRUE(!DeleteFileA(path.c_str()) && GetLastError() == ERROR_SHARING_VIOLATION);
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
    // held: the file another handle holds open, sharing reading and writing only
    struct Row { int line; bool targetExists; DWORD flags; Held held; DWORD error; } rows[] = {
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
        EXPECT_TRUE(row.error == error && qor::test::ReadBytes(to) == (moved ? "new" : row.targetExists ? "old" : ""))
            << "row at line " << row.line << ": " << error;
    }
    HANDLE sharing = OpenShared(to, R, SR | SW | SD);
    qor::test::WriteBytes(from, "new");
    QOR_EXPECT_DIFFERS_ON_POSIX(!MoveFileExA(from.c_str(), to.c_str(), kReplace),
                                "a target open with delete sharing is replaced, as it is deleted");
    CloseHandle(sharing);
    DeleteFileA(from.c_str());
    struct { std::string from, to; DWORD error; } failures[] = {{from, to, ERROR_FILE_NOT_FOUND},
                    {to, PathOf("no-such-folder/x.txt"), ERROR_PATH_NOT_FOUND},
                    {to, PrivateFolderEnvironment::Folder().string(), ERROR_ACCESS_DENIED}};
    for (const auto &failure : failures)
        EXPECT_TRUE(!MoveFileExA(failure.from.c_str(), failure.to.c_str(), kReplace) && GetLastError() == failure.error) << failure.to;
}

TEST(ShareMode, AChildProcessHoldingTheFileDecidesToo)
{
    std::string path = SharedFile();
    std::string ready = qor::test::PathOf("holder.ready"), release = qor::test::PathOf("holder.release");
    // The child reads and shares reading only.
    qor::test::ChildProcess child("qor_file_holder", {path, std::to_string(R), std::to_string(SR), ready, release});
    ASSERT_TRUE(qor::test::WaitForFile(ready, child)) << "exit " << child.Wait();

    EXPECT_EQ("open", Opening(OpenShared(path, R, SR)));
    EXPECT_EQ("error 32", Opening(OpenShared(path, W, SR | SW)));
    EXPECT_TRUE(!DeleteFileA(path.c_str()) && GetLastError() == ERROR_SHARING_VIOLATION);

    // And the other way round: a child cannot write while this process denies writing.
    HANDLE denying = OpenShared(path, R, SR);
    ASSERT_NE(INVALID_HANDLE_VALUE, denying);
    EXPECT_EQ((int)ERROR_SHARING_VIOLATION,
              qor::test::RunChild("qor_file_holder", {path, std::to_string(W), std::to_string(SR | SW), ready + "2",
                                                      release}));
    CloseHandle(denying);

    std::ofstream(release).put('1');
    EXPECT_EQ(0, child.Wait());
    EXPECT_EQ("open", Opening(OpenShared(path, W, 0))) << "the child's claim ended with it";
}
