#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QRV/tests/icc_builder.h"
#include "QRV/tests/qrv_test_util.h"

using namespace qrvtest;

namespace {

struct ForcedKernels {
    explicit ForcedKernels(qrv::KernelChoice c) { qrv::ForceKernels(c); }
    ~ForcedKernels() { qrv::ForceKernels(qrv::KernelChoice::Processor); }
};

const qrv::KernelChoice kBothPaths[] = {qrv::KernelChoice::Portable, qrv::KernelChoice::Mmx};

void Configure(Engine& e, const std::vector<uint8_t>& in, const std::vector<uint8_t>& out, int inBits, int outBits)
{
    ASSERT_EQ(e.SetProfiles(in, out), 0);
    ASSERT_EQ(QZCMSetInputBitSize(e, inBits), 0);
    ASSERT_EQ(QZCMSetOutputBitSize(e, outBits), 0);
}

TEST(QrvPixels, DefaultStridesArePackedLines)
{
    struct Case {
        int bits;
        int lineBytes;
    } cases[] = {{8, 30}, {12, 60}, {16, 60}};
    for (const Case& c : cases) {
        Engine e;
        Configure(e, RgbMatrixProfile().Build(), RgbMatrixProfile(460).Build(), c.bits, c.bits);
        std::vector<uint8_t> in(2 * c.lineBytes), whole(in.size()), lineByLine(in.size());
        for (size_t i = 0; i < in.size(); ++i)
            in[i] = uint8_t(i * 37 % 251);
        if (c.bits > 8)
            for (size_t i = 1; i < in.size(); i += 2)
                in[i] &= 0x0F;
        ASSERT_EQ(QZCMProcessInterleavedData(e, 10, 2, in.data(), whole.data(), 0, 0), 0);
        for (int y = 0; y < 2; ++y)
            ASSERT_EQ(QZCMProcessInterleavedData(e, 10, 1, &in[y * c.lineBytes], &lineByLine[y * c.lineBytes], 0, 0), 0);
        EXPECT_EQ(whole, lineByLine) << c.bits << " bits";
    }
}

TEST(QrvPixels, PlanarLayoutMatchesInterleaved)
{
    Engine e;
    Configure(e, RgbMatrixProfile().Build(), RgbMatrixProfile(460).Build(), 16, 16);
    // Two lines of 10 pixels: plane c of line y at y x 60 + 20 c bytes.
    std::vector<uint16_t> planar(60), interleaved(60), outPlanar(60), outInterleaved(60);
    for (int y = 0; y < 2; ++y)
        for (int c = 0; c < 3; ++c)
            for (int x = 0; x < 10; ++x) {
                const uint16_t v = uint16_t(1000 * x + 9000 * c + 20000 * y);
                planar[y * 30 + c * 10 + x] = v;
                interleaved[y * 30 + x * 3 + c] = v;
            }
    ASSERT_EQ(QZCMProcessPlanarData(e, 10, 2, planar.data(), outPlanar.data(), 0, 0, 0, 0), 0);
    ASSERT_EQ(QZCMProcessInterleavedData(e, 10, 2, interleaved.data(), outInterleaved.data(), 0, 0), 0);
    for (int y = 0; y < 2; ++y)
        for (int c = 0; c < 3; ++c)
            for (int x = 0; x < 10; ++x)
                ASSERT_EQ(outPlanar[y * 30 + c * 10 + x], outInterleaved[y * 30 + x * 3 + c]) << y << " " << c << " " << x;
    // Explicit strides: planes 32 bytes apart, lines 100 bytes apart.
    std::vector<uint8_t> in(200, 0), out(200, 0xEE);
    for (int c = 0; c < 3; ++c)
        std::memcpy(&in[c * 32], &planar[c * 10], 20);
    ASSERT_EQ(QZCMProcessPlanarData(e, 10, 1, in.data(), out.data(), 100, 100, 32, 32), 0);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(std::memcmp(&out[c * 32], &outPlanar[c * 10], 20), 0) << c;
    EXPECT_EQ(out[20], 0xEE) << "nothing between the planes";
}

TEST(QrvPixels, IdentityMatrixCopiesSixteenBitSamples)
{
    const std::vector<uint8_t> p = RgbMatrixProfileIdentityCurves().Build();
    std::vector<uint16_t> in;
    for (uint32_t v = 0; v < 65536; v += 7)
        in.insert(in.end(), {uint16_t(v), uint16_t(65535 - v), uint16_t(v * 3)});
    for (qrv::KernelChoice k : kBothPaths) {
        ForcedKernels forced(k);
        Engine e;
        Configure(e, p, p, 16, 16);
        std::vector<uint16_t> out(in.size());
        ASSERT_EQ(QZCMProcessInterleavedData(e, int32_t(in.size() / 3), 1, in.data(), out.data(), 0, 0), 0);
        for (size_t i = 0; i < in.size(); ++i) {
            // The multiply-add form halves its inputs first.
            const uint16_t expect = k == qrv::KernelChoice::Mmx ? uint16_t(in[i] & ~1u) : in[i];
            ASSERT_EQ(out[i], expect) << i;
        }
    }
}

TEST(QrvPixels, MatrixCoreClampsAtBothEnds)
{
    for (qrv::KernelChoice k : kBothPaths) {
        ForcedKernels forced(k);
        Engine e;
        Configure(e, WideRgbProfile().Build(), NarrowRgbProfile().Build(), 16, 16);
        // Saturated wide-gamut red: above the narrow red, below its green and blue.
        const uint16_t in[3] = {65535, 0, 0};
        uint16_t out[3] = {};
        ASSERT_EQ(QZCMProcessInterleavedData(e, 1, 1, in, out, 0, 0), 0);
        EXPECT_EQ(out[0], 65535);
        EXPECT_EQ(out[1], 0);
    }
}

TEST(QrvPixels, LabPassThroughIsUnchanged)
{
    const std::vector<uint8_t> lab = LabIdentityProfile().Build();
    Engine e;
    Configure(e, lab, lab, 16, 16);
    std::vector<uint16_t> in;
    for (uint32_t v = 0; v < 65536; v += 3)
        in.insert(in.end(), {uint16_t(v), uint16_t(v * 7), uint16_t(v * 13)});
    std::vector<uint16_t> out(in.size());
    ASSERT_EQ(QZCMProcessInterleavedData(e, int32_t(in.size() / 3), 1, in.data(), out.data(), 0, 0), 0);
    EXPECT_EQ(out, in);
}

TEST(QrvPixels, LchOutputOfPassThroughPixels)
{
    Engine e;
    Configure(e, LabIdentityProfile().Build(), LabIdentityProfile("Lch ").Build(), 16, 16);
    struct Case {
        uint16_t l, a, b;
        uint16_t chroma, hue;
    } cases[] = {
        {30000, 32768, 32768, 0, 0},
        {30000, 32768, 33768, 1000, 16384},
        {30000, 32768, 31768, 1000, 49152},
        {30000, 33768, 32768, 1000, 0},
        {30000, 31768, 32768, 1000, 32768},
        {30000, 33768, 33768, 1414, 8192},
        {30000, 0, 0, 46340, 40960},
    };
    for (const Case& c : cases) {
        const uint16_t in[3] = {c.l, c.a, c.b};
        uint16_t out[3] = {};
        ASSERT_EQ(QZCMProcessInterleavedData(e, 1, 1, in, out, 0, 0), 0);
        EXPECT_EQ(out[0], c.l);
        EXPECT_EQ(out[1], c.chroma) << c.a << " " << c.b;
        EXPECT_NEAR(out[2], c.hue, 1) << c.a << " " << c.b;
    }
}

TEST(QrvPixels, LchInputRoundTripsThroughLab)
{
    Engine toLch, toLab;
    Configure(toLch, LabIdentityProfile().Build(), LabIdentityProfile("Lch ").Build(), 16, 16);
    Configure(toLab, LabIdentityProfile("Lch ").Build(), LabIdentityProfile().Build(), 16, 16);
    for (uint16_t a : {20000, 32768, 40000})
        for (uint16_t b : {25000, 32768, 45000}) {
            const uint16_t lab[3] = {40000, a, b};
            uint16_t lch[3], back[3];
            ASSERT_EQ(QZCMProcessInterleavedData(toLch, 1, 1, lab, lch, 0, 0), 0);
            ASSERT_EQ(QZCMProcessInterleavedData(toLab, 1, 1, lch, back, 0, 0), 0);
            EXPECT_EQ(back[0], 40000);
            EXPECT_NEAR(back[1], a, 8) << a << " " << b;
            EXPECT_NEAR(back[2], b, 8) << a << " " << b;
        }
}

TEST(QrvPixels, EmptyLinesWriteNothing)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> in, out;
    } cases[] = {
        {"matrix", RgbMatrixProfile().Build(), RgbMatrixProfile().Build()},
        {"table", RgbMatrixProfile().Build(), LutProfile("CMYK", "XYZ ", 4, 3, nullptr, "B2A0").Build()},
    };
    for (qrv::KernelChoice k : kBothPaths) {
        ForcedKernels forced(k);
        for (const Case& c : cases) {
            Engine e;
            Configure(e, c.in, c.out, 8, 8);
            uint8_t in[4] = {1, 2, 3, 4}, out[4] = {9, 9, 9, 9};
            EXPECT_EQ(QZCMProcessInterleavedData(e, 0, 3, in, out, 0, 0), 0) << c.what;
            EXPECT_EQ(out[0], 9) << c.what;
        }
    }
}

