// QorStringEncoders_test.cpp: CQorString's encoders byte for byte: URL, quoting, HTML, hex, replace, parameters.
#include "QorStringProbe.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string TextOf(const CQorString &s) { return std::string(s.GetString(), (size_t)s.GetLength()); }
std::string Escape(unsigned char code) { return {'%', "0123456789ABCDEF"[code >> 4], "0123456789ABCDEF"[code & 15]}; }

} // namespace

TEST(QorStringUrl, EveryByteInBothModes)
{
    const std::string textModeEscapes = " \"#%&'+/:;<=>?@[\\]^`{|}~";
    for (int code = 1; code < 256; ++code) {
        bool alnum = code < 128 && isalnum(code), inMap = textModeEscapes.find((char)code) != std::string::npos;
        std::string plain(1, (char)code);
        for (bool binary : {false, true}) {
            CQorString s(plain.c_str());
            ASSERT_EQ(S_OK, s.URLEncode(binary));
            bool escaped = !alnum && (binary || inMap);
            EXPECT_EQ(escaped ? Escape((unsigned char)code) : plain, TextOf(s)) << "code " << code << " binary " << binary;
        }
    }
    char out[3 * 4 + 1], *end = out;
    const unsigned char bytes[] = {0, 'a', 0xE9, '+'};
    EXPECT_EQ(S_OK, CQorString::URLEncode(true, bytes, 4, end));
    EXPECT_TRUE(std::string(out) == "%00a%E9%2B" && end == out + 10) << "a zero code as any other; end at the terminator";
}

TEST(QorStringUrl, Decoding)
{
    // decoded: the text afterwards (the old one on failure); "%zz" is 16 * 35 + 35 kept to 8 bits
    struct { const char *text; HRESULT result; std::string decoded; } rows[] = {
        {"%4a%4A", S_OK, "JJ"}, {"%zz", S_OK, "\x53"}, {"a+b%20c", S_OK, "a+b c"}, {"x%00y", S_OK, std::string("x\0y", 3)},
        {"%E9%", E_FAIL, "%E9%"}, {"50%", E_FAIL, "50%"}, {"50%4", E_FAIL, "50%4"}, {"", S_OK, ""}};
    for (const auto &row : rows) {
        CQorString s(row.text), shared(s);
        EXPECT_EQ(row.result, s.URLDecode()) << row.text;
        EXPECT_TRUE(row.decoded == TextOf(s) && TextOf(shared) == row.text) << row.text;

        CQorStringProbe probe(row.text), holder(probe);
        unsigned char out[16] = {};
        int outLength = -1;
        EXPECT_EQ(row.result, probe.URLDecode(out, outLength)) << row.text;
        EXPECT_EQ(row.result == S_OK ? row.decoded : "", std::string((char *)out, (size_t)outLength)) << row.text;
        EXPECT_TRUE(TextOf(probe) == row.text && (!*row.text || probe.Block() != holder.Block()))
            << "the buffer form leaves the text but makes the block private";
    }
}

TEST(QorStringUrl, SchemeHostAndPath)
{
    // null host and path: E_INVALIDARG; a '/' before "://" does not count
    struct { const char *url, *host, *path; } rows[] = {
        {"x://h/d/f", "x://h", "x://h/d/"}, {"x://h", "x://h", "x://h/"}, {"http://a.b/", "http://a.b", "http://a.b/"},
        {"/a/b://c", "/a/b://c", "/a/b://c/"}, {"host/path", nullptr, nullptr}, {"", nullptr, nullptr}};
    for (const auto &row : rows) {
        CQorString url(row.url), host("kept"), path("kept");
        EXPECT_TRUE(url.UrlSchemeHostname(host) == (row.host ? S_OK : E_INVALIDARG) &&
                    url.UrlSchemeHostnamePath(path) == (row.path ? S_OK : E_INVALIDARG)) << row.url;
        EXPECT_EQ(std::string(row.host ? row.host : "kept") + "|" + (row.path ? row.path : "kept"), TextOf(host + "|" + path));
    }
}

