// mutex_test.cpp: named mutexes: recursive ownership, opening an existing one, release by a non-owner,
// time-outs, and the abandoned mutex of a child that died holding it.
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

} // namespace

TEST(NamedMutex, RecursiveOwnershipAndExistingNames)
{
    std::string name = UniqueName("recursive");
    SetLastError(0xdeadbeef);
    HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_NE(nullptr, mutex);
    EXPECT_EQ((DWORD)ERROR_SUCCESS, GetLastError());
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(mutex, INFINITE)); // second level
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(mutex, 0));        // third level

    // A second handle to the same name finds it existing; asking for initial ownership then gives none.
    SetLastError(0xdeadbeef);
    HANDLE same = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_NE(nullptr, same);
    EXPECT_EQ((DWORD)ERROR_ALREADY_EXISTS, GetLastError());

    DWORD otherWait = 0, otherRelease = 0, otherError = 0;
    auto tryFromOtherThread = [&] {
        std::thread other([&] {
            otherWait = WaitForSingleObject(same, 0);
            otherRelease = ReleaseMutex(same);
            otherError = GetLastError();
        });
        other.join();
    };
    tryFromOtherThread();
    EXPECT_EQ((DWORD)WAIT_TIMEOUT, otherWait);
    EXPECT_EQ(0u, otherRelease);
    EXPECT_EQ((DWORD)ERROR_NOT_OWNER, otherError);

    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(ReleaseMutex(same)); // either handle releases the one mutex
    tryFromOtherThread();
    EXPECT_EQ((DWORD)WAIT_TIMEOUT, otherWait); // still held once
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ((DWORD)ERROR_NOT_OWNER, GetLastError());

    // Free now: the other thread takes it and releases it.
    tryFromOtherThread();
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, otherWait);
    EXPECT_EQ(1u, otherRelease);
    EXPECT_TRUE(CloseHandle(same));
    EXPECT_TRUE(CloseHandle(mutex));

    // With every handle closed the name is free again.
    SetLastError(0xdeadbeef);
    HANDLE fresh = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(nullptr, fresh);
    EXPECT_EQ((DWORD)ERROR_SUCCESS, GetLastError());
    EXPECT_TRUE(CloseHandle(fresh));
}

TEST(NamedMutex, TimedWaitsAndUnnamedMutexes)
{
    HANDLE unnamed = CreateMutexA(nullptr, FALSE, nullptr);
    ASSERT_NE(nullptr, unnamed);
    HANDLE other = CreateMutexA(nullptr, FALSE, nullptr);
    ASSERT_NE(nullptr, other);
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(unnamed, 0));
    DWORD timedWait = 0, otherWait = 0;
    std::thread waiter([&] {
        timedWait = WaitForSingleObject(unnamed, 20);
        otherWait = WaitForSingleObject(other, 20); // two unnamed mutexes are two mutexes
        ReleaseMutex(other);
    });
    waiter.join();
    EXPECT_EQ((DWORD)WAIT_TIMEOUT, timedWait);
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, otherWait);
    EXPECT_TRUE(ReleaseMutex(unnamed));
    EXPECT_TRUE(CloseHandle(unnamed));
    EXPECT_TRUE(CloseHandle(other));
    EXPECT_EQ(WAIT_FAILED, WaitForSingleObject(unnamed, 0));
    EXPECT_EQ((DWORD)ERROR_INVALID_HANDLE, GetLastError());
}

TEST(NamedMutex, AThreadThatEndsHoldingItAbandonsIt)
{
    HANDLE mutex = CreateMutexA(nullptr, FALSE, UniqueName("thread").c_str());
    ASSERT_NE(nullptr, mutex);
    std::thread owner([&] { WaitForSingleObject(mutex, INFINITE); });
    owner.join();
    EXPECT_EQ((DWORD)WAIT_ABANDONED, WaitForSingleObject(mutex, 0));
    // The waiter owns it now, and it is an ordinary mutex again.
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(mutex, 0));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(CloseHandle(mutex));
}

TEST(NamedMutex, AChildThatDiesHoldingItAbandonsIt)
{
    std::string name = UniqueName("child");
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(nullptr, mutex);
    EXPECT_EQ(3, qor::test::RunChild("qor_mutex_holder", {name}));
    EXPECT_EQ((DWORD)WAIT_ABANDONED, WaitForSingleObject(mutex, INFINITE));
    EXPECT_TRUE(ReleaseMutex(mutex));
    // A second child takes it normally, and abandons it again.
    EXPECT_EQ(3, qor::test::RunChild("qor_mutex_holder", {name}));
    EXPECT_EQ((DWORD)WAIT_ABANDONED, WaitForSingleObject(mutex, 0));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(CloseHandle(mutex));
}

#if !defined(_WIN32)
// Handle counting is a hook of the POSIX layer only.
TEST(NamedMutex, HandlesAreCounted)
{
    size_t before = QorOpenHandleCount();
    HANDLE first = CreateMutexA(nullptr, FALSE, UniqueName("count").c_str());
    HANDLE second = CreateMutexA(nullptr, FALSE, nullptr);
    EXPECT_EQ(before + 2, QorOpenHandleCount());
    CloseHandle(first);
    CloseHandle(second);
    EXPECT_EQ(before, QorOpenHandleCount());
}
#endif
