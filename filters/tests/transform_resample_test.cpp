// The transform filter's pixels: the worked examples, all eight orientations
// and general angles against a whole-image reference through several tile
// sizes and both ways of making tiles, and the eight orientations against
// ImageMagick and libvips byte for byte.
#include <cmath>

#include "filters/VorlatFilterTransform.h"
#include "resample_test_util.h"

using namespace kolvex_test;

namespace {

using Xfrm = CVorlatFilterTransform;

struct Transformed {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> pixels;
};

// Transforms an image through a filter of a manager with the given tile bytes.
// The source may carry a state of its own; the filter's setting is relative
// unless said otherwise.
Transformed Turned(int32_t colorSpace, int32_t width, int32_t height, const std::vector<uint8_t>& pixels, bool flip,
                double rotation, int32_t tileBytes = 16384, bool wholeRun = false, bool relative = true,
                bool sourceFlip = false, double sourceRotation = 0)
{
    IVorlatManager* manager = MakeManager(tileBytes);
    IVorlatImage* image = MakeImage(manager, colorSpace, width, height, pixels);
    EXPECT_EQ(Deepest(image->SetTransform(sourceFlip, sourceRotation, false)), 0);
    auto* xfrm = new Xfrm(manager);
    EXPECT_EQ(Deepest(VorlatDataConnect(image, xfrm)), 0);
    EXPECT_EQ(Deepest(xfrm->SetTransform(flip, rotation, relative, false)), 0);
    Transformed out;
    if (wholeRun) {
        out.pixels = RunWhole(xfrm, manager, image);
        EXPECT_EQ(Deepest(xfrm->GetSize(&out.width, &out.height)), 0);
    } else {
        out.pixels = ReadAll(xfrm, &out.width, &out.height);
    }
    delete xfrm;
    image->Destroy();
    manager->Destroy();
    return out;
}

// The reference: every output pixel from the source pixel that the rules name,
// found without the filter's walk (exact angles by formula, others by the
// static back-mapping).
Transformed Reference(int32_t colorSpace, int32_t width, int32_t height, const std::vector<uint8_t>& pixels, bool flip,
                      double rotation)
{
    const int32_t bytes = IVorlatDataSource::GetBitsPerPixel(colorSpace) / 8;
    const double r = Xfrm::ValidateRotation(rotation);
    Transformed out{width, height, {}};
    Xfrm::GetFilteredSize(&out.width, &out.height, r);
    out.pixels.assign(static_cast<size_t>(out.width) * out.height * bytes, 0);
    const auto closeTo = [r](double a) { return std::fabs(r - a) <= 1e-10; };
    for (int32_t y = 0; y < out.height; ++y) {
        for (int32_t x = 0; x < out.width; ++x) {
            int32_t sx = 0, sy = 0;
            if (r <= 1e-10 || r >= 359.9999999999) {
                sx = flip ? width - 1 - x : x;
                sy = y;
            } else if (closeTo(90)) {
                sx = flip ? width - 1 - y : y;
                sy = height - 1 - x;
            } else if (closeTo(180)) {
                sx = flip ? x : width - 1 - x;
                sy = height - 1 - y;
            } else if (closeTo(270)) {
                sx = flip ? y : width - 1 - y;
                sy = x;
            } else {
                sx = x;
                sy = y;
                Xfrm::DefilterPoint(&sx, &sy, width, height, flip, r);
                if (sx < 0 || sy < 0 || sx >= width || sy >= height)
                    continue;
            }
            std::memcpy(&out.pixels[(static_cast<size_t>(y) * out.width + x) * bytes],
                        &pixels[(static_cast<size_t>(sy) * width + sx) * bytes], static_cast<size_t>(bytes));
        }
    }
    return out;
}

TEST(TransformResample, ThreeByTwoTurnedByNinetyReadsColumnsBottomUp)
{
    // Pixel (x, y) holds 10 y + x.
    const std::vector<uint8_t> in = {0, 1, 2, 10, 11, 12};
    const Transformed out = Turned(2, 3, 2, in, false, 90);
    EXPECT_EQ(out.width, 2);
    EXPECT_EQ(out.height, 3);
    EXPECT_EQ(out.pixels, (std::vector<uint8_t>{10, 0, 11, 1, 12, 2}));
    EXPECT_EQ(Turned(2, 3, 2, in, true, 0).pixels, (std::vector<uint8_t>{2, 1, 0, 12, 11, 10}));
    EXPECT_EQ(Turned(2, 3, 2, in, true, 180).pixels, (std::vector<uint8_t>{10, 11, 12, 0, 1, 2}));
    EXPECT_EQ(Turned(2, 3, 2, in, false, 270).pixels, (std::vector<uint8_t>{2, 12, 1, 11, 0, 10}));
}

TEST(TransformResample, CornersOutsideTheTurnedSourceAreZeroInEveryChannel)
{
    const std::vector<uint8_t> in(40 * 30 * 3, 200);
    const Transformed out = Turned(32, 40, 30, in, false, 45);
    ASSERT_EQ(out.pixels.size(), static_cast<size_t>(out.width) * out.height * 3);
    for (const auto& corner : {std::pair{0, 0}, std::pair{out.width - 1, 0}, std::pair{0, out.height - 1},
                               std::pair{out.width - 1, out.height - 1}}) {
        const size_t at = (static_cast<size_t>(corner.second) * out.width + corner.first) * 3;
        EXPECT_EQ(out.pixels[at] | out.pixels[at + 1] | out.pixels[at + 2], 0) << corner.first << "," << corner.second;
    }
    const size_t centre = (static_cast<size_t>(out.height / 2) * out.width + out.width / 2) * 3;
    EXPECT_EQ(out.pixels[centre], 200);
}

TEST(TransformResample, AnglesWithinATenBillionthOfNinetyTakeTheExactPath)
{
    const std::vector<uint8_t> in = Pattern(37 * 23, 3);
    const Transformed exact = Turned(2, 37, 23, in, false, 90);
    EXPECT_EQ(Turned(2, 37, 23, in, false, 90.00000000005).pixels, exact.pixels);
    const Transformed general = Turned(2, 37, 23, in, false, 90.0000001);
    EXPECT_EQ(general.width, exact.width);
    EXPECT_NE(general.pixels, exact.pixels);
    EXPECT_EQ(general.pixels, Reference(2, 37, 23, in, false, 90.0000001).pixels);
}

TEST(TransformResample, AnAbsoluteSettingEqualToTheSourceStateCopiesPixelForPixel)
{
    const std::vector<uint8_t> in = Pattern(50 * 40 * 6, 8);
    const Transformed out = Turned(33, 50, 40, in, true, 120, 4096, false, false, true, 120);
    EXPECT_EQ(out.width, 50);
    EXPECT_EQ(out.pixels, in);
    // Against another state the pixels turn by the difference.
    const Transformed turned = Turned(33, 50, 40, in, false, 0, 4096, false, false, false, 90);
    EXPECT_EQ(turned.pixels, Reference(33, 50, 40, in, false, 270).pixels);
}

TEST(TransformResample, EveryOrientationAndGeneralAnglesMatchTheReferenceThroughEveryTileGeometry)
{
    const struct {
        bool flip;
        double rotation;
    } settings[] = {{false, 0}, {true, 0},   {false, 90},   {true, 90},  {false, 180},
                    {true, 180}, {false, 270}, {true, 270}, {false, 7.5}, {true, 200}, {false, 333}};
    for (int32_t colorSpace : {2, 32, 33, 34}) {
        const int32_t bytes = IVorlatDataSource::GetBitsPerPixel(colorSpace) / 8;
        const int32_t width = 71, height = 45;
        const std::vector<uint8_t> in = Pattern(static_cast<size_t>(width) * height * bytes, colorSpace);
        for (const auto& s : settings) {
            const Transformed expected = Reference(colorSpace, width, height, in, s.flip, s.rotation);
            int run = 0;
            for (int32_t tileBytes : {600, 16384}) {
                const Transformed got = Turned(colorSpace, width, height, in, s.flip, s.rotation, tileBytes, (run++ & 1) != 0);
                EXPECT_EQ(got.width, expected.width);
                EXPECT_EQ(got.height, expected.height);
                ASSERT_EQ(got.pixels, expected.pixels)
                    << "space " << colorSpace << " flip " << s.flip << " rotation " << s.rotation << " tiles " << tileBytes;
            }
        }
    }
}

// The eight orientations are exact permutations of pixels: the peer tools
// must produce the same bytes (a mirror is ImageMagick's -flop and vips's flip
// horizontal, applied before the clockwise turn).
TEST(TransformResample, EightOrientationsAreByteIdenticalToImageMagickAndVips)
{
    const bool haveMagick = HaveTool("convert"), haveVips = HaveTool("vips");
    if (!haveMagick && !haveVips)
        GTEST_SKIP() << "neither ImageMagick nor vips installed";
    const int32_t width = 53, height = 31;
    const std::vector<uint8_t> in = Pattern(static_cast<size_t>(width) * height * 3, 21);
    const std::string source = ScratchPath("xfrm_in") + ".ppm";
    WritePnm(source, width, height, 3, false, in);
    for (bool flip : {false, true}) {
        for (int rotation : {0, 90, 180, 270}) {
            const Transformed ours = Turned(32, width, height, in, flip, rotation);
            const std::string out = ScratchPath("xfrm_out") + ".ppm", between = ScratchPath("xfrm_mid") + ".v";
            std::vector<std::string> commands;
            if (haveMagick)
                commands.push_back("convert " + source + (flip ? " -flop" : "") + " -rotate " +
                                   std::to_string(rotation) + " " + out);
            if (haveVips)
                commands.push_back("vips " + std::string(flip ? "flip " : "copy ") + source + " " + between +
                                   (flip ? " horizontal" : "") + " && vips rot " + between + " " + out + " d" +
                                   std::to_string(rotation));
            for (const std::string& command : commands) {
                ASSERT_TRUE(RunTool(command)) << command;
                int32_t w = 0, h = 0;
                const std::vector<uint8_t> theirs = ReadPnm(out, &w, &h, 3, false);
                EXPECT_EQ(w, ours.width) << command;
                EXPECT_EQ(h, ours.height) << command;
                EXPECT_EQ(theirs, ours.pixels) << command;
                std::remove(out.c_str());
            }
            std::remove(between.c_str());
        }
    }
    std::remove(source.c_str());
}

} // namespace
