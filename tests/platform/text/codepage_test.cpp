// codepage_test.cpp: UTF-8 <-> UTF-16 through MultiByteToWideChar and WideCharToMultiByte: round trips,
// -1 lengths, size queries, too small buffers, ill-formed input and refused arguments.
#include "QorKnownDifference.h"
#include "QorPlatform.h"
#include "QorWideText.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using WideString = std::basic_string<WCHAR>;

WideString ToWide(const std::string &text, DWORD flags = 0)
{
    WideString wide(text.size() + 1, 0);
    int count = MultiByteToWideChar(CP_UTF8, flags, text.data(), static_cast<int>(text.size()), &wide[0],
                                    static_cast<int>(wide.size()));
    return wide.substr(0, static_cast<size_t>(count));
}

std::string ToUtf8(const WideString &wide, DWORD flags = 0)
{
    std::string text(3 * wide.size() + 1, '\0');
    int count = WideCharToMultiByte(CP_UTF8, flags, wide.data(), static_cast<int>(wide.size()), &text[0],
                                    static_cast<int>(text.size()), nullptr, nullptr);
    return text.substr(0, static_cast<size_t>(count));
}

WideString Units(std::initializer_list<unsigned> units) { return WideString(units.begin(), units.end()); }

} // namespace

TEST(CodePage, RoundTripsEveryEncodingLength)
{
    const std::pair<std::string, WideString> rows[] = {
        {"A", Units({0x41})},
        {"\xC3\xA9", Units({0xE9})},                        // two bytes
        {"\xE2\x82\xAC", Units({0x20AC})},                  // three bytes
        {"\xEF\xBF\xBF", Units({0xFFFF})},                  // the last BMP character
        {"\xF0\x9F\x98\x80", Units({0xD83D, 0xDE00})},      // a surrogate pair
        {"\xF4\x8F\xBF\xBF", Units({0xDBFF, 0xDFFF})},      // U+10FFFF
        {std::string("a\0b", 3), Units({0x61, 0, 0x62})}, // an embedded NUL is a character
    };
    for (const auto &[utf8, utf16] : rows) {
        EXPECT_EQ(utf16, ToWide(utf8)) << utf8;
        EXPECT_EQ(utf8, ToUtf8(utf16)) << utf8;
    }
}

TEST(CodePage, TerminatedInputSizeQueriesAndSmallBuffers)
{
    const char *text = "h\xC3\xA9llo"; // five characters
    EXPECT_EQ(6, MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0)) << "-1 counts the terminator";
    WCHAR wide[8] = {'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_TRUE(MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 6) == 6 && wide[5] == 0) << "exactly enough";
    EXPECT_TRUE(MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 5) == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER);

    EXPECT_EQ(7, WideCharToMultiByte(CP_UTF8, 0, QOR_WTEXT("h\u00e9llo"), -1, nullptr, 0, nullptr, nullptr));
    char narrow[8];
    EXPECT_TRUE(WideCharToMultiByte(CP_UTF8, 0, QOR_WTEXT("h\u00e9llo"), -1, narrow, 7, nullptr, nullptr) == 7 &&
                std::string(narrow) == text);
    EXPECT_TRUE(WideCharToMultiByte(CP_UTF8, 0, QOR_WTEXT("h\u00e9llo"), -1, narrow, 6, nullptr, nullptr) == 0 &&
                GetLastError() == ERROR_INSUFFICIENT_BUFFER);
}

