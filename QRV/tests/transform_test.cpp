#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "QRV/multi_lut_asm.h"
#include "QRV/tests/icc_builder.h"
#include "QRV/tests/qrv_test_util.h"

using namespace qrvtest;

namespace {

struct ForcedKernels {
    explicit ForcedKernels(qrv::KernelChoice c) { qrv::ForceKernels(c); }
    ~ForcedKernels() { qrv::ForceKernels(qrv::KernelChoice::Processor); }
};

std::vector<int16_t> MatrixOf(Engine& e)
{
    const CountedBuffer& m = e.transform().matrix;
    return std::vector<int16_t>(qrv::CbAs<int16_t>(m), qrv::CbAs<int16_t>(m) + m.length);
}

TEST(QrvTransform, TwoMatrixProfilesGiveAMatrixCoreScaledOnlyForAbsoluteIntent)
{
    // Same primaries; the input's media white has a lower Y.
    const std::vector<uint8_t> in = RgbMatrixProfile().XYZ("wtpt", 0.9642, 0.9, 0.8249).Build();
    const std::vector<uint8_t> out = RgbMatrixProfile().Build();
    std::vector<int16_t> matrices[5];
    for (int intent = 0; intent <= 4; ++intent) {
        Engine e;
        ASSERT_EQ(e.SetProfiles(in, out), 0);
        ASSERT_EQ(QZCMSetIntent(e, intent), 0);
        ASSERT_EQ(e.Build(), 0);
        EXPECT_EQ(e.transform().lut, nullptr);
        EXPECT_TRUE(e.transform().matrixCore);
        matrices[intent] = MatrixOf(e);
        ASSERT_EQ(matrices[intent].size(), 12u);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(qrv::CbElements(e.transform().matrix)) % 32, 0u);
    }
    const std::vector<int16_t> identity = {8192, 0, 0, 0, 0, 8192, 0, 0, 0, 0, 8192, 0};
    for (int intent : {0, 1, 3, 4})
        EXPECT_EQ(matrices[intent], identity) << "intent " << intent;
    EXPECT_NE(matrices[2], identity);
    // White in, through the primaries' Y row: Y is scaled by 0.9.
    const std::vector<int16_t>& m = matrices[2];
    double rgb[3];
    for (int r = 0; r < 3; ++r)
        rgb[r] = (m[4 * r] + m[4 * r + 1] + m[4 * r + 2]) / 8192.0;
    EXPECT_NEAR(0.3111 * rgb[0] + 0.6257 * rgb[1] + 0.0632 * rgb[2], 0.9, 1e-3);
}

TEST(QrvTransform, LabToLabPassesThroughWhenBothProfilesLoad)
{
    Engine e;
    const std::vector<uint8_t> lab = LabIdentityProfile().Build();
    ASSERT_EQ(e.SetProfiles(lab, lab), 0);
    ASSERT_EQ(e.Build(), 0);
    EXPECT_TRUE(e.transform().passThrough);
    EXPECT_EQ(e.transform().lut, nullptr);
    // A Lab profile that cannot load (no lookup tag for intent 1, no matrix tags).
    ASSERT_EQ(e.SetProfiles(LabIdentityProfile().Build(), IccBuilder("Lab ", "Lab ", "abst").Build()), 0);
    EXPECT_EQ(e.Build(), 10);
}

