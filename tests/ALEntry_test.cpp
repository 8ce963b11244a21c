// ALEntry_test.cpp: the wildcard matcher and name comparison, marks and duplicates in one list and
// across two, the wildcard expander over real folders (tokens, quotes, the token limit, recursion
// order) and the monitors' percentages and messages.
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

std::vector<std::string> Expand(const char *spec, bool recurse = false)
{
    ALWildCardExpander expander(spec, ",\t", recurse);
    std::vector<std::string> names;
    while (const char *name = expander.GetNextFile()) {
        std::string text = name;
        std::replace(text.begin(), text.end(), '\\', '/');
        names.push_back(text);
    }
    return names;
}

using Names = std::vector<std::string>;

ALEntry *AddEntry(ALEntryList &list, const char *name)
{
    return new ALEntry(list, new ALFileStorage(name), nullptr, nullptr);
}

std::vector<std::string> g_messages;
void Record(const char *text, int objectPercent, int jobPercent)
{
    g_messages.push_back((text ? text : "-") + std::string(" ") + std::to_string(objectPercent) + " " +
                         std::to_string(jobPercent));
}

} // namespace

TEST(ALWildCardMatch, PatternsAgainstNames)
{
    struct Row {
        const char *name;
        const char *pattern;
        ALCase mode;
        bool matches;
    } rows[] = {
        {"a\\b.TXT", "A/*.txt", AL_CASE_MIXED_IGNORED, true}, // folding and both separators
        {"a\\b.TXT", "A/*.txt", AL_CASE_MIXED, false},
        {"readme", "*.*", AL_CASE_MIXED, true},               // ".*" at the end may match nothing
        {"readme", "read.*", AL_CASE_MIXED, true},            // "x.*" becomes "x*"
        {"rea", "read.*", AL_CASE_MIXED, false},
        {"x", "[a-]x", AL_CASE_MIXED, false},                 // invalid brackets match nothing
        {"x", "[]x", AL_CASE_MIXED, false},
        {"ax", "[a", AL_CASE_MIXED, false},
        {"dog", "[!a-c]*", AL_CASE_MIXED, true},
        {"cat", "[!a-c]*", AL_CASE_MIXED, false},
        {"bat", "[^c-a]at", AL_CASE_MIXED, false},             // a reversed range is the same range
        {"e", "[c-a]", AL_CASE_MIXED, false},
        {"a*b", "a\\*b", AL_CASE_MIXED, true},                 // escapes are literal
        {"axb", "a\\*b", AL_CASE_MIXED, false},
        {"a]", "a[\\]]", AL_CASE_MIXED, true},
        {"abc", "a?c", AL_CASE_MIXED, true},
        {"ac", "a?c", AL_CASE_MIXED, false},
        {"abcbd", "*b?", AL_CASE_MIXED, true},
        {"ab", "ab**", AL_CASE_MIXED, false},                  // only a lone '*' matches the end of the name
        {"ab", "ab*", AL_CASE_MIXED, true},
        {"b", "*[ab]", AL_CASE_MIXED, true},
        {"ABC", "abc", AL_CASE_UPPER, true},                   // mode 0 upper-cases the pattern only
        {"abc", "ABC", AL_CASE_LOWER, true},
        {"\xE9t\xE9", "[\x80-\xFF]t?", AL_CASE_MIXED, true},   // signed bytes: a range of negatives
    };
    for (const Row &row : rows)
        EXPECT_EQ(row.matches, ALNameString(row.name, row.mode).WildCardMatch(row.pattern))
            << row.name << " ~ " << row.pattern;
    std::string many(500, 'a');
    EXPECT_FALSE(ALNameString(many.c_str()).WildCardMatch("*a*a*a*a*a*a*a*a*a*a*a*b")) << "must end quickly";
}

TEST(ALEntryList, MarksAndDuplicatesInOneList)
{
    ALEntryList list;
    for (const char *name : {"x.txt", "X.TXT", "y.txt", "sub/z", "SUB\\Z", "sub\\z"})
        AddEntry(list, name);
    EXPECT_EQ(3, list.SetMarks("*.txt", false));
    EXPECT_EQ(6, list.SetMarks(nullptr, true));
    EXPECT_EQ(3, list.UnmarkDuplicates(list, "Duplicate %d"));
    Names marked, failed;
    for (ALEntry *entry = list.GetFirstEntry(); entry; entry = list.GetNextEntry(entry)) {
        std::string lower = entry->GetStorage()->mName.GetName();
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        std::replace(lower.begin(), lower.end(), '\\', '/');
        (entry->IsMarked() ? marked : failed).push_back(lower);
        if (!entry->IsMarked()) {
            EXPECT_EQ(AL_DUPLICATE_ENTRY, entry->GetStorage()->mStatus.GetStatusCode());
        }
    }
    std::sort(marked.begin(), marked.end());
    EXPECT_EQ((Names{"sub/z", "x.txt", "y.txt"}), marked);
    EXPECT_EQ(3u, failed.size());
}

TEST(ALEntryList, DuplicatesAcrossListsAndManyNames)
{
    ALEntryList archive, added;
    AddEntry(archive, "keep.txt");
    AddEntry(archive, "dir/other.txt");
    ALEntry *plain = AddEntry(added, "KEEP.TXT");
    ALEntry *path = AddEntry(added, "other.txt");
    archive.SetStoreWithoutPath(true);
    EXPECT_EQ(2, archive.UnmarkDuplicates(added, "Duplicate entry in list passed to Create()"));
    EXPECT_FALSE(plain->IsMarked());
    EXPECT_FALSE(path->IsMarked());
    EXPECT_STREQ("Duplicate entry in list passed to Create()", plain->GetStorage()->mStatus.GetStatusDetail());

    ALEntryList many;
    for (int i = 0; i < 500; ++i)
        AddEntry(many, ("n" + std::to_string(i * 7919 % 37)).c_str());
    EXPECT_EQ(463, many.UnmarkDuplicates(many));
}

