// QorString_test.cpp: CQorString's block: sharing and copy on write, the exact growth rules, the
// buffer protocol, concatenation, sub-strings, searching, in-place edits, the hash and running out
// of memory. Formatting, resources and wide text are in QorStringFormat_test.cpp.
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
        EXPECT_EQ(nullptr, s.Block());
        EXPECT_EQ(CQorStringProbe::NullText(), s.GetString());
        EXPECT_EQ(0, s.GetLength());
        EXPECT_EQ(1, s.IsEmpty());
        EXPECT_EQ(-1, s.Find('a'));
        EXPECT_EQ(-1, s.Find(""));
        EXPECT_EQ(-1, s.FindOneOf("a"));
        EXPECT_EQ(nullptr, CQorStringProbe(s.Mid(0, 5)).Block());
        EXPECT_TRUE(s == "");
        EXPECT_EQ(0, s.Compare(nullText));
    }
    CQorStringProbe held("abc");
    held = nullText; // an unshared block is kept, emptied
    EXPECT_NE(nullptr, held.Block());
    EXPECT_EQ(0, held.GetLength());
    EXPECT_STREQ("", held.GetString());
}

TEST(QorString, CopiesShareTheBlockUntilOneChanges)
{
    CQorStringProbe a("abc");
    CQorStringProbe b(a);
    EXPECT_EQ(a.Block(), b.Block());
    EXPECT_EQ(2, a.RefCount());

    const CQorStringData *old = a.Block();
    b += 'd';
    EXPECT_EQ(old, a.Block());
    EXPECT_EQ(1, a.RefCount());
    EXPECT_NE(old, b.Block());
    EXPECT_EQ(1, b.RefCount());
    EXPECT_STREQ("abc", a.GetString());
    EXPECT_STREQ("abcd", b.GetString());

    CQorStringProbe c;
    c = a;
    c.Empty(); // a shared block is dropped, the other holder keeps the text
    EXPECT_EQ(nullptr, c.Block());
    EXPECT_EQ(1, a.RefCount());
    int before = a.BufferLength();
    a.Empty(); // an unshared block stays
    EXPECT_EQ(old, a.Block());
    EXPECT_EQ(before, a.BufferLength());
    EXPECT_EQ(0, a.GetLength());

    CQorStringProbe self("kept");
    CQorString &alias = self;
    self = alias;
    EXPECT_STREQ("kept", self.GetString());
    EXPECT_EQ(1, self.RefCount());
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
    EXPECT_EQ(19, s.BufferLength());
    CQorStringProbe shared(s);
    shared.GetBuffer(3); // a shared block is always copied, a kept text never cut
    EXPECT_NE(s.Block(), shared.Block());
    EXPECT_EQ(11, shared.BufferLength());
    shared.GetBuffer(100);
    EXPECT_EQ(101, shared.BufferLength());

    CQorStringProbe text("hello");
    EXPECT_EQ(6, text.BufferLength());
    text = "hi"; // fits: same block
    EXPECT_EQ(6, text.BufferLength());

    CQorStringData *two = CQorStringProbe::AllocData(0);
    ASSERT_NE(nullptr, two);
    EXPECT_EQ(2, two->nBufferLength);
    EXPECT_EQ(1, two->nRefCount);
    EXPECT_EQ(0, two->nLength);
    free(two);
}

TEST(QorString, BufferProtocol)
{
    CQorStringProbe s("abc");
    char *buffer = s.GetBuffer(100);
    EXPECT_STREQ("abc", buffer);
    EXPECT_EQ(101, s.BufferLength());
    EXPECT_EQ(3, s.GetLength()); // unchanged until ReleaseBuffer
    strcpy(buffer, "xy");
    s.ReleaseBuffer(-1);
    EXPECT_EQ(2, s.GetLength());
    s.ReleaseBuffer(5000);
    EXPECT_EQ(100, s.GetLength());
    EXPECT_EQ(0, s[100]);

    memset(s.GetBuffer(0), 'x', (size_t)s.BufferLength()); // no terminator anywhere
    s.ReleaseBuffer(-1);
    EXPECT_EQ(100, s.GetLength());
    EXPECT_EQ(0, s[100]);

    CQorStringProbe set;
    set.GetBufferSetLength(4);
    EXPECT_EQ(4, set.GetLength());
    EXPECT_EQ(0, set[4]);
    EXPECT_EQ(6, set.BufferLength());

    CQorStringProbe none;
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
    EXPECT_EQ(text, s.GetString()); // the text never moves
    EXPECT_EQ(4, s.BufferLength());
    EXPECT_STREQ("abc", s.GetString());
    s += "defg";
    EXPECT_STREQ("abcdefg", s.GetString());
}

TEST(QorString, Concatenation)
{
    CQorStringProbe s("abc");
    s += s;
    EXPECT_STREQ("abcabc", s.GetString());
    EXPECT_EQ(6, s.GetLength());
    s += s.GetString() + 4; // a source inside the string's own block
    EXPECT_STREQ("abcabcbc", s.GetString());
    const CQorStringData *block = s.Block();
    s += "";
    s += CQorString();
    EXPECT_EQ(block, s.Block());

    CQorStringProbe a("ab");
    EXPECT_STREQ("abcd", (a + CQorString("cd")).GetString());
    EXPECT_STREQ("abx", (a + "x").GetString());
    EXPECT_STREQ("ab!", (a + '!').GetString());
    CQorStringProbe same(a + CQorString());
    EXPECT_EQ(a.Block(), same.Block());
    EXPECT_STREQ("ab", a.GetString());
}

