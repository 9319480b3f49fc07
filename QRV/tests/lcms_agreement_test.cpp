// Agreement with an independent engine (lcms2, test-only) on real profiles
// from Debian's profile packages.

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QRV/colour_math.h"
#include "QRV/transform.h"
#include "QRV/tests/qrv_test_util.h"

using namespace qrvtest;

namespace {

const std::string kIcc = "/usr/share/color/icc/";
const std::string kSrgb = kIcc + "sRGB.icc";
const std::string kAdobe = kIcc + "compatibleWithAdobeRGB1998.icc";
const std::string kRomm = kIcc + "ghostscript/rommrgb.icc";
const std::string kCmyk = kIcc + "ghostscript/default_cmyk.icc";
const std::string kGrey = kIcc + "ghostscript/sgray.icc";
const std::string kGreyLab = kIcc + "Gray-CIE_L.icc";  // its tone curve gives L*
const std::string kLab = kIcc + "ghostscript/lab.icc";
// An abstract Lab to Lab profile whose table re-encodes L*a*b*.
const std::string kItuLab = kIcc + "ITULab.icc";
// Carries only the intent-0 tables A2B0 and B2A0.
const std::string kPsCmyk = kIcc + "ghostscript/ps_cmyk.icc";

struct Lcms {
    cmsHPROFILE in = nullptr, out = nullptr;
    cmsHTRANSFORM xform = nullptr;
    Lcms(const std::string& a, const std::string& b, cmsUInt32Number inType, cmsUInt32Number outType)
    {
        in = cmsOpenProfileFromFile(a.c_str(), "r");
        out = cmsOpenProfileFromFile(b.c_str(), "r");
        if (in && out)
            xform = cmsCreateTransform(in, inType, out, outType, INTENT_RELATIVE_COLORIMETRIC,
                                       cmsFLAGS_NOCACHE | cmsFLAGS_NOOPTIMIZE);
    }
    ~Lcms()
    {
        if (xform)
            cmsDeleteTransform(xform);
        if (in)
            cmsCloseProfile(in);
        if (out)
            cmsCloseProfile(out);
    }
};

// Our engine on a whole buffer; intent 1 is relative colorimetric here too.
template <class T>
std::vector<T> Convert(const std::string& a, const std::string& b, int bits, const std::vector<T>& in, int inCh,
                       int outCh, int intent = 1)
{
    Engine e;
    EXPECT_EQ(QZCMSetInputProfile(e, a.c_str()), 0);
    EXPECT_EQ(QZCMSetOutputProfile(e, b.c_str()), 0);
    EXPECT_EQ(QZCMSetInputBitSize(e, bits), 0);
    EXPECT_EQ(QZCMSetOutputBitSize(e, bits), 0);
    EXPECT_EQ(QZCMSetIntent(e, intent), 0);
    const int pixels = int(in.size()) / inCh;
    std::vector<T> out(size_t(pixels) * outCh);
    EXPECT_EQ(QZCMProcessInterleavedData(e, pixels, 1, in.data(), out.data(), 0, 0), 0);
    return out;
}

std::vector<uint8_t> RgbCube8(int step)
{
    std::vector<uint8_t> v;
    for (int r = 0; r < 256; r += step)
        for (int g = 0; g < 256; g += step)
            for (int b = 0; b < 256; b += step)
                v.insert(v.end(), {uint8_t(r), uint8_t(g), uint8_t(b)});
    return v;
}

std::vector<uint16_t> RgbCube16(int step)
{
    std::vector<uint16_t> v;
    for (int r = 0; r < 65536; r += step)
        for (int g = 0; g < 65536; g += step)
            for (int b = 0; b < 65536; b += step)
                v.insert(v.end(), {uint16_t(r), uint16_t(g), uint16_t(b)});
    return v;
}

struct Stats {
    double max = 0, mean = 0, p95 = 0;
    size_t count = 0;
};

Stats Summarise(std::vector<double> d)
{
    Stats s;
    s.count = d.size();
    if (d.empty())
        return s;
    std::sort(d.begin(), d.end());
    for (double x : d)
        s.mean += x;
    s.mean /= double(d.size());
    s.max = d.back();
    s.p95 = d[size_t(double(d.size() - 1) * 0.95)];
    return s;
}

// Colour differences (CIE 1976) of two device buffers, each taken to Lab by
// the independent engine through the same profile.
std::vector<double> DeltaE(const std::string& profile, cmsUInt32Number type, const void* a, const void* b,
                           size_t pixels)
{
    cmsHPROFILE p = cmsOpenProfileFromFile(profile.c_str(), "r");
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM x = cmsCreateTransform(p, type, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE);
    std::vector<cmsCIELab> la(pixels), lb(pixels);
    cmsDoTransform(x, a, la.data(), cmsUInt32Number(pixels));
    cmsDoTransform(x, b, lb.data(), cmsUInt32Number(pixels));
    std::vector<double> d(pixels);
    for (size_t i = 0; i < pixels; ++i)
        d[i] = cmsDeltaE(&la[i], &lb[i]);
    cmsDeleteTransform(x);
    cmsCloseProfile(lab);
    cmsCloseProfile(p);
    return d;
}

// Both kernel paths: the portable tables and matrix, and the MMX forms.
const qrv::KernelChoice kBothPaths[] = {qrv::KernelChoice::Portable, qrv::KernelChoice::Mmx};

struct ForcedKernels {
    explicit ForcedKernels(qrv::KernelChoice c) { qrv::ForceKernels(c); }
    ~ForcedKernels() { qrv::ForceKernels(qrv::KernelChoice::Processor); }
};

class QrvAgreesWithLcms : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const std::string& f : {kSrgb, kAdobe, kRomm, kCmyk, kGrey, kGreyLab, kLab, kItuLab, kPsCmyk}) {
            FILE* fp = std::fopen(f.c_str(), "rb");
            ASSERT_NE(fp, nullptr) << f << " (Debian packages icc-profiles-free, libgs-common)";
            std::fclose(fp);
        }
    }
};

