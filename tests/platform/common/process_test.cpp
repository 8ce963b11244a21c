// process_test.cpp: thread and process ids: a thread id is non-zero and its own, the process id is
// shared by all threads.
#include "QorPlatform.h"

#include <gtest/gtest.h>

#include <thread>

#if !defined(_WIN32)
#  include <sys/wait.h>
#  include <unistd.h>
#endif

TEST(ProcessIds, ThreadIdsAreDistinctAndTheProcessIdIsShared)
{
    DWORD otherThread = 0, otherProcess = 0;
    std::thread([&] {
        otherThread = GetCurrentThreadId();
        otherProcess = GetCurrentProcessId();
    }).join();
    EXPECT_TRUE(GetCurrentThreadId() != 0u && otherThread != 0u && GetCurrentThreadId() != otherThread);
    EXPECT_TRUE(GetCurrentProcessId() != 0u && GetCurrentProcessId() == otherProcess);
    // fork() exists on POSIX only.
#if !defined(_WIN32)
    EXPECT_EQ(static_cast<DWORD>(getpid()), GetCurrentProcessId()); // the id that other POSIX tools show
    // A forked child's only thread has its own id (the process's), not the parent thread's.
    pid_t child = fork();
    if (child == 0)
        _exit(GetCurrentThreadId() == static_cast<DWORD>(getpid()) ? 0 : 1);
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
#endif
}
