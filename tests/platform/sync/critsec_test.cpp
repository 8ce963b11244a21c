// critsec_test.cpp: CRITICAL_SECTION is recursive for its owner and excludes every other thread until
// the owner has left as often as it entered.
#include "QorPlatform.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// Whether another thread can take the section right now (it leaves again at once if it could).
bool OtherThreadCanEnter(CRITICAL_SECTION &section)
{
    BOOL entered = FALSE;
    std::thread other([&] {
        entered = TryEnterCriticalSection(&section);
        if (entered)
            LeaveCriticalSection(&section);
    });
    other.join();
    return entered != FALSE;
}

} // namespace

TEST(CriticalSection, OwnerReentersAndOthersWaitForTheLastLeave)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EXPECT_TRUE(OtherThreadCanEnter(section));
    EnterCriticalSection(&section);
    EXPECT_NE(FALSE, TryEnterCriticalSection(&section)); // the owner enters again: depth 2
    EnterCriticalSection(&section);                      // depth 3
    EXPECT_FALSE(OtherThreadCanEnter(section));
    LeaveCriticalSection(&section);
    LeaveCriticalSection(&section);
    EXPECT_FALSE(OtherThreadCanEnter(section)); // still held once
    LeaveCriticalSection(&section);
    EXPECT_TRUE(OtherThreadCanEnter(section));
    DeleteCriticalSection(&section);
}

TEST(CriticalSection, ExcludesConcurrentUpdates)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    long counter = 0; // guarded by the section only
    const int threads = 4, rounds = 20000;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < rounds; ++i) {
                EnterCriticalSection(&section);
                EnterCriticalSection(&section); // nested, as the library's region nests
                long value = counter;
                counter = value + 1;
                LeaveCriticalSection(&section);
                LeaveCriticalSection(&section);
            }
        });
    for (std::thread &worker : workers)
        worker.join();
    EXPECT_EQ(static_cast<long>(threads) * rounds, counter);
    DeleteCriticalSection(&section);
}
