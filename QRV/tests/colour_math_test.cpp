#include <cmath>

#include <gtest/gtest.h>

#include "QRV/colour_math.h"
#include "QRV/lut_build_context.h"
#include "QRV/numeric.h"

using namespace qrv;

namespace {

constexpr double kPi = 3.14159265358979323846;

TEST(QrvColourMath, EncodesTheConnectionSpaces)
{
    enum Space { XYZ, Lab, Lch };
    struct Case {
        Space space;
        double in[3];
        double out[3];  // rounded to the nearest integer for comparison
    } cases[] = {
        {Lab, {100, 0, 127}, {65535, 32768, 65280}},
        {Lab, {50, -128, 128}, {32640, 0, 65535}},
        {Lab, {0, -200, NAN}, {0, 0, 0}},
        {Lab, {-1, 127.99, -127.99}, {0, 65533, 3}},
        {XYZ, {2.0, 1.0, 0.0}, {65535, 32768, 0}},
        {XYZ, {65535.0 / 32768.0, -0.1, NAN}, {65535, 0, 0}},
        {Lch, {100, 255.99609375, -kPi / 2}, {65535, 65535, 49152}},
        {Lch, {0, 10, 2 * kPi}, {0, 2560, 0}},
        {Lch, {0, 0, kPi}, {0, 0, 32768}},
    };
    for (const Case& c : cases) {
        double v[3] = {c.in[0], c.in[1], c.in[2]};
        (c.space == XYZ ? EncodeXYZ16 : c.space == Lab ? EncodeLab16 : EncodeLch16)(v);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(std::lround(v[i]), std::lround(c.out[i])) << c.space << " case " << c.in[0] << " comp " << i;
    }
    double l50[3] = {50, 0, 0};
    EncodeLab16(l50);
    EXPECT_LT(l50[0], 32640.0) << "the double product lies just below";
    EXPECT_EQ(TruncSat<uint16_t>(l50[0] + 0.5), 32640);
}

TEST(QrvColourMath, DecodesTheConnectionSpaces)
{
    double lab[3] = {65280, 32768, 0};
    DecodeLab16(lab);
    EXPECT_NEAR(lab[0], 100, 1e-12);
    EXPECT_EQ(lab[1], 0);
    EXPECT_EQ(lab[2], -128);
    double xyz[3] = {32768, 65535, 0};
    DecodeXYZ16(xyz);
    EXPECT_EQ(xyz[0], 1.0);
    EXPECT_EQ(xyz[1], 65535.0 / 32768);
    double lch[3] = {0, 2560, 49152};
    DecodeLch16(lch);
    EXPECT_EQ(lch[1], 10);
    EXPECT_NEAR(lch[2], -kPi / 2, 1e-12);
}

TEST(QrvColourMath, ConvertsBetweenXyzLabAndLch)
{
    const double white[3] = {0.9642, 1.0, 0.8249};
    double w[3] = {0.9642, 1.0, 0.8249};
    XYZToLab(w, white);
    EXPECT_NEAR(w[0], 100, 1e-12);
    EXPECT_NEAR(w[1], 0, 1e-12);
    EXPECT_NEAR(w[2], 0, 1e-12);
    double black[3] = {0, 0, 0};
    XYZToLab(black, white);
    EXPECT_EQ(black[0], 0);
    EXPECT_NEAR(black[1], 0, 1e-12);
    // L* = 8 takes the cube branch: Y = ((8 + 16) / 116)^3.
    double l8[3] = {8, 0, 0};
    LabToXYZ(l8, white);
    EXPECT_NEAR(l8[1], std::pow(24.0 / 116.0, 3), 1e-15);
    // Below, the linear branch: Y = L* / 903.3.
    double l4[3] = {4, 0, 0};
    LabToXYZ(l4, white);
    EXPECT_NEAR(l4[1], 4 / 903.3, 1e-15);
    double lch[3] = {50, 3, 4};
    LabToLch(lch);
    EXPECT_NEAR(lch[1], 5, 1e-12);
    EXPECT_NEAR(lch[2], std::atan2(4, 3), 1e-12);
    LchToLab(lch);
    EXPECT_NEAR(lch[1], 3, 1e-12);
    EXPECT_NEAR(lch[2], 4, 1e-12);
}

TEST(QrvColourMath, GreyAxisAndItsInverse)
{
    EXPECT_NEAR(GreyAxis(0.5), 0.1681772327, 1e-10);
    EXPECT_DOUBLE_EQ(GreyAxis(0.2), 0.05);
    EXPECT_DOUBLE_EQ(GreyAxis(0.0), 0.0);
    EXPECT_NEAR(GreyAxis(1.0), 1.0, 1e-15);
    for (double t = 0; t <= 1.0; t += 1.0 / 64)
        EXPECT_NEAR(GreyAxisInverse(GreyAxis(t)), t, 1e-9) << t;
}

TEST(QrvColourMath, SideCurvesStayInsideTheirEntries)
{
    LutBuildContext side;
    side.outputChannels = 2;
    side.outScales[0] = 2 * kInv65535;  // three entries
    side.outScales[1] = 1.0;
    for (int c = 0; c < 2; ++c) {
        CbSetLength(side.outCurves[c], 3, 2, 1);
        uint16_t* e = CbAs<uint16_t>(side.outCurves[c]);
        e[0] = 100;
        e[1] = 200;
        e[2] = 1000;
    }
    struct Case {
        double in, out;
    } cases[] = {{65535, 1000}, {70000, 1000}, {0, 100}, {-5, 100}, {NAN, 100}, {32767.5, 200}, {49151.25, 600}, {65534.99, 999.9}};
    for (const Case& c : cases) {
        double v[4] = {c.in, c.in, 0, 0};
        ApplySideCurves(side, v, true);
        EXPECT_NEAR(v[0], c.out, 0.1) << c.in;
        EXPECT_NEAR(v[1], c.out, 0.1) << c.in;
    }
}

}  // namespace
