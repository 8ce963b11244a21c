// faults_test.cpp: fault injection, the POSIX layer's test aid: the n-th call fails once with the
// chosen error, per function, also when several threads call at once. The hook does not exist on
// Windows, so the file does not compile there.
#include "QorPlatform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#if !defined(_WIN32)
namespace {

// Whether LocalAlloc fails now; a successful block is freed again.
bool LocalAllocFails()
{
    HLOCAL block = LocalAlloc(LMEM_FIXED, 8);
    LocalFree(block);
    return block == nullptr;
}

} // namespace

TEST(FaultInjection, FiresOnTheNthCallOnceAndOnlyForItsFunction)
{
    QorInjectFault("LocalAlloc", 2, ERROR_NOT_ENOUGH_MEMORY);
    WCHAR wide[2];
    EXPECT_EQ(1, MultiByteToWideChar(CP_UTF8, 0, "a", 1, wide, 2)) << "other functions are not counted";
    EXPECT_FALSE(LocalAllocFails());
    EXPECT_TRUE(LocalAllocFails() && GetLastError() == ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_FALSE(LocalAllocFails()) << "a fault disarms itself once it fired";

    QorInjectFault("LocalAlloc", 5, ERROR_NOT_ENOUGH_MEMORY);
    QorInjectFault("LocalAlloc", 1, ERROR_OUTOFMEMORY); // replaces the first
    EXPECT_TRUE(LocalAllocFails() && GetLastError() == ERROR_OUTOFMEMORY);
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(LocalAllocFails()) << "call " << i;
    QorInjectFault("LocalAlloc", 1, ERROR_OUTOFMEMORY);
    QorInjectFault("LocalAlloc", 0, 0); // disarms
    EXPECT_FALSE(LocalAllocFails());
    QorInjectFault("LocalAlloc", 1, ERROR_OUTOFMEMORY);
    QorClearFaults();
    EXPECT_FALSE(LocalAllocFails());
}

TEST(FaultInjection, CountsCallsAcrossThreads)
{
    QorInjectFault("SysAllocStringLen", 1000, ERROR_NOT_ENOUGH_MEMORY);
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                BSTR text = SysAllocStringLen(nullptr, 4);
                failures += text == nullptr;
                SysFreeString(text);
            }
        });
    for (std::thread &worker : workers)
        worker.join();
    EXPECT_EQ(1, failures.load()) << "exactly the 1000th of 2000 calls failed";
}
#endif
