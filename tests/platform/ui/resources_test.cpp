// resources_test.cpp: LoadStringA with the Windows rules (truncation, blocks of 16, absent strings)
// against the test programs' string table; on POSIX also the registration of string tables.
#include "QorPlatform.h"
#include "QorTestStrings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

TEST(StringResources, CopiesWithTheWindowsTruncationRule)
{
    HMODULE executable = GetModuleHandleA(nullptr);
    const std::string greeting = QOR_TEST_IDS_GREETING_TEXT;
    const std::string longText = QOR_TEST_IDS_LONG_TEXT;
    struct Row {
        int line;
        UINT id;
        int size;
        std::string expected;
    };
    const Row rows[] = {
        {__LINE__, QOR_TEST_IDS_GREETING, 64, greeting},
        {__LINE__, QOR_TEST_IDS_LONG, 1025, longText.substr(0, 1024)}, // at most cchBufferMax - 1 characters
        {__LINE__, QOR_TEST_IDS_LONG, static_cast<int>(longText.size()), longText.substr(0, longText.size() - 1)},
        {__LINE__, QOR_TEST_IDS_LONG, static_cast<int>(longText.size()) + 1, longText},
        {__LINE__, QOR_TEST_IDS_GREETING, 1, ""}, // room for the terminator only
    };
    for (const Row &row : rows) {
        std::vector<char> buffer(static_cast<size_t>(row.size) + 1, 'x');
        int count = LoadStringA(executable, row.id, buffer.data(), row.size);
        EXPECT_EQ(static_cast<int>(row.expected.size()), count) << "row at line " << row.line;
        EXPECT_EQ(row.expected, std::string(buffer.data())) << "row at line " << row.line;
        EXPECT_EQ('x', buffer[static_cast<size_t>(row.size)]) << "row at line " << row.line;
    }
    char buffer[64];
    EXPECT_EQ(static_cast<int>(greeting.size()), LoadStringA(nullptr, QOR_TEST_IDS_GREETING, buffer, sizeof buffer))
        << "a null instance is the executable";
}

TEST(StringResources, AbsentStringsInAnExistingAndAMissingBlock)
{
    HMODULE executable = GetModuleHandleA(nullptr);
    char buffer[64];
    // The id's block of 16 exists: the empty slot is found, so LoadStringA answers 0 without an error.
    std::memset(buffer, 'x', sizeof buffer);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, LoadStringA(executable, QOR_TEST_IDS_MISSING_IN_BLOCK, buffer, sizeof buffer));
    EXPECT_EQ(0xdeadbeefu, GetLastError());
    EXPECT_EQ('\0', buffer[0]);
    // No string at all in the id's block: the resource itself is missing.
    std::memset(buffer, 'x', sizeof buffer);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, LoadStringA(executable, QOR_TEST_IDS_MISSING_BLOCK, buffer, sizeof buffer));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND), GetLastError());
    EXPECT_EQ('\0', buffer[0]);
}

#if !defined(_WIN32)
// String-table registration is the POSIX stand-in for a module's resource section; Windows has none.
namespace {

int s_moduleAnchor;
HMODULE FakeModule() { return reinterpret_cast<HMODULE>(&s_moduleAnchor); }

} // namespace

TEST(StringTableRegistration, RegistersReplacesAndForgetsTables)
{
    char buffer[64];
    SetLastError(0);
    EXPECT_EQ(0, LoadStringA(FakeModule(), 5, buffer, sizeof buffer));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND), GetLastError()) << "a module without a table";

    const QOR_STRING_RESOURCE first[] = {{5, "five"}, {6, ""}, {21, "a\xC3\xB1" "b"}};
    ASSERT_NE(FALSE, QorRegisterStringTable(FakeModule(), first, 3));
    EXPECT_EQ(4, LoadStringA(FakeModule(), 5, buffer, sizeof buffer));
    EXPECT_STREQ("five", buffer);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, LoadStringA(FakeModule(), 6, buffer, sizeof buffer)) << "an empty string is an empty slot";
    EXPECT_EQ(0xdeadbeefu, GetLastError());
    EXPECT_EQ(1, LoadStringA(FakeModule(), 21, buffer, 3)) << "truncation never splits a UTF-8 character";
    EXPECT_STREQ("a", buffer);

    const QOR_STRING_RESOURCE second[] = {{5, "FIVE"}};
    ASSERT_NE(FALSE, QorRegisterStringTable(FakeModule(), second, 1));
    EXPECT_EQ(4, LoadStringA(FakeModule(), 5, buffer, sizeof buffer));
    EXPECT_STREQ("FIVE", buffer) << "a second registration replaces the table";
    SetLastError(0);
    EXPECT_EQ(0, LoadStringA(FakeModule(), 21, buffer, sizeof buffer));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND), GetLastError()) << "its block went with the old table";

    EXPECT_NE(FALSE, QorUnregisterStringTable(FakeModule()));
    SetLastError(0);
    EXPECT_EQ(FALSE, QorUnregisterStringTable(FakeModule()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND), GetLastError());
}

TEST(StringTableRegistration, RefusesInvalidTablesAndBuffers)
{
    const QOR_STRING_RESOURCE rows[] = {{1, "one"}};
    const QOR_STRING_RESOURCE nullText[] = {{1, nullptr}};
    const QOR_STRING_RESOURCE wideId[] = {{0x10000, "too big"}}; // string ids are 16-bit
    struct Row {
        int line;
        HMODULE module;
        const QOR_STRING_RESOURCE *rows;
        size_t count;
    };
    const Row invalid[] = {
        {__LINE__, nullptr, rows, 1},
        {__LINE__, FakeModule(), nullptr, 1},
        {__LINE__, FakeModule(), nullText, 1},
        {__LINE__, FakeModule(), wideId, 1},
    };
    for (const Row &row : invalid) {
        SetLastError(0);
        EXPECT_EQ(FALSE, QorRegisterStringTable(row.module, row.rows, row.count)) << "row at line " << row.line;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError()) << "row at line " << row.line;
    }
    char buffer[8];
    SetLastError(0);
    EXPECT_EQ(0, LoadStringA(nullptr, QOR_TEST_IDS_GREETING, buffer, 0)) << "0 is unsupported for the ANSI call";
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    QorInjectFault("LoadStringA", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(0, LoadStringA(nullptr, QOR_TEST_IDS_GREETING, buffer, sizeof buffer));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
    EXPECT_EQ(7, LoadStringA(nullptr, QOR_TEST_IDS_GREETING, buffer, sizeof buffer)) << "the fault fired once";
}
#endif