// This engine's 2.2 curve (gamma entry 563) is a power of 2.22 with an
// offset and a linear toe, not the pure power the reference applies; the two
// part below about a quarter of the range, so the Adobe-compatible cases are
// compared above that, where the different curve still costs about 0.2 dE.
// The 16-bit bounds hold over every 257th value of each axis (the largest
// seen: 0.095 dE to ROMM on the portable matrix, 0.118 on the multiply-add
// form, which halves its inputs; 0.366 for the Adobe-compatible pairs).
struct MatrixCase {
    std::string from, to;
    int floor8;  // compared where input and reference output are at least this
    double maxCodes, meanCodes;
    uint16_t floor16;
    double maxDeltaE, meanDeltaE;
};

const MatrixCase kMatrixCases[] = {
    {kSrgb, kRomm, 0, 1, 0.05, 0, 0.13, 0.02},
    {kSrgb, kAdobe, 64, 2, 0.35, 20000, 0.4, 0.2},
    {kAdobe, kSrgb, 64, 2, 0.35, 20000, 0.4, 0.2},
};

TEST_F(QrvAgreesWithLcms, MatrixPaths8Bit)
{
    const std::vector<uint8_t> in = RgbCube8(3);
    for (const MatrixCase& c : kMatrixCases) {
        const std::vector<uint8_t> ours = Convert<uint8_t>(c.from, c.to, 8, in, 3, 3);
        Lcms ref(c.from, c.to, TYPE_RGB_8, TYPE_RGB_8);
        ASSERT_NE(ref.xform, nullptr);
        std::vector<uint8_t> theirs(in.size());
        cmsDoTransform(ref.xform, in.data(), theirs.data(), cmsUInt32Number(in.size() / 3));
        std::vector<double> diff;
        for (size_t i = 0; i < in.size(); i += 3) {
            bool lit = true;
            for (int k = 0; k < 3; ++k)
                lit = lit && in[i + k] >= c.floor8 && theirs[i + k] >= c.floor8;
            for (int k = 0; lit && k < 3; ++k)
                diff.push_back(std::abs(int(ours[i + k]) - int(theirs[i + k])));
        }
        Stats s = Summarise(diff);
        ASSERT_GT(s.count, 100000u);
        EXPECT_LE(s.max, c.maxCodes) << c.from << " -> " << c.to;
        EXPECT_LE(s.mean, c.meanCodes) << c.from << " -> " << c.to;
    }
}

