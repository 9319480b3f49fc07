#include <cmath>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "QRV/multi_lut_asm.h"

using namespace qrv;

namespace {

// The kernels' rules written out lane by lane: halve the node values, add
// the floor of each weighted difference, double the result.
int H(int v)
{
    return v >> 1;
}

int L(int a, int b, int f)
{
    return a + ((b - a) * f >> 15);
}

struct Model {
    const uint16_t* n;
    uint32_t grid, inputs, words;

    uint32_t Stride(uint32_t axis) const
    {
        uint32_t s = words;
        for (uint32_t k = axis + 1; k < inputs; ++k)
            s *= grid;
        return s;
    }

    void Pixel(const uint16_t* in, uint16_t* out) const
    {
        uint32_t c[4], f[4];
        for (uint32_t k = 0; k < inputs; ++k)
            AsmCellFraction(in[k], grid, c[k], f[k]);
        uint32_t base = 0;
        for (uint32_t k = 0; k < inputs; ++k)
            base += c[k] * Stride(k);
        auto at = [&](uint32_t k0, uint32_t k1, uint32_t k2, uint32_t k3, uint32_t j) {
            const uint32_t o[4] = {k0, k1, k2, k3};
            uint32_t off = base;
            for (uint32_t k = 0; k < inputs; ++k)
                off += o[k] * Stride(k);
            return int(n[off + j]);
        };
        const uint32_t outWords = words == 1 ? 1 : 4;
        for (uint32_t j = 0; j < outWords; ++j) {
            int r;
            if (inputs == 1) {
                if (words == 4 && f[0] == 0) {
                    out[j] = uint16_t(at(0, 0, 0, 0, j));
                    continue;
                }
                r = L(H(at(0, 0, 0, 0, j)), H(at(1, 0, 0, 0, j)), f[0]);
            } else if (inputs == 3) {
                int v[2][2];
                for (uint32_t b = 0; b < 2; ++b)
                    for (uint32_t d = 0; d < 2; ++d) {
                        v[b][d] = H(at(0, b, d, 0, j));
                        if (f[0])
                            v[b][d] = L(v[b][d], H(at(1, b, d, 0, j)), f[0]);
                    }
                r = L(L(v[0][0], v[1][0], f[1]), L(v[0][1], v[1][1], f[1]), f[2]);
            } else if (words == 1) {
                auto slab = [&](uint32_t a) {
                    int v[2][2][2];
                    for (uint32_t b = 0; b < 2; ++b)
                        for (uint32_t d = 0; d < 2; ++d)
                            for (uint32_t e = 0; e < 2; ++e)
                                v[b][d][e] = H(at(a, b, d, e, j));
                    int w[2][2];
                    for (uint32_t d = 0; d < 2; ++d)
                        for (uint32_t e = 0; e < 2; ++e)
                            w[d][e] = L(v[0][d][e], v[1][d][e], f[1]);
                    return L(L(w[0][0], w[1][0], f[2]), L(w[0][1], w[1][1], f[2]), f[3]);
                };
                const int s0 = slab(0);
                r = f[0] ? L(s0, slab(1), f[0]) : s0;
            } else {
                auto slab = [&](uint32_t b) {
                    int v[2][2];
                    for (uint32_t d = 0; d < 2; ++d)
                        for (uint32_t e = 0; e < 2; ++e) {
                            v[d][e] = H(at(0, b, d, e, j));
                            if (f[0])
                                v[d][e] = L(v[d][e], H(at(1, b, d, e, j)), f[0]);
                        }
                    return L(L(v[0][0], v[1][0], f[2]), L(v[0][1], v[1][1], f[2]), f[3]);
                };
                const int s0 = slab(0);
                r = f[1] ? L(s0, slab(1), f[1]) : s0;
            }
            out[j] = uint16_t(r << 1);
        }
    }
};

// A bumpy node function, so neighbouring nodes differ and odd values occur.
void Bumpy(void*, const double* c, double* o)
{
    for (int j = 0; j < 4; ++j)
        o[j] = 0.5 + 0.45 * std::sin(3.1 * c[0] + 1.7 * (j + 1) * c[1] - 2.3 * c[2] + 0.9 * c[3] + j);
}

// 65536 pixels in which every channel takes every 16-bit value once.
std::vector<uint16_t> AllValues(uint32_t inputs)
{
    static const uint32_t kMul[4] = {1, 40503, 9973, 257 * 3 + 2};
    std::vector<uint16_t> in;
    for (uint32_t v = 0; v < 65536; ++v)
        for (uint32_t k = 0; k < inputs; ++k)
            in.push_back(uint16_t(v * kMul[k] + 12345 * k));
    return in;
}

struct Shape {
    uint32_t inputs, outputs;
};
const Shape kShapes[] = {{1, 1}, {1, 3}, {1, 4}, {3, 1}, {3, 3}, {3, 4}, {4, 1}, {4, 3}, {4, 4}};

TEST(QrvMmxKernels, CellAndFractionFollowTheFixedPointRule)
{
    for (uint32_t inputs : {1u, 3u, 4u}) {
        std::unique_ptr<CMultiLutWorkBase> lut(NewPortableLut(inputs, 1));
        ASSERT_EQ(lut->FillTable(Bumpy, nullptr), 0);
        const uint16_t* idx = static_cast<CMultiLutTemplateBase&>(*lut).IndexTable();
        const uint32_t grid = lut->Grid();
        int differing = 0;
        for (uint32_t v = 0; v < 65536; ++v) {
            uint32_t cell, frac;
            AsmCellFraction(v, grid, cell, frac);
            ASSERT_EQ(cell, idx[2 * v]) << "grid " << grid << " v " << v;
            ASSERT_LE(std::abs(int(frac) - int(idx[2 * v + 1])), 1) << "grid " << grid << " v " << v;
            differing += frac != idx[2 * v + 1];
        }
        EXPECT_GT(differing, 0);
        uint32_t cell, frac;
        AsmCellFraction(65535, grid, cell, frac);
        EXPECT_EQ(cell, grid - 1);
        EXPECT_EQ(frac, 0u);
    }
}

TEST(QrvMmxKernels, EveryKernelMatchesItsRuleBitForBit)
{
    for (const Shape& s : kShapes) {
        CMultiLutAsm lut(GridForInputs(s.inputs), s.inputs, s.outputs, 0);
        ASSERT_TRUE(lut.HasKernel());
        ASSERT_EQ(lut.FillTable(Bumpy, nullptr), 0);
        const std::vector<uint16_t> in = AllValues(s.inputs);
        const uint32_t words = s.outputs == 1 ? 1 : 4;
        std::vector<uint16_t> out(65536 * words);
        lut.Interpolate(in.data(), out.data(), 65536);
        const Model model{lut.Nodes(), lut.Grid(), s.inputs, lut.NodeWords()};
        for (uint32_t p = 0; p < 65536; ++p) {
            uint16_t expect[4];
            model.Pixel(&in[p * s.inputs], expect);
            for (uint32_t j = 0; j < (s.outputs == 3 ? 3u : words); ++j)
                ASSERT_EQ(out[p * words + j], expect[j])
                    << s.inputs << "x" << s.outputs << " pixel " << p << " word " << j;
        }
    }
}

// The kernels halve, floor and double where the portable tables truncate
// toward zero: per interpolated axis the two rules part by at most three
// codes of the 16-bit node scale (a twentieth of an 8-bit step).
TEST(QrvMmxKernels, AgreeWithThePortableTablesOverEveryInput)
{
    const int kBound[5] = {0, 3, 0, 9, 12};  // by input count
    for (const Shape& s : kShapes) {
        CMultiLutAsm mmx(GridForInputs(s.inputs), s.inputs, s.outputs, 0);
        std::unique_ptr<CMultiLutWorkBase> portable(NewPortableLut(s.inputs, s.outputs));
        ASSERT_EQ(mmx.FillTable(Bumpy, nullptr), 0);
        ASSERT_EQ(portable->FillTable(Bumpy, nullptr), 0);
        const std::vector<uint16_t> in = AllValues(s.inputs);
        const uint32_t words = s.outputs == 1 ? 1 : 4;
        std::vector<uint16_t> a(65536 * words), b(65536 * words);
        mmx.Interpolate(in.data(), a.data(), 65536);
        portable->Interpolate(in.data(), b.data(), 65536);
        int worst = 0;
        for (uint32_t p = 0; p < 65536; ++p)
            for (uint32_t j = 0; j < uint32_t(s.outputs); ++j)
                worst = std::max(worst, std::abs(int(a[p * words + j]) - int(b[p * words + j])));
        EXPECT_LE(worst, kBound[s.inputs]) << s.inputs << "x" << s.outputs;
        EXPECT_GT(worst, 0) << s.inputs << "x" << s.outputs;
    }
}

TEST(QrvMmxKernels, OneInputEdgeCases)
{
    CMultiLutAsm one(256, 1, 1, 0), four(256, 1, 4, 0);
    ASSERT_EQ(one.FillTable(Bumpy, nullptr), 0);
    ASSERT_EQ(four.FillTable(Bumpy, nullptr), 0);
    uint16_t* n1 = const_cast<uint16_t*>(one.Nodes());
    uint16_t* n4 = const_cast<uint16_t*>(four.Nodes());
    n1[3] = 1001;
    n1[4] = 2001;
    n1[5] = 100;
    n1[6] = 0;
    for (int j = 0; j < 4; ++j)
        n4[3 * 4 + j] = uint16_t(1001 + 2 * j);
    // 3 x 257 is node 3 with fraction 0; 5 x 257 + 1 is just past node 5.
    uint16_t in[8] = {3 * 257, 5 * 257 + 1, 0, 65535, 0, 0, 0, 0};
    uint16_t out[8] = {};
    one.Interpolate(in, out, 2);
    EXPECT_EQ(out[0], 1000) << "halved and doubled even with fraction 0";
    EXPECT_EQ(out[1], 98) << "100 to 0 with fraction 1: 50 + floor(-50 / 32768), doubled";
    uint16_t words[4] = {};
    four.Interpolate(in, words, 1);
    for (int j = 0; j < 4; ++j)
        EXPECT_EQ(words[j], 1001 + 2 * j) << "fraction 0 copies the node, odd values included";
}

TEST(QrvMmxKernels, OneOutputKernelsWorkInGroupsOfFourPixels)
{
    for (uint32_t inputs : {1u, 3u, 4u}) {
        CMultiLutAsm lut(GridForInputs(inputs), inputs, 1, 0);
        ASSERT_EQ(lut.FillTable(Bumpy, nullptr), 0);
        std::vector<uint16_t> in(8 * inputs, 30000);
        std::vector<uint16_t> out(12, 7);
        lut.Interpolate(in.data(), out.data(), 5);
        for (int p = 0; p < 8; ++p)
            EXPECT_EQ(out[p], out[0]) << "pixel " << p << " of a 5-pixel line";
        for (int p = 8; p < 12; ++p)
            EXPECT_EQ(out[p], 7) << "pixel " << p;
        std::vector<uint16_t> untouched(4, 7);
        lut.Interpolate(nullptr, untouched.data(), 0);
        EXPECT_EQ(untouched[0], 7);
    }
}

TEST(QrvMmxKernels, NoKernelForShapesOutsideTheFamily)
{
    EXPECT_FALSE(CMultiLutAsm(32, 2, 3, 0).HasKernel());
    EXPECT_FALSE(CMultiLutAsm(32, 3, 2, 0).HasKernel());
    EXPECT_FALSE(CMultiLutAsm(16, 3, 3, 0).HasKernel());
    EXPECT_FALSE(CMultiLutAsm(32, 3, 3, 1).HasKernel());
}

}  // namespace
