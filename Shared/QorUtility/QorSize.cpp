// QorSize.cpp: CQorSize, a SIZE with arithmetic.
#include "QorGeometry.h"

CQorSize::CQorSize(int initCX, int initCY) : SIZE{initCX, initCY} {}
CQorSize::CQorSize(SIZE size) : SIZE(size) {}
CQorSize::CQorSize(POINT point) : SIZE{point.x, point.y} {}
CQorSize::CQorSize(DWORD packed) : SIZE{(SHORT)LOWORD(packed), (SHORT)HIWORD(packed)} {}

void CQorSize::operator+=(SIZE size)
{
    cx += size.cx;
    cy += size.cy;
}

void CQorSize::operator-=(SIZE size)
{
    cx -= size.cx;
    cy -= size.cy;
}

int CQorSize::operator==(SIZE size) const { return cx == size.cx && cy == size.cy; }
int CQorSize::operator!=(SIZE size) const { return !(*this == size); }

CQorSize CQorSize::operator+(SIZE size) const { return CQorSize(cx + size.cx, cy + size.cy); }
CQorSize CQorSize::operator-(SIZE size) const { return CQorSize(cx - size.cx, cy - size.cy); }
CQorSize CQorSize::operator-() const { return CQorSize(-cx, -cy); }
CQorPoint CQorSize::operator+(POINT point) const { return CQorPoint(cx + point.x, cy + point.y); }
CQorPoint CQorSize::operator-(POINT point) const { return CQorPoint(cx - point.x, cy - point.y); }

CQorRect CQorSize::operator+(const RECT *rect) const
{
    CQorRect moved(rect);
    moved.OffsetRect(cx, cy);
    return moved;
}

CQorRect CQorSize::operator-(const RECT *rect) const
{
    CQorRect moved(rect);
    moved.OffsetRect(-cx, -cy);
    return moved;
}
