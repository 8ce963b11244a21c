// profile_test.cpp: INI files as Windows reads and writes them: names, blanks, quotes, defaults, name lists and
// their truncation, odd files, UTF-16 files, writes that touch only their own line, several writers at once.
#include "QorPlatform.h"

#include "QorKnownDifference.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using qor::test::ReadBytes;
using qor::test::WriteBytes;

namespace {

class Profile : public testing::Test {
protected:
    void SetUp() override
    {
        m_path = qor::test::PathOf(std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + ".ini");
    }
    // The value, or for a null key the zero-separated list, as GetPrivateProfileStringA answers it.
    std::string Get(const char *section, const char *key, const char *fallback = "<default>") const
    {
        char buffer[256];
        DWORD length = GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, m_path.c_str());
        return std::string(buffer, length);
    }
    bool Write(const char *section, const char *key, const char *value) const
    {
        return WritePrivateProfileStringA(section, key, value, m_path.c_str()) != FALSE;
    }
    std::string m_path;
};

const char *const kSample = "; a comment before any section\r\n"
                            "[Main]\r\n"
                            "  Name  =  Value with spaces  \r\n"
                            "Quoted=\"  padded  \"\r\n"
                            "Single='x'\r\n"
                            "Mixed=\"abc'\r\n"
                            "Empty=\r\n"
                            "Number=55zz\r\n"
                            "Hex=0x1F\r\n"
                            "\r\n"
                            "[ Other ]\r\n"
                            "key=1\r\n";

TEST_F(Profile, ReadsWithTheWindowsRules)
{
    WriteBytes(m_path, kSample);
    EXPECT_EQ("Value with spaces", Get("MAIN", "name")) << "names ignore case, blanks are trimmed";
    EXPECT_EQ("  padded  ", Get("Main", "Quoted")) << "surrounding quotes go, what they hold stays";
    EXPECT_EQ("x", Get("Main", "Single"));
    EXPECT_EQ("\"abc'", Get("Main", "Mixed")) << "quotes that do not match stay";
    EXPECT_EQ("", Get("Main", "Empty")) << "an empty value is not the default";
    EXPECT_EQ("1", Get("other", "KEY")) << "a section name is trimmed";
    EXPECT_EQ("<default>", Get("Missing", "Name"));
    EXPECT_EQ("def", Get("Main", "Missing", "def  ")) << "the default loses its trailing blanks";
    EXPECT_EQ("", Get("Main", "Missing", nullptr));
    char small[6];
    EXPECT_TRUE(GetPrivateProfileStringA("Main", "Name", "", small, sizeof small, m_path.c_str()) == 5u &&
                std::string(small) == "Value") << "cut to the buffer, with its terminator";
    const std::string present = m_path;
    m_path += ".absent";
    EXPECT_EQ("abc", Get("Main", "Name", "abc")) << "a missing file reads as empty";
    m_path = present;

    // a leading number, 0x, the default, none
    struct { const char *key; UINT expected; } numbers[] = {{"Number", 55}, {"Hex", 31}, {"Missing", 7}, {"Single", 0}};
    for (const auto &row : numbers)
        EXPECT_EQ(row.expected, GetPrivateProfileIntA("Main", row.key, 7, m_path.c_str())) << row.key;
}

