#pragma once
// GDI objects. Each wrapper owns its handle (deleted in the destructor) unless
// it was Detach()ed; Attach() takes ownership of a handle made elsewhere.
// Handles lent by someone else are wrapped with Attach and given back with Detach.
#include "clx/geometry.h"

class CGdiObject {
public:
  HGDIOBJ m_hObject = nullptr;

  CGdiObject() = default;
  ~CGdiObject() { DeleteObject(); }
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;
  CGdiObject(CGdiObject&& o) noexcept : m_hObject(o.Detach()) {}
  CGdiObject& operator=(CGdiObject&& o) noexcept;

  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  BOOL Attach(HGDIOBJ h);
  HGDIOBJ Detach();
  BOOL DeleteObject();
  BOOL CreateStockObject(int index);  // stock objects are never deleted
  int GetObject(int size, void* out) const { return ::GetObjectA(m_hObject, size, out); }
  UINT GetObjectType() const { return static_cast<UINT>(::GetObjectType(m_hObject)); }

protected:
  BOOL AttachShared(HGDIOBJ h);  // a handle the system owns: never deleted

private:
  bool m_bShared = false;
};

class CPen : public CGdiObject {
public:
  CPen() = default;
  CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
  BOOL CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }
  BOOL CreatePenIndirect(const LOGPEN* lp) { return Attach(::CreatePenIndirect(lp)); }
  operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

class CBrush : public CGdiObject {
public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  BOOL CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
  BOOL CreateHatchBrush(int index, COLORREF color) { return Attach(::CreateHatchBrush(index, color)); }
  BOOL CreatePatternBrush(HBITMAP bitmap) { return Attach(::CreatePatternBrush(bitmap)); }
  // The system's own brush of a system colour: shared, never deleted.
  BOOL CreateSysColorBrush(int index);
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CFont : public CGdiObject {
public:
  BOOL CreateFontIndirect(const LOGFONTA* lf) { return Attach(::CreateFontIndirectA(lf)); }
  BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                  BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                  BYTE pitchAndFamily, const char* face) {
    return Attach(::CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                                outPrecision, clipPrecision, quality, pitchAndFamily, face));
  }
  BOOL GetLogFont(LOGFONTA* lf) const { return GetObject(sizeof(*lf), lf) != 0; }
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CBitmap : public CGdiObject {
public:
  BOOL LoadBitmap(UINT id);
  BOOL LoadBitmap(const char* name);
  // A 4/8-bit chrome bitmap with its black, dark grey, light grey and white
  // mapped to the current 3-D colours (text, shadow, face, highlight).
  BOOL LoadSysColorBitmap(UINT id);
  BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
  }
  BOOL CreateCompatibleBitmap(HDC dc, int width, int height) { return Attach(::CreateCompatibleBitmap(dc, width, height)); }
  int GetBitmap(BITMAP* bm) const { return GetObject(sizeof(*bm), bm); }
  CSize GetSize() const;
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

class CRgn : public CGdiObject {
public:
  BOOL CreateRectRgn(int l, int t, int r, int b) { return Attach(::CreateRectRgn(l, t, r, b)); }
  BOOL CreateRectRgnIndirect(const RECT* r) { return Attach(::CreateRectRgnIndirect(r)); }
  BOOL CreateEllipticRgn(int l, int t, int r, int b) { return Attach(::CreateEllipticRgn(l, t, r, b)); }
  BOOL CreatePolygonRgn(const POINT* pts, int count, int mode) { return Attach(::CreatePolygonRgn(pts, count, mode)); }
  // Result: NULLREGION, SIMPLEREGION, COMPLEXREGION or ERROR.
  int CombineRgn(HRGN a, HRGN b, int mode) { return ::CombineRgn(*this, a, b, mode); }
  int CopyRgn(HRGN src) { return ::CombineRgn(*this, src, nullptr, RGN_COPY); }
  BOOL RectInRegion(const RECT* r) const { return ::RectInRegion(*this, r); }
  BOOL PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y); }
  int GetRgnBox(RECT* r) const { return ::GetRgnBox(*this, r); }
  int OffsetRgn(int dx, int dy) { return ::OffsetRgn(*this, dx, dy); }
  void SetRectRgn(int l, int t, int r, int b) { ::SetRectRgn(*this, l, t, r, b); }
  operator HRGN() const { return static_cast<HRGN>(m_hObject); }
};
