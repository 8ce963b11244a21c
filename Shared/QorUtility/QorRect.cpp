// QorRect.cpp: CQorRect, a RECT whose members call the platform's rectangle functions.
#include "QorGeometry.h"

#include <utility>

CQorRect::CQorRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
CQorRect::CQorRect(const RECT &rect) { ::CopyRect(this, &rect); }
CQorRect::CQorRect(const RECT *rect) { ::CopyRect(this, rect); }
CQorRect::CQorRect(POINT point, SIZE size) : RECT{point.x, point.y, point.x + size.cx, point.y + size.cy} {}
CQorRect::CQorRect(POINT topLeft, POINT bottomRight) : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

CQorRect &CQorRect::operator=(const RECT &rect)
{
    ::CopyRect(this, &rect);
    return *this;
}

int CQorRect::Width() const { return right - left; }
int CQorRect::Height() const { return bottom - top; }
CQorSize CQorRect::Size() const { return CQorSize(right - left, bottom - top); }
CQorPoint CQorRect::CenterPoint() const { return CQorPoint((left + right) / 2, (top + bottom) / 2); }
CQorPoint CQorRect::TopLeft() const { return CQorPoint(left, top); }
CQorPoint CQorRect::BottomRight() const { return CQorPoint(right, bottom); }

int CQorRect::IsRectEmpty() const { return ::IsRectEmpty(this); }
int CQorRect::IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
int CQorRect::PtInRect(POINT point) const { return ::PtInRect(this, point); }

void CQorRect::SetRect(int x1, int y1, int x2, int y2) { ::SetRect(this, x1, y1, x2, y2); }
void CQorRect::SetRect(POINT topLeft, POINT bottomRight) { SetRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y); }
void CQorRect::SetRectEmpty() { ::SetRectEmpty(this); }
void CQorRect::CopyRect(const RECT *source) { ::CopyRect(this, source); }
int CQorRect::EqualRect(const RECT *rect) const { return ::EqualRect(this, rect); }
int CQorRect::operator==(const RECT &rect) const { return ::EqualRect(this, &rect); }
int CQorRect::operator!=(const RECT &rect) const { return !::EqualRect(this, &rect); }

void CQorRect::InflateRect(int x, int y) { ::InflateRect(this, x, y); }
void CQorRect::InflateRect(SIZE size) { ::InflateRect(this, size.cx, size.cy); }
void CQorRect::InflateRect(const RECT *rect) { InflateRect(rect->left, rect->top, rect->right, rect->bottom); }

void CQorRect::InflateRect(int l, int t, int r, int b)
{
    left -= l;
    top -= t;
    right += r;
    bottom += b;
}

void CQorRect::DeflateRect(int x, int y) { ::InflateRect(this, -x, -y); }
void CQorRect::DeflateRect(SIZE size) { ::InflateRect(this, -size.cx, -size.cy); }
void CQorRect::DeflateRect(const RECT *rect) { DeflateRect(rect->left, rect->top, rect->right, rect->bottom); }

void CQorRect::DeflateRect(int l, int t, int r, int b)
{
    left += l;
    top += t;
    right -= r;
    bottom -= b;
}

void CQorRect::OffsetRect(int x, int y) { ::OffsetRect(this, x, y); }
void CQorRect::OffsetRect(POINT point) { ::OffsetRect(this, point.x, point.y); }
void CQorRect::OffsetRect(SIZE size) { ::OffsetRect(this, size.cx, size.cy); }

void CQorRect::NormalizeRect()
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
}

CQorRect CQorRect::MulDiv(int multiplier, int divisor) const
{
    return CQorRect(::MulDiv(left, multiplier, divisor), ::MulDiv(top, multiplier, divisor),
                    ::MulDiv(right, multiplier, divisor), ::MulDiv(bottom, multiplier, divisor));
}

int CQorRect::IntersectRect(const RECT *rect1, const RECT *rect2) { return ::IntersectRect(this, rect1, rect2); }
int CQorRect::UnionRect(const RECT *rect1, const RECT *rect2) { return ::UnionRect(this, rect1, rect2); }
int CQorRect::SubtractRect(const RECT *rect1, const RECT *rect2) { return ::SubtractRect(this, rect1, rect2); }

void CQorRect::operator+=(POINT point) { OffsetRect(point); }
void CQorRect::operator+=(SIZE size) { OffsetRect(size); }
void CQorRect::operator+=(const RECT *rect) { InflateRect(rect); }
void CQorRect::operator-=(POINT point) { OffsetRect(-point.x, -point.y); }
void CQorRect::operator-=(SIZE size) { OffsetRect(-size.cx, -size.cy); }
void CQorRect::operator-=(const RECT *rect) { DeflateRect(rect); }
void CQorRect::operator&=(const RECT &rect) { ::IntersectRect(this, this, &rect); }
void CQorRect::operator|=(const RECT &rect) { ::UnionRect(this, this, &rect); }

CQorRect CQorRect::operator+(POINT point) const { return Moved(point.x, point.y); }
CQorRect CQorRect::operator-(POINT point) const { return Moved(-point.x, -point.y); }
CQorRect CQorRect::operator+(SIZE size) const { return Moved(size.cx, size.cy); }
CQorRect CQorRect::operator-(SIZE size) const { return Moved(-size.cx, -size.cy); }

CQorRect CQorRect::operator+(const RECT *rect) const
{
    CQorRect result(*this);
    result.InflateRect(rect);
    return result;
}

CQorRect CQorRect::operator-(const RECT *rect) const
{
    CQorRect result(*this);
    result.DeflateRect(rect);
    return result;
}

CQorRect CQorRect::operator&(const RECT &rect) const
{
    CQorRect result;
    ::IntersectRect(&result, this, &rect);
    return result;
}

CQorRect CQorRect::operator|(const RECT &rect) const
{
    CQorRect result;
    ::UnionRect(&result, this, &rect);
    return result;
}

CQorRect CQorRect::Moved(int dx, int dy) const
{
    CQorRect result(*this);
    result.OffsetRect(dx, dy);
    return result;
}
