#include "clx/gdi.h"

#include <vector>

#include "clx/resources.h"

CGdiObject& CGdiObject::operator=(CGdiObject&& o) noexcept {
  if (this != &o) {
    DeleteObject();
    m_bShared = o.m_bShared;
    m_hObject = o.Detach();
  }
  return *this;
}

BOOL CGdiObject::Attach(HGDIOBJ h) {
  DeleteObject();
  m_hObject = h;
  m_bShared = false;
  return h != nullptr;
}

BOOL CGdiObject::AttachShared(HGDIOBJ h) {
  BOOL ok = Attach(h);
  m_bShared = true;
  return ok;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ h = m_hObject;
  m_hObject = nullptr;
  m_bShared = false;
  return h;
}

BOOL CGdiObject::DeleteObject() {
  bool shared = m_bShared;
  HGDIOBJ h = Detach();
  return h && !shared ? ::DeleteObject(h) : FALSE;
}

BOOL CGdiObject::CreateStockObject(int index) { return AttachShared(::GetStockObject(index)); }

BOOL CBrush::CreateSysColorBrush(int index) { return AttachShared(::GetSysColorBrush(index)); }

BOOL CBitmap::LoadBitmap(UINT id) { return Attach(::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id))); }

BOOL CBitmap::LoadBitmap(const char* name) { return Attach(::LoadBitmapA(AfxGetResourceHandle(), name)); }

CSize CBitmap::GetSize() const {
  BITMAP bm{};
  GetBitmap(&bm);
  return {bm.bmWidth, bm.bmHeight};
}

// Colour-table bitmaps only: the four greys are swapped in the table and the
// result is built as a device-dependent bitmap for the screen.
BOOL CBitmap::LoadSysColorBitmap(UINT id) {
  HINSTANCE module = AfxGetResourceHandle();
  HRSRC res = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  HGLOBAL mem = res ? ::LoadResource(module, res) : nullptr;
  const auto* src = mem ? static_cast<const BITMAPINFOHEADER*>(::LockResource(mem)) : nullptr;
  DWORD size = res ? ::SizeofResource(module, res) : 0;
  if (!src || size < sizeof(BITMAPINFOHEADER) || src->biSize < sizeof(BITMAPINFOHEADER)) return FALSE;
  if (src->biBitCount > 8 || src->biCompression != BI_RGB) return LoadBitmap(id);
  DWORD colours = src->biClrUsed ? src->biClrUsed : (1u << src->biBitCount);
  DWORD header = src->biSize + colours * sizeof(RGBQUAD);
  if (colours > 256 || header > size) return FALSE;
  std::vector<BYTE> copy(reinterpret_cast<const BYTE*>(src), reinterpret_cast<const BYTE*>(src) + size);
  auto* info = reinterpret_cast<BITMAPINFO*>(copy.data());
  auto* table = reinterpret_cast<RGBQUAD*>(copy.data() + info->bmiHeader.biSize);
  static const struct { COLORREF from; int sysColor; } kMap[] = {
      {RGB(0x00, 0x00, 0x00), COLOR_BTNTEXT},
      {RGB(0x80, 0x80, 0x80), COLOR_BTNSHADOW},
      {RGB(0xC0, 0xC0, 0xC0), COLOR_BTNFACE},
      {RGB(0xFF, 0xFF, 0xFF), COLOR_BTNHIGHLIGHT},
  };
  for (DWORD i = 0; i < colours; ++i) {
    COLORREF c = RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
    for (const auto& m : kMap) {
      if (c == m.from) {
        COLORREF to = ::GetSysColor(m.sysColor);
        table[i] = RGBQUAD{GetBValue(to), GetGValue(to), GetRValue(to), 0};
        break;
      }
    }
  }
  HDC screen = ::GetDC(nullptr);
  HBITMAP bitmap = ::CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, copy.data() + header, info, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  return Attach(bitmap);
}
