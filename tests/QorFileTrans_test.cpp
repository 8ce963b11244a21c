// QorFileTrans_test.cpp: the transactional file's ranges, reads through ranges, gaps and the disk, logical
// seeks, the state machine, journal names, the journal's bytes and recovery.
#include "QorFileTrans.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace qor::test;

namespace {

using Ranges = std::vector<std::pair<DWORD, std::string>>;

// Opens the protected parts, and keeps the journal as it is when the commit flushes the data file.
struct ProbedFile : CQorFileTrans {
    using CQorFileTrans::IncompleteTransaction;

    Ranges Records() const
    {
        Ranges ranges;
        for (int i = 0; i < m_aBlocks.GetCount(); ++i)
            ranges.emplace_back(m_aBlocks[i].ulOffset, std::string((const char *)m_aBlocks[i].pbData, m_aBlocks[i].ulLength));
        return ranges;
    }
    HRESULT Flush() override
    {
        m_journalAtFlush = ReadBytes(GetJournalName());
        return m_failFlush ? E_FAIL : CQorFileTrans::Flush();
    }
    std::string m_journalAtFlush = "none";
    bool m_failFlush = false;
};

std::string Digits(size_t count) { std::string bytes; for (size_t i = 0; i < count; ++i) bytes += (char)('0' + i % 10); return bytes; }

void WriteAt(CQorFileTrans &file, DWORD offset, const std::string &bytes)
{
    DWORD done = 0;
    file.Seek((LONG)offset, FILE_BEGIN), file.Write(bytes.data(), (DWORD)bytes.size(), &done);
}

// The bytes read, then the result in the last character.
std::string ReadAt(CQorFileTrans &file, DWORD offset, DWORD count)
{
    std::string bytes(count, '?');
    DWORD done = 0;
    file.Seek((LONG)offset, FILE_BEGIN);
    HRESULT result = file.Read(&bytes[0], count, &done);
    return bytes.substr(0, done) + (result == S_OK ? "|ok" : result == S_FALSE ? "|false" : "|failed");
}

void OpenInTransaction(ProbedFile &file, const std::string &name, const std::string &bytes)
{
    WriteBytes(PathOf(name), bytes);
    ASSERT_EQ(S_OK, file.Open(PathOf(name).c_str()));
    ASSERT_EQ(S_OK, file.BeginTrans());
}

} // namespace

TEST(QorFileTrans, WritesMergeIntoRangesByTheirRules)
{
    ProbedFile file;
    OpenInTransaction(file, "merge.db", std::string(40, '.'));
    WriteAt(file, 0, "AAAAAAAAAA");
    WriteAt(file, 10, "BBBBBBBBBB"); // begins where a range ends: a range of its own
    EXPECT_EQ((Ranges{{0, "AAAAAAAAAA"}, {10, "BBBBBBBBBB"}}), file.Records());
    WriteAt(file, 19, "c");     // inside the second range
    WriteAt(file, 8, "xxxxx");  // reaches the second range: both fold into one
    EXPECT_EQ((Ranges{{0, "AAAAAAAAxxxxxBBBBBBc"}}), file.Records());
    WriteAt(file, 30, "yy");
    WriteAt(file, 25, "zzzzz"); // ends exactly where a range begins: folded in
    WriteAt(file, 22, "w");
    EXPECT_EQ((Ranges{{0, "AAAAAAAAxxxxxBBBBBBc"}, {22, "w"}, {25, "zzzzzyy"}}), file.Records());
    WriteAt(file, 21, std::string(12, 'q')); // swallows two ranges and runs past them
    DWORD done = 9;
    EXPECT_TRUE(file.Write("", 0, &done) == S_OK && done == 0u) << "no range for nothing";
    EXPECT_EQ((Ranges{{0, "AAAAAAAAxxxxxBBBBBBc"}, {21, std::string(12, 'q')}}), file.Records());
    EXPECT_EQ(std::string(40, '.'), ReadBytes(PathOf("merge.db"))); // nothing reached the disk
}

