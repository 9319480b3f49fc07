// The program's point and rectangle value classes over 32-bit integers. Every
// compound operation goes through the virtual accessors, so a derived class
// that overrides an accessor changes the compound operations too.
#pragma once

#include <cstdint>

#if defined(_WIN32)
struct tagRECT;
#else
// The pipeline's stand-in for the platform rectangle, so that both headers
// can meet in one file of the native build.
#include "Vorlat/VorlatTypes.h"
#endif

class CQzRect;

struct QzBigPoint {
    int32_t x;
    int32_t y;
};

class CQzPoint : public QzBigPoint {
public:
    CQzPoint() : QzBigPoint{0, 0} {}
    CQzPoint(int32_t px, int32_t py) : QzBigPoint{0, 0}
    {
        CQzPoint::SetX(px);
        CQzPoint::SetY(py);
    }
    CQzPoint(const CQzPoint&) = default;
    CQzPoint& operator=(const CQzPoint&) = default;

    virtual int32_t GetX() const { return x; }
    virtual int32_t GetY() const { return y; }
    // No guard against y = 0.
    virtual double GetAspect() const { return static_cast<double>(GetX()) / static_cast<double>(GetY()); }
    virtual void SetX(int32_t value) { x = value; }
    virtual void SetY(int32_t value) { y = value; }
    virtual void Offset(int32_t dx, int32_t dy)
    {
        SetX(GetX() + dx);
        SetY(GetY() + dy);
    }
    virtual void Offset(const CQzPoint& p) { Offset(p.GetX(), p.GetY()); }
    virtual int32_t IsInRect(const CQzRect& rect) const;
    virtual CQzPoint& operator+=(const CQzPoint& p)
    {
        Offset(p);
        return *this;
    }
    virtual CQzPoint& operator-=(const CQzPoint& p)
    {
        Offset(-p.x, -p.y);
        return *this;
    }
    virtual CQzPoint& operator=(const QzBigPoint& p)
    {
        x = p.x;
        y = p.y;
        return *this;
    }
    virtual QzBigPoint* GetBigPoint(QzBigPoint* out) const
    {
        out->x = GetX();
        out->y = GetY();
        return out;
    }
    virtual int32_t operator==(const CQzPoint& p) const { return GetX() == p.GetX() && GetY() == p.GetY(); }
    virtual int32_t operator!=(const CQzPoint& p) const { return !(*this == p); }
    // Each product is truncated toward zero, y first.
    virtual CQzPoint& operator*=(double f);
    virtual CQzPoint& operator/=(double f);
    virtual ~CQzPoint() = default;
};

CQzPoint operator+(const CQzPoint& a, const CQzPoint& b);

// Stored top, left, bottom, right; half-open and never normalised: an
// inverted rectangle stays inverted and counts as empty.
struct QzBigRect {
    int32_t top;
    int32_t left;
    int32_t bottom;
    int32_t right;
};

class CQzRect : public QzBigRect {
public:
    CQzRect() : QzBigRect{0, 0, 0, 0} {}
    CQzRect(int32_t t, int32_t l, int32_t b, int32_t r) : QzBigRect{t, l, b, r} {}
    CQzRect(const CQzRect&) = default;
    CQzRect& operator=(const CQzRect&) = default;

    virtual int32_t GetTop() const { return top; }
    virtual int32_t GetLeft() const { return left; }
    virtual int32_t GetBottom() const { return bottom; }
    virtual int32_t GetRight() const { return right; }
    virtual CQzPoint TopLeft() const { return CQzPoint(GetLeft(), GetTop()); }
    virtual CQzPoint BottomRight() const { return CQzPoint(GetRight(), GetBottom()); }
    virtual int32_t Width() const { return GetRight() - GetLeft(); }
    virtual int32_t Height() const { return GetBottom() - GetTop(); }
    // No guard against a zero height.
    virtual double GetAspect() const { return static_cast<double>(Width()) / static_cast<double>(Height()); }
    virtual CQzPoint Size() const { return CQzPoint(Width(), Height()); }
    virtual void SetTop(int32_t value) { top = value; }
    virtual void SetLeft(int32_t value) { left = value; }
    virtual void SetBottom(int32_t value) { bottom = value; }
    virtual void SetRight(int32_t value) { right = value; }
    virtual void SetTopLeft(const CQzPoint& p)
    {
        SetLeft(p.GetX());
        SetTop(p.GetY());
    }
    virtual void SetBottomRight(const CQzPoint& p)
    {
        SetRight(p.GetX());
        SetBottom(p.GetY());
    }
    // An empty overlap is (0, 0, 0, 0), never an inverted rectangle.
    virtual CQzRect Intersect(const CQzRect& other) const;
    virtual void MoveToOrigin() { Offset(-GetLeft(), -GetTop()); }
    virtual void MoveTo(int32_t px, int32_t py) { MoveTo(CQzPoint(px, py)); }
    virtual void MoveTo(const CQzPoint& p)
    {
        MoveToOrigin();
        Offset(p);
    }
    virtual void Offset(int32_t dx, int32_t dy) { Offset(CQzPoint(dx, dy)); }
    virtual void Offset(const CQzPoint& p)
    {
        SetTopLeft(TopLeft() + p);
        SetBottomRight(BottomRight() + p);
    }
    virtual CQzRect& operator+=(const CQzPoint& p)
    {
        Offset(p);
        return *this;
    }
    virtual CQzRect& operator-=(const CQzPoint& p)
    {
        Offset(-p.x, -p.y);
        return *this;
    }
    virtual QzBigRect* GetBigRect(QzBigRect* out) const
    {
        out->top = GetTop();
        out->left = GetLeft();
        out->bottom = GetBottom();
        out->right = GetRight();
        return out;
    }
    virtual CQzRect& operator=(const tagRECT& rc);
    virtual int32_t Contains(const CQzPoint& p) const { return p.IsInRect(*this); }
    virtual int32_t IsEmpty() const { return GetBottom() <= GetTop() || GetRight() <= GetLeft(); }
    virtual tagRECT* GetRECT(tagRECT* out) const;
    virtual ~CQzRect() = default;
};
