// temppath_test.cpp: the temporary folder and the buffer rule of GetTempPathA.
#include "QorWinTypes.h"

#include "QorTestEnvironment.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TempPath, EndsWithASeparatorAndTellsTheSizeItNeeds)
{
    char path[MAX_PATH + 1] = {};
    DWORD length = GetTempPathA(sizeof path, path);
    ASSERT_GT(length, 0u);
    ASSERT_EQ(length, std::string(path).size());
    EXPECT_TRUE(path[length - 1] == '\\' || path[length - 1] == '/') << path;

    char small[2] = {'x', 'x'};
    EXPECT_EQ(GetTempPathA(sizeof small, small), length + 1) << "too small: the size with the terminator";
    EXPECT_TRUE(GetTempPathA(length, path) == length + 1 && GetTempPathA(length + 1, path) == length) << "room for the terminator";
}

#if !defined(_WIN32)
// The environment that decides the folder is POSIX's: Windows reads TMP, TEMP and the profile.
TEST(TempPath, ComesFromTmpdirOrTmp)
{
    char path[MAX_PATH + 1] = {};
    qor::test::SetEnvironmentVariable("TMPDIR", "/var/tmp/qor");
    EXPECT_TRUE(GetTempPathA(sizeof path, path) == 13u && std::string(path) == "/var/tmp/qor/");
    qor::test::SetEnvironmentVariable("TMPDIR", "");
    GetTempPathA(sizeof path, path);
    EXPECT_STREQ(path, "/tmp/");
    qor::test::SetEnvironmentVariable("TMPDIR", (qor::test::PrivateFolderEnvironment::Folder() / "tmp").string().c_str());
}
#endif

} // namespace