TEST(QrvPixels, GreyIsSpreadBeforeTheMatrix)
{
    Engine e;
    Configure(e, GreyProfile(563).Build(), RgbMatrixProfile(563).Build(), 8, 8);
    std::vector<uint8_t> grey(256), rgb(256 * 3);
    for (int i = 0; i < 256; ++i)
        grey[i] = uint8_t(i);
    ASSERT_EQ(QZCMProcessInterleavedData(e, 256, 1, grey.data(), rgb.data(), 0, 0), 0);
    for (int i = 0; i < 256; ++i) {
        EXPECT_NEAR(rgb[3 * i], i, 1) << i;
        EXPECT_NEAR(rgb[3 * i + 1], i, 1) << i;
        EXPECT_NEAR(rgb[3 * i + 2], i, 1) << i;
    }
    // And back to grey: the matrix core takes the middle value.
    Engine back;
    Configure(back, RgbMatrixProfile(563).Build(), GreyProfile(563).Build(), 8, 8);
    std::vector<uint8_t> out(256);
    ASSERT_EQ(QZCMProcessInterleavedData(back, 256, 1, rgb.data(), out.data(), 0, 0), 0);
    for (int i = 0; i < 256; ++i)
        EXPECT_NEAR(out[i], i, 2) << i;
}

