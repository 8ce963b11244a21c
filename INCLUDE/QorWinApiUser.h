// QorWinApiUser.h: the rectangle functions of the Win32 user interface and MulDiv, global atoms,
// registered messages and the little of windows that messages between processes need, as the POSIX
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
// the divisor is 0 or the result lies outside -(2^31 - 1) to 2^31 - 1.
QORUTIL_API int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator);

// Global atoms: names of 1 to 255 bytes, counted; on POSIX the process's own table (see atom.cpp).
QORUTIL_API ATOM WINAPI GlobalAddAtomA(LPCSTR lpString);
QORUTIL_API ATOM WINAPI GlobalFindAtomA(LPCSTR lpString);
QORUTIL_API ATOM WINAPI GlobalDeleteAtom(ATOM nAtom);
QORUTIL_API UINT WINAPI GlobalGetAtomNameA(ATOM nAtom, LPSTR lpBuffer, int nSize);
// Shares its identifiers and names with RegisterClipboardFormatA.
QORUTIL_API UINT WINAPI RegisterWindowMessageA(LPCSTR lpString);

// Windows exist on POSIX only as message windows of a process (QorMessageWindow.h); FindWindowA finds
// them by title (the class must be null) and SendMessageA delivers to them and waits for the answer.
typedef LRESULT(CALLBACK *WNDPROC)(HWND, UINT, WPARAM, LPARAM);
QORUTIL_API HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName);
QORUTIL_API LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
QORUTIL_API BOOL WINAPI DestroyWindow(HWND hWnd);

} // extern "C"