TEST(QorStringQuote, Rules)
{
    enum Op { Sql, Unsql, Backslash, Unbackslash, Quotes, AmpQuotes };
    // Unsql: a lone quote before a character goes, one at the very end stays, the one behind it is literal
    struct { Op op; const char *text, *expected; HRESULT result; } rows[] = {
        {Sql, "it's", "it''s", S_OK}, {Sql, "''", "''''", S_OK}, {Sql, "none", "none", S_OK}, {Sql, "", "", S_FALSE},
        {Unsql, "it''s", "it's", S_OK}, {Unsql, "a'b", "ab", S_OK}, {Unsql, "ab'", "ab'", S_OK},
        {Unsql, "''''", "''", S_OK}, {Unsql, "'''", "''", S_OK}, {Unsql, "", "", S_FALSE},
        {Backslash, "say \"hi\\\"", "say \\\"hi\\\\\\\"", S_OK}, {Unbackslash, "say \\\"hi\\\\\\\"", "say \"hi\\\"", S_OK},
        {Quotes, "", "\"\"", S_OK}, {Quotes, "a b", "\"a b\"", S_OK},
        {AmpQuotes, "x", "&quot;x&quot;", S_OK}, {AmpQuotes, "", "&quot;&quot;", S_OK}};
    HRESULT (*const ops[])(CQorString &) = {[](CQorString &s) { return s.SqlEncode(); }, [](CQorString &s) { return s.SqlDecode(); },
        [](CQorString &s) { return s.QuoteEncode('"', '\\'); }, [](CQorString &s) { return s.QuoteDecode('"', '\\'); },
        [](CQorString &s) { return s.AddQuotes('"'); }, [](CQorString &s) { return s.AddAmpQuotes(); }};
    for (const auto &row : rows) {
        CQorString s(row.text), shared(s);
        HRESULT result = ops[row.op](s);
        EXPECT_TRUE(row.result == result && TextOf(s) == row.expected && TextOf(shared) == row.text) // the holder keeps it
            << row.op << " " << row.text << " -> " << TextOf(s);
    }
}

TEST(QorStringQuote, BlockSizes)
{
    CQorStringProbe roomy, quotes("abc"), amp("abc"), sql("a'b");
    roomy.GetBuffer(20);
    roomy = "abc";
    const CQorStringData *block = roomy.Block();
    roomy.AddAmpQuotes();
    EXPECT_EQ(block, roomy.Block()) << "an unshared block with room is used in place";
    quotes.AddQuotes('\''), amp.AddAmpQuotes(), sql.SqlEncode();
    // escaping reserves twice the length + 2
    EXPECT_EQ((std::vector<int>{3 + 5, 3 + 25, 2 * 3 + 2}), (std::vector<int>{quotes.BufferLength(), amp.BufferLength(), sql.BufferLength()}));
}

TEST(QorStringHtml, EncodeAndDecode)
{
    struct { const char *text, *encoded, *encodedNbsp; } encodeRows[] = {
        {"a<b & \"c\"", "a&lt;b &amp; &quot;c&quot;", "a&lt;b&nbsp;&amp;&nbsp;&quot;c&quot;"},
        {"plain text", "plain text", "plain&nbsp;text"}, {"'>'", "'&gt;'", "'&gt;'"}};
    for (const auto &row : encodeRows) {
        CQorString s(row.text), nbsp(row.text);
        EXPECT_TRUE(s.HtmlEncode(false) == S_OK && nbsp.HtmlEncode(true) == S_OK);
        EXPECT_EQ(std::string(row.encoded) + "|" + row.encodedNbsp, TextOf(s + "|" + nbsp));
        EXPECT_TRUE(nbsp.HtmlDecode() == S_OK && TextOf(nbsp) == row.text) << "decoding gives the text back";
    }
    CQorStringProbe untouched("abc"), holder(untouched);
    untouched.HtmlEncode(true);
    EXPECT_EQ(holder.Block(), untouched.Block()) << "nothing to replace: the block stays shared";

    // One pass; a reference is six characters ("&#65;B" whole), modulo 128, cut short by the end;
    // unlisted and wrong-case entities stay.
    struct { const char *text; std::string decoded; } decodeRows[] = {
        {"&lt;x&gt; &amp;amp;", "<x> &amp;"}, {"&#065;B", "AB"}, {"&#65;B", "A"}, {"&#193;x", "Ax"}, {"&#65", "A"},
        {"&copy; &LT; &", "&copy; &LT; &"}, {"&nbsp;&quot;", " \""}};
    for (const auto &row : decodeRows) {
        CQorString s(row.text);
        EXPECT_TRUE(s.HtmlDecode() == S_OK && row.decoded == TextOf(s)) << row.text;
    }
}

