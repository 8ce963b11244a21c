// QorFile_test.cpp: CQorFile's result rules (end of file, empty writes, closed objects), Create over an
// existing file, and ReadLine over CR, LF and CR LF ends and over lines longer than its buffer.
#include "QorFile2.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using qor::test::PathOf;
using qor::test::WriteBytes;

namespace {

// Every line ReadLine gives until it reports the end, with the result of each call.
std::vector<std::pair<HRESULT, std::string>> ReadLines(const std::string &bytes)
{
    std::string path = PathOf("lines.txt");
    WriteBytes(path, bytes);
    CQorFile file;
    EXPECT_EQ(S_OK, file.Open(path.c_str()));
    std::vector<std::pair<HRESULT, std::string>> lines;
    for (int guard = 0; guard < 100; ++guard) {
        CQorString line;
        HRESULT result = file.ReadLine(line);
        lines.emplace_back(result, std::string(line.GetString(), line.GetLength()));
        if (result != S_OK)
            break;
    }
    return lines;
}

using Lines = std::vector<std::pair<HRESULT, std::string>>;

} // namespace

TEST(QorFile, ReadLineOverEveryKindOfLineEnd)
{
    EXPECT_EQ((Lines{{S_OK, "a"}, {S_OK, "b"}, {S_OK, "c"}, {S_FALSE, ""}}), ReadLines("a\r\nb\nc"));
    // The byte after a CR is always skipped, taken to be the LF of a pair.
    EXPECT_EQ((Lines{{S_OK, "x"}, {S_OK, "z"}, {S_FALSE, ""}}), ReadLines("x\ryz"));
    EXPECT_EQ((Lines{{S_OK, ""}, {S_OK, "e"}, {S_FALSE, ""}}), ReadLines("\ne\n"));
    EXPECT_EQ((Lines{{S_FALSE, ""}}), ReadLines(""));
    // A zero byte ends the scan like the end of the data: the line stops there and the rest of this
    // read is passed over as the file's end.
    EXPECT_EQ((Lines{{S_OK, "ab"}, {S_FALSE, ""}}), ReadLines(std::string("ab\0c\nd", 6)));

    // Lines longer than the 4095-byte buffer, also with the CR LF split over two reads.
    std::string longLine(10000, 'L');
    std::string splitPair(4094, 'S');
    Lines lines = ReadLines(longLine + "\r\n" + splitPair + "\r\nend");
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(longLine.size(), lines[0].second.size());
    EXPECT_EQ(longLine, lines[0].second);
    EXPECT_EQ(splitPair, lines[1].second);
    EXPECT_EQ((std::pair<HRESULT, std::string>{S_OK, "end"}), lines[2]);
    EXPECT_EQ(S_FALSE, lines[3].first);
    // Exactly one buffer, then its end.
    std::string oneBuffer(4095, 'B');
    EXPECT_EQ((Lines{{S_OK, oneBuffer}, {S_OK, "n"}, {S_FALSE, ""}}), ReadLines(oneBuffer + "\nn"));
}

TEST(QorFile, ReadWriteAndTheirResultRules)
{
    std::string path = PathOf("rules.txt");
    CQorFile file;
    ASSERT_EQ(S_OK, file.Create(path.c_str()));
    DWORD count = 77;
    EXPECT_EQ(S_FALSE, file.Write("", 0, &count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(S_OK, file.WriteLine("abc"));
    EXPECT_EQ(5u, file.Offset());
    EXPECT_EQ(5u, file.GetSize(nullptr));
    EXPECT_EQ(S_OK, file.Seek(0, FILE_BEGIN));
    char buffer[16] = {};
    EXPECT_EQ(S_OK, file.Read(buffer, sizeof buffer, &count));
    EXPECT_EQ(std::string("abc\r\n"), std::string(buffer, count));
    EXPECT_EQ(S_FALSE, file.Read(buffer, sizeof buffer, &count)); // at the end
    EXPECT_EQ(0u, count);
    EXPECT_EQ(E_FAIL, file.Seek(-10, FILE_CURRENT));
    EXPECT_EQ(S_OK, file.Seek(3, FILE_BEGIN));
    EXPECT_EQ(S_OK, file.Truncate());
    EXPECT_EQ(S_OK, file.Flush());
    EXPECT_EQ(S_OK, file.Seek(1, FILE_BEGIN));
    CQorString rest;
    EXPECT_EQ(S_OK, file.ReadAll(rest));
    EXPECT_STREQ("bc", rest); // from the current position

    // Create on an existing file deletes it first, so even a disposition that keeps data finds none.
    file.Close(false);
    CQorFile again;
    EXPECT_EQ(S_OK, again.Create(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL, OPEN_ALWAYS));
    EXPECT_EQ(0u, again.GetSize(nullptr));
    EXPECT_EQ(S_OK, again.Delete());
    EXPECT_EQ((HRESULT)0x80070002, again.Delete()); // gone
}

TEST(QorFile, FailedOpensAndClosedObjects)
{
    CQorFile file;
    std::string existing = PathOf("existing.txt");
    WriteBytes(existing, "12");
    ASSERT_EQ(S_OK, file.Open(existing.c_str()));
    // A failed open leaves the object closed with the old name.
    EXPECT_EQ((HRESULT)0x80070002, file.Open(PathOf("missing.txt").c_str()));
    EXPECT_EQ(INVALID_HANDLE_VALUE, file.GetHandle());
    EXPECT_EQ(0xFFFFFFFFu, file.Offset());
    EXPECT_EQ(0xFFFFFFFFu, file.GetSize(nullptr)); // by handle: the closed state is not a zero handle
    DWORD count = 77;
    char buffer[4];
    EXPECT_EQ((HRESULT)0x80070006, file.Read(buffer, 4, &count)); // invalid handle
    EXPECT_EQ(0u, count);
    EXPECT_EQ((HRESULT)0x80070006, file.Write("x", 1, &count));
    EXPECT_EQ(S_OK, file.Delete()); // the old name is kept: the existing file is deleted
    EXPECT_EQ((HRESULT)0x80070002, file.Delete());
    // Sharing comes back as its standard-rule code.
    WriteBytes(existing, "12");
    CQorFile holder;
    ASSERT_EQ(S_OK, holder.Open(existing.c_str(), OPEN_EXISTING, GENERIC_READ, 0));
    EXPECT_EQ((HRESULT)0x80070020, file.Open(existing.c_str()));
}
