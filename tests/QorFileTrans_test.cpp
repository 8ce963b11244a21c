// QorFileTrans_test.cpp: the transactional file's ranges (merge rules, search), reads through ranges,
// gaps and the disk, logical seeks, the state machine, journal names, the journal's bytes and recovery.
#include "QorFileTrans.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using qor::test::PathOf;
using qor::test::ReadBytes;
using qor::test::WriteBytes;

namespace {

struct Range {
    DWORD offset;
    std::string bytes;
    bool operator==(const Range &other) const { return offset == other.offset && bytes == other.bytes; }
};
using Ranges = std::vector<Range>;

std::ostream &operator<<(std::ostream &out, const Range &range) { return out << range.offset << ":" << range.bytes; }

// Opens the protected parts, and can stop a commit just before the data file's flush, when the
// journal is complete on disk.
class ProbedFile : public CQorFileTrans {
public:
    using CQorFileTrans::BSearch;
    using CQorFileTrans::IncompleteTransaction;
    using CQorFileTrans::SeekMem;
    using CQorFileTrans::TransactionFileRestore;

    Ranges Records() const
    {
        Ranges ranges;
        for (int i = 0; i < m_aBlocks.GetCount(); ++i)
            ranges.push_back({m_aBlocks[i].ulOffset, std::string((const char *)m_aBlocks[i].pbData, m_aBlocks[i].ulLength)});
        return ranges;
    }
    DWORD MaxBlock() const { return m_ulMaxBlock; }

    HRESULT Flush() override
    {
        m_journalAtFlush = ReadBytes(GetJournalName());
        return m_failFlush ? E_FAIL : CQorFileTrans::Flush();
    }
    std::string m_journalAtFlush;
    bool m_failFlush = false;
};

std::string Digits(size_t count)
{
    std::string bytes;
    for (size_t i = 0; i < count; ++i)
        bytes += (char)('0' + i % 10);
    return bytes;
}

HRESULT WriteAt(CQorFileTrans &file, DWORD offset, const std::string &bytes)
{
    DWORD done = 0;
    EXPECT_EQ(S_OK, file.Seek((LONG)offset, FILE_BEGIN));
    return file.Write(bytes.data(), (DWORD)bytes.size(), &done);
}

std::string ReadAt(CQorFileTrans &file, DWORD offset, DWORD count, HRESULT *result)
{
    std::string bytes(count, '?');
    DWORD done = 0;
    EXPECT_EQ(S_OK, file.Seek((LONG)offset, FILE_BEGIN));
    *result = file.Read(&bytes[0], count, &done);
    return bytes.substr(0, done);
}

// A data file holding `bytes`, opened in a transaction.
void OpenInTransaction(ProbedFile &file, const std::string &name, const std::string &bytes)
{
    WriteBytes(PathOf(name), bytes);
    ASSERT_EQ(S_OK, file.Open(PathOf(name).c_str()));
    ASSERT_EQ(S_OK, file.BeginTrans());
}

std::string Le32(DWORD value) { return std::string{(char)value, (char)(value >> 8), (char)(value >> 16), (char)(value >> 24)}; }

} // namespace

TEST(QorFileTrans, WritesMergeIntoRangesByTheirRules)
{
    ProbedFile file;
    OpenInTransaction(file, "merge.db", std::string(40, '.'));
    ASSERT_EQ(S_OK, WriteAt(file, 0, "AAAAAAAAAA"));
    ASSERT_EQ(S_OK, WriteAt(file, 10, "BBBBBBBBBB")); // begins where a range ends: a new range
    EXPECT_EQ((Ranges{{0, "AAAAAAAAAA"}, {10, "BBBBBBBBBB"}}), file.Records());
    ASSERT_EQ(S_OK, WriteAt(file, 19, "c")); // inside the second range
    ASSERT_EQ(S_OK, WriteAt(file, 8, "xxxxx")); // reaches the second range: both fold into one
    EXPECT_EQ((Ranges{{0, "AAAAAAAAxxxxxBBBBBBc"}}), file.Records());
    EXPECT_EQ(20u, file.MaxBlock());

    ASSERT_EQ(S_OK, WriteAt(file, 30, "yy"));
    ASSERT_EQ(S_OK, WriteAt(file, 25, "zzzzz")); // ends exactly where a range begins: folded in
    ASSERT_EQ(S_OK, WriteAt(file, 22, "w"));     // a gap before and after: a range of its own
    EXPECT_EQ((Ranges{{0, "AAAAAAAAxxxxxBBBBBBc"}, {22, "w"}, {25, "zzzzzyy"}}), file.Records());
    ASSERT_EQ(S_OK, WriteAt(file, 21, std::string(12, 'q'))); // swallows two ranges and runs past them
    EXPECT_EQ((Ranges{{0, "AAAAAAAAxxxxxBBBBBBc"}, {21, std::string(12, 'q')}}), file.Records());
    DWORD done = 9;
    EXPECT_EQ(S_OK, file.Write("", 0, &done)); // no record for nothing
    EXPECT_EQ(0u, done);
    EXPECT_EQ(2, (int)file.Records().size());
    EXPECT_EQ(std::string(40, '.'), ReadBytes(PathOf("merge.db"))); // nothing reached the disk
}