TEST(QorString, SubStrings)
{
    CQorStringProbe s("abcdef");
    EXPECT_STREQ("cdef", s.Mid(2, 100).GetString());
    EXPECT_STREQ("bc", s.Mid(1, 2).GetString());
    EXPECT_STREQ("ab", s.Mid(-3, 2).GetString());
    EXPECT_EQ(s.Block(), CQorStringProbe(s.Mid(0, -1)).Block());
    EXPECT_EQ(nullptr, CQorStringProbe(s.Mid(10, 1)).Block());
    EXPECT_EQ(nullptr, CQorStringProbe(s.Left(0)).Block());
    EXPECT_STREQ("ef", s.Right(2).GetString());
    EXPECT_EQ(nullptr, CQorStringProbe(s.Right(0)).Block());
    CQorStringProbe small("abc");
    EXPECT_EQ(small.Block(), CQorStringProbe(small.Right(10)).Block());

    CQorStringProbe list("ab;c,d");
    EXPECT_STREQ("ab", list.SpanExcluding(",;").GetString());
    EXPECT_EQ(nullptr, CQorStringProbe(CQorString(";x").SpanExcluding(",;")).Block());
    EXPECT_EQ(list.Block(), CQorStringProbe(list.SpanExcluding(nullptr)).Block());
    CQorStringProbe whole(list.SpanExcluding(""));
    EXPECT_NE(list.Block(), whole.Block());
    EXPECT_STREQ("ab;c,d", whole.GetString());
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
    struct Row {
        int line;
        void (CQorString::*edit)();
        const char *input;
        const char *expected;
    } rows[] = {
        {__LINE__, &CQorString::TrimLeft, "  a b ", "a b "},
        {__LINE__, &CQorString::TrimRight, "  a b ", "  a b"},
        {__LINE__, &CQorString::TrimLeft, " \t\r\n ", ""},
        {__LINE__, &CQorString::TrimRight, " \t\r\n ", ""},
        {__LINE__, &CQorString::TrimRight, "a  b", "a  b"}, // inner blanks stay
        {__LINE__, &CQorString::Capitalize, "hello wORLD", "Hello World"},
        {__LINE__, &CQorString::Capitalize, "o'neil", "O'neil"},       // only white space starts a word
        {__LINE__, &CQorString::Capitalize, "hello-world", "Hello-world"},
        {__LINE__, &CQorString::Capitalize, "1st\tsTEP", "1st\tStep"},
        {__LINE__, &CQorString::MakeUpper, "mixed Case 1", "MIXED CASE 1"},
        {__LINE__, &CQorString::MakeLower, "MIXED Case 1", "mixed case 1"},
        {__LINE__, &CQorString::MakeReverse, "abc", "cba"},
    };
    for (const Row &row : rows) {
        CQorStringProbe s(row.input);
        CQorStringProbe holder(s);
        (s.*row.edit)();
        EXPECT_STREQ(row.expected, s.GetString()) << "row at line " << row.line;
        EXPECT_EQ((int)strlen(row.expected), s.GetLength()) << "row at line " << row.line;
        EXPECT_STREQ(row.input, holder.GetString()) << "row at line " << row.line; // made private first
        EXPECT_EQ(1, holder.RefCount()) << "row at line " << row.line;
    }
    CQorStringProbe none;
    none.TrimLeft();
    none.MakeUpper();
    EXPECT_EQ(nullptr, none.Block());
}

TEST(QorString, HashIsTheElfHashUpToTheFirstZero)
{
    EXPECT_EQ(0x6783u, CQorString::HashFunc("abc"));
    EXPECT_EQ(0x077905A6u, CQorString::HashFunc("printf"));
    EXPECT_EQ(0x0D0AF403u, CQorString::HashFunc("a much longer text that folds"));
    EXPECT_EQ(0x00FFFFFFu, CQorString::HashFunc("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"));
    EXPECT_EQ(0u, CQorString::HashFunc(""));
    EXPECT_EQ(0u, CQorString::HashFunc(nullptr));
    EXPECT_EQ(0x6783u, CQorString::HashFunc2("abc"));
    const unsigned char withZero[] = {'a', 'b', 'c', 0, 'd'};
    EXPECT_EQ(0x6783u, CQorString::CalcBufferHash(withZero, sizeof withZero));
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
        EXPECT_EQ(E_OUTOFMEMORY, thrown) << "GetBuffer(" << request << ")";
        EXPECT_EQ(block, s.Block());
        EXPECT_STREQ("keep", s.GetString());
    }
    EXPECT_EQ(nullptr, CQorStringProbe::AllocData(INT_MAX - 11));
    EXPECT_EQ(nullptr, CQorStringProbe::AllocData(-1));
}