// Buffers sized by the header's colour space: a four-channel table in a
// three-channel profile must fail the call, not read and write past them.
TEST(QrvPixels, TableOfOtherChannelsThanTheHeaderNeverReachesThePixels)
{
    const std::vector<uint8_t> rgbWithCmykTables = LutProfile("RGB ", "Lab ", 4, 3, "A2B1", nullptr).Build();
    const std::vector<uint8_t> rgbOutWithCmykTables = LutProfile("RGB ", "Lab ", 4, 3, nullptr, "B2A1").Build();
    struct Case {
        const char* what;
        std::vector<uint8_t> in, out;
    } cases[] = {
        {"input side", rgbWithCmykTables, RgbMatrixProfile().Build()},
        {"output side", RgbMatrixProfile().Build(), rgbOutWithCmykTables},
    };
    for (const Case& c : cases) {
        Engine e;
        Configure(e, c.in, c.out, 8, 8);
        ASSERT_EQ(QZCMSetIntent(e, 1), 0);
        std::vector<uint8_t> in(7 * 3, 100), out(7 * 3, 0xEE);
        EXPECT_EQ(QZCMProcessInterleavedData(e, 7, 1, in.data(), out.data(), 0, 0), 9) << c.what;
        EXPECT_EQ(out, std::vector<uint8_t>(7 * 3, 0xEE)) << c.what;
    }
}

