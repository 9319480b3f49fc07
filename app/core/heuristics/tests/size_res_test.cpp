#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/core/heuristics/locked_heuristics.h"
#include "app/core/heuristics/size_res.h"
#include "app/core/testing/blob_test_util.h"

using core_test::Blob;
using core_test::PutF64;
using core_test::PutU16;
using core_test::PutU32;
using core_test::U32At;

namespace {

TEST(SizeRes, UnitConversions)
{
    struct Case {
        double (*convert)(double, int32_t);
        double value;
        int32_t unit;
        double expected;
    } cases[] = {
        {CQzSizeRes::InchesToUnit, 1.0, 5, 72.0},  {CQzSizeRes::InchesToUnit, 2.0, 2, 5.08},
        {CQzSizeRes::InchesToUnit, 1.0, 3, 25.4},  {CQzSizeRes::InchesToUnit, 1.0, 4, 6.0},
        {CQzSizeRes::InchesToUnit, 3.0, 1, 3.0},   {CQzSizeRes::InchesToUnit, 1.0, 0, 0.0},
        {CQzSizeRes::InchesToUnit, 1.0, 6, 0.0},   {CQzSizeRes::PerInchToUnit, 254.0, 1, 100.0},
        {CQzSizeRes::PerInchToUnit, 300.0, 0, 300.0}, {CQzSizeRes::PerInchToUnit, 300.0, 2, 0.0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(c.convert(c.value, c.unit), c.expected, 1e-12) << c.value << " unit " << c.unit;

    EXPECT_NEAR(CQzSizeRes::UnitToInches(6.0, 4).value, 1.0, 1e-15);
    EXPECT_EQ(CQzSizeRes::UnitToInches(6.0, 4).unit, 0);
    EXPECT_EQ(CQzSizeRes::UnitToInches(7.0, 0).value, 7.0);
    EXPECT_EQ(CQzSizeRes::UnitToInches(7.0, 6).value, 7.0);
    EXPECT_NEAR(CQzSizeRes::PerUnitToPerInch(100.0, 1).value, 254.0, 1e-12);
    EXPECT_EQ(CQzSizeRes::PerUnitToPerInch(100.0, 1).unit, 1);
    EXPECT_EQ(CQzSizeRes::ResolutionPerUnit(10.0, 5).value, 720.0);
}

// The eight orientations as 2x2 integer matrices acting on (x, y), y down:
// first the mirror about the vertical axis, then quarter turns to the right.
struct Matrix {
    int a, b, c, d;  // x' = a x + b y, y' = c x + d y
};

Matrix Orientation(int mirrored, int rotation)
{
    Matrix m = mirrored ? Matrix{-1, 0, 0, 1} : Matrix{1, 0, 0, 1};
    for (int turn = 0; turn < rotation / 90; ++turn)
        m = Matrix{-m.c, -m.d, m.a, m.b};  // (x, y) -> (-y, x)
    return m;
}

// `rect` of an image of w x h, as the oriented image shows it.
QzDblRect Apply(const Matrix& m, const QzDblRect& rect, double w, double h)
{
    const auto corners = [&](const QzDblRect& r, double out[4]) {
        const double xs[4] = {r.left, r.right, r.left, r.right};
        const double ys[4] = {r.top, r.top, r.bottom, r.bottom};
        double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
        for (int i = 0; i < 4; ++i) {
            const double x = m.a * xs[i] + m.b * ys[i];
            const double y = m.c * xs[i] + m.d * ys[i];
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
        out[0] = minX;
        out[1] = minY;
        out[2] = maxX;
        out[3] = maxY;
    };
    double image[4];
    double box[4];
    corners(QzDblRect{0, 0, w, h}, image);
    corners(rect, box);
    return QzDblRect{box[0] - image[0], box[1] - image[1], box[2] - image[0], box[3] - image[1]};
}

TEST(SizeRes, EveryOrientationReachesEveryOtherAndMapsRectangles)
{
    const int states[8][2] = {{0, 0}, {0, 90}, {0, 180}, {0, 270}, {1, 0}, {1, 90}, {1, 180}, {1, 270}};
    const double w = 2 * 600.0;
    const double h = 2 * 400.0;
    const QzDblRect crop{100, 60, 500, 260};
    for (const auto& from : states) {
        for (const auto& to : states) {
            CQzSizeRes s(600, 400);
            s.SetCropRect(crop);
            s.SetOrientation(from[0], from[1]);
            s.SetOrientation(to[0], to[1]);
            SCOPED_TRACE(testing::Message() << from[0] << "/" << from[1] << " -> " << to[0] << "/" << to[1]);
            ASSERT_EQ(s.IsMirrored(), to[0]);
            ASSERT_EQ(s.GetRotation(), to[1]);

            const QzDblRect expected = Apply(Orientation(to[0], to[1]), crop, w, h);
            EXPECT_EQ(s.GetCropRect(), expected);
            const bool turned = to[1] % 180 != 0;
            EXPECT_EQ(s.GetImageWidth(), turned ? h : w);

            QzDblRect mapped = crop;
            s.MapRect(mapped, QzDblRect{0, 0, w, h});
            EXPECT_EQ(mapped, expected);
            QzDblRect back = s.GetCropRect();
            s.UnmapRect(back, s.GetImageRect());
            EXPECT_EQ(back, crop);

            CQzRect whole;
            s.GetCropRectInt(whole, 0);
            EXPECT_EQ(whole.GetLeft(), 100);
            EXPECT_EQ(whole.GetTop(), 60);
            EXPECT_EQ(whole.GetRight(), 500);
            EXPECT_EQ(whole.GetBottom(), 260);
            CQzRect image;
            s.GetImageRectInt(image, 0);
            EXPECT_EQ(image.Width(), 1200);
            EXPECT_EQ(image.Height(), 800);
        }
    }
}

TEST(SizeRes, OrientationSteps)
{
    CQzSizeRes s(30, 20);
    s.SetOrientation(1, 90);
    EXPECT_EQ(s.IsMirrored(), 1);
    EXPECT_EQ(s.GetRotation(), 90);
    s.ResetOrientation();
    EXPECT_EQ(s.IsMirrored(), 0);
    EXPECT_EQ(s.GetRotation(), 0);
    EXPECT_EQ(s.GetCropRect(), (QzDblRect{0, 0, 60, 40}));
    s.SetOrientation(0, -90);
    EXPECT_EQ(s.GetRotation(), 270);
    s.ResetOrientation();
    s.FlipHorizontal();
    s.FlipHorizontal();
    EXPECT_EQ(s.IsMirrored(), 0);
    EXPECT_EQ(s.GetRotation(), 0);
    s.FlipVertical();
    EXPECT_EQ(s.IsMirrored(), 1);
    EXPECT_EQ(s.GetRotation(), 180);
}

TEST(SizeRes, IntegerRectanglesStayInsideTheImage)
{
    struct Case {
        QzDblRect crop;
        int32_t left, top, right, bottom;
    } cases[] = {
        {{10.2, 10.7, 10.6, 30.0}, 10, 10, 11, 29},   // narrower than one pixel
        {{190.0, 5.0, 230.0, 25.0}, 160, 5, 200, 25},  // past the right edge
        {{-30.0, -4.0, 10.0, 20.0}, 0, 0, 40, 24},     // before the left and top edges
        {{0.0, 0.0, 500.0, 20.0}, 0, 0, 200, 20},      // wider than the image
    };
    for (const Case& c : cases) {
        CQzSizeRes s(100, 50);
        s.GetHeuristic()->CHeuristic::SetCropRect(c.crop, 0);
        CQzRect out;
        s.GetCropRectInt(out, 1);
        EXPECT_EQ(out.GetLeft(), c.left) << c.crop.left;
        EXPECT_EQ(out.GetTop(), c.top) << c.crop.left;
        EXPECT_EQ(out.GetRight(), c.right) << c.crop.left;
        EXPECT_EQ(out.GetBottom(), c.bottom) << c.crop.left;
    }
}

TEST(SizeRes, KindsAndStatus)
{
    CQzSizeRes s;
    EXPECT_EQ(s.GetHeuristicType(), kHeuristicCrop);
    EXPECT_TRUE(s.SetHeuristicType(kHeuristicDSet));
    EXPECT_EQ(s.GetStatus(), CQzSizeRes::kStatusUnknownKind);
    EXPECT_EQ(s.GetHeuristicType(), kHeuristicCrop);
    EXPECT_FALSE(s.SetHeuristicType(kHeuristicSize));
    EXPECT_EQ(s.GetStatus(), 0);
    EXPECT_TRUE(s.GetHeuristic()->GetFlags() & kSizeLock);
    EXPECT_FALSE(s.SetHeuristicType(kHeuristicCrop));
    EXPECT_FALSE(s.GetHeuristic()->GetFlags() & kSizeLock);

    CQzSizeRes sized(1000, 500);
    EXPECT_EQ(sized.GetPixelWidth(), 1000.0);
    EXPECT_EQ(sized.GetOutputResolution().value, 300.0);
    EXPECT_EQ(sized.GetImageBounds(), (QzDblRect{0, 0, 2000, 1000}));
    EXPECT_DOUBLE_EQ(sized.GetScaleFactor(), 1.0);
}

std::vector<uint8_t> Legacy(const std::vector<uint8_t>& v3, uint16_t version)
{
    // Versions 1 and 2 have no length field; version 1 ends after the heuristic.
    std::vector<uint8_t> old(v3.begin(), v3.begin() + 18);
    PutU16(old, 16, version);
    old.insert(old.end(), v3.begin() + 22, version == 1 ? v3.end() - 5 : v3.end());
    return old;
}

TEST(SizeResBlob, LayoutAndRoundTrip)
{
    CQzSizeRes s(1500, 1000);
    s.SetHeuristicType(kHeuristicSize);
    s.SetPixelWidth(1200);
    s.RotateRight();
    EXPECT_EQ(s.GetSize(), 35 + 223);
    const std::vector<uint8_t> blob = Blob(s);
    EXPECT_EQ(core_test::Hex({blob.begin(), blob.begin() + 18}), "e0334237b8ccd2110aa9b7c1b100aa00" "0300");
    EXPECT_EQ(U32At(blob, 18), 258u - 18u);
    EXPECT_EQ(U32At(blob, 22), kHeuristicSize);
    EXPECT_EQ(U32At(blob, 26), 223u);
    EXPECT_EQ(blob[253], 0);
    EXPECT_EQ(U32At(blob, 254), 90u);

    // Read without a size by an object of the same orientation: nothing is rescaled.
    CQzSizeRes read;
    read.RotateRight();
    EXPECT_EQ(read.SetDataForImage(blob.data(), static_cast<int32_t>(blob.size()), 0, 0), 258);
    EXPECT_EQ(read.GetHeuristicType(), kHeuristicSize);
    EXPECT_EQ(Blob(read), blob);

    // For the same image (its unrotated size) the geometry stays.
    CQzSizeRes sized;
    sized.RotateRight();
    EXPECT_EQ(sized.SetDataForImage(blob.data(), static_cast<int32_t>(blob.size()), 1500, 1000), 258);
    EXPECT_EQ(sized.GetCropRect(), s.GetCropRect());
    EXPECT_EQ(sized.GetImageWidth(), 2000.0);
    EXPECT_DOUBLE_EQ(sized.GetPixelWidth(), s.GetPixelWidth());

    std::vector<uint8_t> foreign = blob;
    foreign[0] ^= 0xFF;
    const std::vector<uint8_t> before = Blob(read);
    EXPECT_EQ(read.SetDataForImage(foreign.data(), static_cast<int32_t>(foreign.size()), 10, 10), 0);
    EXPECT_EQ(Blob(read), before);
}

TEST(SizeResBlob, OlderVersionsKeepTheCurrentOrientation)
{
    CQzSizeRes s(800, 600);
    s.SetCropRect(100, 100, 500, 300);
    const std::vector<uint8_t> v1 = Legacy(Blob(s), 1);
    CQzSizeRes read(800, 600);
    read.SetOrientation(1, 90);
    EXPECT_EQ(read.SetDataForImage(v1.data(), static_cast<int32_t>(v1.size()), 800, 600),
              static_cast<int32_t>(v1.size()));
    EXPECT_EQ(read.IsMirrored(), 1);
    EXPECT_EQ(read.GetRotation(), 90);
    QzDblRect crop = read.GetCropRect();
    read.UnmapRect(crop, read.GetImageRect());
    EXPECT_EQ(crop, (QzDblRect{100, 100, 500, 300}));

    const std::vector<uint8_t> v2 = Legacy(Blob(s), 2);
    CQzSizeRes read2;
    EXPECT_EQ(read2.SetDataForImage(v2.data(), static_cast<int32_t>(v2.size()), 800, 600),
              static_cast<int32_t>(v2.size()));
    EXPECT_EQ(read2.GetCropRect(), (QzDblRect{100, 100, 500, 300}));
}

TEST(SizeResBlob, HostileFieldsAreMadeSafe)
{
    const std::vector<uint8_t> good = Blob(CQzSizeRes(800, 600));
    const size_t heuristic = 30;
    struct Case {
        const char* name;
        void (*edit)(std::vector<uint8_t>&);
        int32_t mirrored, rotation;
        bool defaults;  // the heuristic is the sized default
    } cases[] = {
        {"blank limits", [](std::vector<uint8_t>& b) { PutF64(b, heuristic + 158, 1.0); PutF64(b, heuristic + 166, 1.0); }, 0, 0, true},
        {"zero upper bound", [](std::vector<uint8_t>& b) { PutF64(b, heuristic + 166, 0.0); }, 0, 0, true},
        {"zero second resolution", [](std::vector<uint8_t>& b) { PutF64(b, heuristic + 174, 0.0); }, 0, 0, true},
        // A blank heuristic keeps the blob's orientation, any other is turned to the reader's.
        {"rotation 450", [](std::vector<uint8_t>& b) { PutF64(b, heuristic + 166, 1.0); PutU32(b, 254, 450); b[253] = 7; }, 1, 90, true},
        {"rotation -90", [](std::vector<uint8_t>& b) { PutF64(b, heuristic + 166, 1.0); PutU32(b, 254, static_cast<uint32_t>(-90)); }, 0, 270, true},
        {"rotation 45", [](std::vector<uint8_t>& b) { PutF64(b, heuristic + 166, 1.0); PutU32(b, 254, 45); }, 0, 0, true},
        {"rotation 45 turned", [](std::vector<uint8_t>& b) { PutU32(b, 254, 45); }, 0, 0, false},
        {"huge heuristic size", [](std::vector<uint8_t>& b) { PutU32(b, 26, 0xFFFFFFF0u); }, 0, 0, true},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> blob = good;
        c.edit(blob);
        CQzSizeRes read;
        read.SetDataForImage(blob.data(), static_cast<int32_t>(blob.size()), 400, 300);
        EXPECT_EQ(read.IsMirrored(), c.mirrored) << c.name;
        EXPECT_EQ(read.GetRotation(), c.rotation) << c.name;
        if (c.defaults) {
            EXPECT_EQ(read.GetImageWidth(), 800.0) << c.name;
            EXPECT_EQ(read.GetMaximumResolution().value, 600.0) << c.name;
        }
        CQzRect scaled;
        read.GetScaledCropRect(scaled, 0);
        EXPECT_GE(scaled.GetLeft(), 0) << c.name;
    }
}

TEST(SizeRes, CopyFromLoadsForThisObjectsSize)
{
    CQzSizeRes source(100, 80);
    source.SetPixelWidth(50);
    CQzSizeRes target(200, 160);
    target.CopyFrom(source);
    EXPECT_EQ(target.GetImageWidth(), 400.0);
    EXPECT_EQ(target.GetImageHeight(), 320.0);
    EXPECT_EQ(target.GetHeuristic()->CheckConsistency(true), 0);
}

}  // namespace
