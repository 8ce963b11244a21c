// codepage_test.cpp: UTF-8 <-> UTF-16 through MultiByteToWideChar and WideCharToMultiByte: round trips,
// -1 lengths, size queries, too small buffers, ill-formed input and refused arguments.
#include "QorPlatform.h"
#include "QorWideText.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using WideString = std::basic_string<WCHAR>;

WideString ToWide(const std::string &text, DWORD flags = 0)
{
    int count = MultiByteToWideChar(CP_UTF8, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    WideString wide(static_cast<size_t>(count), 0);
    if (count > 0)
        MultiByteToWideChar(CP_UTF8, flags, text.data(), static_cast<int>(text.size()), &wide[0], count);
    return wide;
}

std::string ToUtf8(const WideString &wide, DWORD flags = 0)
{
    int count = WideCharToMultiByte(CP_UTF8, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                    nullptr);
    std::string text(static_cast<size_t>(count), '\0');
    if (count > 0)
        WideCharToMultiByte(CP_UTF8, flags, wide.data(), static_cast<int>(wide.size()), &text[0], count, nullptr,
                            nullptr);
    return text;
}

WideString Units(std::initializer_list<unsigned> units)
{
    WideString wide;
    for (unsigned unit : units)
        wide.push_back(static_cast<WCHAR>(unit));
    return wide;
}

} // namespace

TEST(CodePage, RoundTripsEveryEncodingLength)
{
    struct Row {
        int line;
        std::string utf8;
        WideString utf16;
    };
    const Row rows[] = {
        {__LINE__, "A", Units({0x41})},
        {__LINE__, "\xC3\xA9", Units({0xE9})},                        // two bytes
        {__LINE__, "\xE2\x82\xAC", Units({0x20AC})},                  // three bytes
        {__LINE__, "\xEF\xBF\xBF", Units({0xFFFF})},                  // the last BMP character
        {__LINE__, "\xF0\x9F\x98\x80", Units({0xD83D, 0xDE00})},      // a surrogate pair
        {__LINE__, "\xF4\x8F\xBF\xBF", Units({0xDBFF, 0xDFFF})},      // U+10FFFF
        {__LINE__, std::string("a\0b", 3), Units({0x61, 0, 0x62})}, // an embedded NUL is a character
    };
    for (const Row &row : rows) {
        EXPECT_EQ(row.utf16, ToWide(row.utf8)) << "row at line " << row.line;
        EXPECT_EQ(row.utf8, ToUtf8(row.utf16)) << "row at line " << row.line;
    }
}

TEST(CodePage, TerminatedInputSizeQueriesAndSmallBuffers)
{
    const char *text = "h\xC3\xA9llo"; // five characters
    EXPECT_EQ(6, MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0)) << "-1 counts the terminator";
    WCHAR wide[8];
    for (WCHAR &unit : wide)
        unit = 'x';
    EXPECT_EQ(6, MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 6));
    EXPECT_EQ(0, wide[5]);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 5));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());

    EXPECT_EQ(7, WideCharToMultiByte(CP_UTF8, 0, QOR_WTEXT("h\u00e9llo"), -1, nullptr, 0, nullptr, nullptr));
    char narrow[8];
    EXPECT_EQ(7, WideCharToMultiByte(CP_UTF8, 0, QOR_WTEXT("h\u00e9llo"), -1, narrow, 7, nullptr, nullptr));
    EXPECT_STREQ(text, narrow);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, 0, QOR_WTEXT("h\u00e9llo"), -1, narrow, 6, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
}

TEST(CodePage, IllFormedInputIsReplacedOrRefused)
{
    struct Row {
        int line;
        std::string utf8;
        WideString utf16;
    };
    const Row rows[] = {
        {__LINE__, "\x80" "A", Units({0xFFFD, 0x41})},          // a lone continuation byte
        {__LINE__, "\xE2\x82" "A", Units({0xFFFD, 0x41})},      // a truncated sequence is one replacement
        {__LINE__, "\xC0\x80", Units({0xFFFD, 0xFFFD})},        // an overlong NUL
        {__LINE__, "\xC3", Units({0xFFFD})},                    // cut at the end of the input
    };
    for (const Row &row : rows) {
        EXPECT_EQ(row.utf16, ToWide(row.utf8)) << "row at line " << row.line;
        SetLastError(0xdeadbeef);
        EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, row.utf8.data(),
                                         static_cast<int>(row.utf8.size()), nullptr, 0))
            << "row at line " << row.line;
        EXPECT_EQ(static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION), GetLastError()) << "row at line " << row.line;
    }
    const WideString loneSurrogates[] = {Units({0xD800, 0x41}), Units({0x41, 0xDC00}), Units({0xD83D})};
    EXPECT_EQ("\xEF\xBF\xBD" "A", ToUtf8(loneSurrogates[0]));
    EXPECT_EQ("A\xEF\xBF\xBD", ToUtf8(loneSurrogates[1]));
    EXPECT_EQ("\xEF\xBF\xBD", ToUtf8(loneSurrogates[2])) << "a high surrogate at the end of the input";
    for (const WideString &wide : loneSurrogates) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr));
        EXPECT_EQ(static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION), GetLastError());
    }
}

