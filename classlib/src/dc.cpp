#include "clx/dc.h"

CDC::~CDC() {
  if (m_release == Release::Delete) DeleteDC();
}

BOOL CDC::CreateCompatibleDC(HDC other) { return Attach(::CreateCompatibleDC(other)); }

BOOL CDC::CreateDC(const char* driver, const char* device, const DEVMODEA* init) {
  return Attach(::CreateDCA(driver, device, nullptr, init));
}

BOOL CDC::Attach(HDC dc) {
  DeleteDC();
  m_hDC = dc;
  m_release = Release::Delete;
  return dc != nullptr;
}

HDC CDC::Detach() {
  HDC dc = m_hDC;
  m_hDC = nullptr;
  return dc;
}

BOOL CDC::DeleteDC() {
  HDC dc = Detach();
  return dc ? ::DeleteDC(dc) : FALSE;
}

CPoint CDC::SetBrushOrg(int x, int y) {
  POINT old{};
  ::SetBrushOrgEx(m_hDC, x, y, &old);
  return old;
}

CPoint CDC::SetViewportOrg(int x, int y) {
  POINT old{};
  ::SetViewportOrgEx(m_hDC, x, y, &old);
  return old;
}

CPoint CDC::OffsetViewportOrg(int dx, int dy) {
  POINT old{};
  ::OffsetViewportOrgEx(m_hDC, dx, dy, &old);
  return old;
}

CPoint CDC::GetViewportOrg() const {
  POINT p{};
  ::GetViewportOrgEx(m_hDC, &p);
  return p;
}

// ExtTextOut with an empty string and ETO_OPAQUE fills with the background
// colour and needs no brush; the background colour is put back afterwards.
void CDC::FillSolidRect(const RECT* r, COLORREF c) {
  COLORREF old = ::SetBkColor(m_hDC, c);
  ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, r, nullptr, 0, nullptr);
  ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF c) {
  RECT r{x, y, x + cx, y + cy};
  FillSolidRect(&r, c);
}

void CDC::Draw3dRect(const RECT* r, COLORREF topLeft, COLORREF bottomRight) {
  Draw3dRect(r->left, r->top, r->right - r->left, r->bottom - r->top, topLeft, bottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight) {
  FillSolidRect(x, y, cx - 1, 1, topLeft);
  FillSolidRect(x, y, 1, cy - 1, topLeft);
  FillSolidRect(x + cx - 1, y, 1, cy, bottomRight);
  FillSolidRect(x, y + cy - 1, cx, 1, bottomRight);
}

CPoint CDC::MoveTo(int x, int y) {
  POINT old{};
  ::MoveToEx(m_hDC, x, y, &old);
  return old;
}

CSize CDC::GetTextExtent(const char* text, int length) const {
  SIZE s{};
  ::GetTextExtentPoint32A(m_hDC, text, length, &s);
  return s;
}

CPaintDC::CPaintDC(HWND wnd) : m_hWnd(wnd) {
  m_hDC = ::BeginPaint(wnd, &m_ps);
  m_release = Release::None;
}

CPaintDC::~CPaintDC() {
  ::EndPaint(m_hWnd, &m_ps);
  m_hDC = nullptr;
}

CClientDC::CClientDC(HWND wnd) : m_hWnd(wnd) {
  m_hDC = ::GetDC(wnd);
  m_release = Release::None;
}

CClientDC::~CClientDC() {
  ::ReleaseDC(m_hWnd, m_hDC);
  m_hDC = nullptr;
}

CWindowDC::CWindowDC(HWND wnd) : m_hWnd(wnd) {
  m_hDC = ::GetWindowDC(wnd);
  m_release = Release::None;
}

CWindowDC::~CWindowDC() {
  ::ReleaseDC(m_hWnd, m_hDC);
  m_hDC = nullptr;
}
