// QorStringFormat_test.cpp: CQorString with the runtime and the platform: Format (its size estimate, seen as the
// block it reserves, and output beyond it), string resources, wide and automation text.
#include "QorDll.h"
#include "QorStringProbe.h"
#include "QorTestStrings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// "€€€€€€aé": in UTF-8 (the ANSI code page on POSIX) longer than two bytes per wide character.
const WCHAR kWideText[] = {0x20AC, 0x20AC, 0x20AC, 0x20AC, 0x20AC, 0x20AC, 'a', 0xE9, 0};

} // namespace

TEST(QorStringFormat, EstimateReservesTheBlock)
{
    static const WCHAR wide[] = {'w', 'i', 'd', 'e', 0};
    // bufferLength: the estimate + 1
    struct Row { int line; std::function<void(CQorString &)> format; const char *expected; int bufferLength; } rows[] = {
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
        EXPECT_TRUE((!row.expected || std::string(row.expected) == s.GetString()) && row.bufferLength == s.BufferLength())
            << "row at line " << row.line << ": " << s.GetString() << " in " << s.BufferLength();
    }
}

TEST(QorStringFormat, OutputBeyondTheEstimateComesOutWhole)
{
    CQorStringProbe s;
    s.Format("%*s|", -300, "x"); // a negative width pads on the right: the estimate saw 2
    EXPECT_EQ("x" + std::string(299, ' ') + "|", s.GetString());
    EXPECT_EQ(302, s.BufferLength()); // measured, then reserved exactly

    CQorStringProbe e, big;
    e.Format("%s|%E|%s", "a", 1e300, "b"); // %E adds nothing, but its double is stepped over
    EXPECT_TRUE(std::string(e.GetString()) == "a|1.000000E+300|b" && e.BufferLength() == 18);
    big.GetBuffer(500);
    big.Format("%d", 5); // a larger block is kept
    EXPECT_TRUE(std::string(big.GetString()) == "5" && big.BufferLength() == 501);

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
        EXPECT_TRUE(count == -1 && s.GetLength() == 0) << format;
    }
    CQorString zero;
    zero.Format("a%cb%s", 0, "cd");
    EXPECT_TRUE(zero.GetLength() == 5 && std::memcmp("a\0bcd", zero.GetString(), 6) == 0) << "the zero does not cut the text";
}

TEST(QorStringFormat, LoadString)
{
    QorDllInit(nullptr); // the resource module falls back to the test program itself
    const std::string longText = QOR_TEST_IDS_LONG_TEXT;

    CQorStringProbe missing;
    // resource name not found; tried once, with 1024
    EXPECT_EQ((HRESULT)0xC0070716, missing.LoadString(QOR_TEST_IDS_MISSING_BLOCK));
    EXPECT_TRUE(missing.GetLength() == 0 && missing.BufferLength() == 1025);

    // A 1024 buffer holds 1022 characters; the 4-byte block of "abc" loads at most 2.
    CQorStringProbe greeting, cut, small("abc"), roomy;
    roomy.GetBuffer(2000);
    EXPECT_EQ((std::vector<HRESULT>(4, S_OK)), (std::vector<HRESULT>{greeting.LoadString(QOR_TEST_IDS_GREETING, GetModuleHandleA(nullptr)),
              cut.LoadString(QOR_TEST_IDS_LONG), small.LoadString(QOR_TEST_IDS_GREETING), roomy.LoadString(QOR_TEST_IDS_LONG)}));
    EXPECT_EQ(QOR_TEST_IDS_GREETING_TEXT, std::string(greeting.GetString()));
    EXPECT_TRUE(longText.substr(0, 1022) == cut.GetString() && std::string(small.GetString()) == "He" && longText == roomy.GetString());

    CQorStringProbe gap("abc"); // nothing in the small block: retried with 1024
    SetLastError(0); // an empty slot of an existing block sets no error: the member rule makes 0x00070000
    EXPECT_EQ((HRESULT)0x00070000, gap.LoadString(QOR_TEST_IDS_MISSING_IN_BLOCK));
    EXPECT_TRUE(gap.GetLength() == 0 && gap.BufferLength() == 1025);
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
    EXPECT_EQ(0, std::memcmp(kWideText, bstr, sizeof kWideText)) << "the characters and the terminator";
    SysFreeString(bstr);

    const unsigned short ascii[] = {'a', 'b', 'c', 0};
    EXPECT_STREQ("abc", CQorString(ascii).GetString());
    const unsigned short nothing[] = {0};
    CQorStringProbe empty("x"), null("y");
    empty = nothing;
    null = (const WCHAR *)nullptr;
    EXPECT_TRUE(empty.GetLength() == 0 && null.GetLength() == 0);

    for (const CQorString &s : {CQorString(), CQorString("")}) {
        BSTR none = s.AllocSysString();
        EXPECT_TRUE(none != nullptr && SysStringLen(none) == 0u);
        SysFreeString(none);
    }
}
