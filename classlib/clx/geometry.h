#pragma once
// CPoint, CSize and CRect: the Win32 POINT/SIZE/RECT with the usual members,
// usable wherever the API takes the plain structure.
#include "clx/win.h"

class CSize : public SIZE {
public:
  CSize() : SIZE{0, 0} {}
  CSize(int x, int y) : SIZE{x, y} {}
  CSize(SIZE s) : SIZE(s) {}
  bool operator==(SIZE o) const { return cx == o.cx && cy == o.cy; }
  bool operator!=(SIZE o) const { return !(*this == o); }
  CSize operator+(SIZE o) const { return {cx + o.cx, cy + o.cy}; }
  CSize operator-(SIZE o) const { return {cx - o.cx, cy - o.cy}; }
  CSize operator-() const { return {-cx, -cy}; }
  CSize& operator+=(SIZE o) { cx += o.cx; cy += o.cy; return *this; }
  CSize& operator-=(SIZE o) { cx -= o.cx; cy -= o.cy; return *this; }
};

class CPoint : public POINT {
public:
  CPoint() : POINT{0, 0} {}
  CPoint(int x0, int y0) : POINT{x0, y0} {}
  CPoint(POINT p) : POINT(p) {}
  explicit CPoint(SIZE s) : POINT{s.cx, s.cy} {}
  // A packed lParam of a mouse message (signed 16-bit coordinates).
  explicit CPoint(LPARAM l) : POINT{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))} {}
  void Offset(int dx, int dy) { x += dx; y += dy; }
  void Offset(POINT p) { Offset(p.x, p.y); }
  void Offset(SIZE s) { Offset(s.cx, s.cy); }
  bool operator==(POINT o) const { return x == o.x && y == o.y; }
  bool operator!=(POINT o) const { return !(*this == o); }
  CPoint operator+(SIZE s) const { return {x + s.cx, y + s.cy}; }
  CPoint operator-(SIZE s) const { return {x - s.cx, y - s.cy}; }
  CPoint operator+(POINT p) const { return {x + p.x, y + p.y}; }
  CSize operator-(POINT p) const { return {x - p.x, y - p.y}; }
  CPoint operator-() const { return {-x, -y}; }
  CPoint& operator+=(SIZE s) { Offset(s); return *this; }
  CPoint& operator-=(SIZE s) { Offset(-s.cx, -s.cy); return *this; }
  CPoint& operator+=(POINT p) { Offset(p); return *this; }
  CPoint& operator-=(POINT p) { Offset(-p.x, -p.y); return *this; }
};

class CRect : public RECT {
public:
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
  CRect(const RECT& r) : RECT(r) {}
  CRect(POINT topLeft, SIZE size) : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}
  CRect(POINT topLeft, POINT bottomRight) : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return {Width(), Height()}; }
  CPoint& TopLeft() { return *reinterpret_cast<CPoint*>(&left); }
  CPoint& BottomRight() { return *reinterpret_cast<CPoint*>(&right); }
  CPoint TopLeft() const { return {left, top}; }
  CPoint BottomRight() const { return {right, bottom}; }
  CPoint CenterPoint() const { return {(left + right) / 2, (top + bottom) / 2}; }
  operator RECT*() { return this; }
  operator const RECT*() const { return this; }

  bool IsRectEmpty() const { return ::IsRectEmpty(this) != FALSE; }
  bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  bool PtInRect(POINT p) const { return ::PtInRect(this, p) != FALSE; }
  void SetRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
  void SetRectEmpty() { SetRect(0, 0, 0, 0); }
  void CopyRect(const RECT* r) { *static_cast<RECT*>(this) = *r; }
  bool EqualRect(const RECT* r) const { return ::EqualRect(this, r) != FALSE; }
  void NormalizeRect();

  void OffsetRect(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
  void OffsetRect(POINT p) { OffsetRect(p.x, p.y); }
  void OffsetRect(SIZE s) { OffsetRect(s.cx, s.cy); }
  void InflateRect(int dx, int dy) { left -= dx; right += dx; top -= dy; bottom += dy; }
  void InflateRect(SIZE s) { InflateRect(s.cx, s.cy); }
  void InflateRect(int l, int t, int r, int b) { left -= l; top -= t; right += r; bottom += b; }
  void InflateRect(const RECT* r) { InflateRect(r->left, r->top, r->right, r->bottom); }
  void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
  void DeflateRect(SIZE s) { InflateRect(-s.cx, -s.cy); }
  void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }
  void DeflateRect(const RECT* r) { DeflateRect(r->left, r->top, r->right, r->bottom); }
  // Both return false (and leave an empty rectangle) when the result is empty, like the API.
  bool IntersectRect(const RECT* a, const RECT* b) { return ::IntersectRect(this, a, b) != FALSE; }
  bool UnionRect(const RECT* a, const RECT* b) { return ::UnionRect(this, a, b) != FALSE; }
  bool SubtractRect(const RECT* a, const RECT* b) { return ::SubtractRect(this, a, b) != FALSE; }

  bool operator==(const RECT& r) const { return EqualRect(&r); }
  bool operator!=(const RECT& r) const { return !EqualRect(&r); }
  CRect& operator+=(POINT p) { OffsetRect(p); return *this; }
  CRect& operator-=(POINT p) { OffsetRect(-p.x, -p.y); return *this; }
  CRect& operator&=(const RECT& r) { IntersectRect(this, &r); return *this; }
  CRect& operator|=(const RECT& r) { UnionRect(this, &r); return *this; }
  CRect operator+(POINT p) const { CRect r(*this); r.OffsetRect(p); return r; }
  CRect operator-(POINT p) const { CRect r(*this); r.OffsetRect(-p.x, -p.y); return r; }
  CRect operator&(const RECT& o) const { CRect r; r.IntersectRect(this, &o); return r; }
  CRect operator|(const RECT& o) const { CRect r; r.UnionRect(this, &o); return r; }
};

inline void CRect::NormalizeRect() {
  if (left > right) { LONG t = left; left = right; right = t; }
  if (top > bottom) { LONG t = top; top = bottom; bottom = t; }
}
