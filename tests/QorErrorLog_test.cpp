// QorErrorLog_test.cpp: the error log: its registry place, shortening, tracing switch, extern function, open count.
#include "QorError.h"

#include "QorChildProcess.h"
#include "QorDBInfo.h"
#include "QorDebugCapture.h"
#include "QorFile2.h"
#include "QorRegistry.h"
#include "QorTestEnvironment.h"
#include "QorTestFiles.h"
#include "QorTestStrings.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#  include "QorPlatformHooks.h"
#endif

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <set>
#include <thread>

namespace fs = std::filesystem;
using qor::test::ReadBytes;
using qor::test::WriteBytes;

namespace {

const char kMachineKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tolmar Technology\\Z4";
const char kUserKey[] = "HKEY_CURRENT_USER\\Software\\Tolmar Technology\\Moonlane";

// `size` bytes whose byte i is i mod 251, so that any cut shows in the content.
std::string Pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = (char)(i % 251);
    return bytes;
}

class ErrorLog : public testing::Test {
protected:
    void SetUp() override
    {
        m_path = qor::test::PrivateFolderEnvironment::Folder() / "logs" / "errors.txt";
        fs::create_directories(m_path.parent_path());
        fs::remove(m_path);
        SetMachineValue("ErrorLog", m_path.string().c_str());
        SetMachineValue("ErrorLogTruncate", 1ul);
        ASSERT_TRUE(CQorError(CQorError::EnableTrace(true)).Succeeded());
        CloseErrorLog();
    }

    void TearDown() override
    {
        CloseErrorLog();
        CQorError::SetExternLogFunction(nullptr);
        CQorRegistry().RecurseDeleteKey(kMachineKey);
        CQorRegistry().RecurseDeleteKey(kUserKey);
    }

    template <class Value> static void SetMachineValue(const char *name, Value value)
    {
        CQorRegistry key;
        ASSERT_TRUE(CQorError(key.Create(kMachineKey)).Succeeded());
        ASSERT_TRUE(CQorError(key.SetValue(name, value)).Succeeded());
    }

    static void CloseErrorLog() { while (CQorError::TraceOpen()) CQorError::CloseTrace(); }
    std::string Log() const { return ReadBytes(m_path.string()); }
    // The log after closing it, and whether it holds `line`.
    bool Holds(const std::string &line)
    {
        CloseErrorLog();
        return Log().find(line) != std::string::npos;
    }

    fs::path m_path;
};

// Shortening at opening: over 3 MB the log keeps exactly its last 2 MB, byte for byte, unless the
// switch is 0; a line traced afterwards is appended.
TEST_F(ErrorLog, ShorteningAtOpening)
{
    // kept: bytes of the old log left at its start, as its tail
    struct { size_t size; unsigned long truncate; size_t kept; } rows[] = {
        {3145728, 1, 3145728}, {3145729, 1, 2097152}, {4194304, 0, 4194304}};
    for (const auto &row : rows) {
        SetMachineValue("ErrorLogTruncate", row.truncate);
        const std::string old = Pattern(row.size);
        WriteBytes(m_path.string(), old);
        EXPECT_EQ(CQorError::OpenErrorLog(), S_OK);
        CQorError((HRESULT)0x80004005).Trace("appended");
        CloseErrorLog();
        const std::string now = Log();
        EXPECT_TRUE(now.compare(0, row.kept, old, row.size - row.kept, row.kept) == 0) << row.size;
        EXPECT_EQ(now.find("\tappended\t"), row.kept + 28) << row.size; // after the stamp (20) and code (8)
    }
}

TEST_F(ErrorLog, ALogThatAnotherProcessHoldsIsNotCut)
{
    WriteBytes(m_path.string(), Pattern(3145729));
    const fs::path ready = m_path.parent_path() / "ready", release = m_path.parent_path() / "release";
    qor::test::ChildProcess holder("qor_file_holder",
                                   {m_path.string(), std::to_string(GENERIC_WRITE),
                                    std::to_string(FILE_SHARE_READ | FILE_SHARE_WRITE), ready.string(), release.string()});
    ASSERT_TRUE(qor::test::WaitForFile(ready.string(), holder));
    EXPECT_EQ(CQorError::OpenErrorLog(), S_OK) << "the log opens even when it cannot be shortened";
    CloseErrorLog();
    std::ofstream(release).put('1');
    EXPECT_TRUE(holder.Wait() == 0 && fs::file_size(m_path) == 3145729u);
}

// Four processes open the log, trace a line and close it, over and over: none of their openings may
// fail because another process is checking the log's size for shortening.
TEST_F(ErrorLog, ConcurrentOpenersLoseNoLine)
{
    constexpr int kProcesses = 4, kRounds = 200;
    std::vector<std::unique_ptr<qor::test::ChildProcess>> children;
    for (int i = 0; i < kProcesses; ++i)
        children.push_back(std::make_unique<qor::test::ChildProcess>(
            "qor_log_writer", std::vector<std::string>{"errorlog", "p" + std::to_string(i), std::to_string(kRounds)}));
    for (auto &child : children)
        EXPECT_EQ(child->Wait(), 0) << "an opening failed";
    std::set<std::string> lines;
    const std::string text = Log(); // the line texts, without the time stamps
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.insert(text.substr(text.find('\t', start), end - text.find('\t', start)));
    for (int i = 0; i < kProcesses; ++i)
        for (int round = 0; round < kRounds; ++round)
            EXPECT_EQ(lines.count("\tp" + std::to_string(i) + "\t" + std::to_string(round) + "\t \t "), 1u) << i << " " << round;
}

