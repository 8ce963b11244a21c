// find_test.cpp: FindFirstFileA/FindNextFileA/FindClose with the Win32 wildcard rules over a real folder, and the
// errors for no match, a missing folder and the end of the search.
#include "QorTestFiles.h"
#include "QorWinTypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The names a search finds in name order, or the error that ends it at once.
std::vector<std::string> Find(const char *pattern, DWORD *error = nullptr)
{
    WIN32_FIND_DATAA data;
    std::vector<std::string> names;
    SetLastError(0xdeadbeef);
    HANDLE search = FindFirstFileA(pattern, &data);
    if (search == INVALID_HANDLE_VALUE) {
        if (error)
            *error = GetLastError();
        return names;
    }
    do
        names.push_back(data.cFileName + std::string((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "/" : ""));
    while (FindNextFileA(search, &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());
    EXPECT_TRUE(FindClose(search));
    std::sort(names.begin(), names.end());
    return names;
}

using Names = std::vector<std::string>;

} // namespace

TEST(FindFile, WildcardRulesOverAFolder)
{
    std::filesystem::create_directories("ff/sub");
    for (const char *name : {"ff/Alpha.TXT", "ff/beta", "ff/gamma.c", "ff/sub/inner.txt"})
        qor::test::WriteBytes(name, "x");
    struct { const char *pattern; Names names; } rows[] = {{"ff/*.txt", {"Alpha.TXT"}}, {"ff\\*.TXT", {"Alpha.TXT"}},
        {"ff/beta.*", {"beta"}}, {"ff/?eta", {"beta"}}, {"ff/*.*", {"../", "./", "Alpha.TXT", "beta", "gamma.c", "sub/"}},
        {"ff/s*", {"sub/"}}, {"ff/ALPHA.txt", {"Alpha.TXT"}}};
    for (const auto &row : rows)
        EXPECT_EQ(row.names, Find(row.pattern)) << row.pattern;
    DWORD none = 0, missing = 0;
    EXPECT_TRUE(Find("ff/nothing*", &none).empty() && none == ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(Find("nofolder/*", &missing).empty() && missing == ERROR_PATH_NOT_FOUND);
}