TEST(ALWildCardExpander, TokensQuotesLimitsAndRecursion)
{
    for (const char *folder : {"r/s/t", "r/q.dat"})
        std::filesystem::create_directories(folder);
    for (const char *name : {"a.txt", "b", "c,1.txt", "d1.txt", "d2.txt", " e.txt", "r/x.dat", "r/s/y.dat",
                             "r/s/t/z.dat", "r/q.dat/w.bin"})
        WriteBytes(name, "");
    EXPECT_EQ((Names{"a.txt", "b", "c,1.txt", "d2.txt"}), Expand("a.txt,b,\"c,1.txt\"\td2*.txt"));
    EXPECT_EQ((Names{"a.txt", " e.txt"}), Expand("a.txt, e.txt")) << "a blank is part of a name";
    EXPECT_EQ((Names{"a.txt"}), Expand(("a.txt," + std::string(300, 'x') + ",b").c_str()));
    EXPECT_EQ((Names{"a.txt"}), Expand("a.txt,\"\",b")) << "an empty token ends the list";
    EXPECT_EQ((Names{"r/x.dat"}), Expand("r/*.dat")) << "a folder is never a name";
    EXPECT_EQ((Names{"r/x.dat", "r/s/y.dat", "r/s/t/z.dat"}), Expand("r/*.dat", true));
    EXPECT_EQ((Names{}), Expand("nowhere/*.txt", true));
    EXPECT_EQ((Names{"a.txt", "d2.txt", "c,1.txt"}), Expand("\"a.txt\"\t\t,d2.txt,\"c,1.txt"))
        << "an open quote runs to the end";

    ALCallbackMonitor monitor(Record, true);
    ALEntryList list(&monitor, ALPrototypeSet(ALFileStorage()).Add(ALDeflateCompressor()));
    g_messages.clear();
    EXPECT_EQ(2, list.AddWildCardFiles("d*.txt"));
    std::sort(g_messages.begin(), g_messages.end()); // a folder's order is the platform's
    EXPECT_EQ((Names{"Wild card match: d1.txt -1 -1", "Wild card match: d2.txt -1 -1"}), g_messages);
    ASSERT_NE(nullptr, list.GetFirstEntry());
    EXPECT_EQ(AL_ENGINE_DEFLATE, list.GetFirstEntry()->GetCompressor()->GetEngineType());
    EXPECT_EQ(nullptr, list.GetFirstEntry()->GetDecompressor());
}

TEST(ALEntry, CommentsFlagsAndOperationReports)
{
    ALEntryList list;
    ALEntry *entry = AddEntry(list, "notes.txt");
    EXPECT_TRUE(entry->IsMarked());
    EXPECT_FALSE(entry->IsEncrypted());
    EXPECT_EQ(-1, entry->GetCompressedSize());
    EXPECT_EQ(0xFFFFFFFFu, entry->GetCrc32());
    EXPECT_EQ(0, entry->SetComment("first"));
    EXPECT_STREQ("first", entry->GetComment());
    EXPECT_EQ(0, entry->SetComment(nullptr));
    EXPECT_EQ(nullptr, entry->GetComment());
    ALEntry unlisted(list, nullptr, nullptr, nullptr);
    EXPECT_EQ(entry, list.GetFirstEntry());
    EXPECT_EQ(nullptr, list.GetNextEntry(entry)) << "an entry without storage stays out of the chain";

    ALCallbackMonitor monitor(Record);
    g_messages.clear();
    for (int operation : {1, 2, 3, 4, 6})
        monitor.ArchiveOperation(operation, nullptr, entry);
    monitor.Message(AL_MESSAGE_SORTING, nullptr); // messages are off
    EXPECT_EQ((Names{"notes.txt -1 -1", "notes.txt -1 -1", "notes.txt -1 -1"}), g_messages);
}

TEST(ALMonitors, PercentagesAndMessages)
{
    struct Row {
        LONG done, size, percent;
    } rows[] = {{50, 200, 25}, {1, 0, -1}, {999999, 999999, 100}, {1500000, 3000000, 50}, {2000000000, 2100000000, 95}};
    for (const Row &row : rows)
        EXPECT_EQ(row.percent, ALProgressMonitor::Percent(row.done, row.size)) << row.done << "/" << row.size;

    WriteBytes("progress.bin", std::string(10000, 'p'));
    ALFileStorage storage("progress.bin");
    ALProgressMonitor perObject(AL_MONITOR_OBJECTS);
    EXPECT_FALSE(perObject.WantsMessages());
    EXPECT_TRUE(ALProgressMonitor(0x100).WantsMessages());
    storage.SetMonitor(&perObject);
    storage.Open();
    std::vector<unsigned char> bytes(5000);
    storage.ReadBuffer(bytes.data(), 5000);
    EXPECT_EQ(40, perObject.m_iPercent) << "at the second load, 4096 bytes of 10000";

    ALCallbackMonitor job(Record, true);
    job.m_lJobSize = 20000;
    job.m_lJobSoFar = 10000;
    storage.SetMonitor(&job);
    g_messages.clear();
    storage.ReadBuffer(bytes.data(), 5000);
    storage.Close();
    job.Message(AL_MESSAGE_SORT_PROGRESS, "%d", 40);
    job.Message(AL_MESSAGE_SORTING, nullptr);
    job.Message(99, "%s", "x");
    EXPECT_EQ((Names{"- 81 90", "- 100 100", "Sorting is 40 complete -1 -1", "Sorting entries -1 -1",
                     "Bad monitor message type!!! -1 -1"}),
              g_messages);
}
