// QorStringFormat_test.cpp: CQorString's dealings with the runtime and the platform: Format (its
// size estimate, seen as the block it reserves, and output beyond the estimate), string resources,
// and wide and automation text.
#include "QorDll.h"
#include "QorStringProbe.h"
#include "QorTestStrings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

// "€€€€€€aé": in UTF-8 (the ANSI code page on POSIX) longer than two bytes per wide character.
const WCHAR kWideText[] = {0x20AC, 0x20AC, 0x20AC, 0x20AC, 0x20AC, 0x20AC, 'a', 0xE9, 0};

} // namespace

TEST(QorStringFormat, EstimateReservesTheBlock)
{
    static const WCHAR wide[] = {'w', 'i', 'd', 'e', 0};
    struct Row {
        int line;
        std::function<void(CQorString &)> format;
        const char *expected;
        int bufferLength; // estimate + 1
    } rows[] = {
        {__LINE__, [](CQorString &s) { s.Format("%5.2f", 1.0); }, " 1.00", 315}, // max(128, 312 + 2)
        {__LINE__, [](CQorString &s) { s.Format("%s", (const char *)nullptr); }, "(null)", 7},
        {__LINE__, [](CQorString &s) { s.Format("%I64d|%s", 0x123456789LL, "abc"); }, "4886718345|abc", 37},
        {__LINE__, [](CQorString &s) { s.Format("%I64x %d %s", 1LL << 40, 7, "z"); }, "10000000000 7 z", 68},
        {__LINE__, [](CQorString &s) { s.Format("%#x", 255); }, "0xff", 35}, // '#' adds 2
        {__LINE__, [](CQorString &s) { s.Format("%*d|", 40, 7); }, nullptr, 42},
        {__LINE__, [](CQorString &s) { s.Format("%.3s", "abcdef"); }, "abc", 4},
        {__LINE__, [](CQorString &s) { s.Format("%10.3s", "abcdef"); }, "       abc", 11},
        {__LINE__, [](CQorString &s) { s.Format("%.*s|", 2, "abcdef"); }, "ab|", 4},
        {__LINE__, [](CQorString &s) { s.Format("ab%%c"); }, "ab%c", 5},
        {__LINE__, [](CQorString &s) { s.Format("%c%hc", 'x', 'y'); }, "xy", 5},
        {__LINE__, [](CQorString &s) { s.Format("%S", wide); }, "wide", 5},
        {__LINE__, [](CQorString &s) { s.Format("%ls|%hs", wide, "n"); }, "wide|n", 7},
        {__LINE__, [](CQorString &s) { s.Format("%s", ""); }, "", 2}, // an empty text counts 1
        // a lone '%' at the end adds nothing to the estimate and prints nothing
        {__LINE__, [](CQorString &s) { s.Format("tail%"); }, "tail", 5},
    };
    for (const Row &row : rows) {
        CQorStringProbe s;
        row.format(s);
        if (row.expected) {
            EXPECT_STREQ(row.expected, s.GetString()) << "row at line " << row.line;
        }
        EXPECT_EQ(row.bufferLength, s.BufferLength()) << "row at line " << row.line;
    }
}

TEST(QorStringFormat, OutputBeyondTheEstimateComesOutWhole)
{
    CQorStringProbe s;
    s.Format("%*s|", -300, "x"); // a negative width pads on the right: the estimate saw 2
    EXPECT_EQ(301, s.GetLength());
    EXPECT_EQ('x', s[0]);
    EXPECT_EQ(' ', s[299]);
    EXPECT_EQ('|', s[300]);
    EXPECT_EQ(302, s.BufferLength()); // measured, then reserved exactly

    CQorStringProbe e;
    e.Format("%s|%E|%s", "a", 1e300, "b"); // %E adds nothing, but its double is stepped over
    EXPECT_STREQ("a|1.000000E+300|b", e.GetString());
    EXPECT_EQ(18, e.BufferLength());

    CQorStringProbe big;
    big.GetBuffer(500);
    big.Format("%d", 5); // a larger block is kept
    EXPECT_STREQ("5", big.GetString());
    EXPECT_EQ(501, big.BufferLength());

    CQorStringProbe own("hello");
    own.Format("%s world, %.3s", own.GetString(), own.GetString() + 1);
    EXPECT_STREQ("hello world, ell", own.GetString());
}

