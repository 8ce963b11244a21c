// process_test.cpp: thread and process ids: a thread id is non-zero and its own, the process id is
// shared by all threads.
#include "QorPlatform.h"

#include <gtest/gtest.h>

#include <thread>

TEST(ProcessIds, ThreadIdsAreDistinctAndTheProcessIdIsShared)
{
    DWORD otherThread = 0, otherProcess = 0;
    std::thread([&] {
        otherThread = GetCurrentThreadId();
        otherProcess = GetCurrentProcessId();
    }).join();
    EXPECT_NE(0u, GetCurrentThreadId());
    EXPECT_NE(0u, otherThread);
    EXPECT_NE(GetCurrentThreadId(), otherThread);
    EXPECT_NE(0u, GetCurrentProcessId());
    EXPECT_EQ(GetCurrentProcessId(), otherProcess);
}