TEST(CodePage, RefusedArguments)
{
    WCHAR wide[4];
    char narrow[4];
    struct Row {
        int line;
        std::function<int()> call;
    };
    const Row rows[] = {
        {__LINE__, [&] { return MultiByteToWideChar(12345, 0, "a", 1, wide, 4); }}, // unsupported code page
        {__LINE__, [&] { return MultiByteToWideChar(CP_UTF8, 0, "a", 0, wide, 4); }}, // zero-length input
        {__LINE__, [&] { return MultiByteToWideChar(CP_UTF8, 0, nullptr, 1, wide, 4); }},
        {__LINE__, [&] { return MultiByteToWideChar(CP_UTF8, 0, "a", 1, nullptr, 4); }},
        {__LINE__, [&] { return WideCharToMultiByte(12345, 0, QOR_WTEXT("a"), 1, narrow, 4, nullptr, nullptr); }},
        {__LINE__, [&] { return WideCharToMultiByte(CP_UTF8, 0, QOR_WTEXT("a"), 0, narrow, 4, nullptr, nullptr); }},
        {__LINE__, [&] { return WideCharToMultiByte(CP_UTF8, 0, QOR_WTEXT("a"), 1, narrow, -1, nullptr, nullptr); }},
    };
    for (const Row &row : rows) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(0, row.call()) << "row at line " << row.line;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError()) << "row at line " << row.line;
    }

    EXPECT_EQ(0, lstrlenA(nullptr));
    EXPECT_EQ(0, lstrlenW(nullptr));
    EXPECT_EQ(3, lstrlenA("abc"));
    EXPECT_EQ(3, lstrlenW(QOR_WTEXT("abc")));
}

#if !defined(_WIN32)
// Documented rules that Wine does not enforce (it accepts these flags and the default-character
// arguments for UTF-8), the Unicode standard's count of replacements where Wine groups bytes
// differently, and the POSIX ANSI code page: checked on POSIX only.
TEST(CodePage, PosixStrictnessAndAnsiCodePage)
{
    WCHAR wide[4];
    char narrow[4];
    BOOL usedDefault = FALSE;
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, 0x00000001 /* MB_PRECOMPOSED */, "a", 1, wide, 4));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FLAGS), GetLastError());
    SetLastError(0);
    EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, 0x00000400 /* WC_NO_BEST_FIT_CHARS */, u"a", 1, narrow, 4, nullptr,
                                     nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FLAGS), GetLastError());
    SetLastError(0);
    EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, 0, u"a", 1, narrow, 4, nullptr, &usedDefault));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    // One replacement per maximal ill-formed part: an encoded surrogate and a code point above
    // U+10FFFF are ill-formed from their second byte on.
    EXPECT_EQ(Units({0xFFFD, 0xFFFD, 0xFFFD}), ToWide("\xED\xA0\x80"));
    EXPECT_EQ(Units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}), ToWide("\xF4\x90\x80\x80"));

    EXPECT_EQ(static_cast<UINT>(CP_UTF8), GetACP());
    EXPECT_EQ(1, MultiByteToWideChar(CP_ACP, 0, "\xC3\xA9", 2, wide, 4)) << "the ANSI code page is UTF-8";
    EXPECT_EQ(0xE9, wide[0]);

    QorInjectFault("MultiByteToWideChar", 1, ERROR_OUTOFMEMORY);
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, 0, "a", 1, wide, 4));
    EXPECT_EQ(static_cast<DWORD>(ERROR_OUTOFMEMORY), GetLastError());
    QorInjectFault("WideCharToMultiByte", 1, ERROR_OUTOFMEMORY);
    EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, 0, u"a", 1, narrow, 4, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_OUTOFMEMORY), GetLastError());
}
#endif