TEST(QrvTransform, GridFollowsTheInputChannelsOnBothPaths)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> in, out;
        uint32_t grid;
    } cases[] = {
        {"CMYK lookup to RGB matrix", LutProfile("CMYK", "XYZ ", 4, 3, "A2B0", nullptr).Build(), RgbMatrixProfile().Build(), 16},
        {"RGB matrix to CMYK lookup", RgbMatrixProfile().Build(), LutProfile("CMYK", "XYZ ", 4, 3, nullptr, "B2A0").Build(), 32},
        {"grey to RGB lookup", GreyProfile().Build(), LutProfile("RGB ", "Lab ", 3, 3, nullptr, "B2A0").Build(), 256},
    };
    for (qrv::KernelChoice k : {qrv::KernelChoice::Portable, qrv::KernelChoice::Mmx}) {
        ForcedKernels forced(k);
        for (const Case& c : cases) {
            Engine e;
            ASSERT_EQ(e.SetProfiles(c.in, c.out), 0);
            ASSERT_EQ(e.Build(), 0) << c.what;
            ASSERT_NE(e.transform().lut, nullptr) << c.what;
            EXPECT_EQ(e.transform().lut->Grid(), c.grid) << c.what;
            EXPECT_EQ(dynamic_cast<qrv::CMultiLutAsm*>(e.transform().lut) != nullptr, k == qrv::KernelChoice::Mmx);
        }
    }
}

TEST(QrvTransform, LookupSidesOfOtherChannelCountsAreRefused)
{
    for (qrv::KernelChoice k : {qrv::KernelChoice::Portable, qrv::KernelChoice::Mmx}) {
        ForcedKernels forced(k);
        Engine e;
        ASSERT_EQ(e.SetProfiles(LutProfile("2CLR", "XYZ ", 2, 3, "A2B0", nullptr).Build(), RgbMatrixProfile().Build()), 0);
        EXPECT_EQ(e.Build(), 9);
        EXPECT_EQ(e.context().rebuild, 1);
    }
}

TEST(QrvTransform, LchTablesAreSharedAndFreedWithTheirLastTransform)
{
    const std::vector<uint8_t> lchIn = LabIdentityProfile("Lch ").Build();
    const std::vector<uint8_t> rgb = LutProfile("RGB ", "Lab ", 3, 3, "A2B0", "B2A0").Build();
    const int32_t before = qrv::SinCosUsers();
    {
        Engine a, b;
        ASSERT_EQ(a.SetProfiles(lchIn, rgb), 0);
        ASSERT_EQ(b.SetProfiles(lchIn, rgb), 0);
        ASSERT_EQ(a.Build(), 0);
        const int16_t* table = qrv::SinCosTable();
        ASSERT_EQ(b.Build(), 0);
        EXPECT_EQ(qrv::SinCosTable(), table) << "built once";
        EXPECT_EQ(qrv::SinCosUsers(), before + 2);
        ASSERT_EQ(QZCMSetIntent(a, 0), 0);
        ASSERT_EQ(a.Build(), 0);
        EXPECT_EQ(qrv::SinCosUsers(), before + 2) << "a rebuild holds one count";
        // A failing rebuild must not leave a count it has already released.
        ASSERT_EQ(QZCMSetInputProfile(a, "", 0u), 1);
        std::vector<uint8_t> broken = lchIn;
        broken[36] = 0;
        ASSERT_EQ(QZCMSetOutputProfile(a, broken.data(), uint32_t(broken.size())), 0);
        EXPECT_EQ(a.Build(), 9);
        EXPECT_EQ(qrv::SinCosUsers(), before + 2);
    }
    EXPECT_EQ(qrv::SinCosUsers(), before);
    if (before == 0) {
        EXPECT_EQ(qrv::SinCosTable(), nullptr);
    }
}

TEST(QrvTransform, LchTablesHoldTheirDefinedValues)
{
    Engine e;
    ASSERT_EQ(e.SetProfiles(LabIdentityProfile("Lch ").Build(), LabIdentityProfile("Lch ").Build()), 0);
    ASSERT_EQ(e.Build(), 0);
    const int16_t* sc = qrv::SinCosTable();
    const uint16_t* chroma = qrv::ChromaScaleTable();
    const uint16_t* atan = qrv::AtanTable();
    EXPECT_EQ(sc[0], 0);
    EXPECT_EQ(sc[1], 32767) << "cos 0 capped";
    EXPECT_EQ(sc[2 * 16384], 32767);
    EXPECT_EQ(sc[2 * 32768 + 1], -32768);
    EXPECT_EQ(chroma[0], 32768);
    EXPECT_EQ(chroma[8192], 46340);
    EXPECT_EQ(atan[0], 0);
    EXPECT_EQ(atan[8191], 8191);
    EXPECT_EQ(atan[8192], 8192);
    EXPECT_EQ(atan[4096], uint16_t(std::atan(0.5) * 10430.378350470453 + 0.5));
}

