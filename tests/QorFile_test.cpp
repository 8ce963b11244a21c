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
    EXPECT_TRUE(ReadLines(longLine + "\r\n" + splitPair + "\r\nend") ==
                (Lines{{S_OK, longLine}, {S_OK, splitPair}, {S_OK, "end"}, {S_FALSE, ""}}));
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
    EXPECT_TRUE(file.Write("", 0, &count) == S_FALSE && count == 0u);
    EXPECT_TRUE(file.WriteLine("abc") == S_OK && file.Offset() == 5u && file.GetSize(nullptr) == 5u);
    EXPECT_EQ(S_OK, file.Seek(0, FILE_BEGIN));
    char buffer[16] = {};
    EXPECT_TRUE(file.Read(buffer, sizeof buffer, &count) == S_OK && std::string(buffer, count) == "abc\r\n");
    EXPECT_TRUE(file.Read(buffer, sizeof buffer, &count) == S_FALSE && count == 0u) << "at the end";
    CQorString rest;
    EXPECT_EQ((std::vector<HRESULT>{E_FAIL, S_OK, S_OK, S_OK, S_OK, S_OK}),
              (std::vector<HRESULT>{file.Seek(-10, FILE_CURRENT), file.Seek(3, FILE_BEGIN), file.Truncate(), file.Flush(),
                                    file.Seek(1, FILE_BEGIN), file.ReadAll(rest)}));
    EXPECT_STREQ("bc", rest); // from the current position

    // Create on an existing file deletes it first, so even a disposition that keeps data finds none.
    file.Close(false);
    CQorFile again;
    EXPECT_EQ(S_OK, again.Create(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL, OPEN_ALWAYS));
    EXPECT_EQ(0u, again.GetSize(nullptr));
    EXPECT_EQ((std::vector<HRESULT>{S_OK, (HRESULT)0x80070002}), (std::vector<HRESULT>{again.Delete(), again.Delete()}));
}

TEST(QorFile, FailedOpensAndClosedObjects)
{
    CQorFile file;
    std::string existing = PathOf("existing.txt");
    WriteBytes(existing, "12");
    ASSERT_EQ(S_OK, file.Open(existing.c_str()));
    // A failed open leaves the object closed with the old name.
    EXPECT_EQ((HRESULT)0x80070002, file.Open(PathOf("missing.txt").c_str()));
    // By handle: the closed state is not a zero handle.
    EXPECT_TRUE(file.GetHandle() == INVALID_HANDLE_VALUE && file.Offset() == 0xFFFFFFFFu && file.GetSize(nullptr) == 0xFFFFFFFFu);
    DWORD count = 77;
    char buffer[4];
    EXPECT_TRUE(file.Read(buffer, 4, &count) == (HRESULT)0x80070006 && count == 0u); // invalid handle
    // The old name is kept: the existing file is deleted.
    EXPECT_EQ((std::vector<HRESULT>{(HRESULT)0x80070006, S_OK, (HRESULT)0x80070002}),
              (std::vector<HRESULT>{file.Write("x", 1, &count), file.Delete(), file.Delete()}));
    // Sharing comes back as its standard-rule code.
    WriteBytes(existing, "12");
    CQorFile holder;
    ASSERT_EQ(S_OK, holder.Open(existing.c_str(), OPEN_EXISTING, GENERIC_READ, 0));
    EXPECT_EQ((HRESULT)0x80070020, file.Open(existing.c_str()));
}
