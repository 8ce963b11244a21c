// QorStackDump_test.cpp: stack dumps of the calling thread in both forms: the caller's frame first,
// the test's own function and source line named (POSIX, where the test is built with debug
// information), the verbose blocks, and the failures when the engine or the thread cannot be had.
#include "QorChildProcess.h"
#include "QorKnownDifference.h"
#include "QorPlatformHooks.h"
#include "QorStackDump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>

namespace {

// Not inlined, so that it is the caller the dump names first.
__attribute__((noinline)) std::string Dump(bool verbose)
{
    CQorString output("old text");
    EXPECT_EQ(QorDumpStack(output, nullptr, verbose), S_OK);
    return output.GetString();
}

TEST(QorStackDump, ShortFormNamesTheCallerFirst)
{
    const std::string text = Dump(false);
    ASSERT_EQ(text.rfind("\n   ---Symbol---\n", 0), 0u) << "nothing before the heading:\n" << text;
    EXPECT_EQ(text.find("symbols path"), std::string::npos);
    EXPECT_EQ(text.find("Symbols loaded"), std::string::npos);
    // The heading, then each frame on a line of its own after a line break.
    const std::string first = text.substr(18, text.find('\n', 18) - 18);
    EXPECT_EQ(first.rfind("   ", 0), 0u) << first;
    EXPECT_EQ(first.find("QorDumpStack"), std::string::npos) << "the dump's own frame is skipped:\n" << text;
    if (!::qor::test::OnPosixLayer())
        return; // symbol names need debug information that the Windows build does not carry
    EXPECT_EQ(first.rfind("   (anonymous namespace)::Dump +", 0), 0u) << "frame 1 is the caller:\n" << text;
    EXPECT_NE(text.find("QorStackDump_ShortFormNamesTheCallerFirst_Test::TestBody"), std::string::npos) << text;
    EXPECT_NE(text.find("QorStackDump_test.cpp("), std::string::npos) << "source lines:\n" << text;
    EXPECT_NE(first.find(" - qorutil_tests["), std::string::npos) << "the module:\n" << text;
}

TEST(QorStackDump, VerboseFormHasPathModulesAndBlocks)
{
    const std::string text = Dump(true);
    ASSERT_EQ(text.rfind("symbols path: ", 0), 0u) << text;
    EXPECT_NE(text.find("Symbols loaded: \""), std::string::npos) << text;
    EXPECT_NE(text.find("\n--# FV EIP----- RetAddr- FramePtr StackPtr Symbol\n\n  1 "), std::string::npos) << text;
    EXPECT_NE(text.find("    Mod:  "), std::string::npos) << text;
    EXPECT_NE(text.find("    Sym:  type: "), std::string::npos) << text;
    if (!::qor::test::OnPosixLayer())
        return;
    EXPECT_NE(text.find("    Sig:  _ZN"), std::string::npos) << "the raw name is the mangled one:\n" << text;
    EXPECT_NE(text.find("    Decl: (anonymous namespace)::Dump(bool)"), std::string::npos) << text;
    EXPECT_NE(text.find("    Line: "), std::string::npos) << text;
    EXPECT_EQ(text.find("StackWalk(): gle"), std::string::npos) << "the walk ends without an error:\n" << text;
}

TEST(QorStackDump, FailuresLeaveTheOutputAlone)
{
    EXPECT_EQ(::qor::test::RunChild("qor_stack_dumper", {}), 0);
    QOR_POSIX_ONLY("only the POSIX layer can make the engine's loading fail on purpose");
    EXPECT_EQ(::qor::test::RunChild("qor_stack_dumper", {"LoadLibraryA"}), 1);
    EXPECT_EQ(::qor::test::RunChild("qor_stack_dumper", {"GetProcAddress"}), 2);

    // Another thread's stack cannot be read from inside the process.
    CQorString output("old text");
    int other = 0;
    EXPECT_EQ(QorDumpStack(output, &other, false), HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED));
    EXPECT_STREQ(output, "old text");
}

#if defined(_WIN32)

// The lines "BASEh   SIZE NAME PATH" of the verbose module list.
std::set<std::string> ModuleLines(const std::string &text)
{
    static const std::regex line("\n[0-9A-F]{8,16}h +[0-9]+ [^\n]+");
    return {std::sregex_token_iterator(text.begin(), text.end(), line), std::sregex_token_iterator()};
}

TEST(QorStackDump, ModulesComeFromProcessStatusWithoutToolHelp)
{
    const std::set<std::string> fromToolHelp = ModuleLines(Dump(true));
    QorStackDumpHideToolHelp(TRUE);
    const std::set<std::string> fromProcessStatus = ModuleLines(Dump(true));
    QorStackDumpHideToolHelp(FALSE);
    EXPECT_GT(fromToolHelp.size(), 2u);
    EXPECT_TRUE(std::includes(fromProcessStatus.begin(), fromProcessStatus.end(), fromToolHelp.begin(), fromToolHelp.end()));
}

HANDLE g_started, g_release;

// Holds its thread inside a function of the test until released (not as a tail call: its frame stays).
__attribute__((noinline)) DWORD WINAPI WaitInsideTheTest(void *)
{
    SetEvent(g_started);
    WaitForSingleObject(g_release, INFINITE);
    return 0;
}

// Whether a frame's program counter lies just past the start of `function` (a return address into it).
bool HasFrameIn(const std::string &verbose, DWORD(WINAPI *function)(void *))
{
    static const std::regex frame("\n *[0-9]+ [.F][.V] ([0-9a-f]+) ");
    for (std::sregex_iterator it(verbose.begin(), verbose.end(), frame), end; it != end; ++it)
        if (std::stoull((*it)[1], nullptr, 16) - reinterpret_cast<uintptr_t>(function) < 256)
            return true;
    return false;
}

TEST(QorStackDump, AnotherThreadIsDumpedWhereItWaitsAndRunsOn)
{
    g_started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, WaitInsideTheTest, nullptr, 0, nullptr);
    WaitForSingleObject(g_started, INFINITE);
    CQorString output;
    const HRESULT result = QorDumpStack(output, thread, true);
    SetEvent(g_release);
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0) << "the thread was resumed";
    for (HANDLE handle : {thread, g_started, g_release})
        CloseHandle(handle);
    CQorString untouched("old text");
    EXPECT_EQ(QorDumpStack(untouched, thread, false), HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE)) << "a closed handle";
    EXPECT_STREQ(untouched, "old text");
    ASSERT_EQ(result, S_OK);
    EXPECT_TRUE(HasFrameIn(output.GetString(), WaitInsideTheTest)) << output.GetString();
    // Wine's image help reads the DWARF information this file carries; Windows' reads PDB files only.
    if (::qor::test::UnderWine())
        EXPECT_NE(std::string(output.GetString()).find(" WaitInsideTheTest +"), std::string::npos) << output.GetString();
}

#endif

} // namespace
