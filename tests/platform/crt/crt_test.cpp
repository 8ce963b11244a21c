// crt_test.cpp: the Windows runtime functions that POSIX lacks: case-insensitive comparison, in-place case and
// order changes, _expand, bounded formatting with the Windows size prefixes and UTF-16 text arguments.
#include "QorPlatform.h"
#include "QorWideText.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

// The whole formatted text, sized by _vscprintf first, as the string class does.
std::string Formatted(const char *format, ...)
{
    va_list arguments, again;
    va_start(arguments, format);
    va_copy(again, arguments);
    const int length = _vscprintf(format, arguments);
    std::string text(length >= 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
    const int written = length >= 0 ? _vsnprintf(&text[0], text.size(), format, again) : -1;
    va_end(again);
    va_end(arguments);
    return text.substr(0, written >= 0 ? static_cast<size_t>(written) : 0);
}

} // namespace

TEST(CrtCompare, ComparesTheLowercaseForms)
{
    // '_' (0x5F) sorts before 'a' (0x61), though after 'A'; bytes above 0x7F are not folded
    struct { const char *left, *right; int sign; } rows[] = {{"abc", "ABC", 0}, {"abc", "ABD", -1}, {"b", "A", 1},
        {"_", "A", -1}, {"[", "a", -1}, {"abc", "ab", 1}, {"", "a", -1}, {"\xE9", "\xC9", 1}};
    for (const auto &row : rows)
        EXPECT_EQ(row.sign, Sign(_stricmp(row.left, row.right))) << row.left << " " << row.right;
    // the count may run past the terminators
    EXPECT_EQ((std::vector<int>{0, -1, 0, 0}), (std::vector<int>{_strnicmp("abcX", "ABCy", 3), Sign(_strnicmp("abcX", "ABCy", 4)),
                                                                 _strnicmp("a", "b", 0), _strnicmp("ab", "AB", 10)}));
}

TEST(CrtCase, ChangesCaseAndOrderInPlace)
{
    char text[] = "Hello, World! \xE9";
    EXPECT_TRUE(_strupr(text) == text && std::string(text) == "HELLO, WORLD! \xE9");
    EXPECT_TRUE(_strlwr(text) == text && std::string(text) == "hello, world! \xE9");
    char even[] = "abcd", odd[] = "abc", single[] = "a", empty[] = "";
    EXPECT_EQ("dcba|cba|a|", std::string(_strrev(even)) + "|" + _strrev(odd) + "|" + _strrev(single) + "|" + _strrev(empty));
}

TEST(CrtExpand, KeepsTheBlockOrFails)
{
    auto *block = static_cast<char *>(std::malloc(100));
    ASSERT_NE(nullptr, block);
    std::memset(block, 'q', 100);
    EXPECT_EQ(block, _expand(block, 10)) << "shrinking keeps the block";
#if !defined(_WIN32)
    // Within the room the allocator gave the block, growing back succeeds in place too; on Windows
    // that depends on the heap's neighbouring block.
    EXPECT_EQ(block, _expand(block, 100));
#endif
    errno = 0;
    EXPECT_EQ(nullptr, _expand(block, static_cast<size_t>(1) << 40)) << "the block never moves";
#if !defined(_WIN32)
    EXPECT_EQ(ENOMEM, errno); // the Windows runtime under Wine leaves errno alone here
#endif
    EXPECT_EQ(0, std::memcmp(block, "qqqqqqqqqq", 10)) << "a failed _expand leaves the block as it was";
    std::free(block);
}

TEST(CrtFormat, WindowsBufferRules)
{
    char buffer[16];
    // Room for the terminator: the length; exactly filled: the length and no terminator; overflowing: -1 with
    // as much as fits, unterminated.
    struct { size_t size; int result; std::string buffer; } rows[] = {
        {11, 10, std::string("0123456789\0x", 12)}, {10, 10, "0123456789xx"}, {9, -1, "012345678xxx"}};
    for (const auto &row : rows) {
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(row.result, _snprintf(buffer, row.size, "%s", "0123456789")) << row.size;
        EXPECT_EQ(row.buffer, std::string(buffer, 12)) << row.size;
    }
    EXPECT_EQ(5, _snprintf(nullptr, 0, "%s", "hello")) << "a size query";
    EXPECT_EQ("ab-12", Formatted("%s-%d", "ab", 12));
    EXPECT_EQ(std::string("a\0b", 3), Formatted("a%cb", 0)) << "a NUL character is output and counted";
}

