// rect_test.cpp: the rectangle functions and MulDiv, row by row against the Win32 rules (the same rows
// run under Wine against its user32 and kernel32).
#include "QorPlatform.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>

static std::ostream &operator<<(std::ostream &out, const RECT &r)
{
    return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

bool Same(const RECT &a, const RECT &b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

typedef BOOL(WINAPI *RectOperation)(LPRECT, const RECT *, const RECT *);

struct CombineRow {
    int line;
    RECT first, second, expected;
    BOOL result;
};

void CheckRows(const char *name, RectOperation operation, std::initializer_list<CombineRow> rows)
{
    for (const CombineRow &row : rows) {
        RECT result{-7, -7, -7, -7};
        EXPECT_EQ(operation(&result, &row.first, &row.second), row.result) << name << " row at line " << row.line;
        EXPECT_PRED2(Same, result, row.expected) << name << " row at line " << row.line;
    }
}

TEST(Rect, IntersectUnionAndSubtract)
{
    CheckRows("IntersectRect", IntersectRect,
              {
                  {__LINE__, {0, 0, 10, 10}, {5, 5, 15, 15}, {5, 5, 10, 10}, TRUE},
                  {__LINE__, {0, 0, 10, 10}, {10, 0, 20, 10}, {0, 0, 0, 0}, FALSE}, // touching edges do not meet
                  {__LINE__, {0, 0, 10, 10}, {2, 2, 2, 8}, {0, 0, 0, 0}, FALSE},    // an empty source meets nothing
                  {__LINE__, {10, 10, 0, 0}, {0, 0, 10, 10}, {0, 0, 0, 0}, FALSE},  // not normalised: empty
              });
    CheckRows("UnionRect", UnionRect,
              {
                  {__LINE__, {0, 0, 10, 10}, {5, 5, 15, 15}, {0, 0, 15, 15}, TRUE},
                  {__LINE__, {0, 0, 0, 0}, {1, 2, 3, 4}, {1, 2, 3, 4}, TRUE},
                  {__LINE__, {0, 0, 10, 10}, {20, 20, 20, 30}, {0, 0, 10, 10}, TRUE}, // empty ones are ignored
                  {__LINE__, {5, 5, 5, 9}, {1, 1, 1, 1}, {0, 0, 0, 0}, FALSE},
              });
    CheckRows("SubtractRect", SubtractRect,
              {
                  {__LINE__, {0, 0, 10, 10}, {5, -1, 15, 11}, {0, 0, 5, 10}, TRUE},   // covers the right side
                  {__LINE__, {0, 0, 10, 10}, {-1, -1, 11, 5}, {0, 5, 10, 10}, TRUE},  // covers the top
                  {__LINE__, {0, 0, 10, 10}, {2, 2, 8, 8}, {0, 0, 10, 10}, TRUE},     // a hole cuts nothing
                  {__LINE__, {0, 0, 10, 10}, {0, 0, 5, 5}, {0, 0, 10, 10}, TRUE},     // nor does a corner
                  {__LINE__, {0, 0, 10, 10}, {2, -5, 8, 20}, {0, 0, 10, 10}, TRUE},   // nor a band through the middle
                  {__LINE__, {0, 0, 10, 10}, {20, 20, 30, 30}, {0, 0, 10, 10}, TRUE},
                  {__LINE__, {0, 0, 10, 10}, {-1, -1, 11, 11}, {0, 0, 0, 0}, FALSE},
              });
}

TEST(Rect, EdgesEmptinessAndNullPointers)
{
    const RECT r{0, 0, 10, 10};
    EXPECT_TRUE(PtInRect(&r, POINT{0, 0}));
    EXPECT_TRUE(PtInRect(&r, POINT{9, 9}));
    EXPECT_FALSE(PtInRect(&r, POINT{10, 5})) << "the right edge is outside";
    EXPECT_FALSE(PtInRect(&r, POINT{5, 10})) << "the bottom edge is outside";
    EXPECT_FALSE(PtInRect(&r, POINT{-1, 0}));

    const RECT flat{5, 5, 5, 9}, reversed{10, 0, 0, 10};
    EXPECT_TRUE(IsRectEmpty(&flat));
    EXPECT_TRUE(IsRectEmpty(&reversed));
    EXPECT_TRUE(IsRectEmpty(nullptr));
    EXPECT_FALSE(IsRectEmpty(&r));
    EXPECT_TRUE(EqualRect(&reversed, &reversed)) << "no normalisation before comparing";
    EXPECT_FALSE(EqualRect(&r, nullptr));

    EXPECT_FALSE(SetRect(nullptr, 1, 2, 3, 4));
    EXPECT_FALSE(CopyRect(nullptr, &r));
    EXPECT_FALSE(OffsetRect(nullptr, 1, 1));
    RECT moved = r;
    EXPECT_TRUE(InflateRect(&moved, 2, -1));
    EXPECT_TRUE(OffsetRect(&moved, -3, 4));
    EXPECT_PRED2(Same, moved, (RECT{-5, 5, 9, 13}));
}

TEST(Rect, MulDivRoundsHalfAwayFromZeroAndRefusesOverflow)
{
    static const struct {
        int line, number, numerator, denominator, expected;
    } rows[] = {
        {__LINE__, 10, 3, 2, 15},
        {__LINE__, 1, 1, 2, 1},   // one half rounds up
        {__LINE__, -1, 1, 2, -1}, // and minus one half down
        {__LINE__, 1, 3, 2, 2},
        {__LINE__, 5, -3, -2, 8},
        {__LINE__, -5, 3, 2, -8},
        {__LINE__, 4, 1, 3, 1},
        {__LINE__, 3, 2, 0, -1}, // no divisor
        {__LINE__, INT_MAX, 2, 2, INT_MAX},       // the product needs 64 bits
        {__LINE__, INT_MAX, 2, 1, -1},            // the quotient does not fit
        {__LINE__, INT_MIN, 1, 1, -1},            // the range is symmetric
        {__LINE__, -INT_MAX, 1, 1, -INT_MAX},
        {__LINE__, 0x40000000, 0x40000000, 0x40000000, 0x40000000},
    };
    for (const auto &row : rows)
        EXPECT_EQ(MulDiv(row.number, row.numerator, row.denominator), row.expected) << "row at line " << row.line;
}

} // namespace