TEST(QorStringHtml, StripTags)
{
    // Runs of breaks fold, one at the end goes, at the start only the break goes; entities and breaks in
    // a tag go with it; a style tag with attributes is any other tag; an unclosed '<' swallows the rest.
    struct { const char *html, *text; } rows[] = {
        {"<p>One</p><p>Two</p>", "\nOne\nTwo"}, {"a<br>b", "a\nb"}, {"x<!-- c -->y", "xy"}, {"x<!-- never closed", "x"},
        {"<td>1</td><td>2</td></tr>", "1\t2\t\n"}, {"a  \n  b", "a b"}, {"a\nb", "a b"}, {"a \r\n\r\n b\n", "a b"},
        {"\n  a", "  a"}, {"<b>x &lt; y</b>", "x < y"}, {"<a title=\"&lt;\n\">t</a>", "t"}, {"<STYLE>p{}</Style>z", "z"},
        {"<style type=\"c\">p{}</style>z", "p{}z"}, {"<div class=x>d", "\nd"}, {"<BR>&amp;<Br>", "\n&\n"}, {"1 < 2", "1 "}};
    for (const auto &row : rows) {
        CQorString s(row.html);
        EXPECT_TRUE(s.HtmlStripTags() == S_OK && TextOf(s) == row.text) << row.html << " -> " << TextOf(s);
    }
}

TEST(QorStringHex, SetAndExtract)
{
    const unsigned char bytes[] = {0x00, 0xAB, 0x7F};
    CQorString s("old");
    EXPECT_TRUE(s.SetBinary(3, bytes) == S_OK && TextOf(s) == "00AB7F");
    DWORD count = 0;
    // Either case; an odd last character is ignored; not a digit first: 0; one digit: its value.
    struct { const char *text; HRESULT result; std::string bytes; } rows[] = {
        {"00AB7F", S_OK, std::string("\0\xAB\x7F", 3)}, {"ab7f0", S_OK, "\xAB\x7F"}, {"A", S_FALSE, ""}, {"", S_FALSE, ""},
        {"zz1x", S_OK, std::string("\0\x01", 2)}};
    for (const auto &row : rows) {
        unsigned char *extracted = reinterpret_cast<unsigned char *>(&count), *before = extracted; // kept on S_FALSE
        EXPECT_TRUE(CQorString(row.text).ExtractBinary(count, extracted) == row.result && count == row.bytes.size()) << row.text;
        EXPECT_TRUE(row.result == S_OK ? row.bytes == std::string((char *)extracted, count) : before == extracted) << row.text;
        if (extracted != before)
            CoTaskMemFree(extracted);
    }
    EXPECT_TRUE(s.SetBinary(0, nullptr) == S_OK && s.GetLength() == 0);
    EXPECT_TRUE(s.SetBinary(0x80000000u, bytes) == E_OUTOFMEMORY && s.GetLength() == 0) << "a text no block can hold";
}

