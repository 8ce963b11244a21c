// ALZipFormat_test.cpp: the written form of member names, the DOS date and time fields, and the
// check that keeps extracted names inside the target folder.
#include "archive/ALConfinedName.h"
#include "archive/ALFileStamp.h"
#include "archive/ALZipFormat.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ALZipFormat, WrittenNames)
{
    // Drive, UNC server and share, one leading '/' go; a path is stripped by its last backslash first.
    struct { const char *storage; bool withoutPath; const char *written; } rows[] = {
        {"C:\\dir\\a.txt", false, "dir/a.txt"}, {"\\\\srv\\share\\x\\a.txt", false, "x/a.txt"},
        {"C:\\dir\\a.txt", true, "a.txt"},      {"\\\\srv\\share\\x\\a.txt", true, "a.txt"},
        {"//srv/share", false, "/srv/share"},   {"c:x", false, "x"}, {"1:x", false, "1:x"},
        {"//a.txt", false, "/a.txt"},           {"d/e\\f/g", true, "f/g"}, {"A:", false, "A:"}};
    for (const auto &row : rows)
        EXPECT_EQ(row.written, alzip::WrittenName(row.storage, row.withoutPath)) << row.storage;
}

TEST(ALZipFormat, DosDateAndTime)
{
    // 1985-06-15 13:45:30; odd seconds round down; years the form cannot hold give its ends.
    struct { ALTimeDate time; WORD date, dosTime; } rows[] = {
        {{1985, 6, 15, 13, 45, 30}, 0x0ACF, 0x6DAF}, {{1980, 1, 1, 0, 0, 59}, 0x0021, 0x001D},
        {{1979, 12, 31, 23, 59, 58}, 0x0021, 0x0000}, {{0, 0, 0, 0, 0, 0}, 0x0021, 0x0000},
        {{2108, 1, 1, 0, 0, 0}, 0xFF9F, 0xBF7D}};
    for (const auto &row : rows) {
        WORD date = 0, time = 0;
        ALDosFromTimeDate(row.time, date, time);
        EXPECT_EQ(row.date, date) << row.time.wYear;
        EXPECT_EQ(row.dosTime, time) << row.time.wYear;
    }
    ALTimeDate back = ALTimeDateFromDos(0x0ACF, 0x6DAF);
    EXPECT_EQ((std::vector<int>{1985, 6, 15, 13, 45, 30}),
              (std::vector<int>{back.wYear, back.wMonth, back.wDay, back.wHour, back.wMinute, back.wSecond}));
}

TEST(ALZipFormat, NamesConfinedToTheFolder)
{
    struct { const char *name; bool inside; } rows[] = {
        {"a/b.txt", true},     {"a\\b.txt", true},      {"..a/b..", true},    {"./x", true},  {"a/.../b", false},
        {"../x", false},       {"a\\..\\..\\x", false}, {"a/..", false},      {"/etc/x", false},
        {"\\\\srv\\s\\x", false}, {"C:x", false},       {"c:\\x", false},     {"a/.. /x", false}, {"1:x", true}, {"", false},
        {"a/con.txt", false},  {"LPT1", false},         {"nul .x", false},   {"com10", true}, {"console", true}};
    for (const auto &row : rows)
        EXPECT_EQ(row.inside, ALStaysInsideFolder(row.name)) << row.name;
}
