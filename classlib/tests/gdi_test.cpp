#include <gtest/gtest.h>

#include "clx/dc.h"
#include "clx/gdi.h"
#include "tests/test_ids.h"

namespace {

// A 32-bit memory DC of a given size, white.
class MemoryDC : public CDC {
public:
  MemoryDC(int w, int h) {
    CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap.Attach(::CreateDIBSection(m_hDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    old = SelectObject(static_cast<HBITMAP>(bitmap));
    FillSolidRect(0, 0, w, h, RGB(255, 255, 255));
  }
  ~MemoryDC() override { SelectObject(old); }
  CBitmap bitmap;
  HBITMAP old;
};

const COLORREF kWhite = RGB(255, 255, 255);

TEST(GdiTest, FillsFramesAndThreeDRectsExactly) {
  MemoryDC dc(20, 20);
  dc.FillSolidRect(2, 2, 4, 3, RGB(10, 20, 30));
  EXPECT_EQ(dc.GetPixel(2, 2), RGB(10, 20, 30));
  EXPECT_EQ(dc.GetPixel(5, 4), RGB(10, 20, 30));
  EXPECT_EQ(dc.GetPixel(6, 4), kWhite);
  EXPECT_EQ(dc.GetPixel(5, 5), kWhite);
  EXPECT_EQ(dc.GetBkColor(), kWhite) << "FillSolidRect restores the background colour";

  CRect r(10, 10, 15, 15);
  dc.Draw3dRect(&r, RGB(255, 0, 0), RGB(0, 0, 255));
  struct Case {
    int x, y;
    COLORREF expected;
  } cases[] = {
      {10, 10, RGB(255, 0, 0)}, {13, 10, RGB(255, 0, 0)}, {10, 13, RGB(255, 0, 0)},
      {14, 10, RGB(0, 0, 255)}, {14, 14, RGB(0, 0, 255)}, {10, 14, RGB(0, 0, 255)},
      {12, 12, kWhite},  // inside stays
      {15, 15, kWhite},  // right/bottom edges are exclusive
  };
  for (const Case& c : cases) EXPECT_EQ(dc.GetPixel(c.x, c.y), c.expected) << c.x << "," << c.y;
}

TEST(GdiTest, SelectObjectReturnsThePreviousObjectAndRectangleUsesPenAndBrush) {
  MemoryDC dc(20, 20);
  CPen pen(PS_SOLID, 1, RGB(0, 128, 0));
  CBrush brush(RGB(200, 0, 0));
  HPEN oldPen = dc.SelectObject(static_cast<HPEN>(pen));
  HBRUSH oldBrush = dc.SelectObject(static_cast<HBRUSH>(brush));
  dc.Rectangle(2, 2, 8, 8);
  EXPECT_EQ(dc.GetPixel(2, 2), RGB(0, 128, 0));
  EXPECT_EQ(dc.GetPixel(7, 7), RGB(0, 128, 0));
  EXPECT_EQ(dc.GetPixel(4, 4), RGB(200, 0, 0));
  EXPECT_EQ(dc.GetPixel(8, 8), kWhite);
  EXPECT_EQ(dc.SelectObject(oldPen), static_cast<HPEN>(pen));
  EXPECT_EQ(dc.SelectObject(oldBrush), static_cast<HBRUSH>(brush));
}

TEST(GdiTest, ClippingAndViewportOriginMoveDrawing) {
  MemoryDC dc(20, 20);
  int saved = dc.SaveDC();
  dc.IntersectClipRect(5, 5, 10, 10);
  dc.FillSolidRect(0, 0, 20, 20, RGB(0, 0, 0));
  EXPECT_EQ(dc.GetPixel(4, 4), kWhite);
  EXPECT_EQ(dc.GetPixel(5, 5), RGB(0, 0, 0));
  EXPECT_EQ(dc.GetPixel(10, 10), kWhite);
  CRect box;
  dc.GetClipBox(&box);
  EXPECT_EQ(box, CRect(5, 5, 10, 10));
  dc.RestoreDC(saved);

  dc.SetViewportOrg(3, 4);
  POINT p{1, 1};
  dc.LPtoDP(&p);
  EXPECT_EQ(CPoint(p), CPoint(4, 5));
  dc.SetPixel(0, 0, RGB(1, 2, 3));
  dc.SetViewportOrg(0, 0);
  EXPECT_EQ(dc.GetPixel(3, 4), RGB(1, 2, 3));
}

TEST(GdiTest, RegionsCombineAndTestRectangles) {
  CRgn a, b, both;
  a.CreateRectRgn(0, 0, 10, 10);
  b.CreateRectRgn(5, 5, 20, 20);
  both.CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(both.CombineRgn(a, b, RGN_AND), SIMPLEREGION);
  CRect box;
  both.GetRgnBox(&box);
  EXPECT_EQ(box, CRect(5, 5, 10, 10));
  EXPECT_EQ(both.CombineRgn(a, b, RGN_OR), COMPLEXREGION);
  CRect inside(1, 1, 2, 2), outside(12, 0, 14, 2);
  EXPECT_TRUE(both.RectInRegion(&inside));
  EXPECT_FALSE(both.RectInRegion(&outside));

  MemoryDC dc(20, 20);
  CBrush red(RGB(255, 0, 0));
  dc.FillRgn(both, red);
  EXPECT_EQ(dc.GetPixel(15, 15), RGB(255, 0, 0));
  EXPECT_EQ(dc.GetPixel(15, 2), kWhite);
}

TEST(GdiTest, SysColorBitmapMapsTheFourGreysOnly) {
  CBitmap bm;
  ASSERT_TRUE(bm.LoadSysColorBitmap(IDB_TEST_GREYS));
  EXPECT_EQ(bm.GetSize(), CSize(5, 1));
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  MemoryDC target(5, 1);
  HBITMAP old = dc.SelectObject(static_cast<HBITMAP>(bm));
  target.BitBlt(0, 0, 5, 1, dc, 0, 0, SRCCOPY);
  dc.SelectObject(old);
  COLORREF expected[] = {::GetSysColor(COLOR_BTNTEXT), ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_BTNFACE),
                         ::GetSysColor(COLOR_BTNHIGHLIGHT), RGB(255, 0, 0)};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(target.GetPixel(x, 0), expected[x]) << "pixel " << x;
}

TEST(GdiTest, ObjectsOwnTheirHandlesUnlessDetached) {
  HGDIOBJ handle;
  {
    CBrush b(RGB(1, 2, 3));
    handle = b.m_hObject;
    EXPECT_EQ(::GetObjectType(handle), static_cast<DWORD>(OBJ_BRUSH));
  }
  EXPECT_EQ(::GetObjectType(handle), 0u) << "deleted with its wrapper";

  CBrush kept(RGB(1, 2, 3));
  handle = kept.Detach();
  EXPECT_EQ(::GetObjectType(handle), static_cast<DWORD>(OBJ_BRUSH));
  ::DeleteObject(handle);

  HBRUSH system = ::GetSysColorBrush(COLOR_BTNFACE);
  { CBrush shared; shared.CreateSysColorBrush(COLOR_BTNFACE); }
  EXPECT_EQ(::GetSysColorBrush(COLOR_BTNFACE), system);
  EXPECT_EQ(::GetObjectType(system), static_cast<DWORD>(OBJ_BRUSH)) << "the system's brush survives";

  CFont font;
  LOGFONTA lf{};
  lf.lfHeight = -13;
  lstrcpyA(lf.lfFaceName, "Tahoma");
  ASSERT_TRUE(font.CreateFontIndirect(&lf));
  LOGFONTA back{};
  ASSERT_TRUE(font.GetLogFont(&back));
  EXPECT_EQ(back.lfHeight, -13);
  EXPECT_STREQ(back.lfFaceName, "Tahoma");
}

}  // namespace
