#include <gtest/gtest.h>

#include <cstring>

#include "clx/object.h"
#include "clx/resource.h"
#include "clx/resources.h"
#include "clx/string.h"
#include "clx/geometry.h"
#include "tests/test_ids.h"

namespace {

class Shape : public CObject {
  DECLARE_DYNAMIC(Shape)
};
IMPLEMENT_DYNAMIC(Shape, CObject)

class Circle : public Shape {
  DECLARE_DYNCREATE(Circle)
public:
  int radius = 7;
};
IMPLEMENT_DYNCREATE(Circle, Shape)

TEST(RuntimeClassTest, KnowsItsAncestryAndCreatesOnlyDynCreateClasses) {
  Circle c;
  EXPECT_TRUE(c.IsKindOf(RUNTIME_CLASS(Circle)));
  EXPECT_TRUE(c.IsKindOf(RUNTIME_CLASS(Shape)));
  EXPECT_TRUE(c.IsKindOf(RUNTIME_CLASS(CObject)));
  Shape s;
  EXPECT_FALSE(s.IsKindOf(RUNTIME_CLASS(Circle)));
  EXPECT_STREQ(RUNTIME_CLASS(Circle)->m_lpszClassName, "Circle");
  EXPECT_EQ(RUNTIME_CLASS(Circle)->m_nObjectSize, static_cast<int>(sizeof(Circle)));

  CObject* made = RUNTIME_CLASS(Circle)->CreateObject();
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->GetRuntimeClass(), RUNTIME_CLASS(Circle));
  EXPECT_EQ(static_cast<Circle*>(made)->radius, 7);
  delete made;
  EXPECT_EQ(RUNTIME_CLASS(Shape)->CreateObject(), nullptr);
}

TEST(StringTest, LoadsStringsLongerThan255Characters) {
  CString s;
  ASSERT_TRUE(s.LoadString(IDS_TEST_LONG));
  ASSERT_EQ(s.GetLength(), 300);
  EXPECT_EQ(s.Left(8), "000-001-");
  EXPECT_EQ(s.Right(4), "074-");
}

TEST(StringTest, LoadsQuotesAndPromptSeparatorAndFailsOnMissingIds) {
  CString s;
  ASSERT_TRUE(s.LoadString(IDS_TEST_QUOTE));
  EXPECT_EQ(s, "Say \"cheese\"\nCheese");
  EXPECT_FALSE(s.LoadString(IDS_TEST_MISSING));
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(clx::LoadStr(IDS_CLX_READY), "Ready");
  EXPECT_EQ(clx::LoadStr(IDS_CLX_MDI_CHILD), "Activate this window");
}

TEST(StringTest, FormatsPlaceholdersFromTheStringTable) {
  CString s;
  AfxFormatString2(s, IDS_TEST_FORMAT, "a.jpg", "b.jpg");
  EXPECT_EQ(s, "Copy a.jpg to b.jpg?");
  AfxFormatString1(s, IDS_CLX_ASK_TO_SAVE, "Untitled");
  EXPECT_EQ(s, "Save changes to Untitled?");
  // A placeholder without an argument stays as it is.
  AfxFormatString1(s, IDS_TEST_FORMAT, "x");
  EXPECT_EQ(s, "Copy x to %2?");
}

TEST(StringTest, EditsAndSearches) {
  CString s("  Hello, World  ");
  s.Trim();
  EXPECT_EQ(s, "Hello, World");
  EXPECT_EQ(s.Find(','), 5);
  EXPECT_EQ(s.Find("World"), 7);
  EXPECT_EQ(s.Find('z'), -1);
  EXPECT_EQ(s.Find('o', 5), 8);
  EXPECT_EQ(s.Find('o', 99), -1);
  EXPECT_EQ(s.ReverseFind('o'), 8);
  EXPECT_EQ(s.Mid(7), "World");
  EXPECT_EQ(s.Mid(7, 2), "Wo");
  EXPECT_EQ(s.Mid(40, 2), "");
  EXPECT_EQ(s.Left(-1), "");
  EXPECT_EQ(s.Right(99), "Hello, World");
  CString u = s;
  u.MakeUpper();
  EXPECT_EQ(u, "HELLO, WORLD");
  EXPECT_EQ(u.CompareNoCase("hello, world"), 0);
  EXPECT_LT(CString("abc").Compare("abd"), 0);
  CString path("C:\\a\\b\\");
  path.TrimRight('\\');
  EXPECT_EQ(path, "C:\\a\\b");
  EXPECT_EQ(path.Replace("\\", "/"), 2);
  EXPECT_EQ(path, "C:/a/b");
}

TEST(StringTest, BufferAccessTakesTheLengthFromTheTerminator) {
  CString s;
  char* buf = s.GetBuffer(64);
  std::strcpy(buf, "abc");
  s.ReleaseBuffer();
  EXPECT_EQ(s.GetLength(), 3);
  s.Format("%s-%04d", "img", 42);
  EXPECT_EQ(s, "img-0042");
  s += '!';
  EXPECT_EQ(s + "?", "img-0042!?");
}

TEST(GeometryTest, RectOperations) {
  CRect r(10, 20, 110, 70);
  EXPECT_EQ(r.Width(), 100);
  EXPECT_EQ(r.Height(), 50);
  EXPECT_EQ(r.CenterPoint(), CPoint(60, 45));
  EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));
  EXPECT_FALSE(r.PtInRect(CPoint(110, 20)));  // right and bottom are outside
  CRect moved = r + CPoint(5, -5);
  EXPECT_EQ(moved, CRect(15, 15, 115, 65));
  CRect both = r & CRect(100, 60, 200, 200);
  EXPECT_EQ(both, CRect(100, 60, 110, 70));
  CRect none = r & CRect(500, 500, 600, 600);
  EXPECT_TRUE(none.IsRectEmpty());
  CRect all = r | CRect(0, 0, 1, 1);
  EXPECT_EQ(all, CRect(0, 0, 110, 70));
  r.InflateRect(1, 2);
  EXPECT_EQ(r, CRect(9, 18, 111, 72));
  r.DeflateRect(1, 2, 3, 4);
  EXPECT_EQ(r, CRect(10, 20, 108, 68));
  CRect flipped(10, 10, 0, 0);
  flipped.NormalizeRect();
  EXPECT_EQ(flipped, CRect(0, 0, 10, 10));
  EXPECT_EQ(CPoint(MAKELPARAM(-3, 4)), CPoint(-3, 4));  // signed mouse coordinates
}

}  // namespace
