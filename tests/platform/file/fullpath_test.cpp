// fullpath_test.cpp: GetFullPathNameA: names made absolute and tidied by their text, the file part and
// the buffer rule.
#include "QorWinTypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

TEST(GetFullPathNameA, TidiesRelativeNamesByTheirText)
{
    char folder[1024], path[1024];
    LPSTR filePart = nullptr;
    ASSERT_GT(GetFullPathNameA(".", sizeof folder, folder, nullptr), 0u);
    std::string base = folder;
    std::replace(base.begin(), base.end(), '\\', '/');
    // "." and ".." go by the text alone (nothing here exists); a trailing separator stays and leaves no file part.
    struct { const char *name, *tail, *filePart; } rows[] = {
        {"a/./b/../c.txt", "/a/c.txt", "c.txt"}, {"a\\\\b\\", "/a/b/", nullptr}, {"x/../", "/", nullptr}};
    for (const auto &row : rows) {
        DWORD length = GetFullPathNameA(row.name, sizeof path, path, &filePart);
        std::string full = path;
        std::replace(full.begin(), full.end(), '\\', '/');
        EXPECT_EQ(full.size(), length) << row.name;
        EXPECT_EQ(base + row.tail, full) << row.name;
        EXPECT_STREQ(row.filePart, filePart) << row.name;
    }
    char small[4];
    EXPECT_EQ(base.size() + 7, GetFullPathNameA("c.txt", sizeof small, small, nullptr)) << "the size with the terminator";
}