TEST(QrvTransform, EveryAllocationFailureIsReportedAndRecovered)
{
    const std::vector<uint8_t> in = RgbMatrixProfile().Build();
    const std::vector<uint8_t> out = LutProfile("CMYK", "Lab ", 4, 3, "A2B1", "B2A1").Build();
    for (qrv::KernelChoice k : {qrv::KernelChoice::Portable, qrv::KernelChoice::Mmx}) {
        ForcedKernels forced(k);
        for (int64_t n = 0;; ++n) {
            Engine e;
            ASSERT_EQ(e.SetProfiles(in, out), 0);
            ASSERT_EQ(QZCMSetIntent(e, 1), 0);
            uint8_t pixel[3] = {10, 200, 30}, cmyk[4] = {};
            qrv::gFailAllocationCountdown = n;
            const QZCMResult r = QZCMProcessInterleavedData(e, 1, 1, pixel, cmyk, 0, 0);
            const bool failed = qrv::gFailAllocationCountdown < 0;
            qrv::gFailAllocationCountdown = -1;
            if (!failed) {
                EXPECT_EQ(r, 0);
                break;
            }
            EXPECT_EQ(r, 2) << "allocation " << n;
            EXPECT_EQ(QZCMProcessInterleavedData(e, 1, 1, pixel, cmyk, 0, 0), 0) << "allocation " << n;
        }
    }
}

// A three-channel identity lookup profile with an 'XYZ ' connection space.
std::vector<uint8_t> XyzIdentity(double whiteY)
{
    return LutProfile("RGB ", "XYZ ", 3, 2, "A2B1", "B2A1").XYZ("wtpt", 0.9642, whiteY, 0.8249).Build();
}

TEST(QrvTransform, AbsoluteIntentScalesByTheMediaWhites)
{
    struct Case {
        int intent;
        double scale;
    } cases[] = {{1, 1.0}, {2, 0.9}};
    for (const Case& c : cases) {
        Engine e;
        ASSERT_EQ(e.SetProfiles(XyzIdentity(0.9), XyzIdentity(1.0)), 0);
        ASSERT_EQ(QZCMSetIntent(e, c.intent), 0);
        ASSERT_EQ(QZCMSetInputBitSize(e, 16), 0);
        ASSERT_EQ(QZCMSetOutputBitSize(e, 16), 0);
        const uint16_t in[3] = {20000, 20000, 20000};
        uint16_t out[3] = {};
        ASSERT_EQ(QZCMProcessInterleavedData(e, 1, 1, in, out, 0, 0), 0);
        EXPECT_NEAR(out[0], 20000, 8) << "intent " << c.intent;
        EXPECT_NEAR(out[1], 20000 * c.scale, 8) << "intent " << c.intent;
        EXPECT_NEAR(out[2], 20000, 8) << "intent " << c.intent;
    }
}

TEST(QrvTransform, GreyWithLabConnectionReachesFullLightnessUnderAbsoluteIntent)
{
    Engine e;
    ASSERT_EQ(e.SetProfiles(GreyProfile(256, "Lab ").Build(), LabIdentityProfile().Build()), 0);
    ASSERT_EQ(QZCMSetIntent(e, 2), 0);
    ASSERT_EQ(QZCMSetInputBitSize(e, 16), 0);
    ASSERT_EQ(QZCMSetOutputBitSize(e, 16), 0);
    const uint16_t in[2] = {65535, 0};
    uint16_t out[6] = {};
    ASSERT_EQ(QZCMProcessInterleavedData(e, 2, 1, in, out, 0, 0), 0);
    EXPECT_EQ(out[0], 65535);
    EXPECT_NEAR(out[1], 32768, 4);
    EXPECT_NEAR(out[2], 32768, 4);
    EXPECT_EQ(out[3], 0);
}

