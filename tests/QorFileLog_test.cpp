// QorFileLog_test.cpp: CQorFileLog's line layout byte for byte, appending to an existing file, the
// open results, names too long for the mutex, and many processes logging into one file at once,
// also after one of them died holding the log's mutex.
#include "QorChildProcess.h"
#include "QorFileLog.h"
#include "QorTestFiles.h"
#include "QorTestStrings.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <memory>
#include <string>
#include <vector>

using qor::test::PathOf;
using qor::test::ReadBytes;

namespace {

std::vector<std::string> SplitLines(const std::string &bytes)
{
    std::vector<std::string> lines;
    size_t start = 0, end;
    while ((end = bytes.find("\r\n", start)) != std::string::npos) {
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_EQ(bytes.size(), start) << "a line without its CR LF";
    return lines;
}

// The stamp: "[mm/dd/yy hh:mm:ss] ".
const std::regex kStamp(R"(\[\d\d/\d\d/\d\d \d\d:\d\d:\d\d\] )");

std::string WithoutStamp(const std::string &line)
{
    std::smatch match;
    EXPECT_TRUE(std::regex_search(line, match, kStamp, std::regex_constants::match_continuous)) << line;
    return match.empty() ? line : line.substr(match.length());
}

} // namespace

TEST(QorFileLog, LineLayoutByteForByte)
{
    std::string path = PathOf("layout.log");
    qor::test::WriteBytes(path, "kept\r\n");
    {
        CQorFileLog log;
        EXPECT_EQ(S_OK, log.Open(path.c_str()));
        EXPECT_TRUE(log.IsOpen());
        EXPECT_EQ(QOR_I_LOG_ALREADY_OPEN, log.Open(path.c_str()));
        log.Log(0, "a", nullptr, "b", nullptr);
        log.Log(E_FAIL, "", "x y", "\xC3\xA9", "z");
        log.Log(0x7F, 0u, 0u, 0u, 0u);
        log.Log(0x100, QOR_TEST_IDS_GREETING, 0u, 0u, 0u);
        log.Flush();
        DWORD high = 77;
        EXPECT_EQ((DWORD)ReadBytes(path).size(), log.GetFileSize(&high));
        EXPECT_EQ(0u, high);
    }
    std::vector<std::string> lines = SplitLines(ReadBytes(path));
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ("kept", lines[0]); // appended to, never overwritten
    EXPECT_EQ("0\ta\t \tb\t ", WithoutStamp(lines[1]));
    EXPECT_EQ("80004005\t\tx y\t\xC3\xA9\tz", WithoutStamp(lines[2]));
    EXPECT_EQ("7F\t \t \t \t ", WithoutStamp(lines[3]));
    EXPECT_EQ(std::string("100\t") + QOR_TEST_IDS_GREETING_TEXT + "\t \t \t ", WithoutStamp(lines[4]));
}

TEST(QorFileLog, OpenResults)
{
    CQorFileLog unnamed;
    EXPECT_EQ(QOR_W_LOG_NO_FILE_NAME, unnamed.Open(nullptr));
    EXPECT_FALSE(unnamed.IsOpen());

    CQorFileLog missingFolder;
    EXPECT_EQ((HRESULT)0xC0070003, missingFolder.Open(PathOf("no-such-folder/x.log").c_str()));
    EXPECT_FALSE(missingFolder.IsOpen());

    // 512 characters do not fit the mutex name's buffer: refused before anything is opened.
    std::string tooLong = PathOf(std::string(512, 'n'));
    tooLong = tooLong.substr(tooLong.size() - 512);
    CQorFileLog refused;
    EXPECT_EQ(QOR_E_LOG_NAME_TOO_LONG, refused.Open(tooLong.c_str()));
    EXPECT_FALSE(refused.IsOpen());

    // Two logs on one path in one process share the mutex and both append whole lines.
    std::string path = PathOf("two.log");
    CQorFileLog first, second;
    EXPECT_EQ(S_OK, first.Open(path.c_str()));
    EXPECT_EQ(S_OK, second.Open(path.c_str()));
    for (int i = 0; i < 50; ++i) {
        first.Log(1, "first", nullptr, nullptr, nullptr);
        second.Log(2, "second", nullptr, nullptr, nullptr);
    }
    EXPECT_EQ(100u, SplitLines(ReadBytes(path)).size());
}

TEST(QorFileLog, ManyProcessesWriteWholeLines)
{
    std::string path = PathOf("shared.log");
    const int children = 8, perChild = 2000;
    {
        std::vector<std::unique_ptr<qor::test::ChildProcess>> running;
        for (int id = 0; id < children; ++id)
            running.push_back(std::make_unique<qor::test::ChildProcess>(
                "qor_log_writer", std::vector<std::string>{"write", path, "child" + std::to_string(id),
                                                           std::to_string(perChild)}));
        for (auto &child : running)
            EXPECT_EQ(0, child->Wait());
    }
    std::vector<std::string> lines = SplitLines(ReadBytes(path));
    ASSERT_EQ((size_t)(children * perChild), lines.size());
    std::set<std::string> distinct;
    const std::regex whole(R"([0-9A-F]+\tchild[0-7]\t\d+\tpayload\t )");
    for (const std::string &line : lines) {
        std::string rest = WithoutStamp(line);
        ASSERT_TRUE(std::regex_match(rest, whole)) << rest;
        distinct.insert(rest);
    }
    EXPECT_EQ(lines.size(), distinct.size());
}

TEST(QorFileLog, AChildDyingWithTheMutexLeavesTheOthersLogging)
{
    std::string path = PathOf("abandoned.log");
    CQorFileLog log;
    ASSERT_EQ(S_OK, log.Open(path.c_str()));
    EXPECT_EQ(3, qor::test::RunChild("qor_log_writer", {"die", path}));
    // The first line after the death meets the abandoned mutex and is dropped; the next ones go in.
    log.Log(1, "dropped", nullptr, nullptr, nullptr);
    log.Log(2, "kept", nullptr, nullptr, nullptr);
    EXPECT_EQ(0, qor::test::RunChild("qor_log_writer", {"write", path, "child", "10"}));
    std::vector<std::string> lines = SplitLines(ReadBytes(path));
    ASSERT_EQ(11u, lines.size());
    EXPECT_EQ("2\tkept\t \t \t ", WithoutStamp(lines[0]));
}