// No reference needed: a profile to itself gives every 8-bit sample back.
TEST_F(QrvAgreesWithLcms, SrgbToItselfReturnsEverySample)
{
    const std::vector<uint8_t> in = RgbCube8(3);
    for (qrv::KernelChoice k : kBothPaths) {
        ForcedKernels forced(k);
        const std::vector<uint8_t> ours = Convert<uint8_t>(kSrgb, kSrgb, 8, in, 3, 3);
        size_t changed = 0;
        for (size_t i = 0; i < in.size(); ++i)
            changed += ours[i] != in[i];
        EXPECT_EQ(changed, 0u) << int(k);
    }
}

// A dense grid of 52 values per axis, both ends included, and random colours
// from a fixed seed.
std::vector<uint16_t> DenseAndRandom16()
{
    std::vector<uint16_t> v = RgbCube16(1285);
    std::mt19937 random(20240611);
    for (int i = 0; i < 3 * 200000; ++i)
        v.push_back(uint16_t(random() >> 16));
    return v;
}

TEST_F(QrvAgreesWithLcms, MatrixPaths16Bit)
{
    const std::vector<uint16_t> in = DenseAndRandom16();
    for (const MatrixCase& c : kMatrixCases) {
        Lcms ref(c.from, c.to, TYPE_RGB_16, TYPE_RGB_16);
        ASSERT_NE(ref.xform, nullptr);
        std::vector<uint16_t> theirs(in.size());
        cmsDoTransform(ref.xform, in.data(), theirs.data(), cmsUInt32Number(in.size() / 3));
        for (qrv::KernelChoice k : kBothPaths) {
            ForcedKernels forced(k);
            const std::vector<uint16_t> ours = Convert<uint16_t>(c.from, c.to, 16, in, 3, 3);
            std::vector<uint16_t> a, b;
            for (size_t i = 0; i < in.size(); i += 3) {
                bool lit = true;
                for (int j = 0; j < 3; ++j)
                    lit = lit && in[i + j] >= c.floor16 && theirs[i + j] >= c.floor16;
                if (lit) {
                    a.insert(a.end(), {ours[i], ours[i + 1], ours[i + 2]});
                    b.insert(b.end(), {theirs[i], theirs[i + 1], theirs[i + 2]});
                }
            }
            Stats s = Summarise(DeltaE(c.to, TYPE_RGB_16, a.data(), b.data(), a.size() / 3));
            ASSERT_GT(s.count, 50000u);
            EXPECT_LE(s.max, c.maxDeltaE) << c.from << " -> " << c.to << " " << int(k);
            EXPECT_LE(s.mean, c.meanDeltaE) << c.from << " -> " << c.to << " " << int(k);
        }
    }
}

