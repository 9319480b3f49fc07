#include <cmath>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "QRV/lut_build_context.h"
#include "QRV/profile_reader.h"
#include "QRV/tests/icc_builder.h"

using namespace qrv;
using qrvtest::IccBuilder;

namespace {

int ParseResult(const std::vector<uint8_t>& block)
{
    ProfileReader r(block.data(), uint32_t(block.size()));
    return r.Parse();
}

// Loads one side of a profile for an intent; returns the result and the side.
int Load(const std::vector<uint8_t>& block, int intent, bool inputSide, LutBuildContext& side)
{
    ProfileReader r(block.data(), uint32_t(block.size()));
    int result = r.Parse();
    return result ? result : LoadSide(side, r, intent, inputSide);
}

int Load(const std::vector<uint8_t>& block, int intent = 0, bool inputSide = true)
{
    LutBuildContext side;
    return Load(block, intent, inputSide, side);
}

std::vector<uint8_t> Mutated(std::vector<uint8_t> p, const std::function<void(std::vector<uint8_t>&)>& change)
{
    change(p);
    return p;
}

TEST(QrvProfileReader, RefusesMalformedHeadersAndDirectories)
{
    const std::vector<uint8_t> good = qrvtest::RgbMatrixProfile().Build();
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
        int result;
    } cases[] = {
        {"valid", good, 0},
        {"131 bytes", std::vector<uint8_t>(good.begin(), good.begin() + 131), 9},
        {"132 bytes, no tags", Mutated(std::vector<uint8_t>(good.begin(), good.begin() + 132),
                                       [](auto& p) { qrvtest::PutU32(p, 128, 0); }),
         0},
        {"signature", Mutated(good, [](auto& p) { p[36] = 'b'; }), 9},
        {"PCS RGB", Mutated(good, [](auto& p) { qrvtest::PutU32(p, 20, qrvtest::Sig("RGB ")); }), 9},
        {"PCS Lch", Mutated(good, [](auto& p) { qrvtest::PutU32(p, 20, qrvtest::Sig("Lch ")); }), 0},
        {"tag count past the block", Mutated(good, [](auto& p) { qrvtest::PutU32(p, 128, 1000); }), 9},
        {"tag count that wraps 32 bits", Mutated(good, [](auto& p) { qrvtest::PutU32(p, 128, 0x15555556); }), 9},
        {"tag size 7", Mutated(good, [](auto& p) { qrvtest::SetTagEntry(p, 0, 200, 7); }), 9},
        {"tag end past the block", Mutated(good, [&](auto& p) { qrvtest::SetTagEntry(p, 0, uint32_t(good.size() - 8), 12); }), 9},
        {"tag end that wraps 32 bits", Mutated(good, [](auto& p) { qrvtest::SetTagEntry(p, 0, 0xFFFFFFF0u, 0x20); }), 9},
        {"tag ending at the block's end", Mutated(good, [&](auto& p) { qrvtest::SetTagEntry(p, 0, uint32_t(good.size() - 20), 20); }), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseResult(c.block), c.result) << c.what;
}

TEST(QrvProfileReader, RefusesBadTypedTags)
{
    auto rgb = [](const char* skip) {
        IccBuilder b("RGB ", "XYZ ");
        for (const char* t : {"rTRC", "gTRC", "bTRC"})
            if (std::string(t) != skip)
                b.CurveGamma(t, 563);
        for (const char* t : {"rXYZ", "gXYZ", "bXYZ"})
            if (std::string(t) != skip)
                b.XYZ(t, 0.4, 0.3, 0.2 + (t[0] == 'b' ? 0.5 : 0.0));
        return b;
    };
    auto curv = [](uint32_t n, size_t values) {
        std::vector<uint8_t> b = {'c', 'u', 'r', 'v', 0, 0, 0, 0, uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
        b.resize(b.size() + 2 * values, 0x10);
        return b;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
        int result;
    } cases[] = {
        {"complete", rgb("").Build(), 0},
        {"missing rXYZ", rgb("rXYZ").Build(), 10},
        {"missing gTRC", rgb("gTRC").Build(), 10},
        {"XYZ of another type", rgb("bXYZ").Raw("bXYZ", {'s', 'f', '3', '2', 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}).Build(), 9},
        {"XYZ without a whole triple", rgb("bXYZ").Raw("bXYZ", {'X', 'Y', 'Z', ' ', 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}).Build(), 9},
        {"curv of 11 bytes", rgb("rTRC").Raw("rTRC", {'c', 'u', 'r', 'v', 0, 0, 0, 0, 0, 0, 0}).Build(), 9},
        {"curv count past the tag", rgb("rTRC").Raw("rTRC", curv(4, 3)).Build(), 9},
        {"curv count that wraps 32 bits", rgb("rTRC").Raw("rTRC", curv(0x80000001u, 2)).Build(), 9},
        {"curv of another type", rgb("rTRC").Raw("rTRC", {'p', 'a', 'r', 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}).Build(), 9},
        {"white point of another type",
         rgb("").Raw("wtpt", {'s', 'f', '3', '2', 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}).Build(), 9},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Load(c.block), c.result) << c.what;
}

TEST(QrvProfileReader, LaterDuplicateTagWins)
{
    std::vector<uint8_t> p = qrvtest::RgbMatrixProfile().XYZ("wtpt", 0.5, 0.9, 0.7).Build();
    LutBuildContext side;
    ASSERT_EQ(Load(p, 1, true, side), 0);
    EXPECT_NEAR(side.mediaWhite[0], 0.5, 1e-4);
    EXPECT_NEAR(side.mediaWhite[1], 0.9, 1e-4);
    EXPECT_NEAR(side.illuminant[0], 0.9642, 1e-4);
}

TEST(QrvProfileReader, ReadsCurveKinds)
{
    std::vector<uint8_t> p = IccBuilder("RGB ", "XYZ ")
                                 .CurveGamma("gam ", 0x0233)
                                 .CurveIdentity("idn ")
                                 .CurveTable("tab ", {0, 1000, 65535})
                                 .Build();
    ProfileReader r(p.data(), uint32_t(p.size()));
    ASSERT_EQ(r.Parse(), 0);
    Curve g, i, t;
    ASSERT_EQ(r.ReadCurve(qrvtest::Sig("gam "), g), 0);
    EXPECT_EQ(g.kind, Curve::Gamma);
    EXPECT_DOUBLE_EQ(g.gamma256 / 256.0, 2.19921875);
    ASSERT_EQ(r.ReadCurve(qrvtest::Sig("idn "), i), 0);
    EXPECT_EQ(i.kind, Curve::Identity);
    ASSERT_EQ(r.ReadCurve(qrvtest::Sig("tab "), t), 0);
    ASSERT_EQ(t.kind, Curve::Table);
    EXPECT_EQ(CbAs<uint16_t>(t.entries)[1], 1000);
    EXPECT_EQ(r.ReadCurve(qrvtest::Sig("none"), t), 10);
}

// A lookup tag that cannot be read leaves the side to its curves and matrix.
TEST(QrvProfileReader, UnreadableLookupTagsFallBackToTheMatrix)
{
    using qrvtest::LinearCurves;
    const std::vector<uint16_t> table2(8 * 3, 1000);
    auto with = [](std::function<void(IccBuilder&)> add) {
        IccBuilder b = qrvtest::RgbMatrixProfile();
        add(b);
        return b.Build();
    };
    auto mft2 = [&](int in, int out, int grid, int inEntries, int outEntries, size_t tableValues) {
        return with([=](IccBuilder& b) {
            b.Mft2("A2B0", in, out, grid, LinearCurves(in, inEntries), inEntries,
                   std::vector<uint16_t>(tableValues, 1000), LinearCurves(out, outEntries), outEntries);
        });
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
        int kind;
    } cases[] = {
        {"readable mft2", mft2(3, 3, 2, 2, 2, 24), kSideLut},
        {"grid of 1 point", mft2(3, 3, 1, 2, 2, 3), kSideMatrix},
        {"grid of 0 points", mft2(3, 3, 0, 2, 2, 0), kSideMatrix},
        {"five inputs", mft2(5, 3, 2, 2, 2, 96), kSideMatrix},
        {"five outputs", mft2(3, 5, 2, 2, 2, 40), kSideMatrix},
        {"one input entry", mft2(3, 3, 2, 1, 2, 24), kSideMatrix},
        {"table short of its grid", mft2(3, 3, 2, 2, 2, 23), kSideMatrix},
        {"grid of 255 points over four inputs", mft2(4, 4, 255, 2, 2, 16), kSideMatrix},
        {"mAB type", with([](IccBuilder& b) { b.Raw("A2B0", std::vector<uint8_t>{'m', 'A', 'B', ' ', 0, 0, 0, 0, 3, 3, 0, 0}); }), kSideMatrix},
        {"mft1 head too short", with([](IccBuilder& b) { b.Raw("A2B0", std::vector<uint8_t>(47, 0)); }), kSideMatrix},
    };
    for (const Case& c : cases) {
        LutBuildContext side;
        ASSERT_EQ(Load(c.block, 0, true, side), 0) << c.what;
        EXPECT_EQ(side.kind, c.kind) << c.what;
    }
    // Without matrix tags the fallback reports the missing tag.
    std::vector<uint8_t> lutOnly = qrvtest::LutProfile("RGB ", "Lab ", 3, 2, nullptr, nullptr)
                                       .Raw("A2B0", std::vector<uint8_t>{'m', 'A', 'B', ' ', 0, 0, 0, 0})
                                       .Build();
    EXPECT_EQ(Load(lutOnly), 10);
}

// The pixel loop sizes its samples by the side's channel counts, and callers
// size their buffers by the header: a table that says otherwise is refused,
// never taken at its word.
TEST(QrvProfileReader, RefusesLookupTablesThatDisagreeWithTheHeader)
{
    auto lut = [](const char* space, const char* pcs, const char* tag, int in, int out) {
        int nodes = 1;
        for (int k = 0; k < in; ++k)
            nodes *= 2;
        return IccBuilder(space, pcs, "prtr")
            .XYZ("wtpt", 0.9642, 1.0, 0.8249)
            .Mft2(tag, in, out, 2, qrvtest::LinearCurves(in, 2), 2, std::vector<uint16_t>(size_t(nodes) * out, 30000),
                  qrvtest::LinearCurves(out, 2), 2)
            .Build();
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
        bool inputSide;
        int result;
    } cases[] = {
        {"CMYK table in an RGB profile", lut("RGB ", "Lab ", "A2B0", 4, 3), true, 9},
        {"CMYK table out of an RGB profile", lut("RGB ", "Lab ", "B2A0", 3, 4), false, 9},
        {"RGB table in a CMYK profile", lut("CMYK", "XYZ ", "A2B0", 3, 3), true, 9},
        {"one PCS channel out of the input table", lut("RGB ", "Lab ", "A2B0", 3, 1), true, 9},
        {"one PCS channel into the output table", lut("RGB ", "XYZ ", "B2A0", 1, 3), false, 9},
        {"no input channels", lut("RGB ", "Lab ", "A2B0", 0, 3), true, 9},
        {"no output channels", lut("CMYK", "Lab ", "B2A0", 3, 0), false, 9},
        {"CMYK in", lut("CMYK", "Lab ", "A2B0", 4, 3), true, 0},
        {"CMYK out", lut("CMYK", "Lab ", "B2A0", 3, 4), false, 0},
        {"two colours in", lut("2CLR", "Lab ", "A2B0", 2, 3), true, 0},
        {"a space of unknown channels", lut("GRAZ", "Lab ", "B2A0", 3, 1), false, 9},
        {"CMYK table in a profile of space 0", lut("\0\0\0\0", "Lab ", "A2B0", 4, 3), true, 9},
        {"CMYK table out of a profile of space 0", lut("\0\0\0\0", "Lab ", "B2A0", 3, 4), false, 9},
        {"RGB table in a profile of space 0", lut("\0\0\0\0", "Lab ", "A2B0", 3, 3), true, 9},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Load(c.block, 0, c.inputSide), c.result) << c.what;
}

// The matrix path makes three channels: a header that says otherwise is refused.
TEST(QrvProfileReader, RefusesMatrixTagsUnderAHeaderOfOtherChannels)
{
    auto matrixWithSpace = [](uint32_t space) {
        std::vector<uint8_t> p = qrvtest::RgbMatrixProfile().Build();
        qrvtest::PutU32(p, 16, space);
        return p;
    };
    struct Case {
        const char* what;
        uint32_t space;
        int result;
    } cases[] = {
        {"RGB", qrvtest::Sig("RGB "), 0},
        {"Lab", qrvtest::Sig("Lab "), 0},
        {"space 0", 0, 9},
        {"CMYK", qrvtest::Sig("CMYK"), 9},
        {"two colours", qrvtest::Sig("2CLR"), 9},
        {"unknown", qrvtest::Sig("GRAZ"), 9},
    };
    for (const Case& c : cases)
        for (bool inputSide : {true, false})
            EXPECT_EQ(Load(matrixWithSpace(c.space), 1, inputSide), c.result) << c.what << " input " << inputSide;
}

TEST(QrvProfileReader, RefusesAMediaWhiteWithoutLight)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
        int result;
    } cases[] = {
        {"zero white point", qrvtest::RgbMatrixProfile().XYZ("wtpt", 0, 0, 0).Build(), 9},
        {"zero Y", qrvtest::RgbMatrixProfile().XYZ("wtpt", 0.9642, 0, 0.8249).Build(), 9},
        {"negative Z", qrvtest::RgbMatrixProfile().XYZ("wtpt", 0.9642, 1.0, -0.8).Build(), 9},
        {"zero illuminant, no white point",
         IccBuilder("GRAY", "XYZ ").Illuminant(0, 0, 0).CurveGamma("kTRC", 563).Build(), 9},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Load(c.block), c.result) << c.what;
}

