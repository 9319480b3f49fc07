#pragma once
// Device contexts. CDC owns a DC it created (DeleteDC); CPaintDC, CClientDC
// and CWindowDC give theirs back to the window; BorrowedDC wraps one lent by
// a message (WM_ERASEBKGND, WM_CTLCOLOR*) and never releases it.
#include "clx/gdi.h"
#include "clx/string.h"
#include "clx/window.h"

class CDC {
public:
  HDC m_hDC = nullptr;

  CDC() = default;
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;
  operator HDC() const { return m_hDC; }
  HDC GetSafeHdc() const { return m_hDC; }

  BOOL CreateCompatibleDC(HDC other);
  BOOL CreateDC(const char* driver, const char* device, const DEVMODEA* init = nullptr);
  BOOL Attach(HDC dc);  // takes ownership: DeleteDC at the end
  HDC Detach();
  BOOL DeleteDC();

  // Objects: each returns what was selected before.
  HPEN SelectObject(HPEN pen) { return static_cast<HPEN>(::SelectObject(m_hDC, pen)); }
  HBRUSH SelectObject(HBRUSH brush) { return static_cast<HBRUSH>(::SelectObject(m_hDC, brush)); }
  HFONT SelectObject(HFONT font) { return static_cast<HFONT>(::SelectObject(m_hDC, font)); }
  HBITMAP SelectObject(HBITMAP bitmap) { return static_cast<HBITMAP>(::SelectObject(m_hDC, bitmap)); }
  int SelectObject(HRGN rgn) { return static_cast<int>(reinterpret_cast<INT_PTR>(::SelectObject(m_hDC, rgn))); }
  HGDIOBJ SelectStockObject(int index) { return ::SelectObject(m_hDC, ::GetStockObject(index)); }

