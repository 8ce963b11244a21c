// QorSpyHelper_test.cpp: the spy helper without a viewer, with one that takes the texts (qor-spy) and
// with one that refuses them: Spy's answer, and no atom left behind in any case. One test, because the
// viewer's window is one per session.
#include "QorChildProcess.h"
#include "QorSpyHelper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

const char kText[] = "QorSpyHelper test text";

// Waits (half a minute at most: a Windows program starts slowly under Wine on a busy machine) until
// the viewer's window exists; a viewer without one is ended, so that the test does not wait for it.
bool ViewerWindowAppears(::qor::test::ChildProcess &viewer)
{
    for (int i = 0; i < 600 && viewer.Running(); ++i) {
        if (CQorSpyHelper::GetSpyWindow() != nullptr)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    viewer.Kill();
    return false;
}

TEST(QorSpyHelper, RoundTripsWithAndWithoutAViewer)
{
    EXPECT_STREQ(CQorSpyHelper::GetSpyWindowName(), "Tolmar Spy Utility");
    EXPECT_EQ(CQorSpyHelper::m_szSpyWindowName, CQorSpyHelper::GetSpyWindowName());
    const UINT message = CQorSpyHelper::InitSpy();
    EXPECT_GE(message, 0xC000u);
    EXPECT_EQ(message, RegisterWindowMessageA("TOLMAR SPY UTILITY")) << "registered names ignore case";

    ASSERT_EQ(CQorSpyHelper::GetSpyWindow(), nullptr) << "a spy viewer is already running";
    EXPECT_FALSE(CQorSpyHelper::Spy(kText));
    EXPECT_FALSE(CQorSpyHelper::Spy(nullptr));
    EXPECT_EQ(GlobalFindAtomA(kText), 0) << "no viewer: the atom table is not touched";

    {
        ::qor::test::ChildProcess viewer("qor-spy", {"--count", "1"});
        ASSERT_TRUE(ViewerWindowAppears(viewer));
        EXPECT_FALSE(CQorSpyHelper::Spy(std::string(256, 'x').c_str())) << "longer than an atom holds";
        EXPECT_TRUE(CQorSpyHelper::Spy(kText));
        EXPECT_EQ(viewer.Wait(), 0);
    }
    EXPECT_EQ(GlobalFindAtomA(kText), 0) << "the viewer deleted the atom it took";

    {
        ::qor::test::ChildProcess viewer("qor-spy", {"--count", "1", "--refuse"});
        ASSERT_TRUE(ViewerWindowAppears(viewer));
        EXPECT_FALSE(CQorSpyHelper::Spy(kText));
        EXPECT_EQ(viewer.Wait(), 0);
    }
    EXPECT_EQ(GlobalFindAtomA(kText), 0) << "a refused text leaves no atom behind";
}

} // namespace