TEST(QorFileTrans, SearchFindsTheHoldingOrFollowingRange)
{
    ProbedFile file;
    OpenInTransaction(file, "search.db", "");
    bool found = true;
    EXPECT_EQ(0, file.BSearch(5, found));
    EXPECT_FALSE(found);
    for (DWORD offset : {10u, 30u, 50u, 70u, 90u})
        WriteAt(file, offset, "12345");
    struct Row {
        DWORD offset;
        int index, current, next;
        bool found;
    } rows[] = {
        {0, 0, -1, 0, false}, {10, 0, 0, 1, true}, {14, 0, 0, 1, true}, {15, 1, -1, 1, false},
        {52, 2, 2, 3, true},  {69, 3, -1, 3, false}, {94, 4, 4, -1, true}, {95, 5, -1, -1, false},
    };
    for (const Row &row : rows) {
        int next = 7;
        EXPECT_EQ(row.index, file.BSearch(row.offset, found)) << row.offset;
        EXPECT_EQ(row.found, found) << row.offset;
        EXPECT_EQ(row.current, file.SeekMem(row.offset, next)) << row.offset;
        EXPECT_EQ(row.next, next) << row.offset;
    }
}

TEST(QorFileTrans, ReadsSeeRangesOverTheFileAndGapsAsZeros)
{
    ProbedFile file;
    OpenInTransaction(file, "gaps.db", Digits(50));
    ASSERT_EQ(S_OK, WriteAt(file, 100, "WXYZ"));
    HRESULT result = E_FAIL;
    EXPECT_EQ(Digits(50).substr(40) + std::string(50, '\0') + "WXYZ", ReadAt(file, 40, 70, &result));
    EXPECT_EQ(S_OK, result);
    EXPECT_EQ(Digits(50).substr(40), ReadAt(file, 40, 60, &result)); // ends at the range: disk only
    ASSERT_EQ(S_OK, WriteAt(file, 5, "ab"));
    EXPECT_EQ("34ab789", ReadAt(file, 3, 7, &result));
    EXPECT_EQ("", ReadAt(file, 104, 5, &result));
    EXPECT_EQ(S_FALSE, result);

    // Seeks move the logical position over the logical size (104 now).
    EXPECT_EQ(S_OK, file.Seek(5, FILE_END));
    EXPECT_EQ(99u, file.Offset());
    EXPECT_EQ(E_INVALIDARG, file.Seek(105, FILE_END));
    EXPECT_EQ(99u, file.Offset());
    EXPECT_EQ(S_OK, file.Seek(-9, FILE_CURRENT));
    EXPECT_EQ(90u, file.Offset());
    EXPECT_EQ(S_OK, file.Seek(7, 9)); // an unknown method moves nothing
    EXPECT_EQ(90u, file.Offset());
}

TEST(QorFileTrans, StateMachineRefusesWhatItsStateForbids)
{
    ProbedFile file;
    EXPECT_EQ(E_FAIL, file.BeginTrans()); // closed
    EXPECT_EQ(E_FAIL, file.CommitTrans());
    EXPECT_EQ(E_FAIL, file.AbortTrans());
    OpenInTransaction(file, "states.db", Digits(30));
    EXPECT_EQ(E_FAIL, file.BeginTrans());
    EXPECT_EQ(S_OK, WriteAt(file, 3, "new"));
    EXPECT_EQ(S_OK, file.AbortTrans());
    EXPECT_EQ(Digits(30), ReadBytes(PathOf("states.db")));
    EXPECT_EQ(E_FAIL, file.AbortTrans());

    // A failed commit keeps the ranges and refuses reads, writes and commits until aborted.
    ASSERT_EQ(S_OK, file.Seek(0, FILE_BEGIN));
    ASSERT_EQ(S_OK, file.BeginTrans());
    EXPECT_EQ(S_OK, WriteAt(file, 3, "new"));
    file.m_failFlush = true;
    EXPECT_EQ(E_FAIL, file.CommitTrans());
    EXPECT_EQ(Digits(30), ReadBytes(PathOf("states.db")));
    EXPECT_FALSE(file.IncompleteTransaction());
    char byte;
    DWORD done;
    EXPECT_EQ(E_FAIL, file.Read(&byte, 1, &done));
    EXPECT_EQ(E_FAIL, file.Write("x", 1, &done));
    EXPECT_EQ(E_FAIL, file.CommitTrans());
    EXPECT_EQ(E_FAIL, file.BeginTrans());
    EXPECT_EQ(S_OK, file.AbortTrans());

    // Destroying an object in a transaction aborts it.
    {
        ProbedFile other;
        OpenInTransaction(other, "dropped.db", "keep");
        WriteAt(other, 0, "lost");
    }
    EXPECT_EQ("keep", ReadBytes(PathOf("dropped.db")));
}

