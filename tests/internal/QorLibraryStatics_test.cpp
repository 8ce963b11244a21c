// QorLibraryStatics_test.cpp: the library's load order and its exit list.
#include "QorExitList.h"
#include "QorLibraryStatics.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string s_ran;

void Record(void *name) { s_ran += static_cast<const char *>(name); }

TEST(QorExitList, RunsLastAddedFirstOnlyOnceAndRefusesEntriesBeyondItsCapacity)
{
    qor::CQorExitList list;
    s_ran.clear();
    EXPECT_TRUE(list.Add(Record, (void *)"a"));
    for (LONG i = 1; i < qor::CQorExitList::Capacity; ++i)
        ASSERT_TRUE(list.Add(Record, (void *)"b")) << "entry " << i;
    EXPECT_TRUE(!list.Add(Record, (void *)"!") && list.Count() == qor::CQorExitList::Capacity);
    list.RunAll();
    list.RunAll(); // a second run finds the list empty
    EXPECT_EQ(s_ran, std::string(qor::CQorExitList::Capacity - 1, 'b') + "a");
}

TEST(QorLibraryStatics, ErrorLogRegionIsBuiltAtLoadAndQueuedForUnload)
{
    // Built before main: free, and usable at once.
    CQorCriticalRegion &region = qor::ErrorLogRegion();
    EXPECT_EQ(region.RecurseCount(), 0);
    region.Enter();
    EXPECT_TRUE(region.RecurseCount() == 1 && region.Leave());
    // Its destruction waits on the library's exit list, where later entries (the error log's
    // closing) run before it.
    EXPECT_GE(qor::LibraryExitList().Count(), 1);
}

} // namespace
