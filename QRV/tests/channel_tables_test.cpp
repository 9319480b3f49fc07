#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "QRV/tests/icc_builder.h"
#include "QRV/tests/qrv_test_util.h"

using namespace qrvtest;

namespace {

const uint16_t* InputTable(Engine& e, int channel)
{
    return qrv::CbAs<uint16_t>(e.transform().inputTable) + channel * (1u << e.transform().inputBits);
}

const uint16_t* OutputTable(Engine& e, int channel)
{
    return qrv::CbAs<uint16_t>(e.transform().outputTable) + channel * 65536;
}

Engine* Matrix(Engine& e, int inBits, int outBits, const std::vector<uint8_t>& profile)
{
    EXPECT_EQ(e.SetProfiles(profile, profile), 0);
    EXPECT_EQ(QZCMSetInputBitSize(e, inBits), 0);
    EXPECT_EQ(QZCMSetOutputBitSize(e, outBits), 0);
    EXPECT_EQ(e.Build(), 0);
    return &e;
}

TEST(QrvChannelTables, IdentityBitsFollowTheInputBitSize)
{
    struct Case {
        int inBits, outBits;
        uint32_t inMask, outMask;
        uint16_t entry1;
    } cases[] = {
        {16, 16, 7, 7, 1},
        {8, 8, 0, 0, 257},  // entries are 16-bit values
        {12, 16, 0, 7, 16},
        {16, 8, 7, 0, 1},
    };
    for (const Case& c : cases) {
        Engine e;
        Matrix(e, c.inBits, c.outBits, RgbMatrixProfileIdentityCurves().Build());
        EXPECT_EQ(e.transform().inputIdentityMask, c.inMask) << c.inBits << "/" << c.outBits;
        EXPECT_EQ(e.transform().outputIdentityMask, c.outMask) << c.inBits << "/" << c.outBits;
        EXPECT_EQ(InputTable(e, 1)[1], c.entry1) << c.inBits << "/" << c.outBits;
    }
}

TEST(QrvChannelTables, GammaEntriesHaveLinearToes)
{
    struct Case {
        uint16_t gamma;
        double x, expect;
    } cases[] = {
        {563, 0.05, 0.05 * 0.0625},
        {563, 0.5, std::pow(0.5, 2.22) * 0.9981564102468 + 0.0018435897532},
        {460, 0.01, 0.01 * 0.0625},
        {460, 0.5, std::pow(0.5, 1.807) * 0.999567961736986 + 0.000432038263014},
        {512, 0.5, 0.25},
    };
    for (const Case& c : cases) {
        Engine e;
        Matrix(e, 16, 16, RgbMatrixProfile(c.gamma).Build());
        const uint32_t k = uint32_t(std::lround(c.x * 65535));
        EXPECT_NEAR(InputTable(e, 0)[k], 65535.0 * c.expect, 1.5)
            << "gamma " << c.gamma << " at " << c.x;
        // The output table inverts it.
        EXPECT_NEAR(OutputTable(e, 2)[InputTable(e, 2)[k]], k, 40) << "gamma " << c.gamma;
    }
}

TEST(QrvChannelTables, SetReplacesAndMergeFollowsTheProfileCurve)
{
    // A user input curve that halves; the profile curve is a gamma of 2.
    std::vector<unsigned short> half(256);
    for (int i = 0; i < 256; ++i)
        half[i] = uint16_t(i * 32767 / 255);
    for (bool merge : {false, true}) {
        Engine e;
        Matrix(e, 8, 8, RgbMatrixProfile(512).Build());
        ASSERT_EQ((merge ? QZCMMergeInputLUT : QZCMSetInputLUT)(e, 8, 16, 1, half.data(), 0, 0, 0), 0);
        ASSERT_EQ(e.Build(), 0);
        // Index 255 of 8-bit input is 1.0; the user curve gives 0.5, the
        // profile's gamma 2 after it 0.25.
        const double x = InputTable(e, 0)[255] / 65535.0;
        EXPECT_NEAR(x, merge ? 0.25 : 0.5, 1e-4) << (merge ? "merge" : "set");
        EXPECT_EQ(InputTable(e, 1)[255], 65535) << "other channels keep the profile curve";
    }
    // A later Set on the channel turns the Merge off.
    Engine e;
    Matrix(e, 8, 8, RgbMatrixProfile(512).Build());
    ASSERT_EQ(QZCMMergeInputLUT(e, 8, 16, 1, half.data(), 0, 0, 0), 0);
    ASSERT_EQ(QZCMSetInputLUT(e, 8, 16, 1, half.data(), 0, 0, 0), 0);
    ASSERT_EQ(e.Build(), 0);
    EXPECT_NEAR(InputTable(e, 0)[255] / 65535.0, 0.5, 1e-4);
}

TEST(QrvChannelTables, OneEntryCurvesAndNullTablesLeaveTheProfileCurve)
{
    Engine e;
    Matrix(e, 8, 8, RgbMatrixProfile(512).Build());
    const std::vector<uint16_t> before(InputTable(e, 0), InputTable(e, 0) + 256);
    const unsigned short one[1] = {12345};
    ASSERT_EQ(QZCMSetInputLUT(e, 0, 16, 1, one, 0, 0, 0), 0);
    ASSERT_EQ(e.Build(), 0);
    EXPECT_EQ(std::vector<uint16_t>(InputTable(e, 0), InputTable(e, 0) + 256), before);
    std::vector<unsigned short> flat(256, 0);
    ASSERT_EQ(QZCMSetInputLUT(e, 8, 16, 1, flat.data(), 0, 0, 0), 0);
    ASSERT_EQ(e.Build(), 0);
    EXPECT_EQ(InputTable(e, 0)[255], 0);
    ASSERT_EQ(QZCMSetInputLUT(e, 8, 16, 1, nullptr, 0, 0, 0), 0);
    ASSERT_EQ(e.Build(), 0);
    EXPECT_EQ(std::vector<uint16_t>(InputTable(e, 0), InputTable(e, 0) + 256), before);
}

TEST(QrvChannelTables, OutOfRangeUserCurvesAreConfined)
{
    // outBits 0 has a range of one value; entries above any range.
    std::vector<unsigned short> high(256, 65535);
    struct Case {
        int outBits;
        uint16_t expect;
    } cases[] = {{0, 65535}, {8, 65535}, {16, 65535}};
    for (const Case& c : cases) {
        Engine e;
        Matrix(e, 8, 8, RgbMatrixProfile(512).Build());
        ASSERT_EQ(QZCMSetInputLUT(e, 8, c.outBits, 7, high.data(), high.data(), high.data(), 0), 0);
        ASSERT_EQ(QZCMSetOutputLUT(e, 8, c.outBits, 7, high.data(), high.data(), high.data(), 0), 0);
        ASSERT_EQ(e.Build(), 0) << c.outBits;
        EXPECT_EQ(InputTable(e, 0)[0], c.expect) << c.outBits;
        EXPECT_EQ(OutputTable(e, 0)[0], 255) << c.outBits;
    }
    // A zero table with outBits 0 is valid and stays 0.
    std::vector<unsigned short> zero(256, 0);
    Engine e;
    Matrix(e, 8, 8, RgbMatrixProfile(512).Build());
    ASSERT_EQ(QZCMSetInputLUT(e, 8, 0, 1, zero.data(), 0, 0, 0), 0);
    ASSERT_EQ(e.Build(), 0);
    EXPECT_EQ(InputTable(e, 0)[200], 0);
}

TEST(QrvChannelTables, OutputToleranceIsSetByTheInputBitSize)
{
    // An output curve one step off the identity at a single entry.
    std::vector<unsigned short> curve(65536);
    for (uint32_t i = 0; i < 65536; ++i)
        curve[i] = uint16_t(i);
    curve[1000] = 1002;
    struct Case {
        int inBits;
        bool identity;
    } cases[] = {{8, false}, {16, true}};
    for (const Case& c : cases) {
        Engine e;
        Matrix(e, c.inBits, 16, RgbMatrixProfileIdentityCurves().Build());
        ASSERT_EQ(QZCMSetOutputLUT(e, 16, 16, 1, curve.data(), 0, 0, 0), 0);
        ASSERT_EQ(e.Build(), 0);
        EXPECT_EQ((e.transform().outputIdentityMask & 1) != 0, c.identity) << c.inBits;
        EXPECT_GE(OutputTable(e, 0)[1000], 1001);
    }
}

TEST(QrvChannelTables, LookupCoreOutputsAreConstantOutsideTheNodeWindow)
{
    std::vector<unsigned short> ramp(256);
    for (int i = 0; i < 256; ++i)
        ramp[i] = uint16_t(i);
    Engine e;
    ASSERT_EQ(e.SetProfiles(RgbMatrixProfile().Build(), LutProfile("RGB ", "XYZ ", 3, 3, "A2B0", "B2A0").Build()), 0);
    ASSERT_EQ(QZCMSetOutputLUT(e, 8, 8, 15, ramp.data(), ramp.data(), ramp.data(), ramp.data()), 0);
    ASSERT_EQ(e.Build(), 0);
    const uint16_t* t = OutputTable(e, 1);
    for (uint32_t l = 0; l < 8192; l += 97)
        EXPECT_EQ(t[l], t[8192]) << l;
    for (uint32_t l = 57343; l < 65536; l += 97)
        EXPECT_EQ(t[l], t[57343]) << l;
    EXPECT_EQ(t[8192], 0);
    EXPECT_EQ(t[57343], 255);
    EXPECT_EQ(e.transform().outputIdentityMask, 0u);
}

// An output entry is the nearest sample value, not the one below: truncating
// left every output half a code dark and identity transforms one level dark.
TEST(QrvChannelTables, OutputEntriesAreRoundedToNearest)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> in, out;
        int outBits;
        uint32_t channel, core;
        uint16_t entry;
    } cases[] = {
        {"matrix, 8 bits, just below half a code", RgbMatrixProfileIdentityCurves().Build(),
         RgbMatrixProfileIdentityCurves().Build(), 8, 0, 128, 0},
        {"matrix, 8 bits, just above half a code", RgbMatrixProfileIdentityCurves().Build(),
         RgbMatrixProfileIdentityCurves().Build(), 8, 0, 129, 1},
        {"matrix, 8 bits, middle", RgbMatrixProfileIdentityCurves().Build(), RgbMatrixProfileIdentityCurves().Build(),
         8, 2, 32896, 128},
        {"matrix, 8 bits, top", RgbMatrixProfileIdentityCurves().Build(), RgbMatrixProfileIdentityCurves().Build(), 8,
         1, 65535, 255},
        {"matrix, 12 bits", RgbMatrixProfileIdentityCurves().Build(), RgbMatrixProfileIdentityCurves().Build(), 12, 0,
         25, 2},
        {"table core, first step above its window's start", RgbMatrixProfile().Build(),
         LutProfile("RGB ", "XYZ ", 3, 3, nullptr, "B2A0").Build(), 8, 0, 8192 + 97, 1},
        {"table core, top of its window", RgbMatrixProfile().Build(),
         LutProfile("RGB ", "XYZ ", 3, 3, nullptr, "B2A0").Build(), 8, 0, 57343, 255},
        // A hue just short of a full turn rounds to the turn, which is 0.
        {"hue wraps", LabIdentityProfile().Build(), LabIdentityProfile("Lch ").Build(), 8, 2, 65535, 0},
        {"hue below the wrap", LabIdentityProfile().Build(), LabIdentityProfile("Lch ").Build(), 8, 2, 65407, 255},
    };
    for (const Case& c : cases) {
        Engine e;
        ASSERT_EQ(e.SetProfiles(c.in, c.out), 0);
        ASSERT_EQ(QZCMSetInputBitSize(e, 16), 0);
        ASSERT_EQ(QZCMSetOutputBitSize(e, c.outBits), 0);
        ASSERT_EQ(e.Build(), 0) << c.what;
        EXPECT_EQ(OutputTable(e, c.channel)[c.core], c.entry) << c.what;
    }
}

