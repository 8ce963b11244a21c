// oleaut_test.cpp: automation strings keep the Windows layout: a 32-bit byte count before the
// characters, a terminator after them, embedded NULs allowed, room without input left for the caller.
#include "QorPlatform.h"
#include "QorWideText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

TEST(Bstr, LengthPrefixedTerminatedAndNullable)
{
    // input null: room for the caller to fill
    const struct { const OLECHAR *input; UINT length; } rows[] = {{QOR_WTEXT("abc"), 3}, {QOR_WTEXT("a\0b"), 3}, {QOR_WTEXT("abcdef"), 2}, {QOR_WTEXT(""), 0}, {nullptr, 5}};
    for (const auto &row : rows) {
        BSTR text = SysAllocStringLen(row.input, row.length);
        ASSERT_NE(nullptr, text) << row.length;
        uint32_t prefix;
        std::memcpy(&prefix, reinterpret_cast<const char *>(text) - sizeof prefix, sizeof prefix);
        // The length ends it (not a NUL), its byte count precedes it, a NUL follows it even when unfilled.
        EXPECT_TRUE(SysStringLen(text) == row.length && SysStringByteLen(text) == 2 * row.length &&
                    prefix == 2 * row.length && text[row.length] == 0) << row.length;
        EXPECT_TRUE(row.input == nullptr || std::memcmp(row.input, text, 2 * row.length) == 0);
        SysFreeString(text);
    }
    BSTR text = SysAllocString(QOR_WTEXT("abc"));
    EXPECT_EQ(3u, SysStringLen(text));
    SysFreeString(text);
    EXPECT_TRUE(SysAllocString(nullptr) == nullptr && SysStringLen(nullptr) == 0u && SysStringByteLen(nullptr) == 0u);
    SysFreeString(nullptr); // a no-op, as on Windows
#if !defined(_WIN32) // QorInjectFault is a hook of the POSIX layer: it does not compile for Windows
    QorInjectFault("SysAllocString", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(nullptr, SysAllocString(u"x"));
#endif
}