TEST(QorStringReplace, ReplaceTextAndReverseFindEx)
{
    // Replacements are not searched again, occurrences do not overlap, an empty search text replaces nothing.
    struct { const char *text, *find, *with; LONG maxCount; const char *expected; } rows[] = {
        {"abcabab", "ab", "x", -1, "xcxx"}, {"abcabab", "ab", "x", 1, "xcabab"}, {"abcabab", "ab", "x", 0, "abcabab"},
        {"aaa", "a", "aa", -1, "aaaaaa"}, {"aaaa", "aa", "b", -1, "bb"}, {"abc", "", "x", -1, "abc"},
        {"a.b.c", ".", nullptr, -1, "abc"}, {"", "a", "b", -1, ""}};
    for (const auto &row : rows) {
        CQorString s(row.text), shared(s);
        EXPECT_TRUE(s.ReplaceText(row.find, row.with, row.maxCount) == S_OK && TextOf(s) == row.expected &&
                    TextOf(shared) == row.text) << row.text << " " << row.find << " " << row.maxCount;
    }
    struct { const char *text, *set; int at; } finds[] = {
        {"a,b;c", ",;", 3}, {"a,b;c", ",", 1}, {"a,b;c", "", -1}, {"a,b;c", "xyz", -1}, {"", ",", -1}};
    for (const auto &row : finds)
        EXPECT_EQ(row.at, CQorString(row.text).ReverseFindEx(row.set)) << row.text << " " << row.set;
}

TEST(QorStringGuid, BracedUpperCaseForm)
{
    CQorString s(GUID{0x0123ABCD, 0x4567, 0x89EF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}}), zero("x");
    zero = GUID{};
    EXPECT_EQ("{0123ABCD-4567-89EF-0123-456789ABCDEF}{00000000-0000-0000-0000-000000000000}", TextOf(s + zero));
}

TEST(QorStringParams, FormatFromParams)
{
    char name[] = "N", bob[] = "Bob", date2[] = "DATE2", day[] = "Monday";
    tagSTRINGFORMATPARAM params[] = {{date2, 0, day, 3}, {name, 7, bob, 3}};
    const HRESULT tooSmall = (HRESULT)0x8007007A;
    // The terminator must fit; the length needed is counted to the end; DATE2 begins with DATE and only 3
    // bytes are taken; a token left open is dropped; an unknown name fails.
    struct { const char *format; LONG outSize; HRESULT result; const char *out; LONG outLength; } rows[] = {
        {"Hello %N%!", 20, S_OK, "Hello Bob!", 10}, {"Hello %N%!", 11, S_OK, "Hello Bob!", 10},
        {"Hello %N%!", 10, tooSmall, "", 10}, {"Hi %N%%N% %DATE%", 3, tooSmall, "", 13}, {"%DATE%", 20, S_OK, "Mon", 3},
        {"100%%", 20, S_OK, "100%", 4}, {"a%N", 20, S_OK, "a", 1}, {"%X% and more", 20, E_INVALIDARG, "", 0},
        {"", 20, E_INVALIDARG, "", 0}};
    for (const auto &row : rows) {
        char out[32];
        memset(out, '#', sizeof out);
        LONG outLength = -1;
        EXPECT_TRUE(CQorString::FormatFromParams(out, row.outSize, &outLength, row.format, params, 2) == row.result &&
                    std::string(out) == row.out && outLength == row.outLength) << row.format << " into " << row.outSize;
    }
    char out[8] = "x";
    LONG outLength = 5;
    EXPECT_EQ(std::vector<HRESULT>(3, E_INVALIDARG), (std::vector<HRESULT>{CQorString::FormatFromParams(out, 8, &outLength, "%N%", params, 0),
              CQorString::FormatFromParams(out, 8, &outLength, "%N%", nullptr, 2), CQorString::FormatFromParams(out, 8, nullptr, "%N%", params, 2)}));
    EXPECT_TRUE(*out == '\0' && outLength == 0);
}