TEST(QrvTransform, LookupToGreyTakesYOfAnXyzConnection)
{
    Engine e;
    ASSERT_EQ(e.SetProfiles(XyzIdentity(1.0), GreyProfile(256).Build()), 0);
    ASSERT_EQ(QZCMSetIntent(e, 1), 0);
    ASSERT_EQ(QZCMSetInputBitSize(e, 16), 0);
    ASSERT_EQ(QZCMSetOutputBitSize(e, 16), 0);
    // The identity table puts 16384 / 65535 into the encoded Y: Y = 0.5.
    const uint16_t in[3] = {0, 16384, 0};
    uint16_t out = 0;
    ASSERT_EQ(QZCMProcessInterleavedData(e, 1, 1, in, &out, 0, 0), 0);
    EXPECT_NEAR(out, 32768, 8);
}

// An abstract Lab profile's table is its whole effect: on either side of a
// lookup-table transform it must be applied, not passed over.
TEST(QrvTransform, AbstractLabProfilesApplyTheirTable)
{
    // Two grid points per axis, each node the mirror of its coordinates.
    std::vector<uint16_t> mirror;
    for (int n = 0; n < 8; ++n)
        for (int c = 0; c < 3; ++c)
            mirror.push_back(uint16_t(n >> (2 - c) & 1 ? 0 : 65535));
    IccBuilder abstractLab("Lab ", "Lab ", "abst");
    for (const char* tag : {"A2B1", "B2A1"})
        abstractLab.Mft2(tag, 3, 3, 2, LinearCurves(3, 2), 2, mirror, LinearCurves(3, 2), 2);
    const std::vector<uint8_t> mirrorLab = abstractLab.Build();
    struct Case {
        const char* what;
        std::vector<uint8_t> in, out;
    } cases[] = {
        {"input side", mirrorLab, LutProfile("RGB ", "Lab ", 3, 2, nullptr, "B2A1").Build()},
        {"output side", LutProfile("RGB ", "Lab ", 3, 2, "A2B1", nullptr).Build(), mirrorLab},
    };
    for (const Case& c : cases) {
        Engine e;
        ASSERT_EQ(e.SetProfiles(c.in, c.out), 0);
        ASSERT_EQ(QZCMSetIntent(e, 1), 0);
        ASSERT_EQ(QZCMSetInputBitSize(e, 16), 0);
        ASSERT_EQ(QZCMSetOutputBitSize(e, 16), 0);
        const uint16_t in[3] = {10000, 30000, 50000};
        uint16_t out[3] = {};
        ASSERT_EQ(QZCMProcessInterleavedData(e, 1, 1, in, out, 0, 0), 0);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(out[k], 65535 - in[k], 8) << c.what << " channel " << k;
    }
}

TEST(QrvTransform, ChangingOnlyABitSizeKeepsTheCore)
{
    Engine e;
    ASSERT_EQ(e.SetProfiles(RgbMatrixProfile().Build(), LutProfile("CMYK", "XYZ ", 4, 3, nullptr, "B2A0").Build()), 0);
    ASSERT_EQ(e.Build(), 0);
    const qrv::CMultiLutWorkBase* lut = e.transform().lut;
    ASSERT_EQ(QZCMSetOutputBitSize(e, 16), 0);
    ASSERT_EQ(e.Build(), 0);
    EXPECT_EQ(e.transform().lut, lut);
    EXPECT_EQ(e.transform().outputBits, 16);
    EXPECT_EQ(e.transform().outputTable.length, 4u * 65536);
}

}  // namespace
