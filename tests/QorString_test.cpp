// QorString_test.cpp: CQorString's block: sharing, copy on write, exact growth, the buffer protocol, concatenation,
// sub-strings, searching, in-place edits, the hash, running out of memory.
#include "QorStringProbe.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

TEST(QorString, StringWithoutBlockReadsAsEmptyText)
{
    const char *nullText = nullptr;
    for (const CQorStringProbe &s : {CQorStringProbe(), CQorStringProbe(nullptr), CQorStringProbe(nullText)}) {
        EXPECT_TRUE(s.Block() == nullptr && s.GetString() == CQorStringProbe::NullText() && s.IsEmpty() == 1 && s == "");
        EXPECT_EQ((std::vector<int>{0, -1, -1, -1, 0}),
                  (std::vector<int>{s.GetLength(), s.Find('a'), s.Find(""), s.FindOneOf("a"), s.Compare(nullText)}));
        EXPECT_EQ(nullptr, CQorStringProbe(s.Mid(0, 5)).Block());
    }
    CQorStringProbe held("abc");
    held = nullText; // an unshared block is kept, emptied
    EXPECT_TRUE(held.Block() != nullptr && held.GetLength() == 0 && *held.GetString() == '\0');
}

TEST(QorString, CopiesShareTheBlockUntilOneChanges)
{
    CQorStringProbe a("abc");
    CQorStringProbe b(a);
    EXPECT_TRUE(a.Block() == b.Block() && a.RefCount() == 2);
    const CQorStringData *old = a.Block();
    b += 'd';
    EXPECT_TRUE(old == a.Block() && old != b.Block() && a.RefCount() == 1 && b.RefCount() == 1);
    EXPECT_EQ("abc abcd", std::string(a.GetString()) + " " + b.GetString());

    CQorStringProbe c;
    c = a;
    c.Empty(); // a shared block is dropped, the other holder keeps the text
    EXPECT_TRUE(c.Block() == nullptr && a.RefCount() == 1);
    int before = a.BufferLength();
    a.Empty(); // an unshared block stays
    EXPECT_TRUE(old == a.Block() && before == a.BufferLength() && a.GetLength() == 0);

    CQorStringProbe self("kept");
    CQorString &alias = self;
    self = alias;
    EXPECT_TRUE(std::string(self.GetString()) == "kept" && self.RefCount() == 1);
}

TEST(QorString, BlocksGrowExactlyAsRequested)
{
    CQorStringProbe s;
    for (int i = 1; i <= 10; ++i) {
        s += (char)('0' + i % 10);
        EXPECT_EQ(i < 10 ? 10 : 19, s.BufferLength()) << "after append " << i;
    }
    EXPECT_STREQ("1234567890", s.GetString());

    s.GetBuffer(5); // never shrinks
    CQorStringProbe shared(s), text("hello");
    shared.GetBuffer(3); // a shared block is always copied, a kept text never cut
    EXPECT_TRUE(s.BufferLength() == 19 && s.Block() != shared.Block() && shared.BufferLength() == 11);
    shared.GetBuffer(100);
    int hello = text.BufferLength();
    text = "hi"; // fits: same block
    EXPECT_EQ((std::vector<int>{101, 6, 6}), (std::vector<int>{shared.BufferLength(), hello, text.BufferLength()}));

    CQorStringData *two = CQorStringProbe::AllocData(0);
    ASSERT_NE(nullptr, two);
    EXPECT_TRUE(two->nBufferLength == 2 && two->nRefCount == 1 && two->nLength == 0);
    free(two);
}