// Odd files, read as Wine reads them. Names and values end at a zero byte; a line without '=' (and a
// '[' line without ']') is a key without a value, which reads as missing.
TEST_F(Profile, OddFilesReadAsWindowsReadsThem)
{
    using S = std::string;
    // A null key asks for the list of keys. CR alone ends a line, as do mixed ends; "[S" opens no section, so k
    // stays in T; a value ends at a zero byte, a zero at a line's start makes the key "", and a ']' after a zero
    // still closes the name; only ';' starts a comment; the first of two sections counts.
    struct Row { S bytes; const char *section, *key; S expected; } rows[] = {
        {"[S]\rk=1\rj=2\r[T]\rm=3\r", "T", "m", "3"}, {"[S]\rk=1\rj=2\r[T]\rm=3\r", "S", nullptr, S("k\0j\0", 4)},
        {"[S]\r\nk=1\nj=2\rm=3\r\n[T]\n\rn=4\n", "S", "m", "3"}, {"[S]\r\nk=1\nj=2\rm=3\r\n[T]\n\rn=4\n", "T", "n", "4"},
        {"[S\nk=1\n[T]\nj=2\n", "S", "k", "<default>"}, {"[T]\nj=2\n[S x\nk=1\n", "T", "k", "1"},
        {"[T]\nj=2\n[S x\nk=1\n", "T", nullptr, S("j\0k\0", 4)},
        {S("[S]\nk=a\0b\nj=2\n", 14), "S", "k", "a"}, {S("[S]\nk=a\0b\nj=2\n", 14), "S", "j", "2"},
        {S("[S]\n\0k=1\nj=2\n", 13), "S", "k", "<default>"}, {S("[S]\n\0k=1\nj=2\n", 13), "S", "", "1"},
        {S("[S\0]\nk=1\n", 9), "S", "k", "1"}, {"[S]\nk\nj=2\n", "S", "k", "<default>"}, {"[S]\nk\nj=2\n", "S", nullptr, S("j\0", 2)},
        {"[S]\n#j=2\n", "S", "#j", "2"}, {"  [ S ]  \nk=1\n", "S", "k", "1"}, {"[S]\nk=1\n[S]\nj=2\n", "S", "j", "<default>"},
        {"\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k", "1"},
    };
    for (const Row &row : rows) {
        WriteBytes(m_path, row.bytes);
        EXPECT_EQ(row.expected, Get(row.section, row.key)) << "row " << &row - rows;
    }
    WriteBytes(m_path, "[S]\n;k=1\n");
    QOR_EXPECT_DIFFERS_ON_POSIX(Get("S", ";k") == "1", "a ';' line is a comment, as documented; Wine reads it "
                                                       "as a key when asked by its name");
}

TEST_F(Profile, NameListsAndTheirTruncation)
{
    WriteBytes(m_path, kSample);
    EXPECT_EQ(std::string("Main\0Other\0", 11), Get(nullptr, "ignored"));
    EXPECT_EQ(std::string("Name\0Quoted\0Single\0Mixed\0Empty\0Number\0Hex\0", 42), Get("main", nullptr));
    // Too small: the last name is cut and followed by two zeros; the count is the size minus two.
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(6u, GetPrivateProfileStringA(nullptr, nullptr, "", buffer, 8, m_path.c_str()));
    EXPECT_EQ(std::string("Main\0O\0", 7), std::string(buffer, 7));
    QOR_EXPECT_BROKEN_ON_WINE(buffer[7] == '\0', "Wine writes only one zero after the cut name");
    EXPECT_EQ('x', buffer[8]) << "nothing past the buffer";
}

std::string Utf16(const std::string &ascii)
{
    std::string bytes = "\xFF\xFE";
    for (char c : ascii)
        bytes.append({c, '\0'});
    return bytes;
}

