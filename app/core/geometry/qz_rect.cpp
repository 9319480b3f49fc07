#include "app/core/geometry/qz_rect.h"

#include <algorithm>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

int32_t CQzPoint::IsInRect(const CQzRect& rect) const
{
    const int32_t px = GetX();
    const int32_t py = GetY();
    return rect.GetLeft() <= px && px < rect.GetRight() && rect.GetTop() <= py && py < rect.GetBottom();
}

CQzPoint& CQzPoint::operator*=(double f)
{
    SetY(static_cast<int32_t>(GetY() * f));
    SetX(static_cast<int32_t>(GetX() * f));
    return *this;
}

CQzPoint& CQzPoint::operator/=(double f)
{
    SetY(static_cast<int32_t>(GetY() / f));
    SetX(static_cast<int32_t>(GetX() / f));
    return *this;
}

CQzPoint operator+(const CQzPoint& a, const CQzPoint& b)
{
    CQzPoint sum(a);
    sum += b;
    return sum;
}

CQzRect CQzRect::Intersect(const CQzRect& other) const
{
    CQzRect overlap(std::max(GetTop(), other.GetTop()), std::max(GetLeft(), other.GetLeft()),
                    std::min(GetBottom(), other.GetBottom()), std::min(GetRight(), other.GetRight()));
    if (overlap.IsEmpty())
        return CQzRect();
    return overlap;
}

CQzRect& CQzRect::operator=(const tagRECT& rc)
{
    top = rc.top;
    left = rc.left;
    bottom = rc.bottom;
    right = rc.right;
    return *this;
}

tagRECT* CQzRect::GetRECT(tagRECT* out) const
{
    out->left = GetLeft();
    out->top = GetTop();
    out->right = GetRight();
    out->bottom = GetBottom();
    return out;
}