TEST(QorFileTrans, JournalNameDropsOnlyTheFileNamesExtension)
{
    struct Row {
        const char *file, *journal;
    } rows[] = {
        {"D:\\data\\notes.db", "D:\\data\\notes.qrn"},  {"D:\\data\\notes", "D:\\data\\notes.qrn"},
        {"D:\\dir.old\\file", "D:\\dir.old\\file.qrn"}, {"a.b.c", "a.b.qrn"},
        {"file.", "file.qrn"},
    };
    for (const Row &row : rows) {
        CQorFileTrans file;
        file.SetNames(row.file);
        EXPECT_STREQ(row.journal, file.GetJournalName());
    }
}

// The change to bytes 10..19 and 30..34 of a 100-byte file journals 16 + (8 + 10) + (8 + 5) bytes.
TEST(QorFileTrans, CommitJournalsOldBytesAndWritesNewOnes)
{
    ProbedFile file;
    OpenInTransaction(file, "commit.db", Digits(100));
    ASSERT_EQ(S_OK, WriteAt(file, 30, "vwxyz"));
    ASSERT_EQ(S_OK, WriteAt(file, 10, "ABCDEFGHIJ"));
    EXPECT_EQ(S_OK, file.CommitTrans());
    std::string expected = Le32(16) + Le32(100) + Le32(47) + Le32(10) + Le32(10) + Le32(10) + Digits(10) + Le32(30) +
                           Le32(5) + "01234";
    EXPECT_EQ(expected, file.m_journalAtFlush);
    EXPECT_FALSE(file.IncompleteTransaction());
    std::string now = Digits(100).replace(10, 10, "ABCDEFGHIJ").replace(30, 5, "vwxyz");
    EXPECT_EQ(now, ReadBytes(PathOf("commit.db")));
    EXPECT_EQ(35u, file.Offset()); // the handle's own pointer, left by the last write

    // Committing nothing makes no journal; a transaction that grows the file commits, and its
    // journal holds only the old bytes the file had.
    file.m_journalAtFlush = "untouched";
    ASSERT_EQ(S_OK, file.BeginTrans());
    EXPECT_EQ(S_OK, file.CommitTrans());
    EXPECT_EQ("untouched", file.m_journalAtFlush); // no journal, no flush
    ASSERT_EQ(S_OK, file.BeginTrans());
    ASSERT_EQ(S_OK, WriteAt(file, 98, "+++++"));
    EXPECT_EQ(S_OK, file.CommitTrans());
    EXPECT_EQ(Le32(16) + Le32(100) + Le32(26) + Le32(5) + Le32(98) + Le32(2) + "89", file.m_journalAtFlush);
    EXPECT_EQ(now.substr(0, 98) + "+++++", ReadBytes(PathOf("commit.db")));
}

TEST(QorFileTrans, RecoveryRollsBackCompleteJournalsAndDropsOthers)
{
    std::string data = PathOf("restore.db"), journal = PathOf("restore.qrn");
    std::string complete = Le32(16) + Le32(100) + Le32(47) + Le32(10) + Le32(10) + Le32(10) + "abcdefghij" +
                           Le32(30) + Le32(5) + "vwxyz";
    struct Row {
        std::string journal;
        size_t dataSize;
        HRESULT result;
        bool journalKept;
    } rows[] = {
        {"", 120, S_FALSE, false},                                // empty: incomplete
        {complete.substr(0, 11), 120, S_FALSE, false},            // cut inside the length field
        {complete.substr(0, 8) + Le32(0) + complete.substr(12), 120, S_FALSE, false}, // never completed
        {complete, 120, S_OK, false},                             // grown file cut back to 100
        {complete, 90, S_OK, false},                              // shrunk file lengthened to 100
        {complete.substr(0, 8) + Le32(60) + complete.substr(12), 120, E_UNEXPECTED, true}, // head cut short
        {complete.substr(0, 40), 120, E_UNEXPECTED, true},        // data cut short
        {complete.substr(0, 12) + Le32(4) + complete.substr(16), 120, E_UNEXPECTED, true}, // longer than ulMaxBlock
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(&row - rows);
        WriteBytes(data, std::string(row.dataSize, '#'));
        WriteBytes(journal, row.journal);
        ProbedFile file;
        EXPECT_EQ(row.result == S_OK || row.result == S_FALSE ? S_OK : row.result, file.Open(data.c_str()));
        EXPECT_EQ(row.journalKept, file.IncompleteTransaction());
        std::string expected(row.dataSize, '#');
        if (row.result == S_OK)
            expected = expected.substr(0, 100).append(100 - std::min<size_t>(row.dataSize, 100), '\0')
                           .replace(10, 10, "abcdefghij").replace(30, 5, "vwxyz");
        if (!row.journalKept) { // a failed roll-back may have written some records back
            EXPECT_EQ(expected, ReadBytes(data));
        }
    }
    // Without its data file a journal cannot be rolled back: it stays, and nothing opens.
    std::remove(data.c_str());
    WriteBytes(journal, complete);
    ProbedFile file;
    EXPECT_EQ(HRESULT(0x80070002), file.Open(data.c_str()));
    EXPECT_TRUE(file.IncompleteTransaction());
    EXPECT_EQ(INVALID_HANDLE_VALUE, file.GetHandle());
}
