// mutex_test.cpp: named mutexes: recursive ownership, opening an existing one, release by a non-owner,
// time-outs, and the abandoned mutex of a thread or a child that died holding it.
#include "QorChildProcess.h"
#include "QorPlatform.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>

namespace {

// Names are unique per run, so runs and other tests never meet.
std::string UniqueName(const std::string &stem)
{
    static std::random_device random;
    return "QorMutexTest-" + stem + "-" + std::to_string(random());
}

// What another thread's zero wait and release of `mutex` answer.
std::pair<DWORD, BOOL> FromOtherThread(HANDLE mutex)
{
    std::pair<DWORD, BOOL> seen;
    std::thread([&] {
        seen.first = WaitForSingleObject(mutex, 0);
        seen.second = ReleaseMutex(mutex);
    }).join();
    return seen;
}

} // namespace

TEST(NamedMutex, RecursiveOwnershipAndExistingNames)
{
    std::string name = UniqueName("recursive");
    SetLastError(0xdeadbeef);
    HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_TRUE(mutex != nullptr && GetLastError() == ERROR_SUCCESS);
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(mutex, INFINITE)); // second level

    // A second handle to the same name finds it existing; asking for initial ownership then gives none.
    HANDLE same = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_TRUE(same != nullptr && GetLastError() == ERROR_ALREADY_EXISTS);
    EXPECT_EQ(std::make_pair((DWORD)WAIT_TIMEOUT, FALSE), FromOtherThread(same));
    EXPECT_TRUE(ReleaseMutex(same)); // either handle releases the one mutex
    EXPECT_EQ((DWORD)WAIT_TIMEOUT, FromOtherThread(mutex).first) << "still held once";
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(!ReleaseMutex(mutex) && GetLastError() == ERROR_NOT_OWNER);
    EXPECT_EQ(std::make_pair((DWORD)WAIT_OBJECT_0, TRUE), FromOtherThread(same)) << "free now";
    EXPECT_TRUE(CloseHandle(same) && CloseHandle(mutex));

    SetLastError(0xdeadbeef);
    HANDLE fresh = CreateMutexA(nullptr, FALSE, name.c_str());
    EXPECT_EQ((DWORD)ERROR_SUCCESS, GetLastError()) << "with every handle closed the name is free again";
    EXPECT_TRUE(CloseHandle(fresh));
}

TEST(NamedMutex, TimedWaitsAndUnnamedMutexes)
{
    HANDLE unnamed = CreateMutexA(nullptr, TRUE, nullptr), other = CreateMutexA(nullptr, FALSE, nullptr);
    DWORD timedWait = 0, otherWait = 0;
    std::thread([&] {
        timedWait = WaitForSingleObject(unnamed, 20);
        otherWait = WaitForSingleObject(other, 20); // two unnamed mutexes are two mutexes
    }).join();
    EXPECT_TRUE(timedWait == WAIT_TIMEOUT && otherWait == WAIT_OBJECT_0 && ReleaseMutex(unnamed));
    EXPECT_EQ((DWORD)WAIT_ABANDONED, WaitForSingleObject(other, 0)) << "its waiter thread ended holding it";
    EXPECT_TRUE(ReleaseMutex(other));
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(other, 0)) << "an ordinary mutex again";
    EXPECT_TRUE(CloseHandle(unnamed) && CloseHandle(other));
    EXPECT_TRUE(WaitForSingleObject(unnamed, 0) == WAIT_FAILED && GetLastError() == ERROR_INVALID_HANDLE);
}

TEST(NamedMutex, AChildThatDiesHoldingItAbandonsIt)
{
    std::string name = UniqueName("child");
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(nullptr, mutex);
    for (int child = 0; child < 2; ++child) { // the second takes it normally, and abandons it again
        EXPECT_EQ(3, qor::test::RunChild("qor_mutex_holder", {name}));
        EXPECT_EQ((DWORD)WAIT_ABANDONED, WaitForSingleObject(mutex, INFINITE));
        EXPECT_TRUE(ReleaseMutex(mutex));
    }
    EXPECT_TRUE(CloseHandle(mutex));
}

#if !defined(_WIN32) // QorOpenHandleCount is a hook of the POSIX layer: it does not compile for Windows
TEST(NamedMutex, HandlesAreCounted)
{
    size_t before = QorOpenHandleCount();
    HANDLE first = CreateMutexA(nullptr, FALSE, UniqueName("count").c_str()), second = CreateMutexA(nullptr, FALSE, nullptr);
    EXPECT_EQ(before + 2, QorOpenHandleCount());
    CloseHandle(first);
    CloseHandle(second);
    EXPECT_EQ(before, QorOpenHandleCount());
}
#endif
