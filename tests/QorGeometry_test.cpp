// QorGeometry_test.cpp: points, sizes and rectangles: the packed constructors, rounding of the centre,
// the compound operators that inflate rather than move, and the value operators.
#include "QorGeometry.h"

#include <gtest/gtest.h>

#include <ostream>

static std::ostream &operator<<(std::ostream &out, const RECT &r)
{
    return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

const CQorRect kTen(0, 0, 10, 10);

TEST(QorGeometry, PackedValuesAreTwoSigned16BitHalves)
{
    CQorPoint point((DWORD)0xFFFF0001);
    EXPECT_EQ(point.x, 1);
    EXPECT_EQ(point.y, -1);
    CQorSize size((DWORD)0x00018000);
    EXPECT_EQ(size.cx, -32768);
    EXPECT_EQ(size.cy, 1);
}

TEST(QorGeometry, PointAndSizeArithmetic)
{
    CQorPoint point(3, 4);
    const CQorSize size(1, 2);
    EXPECT_TRUE(point + size == CQorPoint(4, 6));
    EXPECT_TRUE(point - size == CQorPoint(2, 2));
    EXPECT_TRUE(point - CQorPoint(1, 1) == CQorSize(2, 3)) << "a point minus a point is a size";
    EXPECT_TRUE(-point == CQorPoint(-3, -4));
    EXPECT_TRUE(size - CQorPoint(3, 4) == CQorPoint(-2, -2)) << "a size minus a point is (cx - x, cy - y)";
    point -= size;
    point.Offset(10, 0);
    EXPECT_TRUE(point == CQorPoint(12, 2));
    EXPECT_TRUE(point != CQorPoint(12, 3));
    EXPECT_TRUE(CQorSize(point) == CQorSize(12, 2));

    // Moving a rectangle: by a point, back by a size.
    EXPECT_EQ(CQorPoint(3, 4) + &kTen, CQorRect(3, 4, 13, 14));
    EXPECT_EQ(CQorSize(3, 4) - &kTen, CQorRect(-3, -4, 7, 6));
}

TEST(QorGeometry, MeasuresAndCentre)
{
    static const struct {
        int line;
        CQorRect rect;
        int width, height, centerX, centerY;
    } rows[] = {
        {__LINE__, CQorRect(10, 20, 30, 60), 20, 40, 20, 40},
        {__LINE__, CQorRect(-3, -3, 0, 0), 3, 3, -1, -1}, // the centre rounds toward zero
        {__LINE__, CQorRect(30, 60, 10, 20), -20, -40, 20, 40},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(row.rect.Width(), row.width) << "row at line " << row.line;
        EXPECT_EQ(row.rect.Height(), row.height) << "row at line " << row.line;
        EXPECT_TRUE(row.rect.Size() == CQorSize(row.width, row.height)) << "row at line " << row.line;
        EXPECT_TRUE(row.rect.CenterPoint() == CQorPoint(row.centerX, row.centerY)) << "row at line " << row.line;
    }
    CQorRect reversed(30, 60, 10, 20);
    reversed.NormalizeRect();
    EXPECT_EQ(reversed, CQorRect(10, 20, 30, 60));
    EXPECT_TRUE(reversed.TopLeft() == CQorPoint(10, 20));
    EXPECT_TRUE(reversed.BottomRight() == CQorPoint(30, 60));
    EXPECT_EQ(CQorRect(CQorPoint(1, 2), CQorSize(3, 4)), CQorRect(1, 2, 4, 6));
}

TEST(QorGeometry, EmptyAndNullAreDifferent)
{
    EXPECT_TRUE(CQorRect(0, 0, 0, 0).IsRectNull());
    EXPECT_TRUE(CQorRect(0, 0, 0, 0).IsRectEmpty());
    EXPECT_FALSE(CQorRect(5, 5, 5, 5).IsRectNull());
    EXPECT_TRUE(CQorRect(5, 5, 5, 5).IsRectEmpty());
    EXPECT_TRUE(kTen.PtInRect(CQorPoint(0, 9)));
    EXPECT_FALSE(kTen.PtInRect(CQorPoint(10, 0)));
}

TEST(QorGeometry, CompoundOperatorsMoveOrInflate)
{
    const RECT sides{1, 2, 3, 4};
    static const struct {
        int line;
        void (*apply)(CQorRect &, const RECT &);
        RECT expected;
    } rows[] = {
        {__LINE__, [](CQorRect &r, const RECT &s) { r += &s; }, {-1, -2, 13, 14}}, // a RECT inflates side by side
        {__LINE__, [](CQorRect &r, const RECT &s) { r -= &s; }, {1, 2, 7, 6}},
        {__LINE__, [](CQorRect &r, const RECT &) { r += CQorPoint(1, 2); }, {1, 2, 11, 12}}, // a pair moves
        {__LINE__, [](CQorRect &r, const RECT &) { r -= CQorSize(1, 2); }, {-1, -2, 9, 8}},
        {__LINE__, [](CQorRect &r, const RECT &) { r.InflateRect(1, 2); }, {-1, -2, 11, 12}},
        {__LINE__, [](CQorRect &r, const RECT &) { r.DeflateRect(CQorSize(1, 2)); }, {1, 2, 9, 8}},
        {__LINE__, [](CQorRect &r, const RECT &) { r.InflateRect(1, 2, 3, 4); }, {-1, -2, 13, 14}},
        {__LINE__, [](CQorRect &r, const RECT &) { r.DeflateRect(1, 2, 3, 4); }, {1, 2, 7, 6}},
        {__LINE__, [](CQorRect &r, const RECT &) { r &= CQorRect(5, 5, 20, 20); }, {5, 5, 10, 10}},
        {__LINE__, [](CQorRect &r, const RECT &) { r &= CQorRect(10, 0, 20, 10); }, {0, 0, 0, 0}},
        {__LINE__, [](CQorRect &r, const RECT &) { r |= CQorRect(5, 5, 20, 20); }, {0, 0, 20, 20}},
        {__LINE__, [](CQorRect &r, const RECT &) { r = r.MulDiv(3, 2); }, {0, 0, 15, 15}},
        {__LINE__, [](CQorRect &r, const RECT &) { r.SetRect(CQorPoint(1, 2), CQorPoint(3, 4)); }, {1, 2, 3, 4}},
    };
    for (const auto &row : rows) {
        CQorRect rect(kTen);
        row.apply(rect, sides);
        EXPECT_EQ(rect, row.expected) << "row at line " << row.line;
    }
}

TEST(QorGeometry, ValueOperatorsLeaveTheOperandAlone)
{
    const RECT sides{1, 2, 3, 4};
    EXPECT_EQ(kTen + &sides, CQorRect(-1, -2, 13, 14));
    EXPECT_EQ(kTen - &sides, CQorRect(1, 2, 7, 6));
    EXPECT_EQ(kTen + CQorPoint(1, 2), CQorRect(1, 2, 11, 12));
    EXPECT_EQ(kTen - CQorSize(1, 2), CQorRect(-1, -2, 9, 8));
    EXPECT_EQ(kTen & CQorRect(5, 5, 20, 20), CQorRect(5, 5, 10, 10));
    EXPECT_EQ(kTen | CQorRect(5, 5, 20, 20), CQorRect(0, 0, 20, 20));
    EXPECT_EQ(kTen, CQorRect(0, 0, 10, 10));
    EXPECT_TRUE(kTen != CQorRect(0, 0, 10, 11));

    CQorRect target;
    EXPECT_FALSE(target.IntersectRect(&kTen, CQorRect(20, 20, 30, 30)));
    EXPECT_TRUE(target.IsRectNull());
    EXPECT_TRUE(target.SubtractRect(&kTen, CQorRect(5, -1, 11, 11)));
    EXPECT_EQ(target, CQorRect(0, 0, 5, 10));
}

} // namespace
