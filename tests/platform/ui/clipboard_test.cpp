// clipboard_test.cpp: registered clipboard formats: one id per name whatever its case, the first
// spelling kept, names of 1 to 255 characters.
#include "QorKnownDifference.h"
#include "QorPlatform.h"

#include <gtest/gtest.h>

#include <string>

TEST(ClipboardFormat, OneIdPerNameWhateverItsCase)
{
    UINT id = RegisterClipboardFormatA("QorTest.Format.Mixed");
    EXPECT_GE(id, 0xC000u);
    EXPECT_LE(id, 0xFFFFu);
    EXPECT_EQ(id, RegisterClipboardFormatA("QORTEST.FORMAT.MIXED"));
    EXPECT_EQ(id, RegisterClipboardFormatA("qortest.format.mixed"));
    UINT other = RegisterClipboardFormatA("QorTest.Format.Other");
    EXPECT_NE(0u, other);
    EXPECT_NE(id, other);

    char name[300];
    EXPECT_EQ(20, GetClipboardFormatNameA(id, name, sizeof name));
    EXPECT_STREQ("QorTest.Format.Mixed", name) << "the first registration's spelling";
    int count = GetClipboardFormatNameA(id, name, 4);
    EXPECT_STREQ("Qor", name) << "a long name is truncated to the buffer";
    QOR_EXPECT_BROKEN_ON_WINE(count == 3, "Wine answers 0 and ERROR_MORE_DATA instead of the characters copied");

    const std::string longest(255, 'q');
    id = RegisterClipboardFormatA(longest.c_str());
    EXPECT_EQ(255, GetClipboardFormatNameA(id, name, sizeof name));
    EXPECT_EQ(longest, name);
    for (const std::string &bad : {std::string(), longest + "q"}) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(0u, RegisterClipboardFormatA(bad.c_str())) << bad.size();
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError()) << bad.size();
    }
    EXPECT_EQ(0u, RegisterClipboardFormatA(nullptr));
    EXPECT_EQ(0, GetClipboardFormatNameA(1, name, sizeof name)) << "predefined formats have no name";
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, GetClipboardFormatNameA(0xFFF7, name, sizeof name));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError()) << "no atom has this id";
}

#if !defined(_WIN32) // QorInjectFault is a hook of the POSIX layer: it does not compile for Windows
// Error codes that Wine leaves unset, and fault injection.
TEST(ClipboardFormat, PosixFailureCodes)
{
    SetLastError(0);
    EXPECT_EQ(0u, RegisterClipboardFormatA(nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    char name[8];
    UINT id = RegisterClipboardFormatA("QorTest.Format.Mixed");
    EXPECT_EQ(0, GetClipboardFormatNameA(id, name, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), GetLastError()) << "not even the terminator fits";
    QorInjectFault("RegisterClipboardFormatA", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(0u, RegisterClipboardFormatA("QorTest.Format.Mixed"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
}
#endif
