#include <gtest/gtest.h>

#include <cstdint>

#include "app/core/view_model/zoom.h"

using namespace qz;

namespace {

TEST(ViewZoom, StepTableKeepsItsStoredValues)
{
    EXPECT_EQ(GetZoomStepScale(0), 0.01);
    EXPECT_EQ(GetZoomStepScale(1), 0.014999925000374998);
    EXPECT_EQ(GetZoomStepScale(3), 0.03000030000300003);
    EXPECT_EQ(GetZoomStepScale(7), 1.0 / 12.0);
    EXPECT_EQ(GetZoomStepScale(11), 1.0 / 3.0);
    EXPECT_EQ(GetZoomStepScale(13), 2.0 / 3.0);
    EXPECT_EQ(GetZoomStepScale(14), 1.0);
    EXPECT_EQ(GetZoomStepScale(23), 16.0);
    for (int32_t i = 1; i < kZoomStepCount; ++i) {
        EXPECT_LT(GetZoomStepScale(i - 1), GetZoomStepScale(i)) << i;
    }
}

TEST(ViewZoom, StepSearchFromAnyScale)
{
    struct Case {
        double scale;
        bool zoomIn;
        int32_t step;
    };
    const Case cases[] = {
        {0.3, true, 11},        // between 0.25 and 1/3
        {0.3, false, 10},
        {16.0, true, 23},       // stays at the end
        {16.0, false, 22},
        {40.0, true, 23},       // above the table
        {40.0, false, 22},
        {1.0, true, 15},        // on a step
        {1.0, false, 13},
        {0.01, false, 0},       // not below the first step
        {0.01, true, 1},
        {0.005, false, 0},      // below the table
        {0.005, true, 1},
        {0.015, true, 2},       // just above step 1's stored value
        {0.015, false, 1},
        {2.0 / 3.0, false, 12},
        {12.5, true, 23},
        {12.5, false, 22},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindZoomStep(c.scale, c.zoomIn), c.step) << c.scale << (c.zoomIn ? " in" : " out");
    }
}

TEST(ViewZoom, CommandsAreOfferedUntilTheEnds)
{
    EXPECT_TRUE(CanZoomIn(-1));
    EXPECT_TRUE(CanZoomOut(-1));
    EXPECT_TRUE(CanZoomIn(22));
    EXPECT_FALSE(CanZoomIn(23));
    EXPECT_TRUE(CanZoomOut(1));
    EXPECT_FALSE(CanZoomOut(0));
}

TEST(ViewZoom, BandFillsTheClientWithinTheLimits)
{
    struct Case {
        int32_t bandWidth, bandHeight, clientWidth, clientHeight;
        int32_t step;
        double scale;
    };
    const Case cases[] = {
        {400, 200, 400, 400, -1, 2.0},     // width decides: 200 pixels into 400
        {200, 800, 400, 400, -1, 1.0},     // height decides
        {20, 20, 800, 800, 23, 16.0},      // would need 80
        {64, 64, 512, 512, -1, 16.0},      // exactly 16 is within the limits
        {200000, 2000, 400, 400, 0, 0.01}, // would need 0.004
        {0, 0, 400, 400, 23, 16.0},
        {100, 100, 0, 0, 0, 0.01},         // no client: the smallest scale
    };
    for (const Case& c : cases) {
        const ZoomChoice z = ZoomForBand(c.bandWidth, c.bandHeight, c.clientWidth, c.clientHeight);
        EXPECT_EQ(z.step, c.step) << c.bandWidth << "x" << c.bandHeight;
        EXPECT_DOUBLE_EQ(z.scale, c.scale) << c.bandWidth << "x" << c.bandHeight;
    }
    EXPECT_TRUE(IsBandTooSmall(1, 1));
    EXPECT_TRUE(IsBandTooSmall(2, 40));
    EXPECT_FALSE(IsBandTooSmall(3, 3));
}

TEST(ViewZoom, FitStartsAtTheOutputScaleAndLowersUntilTheImageFits)
{
    struct Case {
        double outputScale;
        int32_t imageWidth, imageHeight, availableWidth, availableHeight;
        int32_t step;
    };
    const Case cases[] = {
        {1.0, 2000, 1312, 800, 600, 11},    // 1/3 gives 667 x 437
        {1.0, 2000, 1312, 2000, 1312, 14},  // fits exactly at 100%
        {1.0, 100, 100, 800, 600, 14},      // never above the output scale
        {0.3, 100, 100, 800, 600, 11},      // the smallest step not below 0.3
        {20.0, 10, 10, 800, 600, 23},       // no step reaches the output scale
        {1.0, 1000000, 10, 800, 600, 0},    // not below the first step
        {1.0, 100, 100, 0, 0, 0},
        {1.0, 1312, 2000, 800, 600, 10},    // turned: the height decides (0.25 gives 500)
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitZoomStep(c.outputScale, c.imageWidth, c.imageHeight, c.availableWidth, c.availableHeight), c.step)
            << c.outputScale << " " << c.imageWidth << "x" << c.imageHeight << " in " << c.availableWidth << "x"
            << c.availableHeight;
    }
}

TEST(ViewZoom, UpdateHintZeroFollowsTheFitPreference)
{
    EXPECT_EQ(ResolveViewUpdateHint(0, true), 3u);
    EXPECT_EQ(ResolveViewUpdateHint(0, false), 1u);
    EXPECT_EQ(ResolveViewUpdateHint(2, false), 2u);
    EXPECT_EQ(ResolveViewUpdateHint(8, true), 8u);
}

