// faults_test.cpp: fault injection, the POSIX layer's test aid (Windows has no counterpart, so the
// whole file is POSIX only): the n-th call fails once with the chosen error, per function, also when
// several threads call at once.
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
    QorClearFaults();
    QorInjectFault("LocalAlloc", 3, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_FALSE(LocalAllocFails());
    WCHAR wide[2];
    EXPECT_EQ(1, MultiByteToWideChar(CP_UTF8, 0, "a", 1, wide, 2)) << "other functions are not counted";
    EXPECT_FALSE(LocalAllocFails());
    SetLastError(0);
    EXPECT_TRUE(LocalAllocFails());
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
    EXPECT_FALSE(LocalAllocFails()) << "a fault disarms itself once it fired";

    QorInjectFault("LocalAlloc", 5, ERROR_NOT_ENOUGH_MEMORY);
    QorInjectFault("LocalAlloc", 1, ERROR_OUTOFMEMORY); // replaces the first
    EXPECT_TRUE(LocalAllocFails());
    EXPECT_EQ(static_cast<DWORD>(ERROR_OUTOFMEMORY), GetLastError());
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(LocalAllocFails()) << "call " << i;

    QorInjectFault("LocalAlloc", 1, ERROR_OUTOFMEMORY);
    QorInjectFault("LocalAlloc", 0, 0); // disarms
    EXPECT_FALSE(LocalAllocFails());

    QorInjectFault("LocalAlloc", 1, ERROR_OUTOFMEMORY);
    QorInjectFault("SysAllocStringLen", 1, ERROR_OUTOFMEMORY);
    QorClearFaults();
    EXPECT_FALSE(LocalAllocFails());
    BSTR text = SysAllocStringLen(nullptr, 1);
    EXPECT_NE(nullptr, text);
    SysFreeString(text);
}

TEST(FaultInjection, CountsCallsAcrossThreads)
{
    QorClearFaults();
    const int threads = 4, callsEach = 500;
    QorInjectFault("SysAllocStringLen", 1000, ERROR_NOT_ENOUGH_MEMORY);
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < callsEach; ++i) {
                BSTR text = SysAllocStringLen(nullptr, 4);
                if (text == nullptr)
                    ++failures;
                SysFreeString(text);
            }
        });
    for (std::thread &worker : workers)
        worker.join();
    EXPECT_EQ(1, failures.load()) << "exactly the 1000th of 2000 calls failed";
}
#endif