TEST(CrtFormat, WindowsSizePrefixesAndWideText)
{
    EXPECT_EQ("-5|18446744073709551615|-7|-9|9", Formatted("%I64d|%I64u|%I32d|%Id|%Iu", static_cast<long long>(-5),
                                                           UINT64_MAX, -7, static_cast<ptrdiff_t>(-9),
                                                           static_cast<size_t>(9)));
    EXPECT_EQ("123456789abcdef0|FFFFFFFF", Formatted("%I64x|%I32X", 0x123456789ABCDEF0ULL, 0xFFFFFFFFu));
    // 'l' is 32-bit, as Windows' long: (unsigned long)-1 prints as 4294967295 on both builds.
    EXPECT_EQ("4294967295|-2", Formatted("%lu|%ld", static_cast<unsigned long>(-1L), -2L));
    EXPECT_EQ("-5|7|8|9", Formatted("%lld|%zu|%jd|%td", -5LL, static_cast<size_t>(7), static_cast<intmax_t>(8),
                                    static_cast<ptrdiff_t>(9)));
    EXPECT_EQ("wide|ls|ws|C|l|hs|h", Formatted("%S|%ls|%ws|%C|%lc|%hs|%hc", QOR_WTEXT("wide"), QOR_WTEXT("ls"),
                                               QOR_WTEXT("ws"), QOR_WTEXT('C'), QOR_WTEXT('l'), "hs", 'h'));
    EXPECT_EQ("000ab|c   |xy|    q", Formatted("%05s|%-4s|%.2s|%5.1s", "ab", "c", "xyz", "qr"))
        << "'0' pads text with zeros in the Windows runtime";
    EXPECT_EQ("000000001234ABCD", Formatted("%p", reinterpret_cast<void *>(0x1234abcd)));
    EXPECT_EQ("(null)|(nu|(null)", Formatted("%s|%.3s|%S", static_cast<const char *>(nullptr),
                                             static_cast<const char *>(nullptr), static_cast<const WCHAR *>(nullptr)));
    EXPECT_EQ("0xff|+5|3.142|0.0001|   1|2  |ab|100%", Formatted("%#x|%+d|%.3f|%g|%*d|%-*d|%.*s|100%%", 255, 5,
                                                               3.14159, 0.0001, 4, 1, 3, 2, 2, "abcdef"));
    EXPECT_EQ("trailing ", Formatted("trailing %")) << "a lone '%' at the end prints nothing";
}

#if !defined(_WIN32)
// A changed TZ counts from the next _tzset on, within the same second too.
TEST(CrtTime, ZoneChangesCountAtOnce)
{
    const char *saved = std::getenv("TZ");
    const std::string previous = saved != nullptr ? saved : "";
    char utc[9], ahead[9];
    setenv("TZ", "UTC0", 1);
    _tzset();
    _strtime(utc);
    setenv("TZ", "QQQ-5", 1); // five hours ahead of UTC
    _tzset();
    _strtime(ahead);
    saved != nullptr ? setenv("TZ", previous.c_str(), 1) : unsetenv("TZ");
    _tzset();
    const int hours = (std::atoi(ahead) - std::atoi(utc) + 24) % 24;
    EXPECT_TRUE(hours == 5 || (hours == 6 && std::strcmp(ahead + 3, "00:00") == 0)) << utc << " / " << ahead;
}

// Behaviour of our formatter that the Windows runtime under Wine does not share: UTF-8 output of wide
// text, C99's hh, two-digit exponents (msvcrt writes three), and explicit failures for malformed
// conversions (msvcrt prints them). POSIX only.
TEST(CrtFormat, PosixOnlyConversions)
{
    EXPECT_EQ("\xC3\xA9\xF0\x9F\x98\x80", Formatted("%S", u"\u00e9\U0001F600"));
    EXPECT_EQ("\xC3\xA9", Formatted("%.3S", u"\u00e9\u00e9")) << "the precision never splits a character";
    EXPECT_EQ("\xE2\x82\xAC", Formatted("%C", u'\u20ac'));
    EXPECT_EQ("44|-56", Formatted("%hhd|%hhd", 300, 200));
    EXPECT_EQ("1.234500e+04", Formatted("%e", 12345.0));
    int position = 7;
    EXPECT_TRUE(_snprintf(nullptr, 0, "abc%n", &position) == -1 && position == 7) << "%n is refused and writes nothing";
    va_list none{};
    errno = 0;
    EXPECT_TRUE(_vscprintf("%y", none) == -1 && errno == EINVAL);
    char buffer[4];
    // no format, no buffer, a width beyond int
    EXPECT_EQ(std::vector<int>(3, -1), (std::vector<int>{_vscprintf(nullptr, none), _vsnprintf(nullptr, 4, "x", none),
                                                         _vsnprintf(buffer, sizeof buffer, "%99999999999d", none)}));
    EXPECT_EQ(INT_MAX, _stricmp(nullptr, "a")); // the Windows runtime's _NLSCMPERROR
}
#endif
