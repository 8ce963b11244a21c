// QorPoint.cpp: CQorPoint, a POINT with arithmetic.
#include "QorGeometry.h"

CQorPoint::CQorPoint(int initX, int initY) : POINT{initX, initY} {}
CQorPoint::CQorPoint(SIZE size) : POINT{size.cx, size.cy} {}
CQorPoint::CQorPoint(DWORD packed) : POINT{(SHORT)LOWORD(packed), (SHORT)HIWORD(packed)} {}

void CQorPoint::Offset(int dx, int dy)
{
    x += dx;
    y += dy;
}
void CQorPoint::Offset(POINT point) { Offset(point.x, point.y); }
void CQorPoint::Offset(SIZE size) { Offset(size.cx, size.cy); }
void CQorPoint::operator+=(POINT point) { Offset(point.x, point.y); }
void CQorPoint::operator+=(SIZE size) { Offset(size.cx, size.cy); }
void CQorPoint::operator-=(POINT point) { Offset(-point.x, -point.y); }
void CQorPoint::operator-=(SIZE size) { Offset(-size.cx, -size.cy); }

int CQorPoint::operator==(POINT point) const { return x == point.x && y == point.y; }
int CQorPoint::operator!=(POINT point) const { return !(*this == point); }

CQorPoint CQorPoint::operator+(POINT point) const { return CQorPoint(x + point.x, y + point.y); }
CQorPoint CQorPoint::operator+(SIZE size) const { return CQorPoint(x + size.cx, y + size.cy); }
CQorPoint CQorPoint::operator-(SIZE size) const { return CQorPoint(x - size.cx, y - size.cy); }
CQorSize CQorPoint::operator-(POINT point) const { return CQorSize(x - point.x, y - point.y); }
CQorPoint CQorPoint::operator-() const { return CQorPoint(-x, -y); }

CQorRect CQorPoint::operator+(const RECT *rect) const
{
    CQorRect moved(rect);
    moved.OffsetRect(x, y);
    return moved;
}

CQorRect CQorPoint::operator-(const RECT *rect) const
{
    CQorRect moved(rect);
    moved.OffsetRect(-x, -y);
    return moved;
}
