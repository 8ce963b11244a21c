// QorWinApiUser.h: the rectangle functions of the Win32 user interface and MulDiv, as the POSIX
// platform layer provides them (Win32 names, signatures and rules). Included by QorWinApi.h.
#pragma once

extern "C" {

QORUTIL_API BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom);
QORUTIL_API BOOL WINAPI SetRectEmpty(LPRECT lprc);
QORUTIL_API BOOL WINAPI CopyRect(LPRECT lprcDst, const RECT *lprcSrc);
// True for a null rectangle pointer and for a rectangle with no area (right <= left or bottom <= top).
QORUTIL_API BOOL WINAPI IsRectEmpty(const RECT *lprc);
// The right and bottom edges lie outside the rectangle.
QORUTIL_API BOOL WINAPI PtInRect(const RECT *lprc, POINT pt);
QORUTIL_API BOOL WINAPI EqualRect(const RECT *lprc1, const RECT *lprc2);
QORUTIL_API BOOL WINAPI InflateRect(LPRECT lprc, int dx, int dy);
QORUTIL_API BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy);
// An empty result (all zero) and FALSE when the rectangles do not overlap.
QORUTIL_API BOOL WINAPI IntersectRect(LPRECT lprcDst, const RECT *lprcSrc1, const RECT *lprcSrc2);
// Empty sources are ignored; FALSE when the result is empty.
QORUTIL_API BOOL WINAPI UnionRect(LPRECT lprcDst, const RECT *lprcSrc1, const RECT *lprcSrc2);
// The first rectangle less the second where the second covers a whole side of it; else the first.
QORUTIL_API BOOL WINAPI SubtractRect(LPRECT lprcDst, const RECT *lprcSrc1, const RECT *lprcSrc2);

// nNumber * nNumerator / nDenominator through a 64-bit product, rounded half away from zero; -1 when
// the divisor is 0 or the result does not fit in 32 bits.
QORUTIL_API int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator);

} // extern "C"
