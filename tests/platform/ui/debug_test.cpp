// debug_test.cpp: debugger output reaches the debugger unchanged (captured on both platforms); on
// POSIX also the sink API, its default, and DebugBreak's SIGTRAP.
#include "QorDebugCapture.h"
#include "QorPlatform.h"

#include <gtest/gtest.h>

#include <string>

#if !defined(_WIN32)
#  include "QorTestEnvironment.h"

#  include <csignal>
#  include <vector>
#endif

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

#if !defined(_WIN32)
// The sink and its default exist on POSIX only; on Windows the text goes to the system's debugger.
namespace {

void CollectingSink(const char *text, void *context) { static_cast<std::vector<std::string> *>(context)->push_back(text); }
void OtherSink(const char *, void *) {}

} // namespace

TEST(DebugOutputSink, ReplacesAndRestoresTheSink)
{
    std::vector<std::string> texts;
    EXPECT_EQ(nullptr, QorSetDebugOutputSink(CollectingSink, &texts)) << "the default was in place";
    OutputDebugStringA("one");
    OutputDebugStringA(nullptr); // nothing to write
    OutputDebugStringA("two");
    EXPECT_EQ(CollectingSink, QorSetDebugOutputSink(OtherSink, nullptr));
    OutputDebugStringA("three");
    EXPECT_EQ(OtherSink, QorSetDebugOutputSink(nullptr, nullptr));
    EXPECT_EQ((std::vector<std::string>{"one", "two"}), texts);
}

TEST(DebugOutputSink, DefaultWritesToStderrOnlyWhenAskedTo)
{
    qor::test::SetEnvironmentVariable("QOR_DEBUG_OUTPUT", nullptr);
    testing::internal::CaptureStderr();
    OutputDebugStringA("silent");
    EXPECT_EQ("", testing::internal::GetCapturedStderr());

    qor::test::SetEnvironmentVariable("QOR_DEBUG_OUTPUT", "1");
    testing::internal::CaptureStderr();
    OutputDebugStringA("visible\n");
    EXPECT_EQ("visible\n", testing::internal::GetCapturedStderr());
    qor::test::SetEnvironmentVariable("QOR_DEBUG_OUTPUT", nullptr);
}

// DebugBreak stops a process under Wine without a debugger, so it is checked on POSIX only, where a
// SIGTRAP handler can catch it.
namespace {

volatile sig_atomic_t s_traps = 0;
void OnTrap(int) { s_traps = s_traps + 1; }

} // namespace

TEST(DebugBreak, RaisesSigtrap)
{
    struct sigaction action = {}, previous = {};
    action.sa_handler = OnTrap;
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(0, sigaction(SIGTRAP, &action, &previous));
    s_traps = 0;
    DebugBreak();
    EXPECT_EQ(1, s_traps);
    sigaction(SIGTRAP, &previous, nullptr);
}
#endif
