// lasterror_test.cpp: the thread's last error, and on POSIX the one table that turns errno into a
// Win32 error, row by row.
#include "QorPlatform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <thread>

TEST(LastError, BelongsToTheCallingThread)
{
    // The two threads take turns through atomic flags only, so that no other call touches either
    // thread's last error between its set and its check.
    std::atomic<int> turn{0};
    DWORD otherSeen = 0;
    DWORD mainSeen = 0;
    std::thread other([&] {
        while (turn.load() != 1) {
        }
        SetLastError(99);
        otherSeen = GetLastError();
        turn.store(2);
    });
    SetLastError(0xdeadbeef);
    turn.store(1);
    while (turn.load() != 2) {
    }
    mainSeen = GetLastError();
    other.join();
    EXPECT_EQ(99u, otherSeen);
    EXPECT_EQ(0xdeadbeefu, mainSeen) << "the other thread's error did not leak into this one; all 32 bits kept";
}

#if !defined(_WIN32)
// The errno table and FailWith are the POSIX layer's own; Windows has no errno to map.
TEST(ErrnoTable, MapsEachErrnoToItsWin32Error)
{
    struct Row {
        int line;
        int error;
        DWORD expected;
    };
    const Row rows[] = {
        {__LINE__, 0, ERROR_SUCCESS},
        {__LINE__, ENOENT, ERROR_FILE_NOT_FOUND},
        {__LINE__, ENOTDIR, ERROR_PATH_NOT_FOUND}, // a path component is not a folder
        {__LINE__, EMFILE, ERROR_TOO_MANY_OPEN_FILES},
        {__LINE__, ENFILE, ERROR_TOO_MANY_OPEN_FILES},
        {__LINE__, EACCES, ERROR_ACCESS_DENIED},
        {__LINE__, EPERM, ERROR_ACCESS_DENIED},
        {__LINE__, EISDIR, ERROR_ACCESS_DENIED}, // opening a folder as a file is "access denied" on Windows
        {__LINE__, ETXTBSY, ERROR_SHARING_VIOLATION},
        {__LINE__, EBADF, ERROR_INVALID_HANDLE},
        {__LINE__, ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
        {__LINE__, EROFS, ERROR_WRITE_PROTECT},
        {__LINE__, EXDEV, ERROR_NOT_SAME_DEVICE},
        {__LINE__, ESPIPE, ERROR_SEEK},
        {__LINE__, EIO, ERROR_GEN_FAILURE},
        {__LINE__, EBUSY, ERROR_BUSY},
        {__LINE__, EAGAIN, ERROR_LOCK_VIOLATION}, // a conflicting record lock
        {__LINE__, EDEADLK, ERROR_POSSIBLE_DEADLOCK},
        {__LINE__, ENOTSUP, ERROR_NOT_SUPPORTED},
        {__LINE__, EEXIST, ERROR_ALREADY_EXISTS},
        {__LINE__, EINVAL, ERROR_INVALID_PARAMETER},
        {__LINE__, EPIPE, ERROR_BROKEN_PIPE},
        {__LINE__, ENOSPC, ERROR_DISK_FULL},
        {__LINE__, EDQUOT, ERROR_DISK_FULL}, // a full quota looks like a full disk to the caller
        {__LINE__, ENOSYS, ERROR_CALL_NOT_IMPLEMENTED},
        {__LINE__, ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
        {__LINE__, ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
        {__LINE__, EFBIG, ERROR_FILE_TOO_LARGE},
        {__LINE__, ELOOP, ERROR_CANT_RESOLVE_FILENAME}, // a symbolic link loop
        {__LINE__, EFAULT, ERROR_NOACCESS},
        {__LINE__, EOVERFLOW, ERROR_ARITHMETIC_OVERFLOW},
        {__LINE__, ETIMEDOUT, ERROR_TIMEOUT},
        {__LINE__, EILSEQ, ERROR_NO_UNICODE_TRANSLATION},
        {__LINE__, EINTR, ERROR_GEN_FAILURE}, // anything unlisted is a general failure, never success
    };
    for (const Row &row : rows)
        EXPECT_EQ(row.expected, qor::platform::Win32ErrorFromErrno(row.error)) << "row at line " << row.line;
}

TEST(ErrnoTable, FailWithSetsTheErrorAndAnswersFalse)
{
    SetLastError(0);
    EXPECT_EQ(FALSE, qor::platform::FailWith(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
}
#endif