// A child killed at a random moment of its opening, which shortens the log: the log is then the old
// one or the shortened one (maybe with the child's line after it), never a half-copied one.
TEST_F(ErrorLog, AKillWhileShorteningLeavesTheOldOrTheShortenedLog)
{
    std::string old;
    for (int line = 0; old.size() < 3400000; ++line)
        old += "[01/02/03 04:05:06] 0\tline " + std::to_string(line) + "\t \t \t \r\n";
    const std::string tail = old.substr(old.size() - 2097152);
    const std::string childLine = "\tkilled\t0\t \t \r\n";
    std::mt19937 random(20261206);
    for (int round = 0; round < 20; ++round) {
        WriteBytes(m_path.string(), old);
        qor::test::ChildProcess child("qor_log_writer", {"errorlog", "killed", "1"});
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 60000));
        child.Kill();
        // After the cut tail only the child's own line may follow, and a kill while it is written may tear it.
        const std::string now = Log();
        const std::string rest = now.compare(0, tail.size(), tail) == 0 ? now.substr(tail.size()) : "-";
        const size_t tab = rest.find('\t');
        const bool cut = rest.empty() || (rest[0] == '[' && (tab == std::string::npos
                                                                  ? rest.size() < 32
                                                                  : childLine.compare(0, rest.size() - tab, rest, tab) == 0));
        EXPECT_TRUE(now == old || cut) << "round " << round << ": " << now.size() << " bytes";
    }
}

TEST_F(ErrorLog, TracingSwitchedOffAndOnPerUser)
{
    ASSERT_TRUE(CQorError(CQorError::EnableTrace(false)).Succeeded());
    EXPECT_TRUE(!CQorError::TraceEnabled() && CQorError::OpenErrorLog() == E_FAIL);
    CQorError((HRESULT)0x80004005).Trace("lost");
    EXPECT_FALSE(fs::exists(m_path)) << "nothing is written while tracing is off";

    EXPECT_TRUE(CQorError::OpenTrace(m_path.string().c_str())) << "an explicit open ignores the switch";
    CQorError((HRESULT)0x80004005).Trace("kept");
    EXPECT_TRUE(Holds("\tkept\t"));

    CQorRegistry user;
    ASSERT_TRUE(CQorError(user.Create(kUserKey)).Succeeded() && CQorError(user.SetValue("DisableTracing", 2ul)).Succeeded());
    EXPECT_TRUE(CQorError::TraceEnabled()) << "only exactly 1 turns tracing off";
    ASSERT_TRUE(CQorError(CQorError::EnableTrace(true)).Succeeded());
    unsigned long disabled = 7;
    EXPECT_TRUE(CQorError(user.GetValue("DisableTracing", disabled)).Succeeded() && disabled == 0ul);
    EXPECT_EQ(CQorError::OpenErrorLog(), S_OK);
}

std::string s_diverted; // the diverted lines, "code|t1|t2|t3|t4;" each

LONG Divert(HRESULT code, const char *t1, const char *t2, const char *t3, const char *t4)
{
    char head[16];
    snprintf(head, sizeof head, "%08X", (unsigned)code);
    s_diverted += head;
    for (const char *text : {t1, t2, t3, t4})
        s_diverted += std::string("|") + (text ? text : "null");
    s_diverted += ";";
    return 0;
}

TEST_F(ErrorLog, TheExternFunctionDivertsTextLinesOnly)
{
    s_diverted.clear();
    CQorError::SetExternLogFunction(&Divert);
    CQorError error((HRESULT)0xC4000066);
    error.Log("a", nullptr, "c");
    error.Trace("t");
    EXPECT_FALSE(fs::exists(m_path)) << "diverted lines never open the file";
    error.Log(QOR_TEST_IDS_GREETING); // string resources still go to the file
    EXPECT_TRUE(Holds("C4000066\t" QOR_TEST_IDS_GREETING_TEXT "\t \t \t \r\n")) << Log();
    EXPECT_EQ(s_diverted, "C4000066|a|null|c|null;C4000066|t|null|null|null;");
}

TEST_F(ErrorLog, TraceWithFileAndLine)
{
    CQorError error(E_FAIL);
    qor::test::DebugCapture capture;
    capture.Start();
    error.Trace("C:\\src\\a.cpp", 12, "x", nullptr, nullptr, nullptr);
    error.Trace("src/b.cpp", 7, nullptr, "y", nullptr, nullptr);
    capture.Stop();
    EXPECT_EQ(capture.Text(), "[12] a.cpp - x   \n[7] b.cpp -  y  \n");
    EXPECT_TRUE(Holds("] 80004005\t[12] a.cpp - x   \t \t \t \r\n") && Holds("] 80004005\t[7] b.cpp -  y  \t \t \t \r\n")) << Log();
}

