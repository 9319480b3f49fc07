#include <gtest/gtest.h>

#include "app/core/geometry/qz_rect.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

void ExpectEdges(const CQzRect& r, int32_t top, int32_t left, int32_t bottom, int32_t right, const char* name)
{
    EXPECT_EQ(r.GetTop(), top) << name;
    EXPECT_EQ(r.GetLeft(), left) << name;
    EXPECT_EQ(r.GetBottom(), bottom) << name;
    EXPECT_EQ(r.GetRight(), right) << name;
}

TEST(QzRect, IntersectGivesZeroRectWhenTheOverlapIsEmpty)
{
    struct Case {
        const char* name;
        CQzRect a, b;
        int32_t top, left, bottom, right;
    } cases[] = {
        {"overlap", {0, 0, 10, 10}, {5, 2, 20, 8}, 5, 2, 10, 8},
        {"touching along an edge", {0, 0, 10, 10}, {0, 10, 10, 20}, 0, 0, 0, 0},
        {"touching at the bottom", {0, 0, 10, 10}, {10, 0, 20, 10}, 0, 0, 0, 0},
        {"disjoint", {0, 0, 10, 10}, {30, 30, 40, 40}, 0, 0, 0, 0},
        {"inside", {0, 0, 10, 10}, {2, 3, 4, 5}, 2, 3, 4, 5},
        {"inverted", {10, 10, 0, 0}, {0, 0, 20, 20}, 0, 0, 0, 0},
    };
    for (const Case& c : cases)
        ExpectEdges(c.a.Intersect(c.b), c.top, c.left, c.bottom, c.right, c.name);
}

TEST(QzRect, ContainsIsHalfOpenAndEmptinessNeedsBothExtents)
{
    const CQzRect r(10, 20, 30, 40);  // top, left, bottom, right
    struct Case {
        int32_t x, y;
        int32_t inside;
    } cases[] = {{20, 10, 1}, {39, 29, 1}, {40, 15, 0}, {25, 30, 0}, {19, 15, 0}, {25, 9, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(r.Contains(CQzPoint(c.x, c.y)), c.inside) << c.x << "," << c.y;

    EXPECT_TRUE(CQzRect(0, 5, 10, 5).IsEmpty());
    EXPECT_TRUE(CQzRect(10, 0, 5, 10).IsEmpty());
    EXPECT_FALSE(CQzRect(0, 0, 1, 1).IsEmpty());
}

TEST(QzRect, PlatformRectRoundTripsAndTheStoredOrderIsTopLeftBottomRight)
{
    const tagRECT in{1, 2, 3, 4};  // left, top, right, bottom
    CQzRect r;
    r = in;
    QzBigRect big;
    r.GetBigRect(&big);
    EXPECT_EQ(big.top, 2);
    EXPECT_EQ(big.left, 1);
    EXPECT_EQ(big.bottom, 4);
    EXPECT_EQ(big.right, 3);
    tagRECT out{};
    r.GetRECT(&out);
    EXPECT_EQ(out.left, 1);
    EXPECT_EQ(out.top, 2);
    EXPECT_EQ(out.right, 3);
    EXPECT_EQ(out.bottom, 4);
}

TEST(QzRect, OffsetAndMoveKeepSizeAndInversion)
{
    CQzRect inverted(10, 10, 0, 0);
    inverted.Offset(5, -5);
    ExpectEdges(inverted, 5, 15, -5, 5, "inverted offset");
    EXPECT_TRUE(inverted.IsEmpty());

    CQzRect r(3, 4, 13, 24);
    r.MoveTo(100, 200);
    ExpectEdges(r, 200, 100, 210, 120, "move to");
    r -= CQzPoint(100, 200);
    ExpectEdges(r, 0, 0, 10, 20, "minus");
    EXPECT_EQ(r.Size().GetX(), 20);
    EXPECT_EQ(r.Size().GetY(), 10);
    EXPECT_DOUBLE_EQ(r.GetAspect(), 2.0);
}

TEST(QzPoint, ScalingTruncatesTowardZero)
{
    struct Case {
        int32_t x, y;
        double f;
        bool divide;
        int32_t ex, ey;
    } cases[] = {
        {3, -3, 0.5, false, 1, -1},
        {7, -7, 2.0, true, 3, -3},
        {5, 9, 1.5, false, 7, 13},
        {-1, 1, 0.9, false, 0, 0},
    };
    for (const Case& c : cases) {
        CQzPoint p(c.x, c.y);
        if (c.divide)
            p /= c.f;
        else
            p *= c.f;
        EXPECT_EQ(p.GetX(), c.ex);
        EXPECT_EQ(p.GetY(), c.ey);
    }
    CQzPoint sum = CQzPoint(1, 2) + CQzPoint(10, 20);
    EXPECT_TRUE(sum == CQzPoint(11, 22));
    EXPECT_TRUE(sum != CQzPoint(11, 21));
}

// Compound operations go through the accessors, so an override is seen.
TEST(QzRect, CompoundOperationsUseTheVirtualAccessors)
{
    class Snapped : public CQzRect {
    public:
        using CQzRect::CQzRect;
        void SetLeft(int32_t value) override { CQzRect::SetLeft(value / 10 * 10); }
    };
    Snapped r(0, 0, 10, 10);
    r.Offset(17, 0);
    EXPECT_EQ(r.GetLeft(), 10);
    EXPECT_EQ(r.GetRight(), 27);
}

}  // namespace
