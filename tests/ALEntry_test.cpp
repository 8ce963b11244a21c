// ALEntry_test.cpp: the wildcard matcher, marks and duplicates in one list and across two, the wildcard
// expander over real folders (tokens, quotes, the token limit, recursion) and the monitors' reports.
#include "ALEntry.h"
#include "ALStorage.h"
#include "ALWildCard.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

using qor::test::WriteBytes;

namespace {

using Names = std::vector<std::string>;

std::string Slashed(std::string text)
{
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

Names Expand(const char *spec, bool recurse = false)
{
    ALWildCardExpander expander(spec, ",\t", recurse);
    Names names;
    while (const char *name = expander.GetNextFile())
        names.push_back(Slashed(name));
    return names;
}

ALEntry *AddEntry(ALEntryList &list, const char *name) { return new ALEntry(list, new ALFileStorage(name), nullptr, nullptr); }

Names g_messages;
void Record(const char *text, int objectPercent, int jobPercent)
{
    g_messages.push_back((text ? text : "-") + (" " + std::to_string(objectPercent)) + " " + std::to_string(jobPercent));
}

} // namespace

TEST(ALWildCardMatch, PatternsAgainstNames)
{
    const ALCase mixed = AL_CASE_MIXED;
    // Folding and both separators; ".*" at the end may match nothing and "x.*" becomes "x*"; invalid
    // brackets match nothing; a reversed range is the same range; escapes are literal; only a lone '*'
    // matches the end of the name; mode 0 upper-cases the pattern only; signed bytes make a range of negatives.
    struct { const char *name, *pattern; ALCase mode; bool matches; } rows[] = {
        {"a\\b.TXT", "A/*.txt", AL_CASE_MIXED_IGNORED, true}, {"a\\b.TXT", "A/*.txt", mixed, false},
        {"readme", "*.*", mixed, true}, {"readme", "read.*", mixed, true}, {"rea", "read.*", mixed, false},
        {"x", "[a-]x", mixed, false}, {"x", "[]x", mixed, false}, {"ax", "[a", mixed, false},
        {"dog", "[!a-c]*", mixed, true}, {"cat", "[!a-c]*", mixed, false}, {"bat", "[^c-a]at", mixed, false},
        {"e", "[c-a]", mixed, false}, {"a*b", "a\\*b", mixed, true}, {"axb", "a\\*b", mixed, false},
        {"a]", "a[\\]]", mixed, true}, {"abc", "a?c", mixed, true}, {"ac", "a?c", mixed, false},
        {"abcbd", "*b?", mixed, true}, {"ab", "ab**", mixed, false}, {"ab", "ab*", mixed, true}, {"b", "*[ab]", mixed, true},
        {"ABC", "abc", AL_CASE_UPPER, true}, {"abc", "ABC", AL_CASE_LOWER, true}, {"\xE9t\xE9", "[\x80-\xFF]t?", mixed, true}};
    for (const auto &row : rows)
        EXPECT_EQ(row.matches, ALNameString(row.name, row.mode).WildCardMatch(row.pattern)) << row.name << " ~ " << row.pattern;
    std::string many(500, 'a');
    EXPECT_FALSE(ALNameString(many.c_str()).WildCardMatch("*a*a*a*a*a*a*a*a*a*a*a*b")) << "must end quickly";
}

TEST(ALEntryList, MarksAndDuplicatesInOneList)
{
    ALEntryList list;
    for (const char *name : {"x.txt", "X.TXT", "y.txt", "sub/z", "SUB\\Z", "sub\\z"})
        AddEntry(list, name);
    EXPECT_EQ((std::vector<int>{3, 6, 3}), (std::vector<int>{list.SetMarks("*.txt", false), list.SetMarks(nullptr, true),
                                                             list.UnmarkDuplicates(list, "Duplicate %d")}));
    Names marked;
    for (ALEntry *entry = list.GetFirstEntry(); entry; entry = list.GetNextEntry(entry)) {
        std::string lower = Slashed(entry->GetStorage()->mName.GetName());
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        if (entry->IsMarked())
            marked.push_back(lower);
        else
            EXPECT_EQ(AL_DUPLICATE_ENTRY, entry->GetStorage()->mStatus.GetStatusCode());
    }
    std::sort(marked.begin(), marked.end());
    EXPECT_EQ((Names{"sub/z", "x.txt", "y.txt"}), marked);
}

TEST(ALEntryList, DuplicatesAcrossListsAndManyNames)
{
    ALEntryList archive, added, many;
    AddEntry(archive, "keep.txt"), AddEntry(archive, "dir/other.txt");
    ALEntry *plain = AddEntry(added, "KEEP.TXT"), *path = AddEntry(added, "other.txt");
    archive.SetStoreWithoutPath(true);
    EXPECT_EQ(2, archive.UnmarkDuplicates(added, "Duplicate entry in list passed to Create()"));
    EXPECT_TRUE(!plain->IsMarked() && !path->IsMarked() &&
                std::string(plain->GetStorage()->mStatus.GetStatusDetail()) == "Duplicate entry in list passed to Create()");
    for (int i = 0; i < 500; ++i)
        AddEntry(many, ("n" + std::to_string(i * 7919 % 37)).c_str());
    EXPECT_EQ(463, many.UnmarkDuplicates(many));
}

TEST(ALWildCardExpander, TokensQuotesLimitsAndRecursion)
{
    for (const char *folder : {"r/s/t", "r/q.dat"})
        std::filesystem::create_directories(folder);
    for (const char *name : {"a.txt", "b", "c,1.txt", "d1.txt", "d2.txt", " e.txt", "r/x.dat", "r/s/y.dat", "r/s/t/z.dat",
                             "r/q.dat/w.bin"})
        WriteBytes(name, "");
    // A blank is part of a name; a token over the limit or an empty one ends the list; a folder is never a
    // name; an open quote runs to the end.
    struct { std::string spec; bool recurse; Names names; } rows[] = {
        {"a.txt,b,\"c,1.txt\"\td2*.txt", false, {"a.txt", "b", "c,1.txt", "d2.txt"}},
        {"a.txt, e.txt", false, {"a.txt", " e.txt"}}, {"a.txt," + std::string(300, 'x') + ",b", false, {"a.txt"}},
        {"a.txt,\"\",b", false, {"a.txt"}}, {"r/*.dat", false, {"r/x.dat"}},
        {"r/*.dat", true, {"r/x.dat", "r/s/y.dat", "r/s/t/z.dat"}}, {"nowhere/*.txt", true, {}},
        {"\"a.txt\"\t\t,d2.txt,\"c,1.txt", false, {"a.txt", "d2.txt", "c,1.txt"}}};
    for (const auto &row : rows)
        EXPECT_EQ(row.names, Expand(row.spec.c_str(), row.recurse)) << row.spec;

    ALCallbackMonitor monitor(Record, true);
    ALEntryList list(&monitor, ALPrototypeSet(ALFileStorage()).Add(ALDeflateCompressor()));
    g_messages.clear();
    EXPECT_EQ(2, list.AddWildCardFiles("d*.txt"));
    std::sort(g_messages.begin(), g_messages.end()); // a folder's order is the platform's
    EXPECT_EQ((Names{"Wild card match: d1.txt -1 -1", "Wild card match: d2.txt -1 -1"}), g_messages);
    ASSERT_NE(nullptr, list.GetFirstEntry());
    EXPECT_TRUE(list.GetFirstEntry()->GetCompressor()->GetEngineType() == AL_ENGINE_DEFLATE &&
                list.GetFirstEntry()->GetDecompressor() == nullptr);
}

TEST(ALEntry, CommentsFlagsAndOperationReports)
{
    ALEntryList list;
    ALEntry *entry = AddEntry(list, "notes.txt");
    EXPECT_TRUE(entry->IsMarked() && !entry->IsEncrypted() && entry->GetCompressedSize() == -1 && entry->GetCrc32() == 0xFFFFFFFFu);
    EXPECT_TRUE(entry->SetComment("first") == 0 && std::string(entry->GetComment()) == "first");
    EXPECT_TRUE(entry->SetComment(nullptr) == 0 && entry->GetComment() == nullptr);
    ALEntry unlisted(list, nullptr, nullptr, nullptr);
    EXPECT_TRUE(list.GetFirstEntry() == entry && list.GetNextEntry(entry) == nullptr) << "one without storage stays out";

    ALCallbackMonitor monitor(Record);
    g_messages.clear();
    for (int operation : {1, 2, 3, 4, 6})
        monitor.ArchiveOperation(operation, nullptr, entry);
    monitor.Message(AL_MESSAGE_SORTING, nullptr); // messages are off
    EXPECT_EQ(Names(3, "notes.txt -1 -1"), g_messages);
}

TEST(ALMonitors, PercentagesAndMessages)
{
    struct { LONG done, size, percent; } rows[] = {
        {50, 200, 25}, {1, 0, -1}, {999999, 999999, 100}, {1500000, 3000000, 50}, {2000000000, 2100000000, 95}};
    for (const auto &row : rows)
        EXPECT_EQ(row.percent, ALProgressMonitor::Percent(row.done, row.size)) << row.done << "/" << row.size;

    WriteBytes("progress.bin", std::string(10000, 'p'));
    ALFileStorage storage("progress.bin");
    ALProgressMonitor perObject(AL_MONITOR_OBJECTS);
    EXPECT_TRUE(!perObject.WantsMessages() && ALProgressMonitor(0x100).WantsMessages());
    storage.SetMonitor(&perObject);
    storage.Open();
    std::vector<unsigned char> bytes(5000);
    storage.ReadBuffer(bytes.data(), 5000);
    EXPECT_EQ(40, perObject.m_iPercent) << "at the second load, 4096 bytes of 10000";

    ALCallbackMonitor job(Record, true);
    job.m_lJobSize = 20000, job.m_lJobSoFar = 10000;
    storage.SetMonitor(&job);
    g_messages.clear();
    storage.ReadBuffer(bytes.data(), 5000);
    storage.Close();
    job.Message(AL_MESSAGE_SORT_PROGRESS, "%d", 40), job.Message(AL_MESSAGE_SORTING, nullptr), job.Message(99, "%s", "x");
    EXPECT_EQ((Names{"- 81 90", "- 100 100", "Sorting is 40 complete -1 -1", "Sorting entries -1 -1",
                     "Bad monitor message type!!! -1 -1"}), g_messages);
}