TEST(QrvProfileReader, IntentChoosesTheLookupTag)
{
    using qrvtest::LinearCurves;
    IccBuilder b = qrvtest::RgbMatrixProfile();
    const char* tags[] = {"A2B0", "A2B1", "A2B2", "B2A0", "B2A1", "B2A2"};
    for (int i = 0; i < 6; ++i)
        b.Mft2(tags[i], 3, 3, 2, LinearCurves(3, 2), 2, std::vector<uint16_t>(24, uint16_t(1000 * (i + 1))),
               LinearCurves(3, 2), 2);
    const std::vector<uint8_t> p = b.Build();
    struct Case {
        int intent;
        bool input;
        int kind;
        uint16_t node;
    } cases[] = {
        {0, true, kSideLut, 1000}, {1, true, kSideLut, 2000}, {2, true, kSideLut, 2000}, {3, true, kSideLut, 3000},
        {4, true, kSideMatrix, 0}, {0, false, kSideLut, 4000}, {2, false, kSideLut, 5000}, {3, false, kSideLut, 6000},
        {4, false, kSideMatrix, 0},
    };
    for (const Case& c : cases) {
        LutBuildContext side;
        ASSERT_EQ(Load(p, c.intent, c.input, side), 0);
        EXPECT_EQ(side.kind, c.kind) << "intent " << c.intent << (c.input ? " input" : " output");
        if (c.kind == kSideLut) {
            EXPECT_EQ(side.table.Nodes()[0], c.node) << "intent " << c.intent;
        }
    }
}

