// ALDirRecord_test.cpp: a ZIP file's directory as flat records: the fields and the terminator, time
// normalisation, failures, a directory written back, and archives made from a spec.
#include "ALDirRecord.h"
#include "ALArchive.h"

#include "QorTestFiles.h"
#include "QorZipBytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <memory>

namespace {

using qor::test::PathOf;
using qor::test::WriteBytes;
using qor::test::ZipMember;
using qor::test::ZipOf;
namespace fs = std::filesystem;

struct RecordsFreer {
    void operator()(ALDirRecord *records) const { ALFreeDirRecords(records); }
};
using Records = std::unique_ptr<ALDirRecord, RecordsFreer>;

Records ReadZip(const std::string &name, const std::string &bytes, int &count, int &status)
{
    WriteBytes(PathOf(name), bytes);
    return Records(ALReadDirRecords(PathOf(name).c_str(), &count, &status));
}

TEST(ALDirRecord, ReadsFieldsTimesAndTheTerminator)
{
    int count = -1, status = 1;
    const Records records = ReadZip("fields.zip",
                                    ZipOf({{"stored.txt", "data", 0, 0, 0x6DAF, 0x0ACF, 0x21},
                                           {"secret.txt", "s", 1},
                                           {"rolled.txt", "", 0, 0, 0xC000, 0x0001}, // 24:00 of month 0, 1980
                                           {"dir/", "", 0, 0, 0x6DAF, 0x0ACF, 0x10}},
                                          "the comment"),
                                    count, status);
    ASSERT_TRUE(records && count == 4 && status == 0) << count << " " << status;
    // name: mark encrypted year month day hour minute second read-only archive directory level
    const char *expected[] = {"stored.txt: 1 0 1985 6 15 13 45 30 255 255 0 0",
                              "secret.txt: 0 -1 1985 6 15 13 45 30 0 255 0 0", // encrypted: unmarked
                              "rolled.txt: 1 0 1979 12 2 0 0 0 0 255 0 0",     // out of range rolls over
                              "dir/: 1 0 1985 6 15 13 45 30 0 0 255 0"};
    for (int i = 0; i < count; ++i) {
        const ALDirRecord &r = records.get()[i];
        char actual[128];
        std::snprintf(actual, sizeof actual, "%s: %d %d %d %d %d %d %d %d %d %d %d %d", r.szName, r.sMark, r.sEncrypted,
                      r.sYear, r.sMonth, r.sDay, r.sHour, r.sMinute, r.sSecond, r.cReadOnly, r.cArchive, r.cDirectory,
                      r.cLevel);
        EXPECT_STREQ(actual, expected[i]);
        EXPECT_STREQ(r.szComment, "");
    }
    const ALDirRecord *r = records.get();
    EXPECT_EQ(r[0].lSize + r[0].lCompressedSize, 8);
    EXPECT_EQ(r[0].ulCrc32, ALCrc32Update(0xFFFFFFFFu, (const unsigned char *)"data", 4)) << "the register form";
    EXPECT_EQ(r[1].lLocalHeaderOffset, 30 + 10 + 4);
    EXPECT_EQ(r[4].lSize, -1);
    EXPECT_STREQ(r[4].szName, PathOf("fields.zip").c_str());
    EXPECT_STREQ(r[4].szComment, "the comment");
    EXPECT_NE(r[4].pArchive, nullptr);
}

TEST(ALDirRecord, FailuresGiveNoArrayExceptForAnEmptyArchive)
{
    struct Case { const char *name; std::string bytes; bool array; int status; };
    const Case cases[] = {
        {"empty.zip", ZipOf({}), true, 0}, // the end record alone: the terminator only
        {"short.zip", "PK\x05", false, AL_BAD_DIRECTORY},
        {"method.zip", ZipOf({{"x", "y", 0, 12}}), false, AL_NO_ENGINE}, // neither stored nor deflated
    };
    for (const Case &c : cases) {
        int count = -1, status = 1;
        const Records records = ReadZip(c.name, c.bytes, count, status);
        EXPECT_EQ(records != nullptr, c.array) << c.name;
        EXPECT_EQ(status, c.status) << c.name;
        EXPECT_EQ(count, 0) << c.name;
        EXPECT_TRUE(!records || records.get()[0].lSize == -1) << c.name;
    }
    int status = 0;
    EXPECT_EQ(ALReadDirRecords(PathOf("missing.zip").c_str(), nullptr, &status), nullptr);
    EXPECT_LT(status, 0);
}

TEST(ALDirRecord, WritesTheDirectoryBackFromMarkedRecords)
{
    int count = 0, status = 0;
    Records records = ReadZip("rewrite.zip", ZipOf({{"first", "1"}, {"second", "2"}}), count, status);
    ASSERT_TRUE(records);
    records.get()[0].sMark = 0;
    EXPECT_EQ(ALCreateFromDirRecords(records.get()), 0);
    records = Records(ALReadDirRecords(PathOf("rewrite.zip").c_str(), &count, &status));
    ASSERT_EQ(count, 1);
    EXPECT_STREQ(records.get()[0].szName, "second");
}

TEST(ALDirRecord, CreatesFromASpecOnceEachDeflatedAtLevelSix)
{
    fs::create_directories(PathOf("sub"));
    for (const char *name : {"one.txt", "two.txt", "sub/three.txt"})
        WriteBytes(PathOf(name), std::string(1000, name[0]));
    const std::string spec = PathOf("one.txt") + "," + PathOf("ONE.TXT") + ",\"" + PathOf("two.txt") + "\"\t" +
                             PathOf("none*.x") + "," + (fs::path(PathOf("sub")) / "three.txt").string(); // one kind of separator
    EXPECT_EQ(ALCreateZipFromSpec(PathOf("made.zip").c_str(), spec.c_str(), 1, nullptr), 0);
    int count = 0, status = 0;
    const Records records(ALReadDirRecords(PathOf("made.zip").c_str(), &count, &status));
    ASSERT_EQ(count, 3) << "a file named twice is stored once";
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back(records.get()[i].szName + std::string(records.get()[i].cLevel == 1 ? "" : " not deflated"));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"one.txt", "three.txt", "two.txt"}));
    EXPECT_EQ(ALCreateZipFromSpec(PathOf("none.zip").c_str(), PathOf("nothing*.here").c_str(), 0, nullptr), 0);
    EXPECT_EQ(fs::file_size(PathOf("none.zip")), 22u);
}

} // namespace
