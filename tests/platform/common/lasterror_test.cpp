// lasterror_test.cpp: the thread's last error, and on POSIX the rows of the errno table that callers
// depend on (the table itself is not restated).
#include "QorPlatform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <thread>

TEST(LastError, BelongsToTheCallingThread)
{
    // The threads take turns through an atomic flag only: starting or joining a thread are calls that
    // may change the caller's last error themselves.
    std::atomic<int> turn{0};
    DWORD otherSeen = 0;
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
    const DWORD mainSeen = GetLastError();
    other.join();
    EXPECT_TRUE(otherSeen == 99u && mainSeen == 0xdeadbeefu) << "the other thread's error did not leak; all 32 bits kept";
}

#if !defined(_WIN32) // the errno table is the POSIX layer's own: Windows has no errno to map
TEST(ErrnoTable, RowsCallersDependOn)
{
    // Opening a folder as a file is "access denied" on Windows; anything unlisted is a general failure, never success.
    const struct { int error; DWORD expected; } rows[] = {{ENOENT, ERROR_FILE_NOT_FOUND}, {ENOTDIR, ERROR_PATH_NOT_FOUND},
        {EISDIR, ERROR_ACCESS_DENIED}, {EEXIST, ERROR_ALREADY_EXISTS}, {EDQUOT, ERROR_DISK_FULL}, {EINTR, ERROR_GEN_FAILURE}};
    for (const auto &row : rows)
        EXPECT_EQ(row.expected, qor::platform::Win32ErrorFromErrno(row.error)) << "errno " << row.error;
    SetLastError(0);
    EXPECT_TRUE(qor::platform::FailWith(ERROR_SHARING_VIOLATION) == FALSE && GetLastError() == ERROR_SHARING_VIOLATION);
}
#endif
