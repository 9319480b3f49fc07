#include <cmath>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "QRV/multi_lut.h"

using namespace qrv;

namespace {

// Node routine that stores a plane: output j = (sum of weights x coords).
struct Plane {
    double w[4][4];  // [output][input]
};

void PlaneRoutine(void* user, const double* coords, double* outputs)
{
    const Plane& p = *static_cast<const Plane*>(user);
    for (int j = 0; j < 4; ++j) {
        outputs[j] = 0.0;
        for (int k = 0; k < 4; ++k)
            outputs[j] += p.w[j][k] * coords[k];
    }
}

void CoordsRoutine(void*, const double* coords, double* outputs)
{
    for (int j = 0; j < 4; ++j)
        outputs[j] = coords[j];
}

uint16_t* Nodes(CMultiLutBase& lut)
{
    return const_cast<uint16_t*>(lut.Nodes());
}

TEST(QrvMultiLut, StoresNodeValuesInTheEighthsWindow)
{
    struct Case {
        double x;
        uint16_t stored;
    } cases[] = {{0.0, 8192}, {1.0, 57343}, {-0.5, 0}, {2.0, 65535}, {0.5, 32768}, {NAN, 0}, {-1e300, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(StoreNodeValue(c.x), c.stored) << c.x;
}

TEST(QrvMultiLut, LerpTruncatesTowardZero)
{
    EXPECT_EQ(LerpTruncating(100, 50, 16384), 75);
    EXPECT_EQ(LerpTruncating(100, 0, 1), 100);
    EXPECT_EQ(LerpTruncating(0, 100, 1), 0);
    EXPECT_EQ(LerpTruncating(0, 65535, 32767), 65533);
}

TEST(QrvMultiLut, IndexTableCellsAndFractions)
{
    struct Case {
        int inputs;
        uint32_t v;
        uint16_t cell, fraction;
    } cases[] = {
        {1, 0, 0, 0},     {1, 256, 0, 32640}, {1, 257, 1, 0},    {1, 65535, 255, 0},
        {3, 2114, 0, 32767}, {3, 2115, 1, 15}, {3, 65535, 31, 0},
        {4, 4368, 0, 32760}, {4, 4369, 1, 0},  {4, 65535, 15, 0},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CMultiLutWorkBase> lut(NewPortableLut(c.inputs, 1));
        Plane p{};
        ASSERT_EQ(lut->FillTable(PlaneRoutine, &p), 0);
        const uint16_t* idx = static_cast<CMultiLutTemplateBase&>(*lut).IndexTable();
        EXPECT_EQ(idx[2 * c.v], c.cell) << c.inputs << " inputs, v " << c.v;
        EXPECT_EQ(idx[2 * c.v + 1], c.fraction) << c.inputs << " inputs, v " << c.v;
    }
}

TEST(QrvMultiLut, FillsNodesInStorageOrder)
{
    for (int inputs : {1, 3, 4}) {
        for (int outputs : {1, 3, 4}) {
            std::unique_ptr<CMultiLutWorkBase> lut(NewPortableLut(inputs, outputs));
            ASSERT_NE(lut, nullptr);
            ASSERT_EQ(lut->FillTable(CoordsRoutine, nullptr), 0);
            const uint32_t g = lut->Grid(), w = lut->NodeWords();
            EXPECT_EQ(w, outputs == 1 ? 1u : 4u);
            // Node with index g-2 on the last axis and 1 on axis 0.
            uint32_t offset = (g - 2) * w;
            uint32_t stride0 = w;
            for (int k = 1; k < inputs; ++k)
                stride0 *= g;
            if (inputs > 1)
                offset += stride0;
            const uint16_t* n = lut->Nodes() + offset;
            const double step = 1.0 / (g - 1);
            double coords[4] = {0, 0, 0, 0};
            coords[inputs - 1] = (g - 2) * step;
            if (inputs > 1)
                coords[0] = step;
            for (int j = 0; j < outputs; ++j)
                EXPECT_EQ(n[j], StoreNodeValue(coords[j])) << inputs << "x" << outputs << " word " << j;
            if (outputs == 3) {
                EXPECT_EQ(n[3], 0) << "the fourth word of a three-output node";
            }
            const uint64_t nodes = uint64_t(stride0) * g;
            EXPECT_EQ(lut->Table().length, nodes + nodes / g);
        }
    }
}

TEST(QrvMultiLut, InterpolatesPlanesWithinTwoUnits)
{
    Plane p{};
    for (int j = 0; j < 4; ++j)
        for (int k = 0; k < 4; ++k)
            p.w[j][k] = (j == k ? 0.3 : 0.0) + 0.05 * (k + 1) / (j + 1);
    for (int inputs : {1, 3, 4}) {
        for (int outputs : {1, 3, 4}) {
            std::unique_ptr<CMultiLutWorkBase> lut(NewPortableLut(inputs, outputs));
            ASSERT_EQ(lut->FillTable(PlaneRoutine, &p), 0);
            std::vector<uint16_t> in;
            for (uint32_t v = 0; v < 65536; v += 61)
                for (int k = 0; k < inputs; ++k)
                    in.push_back(uint16_t((v * (k + 3) + 977 * k) % 65536));
            const uint32_t count = uint32_t(in.size()) / inputs;
            const uint32_t words = outputs == 1 ? 1 : 4;
            std::vector<uint16_t> out(count * words, 0xABCD);
            lut->Interpolate(in.data(), out.data(), count);
            int worst = 0;
            for (uint32_t i = 0; i < count; ++i)
                for (int j = 0; j < outputs; ++j) {
                    double x = 0;
                    for (int k = 0; k < inputs; ++k)
                        x += p.w[j][k] * in[i * inputs + k] / 65535.0;
                    worst = std::max(worst, int(std::lround(std::abs(out[i * words + j] - (x * 49151 + 8192)))));
                }
            // Node rounding plus one truncating lerp per axis.
            EXPECT_LE(worst, std::max(2, inputs)) << inputs << " inputs, " << outputs << " outputs";
            if (outputs == 3) {
                EXPECT_EQ(out[3], 0xABCD) << "the fourth word of a three-output pixel is not written";
            }
        }
    }
}

TEST(QrvMultiLut, ExtremeInputsGiveNodesExactlyAndStayInTheTable)
{
    for (int inputs : {1, 3, 4}) {
        for (int outputs : {1, 3, 4}) {
            std::unique_ptr<CMultiLutWorkBase> lut(NewPortableLut(inputs, outputs));
            ASSERT_EQ(lut->FillTable(CoordsRoutine, nullptr), 0);
            const uint32_t words = lut->NodeWords();
            // Every corner of the input cube, each read at the grid's edge.
            for (uint32_t corner = 0; corner < (1u << inputs); ++corner) {
                uint16_t in[4];
                for (int k = 0; k < inputs; ++k)
                    in[k] = corner >> k & 1 ? 65535 : 0;
                uint16_t out[4] = {};
                lut->Interpolate(in, out, 1);
                for (int j = 0; j < outputs && j < inputs; ++j)
                    EXPECT_EQ(out[j], in[j] ? 57343 : 8192) << inputs << "x" << outputs << " corner " << corner;
            }
            (void)words;
        }
    }
}

TEST(QrvMultiLut, FourInputsWithoutAxisZeroFractionIgnoreTheUpperSlab)
{
    auto lut = std::make_unique<TMultiLut<16, 4, 1>>();
    ASSERT_EQ(lut->FillTable(CoordsRoutine, nullptr), 0);
    uint16_t* n = Nodes(*lut);
    // Poison the slab above cell 3 on axis 0; 3 x 4369 has fraction 0.
    for (uint32_t i = 4 * 4096; i < 5 * 4096; ++i)
        n[i] = 65535;
    const uint16_t in[4] = {3 * 4369, 1000, 2000, 3000};
    uint16_t out = 0;
    lut->Interpolate(in, &out, 1);
    EXPECT_EQ(out, StoreNodeValue(3.0 / 15));
}

TEST(QrvMultiLut, CountOfZeroWritesNothing)
{
    auto lut = std::make_unique<TMultiLut<32, 3, 3>>();
    ASSERT_EQ(lut->FillTable(CoordsRoutine, nullptr), 0);
    uint16_t out[4] = {1, 2, 3, 4};
    lut->Interpolate(nullptr, out, 0);
    EXPECT_EQ(out[0], 1);
}

TEST(QrvMultiLut, FailedFillLeavesTheTableEmpty)
{
    auto lut = std::make_unique<TMultiLut<32, 3, 3>>();
    gFailAllocationCountdown = 1;  // the index table succeeds, the grid fails
    EXPECT_EQ(lut->FillTable(CoordsRoutine, nullptr), 2);
    gFailAllocationCountdown = -1;
    EXPECT_EQ(lut->Table().length, 0u);
    EXPECT_EQ(lut->LockTable(), nullptr);
}

TEST(QrvMultiLut, LocksCountOnBothTables)
{
    auto lut = std::make_unique<TMultiLut<256, 1, 1>>();
    EXPECT_EQ(lut->LockTable(), nullptr);
    ASSERT_EQ(lut->FillTable(CoordsRoutine, nullptr), 0);
    EXPECT_NE(lut->LockTable(), nullptr);
    EXPECT_NE(lut->LockTable(), nullptr);
    EXPECT_EQ(lut->UnlockTable(), 1);
    EXPECT_EQ(lut->UnlockTable(), 0);
    EXPECT_EQ(lut->UnlockTable(), 0) << "never below 0";
}

TEST(QrvMultiLutInit, LoadsEightBitTablesWithThePcsScale)
{
    const std::vector<uint8_t> bytes(2 * 2 * 2 * 4, 128);
    struct Case {
        uint32_t outputs;
        bool pcs;
        uint16_t value;
    } cases[] = {{3, true, 32768}, {3, false, 32896}, {4, true, 32896}};
    for (const Case& c : cases) {
        CMultiLutInit t;
        ASSERT_EQ(t.LoadTable8(2, 3, c.outputs, bytes.data(), c.pcs), 0);
        EXPECT_EQ(t.Nodes()[0], c.value) << c.outputs << " " << c.pcs;
        EXPECT_EQ(t.Table().length, 8u * c.outputs + 4u * c.outputs);
    }
}

TEST(QrvMultiLutInit, ConvertsLchNodesToLab)
{
    const std::vector<uint16_t> nodes = {65280, 0, 0, 32640, 2560, 16384};
    CMultiLutInit t;
    ASSERT_EQ(t.LoadTable16(2, 1, 3, nodes.data()), 0);
    t.ConvertLchToLab();
    const uint16_t* n = t.Nodes();
    EXPECT_EQ(n[0], 65535);
    EXPECT_EQ(n[1], 32768);
    EXPECT_EQ(n[2], 32768);
    EXPECT_EQ(n[3], 32640);
    EXPECT_EQ(n[4], 32768);
    EXPECT_EQ(n[5], 35328);
}

TEST(QrvMultiLutInit, EvaluatesMultilinearlyAndReadsOnlyInsideTheTable)
{
    // Three inputs, grid 3, output = 1000 x i0 + 100 x i1 + 10 x i2 (node indices).
    std::vector<uint16_t> nodes;
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
            for (int c = 0; c < 3; ++c)
                nodes.push_back(uint16_t(1000 * a + 100 * b + 10 * c));
    CMultiLutInit t;
    ASSERT_EQ(t.LoadTable16(3, 3, 1, nodes.data()), 0);
    struct Case {
        double in[3];
        double out;
    } cases[] = {
        {{0, 0, 0}, 0},
        {{65535, 65535, 65535}, 2220},
        {{70000, -5, NAN}, 2000},
        {{32767.5, 0, 0}, 1000},
        {{16383.75, 49151.25, 65535}, 500 + 150 + 20},
    };
    for (const Case& c : cases) {
        double out = -1;
        t.Evaluate(c.in, &out);
        EXPECT_NEAR(out, c.out, 1e-9) << c.in[0] << " " << c.in[1] << " " << c.in[2];
    }
    // One input: a plain linear interpolation between two nodes.
    const std::vector<uint16_t> line = {0, 1000, 3000};
    CMultiLutInit one;
    ASSERT_EQ(one.LoadTable16(3, 1, 1, line.data()), 0);
    double in = 49151.25, out = 0;
    one.Evaluate(&in, &out);
    EXPECT_NEAR(out, 2000, 1e-9);
}

}  // namespace