// A profile that carries only the intent-0 tables serves every intent with
// them; a table of the intent asked for still comes first.
TEST(QrvProfileReader, AbsentIntentTablesFallBackToTheIntentZeroTables)
{
    using qrvtest::LinearCurves;
    auto with = [](std::vector<const char*> tags) {
        IccBuilder b("CMYK", "Lab ", "prtr");
        b.XYZ("wtpt", 0.9642, 1.0, 0.8249);
        for (const char* tag : tags) {
            const bool a2b = tag[0] == 'A';
            const uint16_t node = uint16_t(1000 * (tag[3] - '0' + 1) + (a2b ? 0 : 500));
            b.Mft2(tag, a2b ? 4 : 3, a2b ? 3 : 4, 2, LinearCurves(a2b ? 4 : 3, 2), 2,
                   std::vector<uint16_t>(a2b ? 48 : 32, node), LinearCurves(a2b ? 3 : 4, 2), 2);
        }
        return b.Build();
    };
    const std::vector<uint8_t> zeroOnly = with({"A2B0", "B2A0"});
    const std::vector<uint8_t> zeroAndTwo = with({"A2B0", "B2A0", "A2B2", "B2A2"});
    struct Case {
        const std::vector<uint8_t>* block;
        int intent;
        bool input;
        uint16_t node;
    } cases[] = {
        {&zeroOnly, 0, true, 1000},   {&zeroOnly, 1, true, 1000},   {&zeroOnly, 2, true, 1000},
        {&zeroOnly, 3, true, 1000},   {&zeroOnly, 1, false, 1500},  {&zeroOnly, 2, false, 1500},
        {&zeroOnly, 3, false, 1500},  {&zeroAndTwo, 3, true, 3000}, {&zeroAndTwo, 3, false, 3500},
        {&zeroAndTwo, 1, true, 1000},
    };
    for (const Case& c : cases) {
        LutBuildContext side;
        ASSERT_EQ(Load(*c.block, c.intent, c.input, side), 0) << "intent " << c.intent;
        ASSERT_EQ(side.kind, kSideLut) << "intent " << c.intent;
        EXPECT_EQ(side.table.Nodes()[0], c.node) << "intent " << c.intent << (c.input ? " input" : " output");
    }
    // Intent 4 reads no lookup tag, and a CMYK profile has no matrix form.
    EXPECT_EQ(Load(zeroOnly, 4), 9);
}