// A CMYK profile whose header names no colour space: a caller that sizes its
// lines by the header finds no four channels there, so the tables must never
// reach its buffers (which hold three samples a pixel, and no more, for the
// address checker to see).
TEST(QrvPixels, ProfileWithoutAHeaderSpaceIsRefusedInBothRoles)
{
    std::vector<uint8_t> corrupt = LutProfile("CMYK", "Lab ", 4, 3, "A2B0", "B2A0").Build();
    PutU32(corrupt, 16, 0);
    for (const bool inputRole : {true, false})
        for (const int intent : {0, 1})
            for (const int bits : {8, 16}) {
                Engine e;
                ASSERT_EQ(inputRole ? e.SetProfiles(corrupt, RgbMatrixProfile().Build())
                                    : e.SetProfiles(RgbMatrixProfile().Build(), corrupt),
                          0);
                ASSERT_EQ(QZCMSetInputBitSize(e, bits), 0);
                ASSERT_EQ(QZCMSetOutputBitSize(e, bits), 0);
                ASSERT_EQ(QZCMSetIntent(e, intent), 0);
                const size_t bytes = size_t(5) * 3 * (bits / 8);
                std::vector<uint8_t> in(bytes, 0x40), out(bytes, 0xEE);
                const std::string what = std::string(inputRole ? "input" : "output") + " role, intent " +
                                         std::to_string(intent) + ", " + std::to_string(bits) + " bits";
                EXPECT_EQ(QZCMProcessInterleavedData(e, 5, 1, in.data(), out.data(), 0, 0), 9) << what;
                EXPECT_EQ(QZCMProcessPlanarData(e, 5, 1, in.data(), out.data(), 0, 0, 0, 0), 9) << what;
                EXPECT_EQ(out, std::vector<uint8_t>(bytes, 0xEE)) << what;
            }
}

// A grey profile whose connection space is Lab has a tone curve that gives
// L*; the matrix core works in Y, so the two meet through the CIE lightness
// function in both directions.
TEST(QrvPixels, GreyWithLabConnectionMeetsTheMatrixInLightness)
{
    struct Case {
        double lightness, y;
    } cases[] = {{0, 0}, {8, 0.008856}, {25, 0.044155}, {50, 0.184187}, {75, 0.482781}, {100, 1}};
    for (qrv::KernelChoice k : kBothPaths) {
        ForcedKernels forced(k);
        Engine toRgb, toGrey;
        Configure(toRgb, GreyProfile(256, "Lab ").Build(), RgbMatrixProfileIdentityCurves().Build(), 16, 16);
        Configure(toGrey, RgbMatrixProfileIdentityCurves().Build(), GreyProfile(256, "Lab ").Build(), 16, 16);
        for (const Case& c : cases) {
            const uint16_t grey = uint16_t(std::lround(c.lightness / 100 * 65535));
            uint16_t rgb[3] = {};
            ASSERT_EQ(QZCMProcessInterleavedData(toRgb, 1, 1, &grey, rgb, 0, 0), 0);
            for (uint16_t v : rgb)
                EXPECT_NEAR(v, c.y * 65535, 12) << "L* " << c.lightness;
            const uint16_t linear[3] = {uint16_t(std::lround(c.y * 65535)), uint16_t(std::lround(c.y * 65535)),
                                        uint16_t(std::lround(c.y * 65535))};
            uint16_t back = 0;
            ASSERT_EQ(QZCMProcessInterleavedData(toGrey, 1, 1, linear, &back, 0, 0), 0);
            EXPECT_NEAR(back, grey, 40) << "Y " << c.y;
        }
    }
}