TEST(QorString, BufferProtocol)
{
    CQorStringProbe s("abc");
    char *buffer = s.GetBuffer(100);
    EXPECT_STREQ("abc", buffer);
    EXPECT_TRUE(s.BufferLength() == 101 && s.GetLength() == 3); // the length waits for ReleaseBuffer
    strcpy(buffer, "xy");
    s.ReleaseBuffer(-1);
    EXPECT_EQ(2, s.GetLength());
    s.ReleaseBuffer(5000);
    EXPECT_TRUE(s.GetLength() == 100 && s[100] == 0);
    memset(s.GetBuffer(0), 'x', (size_t)s.BufferLength()); // no terminator anywhere
    s.ReleaseBuffer(-1);
    EXPECT_TRUE(s.GetLength() == 100 && s[100] == 0);

    CQorStringProbe set, none;
    set.GetBufferSetLength(4);
    EXPECT_TRUE(set.GetLength() == 4 && set[4] == 0 && set.BufferLength() == 6);
    none.ReleaseBuffer(3);
    EXPECT_EQ(nullptr, none.Block());
}

TEST(QorString, FreeExtraShrinksOnlyAnUnsharedBlockInPlace)
{
    CQorStringProbe s("abc");
    s.GetBuffer(200);
    const char *text = s.GetString();
    CQorStringProbe other(s);
    s.FreeExtra();
    EXPECT_EQ(201, s.BufferLength()); // shared: untouched
    other.Empty();
    s.FreeExtra();
    EXPECT_TRUE(text == s.GetString() && s.BufferLength() == 4 && std::string(text) == "abc") << "the text never moves";
    s += "defg";
    EXPECT_STREQ("abcdefg", s.GetString());
}

TEST(QorString, Concatenation)
{
    CQorStringProbe s("abc");
    s += s;
    EXPECT_TRUE(std::string(s.GetString()) == "abcabc" && s.GetLength() == 6);
    s += s.GetString() + 4; // a source inside the string's own block
    EXPECT_STREQ("abcabcbc", s.GetString());
    const CQorStringData *block = s.Block();
    s += "";
    s += CQorString();
    EXPECT_EQ(block, s.Block());

    CQorStringProbe a("ab");
    EXPECT_STREQ("abcd abx ab!", ((a + CQorString("cd")) + " " + (a + "x") + " " + (a + '!')).GetString());
    CQorStringProbe same(a + CQorString());
    EXPECT_TRUE(a.Block() == same.Block() && std::string(a.GetString()) == "ab");
}

TEST(QorString, SubStrings)
{
    CQorStringProbe s("abcdef");
    CQorStringProbe list("ab;c,d"), whole(list.SpanExcluding(""));
    EXPECT_STREQ("cdef|bc|ab|ef|ab", (s.Mid(2, 100) + "|" + s.Mid(1, 2) + "|" + s.Mid(-3, 2) + "|" + s.Right(2) + "|" +
                                      list.SpanExcluding(",;")).GetString());
    EXPECT_TRUE(s.Block() == CQorStringProbe(s.Mid(0, -1)).Block() && s.Block() == CQorStringProbe(s.Right(10)).Block());
    for (const CQorString &empty : {s.Mid(10, 1), s.Left(0), s.Right(0), CQorString(";x").SpanExcluding(",;")})
        EXPECT_EQ(nullptr, CQorStringProbe(empty).Block());
    EXPECT_EQ(list.Block(), CQorStringProbe(list.SpanExcluding(nullptr)).Block());
    EXPECT_TRUE(list.Block() != whole.Block() && std::string(whole.GetString()) == "ab;c,d");
}