TEST(QrvProfileReader, GreyProfilesUseTheirToneCurveWhateverElseTheyHold)
{
    std::vector<uint8_t> p = qrvtest::GreyProfile(563)
                                 .Mft2("A2B0", 1, 3, 2, qrvtest::LinearCurves(1, 2), 2, std::vector<uint16_t>(6, 0),
                                       qrvtest::LinearCurves(3, 2), 2)
                                 .Build();
    LutBuildContext side;
    ASSERT_EQ(Load(p, 0, true, side), 0);
    EXPECT_EQ(side.kind, kSideGrey);
    EXPECT_EQ(side.inputChannels, 1u);
    EXPECT_DOUBLE_EQ(side.matrix[0], side.illuminant[0]);
    EXPECT_DOUBLE_EQ(side.matrix[4], 1.0);
    EXPECT_EQ(CbAs<uint16_t>(side.inCurves[0])[0], 563);
    EXPECT_EQ(Load(IccBuilder("GRAY", "XYZ ").Build()), 10) << "no kTRC";
}

TEST(QrvProfileReader, EightBitLookupSidesKeepTheirBytesAndScales)
{
    std::vector<uint8_t> curves(3 * 256);
    for (int i = 0; i < 3 * 256; ++i)
        curves[i] = uint8_t(i % 256);
    std::vector<uint8_t> p = IccBuilder("RGB ", "Lab ", "prtr")
                                 .Mft1("A2B0", 3, 3, 2, curves, std::vector<uint8_t>(24, 128), curves)
                                 .Build();
    LutBuildContext side;
    ASSERT_EQ(Load(p, 0, true, side), 0);
    ASSERT_EQ(side.kind, kSideLut);
    EXPECT_EQ(side.tableBits, 8);
    EXPECT_EQ(CbAs<uint16_t>(side.inCurves[2])[255], 255);
    EXPECT_EQ(side.table.Nodes()[0], 32768) << "a three-output PCS table scales bytes by 256";
    EXPECT_DOUBLE_EQ(side.outScales[0], 0.0038910505836575876);
    EXPECT_DOUBLE_EQ(side.outScales[1], 257.0);
}

