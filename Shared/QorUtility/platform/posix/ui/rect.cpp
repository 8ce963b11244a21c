// rect.cpp: the rectangle functions of the Win32 user interface. Pure arithmetic on RECT with the
// Windows rules: no normalisation, a null pointer answers FALSE, empty means no area.
#include "QorPlatform.h"

#include <algorithm>

BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom)
{
    if (lprc == nullptr)
        return FALSE;
    *lprc = RECT{xLeft, yTop, xRight, yBottom};
    return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT lprc) { return SetRect(lprc, 0, 0, 0, 0); }

BOOL WINAPI CopyRect(LPRECT lprcDst, const RECT *lprcSrc)
{
    if (lprcDst == nullptr || lprcSrc == nullptr)
        return FALSE;
    *lprcDst = *lprcSrc;
    return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT *lprc)
{
    return lprc == nullptr || lprc->right <= lprc->left || lprc->bottom <= lprc->top;
}

BOOL WINAPI PtInRect(const RECT *lprc, POINT pt)
{
    return lprc != nullptr && pt.x >= lprc->left && pt.x < lprc->right && pt.y >= lprc->top && pt.y < lprc->bottom;
}

BOOL WINAPI EqualRect(const RECT *lprc1, const RECT *lprc2)
{
    return lprc1 != nullptr && lprc2 != nullptr && lprc1->left == lprc2->left && lprc1->top == lprc2->top &&
           lprc1->right == lprc2->right && lprc1->bottom == lprc2->bottom;
}

BOOL WINAPI InflateRect(LPRECT lprc, int dx, int dy)
{
    if (lprc == nullptr)
        return FALSE;
    return SetRect(lprc, lprc->left - dx, lprc->top - dy, lprc->right + dx, lprc->bottom + dy);
}

BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy)
{
    if (lprc == nullptr)
        return FALSE;
    return SetRect(lprc, lprc->left + dx, lprc->top + dy, lprc->right + dx, lprc->bottom + dy);
}

BOOL WINAPI IntersectRect(LPRECT lprcDst, const RECT *lprcSrc1, const RECT *lprcSrc2)
{
    if (lprcDst == nullptr || lprcSrc1 == nullptr || lprcSrc2 == nullptr)
        return FALSE;
    const RECT overlap{std::max(lprcSrc1->left, lprcSrc2->left), std::max(lprcSrc1->top, lprcSrc2->top),
                       std::min(lprcSrc1->right, lprcSrc2->right), std::min(lprcSrc1->bottom, lprcSrc2->bottom)};
    // An empty source meets nothing, even where its edges lie inside the other rectangle.
    if (IsRectEmpty(lprcSrc1) || IsRectEmpty(lprcSrc2) || IsRectEmpty(&overlap)) {
        SetRectEmpty(lprcDst);
        return FALSE;
    }
    *lprcDst = overlap;
    return TRUE;
}

BOOL WINAPI UnionRect(LPRECT lprcDst, const RECT *lprcSrc1, const RECT *lprcSrc2)
{
    if (lprcDst == nullptr || lprcSrc1 == nullptr || lprcSrc2 == nullptr)
        return FALSE;
    if (IsRectEmpty(lprcSrc1) && IsRectEmpty(lprcSrc2)) {
        SetRectEmpty(lprcDst);
        return FALSE;
    }
    if (IsRectEmpty(lprcSrc1) || IsRectEmpty(lprcSrc2)) {
        *lprcDst = IsRectEmpty(lprcSrc1) ? *lprcSrc2 : *lprcSrc1;
        return TRUE;
    }
    *lprcDst = RECT{std::min(lprcSrc1->left, lprcSrc2->left), std::min(lprcSrc1->top, lprcSrc2->top),
                    std::max(lprcSrc1->right, lprcSrc2->right), std::max(lprcSrc1->bottom, lprcSrc2->bottom)};
    return TRUE;
}

BOOL WINAPI SubtractRect(LPRECT lprcDst, const RECT *lprcSrc1, const RECT *lprcSrc2)
{
    if (lprcDst == nullptr || lprcSrc1 == nullptr || lprcSrc2 == nullptr)
        return FALSE;
    if (IsRectEmpty(lprcSrc1)) {
        SetRectEmpty(lprcDst);
        return FALSE;
    }
    RECT result = *lprcSrc1;
    RECT overlap;
    if (IntersectRect(&overlap, lprcSrc1, lprcSrc2)) {
        if (EqualRect(&overlap, &result)) {
            SetRectEmpty(lprcDst);
            return FALSE;
        }
        // Only a second rectangle that spans the first's whole height (or width) from one side cuts it.
        if (overlap.top == result.top && overlap.bottom == result.bottom) {
            if (overlap.left == result.left)
                result.left = overlap.right;
            else if (overlap.right == result.right)
                result.right = overlap.left;
        } else if (overlap.left == result.left && overlap.right == result.right) {
            if (overlap.top == result.top)
                result.top = overlap.bottom;
            else if (overlap.bottom == result.bottom)
                result.bottom = overlap.top;
        }
    }
    *lprcDst = result;
    return TRUE;
}
