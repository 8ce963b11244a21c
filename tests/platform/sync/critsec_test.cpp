// critsec_test.cpp: CRITICAL_SECTION is recursive for its owner and excludes every other thread until
// the owner has left as often as it entered.
#include "QorPlatform.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(CriticalSection, OwnerReentersAndOthersWaitForTheLastLeave)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    auto otherThreadCanEnter = [&] {
        BOOL entered = FALSE;
        std::thread([&] {
            if ((entered = TryEnterCriticalSection(&section)) != FALSE)
                LeaveCriticalSection(&section);
        }).join();
        return entered != FALSE;
    };
    EnterCriticalSection(&section);
    EXPECT_NE(FALSE, TryEnterCriticalSection(&section)); // the owner enters again: depth 2
    LeaveCriticalSection(&section);
    EXPECT_FALSE(otherThreadCanEnter()) << "still held once";
    LeaveCriticalSection(&section);
    EXPECT_TRUE(otherThreadCanEnter());

    long counter = 0; // guarded by the section only
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                EnterCriticalSection(&section), EnterCriticalSection(&section); // nested, as the library's region nests
                counter = counter + 1;
                LeaveCriticalSection(&section), LeaveCriticalSection(&section);
            }
        });
    for (std::thread &worker : workers)
        worker.join();
    EXPECT_EQ(4 * 20000L, counter);
    DeleteCriticalSection(&section);
}