TEST_F(ErrorLog, StaysValidWhileOtherThreadsWrite)
{
    SetMachineValue("ErrorLogTruncate", 0ul); // every line that reaches the file must stay whole
    std::atomic<int> writing{3};
    std::vector<std::thread> writers;
    for (int i = 0; i < 3; ++i)
        writers.emplace_back([&writing] {
            for (int line = 0; line < 300; ++line)
                CQorError((HRESULT)0x80004005).Trace("busy", "writer");
            --writing;
        });
    // Closing and reopening under the writers' feet: lines may be lost, memory never misused.
    for (int round = 0; round < 1000 && writing > 0; ++round) {
        CloseErrorLog();
        CQorError::OpenErrorLog();
    }
    for (std::thread &writer : writers)
        writer.join();
    CloseErrorLog();
    const std::string text = Log();
    ASSERT_FALSE(text.empty());
    for (size_t start = 0, end; start < text.size(); start = end + 2) {
        ASSERT_NE(end = text.find("\r\n", start), std::string::npos) << "a torn last line";
        const std::string line = text.substr(start, end - start); // past the 20-character time stamp
        EXPECT_EQ(line.size() > 20 ? line[0] + line.substr(20) : line, "[80004005\tbusy\twriter\t \t ") << start;
    }
}

#if !defined(_WIN32)
// The user's answer comes from the message-box handler, which only POSIX has; under Wine a real box
// would wait for a user. Only POSIX can make the system cut a write short without an error.
struct AssertBox { std::string seen; int answer = IDOK; };

int AnswerAssert(HWND, const char *text, const char *caption, UINT type, void *context)
{
    AssertBox &box = *static_cast<AssertBox *>(context);
    box.seen = std::string(text) + "|" + caption + "|" + std::to_string(type);
    return box.answer;
}

volatile sig_atomic_t s_breaks = 0;

TEST_F(ErrorLog, AssertTracesAsksAndBreaksOnCancel)
{
    AssertBox box;
    QorSetMessageBoxHandler(&AnswerAssert, &box);
    CQorError error(E_UNEXPECTED);
    error.Assert("src\\x.cpp", 33, "a > b");
    EXPECT_EQ(box.seen, "src\\x.cpp: [33] a > b|Assert|49") << "OK/Cancel (1) with the exclamation icon (0x30)";

    struct sigaction trap = {}, previous = {};
    trap.sa_handler = [](int) { s_breaks = s_breaks + 1; };
    sigaction(SIGTRAP, &trap, &previous);
    box.answer = IDCANCEL;
    error.Assert("y.cpp", 4, "ready");
    sigaction(SIGTRAP, &previous, nullptr);
    QorSetMessageBoxHandler(nullptr, nullptr);
    EXPECT_EQ(s_breaks, 1) << "Cancel breaks into the debugger";
    EXPECT_TRUE(Holds("] 8000FFFF\t[33] x.cpp - src\\x.cpp: [33] a > b   \t \t \t \r\n")) << Log();
}

TEST_F(ErrorLog, AShortFileWriteIsTracedFromQorFile2)
{
    CQorFile file;
    ASSERT_EQ(file.Create((m_path.parent_path() / "data.bin").string().c_str()), S_OK);
    QorInjectFault("WriteFile", 1, ERROR_SUCCESS);
    DWORD written = 99;
    EXPECT_TRUE(file.Write("0123456789", 10, &written) == E_UNEXPECTED && written == 5u);
    file.Close(false);
    EXPECT_TRUE(Holds("] 0\t[426] QorFile2 -    \t \t \t \r\n")) << Log();
}
#endif

TEST_F(ErrorLog, OpensOnceAndCountsOpens)
{
    EXPECT_EQ((std::vector<HRESULT>{S_OK, S_FALSE}), (std::vector<HRESULT>{CQorError::OpenErrorLog(), CQorError::OpenErrorLog()}));
    EXPECT_TRUE(CQorError::m_lTraceCount == 1 && CQorError::TraceOpen());
    EXPECT_FALSE(CQorError::LogOpen()) << "the second log is never set";
    EXPECT_TRUE(CQorError::OpenTrace("ignored: the log is open") && CQorError::m_lTraceCount == 2);
    CQorError::CloseTrace();
    EXPECT_TRUE(CQorError::TraceOpen());
    CQorError::CloseTrace();
    CQorError::CloseTrace(); // a close that finds the log closed does nothing
    EXPECT_TRUE(CQorError::m_lTraceCount == 0 && !CQorError::TraceOpen());
}

TEST_F(ErrorLog, WithoutARegisteredPathTheLogLivesInTheDatabaseFolder)
{
    CQorRegistry key;
    ASSERT_TRUE(CQorError(key.Open(kMachineKey)).Succeeded() && CQorError(key.DeleteValue("ErrorLog")).Succeeded());
    EXPECT_EQ(fs::path(CQorError::ErrorLogPath().GetString()), fs::path(CQorDBInfo::GetDBPath()) / "Z4ErrorLog.txt");
}

} // namespace
