// QorCriticalRegion_test.cpp: the recursive per-thread lock: counting, ownership, and blocking.
#include "QorCriticalRegion.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

TEST(QorCriticalRegion, NestsOnOneThreadAndOnlyTheOwnerLeaves)
{
    CQorCriticalRegion region;
    EXPECT_EQ(region.ExceptionCause(), 0);
    for (long depth = 1; depth <= 3; ++depth)
        EXPECT_TRUE(region.Enter() == 0u && region.RecurseCount() == depth) << depth;
    bool leftByOther = true;
    std::thread([&] { leftByOther = region.Leave(); }).join();
    EXPECT_FALSE(leftByOther);
    for (long depth = 2; depth >= 0; --depth)
        EXPECT_TRUE(region.Leave() && region.RecurseCount() == depth) << depth;
    EXPECT_TRUE(!region.Leave() && region.RecurseCount() == 0) << "a fourth Leave has nothing to give up";

    long counter = 0; // changed only inside the region
    std::thread workers[4];
    for (std::thread &worker : workers)
        worker = std::thread([&] {
            for (int i = 0; i < 20000; ++i) {
                region.Enter(), region.Enter();
                ++counter;
                region.Leave(), region.Leave();
            }
        });
    for (std::thread &worker : workers)
        worker.join();
    EXPECT_EQ(counter, 80000);
}

TEST(QorCriticalRegion, OtherThreadWaitsUntilTheOwnerLeavesCompletely)
{
    CQorCriticalRegion region;
    std::atomic<int> stage{0};
    region.Enter();
    region.Enter();
    std::thread other([&] {
        stage = 1;
        region.Enter(0); // a time-out of 0 does not make Enter give up
        stage = 2;
        EXPECT_EQ(region.RecurseCount(), 1);
        region.Leave();
    });
    while (stage.load() == 0)
        std::this_thread::yield();
    region.Leave(); // one level still held
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(stage.load(), 1) << "the other thread got in while the owner still held a level";
    region.Leave();
    other.join();
    EXPECT_TRUE(stage.load() == 2 && region.RecurseCount() == 0);
}

} // namespace