TEST(QorFileTrans, ReadsSeeRangesOverTheFileAndGapsAsZerosAndSeeksAreLogical)
{
    ProbedFile file;
    OpenInTransaction(file, "gaps.db", Digits(50));
    WriteAt(file, 100, "WXYZ");
    EXPECT_EQ(Digits(50).substr(40) + std::string(50, '\0') + "WXYZ|ok", ReadAt(file, 40, 70));
    EXPECT_EQ(Digits(50).substr(40) + "|ok", ReadAt(file, 40, 60)); // ends at the range: disk only
    WriteAt(file, 5, "ab");
    EXPECT_EQ("34ab789|ok", ReadAt(file, 3, 7));
    EXPECT_EQ("XYZ|ok", ReadAt(file, 101, 9)); // from inside the last range to the end
    EXPECT_EQ("|false", ReadAt(file, 104, 5)); // nothing beyond the end

    // Logical size 104; beyond it is allowed.
    struct { LONG distance; DWORD method; HRESULT result; DWORD offset; } seeks[] = {{5, FILE_END, S_OK, 99},
        {105, FILE_END, E_INVALIDARG, 99}, {-9, FILE_CURRENT, S_OK, 90}, {7, 9, S_OK, 90}, {200, FILE_BEGIN, S_OK, 200}};
    for (const auto &row : seeks)
        EXPECT_TRUE(row.result == file.Seek(row.distance, row.method) && row.offset == file.Offset()) << row.distance;
}

TEST(QorFileTrans, StateMachineRefusesWhatItsStateForbids)
{
    ProbedFile file;
    EXPECT_EQ(std::vector<HRESULT>(3, E_FAIL), (std::vector<HRESULT>{file.BeginTrans(), file.CommitTrans(), file.AbortTrans()}));
    OpenInTransaction(file, "states.db", Digits(30));
    EXPECT_EQ(E_FAIL, file.BeginTrans());
    // A failed commit rolls back (the journal goes), keeps the ranges and refuses all but an abort.
    WriteAt(file, 3, "new");
    file.m_failFlush = true;
    EXPECT_TRUE(file.CommitTrans() == E_FAIL && !file.IncompleteTransaction());
    char one;
    DWORD done;
    EXPECT_EQ(std::vector<HRESULT>(4, E_FAIL),
              (std::vector<HRESULT>{file.Read(&one, 1, &done), file.Write("x", 1, &done), file.CommitTrans(), file.BeginTrans()}));
    EXPECT_EQ((std::vector<HRESULT>{S_OK, E_FAIL}), (std::vector<HRESULT>{file.AbortTrans(), file.AbortTrans()}));
    {
        ProbedFile dropped; // destroyed in a transaction: aborted
        OpenInTransaction(dropped, "states.db", Digits(30)), WriteAt(dropped, 0, "lost");
    }
    EXPECT_EQ(Digits(30), ReadBytes(PathOf("states.db")));
}

TEST(QorFileTrans, JournalNameDropsOnlyTheFileNamesExtension)
{
    const char *rows[][2] = {{"D:\\data\\notes.db", "D:\\data\\notes.qrn"}, {"D:\\data\\notes", "D:\\data\\notes.qrn"},
        {"D:\\dir.old\\file", "D:\\dir.old\\file.qrn"}, {"a.b.c", "a.b.qrn"}, {"file.", "file.qrn"}};
    auto journalOf = [](const char *name) { CQorFileTrans file; file.SetNames(name); return std::string(file.GetJournalName()); };
    for (auto &row : rows)
        EXPECT_EQ(row[1], journalOf(row[0]));
}

