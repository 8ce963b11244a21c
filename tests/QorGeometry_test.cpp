// QorGeometry_test.cpp: points, sizes, rectangles: packed values, centre rounding, inflating operators.
#include "QorGeometry.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

static std::ostream &operator<<(std::ostream &out, const RECT &r)
{
    return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

const CQorRect kTen(0, 0, 10, 10);

TEST(QorGeometry, PackedValuesPointsAndSizes)
{
    CQorPoint point((DWORD)0xFFFF0001); // two signed 16-bit halves
    CQorSize packed((DWORD)0x00018000);
    EXPECT_TRUE(point == CQorPoint(1, -1) && packed == CQorSize(-32768, 1));
    point = CQorPoint(3, 4);
    const CQorSize size(1, 2);
    EXPECT_TRUE(point + size == CQorPoint(4, 6) && point - size == CQorPoint(2, 2) && -point == CQorPoint(-3, -4));
    EXPECT_TRUE(point - CQorPoint(1, 1) == CQorSize(2, 3)) << "a point minus a point is a size";
    EXPECT_TRUE(size - CQorPoint(3, 4) == CQorPoint(-2, -2)) << "a size minus a point is (cx - x, cy - y)";
    point -= size;
    point.Offset(10, 0);
    EXPECT_TRUE(point == CQorPoint(12, 2) && point != CQorPoint(12, 3) && CQorSize(point) == CQorSize(12, 2));
    EXPECT_EQ(CQorPoint(3, 4) + &kTen, CQorRect(3, 4, 13, 14)) << "moved by a point";
    EXPECT_EQ(CQorSize(3, 4) - &kTen, CQorRect(-3, -4, 7, 6)) << "moved back by a size";
}

TEST(QorGeometry, MeasuresCentreAndEmptiness)
{
    static const struct { CQorRect rect; int width, height, centerX, centerY; } rows[] = {
        {CQorRect(10, 20, 30, 60), 20, 40, 20, 40},
        {CQorRect(-3, -3, 0, 0), 3, 3, -1, -1}, // the centre rounds toward zero
        {CQorRect(30, 60, 10, 20), -20, -40, 20, 40},
    };
    for (const auto &row : rows) {
        EXPECT_TRUE(row.rect.Size() == CQorSize(row.width, row.height) && row.rect.Width() == row.width &&
                    row.rect.Height() == row.height) << row.rect;
        EXPECT_TRUE(row.rect.CenterPoint() == CQorPoint(row.centerX, row.centerY)) << row.rect;
    }
    CQorRect reversed(30, 60, 10, 20);
    reversed.NormalizeRect();
    EXPECT_TRUE(reversed.TopLeft() == CQorPoint(10, 20) && reversed.BottomRight() == CQorPoint(30, 60));
    EXPECT_EQ(CQorRect(CQorPoint(1, 2), CQorSize(3, 4)), CQorRect(1, 2, 4, 6));
    EXPECT_TRUE(CQorRect(0, 0, 0, 0).IsRectNull() && CQorRect(0, 0, 0, 0).IsRectEmpty());
    EXPECT_TRUE(!CQorRect(5, 5, 5, 5).IsRectNull() && CQorRect(5, 5, 5, 5).IsRectEmpty()) << "empty is not null";
    EXPECT_TRUE(kTen.PtInRect(CQorPoint(0, 9)) && !kTen.PtInRect(CQorPoint(10, 0)));
}

TEST(QorGeometry, CompoundOperatorsMoveOrInflate)
{
    static const RECT sides{1, 2, 3, 4};
    static const struct { void (*apply)(CQorRect &); RECT expected; } rows[] = {
        {[](CQorRect &r) { r += &sides; }, {-1, -2, 13, 14}}, // a RECT inflates side by side
        {[](CQorRect &r) { r -= &sides; }, {1, 2, 7, 6}},
        {[](CQorRect &r) { r += CQorPoint(1, 2); }, {1, 2, 11, 12}}, // a pair moves
        {[](CQorRect &r) { r -= CQorSize(1, 2); }, {-1, -2, 9, 8}},
        {[](CQorRect &r) { r.InflateRect(1, 2); }, {-1, -2, 11, 12}},
        {[](CQorRect &r) { r.DeflateRect(CQorSize(1, 2)); }, {1, 2, 9, 8}},
        {[](CQorRect &r) { r.InflateRect(1, 2, 3, 4); }, {-1, -2, 13, 14}},
        {[](CQorRect &r) { r.DeflateRect(1, 2, 3, 4); }, {1, 2, 7, 6}},
        {[](CQorRect &r) { r &= CQorRect(5, 5, 20, 20); }, {5, 5, 10, 10}},
        {[](CQorRect &r) { r &= CQorRect(10, 0, 20, 10); }, {0, 0, 0, 0}},
        {[](CQorRect &r) { r |= CQorRect(5, 5, 20, 20); }, {0, 0, 20, 20}},
        {[](CQorRect &r) { r = r.MulDiv(3, 2); }, {0, 0, 15, 15}},
        {[](CQorRect &r) { r.SetRect(CQorPoint(1, 2), CQorPoint(3, 4)); }, {1, 2, 3, 4}},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        CQorRect rect(kTen);
        rows[i].apply(rect);
        EXPECT_EQ(rect, rows[i].expected) << "row " << i;
    }
    // The value operators give the same results and leave the operand alone.
    EXPECT_EQ((std::vector<CQorRect>{kTen + &sides, kTen - &sides, kTen + CQorPoint(1, 2), kTen - CQorSize(1, 2),
                                     kTen & CQorRect(5, 5, 20, 20), kTen | CQorRect(5, 5, 20, 20)}),
              (std::vector<CQorRect>{{-1, -2, 13, 14}, {1, 2, 7, 6}, {1, 2, 11, 12}, {-1, -2, 9, 8}, {5, 5, 10, 10}, {0, 0, 20, 20}}));
    EXPECT_TRUE(kTen == CQorRect(0, 0, 10, 10) && kTen != CQorRect(0, 0, 10, 11));
    CQorRect target;
    EXPECT_TRUE(!target.IntersectRect(&kTen, CQorRect(20, 20, 30, 30)) && target.IsRectNull());
    EXPECT_TRUE(target.SubtractRect(&kTen, CQorRect(5, -1, 11, 11)) && target == CQorRect(0, 0, 5, 10));
}

} // namespace
