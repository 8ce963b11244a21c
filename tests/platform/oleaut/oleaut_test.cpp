// oleaut_test.cpp: automation strings keep the Windows layout: a 32-bit byte count before the
// characters, a terminator after them, embedded NULs allowed, room without input left for the caller.
#include "QorPlatform.h"
#include "QorWideText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

uint32_t PrefixOf(BSTR text)
{
    uint32_t prefix;
    std::memcpy(&prefix, reinterpret_cast<const char *>(text) - sizeof prefix, sizeof prefix);
    return prefix;
}

} // namespace

TEST(Bstr, LengthPrefixedAndTerminated)
{
    BSTR text = SysAllocString(QOR_WTEXT("abc"));
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(3u, SysStringLen(text));
    EXPECT_EQ(6u, SysStringByteLen(text));
    EXPECT_EQ(6u, PrefixOf(text)) << "the count of bytes sits just before the characters";
    EXPECT_EQ(0, text[3]);
    SysFreeString(text);

    BSTR embedded = SysAllocStringLen(QOR_WTEXT("a\0b"), 3);
    ASSERT_NE(nullptr, embedded);
    EXPECT_EQ(3u, SysStringLen(embedded)) << "the length, not the first NUL, ends the string";
    EXPECT_EQ('b', embedded[2]);
    EXPECT_EQ(0, embedded[3]);
    SysFreeString(embedded);

    BSTR prefix = SysAllocStringLen(QOR_WTEXT("abcdef"), 2);
    ASSERT_NE(nullptr, prefix);
    EXPECT_EQ(2u, SysStringLen(prefix));
    EXPECT_EQ(0, prefix[2]);
    SysFreeString(prefix);

    BSTR empty = SysAllocString(QOR_WTEXT(""));
    ASSERT_NE(nullptr, empty) << "an empty string is a string";
    EXPECT_EQ(0u, SysStringLen(empty));
    SysFreeString(empty);
}

TEST(Bstr, RoomWithoutInputAndNulls)
{
    BSTR room = SysAllocStringLen(nullptr, 5);
    ASSERT_NE(nullptr, room);
    EXPECT_EQ(5u, SysStringLen(room));
    EXPECT_EQ(10u, SysStringByteLen(room));
    EXPECT_EQ(0, room[5]) << "terminated even though the characters are the caller's to fill";
    for (int i = 0; i < 5; ++i)
        room[i] = static_cast<OLECHAR>('v' + i);
    EXPECT_EQ('z', room[4]);
    SysFreeString(room);

    EXPECT_EQ(nullptr, SysAllocString(nullptr));
    EXPECT_EQ(0u, SysStringLen(nullptr));
    EXPECT_EQ(0u, SysStringByteLen(nullptr));
    SysFreeString(nullptr); // a no-op, as on Windows
#if !defined(_WIN32)
    QorInjectFault("SysAllocStringLen", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(nullptr, SysAllocStringLen(u"x", 1));
    QorInjectFault("SysAllocString", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(nullptr, SysAllocString(u"x"));
#endif
}
