// rect_test.cpp: the rectangle functions and MulDiv against the Win32 rules (same rows under Wine).
#include "QorPlatform.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

std::string Text(const RECT &r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

TEST(Rect, IntersectUnionAndSubtract)
{
    typedef BOOL(WINAPI * Operation)(LPRECT, const RECT *, const RECT *);
    Operation intersect = IntersectRect, unite = UnionRect, subtract = SubtractRect;
    const struct {
        Operation operation;
        RECT first, second, expected;
        BOOL result;
    } rows[] = {
        {intersect, {0, 0, 10, 10}, {5, 5, 15, 15}, {5, 5, 10, 10}, TRUE},
        {intersect, {0, 0, 10, 10}, {10, 0, 20, 10}, {0, 0, 0, 0}, FALSE}, // touching edges do not meet
        {intersect, {0, 0, 10, 10}, {2, 2, 2, 8}, {0, 0, 0, 0}, FALSE},    // an empty source meets nothing
        {intersect, {10, 10, 0, 0}, {0, 0, 10, 10}, {0, 0, 0, 0}, FALSE},  // not normalised: empty
        {unite, {0, 0, 10, 10}, {5, 5, 15, 15}, {0, 0, 15, 15}, TRUE},
        {unite, {0, 0, 0, 0}, {1, 2, 3, 4}, {1, 2, 3, 4}, TRUE},
        {unite, {0, 0, 10, 10}, {20, 20, 20, 30}, {0, 0, 10, 10}, TRUE}, // empty ones are ignored
        {unite, {5, 5, 5, 9}, {1, 1, 1, 1}, {0, 0, 0, 0}, FALSE},
        {subtract, {0, 0, 10, 10}, {5, -1, 15, 11}, {0, 0, 5, 10}, TRUE},  // covers the right side
        {subtract, {0, 0, 10, 10}, {-1, -1, 11, 5}, {0, 5, 10, 10}, TRUE}, // covers the top
        {subtract, {0, 0, 10, 10}, {2, 2, 8, 8}, {0, 0, 10, 10}, TRUE},    // a hole, a corner, a band cut nothing
        {subtract, {0, 0, 10, 10}, {0, 0, 5, 5}, {0, 0, 10, 10}, TRUE},
        {subtract, {0, 0, 10, 10}, {2, -5, 8, 20}, {0, 0, 10, 10}, TRUE},
        {subtract, {0, 0, 10, 10}, {20, 20, 30, 30}, {0, 0, 10, 10}, TRUE},
        {subtract, {0, 0, 10, 10}, {-1, -1, 11, 11}, {0, 0, 0, 0}, FALSE},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        RECT result{-7, -7, -7, -7};
        EXPECT_EQ(rows[i].operation(&result, &rows[i].first, &rows[i].second), rows[i].result) << "row " << i;
        EXPECT_EQ(Text(result), Text(rows[i].expected)) << "row " << i;
    }
}

TEST(Rect, EdgesEmptinessAndNullPointers)
{
    const RECT r{0, 0, 10, 10}, flat{5, 5, 5, 9}, reversed{10, 0, 0, 10};
    EXPECT_TRUE(PtInRect(&r, POINT{0, 0}) && PtInRect(&r, POINT{9, 9}));
    EXPECT_FALSE(PtInRect(&r, POINT{10, 5}) || PtInRect(&r, POINT{5, 10}) || PtInRect(&r, POINT{-1, 0}))
        << "the right and bottom edges are outside";
    EXPECT_TRUE(IsRectEmpty(&flat) && IsRectEmpty(&reversed) && IsRectEmpty(nullptr) && !IsRectEmpty(&r));
    EXPECT_TRUE(EqualRect(&reversed, &reversed)) << "no normalisation before comparing";
    EXPECT_FALSE(EqualRect(&r, nullptr) || SetRect(nullptr, 1, 2, 3, 4) || CopyRect(nullptr, &r) ||
                 OffsetRect(nullptr, 1, 1));
    RECT moved = r;
    EXPECT_TRUE(InflateRect(&moved, 2, -1) && OffsetRect(&moved, -3, 4));
    EXPECT_EQ(Text(moved), "-5,5,9,13");
}

TEST(Rect, MulDivRoundsHalfAwayFromZeroAndRefusesOverflow)
{
    static const struct {
        int number, numerator, denominator, expected;
    } rows[] = {
        {10, 3, 2, 15}, {1, 1, 2, 1}, {-1, 1, 2, -1}, {1, 3, 2, 2}, {5, -3, -2, 8}, {-5, 3, 2, -8}, {4, 1, 3, 1},
        {3, 2, 0, -1},             // no divisor
        {INT_MAX, 2, 2, INT_MAX},  // the product needs 64 bits
        {INT_MAX, 2, 1, -1},       // the quotient does not fit
        {INT_MIN, 1, 1, -1},       // the range is symmetric
        {-INT_MAX, 1, 1, -INT_MAX}, {0x40000000, 0x40000000, 0x40000000, 0x40000000},
    };
    for (const auto &row : rows)
        EXPECT_EQ(MulDiv(row.number, row.numerator, row.denominator), row.expected) << row.number << "*" << row.numerator;
}

} // namespace