TEST(ViewZoom, CaptionShowsWholeOrTwoDecimalPercent)
{
    struct Case {
        double display, output;
        const char* text;
    };
    const Case cases[] = {
        {0.5, 1.0, " @ 50%"},
        {2.0 / 3.0, 1.0, " @ 66.67%"},
        {1.0 / 3.0, 1.0, " @ 33.33%"},
        {1.0, 0.5, " @ 200%"},
        {16.0, 1.0, " @ 1600%"},
        {0.014999925000374998, 1.0, " @ 1.50%"},
        {0.125, 0.25, " @ 50%"},
        {1.0, 0.0, ""},   // no output scale
        {1.0, -1.0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatZoomCaption(c.display, c.output), c.text) << c.display << " / " << c.output;
    }
}

TEST(ViewZoom, UnitAndViewConversions)
{
    EXPECT_EQ(UnitToView(200, 1.0), 100);
    EXPECT_EQ(UnitToView(201, 1.0), 101);  // (201 + 1) / 2
    EXPECT_EQ(UnitToView(200, 0.5), 50);
    EXPECT_EQ(UnitToView(0, 0.25), 0);
    EXPECT_EQ(ViewToUnit(100, 1.0), 200);
    EXPECT_EQ(ViewToUnit(100, 3.0), 66);
    EXPECT_EQ(ViewToUnit(-3, 2.0), -3);  // towards zero
}

TEST(ViewZoom, VisibleRectIsTheClippedClientInImagePixels)
{
    struct Case {
        int32_t scrollX, scrollY, clientWidth, clientHeight, totalWidth, totalHeight;
        double zoom;
        ViewRect expected;
    };
    const Case cases[] = {
        {0, 0, 400, 300, 1000, 800, 1.0, {0, 0, 400, 300}},
        {100, 50, 400, 300, 1000, 800, 0.5, {200, 100, 1000, 700}},
        // Client larger than the image: limited to the total size.
        {0, 0, 1200, 900, 1000, 800, 2.0, {0, 0, 500, 400}},
        // Scrolled to the end.
        {600, 500, 400, 300, 1000, 800, 1.0, {600, 500, 1000, 800}},
        // 2 x 333 / 3 = 222 units = 111 pixels; 2 x 1 / 3 truncates to 0 units, 2 x 10 / 3 to 6.
        {1, 0, 332, 10, 1000, 800, 3.0, {0, 0, 111, 3}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetVisibleRect(c.scrollX, c.scrollY, c.clientWidth, c.clientHeight, c.totalWidth, c.totalHeight,
                                 c.zoom),
                  c.expected)
            << c.scrollX << "," << c.scrollY << " @" << c.zoom;
    }
}

TEST(ViewZoom, ScrollPositionsStayWithinTheTotal)
{
    EXPECT_EQ(ClampScroll(-5, 1000, 400), 0);
    EXPECT_EQ(ClampScroll(700, 1000, 400), 600);
    EXPECT_EQ(ClampScroll(300, 1000, 400), 300);
    EXPECT_EQ(ClampScroll(300, 200, 400), 0);  // image smaller than the client
    EXPECT_EQ(CenterScroll(500, 1000, 400), 300);
    EXPECT_EQ(CenterScroll(100, 1000, 400), 0);
    EXPECT_EQ(CenterScroll(990, 1000, 400), 600);
    EXPECT_EQ(CenterScroll(INT32_MAX, INT32_MAX, 2), INT32_MAX - 2);
    EXPECT_EQ(MirrorScrollX(100, 1000, 400), 500);
    EXPECT_EQ(MirrorScrollX(0, 1000, 400), 0);
}

TEST(ViewZoom, ScrollSizesFillZerosFromTheLargerSize)
{
    const ScrollSizes s = CompleteScrollSizes({1000, 500, 0, 200, 0, 0});
    EXPECT_EQ(s.pageWidth, 100);
    EXPECT_EQ(s.pageHeight, 200);
    EXPECT_EQ(s.lineWidth, 10);
    EXPECT_EQ(s.lineHeight, 20);
    const ScrollSizes kept = CompleteScrollSizes({1000, 500, 300, 200, 10, 10});
    EXPECT_EQ(kept.pageWidth, 300);
    EXPECT_EQ(kept.lineHeight, 10);
    EXPECT_TRUE(ConvertsScrollSizes(32767, 100));
    EXPECT_FALSE(ConvertsScrollSizes(32768, 100));
    EXPECT_FALSE(ConvertsScrollSizes(100, 40000));
}

TEST(ViewZoom, PatternAndBrushOriginsFollowTheScroll)
{
    EXPECT_EQ(PatternOrigin(0, 64), 0);
    EXPECT_EQ(PatternOrigin(70, 64), 6);
    EXPECT_EQ(PatternOrigin(70, 0), 0);
    EXPECT_EQ(CropBrushOriginX(0, 0), 7);
    EXPECT_EQ(CropBrushOriginX(3, 9), 1);  // 3 - 1 + 7
    EXPECT_EQ(CropBrushOriginX(0, 7), 0);
    EXPECT_EQ(CropBrushOriginY(0), 7);
    EXPECT_EQ(CropBrushOriginY(13), 2);
}

}  // namespace