// Grey profiles with either connection space, through the matrix core.
TEST_F(QrvAgreesWithLcms, GreyToAndFromRgb)
{
    std::vector<uint8_t> grey(256);
    for (int i = 0; i < 256; ++i)
        grey[i] = uint8_t(i);
    for (const std::string& greyProfile : {kGrey, kGreyLab}) {
        {
            const std::vector<uint8_t> ours = Convert<uint8_t>(greyProfile, kSrgb, 8, grey, 1, 3);
            Lcms ref(greyProfile, kSrgb, TYPE_GRAY_8, TYPE_RGB_8);
            ASSERT_NE(ref.xform, nullptr);
            std::vector<uint8_t> theirs(256 * 3);
            cmsDoTransform(ref.xform, grey.data(), theirs.data(), 256);
            for (size_t i = 0; i < theirs.size(); ++i)
                EXPECT_NEAR(ours[i], theirs[i], 2) << greyProfile << " grey " << i / 3;
        }
        {
            const std::vector<uint8_t> rgb = RgbCube8(15);
            const std::vector<uint8_t> ours = Convert<uint8_t>(kSrgb, greyProfile, 8, rgb, 3, 1);
            Lcms ref(kSrgb, greyProfile, TYPE_RGB_8, TYPE_GRAY_8);
            ASSERT_NE(ref.xform, nullptr);
            std::vector<uint8_t> theirs(rgb.size() / 3);
            cmsDoTransform(ref.xform, rgb.data(), theirs.data(), cmsUInt32Number(theirs.size()));
            for (size_t i = 0; i < theirs.size(); ++i)
                EXPECT_NEAR(ours[i], theirs[i], 2) << greyProfile << " rgb " << int(rgb[3 * i]) << " "
                                                   << int(rgb[3 * i + 1]) << " " << int(rgb[3 * i + 2]);
        }
    }
}

TEST_F(QrvAgreesWithLcms, RgbToCmykThroughTheLookupTables)
{
    const std::vector<uint8_t> in = RgbCube8(5);
    Lcms ref(kSrgb, kCmyk, TYPE_RGB_8, TYPE_CMYK_8);
    ASSERT_NE(ref.xform, nullptr);
    std::vector<uint8_t> theirs(in.size() / 3 * 4);
    cmsDoTransform(ref.xform, in.data(), theirs.data(), cmsUInt32Number(in.size() / 3));
    for (qrv::KernelChoice k : kBothPaths) {
        ForcedKernels forced(k);
        const std::vector<uint8_t> ours = Convert<uint8_t>(kSrgb, kCmyk, 8, in, 3, 4);
        Stats s = Summarise(DeltaE(kCmyk, TYPE_CMYK_8, ours.data(), theirs.data(), in.size() / 3));
        EXPECT_LE(s.mean, 1.0) << int(k);
        EXPECT_LE(s.p95, 2.5) << int(k);
    }
}

TEST_F(QrvAgreesWithLcms, CmykToRgb16Bit)
{
    std::vector<uint16_t> in;
    for (int c = 0; c < 65536; c += 8191)
        for (int m = 0; m < 65536; m += 8191)
            for (int y = 0; y < 65536; y += 8191)
                for (int k = 0; k < 65536; k += 13107)
                    in.insert(in.end(), {uint16_t(c), uint16_t(m), uint16_t(y), uint16_t(k)});
    Lcms ref(kCmyk, kSrgb, TYPE_CMYK_16, TYPE_RGB_16);
    ASSERT_NE(ref.xform, nullptr);
    std::vector<uint16_t> theirs(in.size() / 4 * 3);
    cmsDoTransform(ref.xform, in.data(), theirs.data(), cmsUInt32Number(in.size() / 4));
    for (qrv::KernelChoice k : kBothPaths) {
        ForcedKernels forced(k);
        const std::vector<uint16_t> ours = Convert<uint16_t>(kCmyk, kSrgb, 16, in, 4, 3);
        Stats s = Summarise(DeltaE(kSrgb, TYPE_RGB_16, ours.data(), theirs.data(), in.size() / 4));
        EXPECT_LE(s.mean, 1.0) << int(k);
        EXPECT_LE(s.p95, 2.5) << int(k);
    }
}

