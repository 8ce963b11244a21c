// QorGeometry.h: CQorPoint, CQorSize and CQorRect, value classes over the platform's POINT, SIZE and
// RECT. Each derives from its structure, so an object goes wherever the platform expects one; the
// rectangle's members call the platform's rectangle functions. Coordinates are signed 32-bit and no
// operation checks for overflow. Default constructors leave the coordinates unset.
#pragma once

#include "QorWinTypes.h"

class CQorSize;
class CQorRect;

class QORUTIL_API CQorPoint : public POINT {
public:
    CQorPoint() {}
    CQorPoint(int initX, int initY);
    CQorPoint(SIZE size);
    // x from the low 16 bits, y from the high 16 bits, each as a signed 16-bit number.
    CQorPoint(DWORD packed);
    virtual ~CQorPoint() {}

    void Offset(int dx, int dy);
    void Offset(POINT point);
    void Offset(SIZE size);
    void operator+=(POINT point);
    void operator+=(SIZE size);
    void operator-=(POINT point);
    void operator-=(SIZE size);

    int operator==(POINT point) const;
    int operator!=(POINT point) const;

    CQorPoint operator+(POINT point) const;
    CQorPoint operator+(SIZE size) const;
    CQorPoint operator-(SIZE size) const;
    CQorSize operator-(POINT point) const; // the difference as a size
    CQorPoint operator-() const;
    CQorRect operator+(const RECT *rect) const; // the rectangle moved by this point
    CQorRect operator-(const RECT *rect) const; // the rectangle moved back by this point
};

class QORUTIL_API CQorSize : public SIZE {
public:
    CQorSize() {}
    CQorSize(int initCX, int initCY);
    CQorSize(SIZE size);
    CQorSize(POINT point);
    // cx from the low 16 bits, cy from the high 16 bits, each as a signed 16-bit number.
    CQorSize(DWORD packed);
    virtual ~CQorSize() {}

    void operator+=(SIZE size);
    void operator-=(SIZE size);
    int operator==(SIZE size) const;
    int operator!=(SIZE size) const;

    CQorSize operator+(SIZE size) const;
    CQorSize operator-(SIZE size) const;
    CQorSize operator-() const;
    CQorPoint operator+(POINT point) const;
    CQorPoint operator-(POINT point) const; // (cx - x, cy - y)
    CQorRect operator+(const RECT *rect) const;
    CQorRect operator-(const RECT *rect) const;
};

class QORUTIL_API CQorRect : public RECT {
public:
    CQorRect() {}
    CQorRect(int l, int t, int r, int b);
    CQorRect(const RECT &rect);
    CQorRect(const RECT *rect);
    CQorRect(POINT point, SIZE size);
    CQorRect(POINT topLeft, POINT bottomRight);
    virtual ~CQorRect() {}

    CQorRect &operator=(const RECT &rect);

    int Width() const;
    int Height() const;
    CQorSize Size() const;
    // The middle, each coordinate rounded toward zero.
    CQorPoint CenterPoint() const;
    // The corners, by value: a point object is not laid out like the coordinates it would overlay.
    CQorPoint TopLeft() const;
    CQorPoint BottomRight() const;

    operator RECT *() { return this; }
    operator const RECT *() const { return this; }

    int IsRectEmpty() const;
    int IsRectNull() const; // all four coordinates 0
    int PtInRect(POINT point) const;

    void SetRect(int x1, int y1, int x2, int y2);
    void SetRect(POINT topLeft, POINT bottomRight);
    void SetRectEmpty();
    void CopyRect(const RECT *source);
    int EqualRect(const RECT *rect) const;
    int operator==(const RECT &rect) const;
    int operator!=(const RECT &rect) const;

    void InflateRect(int x, int y);
    void InflateRect(SIZE size);
    void InflateRect(const RECT *rect); // each side out by the matching coordinate of `rect`
    void InflateRect(int l, int t, int r, int b);
    void DeflateRect(int x, int y);
    void DeflateRect(SIZE size);
    void DeflateRect(const RECT *rect);
    void DeflateRect(int l, int t, int r, int b);
    void OffsetRect(int x, int y);
    void OffsetRect(POINT point);
    void OffsetRect(SIZE size);
    void NormalizeRect();
    // Each coordinate scaled by the platform's MulDiv.
    CQorRect MulDiv(int multiplier, int divisor) const;

    // With this rectangle as the destination.
    int IntersectRect(const RECT *rect1, const RECT *rect2);
    int UnionRect(const RECT *rect1, const RECT *rect2);
    int SubtractRect(const RECT *rect1, const RECT *rect2);

    void operator+=(POINT point);
    void operator+=(SIZE size);
    void operator+=(const RECT *rect);
    void operator-=(POINT point);
    void operator-=(SIZE size);
    void operator-=(const RECT *rect);
    void operator&=(const RECT &rect);
    void operator|=(const RECT &rect);

    CQorRect operator+(POINT point) const;
    CQorRect operator-(POINT point) const;
    CQorRect operator+(SIZE size) const;
    CQorRect operator-(SIZE size) const;
    CQorRect operator+(const RECT *rect) const;
    CQorRect operator-(const RECT *rect) const;
    CQorRect operator&(const RECT &rect) const;
    CQorRect operator|(const RECT &rect) const;

private:
    CQorRect Moved(int dx, int dy) const;
};
