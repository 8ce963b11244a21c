// profile_test.cpp: INI files as Windows documents them: case-insensitive names, trimmed blanks and
// quotes, defaults, the zero-separated name lists and their truncation, writes that keep every other
// line, deletion of keys and sections, and several writers at once.
#include "QorPlatform.h"

#include "QorTestEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

class Profile : public testing::Test {
protected:
    void SetUp() override
    {
        m_path = (qor::test::PrivateFolderEnvironment::Folder() /
                  (std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + ".ini"))
                     .string();
    }
    void WriteFile(const std::string &content) const { std::ofstream(m_path, std::ios::binary) << content; }
    std::string ReadFile() const
    {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string Get(const char *section, const char *key, const char *fallback = "<default>") const
    {
        char buffer[256];
        DWORD length = GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, m_path.c_str());
        EXPECT_EQ(std::string(buffer).size(), length) << section << "/" << key;
        return buffer;
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
    WriteFile(kSample);
    EXPECT_EQ("Value with spaces", Get("MAIN", "name")) << "names ignore case, blanks are trimmed";
    EXPECT_EQ("  padded  ", Get("Main", "Quoted")) << "surrounding quotes go, what they hold stays";
    EXPECT_EQ("x", Get("Main", "Single"));
    EXPECT_EQ("\"abc'", Get("Main", "Mixed")) << "quotes that do not match stay";
    EXPECT_EQ("", Get("Main", "Empty")) << "an empty value is not the default";
    EXPECT_EQ("1", Get("other", "KEY")) << "a section name is trimmed";
    EXPECT_EQ("<default>", Get("Main", "Missing"));
    EXPECT_EQ("<default>", Get("Missing", "Name"));
    EXPECT_EQ("def", Get("Main", "Missing", "def  ")) << "the default loses its trailing blanks";
    EXPECT_EQ("", Get("Main", "Missing", nullptr));

    char small[6];
    EXPECT_EQ(5u, GetPrivateProfileStringA("Main", "Name", "", small, sizeof small, m_path.c_str()));
    EXPECT_STREQ("Value", small) << "cut to the buffer, with its terminator";

    EXPECT_EQ(55u, GetPrivateProfileIntA("Main", "Number", 7, m_path.c_str())) << "the leading number";
    EXPECT_EQ(1u, GetPrivateProfileIntA("Other", "key", 7, m_path.c_str()));
    EXPECT_EQ(31u, GetPrivateProfileIntA("Main", "Hex", 7, m_path.c_str())) << "0x means hexadecimal";
    EXPECT_EQ(7u, GetPrivateProfileIntA("Main", "Missing", 7, m_path.c_str()));
    EXPECT_EQ(0u, GetPrivateProfileIntA("Main", "Single", 7, m_path.c_str())) << "no number in the text";

    std::string missing = m_path + ".absent";
    char buffer[16];
    EXPECT_EQ(3u, GetPrivateProfileStringA("Main", "Name", "abc", buffer, sizeof buffer, missing.c_str()));
    EXPECT_STREQ("abc", buffer) << "a missing file reads as empty";
}

TEST_F(Profile, NameListsAndTheirTruncation)
{
    WriteFile(kSample);
    char buffer[64];
    EXPECT_EQ(11u, GetPrivateProfileStringA(nullptr, "ignored", "", buffer, sizeof buffer, m_path.c_str()));
    EXPECT_EQ(std::string("Main\0Other\0\0", 12), std::string(buffer, 12));
    DWORD length = GetPrivateProfileStringA("main", nullptr, "", buffer, sizeof buffer, m_path.c_str());
    const std::string keys("Name\0Quoted\0Single\0Mixed\0Empty\0Number\0Hex\0\0", 43);
    EXPECT_EQ(keys.size() - 1, length);
    EXPECT_EQ(keys, std::string(buffer, keys.size()));

    // Too small: the last name is cut and followed by two zeros; the count is the size minus two.
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(6u, GetPrivateProfileStringA(nullptr, nullptr, "", buffer, 8, m_path.c_str()));
    EXPECT_EQ(std::string("Main\0O\0", 7), std::string(buffer, 7));
#if !defined(_WIN32)
    EXPECT_EQ('\0', buffer[7]) << "the second zero, as documented"; // Wine writes only one
#endif
    EXPECT_EQ('x', buffer[8]) << "nothing past the buffer";
}

TEST_F(Profile, WritesKeepEveryOtherLine)
{
    WriteFile("; keep me\r\n[Main]\r\nold=1\r\n; inside\r\n\r\n[Tail]\r\nz=9\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("MAIN", "OLD", "2", m_path.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Main", "new", "fresh value", m_path.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Added", "k", "v", m_path.c_str()));
    EXPECT_EQ("2", Get("main", "old"));
    EXPECT_EQ("fresh value", Get("Main", "New"));
    EXPECT_EQ("v", Get("Added", "k"));
    EXPECT_EQ("9", Get("Tail", "z"));
    std::string content = ReadFile();
    size_t comment = content.find("; keep me"), inside = content.find("; inside"), fresh = content.find("new=fresh value");
    EXPECT_EQ(0u, comment) << content;
    EXPECT_NE(std::string::npos, inside) << content;
    EXPECT_LT(fresh, content.find("[Tail]")) << "a new key joins its section: " << content;
    EXPECT_LT(content.find("[Tail]"), content.find("[Added]")) << "a new section goes last: " << content;

    ASSERT_TRUE(WritePrivateProfileStringA("Main", "old", nullptr, m_path.c_str())) << "deletes a key";
    EXPECT_EQ("<default>", Get("Main", "old"));
    EXPECT_EQ("fresh value", Get("Main", "new"));
    ASSERT_TRUE(WritePrivateProfileStringA("tail", nullptr, nullptr, m_path.c_str())) << "deletes a section";
    EXPECT_EQ("<default>", Get("Tail", "z"));
    EXPECT_EQ(std::string::npos, ReadFile().find("[Tail]"));
    EXPECT_EQ("v", Get("Added", "k"));

    std::string created = m_path + ".new";
    ASSERT_TRUE(WritePrivateProfileStringA("Section", "Key", "Value", created.c_str())) << "creates the file";
    std::ifstream in(created, std::ios::binary);
    EXPECT_EQ("[Section]\r\nKey=Value\r\n", std::string(std::istreambuf_iterator<char>(in), {}));
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
// Where POSIX has no Windows folder: a bare name is a file in the current directory; and faults.
TEST_F(Profile, PosixBareNamesAndFailures)
{
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "v", "bare.ini"));
    std::ifstream in(qor::test::PrivateFolderEnvironment::Folder() / "bare.ini", std::ios::binary);
    EXPECT_EQ("[S]\r\nk=v\r\n", std::string(std::istreambuf_iterator<char>(in), {}));
    WriteFile("[S]\nk=1\n");
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "2", m_path.c_str()));
    EXPECT_EQ("[S]\nk=2\n", ReadFile()) << "a file keeps its own line ends";

    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    QorInjectFault("WritePrivateProfileStringA", 1, ERROR_DISK_FULL);
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "3", m_path.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), GetLastError());
    EXPECT_EQ("[S]\nk=2\n", ReadFile());
    std::string noFolder = (qor::test::PrivateFolderEnvironment::Folder() / "none" / "x.ini").string();
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", noFolder.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}
#endif

} // namespace