  // Colours and modes.
  COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
  COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
  COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
  COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
  int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
  int SetROP2(int mode) { return ::SetROP2(m_hDC, mode); }
  int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }
  UINT SetTextAlign(UINT flags) { return ::SetTextAlign(m_hDC, flags); }
  CPoint SetBrushOrg(int x, int y);
  // Only MM_TEXT is used by the program: one logical unit is one pixel.
  int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
  CPoint SetViewportOrg(int x, int y);
  CPoint OffsetViewportOrg(int dx, int dy);
  CPoint GetViewportOrg() const;
  void LPtoDP(POINT* pts, int count = 1) const { ::LPtoDP(m_hDC, pts, count); }
  void DPtoLP(POINT* pts, int count = 1) const { ::DPtoLP(m_hDC, pts, count); }
  void LPtoDP(RECT* r) const { LPtoDP(reinterpret_cast<POINT*>(r), 2); }
  void DPtoLP(RECT* r) const { DPtoLP(reinterpret_cast<POINT*>(r), 2); }
  int SaveDC() { return ::SaveDC(m_hDC); }
  BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }

  // Clipping.
  int IntersectClipRect(int l, int t, int r, int b) { return ::IntersectClipRect(m_hDC, l, t, r, b); }
  int IntersectClipRect(const RECT* r) { return IntersectClipRect(r->left, r->top, r->right, r->bottom); }
  int ExcludeClipRect(int l, int t, int r, int b) { return ::ExcludeClipRect(m_hDC, l, t, r, b); }
  int ExcludeClipRect(const RECT* r) { return ExcludeClipRect(r->left, r->top, r->right, r->bottom); }
  int SelectClipRgn(HRGN rgn) { return ::SelectClipRgn(m_hDC, rgn); }
  int GetClipBox(RECT* r) const { return ::GetClipBox(m_hDC, r); }
  BOOL PtVisible(int x, int y) const { return ::PtVisible(m_hDC, x, y); }
  BOOL RectVisible(const RECT* r) const { return ::RectVisible(m_hDC, r); }

  // Filling and lines.
  void FillSolidRect(const RECT* r, COLORREF c);
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF c);
  void FillRect(const RECT* r, HBRUSH brush) { ::FillRect(m_hDC, r, brush); }
  void FrameRect(const RECT* r, HBRUSH brush) { ::FrameRect(m_hDC, r, brush); }
  void InvertRect(const RECT* r) { ::InvertRect(m_hDC, r); }
  // Top/left edges in `topLeft`, bottom/right in `bottomRight`, one pixel wide.
  void Draw3dRect(const RECT* r, COLORREF topLeft, COLORREF bottomRight);
  void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);
  void DrawFocusRect(const RECT* r) { ::DrawFocusRect(m_hDC, r); }
  BOOL DrawEdge(RECT* r, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, r, edge, flags); }
  CPoint MoveTo(int x, int y);
  CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
  BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
  BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
  BOOL Polyline(const POINT* pts, int count) { return ::Polyline(m_hDC, pts, count); }
  BOOL Polygon(const POINT* pts, int count) { return ::Polygon(m_hDC, pts, count); }
  BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
  BOOL Rectangle(const RECT* r) { return Rectangle(r->left, r->top, r->right, r->bottom); }
  BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
  COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
  COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
  BOOL FillRgn(HRGN rgn, HBRUSH brush) { return ::FillRgn(m_hDC, rgn, brush); }
  BOOL PaintRgn(HRGN rgn) { return ::PaintRgn(m_hDC, rgn); }
  BOOL FrameRgn(HRGN rgn, HBRUSH brush, int w, int h) { return ::FrameRgn(m_hDC, rgn, brush, w, h); }

  // Text.
  int DrawText(const char* text, int length, RECT* r, UINT format) { return ::DrawTextA(m_hDC, text, length, r, format); }
  int DrawText(const CString& text, RECT* r, UINT format) { return DrawText(text, text.GetLength(), r, format); }
  BOOL TextOut(int x, int y, const char* text, int length) { return ::TextOutA(m_hDC, x, y, text, length); }
  BOOL TextOut(int x, int y, const CString& text) { return TextOut(x, y, text, text.GetLength()); }
  BOOL ExtTextOut(int x, int y, UINT options, const RECT* r, const char* text, int length, const INT* dx = nullptr) {
    return ::ExtTextOutA(m_hDC, x, y, options, r, text, static_cast<UINT>(length), dx);
  }
  CSize GetTextExtent(const char* text, int length) const;
  CSize GetTextExtent(const CString& text) const { return GetTextExtent(text, text.GetLength()); }
  BOOL GetTextMetrics(TEXTMETRICA* tm) const { return ::GetTextMetricsA(m_hDC, tm); }

  // Bits.
  BOOL BitBlt(int x, int y, int w, int h, HDC src, int xSrc, int ySrc, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, w, h, src, xSrc, ySrc, rop);
  }
  BOOL StretchBlt(int x, int y, int w, int h, HDC src, int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop) {
    return ::StretchBlt(m_hDC, x, y, w, h, src, xSrc, ySrc, wSrc, hSrc, rop);
  }
  BOOL PatBlt(int x, int y, int w, int h, DWORD rop) { return ::PatBlt(m_hDC, x, y, w, h, rop); }
  int SetDIBitsToDevice(int x, int y, DWORD w, DWORD h, int xSrc, int ySrc, UINT startScan, UINT scanLines,
                        const void* bits, const BITMAPINFO* info, UINT usage) {
    return ::SetDIBitsToDevice(m_hDC, x, y, w, h, xSrc, ySrc, startScan, scanLines, bits, info, usage);
  }
  int StretchDIBits(int x, int y, int w, int h, int xSrc, int ySrc, int wSrc, int hSrc, const void* bits,
                    const BITMAPINFO* info, UINT usage, DWORD rop) {
    return ::StretchDIBits(m_hDC, x, y, w, h, xSrc, ySrc, wSrc, hSrc, bits, info, usage, rop);
  }
  int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

protected:
  enum class Release { Delete, None };
  Release m_release = Release::Delete;
};

namespace clx {
// A DC lent for the length of one message; the lender releases it.
class BorrowedDC : public CDC {
public:
  explicit BorrowedDC(HDC dc) { m_hDC = dc; m_release = Release::None; }
  ~BorrowedDC() override { m_hDC = nullptr; }
};
}  // namespace clx

// BeginPaint/EndPaint around a WM_PAINT handler.
class CPaintDC : public CDC {
public:
  explicit CPaintDC(HWND wnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps{};

private:
  HWND m_hWnd;
};

// GetDC/ReleaseDC of a window's client area.
class CClientDC : public CDC {
public:
  explicit CClientDC(HWND wnd);
  ~CClientDC() override;

private:
  HWND m_hWnd;
};

// GetWindowDC/ReleaseDC: the whole window, caption and frame included.
class CWindowDC : public CDC {
public:
  explicit CWindowDC(HWND wnd);
  ~CWindowDC() override;

private:
  HWND m_hWnd;
};