// The change to bytes 10..19 and 30..34 of a 100-byte file journals 16 + (8 + 10) + (8 + 5) bytes.
TEST(QorFileTrans, CommitJournalsOldBytesAndWritesNewOnes)
{
    ProbedFile file;
    OpenInTransaction(file, "commit.db", Digits(100));
    WriteAt(file, 30, "vwxyz");
    WriteAt(file, 10, "ABCDEFGHIJ");
    ASSERT_TRUE(file.CommitTrans() == S_OK && !file.IncompleteTransaction());
    EXPECT_EQ(Le32(16) + Le32(100) + Le32(47) + Le32(10) + Le32(10) + Le32(10) + Digits(10) + Le32(30) + Le32(5) + "01234",
              file.m_journalAtFlush);
    std::string now = Digits(100).replace(10, 10, "ABCDEFGHIJ").replace(30, 5, "vwxyz");
    EXPECT_EQ(now, ReadBytes(PathOf("commit.db")));
    EXPECT_EQ(35u, file.Offset()); // the handle's own pointer, left by the last write

    // Committing nothing makes no journal; growing the file journals only the old bytes it had.
    file.m_journalAtFlush = "none";
    EXPECT_TRUE(file.BeginTrans() == S_OK && file.CommitTrans() == S_OK && file.m_journalAtFlush == "none");
    ASSERT_EQ(S_OK, file.BeginTrans());
    WriteAt(file, 98, "+++++");
    ASSERT_EQ(S_OK, file.CommitTrans());
    EXPECT_EQ(Le32(16) + Le32(100) + Le32(26) + Le32(5) + Le32(98) + Le32(2) + "89", file.m_journalAtFlush);
    EXPECT_EQ(now.substr(0, 98) + "+++++", ReadBytes(PathOf("commit.db")));
}

TEST(QorFileTrans, RecoveryRollsBackCompleteJournalsAndDropsOthers)
{
    std::string data = PathOf("restore.db"), journal = PathOf("restore.qrn");
    std::string records = Le32(10) + Le32(10) + "abcdefghij" + Le32(30) + Le32(5) + "vwxyz";
    auto header = [](DWORD length, DWORD maxBlock) { return Le32(16) + Le32(100) + Le32(length) + Le32(maxBlock); };
    // Rows: empty, cut inside the length field, never completed (all incomplete: deleted); complete over a
    // grown and a shrunk file (back to 100 bytes); a record head cut short, record data cut short, a record
    // longer than ulMaxBlock. result: of opening.
    struct { std::string journal; size_t dataSize; HRESULT result; bool rolledBack; } rows[] = {
        {"", 120, S_OK, false}, {header(47, 10).substr(0, 11), 120, S_OK, false}, {header(0, 10) + records, 120, S_OK, false},
        {header(47, 10) + records, 120, S_OK, true}, {header(47, 10) + records, 90, S_OK, true},
        {header(60, 10) + records, 120, E_UNEXPECTED, false}, {header(47, 10) + records.substr(0, 24), 120, E_UNEXPECTED, false},
        {header(47, 4) + records, 120, E_UNEXPECTED, false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(&row - rows);
        WriteBytes(data, std::string(row.dataSize, '#')), WriteBytes(journal, row.journal);
        ProbedFile file;
        EXPECT_EQ(row.result, file.Open(data.c_str()));
        EXPECT_EQ(FAILED(row.result), file.IncompleteTransaction()); // a failure keeps the journal
        std::string expected = std::string(row.dataSize, '#'), rolledBack = (expected + std::string(10, '\0')).substr(0, 100);
        rolledBack.replace(10, 10, "abcdefghij").replace(30, 5, "vwxyz");
        // A failed roll-back may have written some bytes back.
        EXPECT_TRUE(FAILED(row.result) || (row.rolledBack ? rolledBack : expected) == ReadBytes(data));
    }
    // Without its data file a journal cannot be rolled back: it stays, and nothing opens.
    std::remove(data.c_str());
    ProbedFile file;
    EXPECT_EQ(HRESULT(0x80070002), file.Open(data.c_str()));
    EXPECT_TRUE(file.IncompleteTransaction() && file.GetHandle() == INVALID_HANDLE_VALUE);
}