TEST(QorString, ComparisonAndSearch)
{
    CQorString s("abcabc");
    const int finds[] = {s.Find('c'), s.ReverseFind('c'), s.Find(0) /* the terminator */, s.Find('z'), s.Find("bca"),
                         s.Find(""), s.Find("cc"), s.FindOneOf("xb"), s.FindOneOf(""), CQorString("").FindOneOf("a")};
    EXPECT_EQ((std::vector<int>{2, 5, 6, -1, 1, 0, -1, 1, -1, -1}), std::vector<int>(std::begin(finds), std::end(finds)));

    CQorString high("\xE9"); // bytes compare unsigned: above every 7-bit character
    const int compares[] = {high.Compare("a"), CQorString("a").Compare("\xE9"), s.Compare("abcabc"),
                            s.CompareNoCase("ABCABC"), s.CompareNoCase("ABD") < 0 ? -1 : 1, s.CompareNoCase("ABB") > 0};
    EXPECT_EQ((std::vector<int>{1, -1, 0, 0, -1, 1}), std::vector<int>(std::begin(compares), std::end(compares)));
    EXPECT_TRUE(CQorString("a") < high && high > CQorString("a") && !(s < s));
    EXPECT_TRUE(s == CQorString("abcabc") && s != "abc");
}

TEST(QorString, EditsInPlace)
{
    // Inner blanks stay; only white space starts a word.
    struct Row { void (CQorString::*edit)(); const char *input, *expected; } rows[] = {
        {&CQorString::TrimLeft, "  a b ", "a b "}, {&CQorString::TrimRight, "  a b ", "  a b"},
        {&CQorString::TrimLeft, " \t\r\n ", ""}, {&CQorString::TrimRight, " \t\r\n ", ""}, {&CQorString::TrimRight, "a  b", "a  b"},
        {&CQorString::Capitalize, "hello wORLD", "Hello World"}, {&CQorString::Capitalize, "o'neil", "O'neil"},
        {&CQorString::Capitalize, "hello-world", "Hello-world"}, {&CQorString::Capitalize, "1st\tsTEP", "1st\tStep"},
        {&CQorString::MakeUpper, "mixed Case 1", "MIXED CASE 1"}, {&CQorString::MakeLower, "MIXED Case 1", "mixed case 1"},
        {&CQorString::MakeReverse, "abc", "cba"}};
    for (const Row &row : rows) {
        CQorStringProbe s(row.input);
        CQorStringProbe holder(s);
        (s.*row.edit)();
        EXPECT_TRUE(std::string(s.GetString()) == row.expected && s.GetLength() == (int)strlen(row.expected) &&
                    std::string(holder.GetString()) == row.input && holder.RefCount() == 1) // made private first
            << "row " << &row - rows << ": " << row.input << " -> " << s.GetString();
    }
    CQorStringProbe none;
    none.TrimLeft();
    none.MakeUpper();
    EXPECT_EQ(nullptr, none.Block());
}

TEST(QorString, HashIsTheElfHashUpToTheFirstZero)
{
    const unsigned char withZero[] = {'a', 'b', 'c', 0, 'd'};
    EXPECT_EQ((std::vector<DWORD>{0x6783u, 0x077905A6u, 0x0D0AF403u, 0x00FFFFFFu, 0, 0, 0x6783u, 0x6783u}),
              (std::vector<DWORD>{CQorString::HashFunc("abc"), CQorString::HashFunc("printf"),
                                     CQorString::HashFunc("a much longer text that folds"),
                                     CQorString::HashFunc("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"), CQorString::HashFunc(""),
                                     CQorString::HashFunc(nullptr), CQorString::HashFunc2("abc"),
                                     CQorString::CalcBufferHash(withZero, sizeof withZero)}));
}

TEST(QorString, OutOfMemoryThrowsAndLeavesTheStringAlone)
{
    CQorStringProbe s("keep");
    const CQorStringData *block = s.Block();
    for (int request : {INT_MAX - 12, INT_MAX}) {
        HRESULT thrown = S_OK;
        try {
            s.GetBuffer(request);
        } catch (HRESULT hr) {
            thrown = hr;
        }
        EXPECT_TRUE(thrown == E_OUTOFMEMORY && block == s.Block() && std::string(s.GetString()) == "keep") << request;
    }
    EXPECT_TRUE(CQorStringProbe::AllocData(INT_MAX - 11) == nullptr && CQorStringProbe::AllocData(-1) == nullptr);
}
