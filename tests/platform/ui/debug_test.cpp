// debug_test.cpp: debugger output reaches the debugger unchanged (captured on both platforms); on
// POSIX also the sink API, its default, and DebugBreak's SIGTRAP.
#include "QorDebugCapture.h"
#include "QorPlatform.h"
#include "QorTestEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

TEST(DebugOutput, ReachesTheDebuggerExactlyAsWritten)
{
    qor::test::DebugCapture capture;
    capture.Start();
    OutputDebugStringA("first line\n");
    OutputDebugStringA("second, without a line end");
    OutputDebugStringA("");
    capture.Stop();
    OutputDebugStringA("after the capture");
    EXPECT_EQ("first line\nsecond, without a line end", capture.Text());
}

#if !defined(_WIN32) // the sink API is the POSIX layer's own, and SIGTRAP stops a Wine process without a
                     // debugger: neither compiles or runs for Windows
namespace {

void CollectingSink(const char *text, void *context) { *static_cast<std::string *>(context) += text; }

volatile sig_atomic_t s_traps = 0;
void OnTrap(int) { s_traps = s_traps + 1; }

} // namespace

TEST(DebugOutputSink, ReplacesRestoresAndDefaultsToStderrWhenAsked)
{
    std::string texts;
    EXPECT_EQ(nullptr, QorSetDebugOutputSink(CollectingSink, &texts)) << "the default was in place";
    OutputDebugStringA("one ");
    OutputDebugStringA(nullptr); // nothing to write
    OutputDebugStringA("two");
    EXPECT_EQ(CollectingSink, QorSetDebugOutputSink(nullptr, nullptr));
    EXPECT_EQ("one two", texts);

    for (const char *setting : {static_cast<const char *>(nullptr), "1"}) {
        qor::test::SetEnvironmentVariable("QOR_DEBUG_OUTPUT", setting);
        testing::internal::CaptureStderr();
        OutputDebugStringA("visible\n");
        EXPECT_EQ(setting ? "visible\n" : "", testing::internal::GetCapturedStderr());
    }
    qor::test::SetEnvironmentVariable("QOR_DEBUG_OUTPUT", nullptr);
}

TEST(DebugBreak, RaisesSigtrap)
{
    struct sigaction action = {}, previous = {};
    action.sa_handler = OnTrap;
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(0, sigaction(SIGTRAP, &action, &previous));
    DebugBreak();
    EXPECT_EQ(1, s_traps);
    sigaction(SIGTRAP, &previous, nullptr);
}
#endif
