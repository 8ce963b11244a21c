// ALDirRecord_test.cpp: a ZIP file's directory as flat records: the fields and the terminator, time
// normalisation, failures, extraction with and without paths, a directory written back, and archives
// made from a spec.
#include "ALDirRecord.h"
#include "ALArchive.h"

#include "QorTestFiles.h"
#include "QorZipBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

using qor::test::PathOf;
using qor::test::ReadBytes;
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

// Runs `body` with a fresh folder of the private folder current.
template <typename Body> void InFolder(const std::string &name, Body body)
{
    const fs::path previous = fs::current_path();
    fs::create_directories(PathOf(name));
    fs::current_path(PathOf(name));
    body();
    fs::current_path(previous);
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
    ASSERT_TRUE(records);
    ASSERT_EQ(count, 4);
    EXPECT_EQ(status, 0);
    const ALDirRecord *r = records.get();
    struct Row { const char *name; SHORT mark, encrypted, year, month, day, hour, minute, second; BYTE readOnly, directory; };
    const Row rows[] = {
        {"stored.txt", 1, 0, 1985, 6, 15, 13, 45, 30, 0xFF, 0},
        {"secret.txt", 0, -1, 1985, 6, 15, 13, 45, 30, 0, 0}, // encrypted members start unmarked
        {"rolled.txt", 1, 0, 1979, 12, 2, 0, 0, 0, 0, 0},     // fields out of range roll over
        {"dir/", 1, 0, 1985, 6, 15, 13, 45, 30, 0, 0xFF},
    };
    for (int i = 0; i < 4; ++i) {
        const Row &w = rows[i];
        SCOPED_TRACE(w.name);
        EXPECT_STREQ(r[i].szName, w.name);
        EXPECT_STREQ(r[i].szComment, "");
        EXPECT_EQ(r[i].cLevel, 0);
        EXPECT_EQ((std::vector<int>{r[i].sMark, r[i].sEncrypted, r[i].sYear, r[i].sMonth, r[i].sDay, r[i].sHour,
                                    r[i].sMinute, r[i].sSecond, r[i].cReadOnly, r[i].cDirectory}),
                  (std::vector<int>{w.mark, w.encrypted, w.year, w.month, w.day, w.hour, w.minute, w.second,
                                    w.readOnly, w.directory}));
    }
    EXPECT_EQ(r[0].cArchive, 0xFF);
    EXPECT_EQ(r[0].lSize, 4);
    EXPECT_EQ(r[0].lCompressedSize, 4);
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
        if (records)
            EXPECT_EQ(records.get()[0].lSize, -1) << c.name;
    }
    int status = 0;
    EXPECT_EQ(ALReadDirRecords(PathOf("missing.zip").c_str(), nullptr, &status), nullptr);
    EXPECT_LT(status, 0);
}

TEST(ALDirRecord, ExtractsWithAndWithoutPathsAndSkipsEncrypted)
{
    const std::string zip = ZipOf({{"a/b/c.txt", "one"}, {"x/c.txt", "two"}, {"secret", "s", 1}});
    for (int strip = 0; strip <= 1; ++strip) {
        int count = 0, status = 0;
        const Records records = ReadZip("paths.zip", zip, count, status);
        ASSERT_TRUE(records);
        InFolder(strip ? "stripped" : "kept", [&] {
            EXPECT_EQ(ALExtractDirRecords(records.get(), strip, nullptr), 0) << "the encrypted member is skipped";
            EXPECT_FALSE(fs::exists("secret"));
            if (strip) {
                EXPECT_EQ(ReadBytes("c.txt"), "two") << "same bare name: the later member wins";
                EXPECT_FALSE(fs::exists("a"));
            } else {
                EXPECT_EQ(ReadBytes("a/b/c.txt") + ReadBytes("x/c.txt"), "onetwo");
            }
        });
    }
    EXPECT_EQ(ALExtractDirRecords(nullptr, 0, nullptr), 0);
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
    InFolder("spec", [] {
        fs::create_directories("sub");
        for (const char *name : {"one.txt", "two.txt", "sub/three.txt"})
            WriteBytes(name, std::string(1000, name[0]));
        EXPECT_EQ(ALCreateZipFromSpec("made.zip", "one.txt,ONE.TXT,\"two.txt\"\tnone*.x,sub/three.txt", 1, nullptr), 0);
        int count = 0, status = 0;
        const Records records(ALReadDirRecords("made.zip", &count, &status));
        ASSERT_EQ(count, 3) << "a file named twice is stored once";
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) {
            names.push_back(records.get()[i].szName);
            EXPECT_EQ(records.get()[i].cLevel, 1) << names.back();
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"one.txt", "three.txt", "two.txt"}));
        EXPECT_EQ(ALCreateZipFromSpec("none.zip", "nothing*.here", 0, nullptr), 0);
        EXPECT_EQ(fs::file_size("none.zip"), 22u);
    });
}

} // namespace