TEST(CodePage, IllFormedInputIsReplacedOrRefused)
{
    const std::pair<std::string, WideString> rows[] = {
        {"\x80" "A", Units({0xFFFD, 0x41})},     // a lone continuation byte
        {"\xE2\x82" "A", Units({0xFFFD, 0x41})}, // a truncated sequence is one replacement
        {"\xC0\x80", Units({0xFFFD, 0xFFFD})},   // an overlong NUL
        {"\xC3", Units({0xFFFD})},               // cut at the end of the input
    };
    for (const auto &[utf8, utf16] : rows) {
        EXPECT_EQ(utf16, ToWide(utf8)) << utf8;
        SetLastError(0xdeadbeef);
        EXPECT_TRUE(ToWide(utf8, MB_ERR_INVALID_CHARS).empty() && GetLastError() == ERROR_NO_UNICODE_TRANSLATION) << utf8;
    }
    const std::pair<WideString, std::string> lone[] = {{Units({0xD800, 0x41}), "\xEF\xBF\xBD" "A"},
                                                       {Units({0x41, 0xDC00}), "A\xEF\xBF\xBD"},
                                                       {Units({0xD83D}), "\xEF\xBF\xBD"}}; // at the end of the input
    for (const auto &[utf16, utf8] : lone) {
        EXPECT_EQ(utf8, ToUtf8(utf16));
        SetLastError(0xdeadbeef);
        EXPECT_TRUE(ToUtf8(utf16, WC_ERR_INVALID_CHARS).empty() && GetLastError() == ERROR_NO_UNICODE_TRANSLATION);
    }
    // One replacement per maximal ill-formed part: an encoded surrogate and a code point above U+10FFFF
    // are ill-formed from their second byte on.
    QOR_EXPECT_BROKEN_ON_WINE(Units({0xFFFD, 0xFFFD, 0xFFFD}) == ToWide("\xED\xA0\x80") &&
                                  Units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}) == ToWide("\xF4\x90\x80\x80"),
                              "Wine groups the bytes of these differently");
}

TEST(CodePage, RefusedArguments)
{
    WCHAR wide[4];
    char narrow[4];
    BOOL usedDefault = FALSE;
    // An unknown code page, empty input, no input, no output, a negative size: ERROR_INVALID_PARAMETER.
    const std::function<int()> calls[] = {
        [&] { return MultiByteToWideChar(12345, 0, "a", 1, wide, 4); }, [&] { return MultiByteToWideChar(CP_UTF8, 0, "a", 0, wide, 4); },
        [&] { return MultiByteToWideChar(CP_UTF8, 0, nullptr, 1, wide, 4); }, [&] { return MultiByteToWideChar(CP_UTF8, 0, "a", 1, nullptr, 4); },
        [&] { return WideCharToMultiByte(12345, 0, QOR_WTEXT("a"), 1, narrow, 4, nullptr, nullptr); },
        [&] { return WideCharToMultiByte(CP_UTF8, 0, QOR_WTEXT("a"), 0, narrow, 4, nullptr, nullptr); },
        [&] { return WideCharToMultiByte(CP_UTF8, 0, QOR_WTEXT("a"), 1, narrow, -1, nullptr, nullptr); }};
    for (const auto &call : calls)
        EXPECT_TRUE((SetLastError(0xdeadbeef), call()) == 0 && GetLastError() == ERROR_INVALID_PARAMETER) << &call - calls;
    // Documented for UTF-8, not enforced by Wine: no flags but the error flag, no default character.
    SetLastError(0);
    QOR_EXPECT_BROKEN_ON_WINE(MultiByteToWideChar(CP_UTF8, 1 /* MB_PRECOMPOSED */, "a", 1, wide, 4) == 0 &&
                                  GetLastError() == ERROR_INVALID_FLAGS,
                              "Wine accepts other flags for UTF-8");
    SetLastError(0);
    QOR_EXPECT_BROKEN_ON_WINE(WideCharToMultiByte(CP_UTF8, 0, QOR_WTEXT("a"), 1, narrow, 4, nullptr, &usedDefault) == 0 &&
                                  GetLastError() == ERROR_INVALID_PARAMETER,
                              "Wine accepts a default-character argument for UTF-8");
    EXPECT_TRUE(lstrlenA(nullptr) == 0 && lstrlenW(QOR_WTEXT("abc")) == 3);
}

#if !defined(_WIN32) // QorInjectFault is a hook of the POSIX layer: it does not compile for Windows
TEST(CodePage, PosixAnsiCodePageAndFaults)
{
    EXPECT_EQ(static_cast<UINT>(CP_UTF8), GetACP()) << "the ANSI code page is UTF-8";
    QorInjectFault("WideCharToMultiByte", 1, ERROR_OUTOFMEMORY);
    char narrow[4];
    EXPECT_TRUE(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, narrow, 4, nullptr, nullptr) == 0 && GetLastError() == ERROR_OUTOFMEMORY);
}
#endif