// The profile's tables have five points per axis, which this engine reads
// multilinearly and the reference tetrahedrally: in the dark blues the two
// part by up to a dozen codes, so the bounds are wide; the garbage of a
// refused or misread table is some 70 dE off.
TEST_F(QrvAgreesWithLcms, ColorimetricIntentsUseTheIntentZeroTablesWhenTheyAreAllThereIs)
{
    const std::vector<uint8_t> in = RgbCube8(15);
    Lcms ref(kSrgb, kPsCmyk, TYPE_RGB_8, TYPE_CMYK_8);
    ASSERT_NE(ref.xform, nullptr);
    std::vector<uint8_t> theirs(in.size() / 3 * 4);
    cmsDoTransform(ref.xform, in.data(), theirs.data(), cmsUInt32Number(in.size() / 3));
    const std::vector<uint8_t> ours = Convert<uint8_t>(kSrgb, kPsCmyk, 8, in, 3, 4, 1);
    EXPECT_EQ(ours, Convert<uint8_t>(kSrgb, kPsCmyk, 8, in, 3, 4, 0));
    Stats s = Summarise(DeltaE(kPsCmyk, TYPE_CMYK_8, ours.data(), theirs.data(), in.size() / 3));
    EXPECT_LE(s.mean, 5.0);
    EXPECT_LE(s.p95, 13.0);
}

// Passed over, the table would leave colours up to 72 dE off.
TEST_F(QrvAgreesWithLcms, AbstractLabTableIsApplied)
{
    std::vector<uint16_t> in;
    for (int l = 0; l < 65536; l += 4369)
        for (int a = 0; a < 65536; a += 4369)
            for (int b = 0; b < 65536; b += 4369)
                in.insert(in.end(), {uint16_t(l), uint16_t(a), uint16_t(b)});
    Lcms ref(kItuLab, kSrgb, TYPE_LabV2_16, TYPE_RGB_16);
    ASSERT_NE(ref.xform, nullptr);
    std::vector<uint16_t> theirs(in.size());
    cmsDoTransform(ref.xform, in.data(), theirs.data(), cmsUInt32Number(in.size() / 3));
    for (qrv::KernelChoice k : kBothPaths) {
        ForcedKernels forced(k);
        const std::vector<uint16_t> ours = Convert<uint16_t>(kItuLab, kSrgb, 16, in, 3, 3);
        Stats s = Summarise(DeltaE(kSrgb, TYPE_RGB_16, ours.data(), theirs.data(), in.size() / 3));
        EXPECT_LE(s.mean, 0.5) << int(k);
        EXPECT_LE(s.max, 1.0) << int(k);
    }
}

TEST_F(QrvAgreesWithLcms, LabPassThroughIsExact)
{
    std::vector<uint16_t> in;
    for (int l = 0; l < 65536; l += 4681)
        for (int a = 0; a < 65536; a += 3641)
            for (int b = 0; b < 65536; b += 3641)
                in.insert(in.end(), {uint16_t(l), uint16_t(a), uint16_t(b)});
    const std::vector<uint16_t> ours = Convert<uint16_t>(kLab, kLab, 16, in, 3, 3, 0);
    EXPECT_EQ(ours, in);
}

TEST_F(QrvAgreesWithLcms, XyzAndLabConversions)
{
    const double white[3] = {0.9642, 1.0, 0.8249};
    const cmsCIEXYZ w{0.9642, 1.0, 0.8249};
    const double xyz[][3] = {{0.9642, 1.0, 0.8249}, {0.2, 0.3, 0.4}, {0.5, 0.25, 0.05}, {0.1, 0.02, 0.6}};
    for (const auto& v : xyz) {
        double c[3] = {v[0], v[1], v[2]};
        qrv::XYZToLab(c, white);
        cmsCIEXYZ x{v[0], v[1], v[2]};
        cmsCIELab lab;
        cmsXYZ2Lab(&w, &lab, &x);
        EXPECT_NEAR(c[0], lab.L, 1e-9);
        EXPECT_NEAR(c[1], lab.a, 1e-9);
        EXPECT_NEAR(c[2], lab.b, 1e-9);
        qrv::LabToXYZ(c, white);
        EXPECT_NEAR(c[0], v[0], 1e-9);
        EXPECT_NEAR(c[1], v[1], 1e-9);
        EXPECT_NEAR(c[2], v[2], 1e-9);
    }
}

}  // namespace