TEST(QrvToneCurves, ConvertAndInvert)
{
    auto convert = [](Curve::Kind kind, std::vector<uint16_t> entries, uint32_t gamma, bool output) {
        Curve c;
        c.kind = kind;
        c.gamma256 = gamma;
        if (!entries.empty()) {
            CbSetLength(c.entries, entries.size(), 2, 1);
            for (size_t i = 0; i < entries.size(); ++i)
                CbAs<uint16_t>(c.entries)[i] = entries[i];
        }
        CountedBuffer out = MakeCountedBuffer();
        EXPECT_EQ(ConvertToneCurve(c, output, out), 0);
        std::vector<uint16_t> v(CbAs<uint16_t>(out), CbAs<uint16_t>(out) + out.length);
        CbFree(out);
        return v;
    };
    EXPECT_EQ(convert(Curve::Identity, {}, 0, true), (std::vector<uint16_t>{0, 65535}));
    EXPECT_EQ(convert(Curve::Gamma, {}, 563, true), (std::vector<uint16_t>{563}));
    EXPECT_EQ(convert(Curve::Table, {5, 6, 7}, 0, false), (std::vector<uint16_t>{5, 6, 7}));

    const std::vector<uint16_t> identity = convert(Curve::Table, {0, 65535}, 0, true);
    ASSERT_EQ(identity.size(), 65536u);
    for (uint32_t v = 0; v < 65536; v += 4099)
        EXPECT_NEAR(identity[v], v, 1) << v;
    EXPECT_EQ(identity[65535], 65535);

    // Rising {1000, 3000, 60000}: flat below the first entry, full at the last.
    const std::vector<uint16_t> rising = convert(Curve::Table, {1000, 3000, 60000}, 0, true);
    EXPECT_EQ(rising[0], 0);
    EXPECT_EQ(rising[1000], 0);
    EXPECT_EQ(rising[2000], uint16_t(32767.5 * 0.5));
    EXPECT_EQ(rising[3000], 32767);
    EXPECT_EQ(rising[60000], 65535);
    EXPECT_EQ(rising[65535], 65535);

    // Falling {60000, 3000, 1000}: the mirror.
    const std::vector<uint16_t> falling = convert(Curve::Table, {60000, 3000, 1000}, 0, true);
    EXPECT_EQ(falling[0], 65535);
    EXPECT_EQ(falling[1000], 65535);
    EXPECT_EQ(falling[2000], uint16_t(32767.5 * 1.5));
    EXPECT_EQ(falling[60000], 0);
    EXPECT_EQ(falling[65535], 0);

    // Flat curves count as falling; a bumpy one never reads past its entries.
    const std::vector<uint16_t> flat = convert(Curve::Table, {500, 500, 500}, 0, true);
    EXPECT_EQ(flat[500], 65535);
    EXPECT_EQ(flat[501], 0);
    const std::vector<uint16_t> bumpy = convert(Curve::Table, {0, 40000, 40000, 20000, 50000, 65535}, 0, true);
    EXPECT_EQ(bumpy.size(), 65536u);
}

TEST(QrvToneCurves, InvertsMatricesAndRefusesSingularOnes)
{
    double m[9] = {2, 0, 0, 0, 4, 0, 1, 0, 1};
    ASSERT_EQ(InvertMatrix(m), 0);
    const double expect[9] = {0.5, 0, 0, 0, 0.25, 0, -0.5, 0, 1};
    for (int i = 0; i < 9; ++i)
        EXPECT_DOUBLE_EQ(m[i], expect[i]) << i;
    double singular[9] = {1, 2, 3, 2, 4, 6, 0, 1, 1};
    EXPECT_EQ(InvertMatrix(singular), 9);
    double tiny[9] = {1e-2, 0, 0, 0, 1e-2, 0, 0, 0, 1e-2};  // det x 65536 below 1
    EXPECT_EQ(InvertMatrix(tiny), 9);
    double nan[9] = {NAN, 0, 0, 0, 1, 0, 0, 0, 1};
    EXPECT_EQ(InvertMatrix(nan), 9);
}

}  // namespace