// A write changes only its own line; line ends become CR LF, and a UTF-16 file stays UTF-16.
TEST_F(Profile, WritesTouchOnlyTheirLine)
{
    // A key without a value is found; a new key goes at the end of its section.
    struct Row { std::string before; const char *section, *key, *value; std::string after; } rows[] = {
        {"[S]\nk=1\n", "S", "k", "2", "[S]\r\nk=2\r\n"}, {"[S]\nk\nj=2\n", "S", "k", "9", "[S]\r\nk=9\r\nj=2\r\n"},
        {"[S]\rk=1\rj=2\r[T]\rm=3\r", "S", "new", "x", "[S]\r\nk=1\r\nj=2\r\nnew=x\r\n[T]\r\nm=3\r\n"},
        {"[S]\nk=1", "S", "j", "2", "[S]\r\nk=1\r\nj=2\r\n"}, {"", "Section", "Key", "Value", "[Section]\r\nKey=Value\r\n"},
        {"[T]\nj=2\n[S x\nk=1\n", "S", "new", "x", "[T]\r\nj=2\r\n[S x\r\nk=1\r\n[S]\r\nnew=x\r\n"},
        {"; keep\r\n[Main]\r\nold=1\r\n; inside\r\n[Tail]\r\nz=9\r\n", "main", "NEW", "v",
         "; keep\r\n[Main]\r\nold=1\r\n; inside\r\nNEW=v\r\n[Tail]\r\nz=9\r\n"},
        {"[Main]\r\nold=1\r\n[Tail]\r\nz=9\r\n", "Tail", nullptr, nullptr, "[Main]\r\nold=1\r\n"},
        {"[Main]\r\nold=1\r\nz=9\r\n", "Main", "OLD", nullptr, "[Main]\r\nz=9\r\n"},
        {Utf16("[S]\r\nk=v\r\n"), "S", "new", "x", Utf16("[S]\r\nk=v\r\nnew=x\r\n")},
        {Utf16("[S]\nk=1\n"), "S", "k", "2", Utf16("[S]\r\nk=2\r\n")},
    };
    for (const Row &row : rows) {
        std::filesystem::remove(m_path);
        if (!row.before.empty())
            WriteBytes(m_path, row.before);
        ASSERT_TRUE(Write(row.section, row.key, row.value)) << "row " << &row - rows;
        EXPECT_EQ(row.after, ReadBytes(m_path)) << "row " << &row - rows;
    }
    WriteBytes(m_path, Utf16("[S]\r\nk=v\r\n"));
    EXPECT_EQ("v", Get("S", "k")) << "UTF-16 text is read";
    WriteBytes(m_path, "; c\n[S]\n  Name  =  V  \nk=1\n\n[T]\nz=1\n");
    ASSERT_TRUE(Write("S", "k", "2"));
    QOR_EXPECT_BROKEN_ON_WINE(ReadBytes(m_path) == "; c\r\n[S]\r\n  Name  =  V  \r\nk=2\r\n\r\n[T]\r\nz=1\r\n",
                              "Wine writes every line anew from what it parsed (blank lines dropped, blanks "
                              "around '=' removed); Windows keeps the lines a write does not touch");
}

TEST_F(Profile, ConcurrentWritersLoseNothing)
{
    constexpr int kWriters = 4, kWrites = 25;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            for (int n = 0; n < kWrites; ++n) {
                std::string key = "w" + std::to_string(w) + "_" + std::to_string(n);
                WritePrivateProfileStringA("Shared", key.c_str(), std::to_string(n).c_str(), m_path.c_str());
            }
        });
    for (std::thread &writer : writers)
        writer.join();
    for (int w = 0; w < kWriters; ++w)
        for (int n = 0; n < kWrites; ++n) {
            std::string key = "w" + std::to_string(w) + "_" + std::to_string(n);
            ASSERT_EQ(static_cast<UINT>(n), GetPrivateProfileIntA("Shared", key.c_str(), -1, m_path.c_str())) << key;
        }
}

#if !defined(_WIN32)
// Where POSIX has no Windows folder: a bare name is a file in the current directory; the file a killed
// writer left beside the INI file is taken over; and faults.
TEST_F(Profile, PosixBareNamesLeftoversAndFailures)
{
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "v", "bare.ini"));
    EXPECT_EQ("[S]\r\nk=v\r\n", ReadBytes(qor::test::PathOf("bare.ini")));
    const std::string leftover = qor::test::PathOf(".bare.ini.writing");
    WriteBytes(leftover, "half a file of a killed writer");
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "w", "bare.ini"));
    EXPECT_TRUE(!std::filesystem::exists(leftover) && ReadBytes(qor::test::PathOf("bare.ini")) == "[S]\r\nk=w\r\n");

    WriteBytes(m_path, "[S]\r\nk=2\r\n");
    SetLastError(0);
    EXPECT_TRUE(!WritePrivateProfileStringA("S", "k", "v", nullptr) && GetLastError() == ERROR_INVALID_PARAMETER);
    QorInjectFault("WritePrivateProfileStringA", 1, ERROR_DISK_FULL);
    EXPECT_TRUE(!Write("S", "k", "3") && GetLastError() == ERROR_DISK_FULL && ReadBytes(m_path) == "[S]\r\nk=2\r\n");
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", qor::test::PathOf("none/x.ini").c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}
#endif

} // namespace