// A profile to itself gives every 8-bit sample back.
TEST(QrvPixels, IdentityTransformReturnsEveryEightBitValue)
{
    std::vector<uint16_t> srgbLike(1024);
    for (size_t i = 0; i < srgbLike.size(); ++i) {
        const double v = i / 1023.0;
        srgbLike[i] = uint16_t(std::lround(65535 * (v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4))));
    }
    IccBuilder table = RgbMatrixProfileIdentityCurves();
    for (const char* trc : {"rTRC", "gTRC", "bTRC"})
        table.CurveTable(trc, srgbLike);
    // The multiply-add form halves its inputs, a step of one linear unit in
    // 65535 that a pure power curve without a toe turns into a code at 1.
    struct Case {
        const char* what;
        std::vector<uint8_t> profile;
        int multiplyAddFloor;  // samples below it may part by one code on that form
    } cases[] = {
        {"gamma 2.2 with a toe", RgbMatrixProfile(563).Build(), 0},
        {"gamma 1.8 with a toe", RgbMatrixProfile(460).Build(), 0},
        {"gamma 2", RgbMatrixProfile(512).Build(), 2},
        {"curve table", table.Build(), 0},
    };
    std::vector<uint8_t> in;
    for (int i = 0; i < 256; ++i)
        in.insert(in.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
    for (qrv::KernelChoice k : kBothPaths) {
        ForcedKernels forced(k);
        for (const Case& c : cases) {
            Engine e;
            Configure(e, c.profile, c.profile, 8, 8);
            std::vector<uint8_t> out(in.size());
            ASSERT_EQ(QZCMProcessInterleavedData(e, 256, 1, in.data(), out.data(), 0, 0), 0);
            int changed = 0;
            for (size_t i = 0; i < in.size(); ++i) {
                const bool halvingShows = k == qrv::KernelChoice::Mmx && in[i] < c.multiplyAddFloor;
                changed += halvingShows ? std::abs(out[i] - in[i]) > 1 : out[i] != in[i];
            }
            EXPECT_EQ(changed, 0) << c.what << (k == qrv::KernelChoice::Mmx ? ", multiply-add form" : "");
        }
    }
}

TEST(QrvPixels, SamplesAboveTheirBitSizeAreMasked)
{
    Engine e;
    Configure(e, RgbMatrixProfile().Build(), RgbMatrixProfile(460).Build(), 12, 12);
    const uint16_t clean[3] = {0x123, 0x456, 0x789}, dirty[3] = {0xF123, 0x1456, 0x8789};
    uint16_t a[3], b[3];
    ASSERT_EQ(QZCMProcessInterleavedData(e, 1, 1, clean, a, 0, 0), 0);
    ASSERT_EQ(QZCMProcessInterleavedData(e, 1, 1, dirty, b, 0, 0), 0);
    EXPECT_EQ(std::vector<uint16_t>(a, a + 3), std::vector<uint16_t>(b, b + 3));
    for (uint16_t v : a)
        EXPECT_LT(v, 4096);
}

// Every line length up to a few groups of four through each kernel family,
// both paths: 8-bit results may part by one code at most.
TEST(QrvPixels, MmxAndPortablePathsAgreeOnEightBitOutput)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> in, out;
        int inCh, outCh;
    } cases[] = {
        {"rgb to grey", LutProfile("RGB ", "Lab ", 3, 5, "A2B0", nullptr).Build(), GreyProfile().Build(), 3, 1},
        {"rgb to cmyk", RgbMatrixProfile().Build(), LutProfile("CMYK", "XYZ ", 4, 5, nullptr, "B2A0").Build(), 3, 4},
        {"cmyk to grey", LutProfile("CMYK", "Lab ", 4, 5, "A2B0", nullptr).Build(), GreyProfile().Build(), 4, 1},
        {"cmyk to rgb", LutProfile("CMYK", "XYZ ", 4, 5, "A2B0", nullptr).Build(), RgbMatrixProfile().Build(), 4, 3},
        {"grey to rgb", GreyProfile().Build(), LutProfile("RGB ", "Lab ", 3, 5, nullptr, "B2A0").Build(), 1, 3},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> results[2];
        for (int path = 0; path < 2; ++path) {
            ForcedKernels forced(kBothPaths[path]);
            Engine e;
            Configure(e, c.in, c.out, 8, 8);
            for (int pixels = 1; pixels <= 13; ++pixels) {
                std::vector<uint8_t> in(pixels * c.inCh), out(pixels * c.outCh);
                for (size_t i = 0; i < in.size(); ++i)
                    in[i] = uint8_t(i * 53 + pixels * 11);
                ASSERT_EQ(QZCMProcessInterleavedData(e, pixels, 1, in.data(), out.data(), 0, 0), 0) << c.what;
                results[path].insert(results[path].end(), out.begin(), out.end());
            }
        }
        ASSERT_EQ(results[0].size(), results[1].size());
        for (size_t i = 0; i < results[0].size(); ++i)
            ASSERT_NEAR(results[0][i], results[1][i], 1) << c.what << " sample " << i;
    }
}

}  // namespace