TEST(QrvChannelTables, HueCurvesWrapTheShortWayAround)
{
    // Output space 'Lch ': channel 2 is a hue on a circle of 65536 steps.
    const unsigned short hue[2] = {60000, 5000};
    Engine e;
    ASSERT_EQ(e.SetProfiles(LabIdentityProfile().Build(), LabIdentityProfile("Lch ").Build()), 0);
    ASSERT_EQ(QZCMSetOutputBitSize(e, 16), 0);
    ASSERT_EQ(QZCMSetOutputLUT(e, 1, 16, 4, hue, 0, 0, 0), 0);
    ASSERT_EQ(e.Build(), 0);
    const uint16_t* t = OutputTable(e, 2);
    // y = 0.25: halfway from 60000 up through 65536 to 5000.
    EXPECT_NEAR(t[16384], 65268, 1);
    // y = 0.4: past the wrap.
    EXPECT_NEAR(t[26214], 2892, 2);
    EXPECT_EQ(t[0], 60000);
}

TEST(QrvChannelTables, HueInputTablesUseTheQuarterCurve)
{
    Engine e;
    ASSERT_EQ(e.SetProfiles(LabIdentityProfile("Lch ").Build(), LabIdentityProfile().Build()), 0);
    ASSERT_EQ(QZCMSetInputBitSize(e, 16), 0);
    ASSERT_EQ(e.Build(), 0);
    const uint16_t* hue = InputTable(e, 2);
    for (uint32_t k = 0; k < 65536; k += 4093)
        EXPECT_NEAR(hue[k], k, 1) << k;
}

}  // namespace
