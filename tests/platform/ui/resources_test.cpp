// resources_test.cpp: LoadStringA with the Windows rules (truncation, blocks of 16, absent strings)
// against the test programs' string table; on POSIX also the registration of string tables.
#include "QorPlatform.h"
#include "QorTestStrings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(StringResources, TruncationAndAbsentStrings)
{
    const std::string greeting = QOR_TEST_IDS_GREETING_TEXT, longText = QOR_TEST_IDS_LONG_TEXT;
    const int longSize = static_cast<int>(longText.size());
    const struct {
        UINT id;
        int size;
        std::string expected;
    } rows[] = {
        {QOR_TEST_IDS_GREETING, 64, greeting},
        {QOR_TEST_IDS_LONG, 1025, longText.substr(0, 1024)}, // at most cchBufferMax - 1 characters
        {QOR_TEST_IDS_LONG, longSize, longText.substr(0, longText.size() - 1)},
        {QOR_TEST_IDS_LONG, longSize + 1, longText},
        {QOR_TEST_IDS_GREETING, 1, ""}, // room for the terminator only
    };
    for (const auto &row : rows) {
        std::vector<char> buffer(static_cast<size_t>(row.size) + 1, 'x');
        EXPECT_EQ(static_cast<int>(row.expected.size()), LoadStringA(nullptr, row.id, buffer.data(), row.size))
            << row.size << " (a null instance is the executable)";
        EXPECT_EQ(row.expected, std::string(buffer.data())) << row.size;
        EXPECT_EQ('x', buffer[static_cast<size_t>(row.size)]) << row.size;
    }
    // An empty slot of an existing block of 16 answers 0 without an error; a missing block is a
    // missing resource.
    for (UINT id : {QOR_TEST_IDS_MISSING_IN_BLOCK, QOR_TEST_IDS_MISSING_BLOCK}) {
        char buffer[64] = "x";
        SetLastError(0xdeadbeef);
        EXPECT_EQ(0, LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer));
        EXPECT_EQ(id == QOR_TEST_IDS_MISSING_BLOCK ? ERROR_RESOURCE_NAME_NOT_FOUND : 0xdeadbeefu, GetLastError()) << id;
        EXPECT_EQ('\0', buffer[0]);
    }
}

#if !defined(_WIN32) // string-table registration stands in for a module's resource section: the hooks
                     // exist on POSIX only and do not compile for Windows
TEST(StringTableRegistration, RegistersReplacesForgetsAndRefuses)
{
    static int anchor;
    HMODULE module = reinterpret_cast<HMODULE>(&anchor);
    char buffer[64];
    EXPECT_EQ(0, LoadStringA(module, 5, buffer, sizeof buffer));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND), GetLastError()) << "a module without a table";

    const QOR_STRING_RESOURCE first[] = {{5, "five"}, {6, ""}, {21, "a\xC3\xB1" "b"}};
    ASSERT_NE(FALSE, QorRegisterStringTable(module, first, 3));
    EXPECT_EQ(4, LoadStringA(module, 5, buffer, sizeof buffer));
    EXPECT_STREQ("five", buffer);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, LoadStringA(module, 6, buffer, sizeof buffer)) << "an empty string is an empty slot";
    EXPECT_EQ(0xdeadbeefu, GetLastError());
    EXPECT_EQ(1, LoadStringA(module, 21, buffer, 3)) << "truncation never splits a UTF-8 character";
    EXPECT_STREQ("a", buffer);

    const QOR_STRING_RESOURCE second[] = {{5, "FIVE"}};
    ASSERT_NE(FALSE, QorRegisterStringTable(module, second, 1));
    EXPECT_EQ(4, LoadStringA(module, 5, buffer, sizeof buffer));
    EXPECT_STREQ("FIVE", buffer) << "a second registration replaces the table";
    EXPECT_EQ(0, LoadStringA(module, 21, buffer, sizeof buffer));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND), GetLastError()) << "its block went with the old table";
    EXPECT_NE(FALSE, QorUnregisterStringTable(module));
    EXPECT_EQ(FALSE, QorUnregisterStringTable(module));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND), GetLastError());

    const QOR_STRING_RESOURCE nullText[] = {{1, nullptr}}, wideId[] = {{0x10000, "string ids are 16-bit"}};
    for (const auto &[owner, rows] : {std::make_pair(HMODULE(), second), std::make_pair(module, nullText),
                                      std::make_pair(module, wideId), std::make_pair(module, static_cast<const QOR_STRING_RESOURCE *>(nullptr))}) {
        SetLastError(0);
        EXPECT_EQ(FALSE, QorRegisterStringTable(owner, rows, 1));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    }
    EXPECT_EQ(0, LoadStringA(nullptr, QOR_TEST_IDS_GREETING, buffer, 0)) << "0 is unsupported for the ANSI call";
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    QorInjectFault("LoadStringA", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(0, LoadStringA(nullptr, QOR_TEST_IDS_GREETING, buffer, sizeof buffer));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
}
#endif