TEST(QorStringFormat, CountStoreRefusedZeroCharacterKept)
{
    for (const char *format : {"abc%n|def", "%hn", "x%I64n"}) {
        long long count = -1;
        CQorString s("old");
        s.Format(format, &count);
        EXPECT_EQ(-1, count) << format;
        EXPECT_EQ(0, s.GetLength()) << format;
    }
    CQorString zero;
    zero.Format("a%cb%s", 0, "cd");
    EXPECT_EQ(5, zero.GetLength()) << "the zero the runtime wrote does not cut the text";
    EXPECT_EQ(0, std::memcmp("a\0bcd", zero.GetString(), 6));
}

TEST(QorStringFormat, LoadString)
{
    QorDllInit(nullptr); // the resource module falls back to the test program itself
    const std::string longText = QOR_TEST_IDS_LONG_TEXT;

    CQorStringProbe missing;
    EXPECT_EQ((HRESULT)0xC0070716, missing.LoadString(QOR_TEST_IDS_MISSING_BLOCK)); // resource name not found
    EXPECT_EQ(0, missing.GetLength());
    EXPECT_EQ(1025, missing.BufferLength()); // tried once, with 1024

    CQorStringProbe greeting;
    EXPECT_EQ(S_OK, greeting.LoadString(QOR_TEST_IDS_GREETING, GetModuleHandleA(nullptr)));
    EXPECT_STREQ(QOR_TEST_IDS_GREETING_TEXT, greeting.GetString());

    CQorStringProbe cut;
    EXPECT_EQ(S_OK, cut.LoadString(QOR_TEST_IDS_LONG));
    EXPECT_EQ(longText.substr(0, 1022), cut.GetString()); // a 1024 buffer holds 1022 characters

    CQorStringProbe small("abc"); // its 4-byte block loads at most 2 characters
    EXPECT_EQ(S_OK, small.LoadString(QOR_TEST_IDS_GREETING));
    EXPECT_STREQ("He", small.GetString());

    CQorStringProbe roomy;
    roomy.GetBuffer(2000);
    EXPECT_EQ(S_OK, roomy.LoadString(QOR_TEST_IDS_LONG));
    EXPECT_EQ(longText, roomy.GetString());

    CQorStringProbe gap("abc"); // nothing in the small block: retried with 1024
    SetLastError(0); // an empty slot of an existing block sets no error: the member rule makes 0x00070000
    EXPECT_EQ((HRESULT)0x00070000, gap.LoadString(QOR_TEST_IDS_MISSING_IN_BLOCK));
    EXPECT_EQ(0, gap.GetLength());
    EXPECT_EQ(1025, gap.BufferLength());
}

TEST(QorStringFormat, WideAndAutomationText)
{
    CQorString fromWide(kWideText);
#if !defined(_WIN32) // the ANSI code page is UTF-8 on POSIX only
    EXPECT_STREQ("\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC" "a\xC3\xA9", fromWide.GetString());
#endif
    BSTR bstr = fromWide.AllocSysString();
    ASSERT_NE(nullptr, bstr);
    ASSERT_EQ(8u, SysStringLen(bstr));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ((int)kWideText[i], (int)bstr[i]) << "character " << i;
    EXPECT_EQ(0, bstr[8]);
    SysFreeString(bstr);

    const unsigned short ascii[] = {'a', 'b', 'c', 0};
    EXPECT_STREQ("abc", CQorString(ascii).GetString());
    const unsigned short nothing[] = {0};
    CQorStringProbe empty("x");
    empty = nothing;
    EXPECT_EQ(0, empty.GetLength());
    empty = (const WCHAR *)nullptr;
    EXPECT_EQ(0, empty.GetLength());

    for (const CQorString &s : {CQorString(), CQorString("")}) {
        BSTR none = s.AllocSysString();
        ASSERT_NE(nullptr, none);
        EXPECT_EQ(0u, SysStringLen(none));
        SysFreeString(none);
    }
}
